#include "tests/support/recording_engine_host.h"

#include <algorithm>

namespace rz {

namespace {

const char* externalControlKindName(ExternalControlKind kind)
{
    switch (kind) {
    case ExternalControlKind::Press: return "press";
    case ExternalControlKind::Release: return "release";
    case ExternalControlKind::TempoBend: return "bend";
    }
    return "?";
}

} // namespace

const char* followViewName(FollowView view)
{
    static constexpr const char* kNames[] = {"tempo", "clip", "event", "staff",
                                             "piano", "control", "lyric", "time",
                                             "slider", "track", "velocity"};
    const auto index = size_t(view);
    return index < std::size(kNames) ? kNames[index] : "?";
}

std::vector<std::string> RecordingEngineHost::calls() const
{
    std::lock_guard lock(m_mutex);
    return m_log.calls();
}

std::vector<std::thread::id> RecordingEngineHost::threads() const
{
    std::lock_guard lock(m_mutex);
    return m_threads;
}

size_t RecordingEngineHost::count(std::string_view name) const
{
    std::lock_guard lock(m_mutex);
    return m_log.count(name);
}

bool RecordingEngineHost::allOn(std::thread::id thread) const
{
    std::lock_guard lock(m_mutex);
    return std::all_of(m_threads.begin(), m_threads.end(),
                       [&](std::thread::id t) { return t == thread; });
}

void RecordingEngineHost::clear()
{
    std::lock_guard lock(m_mutex);
    m_log.clear();
    m_threads.clear();
}

SetItemHandle RecordingEngineHost::currentItem() const
{
    std::lock_guard lock(m_mutex);
    return m_current;
}

SetItemHandle RecordingEngineHost::previousItem() const
{
    std::lock_guard lock(m_mutex);
    return m_previous;
}

void RecordingEngineHost::transportChanged() { record("transportChanged"); }

void RecordingEngineHost::selectSetSong(int songNumber) { record("selectSetSong", songNumber); }

void RecordingEngineHost::OnExternalControl(const ExternalControl& control)
{
    record("OnExternalControl", externalControlKindName(control.kind), control.entry,
           control.message);
}

void RecordingEngineHost::setFrameTimer(FrameTimer timer)
{
    record("setFrameTimer", uint32_t(timer));
}

void RecordingEngineHost::playCue() { record("playCue"); }

void RecordingEngineHost::tempoMultiplierChanged() { record("tempoMultiplierChanged"); }

void RecordingEngineHost::CancelAdvance(bool step) { record("CancelAdvance", step); }

void RecordingEngineHost::OnSongChanged() { record("OnSongChanged"); }

void RecordingEngineHost::UpdateAllViews() { record("UpdateAllViews"); }

void RecordingEngineHost::DrawSpectrum(double beatPhase) { record("DrawSpectrum", beatPhase); }

void RecordingEngineHost::LearnMidi(uint32_t deviceId, uint32_t message)
{
    record("LearnMidi", deviceId, message);
}

CSongDoc* RecordingEngineHost::songOfItem(SetItemHandle item) const
{
    record("songOfItem", static_cast<const void*>(item));
    const auto found = itemSongs.find(item);
    return found == itemSongs.end() ? nullptr : found->second;
}

void RecordingEngineHost::startCueTimer() { record("startCueTimer"); }

void RecordingEngineHost::setCurrentItem(SetItemHandle item)
{
    record("setCurrentItem", static_cast<const void*>(item));
    std::lock_guard lock(m_mutex);
    m_previous = m_current;
    m_current = item;
}

void RecordingEngineHost::RefreshMarkerStates() { record("RefreshMarkerStates"); }

void RecordingEngineHost::UpdateTrackSynths() { record("UpdateTrackSynths"); }

bool RecordingEngineHost::isOpen(FollowView view) const { return openViews.count(view) != 0; }

void RecordingEngineHost::followPlayback(FollowView view)
{
    record("followPlayback", followViewName(view));
}

void RecordingEngineHost::followTornOffWindow(int index)
{
    record("followTornOffWindow", index);
}

void RecordingEngineHost::clearAttachedFlags() { record("clearAttachedFlags"); }

std::optional<TrackViewRows> RecordingEngineHost::trackViewRows() const
{
    record("trackViewRows");
    return rows;
}

} // namespace rz
