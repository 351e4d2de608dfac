#pragma once

#include "platform/soundfont_files.h"

#include <atomic>
#include <filesystem>
#include <functional>
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
// order (later items sit above earlier ones). It outlives the synthesizer
// devices, which ports rebuild: a GmSynthDevice made with it attaches itself
// when made and detaches when destroyed, and every open of the attached
// device loads the items again. The first device's GM SoundFont is the first
// item, a whole file at bank 0. Edits go to the attached device while it is
// open. Every call blocks its caller (loads read whole files) and may come
// from any thread but the audio one.
class SoundFontBanks {
public:
    SoundFontBanks();
    ~SoundFontBanks();
    SoundFontBanks(const SoundFontBanks&) = delete;
    SoundFontBanks& operator=(const SoundFontBanks&) = delete;

    // Whether a synthesizer device is attached: the built-in synthesizer
    // is listed.
    bool hasSynth() const;

    // The emulations: FluidSynth's bank-select modes.
    static const std::vector<std::string>& emulations();
    int emulation() const;
    // Reopens an open synthesizer in that mode; false when it would not open.
    // A closed or missing one takes the mode when it next opens.
    bool setEmulation(int index);

    std::vector<SoundFontItem> items() const;
    // A bank (0..127, kPercussionBank) is in use when an item targets it.
    bool isBankInUse(int bank) const;
    std::string bankName(int bank) const;
    // The presets the synthesizer finds in that bank, by number; the top of
    // the stack wins, as in its own look-up.
    std::vector<SoundFontPreset> presets(int bank) const;

    // Each answers a SoundFontError; a failure leaves everything as it was.
    // A file refused for what it is (a FIFO, a folder, too large, damaged)
    // gives `problem` its name and the reason.
    int loadFile(const std::filesystem::path& path, int bank, std::string* problem = nullptr);
    int loadPreset(const std::filesystem::path& path, SoundFontLocation source,
                   SoundFontLocation target, std::string* problem = nullptr);
    int loadWavePatch(const std::filesystem::path& path, SoundFontLocation target,
                      std::string* problem = nullptr);
    int deleteBank(int bank);
    int deletePreset(SoundFontLocation location);

private:
    friend class GmSynthDevice;
    struct Loaded;

    // The device's constructor and destructor. A later device takes the
    // place of an earlier one, which then opens with its own SoundFont.
    void attach(GmSynthDevice& synth);
    void detach(GmSynthDevice& synth);
    // The attached device's sound loader, inside its open.
    bool reloadInto(GmSynthDevice& synth, _fluid_synth_t* target);
    // Runs `use` with the attached synthesizer while it is open; false when
    // there is none. The device cannot go meanwhile.
    bool withAttached(const std::function<void(_fluid_synth_t*)>& use) const;

    // Loads one item into `synth`; its FluidSynth id, or a SoundFontError
    // negated.
    static int loadInto(_fluid_synth_t* synth, Loaded& loaded);
    static void unload(_fluid_synth_t* synth, const Loaded& loaded);
    int add(Loaded loaded, bool replacesBank, std::string* problem = nullptr);
    int removeWhere(_fluid_synth_t* synth, bool (*match)(const Loaded&, int), int value);

    // Held across every edit and every change of the attached device, so
    // that a device is never destroyed while an edit uses it. Taken before
    // the device's lifetime lock, which is taken before m_mutex.
    mutable std::mutex m_attachMutex;
    // Written under both mutexes.
    std::atomic<GmSynthDevice*> m_synth{nullptr};
    mutable std::mutex m_mutex; // guards the three below
    bool m_seeded = false;      // the GM item was added once
    std::string m_bankSelect;   // empty: FluidSynth's default
    std::vector<std::unique_ptr<Loaded>> m_items;
};

} // namespace rz
