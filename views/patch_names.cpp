#include "views/patch_names.h"

#include "core/synth_lookup.h"
#include "song/song_doc.h"
#include "song/track.h"

namespace rz {

int patchBase(const CTrack& track)
{
    return (track.technology & ISynthLookup::kTechPatchesFromZero) ? 0 : 1;
}

bool bankMsbOnly(const CTrack& track)
{
    return (track.technology & ISynthLookup::kTechBankMsbOnly) != 0;
}

bool drumChannelMatches(const CTrack& track)
{
    return track.drums == 0 || ((uint32_t(track.drums) >> (track.channel & 15)) & 1u) != 0;
}

std::optional<std::string> drumNoteName(const CSongDoc& song, const CTrack& track, int key)
{
    const ISynthLookup* synths = song.context().synths;
    if (!synths || !drumChannelMatches(track))
        return std::nullopt;
    return synths->drumNoteName(track.synth, track.bank, track.patch, key);
}

} // namespace rz
