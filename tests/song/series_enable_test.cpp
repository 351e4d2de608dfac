// Insert > Series of controller values needs a track to put the series on.

#include <gtest/gtest.h>

#include "clipboard_fixture.h"

namespace rz::test {
namespace {

TEST(SeriesEnable, NeedsAChosenTrack)
{
    const struct {
        const char* name;
        bool currentOnly;
        int current;
        std::set<int> selected;
        bool enabled;
    } kCases[] = {
        {"nothing chosen", false, 1, {}, false},
        {"a selected row", false, -1, {2}, true},
        {"the current row", true, 1, {}, true},
        {"the settings row as the current one", true, 3, {}, false},
        {"a selected wave track only", false, -1, {2}, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ClipboardFixture f;
        std::unique_ptr<CSongDoc> song = f.songAt(480, {"Piano", "Bass"});
        ClipboardFixture::settle(*song);
        if (std::string_view(c.name).find("wave") != std::string_view::npos)
            song->tracks[2]->type = kWaveTrack;
        f.trackRows.currentOnly = c.currentOnly;
        f.trackRows.current = c.current;
        f.trackRows.selected = c.selected;
        EXPECT_EQ(song->OnUpdateInsert(EditDialog::ControllerSeries), c.enabled);
        song->OnInsertControllerSeries();
        EXPECT_EQ(f.dialogs.log.count("controllerSeries"), c.enabled ? 1u : 0u) << "a greyed command asks nothing";
    }
}

} // namespace
} // namespace rz::test
