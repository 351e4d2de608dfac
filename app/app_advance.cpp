// The end of a song and the step to the next one of the set, and the
// auto-save minute that writes AutoRecover copies: the main frame's
// song-ended, advance and auto-save timers. GUI thread.

#include "app/app.h"

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
void App::songEnded()
{
    m_frame->timers().kill(frame_timer::kSongEnded);
    if (m_engine->transportState() != TransportState::SongEnded)
        return;
    m_engine->Pause();
    CSongDoc* song = m_currentSong;
    if (m_engine->recording() || (song && song->position() < song->endTick)) {
        if (song)
            song->OnTimerCues();
        transportChanged();
        return;
    }
    m_engine->Stop(false);
    m_frame->repaint();
    if (m_songRecorder != nullptr) {
        // The recorder plays the songs itself: it ends the file and moves on.
        m_songRecorder->songEnded();
        transportChanged();
        return;
    }
    if (!m_performanceMode || m_set->size() == 0) {
        UpdateAllViews();
    } else if (const int wait = std::max(readSetting(*m_profile, settings::kPlaybackAdvanceWait),
                                         0);
               wait != 0) {
        m_advanceCountdown = wait;
        m_frame->timers().start(frame_timer::kAdvance, kAdvanceStepMs);
    } else {
        StepSong();
        if (readSetting(*m_profile, settings::kPlaybackAdvancePlay) != 0)
            m_engine->Advance(false);
    }
    transportChanged();
}

// The countdown text stays off the status line while it shows a command's
// prompt; the countdown runs on.
void App::advanceStep()
{
    m_advanceCountdown -= kAdvanceStepMs;
    if (m_advanceCountdown <= 0) {
        m_advanceCountdown = 1;
        CancelAdvance(true);
        return;
    }
    if (isIdlePrompt(promptId()))
        setStatusPane(0, QString::asprintf(kAdvanceText, m_advanceCountdown / 1000,
                                           (m_advanceCountdown % 1000) / 100));
}

void App::CancelAdvance(bool step)
{
    if (m_advanceCountdown == 0)
        return;
    m_advanceCountdown = 0;
    if (m_frame) {
        m_frame->timers().kill(frame_timer::kAdvance);
        setPromptId(promptId());
    }
    if (!step)
        return;
    StepSong();
    if (readSetting(*m_profile, settings::kPlaybackAdvancePlay) != 0)
        m_engine->Advance(false);
}

// A marked song first, then the next enabled one; a song that cannot be
// read is passed over.
bool App::StepSong()
{
    return m_set->navigator().StepSong();
}

// The due minute waits while the transport runs and tries again a minute
// later; the countdown stays at 1 meanwhile.
void App::autoSaveMinute()
{
    m_frame->timers().kill(frame_timer::kAutoSave);
    if (m_autoSaveCountdown == 0)
        return;
    if (m_autoSaveCountdown == 1) {
        if (m_engine->transportState() != TransportState::Stopped) {
            m_frame->timers().start(frame_timer::kAutoSave, kAutoSavePeriodMs);
            return;
        }
        writeAutoRecoverCopies();
        m_autoSaveCountdown =
            std::max(readSetting(*m_profile, settings::kSaveAutoSaveMin), 1)
            + 1;
    }
    --m_autoSaveCountdown;
    m_frame->timers().start(frame_timer::kAutoSave, kAutoSavePeriodMs);
}

// Each song's copy is named by AutoRecoverPath, so "x.mid" and "x.kar" keep
// copies of their own. A song without a file has no name for a copy.
void App::writeAutoRecoverCopies()
{
    for (CSongDoc* each : m_set->songs()) {
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
