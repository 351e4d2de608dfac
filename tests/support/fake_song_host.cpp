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

void FakeSongHost::setLaneZoom(int value)
{
    log.record("setLaneZoom", value);
    laneZoomIndex = value;
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

void FakeSongHost::raiseTornOffWindows() { log.record("raiseTornOffWindows"); }

void FakeSongHost::MakeUniqueAudioFileName(std::filesystem::path& name)
{
    log.record("MakeUniqueAudioFileName", name.string());
    const std::string base = name.has_parent_path() ? name.stem().string() : std::string("take");
    std::error_code error;
    for (int n = 1;; ++n) {
        const std::string suffix = n > 1 ? "_" + std::to_string(n) : std::string();
        const std::filesystem::path candidate = workFolderPath / (base + suffix + ".wav");
        if (!std::filesystem::exists(candidate, error)) {
            name = candidate;
            return;
        }
    }
}

ControllerLanes FakeSongHost::controllerLanes(CSongDoc& song)
{
    log.record("controllerLanes", static_cast<const void*>(&song));
    return lanes;
}

void FakeSongHost::removeNewestRecentSong() { log.record("removeNewestRecentSong"); }

void FakeSongHost::SetAutoOpenPath(const std::filesystem::path& path)
{
    log.record("SetAutoOpenPath", path.string());
}

void FakeSongHost::SnapshotLayout(std::string& layout)
{
    log.record("SnapshotLayout");
    layout = layoutSnapshot;
}

bool FakeSongHost::SendFileByMail(std::string_view subject,
                                  const std::vector<std::filesystem::path>& attachments,
                                  std::string& reason)
{
    std::string files;
    for (const auto& file : attachments)
        files += (files.empty() ? "" : ";") + file.string();
    log.record("SendFileByMail", subject, files);
    if (!mailAnswer)
        reason = mailFailure;
    return mailAnswer;
}

void FakeSongHost::editTrackProperties(CSongDoc&) { log.record("editTrackProperties"); }

} // namespace rz
