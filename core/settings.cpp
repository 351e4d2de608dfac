#include "core/settings.h"

#include <algorithm>
#include <cassert>

namespace rz {

namespace {

#define RZ_SETTING_REF(id, section, key, type, def, lo, hi, text) settings::k##id,
constexpr Setting kRows[] = {RZ_SETTINGS(RZ_SETTING_REF)};
#undef RZ_SETTING_REF

std::string filled(std::string_view pattern, std::string_view part)
{
    std::string out(pattern);
    if (const auto at = out.find("{}"); at != std::string::npos)
        out.replace(at, 2, part);
    return out;
}

} // namespace

std::span<const Setting> allSettings()
{
    return kRows;
}

std::string settingSection(const Setting& row, std::string_view part)
{
    return filled(row.section, part);
}

std::string settingKey(const Setting& row, std::string_view part)
{
    return filled(row.key, part);
}

int32_t readSetting(const IProfile& profile, const Setting& row, std::string_view part)
{
    return readSettingOr(profile, row, row.defaultValue, part);
}

int32_t readSettingOr(const IProfile& profile, const Setting& row, int32_t fallback,
                      std::string_view part)
{
    assert(row.type == SettingType::Int);
    const int32_t value = profile.readInt(settingSection(row, part), settingKey(row, part), fallback);
    return std::clamp(value, row.min, row.max);
}

int32_t readSettingAsStored(const IProfile& profile, const Setting& row, int32_t fallback,
                            std::string_view part)
{
    assert(row.type == SettingType::Int);
    return profile.readInt(settingSection(row, part), settingKey(row, part), fallback);
}

void writeSetting(IProfile& profile, const Setting& row, int32_t value, std::string_view part)
{
    assert(row.type == SettingType::Int);
    profile.writeInt(settingSection(row, part), settingKey(row, part), value);
}

std::string readSettingText(const IProfile& profile, const Setting& row, std::string_view part)
{
    return readSettingTextOr(profile, row, row.defaultText, part);
}

std::string readSettingTextOr(const IProfile& profile, const Setting& row,
                              std::string_view fallback, std::string_view part)
{
    assert(row.type == SettingType::Text);
    return profile.readString(settingSection(row, part), settingKey(row, part), fallback);
}

void writeSettingText(IProfile& profile, const Setting& row, std::string_view value,
                      std::string_view part)
{
    assert(row.type == SettingType::Text);
    profile.writeString(settingSection(row, part), settingKey(row, part), value);
}

std::optional<std::vector<uint8_t>> readSettingBinary(const IProfile& profile, const Setting& row,
                                                      std::string_view part)
{
    assert(row.type == SettingType::Binary);
    return profile.readBinary(settingSection(row, part), settingKey(row, part));
}

void writeSettingBinary(IProfile& profile, const Setting& row, const std::vector<uint8_t>& value,
                        std::string_view part)
{
    assert(row.type == SettingType::Binary);
    profile.writeBinary(settingSection(row, part), settingKey(row, part), value);
}

void removeSetting(IProfile& profile, const Setting& row, std::string_view part)
{
    profile.removeValue(settingSection(row, part), settingKey(row, part));
}

std::vector<IProfile::ValueName> settingSectionValues(const IProfile& profile, const Setting& row,
                                                      std::string_view part)
{
    return profile.valueNames(settingSection(row, part));
}

void removeSettingSection(IProfile& profile, const Setting& row, std::string_view part)
{
    profile.removeSection(settingSection(row, part));
}

} // namespace rz
