#include "app/maps/accel_commands.h"

#include "res/command_strings.h"
#include "res/default_accel_map.h"
#include "res/main_menu.h"

#include <algorithm>

namespace rz {
namespace {

std::vector<uint32_t> buildList()
{
    std::vector<uint32_t> ids;
    auto add = [&ids](uint32_t id) {
        if (id != 0 && std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    };
    for (const MenuEntry& entry : mainMenu()) {
        if (entry.kind == MenuEntry::Kind::Command)
            add(entry.id);
    }
    for (const AccelRecordData& record : defaultAccelRecords())
        add(record.command);
    return ids;
}

} // namespace

const std::vector<uint32_t>& accelCommandList()
{
    static const std::vector<uint32_t> list = buildList();
    return list;
}

std::string accelCommandText(uint32_t id)
{
    const std::string_view name = commandShortName(id);
    return name.empty() ? std::to_string(id) : std::string(name);
}

} // namespace rz
