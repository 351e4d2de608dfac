#include "engine/gui_posts.h"

#include "core/locks.h"

#include <atomic>
#include <utility>

namespace rz {

// What posted calls share with the adapter. Each posted call keeps it alive,
// so a call that runs after the adapter was destroyed finds `alive` false.
struct GuiPosts::Shared {
    IEngineHost& host;
    IEngineSetLink& set;
    IEngineViews& views;
    std::atomic<bool> alive{true};

    Shared(IEngineHost& h, IEngineSetLink& s, IEngineViews& v) : host(h), set(s), views(v) {}
};

GuiPosts::GuiPosts(IGuiPost& gui, std::thread::id guiThread, IEngineHost& host,
                   IEngineSetLink& set, IEngineViews& views)
    : m_gui(gui), m_guiThread(guiThread), m_shared(std::make_shared<Shared>(host, set, views))
{
}

GuiPosts::~GuiPosts()
{
    m_shared->alive.store(false, std::memory_order_release);
}

// Any thread: runs `call` at once on the GUI thread, posts it from any other.
template <class Call>
void GuiPosts::toGui(Call call)
{
    if (onGuiThread()) {
        call(*m_shared);
        return;
    }
    m_gui.postToGui([shared = m_shared, call = std::move(call)] {
        if (shared->alive.load(std::memory_order_acquire))
            call(*shared);
    });
}

void GuiPosts::transportChanged()
{
    toGui([](Shared& s) { s.host.transportChanged(); });
}

bool GuiPosts::selectSetSong(int songNumber)
{
    if (songNumber < 0 || songNumber > 127)
        return false;
    toGui([songNumber](Shared& s) { s.host.selectSetSong(songNumber); });
    return true;
}

void GuiPosts::externalControlPress(uint32_t entry, uint32_t message)
{
    const ExternalControl control{ExternalControlKind::Press, entry, message};
    toGui([control](Shared& s) { s.host.OnExternalControl(control); });
}

void GuiPosts::externalControlRelease()
{
    const ExternalControl control{ExternalControlKind::Release, kReleaseEntry, 0};
    toGui([control](Shared& s) { s.host.OnExternalControl(control); });
}

void GuiPosts::tempoBend(uint32_t bendMessage)
{
    const ExternalControl control{ExternalControlKind::TempoBend, kTempoBendEntry, bendMessage};
    toGui([control](Shared& s) { s.host.OnExternalControl(control); });
}

void GuiPosts::setFrameTimer(FrameTimer timer)
{
    toGui([timer](Shared& s) { s.host.setFrameTimer(timer); });
}

void GuiPosts::playCue()
{
    toGui([](Shared& s) { s.host.playCue(); });
}

bool GuiPosts::SetTempoMultiplier(int32_t multiplier, bool resetStep)
{
    if (multiplier <= 0)
        return false;
    toGui([=](Shared& s) { s.host.SetTempoMultiplier(multiplier, resetStep); });
    return true;
}

void GuiPosts::CancelAdvance(bool step)
{
    toGui([step](Shared& s) { s.host.CancelAdvance(step); });
}

void GuiPosts::OnSongChanged()
{
    toGui([](Shared& s) { s.host.OnSongChanged(); });
}

void GuiPosts::UpdateAllViews()
{
    toGui([](Shared& s) { s.host.UpdateAllViews(); });
}

void GuiPosts::DrawSpectrum(double beatPhase)
{
    toGui([beatPhase](Shared& s) { s.host.DrawSpectrum(beatPhase); });
}

void GuiPosts::LearnMidi(uint32_t deviceId, uint32_t message)
{
    toGui([=](Shared& s) { s.host.LearnMidi(deviceId, message); });
}

void GuiPosts::startCueTimer()
{
    toGui([](Shared& s) { s.set.startCueTimer(); });
}

void GuiPosts::setCurrentItem(SetItemHandle item)
{
    toGui([item](Shared& s) { s.set.setCurrentItem(item); });
}

void GuiPosts::RefreshMarkerStates()
{
    toGui([](Shared& s) { s.set.RefreshMarkerStates(); });
}

void GuiPosts::UpdateTrackSynths()
{
    toGui([](Shared& s) { s.set.UpdateTrackSynths(); });
}

void GuiPosts::clearAttachedFlags()
{
    toGui([](Shared& s) { s.views.clearAttachedFlags(); });
}

CSongDoc* GuiPosts::songOfItem(SetItemHandle item) const
{
    return m_shared->set.songOfItem(item);
}

bool GuiPosts::followPlayback()
{
    if (!onGuiThread() || !SongMutex().heldByThisThread())
        return false;
    followPlaybackPass(m_shared->views);
    return true;
}

std::optional<TrackViewRows> GuiPosts::trackViewRows() const
{
    if (!onGuiThread())
        return std::nullopt;
    return m_shared->views.trackViewRows();
}

} // namespace rz
