#pragma once

#include "ui/command_target.h"
#include "views/graph/controller_pane_base.h"
#include "views/graph/tempo_edits.h"
#include "views/graph/tempo_graph.h"
#include "views/graph/tempo_scale.h"

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QMenu;

namespace rz {

class ViewFactory;

// The tempo map as a graph in the controller pane: tempo upward against the
// editor views' time axis. Tempos are drawn, dragged, band-selected, moved,
// copied and deleted with the mouse and the Edit commands; each edit is one
// undo record of the tempo map. GUI thread.
class TempoView : public ControllerPaneBase, public CommandTable<TempoView> {
    Q_OBJECT
public:
    // Who the pop-up menu's commands go to; null drops them.
    using CommandSink = std::function<bool(CommandId)>;

    // The margin left of the plot while no editor view lends its own.
    static constexpr int kOwnMargin = 24;

    explicit TempoView(QWidget* parent = nullptr, CommandSink sink = {});
    ~TempoView() override;

    static std::span<const CommandRow<TempoView>> commandTable();
    // Without a tempo selection the Edit commands go on to the song.
    bool update(CommandId id, CmdUi& ui) override;

    std::array<int32_t, 2> layoutValues() const override { return {m_graphHeight, yOffset()}; }
    void setLayoutValues(const std::array<int32_t, 2>& values) override;

    const TempoGraph& graph() const { return m_graph; }
    TempoScale scale() const;
    int graphHeight() const { return m_graphHeight; }
    bool drawing() const { return m_draw.active(); }
    // The cue flags of the view's own ruler, in the song's cue order; none
    // while an editor view draws the ruler.
    std::vector<QRect> cueFlagRects() const;

    // The rows of the command table.
    bool onEditCopy(CommandId id);
    bool onEditCut(CommandId id);
    bool onEditDelete(CommandId id);
    bool onProperties(CommandId id);
    bool onMove(CommandId id);
    void onUpdateEdit(CommandId id, CmdUi& ui);
    void onUpdateProperties(CommandId id, CmdUi& ui);

protected:
    void paintView(QPainter& painter, const QRect& dirty) override;
    void rebuild() override;
    int graphPixels() const override;
    int ownMargin() const override { return kOwnMargin; }
    void openedAtPlayPosition() override;
    int storedZoom(int zoom) const override { return TempoScale::storedZoom(zoom); }
    int fullZoom() const override { return TempoScale::kFullScale; }
    ZoomStep zoomStep(bool in, int plotHeight) const override;
    void setGraphPixels(int pixels) override { m_graphHeight = pixels; }
    std::string zoomText(bool in) const override;
    QMenu* contextMenuAt(QPoint point) override;
    std::string statusTextAt(QPoint point) const override;

    bool mouseEdits() const override;
    int hitPoint(QPoint point) override;
    void beginPointDrag(int index) override;
    void dragPointTo(QPoint point, int64_t tickMove, Qt::KeyboardModifiers modifiers) override;
    void finishPointDrag() override;
    void beginDraw(QPoint point, int lineShape) override;
    void drawTo(QPoint point, Qt::KeyboardModifiers modifiers) override;
    bool finishDraw(Qt::KeyboardModifiers modifiers) override;
    void selectInBand(const QRect& band, Qt::KeyboardModifiers modifiers) override;
    void clearGesture() override;

private:
    bool tempoSelected() const;
    bool editable() const;
    void copySelection();
    void deleteSelection();
    void applyRecord(std::unique_ptr<CUndoRecord> record);

    void paintRuler(QPainter& painter, const QRect& dirty);
    void paintCueFlags(QPainter& painter, const QRect& area);
    void paintGrid(QPainter& painter, const QRect& dirty, const TempoScale& s);
    void paintCurve(QPainter& painter, const QRect& dirty, const TempoScale& s);

    CommandSink m_sink;
    TempoGraph m_graph;
    DrawGesture m_draw;
    TempoDrag m_drag;
    int m_graphHeight = TempoScale::kFitToWindow;
    std::unique_ptr<QMenu> m_menu;
};

// Registers the tempo view's maker for ViewKind::Tempo.
void registerTempoView(ViewFactory& factory, TempoView::CommandSink sink = {});

} // namespace rz
