#pragma once

#include "engine/synthdb/synth_tree.h"
#include "ui/dialog_base.h"

#include <QTreeWidget>

#include <filesystem>
#include <functional>
#include <set>
#include <string_view>

class QPushButton;

namespace rz {

class CEditPatchDlg;
class CEditSynthDlg;
class IPrompt;
class SynthDatabase;

// The editor's tree: Enter (also with Alt) edits, Insert adds, Delete
// removes, the right button selects the item under it and edits it.
class SynthPatchTree : public QTreeWidget {
    Q_OBJECT
public:
    using QTreeWidget::QTreeWidget;

signals:
    void editRequested();
    void insertPressed();
    void deletePressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

struct SynthPatchDialogServices {
    SynthDatabase& database;
    IPrompt& prompt;
    std::function<void(std::string_view topic)> help;
    // Where patch lists are exported and imported; empty: "Synths" in the
    // program's data folder.
    std::filesystem::path patchListFolder;
    // Runs the percussion schema dialog on a drum set of the tree, the set's
    // item at `firstItem` (or -1) selected; null hides "Note schema...".
    std::function<void(IDrumSchemaTree& tree, DrumSetRef set, int firstItem, QWidget* parent)> schemaEditor;
};

// "Synth patch names...": the whole synthesizer database as a tree. Every
// edit changes only the tree; OK writes the changes in one transaction and
// stays open, with the error shown, when the database refuses them.
// GUI thread.
class CSynthPatchDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 179;
    static constexpr int kTreeId = 1085;
    static constexpr int kExportId = 1089;
    static constexpr int kAddId = 1092;
    static constexpr int kRemoveId = 1130;
    static constexpr int kHelpId = 1248;

    // Runs one of the item dialogs modally; true on OK. Tests replace them.
    using SynthEditorRunner = std::function<bool(CEditSynthDlg&)>;
    using ItemEditorRunner = std::function<bool(CEditPatchDlg&)>;

    // Loads the database; when it cannot be read the error is shown and
    // loaded() is false, and the caller does not open the dialog.
    explicit CSynthPatchDlg(SynthPatchDialogServices services, QWidget* parent = nullptr);

    bool loaded() const { return m_loaded; }
    void setEditorRunners(SynthEditorRunner synthEditor, ItemEditorRunner itemEditor);

    // Edits the selected item: 1 when the tree changed, 0 when cancelled or refused.
    int EditItem();
    void ImportPatchLists();
    void OnExportSynth();
    void OnAdd();
    void OnRemove();
    void accept() override;

    SynthTree& model() { return m_model; }
    SynthItem* selectedItem() const;
    void select(const SynthItem* item);
    QTreeWidgetItem* viewItem(const SynthItem* item) const;

    SynthPatchTree* tree() const { return m_tree; }
    QPushButton* exportButton() const { return m_export; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* removeButton() const { return m_remove; }

private:
    void buildControls();
    void rebuild(const SynthItem* selection);
    void addChildren(QTreeWidgetItem* parent, const SynthItem& item, const std::set<const SynthItem*>& expanded);
    QTreeWidgetItem* makeViewItem(const SynthItem& item) const;
    void selectionChanged();
    void updateTitle(bool force);
    std::filesystem::path patchListFolder() const;

    SynthPatchDialogServices m_services;
    SynthTree m_model;
    bool m_loaded = false;
    SynthEditorRunner m_runSynthEditor;
    ItemEditorRunner m_runItemEditor;
    const SynthItem* m_titleSynth = nullptr; // the synthesizer the title names
    bool m_titleShown = false;

    SynthPatchTree* m_tree = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
};

} // namespace rz
