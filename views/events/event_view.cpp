// The event list's rows, selection, following, commands and placement.
// GUI thread.

#include "views/events/event_view.h"

#include "core/edit_dialogs.h"
#include "core/engine_link.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "core/text_codec.h"
#include "res/command_ids.h"
#include "res/event_menu.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/color_ref.h"
#include "ui/in_place_edit.h"
#include "ui/list_header_ctrl.h"
#include "views/command_menu.h"
#include "views/events/event_cell_text.h"
#include "views/events/event_table.h"
#include "views/lane_layout.h"
#include "views/view_colors.h"
#include "views/view_factory.h"

#include <QHeaderView>
#include <QItemSelection>
#include <QMenu>
#include <QScrollBar>

#include <algorithm>

namespace rz {
namespace {

namespace col = event_column;

constexpr CommandRow<EventView> kEventCommands[] = {
    {kIdEditSelectAll, kIdEditSelectAll, &EventView::onSelectAll, &EventView::onUpdateSelectAll},
    {kIdProperties, kIdProperties, &EventView::onProperties, &EventView::onUpdateProperties},
    {kIdFilterEvents, kIdFilterEvents, &EventView::onFilter, &EventView::onUpdateFilter},
    {kIdGoToItem, kIdGoToItem, &EventView::onGoTo, &EventView::onUpdateGoTo},
};

constexpr EventView::ColumnWidths kDefaultWidths = {20, 40, 70, 70, 60, 40, 90, 90};
constexpr int kMaxStoredWidth = 255;
constexpr int kMinHalfWidth = 2;
constexpr int kMinWidth = 2;

bool widthsRead = false;

} // namespace

EventView::ColumnWidths& EventView::columnWidths()
{
    static ColumnWidths widths = kDefaultWidths;
    return widths;
}

// At most as many columns as the list has, whatever the string holds.
void EventView::readColumnWidths(std::string_view text)
{
    ColumnWidths& widths = columnWidths();
    for (size_t i = 0; i < text.size() && i < widths.size(); ++i)
        widths[i] = std::max(2 * static_cast<signed char>(text[i]), kMinWidth);
}

std::string EventView::columnWidthsText()
{
    std::string text;
    for (int width : columnWidths())
        text.push_back(char(std::max(std::min(width, kMaxStoredWidth) / 2, kMinHalfWidth)));
    return text;
}

EventView::EventView(KeyFilter* keys, QWidget* parent, CommandSink sink)
    : SongView(parent), m_keys(keys), m_sink(std::move(sink))
{
    auto* table = new EventTable(*this, this);
    m_table = table;
    m_model = new EventTableModel(*this, table);
    table->setModel(m_model);
    table->setHorizontalHeader(new ListHeaderCtrl(Qt::Horizontal, table));
    table->setItemDelegate(new EventDelegate(*this, table));
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setShowGrid(false);
    table->setWordWrap(false);
    table->setTabKeyNavigation(false);
    QPalette palette = table->palette();
    palette.setColor(QPalette::Base, fromColorRef(view_colors::kBackground));
    table->setPalette(palette);
    for (int c = 0; c < col::kCount; ++c)
        table->setColumnWidth(c, columnWidths()[size_t(c)]);
    connect(table->horizontalHeader(), &QHeaderView::sectionResized, this,
            [](int logical, int, int size) {
                if (logical >= 0 && logical < col::kCount)
                    columnWidths()[size_t(logical)] = size;
            });
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { echoSelection(); });
    m_editor = new InPlaceEdit(keys, table);
    m_editor->setMaxLength(int(kMaxEventCellText));
    m_editor->hide();
    connect(m_editor, &InPlaceEdit::focusLost, this, &EventView::commitEditor);
    setFocusProxy(table);
}

EventView::~EventView()
{
    if (m_profile)
        writeSettingText(*m_profile, settings::kEventColumnWidth, columnWidthsText());
}

QTableView& EventView::table() const
{
    return *m_table;
}

std::span<const CommandRow<EventView>> EventView::commandTable()
{
    return kEventCommands;
}

bool EventView::update(CommandId id, CmdUi& ui)
{
    if (id == kIdProperties && song() && (m_column == 0 || !m_rows.eventAt(*song(), m_playRow)))
        return false;
    return CommandTable<EventView>::update(id, ui);
}

void EventView::resizeEvent(QResizeEvent* event)
{
    SongView::resizeEvent(event);
    m_table->setGeometry(rect());
}

// The widths are read once, from the first song's profile.
void EventView::attach(CSongDoc& song)
{
    SongView::attach(song);
    m_profile = &song.context().profile;
    if (!widthsRead) {
        widthsRead = true;
        readColumnWidths(readSettingText(*m_profile, settings::kEventColumnWidth));
        for (int c = 0; c < col::kCount; ++c)
            m_table->setColumnWidth(c, columnWidths()[size_t(c)]);
    }
}

void EventView::detach()
{
    if (m_editing) {
        m_editing = false;
        m_editor->hide();
    }
    m_followEnabled = false;
    m_rebuilding = true;
    m_model->reset([this] { m_rows.clear(); });
    m_rebuilding = false;
    SongView::detach();
}

void EventView::initialUpdate()
{
    rebuild();
}

void EventView::songUpdate(uint32_t)
{
    rebuild();
}

bool EventView::stopped() const
{
    return song() && song()->context().engine.transportState() == TransportState::Stopped;
}

bool EventView::performing() const
{
    return song() && song()->context().host.performanceMode();
}

void EventView::applyRowHeight()
{
    const int height = song() ? LaneLayout::laneHeightFor(song()->context().host.laneZoom()) : 16;
    m_table->verticalHeader()->setMinimumSectionSize(1);
    m_table->verticalHeader()->setDefaultSectionSize(std::max(height, 1));
}

void EventView::rebuild()
{
    if (m_editing) {
        m_editing = false;
        m_editor->hide();
    }
    m_rebuilding = true;
    applyRowHeight();
    m_model->reset([this] {
        if (song())
            m_rows.rebuild(*song(), m_filter);
        else
            m_rows.clear();
    });
    if (CSongDoc* doc = song()) {
        selectRows();
        if (doc->context().engine.transportState() != TransportState::Playing) {
            m_playRow = startRowKeeping(m_playRow);
            showPlayRow(false);
        }
        // Selected rows put the cursor in row mode, unless the one selected
        // event is the cell cursor's own (an undone cell edit selects it):
        // the cursor then stays in its cell so the next typing goes there.
        const QModelIndexList selected = m_table->selectionModel()->selectedRows();
        const bool ownCell = m_column != 0 && selected.size() == 1 && selected.front().row() == m_playRow;
        if ((doc->selectionKind & (kSelectEvents | kSelectAudioClip)) && !ownCell)
            m_column = 0;
    }
    m_rebuilding = false;
    m_followEnabled = song() != nullptr;
    m_table->viewport()->update();
}

// The start row, unless the row the cursor was on lies at the same tick:
// a click among events of one tick stays on the one clicked.
int EventView::startRowKeeping(int previous) const
{
    const CSongDoc& doc = *song();
    const int start = m_rows.startRow(doc);
    const CMidiEvent* first = m_rows.eventAt(doc, start);
    const CMidiEvent* kept = m_rows.eventAt(doc, previous);
    return first && kept && previous > start && kept->tick == first->tick ? previous : start;
}

void EventView::selectRows()
{
    QItemSelection selection;
    const int last = col::kCount - 1;
    for (const auto& [first, end] : m_rows.selectedRuns(*song()))
        selection.select(m_model->index(first, 0), m_model->index(end, last));
    m_table->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

// The play row gets the focus without touching the selection; outside the
// rows shown it stands half a page down, or at the top while following.
void EventView::showPlayRow(bool toTop)
{
    if (m_rows.size() == 0)
        return;
    const int row = std::min(m_playRow, m_rows.size() - 1);
    const QModelIndex index = m_model->index(row, std::max(m_column, 0));
    m_table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    const int top = m_table->rowAt(0);
    const int bottom = m_table->rowAt(m_table->viewport()->height() - 1);
    if (top >= 0 && row >= top && (bottom < 0 || row <= bottom))
        return;
    m_table->scrollTo(index, toTop ? QAbstractItemView::PositionAtTop : QAbstractItemView::PositionAtCenter);
}

void EventView::follow()
{
    CSongDoc* doc = song();
    if (!m_followEnabled || m_rebuilding || !doc || m_rows.size() == 0)
        return;
    const int row = m_rows.followRow(*doc, m_playRow, doc->position());
    if (row == m_playRow)
        return;
    m_playRow = row;
    m_rebuilding = true; // the focus move is no selection change
    showPlayRow(true);
    m_rebuilding = false;
    m_table->viewport()->update();
}

void EventView::setCurrentCell(int row, int column)
{
    m_column = std::clamp(column, 0, col::kCount - 1);
    m_playRow = std::clamp(row, 0, std::max(m_rows.size() - 1, 0));
    m_rebuilding = true;
    showPlayRow(false);
    m_rebuilding = false;
    m_table->viewport()->update();
}

// Row mode: the list's selection becomes the song's event selection.
void EventView::echoSelection()
{
    CSongDoc* doc = song();
    if (m_rebuilding || !doc)
        return;
    const QModelIndexList selected = m_table->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        ++doc->selectionStamp;
        doc->selectionKind = 0;
        doc->selectionFrom = doc->selectionTo = -1;
        doc->UpdateViews(this);
        return;
    }
    if (m_column != 0)
        return;
    const uint32_t stamp = ++doc->selectionStamp;
    for (const QModelIndex& index : selected)
        if (const CMidiEvent* event = m_rows.eventAt(*doc, index.row()))
            const_cast<CMidiEvent*>(event)->selectionStamp = stamp;
    setSelectionRange();
    doc->UpdateViews(this);
}

// The range spans the selected shown events; an audio clip among them adds
// its own kind.
void EventView::setSelectionRange()
{
    CSongDoc& doc = *song();
    int32_t from = -1;
    int32_t to = -1;
    uint32_t kind = kSelectEvents;
    for (const auto& [first, last] : m_rows.selectedRuns(doc)) {
        for (int row = first; row <= last; ++row) {
            const CMidiEvent* event = m_rows.eventAt(doc, row);
            from = from < 0 ? event->tick : std::min(from, event->tick);
            to = std::max(to, event->tick);
            if (event->clip())
                kind |= kSelectAudioClip;
        }
    }
    doc.selectionFrom = from;
    doc.selectionTo = to;
    doc.selectionKind = from < 0 ? 0 : kind;
}

// The song is in the middle of an exchange: only the list lets go.
void EventView::clearSelection()
{
    m_rebuilding = true;
    m_table->selectionModel()->clearSelection();
    m_rebuilding = false;
    m_table->viewport()->update();
}

void EventView::locate()
{
    CSongDoc* doc = song();
    if (!doc || doc->context().engine.transportState() == TransportState::Playing)
        return;
    if (const CMidiEvent* event = m_rows.eventAt(*doc, m_playRow)) {
        doc->context().engine.LocateSong(*doc, event->tick);
        doc->context().host.UpdateAllViews();
    }
}

std::string EventView::cellText(int row, int column) const
{
    const CSongDoc* doc = song();
    const CMidiEvent* event = doc ? m_rows.eventAt(*doc, row) : nullptr;
    if (!event)
        return {};
    return EventCellText::text(*doc, m_rows.keys()[size_t(row)].track, *event, column);
}

bool EventView::canEditCell(int row, int column) const
{
    const CSongDoc* doc = song();
    const CMidiEvent* event = doc ? m_rows.eventAt(*doc, row) : nullptr;
    return event && eventCellEditable(*event, column, stopped(), performing());
}

// --- Commands ---

bool EventView::onSelectAll(CommandId)
{
    m_column = 0;
    m_table->selectAll();
    return true;
}

void EventView::onUpdateSelectAll(CommandId, CmdUi& ui)
{
    ui.enabled = song() && m_rows.size() > 0;
    ui.text = "Select &all events";
}

// In cell mode the focus row's event alone is what the dialog edits.
bool EventView::onProperties(CommandId)
{
    CSongDoc* doc = song();
    const CMidiEvent* event = doc && m_column != 0 ? m_rows.eventAt(*doc, m_playRow) : nullptr;
    if (!event)
        return false;
    const uint32_t stamp = ++doc->selectionStamp;
    const_cast<CMidiEvent*>(event)->selectionStamp = stamp;
    doc->selectionKind = event->clip() ? kSelectAudioClip : kSelectEvents;
    doc->selectionFrom = doc->selectionTo = event->tick;
    doc->OnEditProperties();
    if (song() == doc) {
        ++doc->selectionStamp;
        doc->selectionKind = 0;
        doc->selectionFrom = doc->selectionTo = -1;
    }
    return true;
}

void EventView::onUpdateProperties(CommandId, CmdUi& ui)
{
    ui.enabled = song() && stopped();
}

bool EventView::onFilter(CommandId)
{
    CSongDoc* doc = song();
    IEditDialogs* dialogs = doc ? doc->context().editDialogs : nullptr;
    if (!dialogs)
        return false;
    const int track = m_rows.shownTracks().empty() ? -1 : m_rows.shownTracks().front();
    uint16_t mask = m_filter.mask;
    int32_t controller = m_filter.controller;
    if (dialogs->filterEvents(*doc, track, mask, controller)) {
        m_filter = EventFilter{.mask = mask, .controller = std::clamp(controller, -1, 127)};
        rebuild();
    }
    return true;
}

void EventView::onUpdateFilter(CommandId, CmdUi& ui)
{
    const IEditDialogs* dialogs = song() ? song()->context().editDialogs : nullptr;
    ui.enabled = dialogs && dialogs->has(EditDialog::FilterEvents);
}

bool EventView::onGoTo(CommandId)
{
    if (m_column == 0 || !canEditCell(m_playRow, m_column))
        return false;
    openEditor(QString::fromStdString(cellText(m_playRow, m_column)), true);
    return true;
}

void EventView::onUpdateGoTo(CommandId, CmdUi& ui)
{
    ui.enabled = m_column != 0 && canEditCell(m_playRow, m_column);
}

void EventView::tableMenu(QPoint global)
{
    m_menu = commandMenu(eventContextMenu(), this, m_sink);
    m_menu->popup(global);
}

void registerEventView(ViewFactory& factory, KeyFilter* keys, EventView::CommandSink sink)
{
    factory.registerView(ViewKind::Event, [keys, sink](const ViewRequest& request) -> SongView* {
        return new EventView(keys, request.parent, sink);
    });
}

} // namespace rz
