#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace rz {

// Runs the GUI thread's events until `done` holds or `ms` pass; true when it
// held. Tests wait with this, never with a fixed sleep.
template <class Done>
bool processUntil(Done done, int ms = 5000)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Runs the GUI thread's events until a marker timer due in `ms` has fired,
// for what must not happen: Qt handles posted events before timers and fires
// timers in the order they fall due, so whatever the case started that falls
// due before the marker has run by then, however late the marker comes. `ms`
// lies past every such timer (a coarse timer may fall due 5 % late). False
// when the marker did not fire within 5 s of its due time.
inline bool processPastMarker(int ms)
{
    bool fired = false;
    QTimer marker;
    marker.setSingleShot(true);
    marker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&marker, &QTimer::timeout, [&fired] { fired = true; });
    marker.start(ms);
    return processUntil([&fired] { return fired; }, ms + 5000);
}

} // namespace rz
