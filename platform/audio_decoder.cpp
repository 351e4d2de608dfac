#include "platform/audio_decoder.h"

#include "core/input_file.h"
#include "platform/codec_module.h"

#include <cerrno>
#include <cstring>
#include <limits>

namespace rz {
namespace {

// FFmpeg's codes for system errors are the negated errno values.
constexpr int kLargestErrno = 4095;

} // namespace

AudioDecoder::AudioDecoder() = default;
AudioDecoder::~AudioDecoder() = default;

void AudioDecoder::close()
{
    m_engine.reset();
    m_lastError = 0;
}

bool AudioDecoder::makeEngine()
{
    const CodecModule* module = LoadCodecModule();
    if (module)
        m_engine = module->makeDecoder();
    return m_engine != nullptr;
}

int AudioDecoder::open(const std::filesystem::path& path, uint32_t outputRate)
{
    close();
    // FFmpeg would wait on a FIFO: only a regular file is handed on, by its
    // open descriptor, so the name cannot be swapped for another meanwhile.
    std::string refusal;
    const auto file = InputFile::open(path, std::numeric_limits<uint64_t>::max(), refusal);
    if (!file)
        return m_lastError = -EINVAL;
    if (!makeEngine())
        return m_lastError = kCodecModuleMissing;
    const int opened = m_engine->open("file:/proc/self/fd/" + std::to_string(file->fd()), outputRate);
    if (opened < 0) {
        m_engine.reset();
        return m_lastError = opened;
    }
    return 0;
}

int AudioDecoder::openMemory(std::span<const uint8_t> bytes, uint32_t outputRate)
{
    close();
    if (!makeEngine())
        return m_lastError = kCodecModuleMissing;
    const int opened = m_engine->openMemory(bytes, outputRate);
    if (opened < 0) {
        m_engine.reset();
        return m_lastError = opened;
    }
    return 0;
}

int64_t AudioDecoder::durationHns() const
{
    return m_engine ? m_engine->durationHns() : 0;
}

AudioDecoder::Status AudioDecoder::decodeNext(const Sink& sink)
{
    if (!m_engine)
        return Status::Failed;
    const Status status = m_engine->decodeNext(sink);
    if (status == Status::Failed)
        m_lastError = m_engine->lastError();
    return status;
}

std::string audioErrorText(int code)
{
    if (code == kCodecModuleMissing)
        return "the audio library could not be loaded: " + CodecModuleProblem();
    // System errors need no library: a refused file does not load FFmpeg.
    if (code < 0 && code >= -kLargestErrno)
        return std::strerror(-code);
    const CodecModule* module = LoadCodecModule();
    return module ? module->errorText(code) : "error " + std::to_string(code);
}

} // namespace rz
