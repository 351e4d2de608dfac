#pragma once

#include "app/options/options_sheet.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <string>

namespace rz {

// Finds the control of a page by the text it shows: a check or radio by its
// own text, any other field by the label of its form row.
inline QWidget* controlOf(QWidget* page, const QString& text)
{
    for (QAbstractButton* button : page->findChildren<QAbstractButton*>())
        if (button->text() == text)
            return button;
    for (QFormLayout* form : page->findChildren<QFormLayout*>()) {
        for (int row = 0; row < form->rowCount(); ++row) {
            QLayoutItem* label = form->itemAt(row, QFormLayout::LabelRole);
            QLayoutItem* field = form->itemAt(row, QFormLayout::FieldRole);
            auto* labelWidget = label ? qobject_cast<QLabel*>(label->widget()) : nullptr;
            if (!labelWidget || labelWidget->text() != text || !field)
                continue;
            if (field->widget())
                return field->widget();
            if (field->layout() && field->layout()->count() > 0)
                return field->layout()->itemAt(0)->widget();
        }
    }
    return nullptr;
}

// What a control shows: "1"/"0" for a check, the index of a list, the text of a field.
inline std::string shownValue(QWidget* control)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->isChecked() ? "1" : "0";
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return std::to_string(combo->currentIndex());
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text().toStdString();
    return "?";
}

inline QLineEdit* editOf(QWidget* page, const char* label)
{
    return qobject_cast<QLineEdit*>(controlOf(page, QString::fromUtf8(label)));
}

} // namespace rz
