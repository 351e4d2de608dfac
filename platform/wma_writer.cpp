#include "platform/wma_writer.h"

#include "platform/codec_module.h"

#include <array>
#include <cerrno>

namespace rz {
namespace {

constexpr std::array<int, 5> kKbps = {192, 160, 128, 96, 64};
constexpr int kDefaultKbps = 128;

bool validCodec(int codec)
{
    return codec == 0;
}

} // namespace

WmaWriter::WmaWriter() = default;

WmaWriter::~WmaWriter()
{
    if (m_engine)
        end();
}

std::vector<std::string> WmaWriter::codecNames()
{
    return {"Windows Media Audio 2"};
}

std::vector<std::string> WmaWriter::formatNames(int codec)
{
    std::vector<std::string> names;
    if (!validCodec(codec))
        return names;
    for (int kbps : kKbps)
        names.push_back(std::to_string(kbps) + " kbps, stereo");
    return names;
}

int WmaWriter::chooseCodec(int stored)
{
    const std::vector<std::string> names = codecNames();
    if (stored >= 0 && size_t(stored) < names.size())
        return stored;
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i].starts_with("Windows Media Audio 9"))
            return int(i);
    return 0;
}

int WmaWriter::chooseFormat(int codec, int stored)
{
    const std::vector<std::string> names = formatNames(codec);
    if (stored >= 0 && size_t(stored) < names.size())
        return stored;
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i].starts_with("128 kbps"))
            return int(i);
    return 0;
}

int64_t WmaWriter::bitRate(int codec, int format)
{
    if (!validCodec(codec) || format < 0 || size_t(format) >= kKbps.size())
        return int64_t(kDefaultKbps) * 1000;
    return int64_t(kKbps[size_t(format)]) * 1000;
}

bool WmaWriter::isOpen() const
{
    return m_engine != nullptr;
}

uint64_t WmaWriter::fileBytes() const
{
    return m_engine ? m_engine->fileBytes() : 0;
}

int WmaWriter::begin(const std::filesystem::path& path, uint32_t sampleRate, uint16_t channels,
                     int codec, int format)
{
    discard();
    const CodecModule* module = LoadCodecModule();
    if (!module)
        return kCodecModuleMissing;
    auto engine = module->makeWmaWriter();
    const int result = engine->begin(path, sampleRate, channels, bitRate(chooseCodec(codec), format));
    if (result < 0)
        return result;
    m_engine = std::move(engine);
    return 0;
}

int WmaWriter::write(const int16_t* samples, size_t frames)
{
    return m_engine ? m_engine->write(samples, frames) : -EINVAL;
}

int WmaWriter::end()
{
    if (!m_engine)
        return 0;
    const int result = m_engine->end();
    m_engine.reset();
    return result;
}

void WmaWriter::discard()
{
    if (!m_engine)
        return;
    m_engine->discard();
    m_engine.reset();
}

} // namespace rz
