#include "app/maps/map_list_dialog.h"

#include "app/main_frame.h"
#include "app/maps/map_commands.h"
#include "app/maps/map_transfer.h"
#include "core/prompt.h"
#include "res/command_ids.h"
#include "ui/dlg_bars.h"
#include "ui/help_opener.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace rz {

void MapListDialog::buildFrame(CommandTarget& commands, const FrameTexts& texts)
{
    makeTools(commands);
    m_combo = new QComboBox(this);
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    makeList(texts);
    layOut(texts);
    connectControls();
}

// The map tool bar: new, delete, import and export.
void MapListDialog::makeTools(CommandTarget& commands)
{
    m_tools = new DlgToolBar(commands, this);
    QStyle* style = QApplication::style();
    m_tools->addCommand(kIdSaveMap, style->standardIcon(QStyle::SP_FileDialogNewFolder),
                        "Create a new map");
    m_tools->addCommand(kIdDeleteMap, style->standardIcon(QStyle::SP_TrashIcon),
                        "Delete the current map");
    m_tools->addCommand(kIdImportMaps, style->standardIcon(QStyle::SP_DialogOpenButton),
                        "Import maps from a file");
    m_tools->addCommand(kIdExportMaps, style->standardIcon(QStyle::SP_DialogSaveButton),
                        "Export all maps to a file");
}

void MapListDialog::makeList(const FrameTexts& texts)
{
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setHeaderLabels(texts.columns);
    // Every column shows at once: the list is at least as wide as its
    // columns, and the first one takes whatever room is left over.
    int columnsWide = 0;
    for (size_t i = 0; i < texts.columnWidths.size(); ++i) {
        m_list->header()->resizeSection(int(i), texts.columnWidths[i]);
        columnsWide += texts.columnWidths[i];
    }
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setMinimumSectionSize(24);
    m_list->setMinimumWidth(columnsWide + 2 * m_list->frameWidth()
                            + m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    m_list->installEventFilter(this);
}

// The map's choice and tools over its list, the entry buttons beside it, and
// the enable box, Help, OK and Cancel under it.
void MapListDialog::layOut(const FrameTexts& texts)
{
    m_add = new QPushButton(texts.add, this);
    m_edit = new QPushButton("Edit...", this);
    m_remove = new QPushButton(texts.remove, this);
    m_enable = new QCheckBox(texts.enable, this);
    setHelpTopic(texts.helpTopic);
    setHelpOpener([this](std::string_view topic) { m_commands.help().open(topic); });
    QPushButton* help = helpButton(texts.help);
    auto* buttons = buttonRow();

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Map to edit/use:", this));
    top->addWidget(m_combo, 1);
    top->addWidget(m_tools);
    auto* side = new QVBoxLayout;
    for (QPushButton* button : {m_add, m_edit, m_remove})
        side->addWidget(button);
    side->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_list, 1);
    middle->addLayout(side);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_enable);
    bottom->addStretch();
    bottom->addWidget(help);
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle);
    layout->addLayout(bottom);
}

void MapListDialog::connectControls()
{
    connect(m_combo, &QComboBox::currentIndexChanged, this, [this] { showMap(); });
    connect(m_combo, &QComboBox::editTextChanged, this, [this] { updateButtons(); });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] { updateButtons(); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { editEntry(); });
    connect(m_add, &QPushButton::clicked, this, [this] { addEntry(); });
    connect(m_edit, &QPushButton::clicked, this, [this] { editEntry(); });
    connect(m_remove, &QPushButton::clicked, this, [this] { removeEntries(); });
}

void MapListDialog::fillCombo(int select)
{
    const QSignalBlocker block(m_combo);
    m_combo->clear();
    for (const NamedMap& map : m_maps)
        m_combo->addItem(QString::fromStdString(map.name));
    m_combo->setCurrentIndex(std::min(select, m_combo->count() - 1));
    showMap();
}

NamedMap* MapListDialog::shownMap()
{
    const int at = m_combo->currentIndex();
    return at >= 0 && at < int(m_maps.size()) ? &m_maps[size_t(at)] : nullptr;
}

// A new map under the typed name, holding a copy of the map shown.
void MapListDialog::saveShownMapAsTyped()
{
    const NamedMap* shown = shownMap();
    m_maps.push_back({m_combo->currentText().toStdString(),
                      shown ? shown->records : std::vector<uint8_t>{}});
    fillCombo(int(m_maps.size()) - 1);
}

void MapListDialog::deleteTypedMap(const std::string& question)
{
    const auto at = findMap(m_maps, m_combo->currentText().toStdString());
    if (!at || m_commands.prompt().askYesNo(question) != PromptAnswer::Yes)
        return;
    m_maps.erase(m_maps.begin() + std::ptrdiff_t(*at));
    fillCombo(0);
}

void MapListDialog::importMapsOf(const MapTransfer& kind)
{
    const int current = m_combo->currentIndex();
    if (importMaps(kind, m_maps, m_commands.prompt(), m_commands.profile(), m_commands.documentsFolder()))
        fillCombo(current);
}

void MapListDialog::exportMapsOf(const MapTransfer& kind)
{
    exportMaps(kind, m_maps, m_commands.prompt(), m_commands.profile(), m_commands.documentsFolder());
}

bool MapListDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Insert: addEntry(); return true;
        case Qt::Key_Delete: removeEntries(); return true;
        case Qt::Key_Return:
        case Qt::Key_Enter: editEntry(); return true;
        default: break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace rz
