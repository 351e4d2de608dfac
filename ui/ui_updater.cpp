#include "ui/ui_updater.h"

#include "ui/command_router.h"
#include "ui/gui_thread.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>

namespace rz {

namespace {

// Events after which a selection, the focus or the active view may differ.
bool mayChangeStates(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::FocusIn:
    case QEvent::WindowActivate:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

UiUpdater::UiUpdater(CommandRouter& router, QObject* parent) : QObject(parent), m_router(router)
{
    m_pending.setSingleShot(true);
    m_pending.setInterval(0);
    connect(&m_pending, &QTimer::timeout, this, &UiUpdater::updateNow);
    m_router.addExecutedListener([guard = QPointer<UiUpdater>(this)](CommandId) {
        if (guard)
            guard->updateNow();
    });
}

UiUpdater::~UiUpdater()
{
    stop();
}

void UiUpdater::start()
{
    RZ_ASSERT_GUI_THREAD();
    if (!m_watching) {
        m_watching = true;
        qApp->installEventFilter(this);
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            connect(clipboard, &QClipboard::dataChanged, this, &UiUpdater::requestUpdate);
    }
    requestUpdate();
}

void UiUpdater::stop()
{
    m_pending.stop();
    if (!m_watching)
        return;
    m_watching = false;
    if (qApp)
        qApp->removeEventFilter(this);
    if (QClipboard* clipboard = qApp ? QGuiApplication::clipboard() : nullptr)
        disconnect(clipboard, &QClipboard::dataChanged, this, &UiUpdater::requestUpdate);
}

void UiUpdater::requestUpdate()
{
    if (!m_pending.isActive())
        m_pending.start();
}

// Only looks: the event goes on to its receiver, and the pass runs after it.
bool UiUpdater::eventFilter(QObject* watched, QEvent* event)
{
    if (mayChangeStates(event->type()))
        requestUpdate();
    return QObject::eventFilter(watched, event);
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
