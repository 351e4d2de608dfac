#pragma once

// The track properties dialog's fill and apply, shared by the track list
// and the set's track properties. Pure.

#include "core/edit_dialogs.h"
#include "song/track_props.h"

namespace rz {

class CTrack;

// A colour field that is not set, or differs over the tracks a preset came from.
inline constexpr Color kMixedTrackColor = 0xFFFFFFFF;

// The dialog's fields of one track.
TrackPropsParams paramsOf(const CTrack& track);
// Fields `other` does not share with `params` take the dialog's "not set" value.
void mixIn(TrackPropsParams& params, const TrackPropsParams& other);
// The change of track `index`: every set, in-range field. The kind is left
// alone: a track's events belong to its kind.
CTrackProps changeOf(int32_t index, const TrackPropsParams& params);

} // namespace rz
