// View -> frame: what a view asks of the window it lives in.
#pragma once

namespace rz {

// What a view asks of the frame it lives in. views/ owns it so that no view
// includes app/; the application implements it. GUI thread.
class IViewHost {
public:
    virtual ~IViewHost() = default;

    // Rebuilds the window title from the open set and song.
    virtual void UpdateTitle() = 0;
    // One beat of the current song back or forward; false without a
    // current song.
    virtual bool stepBeatBack() = 0;
    virtual bool stepBeatForward() = 0;
};

} // namespace rz
