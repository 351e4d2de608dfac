#pragma once

#include <QtGlobal>

namespace rz {

// True on the thread that owns the QApplication; false before it exists.
bool isGuiThread();

} // namespace rz

// Debug builds stop when a paint, timer or dialog entry point runs off the
// GUI thread.
#define RZ_ASSERT_GUI_THREAD() Q_ASSERT_X(::rz::isGuiThread(), Q_FUNC_INFO, "not on the GUI thread")
