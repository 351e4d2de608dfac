#include "views/piano/piano_layout.h"

#include "views/patch_names.h"

#include "core/muldiv.h"
#include "core/settings.h"
#include "core/synth_lookup.h"
#include "core/track_rows.h"
#include "song/seek_point.h"
#include "song/song_doc.h"

#include <algorithm>

namespace rz {
namespace {

constexpr int kMinSubdivisionPixels = 8;

int heightIndex(int rowHeight)
{
    const auto& heights = PianoLayout::kRowHeights;
    const auto it = std::find(heights.begin(), heights.end(), rowHeight);
    return it == heights.end() ? -1 : int(it - heights.begin());
}

// The first row kept in proportion to the keyboard; a keyboard that fits
// the plot exactly (or less) gives no correction.
PianoLayout::Zoom stepTo(PianoLayout::Zoom from, int to, int plotHeight)
{
    PianoLayout::Zoom next{.rowHeight = to, .firstRow = from.firstRow};
    const int64_t room = int64_t(PianoLayout::kRows) * from.rowHeight - plotHeight;
    if (room > 0) {
        const int64_t change = int64_t(std::abs(to - from.rowHeight)) * PianoLayout::kRows * from.firstRow / room;
        next.firstRow = int(to > from.rowHeight ? from.firstRow + change : from.firstRow - change);
    }
    const PianoLayout layout{.rowHeight = to, .firstRow = 0, .noteTop = 0};
    next.firstRow = std::clamp(next.firstRow, 0, layout.maxFirstRow(plotHeight));
    return next;
}

} // namespace

bool PianoLayout::blackKey(int key)
{
    switch (((key % 12) + 12) % 12) {
    case 1:
    case 3:
    case 6:
    case 8:
    case 10: return true;
    default: return false;
    }
}

int PianoLayout::keyAtY(int y) const
{
    const int64_t offset = int64_t(firstRow) * rowHeight - noteTop + y;
    if (offset < 0)
        return -1;
    const int64_t key = kTopKey - offset / std::max(rowHeight, 1);
    return key >= kBottomKey ? int(key) : -1;
}

int PianoLayout::yOfKey(int key) const
{
    return noteTop + (rowOfKey(key) - firstRow) * rowHeight;
}

int PianoLayout::maxFirstRow(int plotHeight) const
{
    return std::max((keyboardHeight() - plotHeight) / std::max(rowHeight, 1), 0);
}

int PianoLayout::storedRowHeight(int value)
{
    return heightIndex(value) < 0 ? kDefaultRowHeight : value;
}

PianoLayout::Zoom PianoLayout::zoomIn(Zoom from, int plotHeight)
{
    const int index = heightIndex(from.rowHeight);
    if (index < 0 || index + 1 >= int(kRowHeights.size()))
        return from;
    return stepTo(from, kRowHeights[size_t(index + 1)], plotHeight);
}

PianoLayout::Zoom PianoLayout::zoomOut(Zoom from, int plotHeight)
{
    const int index = heightIndex(from.rowHeight);
    if (index <= 0)
        return from;
    if (index == 1)
        return Zoom{.rowHeight = kRowHeights[0], .firstRow = 0};
    return stepTo(from, kRowHeights[size_t(index - 1)], plotHeight);
}

std::optional<std::string> PianoLayout::drumSetOf(const CSongDoc& song, const CTrack& track)
{
    const ISynthLookup* synths = song.context().synths;
    if (!synths || !drumChannelMatches(track))
        return std::nullopt;
    return synths->drumsetName(track.synth, track.bank, track.patch);
}

int PianoLayout::stripWidth(const CSongDoc& song, const std::vector<int>& shown, int rowHeight)
{
    if (shown.size() != 1 || rowHeight < kNamesFromRowHeight)
        return kNarrowStrip;
    return drumSetOf(song, *song.tracks[size_t(shown.front())]) ? kWideStrip : kNarrowStrip;
}

std::vector<int> PianoLayout::shownTracks(const CSongDoc& song, const ITrackRows* rows)
{
    std::vector<int> shown;
    if (!rows || song.tracks.size() < 3)
        return shown;
    for (int t = 1; t + 1 < int(song.tracks.size()); ++t)
        if (rows->IsRowSelected(t) && song.tracks[size_t(t)]->type == kMidiTrack)
            shown.push_back(t);
    if (song.tracks.front()->recordArm != 0)
        std::stable_partition(shown.begin(), shown.end(),
                              [&](int t) { return song.tracks[size_t(t)]->recordArm > 0; });
    return shown;
}

void PianoLayout::visibleNotes(const CSongDoc& song, const CTrack& track, int32_t from, int32_t to,
                               std::vector<size_t>& out)
{
    out.clear();
    const std::vector<CMidiEvent>& events = track.events;
    const int64_t stretch = int64_t(kSeekQuarters) * std::max<int>(song.timeBase, 1);
    const int64_t block = std::max<int64_t>(from, 0) / stretch;
    const int64_t blockStart = block * stretch;
    const auto sounding = [&](const CMidiEvent& e) {
        return e.isNote() && (e.tick >= from || int64_t(e.tick) + e.value2 > from);
    };
    if (size_t(block) < track.seekPoints.size()) {
        // The image may be older than the events: every index is checked.
        for (uint32_t index : track.seekPoints[size_t(block)].soundingNoteIndices)
            if (index < events.size() && events[index].tick < blockStart && sounding(events[index]))
                out.push_back(index);
    }
    auto it = std::lower_bound(events.begin(), events.end(), blockStart,
                               [](const CMidiEvent& e, int64_t tick) { return e.tick < tick; });
    for (; it != events.end() && it->tick < to; ++it)
        if (sounding(*it))
            out.push_back(size_t(it - events.begin()));
}

int PianoLayout::subdivisions(int32_t measureLength, int gridValue, int timeBase, int measurePixels)
{
    const int32_t grid = std::max(MulDiv(gridValue, timeBase, 240), 1);
    int n = std::max(measureLength, 0) / grid;
    while (n > 2 && measurePixels / n < kMinSubdivisionPixels)
        n = n % 3 == 0 ? n / 3 : n / 2;
    return n;
}

int readPianoZoom(const IProfile& profile)
{
    return PianoLayout::storedRowHeight(readSetting(profile, settings::kDisplayPianoZoom));
}

void writePianoZoom(IProfile& profile, int rowHeight)
{
    writeSetting(profile, settings::kDisplayPianoZoom, PianoLayout::storedRowHeight(rowHeight));
}

} // namespace rz
