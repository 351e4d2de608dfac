#pragma once
// Song code calls the application through it: App hands it to every song.

#include "core/song_host.h"

namespace rz {

// The one ISongHost songs see, answered by the objects that hold each role:
// App for the views, the current song and the files, DisplayOptions for the
// display and editing options. GUI thread.
class SongHostParts final : public ISongHost {
public:
    SongHostParts(ISongViews& views, ICurrentSongHost& current, ISongDisplayOptions& display,
                  ISongFilesHost& files)
        : m_views(views), m_current(current), m_display(display), m_files(files)
    {
    }

    // ISongViews.
    void UpdateAllViews() override { m_views.UpdateAllViews(); }
    void updateSongViews(CSongDoc& song, const void* sender, uint32_t hint) override
    {
        m_views.updateSongViews(song, sender, hint);
    }
    void UpdateTitle() override { m_views.UpdateTitle(); }
    void UpdateNoteDuration() override { m_views.UpdateNoteDuration(); }
    void RestoreLayout(std::string_view layout) override { m_views.RestoreLayout(layout); }
    void SetStatusText(std::string_view text) override { m_views.SetStatusText(text); }
    void stopOverviewWorkers() override { m_views.stopOverviewWorkers(); }
    void setWaitCursor(bool on) override { m_views.setWaitCursor(on); }
    void activateTempoView(CSongDoc& song) override { m_views.activateTempoView(song); }
    void activateEditorView(CSongDoc& song) override { m_views.activateEditorView(song); }
    void activateTrackView(CSongDoc& song) override { m_views.activateTrackView(song); }
    void showControllerView(CSongDoc& song, int kind, int controller) override
    {
        m_views.showControllerView(song, kind, controller);
    }
    void clearEventListSelection(CSongDoc& song) override { m_views.clearEventListSelection(song); }
    void repaintTransportPanel() override { m_views.repaintTransportPanel(); }
    void raiseTornOffWindows() override { m_views.raiseTornOffWindows(); }
    ControllerLanes controllerLanes(CSongDoc& song) override { return m_views.controllerLanes(song); }
    void SnapshotLayout(std::string& layout) override { m_views.SnapshotLayout(layout); }

    // ICurrentSongHost.
    void SetCurrentSong(CSongDoc* song) override { m_current.SetCurrentSong(song); }
    CSongDoc* currentSong() const override { return m_current.currentSong(); }
    void SetTempoMultiplier(int32_t multiplier, bool resetStep) override
    {
        m_current.SetTempoMultiplier(multiplier, resetStep);
    }

    // ISongDisplayOptions.
    bool autoProps() const override { return m_display.autoProps(); }
    Color cueColor(int kind) const override { return m_display.cueColor(kind); }
    int timeZoom() const override { return m_display.timeZoom(); }
    void setTimeZoom(int zoom) override { m_display.setTimeZoom(zoom); }
    bool performanceMode() const override { return m_display.performanceMode(); }
    int laneZoom() const override { return m_display.laneZoom(); }
    void setLaneZoom(int zoom) override { m_display.setLaneZoom(zoom); }
    int headerZoom() const override { return m_display.headerZoom(); }
    bool smoothScroll() const override { return m_display.smoothScroll(); }
    EditTools editTools() const override { return m_display.editTools(); }

    // ISongFilesHost.
    AppClipboard& clipboard() override { return m_files.clipboard(); }
    std::filesystem::path workFolder() const override { return m_files.workFolder(); }
    void MakeUniqueAudioFileName(std::filesystem::path& name) override
    {
        m_files.MakeUniqueAudioFileName(name);
    }
    void removeNewestRecentSong() override { m_files.removeNewestRecentSong(); }
    void SetAutoOpenPath(const std::filesystem::path& path) override { m_files.SetAutoOpenPath(path); }
    bool SendFileByMail(std::string_view subject,
                        const std::vector<std::filesystem::path>& attachments,
                        std::string& reason) override
    {
        return m_files.SendFileByMail(subject, attachments, reason);
    }
    void editTrackProperties(CSongDoc& song) override { m_files.editTrackProperties(song); }
    FindCriteria& findCriteria() override { return m_files.findCriteria(); }
    bool trackViewActive() const override { return m_files.trackViewActive(); }

private:
    ISongViews& m_views;
    ICurrentSongHost& m_current;
    ISongDisplayOptions& m_display;
    ISongFilesHost& m_files;
};

} // namespace rz
