#include "tests/support/recording_midi_device.h"

#include <cstdio>

namespace rz {

std::string hexBytes(const std::vector<uint8_t>& bytes)
{
    std::string text;
    for (uint8_t byte : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", byte);
        if (!text.empty())
            text += ' ';
        text += hex;
    }
    return text;
}

RecordingMidiDevice::RecordingMidiDevice(std::string name, MidiDeviceKind kind)
    : m_name(std::move(name)), m_kind(kind)
{
}

bool RecordingMidiDevice::open()
{
    std::lock_guard lock(m_mutex);
    ++m_openCount;
    m_open = m_opens;
    m_openError = m_open ? std::string() : m_openReason;
    return m_open;
}

std::string RecordingMidiDevice::openError() const
{
    std::lock_guard lock(m_mutex);
    return m_openError;
}

void RecordingMidiDevice::close()
{
    std::lock_guard lock(m_mutex);
    ++m_closeCount;
    m_open = false;
}

bool RecordingMidiDevice::isOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_open;
}

void RecordingMidiDevice::sendShort(std::span<const uint8_t> bytes, TickTime stamp)
{
    std::lock_guard lock(m_mutex);
    if (!m_open)
        return;
    Message message;
    message.bytes.assign(bytes.begin(), bytes.end());
    message.stamp = stamp;
    message.thread = std::this_thread::get_id();
    m_messages.push_back(std::move(message));
}

LongSendResult RecordingMidiDevice::sendLong(std::span<const uint8_t> bytes,
                                             std::chrono::milliseconds timeout)
{
    std::lock_guard lock(m_mutex);
    if (!m_open || bytes.size() > m_maxLongBytes)
        return LongSendResult::Failed;
    Message message;
    message.bytes.assign(bytes.begin(), bytes.end());
    message.isLong = true;
    message.timeout = timeout;
    message.thread = std::this_thread::get_id();
    m_messages.push_back(std::move(message));
    return m_longResult;
}

size_t RecordingMidiDevice::maxLongMessageBytes() const
{
    std::lock_guard lock(m_mutex);
    return m_maxLongBytes;
}

void RecordingMidiDevice::setOpenResult(bool opens, std::string reason)
{
    std::lock_guard lock(m_mutex);
    m_opens = opens;
    m_openReason = std::move(reason);
}

void RecordingMidiDevice::setGone()
{
    std::lock_guard lock(m_mutex);
    m_open = false;
}

void RecordingMidiDevice::setLongResult(LongSendResult result)
{
    std::lock_guard lock(m_mutex);
    m_longResult = result;
}

void RecordingMidiDevice::setMaxLongMessageBytes(size_t bytes)
{
    std::lock_guard lock(m_mutex);
    m_maxLongBytes = bytes;
}

std::vector<RecordingMidiDevice::Message> RecordingMidiDevice::messages() const
{
    std::lock_guard lock(m_mutex);
    return m_messages;
}

std::vector<std::string> RecordingMidiDevice::sentHex() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> texts;
    texts.reserve(m_messages.size());
    for (const Message& message : m_messages)
        texts.push_back(hexBytes(message.bytes));
    return texts;
}

size_t RecordingMidiDevice::openCount() const
{
    std::lock_guard lock(m_mutex);
    return m_openCount;
}

size_t RecordingMidiDevice::closeCount() const
{
    std::lock_guard lock(m_mutex);
    return m_closeCount;
}

void RecordingMidiDevice::clear()
{
    std::lock_guard lock(m_mutex);
    m_messages.clear();
}

} // namespace rz
