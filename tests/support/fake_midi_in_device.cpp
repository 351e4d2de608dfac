#include "tests/support/fake_midi_in_device.h"

#include <utility>

namespace rz {

InjectingMidiInDevice::InjectingMidiInDevice(std::string name, bool opens)
    : m_name(std::move(name)), m_opens(opens)
{
}

bool InjectingMidiInDevice::open(IMidiInHandler* handler)
{
    close();
    if (!m_opens || handler == nullptr)
        return false;
    std::lock_guard lock(m_dispatch);
    m_handler = handler;
    m_open = true;
    return true;
}

bool InjectingMidiInDevice::start()
{
    ++m_starts;
    std::lock_guard lock(m_dispatch);
    m_started = m_handler != nullptr;
    return m_started;
}

void InjectingMidiInDevice::stop()
{
    ++m_stops;
    m_started = false;
}

void InjectingMidiInDevice::close()
{
    std::lock_guard lock(m_dispatch);
    m_started = false;
    m_open = false;
    m_handler = nullptr;
}

bool InjectingMidiInDevice::isOpen() const
{
    return m_open;
}

template <class Call>
bool InjectingMidiInDevice::dispatch(Call call)
{
    std::lock_guard lock(m_dispatch);
    if (m_handler == nullptr || !m_started)
        return false;
    call(*m_handler);
    return true;
}

bool InjectingMidiInDevice::inject(uint32_t message, TickTime stamp)
{
    return dispatch([&](IMidiInHandler& handler) { handler.onShortMessage(message, stamp); });
}

bool InjectingMidiInDevice::injectSysEx(std::span<const uint8_t> piece, bool last, TickTime stamp)
{
    return dispatch([&](IMidiInHandler& handler) { handler.onSysExPiece(piece, last, stamp); });
}

bool InjectingMidiInDevice::injectError(SysExInputError error, TickTime stamp)
{
    return dispatch([&](IMidiInHandler& handler) { handler.onSysExError(error, stamp); });
}

} // namespace rz
