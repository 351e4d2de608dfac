// The Options sheet as the application opens it, and the run-time copies
// its pages update. GUI thread.

#include "app/options/options_access.h"

#include "app/desktop/session_inhibitor.h"
#include "app/display_options.h"
#include "app/main_frame.h"
#include "app/options/options_sheet.h"
#include "app/song_advance.h"
#include "app/view_slots.h"
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

bool OptionsAccess::OpenOptions(int startIndex)
{
    PlaybackSources playback;
    if (SynthDatabase* database = m_seams.database()) {
        playback.database = database;
        playback.synths = const_cast<ISynthLookup*>(&database->lookup());
    }
    playback.audition = [this](int port, int patch, uint32_t note) {
        CSequencer* sequencer = m_seams.sequencer();
        if (!sequencer)
            return;
        const auto ports = sequencer->ports();
        if (COutPort* out = ports ? ports->mappedOutput(port) : nullptr)
            out->SelectPatch(patch, note, true);
    };
    COptions sheet(context(), std::move(playback), startIndex, m_seams.frame());
    return sheet.exec() == QDialog::Accepted;
}

OptionsContext OptionsAccess::context()
{
    OptionsContext context;
    context.profile = &m_seams.profile;
    context.prompt = &m_seams.prompt;
    context.openHelp = [this](std::string_view topic) {
        if (m_helpOpener)
            m_helpOpener(topic);
    };
    context.cueColor = [this](int kind) { return m_seams.display.cueColor(kind); };
    context.setCueColor = [this](int kind, Color color) { m_seams.display.setCueColor(kind, color); };
    context.resetCueColors = [this] { m_seams.display.resetCueColors(); };
    context.loadCueColors = [this] { m_seams.display.loadCueColors(m_seams.profile); };
    context.smoothScroll = [this] { return m_seams.display.smoothScroll(); };
    context.setSmoothScroll = [this](bool on) { m_seams.display.setSmoothScroll(on); };
    context.autoProps = [this] { return m_seams.display.autoProps(); };
    context.setAutoProps = [this](bool on) { m_seams.display.setAutoProps(on); };
    context.setAlwaysOnTop = [this](bool onTop) {
        MainFrame* frame = m_seams.frame();
        if (!frame)
            return;
        const bool visible = frame->isVisible();
        frame->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
        if (visible)
            frame->show(); // changing the flags hides the window
    };
    context.reloadInhibitor = [this] {
        MainFrame* frame = m_seams.frame();
        if (frame && frame->sessionInhibitor())
            frame->sessionInhibitor()->reloadSettings();
    };
    context.restartAutoSave = [this] { m_seams.autoSave.restart(); };
    // The conductor's mapping reaches the engine with the rest of its settings.
    auto followTap = std::make_shared<std::optional<FollowTapSettings>>();
    context.setFollowTap = [followTap](const FollowTapSettings& tap) { *followTap = tap; };
    context.applyEngineSettings = [this, followTap](bool clickChanged) {
        CSequencer* sequencer = m_seams.sequencer();
        if (!sequencer)
            return;
        SequencerSettings settings = readSequencerSettings(m_seams.profile);
        if (*followTap)
            settings.followTap = **followTap;
        sequencer->applySettings(settings);
        if (clickChanged)
            sequencer->SelectClickPatch();
    };
    context.lyricFontHeight = [this] { return openLyricFontHeight(); };
    context.updateLyricViews = [this] { reloadLyricViews(); };
    return context;
}

std::optional<int> OptionsAccess::openLyricFontHeight() const
{
    const auto& windows = m_seams.views.extraWindows();
    for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
        if (auto* view = qobject_cast<LyricView*>(window->view.data()))
            return view->fontHeight();
    }
    auto* docked = qobject_cast<LyricView*>(m_seams.views.slot(ViewSlots::kLyric));
    CSongDoc* song = m_seams.currentSong();
    if (docked && song && docked->song() == song)
        return docked->fontHeight();
    return std::nullopt;
}

// The views lay their lyrics out again under the SongMutex, as when they open.
void OptionsAccess::reloadLyricViews()
{
    CSongDoc* song = m_seams.currentSong();
    if (!song)
        return;
    LockGuard guard(SongMutex(), "karaoke options", m_seams.lockWait);
    if (!guard)
        return;
    std::vector<SongView*> views{m_seams.views.slot(ViewSlots::kLyric)};
    for (const ViewSlots::ExtraWindow& window : m_seams.views.extraWindows())
        views.push_back(window.view.data());
    for (SongView* view : views) {
        if (qobject_cast<LyricView*>(view) && view->song() == song)
            view->initialUpdate();
    }
}

} // namespace rz
