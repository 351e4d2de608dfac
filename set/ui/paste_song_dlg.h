#pragma once

#include "ui/dialog_base.h"

class QRadioButton;

namespace rz {

// "Paste song...": a link to the clipboard's song, or a new song made from
// a copy of it.
class CPasteSongDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 339;
    enum Choice { Link = 0, Copy = 1 };

    explicit CPasteSongDlg(QWidget* parent = nullptr);

    Choice choice() const;
    void setChoice(Choice choice);

private:
    QRadioButton* m_link = nullptr;
    QRadioButton* m_copy = nullptr;
};

} // namespace rz
