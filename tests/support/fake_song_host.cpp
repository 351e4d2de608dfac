#include "tests/support/fake_song_host.h"

namespace rz {

void FakeSongHost::UpdateAllViews() { log.record("UpdateAllViews"); }

void FakeSongHost::updateSongViews(CSongDoc& song, const void* senderView, uint32_t hint)
{
    log.record("updateSongViews", static_cast<const void*>(&song), senderView, hint);
}

void FakeSongHost::SetCurrentSong(CSongDoc* song)
{
    log.record("SetCurrentSong", static_cast<const void*>(song));
    current = song;
}

void FakeSongHost::UpdateTitle() { log.record("UpdateTitle"); }

void FakeSongHost::SetTempoMultiplier(int32_t multiplier, bool resetStep)
{
    log.record("SetTempoMultiplier", multiplier, resetStep);
}

void FakeSongHost::UpdateNoteDuration() { log.record("UpdateNoteDuration"); }

void FakeSongHost::RestoreLayout(std::string_view layout) { log.record("RestoreLayout", layout); }

void FakeSongHost::SetStatusText(std::string_view text) { log.record("SetStatusText", text); }

Color FakeSongHost::cueColor(int kind) const
{
    return kind >= 0 && kind < kCueKinds ? cueColors[size_t(kind)] : 0;
}

void FakeSongHost::setTimeZoom(int value)
{
    log.record("setTimeZoom", value);
    zoom = value;
}

void FakeSongHost::stopOverviewWorkers() { log.record("stopOverviewWorkers"); }

void FakeSongHost::setWaitCursor(bool on) { log.record("setWaitCursor", on); }

void FakeSongHost::activateTempoView(CSongDoc&) { log.record("activateTempoView"); }

void FakeSongHost::activateEditorView(CSongDoc&) { log.record("activateEditorView"); }

void FakeSongHost::activateTrackView(CSongDoc&) { log.record("activateTrackView"); }

void FakeSongHost::showControllerView(CSongDoc&, int kind, int controller)
{
    log.record("showControllerView", kind, controller);
}

void FakeSongHost::clearEventListSelection(CSongDoc&) { log.record("clearEventListSelection"); }

void FakeSongHost::repaintTransportPanel() { log.record("repaintTransportPanel"); }

} // namespace rz
