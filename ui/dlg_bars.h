#pragma once

#include "ui/command_target.h"

#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <vector>

class QLabel;

namespace rz {

// A tool bar placed inside a dialog. Its idle pass (every 100 ms while
// shown, and updateNow()) asks the dialog's own command target, not the
// main frame, whether each button is enabled and checked; a button runs its
// command on that target, and only when enabled. GUI thread.
class DlgToolBar : public QToolBar {
    Q_OBJECT
public:
    DlgToolBar(CommandTarget& dialog, QWidget* parent);

    QAction* addCommand(CommandId id, const QIcon& icon, const QString& tip);
    // Does nothing while hidden or without a parent window.
    void updateNow();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Item {
        QAction* action;
        CommandId id;
    };

    CommandTarget& m_dialog;
    std::vector<Item> m_items;
    QTimer m_idle;
};

// A status bar placed inside a dialog: each pane shows its text only while
// the dialog's command target enables the pane's id, and takes the text the
// target's update gives. GUI thread.
class DlgStatusBar : public QStatusBar {
    Q_OBJECT
public:
    DlgStatusBar(CommandTarget& dialog, QWidget* parent);

    QLabel* addPane(CommandId id, const QString& text);
    // Does nothing while hidden or without a parent window.
    void updateNow();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Pane {
        QLabel* label;
        CommandId id;
        QString text;
    };

    CommandTarget& m_dialog;
    std::vector<Pane> m_panes;
    QTimer m_idle;
};

} // namespace rz
