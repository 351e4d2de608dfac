#include "core/profile.h"

#include <charconv>

namespace rz {

std::string profileKey(std::string_view text)
{
    std::string key(text);
    for (char& c : key)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return key;
}

const MemoryProfile::Value* MemoryProfile::find(std::string_view section,
                                                std::string_view name) const
{
    const auto s = m_sections.find(profileKey(section));
    if (s == m_sections.end())
        return nullptr;
    const auto v = s->second.values.find(profileKey(name));
    return v == s->second.values.end() ? nullptr : &v->second;
}

MemoryProfile::Value& MemoryProfile::slot(std::string_view section, std::string_view name)
{
    Value& value = m_sections[profileKey(section)].values[profileKey(name)];
    value = Value{};
    value.originalName = std::string(name);
    return value;
}

int32_t MemoryProfile::readInt(std::string_view section, std::string_view name,
                               int32_t defaultValue) const
{
    const Value* v = find(section, name);
    if (!v || v->binary)
        return defaultValue;
    if (v->isInt)
        return v->number;
    int32_t parsed = 0;
    const char* end = v->text.data() + v->text.size();
    const auto [ptr, ec] = std::from_chars(v->text.data(), end, parsed);
    return (ec == std::errc() && ptr == end) ? parsed : defaultValue;
}

std::string MemoryProfile::readString(std::string_view section, std::string_view name,
                                      std::string_view defaultValue) const
{
    const Value* v = find(section, name);
    if (!v || v->binary)
        return std::string(defaultValue);
    return v->isInt ? std::to_string(v->number) : v->text;
}

std::optional<std::vector<uint8_t>> MemoryProfile::readBinary(std::string_view section,
                                                              std::string_view name) const
{
    const Value* v = find(section, name);
    if (!v || !v->binary)
        return std::nullopt;
    return v->bytes;
}

void MemoryProfile::writeInt(std::string_view section, std::string_view name, int32_t value)
{
    Value& v = slot(section, name);
    v.isInt = true;
    v.number = value;
}

void MemoryProfile::writeString(std::string_view section, std::string_view name,
                                std::string_view value)
{
    slot(section, name).text = std::string(value);
}

void MemoryProfile::writeBinary(std::string_view section, std::string_view name,
                                const std::vector<uint8_t>& value)
{
    Value& v = slot(section, name);
    v.binary = true;
    v.bytes = value;
}

std::vector<IProfile::ValueName> MemoryProfile::valueNames(std::string_view section) const
{
    std::vector<ValueName> names;
    const auto s = m_sections.find(profileKey(section));
    if (s == m_sections.end())
        return names;
    for (const auto& [key, value] : s->second.values)
        names.push_back({value.originalName, value.binary});
    return names;
}

void MemoryProfile::removeValue(std::string_view section, std::string_view name)
{
    const auto s = m_sections.find(profileKey(section));
    if (s != m_sections.end())
        s->second.values.erase(profileKey(name));
}

void MemoryProfile::removeSection(std::string_view section)
{
    const std::string key = profileKey(section);
    const std::string prefix = key + "\\";
    for (auto it = m_sections.begin(); it != m_sections.end();) {
        if (it->first == key || it->first.starts_with(prefix))
            it = m_sections.erase(it);
        else
            ++it;
    }
}

} // namespace rz
