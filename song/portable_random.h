#pragma once

#include <cstdint>

namespace rz {

// The pseudo-random generator given as an example in the C standard:
// values 0..32767 on every platform, so an amount scaled by value / 32767
// stays within itself (the C library's own rand() may span 31 bits).
class PortableRandom {
public:
    static constexpr int kMax = 32767;

    explicit PortableRandom(uint32_t seed) : m_next(seed) {}

    int next()
    {
        m_next = m_next * 1103515245u + 12345u;
        return int((m_next / 65536u) % 32768u);
    }

private:
    uint32_t m_next;
};

} // namespace rz
