#include "app/maps/app_startup_accel.h"

#include "app/maps/map_store.h"
#include "core/profile.h"
#include "core/settings.h"

namespace rz {

std::optional<AccelTable> readStartupAccelTable(IProfile& profile)
{
    AccelMapStore store(profile);
    if (!store.enabled())
        return AccelTable();
    if (profileKey(store.useWhich()) == profileKey(AccelMapStore::kDefaultMap))
        writeSettingBinary(profile, settings::kAccelMapBytes, AccelTable::defaultMap().toBytes(),
                           AccelMapStore::kDefaultMap);
    AccelTable table = store.selectedTable();
    if (table.empty())
        return std::nullopt;
    return table;
}

} // namespace rz
