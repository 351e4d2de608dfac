#include "dialogs/time_pos_ctrl.h"

#include "dialogs/small_controls.h"
#include "dialogs/spin_edit.h"

#include <QRegularExpressionValidator>

namespace rz {
namespace {

constexpr const char* kTimeFieldNames[3] = {"measure", "beat", "tick"};

} // namespace

CTimePosCtrl::CTimePosCtrl(const CSongDoc& song, int32_t tick, unsigned options, QWidget* parent)
    : QWidget(parent), m_model(song, tick, (options & MeasureOnly) != 0)
{
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    const int dpi = logicalDpiX();
    const int step = TimePosModel::fieldWidthAt(dpi) + TimePosModel::gapAt(dpi);
    addField(TimeField::Measure, 0);
    if (!m_model.measureOnly()) {
        addField(TimeField::Beat, step);
        addField(TimeField::Tick, 2 * step);
    }
    setFocusProxy(m_fields[0]);
    setFixedSize(TimePosModel::widthAt(dpi), TimePosModel::heightAt(dpi));
    showText();
}

void CTimePosCtrl::addField(TimeField which, int left)
{
    auto* edit = new SpinEdit(this);
    edit->setObjectName(kTimeFieldNames[size_t(which)]);
    if (which == TimeField::Measure)
        edit->setValidator(new UpperCaseValidator(edit));
    else
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
    const int dpi = logicalDpiX();
    edit->setGeometry(left, 0, TimePosModel::fieldWidthAt(dpi), TimePosModel::heightAt(dpi));
    connect(edit, &QLineEdit::textEdited, this, [this, which](const QString& text) {
        m_model.edit(which, text.toStdString());
        showText();
    });
    connect(edit, &SpinEdit::focusLost, this, [this, which] {
        m_model.commit(which);
        showText();
        emit changed();
    });
    connect(edit, &SpinEdit::stepRequested, this, [this, which](bool up) { step(which, up); });
    m_fields[size_t(which)] = edit;
}

void CTimePosCtrl::setTick(int32_t tick)
{
    m_model.setTick(tick);
    showText();
}

void CTimePosCtrl::refresh()
{
    m_model.setTick(m_model.tick());
    showText();
}

// Writes only the fields whose text differs, so a caret being typed at stays.
void CTimePosCtrl::showText()
{
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const QString text = QString::fromStdString(m_model.text(TimeField(i)));
        if (m_fields[i] && m_fields[i]->text() != text)
            m_fields[i]->setText(text);
    }
}

void CTimePosCtrl::step(TimeField which, bool up)
{
    if (up)
        m_model.stepUp(which);
    else
        m_model.stepDown(which);
    showText();
    emit changed();
    m_fields[size_t(which)]->focusSelected();
}

} // namespace rz
