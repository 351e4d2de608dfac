#include "platform/soundfont_banks.h"

#include "platform/midi_gm_synth.h"

#include "core/input_file.h"
#include "platform/fluid_calls.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <utility>


namespace rz {

namespace {

constexpr int kWaveRootKey = 60;

bool validTarget(SoundFontLocation at)
{
    return ((at.bank >= 0 && at.bank <= 127) || at.bank == kPercussionBank) && at.preset >= 0
        && at.preset <= 127;
}

// A SoundFont past 1 GB would not fit the synthesizer's memory anyway; a wave
// patch past 256 MB is no instrument sample.
constexpr uint64_t kMostSoundFontBytes = uint64_t(1) << 30;
constexpr uint64_t kMostWavePatchBytes = uint64_t(256) << 20;

// SoundFonts rewritten in memory, by the name the synthesizer is given for
// them. FluidSynth opens them again for every preset whose samples it loads.
struct MemoryFiles {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<const std::vector<uint8_t>>> files;
    uint64_t next = 0;
};

MemoryFiles& memoryFiles()
{
    static MemoryFiles instance;
    return instance;
}

std::string addMemoryFile(std::shared_ptr<const std::vector<uint8_t>> bytes)
{
    MemoryFiles& memory = memoryFiles();
    std::lock_guard lock(memory.mutex);
    std::string name = "memory-soundfont:" + std::to_string(++memory.next);
    memory.files[name] = std::move(bytes);
    return name;
}

void dropMemoryFile(const std::string& name)
{
    if (name.empty())
        return;
    MemoryFiles& memory = memoryFiles();
    std::lock_guard lock(memory.mutex);
    memory.files.erase(name);
}

struct MemoryHandle {
    std::shared_ptr<const std::vector<uint8_t>> bytes;
    size_t position = 0;
};

void* memoryOpen(const char* name)
{
    MemoryFiles& memory = memoryFiles();
    std::lock_guard lock(memory.mutex);
    const auto found = memory.files.find(name ? name : "");
    if (found == memory.files.end())
        return nullptr; // an ordinary file: the next loader takes it
    return new MemoryHandle{found->second, 0};
}

int memoryRead(void* buffer, fluid_long_long_t count, void* handle)
{
    auto* file = static_cast<MemoryHandle*>(handle);
    if (count < 0 || size_t(count) > file->bytes->size() - file->position)
        return FLUID_FAILED;
    std::memcpy(buffer, file->bytes->data() + file->position, size_t(count));
    file->position += size_t(count);
    return FLUID_OK;
}

int memorySeek(void* handle, fluid_long_long_t offset, int origin)
{
    auto* file = static_cast<MemoryHandle*>(handle);
    const auto size = fluid_long_long_t(file->bytes->size());
    fluid_long_long_t base = 0;
    if (origin == SEEK_CUR)
        base = fluid_long_long_t(file->position);
    else if (origin == SEEK_END)
        base = size;
    else if (origin != SEEK_SET)
        return FLUID_FAILED;
    const fluid_long_long_t to = base + offset;
    if (to < 0 || to > size)
        return FLUID_FAILED;
    file->position = size_t(to);
    return FLUID_OK;
}

fluid_long_long_t memoryTell(void* handle)
{
    return fluid_long_long_t(static_cast<MemoryHandle*>(handle)->position);
}

int memoryClose(void* handle)
{
    delete static_cast<MemoryHandle*>(handle);
    return FLUID_OK;
}

// The settings of the memory loader: samples load only for the presets a
// channel selects, so a file's other presets cost nothing. Lives as long as
// the process, since loaders keep it.
fluid_settings_t* memoryLoaderSettings()
{
    static fluid_settings_t* settings = [] {
        fluid_settings_t* made = fluid().new_settings();
        fluid().settings_setint(made, "synth.dynamic-sample-loading", 1);
        return made;
    }();
    return settings;
}

bool addMemoryLoader(fluid_synth_t* synth)
{
    fluid_sfloader_t* loader = fluid().new_defsfloader(memoryLoaderSettings());
    if (!loader)
        return false;
    fluid().sfloader_set_callbacks(loader, memoryOpen, memoryRead, memorySeek, memoryTell,
                                 memoryClose);
    fluid().synth_add_sfloader(synth, loader);
    return true;
}

// A wave patch as a SoundFont of one preset.
struct WaveFont {
    std::string name;
    int bank = 0;
    int program = 0;
    bool iterated = false;
    fluid_sfont_t* sfont = nullptr;
    fluid_preset_t* preset = nullptr;
    fluid_sample_t* sample = nullptr;
};

// Samples of unloaded wave patches: a voice on the audio thread may still
// read one, and FluidSynth tells no one when the last such voice ends.
std::mutex g_retiredMutex;
std::vector<std::unique_ptr<fluid_sample_t, void (*)(fluid_sample_t*)>>& retiredSamples()
{
    static std::vector<std::unique_ptr<fluid_sample_t, void (*)(fluid_sample_t*)>> samples;
    return samples;
}

WaveFont* waveOf(fluid_sfont_t* sfont)
{
    return static_cast<WaveFont*>(fluid().sfont_get_data(sfont));
}

const char* waveFontName(fluid_sfont_t* sfont)
{
    return waveOf(sfont)->name.c_str();
}

fluid_preset_t* waveFontPreset(fluid_sfont_t* sfont, int bank, int program)
{
    WaveFont* wave = waveOf(sfont);
    return bank == wave->bank && program == wave->program ? wave->preset : nullptr;
}

void waveFontIterationStart(fluid_sfont_t* sfont)
{
    waveOf(sfont)->iterated = false;
}

fluid_preset_t* waveFontIterationNext(fluid_sfont_t* sfont)
{
    WaveFont* wave = waveOf(sfont);
    if (wave->iterated)
        return nullptr;
    wave->iterated = true;
    return wave->preset;
}

int waveFontFree(fluid_sfont_t* sfont)
{
    WaveFont* wave = waveOf(sfont);
    {
        std::lock_guard lock(g_retiredMutex);
        retiredSamples().emplace_back(wave->sample, fluid().delete_sample);
    }
    fluid().delete_preset(wave->preset);
    fluid().delete_sfont(wave->sfont);
    delete wave;
    return 0;
}

WaveFont* wavePresetOwner(fluid_preset_t* preset)
{
    return static_cast<WaveFont*>(fluid().preset_get_data(preset));
}

const char* wavePresetName(fluid_preset_t* preset)
{
    return wavePresetOwner(preset)->name.c_str();
}

int wavePresetBank(fluid_preset_t* preset)
{
    return wavePresetOwner(preset)->bank;
}

int wavePresetNumber(fluid_preset_t* preset)
{
    return wavePresetOwner(preset)->program;
}

int wavePresetNoteOn(fluid_preset_t* preset, fluid_synth_t* synth, int channel, int key,
                     int velocity)
{
    fluid_voice_t* voice
        = fluid().synth_alloc_voice(synth, wavePresetOwner(preset)->sample, channel, key, velocity);
    if (!voice)
        return FLUID_FAILED;
    fluid().synth_start_voice(synth, voice);
    return FLUID_OK;
}

// The preset goes with its SoundFont, in waveFontFree.
void wavePresetFree(fluid_preset_t*)
{
}

void deleteWaveFont(WaveFont* wave)
{
    if (wave->preset)
        fluid().delete_preset(wave->preset);
    if (wave->sfont)
        fluid().delete_sfont(wave->sfont);
    if (wave->sample)
        fluid().delete_sample(wave->sample);
    delete wave;
}

fluid_sfont_t* makeWaveFont(const WavePatchSound& sound, const std::string& name,
                            SoundFontLocation target)
{
    auto* wave = new WaveFont{name, target.bank, target.preset};
    wave->sample = fluid().new_sample();
    wave->sfont = fluid().new_sfont(waveFontName, waveFontPreset, waveFontIterationStart,
                                  waveFontIterationNext, waveFontFree);
    if (wave->sfont)
        wave->preset = fluid().new_preset(wave->sfont, wavePresetName, wavePresetBank,
                                        wavePresetNumber, wavePresetNoteOn, wavePresetFree);
    if (!wave->sample || !wave->sfont || !wave->preset) {
        deleteWaveFont(wave);
        return nullptr;
    }
    std::vector<short> data(sound.samples.begin(), sound.samples.end());
    fluid().sample_set_name(wave->sample, name.substr(0, 20).c_str());
    if (fluid().sample_set_sound_data(wave->sample, data.data(), nullptr, unsigned(data.size()),
                                    unsigned(sound.sampleRate), 1)
            != FLUID_OK
        || fluid().sample_set_pitch(wave->sample, kWaveRootKey, 0) != FLUID_OK) {
        deleteWaveFont(wave);
        return nullptr;
    }
    fluid().sfont_set_data(wave->sfont, wave);
    fluid().preset_set_data(wave->preset, wave);
    return wave->sfont;
}

// Takes a wave patch's SoundFont off the stack and frees it. FluidSynth
// frees only what it loaded itself: its unload would leave a SoundFont that
// was added to it for ever. The removal reassigns every channel's preset
// and no note can start from it afterwards; sounding voices keep the
// retired sample.
void removeWaveFont(fluid_synth_t* synth, int id)
{
    fluid_sfont_t* sfont = fluid().synth_get_sfont_by_id(synth, id);
    if (sfont && fluid().synth_remove_sfont(synth, sfont) == FLUID_OK)
        waveFontFree(sfont);
}

// The presets the synthesizer finds in `bank`, by number.
std::vector<SoundFontPreset> presetsIn(fluid_synth_t* synth, int bank)
{
    std::map<int, std::string> found;
    const int count = fluid().synth_sfcount(synth);
    for (int i = 0; i < count; ++i) { // 0 is the top of the stack
        fluid_sfont_t* sfont = fluid().synth_get_sfont(synth, unsigned(i));
        if (!sfont)
            continue;
        const int offset = fluid().synth_get_bank_offset(synth, fluid().sfont_get_id(sfont));
        fluid().sfont_iteration_start(sfont);
        while (fluid_preset_t* preset = fluid().sfont_iteration_next(sfont)) {
            if (fluid().preset_get_banknum(preset) + offset != bank)
                continue;
            const char* name = fluid().preset_get_name(preset);
            found.try_emplace(fluid().preset_get_num(preset), name ? name : "");
        }
    }
    std::vector<SoundFontPreset> presets;
    for (auto& [number, name] : found)
        presets.push_back({{bank, number}, std::move(name)});
    return presets;
}

} // namespace

struct SoundFontBanks::Loaded {
    SoundFontItem item;
    int fluidId = -1;
    std::string memoryName; // one preset: its rewritten file
    std::string problem;    // why loading failed, when the file is to blame

    ~Loaded() { dropMemoryFile(memoryName); }
    Loaded() = default;
    Loaded(Loaded&& other) noexcept
        : item(std::move(other.item)), fluidId(other.fluidId),
          memoryName(std::exchange(other.memoryName, {})), problem(std::move(other.problem))
    {
    }
    Loaded& operator=(Loaded&&) = delete;
};

void SoundFontBanks::unload(_fluid_synth_t* synth, const Loaded& loaded)
{
    if (loaded.item.kind == SoundFontItemKind::WavePatch)
        removeWaveFont(synth, loaded.fluidId);
    else
        fluid().synth_sfunload(synth, loaded.fluidId, 1);
}

SoundFontBanks::SoundFontBanks() = default;

// Every device holds the registry it attached to: none is left here.
SoundFontBanks::~SoundFontBanks() = default;

bool SoundFontBanks::hasSynth() const
{
    return m_synth.load() != nullptr;
}

void SoundFontBanks::attach(GmSynthDevice& synth)
{
    std::lock_guard attach(m_attachMutex);
    std::string bankSelect;
    {
        std::lock_guard lock(m_mutex);
        if (!m_seeded) {
            auto gm = std::make_unique<Loaded>();
            gm->item.path = synth.soundFont();
            gm->item.target = {0, 0};
            gm->item.name = readSoundFontHead(gm->item.path).name;
            if (gm->item.name.empty())
                gm->item.name = gm->item.path.stem().string();
            m_items.push_back(std::move(gm));
            m_seeded = true;
        }
        if (GmSynthDevice* previous = m_synth.exchange(&synth))
            previous->setSoundLoader(nullptr);
        bankSelect = m_bankSelect;
    }
    synth.setBankSelect(bankSelect);
    synth.setSoundLoader([this, &synth](_fluid_synth_t* target) { return reloadInto(synth, target); });
}

void SoundFontBanks::detach(GmSynthDevice& synth)
{
    std::lock_guard attach(m_attachMutex);
    std::lock_guard lock(m_mutex);
    GmSynthDevice* expected = &synth;
    m_synth.compare_exchange_strong(expected, nullptr);
}

bool SoundFontBanks::withAttached(const std::function<void(_fluid_synth_t*)>& use) const
{
    std::lock_guard attach(m_attachMutex);
    GmSynthDevice* synth = m_synth.load();
    return synth && synth->withSynth(use);
}

const std::vector<std::string>& SoundFontBanks::emulations()
{
    static const std::vector<std::string> modes{"gm", "gs", "xg", "mma"};
    return modes;
}

int SoundFontBanks::emulation() const
{
    std::string mode;
    {
        std::lock_guard lock(m_mutex);
        mode = m_bankSelect;
    }
    const auto& modes = emulations();
    const auto found = std::find(modes.begin(), modes.end(), mode.empty() ? "gs" : mode);
    return found == modes.end() ? 1 : int(found - modes.begin());
}

bool SoundFontBanks::setEmulation(int index)
{
    if (index < 0 || index >= int(emulations().size()))
        return false;
    const std::string& mode = emulations()[size_t(index)];
    std::lock_guard attach(m_attachMutex);
    {
        std::lock_guard lock(m_mutex);
        m_bankSelect = mode;
    }
    GmSynthDevice* synth = m_synth.load();
    if (!synth)
        return true;
    synth->setBankSelect(mode);
    // A port closed meanwhile stays closed.
    return synth->reopen();
}

bool SoundFontBanks::reloadInto(GmSynthDevice& synth, _fluid_synth_t* target)
{
    std::lock_guard lock(m_mutex);
    if (m_synth.load() != &synth) {
        // Replaced: the items' ids and rewritten files belong to the other.
        return fluid().synth_sfload(target, synth.soundFont().c_str(), 1) != FLUID_FAILED;
    }
    addMemoryLoader(target);
    for (auto it = m_items.begin(); it != m_items.end();) {
        Loaded& loaded = **it;
        dropMemoryFile(std::exchange(loaded.memoryName, {}));
        const int id = loadInto(target, loaded);
        if (id < 0) {
            std::cerr << "SoundFont " << loaded.item.path.string()
                      << " left out: it cannot be loaded (" << -id << ")\n";
            it = m_items.erase(it);
            continue;
        }
        loaded.fluidId = id;
        ++it;
    }
    return true;
}

int SoundFontBanks::loadInto(_fluid_synth_t* synth, Loaded& loaded)
{
    const SoundFontItem& item = loaded.item;
    if (item.kind == SoundFontItemKind::WholeFile) {
        // FluidSynth reads the file itself: only its start is looked at here,
        // after the same checks as every file of ours.
        if (!InputFile::open(item.path, kMostSoundFontBytes, loaded.problem))
            return -kSoundFontCannotRead;
        if (!readSoundFontHead(item.path).isSoundFont) {
            loaded.problem = "not a SoundFont";
            return -kSoundFontNotSoundFont;
        }
        const int id = fluid().synth_sfload(synth, item.path.c_str(), 1);
        if (id == FLUID_FAILED)
            return -kSoundFontSynthRefused;
        fluid().synth_set_bank_offset(synth, id, item.target.bank);
        return id;
    }
    const bool wave = item.kind == SoundFontItemKind::WavePatch;
    auto bytes = ReadWholeFileBytes(item.path, wave ? kMostWavePatchBytes : kMostSoundFontBytes, loaded.problem);
    if (!bytes)
        return -kSoundFontCannotRead;
    switch (item.kind) {
    case SoundFontItemKind::WholeFile:
        break; // loaded above
    case SoundFontItemKind::OnePreset: {
        switch (movePresetAlone(*bytes, item.source, item.target)) {
        case Sf2Problem::NotSoundFont:
            return -kSoundFontNotSoundFont;
        case Sf2Problem::NoSuchPreset:
            return -kSoundFontNoSuchPreset;
        case Sf2Problem::None:
            break;
        }
        loaded.memoryName
            = addMemoryFile(std::make_shared<const std::vector<uint8_t>>(std::move(*bytes)));
        const int id = fluid().synth_sfload(synth, loaded.memoryName.c_str(), 1);
        if (id == FLUID_FAILED) {
            dropMemoryFile(std::exchange(loaded.memoryName, {}));
            return -kSoundFontSynthRefused;
        }
        return id;
    }
    case SoundFontItemKind::WavePatch: {
        const auto sound = readWavePatch(*bytes, loaded.problem);
        if (!sound)
            return -kSoundFontBadWave;
        fluid_sfont_t* sfont = makeWaveFont(*sound, item.name, item.target);
        if (!sfont)
            return -kSoundFontSynthRefused;
        const int id = fluid().synth_add_sfont(synth, sfont);
        if (id == FLUID_FAILED) {
            waveFontFree(sfont);
            return -kSoundFontSynthRefused;
        }
        fluid().synth_program_reset(synth);
        return id;
    }
    }
    return -kSoundFontSynthRefused;
}

int SoundFontBanks::add(Loaded loaded, bool replacesBank, std::string* problem)
{
    if (!validTarget(loaded.item.target))
        return kSoundFontBadLocation;
    int result = kSoundFontNoSynth;
    withAttached([&](_fluid_synth_t* synth) {
        const int id = loadInto(synth, loaded);
        if (id < 0) {
            result = -id;
            if (problem && !loaded.problem.empty())
                *problem = loaded.item.path.string() + ": " + loaded.problem;
            return;
        }
        loaded.fluidId = id;
        std::lock_guard lock(m_mutex);
        const SoundFontLocation target = loaded.item.target;
        // What sat where the new one goes is replaced.
        for (auto it = m_items.begin(); it != m_items.end();) {
            const SoundFontItem& old = (*it)->item;
            const bool replaced = replacesBank
                ? old.target.bank == target.bank
                : old.kind != SoundFontItemKind::WholeFile && old.target == target;
            if (replaced) {
                unload(synth, **it);
                it = m_items.erase(it);
            } else {
                ++it;
            }
        }
        m_items.push_back(std::make_unique<Loaded>(std::move(loaded)));
        result = kSoundFontOk;
    });
    return result;
}

int SoundFontBanks::loadFile(const std::filesystem::path& path, int bank, std::string* problem)
{
    Loaded loaded;
    loaded.item.kind = SoundFontItemKind::WholeFile;
    loaded.item.path = path;
    loaded.item.target = {bank, 0};
    loaded.item.name = readSoundFontHead(path).name;
    if (loaded.item.name.empty())
        loaded.item.name = path.stem().string();
    return add(std::move(loaded), true, problem);
}

int SoundFontBanks::loadPreset(const std::filesystem::path& path, SoundFontLocation source,
                               SoundFontLocation target, std::string* problem)
{
    if (!validTarget(source))
        return kSoundFontBadLocation;
    Loaded loaded;
    loaded.item.kind = SoundFontItemKind::OnePreset;
    loaded.item.path = path;
    loaded.item.source = source;
    loaded.item.target = target;
    loaded.item.name = readSoundFontHead(path).name;
    if (loaded.item.name.empty())
        loaded.item.name = path.stem().string();
    return add(std::move(loaded), false, problem);
}

int SoundFontBanks::loadWavePatch(const std::filesystem::path& path, SoundFontLocation target,
                                  std::string* problem)
{
    Loaded loaded;
    loaded.item.kind = SoundFontItemKind::WavePatch;
    loaded.item.path = path;
    loaded.item.target = target;
    loaded.item.name = path.stem().string();
    return add(std::move(loaded), false, problem);
}

int SoundFontBanks::removeWhere(_fluid_synth_t* synth, bool (*match)(const Loaded&, int), int value)
{
    std::lock_guard lock(m_mutex);
    int removed = 0;
    for (auto it = m_items.begin(); it != m_items.end();) {
        if (match(**it, value)) {
            unload(synth, **it);
            it = m_items.erase(it);
            ++removed;
        } else {
            ++it;
        }
    }
    return removed;
}

int SoundFontBanks::deleteBank(int bank)
{
    if (bank < 0 || bank > 127)
        return kSoundFontBadLocation;
    int result = kSoundFontNoSynth;
    withAttached([&](_fluid_synth_t* synth) {
        const auto inBank = [](const Loaded& loaded, int wanted) {
            return loaded.item.target.bank == wanted;
        };
        result = removeWhere(synth, inBank, bank) > 0 ? kSoundFontOk : kSoundFontNothingThere;
    });
    return result;
}

int SoundFontBanks::deletePreset(SoundFontLocation location)
{
    if (!validTarget(location))
        return kSoundFontBadLocation;
    int result = kSoundFontNoSynth;
    withAttached([&](_fluid_synth_t* synth) {
        std::lock_guard lock(m_mutex);
        for (auto it = m_items.begin(); it != m_items.end(); ++it) {
            const SoundFontItem& item = (*it)->item;
            if (item.kind != SoundFontItemKind::WholeFile && item.target == location) {
                unload(synth, **it);
                m_items.erase(it);
                result = kSoundFontOk;
                return;
            }
        }
        // Anything else the synthesizer finds there is part of a whole file.
        const auto presets = presetsIn(synth, location.bank);
        const bool inWholeFile = std::any_of(presets.begin(), presets.end(), [&](const auto& preset) {
            return preset.location == location;
        });
        result = inWholeFile ? kSoundFontNotAlone : kSoundFontNothingThere;
    });
    return result;
}

std::vector<SoundFontItem> SoundFontBanks::items() const
{
    std::lock_guard lock(m_mutex);
    std::vector<SoundFontItem> items;
    for (const auto& loaded : m_items)
        items.push_back(loaded->item);
    return items;
}

bool SoundFontBanks::isBankInUse(int bank) const
{
    std::lock_guard lock(m_mutex);
    return std::any_of(m_items.begin(), m_items.end(),
                       [&](const auto& loaded) { return loaded->item.target.bank == bank; });
}

std::string SoundFontBanks::bankName(int bank) const
{
    std::lock_guard lock(m_mutex);
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
        if ((*it)->item.target.bank == bank)
            return (*it)->item.name;
    return {};
}

std::vector<SoundFontPreset> SoundFontBanks::presets(int bank) const
{
    std::vector<SoundFontPreset> presets;
    withAttached([&](_fluid_synth_t* synth) { presets = presetsIn(synth, bank); });
    return presets;
}

} // namespace rz
