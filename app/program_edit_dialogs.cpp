#include "app/program_edit_dialogs.h"

#include "core/song_host.h"
#include "dialogs/insert_time_dlg.h"
#include "dialogs/move_dlg.h"
#include "dialogs/paste_dlg.h"
#include "dialogs/time_range_dlg.h"
#include "dialogs/cue_props_dlg.h"
#include "dialogs/edit_lyrics_dlg.h"
#include "dialogs/event_props_dlg.h"
#include "dialogs/filter_events_dlg.h"
#include "dialogs/find_dlg.h"
#include "dialogs/insert_cc_dlg.h"
#include "dialogs/key_meter_dlg.h"
#include "dialogs/select_controller_dlg.h"
#include "dialogs/transform_dlg.h"
#include "dialogs/song_props_dlg.h"
#include "dialogs/track_props_dlg.h"
#include "engine/ui/wave_props_dlg.h"
#include "staff/chord_dlg.h"
#include "staff/expression_text_dlg.h"
#include "staff/wedge_dlg.h"
#include "song/song_doc.h"
#include "song/undo_record.h"

#include <algorithm>
#include <iterator>

namespace rz {

namespace {

// The dialogs built so far. A new one goes here and into its method below.
constexpr EditDialog kBuilt[] = {
    EditDialog::WaveProperties, EditDialog::SongProperties, EditDialog::CueProperties,
    EditDialog::CopyTime,       EditDialog::DeleteTime,     EditDialog::PasteTime,
    EditDialog::PasteEvents,    EditDialog::SelectTime,     EditDialog::MeasureNumbers,
    EditDialog::InsertTime,     EditDialog::Move,
    EditDialog::Find,           EditDialog::EditLyrics,
    EditDialog::Transpose,      EditDialog::Quantize,       EditDialog::Velocities,
    EditDialog::Duration,       EditDialog::Thin,           EditDialog::Randomize,
    EditDialog::KeySignature,   EditDialog::Meter,          EditDialog::ControllerSeries,
    EditDialog::TrackProperties, EditDialog::SelectController, EditDialog::FilterEvents,
    EditDialog::ExpressionText, EditDialog::Wedge, EditDialog::Chord,
    EditDialog::EventProperties,
};

} // namespace

ProgramEditDialogs::ProgramEditDialogs(Services services) : m_services(std::move(services)) {}

bool ProgramEditDialogs::has(EditDialog dialog) const
{
    return std::find(std::begin(kBuilt), std::end(kBuilt), dialog) != std::end(kBuilt);
}

QWidget* ProgramEditDialogs::parentWindow() const
{
    return m_services.parent ? m_services.parent() : nullptr;
}

std::optional<WavePropsParams> ProgramEditDialogs::waveProperties(CSongDoc& song, const WavePropsParams& clip)
{
    CWavePropsDlg dialog(song, clip, parentWindow());
    dialog.setHelpOpener(m_services.help);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.params();
}

// ---- the time edits

template <class Dialog, class... Args>
auto ProgramEditDialogs::run(Args&&... args) -> std::optional<decltype(std::declval<Dialog>().params())>
{
    Dialog dialog(std::forward<Args>(args)..., parentWindow());
    dialog.setHelpOpener(m_services.help);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.params();
}

std::optional<CopyTimeParams> ProgramEditDialogs::copyTime(CSongDoc& song)
{
    return run<CCopyTimeDlg>(song, m_services.controllerViewOpen && m_services.controllerViewOpen());
}

std::optional<DeleteTimeParams> ProgramEditDialogs::deleteTime(CSongDoc& song)
{
    return run<CDeleteTimeDlg>(song);
}

std::optional<PasteTimeParams> ProgramEditDialogs::pasteTime(CSongDoc& song, int32_t position)
{
    return run<CPasteTimeDlg>(song, song.context().host.clipboard(), position);
}

std::optional<PasteEventsParams> ProgramEditDialogs::pasteEvents(CSongDoc& song, int32_t position)
{
    return run<CPasteEventsDlg>(song, song.context().host.clipboard(), position);
}

std::optional<SelectTimeParams> ProgramEditDialogs::selectTime(CSongDoc& song)
{
    return run<CSelectTimeDlg>(song);
}

std::optional<MeasureNumbersParams> ProgramEditDialogs::measureNumbers(CSongDoc& song)
{
    return run<CInsertMeasureNumbersDlg>(song);
}

std::optional<InsertTimeParams> ProgramEditDialogs::insertTime(CSongDoc& song)
{
    return run<CInsertTimeDlg>(song);
}

std::optional<MoveParams> ProgramEditDialogs::move(CSongDoc& song, int32_t firstTick)
{
    return run<CMoveDlg>(song, firstTick);
}

// ---- song and cue properties

std::optional<SongPropsParams> ProgramEditDialogs::songProperties(CSongDoc& song)
{
    return run<CSongPropsDlg>(song);
}

std::optional<CuePropsParams> ProgramEditDialogs::cueProperties(CSongDoc& song, const CuePropsParams& cue)
{
    const bool timeCode = m_services.clockTimeViewOpen && m_services.clockTimeViewOpen();
    return run<CCuePropsDlg>(song, cue, timeCode);
}

// ---- track properties

std::optional<TrackPropsParams> ProgramEditDialogs::trackProperties(CSongDoc& song, const TrackPropsParams& preset)
{
    const MusicFont* font = m_services.musicFont ? m_services.musicFont() : nullptr;
    return run<CTrackPropsDlg>(song, preset, font);
}

// ---- the event transforms, key and meter
// ---- the controller choices

std::optional<int> ProgramEditDialogs::selectController(CSongDoc& song, int track, int current)
{
    CSelectControllerDlg dialog(song, track, current, parentWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.kindValue();
}

bool ProgramEditDialogs::filterEvents(CSongDoc& song, int32_t track, uint16_t& mask, int32_t& controller)
{
    CFilterEventsDlg dialog(song, track, mask, controller, parentWindow());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    mask = dialog.mask();
    controller = dialog.controller();
    return true;
}

// ---- the event transforms, key and meter

std::optional<TransposeParams> ProgramEditDialogs::transpose(CSongDoc& song) { return run<CTransposeDlg>(song); }
std::optional<QuantizeParams> ProgramEditDialogs::quantize(CSongDoc& song) { return run<CQuantizeDlg>(song); }

std::optional<VelocityParams> ProgramEditDialogs::velocities(CSongDoc& song, int64_t extent)
{
    return run<CVelocityDlg>(song, extent);
}

std::optional<DurationParams> ProgramEditDialogs::duration(CSongDoc& song) { return run<CNoteDurationsDlg>(song); }
std::optional<ThinParams> ProgramEditDialogs::thin(CSongDoc& song) { return run<CThinDlg>(song); }
std::optional<RandomizeParams> ProgramEditDialogs::randomize(CSongDoc& song) { return run<CRandomizeDlg>(song); }

std::optional<ControllerSeriesParams> ProgramEditDialogs::controllerSeries(CSongDoc& song)
{
    return run<CInsertCCDlg>(song);
}

std::optional<KeySignatureParams> ProgramEditDialogs::keySignature(CSongDoc& song)
{
    return run<CKeySigDlg>(song, m_services.musicFont ? m_services.musicFont() : nullptr);
}

std::optional<MeterParams> ProgramEditDialogs::meter(CSongDoc& song)
{
    return run<CMeterDlg>(song, m_services.musicFont ? m_services.musicFont() : nullptr);
}

// ---- event properties

// MIDI input reaches the dialog while it shows.
std::optional<EventPropsResult> ProgramEditDialogs::eventProperties(CSongDoc& song, const EventPropsRequest& request)
{
    CEventPropsDlg dialog(song, request,
                          EventPropsServices{m_services.help, m_services.setEventCapture, m_services.receiveNotice},
                          parentWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.answer();
}

// ---- the staff's marks

std::optional<ChordParams> ProgramEditDialogs::chord(CSongDoc& song, const ChordParams& start)
{
    return run<CChordDlg>(song, m_services.chordBook ? m_services.chordBook() : nullptr, start);
}

std::optional<ExpressionTextParams> ProgramEditDialogs::expressionText(CSongDoc& song,
                                                                       const ExpressionTextParams& start)
{
    CExpressionTextDlg dialog(song, start, parentWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.params();
}

std::optional<WedgeParams> ProgramEditDialogs::wedge(CSongDoc& song, const WedgeParams& start)
{
    CWedgeDlg dialog(song, start, parentWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.params();
}

// ---- find and lyrics

bool ProgramEditDialogs::find(CSongDoc& song, FindCriteria& criteria)
{
    CFindDlg dialog(song, parentWindow());
    dialog.setHelpOpener(m_services.help);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    criteria = dialog.criteria();
    return true;
}

std::unique_ptr<CUndoRecord> ProgramEditDialogs::editLyrics(CSongDoc& song, int32_t track, int32_t event)
{
    if (track < 0 || size_t(track) >= song.tracks.size())
        return nullptr;
    CEditLyricsDlg dialog(song, track, event, parentWindow());
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return dialog.takeRecord();
}

} // namespace rz
