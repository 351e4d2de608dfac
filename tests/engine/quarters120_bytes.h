#pragma once

// The bytes of tests/fixtures/engine/quarters120.mid: format 0, 480 ticks
// per quarter, 120 per minute, eight quarter notes of key 60, each 240
// ticks long. The engine's serial program reads the file when it knows the
// fixture folder and these bytes otherwise; a test keeps the two equal.

#include "song/smf_reader.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace rz::test {

inline std::vector<uint8_t> quarters120Bytes()
{
    std::vector<uint8_t> bytes = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, // header, 6 bytes
        0, 0, 0, 1, 0x01, 0xE0,         // format 0, one track, 480 per quarter
        'M', 'T', 'r', 'k', 0, 0, 0, 0x62,
        0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,       // 500000 µs per quarter
        0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08, // 4/4, 24 clocks per click
    };
    for (int note = 0; note < 8; ++note) {
        if (note > 0)
            bytes.insert(bytes.end(), {0x81, 0x70}); // 240 ticks of rest
        else
            bytes.push_back(0x00);
        bytes.insert(bytes.end(), {0x90, 0x3C, 0x64});             // key 60 on
        bytes.insert(bytes.end(), {0x81, 0x70, 0x80, 0x3C, 0x40}); // off 240 ticks later
    }
    bytes.insert(bytes.end(), {0x00, 0xFF, 0x2F, 0x00}); // end of track
    return bytes;
}

// The fixture file, or its bytes where this program is built without the
// fixture folder.
inline bool OpenQuarters120(CSongDoc& song, std::string& reason)
{
#ifdef RZ_FIXTURE_DIR
    return OpenSong(song, std::filesystem::path(RZ_FIXTURE_DIR) / "engine/quarters120.mid", reason);
#else
    return OpenSongBytes(song, quarters120Bytes(), SongFileKind{}, reason);
#endif
}

} // namespace rz::test
