#pragma once

// Small Qt pieces several dialogs build alike.

#include "core/text_codec.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QString>
#include <QValidator>

#include <string>

namespace rz {

// A radio button named for the tests, joined to `group` under `id`.
inline QRadioButton* radio(QWidget* parent, QButtonGroup* group, const char* name, const char* text, int id)
{
    auto* button = new QRadioButton(text, parent);
    button->setObjectName(name);
    group->addButton(button, id);
    return button;
}

// UTF-8 text for a Qt control.
inline QString qtext(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// Stored text bytes as a control shows them.
inline QString shown(const std::string& bytes)
{
    return QString::fromStdString(decodeText(bytes));
}

// Typed letters show in upper case (measure labels such as "12A").
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

} // namespace rz
