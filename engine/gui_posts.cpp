#include "engine/gui_posts.h"

#include "core/locks.h"

#include <atomic>
#include <utility>

namespace rz {

// What posted calls share with the adapter. Each posted call keeps it alive,
// so a call that runs after the adapter was destroyed finds `alive` false.
struct EngineToGui::Shared {
    IEngineHost& host;
    IEngineSetLink& set;
    IEngineViews& views;
    std::atomic<bool> alive{true};

    Shared(IEngineHost& h, IEngineSetLink& s, IEngineViews& v) : host(h), set(s), views(v) {}
};

EngineToGui::EngineToGui(IGuiThreadQueue& gui, std::thread::id guiThread, IEngineHost& host,
                   IEngineSetLink& set, IEngineViews& views)
    : m_gui(gui), m_guiThread(guiThread), m_shared(std::make_shared<Shared>(host, set, views))
{
}

EngineToGui::~EngineToGui()
{
    m_shared->alive.store(false, std::memory_order_release);
}

// Any thread: runs `call` at once on the GUI thread, posts it from any other.
template <class Call>
void EngineToGui::toGui(Call call)
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

void EngineToGui::transportChanged()
{
    toGui([](Shared& s) { s.host.transportChanged(); });
}

bool EngineToGui::selectSetSong(int songNumber)
{
    if (songNumber < 0 || songNumber > 127)
        return false;
    toGui([songNumber](Shared& s) { s.host.selectSetSong(songNumber); });
    return true;
}

void EngineToGui::externalControlPress(uint32_t entry, uint32_t message)
{
    const ExternalControl control{ExternalControlKind::Press, entry, message};
    toGui([control](Shared& s) { s.host.OnExternalControl(control); });
}

void EngineToGui::externalControlRelease()
{
    const ExternalControl control{ExternalControlKind::Release, kReleaseEntry, 0};
    toGui([control](Shared& s) { s.host.OnExternalControl(control); });
}

void EngineToGui::tempoBend(uint32_t bendMessage)
{
    const ExternalControl control{ExternalControlKind::TempoBend, kTempoBendEntry, bendMessage};
    toGui([control](Shared& s) { s.host.OnExternalControl(control); });
}

void EngineToGui::setFrameTimer(FrameTimer timer)
{
    toGui([timer](Shared& s) { s.host.setFrameTimer(timer); });
}

void EngineToGui::playCue()
{
    toGui([](Shared& s) { s.host.playCue(); });
}

void EngineToGui::tempoMultiplierChanged()
{
    toGui([](Shared& s) { s.host.tempoMultiplierChanged(); });
}

void EngineToGui::CancelAdvance(bool step)
{
    toGui([step](Shared& s) { s.host.CancelAdvance(step); });
}

void EngineToGui::OnSongChanged()
{
    toGui([](Shared& s) { s.host.OnSongChanged(); });
}

void EngineToGui::UpdateAllViews()
{
    toGui([](Shared& s) { s.host.UpdateAllViews(); });
}

void EngineToGui::DrawSpectrum(double beatPhase)
{
    toGui([beatPhase](Shared& s) { s.host.DrawSpectrum(beatPhase); });
}

void EngineToGui::LearnMidi(uint32_t deviceId, uint32_t message)
{
    toGui([=](Shared& s) { s.host.LearnMidi(deviceId, message); });
}

void EngineToGui::startCueTimer()
{
    toGui([](Shared& s) { s.set.startCueTimer(); });
}

void EngineToGui::setCurrentItem(SetItemHandle item)
{
    toGui([item](Shared& s) { s.set.setCurrentItem(item); });
}

void EngineToGui::RefreshMarkerStates()
{
    toGui([](Shared& s) { s.set.RefreshMarkerStates(); });
}

void EngineToGui::UpdateTrackSynths()
{
    toGui([](Shared& s) { s.set.UpdateTrackSynths(); });
}

void EngineToGui::clearAttachedFlags()
{
    toGui([](Shared& s) { s.views.clearAttachedFlags(); });
}

CSongDoc* EngineToGui::songOfItem(SetItemHandle item) const
{
    return m_shared->set.songOfItem(item);
}

bool EngineToGui::followPlayback()
{
    if (!onGuiThread() || !SongMutex().heldByThisThread())
        return false;
    followPlaybackPass(m_shared->views);
    return true;
}

std::optional<TrackViewRows> EngineToGui::trackViewRows() const
{
    if (!onGuiThread())
        return std::nullopt;
    return m_shared->views.trackViewRows();
}

} // namespace rz
