#include "res/lyric_menu.h"

#include "res/view_switch_menu.h"

namespace rz {

namespace {

using Kind = MenuEntry::Kind;

constexpr auto kLyricMenu = joinMenu(std::array<MenuEntry, 7>{{
    {0, Kind::Popup, "Highlight style", 0},
    {1, Kind::Command, "Bouncing ball", kIdBouncingBall},
    {1, Kind::Command, "Highlight syllables", kIdHighlightSyllables},
    {1, Kind::Command, "Highlight lines", kIdHighlightLines},
    {1, Kind::Command, "Show object grid", kIdShowObjectGrid},
    {0, Kind::Command, "Karaoke options...", kIdKaraokeOptions},
    {0, Kind::Separator, "", 0},
}}, kViewSwitchEntries, std::array<MenuEntry, 12>{{
    {0, Kind::Separator, "", 0},
    {0, Kind::Command, "Copy lyrics to clipboard", kIdCopyLyrics},
    {0, Kind::Popup, "Spawn top level window", 0},
    {1, Kind::Command, "Most recent size", kIdSpawnTopLevelWindow},
    {1, Kind::Command, "640x480", kIdSpawnLyric640x480},
    {1, Kind::Command, "800x600", kIdSpawnLyric800x600},
    {1, Kind::Command, "1024x768", kIdSpawnLyric1024x768},
    {0, Kind::Separator, "", 0},
    {0, Kind::Command, "Import lyrics...", kIdImportLyrics},
    {0, Kind::Command, "Insert a lyric...", kIdInsertLyric},
    {0, Kind::Separator, "", 0},
    {0, Kind::Command, "Properties", kIdProperties},
}});

} // namespace

std::span<const MenuEntry> lyricContextMenu()
{
    return kLyricMenu;
}

} // namespace rz
