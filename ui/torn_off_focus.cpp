#include "ui/torn_off_focus.h"

#include "ui/command_router.h"

#include <QEvent>
#include <QWidget>

namespace rz {

TornOffFocus::TornOffFocus(QWidget& window, CommandTarget& target, CommandRouter& router)
    : QObject(&window), m_window(&window), m_target(target), m_router(router)
{
    window.installEventFilter(this);
}

TornOffFocus::~TornOffFocus()
{
    release();
}

void TornOffFocus::take()
{
    // Only a window without a parent is torn off; a docked view routes as
    // the active view.
    if (m_window && m_window->isWindow())
        m_router.setFocusedTopLevel(&m_target);
}

void TornOffFocus::release()
{
    m_router.clearFocusedTopLevel(&m_target);
}

bool TornOffFocus::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::WindowActivate:
        take();
        break;
    case QEvent::FocusOut:
        if (!m_window->isActiveWindow())
            release();
        break;
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
    case QEvent::Close:
        release();
        break;
    default:
        break;
    }
    return false;
}

} // namespace rz
