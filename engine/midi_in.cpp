#include "engine/midi_in.h"

#include <utility>

namespace rz {

CMidiIn::CMidiIn(CSequencer& engine, int index, std::string name,
                 std::unique_ptr<IMidiInDevice> device)
    : m_engine(engine), m_index(index), m_name(std::move(name)), m_device(std::move(device)),
      m_keyMap(std::make_shared<const KeyMap>())
{
}

CMidiIn::~CMidiIn()
{
    m_device->close();
}

bool CMidiIn::Open()
{
    Close();
    if (!m_device->open(this))
        return false;
    if (m_device->start())
        return true;
    m_device->close();
    return false;
}

// The device's close returns once no handler call runs.
void CMidiIn::Close()
{
    m_device->close();
}

bool CMidiIn::Restart()
{
    m_device->stop();
    return m_device->start();
}

void CMidiIn::setThruPort(int index, COutPort* port)
{
    m_thru.store(index >= 0 ? port : nullptr, std::memory_order_release);
    m_thruIndex.store(port != nullptr ? index : -1, std::memory_order_release);
}

void CMidiIn::setKeyMap(KeyMap entries)
{
    m_keyMap.store(std::make_shared<const KeyMap>(std::move(entries)));
}

} // namespace rz
