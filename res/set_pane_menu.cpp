#include "res/set_pane_menu.h"

#include "res/command_ids.h"

namespace rz {

std::span<const MenuRow> setPaneMenu()
{
    static constexpr MenuRow kRows[] = {
        {kIdGoToItem, "&Go to"},
        {kIdDisableSong, "Disabl&e song"},
        {0, ""},
        {kIdFileNew, "&New..."},
        {kIdFileOpen, "&Open..."},
        {kIdImportSongs, "&Import songs..."},
        {kIdCreateFolder, "Create a &folder"},
        {kIdSendByMail, "Sen&d..."},
        {kIdSaveAs, "Save &as..."},
        {0, ""},
        {kIdExpandAll, "E&xpand all"},
        {kIdCollapseAll, "Co&llapse all"},
        {kIdAlphabetizeSet, "&Alphabetize set"},
        {kIdSpawnTopLevelWindow, "&Spawn top level window"},
        {0, ""},
        {kIdEditCut, "Cu&t"},
        {kIdEditCopy, "&Copy"},
        {kIdEditPaste, "&Paste"},
        {kIdDelete, "&Delete"},
        {0, ""},
        {kIdProperties, "P&roperties"},
    };
    return kRows;
}

} // namespace rz
