#pragma once

#include "engine/synthdb/synth_tree.h"
#include "ui/dialog_base.h"

#include <functional>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace rz {

// "Edit patch...": the number, name and (for patches) category of one bank,
// patch, drumset, drum note, controller or NRPN of the patch-name editor.
// The number is typed in the form its bounds call for; OK is enabled while
// the name is not blank and the number lies within the bounds. GUI thread.
class CEditPatchDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 183;
    static constexpr int kMaxNameLength = 50;
    static constexpr int kMaxCategoryLength = 12;

    explicit CEditPatchDlg(const ItemEditRequest& request, QWidget* parent = nullptr);

    // After OK: the number as shown, the name and category as typed (UTF-8),
    // or the stored bytes when the text was left as it was.
    int number() const { return m_number; }
    std::string name() const;
    std::string category() const;

    QLineEdit* numberEdit() const { return m_numberEdit; }
    QLineEdit* nameEdit() const { return m_nameEdit; }
    QComboBox* categoryCombo() const { return m_category; }
    // "Note schema..." shows for drumsets and drum notes once it has an
    // opener, which it runs with this dialog as the parent.
    void setSchemaOpener(std::function<void(QWidget* parent)> opener);
    QPushButton* schemaButton() const { return m_schema; }
    QPushButton* okButton() const { return m_ok; }

private:
    void numberTyped(const QString& text);
    void showNumber();
    void updateOk();

    ItemEditRequest m_request;
    int m_number = -1;
    QLineEdit* m_numberEdit = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QComboBox* m_category = nullptr;
    QPushButton* m_schema = nullptr;
    std::function<void(QWidget* parent)> m_openSchema;
    QPushButton* m_ok = nullptr;
};

} // namespace rz
