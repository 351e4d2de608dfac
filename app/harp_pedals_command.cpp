#include "app/harp_pedals_command.h"

#include "app/app.h"
#include "app/main_frame.h"
#include "core/engine_link.h"
#include "core/locks.h"
#include "core/prompt.h"
#include "res/command_ids.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "staff/harp_pedals_dlg.h"

namespace rz {
namespace {

// True after OK. The echo reads its copy of the word, so the thru tracks
// are built again once every track has it.
bool editHarpPedals(App& app)
{
    CSongDoc* song = app.currentSong();
    if (song == nullptr)
        return false;
    const std::vector<int> tracks = harpTrackNumbers(app.engine(), *song);
    if (tracks.empty())
        return false;
    CHarpPedalsDlg dialog(song->tracks[size_t(tracks.front())]->pitchClassCorrection, app.frame());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    {
        LockGuard guard(SongMutex(), "Harp pedals", song->context().lockWait);
        if (!guard) {
            app.prompt().message("The song is busy: the harp pedals were not changed. Please try again.",
                                 PromptIcon::Warning);
            return false;
        }
        for (const int number : tracks) {
            if (size_t(number) < song->tracks.size())
                song->tracks[size_t(number)]->pitchClassCorrection = dialog.pedals();
        }
    }
    app.engine().RebuildThruTracks();
    return true;
}

} // namespace

std::vector<int> harpTrackNumbers(const IEngineLink& engine, const CSongDoc& song)
{
    std::vector<int> numbers;
    // The last track is the song's empty one.
    const int last = int(song.tracks.size()) - 1;
    for (const ThruTrackKey& key : engine.thruTrackKeys()) {
        if (key.number >= 1 && key.number < last)
            numbers.push_back(key.number);
    }
    return numbers;
}

void registerHarpPedalsDialog(App& app)
{
    app.setupDialogs().registerDialog(kIdHarpPedals, [&app] { return editHarpPedals(app); });
}

} // namespace rz
