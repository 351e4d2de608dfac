#include "platform/midi_jack_out.h"

#include "platform/midi_output_latency.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>
#include <utility>

#include <jack/midiport.h>

namespace rz {

namespace {

using namespace std::chrono;

int64_t steadyNs(TickTime time)
{
    return duration_cast<nanoseconds>(time.time_since_epoch()).count();
}

// Two readings of the steady clock further apart than this around one of
// the JACK clock mean the thread was held up between them: not a pair.
constexpr int64_t kTightReadingNs = 20'000;

// The JACK clock minus the steady clock, from readings taken close
// together; false when the thread was held up between them.
bool readClockOffset(int64_t& offsetNs)
{
    const int64_t before = steadyNs(steady_clock::now());
    const int64_t jack = static_cast<int64_t>(jack_get_time()) * 1000;
    const int64_t after = steadyNs(steady_clock::now());
    if (after - before > kTightReadingNs)
        return false;
    offsetNs = jack - (before + after) / 2;
    return true;
}

// How long open() waits for the first process cycle.
constexpr milliseconds kFirstCycleWait{1000};

} // namespace

JackMidiOutDevice::JackMidiOutDevice(std::string destination, std::string displayName,
                                     MidiDeviceKind kind)
    : m_destination(std::move(destination)), m_displayName(std::move(displayName)), m_kind(kind)
{
}

JackMidiOutDevice::~JackMidiOutDevice()
{
    close();
}

bool JackMidiOutDevice::open()
{
    close();
    m_lastError.clear();
    m_client = JackMidiClient::acquire();
    if (!m_client)
        return failOpen("no JACK server is running");
    m_port = m_client->registerPort(true);
    if (!m_port)
        return failOpen("cannot register a JACK MIDI port");
    {
        std::lock_guard lock(m_producers);
        m_queue.drain(); // the process callback does not serve us yet
    }
    int64_t offsetNs = 0;
    for (int attempt = 0; attempt < 100 && !readClockOffset(offsetNs); ++attempt) {
    }
    m_clockOffsetNs.store(offsetNs);
    m_maxEventBytes.store(0);
    m_longState.store(kLongNone);
    m_gone.store(false);
    if (!m_client->addUser(this))
        return failOpen("too many JACK MIDI devices are open");
    const auto giveUp = steady_clock::now() + kFirstCycleWait;
    while (m_maxEventBytes.load() == 0 && steady_clock::now() < giveUp)
        std::this_thread::sleep_for(milliseconds(1));
    if (m_maxEventBytes.load() == 0)
        return failOpen("the JACK server runs no process cycles");
    m_longBuffer.assign(m_maxEventBytes.load(), 0);
    std::string refused = m_client->connect(jack_port_name(m_port), m_destination);
    if (!refused.empty())
        return failOpen(std::move(refused));
    m_open.store(true);
    return true;
}

bool JackMidiOutDevice::failOpen(std::string reason)
{
    close();
    m_lastError = std::move(reason);
    return false;
}

void JackMidiOutDevice::close()
{
    m_open.store(false);
    m_longDone.post(); // a waiting long send fails now
    if (!m_client)
        return;
    m_client->removeUser(this);
    m_client->unregisterPort(m_port);
    m_port = nullptr;
    m_client.reset();
}

bool JackMidiOutDevice::isOpen() const
{
    return m_open.load(std::memory_order_acquire) && !m_gone.load(std::memory_order_acquire);
}

void JackMidiOutDevice::serverGone()
{
    m_gone.store(true, std::memory_order_release);
    m_longDone.post();
}

void JackMidiOutDevice::sendShort(std::span<const uint8_t> bytes, TickTime stamp)
{
    if (!isOpen() || bytes.empty() || bytes.size() > 3)
        return;
    Queued event;
    event.stampNs = steadyNs(stamp);
    event.size = static_cast<uint8_t>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), event.bytes);
    push(event);
}

bool JackMidiOutDevice::push(const Queued& event)
{
    std::lock_guard lock(m_producers);
    return m_queue.push(event);
}

size_t JackMidiOutDevice::maxLongMessageBytes() const
{
    return m_maxEventBytes.load(std::memory_order_relaxed);
}

LongSendResult JackMidiOutDevice::sendLong(std::span<const uint8_t> bytes,
                                           std::chrono::milliseconds timeout)
{
    LongSendResult settled = LongSendResult::Failed;
    const uint64_t ticket = queueLong(bytes, timeout, settled);
    return ticket == 0 ? settled : awaitLong(ticket, timeout);
}

// One long message at a time: the buffer holds one. The marker goes into
// the queue with the short messages, so the order given is the order out.
uint64_t JackMidiOutDevice::queueLong(std::span<const uint8_t> bytes,
                                      std::chrono::milliseconds timeout, LongSendResult& settled)
{
    std::unique_lock lock(m_longSender);
    if (!m_longFree.wait_for(lock, timeout, [&] { return !m_longBusy; })) {
        settled = LongSendResult::TimedOut;
        return 0;
    }
    settled = LongSendResult::Failed;
    if (!isOpen() || bytes.empty() || bytes.size() > m_longBuffer.size())
        return 0;
    std::copy(bytes.begin(), bytes.end(), m_longBuffer.begin());
    m_longLength = bytes.size();
    const uint64_t ticket = ++m_lastTicket;
    m_longState.store(ticket, std::memory_order_release);
    Queued marker;
    marker.stampNs = steadyNs(steady_clock::now());
    marker.longTicket = ticket;
    if (!push(marker)) {
        m_longState.store(kLongNone);
        return 0;
    }
    m_longBusy = true;
    return ticket;
}

LongSendResult JackMidiOutDevice::awaitLong(uint64_t ticket, std::chrono::milliseconds timeout)
{
    const LongSendResult result = waitForLong(ticket, timeout);
    {
        std::lock_guard lock(m_longSender);
        m_longBusy = false;
    }
    m_longFree.notify_one();
    return result;
}

LongSendResult JackMidiOutDevice::waitForLong(uint64_t ticket, std::chrono::milliseconds timeout)
{
    const auto deadline = steady_clock::now() + timeout;
    for (;;) {
        const uint64_t state = m_longState.load(std::memory_order_acquire);
        if (state == kLongNone)
            return LongSendResult::Delivered;
        if (state == kLongRefused) {
            m_longState.store(kLongNone);
            return LongSendResult::Failed;
        }
        const bool late = steady_clock::now() >= deadline;
        if (state == ticket && (!isOpen() || late) && cancelLong(ticket))
            return isOpen() ? LongSendResult::TimedOut : LongSendResult::Failed;
        if (state == kLongWriting && late && !isOpen())
            return LongSendResult::Failed; // the server went in the middle of the write
        // While the callback writes, look again soon; else sleep to the deadline.
        m_longDone.waitUntil(state == kLongWriting || late ? steady_clock::now() + milliseconds(1)
                                                           : deadline);
    }
}

bool JackMidiOutDevice::cancelLong(uint64_t ticket)
{
    uint64_t expected = ticket;
    return m_longState.compare_exchange_strong(expected, kLongNone);
}

// Through the cycle's own times: its first frame at startUsecs, the next
// cycle's at nextUsecs (the period's length when the server gives none).
int64_t JackMidiOutDevice::frameFor(int64_t stampNs, const JackCycle& cycle, int64_t clockOffsetNs,
                                    int64_t latencyNs)
{
    double cycleUs = double(cycle.nextUsecs) - double(cycle.startUsecs);
    if (cycle.nextUsecs <= cycle.startUsecs)
        cycleUs = cycle.periodUsecs > 0 ? double(cycle.periodUsecs)
                                        : double(cycle.nframes) * 1e6 / double(std::max(cycle.sampleRate, 1u));
    const double dueUs = double(stampNs + clockOffsetNs + latencyNs) / 1000.0;
    return int64_t(std::floor((dueUs - double(cycle.startUsecs)) * double(cycle.nframes) / cycleUs + 0.5));
}

// A message whose frame has passed (a late tick, an xrun) goes at the
// cycle's first frame and is counted; none is dropped for being late.
void JackMidiOutDevice::process(const JackCycle& cycle)
{
    void* buffer = jack_port_get_buffer(m_port, cycle.nframes);
    jack_midi_clear_buffer(buffer);
    m_maxEventBytes.store(jack_midi_max_event_size(buffer), std::memory_order_relaxed);
    // Read afresh each cycle, so the two clocks may drift apart; a reading
    // the thread was held up in keeps the last good one.
    int64_t offsetNs = m_clockOffsetNs.load(std::memory_order_relaxed);
    if (readClockOffset(offsetNs))
        m_clockOffsetNs.store(offsetNs, std::memory_order_relaxed);
    const int64_t latencyNs = duration_cast<nanoseconds>(midiOutputLatency()).count();
    int64_t lastFrame = 0;
    bool wroteAny = false;
    while (const Queued* event = m_queue.front()) {
        const int64_t due = frameFor(event->stampNs, cycle, offsetNs, latencyNs);
        if (due >= int64_t(cycle.nframes))
            break; // due in a later cycle
        const int64_t frame = std::max(due, lastFrame);
        if (!writeQueued(buffer, jack_nframes_t(frame), *event)) {
            if (wroteAny)
                break; // the buffer is full: the rest waits for the next cycle
            if (event->longTicket != 0) {
                m_longState.store(kLongRefused, std::memory_order_release);
                m_longDone.post();
            }
        } else {
            wroteAny = true;
            lastFrame = frame;
            if (due < 0 && event->longTicket == 0)
                m_late.fetch_add(1, std::memory_order_relaxed);
        }
        m_queue.pop();
    }
}

bool JackMidiOutDevice::writeQueued(void* buffer, jack_nframes_t frame, const Queued& event)
{
    if (event.longTicket == 0)
        return jack_midi_event_write(buffer, frame, event.bytes, event.size) == 0;
    uint64_t expected = event.longTicket;
    if (!m_longState.compare_exchange_strong(expected, kLongWriting))
        return true; // the sender gave up on it
    if (jack_midi_event_write(buffer, frame, m_longBuffer.data(), m_longLength) != 0) {
        m_longState.store(event.longTicket, std::memory_order_release);
        return false;
    }
    m_longState.store(kLongNone, std::memory_order_release);
    m_longDone.post();
    return true;
}

} // namespace rz
