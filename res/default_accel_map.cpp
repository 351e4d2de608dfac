#include "res/default_accel_map.h"

#include <array>

namespace rz {
namespace {

constexpr uint8_t kVirt = 1;
constexpr uint8_t kShift = kVirt | 4;
constexpr uint8_t kCtrl = kVirt | 8;
constexpr uint8_t kAlt = kVirt | 16;
constexpr uint8_t kCtrlAlt = kVirt | 8 | 16;

// Virtual-key codes of the non-alphanumeric keys the map uses.
constexpr uint16_t kReturn = 0x0D;
constexpr uint16_t kEscape = 0x1B;
constexpr uint16_t kSpace = 0x20;
constexpr uint16_t kPageUp = 0x21;
constexpr uint16_t kPageDown = 0x22;
constexpr uint16_t kEnd = 0x23;
constexpr uint16_t kHome = 0x24;
constexpr uint16_t kLeft = 0x25;
constexpr uint16_t kUp = 0x26;
constexpr uint16_t kRight = 0x27;
constexpr uint16_t kDown = 0x28;
constexpr uint16_t kDelete = 0x2E;
constexpr uint16_t kF3 = 0x72;
constexpr uint16_t kF4 = 0x73;
constexpr uint16_t kF6 = 0x75;
constexpr uint16_t kF7 = 0x76;
constexpr uint16_t kF8 = 0x77;
constexpr uint16_t kF10 = 0x79;
constexpr uint16_t kF11 = 0x7A;
constexpr uint16_t kF12 = 0x7B;
constexpr uint16_t kComma = 0xBC;
constexpr uint16_t kSlash = 0xBF;
constexpr uint16_t kOpenBracket = 0xDB;
constexpr uint16_t kBackslash = 0xDC;
constexpr uint16_t kCloseBracket = 0xDD;

constexpr std::array<AccelRecordData, 81> kDefaultMap{{
    {kCtrl, 'N', 57600},          // New song or set
    {kCtrl, 'O', 57601},          // Open
    {kCtrl, 'S', 57603},          // Save
    {kCtrlAlt, 'S', 32817},       // Save all
    {kCtrl, 'P', 57607},          // Print
    {kCtrl, kF6, 32988},          // Revert to recent song
    {kCtrl, 'Z', 57643},          // Undo
    {kCtrl, 'Y', 57644},          // Redo
    {kCtrl, 'C', 57634},          // Copy
    {kCtrl, 'X', 57635},          // Cut
    {kCtrl, 'V', 57637},          // Paste
    {kVirt, kDelete, 32787},      // Delete
    {kCtrl, 'A', 57642},          // Select all
    {kCtrl, 'Q', 32913},          // Quantize
    {kAlt, kReturn, 32788},       // Properties
    {kAlt, '1', 32842},           // View tempos
    {kAlt, '2', 32961},           // View faders
    {kAlt, '3', 32991},           // View expression
    {kAlt, '4', 32843},           // View pitch
    {kCtrl, kReturn, 32775},      // Play
    {kVirt, kSpace, 32881},       // Play/Stop
    {kCtrl, 'R', 32840},          // Record
    {kVirt, kEscape, 32776},      // Stop
    {kVirt, kSlash, 32815},       // Solo
    {kVirt, kBackslash, 32816},   // Un-solo
    {kVirt, kF7, 32812},          // Repeat measure
    {kVirt, kF8, 32813},          // Skip next measure
    {kVirt, kF11, 32791},         // Last vamp
    {kCtrl, kHome, 32781},        // Go to beginning
    {kCtrl, kEnd, 32782},         // Go to end
    {kCtrl, kPageDown, 32780},    // Next cue
    {kCtrl, kPageUp, 32779},      // Previous cue
    {kCtrl, kLeft, 32777},        // Previous measure
    {kCtrl, kRight, 32778},       // Next measure
    {kCtrl, 'G', 32922},          // Go to position
    {kCtrl, kUp, 32799},          // Previous note
    {kCtrl, kDown, 32800},        // Next note
    {kCtrl, kCloseBracket, 32810}, // Tempo faster
    {kCtrl, kOpenBracket, 32809}, // Tempo slower
    {kCtrl, '0', 32808},          // Tempo normal
    {kAlt, kOpenBracket, 32980},  // Volume down
    {kAlt, '0', 32979},           // Volume full
    {kAlt, kCloseBracket, 32981}, // Volume up
    {kVirt, kF10, 32811},         // Reset MIDI
    {kVirt, kF12, 32794},         // Free stuck notes
    {kAlt, 'A', 61472},           // Menu Adjust
    {kAlt, 'E', 61468},           // Menu Edit
    {kAlt, 'F', 61467},           // Menu File
    {kAlt, 'H', 61474},           // Menu Help
    {kAlt, 'I', 61470},           // Menu Insert
    {kAlt, 'T', 61471},           // Menu Transport
    {kAlt, 'S', 61473},           // Menu Setup
    {kAlt, 'V', 61469},           // Menu View
    {kShift, '0', 61482},         // Skip +0 .. Skip +9
    {kShift, '1', 61483},
    {kShift, '2', 61484},
    {kShift, '3', 61485},
    {kShift, '4', 61486},
    {kShift, '5', 61487},
    {kShift, '6', 61488},
    {kShift, '7', 61489},
    {kShift, '8', 61490},
    {kShift, '9', 61491},
    {kShift, 'R', 61494},         // Cancel recording on marked tracks
    {kVirt, 'R', 61493},          // Mark tracks for recording
    {kShift, kEscape, 61640},     // Retake
    {kShift, kReturn, 61641},     // Play through
    {kCtrl, 'F', 57636},          // Find
    {kVirt, kF3, 33037},          // Find next
    {kCtrl, '1', 32832},          // View clips and cues
    {kCtrl, '2', 32833},          // View events
    {kCtrl, '3', 32834},          // View staff
    {kCtrl, '4', 32835},          // View piano roll
    {kCtrl, '5', 32836},          // Karaoke
    {kCtrl, '6', 32837},          // View lead sheet
    {kCtrl, '7', 32838},          // View waveform
    {kVirt, 'S', 503},            // Select tool
    {kVirt, 'D', 504},            // Draw tool
    {kVirt, kF4, 33049},          // Find faults
    {kCtrl, '8', 32839},          // View velocity
    {kVirt, kComma, 32806},       // Pause
}};

} // namespace

std::span<const AccelRecordData> defaultAccelRecords()
{
    return kDefaultMap;
}

std::vector<uint8_t> defaultAccelMapBytes()
{
    std::vector<uint8_t> bytes;
    bytes.reserve(kDefaultMap.size() * 6);
    for (const AccelRecordData& r : kDefaultMap) {
        bytes.push_back(r.flags);
        bytes.push_back(0);
        bytes.push_back(uint8_t(r.key & 0xFF));
        bytes.push_back(uint8_t(r.key >> 8));
        bytes.push_back(uint8_t(r.command & 0xFF));
        bytes.push_back(uint8_t(r.command >> 8));
    }
    return bytes;
}

} // namespace rz
