#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace rz {

class WmaEngine;

// Writes 16-bit interleaved PCM as Windows Media Audio 2 in an ASF file
// through FFmpeg: the samples are converted to the encoder's format and
// gathered into its fixed frame size. Every call reports failure as a
// negative FFmpeg code. One thread at a time; never a realtime thread.
// FFmpeg itself is loaded on the first begin (platform/codec_module.h).
class WmaWriter {
public:
    WmaWriter();
    ~WmaWriter();
    WmaWriter(const WmaWriter&) = delete;
    WmaWriter& operator=(const WmaWriter&) = delete;

    // The codecs and, per codec, the formats the two lists offer.
    static std::vector<std::string> codecNames();
    static std::vector<std::string> formatNames(int codec);
    // A stored codec index, or below 0 the default: the first codec named
    // "Windows Media Audio 9...", else the first codec.
    static int chooseCodec(int stored);
    // A stored format index, or below 0 the first "128 kbps" format, else the
    // first format.
    static int chooseFormat(int codec, int stored);
    // The bit rate a codec and format select; indexes out of range give the
    // defaults.
    static int64_t bitRate(int codec, int format);

    // Creates the file and starts the encoder; 0, or the negative code of the
    // step that failed (a rate or channel count the encoder refuses among
    // them). A file that could not be started is removed again.
    int begin(const std::filesystem::path& path, uint32_t sampleRate, uint16_t channels, int codec,
              int format);
    // Encodes `frames` frames of interleaved 16-bit samples.
    int write(const int16_t* samples, size_t frames);
    // Encodes what is left, writes the trailer and closes the file.
    int end();
    // Closes without finishing and removes the file.
    void discard();

    bool isOpen() const;
    // Bytes written to the file so far.
    uint64_t fileBytes() const;

private:
    std::unique_ptr<WmaEngine> m_engine;
};

} // namespace rz
