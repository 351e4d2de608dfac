#pragma once

#include <filesystem>
#include <string>

namespace rz::test {

// Writes `seconds` of a sine at `frequency` Hz, mono at `rate`, as a file of
// the container `format` ("aiff", "mp3", "asf") encoded with `encoder`
// ("pcm_s16be", "libmp3lame", "wmav2") through libavformat. Empty on
// success, else the reason.
std::string writeToneFile(const std::filesystem::path& path, const char* format, const char* encoder,
                          int rate, double seconds, double frequency);

} // namespace rz::test
