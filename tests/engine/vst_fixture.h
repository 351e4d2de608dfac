#pragma once

// The instrument host over the in-tree test instrument: a host whose clock
// and time record the test sets, fake editor windows, and the instrument's
// own counts.

#include "engine/vst_plugin.h"
#include "tests/support/vst_test_instrument/vst_test_instrument.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace rz {

inline std::filesystem::path vstTestLibrary(const std::string& name)
{
    return std::filesystem::path(RZ_VST_TEST_DIR) / (name + ".so");
}

// The engine's clock and time record as a test drives them. A producer
// thread named by holdInClock() stays inside msClock() until released, so a
// test can keep it inside queueShort().
class FakeVstHost : public IVstHost {
public:
    uint32_t msClock() const override
    {
        if (std::this_thread::get_id() == m_heldThread.load()) {
            std::unique_lock lock(m_mutex);
            m_inClock = true;
            m_changed.notify_all();
            m_changed.wait(lock, [&] { return m_released; });
        }
        return clock.load();
    }
    const HostTimeInfo& timeInfo() const override { return time; }

    void holdInClock(std::thread::id thread) { m_heldThread.store(thread); }
    void waitUntilHeld()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_inClock; });
    }
    void release()
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

    std::atomic<uint32_t> clock{1000};
    HostTimeInfo time;

private:
    std::atomic<std::thread::id> m_heldThread{};
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    mutable bool m_inClock = false;
    bool m_released = false;
};

// Editor windows that record what the instrument asked of them.
class FakeEditorWindows : public IVstEditorWindows {
public:
    struct Log {
        std::vector<std::string> titles;
        std::vector<ERect> rects;
        int activations = 0;
        std::vector<std::pair<int, int>> sizes;
        int destroyed = 0;
    };
    class Window : public IVstEditorWindow {
    public:
        Window(Log& log, CVstPlugin& plugin) : m_log(log), m_plugin(plugin) { plugin.openEditor(nullptr); }
        ~Window() override
        {
            m_plugin.closeEditor();
            ++m_log.destroyed;
        }
        void activate() override { ++m_log.activations; }
        void resize(int width, int height) override { m_log.sizes.emplace_back(width, height); }

    private:
        Log& m_log;
        CVstPlugin& m_plugin;
    };

    std::unique_ptr<IVstEditorWindow> create(const std::string& title, CVstPlugin& plugin,
                                             const ERect& rect) override
    {
        log.titles.push_back(title);
        log.rects.push_back(rect);
        return std::make_unique<Window>(log, plugin);
    }
    Log log;
};

// Stereo output buffers of one block.
struct StereoBlock {
    explicit StereoBlock(int frames) : left(size_t(frames), 0.5f), right(size_t(frames), 0.5f) {}
    float* const* outputs()
    {
        pointers[0] = left.data();
        pointers[1] = right.data();
        return pointers;
    }
    bool silent() const
    {
        for (size_t i = 0; i < left.size(); ++i) {
            if (left[i] != 0.0f || right[i] != 0.0f)
                return false;
        }
        return true;
    }
    std::vector<float> left;
    std::vector<float> right;
    float* pointers[2] = {};
};

class VstFixture : public ::testing::Test {
protected:
    static constexpr double kRate = 48000.0;
    static constexpr int kBlock = 256;

    void SetUp() override
    {
        m_probeLibrary = dlopen(vstTestLibrary("vst_test_instrument").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_probeLibrary, nullptr) << dlerror();
        const auto probeOf =
            reinterpret_cast<TestInstrumentProbeProc>(dlsym(m_probeLibrary, "rzTestInstrumentProbe"));
        ASSERT_NE(probeOf, nullptr);
        probe = probeOf();
        host.time.sampleRate = kRate;
    }
    void TearDown() override
    {
        plugin.unload();
        if (m_probeLibrary)
            dlclose(m_probeLibrary);
    }

    // The stereo test instrument at kRate and kBlock.
    void loadInstrument()
    {
        const InstrumentLoadResult result = plugin.load(vstTestLibrary("vst_test_instrument"));
        ASSERT_TRUE(result.name) << result.error;
        plugin.resetAudio(kRate, kBlock);
    }

    FakeVstHost host;
    FakeEditorWindows editors;
    CVstPlugin plugin{host, &editors};
    TestInstrumentProbe* probe = nullptr;

private:
    void* m_probeLibrary = nullptr;
};

} // namespace rz
