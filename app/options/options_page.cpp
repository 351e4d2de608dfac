#include "app/options/options_page.h"

#include "core/profile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include <cstring>

namespace rz {

OptionsPage::Binding OptionsPage::bound(Kind kind, QWidget* widget, const Setting& row, int min,
                                        int max)
{
    Binding binding;
    binding.kind = kind;
    binding.widget = widget;
    binding.row = &row;
    binding.defaultValue = row.defaultValue;
    binding.defaultText = std::string(row.defaultText);
    binding.min = min;
    binding.max = max;
    return binding;
}

OptionsPage::OptionsPage(OptionsContext& context, const char* caption, const char* helpTopic)
    : m_context(context), m_caption(caption), m_helpTopic(helpTopic)
{
}

QCheckBox* OptionsPage::bindCheck(QBoxLayout* layout, const char* text, const Setting& row)
{
    auto* box = new QCheckBox(QString::fromUtf8(text), this);
    layout->addWidget(box);
    m_bindings.push_back(bound(Kind::Check, box, row));
    return box;
}

QComboBox* OptionsPage::bindCombo(QFormLayout* layout, const char* label,
                                  const std::vector<const char*>& items, const Setting& row)
{
    auto* combo = new QComboBox(this);
    for (const char* item : items)
        combo->addItem(QString::fromUtf8(item));
    layout->addRow(QString::fromUtf8(label), combo);
    m_bindings.push_back(bound(Kind::Combo, combo, row));
    return combo;
}

QLineEdit* OptionsPage::bindInt(QFormLayout* layout, const char* label, const Setting& row, int min,
                                int max)
{
    auto* edit = new QLineEdit(this);
    layout->addRow(QString::fromUtf8(label), edit);
    m_bindings.push_back(bound(Kind::Int, edit, row, min, max));
    return edit;
}

QLineEdit* OptionsPage::bindText(QFormLayout* layout, const char* label, const Setting& row,
                                 int maxLength, std::string_view part,
                                 std::optional<std::string> defaultText)
{
    auto* edit = new QLineEdit(this);
    edit->setMaxLength(maxLength);
    layout->addRow(QString::fromUtf8(label), edit);
    Binding binding = bound(Kind::Text, edit, row);
    binding.part = std::string(part);
    if (defaultText)
        binding.defaultText = std::move(*defaultText);
    m_bindings.push_back(std::move(binding));
    return edit;
}

void OptionsPage::bindRadios(const std::vector<QRadioButton*>& radios, const Setting& row)
{
    Binding binding = bound(Kind::Radio, radios.front(), row);
    binding.radios = radios;
    m_bindings.push_back(std::move(binding));
}

int OptionsPage::intOf(const QLineEdit* edit, bool* ok)
{
    return edit->text().trimmed().toInt(ok);
}

void OptionsPage::ensureLoaded()
{
    if (m_loaded)
        return;
    m_loaded = true;
    for (const Binding& binding : m_bindings)
        loadBinding(binding);
    loadMore();
}

void OptionsPage::loadBinding(const Binding& binding)
{
    const IProfile& profile = *m_context.profile;
    if (binding.kind == Kind::Text) {
        static_cast<QLineEdit*>(binding.widget)
            ->setText(QString::fromStdString(
                readSettingTextOr(profile, *binding.row, binding.defaultText, binding.part)));
        return;
    }
    const int value = runtimeValue(*binding.row).value_or(
        readSettingAsStored(profile, *binding.row, binding.defaultValue, binding.part));
    switch (binding.kind) {
    case Kind::Check: static_cast<QCheckBox*>(binding.widget)->setChecked(value != 0); break;
    case Kind::Combo: static_cast<QComboBox*>(binding.widget)->setCurrentIndex(value); break;
    // A value out of range (edited by hand) shows as stored and must be mended before OK.
    case Kind::Int: static_cast<QLineEdit*>(binding.widget)->setText(QString::number(value)); break;
    case Kind::Radio:
        for (size_t i = 0; i < binding.radios.size(); ++i)
            binding.radios[i]->setChecked(int(i) == value);
        break;
    case Kind::Text: break;
    }
}

std::optional<OptionsPage::RangeFailure> OptionsPage::validate() const
{
    for (const Binding& binding : m_bindings) {
        if (binding.kind != Kind::Int)
            continue;
        auto* edit = static_cast<QLineEdit*>(binding.widget);
        bool ok = false;
        const int value = intOf(edit, &ok);
        if (!ok || value < binding.min || value > binding.max)
            return RangeFailure{edit, binding.min, binding.max};
    }
    return validateMore();
}

void OptionsPage::store()
{
    for (const Binding& binding : m_bindings)
        if (!storesItself(*binding.row))
            storeBinding(binding);
    storeMore();
}

void OptionsPage::storeBinding(const Binding& binding)
{
    IProfile& profile = *m_context.profile;
    int value = 0;
    switch (binding.kind) {
    case Kind::Check: value = static_cast<QCheckBox*>(binding.widget)->isChecked() ? 1 : 0; break;
    case Kind::Combo: value = static_cast<QComboBox*>(binding.widget)->currentIndex(); break;
    case Kind::Int: value = intOf(static_cast<QLineEdit*>(binding.widget)); break;
    case Kind::Radio:
        for (size_t i = 0; i < binding.radios.size(); ++i)
            if (binding.radios[i]->isChecked())
                value = int(i);
        break;
    case Kind::Text:
        const std::string text = static_cast<QLineEdit*>(binding.widget)->text().toStdString();
        writeSettingText(profile, *binding.row, text, binding.part);
        return;
    }
    writeSetting(profile, *binding.row, value, binding.part);
}

QSpinBox* OptionsPage::spinFor(QLineEdit* edit, int min, int max)
{
    auto* spin = new QSpinBox(this);
    spin->setRange(min, max);
    connect(spin, &QSpinBox::valueChanged, edit,
            [edit](int value) { edit->setText(QString::number(value)); });
    // The spin follows the field as typed or loaded, without rewriting it.
    connect(edit, &QLineEdit::textChanged, spin, [spin](const QString& text) {
        bool ok = false;
        const int value = text.toInt(&ok);
        if (ok && value >= spin->minimum() && value <= spin->maximum()) {
            const QSignalBlocker quiet(spin);
            spin->setValue(value);
        }
    });
    return spin;
}

} // namespace rz
