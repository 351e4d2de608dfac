#include "app/app_startup_accel.h"

#include "core/profile.h"

namespace rz {
namespace {

constexpr const char* kSection = "AccelMap4";
constexpr const char* kDefaultMap = "Default";

} // namespace

std::optional<AccelTable> readStartupAccelTable(IProfile& profile)
{
    if (profile.readInt(kSection, "Enabled", 1) == 0)
        return AccelTable();
    const std::string name = profile.readString(kSection, "UseWhich", kDefaultMap);
    AccelTable table;
    if (profileKey(name) == profileKey(kDefaultMap)) {
        table = AccelTable::defaultMap();
        profile.writeBinary(kSection, kDefaultMap, table.toBytes());
    } else if (const auto bytes = profile.readBinary(kSection, name)) {
        table = AccelTable::fromBytes(*bytes);
    }
    if (table.empty())
        return std::nullopt;
    return table;
}

} // namespace rz
