#pragma once

// Finding and typing into a dialog's controls, as the dialog tests do.

#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace rz {

// The dialog's child of that object name; a failure when it has none.
template <class T = QWidget>
T* child(const QWidget& dialog, const char* name)
{
    T* found = dialog.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline void showActive(QDialog& dialog)
{
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

// Types into a field over its text and leaves it with Tab.
inline void typeInto(QLineEdit* field, const char* text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Tab);
}

} // namespace rz
