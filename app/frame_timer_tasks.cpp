// The main frame's timer tasks. GUI thread.

#include "app/frame_timer_tasks.h"

#include "app/app_single_instance.h"
#include "app/main_frame.h"
#include "app/status_line.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/tempo_multiplier.h"
#include "engine/sequencer.h"
#include "set/set_document.h"
#include "ui/gui_thread.h"
#include "views/frame_timer_ids.h"

#include <QLocale>
#include <QTime>

#include <cstdlib>

namespace rz {
namespace {

bool isPaneRequest(int id)
{
    using namespace frame_timer;
    return id >= kFirstPaneView && id <= kLastPaneView && id != kLastEditorView + 1;
}

bool isTornOffRequest(int id)
{
    using namespace frame_timer;
    return id == kStaffWindow || id == kLeadSheetWindow
           || (id >= kTracksWindow && id <= kLyricLargest);
}

} // namespace

void FrameTimerTasks::onFrameTimer(int id)
{
    RZ_ASSERT_GUI_THREAD();
    MainFrame* frame = m_seams.frame();
    if (!frame)
        return;
    if (isPaneRequest(id))
        return m_seams.paneViewRequest(id);
    if (isTornOffRequest(id))
        return m_seams.tornOffViewRequest(id);
    using namespace frame_timer;
    switch (id) {
    case kIdleVstEditors:
        if (CSequencer* sequencer = m_seams.sequencer())
            sequencer->IdleVstEditors();
        else
            frame->timers().kill(id);
        return;
    case kTempoReturn: return conductorReturn(*frame);
    case kControlRepeat: return m_seams.controlRepeat();
    case kStartup: return m_seams.startupStep();
    case kAutoSave: return m_seams.autoSaveMinute();
    case kSkipSwitched: return followSongChange(*frame);
    case kSongEnded: return m_seams.songEnded();
    case kAdvance: return m_seams.advanceStep();
    case kMailslot: return mailslotAndClock();
    case kUpdateNotice: return m_seams.updateNotice();
    default:
        // Unknown ids, and ids whose work other parts of the program bring.
        frame->timers().kill(id);
        return;
    }
}

// A tapped tempo returns to 100 % by rate per mille of the distance a
// step. A step never passes 100 %: a rate above 1000 from a hand-edited
// profile would swing ever wider.
void FrameTimerTasks::conductorReturn(MainFrame& frame)
{
    const int rate = readSetting(m_seams.profile, settings::kFollowTapEnableTempoNorm) != 0
                         ? readSetting(m_seams.profile, settings::kFollowTapReturnRate)
                         : 0;
    const int32_t multiplier = m_seams.tempoMultiplier();
    if (rate <= 0 || multiplier == kNormalMultiplier) {
        frame.timers().kill(frame_timer::kTempoReturn);
        return;
    }
    const int64_t distance = std::llabs(int64_t(multiplier) - kNormalMultiplier);
    const int64_t step = std::clamp<int64_t>(distance * rate / 1000, 1, distance);
    m_seams.setTempoMultiplier(
        int32_t(multiplier >= kNormalMultiplier ? multiplier - step : multiplier + step), false);
}

// The engine moved on to the next song of the set by itself.
void FrameTimerTasks::followSongChange(MainFrame& frame)
{
    frame.timers().kill(frame_timer::kSkipSwitched);
    SetDocument& set = m_seams.set();
    m_seams.setCurrentSong(set.current());
    set.navigator().RevealCurrentSong();
    m_seams.broadcastToViews();
}

void FrameTimerTasks::mailslotAndClock()
{
    ReadMailslot();
    const CSongDoc* song = m_seams.currentSong();
    if (m_secondTicks % 10 == 0 && (song == nullptr || song->selectionTo < 0))
        showClock();
    ++m_secondTicks;
}

// Hours and minutes in the user's locale: a format that shows seconds
// loses them, from its last ':' for three characters.
void FrameTimerTasks::showClock()
{
    QString text = QLocale::system().toString(QTime::currentTime(), QLocale::ShortFormat);
    if (text.count(':') > 1)
        text.remove(text.lastIndexOf(':'), 3);
    m_seams.statusLine.setPane(3, text);
}

void FrameTimerTasks::ReadMailslot()
{
    SingleInstance* instance = m_seams.instance();
    MainFrame* frame = m_seams.frame();
    if (m_readingMailslot || !instance || !frame)
        return;
    m_readingMailslot = true;
    for (const HandOverMessage& message : instance->takeMessages()) {
        if (message.command != kRestoreCommand)
            continue;
        if (frame->isMinimized())
            frame->showNormal();
        frame->raise();
        frame->activateWindow();
        if (message.path.empty())
            continue;
        const std::filesystem::path path(message.path);
        SetDocument& set = m_seams.set();
        if (set.hasFile() && set.findSongByName(path))
            set.navigator().FindSongByName(path);
        else
            m_seams.open(path);
    }
    m_readingMailslot = false;
}

} // namespace rz
