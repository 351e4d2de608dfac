#include "engine/synthdb/synth_db_seed.h"

#include <array>
#include <cstdint>
#include <utility>

namespace rz {

namespace {

constexpr int kSeedBank = 0;
constexpr int kSeedDrumProgram = 0;
constexpr int kHeaderNumber = -1;

// General MIDI Level 1 programs, in program-change order.
constexpr std::array<std::string_view, 128> kGmPrograms{
    "Acoustic Grand Piano", "Bright Acoustic Piano", "Electric Grand Piano", "Honky-tonk Piano",
    "Electric Piano 1", "Electric Piano 2", "Harpsichord", "Clavi",
    "Celesta", "Glockenspiel", "Music Box", "Vibraphone",
    "Marimba", "Xylophone", "Tubular Bells", "Dulcimer",
    "Drawbar Organ", "Percussive Organ", "Rock Organ", "Church Organ",
    "Reed Organ", "Accordion", "Harmonica", "Tango Accordion",
    "Acoustic Guitar (nylon)", "Acoustic Guitar (steel)", "Electric Guitar (jazz)",
    "Electric Guitar (clean)", "Electric Guitar (muted)", "Overdriven Guitar",
    "Distortion Guitar", "Guitar Harmonics",
    "Acoustic Bass", "Electric Bass (finger)", "Electric Bass (pick)", "Fretless Bass",
    "Slap Bass 1", "Slap Bass 2", "Synth Bass 1", "Synth Bass 2",
    "Violin", "Viola", "Cello", "Contrabass",
    "Tremolo Strings", "Pizzicato Strings", "Orchestral Harp", "Timpani",
    "String Ensemble 1", "String Ensemble 2", "Synth Strings 1", "Synth Strings 2",
    "Choir Aahs", "Voice Oohs", "Synth Voice", "Orchestra Hit",
    "Trumpet", "Trombone", "Tuba", "Muted Trumpet",
    "French Horn", "Brass Section", "Synth Brass 1", "Synth Brass 2",
    "Soprano Sax", "Alto Sax", "Tenor Sax", "Baritone Sax",
    "Oboe", "English Horn", "Bassoon", "Clarinet",
    "Piccolo", "Flute", "Recorder", "Pan Flute",
    "Blown Bottle", "Shakuhachi", "Whistle", "Ocarina",
    "Lead 1 (square)", "Lead 2 (sawtooth)", "Lead 3 (calliope)", "Lead 4 (chiff)",
    "Lead 5 (charang)", "Lead 6 (voice)", "Lead 7 (fifths)", "Lead 8 (bass + lead)",
    "Pad 1 (new age)", "Pad 2 (warm)", "Pad 3 (polysynth)", "Pad 4 (choir)",
    "Pad 5 (bowed)", "Pad 6 (metallic)", "Pad 7 (halo)", "Pad 8 (sweep)",
    "FX 1 (rain)", "FX 2 (soundtrack)", "FX 3 (crystal)", "FX 4 (atmosphere)",
    "FX 5 (brightness)", "FX 6 (goblins)", "FX 7 (echoes)", "FX 8 (sci-fi)",
    "Sitar", "Banjo", "Shamisen", "Koto",
    "Kalimba", "Bag pipe", "Fiddle", "Shanai",
    "Tinkle Bell", "Agogo", "Steel Drums", "Woodblock",
    "Taiko Drum", "Melodic Tom", "Synth Drum", "Reverse Cymbal",
    "Guitar Fret Noise", "Breath Noise", "Seashore", "Bird Tweet",
    "Telephone Ring", "Helicopter", "Applause", "Gunshot",
};

// General MIDI Level 1 percussion, notes 35 to 81.
constexpr int kFirstPercussionNote = 35;
constexpr std::array<std::string_view, 47> kGmPercussion{
    "Acoustic Bass Drum", "Bass Drum 1", "Side Stick", "Acoustic Snare",   // 35-38
    "Hand Clap", "Electric Snare", "Low Floor Tom", "Closed Hi-Hat",       // 39-42
    "High Floor Tom", "Pedal Hi-Hat", "Low Tom", "Open Hi-Hat",            // 43-46
    "Low-Mid Tom", "Hi-Mid Tom", "Crash Cymbal 1", "High Tom",             // 47-50
    "Ride Cymbal 1", "Chinese Cymbal", "Ride Bell", "Tambourine",          // 51-54
    "Splash Cymbal", "Cowbell", "Crash Cymbal 2", "Vibraslap",             // 55-58
    "Ride Cymbal 2", "Hi Bongo", "Low Bongo", "Mute Hi Conga",             // 59-62
    "Open Hi Conga", "Low Conga", "High Timbale", "Low Timbale",           // 63-66
    "High Agogo", "Low Agogo", "Cabasa", "Maracas",                        // 67-70
    "Short Whistle", "Long Whistle", "Short Guiro", "Long Guiro",          // 71-74
    "Claves", "Hi Wood Block", "Low Wood Block", "Mute Cuica",             // 75-78
    "Open Cuica", "Mute Triangle", "Open Triangle",                        // 79-81
};

// Controller names of the MIDI 1.0 specification: the seed rows of the
// database, where every number is a row of its own, so they stay written out.
constexpr std::pair<int, std::string_view> kControllers[]{
    {0, "Bank Select"}, {1, "Modulation Wheel"}, {2, "Breath Controller"},
    {4, "Foot Controller"}, {5, "Portamento Time"}, {6, "Data Entry MSB"},
    {7, "Channel Volume"}, {8, "Balance"}, {10, "Pan"}, {11, "Expression"},
    {12, "Effect Control 1"}, {13, "Effect Control 2"}, {16, "General Purpose 1"},
    {17, "General Purpose 2"}, {18, "General Purpose 3"}, {19, "General Purpose 4"},
    {32, "Bank Select LSB"}, {38, "Data Entry LSB"}, {64, "Sustain Pedal"},
    {65, "Portamento On/Off"}, {66, "Sostenuto"}, {67, "Soft Pedal"},
    {68, "Legato Footswitch"}, {69, "Hold 2"}, {70, "Sound Variation"},
    {71, "Timbre/Harmonic Intensity"}, {72, "Release Time"}, {73, "Attack Time"},
    {74, "Brightness"}, {75, "Decay Time"}, {76, "Vibrato Rate"}, {77, "Vibrato Depth"},
    {78, "Vibrato Delay"}, {79, "Sound Controller 10"}, {80, "General Purpose 5"},
    {81, "General Purpose 6"}, {82, "General Purpose 7"}, {83, "General Purpose 8"},
    {84, "Portamento Control"}, {88, "High Resolution Velocity Prefix"},
    {91, "Reverb Send Level"}, {92, "Tremolo Depth"}, {93, "Chorus Send Level"},
    {94, "Celeste Depth"}, {95, "Phaser Depth"}, {96, "Data Increment"},
    {97, "Data Decrement"}, {98, "NRPN LSB"}, {99, "NRPN MSB"}, {100, "RPN LSB"},
    {101, "RPN MSB"}, {120, "All Sound Off"}, {121, "Reset All Controllers"},
    {122, "Local Control"}, {123, "All Notes Off"}, {124, "Omni Mode Off"},
    {125, "Omni Mode On"}, {126, "Mono Mode On"}, {127, "Poly Mode On"},
};

void writeSynth(SqliteDatabase& db)
{
    auto insert = db.prepare(R"(INSERT INTO "synths" ("SynthNumber", "SynthName", "Technology", )"
                             R"("ResetSysex") VALUES (?1, ?2, ?3, ''))");
    insert.bind(0, int64_t{kGeneralMidiSynthNumber})
        .bind(1, kGeneralMidiSynthName)
        .bind(2, int64_t{kGeneralMidiTechnology});
    insert.run();
}

void writePatches(SqliteDatabase& db)
{
    auto insert = db.prepare(R"(INSERT INTO "patches" ("SynthNumber", "BankNumber", )"
                             R"("PatchNumber", "PatchName", "Category") VALUES (?1, ?2, ?3, ?4, ''))");
    const auto write = [&](int patch, std::string_view name) {
        insert.reset();
        insert.bind(0, int64_t{kGeneralMidiSynthNumber}).bind(1, int64_t{kSeedBank});
        insert.bind(2, int64_t{patch}).bind(3, name);
        insert.run();
    };
    write(kHeaderNumber, kGeneralMidiSynthName);
    for (int program = 0; program < static_cast<int>(kGmPrograms.size()); ++program)
        write(program, kGmPrograms[static_cast<size_t>(program)]);
}

void writeDrums(SqliteDatabase& db)
{
    auto insert = db.prepare(
        R"(INSERT INTO "drums" ("SynthNumber", "BankNumber", "PatchNumber", "NoteNumber", )"
        R"("NoteName", "NoteHead", "NoteOffset", "NoteCircle", "Articulation") )"
        R"(VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9))");
    const auto write = [&](int note, std::string_view name, DrumNotation notation) {
        insert.reset();
        insert.bind(0, int64_t{kGeneralMidiSynthNumber}).bind(1, int64_t{kSeedBank});
        insert.bind(2, int64_t{kSeedDrumProgram}).bind(3, int64_t{note}).bind(4, name);
        insert.bind(5, int64_t{notation.head}).bind(6, int64_t{notation.offset});
        insert.bind(7, int64_t{notation.circle}).bind(8, int64_t{notation.articulation});
        insert.run();
    };
    write(kHeaderNumber, kStandardDrumsetName, DrumNotation{});
    for (size_t i = 0; i < kGmPercussion.size(); ++i) {
        const int note = kFirstPercussionNote + static_cast<int>(i);
        write(note, kGmPercussion[i], defaultDrumNotation(note));
    }
}

void writeControllers(SqliteDatabase& db)
{
    auto insert = db.prepare(
        R"(INSERT INTO "CC" ("SynthNumber", "CCNumber", "CCName") VALUES (?1, ?2, ?3))");
    for (const auto& [number, name] : kControllers) {
        insert.reset();
        insert.bind(0, int64_t{kGeneralMidiSynthNumber}).bind(1, int64_t{number}).bind(2, name);
        insert.run();
    }
}

} // namespace

DrumNotation defaultDrumNotation(int note)
{
    return gmDrumNotation(note).value_or(kOtherDrumNotation);
}

void writeGeneralMidiSeed(SqliteDatabase& db)
{
    writeSynth(db);
    writePatches(db);
    writeDrums(db);
    writeControllers(db);
}

} // namespace rz
