#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace rz {

// The HOME folder the test program set up for itself.
inline std::filesystem::path testHome()
{
    return std::getenv("HOME");
}

// A Standard MIDI File of one empty track at `path`, its folders made.
inline std::filesystem::path writeSmallSong(const std::filesystem::path& path)
{
    static const unsigned char kBytes[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0, 120,
                                           'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(kBytes), sizeof kBytes);
    return path;
}

} // namespace rz
