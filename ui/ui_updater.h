#pragma once

#include "ui/command_target.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <vector>

class QAbstractButton;
class QAction;
class QMenu;

namespace rz {

class CommandRouter;

// The idle pass: every 100 ms, after each executed command and when a menu
// is about to show, asks the router for the state of every registered action
// and button and applies it. Triggering one executes its command through
// the router. GUI thread.
class UiUpdater : public QObject {
    Q_OBJECT
public:
    static constexpr int kIdlePeriodMs = 100;

    explicit UiUpdater(CommandRouter& router, QObject* parent = nullptr);

    void addAction(QAction* action, CommandId id);
    void addButton(QAbstractButton* button, CommandId id);
    // Updates the menu's registered actions just before it opens.
    void watchMenu(QMenu* menu);

    void start() { m_idle.start(); }
    void stop() { m_idle.stop(); }
    void updateNow();

signals:
    // An update pass has applied every registered state.
    void updated();

private:
    struct ActionItem {
        QPointer<QAction> action;
        CommandId id = 0;
    };
    struct ButtonItem {
        QPointer<QAbstractButton> button;
        CommandId id = 0;
    };

    void updateMenu(const QMenu* menu);
    void apply(QAction& action, CommandId id);
    void apply(QAbstractButton& button, CommandId id);

    CommandRouter& m_router;
    QTimer m_idle;
    std::vector<ActionItem> m_actions;
    std::vector<ButtonItem> m_buttons;
};

} // namespace rz
