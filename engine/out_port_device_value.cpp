#include "engine/out_port.h"
#include "engine/out_port_internal.h"

namespace rz {

bool COutPort::setDeviceValue(DeviceValue value, int stored)
{
    PortGuard guard(m_semaphore, "setDeviceValue", m_lockWait);
    if (!guard)
        return false;
    deviceValueCache(value).set(stored < 0 ? out_port_detail::kUnsetDeviceValue : stored);
    return true;
}

} // namespace rz
