#pragma once

#include "core/color.h"
#include "ui/command_target.h"
#include "views/piano/key_rows_view.h"
#include "views/piano/row_cover.h"
#include "views/piano/velocity_edits.h"
#include "views/piano/velocity_layout.h"

#include <QImage>

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QMenu;

namespace rz {

class ViewFactory;

// The notes of the tracks selected in the track view on pitch rows, each
// with its velocity as a lollipop over the whole key area: a stem from the
// note's row to a head whose height is the velocity. Heads are selected,
// dragged and drawn over with the mouse through VelocityEdits. Shares the
// piano roll's row height and time zoom. GUI thread.
class VelocityView : public KeyRowsView, public CommandTable<VelocityView> {
    Q_OBJECT
public:
    explicit VelocityView(QWidget* parent = nullptr, CommandSink sink = {});
    ~VelocityView() override;

    void attach(CSongDoc& song) override;
    void detach() override;

    // The row zoom's commands.
    static std::span<const CommandRow<VelocityView>> commandTable();

    VelocityLayout layout() const { return VelocityLayout{rows()}; }
    VelocityGeometry geometryNow() const;
    VelocityEdits* editor() const { return m_editor.get(); }
    // The cursor the pointer takes at a point (client pixels).
    Qt::CursorShape cursorAt(QPoint point) const;

protected:
    void paintView(QPainter& painter, const QRect& dirty) override;
    void rebuild() override;
    void cancelGesture() override;
    void dragMoved(QPoint point) override;
    bool autoscrollVertical(QPoint mouse) override;
    std::string statusTextAt(QPoint point) const override;
    int32_t followCentre() const override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void finishGesture();

    void paintRows(QPainter& painter, const QRect& plot, const std::function<Color(bool black)>& colourOf,
                   int left, int right);
    void paintRuler(QPainter& painter, const QRect& dirty, const MeasureMap& measures);
    void paintSpans(QPainter& painter, const QRect& plot);
    void paintMeasureLines(QPainter& painter, const QRect& plot, const MeasureMap& measures);
    void paintLayers(QPainter& painter, const QRect& dirty);
    void paintNotes(QImage& bitmap, QPoint origin, const QRect& plot, const VelocityGeometry& g);
    void paintLine(QPainter& painter, const VelocityGeometry& g);
    void paintKeyboard(QPainter& painter, const QRect& dirty);

    std::unique_ptr<VelocityEdits> m_editor;
    bool m_pressAboveNotes = false;
    // Scratch for painting.
    QImage m_bitmap;
    std::vector<size_t> m_visible;
    std::vector<std::vector<std::pair<int, int>>> m_stems;
    std::vector<std::pair<QPoint, bool>> m_heads; // centres, selected; front to back
    struct DrawnBar {
        QRect rect;
        int track; // index in the shown tracks; -1 for a selected note
    };
    std::vector<DrawnBar> m_bars; // front to back
    std::vector<uint64_t> m_headsSeen;
    RowCover m_cover;
};

// Registers the velocity view's maker for ViewKind::Velocity.
void registerVelocityView(ViewFactory& factory, VelocityView::CommandSink sink = {});

} // namespace rz
