#include "res/lyric_menu.h"

#include "res/command_ids.h"

namespace rz {

namespace {

using Kind = MenuEntry::Kind;

constexpr MenuEntry kLyricMenu[] = {
    {0, Kind::Popup, "Highlight style", 0},
    {1, Kind::Command, "Bouncing ball", kIdBouncingBall},
    {1, Kind::Command, "Highlight syllables", kIdHighlightSyllables},
    {1, Kind::Command, "Highlight lines", kIdHighlightLines},
    {1, Kind::Command, "Show object grid", kIdShowObjectGrid},
    {0, Kind::Command, "Karaoke options...", kIdKaraokeOptions},
    {0, Kind::Separator, "", 0},
    {0, Kind::Command, "Clips  Cues", kIdViewClipsAndCues},
    {0, Kind::Command, "Events", kIdViewEvents},
    {0, Kind::Command, "Staff", kIdViewStaff},
    {0, Kind::Command, "Piano roll", kIdViewPianoRoll},
    {0, Kind::Command, "Karaoke", kIdViewKaraoke},
    {0, Kind::Command, "Lead-sheet", kIdViewLeadSheet},
    {0, Kind::Command, "Time", kIdViewWaveform},
    {0, Kind::Command, "Velocity", kIdViewVelocity},
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
};

} // namespace

std::span<const MenuEntry> lyricContextMenu()
{
    return kLyricMenu;
}

} // namespace rz
