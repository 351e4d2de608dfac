#include "core/clip_loader.h"
#include "core/engine_link.h"
#include "core/track_rows.h"
#include "song/play_images.h"
#include "song/song_doc.h"
#include "song/track_ports.h"
#include "song/undo_internal.h"

namespace rz {

namespace {

void forEachClip(CTrack& track, IClipLoader* loader, bool load)
{
    if (loader == nullptr || track.type != kWaveTrack)
        return;
    for (CMidiEvent& event : track.events) {
        if (CAudioClip* clip = event.clip()) {
            if (load)
                loader->loadSamples(*clip);
            else
                loader->releaseSamples(*clip);
        }
    }
}

} // namespace

void CSongDoc::SwapTrackArrays(CTrackList& list, bool lookUpPorts)
{
    ITrackRows* rows = m_context.trackRows;
    if (rows != nullptr)
        rows->SelectNone();
    for (uint32_t r : list.sourceRows)
        forEachClip(*tracks[r], m_context.clipLoader, false);
    const int firstRemoved = list.sourceRows.empty() ? -1 : int(list.sourceRows.front());

    // A list that borrows puts back the very tracks it takes out, so it goes on
    // borrowing them from the song.
    exchangeSlots(tracks, list.tracks, list.sourceRows, list.targetRows);

    if (rows != nullptr && firstRemoved >= 0)
        rows->SetCurrentRow(firstRemoved);
    if (lookUpPorts) {
        for (uint32_t i : list.sourceRows) {
            CTrack& track = *tracks[i];
            LookupPortSynth(track, m_context.profile, m_context.engine, m_context.synths);
            forEachClip(track, m_context.clipLoader, true);
        }
    }
    if (rows != nullptr)
        rows->SyncRowCount();
    RebuildPlayImages(*this, false);
}

} // namespace rz
