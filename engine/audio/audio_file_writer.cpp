// The two audio file writers behind one interface: wave files of our own,
// Windows Media Audio through the platform's encoder.
#include "engine/audio/audio_file_writer.h"

#include <system_error>

#include "engine/audio/wave_file.h"
#include "platform/audio_decoder.h"
#include "platform/wma_writer.h"

namespace rz {
namespace {

// Removes a file a failed write left behind; forgets its name either way.
void removeFile(std::filesystem::path& path)
{
    std::error_code error;
    if (!path.empty())
        std::filesystem::remove(path, error);
    path.clear();
}

class WavFileWriter : public IAudioFileWriter {
public:
    int32_t begin(const std::filesystem::path& path, const WaveFormat& format, int, int) override
    {
        m_error.clear();
        if (!m_writer.Create(path, format, m_error))
            return kAudioWriteFailed;
        m_path = path;
        return 0;
    }
    bool write(std::span<const uint8_t> bytes, uint32_t, std::string& reason) override
    {
        return m_writer.Write(bytes, reason);
    }
    bool end(std::string& reason) override { return m_writer.Close(reason); }
    void discard() override
    {
        std::string ignored;
        m_writer.Close(ignored);
        removeFile(m_path);
    }
    bool isOpen() const override { return m_writer.isOpen(); }
    uint64_t fileBytes() const override
    {
        return m_writer.isOpen() || m_writer.dataBytes() > 0 ? m_writer.dataBytes() + kHeaderBytes : 0;
    }
    const std::string& beginError() const override { return m_error; }

private:
    // RIFF, "fmt ", "fact" and "data" headers.
    static constexpr uint64_t kHeaderBytes = 56;
    CWaveWriter m_writer;
    std::filesystem::path m_path;
    std::string m_error;
};

class WmaFileWriter : public IAudioFileWriter {
public:
    int32_t begin(const std::filesystem::path& path, const WaveFormat& format, int codec,
                  int formatIndex) override
    {
        m_error.clear();
        if (format.bitsPerSample != 16) {
            m_error = "Only 16-bit samples can be encoded.";
            return kAudioWriteFailed;
        }
        const int result = m_writer.begin(path, format.sampleRate, format.channels, codec, formatIndex);
        if (result < 0)
            m_error = path.string() + ": " + audioErrorText(result);
        else
            m_path = path;
        m_channels = format.channels;
        return result;
    }
    bool write(std::span<const uint8_t> bytes, uint32_t frames, std::string& reason) override
    {
        if (size_t(frames) * m_channels * sizeof(int16_t) > bytes.size()) {
            reason = "Short audio block.";
            return false;
        }
        const int result = m_writer.write(reinterpret_cast<const int16_t*>(bytes.data()), frames);
        if (result < 0)
            reason = audioErrorText(result);
        return result >= 0;
    }
    bool end(std::string& reason) override
    {
        m_lastBytes = m_writer.fileBytes();
        const int result = m_writer.end();
        if (result < 0)
            reason = audioErrorText(result);
        return result >= 0;
    }
    void discard() override
    {
        m_writer.discard();
        removeFile(m_path);
    }
    bool isOpen() const override { return m_writer.isOpen(); }
    uint64_t fileBytes() const override { return m_writer.isOpen() ? m_writer.fileBytes() : m_lastBytes; }
    const std::string& beginError() const override { return m_error; }

private:
    WmaWriter m_writer;
    std::filesystem::path m_path;
    uint16_t m_channels = 2;
    uint64_t m_lastBytes = 0;
    std::string m_error;
};

} // namespace

std::unique_ptr<IAudioFileWriter> makeAudioFileWriter(AudioFileFormat format)
{
    if (format == AudioFileFormat::Wma)
        return std::make_unique<WmaFileWriter>();
    return std::make_unique<WavFileWriter>();
}

const char* audioFileExtension(AudioFileFormat format)
{
    return format == AudioFileFormat::Wma ? ".wma" : ".wav";
}

WaveFormat engineWaveFormat(uint32_t sampleRate)
{
    WaveFormat format;
    format.formatTag = kWaveFormatPcm;
    format.channels = 2;
    format.sampleRate = sampleRate;
    format.blockAlign = 4;
    format.bitsPerSample = 16;
    format.bytesPerSecond = sampleRate * 4;
    return format;
}

} // namespace rz
