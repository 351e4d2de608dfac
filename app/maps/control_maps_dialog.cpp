#include "app/maps/control_maps_dialog.h"

#include "app/main_frame.h"
#include "app/maps/external_control_actions.h"
#include "app/maps/map_commands.h"
#include "app/maps/map_store.h"
#include "app/maps/map_transfer.h"
#include "core/prompt.h"
#include "engine/midi_in.h"
#include "engine/sequencer.h"
#include "res/command_ids.h"
#include "song/controller_names.h"
#include "ui/dlg_bars.h"
#include "ui/help_opener.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace rz {
namespace {

constexpr int kControlMapColumnWidths[] = {200, 150, 40, 120, 60};

QString controllerItem(int controller)
{
    if (controller == 0)
        return "<None>";
    const std::string_view name = controllerName(controller);
    if (name.find('(') == std::string_view::npos)
        return QString("%1 (undefined)").arg(controller);
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

constexpr CommandRow<CControlMapsDlg> kControlMapsCommands[] = {
    {kIdSaveMap, kIdSaveMap, &CControlMapsDlg::onSaveMap, &CControlMapsDlg::onUpdateMapCommand},
    {kIdDeleteMap, kIdDeleteMap, &CControlMapsDlg::onDeleteMap,
     &CControlMapsDlg::onUpdateMapCommand},
    {kIdImportMaps, kIdImportMaps, &CControlMapsDlg::onImport, nullptr},
    {kIdExportMaps, kIdExportMaps, &CControlMapsDlg::onExport, nullptr},
};

} // namespace

CControlMapEntryDlg::CControlMapEntryDlg(MapCommands& commands, const ControlMapEntry& entry,
                                         const std::vector<std::string>& portNames,
                                         QWidget* parent)
    : DialogBase(parent), m_commands(commands), m_entry(entry)
{
    setWindowTitle("Edit control map entry...");
    m_port = new QComboBox(this);
    for (const std::string& name : portNames)
        m_port->addItem(QString::fromStdString(name));
    m_channel = new QSpinBox(this);
    m_channel->setRange(1, 16);
    m_action = new QComboBox(this);
    for (const char* name : controlActionNames()) {
        if (std::string_view(name) == ".")
            break;
        m_action->addItem(name);
    }
    m_noteOrController = new QRadioButton("Note or controller", this);
    m_program = new QRadioButton("Program change", this);
    m_controller = new QComboBox(this);
    for (int c = 0; c < 128; ++c)
        m_controller->addItem(controllerItem(c), c);
    m_key = new QLineEdit(this);
    m_key->setPlaceholderText(kNoKeyText);
    m_keySpin = new QSpinBox(this);
    m_keySpin->setRange(0, 127);
    auto* buttons = buttonRow();
    m_ok = buttons->button(QDialogButtonBox::Ok);

    auto* form = new QFormLayout;
    form->addRow("MIDI In Port", m_port);
    form->addRow("Channel", m_channel);
    form->addRow("Action", m_action);
    form->addRow(m_noteOrController, m_program);
    form->addRow("Controller", m_controller);
    auto* keyRow = new QHBoxLayout;
    keyRow->addWidget(m_key);
    keyRow->addWidget(m_keySpin);
    form->addRow("Key/#", keyRow);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    for (QComboBox* combo : {m_port, m_action, m_controller})
        connect(combo, &QComboBox::currentIndexChanged, this, &CControlMapEntryDlg::takeControls);
    for (QSpinBox* spin : {m_channel, m_keySpin})
        connect(spin, &QSpinBox::valueChanged, this, &CControlMapEntryDlg::takeControls);
    connect(m_program, &QRadioButton::toggled, this, &CControlMapEntryDlg::takeControls);
    connect(m_key, &QLineEdit::textEdited, this, &CControlMapEntryDlg::takeTypedKey);
    connect(m_key, &QLineEdit::editingFinished, this, [this] { typeKey(m_key->text()); });
    showEntry();
    m_commands.setControlMapLearner([this](int device, uint32_t message) { learn(device, message); });
}

CControlMapEntryDlg::~CControlMapEntryDlg()
{
    m_commands.setControlMapLearner({});
}

void CControlMapEntryDlg::learn(int device, uint32_t message)
{
    if (learnControlMessage(m_entry, device, message))
        showEntry();
}

void CControlMapEntryDlg::typeKey(const QString& text)
{
    if (const auto key = parseKeyText(text.toStdString()))
        m_entry.key = *key;
    showEntry();
}

// While the key is typed: the entry and OK follow, the text stays as typed.
void CControlMapEntryDlg::takeTypedKey(const QString& text)
{
    const auto key = parseKeyText(text.toStdString());
    if (!key)
        return;
    m_entry.key = *key;
    m_showing = true;
    m_keySpin->setValue(m_entry.key);
    m_showing = false;
    m_ok->setEnabled(controlEntryComplete(m_entry));
}

// The controls follow the entry; their signals wait until all are set.
void CControlMapEntryDlg::showEntry()
{
    m_showing = true;
    const bool program = m_entry.controller == kProgramTrigger;
    m_port->setCurrentIndex(m_entry.device < m_port->count() ? m_entry.device : -1);
    m_channel->setValue(m_entry.channel + 1);
    m_action->setCurrentIndex(std::min(m_entry.action, m_action->count() - 1));
    m_program->setChecked(program);
    m_noteOrController->setChecked(!program);
    m_controller->setEnabled(!program);
    m_controller->setCurrentIndex(program ? 0 : m_entry.controller);
    m_keySpin->setValue(m_entry.key);
    if (program) {
        m_key->setText(QString::number(m_entry.key));
    } else {
        // No key shows as the field's placeholder: a typed key then stands alone.
        const std::string text = formatControlEntry(packControlEntry(m_entry), {}).key;
        m_key->setText(text == kNoKeyText ? QString() : QString::fromStdString(text));
    }
    m_ok->setEnabled(controlEntryComplete(m_entry));
    m_showing = false;
}

void CControlMapEntryDlg::takeControls()
{
    if (m_showing)
        return;
    if (m_port->currentIndex() >= 0)
        m_entry.device = m_port->currentIndex();
    m_entry.channel = m_channel->value() - 1;
    m_entry.action = m_action->currentIndex();
    if (m_program->isChecked())
        m_entry.controller = kProgramTrigger;
    else if (m_entry.controller == kProgramTrigger)
        m_entry.controller = 0;
    else
        m_entry.controller = m_controller->currentIndex();
    m_entry.key = m_keySpin->value();
    showEntry();
}

CControlMapsDlg::CControlMapsDlg(MapCommands& commands, QWidget* parent) : MapListDialog(commands, parent), m_portNames(commands.inputNames())
{
    setWindowTitle("External control maps");
    ControlMapStore store(commands.profile());
    m_maps = store.readMaps();
    if (m_maps.empty())
        m_maps.push_back({"MIDI", {}});
    buildFrame(*this, {{"Action", "MIDI In Port", "Chan", "Controller", "Key/#"},
                       kControlMapColumnWidths, "Add", "Remove", "Enable external control", "Help",
                       "::/External.htm"});
    m_enable->setChecked(store.enabled());
    const auto selected = findMap(m_maps, store.useWhich());
    fillCombo(selected ? int(*selected) : 0);
    editEntryDialog = [this](const ControlMapEntry& entry) -> std::optional<ControlMapEntry> {
        CControlMapEntryDlg dialog(m_commands, entry, m_portNames, this);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.entry();
    };
}

std::span<const CommandRow<CControlMapsDlg>> CControlMapsDlg::commandTable()
{
    return kControlMapsCommands;
}

KeyMap CControlMapsDlg::shownEntries()
{
    const NamedMap* map = shownMap();
    return map ? ParseKeyMap(map->records) : KeyMap();
}

void CControlMapsDlg::showMap()
{
    m_list->clear();
    for (const uint32_t entry : shownEntries()) {
        const ControlEntryRow text = formatControlEntry(entry, m_portNames);
        auto* row = new QTreeWidgetItem(m_list);
        const std::string* columns[] = {&text.action, &text.port, &text.channel,
                                        &text.controller, &text.key};
        for (int i = 0; i < 5; ++i)
            row->setText(i, QString::fromStdString(*columns[i]));
        row->setData(0, Qt::UserRole, entry);
    }
    updateButtons();
}

void CControlMapsDlg::updateButtons()
{
    const bool named = findMap(m_maps, m_combo->currentText().toStdString()).has_value();
    const qsizetype selected = m_list->selectedItems().size();
    m_add->setEnabled(named);
    m_edit->setEnabled(selected == 1);
    m_remove->setEnabled(selected >= 1);
    m_tools->updateNow();
}

void CControlMapsDlg::onUpdateMapCommand(CommandId id, CmdUi& ui)
{
    const std::string typed = m_combo->currentText().toStdString();
    const bool named = findMap(m_maps, typed).has_value();
    ui.enabled = id == kIdSaveMap ? !typed.empty() && !named : named;
}

bool CControlMapsDlg::onSaveMap(CommandId)
{
    saveShownMapAsTyped();
    return true;
}

bool CControlMapsDlg::onDeleteMap(CommandId)
{
    deleteTypedMap("Are you sure?");
    return true;
}

bool CControlMapsDlg::onImport(CommandId)
{
    importMapsOf(kControlMapTransfer);
    return true;
}

bool CControlMapsDlg::onExport(CommandId)
{
    exportMapsOf(kControlMapTransfer);
    return true;
}

void CControlMapsDlg::storeEntries(const KeyMap& entries, std::optional<uint32_t> select)
{
    if (NamedMap* map = shownMap()) {
        map->records.clear();
        for (const uint32_t entry : entries)
            for (int shift = 0; shift < 32; shift += 8)
                map->records.push_back(uint8_t(entry >> shift));
    }
    showMap();
    for (int i = 0; select && i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = m_list->topLevelItem(i);
        if (row->data(0, Qt::UserRole).toUInt() == *select) {
            row->setSelected(true);
            m_list->setCurrentItem(row);
            break;
        }
    }
}

void CControlMapsDlg::addEntry()
{
    if (!m_add->isEnabled())
        return;
    const auto entry = editEntryDialog(ControlMapEntry{});
    if (!entry)
        return;
    KeyMap entries = shownEntries();
    const uint32_t packed = packControlEntry(*entry);
    insertControlEntry(entries, packed);
    storeEntries(entries, packed);
}

void CControlMapsDlg::editEntry()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.size() != 1)
        return;
    const uint32_t old = selected.front()->data(0, Qt::UserRole).toUInt();
    const auto entry = editEntryDialog(unpackControlEntry(old));
    if (!entry)
        return;
    KeyMap entries = shownEntries();
    entries.erase(std::find(entries.begin(), entries.end(), old));
    const uint32_t packed = packControlEntry(*entry);
    insertControlEntry(entries, packed);
    storeEntries(entries, packed);
}

void CControlMapsDlg::removeEntries()
{
    std::vector<int> doomed;
    for (QTreeWidgetItem* row : m_list->selectedItems())
        doomed.push_back(m_list->indexOfTopLevelItem(row));
    if (doomed.empty())
        return;
    std::sort(doomed.rbegin(), doomed.rend());
    KeyMap entries = shownEntries();
    for (const int index : doomed)
        entries.erase(entries.begin() + index);
    storeEntries(entries, std::nullopt);
}

void CControlMapsDlg::SaveMaps()
{
    const NamedMap* selected = shownMap();
    m_commands.applyControlMaps(m_maps, selected ? selected->name : std::string(),
                           m_enable->isChecked());
}

void CControlMapsDlg::accept()
{
    SaveMaps();
    QDialog::accept();
}

} // namespace rz
