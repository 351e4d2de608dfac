#pragma once

#include <cstddef>

namespace rz {

// Maps the whole pages inside [begin, begin + bytes) for writing in one
// call, ahead of the writes that would otherwise fault them in one by one
// (on a virtual machine each fault is costly). Contents do not change; a
// system without the call leaves the pages to fault as before.
void prefaultForWrite(void* begin, size_t bytes);

} // namespace rz
