#include "staff/model/staff_edit.h"

#include "core/edit_dialogs.h"
#include "core/midi_bytes.h"
#include "song/clipboard_edit.h"
#include "song/song_doc.h"
#include "song/spelling_tables.h"
#include "song/undo_record.h"

#include <algorithm>
#include <set>
#include <utility>

namespace rz {
namespace {

constexpr int kWedgeCode = 3;
constexpr int kExpressionCode = 2;
constexpr int kPedalDown = 127;

bool inside(const StaffRect& r, int x, int y)
{
    return r.right > r.left && x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

uint32_t placedOn(int track)
{
    return uint32_t(track) << 24 | kComputedPosition;
}

bool userTrack(const CSongDoc& song, int track)
{
    return track >= 1 && size_t(track) + 1 < song.tracks.size();
}

std::unique_ptr<CUndoRecord> recordOf(EventListBuilder& events, const char* label)
{
    if (events.empty())
        return nullptr;
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoEvents;
    record->label = label;
    record->events = events.build();
    return record;
}

CMidiEvent textEvent(int32_t tick, const std::string& text)
{
    CMidiEvent event;
    event.tick = tick;
    event.SetMetaText(1, text);
    return event;
}

int32_t editTick(int64_t tick)
{
    return int32_t(std::clamp<int64_t>(tick, 0, kLastEditTick));
}

// The song event behind a listed item; null when the model no longer
// matches the song.
const CMidiEvent* eventOf(const CSongDoc& song, const StaffModel& model, const StaffDragItem& item,
                          int* trackOut = nullptr)
{
    if (item.staff < 0 || size_t(item.staff) >= model.staves.size())
        return nullptr;
    const CStaffTrack& staff = model.staves[size_t(item.staff)];
    if (!userTrack(song, staff.track))
        return nullptr;
    int event = -1;
    if (item.text) {
        if (item.index >= 0 && size_t(item.index) < staff.texts.size())
            event = staff.texts[size_t(item.index)].eventIndex;
    } else if (item.index >= 0 && size_t(item.index) < staff.spans.size()) {
        event = staff.spans[size_t(item.index)].eventIndex;
    }
    const auto& events = song.tracks[size_t(staff.track)]->events;
    if (event < 0 || size_t(event) >= events.size())
        return nullptr;
    if (trackOut)
        *trackOut = staff.track;
    return &events[size_t(event)];
}

} // namespace

int HitTest(const StaffModel& model, int x, int y)
{
    for (size_t s = model.staves.size(); s-- > 0;) {
        const CStaffTrack& staff = model.staves[s];
        const int base = int(s) << 24;
        for (const auto& beat : staff.voices) {
            for (const auto& note : beat->notes) {
                if (note->rest)
                    continue;
                for (auto item = note->items.rbegin(); item != note->items.rend(); ++item)
                    if (inside(item->rect, x, y) && item->span >= 0 && item->span < kHitText)
                        return base + item->span;
            }
        }
        for (size_t t = 0; t < staff.texts.size() && t < size_t(kHitText); ++t) {
            const CStaffText& text = staff.texts[t];
            if (text.eventIndex >= 0 && text.kind >= kChordSymbolText && text.kind <= kLyricText
                && inside(text.rect, x, y))
                return base + kHitText + int(t);
        }
    }
    return kNoHit;
}

StaffDragBox dragBoxOf(const CSongDoc& song, const StaffModel& model, std::span<const StaffDragItem> items)
{
    StaffDragBox box;
    box.first = INT64_MAX;
    box.last = INT64_MIN;
    box.firstStaff = INT32_MAX;
    box.lastStaff = INT32_MIN;
    for (const StaffDragItem& item : items) {
        const CMidiEvent* event = eventOf(song, model, item);
        if (!event)
            continue;
        box.first = std::min<int64_t>(box.first, event->tick);
        box.last = std::max<int64_t>(box.last, event->tick);
        box.firstStaff = std::min(box.firstStaff, item.staff);
        box.lastStaff = std::max(box.lastStaff, item.staff);
        if (item.text) {
            box.texts = true;
        } else {
            box.low = std::min<int>(box.low, event->data1());
            box.high = std::max<int>(box.high, event->data1());
        }
    }
    if (box.first > box.last)
        return StaffDragBox{};
    return box;
}

StaffDragOffset limitDrag(const StaffDragBox& box, StaffDragOffset wanted, int staffCount)
{
    StaffDragOffset out;
    out.ticks = std::clamp<int64_t>(wanted.ticks, -box.first, kLastEditTick - box.last);
    if (!box.texts && box.low <= box.high) {
        const int down = std::min(0, kLowestDragPitch - box.low);
        const int up = std::max(0, kHighestDragPitch - box.high);
        out.pitch = std::clamp(wanted.pitch, down, up);
    }
    if (staffCount > 0)
        out.staves = std::clamp(wanted.staves, -box.firstStaff, std::max(staffCount - 1 - box.lastStaff, -box.firstStaff));
    return out;
}

uint8_t staffOverrideFor(const CStaffTrack& target, int pitch)
{
    if (!target.grandStaff)
        return 0;
    if (!target.lowerStaff && pitch < target.lowestPitch)
        return 1;
    if (target.lowerStaff && pitch > target.highestPitch)
        return 255;
    return 0;
}

std::unique_ptr<CUndoRecord> dragRecord(const CSongDoc& song, const StaffModel& model,
                                        std::span<const StaffDragItem> items, StaffDragOffset offset,
                                        bool copy)
{
    if (offset == StaffDragOffset{})
        return nullptr;
    EventListBuilder events;
    std::set<std::pair<int, const CMidiEvent*>> seen;
    for (const StaffDragItem& item : items) {
        int track = 0;
        const CMidiEvent* event = eventOf(song, model, item, &track);
        if (!event || !seen.insert({track, event}).second)
            continue;
        const int targetStaff =
            std::clamp(item.staff + offset.staves, 0, int(model.staves.size()) - 1);
        const CStaffTrack& target = model.staves[size_t(targetStaff)];
        if (!userTrack(song, target.track))
            continue;
        CMidiEvent moved = *event;
        moved.tick = editTick(int64_t(moved.tick) + offset.ticks);
        moved.selectionStamp = event->selectionStamp;
        if (!item.text && moved.isNote()) {
            const int pitch = std::clamp(moved.data1() + offset.pitch, 0, 127);
            moved.message = (moved.message & ~0xFF00u) | uint32_t(pitch) << 8;
            moved.notation = staffOverrideFor(target, pitch);
            moved.spelling = kNoSpelling;
        }
        if (!copy) {
            const size_t index = size_t(event - song.tracks[size_t(track)]->events.data());
            events.remove(uint32_t(track) << 24 | uint32_t(index));
        }
        events.insert(std::move(moved), placedOn(target.track));
    }
    return recordOf(events, "Drag in Staff View");
}

std::unique_ptr<CUndoRecord> drawNoteRecord(const CSongDoc& song, const CStaffTrack& staff,
                                            uint32_t message, int32_t tick, int32_t length)
{
    if (!userTrack(song, staff.track) || !midi::isNoteOn(message))
        return nullptr;
    EventListBuilder events;
    CMidiEvent note;
    note.message = message & 0xFFFFFF;
    note.tick = editTick(tick);
    note.value2 = std::max(length, 1);
    note.notation = staffOverrideFor(staff, note.data1());
    events.insert(std::move(note), placedOn(staff.track));
    return recordOf(events, "Draw Note");
}

std::unique_ptr<CUndoRecord> pedalRecord(const CSongDoc& song, int track, int32_t tick)
{
    if (!userTrack(song, track))
        return nullptr;
    const int channel = song.tracks[size_t(track)]->channel & 15;
    EventListBuilder events;
    CMidiEvent down;
    down.message = midi::controlChange(channel, cc::kSustain, kPedalDown);
    down.tick = editTick(tick);
    CMidiEvent up;
    up.message = midi::controlChange(channel, cc::kSustain, 0);
    up.tick = editTick(int64_t(tick) + 2 * int64_t(song.timeBase));
    events.insert(std::move(down), placedOn(track));
    events.insert(std::move(up), placedOn(track));
    return recordOf(events, "Draw Sustain Pedal");
}

std::unique_ptr<CUndoRecord> wedgeRecord(const CSongDoc& song, int track, const WedgeParams& wedge)
{
    if (!userTrack(song, track))
        return nullptr;
    const int32_t begin = editTick(std::min(wedge.begin, wedge.end));
    const int64_t length = std::min<int64_t>(std::abs(int64_t(wedge.end) - wedge.begin), INT32_MAX);
    const int64_t signedLength = wedge.direction == 1 ? -length : length;
    EventListBuilder events;
    events.insert(textEvent(begin, "@DR;" + std::to_string(kWedgeCode) + ";" + std::to_string(signedLength)),
                  placedOn(track));
    return recordOf(events, "Draw Wedge");
}

std::unique_ptr<CUndoRecord> expressionRecord(const CSongDoc& song, int track,
                                              const ExpressionTextParams& text)
{
    if (!userTrack(song, track))
        return nullptr;
    EventListBuilder events;
    events.insert(textEvent(editTick(text.tick), "@DR;" + std::to_string(kExpressionCode) + ";0;" + text.text),
                  placedOn(track));
    return recordOf(events, "Draw Expression Text");
}

std::unique_ptr<CUndoRecord> chordRecord(const CSongDoc& song, int track, const ChordParams& chord,
                                         int32_t noteLength)
{
    if (!userTrack(song, track))
        return nullptr;
    const int32_t tick = editTick(chord.tick);
    EventListBuilder events;
    if ((chord.insertMode & 1) == 0) {
        std::string marker = "@DR;1";
        for (const int32_t value : chord.chord)
            marker += ";" + std::to_string(value);
        events.insert(textEvent(tick, marker + ";" + chord.text + "|" + chord.name), placedOn(track));
    }
    if (chord.insertMode >= 1) {
        for (const uint32_t message : chord.notes) {
            if (!midi::isNoteOn(message))
                continue;
            CMidiEvent note;
            note.tick = tick;
            note.message = message & 0xFFFFFF;
            note.value2 = std::max(noteLength, 1);
            events.insert(std::move(note), placedOn(track));
        }
    }
    return recordOf(events, "Insert Chord");
}

std::string statusTimeText(const CSongDoc& song, int32_t tick)
{
    std::string time;
    song.FormatTime(tick, time);
    // The time is padded for columns; a status line wants it bare.
    time.erase(0, std::min(time.find_first_not_of(' '), time.size()));
    return time;
}

std::string pitchStatusText(const CSongDoc& song, int pitch, int key, int32_t tick)
{
    static constexpr char kLetters[] = "CDEFGAB";
    static constexpr const char* kAccidentals[] = {"''", "b", "", "#", "x"};
    const PitchSpelling spelled = spellPitch(pitch, key, -1);
    std::string text(1, kLetters[spelled.step]);
    text += kAccidentals[std::clamp(spelled.accidental, -2, 2) + 2];
    text += std::to_string(spelled.octave) + " (" + std::to_string(std::clamp(pitch, 0, 127)) + ") @ "
            + statusTimeText(song, tick);
    return text;
}

} // namespace rz
