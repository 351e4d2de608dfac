#pragma once

#include "staff/model/staff_model.h"
#include "staff/staff_lines.h"
#include "ui/command_target.h"
#include "views/song_view.h"
#include "views/follow_policy.h"
#include "staff/staff_tool_state.h"

#include <QFont>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

namespace rz {

class CommandRouter;
class CUndoRecord;
class IProfile;
class ISongHost;
class ISynthLookup;
class ITrackRows;
class InPlaceEdit;
class KeyFilter;
class MusicFont;
class StaffMouse;
struct StaffPrintPlan;
class TornOffFocus;
class ViewFactory;
class ZoomScrollBar;

// What the staff and lead-sheet views reach of the program. Members left
// null fall back to the song's own seams.
struct StaffViewContext {
    IProfile* profile = nullptr;
    ISongHost* host = nullptr;
    ITrackRows* trackRows = nullptr;
    CommandRouter* router = nullptr; // a torn-off window registers itself while focused
    KeyFilter* keys = nullptr;       // off while the lyric editor is open; may be null
    // Asked at each rebuild: the program loads both after its views register.
    std::function<const MusicFont*()> font;
    std::function<const ISynthLookup*()> synths; // null or null result: the song's own
    // The frame's staff tools (note length, grid); null or empty: the defaults.
    std::function<const StaffToolState*()> tools;
    // Runs the Options sheet at its staff page, modally, whatever the answer.
    std::function<void()> openStaffOptions;
    // Starts a main-frame timer (tear-off makes the window by it).
    std::function<void(int timerId, int ms)> startFrameTimer;
    // Printing: the program's printer (null: the view keeps one), whether
    // performance mode is on, and the frame's print-preview mode.
    std::function<QPrinter*()> printer;
    std::function<bool()> performanceMode;
    std::function<void(bool on)> printPreviewMode;
};

// The edit of an in-place lyric as one "Edit Lyric" record: the old event
// (index into the track's events, -1 none) goes unless it was empty, the
// new text (leading blanks dropped, at most 99 bytes) comes at `tick` with
// the old event's kind, else FF 01 on a karaoke song and FF 05 otherwise.
// Null when nothing changes.
std::unique_ptr<CUndoRecord> lyricEditRecord(const CSongDoc& song, int track, int oldEvent,
                                             std::string_view typed, int32_t tick);

// The view of note events as staves: the score, one staff (two for a grand
// staff) per track selected in the track list, scrolling sideways; or the
// lead sheet, the same model broken into lines like a page. GUI thread:
// rebuilding, layout, painting and following never run elsewhere, so
// nothing they share needs a lock; follow() runs in the refresh pass under
// the SongMutex.
class StaffView : public SongView, public CommandTable<StaffView> {
    Q_OBJECT
public:
    static constexpr int kHorizontalBarId = 100;
    static constexpr int kVerticalBarId = 101;
    static constexpr int kSpawnMs = 100;
    static constexpr int kLyricEditWidth = 80;
    static constexpr int kLyricEditHeight = 18;
    static constexpr int kMaxLyric = 99;
    // Scroll codes beyond ZoomScrollBar's: to the top and to the bottom.
    static constexpr int kScrollTop = 6;
    static constexpr int kScrollBottom = 7;

    StaffView(const StaffViewContext& context, bool leadSheet, bool topLevel,
              QWidget* parent = nullptr);
    ~StaffView() override;

    using QWidget::update;
    using CommandTable<StaffView>::update;

    static std::span<const CommandRow<StaffView>> commandTable();
    bool onZoom(CommandId id);
    void updateZoom(CommandId id, CmdUi& ui);
    bool onStaffOptions(CommandId id);
    bool onSpawn(CommandId id);
    void updateAlways(CommandId id, CmdUi& ui);

    // SongView.
    void attach(CSongDoc& song) override;
    void detach() override;
    void initialUpdate() override;
    void songUpdate(uint32_t hint) override;
    void follow() override;
    std::array<int32_t, 2> layoutValues() const override { return {m_zoomY, 0}; }
    void setLayoutValues(const std::array<int32_t, 2>& values) override;

    bool leadSheet() const { return m_leadSheet; }
    bool initialized() const { return m_initialized; }
    int zoomY() const { return m_zoomY; }
    const StaffMetrics& metrics() const { return m_metrics; }
    const StaffModel& model() const { return m_model; }
    const StaffLines& lines() const { return m_lines; }
    int rulerHeight() const { return m_rulerHeight; }
    int originX() const { return m_originX; }
    int originY() const { return m_originY; }
    int cursorX() const { return m_cursorX; }
    int playMeasure() const { return m_playMeasure; }
    int rebuildCount() const { return m_rebuilds; }
    // How the last score follow step brought the window up to date.
    FollowRedraw lastFollowRedraw() const { return m_lastRedraw; }
    int offGuiThreadCalls() const { return m_offGuiThreadCalls; }
    ZoomScrollBar* horizontalBar() const { return m_hbar; }
    ZoomScrollBar* verticalBar() const { return m_vbar; }
    InPlaceEdit& lyricEditor() const { return *m_lyricEdit; }
    // The key, numerator and denominator the header column shows.
    std::array<int, 3> headerRecord() const { return m_headerRecord; }
    // The notation area in client pixels.
    QRect notationRect() const;
    // The play cursor's client x, or -1 when none is drawn.
    int cursorClientX() const;

    void setHorzPos(int position);
    void setVertPos(int position);
    // The staff under a client point and its time; the tick snaps to the
    // frame's grid when "Grid" is on.
    StaffPoint pointToTime(QPoint client) const;
    QPoint timeToPoint(int32_t tick, int staff, int position) const;

    // Opens the lyric editor on a staff: here (0) or one step back or on.
    void openLyricEdit(int staff, int direction);
    // Ends the open lyric edit as the key that closed it says.
    void commitLyricEdit(uint32_t exitKey);
    bool lyricEditOpen() const { return m_lyricStaff >= 0; }

    // The mouse tools, keys and context menu of the score.
    StaffMouse& mouse() const { return *m_mouse; }
    void scrollByKey(int code) { onScrolled(m_vbar, code); }
    // Printing (staff_print_commands.cpp): the score planned for a page of
    // that size in hundredths of a millimetre, and its pages printed on a
    // device (0: from the first, to the last); a score that does not fit
    // is refused through the song's prompt.
    StaffPrintPlan printPlan(QSize pageHundredths) const;
    bool printPages(QPagedPaintDevice& device, int from = 0, int to = 0);
    bool onPrint(CommandId id);
    void updatePrint(CommandId id, CmdUi& ui);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;

private:
    friend struct StaffPainter;
    friend class StaffMouse;
    void rebuild();
    void relayout();
    void updateBars();
    void readSettings();
    void onScrolled(ZoomScrollBar* bar, int code);
    void refreshHeaderColumn();
    void updateCursorColumn(int docX);
    void followScore();
    void followLeadSheet();
    int gridTicks() const;
    const StaffToolState* tools() const;
    const MusicFont* font() const;
    ISongHost* host() const;
    ITrackRows* trackRows() const;
    IProfile* profile() const;
    bool onGuiThread();

    StaffViewContext m_context;
    bool m_leadSheet = false;
    bool m_topLevel = false;
    bool m_initialized = false;
    int m_zoomY = 2;
    StaffMetrics m_metrics;
    StaffModel m_model;
    StaffLines m_lines;
    int m_rulerHeight = 0;
    int m_originX = 0;
    int m_originY = 0;
    int m_cursorX = -1;
    int m_playMeasure = -1;
    int m_lineCache = 0;
    mutable int m_measureCache = 0;
    std::array<int, 3> m_headerRecord{INT32_MIN, 0, 0};
    bool m_scrolling = false;
    int m_rebuilds = 0;
    FollowRedraw m_lastRedraw = FollowRedraw::None;
    int m_offGuiThreadCalls = 0;
    QFont m_lyricFace;
    QFont m_chordFace;
    ZoomScrollBar* m_hbar = nullptr;
    ZoomScrollBar* m_vbar = nullptr;
    InPlaceEdit* m_lyricEdit = nullptr;
    int m_lyricStaff = -1;
    int m_lyricText = -1;
    TornOffFocus* m_focus = nullptr;
    // Printing.
    QPrinter& printer();
    bool refusedPrint(const StaffPrintPlan& plan);
    bool previewPrint();
    std::shared_ptr<QPrinter> m_ownPrinter;
    // Last: a gesture ends (and its notes stop) before the rest goes.
    std::unique_ptr<StaffMouse> m_mouse;
    bool m_rightTookPress = false;
};

// Makes the score and lead-sheet views, docked and torn off.
void registerStaffView(ViewFactory& factory, const StaffViewContext& context);

} // namespace rz
