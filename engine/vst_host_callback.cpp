// The callback every plug-in calls: what the host can do, its version, the
// time record and the instrument's own requests.
#include "engine/vst_plugin.h"

#include <array>
#include <cstring>
#include <string_view>

namespace rz {

namespace {

constexpr VstIntPtr kHostVersion = 2300;
// Longer texts are no capability of ours; the bound keeps a missing
// terminator from being read past.
constexpr size_t kMaxCanDoText = 64;

constexpr std::array<std::string_view, 8> kHostCapabilities = {
    "sendVstEvents",       "sendVstMidiEvent", "receiveVstEvents",
    "receiveVstMidiEvent", "sizeWindow",       "sendVstMidiEventFlagIsRealtime",
    "sendVstTimeInfo",     "receiveVstTimeInfo",
};

bool hostCanDo(const void* text)
{
    if (!text)
        return false;
    const auto* chars = static_cast<const char*>(text);
    const std::string_view asked(chars, strnlen(chars, kMaxCanDoText + 1));
    for (std::string_view capability : kHostCapabilities) {
        if (asked == capability)
            return true;
    }
    return false;
}

// The instrument the effect was loaded by; null while its entry point runs
// and for an effect that is none of ours.
CVstPlugin* instrumentOf(AEffect* effect)
{
    return effect ? reinterpret_cast<CVstPlugin*>(effect->resvd1) : nullptr;
}

} // namespace

VstIntPtr CVstPlugin::onWantMidi(VstIntPtr value)
{
    m_wantsMidi.store(value != 0, std::memory_order_release);
    return 1;
}

VstIntPtr CVstPlugin::onNeedIdle(VstIntPtr value)
{
    m_needsIdle.store(value != 0, std::memory_order_release);
    return 1;
}

VstIntPtr CVstPlugin::onSizeWindow(int32_t width, int32_t height)
{
    if (m_editor && width > 0 && height > 0)
        m_editor->resize(width, height);
    return 1;
}

// The rate and block length are only answered: setting them again from
// inside the plug-in's own call would re-enter it.
extern "C" VstIntPtr VstHostCallback(AEffect* effect, int32_t opcode, int32_t index,
                                     VstIntPtr value, void* ptr, float)
{
    CVstPlugin* instrument = instrumentOf(effect);
    switch (opcode) {
    case audioMasterVersion:
        return kHostVersion;
    case audioMasterCanDo:
        return hostCanDo(ptr) ? 1 : 0;
    case audioMasterWantMidi:
        return instrument ? instrument->onWantMidi(value) : 0;
    case audioMasterGetTime:
        return instrument ? reinterpret_cast<VstIntPtr>(instrument->timeInfo()) : 0;
    case audioMasterNeedIdle:
        return instrument ? instrument->onNeedIdle(value) : 0;
    case audioMasterSizeWindow:
        return instrument ? instrument->onSizeWindow(index, int32_t(value)) : 0;
    case audioMasterGetSampleRate:
        return instrument ? VstIntPtr(instrument->sampleRate()) : 0;
    case audioMasterGetBlockSize:
        return instrument ? VstIntPtr(instrument->blockFrames()) : 0;
    default:
        return 0;
    }
}

} // namespace rz
