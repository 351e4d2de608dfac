#include "views/menu_tracking.h"

#include <QApplication>

namespace rz {

// Every pop-up counts, whoever opened it.
bool frameMenuTracking()
{
    return QApplication::activePopupWidget() != nullptr;
}

} // namespace rz
