#include "engine/ui/ports_dlg.h"

#include "engine/device_setup.h"
#include "engine/out_port.h"
#include "engine/sequencer.h"
#include "engine/ui/in_port_setup_dlg.h"
#include "engine/ui/port_setup_dlg.h"
#include "res/command_ids.h"
#include "song/song_doc.h"
#include "song/undo_record.h"
#include "ui/font_substitutions.h"
#include "ui/port_icons.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTabBar>
#include <QVBoxLayout>

namespace rz {
namespace {

constexpr const char* kPortsHelpTopic = "::/Ports.htm";
constexpr int kKindRole = Qt::UserRole;      // what a tree item is
constexpr int kIndexRole = Qt::UserRole + 1; // its group, port or input index
enum ItemKind : int { kGroupItem = 0, kPortItem = 1, kInputItem = 2 };

// The headings' font: 8 points, bold.
QFont headingFont()
{
    QFont font = programFont("MS Sans Serif", 0, 700);
    font.setPointSize(8);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QIcon iconFor(PortIcon icon)
{
    return QIcon(portIcon(int(icon)));
}

// The dialog changes its lists itself: a drop reported as a move would
// have the source view delete its own rows as well.
void acceptAsCopy(QDropEvent* event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

bool isDeleteKey(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Delete;
}

} // namespace

// ---- the tree

QStringList PortTree::mimeTypes() const
{
    return {CPortsDlg::kRowMime};
}

QMimeData* PortTree::mimeData(const QList<QTreeWidgetItem*>& items) const
{
    if (items.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setData(CPortsDlg::kPortMime, items.front()->text(0).toUtf8());
    return data;
}

void PortTree::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(CPortsDlg::kRowMime))
        event->acceptProposedAction();
    else
        event->ignore();
}

void PortTree::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasFormat(CPortsDlg::kRowMime)) {
        setCurrentItem(itemAt(event->position().toPoint()));
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void PortTree::dropEvent(QDropEvent* event)
{
    if (!event->mimeData()->hasFormat(CPortsDlg::kRowMime)) {
        event->ignore();
        return;
    }
    acceptAsCopy(event);
    emit rowDropped(event->mimeData()->data(CPortsDlg::kRowMime).toInt());
}

void PortTree::keyPressEvent(QKeyEvent* event)
{
    if (isDeleteKey(event))
        emit deletePressed();
    else
        QTreeWidget::keyPressEvent(event);
}

// ---- the numbered list

QStringList PortNumberList::mimeTypes() const
{
    return {CPortsDlg::kPortMime, CPortsDlg::kRowMime};
}

QMimeData* PortNumberList::mimeData(const QList<QListWidgetItem*>& items) const
{
    if (items.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setData(CPortsDlg::kRowMime, QByteArray::number(row(items.front())));
    return data;
}

void PortNumberList::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data->hasFormat(CPortsDlg::kPortMime) || data->hasFormat(CPortsDlg::kRowMime))
        event->acceptProposedAction();
    else
        event->ignore();
}

void PortNumberList::dragMoveEvent(QDragMoveEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (!data->hasFormat(CPortsDlg::kPortMime) && !data->hasFormat(CPortsDlg::kRowMime)) {
        event->ignore();
        return;
    }
    setCurrentItem(itemAt(event->position().toPoint()));
    event->acceptProposedAction();
}

void PortNumberList::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    const QListWidgetItem* hit = itemAt(event->position().toPoint());
    const int target = hit ? row(hit) : -1;
    if (data->hasFormat(CPortsDlg::kPortMime)) {
        acceptAsCopy(event);
        emit portDropped(QString::fromUtf8(data->data(CPortsDlg::kPortMime)), target);
    } else if (data->hasFormat(CPortsDlg::kRowMime)) {
        acceptAsCopy(event);
        emit rowMoved(data->data(CPortsDlg::kRowMime).toInt(), target);
    } else {
        event->ignore();
    }
}

void PortNumberList::keyPressEvent(QKeyEvent* event)
{
    if (isDeleteKey(event))
        emit deletePressed();
    else
        QListWidget::keyPressEvent(event);
}

// ---- the dialog

CPortsDlg::CPortsDlg(PortsDialogServices services, QWidget* parent)
    : DialogBase(parent, kPortsHelpTopic), m_services(std::move(services)),
      m_model(m_services.engine, m_services.profile, m_services.prompt, m_services.synths),
      m_runPortSetup([](CPortSetupDlg& dialog) { return dialog.exec() == QDialog::Accepted; }),
      m_runInPortSetup([](CInPortSetupDlg& dialog) { return dialog.exec() == QDialog::Accepted; })
{
    setWindowTitle("MIDI ports");
    setHelpOpener(m_services.help);
    // What the server has now, then whatever registers while the dialog is open.
    m_portListListener = m_services.engine.addPortListListener([this] { FillPortList(true); });
    m_services.engine.AddNewDevicePorts();
    buildControls();
    FillPortList(true);
}

CPortsDlg::~CPortsDlg()
{
    m_services.engine.removePortListListener(m_portListListener);
}

void CPortsDlg::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabBar(this);
    m_tabs->addTab("Out (play)");
    m_tabs->addTab("In (record)");
    layout->addWidget(m_tabs);

    auto* panes = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    m_treeHeading = new QLabel("All available ports", this);
    m_treeHeading->setFont(headingFont());
    m_tree = new PortTree(this);
    m_tree->setHeaderHidden(true);
    m_tree->setDragEnabled(true);
    m_tree->setAcceptDrops(true);
    m_tree->setDragDropMode(QAbstractItemView::DragDrop);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    left->addWidget(m_treeHeading);
    left->addWidget(m_tree);
    auto* right = new QVBoxLayout;
    m_listHeading = new QLabel("Numbered devices (ports you will be using)", this);
    m_listHeading->setFont(headingFont());
    m_list = new PortNumberList(this);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setDragEnabled(true);
    m_list->setAcceptDrops(true);
    m_list->setDragDropMode(QAbstractItemView::DragDrop);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    right->addWidget(m_listHeading);
    right->addWidget(m_list);
    panes->addLayout(left);
    panes->addLayout(right);
    layout->addLayout(panes);

    auto* buttons = buttonRow();
    layout->addWidget(buttons);

    connect(m_tabs, &QTabBar::currentChanged, this, [this] { FillPortList(true); });
    connect(m_list, &PortNumberList::portDropped, this, &CPortsDlg::dropPort);
    connect(m_list, &PortNumberList::rowMoved, this, &CPortsDlg::moveRow);
    connect(m_list, &PortNumberList::deletePressed, this, &CPortsDlg::deleteSelectedRows);
    connect(m_list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { openRowSetup(m_list->row(item)); });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (const QListWidgetItem* item = m_list->itemAt(at))
            openRowSetup(m_list->row(item));
    });
    connect(m_tree, &PortTree::rowDropped, this, &CPortsDlg::removeRow);
    connect(m_tree, &PortTree::deletePressed, this, &CPortsDlg::onTreeDelete);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &CPortsDlg::onTreeDoubleClick);
    connect(m_tree, &QWidget::customContextMenuRequested, this, &CPortsDlg::showTreeMenu);
}

void CPortsDlg::FillPortList(bool tabChanged)
{
    const int tab = m_tabs->currentIndex();
    if (tabChanged || m_shown != tab) {
        m_shown = tab;
        fillTree();
    }
    fillList();
}

void CPortsDlg::fillTree()
{
    m_tree->clear();
    m_available.clear();
    if (m_shown == kOutputsTab) {
        m_available = m_model.availableOutputs();
        const struct {
            const char* text;
            PortIcon icon;
        } kGroups[] = {{"Internal", PortIcon::Internal},
                       {"External", PortIcon::External},
                       {"VST", PortIcon::Instrument}};
        QTreeWidgetItem* groups[3] = {};
        for (int g = 0; g < 3; ++g) {
            groups[g] = new QTreeWidgetItem(m_tree, QStringList(kGroups[g].text));
            groups[g]->setIcon(0, iconFor(kGroups[g].icon));
            groups[g]->setData(0, kKindRole, kGroupItem);
            groups[g]->setData(0, kIndexRole, g);
            groups[g]->setFlags(groups[g]->flags() & ~Qt::ItemIsDragEnabled);
        }
        for (size_t i = 0; i < m_available.size(); ++i) {
            const AvailablePort& port = m_available[i];
            auto* item = new QTreeWidgetItem(groups[int(port.group)],
                                             QStringList(QString::fromStdString(port.name)));
            item->setIcon(0, iconFor(portIconOf(port.group)));
            item->setData(0, kKindRole, kPortItem);
            item->setData(0, kIndexRole, int(i));
        }
    } else {
        const std::vector<std::string> inputs = m_model.availableInputs();
        for (size_t i = 0; i < inputs.size(); ++i) {
            auto* item = new QTreeWidgetItem(m_tree, QStringList(QString::fromStdString(inputs[i])));
            item->setIcon(0, iconFor(PortIcon::External));
            item->setData(0, kKindRole, kInputItem);
            item->setData(0, kIndexRole, int(i));
        }
    }
    m_tree->expandAll();
}

void CPortsDlg::fillList()
{
    m_list->clear();
    const bool outputs = m_shown == kOutputsTab;
    const size_t count = outputs ? m_model.outputs().size() : m_model.inputs().size();
    for (size_t row = 0; row < count; ++row) {
        const std::string text = outputs ? m_model.outputRowText(row) : m_model.inputRowText(row);
        auto* item = new QListWidgetItem(QString::fromStdString(text), m_list);
        item->setIcon(iconFor(outputs ? m_model.outputRowIcon(row) : m_model.inputRowIcon(row)));
    }
}

void CPortsDlg::selectRow(int row)
{
    if (row < 0 || row >= m_list->count())
        return;
    m_list->setCurrentRow(row);
    m_list->setFocus();
}

bool CPortsDlg::runPortSetup(int index, NumberedPort& record)
{
    std::vector<SynthChoice> synths;
    if (m_services.synthChoices)
        synths = m_services.synthChoices();
    CSongDoc* song = m_services.currentSong ? m_services.currentSong() : nullptr;
    CPortSetupDlg dialog(index, record, m_services.engine, std::move(synths), song, this);
    dialog.setHelpOpener(m_services.help);
    if (m_services.synthEditor)
        dialog.setSynthEditor(m_services.synthEditor);
    if (!m_runPortSetup(dialog))
        return false;
    record = dialog.record();
    return true;
}

void CPortsDlg::dropPort(const QString& name, int target)
{
    const bool outputs = m_shown == kOutputsTab;
    const size_t count = outputs ? m_model.outputs().size() : m_model.inputs().size();
    const size_t at = target < 0 ? count : std::min(size_t(target), count);
    size_t row = 0;
    if (outputs) {
        NumberedPort record{name.toStdString(), kDroppedPortSynth, kDroppedPortDrums};
        runPortSetup(int(at), record);
        row = m_model.insertOutput(at, std::move(record));
    } else {
        row = m_model.insertInput(at, name.toStdString());
    }
    FillPortList();
    selectRow(int(row));
    if (outputs && m_model.outputSynthUndefined(row))
        openRowSetup(int(row));
}

void CPortsDlg::moveRow(int source, int target)
{
    if (source < 0)
        return;
    const size_t to = target < 0 ? SIZE_MAX : size_t(target);
    const size_t row = m_shown == kOutputsTab ? m_model.moveOutput(size_t(source), to)
                                              : m_model.moveInput(size_t(source), to);
    FillPortList();
    selectRow(int(row));
}

void CPortsDlg::removeRow(int row)
{
    if (row < 0)
        return;
    if (m_shown == kOutputsTab)
        m_model.removeOutputs({size_t(row)});
    else
        m_model.removeInputs({size_t(row)});
    FillPortList();
}

void CPortsDlg::deleteSelectedRows()
{
    std::vector<size_t> rows;
    for (const QListWidgetItem* item : m_list->selectedItems())
        rows.push_back(size_t(m_list->row(item)));
    if (rows.empty())
        return;
    if (m_shown == kOutputsTab)
        m_model.removeOutputs(std::move(rows));
    else
        m_model.removeInputs(std::move(rows));
    FillPortList();
}

bool CPortsDlg::openRowSetup(int row)
{
    if (m_shown == kInputsTab)
        return runInPortSetup(row);
    if (m_shown != kOutputsTab || row < 0 || size_t(row) >= m_model.outputs().size())
        return false;
    NumberedPort record = m_model.outputs()[size_t(row)];
    const bool accepted = runPortSetup(row, record);
    if (accepted) {
        m_model.outputs()[size_t(row)] = record;
        FillPortList();
    }
    selectRow(row);
    return accepted;
}

// The thru choices are the outputs numbered here, saved or not; OK takes
// effect at once, whatever becomes of this dialog.
bool CPortsDlg::runInPortSetup(int row)
{
    if (row < 0 || size_t(row) >= m_model.inputs().size())
        return false;
    std::vector<std::string> outputs;
    for (const NumberedPort& port : m_model.outputs())
        outputs.push_back(port.name);
    CInPortSetupDlg dialog(m_model.inputs()[size_t(row)], outputs, m_services.engine, m_services.profile, this);
    const bool accepted = m_runInPortSetup(dialog);
    FillPortList();
    selectRow(row);
    return accepted;
}

std::shared_ptr<COutPort> CPortsDlg::portOf(const QTreeWidgetItem* item) const
{
    if (!item || item->data(0, kKindRole).toInt() != kPortItem)
        return nullptr;
    const int index = item->data(0, kIndexRole).toInt();
    if (index < 0 || size_t(index) >= m_available.size())
        return nullptr;
    return m_available[size_t(index)].port;
}

bool CPortsDlg::treeCommandEnabled(const QTreeWidgetItem* item, uint32_t command) const
{
    if (!item || m_shown != kOutputsTab)
        return false;
    const std::shared_ptr<COutPort> port = portOf(item);
    const bool instrument = port && port->isInstrument();
    const bool instrumentGroup = item->data(0, kKindRole).toInt() == kGroupItem
                                 && item->data(0, kIndexRole).toInt() == int(PortGroup::Instrument);
    switch (command) {
    case kIdAddInstrument: return instrumentGroup || instrument;
    case kIdRemoveInstrument:
    case kIdSpawnControlPanel: return instrument;
    case kIdSaveInstrumentProgram:
        return instrument && m_services.currentSong && m_services.currentSong() != nullptr;
    default: return false;
    }
}

void CPortsDlg::runTreeCommand(const QTreeWidgetItem* item, uint32_t command)
{
    if (!treeCommandEnabled(item, command))
        return;
    const std::shared_ptr<COutPort> port = portOf(item);
    switch (command) {
    case kIdAddInstrument: addInstrument(); break;
    case kIdRemoveInstrument: removeInstrument(item); break;
    case kIdSaveInstrumentProgram: saveProgram(*port); break;
    case kIdSpawnControlPanel: spawnControlPanel(*port); break;
    default: break;
    }
}

void CPortsDlg::showTreeMenu(const QPoint& at)
{
    QTreeWidgetItem* item = m_tree->itemAt(at);
    if (!item)
        return;
    m_tree->setCurrentItem(item);
    QMenu menu(this);
    const struct {
        uint32_t id;
        const char* label;
    } kItems[] = {{kIdAddInstrument, "Add..."},
                  {kIdRemoveInstrument, "Remove"},
                  {kIdSaveInstrumentProgram, "Save program to song"},
                  {kIdSpawnControlPanel, "Spawn Control Panel"}};
    for (const auto& entry : kItems) {
        QAction* action = menu.addAction(entry.label);
        action->setData(entry.id);
        action->setEnabled(treeCommandEnabled(item, entry.id));
    }
    if (QAction* chosen = menu.exec(m_tree->viewport()->mapToGlobal(at)))
        runTreeCommand(m_tree->currentItem(), chosen->data().toUInt());
}

void CPortsDlg::onTreeDoubleClick(QTreeWidgetItem* item)
{
    runTreeCommand(item, kIdSpawnControlPanel);
}

void CPortsDlg::onTreeDelete()
{
    runTreeCommand(m_tree->currentItem(), kIdRemoveInstrument);
}

void CPortsDlg::addInstrument()
{
    if (m_model.addInstrument())
        FillPortList(true);
}

void CPortsDlg::removeInstrument(const QTreeWidgetItem* item)
{
    std::shared_ptr<COutPort> port = portOf(item);
    if (!port)
        return;
    const bool removed = m_model.removeInstrument(*port);
    port.reset();
    if (removed)
        FillPortList(true);
}

void CPortsDlg::accept()
{
    m_model.Apply();
    QDialog::accept();
}

} // namespace rz
