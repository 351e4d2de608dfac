#include "ui/in_place_edit.h"

#include "ui/key_filter.h"
#include "ui/key_translation.h"

#include <QFontDatabase>
#include <QKeyEvent>

namespace rz {
namespace {

constexpr uint32_t kVkTab = 0x09;

bool endsEdit(uint32_t vk)
{
    return vk == kVkTab || vk == InPlaceEdit::kVkReturn || vk == InPlaceEdit::kVkEscape
           || vk == InPlaceEdit::kVkUp || vk == InPlaceEdit::kVkDown;
}

// Enter and Tab never become characters in the field.
bool isSwallowedCharacter(const QKeyEvent& event)
{
    const QString text = event.text();
    return text == QLatin1String("\r") || text == QLatin1String("\n")
           || text == QLatin1String("\t");
}

} // namespace

InPlaceEdit::InPlaceEdit(KeyFilter* keys, QWidget* parent) : QLineEdit(parent), m_keys(keys)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
}

InPlaceEdit::~InPlaceEdit()
{
    setAcceleratorsOff(false);
}

void InPlaceEdit::setAcceleratorsOff(bool off)
{
    if (off == m_acceleratorsOff)
        return;
    m_acceleratorsOff = off;
    if (m_keys)
        m_keys->setInPlaceEditOpen(off);
}

// Tab and Shift+Tab never reach keyPressEvent (the focus chain takes them
// in QWidget::event), so the keys are decided here.
bool InPlaceEdit::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress && handleKeyPress(static_cast<QKeyEvent*>(event)))
        return true;
    return QLineEdit::event(event);
}

bool InPlaceEdit::handleKeyPress(QKeyEvent* event)
{
    const int key = event->key();
    const bool backtab = key == Qt::Key_Backtab
                         || (key == Qt::Key_Tab && (event->modifiers() & Qt::ShiftModifier));
    const std::optional<KeyStroke> stroke = translateKey(*event);
    const uint32_t vk = key == Qt::Key_Backtab ? kVkTab : stroke ? stroke->vk : 0;
    m_exitKey = vk == kVkTab ? (backtab ? kVkLeft : kVkRight) : vk;
    if (endsEdit(vk)) {
        event->accept();
        if (QWidget* parent = parentWidget())
            parent->setFocus(Qt::OtherFocusReason);
        else
            clearFocus();
        return true;
    }
    if (isSwallowedCharacter(*event)) {
        event->accept();
        return true;
    }
    return false;
}

void InPlaceEdit::focusInEvent(QFocusEvent* event)
{
    setAcceleratorsOff(true);
    QLineEdit::focusInEvent(event);
}

// The editor's own context menu takes the focus without ending the edit.
void InPlaceEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason)
        return;
    setAcceleratorsOff(false);
    emit focusLost();
}

// Hiding may leave the focus here (when nothing else takes it), so showing
// again gets no focus-in.
void InPlaceEdit::showEvent(QShowEvent* event)
{
    QLineEdit::showEvent(event);
    if (hasFocus())
        setAcceleratorsOff(true);
}

void InPlaceEdit::hideEvent(QHideEvent* event)
{
    setAcceleratorsOff(false);
    QLineEdit::hideEvent(event);
}

} // namespace rz
