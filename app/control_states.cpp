#include "app/control_states.h"

#include "app/main_frame.h"
#include "res/command_ids.h"

namespace rz {
namespace {

bool isPlaying(TransportState state)
{
    return state == TransportState::Playing || state == TransportState::Starting;
}

// The note-value buttons in order of the tool's value, -3..5.
constexpr CommandId kNoteValueButtons[] = {
    kIdTextChords, kIdPedal,     kIdWedge,           kIdWholeNote,       kIdHalfNote,
    kIdQuarterNote, kIdEighthNote, kIdSixteenthNote, kIdThirtySecondNote,
};
constexpr int kFirstNoteValue = -3;

constexpr CommandId kHighlightButtons[] = {
    kIdBouncingBall, kIdHighlightSyllables, kIdHighlightLines, kIdShowObjectGrid,
};

void addStaffTools(std::vector<ToolButtonState>& out, const ControlContext& c,
                   const StaffToolState& tools)
{
    const bool editable = c.hasSong && !c.performanceMode;
    auto add = [&](CommandId id, bool checked, bool enabled = true, bool visible = true) {
        out.push_back({id, editable && enabled, c.hasSong && checked, visible});
    };
    add(kIdSelect, tools.tool == 0);
    add(kIdDraw, tools.tool == 1);
    add(kIdDrawLines, tools.line == 0);
    add(kIdDrawFreeHand, tools.line == 1);
    for (int i = 0; i < int(std::size(kNoteValueButtons)); ++i)
        add(kNoteValueButtons[i], tools.noteType == i + kFirstNoteValue);
    const bool noteValue = tools.noteType >= 0 && tools.noteType <= 5;
    add(kIdDotted, tools.dotted, noteValue);
    add(kIdTriplet, tools.triplet, noteValue);
    add(kIdAccidental, tools.accidentals, c.staffView);
    add(kIdGrid, tools.grid);
    for (int i = 0; i < int(std::size(kHighlightButtons)); ++i)
        add(kHighlightButtons[i], tools.lyricTool == i, true, c.lyricView);
}

// Copy needs the set view's selected item; Cut of a top-level item also a
// set file. Elsewhere both need a selection in the song.
bool canCutOrCopy(const ControlContext& c, bool cut)
{
    if (c.setViewActive)
        return c.setItemSelected && (!cut || !c.setItemTopLevel || c.setHasFile);
    return c.hasSong && c.songSelection;
}

void addFileAndEdit(std::vector<ToolButtonState>& out, const ControlContext& c)
{
    const bool open = c.state == TransportState::Stopped && !c.performanceMode;
    auto add = [&](CommandId id, bool enabled) { out.push_back({id, open && enabled, false, true}); };
    add(kIdFileNew, true);
    add(kIdFileOpen, true);
    add(kIdFileSave, c.songModified);
    add(kIdSaveAll, c.setOrSongModified);
    add(kIdFilePrint, c.hasSong && (c.staffView || c.lyricView));
    add(kIdEditCut, canCutOrCopy(c, true));
    add(kIdEditCopy, canCutOrCopy(c, false));
    // Paste has a check of its own, which minds the transport itself.
    out.push_back({kIdEditPaste, !c.performanceMode && c.canPaste, false, true});
    add(kIdEditUndo, c.canUndo);
    add(kIdEditRedo, c.canRedo);
}

} // namespace

TransportButtonStates transportButtonStates(const ControlContext& c)
{
    TransportButtonStates s;
    s.playStop = {c.hasSong, isPlaying(c.state)};
    s.stop = {c.hasSong, c.state == TransportState::Stopped};
    s.pause = {c.hasSong, c.state == TransportState::Paused};
    const bool transpose = c.hasSong && c.state == TransportState::Stopped && !c.performanceMode;
    s.transposeUp = {transpose, false};
    s.transposeDown = {transpose, false};
    s.recordIsClick = c.performanceMode;
    if (c.performanceMode)
        s.record = {true, c.clickOn};
    else
        s.record = {c.hasSong && c.state == TransportState::Stopped, c.recording};
    return s;
}

std::vector<ToolButtonState> toolBarStates(const ControlContext& c, const StaffToolState& tools)
{
    std::vector<ToolButtonState> out;
    out.push_back({kIdPerformanceMode, true, c.performanceMode, true});
    out.push_back({kIdEditMode, true, !c.performanceMode, true});
    addFileAndEdit(out, c);
    addStaffTools(out, c, tools);
    return out;
}

} // namespace rz
