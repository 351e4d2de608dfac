// Reading wave files into clip samples, and the engine's PCM formats.
#include "engine/audio/wave_file.h"

#include <algorithm>
#include <bit>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/mman.h>

#include "core/byte_reader.h"
#include "core/input_file.h"

namespace rz {

// Where the bytes of a wave file come from.
class WaveSource {
public:
    virtual ~WaveSource() = default;
    virtual uint64_t size() const = 0;
    // Reads exactly `count` bytes at `offset`, inside size().
    virtual bool read(uint64_t offset, void* out, size_t count, std::string& reason) = 0;
};

namespace {

static_assert(std::endian::native == std::endian::little, "samples are read straight into memory");

constexpr size_t kRiffHeaderBytes = 12;
constexpr size_t kChunkHeaderBytes = 8;
constexpr size_t kFormatBytes = 16;
constexpr size_t kExtensibleBytes = 40;
constexpr uint32_t kSizeUnknown = 0xFFFFFFFF;
// Every size field is 32 bits: a longer file holds nothing a RIFF reader sees.
constexpr uint64_t kMostWaveFileBytes = 0x100000000ull + kChunkHeaderBytes;
// The fixed fields of a "bext" chunk (description to reserved bytes); the
// coding history after them is never used, however long it is.
constexpr uint32_t kBextKeptBytes = 602;

// The PCM sub-format of the extensible form: 0x0001 and the fixed tail.
constexpr uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};


class MemorySource final : public WaveSource {
public:
    explicit MemorySource(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    uint64_t size() const override { return m_bytes.size(); }
    bool read(uint64_t offset, void* out, size_t count, std::string&) override
    {
        if (count > 0) // an empty block has no address
            std::memcpy(out, m_bytes.data() + offset, count);
        return true;
    }

private:
    std::span<const uint8_t> m_bytes;
};

class FileSource final : public WaveSource {
public:
    bool open(const std::filesystem::path& path, std::string& reason)
    {
        m_file = InputFile::open(path, kMostWaveFileBytes, reason);
        return m_file.has_value();
    }
    uint64_t size() const override { return m_file->size(); }
    bool read(uint64_t offset, void* out, size_t count, std::string& reason) override
    {
        return m_file->readAt(offset, out, count, reason);
    }

private:
    std::optional<InputFile> m_file;
};

// The first write to each 4 kB page costs a fault, and in a virtual machine
// a dear one: a clip of gigabytes took half a million of them, more time
// than the reading. Huge pages, where the system grants them, take 512
// times fewer. Only whole huge pages inside the block are asked for.
void adviseHugePages(void* data, size_t bytes)
{
    constexpr uintptr_t kHugePage = uintptr_t(2) << 20;
    const uintptr_t first = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHugePage - 1);
    if (end > first)
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

std::string hex(uint64_t offset)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%" PRIX64, offset);
    return text;
}

std::string chunkName(const std::array<char, 4>& id)
{
    std::string name;
    for (char c : id)
        name += c >= 0x20 && c < 0x7F ? c : '?';
    return "\"" + name + "\"";
}

// Why the format cannot be played, or empty when it can.
std::string refuseFormat(const WaveFormat& format, std::span<const uint8_t> subFormat,
                         uint32_t engineRate)
{
    if (format.sampleRate == 0)
        return "a sample rate of 0";
    if (format.blockAlign == 0)
        return "a block align of 0";
    if (format.formatTag == kWaveFormatExtensible) {
        if (subFormat.size() != sizeof kPcmSubFormat
            || !std::equal(subFormat.begin(), subFormat.end(), kPcmSubFormat))
            return "extensible samples that are not PCM";
    } else if (format.formatTag != kWaveFormatPcm) {
        char text[48];
        std::snprintf(text, sizeof text, "format tag 0x%04X, not PCM", format.formatTag);
        return text;
    }
    if (format.bitsPerSample != 16)
        return std::to_string(format.bitsPerSample) + "-bit samples; 16-bit needed";
    if (format.channels == 1)
        return "mono samples; stereo needed";
    if (format.channels != 2)
        return std::to_string(format.channels) + " channels; stereo needed";
    if (format.blockAlign != 4)
        return "a block align of " + std::to_string(format.blockAlign) + "; 4 needed";
    if (format.sampleRate != engineRate)
        return std::to_string(format.sampleRate) + " Hz; the engine runs at "
               + std::to_string(engineRate) + " Hz";
    return {};
}

// The "fmt " body, checked for what the engine plays; stored as plain PCM.
bool readFormat(ByteReader body, uint32_t engineRate, WaveFormat& format, std::string& reason)
{
    if (body.size() < kFormatBytes) {
        reason = "its " + std::to_string(body.size()) + " bytes are too short (16 needed)";
        return false;
    }
    format.formatTag = *body.u16le();
    format.channels = *body.u16le();
    format.sampleRate = *body.u32le();
    format.bytesPerSecond = *body.u32le();
    format.blockAlign = *body.u16le();
    format.bitsPerSample = *body.u16le();
    std::span<const uint8_t> subFormat;
    if (format.formatTag == kWaveFormatExtensible && body.size() >= kExtensibleBytes) {
        body.seek(kExtensibleBytes - sizeof kPcmSubFormat);
        subFormat = *body.bytes(sizeof kPcmSubFormat);
    }
    reason = refuseFormat(format, subFormat, engineRate);
    if (!reason.empty())
        return false;
    format.formatTag = kWaveFormatPcm;
    format.extraSize = 0;
    format.bytesPerSecond = format.sampleRate * format.blockAlign;
    return true;
}

// Reads the headers of a wave file; the samples are left for WaveFileLoad.
class WaveParser {
public:
    WaveParser(WaveSource& source, uint32_t engineRate) : m_source(source), m_engineRate(engineRate) {}

    // The format and "bext" chunk, and where the samples lie.
    std::shared_ptr<AudioClipSamples> parse(uint64_t& dataOffset, uint64_t& dataBytes, std::string& reason)
    {
        if (!readRiffHeader(reason))
            return nullptr;
        for (uint64_t at = kRiffHeaderBytes; at + kChunkHeaderBytes <= m_source.size();) {
            if (!readChunk(at, reason))
                return nullptr;
        }
        if (!m_haveFormat)
            reason = "no \"fmt \" chunk";
        else if (!m_haveData)
            reason = "no \"data\" chunk";
        else {
            dataOffset = m_dataOffset;
            dataBytes = m_dataBytes;
            return m_samples;
        }
        return nullptr;
    }

private:
    bool readRiffHeader(std::string& reason)
    {
        std::array<uint8_t, kRiffHeaderBytes> bytes{};
        if (m_source.size() < bytes.size()) {
            reason = "not a RIFF WAVE file (shorter than its header)";
            return false;
        }
        if (!m_source.read(0, bytes.data(), bytes.size(), reason))
            return false;
        if (std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
            reason = "not a RIFF WAVE file";
            return false;
        }
        return true;
    }

    // Reads the chunk whose header is at `at` and moves `at` past it and its
    // pad byte.
    bool readChunk(uint64_t& at, std::string& reason)
    {
        std::array<uint8_t, kChunkHeaderBytes> header{};
        if (!m_source.read(at, header.data(), header.size(), reason))
            return false;
        std::array<char, 4> id{};
        std::memcpy(id.data(), header.data(), id.size());
        const uint32_t size = uint32_t(header[4]) | uint32_t(header[5]) << 8
                              | uint32_t(header[6]) << 16 | uint32_t(header[7]) << 24;
        const uint64_t body = at + kChunkHeaderBytes;
        const uint64_t left = m_source.size() - body;
        const std::string_view name(id.data(), id.size());
        if (name == "data") {
            if (!m_haveData && !readData(at, size, left, reason))
                return false;
            at = (size == 0 || size == kSizeUnknown) ? m_source.size() : body + size + (size & 1);
            return true;
        }
        if ((name == "fmt " && !m_haveFormat) || (name == "bext" && !m_haveExtra)) {
            if (size > left) {
                reason = chunkName(id) + " chunk at " + hex(at) + " runs past the end of the file ("
                         + hex(m_source.size()) + ")";
                return false;
            }
            if (!readHeaderChunk(at, name, size, reason))
                return false;
        }
        at = body + size + (size & 1);
        return true;
    }

    // A "fmt " or "bext" chunk, already checked to lie inside the file. Only
    // the bytes the program uses are read.
    bool readHeaderChunk(uint64_t at, std::string_view name, uint32_t size, std::string& reason)
    {
        const uint32_t kept = std::min(size, name == "bext" ? kBextKeptBytes : uint32_t(kExtensibleBytes));
        std::vector<uint8_t> body(kept);
        if (!m_source.read(at + kChunkHeaderBytes, body.data(), body.size(), reason))
            return false;
        if (name == "bext") {
            m_samples->extra = std::move(body);
            m_haveExtra = true;
            return true;
        }
        if (!readFormat(ByteReader(body, size_t(at + kChunkHeaderBytes)), m_engineRate, m_samples->format,
                        reason)) {
            reason = "\"fmt \" chunk at " + hex(at) + ": " + reason;
            return false;
        }
        m_haveFormat = true;
        return true;
    }

    // The first "data" chunk, bounded by the file's end, whole frames only;
    // its samples are read once every header is in.
    bool readData(uint64_t at, uint32_t size, uint64_t left, std::string& reason)
    {
        if (!m_haveFormat) {
            reason = "\"data\" chunk at " + hex(at) + " comes before any \"fmt \" chunk";
            return false;
        }
        const uint64_t stated = (size == 0 || size == kSizeUnknown) ? left : size;
        const WaveFormat& format = m_samples->format;
        m_dataOffset = at + kChunkHeaderBytes;
        m_dataBytes = std::min(stated, left) / format.blockAlign * format.blockAlign;
        m_haveData = true;
        return true;
    }

    WaveSource& m_source;
    uint32_t m_engineRate;
    std::shared_ptr<AudioClipSamples> m_samples = std::make_shared<AudioClipSamples>();
    bool m_haveFormat = false;
    bool m_haveData = false;
    bool m_haveExtra = false;
    uint64_t m_dataOffset = 0;
    uint64_t m_dataBytes = 0;
};

} // namespace

WaveFileLoad::WaveFileLoad(std::unique_ptr<WaveSource> source, std::string name)
    : m_source(std::move(source)), m_name(std::move(name))
{
}

WaveFileLoad::~WaveFileLoad() = default;

std::unique_ptr<WaveFileLoad> WaveFileLoad::begin(std::unique_ptr<WaveSource> source, std::string name,
                                                  uint32_t engineRate, std::string& reason)
{
    std::unique_ptr<WaveFileLoad> load(new WaveFileLoad(std::move(source), std::move(name)));
    load->m_samples = WaveParser(*load->m_source, engineRate).parse(load->m_dataOffset, load->m_dataBytes, reason);
    if (!load->m_samples) {
        reason = load->m_name + reason;
        return nullptr;
    }
    // Claimed, not touched: each block's pages are first written as it is read.
    std::vector<int16_t>& samples = load->m_samples->samples;
    samples.reserve(size_t(load->m_dataBytes / sizeof(int16_t)));
    adviseHugePages(samples.data(), samples.capacity() * sizeof(int16_t));
    return load;
}

std::unique_ptr<WaveFileLoad> WaveFileLoad::start(const std::filesystem::path& path, uint32_t engineRate,
                                                  std::string& reason)
{
    auto source = std::make_unique<FileSource>();
    if (!source->open(path, reason)) {
        reason = path.string() + ": " + reason;
        return nullptr;
    }
    return begin(std::move(source), path.string() + ": ", engineRate, reason);
}

bool WaveFileLoad::readUntil(std::chrono::steady_clock::time_point until, std::string& reason)
{
    std::vector<int16_t>& samples = m_samples->samples;
    while (m_doneBytes < m_dataBytes) {
        const size_t block = size_t(std::min<uint64_t>(kBlockBytes, m_dataBytes - m_doneBytes));
        samples.resize(samples.size() + block / sizeof(int16_t));
        if (!m_source->read(m_dataOffset + m_doneBytes, reinterpret_cast<uint8_t*>(samples.data()) + m_doneBytes,
                            block, reason)) {
            reason = m_name + reason;
            return false;
        }
        m_doneBytes += block;
        if (std::chrono::steady_clock::now() >= until)
            break;
    }
    return true;
}

double WaveFileLoad::fraction() const
{
    return m_dataBytes == 0 ? 1.0 : double(m_doneBytes) / double(m_dataBytes);
}

std::shared_ptr<const AudioClipSamples> WaveFileLoad::samples() const
{
    return done() ? m_samples : nullptr;
}

std::shared_ptr<const AudioClipSamples> ReadWaveFile(const std::filesystem::path& path,
                                                     uint32_t engineRate, std::string& reason)
{
    std::unique_ptr<WaveFileLoad> load = WaveFileLoad::start(path, engineRate, reason);
    if (!load || !load->readUntil(std::chrono::steady_clock::time_point::max(), reason))
        return nullptr;
    return load->samples();
}

std::shared_ptr<const AudioClipSamples> ReadWaveBytes(std::span<const uint8_t> bytes,
                                                      uint32_t engineRate, std::string& reason)
{
    std::unique_ptr<WaveFileLoad> load =
        WaveFileLoad::begin(std::make_unique<MemorySource>(bytes), "", engineRate, reason);
    if (!load || !load->readUntil(std::chrono::steady_clock::time_point::max(), reason))
        return nullptr;
    return load->samples();
}

void WaveFormatFromIndex(uint32_t index, WaveFormat& format)
{
    static constexpr uint32_t kRates[] = {11025, 22050, 44100};
    if (index / 4 < std::size(kRates))
        format.sampleRate = kRates[index / 4];
    const uint32_t kind = index % 4;
    format.bitsPerSample = kind >= 2 ? 16 : 8;
    format.channels = kind % 2 == 1 ? 2 : 1;
    format.blockAlign = uint16_t(format.bitsPerSample / 8 * format.channels);
    format.bytesPerSecond = format.sampleRate * format.blockAlign;
}

void PutLe32(uint8_t* at, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i)
        at[i] = uint8_t(value >> (8 * i));
}

std::array<uint8_t, 16> FormatChunkBytes(const WaveFormat& format)
{
    std::array<uint8_t, 16> bytes{};
    auto put = [&](size_t at, uint32_t value, size_t width) {
        for (size_t i = 0; i < width; ++i)
            bytes[at + i] = uint8_t(value >> (8 * i));
    };
    put(0, format.formatTag, 2);
    put(2, format.channels, 2);
    put(4, format.sampleRate, 4);
    put(8, format.bytesPerSecond, 4);
    put(12, format.blockAlign, 2);
    put(14, format.bitsPerSample, 2);
    return bytes;
}

} // namespace rz
