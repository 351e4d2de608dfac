#pragma once

#include "set/set_track_props.h"
#include "ui/dialog_base.h"

#include <vector>

class QLabel;
class QTreeWidget;

namespace rz {

class SetDocument;

// "Set properties...": the user-track names of the set's loaded songs, whose
// In flag and track properties change in every song at once.
class CSetPropsDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 445;
    enum Column { InColumn = 0, TrackColumn = 1, CountColumn = 2 };

    explicit CSetPropsDlg(SetDocument& set, QWidget* parent = nullptr);

    QTreeWidget* list() const { return m_list; }
    // The note under the list about songs that are not loaded; hidden
    // when every song is.
    QLabel* note() const { return m_note; }
    const SetTrackProps& props() const { return m_props; }

    // A click on the row's In cell.
    void clickIn(int row);
    // The track dialog on the selected rows.
    void editSelected();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill();
    std::vector<size_t> selectedRows() const;

    SetDocument& m_set;
    SetTrackProps m_props;
    QTreeWidget* m_list = nullptr;
    QLabel* m_note = nullptr;
};

} // namespace rz
