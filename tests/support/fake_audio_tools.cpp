#include "tests/support/fake_audio_tools.h"

#include <fstream>

namespace rz {

namespace {

void writeSmallFile(const std::filesystem::path& path)
{
    std::ofstream(path, std::ios::binary) << "RIFF";
}

} // namespace

bool FakeAudioTools::runFilterSheet(const std::string& effect,
                                    const std::vector<std::filesystem::path>& files,
                                    const std::filesystem::path& auditionFile)
{
    log.record("runFilterSheet", effect, files.size());
    this->files = files;
    this->auditionFile = auditionFile;
    return sheetOk;
}

std::optional<std::vector<std::filesystem::path>> FakeAudioTools::runApplyFilter(
    const std::string& effect, const std::vector<std::filesystem::path>& files,
    const std::vector<int64_t>& durationsMs)
{
    log.record("runApplyFilter", effect, files.size());
    this->durationsMs = durationsMs;
    outputs.clear();
    if (!applyOk)
        return std::nullopt;
    const size_t count = outputCount.value_or(files.size());
    for (size_t i = 0; i < count; ++i) {
        outputs.push_back(folder / ("filtered_" + std::to_string(++m_serial) + ".wav"));
        if (writeOutputs)
            writeSmallFile(outputs.back());
    }
    return outputs;
}

void FakeAudioTools::releaseApplyResources()
{
    log.record("releaseApplyResources");
}

std::optional<WaveMix> FakeAudioTools::runWaveMixer(CSongDoc&)
{
    log.record("runWaveMixer");
    if (mix)
        writeSmallFile(mix->path);
    return mix;
}

} // namespace rz
