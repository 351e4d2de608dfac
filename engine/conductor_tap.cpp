// The conductor tap's history: the recent taps and the clicks they meant,
// and the factors drawn from them. GUI thread.
#include "engine/conductor_tap.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace rz {

void CTapHistory::useClock(Clock clock)
{
    if (clock != m_clock)
        m_records.clear();
    m_clock = clock;
}

void CTapHistory::dropStale(double now, bool dropAtNow)
{
    const auto stale = [&](const TapRecord& record) {
        const bool ahead = dropAtNow ? record.tapTime >= now : record.tapTime > now;
        return ahead || record.tapTime < now - kTapMemoryUs;
    };
    size_t kept = 0;
    while (kept < m_records.size() && stale(m_records[kept]))
        ++kept;
    m_records.erase(m_records.begin(), m_records.begin() + ptrdiff_t(kept));
}

void CTapHistory::append(const TapRecord& record)
{
    if (m_records.size() == m_records.capacity())
        m_records.reserve(m_records.size() + 8);
    m_records.push_back(record);
}

double CTapHistory::tapSpan() const
{
    return m_records.empty() ? 0.0 : last().tapTime - first().tapTime;
}

double CTapHistory::beatSpan() const
{
    return m_records.empty() ? 0.0 : last().beatTime - first().beatTime;
}

std::optional<double> tapAverageFactor(const CTapHistory& history, int strength)
{
    if (strength <= 0 || history.size() < 2)
        return 1.0;
    const double span = history.tapSpan();
    if (!(span > 0.0))
        return std::nullopt;
    return ((100 - strength) + strength * history.beatSpan() / span) * 0.01;
}

} // namespace rz
