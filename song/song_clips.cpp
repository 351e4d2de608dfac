#include <algorithm>
#include <cstdio>
#include <string>
#include <system_error>

#include "core/ms_clock.h"
#include "song/song_doc.h"

namespace rz {

namespace {

// The file part of a stored name; stored names may use either separator.
std::string filePart(const std::string& name)
{
    const size_t slash = name.find_last_of("\\/");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

// "take_12" -> "take": a trailing '_' and digits (not at the very start) is a
// number an earlier name got, not part of the base.
void cutNumberSuffix(std::string& base)
{
    const size_t underscore = base.rfind('_');
    if (underscore == std::string::npos || underscore == 0 || underscore + 1 == base.size())
        return;
    const bool digits = std::all_of(base.begin() + std::ptrdiff_t(underscore) + 1, base.end(),
                                    [](char c) { return c >= '0' && c <= '9'; });
    if (digits)
        base.erase(underscore);
}

std::string clipBase(const std::string& name)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08x", unsigned(timeGetTime()));
    if (name.find_first_of("\\/") == std::string::npos)
        return hex;
    std::string base = filePart(name);
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos)
        base.erase(dot);
    cutNumberSuffix(base);
    return base.empty() ? std::string(hex) : base;
}

} // namespace

void CSongDoc::MakeClipFileName(std::filesystem::path& name)
{
    const std::filesystem::path folder = songFolder / "WaveData";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string base = clipBase(name.string());
    for (int n = 1;; ++n) {
        std::string file = base;
        if (n > 1)
            file += "_" + std::to_string(n);
        file += ".wav";
        std::filesystem::path candidate = folder / file;
        if (!std::filesystem::exists(candidate, error)) {
            name = candidate;
            return;
        }
    }
}

} // namespace rz
