#pragma once

#include "ui/command_target.h"
#include "views/edit_view_base.h"
#include "views/pointer_gesture.h"

#include <QRect>

#include <cstdint>
#include <optional>
#include <string>

namespace rz {

class IProfile;
struct Setting;

// What the views of the controller pane (tempo, controller lanes) share on
// top of the lane-view frame: a graph taller than the plot scrolled by the
// vertical bar in pixels, the plot's top at the ruler bands only while no
// editor view draws them, the left margin the editor pane leaves, and a
// vertical autoscroll while a drag leaves a tall graph; and one mouse path
// over the pointer gesture (relocating while playing, the ruler's time
// range, pressing and dragging a point, the band, drawing, the cursor),
// which asks the graph through the hooks below. GUI thread.
class ControllerPaneBase : public EditViewBase {
    Q_OBJECT
public:
    // Graphs up to this height fit the plot and never scroll.
    static constexpr int kFitHeight = 50;

    // The graph's zoom and offset are kept in the profile under the two
    // settings, read from the first song's profile.
    ControllerPaneBase(LinkRole role, const Setting& zoomSetting, const Setting& offsetSetting,
                       QWidget* parent = nullptr);

    void attach(CSongDoc& song) override;
    // The editor view's origin when one is open; else the play position.
    void initialUpdate() override;
    void songUpdate(uint32_t hint) override;

    // Moves the horizontal origin in step with another view (never below 0).
    void SetScrollX(int32_t x) { setLinkedOrigin(std::max<int32_t>(x, 0)); }
    // The graph's pixels above the plot, held to 0 .. maxYOffset().
    void SetScrollY(int y);
    int yOffset() const { return m_yOffset; }
    int maxYOffset() const;
    // The rubber band in window pixels, normalised, at least 1 x 1.
    QRect GetBandRect();
    bool ownsRuler() const { return m_ownRuler; }
    // The Zoom In / Zoom Out controller scale rows: the graph's height one
    // step up or down, between fitting the plot and the scale's full height.
    bool onZoom(CommandId id);
    void onUpdateZoom(CommandId id, CmdUi& ui);
    // The cursor the pointer takes at a point (client pixels).
    Qt::CursorShape cursorAt(QPoint point);
    // A gesture in progress belongs to the song it began on.
    void detach() override;
    void editorMarginChanged() override;

protected:
    // The height in pixels of the whole graph, its zoom.
    virtual int graphPixels() const = 0;
    // The zoom's steps, of the graph's scale: the largest height, the next
    // height and offset a step in or out goes to, its status text.
    struct ZoomStep {
        int graphPixels = kFitHeight;
        int yOffset = 0;
    };
    virtual int fullZoom() const = 0;
    virtual ZoomStep zoomStep(bool in, int plotHeight) const = 0;
    virtual void setGraphPixels(int pixels) = 0;
    virtual std::string zoomText(bool in) const = 0;
    bool zoomScale(bool in) override;
    // Sets the ruler and the margin from the views open beside this one.
    void applyOwnership();
    // The margin the view takes while no editor view lends its own.
    virtual int ownMargin() const = 0;
    // A stored zoom, or fit when it is none of the scale's steps.
    virtual int storedZoom(int zoom) const = 0;
    // The view opened at the play position rather than an editor's origin.
    virtual void openedAtPlayPosition() {}
    // Writes the zoom and offset back; the views' destructors call it.
    void saveSettings();
    // Sets the offset without repainting (a zoom recentres it).
    void setYOffset(int y);
    // The tick under x, not below 0, snapped to the frame's grid while its
    // snap switch is on.
    int32_t snappedTick(int x) const;
    // In the ruler band, right of the margin.
    bool inRuler(QPoint point) const
    {
        return m_ownRuler && point.y() < plotRect().top() && point.x() >= plotRect().left();
    }
    // The song position under a point, without its leading blanks; none
    // past the song's end.
    std::optional<std::string> positionTextAt(QPoint point) const;

    // The graph's answers to the mouse path.
    // Whether presses on the graph edit now (the ruler takes them anyway).
    virtual bool mouseEdits() const = 0;
    // The index of the point under `point`, or -1.
    virtual int hitPoint(QPoint point) = 0;
    // A point was pressed: it and what moves with it take the song's new
    // selection stamp; the drag begins.
    virtual void beginPointDrag(int index) = 0;
    // The pointer at `point`, `tickMove` ticks along from the press: both
    // ends on the snapped axis while snap is on, so a point moves by whole
    // grid steps and a straight up or down drag keeps its time.
    virtual void dragPointTo(QPoint point, int64_t tickMove, Qt::KeyboardModifiers modifiers) = 0;
    // Applies the drag's record when it changed anything.
    virtual void finishPointDrag() = 0;
    // The draw tool pressed on empty graph, in the frame's line shape.
    virtual void beginDraw(QPoint point, int lineShape) = 0;
    virtual void drawTo(QPoint point, Qt::KeyboardModifiers modifiers) = 0;
    // Applies the drawing; true when the line goes on from the release.
    virtual bool finishDraw(Qt::KeyboardModifiers modifiers) = 0;
    // Selects what the band covers with the song's stamp.
    virtual void selectInBand(const QRect& band, Qt::KeyboardModifiers modifiers) = 0;
    // Drops the gesture's drag and drawing.
    virtual void clearGesture() = 0;
    // After a gesture ended and before the views update.
    virtual void gestureEnded() {}

    // A point's square marker `size` pixels wide centred on `at`: white
    // with a black edge when selected, else in the curve's colour with a lit
    // top-left and a dark bottom-right edge; nothing outside `dirty`.
    static void paintPointMarker(QPainter& painter, QPoint at, int size, bool selected, const QRect& dirty);

    // Where the gesture in progress was pressed.
    QPoint pressPoint() const { return m_gesture ? m_gesture->pressPoint() : QPoint(); }
    // The stamp of the selection this view made last.
    uint32_t ownStamp() const { return m_ownStamp; }
    void takeStamp(uint32_t stamp) { m_ownStamp = stamp; }
    // The frame's line shape under the pointer with the draw tool (0
    // straight, 1 freehand), -1 elsewhere.
    int drawShape() const { return m_drawShape; }

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragMoved(QPoint point) override;

    int topBands() const override { return m_ownRuler ? lanes().lanesTop() : 0; }
    bool drawsRuler() const override { return m_ownRuler; }
    bool scrollsRows() const override { return false; }
    void verticalScrolled(int code) override;
    void updateVerticalBar() override;
    bool autoscrollVertical(QPoint mouse) override;

private:
    bool gestureActive() const { return m_gesture && m_gesture->active(); }
    void pressOnGraph(QPoint point);
    void moveTo(QPoint point, Qt::KeyboardModifiers modifiers);
    void release(QPoint point, Qt::KeyboardModifiers modifiers);

    int m_yOffset = 0;
    bool m_ownRuler = true;
    const Setting& m_zoomSetting;
    const Setting& m_offsetSetting;
    IProfile* m_profile = nullptr;
    bool m_settingsRead = false;
    std::optional<PointerGesture> m_gesture; // made on the song of the press
    uint32_t m_ownStamp = 0;
    int m_drawShape = -1;
};

} // namespace rz
