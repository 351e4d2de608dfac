// Edit > Find, Find next and Find faults of the song document. GUI thread.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "core/prompt.h"
#include "core/song_host.h"
#include "core/track_rows.h"
#include "song/clipboard_edit.h"
#include "song/find_criteria.h"
#include "song/selection.h"
#include "song/song_doc.h"

namespace rz {

namespace {

constexpr char kNoMatches[] = "No matching events were found.";
constexpr std::string_view kMarkerPrefix = "@DR;";
constexpr int kChordMarker = 1;
constexpr int kWedgeMarker = 3;
constexpr size_t kChordNamesField = 7; // after the code: six chord bytes, then the names

std::string_view patternOf(const char (&field)[FindCriteria::kPatternBytes])
{
    return {field, strnlen(field, FindCriteria::kPatternBytes)};
}

void storePattern(char (&field)[FindCriteria::kPatternBytes], std::string_view pattern)
{
    std::memset(field, 0, sizeof field);
    std::memcpy(field, pattern.data(), std::min(pattern.size(), sizeof field - 1));
}

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

// Whether `text` holds `pattern` (both compared in ASCII lower case), or
// with `outside`, does not.
bool containsPattern(std::string_view text, std::string_view pattern, int32_t outside)
{
    const bool found = lowerAscii(text).find(lowerAscii(pattern)) != std::string::npos;
    return outside != 0 ? !found : found;
}

std::vector<std::string_view> splitFields(std::string_view text)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const size_t semicolon = text.find(';');
        fields.push_back(text.substr(0, semicolon));
        if (semicolon == std::string_view::npos)
            return fields;
        text.remove_prefix(semicolon + 1);
    }
}

// A text of the program's own markers: a chord matches by its chord names,
// a wedge by its kind; other markers never match.
bool matchMarker(const FindCriteria& c, std::string_view rest)
{
    const std::vector<std::string_view> fields = splitFields(rest);
    if (fields.front() == std::to_string(kChordMarker))
        return c.chords != 0 && fields.size() > kChordNamesField
               && containsPattern(fields[kChordNamesField], c.chordPatternView(), c.chordOutside);
    if (fields.front() == std::to_string(kWedgeMarker))
        return c.wedges != 0;
    return false;
}

bool matchMeta(const FindCriteria& c, const CMidiEvent& event)
{
    const auto bytes = event.data.bytes();
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (event.message == kTextMessage && text.starts_with(kMarkerPrefix))
        return matchMarker(c, text.substr(kMarkerPrefix.size()));
    return c.text != 0 && !text.empty() && containsPattern(text, c.textPatternView(), c.textOutside);
}

bool matchChannelMessage(const FindCriteria& c, const CMidiEvent& e)
{
    switch (midi::statusOf(e.kind())) {
    case 0x10:
        return c.rpn != 0 && c.rpnNumber.passes((e.message >> 8) & 0x7F)
               && c.rpnValue.passes((e.message >> 16) & 0x3FFF);
    case 0x20: return c.nrpn != 0 && c.nrpnNumber.passes(e.message >> 8) && c.nrpnValue.passes(e.value2);
    case midi::kNoteOn:
        return c.notes != 0 && c.key.passes(e.data1()) && c.velocity.passes(e.data2())
               && c.duration.passes(e.value2);
    case midi::kPolyPressure: return c.polyPressure != 0 && c.pressureKey.passes(e.data1()) && c.pressureValue.passes(e.data2());
    case midi::kControlChange:
        return c.controllers != 0 && c.controller.passes(e.data1()) && c.controllerValue.passes(e.data2());
    case midi::kProgramChange: return c.programs != 0 && c.program.passes(e.data1()) && c.bank.passes(e.value2);
    case midi::kChannelPressure: return c.channelPressure != 0 && c.channelPressureValue.passes(e.data1());
    case midi::kPitchBend: return c.pitchBend != 0 && c.bend.passes(int(e.data1()) + (int(e.data2()) - 64) * 128);
    default: return true;
    }
}

// Where a selection of one event ends: only a note adds its length.
int32_t selectionEnd(const CMidiEvent& event)
{
    return event.isNote() ? tickOf(int64_t(event.tick) + event.value2) : event.tick;
}

// The user tracks a search walks, from the last to the first.
std::vector<size_t> searchedTracks(const CSongDoc& song, bool selectedOnly)
{
    std::vector<size_t> tracks;
    for (size_t t = song.tracks.size() >= 2 ? song.tracks.size() - 2 : 0; t >= 1; --t)
        if (!selectedOnly || isRowSelected(song, t))
            tracks.push_back(t);
    return tracks;
}

// A match's place in the order Find next steps through: by tick, then track,
// then index.
struct FindKey {
    int32_t tick = 0;
    size_t track = 0;
    size_t index = 0;
    auto operator<=>(const FindKey&) const = default;
};

// The last event at `tick` of the searched tracks that carries the current
// selection stamp: the result Find next stands on.
std::optional<FindKey> currentResult(const CSongDoc& song, const std::vector<size_t>& tracks, int32_t tick)
{
    std::optional<FindKey> result;
    for (size_t t : tracks) {
        const auto& events = song.tracks[t]->events;
        auto it = std::lower_bound(events.begin(), events.end(), tick,
                                   [](const CMidiEvent& e, int32_t at) { return e.tick < at; });
        for (; it != events.end() && it->tick == tick; ++it)
            if (it->selectionStamp == song.selectionStamp) {
                const FindKey key{tick, t, size_t(it - events.begin())};
                if (!result || *result < key)
                    result = key;
            }
    }
    return result;
}

// The first match at or after `from`, after `after` when given.
std::optional<FindKey> nextMatch(const CSongDoc& song, const std::vector<size_t>& tracks, int32_t from,
                                 const std::optional<FindKey>& after)
{
    std::optional<FindKey> best;
    for (size_t t : tracks) {
        const auto& events = song.tracks[t]->events;
        auto it = std::lower_bound(events.begin(), events.end(), from,
                                   [](const CMidiEvent& e, int32_t at) { return e.tick < at; });
        for (; it != events.end(); ++it) {
            const FindKey key{it->tick, t, size_t(it - events.begin())};
            if (best && *best < key)
                break;
            if ((!after || *after < key) && song.MatchEvent(*it)) {
                best = key;
                break;
            }
        }
    }
    return best;
}

} // namespace

std::string_view FindCriteria::textPatternView() const { return patternOf(textPattern); }
std::string_view FindCriteria::chordPatternView() const { return patternOf(chordPattern); }
void FindCriteria::setTextPattern(std::string_view pattern) { storePattern(textPattern, pattern); }
void FindCriteria::setChordPattern(std::string_view pattern) { storePattern(chordPattern, pattern); }

bool MatchEvent(const FindCriteria& c, const CMidiEvent& event)
{
    if (c.timeRangeOn != 0 && (event.tick < c.timeFrom || event.tick > c.timeTo))
        return false;
    const uint8_t kind = event.kind();
    if (kind < 0x10)
        return true;
    if (kind == midi::kMeta)
        return matchMeta(c, event);
    if (kind == midi::kSysEx || kind == midi::kEndOfSysEx)
        return c.sysex != 0;
    return matchChannelMessage(c, event);
}

bool CSongDoc::MatchEvent(const CMidiEvent& event) const
{
    return rz::MatchEvent(m_context.host.findCriteria(), event);
}

bool CSongDoc::OnUpdateEditFind(bool needsDialog) const
{
    // Results locate the song, which the engine does itself while it plays.
    const TransportState state = m_context.engine.transportState();
    if (state != TransportState::Stopped && state != TransportState::Paused)
        return false;
    return !needsDialog || hasEditDialog(*this, EditDialog::Find);
}

void CSongDoc::OnEditFind()
{
    if (!OnUpdateEditFind())
        return;
    FindCriteria& criteria = m_context.host.findCriteria();
    if (!m_context.editDialogs->find(*this, criteria))
        return;
    if (criteria.findAll == 0) {
        OnEditFindNext();
        return;
    }
    selectionFrom = -1;
    selectionTo = -1;
    ++selectionStamp;
    selectionKind = kSelectEvents;
    std::vector<size_t> matched;
    for (size_t t : searchedTracks(*this, criteria.selectedTracksOnly != 0)) {
        bool any = false;
        for (CMidiEvent& event : tracks[t]->events) {
            if (!MatchEvent(event))
                continue;
            event.selectionStamp = selectionStamp;
            selectionFrom = selectionFrom < 0 ? event.tick : std::min(selectionFrom, event.tick);
            selectionTo = std::max(selectionTo, selectionEnd(event));
            any = true;
        }
        if (any)
            matched.push_back(t);
    }
    if (matched.empty()) {
        m_context.prompt.message(kNoMatches);
        return;
    }
    if (ITrackRows* rows = m_context.trackRows) {
        rows->SelectNone();
        for (size_t t : matched)
            rows->SelectRow(int(t), false);
    }
    m_context.host.activateEditorView(*this);
    m_context.host.UpdateAllViews();
}

void CSongDoc::OnEditFindNext()
{
    if (!OnUpdateEditFind())
        return;
    const bool selectedOnly = m_context.host.findCriteria().selectedTracksOnly != 0;
    const std::vector<size_t> searched = searchedTracks(*this, selectedOnly);
    const int32_t from = std::max(position(), 0);
    std::optional<FindKey> found = nextMatch(*this, searched, from, currentResult(*this, searched, from));
    if (!found && from != 0)
        found = nextMatch(*this, searched, 0, std::nullopt);
    ITrackRows* rows = m_context.trackRows;
    if (!found) {
        m_context.prompt.message(kNoMatches);
        if (!selectedOnly) {
            ++selectionStamp;
            if (rows != nullptr)
                rows->SelectNone();
        }
        return;
    }
    CMidiEvent& event = tracks[found->track]->events[found->index];
    event.selectionStamp = ++selectionStamp;
    selectionFrom = event.tick;
    selectionTo = selectionEnd(event);
    selectionKind = kSelectEvents;
    if (!selectedOnly && rows != nullptr)
        rows->SelectRow(int(found->track), true);
    Locate(event.tick);
    m_context.host.UpdateAllViews();
    if (selectedOnly)
        UpdateViews(nullptr, 0);
}

namespace {

// A note still sounding on the channel a group of tracks shares.
struct SoundingNote {
    int64_t end = 0;
    uint8_t key = 0;
    size_t track = 0;
    size_t index = 0;
};

struct GroupNote {
    int32_t tick = 0;
    size_t member = 0; // place in the group
    size_t index = 0;
};

// What one pass of Find faults gathers.
struct FaultScan {
    int count = 0;
    std::vector<int32_t> faultTicks;
    std::vector<size_t> faultTracks;
};

// The output a track plays on: its port's entry in the output map, or the
// port number itself (kept apart from entries) when that port is not open.
int64_t outputOf(const CSongDoc& song, const CTrack& track)
{
    const int entry = song.context().engine.outputMapEntry(track.port);
    return entry >= 0 ? entry : -1 - int64_t(track.port);
}

bool playsMidi(const CTrack& track) { return track.type == kMidiTrack && track.playEnabled != 0; }

// Compares every note of the group with the notes still sounding when it
// starts: another instrument, or the same key, is a fault.
void scanGroup(CSongDoc& song, const std::vector<size_t>& group, FaultScan& scan)
{
    std::vector<GroupNote> notes;
    for (size_t m = 0; m < group.size(); ++m) {
        const auto& events = song.tracks[group[m]]->events;
        for (size_t e = 0; e < events.size(); ++e)
            if (events[e].isNote())
                notes.push_back(GroupNote{events[e].tick, m, e});
    }
    std::stable_sort(notes.begin(), notes.end(), [](const GroupNote& a, const GroupNote& b) {
        return a.tick < b.tick || (a.tick == b.tick && a.member > b.member);
    });
    std::vector<SoundingNote> sounding;
    for (const GroupNote& n : notes) {
        const size_t track = group[n.member];
        const CTrack& nTrack = *song.tracks[track];
        CMidiEvent& note = song.tracks[track]->events[n.index];
        for (size_t s = sounding.size(); s-- > 0;) {
            const SoundingNote& other = sounding[s];
            if (other.end <= note.tick) {
                sounding.erase(sounding.begin() + std::ptrdiff_t(s));
                continue;
            }
            const CTrack& oTrack = *song.tracks[other.track];
            if (oTrack.bank == nTrack.bank && oTrack.patch == nTrack.patch && other.key != note.data1())
                continue;
            CMidiEvent& earlier = song.tracks[other.track]->events[other.index];
            ++scan.count;
            note.selectionStamp = earlier.selectionStamp = song.selectionStamp;
            for (const CMidiEvent* e : {&note, &earlier}) {
                song.selectionFrom = song.selectionFrom < 0 ? e->tick : std::min(song.selectionFrom, e->tick);
                song.selectionTo = std::max(song.selectionTo, selectionEnd(*e));
            }
            scan.faultTicks.push_back(note.tick);
            scan.faultTracks.push_back(track);
            scan.faultTracks.push_back(other.track);
        }
        sounding.push_back(SoundingNote{int64_t(note.tick) + note.value2, note.data1(), track, n.index});
    }
}

} // namespace

void CSongDoc::OnEditFindFaults()
{
    if (!OnUpdateEditFind(false))
        return;
    ITrackRows* rows = m_context.trackRows;
    if (rows != nullptr)
        rows->SelectNone();
    selectionFrom = -1;
    selectionTo = -1;
    ++selectionStamp;
    selectionKind = kSelectEvents;
    const size_t userEnd = tracks.empty() ? 0 : tracks.size() - 1;
    std::vector<bool> done(userEnd, false);
    FaultScan scan;
    for (size_t i = 0; i < userEnd; ++i) {
        if (done[i])
            continue;
        done[i] = true;
        const CTrack& track = *tracks[i];
        if (!playsMidi(track) || track.patch < 0)
            continue;
        std::vector<size_t> group;
        for (size_t j = 0; j < userEnd; ++j) {
            const CTrack& other = *tracks[j];
            if (playsMidi(other) && other.channel == track.channel && outputOf(*this, other) == outputOf(*this, track)) {
                group.push_back(j);
                done[j] = true;
            }
        }
        if (group.size() >= 2)
            scanGroup(*this, group, scan);
    }
    if (rows != nullptr)
        for (size_t t : scan.faultTracks)
            rows->SelectRow(int(t), false);
    if (!scan.faultTicks.empty()) {
        std::sort(scan.faultTicks.begin(), scan.faultTicks.end());
        const auto after = std::upper_bound(scan.faultTicks.begin(), scan.faultTicks.end(), position());
        Locate(after != scan.faultTicks.end() ? *after : scan.faultTicks.front());
    }
    m_context.host.SetStatusText(std::to_string(scan.count) + " faults.");
    m_context.host.UpdateAllViews();
}

} // namespace rz
