#pragma once

// The engine calls the views that follow playback: the application's ViewSlots implements IEngineViews.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace rz {

// The views that follow playback.
enum class FollowView : uint8_t {
    Tempo,
    Clip,
    Event,
    Staff,
    Piano,
    Control,
    Lyric,
    Time,
    Slider,
    Track,
    Velocity,
};

// The order in which the follow-playback pass visits the views.
inline constexpr std::array<FollowView, 11> kFollowPlaybackOrder{
    FollowView::Tempo, FollowView::Clip,    FollowView::Event, FollowView::Staff,
    FollowView::Piano, FollowView::Control, FollowView::Lyric, FollowView::Time,
    FollowView::Slider, FollowView::Track,  FollowView::Velocity,
};

// The track view's row selection as the thru tracks need it: rows are track
// indices; -1 stands for no current row.
struct TrackViewRows {
    int currentRow = -1;
    std::vector<int> selectedRows; // ascending
};

// What the engine needs of the editing and staff views. GUI thread only;
// engine threads reach the one call they may make, clearAttachedFlags,
// through EngineToGui.
class IEngineViews {
public:
    virtual ~IEngineViews() = default;

    virtual bool isOpen(FollowView view) const = 0;
    // Keeps the play position visible in the view: the lyric view lays its
    // lyrics out again, the slider view moves its faders to the song's values,
    // the track view does nothing. Called under the SongMutex.
    virtual void followPlayback(FollowView view) = 0;
    // Torn-off view windows; each gets its view's follow call.
    virtual int tornOffWindowCount() const = 0;
    virtual void followTornOffWindow(int index) = 0;
    // After the engine switched songs itself: every view clears its attached
    // flag and re-attaches to the current song.
    virtual void clearAttachedFlags() = 0;
    // Nothing when no track view is open.
    virtual std::optional<TrackViewRows> trackViewRows() const = 0;
};

// The follow-playback pass. GUI thread, under the SongMutex: every open view
// in kFollowPlaybackOrder, then the torn-off windows from the last to the
// first.
inline void followPlaybackPass(IEngineViews& views)
{
    for (FollowView view : kFollowPlaybackOrder) {
        if (views.isOpen(view))
            views.followPlayback(view);
    }
    for (int index = views.tornOffWindowCount() - 1; index >= 0; --index)
        views.followTornOffWindow(index);
}

} // namespace rz
