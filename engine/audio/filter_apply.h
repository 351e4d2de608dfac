#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace rz {

class LadspaFilter;

// Why a filter run ended; shown as "Sorry, LADSPA error: %08x".
inline constexpr int32_t kFilterCancelled = -1;        // the user stopped it: no message
inline constexpr int32_t kFilterInputFormat = -7;      // an input not in the engine's format
inline constexpr int32_t kFilterInputUnreadable = -8;  // an input that cannot be opened
inline constexpr int32_t kFilterNoInstance = -106;     // the plug-in refused an instance
inline constexpr int32_t kFilterNoEngine = -109;       // no audio engine to audition on
inline constexpr int32_t kFilterOutputUnwritable = -1015;

// "Sorry, LADSPA error: fffffff8".
std::string filterErrorMessage(int32_t error);

// Creates an unused ".wav" file in `folder`, exclusively, so no other thread
// or program can take the same name: "<base>.wav", "<base>_2.wav", ... The
// base is the hint's stem less a "_<digits>" tail, or "take". Empty on
// failure, with the reason.
std::filesystem::path claimAudioFile(const std::filesystem::path& folder,
                                     const std::filesystem::path& hint, std::string& reason);

// Told what a run does, on the run's worker thread.
class IFilterApplyListener {
public:
    virtual ~IFilterApplyListener() = default;
    // A clip begins: its index and its size (frames, or the caller's
    // milliseconds for a file that cannot be inspected).
    virtual void clipStarted(size_t clip, int64_t size) = 0;
    // Frames done of this clip, and of the whole run in the same units.
    virtual void progress(int64_t clipDone, int64_t overallDone) = 0;
    // The run ended with 0 or an error code; the outputs are final.
    virtual void finished(int32_t error) = 0;
};

// Renders each input wave file through a started-afresh filter into a new
// wave file of the work folder, in 4096-frame blocks. Every end other than
// success deletes every output of the run.
class FilterApplyRun {
public:
    FilterApplyRun(LadspaFilter& filter, std::filesystem::path workFolder,
                   std::vector<std::filesystem::path> inputs, std::vector<int64_t> durationsMs);
    ~FilterApplyRun();
    FilterApplyRun(const FilterApplyRun&) = delete;
    FilterApplyRun& operator=(const FilterApplyRun&) = delete;

    // One size per input: its frames from the file's length, or the caller's
    // milliseconds when the file cannot be inspected.
    const std::vector<int64_t>& sizes() const { return m_sizes; }
    int64_t overallSize() const;

    // Runs on a worker thread below normal priority.
    void start(IFilterApplyListener* listener);
    // Any thread: the worker stops at its next block.
    void cancel() { m_cancel.store(true, std::memory_order_relaxed); }
    bool done() const { return m_done.load(std::memory_order_acquire); }
    // Waits for the worker; its result.
    int32_t wait();
    // The whole run on the calling thread; 0 or the error.
    int32_t run(IFilterApplyListener* listener);

    // After the run: one output per input on success, else none.
    const std::vector<std::filesystem::path>& outputs() const { return m_outputs; }
    int32_t error() const { return m_error; }

private:
    int32_t runClip(size_t clip, int64_t& overall, IFilterApplyListener* listener);
    void removeOutputs();

    LadspaFilter& m_filter;
    std::filesystem::path m_workFolder;
    std::vector<std::filesystem::path> m_inputs;
    std::vector<int64_t> m_sizes;
    std::vector<std::filesystem::path> m_outputs;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_done{true};
    int32_t m_error = 0;
    std::thread m_worker;
};

// Whether the file opens for reading: an input that does not is told apart
// from one that opens but holds no usable wave.
bool canOpenFile(const std::filesystem::path& path);

// Lowers the calling thread's priority below the program's others.
void lowerThreadPriority();

} // namespace rz
