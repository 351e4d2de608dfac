#pragma once

#include "app/maps/control_map_entry.h"
#include "app/maps/map_list_dialog.h"
#include "core/map_file.h"
#include "ui/command_target.h"
#include "ui/dialog_base.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTreeWidget;

namespace rz {

class MapCommands;
class DlgToolBar;

// One control map entry; learns its trigger from the MIDI input while
// open. GUI thread.
class CControlMapEntryDlg : public DialogBase {
    Q_OBJECT
public:
    CControlMapEntryDlg(MapCommands& commands, const ControlMapEntry& entry,
                        const std::vector<std::string>& portNames, QWidget* parent);
    ~CControlMapEntryDlg() override;

    ControlMapEntry entry() const { return m_entry; }
    // A message the MIDI input received on input `device`.
    void learn(int device, uint32_t message);
    // Takes a typed key text; texts outside 0..127 are ignored.
    void typeKey(const QString& text);
    QPushButton* okButton() const { return m_ok; }
    QComboBox* actionCombo() const { return m_action; }
    QLineEdit* keyEdit() const { return m_key; }

private:
    static constexpr const char* kNoKeyText = "<None>";

    void takeTypedKey(const QString& text);
    void showEntry();
    void takeControls();

    MapCommands& m_commands;
    ControlMapEntry m_entry;
    QComboBox* m_port;
    QSpinBox* m_channel;
    QComboBox* m_action;
    QRadioButton* m_noteOrController;
    QRadioButton* m_program;
    QComboBox* m_controller;
    QLineEdit* m_key;
    QSpinBox* m_keySpin;
    QPushButton* m_ok;
    bool m_showing = false;
};

// The external control maps: edits copies; OK (SaveMaps) stores them and
// gives each MIDI input its entries. GUI thread.
class CControlMapsDlg : public MapListDialog, public CommandTable<CControlMapsDlg> {
    Q_OBJECT
public:
    CControlMapsDlg(MapCommands& commands, QWidget* parent);

    static std::span<const CommandRow<CControlMapsDlg>> commandTable();
    bool onSaveMap(CommandId id);
    bool onDeleteMap(CommandId id);
    bool onImport(CommandId id);
    bool onExport(CommandId id);
    void onUpdateMapCommand(CommandId id, CmdUi& ui);

    void addEntry() override;
    void editEntry() override;
    void removeEntries() override;
    void SaveMaps();
    void accept() override;

    // Edits one entry (the entry dialog); tests replace it.
    std::function<std::optional<ControlMapEntry>(const ControlMapEntry&)> editEntryDialog;

private:
    void showMap() override;
    void updateButtons() override;
    KeyMap shownEntries();
    void storeEntries(const KeyMap& entries, std::optional<uint32_t> select);

    std::vector<std::string> m_portNames;
};

} // namespace rz
