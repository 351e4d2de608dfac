#pragma once

#include "song/track_item.h"
#include "views/clip/clip_edit_controller.h"
#include "views/clip/clip_geometry.h"
#include "views/edit_view_base.h"

#include <QColor>

#include <atomic>
#include <memory>
#include <vector>

namespace rz {

class IClipLoader;
class OverviewWorker;

// What the clip view and the clock-time view share: one lane per track row
// of the track list, lane items with their waveforms from an overview worker
// that computes the blocks painting asks for (every edit of the song stops
// it first), the cues' flags and bands, the selected rows and the mouse
// editing through ClipEditController. A view fills in its axis and paints
// its own ruler and items layer. GUI thread.
class ClipLanesView : public EditViewBase {
    Q_OBJECT
public:
    // `loader` null: the song's.
    ClipLanesView(LinkRole role, IClipLoader* loader, QWidget* parent);
    ~ClipLanesView() override;

    void attach(CSongDoc& song) override;
    void detach() override;
    void initialUpdate() override;
    void stopOverviewWorker() override;

    virtual ClipGeometry geometryNow() const;
    ClipEditController* editor() const { return m_editor.get(); }
    bool workerRunning() const;
    Qt::CursorShape cursorAt(QPoint point) const;

protected:
    // Background, lanes, cues, the view's ruler, items, then its overlay.
    void paintView(QPainter& painter, const QRect& dirty) override;
    virtual void paintRuler(QPainter& painter, const QRect& dirty, const ClipGeometry& g) = 0;
    virtual void paintOverlay(QPainter& painter, const ClipGeometry& g) { (void)painter, (void)g; }
    // The view's own axis and item rules on top of the shared geometry.
    virtual void fillAxis(ClipGeometry& g) const { g.axis = axis(); }
    // Selected rows take the active colour: while the view has the focus.
    virtual bool rowsActive() const { return hasFocus(); }
    void rebuild() override;
    void lightUpdate() override;
    void dragMoved(QPoint point) override;
    // "Track %d @ %s" over a user track's lane at a tick the status may
    // name; empty elsewhere.
    std::string statusTextAt(QPoint point) const override;
    // The clip view names ticks up to the song's end.
    virtual bool statusNamesTick(int32_t tick) const;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

    // Layers shared by both views: lanes, selected rows and the time range;
    // the cues; the items with their waveforms.
    void paintLanes(QPainter& painter, const QRect& dirty, const ClipGeometry& g);
    void paintCues(QPainter& painter, const QRect& dirty, const ClipGeometry& g);
    void paintItems(QPainter& painter, const QRect& dirty, const ClipGeometry& g);
    // The ruler band's gradient and the inverted part over a time range.
    void paintRulerBand(QPainter& painter, const QRect& dirty, const ClipGeometry& g);
    void invertRulerRange(QPainter& painter, const ClipGeometry& g);
    std::vector<QRect> cueRects(const ClipGeometry& g) const;

private:
    void finishGesture();
    void blockComputed();
    void paintWaveform(QPainter& painter, const QRect& block, const QRect& dirty, const ClipGeometry& g,
                       const CTrackItem& item, QColor pen, bool& wake);

    IClipLoader* m_loader;
    std::unique_ptr<OverviewWorker> m_worker;
    std::unique_ptr<ClipEditController> m_editor;
    std::atomic<bool> m_updatePosted{false};
};

} // namespace rz
