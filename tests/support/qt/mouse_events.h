#pragma once

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

namespace rz::mouse {

// Events sent straight to one widget, as the window system would deliver
// them while that widget has the mouse (QTest moves without a button go
// through the cursor, which the offscreen platform does not track).

inline void hover(QWidget* widget, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

inline void leave(QWidget* widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

inline void press(QWidget* widget, QPoint at)
{
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, at);
}

inline void dragTo(QWidget* widget, QPoint at)
{
    QTest::mouseMove(widget, at);
}

inline void release(QWidget* widget, QPoint at)
{
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, at);
}

inline void click(QWidget* widget, QPoint at)
{
    press(widget, at);
    release(widget, at);
}

// The sequence Qt gives a double click: a click, then a press and a
// double-click event for the second click, then its release.
inline void doubleClick(QWidget* widget, QPoint at)
{
    click(widget, at);
    press(widget, at);
    QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, at);
    release(widget, at);
}

} // namespace rz::mouse
