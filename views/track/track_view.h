#pragma once

#include "core/track_rows.h"
#include "ui/command_target.h"
#include "views/frame_timer_ids.h"
#include "views/song_view.h"
#include "views/track/track_columns.h"
#include "views/track/track_edit.h"
#include "views/track/track_row_layout.h"
#include "views/track/track_selection.h"

#include <QPointer>
#include <QTimer>

#include <functional>
#include <vector>
#include <span>
#include <string>

class QMenu;

namespace rz {

class CommandRouter;
class CTrack;
class IProfile;
class ISongHost;
class InPlaceEdit;
class KeyFilter;
class TornOffFocus;
class TrackHeader;
class ViewFactory;
class ZoomScrollBar;

// What the track list reaches of the program.
struct TrackViewContext {
    IProfile* profile = nullptr;   // "TrackView": column widths and order
    ISongHost* host = nullptr;     // zooms, performance mode, status text, views
    KeyFilter* keys = nullptr;     // off while a cell editor is open; may be null
    CommandRouter* router = nullptr; // a torn-off window registers itself while focused
    // The header-font zoom ("FZoom") is the application's; null keeps it.
    std::function<void(int zoom)> setHeaderZoom;
    // Every view of the set, after the header font changed.
    std::function<void()> updateAllViews;
    // The current editor and controller views, whose selection colours follow ours.
    std::function<void()> repaintEditors;
    // Starts a main-frame timer (the spawn command makes a window by it).
    std::function<void(int timerId, int ms)> startFrameTimer;
    // A right-click menu command this view does not handle.
    std::function<bool(CommandId)> sendToFrame;
    // The open clip or clock-time view scrolls its lanes to our top row;
    // while one sits in the frame, its bar scrolls the rows and ours hides.
    std::function<void(int topRow)> scrollLanes;
    std::function<bool()> lanesFollow;
    // The list in its pane takes the menu commands while it has the focus;
    // the editor view gets them back when the focus goes elsewhere.
    std::function<void(CommandTarget* view, bool focused)> activate;
};

// The track list: one row per track of the current song in fifteen
// columns, the one track selection of the program, and the row layout the
// lane views copy. Cells are edited in place; "in" toggles at a click and
// "mix" is a slider. GUI thread; painting takes no lock, edits go through
// the song.
class TrackView : public SongView, public CommandTable<TrackView>, public ITrackRows {
    Q_OBJECT
public:
    static constexpr int kSpawnTimer = frame_timer::kTracksWindow;
    static constexpr int kSpawnMs = 100;
    static constexpr int kBarSize = 17;
    static constexpr int kMaxHeaderZoom = 7;

    TrackView(const TrackViewContext& context, bool topLevel, QWidget* parent = nullptr);
    ~TrackView() override;

    static std::span<const CommandRow<TrackView>> commandTable();

    // SongView.
    void attach(CSongDoc& song) override;
    void detach() override;
    void initialUpdate() override;
    void songUpdate(uint32_t hint) override;

    // ITrackRows, answered by the selection.
    int currentRow() const override { return m_selection.currentRow(); }
    bool currentRowMode() const override { return m_selection.currentRowMode(); }
    void SelectNone() override { m_selection.SelectNone(); }
    void SetCurrentRow(int row) override { m_selection.SetCurrentRow(row); }
    void SelectRow(int row, bool exclusive) override { m_selection.SelectRow(row, exclusive); }
    bool IsRowSelected(int row) const override { return m_selection.IsRowSelected(row); }
    int GetSelectedCount() const override { return m_selection.GetSelectedCount(); }
    int GetFirstSelected() const override { return m_selection.GetFirstSelected(); }
    int GetNextSelected(int row) const override { return m_selection.GetNextSelected(row); }
    void SyncRowCount() override { m_selection.SyncRowCount(); }
    int topRow() const override { return m_selection.topRow(); }
    void setTopRow(int row) override { m_selection.setTopRow(row); }
    int secondBandHeight() const override { return m_selection.secondBandHeight(); }
    void stepCurrentRow(int delta) override { m_selection.stepCurrentRow(delta); }

    TrackSelection& selection() { return m_selection; }
    const TrackColumns& columns() const { return m_columns; }
    const TrackRowLayout& rowLayout() const { return m_layout; }
    InPlaceEdit& editor() const { return *m_editor; }
    bool mixDragging() const { return m_mixRow >= 0; }

    // Performance mode shows "in" first and keeps the user's order.
    void enterPerformanceMode();
    void leavePerformanceMode();

    // The cell of `row` at display position `position`, in view pixels.
    QRect cellRect(int row, int position) const;
    // The row at view y: 1..count-1, or -1 outside the rows.
    int rowAtY(int y) const;
    // The display position at view x right of the number column, or -1.
    int positionAtX(int x) const;
    // The column index of the current cell; -1 in row mode.
    int currentColumnIndex() const;
    // Whether the current cell may be edited now.
    bool canEditCurrentCell() const;
    // The single path of cell changes, on `row` in the column at display
    // position `position`.
    CellEdit InsertTrack(int row, int position, std::string_view text);
    // Opens the cell editor on the current cell holding `text`.
    void openEditor(const QString& text);

    // Commands.
    bool onZoom(CommandId id);
    void onUpdateZoom(CommandId id, CmdUi& ui);
    bool onSelectAllTracks(CommandId id);
    bool onSpawn(CommandId id);
    bool onSolo(CommandId id);
    void onUpdateSolo(CommandId id, CmdUi& ui);
    bool onTrackStep(CommandId id);
    bool onDelete(CommandId id);
    void onUpdateDelete(CommandId id, CmdUi& ui);
    bool onCopyCut(CommandId id);
    void onUpdateCopyCut(CommandId id, CmdUi& ui);
    // Cell mode with an empty application clipboard: the system clipboard's
    // text opens the cell editor; otherwise the application pastes.
    bool onPaste(CommandId id);
    void onUpdatePaste(CommandId id, CmdUi& ui);
    bool onProperties(CommandId id);
    void onUpdateProperties(CommandId id, CmdUi& ui);
    // Paste and Properties leave some decisions to the next target.
    bool update(CommandId id, CmdUi& ui) override;
    // Sorts the tracks by the column of a header section; refused while
    // the transport runs or in performance mode.
    bool sortByColumn(int column);

    // The drag autoscrolls' beats, each run by its 100 ms timer.
    static constexpr int kRowScrollTimer = 22;
    static constexpr int kColumnScrollTimer = 33;
    static constexpr int kAutoscrollMs = 100;
    bool rowScrollActive() const { return m_rowScroll.isActive(); }
    bool columnScrollActive() const { return m_columnScroll.isActive(); }
    void rowScrollBeat();
    void columnScrollBeat();
    int horizontalOffset() const { return m_horizontalOffset; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Layout.
    void relayout();
    void applyHeaderWidths();
    void syncHeaderOrder();
    int totalColumnsWidth() const;
    int cellLeft(int position) const;
    QRect gridRect() const;
    void updateBars();
    void refreshHeaderFont();
    void scrollIntoView();
    void onHeaderScrolled(int code);
    void onRowsScrolled(int code);
    void onSectionMoved(int logical, int oldVisual, int newVisual);
    void onSectionResized(int logical, int oldSize, int newSize);
    bool performing() const;
    bool stopped() const;

    // Editing.
    std::vector<int> selectedRows() const;
    bool copyRows();
    void copyCell();
    bool headerEvent(QEvent* event);
    void endColumnDrag();
    void dragMove(QPoint point);
    void endTrackDrag();
    void commitEditor();
    void handleKey(int key, Qt::KeyboardModifiers modifiers);
    bool typeCharacter(const QString& text);
    // `cellActions`: a left press also toggles "in" and grabs the mix knob.
    void pressRow(QPoint point, Qt::KeyboardModifiers modifiers, bool cellActions);
    void startMixDrag(int row, int position, QPoint point);
    void moveMixDrag(QPoint point);
    void endMixDrag();
    void setLiveVolume(CTrack& track, int percent);
    void showMixStatus(const CTrack& track);
    void setStatusText(const std::string& text);
    void updateCursor(QPoint point);
    QMenu* buildContextMenu();

    // Painting.
    void paintRow(QPainter& painter, int row, const QRect& clip);
    void paintCell(QPainter& painter, const CTrack& track, int row, int position, const QRect& cell);
    void paintInBox(QPainter& painter, const CTrack& track, const QRect& cell);
    void paintMixSlider(QPainter& painter, const CTrack& track, const QRect& cell);
    void paintNumberCell(QPainter& painter, const CTrack* track, int row, const QRect& cell);
    QFont viewFont(bool bold = false) const;

    TrackViewContext m_context;
    class NotifyTimer : public IOneShotTimer {
    public:
        QTimer timer;
        void start(int ms) override { timer.start(ms); }
        void stop() override { timer.stop(); }
        bool isActive() const override { return timer.isActive(); }
    } m_notifyTimer;
    TrackSelection m_selection{m_notifyTimer};
    TrackColumns m_columns;
    TrackRowLayout m_layout;
    TrackHeader* m_header = nullptr;
    QWidget* m_corner = nullptr;
    ZoomScrollBar* m_hbar = nullptr;
    ZoomScrollBar* m_vbar = nullptr;
    InPlaceEdit* m_editor = nullptr;
    TornOffFocus* m_focus = nullptr;
    bool m_editorOpen = false;
    bool m_sizing = false;
    int m_horizontalOffset = 0;
    // The press in the number column waiting for its release.
    bool m_numberPress = false;
    QPoint m_pressPoint;
    bool m_dragged = false;
    QPoint m_mousePoint; // the pointer's last place during a press
    QTimer m_rowScroll;
    QTimer m_columnScroll;
    bool m_headerPressed = false;
    // The mix drag: its row, where it began, the knob's offset then and the
    // track's percent before it.
    int m_mixRow = -1;
    int m_mixPosition = 0;
    QPoint m_mixStart;
    int m_mixStartOffset = 0;
    int m_mixBefore = 0;
    int m_mixValue = 0;
};

// Registers the track list with the program's view factory.
void registerTrackView(ViewFactory& factory, const TrackViewContext& context);

} // namespace rz
