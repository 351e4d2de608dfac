#pragma once

#include "core/track_rows.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace rz {

class CSongDoc;

// A one-shot timer the selection restarts on every change; the view backs
// it with a QTimer, tests with a manual one. GUI thread.
class IOneShotTimer {
public:
    virtual ~IOneShotTimer() = default;
    // Starts the period again from now.
    virtual void start(int ms) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

// What the selection asks of the view that shows it; each may be empty.
struct TrackSelectionHooks {
    std::function<void()> repaint;          // the grid
    std::function<void()> repaintEditors;   // the current editor and controller views
    std::function<void()> scrollIntoView;   // bring the current cell into sight
    std::function<void()> topRowChanged;    // the rows scrolled
};

// The keys the track list moves its selection with.
enum class TrackKey { PageUp, PageDown, End, Home, Left, Up, Right, Down, Insert };

struct TrackKeyModifiers {
    bool shift = false;
    bool ctrl = false;
};

// The one track selection of the program. Rows are track indices: row 0 is
// the conductor track and the last row the song's empty track, and neither
// is ever selected. In row mode (current column 0) the selection is the
// flagged rows; in cell mode it is the current row alone. Changes other
// views must see restart a 250 ms notify, so a burst of them refreshes the
// song's views once. GUI thread; SyncRowCount also under the SongMutex.
class TrackSelection : public ITrackRows {
public:
    static constexpr int kNotifyMs = 250;
    static constexpr int kColumnCount = 15;

    explicit TrackSelection(IOneShotTimer& notifyTimer);

    void setHooks(TrackSelectionHooks hooks) { m_hooks = std::move(hooks); }
    // The song whose tracks the rows stand for; null detaches.
    void setSong(CSongDoc* song);
    CSongDoc* song() const { return m_song; }

    int rowCount() const { return m_rowCount; }
    int currentColumn() const { return m_currentColumn; }
    int anchorRow() const { return m_anchorRow; }
    bool cellMode() const { return m_currentColumn > 0; }
    // Cell mode on a displayed column (1-based), or row mode with 0.
    void setCurrentColumn(int column);

    // ITrackRows.
    int currentRow() const override { return m_currentRow; }
    bool currentRowMode() const override { return cellMode(); }
    void SelectNone() override;
    void SetCurrentRow(int row) override;
    void SelectRow(int row, bool exclusive) override;
    bool IsRowSelected(int row) const override { return IsRowSelected(row, false); }
    int GetSelectedCount() const override;
    int GetFirstSelected() const override;
    int GetNextSelected(int row) const override;
    void SyncRowCount() override;
    int topRow() const override { return m_topRow; }
    // Within 0..maxTopRow().
    void setTopRow(int row) override;
    int secondBandHeight() const override;
    void stepCurrentRow(int delta) override;

    // The largest top row the grid's height allows; the view sets it.
    int maxTopRow() const { return m_maxTopRow; }
    void setMaxTopRow(int row);

    // `flagsOnly`: the row's flag alone, never the cell-mode current row.
    bool IsRowSelected(int row, bool flagsOnly) const;
    void DeselectRow(int row);
    void SelectAll();
    // Clears the flags of row 0 and the last row and tells the song what
    // the selection holds.
    void RefreshSelection();
    // Solo: the selected rows play, the rest are silent.
    void ApplyRowFlags();
    // Un-solo; true when the song had a solo to revert.
    bool InvalidateIfChanged();
    void MarkSelectedTracks();
    void ClearTrackMarks();

    // A press in the number column on row 1..count-1, and its release.
    void pressNumber(int row, TrackKeyModifiers modifiers);
    void releaseNumber(bool dragged);
    // A press on row 1..count-1 in the displayed column `position` (0-based).
    void pressCell(int row, int position);
    // A press above, below or beside the rows.
    void pressOutside();
    // A key of the grid; `page` is the rows one page holds. False when the
    // key is to insert a track instead (the caller does it).
    bool key(TrackKey key, TrackKeyModifiers modifiers, int page);

    bool notifyPending() const { return m_timer.isActive(); }
    // Restarts the notify period.
    void notify();
    // The period ended, or a pending notify is wanted at once.
    void notifyNow();

private:
    bool flagged(int row) const;
    void clearFlags();
    void flagRange(int from, int to);
    // After a key in row mode: Shift spans from the anchor, a plain key
    // selects the current row alone, Ctrl keeps the flags.
    void rowModeStep(TrackKeyModifiers modifiers);
    // Whether row `row` is the selection for solo and record marks.
    bool chosen(int row) const;
    int songRows() const;
    void setRecordMarks(const std::function<int(int row)>& mark);
    void repaint() const;

    IOneShotTimer& m_timer;
    TrackSelectionHooks m_hooks;
    CSongDoc* m_song = nullptr;
    int m_rowCount = 0;
    std::vector<uint8_t> m_flags; // 1: selected
    int m_currentRow = 1;
    int m_currentColumn = 1;
    int m_anchorRow = 1;
    int m_topRow = 0; // rows scrolled off the top
    int m_maxTopRow = 0;
    // The press in the number column waiting for its release.
    int m_pressRow = -1;
    bool m_pressShift = false;
    bool m_pressCtrl = false;
    bool m_pressOnSelected = false;
};

} // namespace rz
