#include "engine/audio/filter_apply.h"

#include "engine/audio/audio_filter.h"
#include "engine/audio/wave_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <span>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace rz {

namespace {

constexpr int64_t kWaveHeaderBytes = 44;
constexpr int64_t kFrameBytes = 4; // 16-bit stereo

std::string baseOf(const std::filesystem::path& hint)
{
    std::string base = hint.stem().string();
    size_t run = base.find_last_not_of("_0123456789");
    run = run == std::string::npos ? 0 : run + 1;
    if (const size_t underscore = base.find('_', run); underscore != std::string::npos)
        base.erase(underscore);
    return base.empty() ? std::string("take") : base;
}

WaveFormat engineFormat(uint32_t rate)
{
    WaveFormat format;
    format.sampleRate = rate;
    format.bytesPerSecond = rate * uint32_t(kFrameBytes);
    return format;
}

} // namespace

std::string filterErrorMessage(int32_t error)
{
    char text[48];
    std::snprintf(text, sizeof text, "Sorry, LADSPA error: %08x", uint32_t(error));
    return text;
}

std::filesystem::path claimAudioFile(const std::filesystem::path& folder,
                                     const std::filesystem::path& hint, std::string& reason)
{
    const std::string base = baseOf(hint);
    for (int n = 1; n < 100000; ++n) {
        const std::string suffix = n > 1 ? "_" + std::to_string(n) : std::string();
        const std::filesystem::path candidate = folder / (base + suffix + ".wav");
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST) {
            reason = candidate.string() + ": " + std::strerror(errno);
            return {};
        }
    }
    reason = folder.string() + ": no unused file name";
    return {};
}

bool canOpenFile(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

void lowerThreadPriority()
{
    const auto thread = id_t(::syscall(SYS_gettid));
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, thread);
    if (errno == 0)
        ::setpriority(PRIO_PROCESS, thread, std::min(nice + 5, 19));
}

FilterApplyRun::FilterApplyRun(LadspaFilter& filter, std::filesystem::path workFolder,
                               std::vector<std::filesystem::path> inputs,
                               std::vector<int64_t> durationsMs)
    : m_filter(filter), m_workFolder(std::move(workFolder)), m_inputs(std::move(inputs))
{
    for (size_t i = 0; i < m_inputs.size(); ++i) {
        std::error_code error;
        const auto bytes = std::filesystem::file_size(m_inputs[i], error);
        if (!error && int64_t(bytes) > kWaveHeaderBytes)
            m_sizes.push_back((int64_t(bytes) - kWaveHeaderBytes) / kFrameBytes);
        else
            m_sizes.push_back(i < durationsMs.size() ? durationsMs[i] : 0);
    }
}

FilterApplyRun::~FilterApplyRun()
{
    cancel();
    wait();
}

int64_t FilterApplyRun::overallSize() const
{
    int64_t total = 0;
    for (int64_t size : m_sizes)
        total += size;
    return total;
}

void FilterApplyRun::start(IFilterApplyListener* listener)
{
    wait();
    m_done.store(false, std::memory_order_release);
    m_worker = std::thread([this, listener] {
        lowerThreadPriority();
        run(listener);
    });
}

int32_t FilterApplyRun::wait()
{
    if (m_worker.joinable())
        m_worker.join();
    return m_error;
}

int32_t FilterApplyRun::run(IFilterApplyListener* listener)
{
    m_done.store(false, std::memory_order_release);
    m_error = 0;
    m_outputs.clear();
    int64_t overall = 0;
    for (size_t clip = 0; clip < m_inputs.size() && m_error == 0; ++clip)
        m_error = runClip(clip, overall, listener);
    m_filter.stop();
    if (m_error != 0)
        removeOutputs();
    if (listener)
        listener->finished(m_error);
    m_done.store(true, std::memory_order_release);
    return m_error;
}

// The output is claimed before anything can fail, so that a failure
// after it removes it with the others.
int32_t FilterApplyRun::runClip(size_t clip, int64_t& overall, IFilterApplyListener* listener)
{
    if (m_cancel.load(std::memory_order_relaxed))
        return kFilterCancelled;
    if (listener)
        listener->clipStarted(clip, m_sizes[clip]);
    const std::filesystem::path& input = m_inputs[clip];
    if (!canOpenFile(input))
        return kFilterInputUnreadable;
    std::string reason;
    std::shared_ptr<const AudioClipSamples> wave = ReadWaveFile(input, m_filter.rate(), reason);
    if (!wave || wave->format.channels != 2)
        return kFilterInputFormat;
    if (!m_filter.start())
        return kFilterNoInstance;
    const std::filesystem::path output = claimAudioFile(m_workFolder, input, reason);
    if (output.empty())
        return kFilterOutputUnwritable;
    m_outputs.push_back(output);
    CWaveWriter writer;
    if (!writer.Create(output, engineFormat(m_filter.rate()), reason))
        return kFilterOutputUnwritable;
    std::vector<int16_t> block(2 * LadspaFilter::kBlockFrames);
    const int64_t frames = wave->frameCount();
    for (int64_t done = 0; done < frames;) {
        if (m_cancel.load(std::memory_order_relaxed))
            return kFilterCancelled;
        const int64_t count = std::min<int64_t>(frames - done, LadspaFilter::kBlockFrames);
        std::copy_n(wave->samples.begin() + 2 * done, 2 * count, block.begin());
        filterPcm16(m_filter, std::span(block.data(), size_t(2 * count)));
        const auto* bytes = reinterpret_cast<const uint8_t*>(block.data());
        if (!writer.Write(std::span(bytes, size_t(count * kFrameBytes)), reason))
            return kFilterOutputUnwritable;
        done += count;
        if (listener)
            listener->progress(done, overall + std::min(done, m_sizes[clip]));
    }
    if (!writer.Close(reason))
        return kFilterOutputUnwritable;
    overall += m_sizes[clip];
    if (listener)
        listener->progress(frames, overall); // the sizes were estimated from file lengths
    return 0;
}

void FilterApplyRun::removeOutputs()
{
    for (const std::filesystem::path& output : m_outputs) {
        std::error_code ignored;
        std::filesystem::remove(output, ignored);
    }
    m_outputs.clear();
}

} // namespace rz
