#pragma once

namespace rz {

// The track view's row selection, which the edit commands use. Rows are track
// indices; -1 stands for no row. GUI thread only.
class ITrackRows {
public:
    virtual ~ITrackRows() = default;

    virtual int currentRow() const = 0;
    // When set, the selection is the current row alone.
    virtual bool currentRowMode() const = 0;
    virtual void SelectNone() = 0;
    virtual void SetCurrentRow(int row) = 0;
    virtual void SelectRow(int row, bool clearOthers) = 0;
    virtual bool IsRowSelected(int row) const = 0;
    virtual int GetSelectedCount() const = 0;
    virtual int GetFirstSelected() const = 0;
    virtual int GetNextSelected(int row) const = 0;
    // Matches the row flags to the song's track count; called under the SongMutex.
    virtual void SyncRowCount() = 0;

    // The lane views share the track view's vertical layout: its top row
    // (scrolling a lane view scrolls the track view too) and the height of
    // its header's second band, in pixels.
    virtual int topRow() const = 0;
    virtual void setTopRow(int row) = 0;
    virtual int secondBandHeight() const = 0;
    // Up and Down pressed in a lane view act as in the track view.
    virtual void stepCurrentRow(int delta) = 0;
};

} // namespace rz
