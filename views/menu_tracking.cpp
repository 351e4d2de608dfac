#include "views/menu_tracking.h"

namespace rz {
namespace {

bool& trackingFlag()
{
    static bool flag = false;
    return flag;
}

} // namespace

bool frameMenuTracking()
{
    return trackingFlag();
}

MenuTrackingScope::MenuTrackingScope() : m_previous(trackingFlag())
{
    trackingFlag() = true;
}

MenuTrackingScope::~MenuTrackingScope()
{
    trackingFlag() = m_previous;
}

} // namespace rz
