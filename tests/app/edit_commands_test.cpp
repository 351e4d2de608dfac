// The edit commands through the router: undo and redo, the audio effects
// and the commands greyed until their dialogs exist.

#include "res/command_ids.h"
#include "tests/app/command_enable_table.h"

namespace rz::test {
namespace {

// No undo step, no audio effects.
const EnableCase kEditCases[] = {
    {kIdEditUndo, kNever}, {kIdEditRedo, kNever}, {kIdSongStats, kStoppedWithSong},
    {kIdGoToPosition, kSong}, {kIdInsertCue, kSongStoppedEditing}, {kIdApplyTrackOffsets, kNever},
    {kIdApplyTempoMultiplier, kNever}, {kIdAudioEffect1, kNever}, {kIdAudioEffect10, kNever},
    {kIdMoreAudioEffects, kNever}, {kIdHarpPedals, kNever},
};

class EditEnable : public CommandEnableFixture, public testing::WithParamInterface<size_t> {};

TEST_P(EditEnable, FollowsTransportPerformanceAndSong)
{
    check(kEditCases[GetParam()]);
}

INSTANTIATE_TEST_SUITE_P(Table, EditEnable, testing::Range(size_t(0), std::size(kEditCases)));

} // namespace
} // namespace rz::test
