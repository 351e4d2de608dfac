#include "song/controller_names.h"

#include <array>

namespace rz {
namespace {

constexpr std::array<std::string_view, 128> kControllerNames{
    "Bank Select (0)", "Modulation Depth (1)", "Breath (2)", "3", "Foot Type (4)",
    "Portamento Time (5)", "Data Entry (6)", "Volume (7)", "8", "9", "Pan (10)",
    "Expression (11)", "12", "13", "14", "15", "General 1 (16)", "General 2 (17)",
    "General 3 (18)", "General 4 (19)", "20", "21", "22", "23", "24", "25", "26", "27", "28",
    "29", "30", "31", "Bank Select (32)", "33", "34", "35", "36", "37", "Data Entry (38)", "39",
    "40", "41", "42", "43", "44", "45", "46", "47", "48", "49", "50", "51", "52", "53", "54",
    "55", "56", "57", "58", "59", "60", "61", "62", "63", "Hold1 (64)", "Portamento ON/OFF (65)",
    "Sostenuto (66)", "Soft (67)", "Legato Switch (68)", "69", "70", "Resonance (71)",
    "Release Time (72)", "Attack Time (73)", "Brightness (74)", "Decay Time (75)",
    "Vibrato Rate (76)", "Vibrato Depth (77)", "Vibrato Delay (78)", "79", "General 5 (80)",
    "General 6 (81)", "General 7 (82)", "General 8 (83)", "Portamento Control (84)", "85", "86",
    "87", "88", "89", "90", "Reverb (91)", "Tremolo (92)", "Chorus (93)", "Celeste (94)",
    "Phaser (95)", "96", "Aftertouch (97)", "NRPN LSB (98)", "NRPN MSB (99)", "RPN LSB (100)",
    "RPN MSB (101)", "102", "103", "104", "105", "106", "107", "108", "109", "110", "111", "112",
    "113", "114", "115", "116", "117", "118", "119", "All Sound Off (120)",
    "Reset All Controllers (121)", "122", "All Notes Off (123)", "Omni Mode Off (124)",
    "Omni Mode On (125)", "Mono Mode On (126)", "Poly Mode On (127)",
};

} // namespace

std::string_view controllerName(int controller)
{
    if (controller < 0 || controller >= int(kControllerNames.size()))
        return {};
    return kControllerNames[size_t(controller)];
}

} // namespace rz
