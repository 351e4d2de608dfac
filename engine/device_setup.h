#pragma once

#include "core/midi_bytes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class COutPort;
class CSongDoc;
class Table;
struct CUndoRecord;
enum class DeviceValue : uint8_t;

// The six faders of the Device Setup dialog, in control id order.
enum class DeviceFader : int {
    ReverbTime,
    ChorusRate,
    ChorusSendToReverb,
    ChorusFeedback,
    ChorusDepth,
    MasterVolume,
};
inline constexpr size_t kDeviceFaderCount = 6;
inline constexpr int kDeviceUnset = -1;
inline constexpr int kTuningCentre = 8192;
// The types a device plays until told otherwise, and what an unset type
// sends to bring it back to them.
inline constexpr int kDeviceDefaultReverbType = 4;
inline constexpr int kDeviceDefaultChorusType = 2;

// One item of a type combo: the type it sends, -1 for the empty first item.
struct EffectTypeItem {
    int type;
    const char* text;
};
inline constexpr std::array<EffectTypeItem, 7> kReverbTypeItems = {{
    {kDeviceUnset, ""},
    {0, "0: Small Room (5m) "},
    {1, "1: Medium Room (10m)"},
    {2, "2: Large Room"},
    {3, "3: Medium Concert Hall"},
    {4, "4: Large Concert Hall"},
    {8, "8: Plate Simulation"},
}};
inline constexpr std::array<EffectTypeItem, 7> kChorusTypeItems = {{
    {kDeviceUnset, ""},
    {0, "0: Chorus 1"},
    {1, "1: Chorus 2"},
    {2, "2: Chorus 3"},
    {3, "3: Chorus 4"},
    {4, "4: FB Chorus"},
    {5, "5: Flanger"},
}};

// The item of `items` sending `type`; 0 (the empty item) when none does.
size_t effectTypeItemIndex(std::span<const EffectTypeItem> items, int type);

// What a fader shows for a value ("%3.1f" seconds and so on); empty when unset.
std::string deviceFaderText(DeviceFader fader, int value);
// The fader value typed as text, rounded and clamped into 0..127; nothing
// for empty text or text that is not a number. A reverb time of 0 or less
// gives 0.
std::optional<int> deviceFaderFromText(DeviceFader fader, std::string_view text);
// The default a type gives a fader (the unset type: -1); the volume's is 127.
int deviceFaderDefault(DeviceFader fader, int reverbType, int chorusType);
// The universal message that sets a fader's parameter to `value`, F0 ... F7.
std::vector<uint8_t> deviceFaderMessage(DeviceFader fader, int value);
// The reverb or chorus type message.
std::vector<uint8_t> reverbTypeMessage(int type);
std::vector<uint8_t> chorusTypeMessage(int type);
// Master fine (`coarse` false) or coarse tuning: 14 bits, low 7 first;
// unset sends the centre.
std::vector<uint8_t> tuningMessage(bool coarse, int value);
// "%c%d.%02d" of hundredths (of a cent or a semitone).
std::string tuningText(int hundredths);
// The text of a cached tuning value; empty when unset.
std::string fineTuningText(int value);
std::string coarseTuningText(int value);

// The rules of the Device Setup dialog without its widgets: conversions,
// messages, type defaults and the tuning arithmetic over one output port's
// cache. A missing port (null) sends and stores nothing. GUI thread.
class DeviceSetupModel {
public:
    explicit DeviceSetupModel(COutPort* port) : m_port(port) {}

    bool present() const { return m_port != nullptr; }
    COutPort* port() const { return m_port; }

    // The value a fader opens with: the port's cache (the volume's 14 bits
    // divided by 128); unset without a port.
    int cachedFader(DeviceFader fader) const;
    int cachedReverbType() const;
    int cachedChorusType() const;

    // A fader dragged or released at `value` (-1 unset): sends the value, or
    // for unset the current type's default, which the cache then forgets.
    void faderMoved(DeviceFader fader, int value, int reverbType, int chorusType);
    // A value typed into a fader's edit: stored in the cache, nothing sent.
    // Answers the fader's new value (unset for empty text).
    int faderTyped(DeviceFader fader, std::string_view text);

    // A reverb type chosen (-1 the empty item): sent; answers the reverb
    // time fader's new value.
    int reverbTypeChosen(int type);
    // A chorus type chosen: sent; answers the rate, send to reverb,
    // feedback and depth faders' new values, in that order.
    std::array<int, 4> chorusTypeChosen(int type);

    // The tuning values in the cache; unset -1.
    int fineTuning() const;
    int coarseTuning() const;
    // A spin step (up: the spin's up arrow): sent; answers the new value.
    int fineStepped(bool up);
    int coarseStepped(bool up, std::string_view editText);
    // Typed text (empty: unset): sent; answers the new value.
    int fineTyped(std::string_view text);
    int coarseTyped(std::string_view text);

private:
    void send(const std::vector<uint8_t>& message);
    void store(DeviceValue which, int value);
    int sendTuning(bool coarse, int value);

    COutPort* m_port;
};

// The device settings Device Setup inserts into a song, as values at the
// time of OK; -1 leaves a setting out.
struct PortSetupValues {
    int volume = kDeviceUnset;      // fader value
    int coarseTuning = kDeviceUnset; // 14 bits
    int fineTuning = kDeviceUnset;
    int reverbType = kDeviceUnset;
    int reverbTime = kDeviceUnset;
    int chorusType = kDeviceUnset;
    int chorusRate = kDeviceUnset;
    int chorusDepth = kDeviceUnset;
    int chorusFeedback = kDeviceUnset;
    int chorusSendToReverb = kDeviceUnset;
};

// "Port Setup Events": the settings as system-exclusive events at tick 0
// of the first user track on numbered output `portNumber`, replacing the
// device-control messages at tick 0 of every track on that output. Null
// when no user track plays there.
std::unique_ptr<CUndoRecord> BuildPortSetupEventsRecord(const CSongDoc& song, int portNumber,
                                                        const PortSetupValues& values);

// One synthesizer of the synthesizer database, for the synth combo.
struct SynthChoice {
    int number = -1; // "SynthNumber"
    std::string name; // "SynthName"
};
// Every row of the synths table, first to last; empty for an empty table.
std::vector<SynthChoice> readSynthChoices(Table& synths);

} // namespace rz
