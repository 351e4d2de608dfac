#pragma once

#include "app/maps/map_list_dialog.h"
#include "core/map_file.h"
#include "res/default_accel_map.h"
#include "ui/command_target.h"
#include "ui/dialog_base.h"

#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace rz {

class MapCommands;
class DlgToolBar;

// Captures one key: the first that is not a modifier, Pause, Caps Lock or
// an IME key closes it; Alt alone is swallowed. GUI thread.
class CTypeCommandDlg : public DialogBase {
    Q_OBJECT
public:
    explicit CTypeCommandDlg(QWidget* parent);
    // The key typed, as an accelerator record without a command.
    std::optional<AccelRecordData> typed() const { return m_typed; }
    // Takes a key press; true when it closed the dialog.
    bool takeKey(QKeyEvent& event);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    std::optional<AccelRecordData> m_typed;
};

// One accelerator: a command of the list and its key. GUI thread.
class CAccelEntryDlg : public DialogBase {
    Q_OBJECT
public:
    CAccelEntryDlg(const AccelRecordData& record, QWidget* parent);
    AccelRecordData record() const;
    // Runs the key capture; tests replace it.
    std::function<std::optional<AccelRecordData>()> captureKey;
    void setToNextCommandTyped();

private:
    void updateOk();
    void showKey();

    QComboBox* m_command;
    QLabel* m_key;
    QPushButton* m_ok;
    AccelRecordData m_record;
};

// The keyboard accelerator maps: edits copies of every map; OK stores them
// and installs the selected one, Cancel keeps everything. GUI thread.
class CAccelMapsDlg : public MapListDialog, public CommandTable<CAccelMapsDlg> {
    Q_OBJECT
public:
    CAccelMapsDlg(MapCommands& commands, QWidget* parent);

    static std::span<const CommandRow<CAccelMapsDlg>> commandTable();
    bool onSaveMap(CommandId id);
    bool onDeleteMap(CommandId id);
    bool onImport(CommandId id);
    bool onExport(CommandId id);
    void onUpdateMapCommand(CommandId id, CmdUi& ui);

    void addEntry() override;
    void editEntry() override;
    void removeEntries() override;
    void accept() override;

    // Edits one record (the entry dialog); tests replace it.
    std::function<std::optional<AccelRecordData>(const AccelRecordData&)> editRecord;

private:
    void showMap() override;
    void updateButtons() override;
    std::vector<AccelRecordData> shownRecords();
    void storeRecords(const std::vector<AccelRecordData>& records, int selectRow);
};

} // namespace rz
