#pragma once

#include "core/map_file.h"
#include "ui/dialog_base.h"

#include <QStringList>

#include <span>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QPushButton;
class QTreeWidget;

namespace rz {

class MapCommands;
class CommandTarget;
class DlgToolBar;
struct MapTransfer;

// The frame the accelerator-map and control-map dialogs share: the map
// chosen (or a new name typed) in a combo box, its entries in a list with
// Add, Edit and Remove, the map tool bar (new, delete, import, export) and
// the Enable box. It edits copies of the maps; derived dialogs fill the list,
// edit entries and store the maps on OK. GUI thread.
class MapListDialog : public DialogBase {
    Q_OBJECT
public:
    virtual void addEntry() = 0;
    virtual void editEntry() = 0;
    virtual void removeEntries() = 0;

    QComboBox* mapCombo() const { return m_combo; }
    QTreeWidget* entryList() const { return m_list; }
    QCheckBox* enableBox() const { return m_enable; }
    QPushButton* addButton() const { return m_add; }
    const std::vector<NamedMap>& maps() const { return m_maps; }

protected:
    // What differs between the two dialogs' frames.
    struct FrameTexts {
        QStringList columns;
        std::span<const int> columnWidths;
        const char* add;
        const char* remove;
        const char* enable;
        const char* help;
        const char* helpTopic;
    };

    MapListDialog(MapCommands& commands, QWidget* parent) : DialogBase(parent), m_commands(commands) {}

    // Makes the controls; `commands` answers the map tool bar's commands.
    void buildFrame(CommandTarget& commands, const FrameTexts& texts);
    void fillCombo(int select);
    NamedMap* shownMap();
    virtual void showMap() = 0;
    virtual void updateButtons() = 0;

    // The map tool bar's commands.
    void saveShownMapAsTyped();
    void deleteTypedMap(const std::string& question);
    void importMapsOf(const MapTransfer& kind);
    void exportMapsOf(const MapTransfer& kind);

    // Insert adds, Delete removes, Enter edits, as the buttons do.
    bool eventFilter(QObject* watched, QEvent* event) override;

    MapCommands& m_commands;
    std::vector<NamedMap> m_maps;
    QComboBox* m_combo = nullptr;
    QTreeWidget* m_list = nullptr;
    QCheckBox* m_enable = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_remove = nullptr;
    DlgToolBar* m_tools = nullptr;

private:
    void makeTools(CommandTarget& commands);
    void makeList(const FrameTexts& texts);
    void layOut(const FrameTexts& texts);
    void connectControls();
};

} // namespace rz
