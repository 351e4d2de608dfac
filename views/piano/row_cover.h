#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rz {

// Which opaque bars a paint may leave out when every bar fills whole rows
// (a key row: all bars of one row share its top and height). Walked from
// the bar painted last to the one painted first, a bar whose columns later
// bars already cover cannot show. Zoomed out, the notes of many tracks
// stack on the same few pixels, and most of them are hidden. GUI thread.
class RowCover {
public:
    // Nothing covered yet; columns are client x from `left` to `right`.
    void reset(int rows, int left, int right);
    // Marks columns `from` to `to` of `row` covered; true when one of them
    // inside the range was not yet, that is when the bar still shows.
    bool cover(int row, int from, int to);

private:
    int m_rows = 0;
    int m_left = 0;
    int m_right = -1;
    size_t m_wordsPerRow = 0;
    std::vector<uint64_t> m_bits;
};

} // namespace rz
