#include "res/default_accel_map.h"

#include "res/command_ids.h"

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
    {kCtrl, 'N', kIdFileNew},
    {kCtrl, 'O', kIdFileOpen},
    {kCtrl, 'S', kIdFileSave},
    {kCtrlAlt, 'S', kIdSaveAll},
    {kCtrl, 'P', kIdFilePrint},
    {kCtrl, kF6, kIdRevertToRecentSong},
    {kCtrl, 'Z', kIdEditUndo},
    {kCtrl, 'Y', kIdEditRedo},
    {kCtrl, 'C', kIdEditCopy},
    {kCtrl, 'X', kIdEditCut},
    {kCtrl, 'V', kIdEditPaste},
    {kVirt, kDelete, kIdDelete},
    {kCtrl, 'A', kIdEditSelectAll},
    {kCtrl, 'Q', kIdQuantize},
    {kAlt, kReturn, kIdProperties},
    {kAlt, '1', kIdViewTempoMap},
    {kAlt, '2', kIdViewFaders},
    {kAlt, '3', kIdViewExpression},
    {kAlt, '4', kIdViewPitchWheel},
    {kCtrl, kReturn, kIdPlay},
    {kVirt, kSpace, kIdPlayStop},
    {kCtrl, 'R', kIdRecord},
    {kVirt, kEscape, kIdStop},
    {kVirt, kSlash, kIdSolo},
    {kVirt, kBackslash, kIdUnsolo},
    {kVirt, kF7, kIdRepeatMeasure},
    {kVirt, kF8, kIdSkipNextMeasure},
    {kVirt, kF11, kIdLastVamp},
    {kCtrl, kHome, kIdGoToBeginning},
    {kCtrl, kEnd, kIdGoToEnd},
    {kCtrl, kPageDown, kIdNextCue},
    {kCtrl, kPageUp, kIdPreviousCue},
    {kCtrl, kLeft, kIdPreviousMeasure},
    {kCtrl, kRight, kIdNextMeasure},
    {kCtrl, 'G', kIdGoToPosition},
    {kCtrl, kUp, kIdPreviousNote},
    {kCtrl, kDown, kIdNextNote},
    {kCtrl, kCloseBracket, kIdTempoFaster},
    {kCtrl, kOpenBracket, kIdTempoSlower},
    {kCtrl, '0', kIdTempoNormal},
    {kAlt, kOpenBracket, kIdVolumeDown},
    {kAlt, '0', kIdVolumeFull},
    {kAlt, kCloseBracket, kIdVolumeUp},
    {kVirt, kF10, kIdMidiReset},
    {kVirt, kF12, kIdFreeStuckNotes},
    {kAlt, 'A', kIdMenuAdjust},
    {kAlt, 'E', kIdMenuEdit},
    {kAlt, 'F', kIdMenuFile},
    {kAlt, 'H', kIdMenuHelp},
    {kAlt, 'I', kIdMenuInsert},
    {kAlt, 'T', kIdMenuTransport},
    {kAlt, 'S', kIdMenuSetup},
    {kAlt, 'V', kIdMenuView},
    {kShift, '0', kIdSkip0},
    {kShift, '1', kIdSkip1},
    {kShift, '2', kIdSkip2},
    {kShift, '3', kIdSkip3},
    {kShift, '4', kIdSkip4},
    {kShift, '5', kIdSkip5},
    {kShift, '6', kIdSkip6},
    {kShift, '7', kIdSkip7},
    {kShift, '8', kIdSkip8},
    {kShift, '9', kIdSkip9},
    {kShift, 'R', kIdCancelRecordingOnMarkedTracks},
    {kVirt, 'R', kIdMarkTracksForRecording},
    {kShift, kEscape, kIdRetake},
    {kShift, kReturn, kIdPlayThrough},
    {kCtrl, 'F', kIdEditFind},
    {kVirt, kF3, kIdFindNext},
    {kCtrl, '1', kIdViewClipsAndCues},
    {kCtrl, '2', kIdViewEvents},
    {kCtrl, '3', kIdViewStaff},
    {kCtrl, '4', kIdViewPianoRoll},
    {kCtrl, '5', kIdViewKaraoke},
    {kCtrl, '6', kIdViewLeadSheet},
    {kCtrl, '7', kIdViewWaveform},
    {kVirt, 'S', kIdSelect},
    {kVirt, 'D', kIdDraw},
    {kVirt, kF4, kIdFindFaults},
    {kCtrl, '8', kIdViewVelocity},
    {kVirt, kComma, kIdPause},
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
