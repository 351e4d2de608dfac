#pragma once

namespace rz {

// Whether a view's pop-up menu is open: the main frame reads it while the
// menu tracks the mouse. GUI thread.
bool frameMenuTracking();

// Sets the flag for its lifetime.
class MenuTrackingScope {
public:
    MenuTrackingScope();
    ~MenuTrackingScope();
    MenuTrackingScope(const MenuTrackingScope&) = delete;
    MenuTrackingScope& operator=(const MenuTrackingScope&) = delete;

private:
    bool m_previous;
};

} // namespace rz
