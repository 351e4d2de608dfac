// Test programs run with the lock-order check on, whatever the build type.
#include "core/locks.h"

namespace {
const bool kLockOrderCheckOn = (rz::setLockOrderCheck(true), true);
} // namespace
