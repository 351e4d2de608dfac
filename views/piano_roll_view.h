#pragma once

#include "ui/command_target.h"
#include "views/edit_view_base.h"
#include "views/piano_edit_controller.h"
#include "views/piano_layout.h"

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
class PianoRollView : public EditViewBase, public CommandTable<PianoRollView> {
    Q_OBJECT
public:
    // Who the pop-up menu's commands go to; null drops them.
    using CommandSink = std::function<bool(CommandId)>;

    explicit PianoRollView(QWidget* parent = nullptr, CommandSink sink = {});
    ~PianoRollView() override;

    void attach(CSongDoc& song) override;
    void detach() override;
    void initialUpdate() override;

    // The row zoom's commands.
    static std::span<const CommandRow<PianoRollView>> commandTable();
    bool onZoom(CommandId id);
    void onUpdateZoom(CommandId id, CmdUi& ui);

    const PianoLayout& rows() const { return m_rows; }
    int stripWidth() const { return m_stripWidth; }
    const std::vector<int>& shownTracks() const { return m_shown; }
    PianoGeometry geometryNow() const;
    PianoEditController* editor() const { return m_editor.get(); }
    // The cursor the pointer takes at a point (client pixels).
    Qt::CursorShape cursorAt(QPoint point) const;
    // The row zoom; true when it changed.
    bool zoomRows(bool in);
    void scrollRowsTo(int row);

protected:
    void paintView(QPainter& painter, const QRect& dirty) override;
    void rebuild() override;
    bool drawsRuler() const override { return true; }
    bool scrollsRows() const override { return false; }
    void verticalScrolled(int code) override;
    bool zoomScale(bool in) override { return zoomRows(in); }
    void updateVerticalBar() override;
    void dragMoved(QPoint point) override;
    bool autoscrollVertical(QPoint mouse) override;
    QMenu* contextMenuAt(QPoint point) override;
    std::string statusTextAt(QPoint point) const override;
    const Setting& timeZoomKey() const override { return settings::kDisplayXZoomPiano; }

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

private:
    void cancelGesture();
    void finishGesture();
    // The cues' flags at the present origin, client pixels.
    std::vector<QRect> cueRects() const;
    void applyLinkedBar();

    void paintRows(QPainter& painter, const QRect& plot);
    void paintRuler(QPainter& painter, const QRect& dirty);
    void paintCueFlags(QPainter& painter, const QRect& dirty);
    void paintSpans(QPainter& painter, const QRect& plot);
    void paintMeasureLines(QPainter& painter, const QRect& plot, const MeasureMap& measures);
    void paintNotes(QPainter& painter, const QRect& plot);
    void paintOverlays(QPainter& painter, const QRect& plot);
    void paintKeyboard(QPainter& painter, const QRect& dirty);
    void paintHint(QPainter& painter);

    CommandSink m_sink;
    PianoLayout m_rows;
    int m_stripWidth = PianoLayout::kNarrowStrip;
    std::vector<int> m_shown;
    std::unique_ptr<PianoEditController> m_editor;
    bool m_settingsRead = false;
    IProfile* m_profile = nullptr;
    std::unique_ptr<QMenu> m_menu;
    mutable std::vector<size_t> m_visible; // scratch for painting
};

// Registers the piano roll's maker for ViewKind::Piano.
void registerPianoRollView(ViewFactory& factory, PianoRollView::CommandSink sink = {});

} // namespace rz
