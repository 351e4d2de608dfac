#include "platform/midi_stream_parser.h"
#include "core/midi_bytes.h"

namespace rz {

namespace {


bool isRealTime(uint8_t byte)
{
    return midi::isRealTime(byte);
}

} // namespace

int midiDataBytesAfter(uint8_t status)
{
    if (midi::isDataByte(status))
        return -1;
    switch (midi::statusOf(status)) {
    case midi::kProgramChange:
    case midi::kChannelPressure: return 1;
    case midi::kSysEx: break;
    default: return 2;
    }
    switch (status) {
    case midi::kQuarterFrame:
    case midi::kSongSelect: return 1;
    case midi::kSongPosition: return 2;
    case midi::kTuneRequest:
    case midi::kClock:
    case midi::kStart:
    case midi::kContinue:
    case midi::kStop:
    case midi::kActiveSensing:
    case midi::kSystemReset: return 0;
    default: return -1;
    }
}

void MidiStreamParser::feed(std::span<const uint8_t> bytes, TickTime stamp,
                            IMidiInHandler& handler)
{
    for (uint8_t byte : bytes)
        feedByte(byte, stamp, handler);
}

void MidiStreamParser::reset()
{
    m_status = 0;
    m_have = 0;
    m_running = false;
    m_sysEx = SysExState::None;
    m_pieceBytes = 0;
    m_sysExBytes = 0;
}

void MidiStreamParser::feedByte(uint8_t byte, TickTime stamp, IMidiInHandler& handler)
{
    if (isRealTime(byte)) {
        if (midiDataBytesAfter(byte) == 0)
            handler.onShortMessage(byte, stamp);
        return;
    }
    if (midi::isDataByte(byte)) {
        if (m_sysEx == SysExState::Collecting)
            addSysExByte(byte, stamp, handler);
        else if (m_sysEx == SysExState::None)
            addData(byte, stamp, handler);
        return;
    }
    if (m_sysEx != SysExState::None) {
        if (byte == midi::kEndOfSysEx) {
            if (m_sysEx == SysExState::Collecting)
                addSysExByte(byte, stamp, handler);
            m_sysEx = SysExState::None;
            return;
        }
        if (m_sysEx == SysExState::Collecting)
            handler.onSysExError(SysExInputError::Cut, stamp);
        m_sysEx = SysExState::None;
    }
    startStatus(byte, stamp, handler);
}

void MidiStreamParser::startStatus(uint8_t status, TickTime stamp, IMidiInHandler& handler)
{
    m_have = 0;
    m_running = status < midi::kSysEx;
    if (status == midi::kSysEx) {
        m_status = 0;
        m_sysEx = SysExState::Collecting;
        m_pieceBytes = 0;
        m_sysExBytes = 0;
        addSysExByte(status, stamp, handler);
        return;
    }
    const int needed = midiDataBytesAfter(status);
    if (needed < 0) {
        m_status = 0; // F4, F5 and a stray F7 start nothing
        return;
    }
    m_status = status;
    m_needed = static_cast<uint8_t>(needed);
    if (m_needed == 0)
        emitShort(handler, stamp);
}

void MidiStreamParser::addData(uint8_t byte, TickTime stamp, IMidiInHandler& handler)
{
    if (m_status == 0) {
        ++m_strayBytes;
        return;
    }
    m_data[m_have++] = byte;
    if (m_have == m_needed)
        emitShort(handler, stamp);
}

void MidiStreamParser::emitShort(IMidiInHandler& handler, TickTime stamp)
{
    uint32_t message = m_status;
    if (m_needed > 0)
        message |= uint32_t(m_data[0]) << 8;
    if (m_needed > 1)
        message |= uint32_t(m_data[1]) << 16;
    handler.onShortMessage(message, stamp);
    m_have = 0;
    if (!m_running)
        m_status = 0;
}

void MidiStreamParser::addSysExByte(uint8_t byte, TickTime stamp, IMidiInHandler& handler)
{
    if (m_sysExBytes == kMaxSysExInputBytes) {
        m_sysEx = SysExState::Skipping;
        handler.onSysExError(SysExInputError::TooLong, stamp);
        return;
    }
    if (m_pieceBytes == m_piece.size()) {
        handler.onSysExPiece(std::span<const uint8_t>(m_piece.data(), m_pieceBytes), false, stamp);
        m_pieceBytes = 0;
    }
    m_piece[m_pieceBytes++] = byte;
    ++m_sysExBytes;
    if (byte == midi::kEndOfSysEx)
        endSysEx(stamp, handler);
}

void MidiStreamParser::endSysEx(TickTime stamp, IMidiInHandler& handler)
{
    handler.onSysExPiece(std::span<const uint8_t>(m_piece.data(), m_pieceBytes), true, stamp);
    m_pieceBytes = 0;
    m_sysExBytes = 0;
    m_sysEx = SysExState::None;
}

} // namespace rz
