#include "engine/transport_machine.h"

#include "song/cue.h"

namespace rz {

void TransportMachine::requestStart(int32_t tick, bool relative)
{
    startTick = tick;
    startRelative = relative;
    ++startSerial;
    setState(TransportState::Starting);
}

int32_t TransportMachine::wrapIntoVamp(int32_t start)
{
    const CCue* active = activeVamp();
    const NextStop stop = nextStop();
    if (active == nullptr || stop.jumpCue != active)
        return start;
    const int left = vampRepetitionsLeft.load(std::memory_order_acquire);
    if (start < stop.jumpFrom || left == 1)
        return start;
    if (left > 1)
        vampRepetitionsLeft.store(left - 1, std::memory_order_release);
    vampPasses.fetch_add(1, std::memory_order_acq_rel);
    return start + (stop.jumpTo - stop.jumpFrom);
}

void TransportMachine::enterVamp(const CCue& cue, int repetitions)
{
    const CCue* active = activeVamp();
    if (&cue == outerVamp.load(std::memory_order_acquire)) {
        repetitions = outerRepetitionsLeft.load(std::memory_order_acquire);
        vampPasses.store(outerPasses.load(std::memory_order_acquire), std::memory_order_release);
        outerVamp.store(nullptr, std::memory_order_release);
    } else {
        const bool inside = active != nullptr && active->secondTime <= cue.secondTime
                            && cue.time <= active->time;
        if (inside) {
            outerRepetitionsLeft.store(vampRepetitionsLeft.load(std::memory_order_acquire),
                                       std::memory_order_release);
            outerPasses.store(vampPasses.load(std::memory_order_acquire), std::memory_order_release);
        }
        outerVamp.store(inside ? active : nullptr, std::memory_order_release);
        vampPasses.store(0, std::memory_order_release);
    }
    vampRepetitionsLeft.store(repetitions, std::memory_order_release);
    vamp.store(&cue, std::memory_order_release);
}

void TransportMachine::endVamp()
{
    const CCue* outer = outerVamp.load(std::memory_order_acquire);
    if (outer == nullptr) {
        clearVamp();
        return;
    }
    enterVamp(*outer, 0);
}

void TransportMachine::clearVamp()
{
    vamp.store(nullptr, std::memory_order_release);
    vampRepetitionsLeft.store(-1, std::memory_order_release);
    vampPasses.store(0, std::memory_order_release);
    outerVamp.store(nullptr, std::memory_order_release);
}

bool TransportMachine::acceptAdvance(uint32_t nowMs)
{
    if (m_advanced && nowMs - m_lastAdvance < kAdvanceDebounceMs)
        return false;
    m_advanced = true;
    m_lastAdvance = nowMs;
    return true;
}

} // namespace rz
