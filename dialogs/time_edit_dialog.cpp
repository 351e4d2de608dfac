#include "dialogs/time_edit_dialog.h"

#include "core/prompt.h"
#include "dialogs/field_values.h"
#include "dialogs/spin_edit.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>

#include <algorithm>

namespace rz {

TimeEditDialog::TimeEditDialog(const char* title, const char* helpTopic, QWidget* parent)
    : DialogBase(parent, helpTopic)
{
    setWindowTitle(title);
}

SpinEdit* TimeEditDialog::numberEdit(const char* name, int32_t value, int32_t lo, int32_t hi)
{
    auto* edit = new SpinEdit(this);
    edit->setObjectName(name);
    edit->setText(QString::number(value));
    edit->setMinimumWidth(64 * logicalDpiX() / 96);
    connect(edit, &SpinEdit::stepRequested, this, [this, edit, lo, hi](bool up) {
        const int64_t next = int64_t(numberOf(edit)) + (up ? 1 : -1);
        edit->setText(QString::number(std::clamp<int64_t>(next, lo, hi)));
        changed();
    });
    connect(edit, &QLineEdit::textEdited, this, [this] { changed(); });
    return edit;
}

QCheckBox* TimeEditDialog::checkBox(const char* name, const char* text, bool checked)
{
    auto* box = new QCheckBox(text, this);
    box->setObjectName(name);
    box->setChecked(checked);
    connect(box, &QCheckBox::toggled, this, [this] { changed(); });
    return box;
}

QBoxLayout* TimeEditDialog::amountRow(QCheckBox* box, SpinEdit* amount)
{
    auto* row = new QHBoxLayout;
    row->addWidget(box);
    row->addWidget(amount);
    row->addWidget(new QLabel("% of q.note", this));
    row->addStretch();
    return row;
}

int32_t TimeEditDialog::numberOf(const QLineEdit* edit)
{
    return typedNumber(edit->text().toStdString());
}

std::optional<int32_t> TimeEditDialog::checkedNumber(IPrompt& prompt, QLineEdit* edit, int32_t lo, int32_t hi)
{
    const std::optional<int32_t> value = rangedField(edit->text().toStdString(), lo, hi);
    if (!value) {
        prompt.message(rangeMessage(lo, hi), PromptIcon::Warning);
        edit->setFocus();
        edit->selectAll();
    }
    return value;
}

bool TimeEditDialog::amountInRange(IPrompt& prompt, QLineEdit* amount)
{
    return !amount->isEnabled() || checkedNumber(prompt, amount, 0, kSpinPercent).has_value();
}

} // namespace rz
