#pragma once

#include "core/engine_host.h"
#include "core/engine_set_link.h"
#include "core/engine_views.h"
#include "tests/support/call_log.h"

#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace rz {

// The GUI side of the engine seams for tests: records every call as
// "name(arg,arg)" with the thread it ran on; tests set what it answers. Safe to
// call from any thread and to read while calls arrive. The queries a
// follow-playback pass makes (isOpen, tornOffWindowCount) are not recorded.
class RecordingEngineHost : public IEngineHost, public IEngineSetLink, public IEngineViews {
public:
    // The answers; set them before the calls start.
    std::set<FollowView> openViews;
    int tornOffWindows = 0;
    std::optional<TrackViewRows> rows;
    std::map<SetItemHandle, CSongDoc*> itemSongs;

    std::vector<std::string> calls() const;
    std::vector<std::thread::id> threads() const;
    size_t count(std::string_view name) const;
    // True when every recorded call ran on `thread`.
    bool allOn(std::thread::id thread) const;
    void clear();
    // What setCurrentItem left.
    SetItemHandle currentItem() const;
    SetItemHandle previousItem() const;

    void transportChanged() override;
    void selectSetSong(int songNumber) override;
    void OnExternalControl(const ExternalControl& control) override;
    void setFrameTimer(FrameTimer timer) override;
    void playCue() override;
    void tempoMultiplierChanged() override;
    void CancelAdvance(bool step) override;
    void OnSongChanged() override;
    void UpdateAllViews() override;
    void DrawSpectrum(double beatPhase) override;
    void LearnMidi(uint32_t deviceId, uint32_t message) override;

    CSongDoc* songOfItem(SetItemHandle item) const override;
    void startCueTimer() override;
    void setCurrentItem(SetItemHandle item) override;
    void RefreshMarkerStates() override;
    void UpdateTrackSynths() override;

    bool isOpen(FollowView view) const override;
    void followPlayback(FollowView view) override;
    int tornOffWindowCount() const override { return tornOffWindows; }
    void followTornOffWindow(int index) override;
    void clearAttachedFlags() override;
    std::optional<TrackViewRows> trackViewRows() const override;

private:
    template <typename... Args>
    void record(std::string_view name, const Args&... args) const
    {
        std::lock_guard lock(m_mutex);
        m_log.record(name, args...);
        m_threads.push_back(std::this_thread::get_id());
    }

    mutable std::mutex m_mutex;
    mutable CallLog m_log;
    mutable std::vector<std::thread::id> m_threads;
    SetItemHandle m_current = nullptr;
    SetItemHandle m_previous = nullptr;
};

// "tempo", "clip", ... for the log.
const char* followViewName(FollowView view);

} // namespace rz
