#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace rz {

class CSongDoc;
class IMidiOut;
struct CUndoRecord;

// What the faders send: a packed message pattern, the kind byte (0xB0 with
// the controller number as first data byte, 0xD0 pressure or 0xE0 pitch
// wheel) without a channel.
namespace slider_choice {
// Expression.
inline constexpr uint32_t kDefault = 0x0BB0;
// A stored choice other than a controller, pressure or the pitch wheel
// reads as the default.
uint32_t fromStored(int64_t stored);
// "Mod wheel (1)", "Controller %d", "Pressure", "Pitch wheel" ...
std::string name(uint32_t choice);
} // namespace slider_choice

// How the other faders follow the one being dragged.
enum class FaderGroup { None, SameStep, SameValue };

// The slider view's data without its windows: one fader per selected MIDI
// track, all sending one choice on their track's channel, their values as
// the ports last sent them, group drags, the live sends and the snapshot.
// GUI thread; refresh also from the refresh pass, which the GUI thread runs.
class SliderModel {
public:
    static constexpr int kMaxValue = 127;
    // A fader nothing has set yet.
    static constexpr int kUnset = -1;

    // Takes the rows and choice of `song` (none without one) and builds
    // every fader's message anew, as a track's channel may have changed.
    // True when the rows or the choice differ from before: the faders must
    // then be made again, every value unset.
    bool rebuild(const CSongDoc* song, uint32_t choice);

    uint32_t choice() const { return m_choice; }
    const std::vector<int>& rows() const { return m_rows; }
    const std::vector<uint32_t>& messages() const { return m_messages; }
    size_t size() const { return m_rows.size(); }
    int value(size_t fader) const { return m_values[fader]; }
    // Values outside 0..127 read as unset.
    void setValue(size_t fader, int value);

    // Fader `fader` moved to `value` by `step`: moves the group with it,
    // clamped to 0..127. Returns the faders moved, `fader` first. Unset
    // faders have no step to follow and stay unset.
    std::vector<size_t> drag(size_t fader, int value, int step, FaderGroup group);

    // Sends the fader's value on its track's port; returns the message sent
    // (0 when the track has no port). A volume goes out scaled, its
    // unscaled value kept by the port.
    uint32_t send(CSongDoc& song, size_t fader) const;

    // The value the track's port last sent for the fader's message;
    // kUnset when the track has no port or the port has sent none.
    int portValue(const CSongDoc& song, size_t fader) const;
    // Takes the ports' values, skipping `skip` (the fader being dragged) and
    // leaving unset ports alone. Returns the faders whose value changed.
    std::vector<size_t> refresh(const CSongDoc& song, size_t skip);

    // "Slider snapshot": an event at the song position per set fader whose
    // track has a port, replacing the same message there. Null when there is
    // nothing to write.
    std::unique_ptr<CUndoRecord> snapshotRecord(const CSongDoc& song) const;

    // The track's port, null for none.
    IMidiOut* portOf(const CSongDoc& song, size_t fader) const;

private:
    uint32_t snapshotMessage(const CSongDoc& song, size_t fader) const;

    uint32_t m_choice = slider_choice::kDefault;
    std::vector<int> m_rows;
    std::vector<uint32_t> m_messages;
    std::vector<int> m_values;
};

} // namespace rz
