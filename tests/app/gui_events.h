#pragma once

#include <QApplication>
#include <QElapsedTimer>

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

// Runs the GUI thread's events for `ms`, for what must not happen meanwhile.
inline void processFor(int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace rz
