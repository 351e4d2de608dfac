#pragma once

#include "song/event_cell_parse.h"
#include "ui/command_target.h"
#include "views/events/event_rows.h"
#include "views/song_view.h"

#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>

class QMenu;
class QTableView;

namespace rz {

class EventTableModel;
class IProfile;
class InPlaceEdit;
class KeyFilter;
class ViewFactory;

// The event list: every event of the track view's selected tracks merged in
// time order, one row each in eight columns, formatted as rows are drawn.
// Row mode (column 0) selects events; cell mode (columns 1-7) moves a cell
// cursor whose cell is edited in place, each edit one undo step. GUI
// thread; follow runs under the SongMutex.
class EventView : public SongView, public CommandTable<EventView> {
    Q_OBJECT
public:
    // Who the pop-up menu's commands go to; null drops them.
    using CommandSink = std::function<bool(CommandId)>;
    using ColumnWidths = std::array<int, event_column::kCount>;

    // `keys`: the application's key filter, off while a cell is edited.
    explicit EventView(KeyFilter* keys = nullptr, QWidget* parent = nullptr, CommandSink sink = {});
    ~EventView() override;

    static std::span<const CommandRow<EventView>> commandTable();
    // Properties in row mode, or without a focus row, goes on to the song.
    bool update(CommandId id, CmdUi& ui) override;

    void attach(CSongDoc& song) override;
    void detach() override;
    void initialUpdate() override;
    void songUpdate(uint32_t hint) override;
    void follow() override;

    const EventRows& rows() const { return m_rows; }
    const EventFilter& filter() const { return m_filter; }
    QTableView& table() const;
    InPlaceEdit& editor() const { return *m_editor; }
    bool editing() const { return m_editing; }
    // 0 in row mode, else the cell cursor's column.
    int currentColumn() const { return m_column; }
    // The focus row; may equal the row count when no event lies ahead.
    int playRow() const { return m_playRow; }
    void setCurrentCell(int row, int column);
    // Whether the cell may be edited now: stopped, not performing.
    bool canEditCell(int row, int column) const;
    // Empties the list's selection (a cue edit's undo asks for it).
    void clearSelection();
    // The column widths every event list shares, in pixels.
    static ColumnWidths& columnWidths();
    // Reads "ColumnWidth": one character per column, half its width.
    static void readColumnWidths(std::string_view text);
    static std::string columnWidthsText();

    // Commands.
    bool onSelectAll(CommandId id);
    void onUpdateSelectAll(CommandId id, CmdUi& ui);
    bool onProperties(CommandId id);
    void onUpdateProperties(CommandId id, CmdUi& ui);
    bool onFilter(CommandId id);
    void onUpdateFilter(CommandId id, CmdUi& ui);
    bool onGoTo(CommandId id);
    void onUpdateGoTo(CommandId id, CmdUi& ui);

    // What the table hands on: true when the key was taken.
    bool tableKey(int key, Qt::KeyboardModifiers modifiers, const QString& text);
    void afterNavigation(int key);
    // A press: true when the cell cursor took it.
    bool tablePressed(int row, int column);
    void tableDoubleClicked(int row);
    void tableMenu(QPoint global);
    void tableFocused();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuild();
    void applyRowHeight();
    int startRowKeeping(int previous) const;
    void selectRows();
    void echoSelection();
    void locate();
    void openEditor(const QString& text, bool selectAll);
    void commitEditor();
    void moveColumn(int column, bool ctrl);
    void showPlayRow(bool toTop);
    void setSelectionRange();
    bool stopped() const;
    bool performing() const;
    std::string cellText(int row, int column) const;

    friend class EventDelegate;
    friend class EventTableModel;

    KeyFilter* m_keys = nullptr;
    CommandSink m_sink;
    QTableView* m_table = nullptr;
    EventTableModel* m_model = nullptr;
    InPlaceEdit* m_editor = nullptr;
    std::unique_ptr<QMenu> m_menu;
    EventRows m_rows;
    EventFilter m_filter;
    int m_column = 0;
    int m_playRow = 0;
    bool m_rebuilding = false;
    bool m_followEnabled = false;
    bool m_editing = false;
    IProfile* m_profile = nullptr; // the column widths go back here
};

// Registers the event list's maker for ViewKind::Event.
void registerEventView(ViewFactory& factory, KeyFilter* keys = nullptr, EventView::CommandSink sink = {});

} // namespace rz
