#include "song/prefault.h"

#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

namespace rz {

void prefaultForWrite(void* begin, size_t bytes)
{
#ifdef MADV_POPULATE_WRITE
    static const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
    const uintptr_t first = (uintptr_t(begin) + page - 1) & ~(page - 1);
    const uintptr_t end = (uintptr_t(begin) + bytes) & ~(page - 1);
    if (end > first)
        madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#else
    (void)begin;
    (void)bytes;
#endif
}

} // namespace rz
