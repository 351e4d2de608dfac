#include "ui/key_filter.h"

#include "ui/command_router.h"

#include <QApplication>
#include <QKeyEvent>

namespace rz {

KeyFilter::KeyFilter(CommandRouter& router, QObject* parent) : QObject(parent), m_router(router)
{
}

KeyFilter::~KeyFilter()
{
    if (m_installed && qApp)
        qApp->removeEventFilter(this);
}

void KeyFilter::install()
{
    if (!m_installed && qApp) {
        qApp->installEventFilter(this);
        m_installed = true;
    }
}

bool KeyFilter::active() const
{
    // An open menu or popup owns the keyboard: its mnemonics, Escape and the
    // arrow keys must reach it, as they would before any accelerator.
    return !m_inPlaceEditOpen && !m_table.empty() && !QApplication::activeModalWidget()
           && !QApplication::activePopupWidget();
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) || !active())
        return QObject::eventFilter(watched, event);
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const std::optional<KeyStroke> key = translateKey(*keyEvent);
    const std::optional<CommandId> command = key ? m_table.find(*key) : std::nullopt;
    if (!command)
        return QObject::eventFilter(watched, event);
    event->accept();
    if (type == QEvent::KeyPress)
        m_router.execute(*command); // the key is ours even when the command is disabled
    return true;
}

} // namespace rz
