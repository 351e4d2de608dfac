#include "engine/audio/filter_presets.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace rz {

namespace {

constexpr std::string_view kLastUsed = "last used";
constexpr std::string_view kPresetPrefix = "preset ";
constexpr std::string_view kVendorFolder = "Vozuzuzuziv Software";

// Bytes a section or key line could misread are written as %XX.
bool needsEscape(unsigned char c, bool edge)
{
    return c < 0x20 || c == 0x7F || c == '%' || c == '[' || c == ']' || c == '=' || c == ';'
           || c == '#' || c == '/' || c == '\\' || (edge && c == ' ');
}

std::string escape(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (needsEscape(c, i == 0 || i + 1 == text.size())) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out += char(c);
        }
    }
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string unescape(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0
            && hexDigit(text[i + 2]) >= 0) {
            out += char(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string keyOf(const LadspaControl& control)
{
    return std::to_string(control.port) + ":" + escape(control.name);
}

std::string formatValue(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", double(value));
    return text;
}

std::optional<float> parseValue(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

std::filesystem::path filterDataFolderFor(std::string_view xdgDataHome, std::string_view home)
{
    std::filesystem::path base(xdgDataHome);
    if (xdgDataHome.empty() || !base.is_absolute())
        base = std::filesystem::path(home) / ".local" / "share";
    return base / kVendorFolder / "filterdata";
}

std::filesystem::path filterDataFolder()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    return filterDataFolderFor(data ? data : "", home ? home : "");
}

std::filesystem::path pluginMarkFolder()
{
    return filterDataFolder().parent_path();
}

FilterPresetStore::FilterPresetStore(const LadspaPluginInfo& plugin)
    : m_controls(plugin.controls),
      m_fileName(std::to_string(plugin.uniqueId) + "-" + escape(plugin.label) + ".ini")
{
}

std::string FilterPresetStore::presetSection(std::string_view name)
{
    return std::string(kPresetPrefix) + escape(name);
}

std::optional<std::string> FilterPresetStore::presetName(std::string_view section)
{
    if (!section.starts_with(kPresetPrefix) || section.size() == kPresetPrefix.size())
        return std::nullopt;
    return unescape(section.substr(kPresetPrefix.size()));
}

bool FilterPresetStore::open(const std::filesystem::path& folder, std::string& reason)
{
    m_file.clear();
    m_sections.clear();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::filesystem::path file = folder / m_fileName;
    if (std::filesystem::exists(file, error)) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (!in) {
            reason = file.string() + ": cannot be read";
            return false;
        }
        parse(text.str());
        m_file = file;
        return true;
    }
    m_file = file;
    if (!write(reason)) {
        m_file.clear();
        return false;
    }
    return true;
}

void FilterPresetStore::parse(std::string_view text)
{
    Section* current = nullptr;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            const std::string name(line.substr(1, line.size() - 2));
            auto found = std::find_if(m_sections.begin(), m_sections.end(),
                                      [&](const Section& s) { return s.name == name; });
            current = found != m_sections.end() ? &*found : &m_sections.emplace_back(Section{name, {}});
            continue;
        }
        const size_t equals = line.find('=');
        if (current && equals != std::string_view::npos)
            current->values.emplace_back(std::string(trim(line.substr(0, equals))),
                                         std::string(trim(line.substr(equals + 1))));
    }
}

std::vector<std::string> FilterPresetStore::presetNames() const
{
    std::vector<std::string> names;
    for (const Section& section : m_sections)
        if (std::optional<std::string> name = presetName(section.name))
            names.push_back(std::move(*name));
    std::sort(names.begin(), names.end());
    return names;
}

bool FilterPresetStore::hasPreset(std::string_view name) const
{
    const std::string wanted = presetSection(name);
    return std::any_of(m_sections.begin(), m_sections.end(),
                       [&](const Section& s) { return s.name == wanted; });
}

bool FilterPresetStore::loadPreset(std::string_view name, std::vector<float>& values) const
{
    return load(presetSection(name), values);
}

bool FilterPresetStore::loadLastUsed(std::vector<float>& values) const
{
    return load(kLastUsed, values);
}

bool FilterPresetStore::load(std::string_view sectionName, std::vector<float>& values) const
{
    auto section = std::find_if(m_sections.begin(), m_sections.end(),
                                [&](const Section& s) { return s.name == sectionName; });
    if (section == m_sections.end())
        return false;
    for (const auto& [key, text] : section->values) {
        // A lambda may not capture a structured binding before C++20's later fixes.
        const auto& wanted = key;
        auto control = std::find_if(m_controls.begin(), m_controls.end(), [&](const LadspaControl& c) {
            return !c.output && keyOf(c) == wanted;
        });
        const std::optional<float> value = parseValue(text);
        const auto index = size_t(control - m_controls.begin());
        if (control != m_controls.end() && value && index < values.size())
            values[index] = control->clamp(*value);
    }
    return true;
}

bool FilterPresetStore::savePreset(std::string_view name, std::span<const float> values,
                                   std::string& reason)
{
    return save(presetSection(name), values, reason);
}

bool FilterPresetStore::saveLastUsed(std::span<const float> values, std::string& reason)
{
    return save(kLastUsed, values, reason);
}

bool FilterPresetStore::save(std::string_view sectionName, std::span<const float> values,
                             std::string& reason)
{
    if (!isOpen()) {
        reason = "no preset store";
        return false;
    }
    Section section{std::string(sectionName), {}};
    for (size_t i = 0; i < m_controls.size() && i < values.size(); ++i)
        if (!m_controls[i].output)
            section.values.emplace_back(keyOf(m_controls[i]), formatValue(values[i]));
    const std::vector<Section> before = m_sections;
    auto found = std::find_if(m_sections.begin(), m_sections.end(),
                              [&](const Section& s) { return s.name == sectionName; });
    if (found != m_sections.end())
        *found = std::move(section);
    else
        m_sections.push_back(std::move(section));
    if (write(reason))
        return true;
    m_sections = before;
    return false;
}

bool FilterPresetStore::removePreset(std::string_view name, std::string& reason)
{
    const std::string wanted = presetSection(name);
    const std::vector<Section> before = m_sections;
    if (std::erase_if(m_sections, [&](const Section& s) { return s.name == wanted; }) == 0) {
        reason = "no preset \"" + std::string(name) + "\"";
        return false;
    }
    if (write(reason))
        return true;
    m_sections = before;
    return false;
}

bool FilterPresetStore::write(std::string& reason) const
{
    std::string text;
    for (const Section& section : m_sections) {
        text += "[" + section.name + "]\n";
        for (const auto& [key, value] : section.values)
            text += key + "=" + value + "\n";
        text += "\n";
    }
    std::filesystem::path temporary = m_file;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            reason = temporary.string() + ": cannot be written";
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, m_file, error);
    if (error) {
        reason = m_file.string() + ": " + error.message();
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

} // namespace rz
