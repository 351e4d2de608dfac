#pragma once

#include <cstdint>

namespace rz {

// Counts the allocations this thread makes while it lives, in a program that
// links rz_alloc_counter: that library replaces the global operator new
// (under AddressSanitizer, whose runtime owns it, it counts through the
// runtime's malloc hook instead). Realtime code proves it allocates nothing
// with it; one counter at a time per thread.
class AllocationCount {
public:
    AllocationCount();
    ~AllocationCount();
    AllocationCount(const AllocationCount&) = delete;
    AllocationCount& operator=(const AllocationCount&) = delete;

    // Allocations since construction or the last reset.
    uint64_t value() const;
    void reset();

private:
    uint64_t m_start;
};

} // namespace rz
