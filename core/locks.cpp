#include "core/locks.h"

namespace rz {

ProgramMutex& SongMutex()
{
    static ProgramMutex mutex("SongMutex");
    return mutex;
}

ProgramMutex& AudioMutex()
{
    static ProgramMutex mutex("AudioMutex");
    return mutex;
}

ProgramMutex& ThruMutex()
{
    static ProgramMutex mutex("ThruMutex");
    return mutex;
}

ProgramMutex& TransportMutex()
{
    static ProgramMutex mutex("TransportMutex");
    return mutex;
}

LockGuard::LockGuard(ProgramMutex& mutex, const char* /*operation*/,
                     std::chrono::milliseconds wait)
    : m_mutex(mutex), m_owns(mutex.tryLockFor(wait))
{
}

LockGuard::~LockGuard()
{
    if (m_owns)
        m_mutex.unlock();
}

} // namespace rz
