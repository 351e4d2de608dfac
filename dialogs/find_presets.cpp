#include "dialogs/find_presets.h"

#include "core/settings.h"
#include "song/find_criteria_bytes.h"

namespace rz {

std::vector<std::string> PresetStore::names() const
{
    std::vector<std::string> names;
    for (const IProfile::ValueName& value : settingSectionValues(m_profile, settings::kFindPresetsBytes)) {
        if (names.size() == kMaxListed)
            break;
        if (value.binary)
            names.push_back(value.name);
    }
    return names;
}

std::optional<FindCriteria> PresetStore::load(std::string_view name) const
{
    const std::optional<std::vector<uint8_t>> bytes = readSettingBinary(m_profile, settings::kFindPresetsBytes, name);
    if (!bytes)
        return std::nullopt;
    return fromBytes(*bytes);
}

void PresetStore::save(std::string_view name, const FindCriteria& criteria)
{
    if (!isReservedName(name))
        writeSettingBinary(m_profile, settings::kFindPresetsBytes, toBytes(criteria), name);
}

void PresetStore::remove(std::string_view name)
{
    if (!isReservedName(name))
        removeSetting(m_profile, settings::kFindPresetsBytes, name);
}

std::string PresetStore::useWhich() const
{
    return readSettingText(m_profile, settings::kFindPresetsUseWhich);
}

void PresetStore::setUseWhich(std::string_view name)
{
    writeSettingText(m_profile, settings::kFindPresetsUseWhich, name);
}

bool PresetStore::isReservedName(std::string_view name)
{
    return profileKey(name) == profileKey(settings::kFindPresetsUseWhich.key);
}

} // namespace rz
