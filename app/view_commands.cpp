// The view commands: editor and pane views, controller maps, the transport
// display, layout records and the panel's faces; the staff and lyric tools
// the frame keeps for the staff and lyric views. GUI thread.

#include "app/view_commands.h"

#include "app/flat_tool_bar.h"
#include "app/main_frame.h"
#include "app/note_duration.h"
#include "app/transport_controls.h"
#include "core/edit_dialogs.h"
#include "core/engine_gui_values.h"
#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/track_rows.h"
#include "core/song_host.h"
#include "res/command_ids.h"
#include "set/set_document.h"
#include "song/song_doc.h"
#include "ui/flat_combo_box_ex.h"
#include "views/view_factory.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>

namespace rz {
namespace {

using V = ViewCommands;

constexpr CommandRow<V> kViewCommands[] = {
    {kIdSnapshotLayout, kIdClearLayout, &V::onLayout, &V::onUpdateLayout},
    {kIdViewPowerSpectrum, kIdViewPowerSpectrum, &V::onDisplayFace, &V::onUpdateDisplayFace},
    {kIdMidiMeasureBeat, kIdMidiMeasureBeat, &V::onDisplayFace, &V::onUpdateDisplayFace},
    {kIdViewBouncingMetronome, kIdViewBouncingMetronome, &V::onDisplayFace,
     &V::onUpdateDisplayFace},
    {kIdTextChords, kIdAccidental, &V::onStaffTool, &V::onUpdateStaffTool},
    {kIdGrid, kIdDraw, &V::onStaffTool, &V::onUpdateStaffTool},
    {kIdDrawLines, kIdDrawFreeHand, &V::onStaffTool, &V::onUpdateStaffTool},
    {kIdBouncingBall, kIdShowObjectGrid, &V::onLyricTool, &V::onUpdateLyricTool},
    {kIdViewClipsAndCues, kIdViewVelocity, &V::onEditorView, &V::onUpdateEditorView},
    {kIdViewTempoMap, kIdViewTempoMap, &V::onPaneView, &V::onUpdatePaneView},
    {kIdViewFaders, kIdViewFaders, &V::onPaneView, &V::onUpdatePaneView},
    {kIdViewPitchWheel, kIdViewPitchWheel, &V::onControllerMap, &V::onUpdateControllerMap},
    {kIdViewChannelPressure, kIdViewChannelPressure, &V::onControllerMap,
     &V::onUpdateControllerMap},
    {kIdViewModWheel, kIdViewExpression, &V::onControllerMap, &V::onUpdateControllerMap},
    {kIdViewOtherController, kIdViewOtherController, &V::onOtherController, &V::onUpdateOtherController},
    {kIdViewMeterKey, kIdViewSongTime, &V::onDisplayMode, &V::onUpdateDisplayMode},
};

constexpr int kViewRequestMs = 100;
constexpr int kFirstEditorView = int(kIdViewClipsAndCues) - 1; // view command - this = timer id
constexpr int kDrawTool = 1;
constexpr int kTypedDuration = -1;

struct ControllerMap {
    CommandId id;
    int kind;
    int number;
};

constexpr ControllerMap kControllerMaps[] = {
    {kIdViewPitchWheel, midi::kPitchBend, 0},
    {kIdViewChannelPressure, midi::kChannelPressure, 0},
    {kIdViewModWheel, midi::kControlChange, cc::kModulation},
    {kIdViewExpression, midi::kControlChange, cc::kExpression},
};

const ControllerMap* controllerMapOf(CommandId id)
{
    for (const ControllerMap& map : kControllerMaps)
        if (map.id == id)
            return &map;
    return nullptr;
}

} // namespace

std::span<const CommandRow<V>> ViewCommands::commandTable()
{
    return kViewCommands;
}

bool ViewCommands::onLayout(CommandId id)
{
    CSongDoc* song = m_seams.songs.currentSong();
    if (!song)
        return false;
    if (id == kIdSnapshotLayout) {
        m_seams.views.SnapshotLayout(song->layoutText);
        song->SetModifiedFlag(true);
    } else if (id == kIdRestoreLayout) {
        m_seams.views.RestoreLayout(song->layoutText);
        m_seams.set().updateSetViews();
        song->UpdateViews();
    } else {
        song->layoutText.clear();
        song->SetModifiedFlag(true);
    }
    return true;
}

void ViewCommands::onUpdateLayout(CommandId id, CmdUi& ui)
{
    const CSongDoc* song = m_seams.songs.currentSong();
    const bool stopped = m_seams.engine().transportState() == TransportState::Stopped;
    ui.enabled = song && stopped && (id == kIdSnapshotLayout || !song->layoutText.empty());
}

bool ViewCommands::onDisplayFace(CommandId id)
{
    if (id == kIdViewBouncingMetronome) {
        m_seams.bouncingBall = !m_seams.bouncingBall;
        writeSetting(m_seams.profile, settings::kDisplayBouncingBall, m_seams.bouncingBall ? 1 : 0);
    } else {
        m_seams.audioFace = id == kIdViewPowerSpectrum ? kSpectrumFace : kMarkerFace;
        writeSetting(m_seams.profile, settings::kDisplayAudioFace, m_seams.audioFace);
        if (GuiToEngineValues* published = m_seams.published())
            published->setSpectrumShown(m_seams.audioFace == kSpectrumFace);
    }
    if (m_seams.faceChanged)
        m_seams.faceChanged();
    if (MainFrame* frame = m_seams.frame())
        frame->QWidget::update();
    return true;
}

void ViewCommands::onUpdateDisplayFace(CommandId id, CmdUi& ui)
{
    if (id == kIdViewBouncingMetronome) {
        ui.enabled = m_seams.audioFace == kMarkerFace;
        ui.checked = m_seams.bouncingBall;
    } else {
        ui.checked =
            m_seams.audioFace == (id == kIdViewPowerSpectrum ? kSpectrumFace : kMarkerFace);
    }
}

// Editor views: the frame's timer makes the view in the editor pane.
bool ViewCommands::onEditorView(CommandId id)
{
    if (MainFrame* frame = m_seams.frame())
        frame->timers().start(int(id) - kFirstEditorView, kViewRequestMs);
    return true;
}

void ViewCommands::onUpdateEditorView(CommandId id, CmdUi& ui)
{
    const int kind = int(id) - kFirstEditorView;
    ui.enabled = m_seams.factory.canCreate(ViewKind(kind));
    ui.checked = m_seams.editorKind() == kind;
}

// The tempo map and the faders take the controller pane, and only while
// there is one.
bool ViewCommands::onPaneView(CommandId id)
{
    const ViewKind kind = id == kIdViewTempoMap ? ViewKind::Tempo : ViewKind::Slider;
    MainFrame* frame = m_seams.frame();
    if (m_seams.shown(kind) || !m_seams.hasControllerPane() || !frame)
        return true;
    if (CSongDoc* song = m_seams.songs.currentSong())
        m_seams.views.activateEditorView(*song);
    frame->timers().start(int(kind), kViewRequestMs);
    return true;
}

void ViewCommands::onUpdatePaneView(CommandId id, CmdUi& ui)
{
    const ViewKind kind = id == kIdViewTempoMap ? ViewKind::Tempo : ViewKind::Slider;
    ui.enabled = m_seams.factory.canCreate(kind);
    ui.checked = m_seams.shown(kind);
}

void ViewCommands::ActivateView(int kind, int number)
{
    m_seams.setController(kind, number);
    MainFrame* frame = m_seams.frame();
    if (!m_seams.hasControllerPane() || !frame)
        return;
    if (CSongDoc* song = m_seams.songs.currentSong())
        m_seams.views.activateEditorView(*song);
    frame->timers().start(int(ViewKind::Control), kViewRequestMs);
}

bool ViewCommands::onControllerMap(CommandId id)
{
    if (const ControllerMap* map = controllerMapOf(id))
        ActivateView(map->kind, map->number);
    return true;
}

void ViewCommands::onUpdateControllerMap(CommandId id, CmdUi& ui)
{
    const ControllerMap* map = controllerMapOf(id);
    const auto [kind, number] = m_seams.controller();
    ui.enabled = m_seams.factory.canCreate(ViewKind::Control);
    ui.checked = map && m_seams.shown(ViewKind::Control) && kind == map->kind
                 && (map->kind != midi::kControlChange || number == map->number);
}

// Any controller, pressure or pitch bend, chosen in its dialog.
bool ViewCommands::onOtherController(CommandId)
{
    CSongDoc* song = m_seams.songs.currentSong();
    IEditDialogs* dialogs = song ? song->context().editDialogs : nullptr;
    if (!dialogs || !dialogs->has(EditDialog::SelectController))
        return true;
    const auto [kind, number] = m_seams.controller();
    const int current = kind == midi::kControlChange ? kind | number << 8 : kind;
    const int track = song->context().trackRows ? song->context().trackRows->currentRow() : 0;
    if (const std::optional<int> chosen = dialogs->selectController(*song, track, current))
        ActivateView(*chosen & midi::kKindMask, *chosen >> 8 & midi::kDataMask);
    return true;
}

void ViewCommands::onUpdateOtherController(CommandId, CmdUi& ui)
{
    const CSongDoc* song = m_seams.songs.currentSong();
    const IEditDialogs* dialogs = song ? song->context().editDialogs : nullptr;
    ui.enabled = m_seams.factory.canCreate(ViewKind::Control) && dialogs
                 && dialogs->has(EditDialog::SelectController);
}

bool ViewCommands::onDisplayMode(CommandId id)
{
    m_seams.setTransportDisplayMode(int(id - kIdViewMeterKey));
    m_seams.set().updateSetViews();
    return true;
}

void ViewCommands::onUpdateDisplayMode(CommandId id, CmdUi& ui)
{
    ui.radio = true;
    ui.checked = m_seams.transportDisplayMode() == int(id - kIdViewMeterKey);
}

void ViewCommands::connectStaffTools()
{
    MainFrame* frame = m_seams.frame();
    FlatToolBar* bar = frame->toolBar();
    QObject::connect(bar->durationField(), &QLineEdit::textEdited, frame,
                     [this](const QString& text) { onDurationTyped(text); });
    QObject::connect(bar->gridBox(), &QComboBox::activated, frame,
                     [this](int index) { onGridChosen(index); });
}

void ViewCommands::refreshStaffViews()
{
    if (CSongDoc* song = m_seams.songs.currentSong())
        song->UpdateViews();
}

// The duration in the field, the grid in the box, the length for step
// recording.
void ViewCommands::showNoteDuration()
{
    MainFrame* frame = m_seams.frame();
    const StaffToolState& tools = frame->staffTools();
    FlatToolBar* bar = frame->toolBar();
    bar->durationField()->setText(QString::number(tools.duration));
    bar->gridBox()->selectByValue(tools.gridResolution);
    if (GuiToEngineValues* published = m_seams.published())
        published->setCurrentNoteLength(tools.duration);
}

void ViewCommands::UpdateNoteDuration()
{
    MainFrame* frame = m_seams.frame();
    CSongDoc* song = m_seams.songs.currentSong();
    if (!frame || !song)
        return;
    StaffToolState& tools = frame->staffTools();
    if (tools.noteType < 0)
        return;
    const NoteLength length = noteLength({tools.noteType, tools.dotted, tools.triplet}, song->timeBase);
    tools.duration = length.duration;
    tools.gridResolution = length.grid;
    showNoteDuration();
    refreshStaffViews();
}

bool ViewCommands::onStaffTool(CommandId id)
{
    MainFrame* frame = m_seams.frame();
    if (!frame)
        return false;
    StaffToolState& tools = frame->staffTools();
    IProfile& profile = m_seams.profile;
    if (id == kIdSelect || id == kIdDraw) {
        tools.tool = int(id - kIdSelect);
        writeSetting(profile, settings::kStaffTool, tools.tool);
        if (QWidget* under = QApplication::widgetAt(QCursor::pos()))
            under->setCursor(under->cursor());
    } else if (id == kIdDrawLines || id == kIdDrawFreeHand) {
        tools.line = int(id - kIdDrawLines);
        writeSetting(profile, settings::kStaffLine, tools.line);
    } else if (id >= kIdTextChords && id <= kIdThirtySecondNote) {
        tools.noteType = int(id) - int(kIdWholeNote);
        tools.tool = kDrawTool;
        // The mark tools keep the note duration.
        if (tools.noteType < 0)
            return true;
        tools.dotted = false;
        tools.triplet = false;
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
        writeSetting(profile, settings::kStaffGrid, tools.grid ? 1 : 0);
    }
    return true;
}

void ViewCommands::onUpdateStaffTool(CommandId id, CmdUi& ui)
{
    MainFrame* frame = m_seams.frame();
    if (!frame)
        return;
    const StaffToolState& tools = frame->staffTools();
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

bool ViewCommands::onLyricTool(CommandId id)
{
    MainFrame* frame = m_seams.frame();
    if (!frame)
        return false;
    frame->staffTools().lyricTool = int(id - kIdBouncingBall);
    writeSetting(m_seams.profile, settings::kLyricTool, frame->staffTools().lyricTool);
    refreshStaffViews();
    return true;
}

void ViewCommands::onUpdateLyricTool(CommandId id, CmdUi& ui)
{
    MainFrame* frame = m_seams.frame();
    ui.radio = true;
    ui.checked = frame && frame->staffTools().lyricTool == int(id - kIdBouncingBall);
}

// The typed ticks stay the duration; the note value follows them.
void ViewCommands::onDurationTyped(const QString& text)
{
    bool ok = false;
    const int32_t ticks = text.toInt(&ok);
    MainFrame* frame = m_seams.frame();
    if (!ok || !frame)
        return;
    StaffToolState& tools = frame->staffTools();
    tools.noteType = kTypedDuration;
    const CSongDoc* song = m_seams.songs.currentSong();
    const int timeBase = song ? song->timeBase : 120;
    const NoteValue value = noteValueOf(ticks, timeBase);
    tools.noteType = value.type;
    tools.dotted = value.dotted;
    tools.triplet = value.triplet;
    tools.duration = ticks;
    if (GuiToEngineValues* published = m_seams.published())
        published->setCurrentNoteLength(ticks);
}

void ViewCommands::onGridChosen(int)
{
    MainFrame* frame = m_seams.frame();
    if (!frame)
        return;
    if (const std::optional<int> grid = frame->toolBar()->gridBox()->selectedValue()) {
        frame->staffTools().gridResolution = *grid;
        refreshStaffViews();
    }
}

} // namespace rz
