// Plug-in libraries that misbehave in their descriptor function, one kind
// per build: RZ_HOSTILE_CRASH dies, RZ_HOSTILE_HANG waits for the bound in
// RZ_TEST_LADSPA_HANG_MS and is then killed as a user would kill a hung
// program, RZ_HOSTILE_ENDLESS answers every index.
#include <csignal>
#include <cstdlib>
#include <thread>

#include <ladspa.h>

extern "C" __attribute__((visibility("default"))) const LADSPA_Descriptor* ladspa_descriptor(unsigned long)
{
#if defined(RZ_HOSTILE_CRASH)
    std::raise(SIGSEGV);
    return nullptr;
#elif defined(RZ_HOSTILE_HANG)
    const char* bound = std::getenv("RZ_TEST_LADSPA_HANG_MS");
    std::this_thread::sleep_for(std::chrono::milliseconds(bound ? std::atoi(bound) : 1000));
    std::raise(SIGKILL);
    return nullptr;
#else
    static const LADSPA_Descriptor incomplete{};
    return &incomplete;
#endif
}
