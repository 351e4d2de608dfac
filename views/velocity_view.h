#pragma once

#include "core/color.h"
#include "ui/command_target.h"
#include "views/edit_view_base.h"
#include "views/velocity_edits.h"
#include "views/velocity_layout.h"

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
class VelocityView : public EditViewBase, public CommandTable<VelocityView> {
    Q_OBJECT
public:
    // Who the pop-up menu's commands go to; null drops them.
    using CommandSink = std::function<bool(CommandId)>;

    explicit VelocityView(QWidget* parent = nullptr, CommandSink sink = {});
    ~VelocityView() override;

    void attach(CSongDoc& song) override;
    void detach() override;
    void initialUpdate() override;

    // The row zoom's commands.
    static std::span<const CommandRow<VelocityView>> commandTable();
    bool onZoom(CommandId id);
    void onUpdateZoom(CommandId id, CmdUi& ui);

    const VelocityLayout& layout() const { return m_layout; }
    int stripWidth() const { return m_stripWidth; }
    const std::vector<int>& shownTracks() const { return m_shown; }
    VelocityGeometry geometryNow() const;
    VelocityEdits* editor() const { return m_editor.get(); }
    // The cursor the pointer takes at a point (client pixels).
    Qt::CursorShape cursorAt(QPoint point) const;
    // The row zoom; true when it changed.
    bool zoomRows(bool in);
    void setFirstRow(int row);

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
    int32_t followCentre() const override;
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
    std::vector<QRect> cueRects() const;

    void paintRows(QPainter& painter, const QRect& plot, const std::function<Color(bool black)>& colourOf,
                   int left, int right);
    void paintRuler(QPainter& painter, const QRect& dirty, const MeasureMap& measures);
    void paintSpans(QPainter& painter, const QRect& plot);
    void paintMeasureLines(QPainter& painter, const QRect& plot, const MeasureMap& measures);
    void paintLayers(QPainter& painter, const QRect& dirty);
    void paintNotes(QImage& bitmap, QPoint origin, const QRect& plot, const VelocityGeometry& g);
    void paintLine(QPainter& painter, const VelocityGeometry& g);
    void paintKeyboard(QPainter& painter, const QRect& dirty);

    CommandSink m_sink;
    VelocityLayout m_layout;
    int m_stripWidth = PianoLayout::kNarrowStrip;
    std::vector<int> m_shown;
    std::unique_ptr<VelocityEdits> m_editor;
    bool m_settingsRead = false;
    bool m_pressAboveNotes = false;
    IProfile* m_profile = nullptr;
    std::unique_ptr<QMenu> m_menu;
    // Scratch for painting.
    QImage m_bitmap;
    std::vector<size_t> m_visible;
    std::vector<std::vector<std::pair<int, int>>> m_stems;
    std::vector<std::pair<QPoint, bool>> m_heads; // centres, selected
};

// Registers the velocity view's maker for ViewKind::Velocity.
void registerVelocityView(ViewFactory& factory, VelocityView::CommandSink sink = {});

} // namespace rz
