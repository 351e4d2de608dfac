// Setup's map dialogs: modal, so the key filter is off while they run.

#include "app/app.h"

#include "app/accel_maps_dialog.h"
#include "app/control_maps_dialog.h"
#include "app/main_frame.h"
#include "res/command_ids.h"
#include "ui/gui_thread.h"

namespace rz {

bool App::onSetupMaps(CommandId id)
{
    RZ_ASSERT_GUI_THREAD();
    if (id == kIdKeyboardAccelerators) {
        CAccelMapsDlg dialog(*this, m_frame);
        dialog.exec();
        return true;
    }
    if (id == kIdExternalControl) {
        CControlMapsDlg dialog(*this, m_frame);
        dialog.exec();
        return true;
    }
    return false;
}

} // namespace rz
