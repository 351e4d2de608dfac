#pragma once

// What the event properties dialog computes without Qt: the kinds, the
// number lists, typed numbers, values and data, the finished event, and the
// fields one event (or several merged) brings.

#include "core/edit_dialogs.h"
#include "dialogs/field_values.h"
#include "dialogs/track_props_model.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class CSongDoc;
class IProfile;
class ISynthLookup;

inline constexpr size_t kEventKindCount = 10;
// The song's own layouts of parameter events: 0x10 | number << 8 | value
// << 16 for an RPN, 0x20 | number << 8 with the value as second value for
// an NRPN. Neither carries a channel.
inline constexpr uint8_t kRpnKind = 0x10;
inline constexpr uint8_t kNrpnKind = 0x20;
// A request's message when the merged events are of different kinds.
inline constexpr uint32_t kMixedKindsMessage = 0xFFFFFFFF;
// The largest Meta data block the dialog edits, bytes.
inline constexpr size_t kMaxEditedBlock = 65536;
// The largest RPN number: the song keeps it in seven bits.
inline constexpr int32_t kMaxRpnNumber = 127;
inline constexpr int32_t kMax14Bit = 16383;

inline constexpr std::string_view kBlockTooLarge = "This block is too large to edit (64k limit).";
inline constexpr std::string_view kEventIncomplete = "One or more data items is missing for this event.";
inline constexpr std::string_view kBadHexTail =
    " is not a valid hex byte (00-7F).  Enter data like 00 4F 22... etc.";

// One kind of the list: its text, status, and the number and value a new
// event of it starts with.
struct EventKindSpec {
    const char* text;
    uint8_t status;
    int32_t number;
    int32_t value;
};
inline constexpr std::array<EventKindSpec, kEventKindCount> kEventKinds = {{
    {"Note", midi::kNoteOn, 60, 100},
    {"Aftertouch", midi::kPolyPressure, 60, 0},
    {"Controller", midi::kControlChange, cc::kExpression, 127},
    {"Patch Change", midi::kProgramChange, 0, 0},
    {"Channel Pressure", midi::kChannelPressure, 0, 0},
    {"Pitch Wheel", midi::kPitchBend, 0, 8192},
    {"System Exclusive", midi::kSysEx, 0, 0},
    {"Meta", midi::kMeta, midi::kMetaText, 0},
    {"RPN", kRpnKind, 0, 256},
    {"NRPN", kNrpnKind, 0, 0},
}};
inline constexpr EventKindIndex kDefaultEventKind = EventKindIndex::Controller;

// The number and value the dialog last used for each kind, as the profile
// keeps them; nothing is unset.
struct RememberedFields {
    EventKindIndex kind = kDefaultEventKind;
    std::array<std::optional<int32_t>, kEventKindCount> numbers{};
    std::array<std::optional<int32_t>, kEventKindCount> values{};
};
// The kinds' defaults where the profile holds nothing.
RememberedFields loadRememberedFields(const IProfile& profile);
void saveRememberedFields(IProfile& profile, EventKindIndex kind, std::optional<int32_t> number,
                          std::optional<int32_t> value);

// What the chosen track says about names and channels.
struct EventTrackInfo {
    bool valid = false;
    int synth = -1;
    int32_t bank = -1;    // its initial bank, -1 none
    int32_t program = -1; // its initial patch, -1 none
    int32_t channel = 0;
    int drumMask = 0;     // bit n: channel n plays drums
    int technology = ISynthLookup::kDefaultTechnology;

    BankStyle style() const { return BankStyle{technology}; }
    bool drumChannel() const { return (drumMask >> (channel & 15) & 1) != 0; }
};
// A user track (1..count-2) of the song; invalid for any other index.
EventTrackInfo eventTrackInfo(const CSongDoc& song, int32_t track);
// The key signature at a tick, as the track spells it (its transposition
// applied).
int32_t eventKeySignature(const CSongDoc& song, int32_t track, int32_t tick);
// Ticks of one beat of the measure at a tick (the time base times four over
// the meter's denominator).
int32_t eventBeatTicks(const CSongDoc& song, int32_t tick);

// The number combo's items per kind, in the order they show: notes 108 down
// to 21 (drum names added where the channel plays them), the synth's or
// the built-in controllers, the synth's patches and drum sets, the meta
// types, the RPNs, the synth's NRPNs; none for the other kinds.
std::vector<ComboItem> eventNumberItems(EventKindIndex kind, const ISynthLookup* synths,
                                        const EventTrackInfo& track, int32_t keySignature);
// The number's text when no item holds it ("%d (undefined)" and the like).
std::string undefinedNumberText(EventKindIndex kind, int32_t number, int32_t accidental, int32_t keySignature,
                                BankStyle style);

// A typed patch: "bank,program" or a program alone (no bank); program + 128
// x bank, a bank of -1 being none. Nothing for blank text.
std::optional<int32_t> parsePatch(std::string_view text, BankStyle style);
// A typed RPN value in its unit: semitones (0: semitones and cents, 5:
// x 128), cents of fine tuning, coarse semitones, else a 14-bit number.
std::optional<int32_t> parseRpnValue(int32_t rpn, std::string_view text);
// A typed value of the kind; nothing for blank text and for the kinds
// without one.
std::optional<int32_t> parseEventValue(EventKindIndex kind, std::optional<int32_t> number, std::string_view text);

// Typed data bytes: two hex digits a token, blanks and line breaks between.
// System exclusive takes 00..7F, with F0 only first and F7 only last; Meta
// data is eight-bit. A bad token is returned with its place in the text.
struct HexData {
    std::vector<uint8_t> bytes;
    bool ok = true;
    std::string token; // the bad token, upper-cased
    size_t start = 0;  // its place in the text
    size_t length = 0;
};
HexData parseHexData(std::string_view text, bool sysex);
// "F0 7E 7F": each byte as two upper-case digits.
std::string hexText(std::span<const uint8_t> bytes);

// The fields an event is built from; a negative field is unset.
struct EventFields {
    EventKindIndex kind = EventKindIndex::None;
    int32_t track = -1;
    int32_t tick = -1;
    int32_t channel = 0;
    std::optional<int32_t> number;
    int32_t value = -1;
    int32_t duration = -1;
    int32_t accidental = -1;
    std::span<const uint8_t> data;
};
struct BuiltEvent {
    uint32_t message = 0;
    int32_t value2 = 0;
    int32_t accidental = -1;
    std::vector<uint8_t> data;
};
// Nothing when a field the kind needs is unset.
std::optional<BuiltEvent> buildEvent(const EventFields& fields);
// The value column's text of the fields (an unset number counts as 127).
std::string eventValueText(const EventFields& fields);

// Which controls a kind uses.
struct KindFields {
    bool number = false;
    bool value = true;
    bool duration = false;
    bool data = false;
    const char* valueLabel = "Value:";
};
KindFields kindFields(EventKindIndex kind);

// The dialog's state: the kind, the fields of each kind, the data block,
// the track and position. GUI thread.
class EventPropsModel {
public:
    EventPropsModel(const EventPropsRequest& request, RememberedFields remembered);

    // A Meta block too large to edit: the dialog refuses to open.
    bool tooLarge() const { return m_tooLarge; }
    bool multiple() const { return m_multiple; }
    EventKindIndex kind() const { return m_kind; }
    std::optional<int32_t> number() const;
    int32_t value() const;
    int32_t duration() const { return m_duration; }
    int32_t accidental() const { return m_accidental; }
    int32_t track() const { return m_track; }
    int32_t tick() const { return m_tick; }
    const std::vector<uint8_t>& data() const { return m_data; }
    const RememberedFields& remembered() const { return m_remembered; }

    // Takes the kind's remembered fields, cut to what the kind holds.
    void setKind(EventKindIndex kind);
    void setTrack(int32_t track) { m_track = track; }
    void setTick(int32_t tick) { m_tick = tick; }

    // An item chosen from the list; a controller brings its usual value.
    void chooseNumber(int32_t number);
    // Typing in the number field unsets it until the text is read.
    void startTypingNumber();
    void typeNumber(std::string_view text, int32_t keySignature, BankStyle style);
    void setValue(int32_t value);
    void typeValue(std::string_view text);
    void typeDuration(std::string_view text, int32_t beat);
    void stepValue(bool up);
    void stepDuration(bool up);

    // The data edit's text: Meta text types as text, else hex pairs.
    bool dataIsText() const;
    std::string dataText() const;
    // A captured message, or its next piece.
    void replaceData(std::span<const uint8_t> bytes) { m_data.assign(bytes.begin(), bytes.end()); }
    void appendData(std::span<const uint8_t> bytes) { m_data.insert(m_data.end(), bytes.begin(), bytes.end()); }
    // The edited data text: true when it is taken, else the bad token.
    HexData takeDataText(std::string_view text);

    EventFields fields(int32_t channel) const;
    // What the dialog answers on OK.
    EventPropsResult result(int32_t channel) const;

private:
    void readEvent(const EventPropsRequest& request);
    std::optional<int32_t>& numberSlot();
    std::optional<int32_t>& valueSlot();

    EventKindIndex m_kind = EventKindIndex::None;
    RememberedFields m_remembered;
    int32_t m_previousNumber = -1;
    int32_t m_duration = -1;
    int32_t m_accidental = -1;
    int32_t m_track = -1;
    int32_t m_tick = -1;
    std::vector<uint8_t> m_data;
    bool m_multiple = false;
    bool m_tooLarge = false;
};

} // namespace rz
