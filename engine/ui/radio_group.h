#pragma once

// Radio buttons kept in a QButtonGroup under the ids of the values they
// stand for, so a dialog reads and sets a choice by its value.

class QButtonGroup;
class QLayout;
class QRadioButton;

namespace rz {

// A radio for `id`, named `name` for tests, added to the group and layout.
QRadioButton* addRadio(QButtonGroup* group, QLayout* layout, const char* text, int id, const char* name);
// Nothing when no radio has that id.
void checkRadio(QButtonGroup* group, int id);
void enableRadio(QButtonGroup* group, int id, bool on);

} // namespace rz
