#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/audio_tools.h"
#include "tests/support/call_log.h"

namespace rz {

// Audio dialogs that answer what the test set and write small files into
// `folder`, as the real ones write wave files. Every tool is there unless
// the test takes it away.
class FakeAudioTools : public IAudioTools {
public:
    CallLog log;
    std::set<AudioTool> missing;
    std::filesystem::path folder;       // where filtered files are written
    bool sheetOk = true;
    bool applyOk = true;
    std::optional<size_t> outputCount;  // set: a faulty apply dialog that gives this many files
    bool writeOutputs = true;           // false: a faulty apply dialog that names files it never wrote
    std::optional<WaveMix> mix;         // unset: the mixer is cancelled; its path is written

    // What the last dialogs were given.
    std::vector<std::filesystem::path> files;
    std::vector<int64_t> durationsMs;
    std::filesystem::path auditionFile;
    std::vector<std::filesystem::path> outputs; // the files the last apply wrote

    bool has(AudioTool tool) const override { return missing.count(tool) == 0; }
    bool runFilterSheet(const std::string& effect, const std::vector<std::filesystem::path>& files,
                        const std::filesystem::path& auditionFile) override;
    std::optional<std::vector<std::filesystem::path>> runApplyFilter(
        const std::string& effect, const std::vector<std::filesystem::path>& files,
        const std::vector<int64_t>& durationsMs) override;
    void releaseApplyResources() override;
    std::optional<WaveMix> runWaveMixer(CSongDoc& song) override;

private:
    int m_serial = 0;
};

} // namespace rz
