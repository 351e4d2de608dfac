#pragma once

#include "engine/thru_tracks.h"
#include "song/event_list.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace rz {

class CTrack;

// How a kept take becomes events ("RecordOptions" and the song's selection).
struct TakeOptions {
    int mode = 0;              // 1 step recording, 2 only inside the selection
    int stepVelocity = 0;      // mode 1: a fixed velocity; 0 the played one
    int stepDuration = 0;      // mode 1: 0 played, 1 up to the grid, else the chosen length
    int32_t stepGridTicks = 0; // mode 1: the step grid, dotted already; 0 none
    int32_t selectionFrom = -1; // mode 2: the range [from, to), ticks
    int32_t selectionTo = -1;
};

// The step grid in ticks for a grid note value (120ths of a quarter note).
int32_t stepGridTicks(int units, bool dotted, int timeBase);

// Controllers, channel pressure and bend played before the start (the
// count-in) collapse to the latest of each per track (and controller) at the
// start; a note-on played before it moves the start back to itself, so the
// take begins with the first note played. Sorts the take by time (stable).
// Returns the start.
int32_t collapsePreStart(std::vector<TakeEvent>& take, int32_t start);

// Marks for deletion the events of each track that the take's controller,
// channel pressure and bend moves overwrite: those of the same kind (and
// controller) between the first and the last such move on that track.
void markOverwrittenEvents(const std::vector<TakeEvent>& take,
                           const std::vector<std::unique_ptr<CTrack>>& tracks, CEventList& list);

// Adds the take's events as new events of their tracks: notes paired into
// notes with durations (a lone note-off is ignored, a lone note-on keeps
// duration 0), key pressure, controllers, program changes, channel pressure
// and bend as they are. Waveform tracks, the conductor, the empty last track
// and missing tracks get nothing.
void insertTakeEvents(const std::vector<TakeEvent>& take,
                      const std::vector<std::unique_ptr<CTrack>>& tracks,
                      const TakeOptions& options, CEventList& list);

} // namespace rz
