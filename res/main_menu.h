#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace rz {

// One row of a menu resource, in display order. A popup's items follow it
// one level deeper; a separator has no text.
struct MenuEntry {
    enum class Kind : uint8_t { Command, Popup, Separator };
    uint8_t level = 0;
    Kind kind = Kind::Command;
    std::string_view text; // "&" marks the mnemonic; no key text
    uint32_t id = 0;       // commands only
};

// Menu resource 128: the main window's menu bar, File .. Help (8 popups).
std::span<const MenuEntry> mainMenu();

// The first popup of menu resource 156, the main window's right-click menu:
// the Transport menu's commands (at level 0).
std::span<const MenuEntry> frameContextMenu();

// The labels of the sub-menus the application rebuilds at run time.
inline constexpr std::string_view kRecentSetsMenu = "Recen&t sets";
inline constexpr std::string_view kRecentSongsMenu = "Recent son&gs";
inline constexpr std::string_view kAudioEffectMenu = "Audio &effect";
inline constexpr std::string_view kLayoutMenu = "&Layout";

} // namespace rz
