#include "engine/audio/wave_grabber.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

#include "core/log.h"
#include "engine/audio/wave_disk_writer.h"
#include "engine/audio/wave_file.h"

namespace rz {
namespace {

// Work per Step, so the progress dialog stays responsive.
constexpr auto kStepBudget = std::chrono::milliseconds(50);
// Audio per Step, so that a fast machine still shows the progress rising.
constexpr uint64_t kStepSeconds = 1;

} // namespace

std::string WaveConvertorMessage(int32_t code)
{
    char text[64];
    std::snprintf(text, sizeof text, "Failed to setup the WaveConvertor: %08x", uint32_t(code));
    return text;
}

bool NeedsConversion(const std::filesystem::path& path, uint32_t engineRate)
{
    std::string reason;
    return ReadWaveFile(path, engineRate, reason) == nullptr;
}

CWaveGrabber::CWaveGrabber(std::filesystem::path sourcePath, std::filesystem::path targetPath,
                           uint32_t engineRate, uint64_t dataLimit)
    : m_sourcePath(std::move(sourcePath)),
      m_targetPath(std::move(targetPath)),
      m_engineRate(engineRate),
      m_dataLimit(std::min(dataLimit, kWaveDataLimit) / kFrameBytes * kFrameBytes)
{
}

CWaveGrabber::CWaveGrabber(std::span<const uint8_t> sourceBytes, std::filesystem::path targetPath,
                           uint32_t engineRate, uint64_t dataLimit)
    : m_sourceBytes(sourceBytes),
      m_fromMemory(true),
      m_targetPath(std::move(targetPath)),
      m_engineRate(engineRate),
      m_dataLimit(std::min(dataLimit, kWaveDataLimit) / kFrameBytes * kFrameBytes)
{
}

CWaveGrabber::~CWaveGrabber()
{
    Release();
}

int32_t CWaveGrabber::BuildGraph()
{
    Release();
    const int opened = m_fromMemory ? m_decoder.openMemory(m_sourceBytes, m_engineRate)
                                    : m_decoder.open(m_sourcePath, m_engineRate);
    if (opened < 0)
        return opened;
    std::string reason;
    if (!m_target.create(m_targetPath, reason) || !m_target.write(engineWaveHeader(m_engineRate), reason)) {
        if (m_target.isOpen())
            m_target.discard();
        m_decoder.close();
        writeLog(reason);
        return -EIO;
    }
    m_dataBytes = 0;
    m_stopped = false;
    m_endReason.clear();
    if (const int64_t hns = m_decoder.durationHns(); hns > 0) {
        m_durationHns = hns;
        m_durationMs = uint32_t(std::min<int64_t>((hns + 5000) / 10000, UINT32_MAX));
    } else {
        m_durationHns = 10'000'000;
        m_durationMs = 1000;
    }
    m_running = true;
    return 0;
}

int CWaveGrabber::Step(double* progress)
{
    if (!m_running) {
        if (progress)
            *progress = 1.0;
        return 0;
    }
    const auto deadline = std::chrono::steady_clock::now() + kStepBudget;
    const AudioDecoder::Sink sink = [this](const int16_t* samples, size_t frames) { append(samples, frames); };
    const uint64_t stepEnd = m_dataBytes + kStepSeconds * m_engineRate * kFrameBytes;
    AudioDecoder::Status status = AudioDecoder::Status::More;
    while (status == AudioDecoder::Status::More && !m_stopped && m_dataBytes < stepEnd
           && std::chrono::steady_clock::now() < deadline)
        status = m_decoder.decodeNext(sink);
    if (status == AudioDecoder::Status::Failed)
        end("decoding stopped: " + audioErrorText(m_decoder.lastError()));
    if (status != AudioDecoder::Status::More || m_stopped) {
        m_running = false;
        m_decoder.close();
        if (progress)
            *progress = 1.0;
        return 0;
    }
    if (progress) {
        const double seconds = double(framesWritten()) / m_engineRate;
        *progress = std::clamp(seconds * 1e7 / double(m_durationHns), 0.0, 1.0);
    }
    return 1;
}

// The sizes are 32 bits: a longer source ends at the limit instead of
// wrapping them.
void CWaveGrabber::append(const int16_t* samples, size_t frames)
{
    if (m_stopped)
        return;
    uint64_t bytes = uint64_t(frames) * kFrameBytes;
    const bool capped = bytes > m_dataLimit - m_dataBytes;
    if (capped)
        bytes = m_dataLimit - m_dataBytes;
    std::string reason;
    if (!m_target.write({reinterpret_cast<const uint8_t*>(samples), size_t(bytes)}, reason)) {
        end(reason);
        return;
    }
    m_dataBytes += bytes;
    if (capped)
        end(m_targetPath.filename().string() + ": the source is longer than a wave file can hold; "
            "the import ends after " + std::to_string(framesWritten() / m_engineRate) + " s");
}

void CWaveGrabber::end(std::string reason)
{
    m_stopped = true;
    if (m_endReason.empty()) {
        m_endReason = std::move(reason);
        writeLog(m_endReason);
    }
}

void CWaveGrabber::Release()
{
    m_running = false;
    m_decoder.close();
    if (!m_target.isOpen())
        return;
    std::string reason;
    if (!finishTarget(reason))
        end(reason);
}

// Patches L - 8 and L - 44 into the header, as the disk writer does.
bool CWaveGrabber::finishTarget(std::string& reason)
{
    std::array<uint8_t, 4> riffSize{};
    std::array<uint8_t, 4> dataSize{};
    PutLe32(riffSize.data(), uint32_t(CWaveDiskWriter::kHeaderBytes - 8 + m_dataBytes));
    PutLe32(dataSize.data(), uint32_t(m_dataBytes));
    const bool written = m_target.writeAt(kRiffSizeOffset, riffSize, reason)
                         && m_target.writeAt(CWaveDiskWriter::kDataSizeOffset, dataSize, reason);
    std::string closeError;
    const bool closed = m_target.close(closeError);
    if (written && !closed)
        reason = closeError;
    return written && closed;
}

} // namespace rz
