// The main frame's numbered timers: the id alone selects the action. Each
// runs on the GUI thread in message order, also when an engine thread asked
// for it. GUI thread.

#include "app/app.h"
#include "app/help_commands.h"

#include "app/app_single_instance.h"
#include "app/flat_status_bar.h"
#include "app/main_frame.h"
#include "app/maps/external_controls.h"
#include "app/song_advance.h"
#include "app/maps/app_startup_accel.h"
#include "app/menu_bar.h"
#include "core/engine_link.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/tempo_multiplier.h"
#include "engine/sequencer.h"
#include "set/set_document.h"
#include "ui/gui_thread.h"
#include "ui/key_filter.h"
#include "views/frame_timer_ids.h"

#include <QLocale>
#include <QTime>

#include <cstdlib>

namespace rz {
namespace {

using namespace frame_timer;

constexpr int kIdleVstPeriodMs = 100;
constexpr int kMailslotPeriodMs = 1000;

bool isPaneRequest(int id)
{
    return id >= kFirstPaneView && id <= kLastPaneView && id != kLastEditorView + 1;
}

bool isTornOffRequest(int id)
{
    return id == kStaffWindow || id == kLeadSheetWindow
           || (id >= kTracksWindow && id <= kLyricLargest);
}

} // namespace

void App::onFrameTimer(int id)
{
    RZ_ASSERT_GUI_THREAD();
    if (!m_frame)
        return;
    if (isPaneRequest(id))
        return paneViewRequest(id);
    if (isTornOffRequest(id))
        return tornOffViewRequest(id);
    switch (id) {
    case kIdleVstEditors:
        if (m_sequencer)
            m_sequencer->IdleVstEditors();
        else
            m_frame->timers().kill(id);
        return;
    case kTempoReturn: return conductorReturn();
    case kControlRepeat: return m_externalControls->repeat();
    case kStartup: return startupStep();
    case kAutoSave: return m_autoSave->minute();
    case kSkipSwitched: return followSongChange();
    case kSongEnded: return m_advance->songEnded();
    case kAdvance: return m_advance->advanceStep();
    case kMailslot: return mailslotAndClock();
    case kUpdateNotice: return m_commands.help->updateNotice();
    default:
        // Unknown ids, and ids whose work other parts of the program bring.
        m_frame->timers().kill(id);
        return;
    }
}

// Once, 1.5 s after start: the layout, the chosen accelerators, the desktop's
// file types, the file opened last, then the one-second timer.
void App::startupStep()
{
    m_frame->timers().kill(kStartup);
    m_frame->placePanes();
    m_frame->repaint();
    loadStartupAccelerators();
    registerFileTypes(); // its questions come over the window
    if (!m_set->hasFile() && m_currentSong == nullptr
        && readSetting(*m_profile, settings::kStartAutoOpen) != 0) {
        const std::string path = readSettingText(*m_profile, settings::kStartAutoOpenPath);
        if (!path.empty())
            OpenDocumentFile(path);
    }
    startupTip();
    m_commands.help->startUpdateCheck();
    UpdateNoteDuration();
    m_startupDone = true;
    m_frame->timers().start(kMailslot, kMailslotPeriodMs);
    UpdateTitle();
}

void App::loadStartupAccelerators()
{
    std::optional<AccelTable> table = readStartupAccelTable(*m_profile);
    if (!table)
        return;
    m_keys->setTable(std::move(*table));
    m_frame->menuBar()->refreshKeyTexts();
}

// A tapped tempo returns to 100 % by rate per mille of the distance a
// step. A step never passes 100 %: a rate above 1000 from a hand-edited
// profile would swing ever wider.
void App::conductorReturn()
{
    const int rate = readSetting(*m_profile, settings::kFollowTapEnableTempoNorm) != 0
                         ? readSetting(*m_profile, settings::kFollowTapReturnRate)
                         : 0;
    const int32_t multiplier = tempoMultiplier();
    if (rate <= 0 || multiplier == kNormalMultiplier) {
        m_frame->timers().kill(kTempoReturn);
        return;
    }
    const int64_t distance = std::llabs(int64_t(multiplier) - kNormalMultiplier);
    const int64_t step = std::clamp<int64_t>(distance * rate / 1000, 1, distance);
    SetTempoMultiplier(int32_t(multiplier >= kNormalMultiplier ? multiplier - step
                                                               : multiplier + step),
                       false);
}

// The engine moved on to the next song of the set by itself.
void App::followSongChange()
{
    m_frame->timers().kill(kSkipSwitched);
    SetCurrentSong(m_set->current());
    m_set->navigator().RevealCurrentSong();
    BroadcastToViews();
}

void App::mailslotAndClock()
{
    ReadMailslot();
    if (m_secondTicks % 10 == 0 && (m_currentSong == nullptr || m_currentSong->selectionTo < 0))
        showClock();
    ++m_secondTicks;
}

// Hours and minutes in the user's locale: a format that shows seconds
// loses them, from its last ':' for three characters.
void App::showClock()
{
    QString text = QLocale::system().toString(QTime::currentTime(), QLocale::ShortFormat);
    if (text.count(':') > 1)
        text.remove(text.lastIndexOf(':'), 3);
    m_statusLine.setPane(3, text);
}

void App::ReadMailslot()
{
    if (m_readingMailslot || !m_instance)
        return;
    m_readingMailslot = true;
    for (const HandOverMessage& message : m_instance->takeMessages()) {
        if (message.command != kRestoreCommand)
            continue;
        if (m_frame->isMinimized())
            m_frame->showNormal();
        m_frame->raise();
        m_frame->activateWindow();
        if (message.path.empty())
            continue;
        const std::filesystem::path path(message.path);
        if (m_set->hasFile() && m_set->findSongByName(path))
            m_set->navigator().FindSongByName(path);
        else
            OpenDocumentFile(path);
    }
    m_readingMailslot = false;
}

} // namespace rz
