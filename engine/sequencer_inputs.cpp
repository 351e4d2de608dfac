#include "engine/sequencer_inputs.h"

#include <utility>

namespace rz {

KeyMap ParseKeyMap(std::span<const uint8_t> bytes)
{
    KeyMap entries;
    entries.reserve(bytes.size() / 4);
    for (size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        entries.push_back(uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8
                          | uint32_t(bytes[at + 2]) << 16 | uint32_t(bytes[at + 3]) << 24);
    }
    return entries;
}

SequencerInput::SequencerInput(std::string name, std::unique_ptr<IMidiInDevice> device)
    : m_name(std::move(name)), m_device(std::move(device)),
      m_keyMap(std::make_shared<const KeyMap>())
{
}

SequencerInput::~SequencerInput()
{
    m_device->close();
}

bool SequencerInput::Open()
{
    if (!m_device->open(this))
        return false;
    if (m_device->start())
        return true;
    m_device->close();
    return false;
}

void SequencerInput::Close()
{
    m_device->close();
}

void SequencerInput::setKeyMap(KeyMap entries)
{
    m_keyMap.store(std::make_shared<const KeyMap>(std::move(entries)));
}

} // namespace rz
