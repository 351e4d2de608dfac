#include "tests/support/fake_set_link.h"

namespace rz {

void FakeSetLink::UpdateTotals() { log.record("UpdateTotals"); }

void FakeSetLink::UpdateSongCaption(CSongDoc& song)
{
    log.record("UpdateSongCaption", static_cast<const void*>(&song));
}

void FakeSetLink::UpdateMarkers(CSongDoc& song)
{
    log.record("UpdateMarkers", static_cast<const void*>(&song));
}

SetItemHandle FakeSetLink::FindAdjacentSong(bool previous)
{
    log.record("FindAdjacentSong", previous);
    return adjacent;
}

void FakeSetLink::updateSetViews() { log.record("updateSetViews"); }

void FakeSetLink::setModified() { log.record("setModified"); }

} // namespace rz
