// A plug-in's editor in a real X11 window: the window it is handed, the
// window's size, its resizing, closing, and keeping the plug-in processed.

#include "engine/ui/vsti_dlg.h"

#include "tests/engine/vst_fixture.h"
#include "tests/support/eventually.h"

#include <QApplication>
#include <QCloseEvent>

#include <gtest/gtest.h>

namespace rz {
namespace {

class VstEditor : public ::testing::Test {
protected:
    static constexpr int kBlock = 256;

    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb");
        const std::filesystem::path library = vstTestLibrary("vst_test_instrument");
        ASSERT_TRUE(plugin.load(library).name);
        plugin.resetAudio(44100.0, kBlock);
        handle = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(handle, nullptr);
        auto probeOf = reinterpret_cast<TestInstrumentProbeProc>(dlsym(handle, "rzTestInstrumentProbe"));
        ASSERT_NE(probeOf, nullptr);
        probe = probeOf();
    }
    void TearDown() override
    {
        plugin.unload();
        if (handle)
            dlclose(handle);
    }
    CVstiDlg& window()
    {
        auto* made = dynamic_cast<CVstiDlg*>(editorOf());
        EXPECT_NE(made, nullptr);
        return *made;
    }
    IVstEditorWindow* editorOf() { return editors.last; }

    // Keeps the window it makes, so the test can look at it.
    struct Windows : IVstEditorWindows {
        std::unique_ptr<IVstEditorWindow> create(const std::string& title, CVstPlugin& plugin,
                                                 const ERect& rect) override
        {
            std::unique_ptr<IVstEditorWindow> made = real.create(title, plugin, rect);
            last = made.get();
            return made;
        }
        VstEditorWindows real;
        IVstEditorWindow* last = nullptr;
    };

    FakeVstHost host;
    Windows editors;
    CVstPlugin plugin{host, &editors};
    void* handle = nullptr;
    TestInstrumentProbe* probe = nullptr;
};

TEST_F(VstEditor, ThePlugInDrawsIntoTheNativeChildWhichTheSizeRequestResizes)
{
    plugin.showEditor("Synth port");
    CVstiDlg& dialog = window();
    EXPECT_EQ(probe->editorWindow.load(), intptr_t(dialog.client()->winId()));
    EXPECT_NE(dialog.client()->winId(), dialog.winId());
    EXPECT_EQ(dialog.client()->size(), QSize(300, 200));
    EXPECT_EQ(dialog.windowTitle(), "Synth port");
    plugin.onSizeWindow(500, 400);
    EXPECT_EQ(dialog.client()->size(), QSize(500, 400));
    EXPECT_EQ(dialog.size(), QSize(500, 400));
}

TEST_F(VstEditor, AnEmptyRectangleGivesTheDefaultSize)
{
    probe->emptyRect = true;
    plugin.showEditor("Synth port");
    EXPECT_EQ(window().client()->size(), QSize(640, 480));
}

TEST_F(VstEditor, ClosingTheWindowClosesTheEditorAndShowingOpensItAgain)
{
    plugin.showEditor("Synth port");
    CVstiDlg& dialog = window();
    ASSERT_TRUE(dialog.close());
    EXPECT_EQ(probe->editorCloses.load(), 1);
    plugin.showEditor("Synth port");
    EXPECT_EQ(probe->editorOpens.load(), 2);
    plugin.showEditor("");
    EXPECT_EQ(probe->editorCloses.load(), 2);
}

TEST_F(VstEditor, WhileTheEditorIsOpenThePlugInKeepsBeingProcessed)
{
    StereoBlock block(kBlock);
    plugin.showEditor("Synth port");
    plugin.process(block.outputs(), kBlock);
    host.clock += CVstPlugin::kSilenceMs + 1; // 10 s on the manual clock
    plugin.process(block.outputs(), kBlock);  // the block time moves on
    const int calls = probe->processCalls.load();
    // The window's timer marks the plug-in active again.
    EXPECT_TRUE(eventually([&] {
        QCoreApplication::processEvents();
        plugin.process(block.outputs(), kBlock);
        return probe->processCalls.load() > calls;
    }, std::chrono::seconds(10)));
}

} // namespace
} // namespace rz
