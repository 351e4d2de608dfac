#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <alsa/asoundlib.h>

namespace rz {

struct AlsaPortInfo {
    std::string name; // the port's own name
    int client = 0;
    int port = 0;
    bool hardware = false;
};

// Receives the events that arrive at one of our input ports, on the
// client's reader thread.
class AlsaEventSink {
public:
    virtual ~AlsaEventSink() = default;
    virtual void deliver(const snd_seq_event_t& event) = 0;
};

// The program's one ALSA sequencer client, "DEVU Rizoraz", shared by
// enumeration and every ALSA device; it exists only where the sequencer
// does. One reader thread, running while an input port is open, hands each
// arriving event to the sink of the port it reached. Callable from any
// thread except the reader thread.
class AlsaSeqClient {
public:
    // The client, opened on first use; null without a sequencer.
    static std::shared_ptr<AlsaSeqClient> acquire();
    ~AlsaSeqClient();
    AlsaSeqClient(const AlsaSeqClient&) = delete;
    AlsaSeqClient& operator=(const AlsaSeqClient&) = delete;

    // Other clients' ports we can send to (`destinations`) or read from;
    // neither ours nor the system client's.
    std::vector<AlsaPortInfo> ports(bool destinations) const;

    // A port of ours; -1 with the reason in `error`.
    int createPort(bool output, std::string& error);
    void deletePort(int port);
    // Subscribes our port to another client's port, or theirs to ours.
    // Empty on success, else the reason.
    std::string connectTo(int ourPort, int client, int port);
    std::string connectFrom(int ourPort, int client, int port);

    // Sends at once, bypassing the output buffer; the ALSA result code.
    // Never waits: a full kernel pool gives -EAGAIN.
    int sendDirect(snd_seq_event_t& event);
    int drainOutput();
    // Schedules `event` on our output queue at a steady-clock moment (ns);
    // one already past goes at once. Without a queue (none could be made or
    // its clock cannot be read) it stays a direct event, for now; the log
    // says so once.
    void scheduleAt(snd_seq_event_t& event, int64_t steadyNs);
    // Makes and starts the output queue once; false without one. Devices
    // call it while opening, so the timer thread never does the work.
    bool prepareOutputQueue();

    // `sink` gets what reaches `ourPort` from now on.
    bool addSink(int ourPort, AlsaEventSink* sink);
    // On return the reader thread does not run `sink` and never will.
    void removeSink(int ourPort);
    // Events the kernel dropped because our input queue overflowed.
    uint64_t overrunCount() const { return m_overruns.load(std::memory_order_relaxed); }

private:
    explicit AlsaSeqClient(snd_seq_t* seq);
    void readerLoop();
    void readPending();
    void stopReader();

    snd_seq_t* m_seq;
    int m_clientId;
    mutable std::mutex m_output;  // one writer at a time
    std::mutex m_sinksMutex;      // guards m_sinks; held while a sink runs
    std::map<int, AlsaEventSink*> m_sinks;
    std::thread m_reader;
    int m_stopFd = -1;            // eventfd that ends the reader thread
    std::atomic<uint64_t> m_overruns{0};
    // The output queue, made and started on first use; -1 when none could be.
    std::once_flag m_queueMade;
    int m_queue = -1;
    int64_t m_queueZeroNs = 0; // the steady-clock moment of queue time 0
    bool startQueue();
};

} // namespace rz
