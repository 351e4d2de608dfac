#pragma once

#include "core/set_link.h"
#include "tests/support/call_log.h"

namespace rz {

// Records every call; FindAdjacentSong answers `adjacent`.
class FakeSetLink : public ISetLink {
public:
    CallLog log;
    SetItemHandle adjacent = nullptr;

    void UpdateTotals() override;
    void UpdateSongCaption(CSongDoc& song) override;
    void UpdateMarkers(CSongDoc& song) override;
    SetItemHandle FindAdjacentSong(bool previous) override;
    void updateSetViews() override;

    // What isStandAlone answers.
    bool standAlone = false;
    bool isStandAlone() const override { return standAlone; }
    void setModified() override;
    // What folder answers.
    std::filesystem::path setFolder;
    std::filesystem::path folder() const override { return setFolder; }
};

} // namespace rz
