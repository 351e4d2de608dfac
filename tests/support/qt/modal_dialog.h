#pragma once

// Working a modal dialog that a command or call shows: a timer finds it and
// hands it to the test, and after a deadline rejects every dialog left, so a
// test cannot hang on a dialog that never showed or never closed.

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace rz {

// The shown dialog of that kind, if any.
template <class Dialog>
Dialog* shownDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<Dialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

// Runs `show`, which returns once the dialog has closed, and calls `answer`
// once with the dialog when it shows; `answer` closes it. True when it showed.
template <class Dialog>
bool answerModal(const std::function<void()>& show, const std::function<void(Dialog&)>& answer,
                 int deadlineMs = 10000)
{
    bool answered = false;
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (Dialog* dialog = answered ? nullptr : shownDialog<Dialog>()) {
            answered = true;
            answer(*dialog);
        } else if (waited.elapsed() > deadlineMs) {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* modal = qobject_cast<QDialog*>(widget))
                    modal->reject();
        }
    });
    poll.start(10);
    show();
    poll.stop();
    return answered;
}

} // namespace rz
