// A hosted VST 2 instrument: loading, the MIDI queue, rendering, the chunk
// and the editor.
#include "engine/vst_plugin.h"

#include "core/midi_bytes.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace rz {

namespace {

constexpr int32_t kEditorWidth = 640;  // until the plug-in gives its rectangle
constexpr int32_t kEditorHeight = 480;
constexpr size_t kProductBufferBytes = 256; // room for plug-ins that overrun the documented 64

bool channelCountValid(int32_t count)
{
    return count >= 0 && count <= CVstPlugin::kMaxChannels;
}

size_t alignUp(size_t bytes, size_t alignment)
{
    return (bytes + alignment - 1) / alignment * alignment;
}

float clipped(float sample)
{
    return std::clamp(sample, -1.0f, 1.0f);
}

} // namespace

CVstPlugin::CVstPlugin(IVstHost& host, IVstEditorWindows* editors)
    : m_host(host), m_editors(editors), m_sampleRate(host.timeInfo().sampleRate)
{
}

CVstPlugin::~CVstPlugin()
{
    unload();
}

InstrumentLoadResult CVstPlugin::load(const std::filesystem::path& library)
{
    unload();
    if (!library.empty())
        m_path = library;
    std::string error = openLibrary(m_path);
    if (!error.empty()) {
        unload();
        return {std::nullopt, error};
    }
    startEffect();
    readName();
    m_loaded.store(true, std::memory_order_release);
    return {m_name, {}};
}

// The library, its entry point and an opened effect; the reason otherwise.
std::string CVstPlugin::openLibrary(const std::filesystem::path& library)
{
    m_library = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_library) {
        const char* reason = dlerror();
        std::string error = reason ? reason : library.string() + ": cannot be loaded";
        std::fprintf(stderr, "%s\n", error.c_str());
        return error;
    }
    void* entry = dlsym(m_library, "VSTPluginMain");
    if (!entry)
        entry = dlsym(m_library, "main");
    if (!entry)
        return library.string() + ": no VST entry point";
    // The entry's address comes back as data; POSIX guarantees the cast.
    const auto main = reinterpret_cast<VstPluginMainProc>(entry);
    return openEffect(main(VstHostCallback));
}

std::string CVstPlugin::openEffect(AEffect* effect)
{
    if (!effect)
        return m_path.string() + ": the plug-in made no effect";
    if (effect->magic != kEffectMagic || !effect->dispatcher)
        return m_path.string() + ": not a VST plug-in";
    m_effect = effect;
    const int32_t inputs = effect->numInputs;
    const int32_t outputs = effect->numOutputs;
    if (!channelCountValid(inputs) || !channelCountValid(outputs)) {
        dispatch(effClose); // the effect is gone from here on
        m_effect = nullptr;
        return m_path.string() + ": " + std::to_string(inputs) + " inputs and "
               + std::to_string(outputs) + " outputs";
    }
    effect->resvd1 = reinterpret_cast<VstIntPtr>(this);
    if (dispatch(effOpen) != 0) {
        dispatch(effClose);
        m_effect = nullptr;
        return m_path.string() + ": the plug-in did not open";
    }
    m_inputCount = inputs;
    m_outputCount = outputs;
    return {};
}

void CVstPlugin::startEffect()
{
    dispatch(effSetSampleRate, 0, 0, nullptr, float(m_sampleRate));
    dispatch(effSetBlockSize, 0, m_blockFrames);
    allocateBuffers();
    m_blocks[0] = makeEventBlock();
    m_blocks[1] = makeEventBlock();
    dispatch(effMainsChanged, 0, 1);
    dispatch(effMainsChanged, 0, 0);
    dispatch(effSetBlockSize, 0, m_blockFrames);
    char receive[] = "receiveVstMidiEvent";
    m_wantsMidi.store(dispatch(effCanDo, 0, 0, receive) == 1, std::memory_order_release);
    dispatch(effMainsChanged, 0, 1);
}

void CVstPlugin::readName()
{
    char product[kProductBufferBytes] = {};
    dispatch(effGetProductString, 0, 0, product);
    m_name.assign(product, strnlen(product, kVstMaxProductStrLen));
    if (m_name.empty())
        m_name = m_path.stem().string();
}

// One zeroed buffer per channel for the block length; a mono plug-in's
// second output pointer repeats its first.
void CVstPlugin::allocateBuffers()
{
    const size_t frames = size_t(std::max(m_blockFrames, 1));
    m_inputStorage.assign(size_t(m_inputCount) * frames, 0.0f);
    m_outputStorage.assign(size_t(m_outputCount) * frames, 0.0f);
    m_inputs.assign(size_t(std::max(m_inputCount, 1)), nullptr);
    m_outputs.assign(size_t(std::max(m_outputCount, 2)), nullptr);
    for (int32_t i = 0; i < m_inputCount; ++i)
        m_inputs[size_t(i)] = m_inputStorage.data() + size_t(i) * frames;
    for (int32_t i = 0; i < m_outputCount; ++i)
        m_outputs[size_t(i)] = m_outputStorage.data() + size_t(i) * frames;
    if (m_outputCount == 1)
        m_outputs[1] = m_outputs[0];
}

// The header, the pointer array and the records in one allocation, laid out
// from the declared sizes; every pointer already points at its record.
CVstPlugin::EventBlock CVstPlugin::makeEventBlock()
{
    const size_t pointersAt = offsetof(VstEvents, events);
    const size_t recordsAt =
        alignUp(pointersAt + kBlockEventCapacity * sizeof(VstEvent*), alignof(VstMidiEvent));
    const size_t bytes = recordsAt + kBlockEventCapacity * sizeof(VstMidiEvent);
    EventBlock block;
    block.storage = std::make_unique<std::byte[]>(bytes);
    block.header = new (block.storage.get()) VstEvents{};
    block.eventPointers = reinterpret_cast<VstEvent**>(block.storage.get() + pointersAt);
    block.records = reinterpret_cast<VstMidiEvent*>(block.storage.get() + recordsAt);
    for (size_t i = 0; i < kBlockEventCapacity; ++i) {
        new (&block.records[i]) VstMidiEvent{};
        block.eventPointers[i] = reinterpret_cast<VstEvent*>(&block.records[i]);
    }
    return block;
}

void CVstPlugin::unload()
{
    showEditor({});
    m_loaded.store(false, std::memory_order_release);
    if (m_effect) {
        dispatch(effMainsChanged, 0, 0);
        dispatch(effClose);
        m_effect = nullptr;
    }
    if (m_library) {
        dlclose(m_library);
        m_library = nullptr;
    }
    m_inputStorage = {};
    m_outputStorage = {};
    m_inputs = {};
    m_outputs = {};
    m_blocks[0] = {};
    m_blocks[1] = {};
    m_inputCount = 0;
    m_outputCount = 2;
    m_wantsMidi.store(false, std::memory_order_release);
    m_needsIdle.store(false, std::memory_order_release);
    m_queue.drain();
    m_soundingNotes = 0;
}

void CVstPlugin::resetAudio(double sampleRate, int blockFrames)
{
    if (sampleRate > 0)
        m_sampleRate = sampleRate;
    if (blockFrames > 0)
        m_blockFrames = blockFrames;
    if (!m_effect)
        return;
    // Rate and block length change only while the plug-in is suspended.
    dispatch(effMainsChanged, 0, 0);
    dispatch(effSetSampleRate, 0, 0, nullptr, float(m_sampleRate));
    dispatch(effSetBlockSize, 0, m_blockFrames);
    allocateBuffers();
    dispatch(effMainsChanged, 0, 1);
}

void CVstPlugin::queueShort(uint32_t message)
{
    if (!isLoaded())
        return;
    std::lock_guard lock(m_producers);
    const uint32_t now = m_host.msClock();
    uint32_t blockTime = m_blockTime.load(std::memory_order_acquire);
    if (blockTime == 0 && m_blockTime.compare_exchange_strong(blockTime, now))
        blockTime = now;
    m_queue.push({message, int32_t(now - blockTime)});
}

void CVstPlugin::process(float* const* outputs, int frames)
{
    if (frames <= 0)
        return;
    std::fill(outputs[0], outputs[0] + frames, 0.0f);
    std::fill(outputs[1], outputs[1] + frames, 0.0f);
    if (!m_effect)
        return;
    fillTimeInfo();
    VstEvents* events = takeQueuedEvents(frames);
    if (m_wantsMidi.load(std::memory_order_acquire))
        dispatch(effProcessEvents, 0, 0, events ? events : &m_emptyEvents);
    const uint32_t blockTime = m_blockTime.load(std::memory_order_relaxed);
    if (m_outputCount == 0 || blockTime - m_lastActivity.load(std::memory_order_acquire) >= kSilenceMs)
        return;
    // A block longer than the plug-in was promised goes in slices.
    for (int offset = 0; offset < frames; offset += m_blockFrames)
        renderSlice(outputs, offset, std::min(m_blockFrames, frames - offset));
}

// Moves the queue into the next event block (at most its capacity; the rest
// waits) and stamps the block time. Null when nothing was queued.
VstEvents* CVstPlugin::takeQueuedEvents(int frames)
{
    const int lastFrame = std::min(frames, m_blockFrames) - 1;
    EventBlock& block = m_blocks[m_currentBlock ^ 1];
    size_t count = 0;
    for (const QueuedMidi* queued = m_queue.front(); queued && count < kBlockEventCapacity;
         queued = m_queue.front()) {
        VstMidiEvent& event = block.records[count++];
        event = VstMidiEvent{};
        event.type = kVstMidiType;
        event.byteSize = int32_t(sizeof(VstMidiEvent));
        event.flags = kVstMidiEventIsRealtime;
        const double frame = double(std::max(queued->offsetMs, 0)) * m_sampleRate / 1000.0;
        event.deltaFrames = int32_t(std::min(frame, double(lastFrame)));
        for (size_t byte = 0; byte < 4; ++byte)
            event.midiData[byte] = char((queued->message >> (8 * byte)) & 0xFF);
        const uint8_t status = midi::statusOf(queued->message);
        if (status == midi::kNoteOn && ((queued->message >> 16) & 0x7F) != 0)
            ++m_soundingNotes;
        else if ((status == midi::kNoteOn || status == midi::kNoteOff) && m_soundingNotes > 0)
            --m_soundingNotes;
        m_queue.pop();
    }
    const uint32_t now = m_host.msClock();
    m_blockTime.store(now, std::memory_order_release);
    if (count > 0 || m_soundingNotes > 0)
        m_lastActivity.store(now, std::memory_order_release);
    if (count == 0)
        return nullptr;
    m_currentBlock ^= 1;
    block.header->numEvents = int32_t(count);
    block.header->reserved = 0;
    return block.header;
}

void CVstPlugin::renderSlice(float* const* outputs, int offset, int frames)
{
    std::fill(m_inputStorage.begin(), m_inputStorage.end(), 0.0f);
    for (int32_t i = 0; i < m_outputCount; ++i)
        std::fill(m_outputs[size_t(i)], m_outputs[size_t(i)] + frames, 0.0f);
    if ((m_effect->flags & effFlagsCanReplacing) && m_effect->processReplacing)
        m_effect->processReplacing(m_effect, m_inputs.data(), m_outputs.data(), frames);
    else if (m_effect->process)
        m_effect->process(m_effect, m_inputs.data(), m_outputs.data(), frames);
    for (int channel = 0; channel < 2; ++channel) {
        const float* from = m_outputs[size_t(channel)];
        float* to = outputs[channel] + offset;
        for (int i = 0; i < frames; ++i)
            to[i] = clipped(from[i]);
    }
}

// The engine's record in the plug-in's terms; the frame-rate codes map onto
// the interface's own.
void CVstPlugin::fillTimeInfo()
{
    static constexpr int32_t kRates[] = {kVstSmpte24fps, kVstSmpte25fps, kVstSmpte2997dfps,
                                         kVstSmpte30fps, kVstSmpte30fps};
    const HostTimeInfo& host = m_host.timeInfo();
    m_timeInfo.samplePos = host.samplePosition;
    m_timeInfo.sampleRate = host.sampleRate;
    m_timeInfo.nanoSeconds = host.nanoSeconds;
    m_timeInfo.ppqPos = host.ppqPos;
    m_timeInfo.tempo = host.tempo;
    m_timeInfo.barStartPos = host.barStartPos;
    m_timeInfo.timeSigNumerator = host.timeSigNumerator;
    m_timeInfo.timeSigDenominator = host.timeSigDenominator;
    m_timeInfo.smpteOffset = host.smpteOffset;
    m_timeInfo.smpteFrameRate = kRates[std::clamp(host.smpteFrameRate, 0, 4)];
    m_timeInfo.flags = int32_t(host.flags);
}

std::vector<uint8_t> CVstPlugin::getChunk()
{
    if (!m_effect)
        return {};
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || size_t(size) > kMaxChunkBytes || !data)
        return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return {bytes, bytes + size};
}

bool CVstPlugin::setChunk(std::span<const uint8_t> state)
{
    if (!m_effect || state.empty())
        return false;
    // The plug-in only reads the chunk; the interface has no const.
    void* data = const_cast<uint8_t*>(state.data());
    return dispatch(effSetChunk, 0, VstIntPtr(state.size()), data) != 0;
}

void CVstPlugin::showEditor(const std::string& title)
{
    if (title.empty()) {
        closeEditor();
        m_editor.reset();
        return;
    }
    if (m_editor) {
        m_editor->activate();
        return;
    }
    if (!m_effect || !m_editors || !(m_effect->flags & effFlagsHasEditor))
        return;
    ERect rect{0, 0, kEditorHeight, kEditorWidth};
    ERect* given = nullptr;
    dispatch(effEditGetRect, 0, 0, &given);
    if (given && given->right > given->left && given->bottom > given->top)
        rect = *given;
    m_editor = m_editors->create(title, *this, rect);
}

void CVstPlugin::openEditor(void* nativeWindow)
{
    if (!m_effect || m_editorOpen)
        return;
    dispatch(effEditOpen, 0, 0, nativeWindow);
    m_editorOpen = true;
}

void CVstPlugin::closeEditor()
{
    if (!m_effect || !m_editorOpen)
        return;
    dispatch(effEditClose);
    m_editorOpen = false;
}

void CVstPlugin::keepAwake()
{
    m_lastActivity.store(m_blockTime.load(std::memory_order_acquire), std::memory_order_release);
}

void CVstPlugin::idle()
{
    if (!m_effect)
        return;
    if (m_editor)
        dispatch(effEditIdle);
    if (m_needsIdle.load(std::memory_order_acquire))
        dispatch(effIdle);
}

VstIntPtr CVstPlugin::dispatch(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt)
{
    return m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt);
}

} // namespace rz
