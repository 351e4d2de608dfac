#pragma once

#include "engine/audio/audio_format.h"
#include "engine/instrument.h"
#include "engine/vst2_abi.h"
#include "platform/midi_ring.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace rz {

class CVstPlugin;

// A hosted plug-in calls the engine: SequencerVstHost implements IVstHost.
class IVstHost {
public:
    virtual ~IVstHost() = default;
    // The engine's millisecond clock, which times queued events. Any thread;
    // never waits.
    virtual uint32_t msClock() const = 0;
    // The engine's time record for the block being rendered. Audio thread.
    virtual const HostTimeInfo& timeInfo() const = 0;
};

// A plug-in's editor window: a native window whose child the plug-in draws.
// Destroying it closes the editor. GUI thread.
class IVstEditorWindow {
public:
    virtual ~IVstEditorWindow() = default;
    virtual void activate() = 0;
    virtual void resize(int width, int height) = 0;
};

// Makes editor windows; the program's GUI implements it, tests use a fake.
// The window opens the editor in itself through CVstPlugin::openEditor and
// closes it through closeEditor before it goes. GUI thread.
class IVstEditorWindows {
public:
    virtual ~IVstEditorWindows() = default;
    virtual std::unique_ptr<IVstEditorWindow> create(const std::string& title, CVstPlugin& plugin,
                                                     const ERect& rect) = 0;
};

// One VST 2 instrument plug-in loaded from a shared library. MIDI from any
// thread is queued with millisecond offsets and handed to the plug-in as one
// event block per audio block; a plug-in with no events and no sounding
// notes for 10 s is no longer processed.
//
// Plug-ins are untrusted libraries: every size they report is checked, but a
// plug-in that crashes takes the program with it.
class CVstPlugin final : public IInstrument {
public:
    // Events handed to the plug-in in one block; the rest wait for the next.
    static constexpr size_t kBlockEventCapacity = 1024;
    // Events queued between two blocks; more are dropped and counted.
    static constexpr size_t kQueueCapacity = 4096;
    // A silent plug-in is left alone after this long, ms.
    static constexpr uint32_t kSilenceMs = 10000;
    // The most input or output channels a plug-in may have.
    static constexpr int32_t kMaxChannels = 64;
    // A larger chunk is taken for a broken answer.
    static constexpr size_t kMaxChunkBytes = size_t(64) << 20;
    static constexpr int kDefaultBlockFrames = 2205;

    // `editors` may be null: then no editor is shown.
    CVstPlugin(IVstHost& host, IVstEditorWindows* editors);
    ~CVstPlugin() override;
    CVstPlugin(const CVstPlugin&) = delete;
    CVstPlugin& operator=(const CVstPlugin&) = delete;

    // IInstrument. load, unload, resetAudio, the chunk, the editor and idle
    // belong to the GUI thread.
    InstrumentLoadResult load(const std::filesystem::path& library) override;
    void unload() override;
    bool isLoaded() const override { return m_loaded.load(std::memory_order_acquire); }
    // Timer, MIDI input and GUI threads: producers wait only for each other.
    void queueShort(uint32_t message) override;
    // Audio thread; never waits or allocates.
    void process(float* const* outputs, int frames) override;
    void resetAudio(double sampleRate, int blockFrames) override;
    std::vector<uint8_t> getChunk() override;
    bool setChunk(std::span<const uint8_t> state) override;
    void showEditor(const std::string& title) override;
    void idle() override;

    // The editor window's side. GUI thread.
    void openEditor(void* nativeWindow);
    void closeEditor();
    // The open editor keeps the plug-in processed: last activity = block time.
    void keepAwake();

    const std::string& name() const { return m_name; }
    const std::filesystem::path& path() const { return m_path; }
    int32_t inputCount() const { return m_inputCount; }
    int32_t outputCount() const { return m_outputCount; }
    double sampleRate() const { return m_sampleRate; }
    int blockFrames() const { return m_blockFrames; }
    bool editorShown() const { return m_editor != nullptr; }
    // Queued messages dropped because the queue was full. Any thread.
    uint64_t droppedCount() const { return m_queue.droppedCount(); }
    // Note-ons minus velocity-0 note-ons handed over so far. Audio thread.
    int32_t soundingNotes() const { return m_soundingNotes; }

    // The host callback's answers that need this instrument.
    VstIntPtr onWantMidi(VstIntPtr value);
    VstIntPtr onNeedIdle(VstIntPtr value);
    VstIntPtr onSizeWindow(int32_t width, int32_t height);
    VstTimeInfo* timeInfo() { return &m_timeInfo; }

private:
    struct QueuedMidi {
        uint32_t message;
        int32_t offsetMs; // from the block time when queued
    };
    // One VstEvents block with room for kBlockEventCapacity MIDI events.
    struct EventBlock {
        std::unique_ptr<std::byte[]> storage;
        VstEvents* header = nullptr;
        VstEvent** eventPointers = nullptr;
        VstMidiEvent* records = nullptr;
    };

    std::string openLibrary(const std::filesystem::path& library);
    std::string openEffect(AEffect* effect);
    void startEffect();
    void readName();
    void allocateBuffers();
    VstIntPtr dispatch(int32_t opcode, int32_t index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    static EventBlock makeEventBlock();
    // Audio thread.
    VstEvents* takeQueuedEvents(int frames);
    void fillTimeInfo();
    void renderSlice(float* const* outputs, int offset, int frames);

    IVstHost& m_host;
    IVstEditorWindows* m_editors;
    std::filesystem::path m_path;
    std::string m_name;
    int32_t m_inputCount = 0;
    int32_t m_outputCount = 2;
    double m_sampleRate;
    int m_blockFrames = kDefaultBlockFrames;
    // Sized from the block length at load and resetAudio.
    std::vector<float> m_inputStorage;
    std::vector<float> m_outputStorage;
    std::vector<float*> m_inputs;
    std::vector<float*> m_outputs; // at least two; a mono plug-in's second is its first
    EventBlock m_blocks[2];
    int m_currentBlock = 0;
    VstEvents m_emptyEvents{}; // for blocks without new events
    // Producers serialise on the mutex; the audio thread drains without it.
    std::mutex m_producers;
    SpscRing<QueuedMidi, kQueueCapacity> m_queue;
    int32_t m_soundingNotes = 0; // audio thread
    std::atomic<uint32_t> m_blockTime{0};
    std::atomic<uint32_t> m_lastActivity{0};
    std::atomic<bool> m_wantsMidi{false};
    std::atomic<bool> m_needsIdle{false};
    VstTimeInfo m_timeInfo{};
    std::unique_ptr<IVstEditorWindow> m_editor;
    bool m_editorOpen = false; // effEditOpen sent
    AEffect* m_effect = nullptr;
    void* m_library = nullptr;
    std::atomic<bool> m_loaded{false};
};

// The audioMaster callback handed to every plug-in.
extern "C" VstIntPtr VstHostCallback(AEffect* effect, int32_t opcode, int32_t index,
                                     VstIntPtr value, void* ptr, float opt);

} // namespace rz
