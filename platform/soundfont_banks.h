#pragma once

#include "platform/soundfont_files.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct _fluid_synth_t;

namespace rz {

class GmSynthDevice;

enum class SoundFontItemKind { WholeFile, OnePreset, WavePatch };

// One thing loaded into the built-in synthesizer.
struct SoundFontItem {
    SoundFontItemKind kind = SoundFontItemKind::WholeFile;
    std::filesystem::path path;
    SoundFontLocation source; // one preset only
    SoundFontLocation target; // a whole file: the bank, preset 0
    std::string name;         // the SoundFont's name, a wave patch's file name
};

struct SoundFontPreset {
    SoundFontLocation location;
    std::string name;
};

// The error numbers the bank manager shows.
enum SoundFontError : int {
    kSoundFontOk = 0,
    kSoundFontNoSynth = 1,       // the synthesizer is not open
    kSoundFontCannotRead = 2,    // the file cannot be read
    kSoundFontNotSoundFont = 3,  // not a SoundFont, or damaged
    kSoundFontNoSuchPreset = 4,  // the source preset is not in the file
    kSoundFontSynthRefused = 5,  // the synthesizer would not load it
    kSoundFontBadLocation = 6,   // bank or preset out of range
    kSoundFontNotAlone = 7,      // the preset belongs to a whole-file bank
    kSoundFontNothingThere = 8,  // nothing loaded there
    kSoundFontBadWave = 9,       // not a 16-bit PCM wave
};

// The built-in synthesizer's bank registry: what is loaded where, in load
// order (later items sit above earlier ones). The synthesizer's own GM
// SoundFont is the first item, a whole file at bank 0. The registry outlives
// reopens of the synthesizer, which load its items again. Every call blocks
// its caller (loads read whole files) and may come from any thread but the
// audio one.
class SoundFontBanks {
public:
    // Takes over loading the synthesizer's sounds; an open synthesizer is
    // reopened so that the registry holds what it plays.
    explicit SoundFontBanks(GmSynthDevice& synth);
    ~SoundFontBanks();
    SoundFontBanks(const SoundFontBanks&) = delete;
    SoundFontBanks& operator=(const SoundFontBanks&) = delete;

    // The emulations: FluidSynth's bank-select modes.
    static const std::vector<std::string>& emulations();
    int emulation() const;
    // Reopens an open synthesizer in that mode; false when it would not open.
    bool setEmulation(int index);

    std::vector<SoundFontItem> items() const;
    // A bank (0..127, kPercussionBank) is in use when an item targets it.
    bool isBankInUse(int bank) const;
    std::string bankName(int bank) const;
    // The presets the synthesizer finds in that bank, by number; the top of
    // the stack wins, as in its own look-up.
    std::vector<SoundFontPreset> presets(int bank) const;

    // Each answers a SoundFontError; a failure leaves everything as it was.
    int loadFile(const std::filesystem::path& path, int bank);
    int loadPreset(const std::filesystem::path& path, SoundFontLocation source,
                   SoundFontLocation target);
    int loadWavePatch(const std::filesystem::path& path, SoundFontLocation target);
    int deleteBank(int bank);
    int deletePreset(SoundFontLocation location);

private:
    struct Loaded;

    // Loads one item into `synth`; its FluidSynth id, or a SoundFontError
    // negated.
    static int loadInto(_fluid_synth_t* synth, Loaded& loaded);
    bool reloadAll(_fluid_synth_t* synth);
    int add(Loaded loaded, bool replacesBank);
    int removeWhere(_fluid_synth_t* synth, bool (*match)(const Loaded&, int), int value);

    GmSynthDevice& m_synth;
    mutable std::mutex m_mutex; // guards m_items; taken inside the synth's lifetime lock
    std::vector<std::unique_ptr<Loaded>> m_items;
};

} // namespace rz
