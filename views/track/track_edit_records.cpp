#include "views/track/track_edit_records.h"

#include "song/song_doc.h"
#include "song/track_list.h"
#include "views/track/track_cell_text.h"
#include "views/track/track_edit.h"

#include <algorithm>
#include <string>

namespace rz {
namespace {

std::unique_ptr<CUndoRecord> trackListRecord(std::unique_ptr<CTrackList> list, uint32_t flags, const char* label)
{
    auto record = std::make_unique<CUndoRecord>();
    record->flags = flags;
    record->label = label;
    record->tracks = std::move(list);
    return record;
}

// The user rows among `rows`, ascending and once each.
std::vector<uint32_t> userRows(const CSongDoc* song, std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<uint32_t> out;
    for (int r : rows)
        if (r >= 1 && (!song || size_t(r) + 1 < song->tracks.size()))
            out.push_back(uint32_t(r));
    return out;
}

} // namespace

std::unique_ptr<CUndoRecord> deleteTracksRecord(const std::vector<int>& selectedRows)
{
    auto list = std::make_unique<CTrackList>();
    list->sourceRows = userRows(nullptr, selectedRows);
    if (list->sourceRows.empty())
        return nullptr;
    return trackListRecord(std::move(list), kUndoTrackList, "Delete Tracks");
}

std::unique_ptr<CUndoRecord> dragTracksRecord(const CSongDoc& song, const std::vector<int>& selectedRows, int dropRow)
{
    const int count = int(song.tracks.size());
    if (count <= 2 || dropRow < 1 || dropRow > count - 1)
        return nullptr;
    auto list = std::make_unique<CTrackList>(false);
    for (uint32_t row : userRows(&song, selectedRows)) {
        list->sourceRows.push_back(row);
        list->targetRows.push_back(uint32_t(dropRow));
        list->addBorrowed(song.tracks[row].get());
    }
    if (list->sourceRows.empty())
        return nullptr;
    return trackListRecord(std::move(list), kUndoTrackList | kUndoViewMark, "Drag Tracks");
}

std::unique_ptr<CUndoRecord> sortTracksRecord(const CSongDoc& song, int column, const ISynthLookup* synths)
{
    const int count = int(song.tracks.size());
    if (count <= 2)
        return nullptr;
    struct Keyed {
        CTrack* track;
        CellText cell;
    };
    std::vector<Keyed> sorted;
    for (int row = 1; row <= count - 2; ++row)
        sorted.push_back({song.tracks[size_t(row)].get(), GetCellText(*song.tracks[size_t(row)], column, synths)});
    std::stable_sort(sorted.begin(), sorted.end(), [](const Keyed& a, const Keyed& b) {
        if (a.cell.align == TextAlign::Right)
            return leadingNumber(a.cell.text) < leadingNumber(b.cell.text);
        return a.cell.text < b.cell.text;
    });
    auto list = std::make_unique<CTrackList>(false);
    for (int row = 1; row <= count - 2; ++row) {
        list->sourceRows.push_back(uint32_t(row));
        list->targetRows.push_back(1);
        list->addBorrowed(sorted[size_t(row - 1)].track);
    }
    return trackListRecord(std::move(list), kUndoTrackList | kUndoViewMark, "Sort Tracks");
}

} // namespace rz
