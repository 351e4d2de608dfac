#include "core/log.h"

#include <cstdio>
#include <mutex>

namespace rz {

void writeLog(std::string_view line)
{
    static std::mutex mutex; // one line at a time, never interleaved
    const std::lock_guard lock(mutex);
    std::fprintf(stderr, "%.*s\n", int(line.size()), line.data());
    std::fflush(stderr);
}

} // namespace rz
