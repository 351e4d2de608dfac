#include "dialogs/spin_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QToolButton>

namespace rz {
namespace {

constexpr int kArrowWidth = 12; // pixels at 96 dpi

QToolButton* arrow(QWidget* parent, Qt::ArrowType type, const char* name)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(type);
    button->setObjectName(name);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
    button->setCursor(Qt::ArrowCursor);
    return button;
}

} // namespace

SpinEdit::SpinEdit(QWidget* parent)
    : QLineEdit(parent), m_up(arrow(this, Qt::UpArrow, "up")), m_down(arrow(this, Qt::DownArrow, "down"))
{
    setAlignment(Qt::AlignRight);
    setTextMargins(0, 0, kArrowWidth * logicalDpiX() / 96, 0);
    connect(m_up, &QToolButton::clicked, this, [this] { emit stepRequested(true); });
    connect(m_down, &QToolButton::clicked, this, [this] { emit stepRequested(false); });
}

void SpinEdit::focusSelected()
{
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

void SpinEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    selectAll();
}

void SpinEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason)
        emit focusLost();
}

void SpinEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        emit stepRequested(event->key() == Qt::Key_Up);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void SpinEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    const int w = kArrowWidth * logicalDpiX() / 96;
    const int half = height() / 2;
    m_up->setGeometry(width() - w, 0, w, half);
    m_down->setGeometry(width() - w, half, w, height() - half);
}

} // namespace rz
