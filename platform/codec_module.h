#pragma once

// FFmpeg, and the hundred libraries it brings along, live in a module of
// their own that is loaded on the first audio decode or encode: a start that
// touches no audio file does not pay for loading them, in time or memory.
// The module is built with the program by the same compiler, so C++ types
// cross the boundary.

#include "platform/audio_decoder.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

namespace rz {

// One decode inside the module; the calls of AudioDecoder.
class DecoderEngine {
public:
    virtual ~DecoderEngine() = default;
    // `url` names a file FFmpeg may open ("file:/proc/self/fd/N").
    virtual int open(const std::string& url, uint32_t outputRate) = 0;
    virtual int openMemory(std::span<const uint8_t> bytes, uint32_t outputRate) = 0;
    virtual int64_t durationHns() const = 0;
    virtual AudioDecoder::Status decodeNext(const AudioDecoder::Sink& sink) = 0;
    virtual int lastError() const = 0;
};

// One Windows Media Audio file inside the module; the calls of WmaWriter.
// A failed begin leaves nothing open and no file behind.
class WmaEngine {
public:
    virtual ~WmaEngine() = default;
    virtual int begin(const std::filesystem::path& path, uint32_t sampleRate, uint16_t channels,
                      int64_t bitRate) = 0;
    virtual int write(const int16_t* samples, size_t frames) = 0;
    virtual int end() = 0;
    virtual void discard() = 0;
    virtual uint64_t fileBytes() const = 0;
};

struct CodecModule {
    int version = 0;
    std::unique_ptr<DecoderEngine> (*makeDecoder)() = nullptr;
    std::unique_ptr<WmaEngine> (*makeWmaWriter)() = nullptr;
    // The text of a negative FFmpeg code.
    std::string (*errorText)(int code) = nullptr;
};

// Raised whenever the module's interface changes, so a stale module is refused.
inline constexpr int kCodecModuleVersion = 1;
// The module's one exported function: `const CodecModule* rzCodecModule()`.
inline constexpr char kCodecModuleEntry[] = "rzCodecModule";
// Answered by every call when the module cannot be loaded. Negative like
// FFmpeg's codes and none of them; audioErrorText gives the loader's reason.
inline constexpr int kCodecModuleMissing = -0x4d435a52;

// The module, loaded once on the first call from any thread (which waits for
// the load); null when it cannot be loaded, with the reason in
// CodecModuleProblem(). Never on a realtime thread.
const CodecModule* LoadCodecModule();
std::string CodecModuleProblem();

} // namespace rz
