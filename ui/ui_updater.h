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

// The idle pass: asks the router for the state of every registered action
// and button and applies it. It runs after each executed command, when a
// menu is about to show, and once the event loop is idle after an event
// that can change a state: a mouse button or key, focus or activation
// moving, a drop, the clipboard changing, or a caller's requestUpdate() (a
// transport or song change). Nothing polls. Triggering an item executes its
// command through the router. GUI thread.
class UiUpdater : public QObject {
    Q_OBJECT
public:
    // The period of the dialog bars' own passes, which poll while their
    // dialog is open.
    static constexpr int kIdlePeriodMs = 100;

    explicit UiUpdater(CommandRouter& router, QObject* parent = nullptr);
    ~UiUpdater() override;

    void addAction(QAction* action, CommandId id);
    void addButton(QAbstractButton* button, CommandId id);
    // Updates the menu's registered actions just before it opens.
    void watchMenu(QMenu* menu);

    // Watches the application's events and clipboard, and runs one pass.
    void start();
    void stop();
    void updateNow();
    // One pass once the event loop is idle; requests meanwhile add nothing.
    void requestUpdate();

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

    bool eventFilter(QObject* watched, QEvent* event) override;
    void updateMenu(const QMenu* menu);
    void apply(QAction& action, CommandId id);
    void apply(QAbstractButton& button, CommandId id);

    CommandRouter& m_router;
    QTimer m_pending; // single-shot: the coalesced pass
    bool m_watching = false;
    std::vector<ActionItem> m_actions;
    std::vector<ButtonItem> m_buttons;
};

} // namespace rz
