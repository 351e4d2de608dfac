#include "views/piano/row_cover.h"

#include <algorithm>

namespace rz {

void RowCover::reset(int rows, int left, int right)
{
    m_rows = std::max(rows, 0);
    m_left = left;
    m_right = std::max(right, left - 1);
    m_wordsPerRow = size_t(m_right - m_left + 1 + 63) / 64;
    m_bits.assign(m_wordsPerRow * size_t(m_rows), 0);
}

bool RowCover::cover(int row, int from, int to)
{
    from = std::max(from, m_left);
    to = std::min(to, m_right);
    if (row < 0 || row >= m_rows || to < from)
        return false;
    uint64_t* words = m_bits.data() + size_t(row) * m_wordsPerRow;
    const size_t first = size_t(from - m_left);
    const size_t last = size_t(to - m_left);
    bool shows = false;
    for (size_t w = first / 64; w <= last / 64; ++w) {
        const size_t low = w == first / 64 ? first % 64 : 0;
        const size_t high = w == last / 64 ? last % 64 : 63;
        const uint64_t mask = (~uint64_t(0) >> (63 - high)) & (~uint64_t(0) << low);
        shows = shows || (words[w] & mask) != mask;
        words[w] |= mask;
    }
    return shows;
}

} // namespace rz
