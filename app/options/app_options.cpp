// The Options sheet as the application opens it, and the run-time copies
// its pages update. GUI thread.

#include "app/app.h"

#include "app/desktop/session_inhibitor.h"
#include "app/main_frame.h"
#include "app/options/options_sheet.h"
#include "app/song_advance.h"
#include "core/profile.h"
#include "core/settings.h"
#include "engine/out_port.h"
#include "engine/sequencer.h"
#include "engine/synthdb/synth_db.h"
#include "res/command_ids.h"
#include "set/ui/lyric_view.h"
#include "song/song_doc.h"
#include "views/frame_timer_ids.h"

#include <algorithm>

namespace rz {
bool App::OpenOptions(int startIndex)
{
    PlaybackSources playback;
    if (m_database) {
        playback.database = m_database.get();
        playback.synths = const_cast<ISynthLookup*>(&m_database->lookup());
    }
    playback.audition = [this](int port, int patch, uint32_t note) {
        if (!m_sequencer)
            return;
        const auto ports = m_sequencer->ports();
        if (COutPort* out = ports ? ports->mappedOutput(port) : nullptr)
            out->SelectPatch(patch, note, true);
    };
    COptions sheet(optionsContext(), std::move(playback), startIndex, m_frame);
    return sheet.exec() == QDialog::Accepted;
}

OptionsContext App::optionsContext()
{
    OptionsContext context;
    context.profile = m_profile;
    context.prompt = m_prompt;
    context.openHelp = [this](std::string_view topic) {
        if (m_helpOpener)
            m_helpOpener(topic);
    };
    context.cueColor = [this](int kind) { return m_display.cueColor(kind); };
    context.setCueColor = [this](int kind, Color color) { m_display.setCueColor(kind, color); };
    context.resetCueColors = [this] { m_display.resetCueColors(); };
    context.loadCueColors = [this] { m_display.loadCueColors(*m_profile); };
    context.smoothScroll = [this] { return m_display.smoothScroll(); };
    context.setSmoothScroll = [this](bool on) { m_display.setSmoothScroll(on); };
    context.autoProps = [this] { return m_display.autoProps(); };
    context.setAutoProps = [this](bool on) { m_display.setAutoProps(on); };
    context.setAlwaysOnTop = [this](bool onTop) {
        if (!m_frame)
            return;
        const bool visible = m_frame->isVisible();
        m_frame->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
        if (visible)
            m_frame->show(); // changing the flags hides the window
    };
    context.reloadInhibitor = [this] {
        if (m_frame && m_frame->sessionInhibitor())
            m_frame->sessionInhibitor()->reloadSettings();
    };
    context.restartAutoSave = [this] { m_autoSave->restart(); };
    // The conductor's mapping reaches the engine with the rest of its settings.
    auto followTap = std::make_shared<std::optional<FollowTapSettings>>();
    context.setFollowTap = [followTap](const FollowTapSettings& tap) { *followTap = tap; };
    context.applyEngineSettings = [this, followTap](bool clickChanged) {
        if (!m_sequencer)
            return;
        SequencerSettings settings = readSequencerSettings(*m_profile);
        if (*followTap)
            settings.followTap = **followTap;
        m_sequencer->applySettings(settings);
        if (clickChanged)
            m_sequencer->SelectClickPatch();
    };
    context.lyricFontHeight = [this] { return openLyricFontHeight(); };
    context.updateLyricViews = [this] { reloadLyricViews(); };
    return context;
}

std::optional<int> App::openLyricFontHeight() const
{
    const auto& windows = m_views.extraWindows();
    for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
        if (auto* view = qobject_cast<LyricView*>(window->view.data()))
            return view->fontHeight();
    }
    auto* docked = qobject_cast<LyricView*>(m_views.slot(ViewSlots::kLyric));
    if (docked && m_currentSong && docked->song() == m_currentSong)
        return docked->fontHeight();
    return std::nullopt;
}

// The views lay their lyrics out again under the SongMutex, as when they open.
void App::reloadLyricViews()
{
    if (!m_currentSong)
        return;
    LockGuard guard(SongMutex(), "karaoke options", m_options.lockWait);
    if (!guard)
        return;
    std::vector<SongView*> views{m_views.slot(ViewSlots::kLyric)};
    for (const ViewSlots::ExtraWindow& window : m_views.extraWindows())
        views.push_back(window.view.data());
    for (SongView* view : views) {
        if (qobject_cast<LyricView*>(view) && view->song() == m_currentSong)
            view->initialUpdate();
    }
}

} // namespace rz
