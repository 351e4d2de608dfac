#include "platform/midi_output_latency.h"

#include <atomic>
#include <cstdint>

namespace rz {

namespace {

std::atomic<int64_t> g_latencyUs{0};
std::atomic<int64_t> g_periodUs{0};

} // namespace

void setMidiOutputLatency(std::chrono::microseconds latency)
{
    g_latencyUs.store(latency.count() > 0 ? latency.count() : 0, std::memory_order_relaxed);
}

void setMidiOutputPeriod(std::chrono::microseconds period)
{
    g_periodUs.store(period.count() > 0 ? period.count() : 0, std::memory_order_relaxed);
}

std::chrono::microseconds midiOutputLatency()
{
    const int64_t chosen = g_latencyUs.load(std::memory_order_relaxed);
    if (chosen > 0)
        return std::chrono::microseconds(chosen);
    return std::chrono::microseconds(g_periodUs.load(std::memory_order_relaxed)) + kOutputLatencyMargin;
}

} // namespace rz
