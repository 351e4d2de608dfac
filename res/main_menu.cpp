#include "res/main_menu.h"

#include <array>
#include <iterator>

namespace rz {
namespace {

using Kind = MenuEntry::Kind;

constexpr MenuEntry popup(uint8_t level, std::string_view text)
{
    return {level, Kind::Popup, text, 0};
}
constexpr MenuEntry item(uint8_t level, std::string_view text, uint32_t id)
{
    return {level, Kind::Command, text, id};
}
constexpr MenuEntry separator(uint8_t level)
{
    return {level, Kind::Separator, {}, 0};
}

// The Transport popup's items (level 0); the right-click menu shows them too.
constexpr MenuEntry kTransportItems[] = {
    item(0, "&Play/Cue", 32775),
    item(0, "Play/&Stop", 32881),
    item(0, "Play/Pa&use", 32878),
    item(0, "Play &through", 61641),
    item(0, "S&top", 32776),
    item(0, "P&ause", 32806),
    item(0, "&Record", 32840),
    item(0, "Re&take", 61640),
    separator(0),
    item(0, "&Beginning", 32781),
    item(0, "&End", 32782),
    item(0, "Next &measure", 32778),
    item(0, "Pre&vious measure", 32777),
    item(0, "Next &cue", 32780),
    item(0, "Previous c&ue", 32779),
    item(0, "Next &note", 32800),
    item(0, "Previous n&ote", 32799),
    item(0, "&Go to...", 32922),
    separator(0),
    item(0, "S&kip next measure", 32813),
    item(0, "Repeat measure", 32812),
    item(0, "Toggle &last vamp", 32791),
    separator(0),
    item(0, "Next song", 32818),
    item(0, "Previous song", 32819),
    separator(0),
    item(0, "Sol&o", 32815),
    item(0, "Un-solo", 32816),
    item(0, "Mark track(s) for recording", 61493),
    item(0, "Cancel recording on marked track(s)", 61494),
    separator(0),
    item(0, "Conductor tap", 32783),
    item(0, "Click on/off", 61499),
};

constexpr MenuEntry kMenuHead[] = {
    popup(0, "&File"),
    item(1, "&New...", 57600),
    item(1, "&Open...", 57601),
    item(1, "&Close all", 32928),
    separator(1),
    item(1, "&Save", 57603),
    item(1, "Save a&ll", 32817),
    item(1, "Save &as...", 33022),
    item(1, "Re&vert", 32988),
    separator(1),
    popup(1, "&Import"),
    item(2, "&Songs...", 32771),
    item(2, "&Tracks...", 33016),
    item(2, "&Audio clip...", 32923),
    item(2, "&Lyrics...", 33053),
    separator(1),
    item(1, "&Print...", 57607),
    item(1, "Print pre&view", 57609),
    item(1, "P&rinter setup...", 57606),
    separator(1),
    item(1, "Sen&d...", 32939),
    item(1, "Stat&s...", 33020),
    item(1, "Riz &Uzov Avevu", 33031),
    separator(1),
    popup(1, kRecentSetsMenu),
    item(2, "(Empty list)", 57616),
    popup(1, kRecentSongsMenu),
    item(2, "(Empty list)", 57624),

    popup(0, "&Edit"),
    item(1, "&Undo", 57643),
    item(1, "&Redo", 57644),
    separator(1),
    item(1, "Cu&t", 57635),
    item(1, "&Copy", 57634),
    item(1, "&Paste", 57637),
    separator(1),
    item(1, "Select &All time", 57642),
    item(1, "Select t&ime...", 32770),
    separator(1),
    item(1, "&Find...", 57636),
    item(1, "Find &next", 33037),
    item(1, "Find fau&lts", 33049),
    separator(1),
    popup(1, kAudioEffectMenu),
    item(2, "&More...", 32932),
    popup(1, "Appl&y"),
    item(2, "&Tempo multiplier", 32952),
    item(2, "Track playback &offsets", 32951),

    popup(0, "&View"),
    item(1, "&Clips && cues", 32832),
    item(1, "&Events", 32833),
    item(1, "&Staff", 32834),
    item(1, "&Piano roll", 32835),
    item(1, "&Karaoke", 32836),
    item(1, "&Lead sheet", 32837),
    item(1, "&Waveform", 32838),
    item(1, "&Velocity", 32839),
    separator(1),
    item(1, "&Tempo map", 32842),
    item(1, "&Faders", 32961),
    item(1, "P&itch wheel map", 32843),
    item(1, "C&hannel pressure map", 32846),
    item(1, "&MOD wheel map", 32990),
    item(1, "E&xpression map", 32991),
    item(1, "&Other controller map...", 32873),
    separator(1),
    item(1, "Power spect&rum", 32935),
    item(1, "MIDI measure/&beat", 32938),
    item(1, "Bouncing metro&nome", 32944),
    separator(1),
    item(1, "Meter/ke&y", 32995),
    item(1, "Set ti&mes", 32996),
    item(1, "Son&g time", 32997),
    separator(1),
    popup(1, kLayoutMenu),
    item(2, "&Snapshot", 33044),
    item(2, "&Restore", 33045),
    item(2, "&Clear", 33046),

    popup(0, "&Insert"),
    item(1, "&Track...", 32831),
    item(1, "&Meter...", 32830),
    item(1, "Measure &numbers...", 32784),
    item(1, "&Key signature...", 32829),
    item(1, "&Event...", 32768),
    item(1, "T&ime...", 32769),
    item(1, "C&hord...", 33047),
    item(1, "&Series of controller values...", 32875),
    separator(1),
    item(1, "&Cue...", 32773),
    separator(1),
    item(1, "Tem&po...", 32785),
    item(1, "Series of tempo&s...", 32786),

    popup(0, "&Transport"),
};

constexpr MenuEntry kMenuTail[] = {
    popup(0, "&Adjust"),
    item(1, "Tempo &slower 1%", 32809),
    item(1, "Tempo &faster 1%", 32810),
    item(1, "Tempo &100%", 32808),
    separator(1),
    item(1, "Volume f&ull", 32979),
    item(1, "Volume &down 1%", 32980),
    item(1, "Volume &up 1%", 32981),
    separator(1),
    item(1, "MIDI &Reset", 32811),
    item(1, "Free stuck &notes", 32794),
    item(1, "&Harp pedals...", 33048),
    separator(1),
    item(1, "&Transpose up", 61495),
    item(1, "Transpose do&wn", 61496),
    separator(1),
    item(1, "&Perform", 61497),
    item(1, "&Edit mode", 61498),

    popup(0, "&Setup"),
    item(1, "&Options...", 32774),
    item(1, "&Record options...", 32954),
    item(1, "Play&back options...", 32955),
    separator(1),
    item(1, "MIDI &ports...", 32876),
    item(1, "Synth patch &names...", 32888),
    item(1, "&External control...", 32877),
    item(1, "&Keyboard accelerators...", 32994),
    item(1, "S&ynchronization...", 32920),
    separator(1),
    item(1, "&SoundFont bank manager...", 32992),
    item(1, "&Waveform Audio...", 33035),

    popup(0, "&Help"),
    item(1, "&Contents", 32879),
    item(1, "&Search...", 32880),
    item(1, "&Tip of the Day...", 33036),
    separator(1),
    popup(1, "Web &links"),
    item(2, "&MIDI Manufacturers Association", 32985),
    item(2, "&DEVU Rizoraz", 32882),
    separator(1),
    item(1, "Check for &update...", 32984),
    separator(1),
    item(1, "&About DEVU Rizoraz...", 57664),
};

// Head, the Transport items one level down, tail.
constexpr auto kMainMenu = [] {
    constexpr size_t kHead = std::size(kMenuHead);
    constexpr size_t kTransport = std::size(kTransportItems);
    std::array<MenuEntry, kHead + kTransport + std::size(kMenuTail)> menu{};
    size_t at = 0;
    for (const MenuEntry& entry : kMenuHead)
        menu[at++] = entry;
    for (MenuEntry entry : kTransportItems) {
        ++entry.level;
        menu[at++] = entry;
    }
    for (const MenuEntry& entry : kMenuTail)
        menu[at++] = entry;
    return menu;
}();

} // namespace

std::span<const MenuEntry> mainMenu()
{
    return kMainMenu;
}

std::span<const MenuEntry> frameContextMenu()
{
    return kTransportItems;
}

} // namespace rz
