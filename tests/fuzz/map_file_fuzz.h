// The body of the two map file fuzz targets: any bytes read without harm,
// no map holds a partial record, and what reads is written and read back
// unchanged.
#pragma once

#include "core/map_file.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace rz::fuzz {

inline int fuzzMapFile(const char* name, const uint8_t* data, size_t size, size_t recordBytes)
{
    std::string reason;
    const auto maps = readMapFile({data, size}, recordBytes, reason);
    if (!maps) {
        if (reason.empty()) {
            std::fprintf(stderr, "%s: refused without a reason\n", name);
            std::abort();
        }
        return 0;
    }
    for (const NamedMap& map : *maps) {
        if (map.records.size() % recordBytes != 0)
            std::abort();
    }
    // The file holds maps last first; writing reverses them again.
    const std::vector<NamedMap> listed(maps->rbegin(), maps->rend());
    const auto again = readMapFile(writeMapFile(listed, recordBytes), recordBytes, reason);
    if (!again || *again != *maps) {
        std::fprintf(stderr, "%s: the written file does not read back\n", name);
        std::abort();
    }
    return 0;
}

// Seeds: files the program writes, with names of each prefix form.
inline std::vector<std::string> mapFileSeeds(size_t recordBytes)
{
    std::vector<std::string> seeds;
    const std::vector<uint8_t> records(3 * recordBytes, 0x41);
    for (const size_t length : {size_t(0), size_t(4), size_t(300)}) {
        const std::vector<NamedMap> maps{{std::string(length, 'm'), records}, {"MIDI", {}}};
        const std::vector<uint8_t> bytes = writeMapFile(maps, recordBytes);
        seeds.emplace_back(bytes.begin(), bytes.end());
    }
    return seeds;
}

} // namespace rz::fuzz
