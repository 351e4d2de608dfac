// The main frame's window behaviour: its own caption buttons, moving and
// resizing through its zones, zone cursors, activation, the right-click
// menu, the mouse wheel and print preview.

#include "app/main_frame.h"

#include "app/desktop/session_inhibitor.h"
#include "app/flat_status_bar.h"
#include "app/flat_tool_bar.h"
#include "app/frame_host.h"
#include "app/menu_bar.h"
#include "core/profile.h"
#include "core/settings.h"
#include "ui/bitmap_catalog.h"
#include "ui/bitmap_push_button.h"
#include "ui/fader_ctrl.h"
#include "views/pane_view.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWindow>

namespace rz {
namespace {

constexpr int kWheelStep = 120; // wheel units per beat

} // namespace

void MainFrame::systemCommand(uint16_t code)
{
    switch (code) {
    case kScClose:
        close();
        break;
    case kScMaximize:
        writeSetting(m_profile, settings::kWindowMaximized, 1);
        showMaximized();
        showMaximizeButton(true);
        break;
    case kScRestore:
        writeSetting(m_profile, settings::kWindowMaximized, 0);
        showNormal();
        showMaximizeButton(false);
        break;
    case kScMinimize:
        showMinimized();
        break;
    default:
        break;
    }
}

void MainFrame::showMaximizeButton(bool maximised)
{
    auto word = [](uint16_t code) {
        return (uint32_t(code) << 16) | BitmapPushButton::kSystemCommandWord;
    };
    BitmapPushButton* b = button(Button::MaximizeRestore);
    if (maximised)
        b->setBitmap(bitmap_id::kRestore, word(kScRestore));
    else
        b->setBitmap(bitmap_id::kMaximize, word(kScMaximize));
}

void MainFrame::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ActivationChange:
        QWidget::update(captionRect());
        if (m_inhibitor)
            m_inhibitor->setWindowActive(isActiveWindow());
        break;
    case QEvent::WindowTitleChange:
        QWidget::update(captionRect());
        break;
    case QEvent::WindowStateChange:
        // The window manager may change the state too; the button follows.
        if (!(windowState() & Qt::WindowMinimized))
            showMaximizeButton(isMaximisedState());
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

void MainFrame::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool maximised = isMaximisedState();
    const FrameZone zone = frameHitTest(size(), event->position().toPoint(), maximised);
    QWindow* window = windowHandle();
    if (!window)
        return;
    // A platform that cannot move or resize windows itself refuses; nothing
    // more is done then.
    switch (zone) {
    case FrameZone::Caption:
        if (!maximised) {
            m_moving = true;
            setCursor(frameZoneCursor(zone, maximised, true));
            window->startSystemMove();
        }
        break;
    case FrameZone::Right:
        window->startSystemResize(Qt::RightEdge);
        break;
    case FrameZone::Bottom:
        window->startSystemResize(Qt::BottomEdge);
        break;
    case FrameZone::BottomRight:
        window->startSystemResize(Qt::RightEdge | Qt::BottomEdge);
        break;
    case FrameZone::Outside:
    case FrameZone::Client:
        break;
    }
}

void MainFrame::mouseReleaseEvent(QMouseEvent*)
{
    m_moving = false;
}

void MainFrame::mouseMoveEvent(QMouseEvent* event)
{
    if (QApplication::activePopupWidget())
        return;
    clearStatusText();
    if (!(event->buttons() & Qt::LeftButton))
        m_moving = false;
    const bool maximised = isMaximisedState();
    const FrameZone zone = frameHitTest(size(), event->position().toPoint(), maximised);
    setCursor(frameZoneCursor(zone, maximised, m_moving));
}

void MainFrame::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool maximised = isMaximisedState();
    if (!maximised &&
        frameHitTest(size(), event->position().toPoint(), maximised) == FrameZone::Caption)
        systemCommand(kScMaximize);
}

// Each whole 120 units step one beat: away from the user back, towards
// the user forward.
void MainFrame::wheelEvent(QWheelEvent* event)
{
    event->accept();
    const int steps = event->angleDelta().y() / kWheelStep;
    for (int i = 0; i < steps; ++i)
        if (!m_host.stepBeatBack())
            return;
    for (int i = 0; i > steps; --i)
        if (!m_host.stepBeatForward())
            return;
}

void MainFrame::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    contextMenu()->popup(event->globalPos());
}

void MainFrame::setPrintPreviewMode(bool on)
{
    if (on == m_printPreview)
        return;
    m_printPreview = on;
    if (!on) {
        for (const QPointer<QWidget>& widget : m_hiddenForPreview)
            if (widget)
                widget->show();
        m_hiddenForPreview.clear();
        return;
    }
    std::vector<QWidget*> controls = {m_toolBar, m_statusBar, m_tempoFader, m_volumeFader};
    for (uint32_t id : {pane_id::kSetTree, pane_id::kTrackList})
        if (PaneView* view = pane(id))
            controls.push_back(view->paneWidget());
    for (Button which : {Button::TransposeUp, Button::TransposeDown, Button::Tempo100,
                         Button::Record, Button::Stop, Button::PlayStop, Button::Pause,
                         Button::NextSong, Button::PreviousSong})
        controls.push_back(button(which));
    for (QWidget* widget : controls) {
        if (widget->isHidden())
            continue; // hidden for its own reason; stays so afterwards
        widget->hide();
        m_hiddenForPreview.emplace_back(widget);
    }
}

} // namespace rz
