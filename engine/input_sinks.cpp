#include "engine/input_sinks.h"
#include "core/midi_bytes.h"

namespace rz {

CaptureVerdict SysExCaptureLimit::admit(std::span<const uint8_t> piece)
{
    if (!piece.empty() && piece.front() == midi::kSysEx) {
        m_bytes = 0;
        m_over = false;
    }
    if (m_over)
        return CaptureVerdict::Drop;
    if (piece.size() > kMaxSysExCaptureBytes - m_bytes) {
        m_over = true;
        return CaptureVerdict::Overflow;
    }
    m_bytes += piece.size();
    return CaptureVerdict::Pass;
}

} // namespace rz
