#pragma once

#include "tests/app/app_test_fixture.h"

#include "staff/staff_view.h"
#include "tests/song/song_builder.h"
#include "views/track/track_view.h"

#include <cstdint>

namespace rz {

// The application with the real track list and staff views over a song of
// `measures` measures whose first track, selected, holds a note on every beat.
class StaffAppFixture : public AppFixture {
protected:
    void startWithStaves(int32_t measures)
    {
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            return new TrackView(app->trackViewContext(), request.topLevel, request.parent);
        });
        start();
        registerStaffView(app->viewFactory(), app->staffViewContext());
        song = &addSong("Staves");
        CTrack& track = test::addUserTrack(*song);
        for (int32_t tick = 0; tick < measures * 1920; tick += 480)
            track.events.push_back(test::note(tick, 64, 90, 400));
        song->endTick = measures * 1920;
        ExtendMeasureMap(song->measureMap, song->endTick);
        app->SetCurrentSong(song);
        app->trackView()->SelectRow(1, true);
    }

    StaffView* staffSlot() const { return dynamic_cast<StaffView*>(app->views().slot(ViewSlots::kStaff)); }

    CSongDoc* song = nullptr;
};

} // namespace rz
