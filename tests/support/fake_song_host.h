#pragma once

#include <array>

#include "core/song_host.h"
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
    void stopOverviewWorkers() override;
    void setWaitCursor(bool on) override;
    void activateTempoView(CSongDoc& song) override;
    void activateEditorView(CSongDoc& song) override;
    void activateTrackView(CSongDoc& song) override;
    void showControllerView(CSongDoc& song, int kind, int controller) override;
    void clearEventListSelection(CSongDoc& song) override;
    void repaintTransportPanel() override;
};

} // namespace rz
