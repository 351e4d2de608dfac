// The end of a song and the step to the next one of the set, and the
// auto-save minute that writes AutoRecover copies. GUI thread.

#include "app/song_advance.h"

#include "app/flat_status_bar.h"
#include "app/frame_timers.h"
#include "app/main_frame.h"
#include "core/engine_link.h"
#include "core/profile.h"
#include "core/settings.h"
#include "engine/audio/song_recorder.h"
#include "set/set_document.h"
#include "song/auto_recover.h"
#include "views/frame_timer_ids.h"

#include <algorithm>

namespace rz {
namespace {

constexpr int kAutoSavePeriodMs = 60000;
constexpr int kAdvanceStepMs = 250;

constexpr const char* kAdvanceText =
    "Advancing in %d.%d seconds; use Play/Cue to skip, Play/Stop to cancel.";

bool isIdlePrompt(uint32_t id)
{
    return id == kIdlePromptId || id == kPerformanceIdlePromptId;
}

} // namespace

// Only while the engine still stands at the song end: a Stop, a start or a
// jump since then is the performer's, and pausing now would undo it.
void SongAdvance::songEnded()
{
    MainFrame& frame = *m_seams.frame();
    IEngineLink& engine = m_seams.engine();
    frame.timers().kill(frame_timer::kSongEnded);
    if (engine.transportState() != TransportState::SongEnded)
        return;
    engine.Pause();
    CSongDoc* song = m_seams.currentSong();
    if (engine.recording() || (song && song->position() < song->endTick)) {
        if (song)
            song->OnTimerCues();
        m_seams.transportChanged();
        return;
    }
    engine.Stop(false);
    frame.repaint();
    if (m_recorder != nullptr) {
        // The recorder plays the songs itself: it ends the file and moves on.
        m_recorder->songEnded();
        m_seams.transportChanged();
        return;
    }
    if (!m_seams.performanceMode() || !hasSongToStepTo()) {
        m_seams.updateAllViews();
    } else if (const int wait =
                   std::max(readSetting(m_seams.profile, settings::kPlaybackAdvanceWait), 0);
               wait != 0) {
        m_countedFor = m_seams.set().tree().currentSongItem();
        m_countdown = wait;
        frame.timers().start(frame_timer::kAdvance, kAdvanceStepMs);
    } else {
        m_countedFor = m_seams.set().tree().currentSongItem();
        stepAndPlay();
    }
    m_seams.transportChanged();
}

// Nothing to count down to after the last song that can be played, nor
// again for the song a countdown already began for: a song of no length
// reports its end over and over.
bool SongAdvance::hasSongToStepTo() const
{
    SetDocument& set = m_seams.set();
    if (set.size() == 0)
        return false;
    const SetTreeItem* current = set.tree().currentSongItem();
    return current != m_countedFor && set.navigator().FindAdjacentSong(false, true) != nullptr;
}

// Plays on only when the step reached another song: the one that ended
// would end again at once.
void SongAdvance::stepAndPlay()
{
    if (!stepSong())
        return;
    m_countedFor = nullptr;
    if (readSetting(m_seams.profile, settings::kPlaybackAdvancePlay) != 0)
        m_seams.engine().Advance(false);
}

// The countdown text stays off the status line while it shows a command's
// prompt; the countdown runs on.
void SongAdvance::advanceStep()
{
    if (m_countdown == 0)
        return;
    m_countdown -= kAdvanceStepMs;
    if (m_countdown <= 0) {
        m_countdown = 1;
        cancel(true);
        return;
    }
    MainFrame* frame = m_seams.frame();
    if (frame && isIdlePrompt(frame->promptId()))
        frame->statusBar()->setPartText(
            0, QString::asprintf(kAdvanceText, m_countdown / 1000, (m_countdown % 1000) / 100));
}

void SongAdvance::cancel(bool step)
{
    if (m_countdown == 0)
        return;
    m_countdown = 0;
    if (MainFrame* frame = m_seams.frame()) {
        frame->timers().kill(frame_timer::kAdvance);
        frame->setPromptId(frame->promptId());
    }
    if (step)
        stepAndPlay();
    else
        m_countedFor = nullptr; // the performer's Stop: a new play may advance again
}

// A song that cannot be read or holds nothing to play is passed over.
bool SongAdvance::stepSong()
{
    return m_seams.set().navigator().StepSong(true);
}

void AutoSave::restart()
{
    MainFrame* frame = m_seams.frame();
    if (!frame)
        return;
    if (readSetting(m_seams.profile, settings::kSaveAutoSave) == 0) {
        frame->timers().kill(frame_timer::kAutoSave);
        m_countdown = 0;
        return;
    }
    m_countdown = std::max(readSetting(m_seams.profile, settings::kSaveAutoSaveMin), 1);
    frame->timers().start(frame_timer::kAutoSave, kAutoSavePeriodMs);
}

// The due minute waits while the transport runs and tries again a minute
// later; the countdown stays at 1 meanwhile.
void AutoSave::minute()
{
    FrameTimers& timers = m_seams.frame()->timers();
    timers.kill(frame_timer::kAutoSave);
    if (m_countdown == 0)
        return;
    if (m_countdown == 1) {
        if (m_seams.engine().transportState() != TransportState::Stopped) {
            timers.start(frame_timer::kAutoSave, kAutoSavePeriodMs);
            return;
        }
        writeAutoRecoverCopies();
        m_countdown = std::max(readSetting(m_seams.profile, settings::kSaveAutoSaveMin), 1) + 1;
    }
    --m_countdown;
    timers.start(frame_timer::kAutoSave, kAutoSavePeriodMs);
}

// Each song's copy is named by AutoRecoverPath, so "x.mid" and "x.kar" keep
// copies of their own. A song without a file has no name for a copy.
void AutoSave::writeAutoRecoverCopies()
{
    for (CSongDoc* each : m_seams.set().songs()) {
        CSongDoc& song = *each;
        if (song.pathName.empty())
            continue;
        if (song.IsModified()) {
            if (song.OnSaveDocument(AutoRecoverPath(song.pathName)))
                song.autoRecoverMark = true;
        } else if (song.autoRecoverMark) {
            deleteAutoRecoverCopy(song.pathName);
            song.autoRecoverMark = false;
        }
    }
}

} // namespace rz
