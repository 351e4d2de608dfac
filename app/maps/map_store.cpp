#include "app/maps/map_store.h"

#include "core/profile.h"

namespace rz {
namespace {

std::vector<uint8_t> wholeRecords(std::vector<uint8_t> bytes, size_t recordBytes)
{
    bytes.resize(bytes.size() - bytes.size() % recordBytes);
    return bytes;
}

} // namespace

MapStore::MapStore(IProfile& profile, std::string section, std::string defaultUse,
                   size_t recordBytes)
    : m_profile(profile), m_section(std::move(section)), m_defaultUse(std::move(defaultUse)),
      m_recordBytes(recordBytes)
{
}

std::vector<NamedMap> MapStore::readMaps() const
{
    std::vector<NamedMap> maps;
    for (const IProfile::ValueName& value : m_profile.valueNames(m_section)) {
        if (!value.binary)
            continue;
        if (auto bytes = m_profile.readBinary(m_section, value.name))
            maps.push_back({value.name, wholeRecords(std::move(*bytes), m_recordBytes)});
    }
    return maps;
}

std::string MapStore::useWhich() const
{
    return m_profile.readString(m_section, "UseWhich", m_defaultUse);
}

bool MapStore::enabled() const
{
    return m_profile.readInt(m_section, "Enabled", 1) != 0;
}

void MapStore::write(std::span<const NamedMap> maps, std::string_view useWhich, bool enabled)
{
    m_profile.removeSection(m_section);
    for (auto map = maps.rbegin(); map != maps.rend(); ++map)
        m_profile.writeBinary(m_section, map->name, map->records);
    if (!useWhich.empty())
        m_profile.writeString(m_section, "UseWhich", useWhich);
    m_profile.writeInt(m_section, "Enabled", enabled ? 1 : 0);
}

AccelMapStore::AccelMapStore(IProfile& profile)
    : MapStore(profile, "AccelMap4", kDefaultMap, kAccelRecordBytes)
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
    : MapStore(profile, "KeyMap", "MIDI", kControlRecordBytes)
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
