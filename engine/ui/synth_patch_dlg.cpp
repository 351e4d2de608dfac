#include "engine/ui/synth_patch_dlg.h"

#include "core/prompt.h"
#include "core/text_codec.h"
#include "engine/synthdb/patch_list_transfer.h"
#include "engine/synthdb/synth_db.h"
#include "engine/ui/edit_patch_dlg.h"
#include "engine/ui/edit_synth_dlg.h"
#include "ui/local_path.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace rz {

namespace {

constexpr int kItemRole = Qt::UserRole;

// The wait cursor for the length of a scope.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

const SynthItem* itemOf(const QTreeWidgetItem* viewItem)
{
    return viewItem ? reinterpret_cast<const SynthItem*>(viewItem->data(0, kItemRole).value<quintptr>()) : nullptr;
}

} // namespace

// ---- the tree control

void SynthPatchTree::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit editRequested();
        return;
    case Qt::Key_Insert:
        emit insertPressed();
        return;
    case Qt::Key_Delete:
        emit deletePressed();
        return;
    default:
        QTreeWidget::keyPressEvent(event);
    }
}

void SynthPatchTree::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton) {
        QTreeWidget::mousePressEvent(event);
        return;
    }
    if (QTreeWidgetItem* item = itemAt(event->position().toPoint())) {
        setCurrentItem(item);
        emit editRequested();
    }
}

// ---- the dialog

CSynthPatchDlg::CSynthPatchDlg(SynthPatchDialogServices services, QWidget* parent)
    : DialogBase(parent, "::/Synths.htm"), m_services(std::move(services)),
      m_runSynthEditor([](CEditSynthDlg& dialog) { return dialog.exec() == QDialog::Accepted; }),
      m_runItemEditor([](CEditPatchDlg& dialog) { return dialog.exec() == QDialog::Accepted; })
{
    setWindowTitle("Synthesizers...");
    setHelpOpener(m_services.help);
    buildControls();
    try {
        WaitCursor wait;
        m_model = SynthTree::load(m_services.database);
        m_loaded = true;
    } catch (const SqliteError& error) {
        m_services.prompt.message(std::string("The synthesizer database cannot be read: ") + error.what(),
                                  PromptIcon::Stop);
        return;
    }
    rebuild(nullptr);
    selectionChanged();
}

void CSynthPatchDlg::setEditorRunners(SynthEditorRunner synthEditor, ItemEditorRunner itemEditor)
{
    m_runSynthEditor = std::move(synthEditor);
    m_runItemEditor = std::move(itemEditor);
}

void CSynthPatchDlg::buildControls()
{
    m_tree = new SynthPatchTree(this);
    m_tree->setHeaderHidden(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setExpandsOnDoubleClick(true);
    m_export = new QPushButton("Export synth", this);
    m_add = new QPushButton("Add", this);
    m_remove = new QPushButton("Remove", this);
    QPushButton* help = helpButton();
    auto* buttons = buttonRow();

    auto* commands = new QHBoxLayout;
    commands->addWidget(m_export);
    commands->addWidget(m_add);
    commands->addWidget(m_remove);
    commands->addWidget(help);
    commands->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree, 1);
    layout->addWidget(new QLabel("Right-click, or press ALT+Enter to edit an item.", this));
    layout->addWidget(new QLabel("Use the command buttons or the INS and DEL keys to add and remove items.", this));
    layout->addLayout(commands);
    layout->addWidget(buttons);

    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] { selectionChanged(); });
    connect(m_tree, &SynthPatchTree::editRequested, this, [this] { EditItem(); });
    connect(m_tree, &SynthPatchTree::insertPressed, this, [this] { OnAdd(); });
    connect(m_tree, &SynthPatchTree::deletePressed, this, [this] { OnRemove(); });
    connect(m_export, &QPushButton::clicked, this, [this] { OnExportSynth(); });
    connect(m_add, &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(m_remove, &QPushButton::clicked, this, [this] { OnRemove(); });
}

// ---- mirroring the model

QTreeWidgetItem* CSynthPatchDlg::makeViewItem(const SynthItem& item) const
{
    auto* viewItem = new QTreeWidgetItem;
    viewItem->setText(0, QString::fromStdString(decodeText(m_model.label(item))));
    viewItem->setData(0, kItemRole, QVariant::fromValue(reinterpret_cast<quintptr>(&item)));
    return viewItem;
}

void CSynthPatchDlg::addChildren(QTreeWidgetItem* parent, const SynthItem& item,
                                 const std::set<const SynthItem*>& expanded)
{
    for (const auto& child : item.children()) {
        QTreeWidgetItem* viewItem = makeViewItem(*child);
        if (parent)
            parent->addChild(viewItem);
        else
            m_tree->addTopLevelItem(viewItem);
        addChildren(viewItem, *child, expanded);
        if (expanded.contains(child.get()))
            viewItem->setExpanded(true);
    }
}

// The model changed: the view is built again, keeping what was open.
void CSynthPatchDlg::rebuild(const SynthItem* selection)
{
    std::set<const SynthItem*> expanded;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if ((*it)->isExpanded())
            expanded.insert(itemOf(*it));
    }
    const QSignalBlocker blocker(m_tree);
    m_tree->clear();
    addChildren(nullptr, m_model.root(), expanded);
    if (QTreeWidgetItem* shown = viewItem(selection)) {
        for (QTreeWidgetItem* up = shown->parent(); up; up = up->parent())
            up->setExpanded(true);
        m_tree->setCurrentItem(shown);
        m_tree->scrollToItem(shown);
    }
}

QTreeWidgetItem* CSynthPatchDlg::viewItem(const SynthItem* item) const
{
    if (!item)
        return nullptr;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if (itemOf(*it) == item)
            return *it;
    }
    return nullptr;
}

SynthItem* CSynthPatchDlg::selectedItem() const
{
    return const_cast<SynthItem*>(itemOf(m_tree->currentItem()));
}

void CSynthPatchDlg::select(const SynthItem* item)
{
    m_tree->setCurrentItem(viewItem(item));
}

void CSynthPatchDlg::selectionChanged()
{
    const SynthTreeButtons buttons = m_model.buttonsFor(selectedItem());
    m_add->setText(QString::fromStdString(buttons.add));
    m_remove->setText(QString::fromStdString(buttons.remove));
    m_remove->setEnabled(buttons.removeEnabled);
    m_export->setEnabled(buttons.exportEnabled);
    updateTitle(false);
}

// The title names the selection's synthesizer; it is written again only
// when that synthesizer changes.
void CSynthPatchDlg::updateTitle(bool force)
{
    const SynthItem* selected = selectedItem();
    const SynthItem* synth = selected ? m_model.synthOf(*selected) : nullptr;
    if (!force && m_titleShown && synth == m_titleSynth)
        return;
    m_titleSynth = synth;
    m_titleShown = true;
    setWindowTitle(QString::fromStdString(decodeText(m_model.titleFor(selected))));
}

// ---- editing

int CSynthPatchDlg::EditItem()
{
    SynthItem* item = selectedItem();
    if (!item)
        return 0;
    if (item->kind() == SynthItemKind::Synth) {
        const SynthSettings settings = m_model.settings(*item);
        CEditSynthDlg dialog(item->name(), settings.technology, settings.resetSysex, m_services.prompt, this);
        if (!m_runSynthEditor(dialog))
            return 0;
        m_model.editSynth(*item, dialog.name(), dialog.technology(), dialog.resetMessage());
        rebuild(item);
        updateTitle(true);
        selectionChanged();
        return 1;
    }
    if (item->kind() == SynthItemKind::Group)
        return 0;
    CEditPatchDlg dialog(m_model.editRequest(*item), this);
    const std::optional<DrumSetRef> drumset = m_model.drumSetOf(*item);
    if (drumset && m_services.schemaEditor) {
        const int firstItem = item->kind() == SynthItemKind::DrumNote ? static_cast<int>(item->indexInParent()) : -1;
        dialog.setSchemaOpener([this, set = *drumset, firstItem](QWidget* parent) {
            m_services.schemaEditor(m_model, set, firstItem, parent);
        });
    }
    if (!m_runItemEditor(dialog))
        return 0;
    if (const auto refusal = m_model.applyEdit(*item, dialog.number(), dialog.name(), dialog.category())) {
        m_services.prompt.message(*refusal, PromptIcon::Warning);
        return 0;
    }
    rebuild(item);
    selectionChanged();
    return 1;
}

void CSynthPatchDlg::OnAdd()
{
    SynthItem* selected = selectedItem();
    SynthItem* added = m_model.add(selected);
    if (!added) {
        ImportPatchLists();
        return;
    }
    rebuild(added);
    selectionChanged();
    if (EditItem() == 0) {
        m_model.discard(*added);
        rebuild(selected);
        selectionChanged();
    }
}

void CSynthPatchDlg::OnRemove()
{
    SynthItem* item = selectedItem();
    if (!item || !m_model.buttonsFor(item).removeEnabled)
        return;
    const PromptAnswer answer = m_services.prompt.askYesNo(decodeText(m_model.removeQuestion(*item)),
                                                           PromptIcon::Question);
    m_titleShown = false;
    if (answer == PromptAnswer::Yes) {
        SynthItem* parent = item->kind() == SynthItemKind::Synth ? nullptr : item->parent();
        m_model.remove(*item);
        rebuild(parent);
    }
    selectionChanged();
}

// ---- patch lists

std::filesystem::path CSynthPatchDlg::patchListFolder() const
{
    if (!m_services.patchListFolder.empty())
        return m_services.patchListFolder;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return localPath(data) / "Synths";
}

void CSynthPatchDlg::ImportPatchLists()
{
    std::vector<SynthItem*> added;
    {
        WaitCursor wait;
        added = importPatchLists(m_model, m_services.prompt, patchListFolder());
    }
    for (SynthItem* synth : added) {
        rebuild(synth);
        selectionChanged();
        EditItem();
    }
}

void CSynthPatchDlg::OnExportSynth()
{
    const SynthItem* selected = selectedItem();
    if (const SynthItem* synth = selected ? m_model.synthOf(*selected) : nullptr)
        exportPatchList(m_model, *synth, m_services.prompt, patchListFolder());
}

void CSynthPatchDlg::accept()
{
    try {
        WaitCursor wait;
        m_model.writeBack(m_services.database);
    } catch (const SqliteError& error) {
        m_services.prompt.message(std::string("The synthesizer database cannot be written: ") + error.what()
                                      + "\n\nNothing was changed.",
                                  PromptIcon::Stop);
        return;
    }
    QDialog::accept();
}

} // namespace rz
