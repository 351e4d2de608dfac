#pragma once

#include "engine/ports_model.h"
#include "ui/dialog_base.h"

#include <QListWidget>
#include <QTreeWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class QLabel;
class QTabBar;

namespace rz {

class CInPortSetupDlg;
class CPortSetupDlg;
class CSequencer;
class CSongDoc;
class IProfile;
class IPrompt;
class ISynthLookup;
struct SynthChoice;

// What the Ports dialog works with. Everything outlives the dialog.
struct PortsDialogServices {
    CSequencer& engine;
    IProfile& profile;
    IPrompt& prompt;
    const ISynthLookup* synths = nullptr;
    // The synths table's rows for Device Setup; empty without a database.
    std::function<std::vector<SynthChoice>()> synthChoices;
    // The current song, or null.
    std::function<CSongDoc*()> currentSong;
    std::function<void(std::string_view topic)> help;
    // Runs the synthesizer patch-name editor and answers the synths table
    // afterwards; null leaves Device Setup's button disabled.
    std::function<std::vector<SynthChoice>()> synthEditor = nullptr;
};

// The tree of every port the engine has: a drag source, and where a
// numbered row dragged back to is removed.
class PortTree : public QTreeWidget {
    Q_OBJECT
public:
    using QTreeWidget::QTreeWidget;

signals:
    void rowDropped(int row);
    void deletePressed();

protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// The numbered list: takes ports from the tree and moves its own rows.
class PortNumberList : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

signals:
    // `target` -1: the end.
    void portDropped(const QString& name, int target);
    void rowMoved(int source, int target);
    void deletePressed();

protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// "MIDI ports": the numbered output and input lists built from the
// engine's ports by drag and drop, instruments added and removed, and OK
// writing the profile and reopening the ports. GUI thread.
class CPortsDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 227;
    static constexpr int kOutputsTab = 0;
    static constexpr int kInputsTab = 1;
    // The drag data: a tree item's name, a numbered row.
    static constexpr const char* kPortMime = "application/x-rz-port-name";
    static constexpr const char* kRowMime = "application/x-rz-port-row";

    explicit CPortsDlg(PortsDialogServices services, QWidget* parent = nullptr);
    ~CPortsDlg() override;

    PortsModel& model() { return m_model; }
    QTabBar* tabs() const { return m_tabs; }
    PortTree* tree() const { return m_tree; }
    PortNumberList* list() const { return m_list; }
    int shownTab() const { return m_shown; }

    // Device Setup runs through this; true for OK. Tests replace it.
    using PortSetupRunner = std::function<bool(CPortSetupDlg&)>;
    void setPortSetupRunner(PortSetupRunner runner) { m_runPortSetup = std::move(runner); }
    // The same for an input's Port Setup.
    using InPortSetupRunner = std::function<bool(CInPortSetupDlg&)>;
    void setInPortSetupRunner(InPortSetupRunner runner) { m_runInPortSetup = std::move(runner); }

    // Rebuilds the list; the tree too after a tab change or when it shows
    // the other kind.
    void FillPortList(bool tabChanged = false);

    // What a drop does; a target of -1 or past the end is the end.
    void dropPort(const QString& name, int target);
    void moveRow(int source, int target);
    void removeRow(int row);
    void deleteSelectedRows();
    // Device Setup for a numbered output, Port Setup for a numbered input
    // (double or right click); true on OK.
    bool openRowSetup(int row);

    // The tree's context menu.
    bool treeCommandEnabled(const QTreeWidgetItem* item, uint32_t command) const;
    void runTreeCommand(const QTreeWidgetItem* item, uint32_t command);
    // The engine port a tree item stands for; null for a group or an input.
    std::shared_ptr<COutPort> portOf(const QTreeWidgetItem* item) const;

    void accept() override;

private:
    void buildControls();
    void fillTree();
    void fillList();
    void selectRow(int row);
    bool runPortSetup(int index, NumberedPort& record);
    bool runInPortSetup(int row);
    void showTreeMenu(const QPoint& at);
    void onTreeDoubleClick(QTreeWidgetItem* item);
    void onTreeDelete();
    void addInstrument();
    void removeInstrument(const QTreeWidgetItem* item);
    void saveProgram(const COutPort& port);
    void spawnControlPanel(const COutPort& port);

    PortsDialogServices m_services;
    PortsModel m_model;
    std::vector<AvailablePort> m_available; // what the tree's port items stand for
    int m_shown = -1;                       // the kind the tree shows; -1 none
    int m_portListListener = 0;
    PortSetupRunner m_runPortSetup;
    InPortSetupRunner m_runInPortSetup;
    QTabBar* m_tabs = nullptr;
    PortTree* m_tree = nullptr;
    PortNumberList* m_list = nullptr;
    QLabel* m_treeHeading = nullptr;
    QLabel* m_listHeading = nullptr;
};

} // namespace rz
