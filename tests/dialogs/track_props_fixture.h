#pragma once

// A song for the track dialogs: two synths in a fake database (a normal one
// with a drum kit, and an MSB-only one that numbers patches from 0), ports
// that play them, and user tracks whose first plays into a fake port.

#include "core/settings.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "tests/song/song_fixture.h"
#include "tests/support/fake_midi_out.h"
#include "tests/support/fake_synth_lookup.h"

#include <memory>

namespace rz {

inline constexpr int kNormalSynth = 1;
inline constexpr int kOldSynth = 2;
inline constexpr int kOldTechnology = ISynthLookup::kTechBankMsbOnly | ISynthLookup::kTechPatchesFromZero;

inline FakeSynthLookup trackDialogSynths()
{
    FakeSynthLookup synths;
    synths.synths[kNormalSynth] = SynthRecord{"Sound Module", 0, ""};
    synths.synths[kOldSynth] = SynthRecord{"Old Module", kOldTechnology, ""};
    synths.bankNames[{kNormalSynth, 0}] = "Capital";
    synths.bankNames[{kNormalSynth, 259}] = "Variation";
    synths.patchNames[{kNormalSynth, 0, 0}] = "Grand Piano";
    synths.patchCategories[{kNormalSynth, 0, 0}] = "Keys";
    synths.patchNames[{kNormalSynth, 0, 1}] = "Bright PIANO";
    synths.patchCategories[{kNormalSynth, 0, 1}] = "Keys";
    synths.patchNames[{kNormalSynth, 0, 24}] = "Nylon Guitar";
    synths.patchCategories[{kNormalSynth, 0, 24}] = "Guitar";
    synths.patchNames[{kNormalSynth, 259, 5}] = "Rock Piano";
    // One kit of several notes, and one more of the same name in another bank.
    synths.drumsetNames[{kNormalSynth, 0, 0}] = "Standard";
    synths.drumNoteNames[{kNormalSynth, 0, 0, 36}] = "Kick";
    synths.drumNoteNames[{kNormalSynth, 0, 0, 38}] = "Snare";
    synths.drumsetNames[{kNormalSynth, 0, 16}] = "Power";
    synths.drumsetNames[{kNormalSynth, 128, 0}] = "Standard";
    synths.bankNames[{kOldSynth, 256}] = "Second";
    synths.patchNames[{kOldSynth, 256, 0}] = "Organ";
    return synths;
}

// Ports 0 (the normal synth, channel 10 drums) and 1 (the old synth).
struct TrackDialogSong {
    SongFixture fixture;
    FakeSynthLookup synths = trackDialogSynths();
    FakeMidiOut port;
    std::unique_ptr<CSongDoc> song;

    TrackDialogSong()
    {
        writeSettingText(fixture.profile, settings::kPortOutName, "Synth A", "0");
        writeSetting(fixture.profile, settings::kPortOutSynth, kNormalSynth, "0");
        writeSetting(fixture.profile, settings::kPortOutDrums, 1 << 9, "0");
        writeSettingText(fixture.profile, settings::kPortOutName, "Synth B", "1");
        writeSetting(fixture.profile, settings::kPortOutSynth, kOldSynth, "1");
        writeSettingText(fixture.profile, settings::kPortInName, "Keyboard", "2");
        SongContext context = fixture.context();
        context.synths = &synths;
        song = std::make_unique<CSongDoc>(context);
        song->InitNewSong();
        for (const char* name : {"Piano", "Bass"}) {
            auto track = std::make_unique<CTrack>();
            track->name = name;
            track->channel = 2;
            song->tracks.insert(song->tracks.end() - 1, std::move(track));
        }
        song->tracks[1]->outputPort = &port;
    }

    // Track 1 hears previews.
    void previewOnFirstTrack()
    {
        fixture.trackRows.current = 1;
        fixture.trackRows.currentOnly = true;
    }
};

} // namespace rz
