#pragma once

#include "ui/dialog_base.h"

#include <string>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace rz {

class LadspaCatalog;

// "Audio filter plug-ins...": the effects the catalog lists, sorted by name;
// OK needs a selection and a double click acts as OK. GUI thread.
class CAudioFiltersDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 285;
    static constexpr int kListId = 1127;

    explicit CAudioFiltersDlg(const LadspaCatalog& catalog, QWidget* parent = nullptr);

    // After OK: the chosen effect.
    const std::string& filterId() const { return m_filterId; }
    const std::string& filterName() const { return m_filterName; }

    QListWidget* list() const { return m_list; }
    QPushButton* okButton() const { return m_ok; }

    void accept() override;

private:
    void FillFilterList(const LadspaCatalog& catalog);

    QListWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
    std::string m_filterId;
    std::string m_filterName;
};

} // namespace rz
