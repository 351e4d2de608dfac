// What the staff and lead-sheet views reach of the application. GUI thread.

#include "app/app.h"

#include "app/display_options.h"
#include "app/file_commands.h"
#include "app/main_frame.h"
#include "app/options/options_access.h"
#include "app/options/options_sheet.h"
#include "engine/synthdb/synth_db.h"
#include "staff/staff_view.h"

namespace rz {

StaffViewContext App::staffViewContext()
{
    StaffViewContext context;
    context.profile = m_profile;
    context.host = &m_songHost;
    context.trackRows = &m_trackRows;
    context.router = m_router.get();
    context.keys = m_keys.get();
    context.font = [this] { return m_musicFont.get(); };
    context.synths = [this]() -> const ISynthLookup* {
        return m_database ? &m_database->lookup() : nullptr;
    };
    context.tools = [this]() -> const StaffToolState* {
        return m_frame ? &m_frame->staffTools() : nullptr;
    };
    context.openStaffOptions = [this] { m_optionsSheet->OpenOptions(COptions::kStaff); };
    context.startFrameTimer = [this](int id, int ms) {
        if (m_frame)
            m_frame->timers().start(id, ms);
    };
    // Made on first use: making a printer asks the print system.
    context.printer = [this] { return &printer(); };
    context.performanceMode = [this] { return m_display.performanceMode(); };
    context.printPreviewMode = [this](bool on) {
        if (m_frame)
            m_frame->setPrintPreviewMode(on);
    };
    return context;
}

QPrinter& App::printer()
{
    return m_commands.file->printer();
}

} // namespace rz
