// The Ports dialog's work on one hosted instrument: its program saved into
// the current song and its editor window.
#include "engine/ui/ports_dlg.h"

#include "engine/out_port.h"

namespace rz {

void CPortsDlg::saveProgram(const COutPort&)
{
}

void CPortsDlg::spawnControlPanel(const COutPort&)
{
}

} // namespace rz
