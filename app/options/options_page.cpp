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

OptionsPage::Binding OptionsPage::bound(Kind kind, QWidget* widget, const char* section,
                                        const char* name, int defaultValue, int min, int max)
{
    Binding binding;
    binding.kind = kind;
    binding.widget = widget;
    binding.section = section;
    binding.name = name;
    binding.defaultValue = defaultValue;
    binding.min = min;
    binding.max = max;
    return binding;
}

OptionsPage::OptionsPage(OptionsContext& context, const char* caption, const char* helpTopic)
    : m_context(context), m_caption(caption), m_helpTopic(helpTopic)
{
}

QCheckBox* OptionsPage::bindCheck(QBoxLayout* layout, const char* text, const char* section,
                                  const char* name, int defaultValue)
{
    auto* box = new QCheckBox(QString::fromUtf8(text), this);
    layout->addWidget(box);
    m_bindings.push_back(bound(Kind::Check, box, section, name, defaultValue));
    return box;
}

QComboBox* OptionsPage::bindCombo(QFormLayout* layout, const char* label,
                                  const std::vector<const char*>& items, const char* section,
                                  const char* name, int defaultValue)
{
    auto* combo = new QComboBox(this);
    for (const char* item : items)
        combo->addItem(QString::fromUtf8(item));
    layout->addRow(QString::fromUtf8(label), combo);
    m_bindings.push_back(bound(Kind::Combo, combo, section, name, defaultValue));
    return combo;
}

QLineEdit* OptionsPage::bindInt(QFormLayout* layout, const char* label, const char* section,
                                const char* name, int defaultValue, int min, int max)
{
    auto* edit = new QLineEdit(this);
    layout->addRow(QString::fromUtf8(label), edit);
    m_bindings.push_back(bound(Kind::Int, edit, section, name, defaultValue, min, max));
    return edit;
}

QLineEdit* OptionsPage::bindText(QFormLayout* layout, const char* label, const char* section,
                                 const char* name, const char* defaultText, int maxLength)
{
    auto* edit = new QLineEdit(this);
    edit->setMaxLength(maxLength);
    layout->addRow(QString::fromUtf8(label), edit);
    Binding binding = bound(Kind::Text, edit, section, name);
    binding.defaultText = defaultText;
    m_bindings.push_back(std::move(binding));
    return edit;
}

void OptionsPage::bindRadios(const std::vector<QRadioButton*>& radios, const char* section,
                             const char* name, int defaultValue)
{
    Binding binding = bound(Kind::Radio, radios.front(), section, name, defaultValue);
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
                profile.readString(binding.section, binding.name, binding.defaultText)));
        return;
    }
    const int value = runtimeValue(binding.name).value_or(
        profile.readInt(binding.section, binding.name, binding.defaultValue));
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
        if (!storesItself(binding.name))
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
        profile.writeString(binding.section, binding.name,
                            static_cast<QLineEdit*>(binding.widget)->text().toStdString());
        return;
    }
    profile.writeInt(binding.section, binding.name, value);
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
