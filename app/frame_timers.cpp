#include "app/frame_timers.h"

#include "ui/gui_thread.h"

#include <QMetaObject>
#include <QTimerEvent>

#include <algorithm>

namespace rz {

FrameTimers::FrameTimers(Handler onTimer, QObject* parent)
    : QObject(parent), m_onTimer(std::move(onTimer))
{
}

FrameTimers::~FrameTimers() = default;

void FrameTimers::start(int id, int ms)
{
    RZ_ASSERT_GUI_THREAD();
    kill(id);
    const int qtId = startTimer(std::max(ms, 0));
    if (qtId == 0)
        return;
    m_running[id] = qtId;
    m_byQtId[qtId] = id;
}

void FrameTimers::kill(int id)
{
    RZ_ASSERT_GUI_THREAD();
    const auto it = m_running.find(id);
    if (it == m_running.end())
        return;
    killTimer(it->second);
    m_byQtId.erase(it->second);
    m_running.erase(it);
}

void FrameTimers::fire(int id)
{
    RZ_ASSERT_GUI_THREAD();
    if (m_onTimer)
        m_onTimer(id);
}

void FrameTimers::requestFromAnyThread(int id, int ms)
{
    QMetaObject::invokeMethod(this, [this, id, ms] { start(id, ms); }, Qt::QueuedConnection);
}

void FrameTimers::timerEvent(QTimerEvent* event)
{
    const auto it = m_byQtId.find(event->timerId());
    if (it == m_byQtId.end())
        return QObject::timerEvent(event);
    fire(it->second);
}

} // namespace rz
