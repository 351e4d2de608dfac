#include "app/maps/map_store.h"

#include "core/profile.h"
#include "core/settings.h"

namespace rz {
namespace {

std::vector<uint8_t> wholeRecords(std::vector<uint8_t> bytes, size_t recordBytes)
{
    bytes.resize(bytes.size() - bytes.size() % recordBytes);
    return bytes;
}

} // namespace

MapStore::MapStore(IProfile& profile, MapRows rows, size_t recordBytes)
    : m_profile(profile), m_rows(rows), m_recordBytes(recordBytes)
{
}

std::vector<NamedMap> MapStore::readMaps() const
{
    std::vector<NamedMap> maps;
    for (const IProfile::ValueName& value : settingSectionValues(m_profile, m_rows.maps)) {
        if (!value.binary)
            continue;
        if (auto bytes = readSettingBinary(m_profile, m_rows.maps, value.name))
            maps.push_back({value.name, wholeRecords(std::move(*bytes), m_recordBytes)});
    }
    return maps;
}

std::string MapStore::useWhich() const
{
    return readSettingText(m_profile, m_rows.useWhich);
}

bool MapStore::enabled() const
{
    return readSetting(m_profile, m_rows.enabled) != 0;
}

void MapStore::write(std::span<const NamedMap> maps, std::string_view useWhich, bool enabled)
{
    removeSettingSection(m_profile, m_rows.maps);
    for (auto map = maps.rbegin(); map != maps.rend(); ++map)
        writeSettingBinary(m_profile, m_rows.maps, map->records, map->name);
    if (!useWhich.empty())
        writeSettingText(m_profile, m_rows.useWhich, useWhich);
    writeSetting(m_profile, m_rows.enabled, enabled ? 1 : 0);
}

AccelMapStore::AccelMapStore(IProfile& profile)
    : MapStore(profile,
               {settings::kAccelMapBytes, settings::kAccelMapUseWhich, settings::kAccelMapEnabled},
               kAccelRecordBytes)
{
}

std::vector<NamedMap> AccelMapStore::readMaps() const
{
    std::vector<NamedMap> maps = MapStore::readMaps();
    const std::vector<uint8_t> builtIn = AccelTable::defaultMap().toBytes();
    if (const auto at = findMap(maps, kDefaultMap))
        maps[*at].records = builtIn;
    else
        maps.insert(maps.begin(), NamedMap{kDefaultMap, builtIn});
    return maps;
}

AccelTable AccelMapStore::selectedTable() const
{
    if (!enabled())
        return {};
    const std::vector<NamedMap> maps = readMaps();
    const auto at = findMap(maps, useWhich());
    return at ? AccelTable::fromBytes(maps[*at].records) : AccelTable();
}

AccelMapButtons accelMapButtons(std::span<const NamedMap> maps, std::string_view typedName,
                                int selectedRows)
{
    const bool exists = findMap(maps, typedName).has_value();
    const bool editable =
        exists && profileKey(typedName) != profileKey(AccelMapStore::kDefaultMap);
    AccelMapButtons buttons;
    buttons.saveMap = !typedName.empty() && !exists;
    buttons.deleteMap = editable;
    buttons.add = editable;
    buttons.edit = editable && selectedRows == 1;
    buttons.remove = editable && selectedRows >= 1;
    return buttons;
}

ControlMapStore::ControlMapStore(IProfile& profile)
    : MapStore(profile,
               {settings::kKeyMapBytes, settings::kKeyMapUseWhich, settings::kKeyMapEnabled},
               kControlRecordBytes)
{
}

KeyMap ControlMapStore::selectedMap() const
{
    if (!enabled())
        return {};
    const std::vector<NamedMap> maps = readMaps();
    const auto at = findMap(maps, useWhich());
    return at ? ParseKeyMap(maps[*at].records) : KeyMap();
}

} // namespace rz
