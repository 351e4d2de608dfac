#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "core/song_host.h"
#include "song/clipboard.h"
#include "song/find_criteria.h"
#include "tests/support/call_log.h"

namespace rz {

// Records every call (arguments included); tests set what it answers.
class FakeSongHost : public ISongHost {
public:
    CallLog log;
    CSongDoc* current = nullptr;
    bool autoPropsFlag = true;
    std::array<Color, kCueKinds> cueColors{};
    int zoom = 0;
    bool performance = false;

    void UpdateAllViews() override;
    void updateSongViews(CSongDoc& song, const void* senderView, uint32_t hint) override;
    void SetCurrentSong(CSongDoc* song) override;
    CSongDoc* currentSong() const override { return current; }
    void UpdateTitle() override;
    void SetTempoMultiplier(int32_t multiplier, bool resetStep) override;
    void UpdateNoteDuration() override;
    void RestoreLayout(std::string_view layout) override;
    void SetStatusText(std::string_view text) override;
    bool autoProps() const override { return autoPropsFlag; }
    Color cueColor(int kind) const override;
    int timeZoom() const override { return zoom; }
    void setTimeZoom(int value) override;
    bool performanceMode() const override { return performance; }
    int laneZoomIndex = 2;
    int headerZoomIndex = 2;
    bool smooth = true;
    int laneZoom() const override { return laneZoomIndex; }
    void setLaneZoom(int value) override;
    int headerZoom() const override { return headerZoomIndex; }
    bool smoothScroll() const override { return smooth; }
    EditTools tools;
    EditTools editTools() const override { return tools; }
    void stopOverviewWorkers() override;
    void setWaitCursor(bool on) override;
    void activateTempoView(CSongDoc& song) override;
    void activateEditorView(CSongDoc& song) override;
    void activateTrackView(CSongDoc& song) override;
    void showControllerView(CSongDoc& song, int kind, int controller) override;
    void clearEventListSelection(CSongDoc& song) override;
    void repaintTransportPanel() override;
    void raiseTornOffWindows() override;

    // The clipboard songs copy to and paste from; the controller view's lanes.
    AppClipboard clipboardContent;
    ControllerLanes lanes;
    AppClipboard& clipboard() override { return clipboardContent; }
    ControllerLanes controllerLanes(CSongDoc& song) override;

    // Saving and sending songs. The work folder is empty until a test sets
    // one; unique names are made there as the program makes them. The mail
    // hand-off answers mailAnswer, with mailFailure as its reason.
    std::filesystem::path workFolderPath;
    std::string layoutSnapshot = "@DR;21;0,0,800,600";
    bool mailAnswer = true;
    std::string mailFailure;

    std::filesystem::path workFolder() const override { return workFolderPath; }
    void MakeUniqueAudioFileName(std::filesystem::path& name) override;
    void removeNewestRecentSong() override;
    void SetAutoOpenPath(const std::filesystem::path& path) override;
    void SnapshotLayout(std::string& layout) override;
    bool SendFileByMail(std::string_view subject, const std::vector<std::filesystem::path>& attachments,
                        std::string& reason) override;
    void editTrackProperties(CSongDoc& song) override;

    // The find criteria songs search with; whether the track view is active.
    FindCriteria criteria;
    bool trackViewIsActive = false;
    FindCriteria& findCriteria() override { return criteria; }
    bool trackViewActive() const override { return trackViewIsActive; }
};

} // namespace rz
