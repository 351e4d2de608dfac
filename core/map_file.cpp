#include "core/map_file.h"

#include "core/archive_string.h"
#include "core/byte_reader.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/text_codec.h"

#include <cstdio>

namespace rz {
namespace {

constexpr uint32_t kMapFileVersion = 1;
// A map needs at least a one-byte name prefix and its record count.
constexpr size_t kSmallestMapBytes = 1 + 4;

void appendU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(value >> shift));
}

std::string at(const ByteReader& reader)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%zX", reader.offset());
    return text;
}

std::optional<NamedMap> readOneMap(ByteReader& reader, size_t recordBytes, std::string& reason)
{
    const std::string where = at(reader);
    const auto name = readArchiveString(reader, reason);
    if (!name) {
        reason = "map name at " + where + ": " + reason;
        return std::nullopt;
    }
    const auto count = reader.u32le();
    if (!count) {
        reason = "record count at " + at(reader) + " runs past the end";
        return std::nullopt;
    }
    if (*count > reader.remaining() / recordBytes) {
        reason = std::to_string(*count) + " records at " + at(reader) + " exceed the "
                 + std::to_string(reader.remaining()) + " bytes left";
        return std::nullopt;
    }
    const auto records = reader.bytes(size_t(*count) * recordBytes);
    NamedMap map{decodeText(*name), std::vector<uint8_t>(records->begin(), records->end())};
    return map;
}

} // namespace

std::vector<uint8_t> writeMapFile(std::span<const NamedMap> maps, size_t recordBytes)
{
    std::vector<uint8_t> out;
    appendU32(out, kMapFileVersion);
    appendU32(out, uint32_t(maps.size()));
    for (auto map = maps.rbegin(); map != maps.rend(); ++map) {
        writeArchiveString(out, std::string_view(map->name));
        const size_t count = map->records.size() / recordBytes;
        appendU32(out, uint32_t(count));
        out.insert(out.end(), map->records.begin(),
                   map->records.begin() + std::ptrdiff_t(count * recordBytes));
    }
    return out;
}

std::optional<std::vector<NamedMap>> readMapFile(std::span<const uint8_t> bytes,
                                                 size_t recordBytes, std::string& reason)
{
    ByteReader reader(bytes);
    const auto version = reader.u32le();
    const auto count = reader.u32le();
    if (!version || !count) {
        reason = "the file is shorter than its 8-byte header";
        return std::nullopt;
    }
    if (*count > reader.remaining() / kSmallestMapBytes) {
        reason = std::to_string(*count) + " maps exceed the " + std::to_string(reader.remaining())
                 + " bytes left";
        return std::nullopt;
    }
    std::vector<NamedMap> maps;
    maps.reserve(*count);
    for (uint32_t i = 0; i < *count; ++i) {
        auto map = readOneMap(reader, recordBytes, reason);
        if (!map)
            return std::nullopt;
        maps.push_back(std::move(*map));
    }
    return maps;
}

std::optional<size_t> findMap(std::span<const NamedMap> maps, std::string_view name)
{
    const std::string key = profileKey(name);
    for (size_t i = 0; i < maps.size(); ++i) {
        if (profileKey(maps[i].name) == key)
            return i;
    }
    return std::nullopt;
}

size_t mergeImportedMaps(std::vector<NamedMap>& maps, const std::vector<NamedMap>& imported,
                         std::string_view protectedName, IPrompt& prompt)
{
    size_t changed = 0;
    for (const NamedMap& map : imported) {
        if (!protectedName.empty() && profileKey(map.name) == profileKey(protectedName))
            continue;
        if (const auto existing = findMap(maps, map.name)) {
            const std::string question = "Map '" + map.name + "' already exists.  Overwrite?";
            if (prompt.askYesNo(question) != PromptAnswer::Yes)
                continue;
            maps[*existing].records = map.records;
        } else {
            maps.push_back(map);
        }
        ++changed;
    }
    return changed;
}

} // namespace rz
