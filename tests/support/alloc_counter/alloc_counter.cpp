#include "tests/support/alloc_counter/alloc_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

thread_local bool t_counting = false;
// Per thread: one counter's figures are not disturbed by another thread's.
thread_local uint64_t t_allocations = 0;

void noteAllocation()
{
    if (t_counting)
        ++t_allocations;
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
// GCC ships no header for the hook.
extern "C" int __sanitizer_install_malloc_and_free_hooks(
    void (*onMalloc)(const volatile void*, std::size_t), void (*onFree)(const volatile void*));

namespace {

void countAllocation(const volatile void*, std::size_t)
{
    noteAllocation();
}
void ignoreFree(const volatile void*) {}
[[maybe_unused]] const int g_hooksInstalled =
    __sanitizer_install_malloc_and_free_hooks(countAllocation, ignoreFree);

} // namespace
#else
namespace {

void* allocate(std::size_t size) noexcept
{
    noteAllocation();
    return std::malloc(size == 0 ? 1 : size);
}

void* allocateOrThrow(std::size_t size)
{
    if (void* block = allocate(size))
        return block;
    throw std::bad_alloc();
}

} // namespace

// Not inlined: the compiler would pair a free with a new-expression and warn
// about a mismatch that is not one.
[[gnu::noinline]] void* operator new(std::size_t size) { return allocateOrThrow(size); }
[[gnu::noinline]] void* operator new[](std::size_t size) { return allocateOrThrow(size); }
[[gnu::noinline]] void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
[[gnu::noinline]] void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
[[gnu::noinline]] void operator delete(void* block) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete[](void* block) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
#endif

namespace rz {

AllocationCount::AllocationCount() : m_start(t_allocations)
{
    t_counting = true;
}

AllocationCount::~AllocationCount()
{
    t_counting = false;
}

uint64_t AllocationCount::value() const
{
    return t_allocations - m_start;
}

void AllocationCount::reset()
{
    m_start = t_allocations;
}

} // namespace rz
