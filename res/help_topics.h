#pragma once

namespace rz {

// Help topics as "::/page.htm#anchor"; the pages lie in the help folder.
inline constexpr const char* kHelpWelcome = "::/Welcome.htm";
inline constexpr const char* kHelpKeys = "::/Keys.htm";
inline constexpr const char* kHelpSearch = "::/Search.htm";
// The MIDI association's web site.
inline constexpr const char* kMidiAssociationUrl = "https://www.midi.org/";

} // namespace rz
