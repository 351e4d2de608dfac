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
};

} // namespace rz
