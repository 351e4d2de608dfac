// The track's own sends: initial settings, volume and audio gains. GUI
// thread, or the engine's threads while the song is not edited.
#include <algorithm>

#include "core/midi_bytes.h"
#include "core/midi_out.h"
#include "song/track.h"

namespace rz {

namespace {

constexpr uint8_t kVolumeController = cc::kVolume;
constexpr uint8_t kPanController = cc::kPan;
// The order in which the initial controllers go out after bank and program.
constexpr std::array<uint8_t, 14> kSendOrder = {
    cc::kVolume,     cc::kPan,          cc::kPortamentoTime, cc::kTimbre,
    cc::kBrightness, cc::kAttackTime,   cc::kReleaseTime,    cc::kDecayTime,
    cc::kVibratoRate, cc::kVibratoDepth, cc::kVibratoDelay,  cc::kReverbSend,
    cc::kChorusSend, cc::kCelesteSend};

size_t controllerSlot(uint8_t number)
{
    return size_t(std::find(kInitialControllerNumbers.begin(), kInitialControllerNumbers.end(),
                            number)
                  - kInitialControllerNumbers.begin());
}

using midi::controlChange;

// The channel plays this track's patch (and bank, when it has one).
bool portHoldsPatch(const CTrack& track, const IMidiOut& port, int channel)
{
    return port.program(channel) == track.patch
           && (track.bank < 0 || port.bank(channel) == track.bank);
}

} // namespace

bool CTrack::SendInitialControllers(const VolumeScale& scale)
{
    if (outputPort == nullptr || patch < 0)
        return false;
    IMidiOut& port = *outputPort;
    const int ch = channel & 15;
    if (portHoldsPatch(*this, port, ch))
        return false;
    port.SendBankProgram(uint32_t(ch), bank, patch, false);
    for (uint8_t number : kSendOrder) {
        int value = initialControllers[controllerSlot(number)];
        if (value < 0)
            continue;
        if (number == kVolumeController) {
            port.setUnscaledVolume(ch, value);
            value = ScaleVolume(value, volume, scale);
        }
        port.SendShort(controlChange(ch, number, value));
    }
    return true;
}

void CTrack::SetVolume(int32_t percent, const VolumeScale& scale)
{
    if (percent != -1)
        volume = percent;
    if (outputPort != nullptr) {
        IMidiOut& port = *outputPort;
        const int ch = channel & 15;
        const int unscaled = port.unscaledVolume(ch);
        const bool otherPatch = patch >= 0 && !portHoldsPatch(*this, port, ch);
        if (unscaled >= 0 && !otherPatch) {
            const int value = ScaleVolume(unscaled, volume, scale);
            if (value != port.controllerValue(ch, kVolumeController))
                port.SendShort(controlChange(ch, kVolumeController, value));
        }
    }
    UpdateAudioGains(scale.master);
}

void CTrack::UpdateAudioGains(int masterVolume)
{
    const int level = initialControllers[controllerSlot(kVolumeController)];
    const int pan = initialControllers[controllerSlot(kPanController)];
    const float v = level < 0 ? 1.0f : float(level) / 127.0f;
    leftGain = v;
    rightGain = v;
    if (pan >= 0 && pan < 65)
        rightGain *= float(pan) / 64.0f;
    else if (pan > 64)
        leftGain = v * float(127 - pan) / 63.0f;
    const float factor = float(volume) / 100.0f * float(masterVolume) / float(kMaxMasterVolume);
    leftGain *= factor;
    rightGain *= factor;
}

} // namespace rz
