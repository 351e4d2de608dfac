#include "res/main_menu.h"

#include "res/command_ids.h"

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
    item(0, "&Play/Cue", kIdPlay),
    item(0, "Play/&Stop", kIdPlayStop),
    item(0, "Play/Pa&use", kIdPlayPause),
    item(0, "Play &through", kIdPlayThrough),
    item(0, "S&top", kIdStop),
    item(0, "P&ause", kIdPause),
    item(0, "&Record", kIdRecord),
    item(0, "Re&take", kIdRetake),
    separator(0),
    item(0, "&Beginning", kIdGoToBeginning),
    item(0, "&End", kIdGoToEnd),
    item(0, "Next &measure", kIdNextMeasure),
    item(0, "Pre&vious measure", kIdPreviousMeasure),
    item(0, "Next &cue", kIdNextCue),
    item(0, "Previous c&ue", kIdPreviousCue),
    item(0, "Next &note", kIdNextNote),
    item(0, "Previous n&ote", kIdPreviousNote),
    item(0, "&Go to...", kIdGoToPosition),
    separator(0),
    item(0, "S&kip next measure", kIdSkipNextMeasure),
    item(0, "Repeat measure", kIdRepeatMeasure),
    item(0, "Toggle &last vamp", kIdLastVamp),
    separator(0),
    item(0, "Next song", kIdNextSong),
    item(0, "Previous song", kIdPreviousSong),
    separator(0),
    item(0, "Sol&o", kIdSolo),
    item(0, "Un-solo", kIdUnsolo),
    item(0, "Mark track(s) for recording", kIdMarkTracksForRecording),
    item(0, "Cancel recording on marked track(s)", kIdCancelRecordingOnMarkedTracks),
    separator(0),
    item(0, "Conductor tap", kIdConductorTap),
    item(0, "Click on/off", kIdClickOnOff),
};

constexpr MenuEntry kMenuHead[] = {
    popup(0, "&File"),
    item(1, "&New...", kIdFileNew),
    item(1, "&Open...", kIdFileOpen),
    item(1, "&Close all", kIdCloseAll),
    separator(1),
    item(1, "&Save", kIdFileSave),
    item(1, "Save a&ll", kIdSaveAll),
    item(1, "Save &as...", kIdSaveAs),
    item(1, "Re&vert", kIdRevertToRecentSong),
    separator(1),
    popup(1, "&Import"),
    item(2, "&Songs...", kIdImportSongs),
    item(2, "&Tracks...", kIdImportTracks),
    item(2, "&Audio clip...", kIdImportAudioClip),
    item(2, "&Lyrics...", kIdImportLyrics),
    separator(1),
    item(1, "&Print...", kIdFilePrint),
    item(1, "Print pre&view", kIdFilePrintPreview),
    item(1, "P&rinter setup...", kIdFilePrintSetup),
    separator(1),
    item(1, "Sen&d...", kIdSendByMail),
    item(1, "Stat&s...", kIdSongStats),
    item(1, "Riz &Uzov Avevu", kIdRenderAudio),
    item(1, "&Wave remix/export...", kIdWaveRemix),
    separator(1),
    popup(1, kRecentSetsMenu),
    item(2, "(Empty list)", kIdRecentSet1),
    popup(1, kRecentSongsMenu),
    item(2, "(Empty list)", kIdRecentSong1),
    separator(1),
    item(1, "E&xit", kIdAppExit),

    popup(0, "&Edit"),
    item(1, "&Undo", kIdEditUndo),
    item(1, "&Redo", kIdEditRedo),
    separator(1),
    item(1, "Cu&t", kIdEditCut),
    item(1, "&Copy", kIdEditCopy),
    item(1, "&Paste", kIdEditPaste),
    item(1, "&Move...", kIdMoveEvents),
    item(1, "Transp&ose...", kIdTranspose),
    item(1, "&Quantize...", kIdQuantize),
    item(1, "&Velocities...", kIdEditVelocities),
    item(1, "&Duration...", kIdEditDuration),
    item(1, "T&hin controller data...", kIdThinControllers),
    item(1, "Randomi&ze...", kIdRandomize),
    item(1, "P&roperties", kIdProperties),
    separator(1),
    item(1, "Select &All time", kIdEditSelectAll),
    item(1, "Select t&ime...", kIdSelectTime),
    separator(1),
    item(1, "&Find...", kIdEditFind),
    item(1, "Find &next", kIdFindNext),
    item(1, "Find fau&lts", kIdFindFaults),
    separator(1),
    popup(1, kAudioEffectMenu),
    item(2, "&More...", kIdMoreAudioEffects),
    popup(1, "Appl&y"),
    item(2, "&Tempo multiplier", kIdApplyTempoMultiplier),
    item(2, "Track playback &offsets", kIdApplyTrackOffsets),

    popup(0, "&View"),
    item(1, "&Clips && cues", kIdViewClipsAndCues),
    item(1, "&Events", kIdViewEvents),
    item(1, "&Staff", kIdViewStaff),
    item(1, "&Piano roll", kIdViewPianoRoll),
    item(1, "&Karaoke", kIdViewKaraoke),
    item(1, "&Lead sheet", kIdViewLeadSheet),
    item(1, "&Waveform", kIdViewWaveform),
    item(1, "&Velocity", kIdViewVelocity),
    separator(1),
    item(1, "&Tempo map", kIdViewTempoMap),
    item(1, "&Faders", kIdViewFaders),
    item(1, "P&itch wheel map", kIdViewPitchWheel),
    item(1, "C&hannel pressure map", kIdViewChannelPressure),
    item(1, "&MOD wheel map", kIdViewModWheel),
    item(1, "E&xpression map", kIdViewExpression),
    item(1, "&Other controller map...", kIdViewOtherController),
    separator(1),
    item(1, "Power spect&rum", kIdViewPowerSpectrum),
    item(1, "MIDI measure/&beat", kIdMidiMeasureBeat),
    item(1, "Bouncing metro&nome", kIdViewBouncingMetronome),
    separator(1),
    item(1, "Meter/ke&y", kIdViewMeterKey),
    item(1, "Set ti&mes", kIdViewSetTimes),
    item(1, "Son&g time", kIdViewSongTime),
    separator(1),
    popup(1, kLayoutMenu),
    item(2, "&Snapshot", kIdSnapshotLayout),
    item(2, "&Restore", kIdRestoreLayout),
    item(2, "&Clear", kIdClearLayout),

    popup(0, "&Insert"),
    item(1, "&Track...", kIdInsertTrack),
    item(1, "&Meter...", kIdInsertMeter),
    item(1, "Measure &numbers...", kIdInsertMeasureNumbers),
    item(1, "&Key signature...", kIdInsertKeySignature),
    item(1, "&Event...", kIdInsertEvent),
    item(1, "T&ime...", kIdInsertTime),
    item(1, "C&hord...", kIdInsertChord),
    item(1, "&Series of controller values...", kIdInsertControllerSeries),
    separator(1),
    item(1, "&Cue...", kIdInsertCue),
    separator(1),
    item(1, "Tem&po...", kIdInsertTempo),
    item(1, "Series of tempo&s...", kIdInsertTempoSeries),

    popup(0, "&Transport"),
};

constexpr MenuEntry kMenuTail[] = {
    popup(0, "&Adjust"),
    item(1, "Tempo &slower 1%", kIdTempoSlower),
    item(1, "Tempo &faster 1%", kIdTempoFaster),
    item(1, "Tempo &100%", kIdTempoNormal),
    separator(1),
    item(1, "Volume f&ull", kIdVolumeFull),
    item(1, "Volume &down 1%", kIdVolumeDown),
    item(1, "Volume &up 1%", kIdVolumeUp),
    separator(1),
    item(1, "MIDI &Reset", kIdMidiReset),
    item(1, "Free stuck &notes", kIdFreeStuckNotes),
    item(1, "&Harp pedals...", kIdHarpPedals),
    separator(1),
    item(1, "&Transpose up", kIdTransposeUp),
    item(1, "Transpose do&wn", kIdTransposeDown),
    separator(1),
    item(1, "&Perform", kIdPerformanceMode),
    item(1, "&Edit mode", kIdEditMode),

    popup(0, "&Setup"),
    item(1, "&Options...", kIdOptions),
    item(1, "&Record options...", kIdRecordOptions),
    item(1, "Play&back options...", kIdPlaybackOptions),
    separator(1),
    item(1, "MIDI &ports...", kIdMidiPorts),
    item(1, "Synth patch &names...", kIdSynthPatchNames),
    item(1, "&External control...", kIdExternalControl),
    item(1, "&Keyboard accelerators...", kIdKeyboardAccelerators),
    item(1, "S&ynchronization...", kIdSynchronization),
    separator(1),
    item(1, "&SoundFont bank manager...", kIdSoundFontBanks),
    item(1, "&Waveform Audio...", kIdAudioDevices),

    popup(0, "&Help"),
    item(1, "&Contents", kIdHelpContents),
    item(1, "&Search...", kIdHelpSearch),
    item(1, "&Tip of the Day...", kIdTipOfTheDay),
    separator(1),
    popup(1, "Web &links"),
    item(2, "&MIDI Manufacturers Association", kIdMidiAssociationWebSite),
    item(2, "&DEVU Rizoraz", kIdWebSite),
    separator(1),
    item(1, "Check for &update...", kIdCheckForUpdate),
    separator(1),
    item(1, "&About DEVU Rizoraz...", kIdAppAbout),
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
