#include "song/event_list.h"

#include <algorithm>

namespace rz {

void CEventList::Insert(const CMidiEvent* event, uint32_t sortKey, uint32_t sourceKey)
{
    if (sourceKey != kNoSourceKey)
        sourceKeys.insert(std::upper_bound(sourceKeys.begin(), sourceKeys.end(), sourceKey),
                          sourceKey);
    if (!event)
        return;
    size_t pos = sortKeys.size();
    while (pos > 0 && (sortKeys[pos - 1] > sortKey
                       || (sortKeys[pos - 1] == sortKey && events[pos - 1].tick > event->tick)))
        --pos;
    sortKeys.insert(sortKeys.begin() + pos, sortKey);
    events.insert(events.begin() + pos, *event);
}

void CEventList::clear()
{
    sourceKeys.clear();
    sortKeys.clear();
    events.clear();
}

} // namespace rz
