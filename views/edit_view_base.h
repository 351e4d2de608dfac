#pragma once

#include "core/settings.h"
#include "views/lane_layout.h"
#include "views/follow_policy.h"
#include "views/pointer_gesture.h"
#include "views/rubber_band.h"
#include "views/song_view.h"
#include "views/time_axis.h"
#include "views/view_links.h"

#include <QColor>
#include <QFont>
#include <QMouseEvent>
#include <QRect>
#include <QTimer>

#include <cstdint>
#include <string>

class QMenu;

namespace rz {

class IProfile;
class ISongHost;
class ITrackRows;
class ZoomScrollBar;

// What the tick-axis editing views share: the plot between the ruler bands,
// the left margin and two zoom scroll bars; one horizontal scale; the lane
// layout of the track view; following the play position; autoscroll while a
// drag leaves the plot; the common keys, status text, tool tips and context
// menu; and the reactions to update hints. Everything runs on the GUI
// thread; follow() is called by the refresh pass under the SongMutex, and
// only schedules repaints: paintEvent() alone draws.
class EditViewBase : public SongView, public ILinkedView {
    Q_OBJECT
public:
    static constexpr int kHorizontalBarId = 100;
    static constexpr int kVerticalBarId = 101;
    static constexpr int kBarThickness = 17;
    static constexpr int kAutoscrollMs = 50;
    static constexpr int kKeyScrollColumns = 16;
    // Update hints that only repaint: the track list or its properties.
    static constexpr uint32_t kHintRepaintOnly = 0x1000;
    static constexpr uint32_t kHintTracks = 0x2000;

    explicit EditViewBase(LinkRole role, QWidget* parent = nullptr);
    ~EditViewBase() override;

    void attach(CSongDoc& song) override;
    void detach() override;
    void initialUpdate() override;
    void songUpdate(uint32_t hint) override;
    void follow() override;

    LinkRole linkRole() const override { return m_role; }
    int linkMargin() const override { return m_leftMargin; }
    int32_t linkOrigin() const override { return origin(); }
    void setLinkedOrigin(int32_t origin) override;
    // The views whose origins move with this one's; may be null. A view
    // with an axis of its own stays out of them.
    void setViewLinks(ViewLinks* links);
    ViewLinks* viewLinks() const { return m_links; }

    // Scrolls to an origin (negative becomes 0, the maximum caps it);
    // `bringLinked` brings the linked views along.
    void setScrollOrigin(int64_t origin, bool bringLinked);
    // The origin as the linked tick-axis views take it, clamped into int.
    int32_t origin() const { return clampToInt(m_origin); }
    int64_t contentOrigin() const { return m_origin; }
    int64_t cursorColumn() const { return m_cursorColumn; }
    int64_t maxOrigin() const;
    // The horizontal axis; the tick axis by default, a view with its own
    // axis overrides all of these. Content x counts pixel columns from the
    // song's start.
    virtual int64_t contentXOfTick(int32_t tick) const;
    virtual int32_t tickOfContentX(int64_t x) const;
    virtual int64_t contentWidth() const;
    // Scrolls the lanes so that track row `row` + 1 is the top lane; the
    // track list calls it when its rows scroll.
    void ScrollToRow(int row);
    bool initialized() const { return m_initialized; }
    bool scrolling() const { return m_scrolling; }
    QRect plotRect() const { return m_plot; }
    TimeAxis axis() const;
    const LaneLayout& lanes() const { return m_lanes; }
    ZoomScrollBar* horizontalBar() const { return m_hbar; }
    ZoomScrollBar* verticalBar() const { return m_vbar; }
    RubberBand& rubberBand() { return m_band; }
    // The x of the play line, or -1 when none is drawn.
    int playLineX() const;
    static QColor playLineColor() { return QColor(0, 255, 255); }
    // Calls of follow() or paintEvent() that came off the GUI thread and
    // were refused; 0 in a sound program.
    int offGuiThreadCalls() const { return m_offGuiThreadCalls; }
    bool autoscrollActive() const { return m_autoscroll.isActive(); }
    // One beat of the autoscroll timer; public so tests drive it.
    void autoscrollTick();
    // The song's selection as the views draw it.
    struct Selection {
        uint32_t stamp = 0;
        uint32_t kind = 0;
        int32_t from = -1;
        int32_t to = -1;
    };
    Selection selection() const;
    // Whether the track view has the row selected.
    bool rowSelected(int row) const;
    // Ends the band, committing what it crossed into the song's stamp;
    // returns how many items changed.
    int commitBand();
    // The modifier of the second role of a drag: Alt, or Meta where the
    // desktop takes Alt+drag for itself.
    static bool isAltRole(Qt::KeyboardModifiers modifiers)
    {
        return modifiers & (Qt::AltModifier | Qt::MetaModifier);
    }
    // "Tempo: %d.%d @ %s" of a tempo in tenths of BPM.
    static std::string tempoStatusText(int tenths, const std::string& position);

protected:
    // The views' own parts.
    // Paints the dirty part of the client area (the play line comes after).
    virtual void paintView(QPainter& painter, const QRect& dirty);
    // Rebuilds the view's draw lists after a full update.
    virtual void rebuild() {}
    // Hints that only repaint.
    virtual void lightUpdate() { QWidget::update(); }
    // Height of the bands above the plot; the lane layout's by default.
    virtual int topBands() const { return m_lanes.lanesTop(); }
    // Whether the view draws the ruler's measure numbers.
    virtual bool drawsRuler() const { return true; }
    // The vertical bar scrolls the track rows.
    virtual bool scrollsRows() const { return true; }
    // The vertical bar of a view that does not scroll rows.
    virtual void verticalScrolled(int code) { (void)code; }
    // The vertical bar's zoom buttons; true when the view took them.
    virtual bool zoomScale(bool in) { (void)in; return false; }
    // After the bars were set from the song: the view's own vertical bar.
    virtual void updateVerticalBar() {}
    // One autoscroll beat for the view's own vertical axis; true when it moved.
    virtual bool autoscrollVertical(QPoint mouse) { (void)mouse; return false; }
    // The mouse-move handler, run again after autoscroll moved the contents.
    virtual void dragMoved(QPoint point) { (void)point; }
    // The view's pop-up menu at a point; null for none.
    virtual QMenu* contextMenuAt(QPoint point) { (void)point; return nullptr; }
    // The status text over the plot: "Track %d @ %s".
    virtual std::string statusTextAt(QPoint point) const;
    // The centred play line's column from the origin; -1 the plot's middle.
    virtual int32_t followCentre() const { return -1; }
    // The profile name of the view's time zoom.
    virtual const Setting& timeZoomKey() const { return settings::kDisplayXZoom; }
    // The time zoom the bar's buttons show and the destructor writes: the
    // program's by default.
    virtual int timeZoomIndex() const;
    virtual int timeZoomMax() const;
    // The time-zoom buttons; true when the view took them.
    virtual bool zoomTime(bool in) { (void)in; return false; }
    // What a horizontal scroll moves: the plot; a view whose bands above it
    // run on its axis too moves them with it.
    virtual QRect scrollArea() const { return m_plot; }
    // False for a view whose axis no other view shares.
    virtual bool joinsViewLinks() const { return true; }
    // The follow decision; the tick views' policy by default.
    virtual FollowResult followDecision(const FollowInput& in) const { return followStep(in); }

    // Writes the time zoom under timeZoomKey() and the lane zoom; a view that
    // names its own key calls it from its destructor, where the key is still
    // its own.
    void writeZoomSettings();
    void setLeftMargin(int margin);
    void setHorizontalBarShown(bool shown);
    // The clip view centres a play position left of its origin while playing.
    void setCentreLeftOfOrigin(bool on) { m_centreLeftOfOrigin = on; }
    // Starts and ends a drag: the mouse is grabbed and autoscroll runs.
    void beginDrag(QPoint point, bool rowsMayScroll);
    void endDrag();
    bool dragging() const { return m_dragging; }
    // A press routed to a lane editor, alike for every editor: a right press
    // acts on its own and may open the song's properties; a left press that
    // begins a gesture grabs the mouse for it.
    template <class Editor, class Geometry>
    void pressLaneEditor(Editor& editor, const Geometry& g, const QMouseEvent& event, bool rowsMayScroll)
    {
        setFocus(Qt::MouseFocusReason);
        const LanePointer pointer = lanePointerOf(event);
        if (event.button() == Qt::RightButton) {
            if (editor.rightPress(g, pointer))
                openSongProperties();
        } else if (event.button() == Qt::LeftButton && editor.press(g, pointer)) {
            beginDrag(pointer.at, rowsMayScroll);
        }
        QWidget::update();
    }
    void openSongProperties();
    // Copies the lanes from the track rows, lays the window out, relabels the
    // measures, places the cursor and rebuilds; then repaints everything.
    void fullUpdate();
    void relayout();
    void updateScrollBars();
    // Follow stays off while the user scrolls.
    void setScrolling(bool on);
    ISongHost* host() const;
    ITrackRows* trackRows() const;
    QFont rulerFont() const;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void onScrolled(ZoomScrollBar* bar, int code);
    void onZoomCommand(uint32_t id);
    void setFirstRow(int row);
    int maxFirstRow() const;
    void applyOrigin(int64_t origin, bool bringLinked);
    // Moves the contents by `by` pixels and repaints the bands above the plot.
    void scrollContents(int by);
    void updateColumn(int64_t column);
    void relabelMeasures();
    int64_t measureEndColumn() const;

    LinkRole m_role;
    ZoomScrollBar* m_hbar = nullptr;
    ZoomScrollBar* m_vbar = nullptr;
    ViewLinks* m_links = nullptr;
    ISongHost* m_host = nullptr;
    IProfile* m_profile = nullptr;
    LaneLayout m_lanes;
    QRect m_plot;
    int m_leftMargin = 0;
    bool m_hbarShown = true;
    int64_t m_origin = 0;
    int64_t m_cursorColumn = -1;
    bool m_initialized = false;
    bool m_scrolling = false;
    bool m_centreLeftOfOrigin = false;
    bool m_dragging = false;
    bool m_dragRows = false;
    bool m_zoomWritten = false;
    bool m_dragAboveLanes = false; // the drag began in the bands
    QPoint m_lastMouse;
    QTimer m_autoscroll;
    RubberBand m_band;
    int m_offGuiThreadCalls = 0;
};

} // namespace rz
