// The main frame's status line and the states of its transport buttons and
// tool bar. GUI thread.

#include "app/main_frame.h"

#include "app/control_states.h"
#include "app/flat_status_bar.h"
#include "app/flat_tool_bar.h"
#include "app/frame_host.h"
#include "ui/bitmap_push_button.h"
#include "ui/command_router.h"
#include "ui/command_text.h"

#include <QAction>

namespace rz {
namespace {

void apply(BitmapPushButton* button, const TransportButtonState& state)
{
    if (!button)
        return;
    button->setEnabled(state.enabled);
    button->setPressed(state.pressed);
}

} // namespace

void MainFrame::setPromptId(uint32_t id)
{
    if (id == kIdlePromptId && m_host.performanceMode())
        id = kPerformanceIdlePromptId;
    // Written also when unchanged: it puts the prompt back over a
    // countdown text.
    m_statusBar->setPartText(0, commandPromptText(id));
    if (id == m_promptId)
        return;
    m_promptId = id;
    UpdateToolbarButtons();
}

// A button is enabled only when both its rule and its command allow it.
void MainFrame::UpdateToolbarButtons()
{
    const ControlContext context = m_host.controlContext();
    for (const ToolButtonState& state : toolBarStates(context, m_staffTools)) {
        QAction* action = m_toolBar->action(state.id);
        if (!action)
            continue;
        bool enabled = state.enabled && m_router.update(state.id).enabled;
        if (state.id == FlatToolBar::kEditModeId && m_toolBar->isPressed())
            enabled = false;
        action->setEnabled(enabled);
        action->setCheckable(true);
        action->setChecked(state.checked);
        action->setVisible(state.visible);
    }
    // Pane 3 shows the clock while there is no selection; it is blanked
    // only when a selection goes away.
    const bool selection = !context.selectionFrom.empty();
    if (selection || m_showingSelection) {
        m_statusBar->setPartText(2, QString::fromStdString(context.selectionFrom));
        m_statusBar->setPartText(3, QString::fromStdString(context.selectionTo));
    }
    m_showingSelection = selection;
}

void MainFrame::updateTransportButtons()
{
    const TransportButtonStates states = transportButtonStates(m_host.controlContext());
    apply(button(Button::PlayStop), states.playStop);
    apply(button(Button::Stop), states.stop);
    apply(button(Button::Pause), states.pause);
    apply(button(Button::TransposeUp), states.transposeUp);
    apply(button(Button::TransposeDown), states.transposeDown);
    BitmapPushButton* record = button(Button::Record);
    const int bitmap = states.recordIsClick ? bitmap_id::kClickOnOff : bitmap_id::kRecord;
    if (record->bitmapId() != bitmap)
        record->setBitmap(bitmap, states.recordIsClick ? kIdClickOnOff : kIdRecord);
    apply(record, states.record);
}

} // namespace rz
