#pragma once

#include "ui/command_target.h"
#include "views/piano/key_rows_view.h"
#include "views/piano/piano_edit_controller.h"
#include "views/piano/row_cover.h"

#include <functional>
#include <span>
#include <memory>
#include <string>
#include <vector>

class QMenu;

namespace rz {

class ViewFactory;

// The notes of the tracks selected in the track view as bars on pitch rows
// against the editor views' time axis, with a keyboard strip on the left
// and the ruler and cue strip on top. The mouse edits through
// PianoEditController. GUI thread.
class PianoRollView : public KeyRowsView, public CommandTable<PianoRollView> {
    Q_OBJECT
public:
    explicit PianoRollView(QWidget* parent = nullptr, CommandSink sink = {});
    ~PianoRollView() override;

    void attach(CSongDoc& song) override;
    void detach() override;

    // The row zoom's commands.
    static std::span<const CommandRow<PianoRollView>> commandTable();

    PianoGeometry geometryNow() const;
    PianoEditController* editor() const { return m_editor.get(); }
    // The cursor the pointer takes at a point (client pixels).
    Qt::CursorShape cursorAt(QPoint point) const;

protected:
    void paintView(QPainter& painter, const QRect& dirty) override;
    void rebuild() override;
    void cancelGesture() override;
    void dragMoved(QPoint point) override;
    bool autoscrollVertical(QPoint mouse) override;
    std::string statusTextAt(QPoint point) const override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void finishGesture();

    void paintRows(QPainter& painter, const QRect& plot);
    void paintRuler(QPainter& painter, const QRect& dirty);
    void paintCueFlags(QPainter& painter, const QRect& dirty);
    void paintSpans(QPainter& painter, const QRect& plot);
    void paintMeasureLines(QPainter& painter, const QRect& plot, const MeasureMap& measures);
    void paintNotes(QPainter& painter, const QRect& plot);
    void paintOverlays(QPainter& painter, const QRect& plot);
    void paintKeyboard(QPainter& painter, const QRect& dirty);
    void paintHint(QPainter& painter);

    std::unique_ptr<PianoEditController> m_editor;
    // Scratch for painting.
    struct DrawnNote {
        QRect rect;
        Color fill;
    };
    std::vector<size_t> m_visible;
    std::vector<DrawnNote> m_drawn; // front to back
    RowCover m_cover;
};

// Registers the piano roll's maker for ViewKind::Piano.
void registerPianoRollView(ViewFactory& factory, PianoRollView::CommandSink sink = {});

} // namespace rz
