// The main frame's placement: the first geometry from the profile, and the
// hand placement of its own controls, its rounded mask and its panes on
// every resize.

#include "app/main_frame.h"

#include "app/flat_status_bar.h"
#include "app/flat_tool_bar.h"
#include "app/frame_host.h"
#include "app/menu_bar.h"
#include "app/work_area.h"
#include "core/profile.h"
#include "core/settings.h"
#include "ui/bitmap_push_button.h"
#include "ui/fader_ctrl.h"

#include <QPainterPath>
#include <QRegion>

#include <algorithm>

namespace rz {
namespace {

constexpr int kCornerEllipse = 25; // the rounded corners' ellipse, pixels
constexpr int kMenuBarRightGap = 68;

// A control's place: x and y from the client's right or bottom edge when
// the flag says so.
struct Place {
    MainFrame::Button which;
    int x;
    bool fromRight;
    int y;
    bool fromBottom;
};

constexpr Place kButtonPlaces[] = {
    {MainFrame::Button::Close, 28, true, 4, false},
    {MainFrame::Button::MaximizeRestore, 46, true, 4, false},
    {MainFrame::Button::Minimize, 64, true, 4, false},
    {MainFrame::Button::TransposeUp, 70, false, 133, true},
    {MainFrame::Button::TransposeDown, 50, false, 133, true},
    {MainFrame::Button::Record, 9, false, 99, true},
    {MainFrame::Button::Stop, 58, false, 99, true},
    {MainFrame::Button::PlayStop, 91, false, 111, true},
    {MainFrame::Button::Pause, 146, false, 99, true},
    {MainFrame::Button::NextSong, 197, false, 99, true},
    {MainFrame::Button::PreviousSong, 197, false, 66, true},
    {MainFrame::Button::Tempo100, 262, false, 129, true},
};

} // namespace

// Kept on the work area's own left and top, not only on x, y >= 0, so a
// stored place on a screen that is gone comes back, and a work area that
// does not start at 0 keeps the window on itself.
QRect MainFrame::PreCreateWindow(const IProfile& profile, const QRect& workArea)
{
    const int waRight = workArea.x() + workArea.width();
    const int waBottom = workArea.y() + workArea.height();
    const int left = readSettingOr(profile, settings::kWindowLeft, workArea.x());
    const int top = readSettingOr(profile, settings::kWindowTop, workArea.y());
    const int width = readSettingOr(profile, settings::kWindowWidth, workArea.width());
    const int height = readSettingOr(profile, settings::kWindowHeight, workArea.height());
    const int minWidth = std::min(kMinimumSize.width(), workArea.width());
    const int minHeight = std::min(kMinimumSize.height(), workArea.height());
    return {clampStoredValue(left, workArea.x(), waRight - kKeepOnScreen),
            clampStoredValue(top, workArea.y(), waBottom - kKeepOnScreen),
            clampStoredValue(width, minWidth, workArea.width()),
            clampStoredValue(height, minHeight, workArea.height())};
}

bool MainFrame::isMaximisedState() const
{
    return windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
}

void MainFrame::resizeEvent(QResizeEvent*)
{
    onSize();
}

// Controls are placed on every resize, also before start-up has finished:
// a window shown during start-up must not keep them piled at its corner.
// Only the metrics wait for start-up.
void MainFrame::onSize()
{
    QWidget::update();
    if (m_host.startupComplete() && !(windowState() & (Qt::WindowMaximized |
                                                       Qt::WindowMinimized |
                                                       Qt::WindowFullScreen)))
        writeRestoredSize();
    placeControls(size());
    updateMask();
    placePanes();
}

void MainFrame::writeRestoredSize()
{
    writeSetting(m_profile, settings::kWindowWidth, width());
    writeSetting(m_profile, settings::kWindowHeight, height());
}

void MainFrame::moveEvent(QMoveEvent*)
{
    // A maximised or minimised window's position is not the one to restore.
    if (!m_host.startupComplete() ||
        (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return;
    writeSetting(m_profile, settings::kWindowLeft, x());
    writeSetting(m_profile, settings::kWindowTop, y());
}

void MainFrame::placeControls(QSize client)
{
    const int cx = client.width();
    const int cy = client.height();
    if (m_menuBar->hasMenu()) {
        const QSize bar = m_menuBar->sizeHint();
        m_menuBar->setGeometry(cx - bar.width() - kMenuBarRightGap, 1, bar.width(), bar.height());
    }
    for (const Place& place : kButtonPlaces) {
        BitmapPushButton* b = button(place.which);
        b->move(place.fromRight ? cx - place.x : place.x,
                place.fromBottom ? cy - place.y : place.y);
    }
    m_tempoFader->setGeometry(246, cy - 193, 15, 145);
    m_volumeFader->setGeometry(45, cy - 51, 145, 15);
    m_toolBar->setGeometry(10, 29, cx - 20, 27);
    m_statusBar->setGeometry(56, cy - 28, cx - 80, 24);
}

// Rounded corners unless maximised; a maximised window has no mask.
void MainFrame::updateMask()
{
    if (isMaximisedState()) {
        clearMask();
        return;
    }
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0, 0, width() + 1, height() + 1), kCornerEllipse / 2.0,
                           kCornerEllipse / 2.0);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
}

} // namespace rz
