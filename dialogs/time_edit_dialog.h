#pragma once

#include "ui/dialog_base.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

class QBoxLayout;
class QCheckBox;
class QLineEdit;

namespace rz {

class IPrompt;
class SpinEdit;

// What the time-range, move and measure-number dialogs share: OK, Cancel
// and Help, numbers typed into edits with arrows, and the range check at
// OK. GUI thread.
class TimeEditDialog : public DialogBase {
    Q_OBJECT
protected:
    // A null topic: the dialog has no Help button.
    TimeEditDialog(const char* title, const char* helpTopic, QWidget* parent);

    // An edit showing `value` whose arrows step it within lo..hi; typing is
    // free. Every change calls `changed`.
    SpinEdit* numberEdit(const char* name, int32_t value, int32_t lo, int32_t hi);
    QCheckBox* checkBox(const char* name, const char* text, bool checked);
    // A check box with its amount and "% of q.note" after it, in one row.
    QBoxLayout* amountRow(QCheckBox* box, SpinEdit* amount);
    // The number a field shows, read like atol.
    static int32_t numberOf(const QLineEdit* edit);
    // The field's number when it lies in lo..hi; otherwise the range message
    // through `prompt`, the focus on the field, and none.
    static std::optional<int32_t> checkedNumber(IPrompt& prompt, QLineEdit* edit, int32_t lo, int32_t hi);
    // A "% of q.note" amount within its arrows' range, else the range
    // message; a greyed amount gives no ticks and passes.
    static bool amountInRange(IPrompt& prompt, QLineEdit* amount);

    // Called after every change of a control; re-reads them and re-enables.
    virtual void changed() = 0;
};

} // namespace rz
