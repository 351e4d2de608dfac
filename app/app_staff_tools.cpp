// The staff and lyric tools the frame keeps for the staff and lyric views:
// tool, line, note value, accidentals, grid, the typed duration and the grid
// box. GUI thread.

#include "app/app.h"

#include "app/flat_tool_bar.h"
#include "app/main_frame.h"
#include "app/note_duration.h"
#include "core/engine_link.h"
#include "core/profile.h"
#include "engine/sequencer.h"
#include "res/command_ids.h"
#include "song/song_doc.h"
#include "ui/flat_combo_box_ex.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>

namespace rz {
namespace {

constexpr int kDrawTool = 1;
constexpr int kTypedDuration = -1;

} // namespace

void App::connectStaffTools()
{
    FlatToolBar* bar = m_frame->toolBar();
    connect(bar->durationField(), &QLineEdit::textEdited, this, &App::onDurationTyped);
    connect(bar->gridBox(), &QComboBox::activated, this, &App::onGridChosen);
}

void App::refreshStaffViews()
{
    if (m_currentSong)
        m_currentSong->UpdateViews();
}

// The duration in the field, the grid in the box, the length for step
// recording.
void App::showNoteDuration()
{
    const StaffToolState& tools = m_frame->staffTools();
    FlatToolBar* bar = m_frame->toolBar();
    bar->durationField()->setText(QString::number(tools.duration));
    bar->gridBox()->selectByValue(tools.gridResolution);
    if (m_published)
        m_published->setCurrentNoteLength(tools.duration);
}

void App::UpdateNoteDuration()
{
    if (!m_frame || !m_currentSong)
        return;
    StaffToolState& tools = m_frame->staffTools();
    if (tools.noteType < 0)
        return;
    const NoteLength length =
        noteLength({tools.noteType, tools.dotted, tools.triplet}, m_currentSong->timeBase);
    tools.duration = length.duration;
    tools.gridResolution = length.grid;
    showNoteDuration();
    refreshStaffViews();
}

bool App::onStaffTool(CommandId id)
{
    if (!m_frame)
        return false;
    StaffToolState& tools = m_frame->staffTools();
    if (id == kIdSelect || id == kIdDraw) {
        tools.tool = int(id - kIdSelect);
        m_profile->writeInt("StaffView", "Tool", tools.tool);
        if (QWidget* under = QApplication::widgetAt(QCursor::pos()))
            under->setCursor(under->cursor());
    } else if (id == kIdDrawLines || id == kIdDrawFreeHand) {
        tools.line = int(id - kIdDrawLines);
        m_profile->writeInt("StaffView", "Line", tools.line);
    } else if (id >= kIdTextChords && id <= kIdThirtySecondNote) {
        tools.noteType = int(id) - int(kIdWholeNote);
        if (tools.noteType < 0)
            return true;
        tools.dotted = false;
        tools.triplet = false;
        tools.tool = kDrawTool;
        UpdateNoteDuration();
    } else if (id == kIdDotted || id == kIdTriplet) {
        const bool dotted = id == kIdDotted;
        tools.dotted = dotted ? !tools.dotted : false;
        tools.triplet = dotted ? false : !tools.triplet;
        tools.tool = kDrawTool;
        UpdateNoteDuration();
    } else if (id == kIdAccidental) {
        tools.accidentals = !tools.accidentals;
    } else if (id == kIdGrid) {
        tools.grid = !tools.grid;
        m_profile->writeInt("StaffView", "Grid", tools.grid ? 1 : 0);
    }
    return true;
}

void App::onUpdateStaffTool(CommandId id, CmdUi& ui)
{
    if (!m_frame)
        return;
    const StaffToolState& tools = m_frame->staffTools();
    if (id == kIdSelect || id == kIdDraw)
        ui.checked = tools.tool == int(id - kIdSelect);
    else if (id == kIdDrawLines || id == kIdDrawFreeHand)
        ui.checked = tools.line == int(id - kIdDrawLines);
    else if (id >= kIdTextChords && id <= kIdThirtySecondNote)
        ui.checked = tools.noteType == int(id) - int(kIdWholeNote);
    else if (id == kIdDotted)
        ui.checked = tools.dotted;
    else if (id == kIdTriplet)
        ui.checked = tools.triplet;
    else if (id == kIdAccidental)
        ui.checked = tools.accidentals;
    else if (id == kIdGrid)
        ui.checked = tools.grid;
}

bool App::onLyricTool(CommandId id)
{
    if (!m_frame)
        return false;
    m_frame->staffTools().lyricTool = int(id - kIdBouncingBall);
    m_profile->writeInt("LyricView", "Tool", m_frame->staffTools().lyricTool);
    refreshStaffViews();
    return true;
}

void App::onUpdateLyricTool(CommandId id, CmdUi& ui)
{
    ui.radio = true;
    ui.checked = m_frame && m_frame->staffTools().lyricTool == int(id - kIdBouncingBall);
}

// The typed ticks stay the duration; the note value follows them.
void App::onDurationTyped(const QString& text)
{
    bool ok = false;
    const int32_t ticks = text.toInt(&ok);
    if (!ok || !m_frame)
        return;
    StaffToolState& tools = m_frame->staffTools();
    tools.noteType = kTypedDuration;
    const int timeBase = m_currentSong ? m_currentSong->timeBase : 120;
    const NoteValue value = noteValueOf(ticks, timeBase);
    tools.noteType = value.type;
    tools.dotted = value.dotted;
    tools.triplet = value.triplet;
    tools.duration = ticks;
    if (m_published)
        m_published->setCurrentNoteLength(ticks);
}

void App::onGridChosen(int)
{
    if (!m_frame)
        return;
    if (const std::optional<int> grid = m_frame->toolBar()->gridBox()->selectedValue()) {
        m_frame->staffTools().gridResolution = *grid;
        refreshStaffViews();
    }
}

} // namespace rz
