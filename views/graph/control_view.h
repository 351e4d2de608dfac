#pragma once

#include "core/song_host.h"
#include "ui/command_target.h"
#include "views/graph/control_curve.h"
#include "views/graph/control_edits.h"
#include "views/graph/controller_pane_base.h"

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QMenu;

namespace rz {

class ViewFactory;

// One kind of continuous data (a controller, channel pressure or pitch
// bend) of the tracks selected in the track view, as a curve in the
// controller pane against the editor views' time axis. Points are dragged,
// band-selected and moved, curves drawn; each edit is one undo record of
// the lane tracks' events. GUI thread.
class ControlView : public ControllerPaneBase, public CommandTable<ControlView> {
    Q_OBJECT
public:
    // Who the pop-up menu's commands go to; null drops them.
    using CommandSink = std::function<bool(CommandId)>;
    // The value scale's margin, pixels.
    static constexpr int kScaleWidth = 36;

    explicit ControlView(QWidget* parent = nullptr, CommandSink sink = {});
    ~ControlView() override;

    static std::span<const CommandRow<ControlView>> commandTable();
    // Properties, and Move over a time selection, go on to the song.
    bool update(CommandId id, CmdUi& ui) override;

    void setControllerChoice(int kind, int number) override;
    std::array<int32_t, 2> layoutValues() const override { return {m_kind.status, m_kind.number}; }
    void setLayoutValues(const std::array<int32_t, 2>& values) override;
    // Each lane track's points of the kind, for copying.
    ControllerLanes controllerLanes() const;

    ControlKind kind() const { return m_kind; }
    const std::vector<int>& laneTracks() const { return m_tracks; }
    const ControlCurve& curve() const { return m_curve; }
    ControlScale scale() const;
    int zoom() const { return m_zoom; }

    // The rows of the command table.
    bool onMove(CommandId id);
    bool onProperties(CommandId id);
    void onUpdateMove(CommandId id, CmdUi& ui);

protected:
    void paintView(QPainter& painter, const QRect& dirty) override;
    void rebuild() override;
    int graphPixels() const override { return m_zoom; }
    // The value scale fills whatever margin the view has.
    int ownMargin() const override { return kScaleWidth; }
    int storedZoom(int zoom) const override { return ControlScale::storedZoom(zoom); }
    int fullZoom() const override { return ControlScale::kFullZoom; }
    ZoomStep zoomStep(bool in, int plotHeight) const override;
    void setGraphPixels(int pixels) override { m_zoom = pixels; }
    std::string zoomText(bool in) const override;
    QMenu* contextMenuAt(QPoint point) override;
    std::string statusTextAt(QPoint point) const override;

    bool mouseEdits() const override { return editable(); }
    int hitPoint(QPoint point) override;
    void beginPointDrag(int index) override;
    void dragPointTo(QPoint point, int64_t tickMove, Qt::KeyboardModifiers modifiers) override;
    void finishPointDrag() override;
    void beginDraw(QPoint point, int lineShape) override;
    void drawTo(QPoint point, Qt::KeyboardModifiers modifiers) override;
    bool finishDraw(Qt::KeyboardModifiers modifiers) override;
    void selectInBand(const QRect& band, Qt::KeyboardModifiers modifiers) override;
    void clearGesture() override;
    void gestureEnded() override { rebuild(); }

    void keyPressEvent(QKeyEvent* event) override;

private:
    bool editable() const;
    bool timeSelected() const;
    std::vector<int> findLaneTracks() const;
    void applyRecord(std::unique_ptr<CUndoRecord> record);
    void stampEventsAt(int32_t tick, uint32_t stamp);

    void paintBackground(QPainter& painter, const QRect& plot);
    void paintSpans(QPainter& painter, const QRect& plot);
    void paintGrid(QPainter& painter, const QRect& plot, const ControlScale& s);
    void paintCurve(QPainter& painter, const QRect& dirty, const ControlScale& s);
    void paintPath(QPainter& painter, const ControlScale& s);
    void paintRuler(QPainter& painter, const QRect& dirty);
    void paintValueScale(QPainter& painter, const ControlScale& s);

    CommandSink m_sink;
    ControlKind m_kind;
    std::vector<int> m_tracks;
    ControlCurve m_curve;
    std::vector<CControlPoint> m_path; // the curve being drawn
    CControlPoint m_pathStart;
    ControlDrag m_drag;
    int32_t m_pathLastTick = 0;
    int m_zoom = ControlScale::kFitToWindow;
    std::unique_ptr<QMenu> m_menu;
};

// Registers the controller view's maker for ViewKind::Control.
void registerControlView(ViewFactory& factory, ControlView::CommandSink sink = {});

} // namespace rz
