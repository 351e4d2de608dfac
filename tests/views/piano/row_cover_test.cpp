#include "views/piano/row_cover.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rz {
namespace {

// Bars offered front to back over columns 10..209 of four rows: whether each still shows.
TEST(RowCover, ABarShowsUntilBarsInFrontCoverEveryColumnOfItsRow)
{
    struct Bar {
        int row;
        int from;
        int to;
        bool shows;
    };
    struct Case {
        std::string name;
        std::vector<Bar> bars;
    };
    const Case cases[] = {
        {"one column", {{0, 20, 20, true}, {0, 20, 20, false}, {0, 21, 21, true}}},
        {"rows apart", {{0, 20, 40, true}, {1, 20, 40, true}, {1, 25, 35, false}}},
        {"across a word", {{0, 70, 80, true}, {0, 72, 78, false}, {0, 70, 81, true}, {0, 71, 81, false}, {0, 69, 81, true}}},
        {"a gap between", {{2, 20, 100, true}, {2, 110, 200, true}, {2, 30, 180, true}, {2, 30, 180, false}}},
        {"clipped", {{3, 0, 9, false}, {3, 210, 300, false}, {3, 0, 10, true}, {3, 5, 10, false},
                     {3, 209, 400, true}, {3, 200, 400, true}, {3, 200, 500, false}}},
        {"outside the rows", {{-1, 20, 30, false}, {4, 20, 30, false}}},
        {"the whole width", {{1, 10, 209, true}, {1, 0, 300, false}}},
    };
    for (const Case& c : cases) {
        RowCover cover;
        cover.reset(4, 10, 209);
        for (size_t i = 0; i < c.bars.size(); ++i) {
            const Bar& bar = c.bars[i];
            EXPECT_EQ(cover.cover(bar.row, bar.from, bar.to), bar.shows) << c.name << ", bar " << i;
        }
    }
}

} // namespace
} // namespace rz
