#pragma once
// Song code calls the views through it (ISongViews); App builds it.

#include "core/song_host.h"

#include <functional>
#include <string>
#include <string_view>

namespace rz {

class CommandRouter;
class MainFrame;
class SongView;
class ViewSlots;

// What the answers reach; the program-wide refreshes stay App's.
struct SongViewSeams {
    ViewSlots& views;
    std::function<CommandRouter&()> router;
    std::function<MainFrame*()> frame; // null before start-up and after close
    std::function<void()> updateAllViews;
    std::function<void()> updateTitle;
    std::function<void()> updateNoteDuration;
    std::function<void(std::string_view)> restoreLayout;
    std::function<void(std::string&)> snapshotLayout;
    std::function<void(std::string_view)> statusText;
    std::function<void()> repaintTransportPanel;
};

// What songs ask of the views: refreshing, showing and activating them.
// GUI thread.
class SongViewCalls : public ISongViews {
public:
    explicit SongViewCalls(SongViewSeams seams) : m_seams(std::move(seams)) {}

    void UpdateAllViews() override { m_seams.updateAllViews(); }
    void updateSongViews(CSongDoc& song, const void* senderView, uint32_t hint) override;
    void UpdateTitle() override { m_seams.updateTitle(); }
    void UpdateNoteDuration() override { m_seams.updateNoteDuration(); }
    void RestoreLayout(std::string_view layout) override { m_seams.restoreLayout(layout); }
    void SetStatusText(std::string_view text) override { m_seams.statusText(text); }
    void stopOverviewWorkers() override;
    void setWaitCursor(bool on) override;
    void activateTempoView(CSongDoc& song) override;
    void activateEditorView(CSongDoc& song) override;
    void activateTrackView(CSongDoc& song) override;
    void showControllerView(CSongDoc& song, int kind, int controller) override;
    void clearEventListSelection(CSongDoc& song) override;
    void repaintTransportPanel() override { m_seams.repaintTransportPanel(); }
    void raiseTornOffWindows() override;
    ControllerLanes controllerLanes(CSongDoc& song) override;
    void SnapshotLayout(std::string& layout) override { m_seams.snapshotLayout(layout); }

private:
    SongView* shownController(int slot) const;

    SongViewSeams m_seams;
};

} // namespace rz
