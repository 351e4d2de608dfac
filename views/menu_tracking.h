#pragma once

namespace rz {

// Whether a pop-up menu is open anywhere in the program: the main frame
// reads it while a menu tracks the mouse. GUI thread.
bool frameMenuTracking();

} // namespace rz
