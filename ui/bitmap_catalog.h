#pragma once

#include <QImage>

namespace rz {

// Bitmap resource ids of the owner-drawn controls and the frame's buttons.
namespace bitmap_id {
// Caption buttons: four-frame strips on magenta, 16 x 16 frames.
inline constexpr int kClose = 142;
inline constexpr int kMaximize = 143;
inline constexpr int kRestore = 144;
inline constexpr int kMinimize = 145;
// Scroll-bar buttons: four-frame strips, 17 x 17 frames.
inline constexpr int kArrowUp = 146;
inline constexpr int kArrowDown = 147;
inline constexpr int kArrowLeft = 148;
inline constexpr int kArrowRight = 149;
inline constexpr int kZoomIn = 150;
inline constexpr int kZoomOut = 151;
// Transport panel buttons: four-frame strips on magenta.
inline constexpr int kClickOnOff = 167;
inline constexpr int kStop = 419;
inline constexpr int kNextSong = 420;
inline constexpr int kPause = 421;
inline constexpr int kPlayStop = 422;
inline constexpr int kPreviousSong = 423;
inline constexpr int kRecord = 424;
inline constexpr int kTransposeUp = 462;
inline constexpr int kTransposeDown = 463;
inline constexpr int kTempo100 = 467;
// The nine grid-resolution images, 16 x 16 each, on white.
inline constexpr int kGridNotes = 444;
// The tool-bar and menu images, 16 x 16 each, on magenta (app/tool_images.h).
inline constexpr int kToolImages = 247;
// Transport panel state icons, 16 x 16 on transparent: playing, playing
// while the engine cues, paused.
inline constexpr int kPlaying = 443;
inline constexpr int kPlayingAlt = 473;
inline constexpr int kPaused = 9005;
// The ten beat digits, 96 x 125 each on transparent: digit n is
// kBeatDigits + n.
inline constexpr int kBeatDigits = 9010;
inline constexpr int kBeatDigitCount = 10;
// Fader backgrounds and thumbs; thumbs on magenta. No other resource uses
// these numbers.
inline constexpr int kTempoFaderBackground = 9001; // vertical, 15 x 145
inline constexpr int kTempoFaderThumb = 9002;
inline constexpr int kVolumeFaderBackground = 9003; // horizontal, 145 x 15
inline constexpr int kVolumeFaderThumb = 9004;
// The piano roll's keyboard pictures, 24 wide, one per row height:
// 12, 10, 8, 6, 4, 3 and 2 pixels.
inline constexpr int kPianoKeys12 = 218;
inline constexpr int kPianoKeys10 = 219;
inline constexpr int kPianoKeys8 = 220;
inline constexpr int kPianoKeys6 = 221;
inline constexpr int kPianoKeys4 = 222;
inline constexpr int kPianoKeys3 = 223;
inline constexpr int kPianoKeys2 = 224;
// The 14 x 14 pattern of a selection band.
inline constexpr int kBandPattern = 344;
// The ports image list: five 16 x 15 cells on magenta (ui/port_icons.h).
inline constexpr int kPortIcons = 231;
// The fifteen note values of the quantize and meter dialogs, whole to
// thirty-second triplet, 16 x 16 each on white.
inline constexpr int kNoteValues = 251;
// The slider view's buttons, 30 x 20 each: Snapshot up and down, Reset up
// and down; and its border: 16 x 16 corners and 8 x 8 edge tiles in a
// 40 x 40 picture (corners at its corners, edge tiles at the middle of
// each side).
inline constexpr int kSnapshotDown = 329;
inline constexpr int kSnapshotUp = 330;
inline constexpr int kResetUp = 331;
inline constexpr int kResetDown = 332;
inline constexpr int kSliderBorder = 308;
// The track list's "in" check boxes, 11 x 11 each (ui/track_check_images.h),
// and the "in" column's 12 x 12 header picture.
inline constexpr int kTrackChecks = 130;
inline constexpr int kTrackInHeader = 465;
} // namespace bitmap_id

// Frames of a button strip, left to right.
enum class ButtonFrame { Normal = 0, Pressed = 1, Hover = 2, Disabled = 3 };
inline constexpr int kButtonFrames = 4;

// The program's bitmap resources, each painted once on first use and kept
// for the program's life. GUI thread.
class BitmapCatalog {
public:
    // A null image for an id the catalog does not hold.
    static const QImage& image(int id);
    static bool contains(int id);
};

} // namespace rz
