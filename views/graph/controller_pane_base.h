#pragma once

#include "views/edit_view_base.h"

#include <QRect>

#include <cstdint>

namespace rz {

// What the views of the controller pane (tempo, controller lanes) share on
// top of the lane-view frame: a graph taller than the plot scrolled by the
// vertical bar in pixels, the plot's top at the ruler bands only while no
// editor view draws them, the left margin the editor pane leaves, and a
// vertical autoscroll while a drag leaves a tall graph. GUI thread.
class ControllerPaneBase : public EditViewBase {
    Q_OBJECT
public:
    // Graphs up to this height fit the plot and never scroll.
    static constexpr int kFitHeight = 50;

    explicit ControllerPaneBase(LinkRole role, QWidget* parent = nullptr);

    // Moves the horizontal origin in step with another view (never below 0).
    void SetScrollX(int32_t x) { setLinkedOrigin(std::max<int32_t>(x, 0)); }
    // The graph's pixels above the plot, held to 0 .. maxYOffset().
    void SetScrollY(int y);
    int yOffset() const { return m_yOffset; }
    int maxYOffset() const;
    // The rubber band in window pixels, normalised, at least 1 x 1.
    QRect GetBandRect();
    bool ownsRuler() const { return m_ownRuler; }

protected:
    // The height in pixels of the whole graph.
    virtual int graphPixels() const = 0;
    // Sets the ruler and the margin from the views open beside this one.
    void applyOwnership();
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
    // A press in the ruler starts the song's time range there; Shift keeps
    // the start of the one there is.
    void beginRulerRange(QPoint point, Qt::KeyboardModifiers modifiers);
    // The range runs from where it began to the pointer.
    void dragRulerRange(QPoint point);

    int topBands() const override { return m_ownRuler ? lanes().lanesTop() : 0; }
    bool drawsRuler() const override { return m_ownRuler; }
    bool scrollsRows() const override { return false; }
    void verticalScrolled(int code) override;
    void updateVerticalBar() override;
    bool autoscrollVertical(QPoint mouse) override;

private:
    int m_yOffset = 0;
    bool m_ownRuler = true;
    int32_t m_rulerAnchor = -1;
};

} // namespace rz
