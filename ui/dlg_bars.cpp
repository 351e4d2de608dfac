#include "ui/dlg_bars.h"

#include "ui/gui_thread.h"
#include "ui/ui_updater.h"

#include <QAction>
#include <QLabel>

namespace rz {
namespace {

// The routing rule for one target: its update row decides; without one a
// handler means enabled.
CmdUi dialogUpdate(CommandTarget& dialog, CommandId id)
{
    CmdUi ui;
    if (!dialog.update(id, ui))
        ui.enabled = dialog.hasHandler(id);
    return ui;
}

bool placedInWindow(const QWidget& bar)
{
    return bar.isVisible() && bar.parentWidget() != nullptr;
}

} // namespace

DlgToolBar::DlgToolBar(CommandTarget& dialog, QWidget* parent) : QToolBar(parent), m_dialog(dialog)
{
    m_idle.setInterval(UiUpdater::kIdlePeriodMs);
    connect(&m_idle, &QTimer::timeout, this, &DlgToolBar::updateNow);
}

QAction* DlgToolBar::addCommand(CommandId id, const QIcon& icon, const QString& tip)
{
    QAction* action = addAction(icon, tip);
    m_items.push_back({action, id});
    connect(action, &QAction::triggered, this, [this, id] {
        if (dialogUpdate(m_dialog, id).enabled)
            m_dialog.handle(id);
    });
    return action;
}

void DlgToolBar::updateNow()
{
    RZ_ASSERT_GUI_THREAD();
    if (!placedInWindow(*this))
        return;
    for (const Item& item : m_items) {
        const CmdUi ui = dialogUpdate(m_dialog, item.id);
        item.action->setEnabled(ui.enabled);
        item.action->setVisible(ui.visible);
        if (ui.checked || ui.radio || item.action->isCheckable()) {
            item.action->setCheckable(true);
            item.action->setChecked(ui.checked || ui.radio);
        }
    }
}

void DlgToolBar::showEvent(QShowEvent* event)
{
    QToolBar::showEvent(event);
    updateNow();
    m_idle.start();
}

void DlgToolBar::hideEvent(QHideEvent* event)
{
    m_idle.stop();
    QToolBar::hideEvent(event);
}

DlgStatusBar::DlgStatusBar(CommandTarget& dialog, QWidget* parent)
    : QStatusBar(parent), m_dialog(dialog)
{
    setSizeGripEnabled(false);
    m_idle.setInterval(UiUpdater::kIdlePeriodMs);
    connect(&m_idle, &QTimer::timeout, this, &DlgStatusBar::updateNow);
}

QLabel* DlgStatusBar::addPane(CommandId id, const QString& text)
{
    auto* label = new QLabel(text, this);
    addPermanentWidget(label);
    m_panes.push_back({label, id, text});
    return label;
}

void DlgStatusBar::updateNow()
{
    RZ_ASSERT_GUI_THREAD();
    if (!placedInWindow(*this))
        return;
    for (Pane& pane : m_panes) {
        const CmdUi ui = dialogUpdate(m_dialog, pane.id);
        if (ui.text)
            pane.text = QString::fromStdString(*ui.text);
        pane.label->setText(ui.enabled ? pane.text : QString());
    }
}

void DlgStatusBar::showEvent(QShowEvent* event)
{
    QStatusBar::showEvent(event);
    updateNow();
    m_idle.start();
}

void DlgStatusBar::hideEvent(QHideEvent* event)
{
    m_idle.stop();
    QStatusBar::hideEvent(event);
}

} // namespace rz
