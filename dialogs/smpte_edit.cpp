#include "dialogs/smpte_edit.h"

#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_model.h"

#include <QRegularExpressionValidator>

namespace rz {
namespace {

constexpr const char* kSmpteFieldNames[4] = {"hours", "minutes", "seconds", "frames"};

} // namespace

int CSmpteEdit::widthAt(int dpi)
{
    return 4 * (TimePosModel::fieldWidthAt(dpi) - 12 + TimePosModel::gapAt(dpi)) + 48;
}

CSmpteEdit::CSmpteEdit(double time, int rate, QWidget* parent) : QWidget(parent), m_model(time, rate)
{
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    const int dpi = logicalDpiX();
    const int width = TimePosModel::fieldWidthAt(dpi);
    const int height = TimePosModel::heightAt(dpi);
    for (size_t i = 0; i < m_fields.size(); ++i) {
        auto* edit = new SpinEdit(this);
        edit->setObjectName(kSmpteFieldNames[i]);
        // Only hours takes a minus sign.
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(i == 0 ? "-?[0-9]*" : "[0-9]*"), edit));
        edit->setGeometry(int(i) * (width + TimePosModel::gapAt(dpi)), 0, width, height);
        const auto which = SmpteField(i);
        connect(edit, &QLineEdit::textEdited, this,
                [this, which](const QString& text) { m_model.edit(which, text.toStdString()); });
        connect(edit, &SpinEdit::focusLost, this, &CSmpteEdit::commit);
        connect(edit, &SpinEdit::stepRequested, this, [this, which](bool up) { step(which, up); });
        m_fields[i] = edit;
    }
    setFocusProxy(m_fields[0]);
    setFixedSize(widthAt(dpi), height);
    showText();
}

void CSmpteEdit::setTime(double time)
{
    m_model.setTime(time);
    showText();
}

void CSmpteEdit::setRate(int rate)
{
    m_model.setRate(rate);
    showText();
}

void CSmpteEdit::showText()
{
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const QString text = QString::fromStdString(m_model.text(SmpteField(i)));
        if (m_fields[i]->text() != text)
            m_fields[i]->setText(text);
    }
}

void CSmpteEdit::commit()
{
    const bool moved = m_model.commit();
    showText();
    if (moved)
        emit changed();
}

void CSmpteEdit::step(SmpteField which, bool up)
{
    const bool moved = up ? m_model.stepUp(which) : m_model.stepDown(which);
    showText();
    if (moved)
        emit changed();
    m_fields[size_t(which)]->focusSelected();
}

} // namespace rz
