#include "ui/ui_updater.h"

#include "ui/command_router.h"
#include "ui/gui_thread.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>

namespace rz {

UiUpdater::UiUpdater(CommandRouter& router, QObject* parent) : QObject(parent), m_router(router)
{
    m_idle.setInterval(kIdlePeriodMs);
    connect(&m_idle, &QTimer::timeout, this, &UiUpdater::updateNow);
    m_router.addExecutedListener([guard = QPointer<UiUpdater>(this)](CommandId) {
        if (guard)
            guard->updateNow();
    });
}

void UiUpdater::addAction(QAction* action, CommandId id)
{
    m_actions.push_back({action, id});
    connect(action, &QAction::triggered, this, [this, id] { m_router.execute(id); });
    apply(*action, id);
}

void UiUpdater::addButton(QAbstractButton* button, CommandId id)
{
    m_buttons.push_back({button, id});
    connect(button, &QAbstractButton::clicked, this, [this, id] { m_router.execute(id); });
    apply(*button, id);
}

void UiUpdater::watchMenu(QMenu* menu)
{
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { updateMenu(menu); });
}

void UiUpdater::updateNow()
{
    RZ_ASSERT_GUI_THREAD();
    std::erase_if(m_actions, [](const ActionItem& item) { return !item.action; });
    std::erase_if(m_buttons, [](const ButtonItem& item) { return !item.button; });
    for (const ActionItem& item : m_actions)
        apply(*item.action, item.id);
    for (const ButtonItem& item : m_buttons)
        apply(*item.button, item.id);
    emit updated();
}

void UiUpdater::updateMenu(const QMenu* menu)
{
    const QList<QAction*> inMenu = menu->actions();
    for (const ActionItem& item : m_actions)
        if (item.action && inMenu.contains(item.action.data()))
            apply(*item.action, item.id);
}

void UiUpdater::apply(QAction& action, CommandId id)
{
    const CmdUi ui = m_router.update(id);
    action.setEnabled(ui.enabled);
    action.setVisible(ui.visible);
    if (ui.checked || ui.radio || action.isCheckable()) {
        action.setCheckable(true);
        action.setChecked(ui.checked || ui.radio);
    }
    if (ui.text)
        action.setText(QString::fromStdString(*ui.text));
}

void UiUpdater::apply(QAbstractButton& button, CommandId id)
{
    const CmdUi ui = m_router.update(id);
    button.setEnabled(ui.enabled);
    // A child only: showing a parentless button would open a window.
    if (button.parentWidget() && button.isHidden() == ui.visible)
        button.setVisible(ui.visible);
    if (button.isCheckable())
        button.setChecked(ui.checked || ui.radio);
    if (ui.text)
        button.setText(QString::fromStdString(*ui.text));
}

} // namespace rz
