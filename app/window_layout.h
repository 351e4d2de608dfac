#pragma once
// Songs' layout records reach the live windows through it (SongViewCalls);
// App builds it.

#include "core/layout_record.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class DisplayOptions;
class MainFrame;
class ViewSlots;

struct WindowLayoutSeams {
    ViewSlots& views;
    DisplayOptions& display;             // the zooms a record carries
    std::function<MainFrame*()> frame;   // null before start-up and after close
};

// The window layout record a song carries: taken from the live windows and
// applied back to them. The record comes from song files: only the kinds it
// may name are accepted, and every stored rectangle is kept on the screen as
// the main window's first placement is. GUI thread.
class WindowLayout {
public:
    explicit WindowLayout(WindowLayoutSeams seams) : m_seams(std::move(seams)) {}

    void SnapshotLayout(std::string& layout);
    void RestoreLayout(std::string_view layout);

private:
    void restoreMainPlacement(MainFrame& frame, const LayoutPlacement& placement);
    void restoreTrackRows(int32_t rows);
    void restoreExtraWindows(MainFrame& frame, const std::vector<LayoutExtraWindow>& windows);

    WindowLayoutSeams m_seams;
};

} // namespace rz
