// Setup > SoundFont bank manager in the whole program: it opens the bank
// manager over the registry of the built-in synthesizer the engine plays,
// whose items outlive a reopen of the ports, and without that synthesizer
// it says so.

#include "app/engine_dialogs.h"
#include "app/main_frame.h"
#include "engine/sequencer.h"
#include "engine/ui/soundfont_dlg.h"
#include "platform/midi_gm_synth.h"
#include "platform/soundfont_banks.h"
#include "res/command_ids.h"
#include "tests/engine/ui/program_under_test.h"
#include "tests/engine/ui/sound_font_tree.h"
#include "tests/support/eventually.h"
#include "ui/command_router.h"

#include <QApplication>
#include <QComboBox>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace rz {
namespace {

// The fake devices with the built-in synthesizer listed first, made
// driverless over one registry as the MIDI system makes it.
class DevicesWithSynth : public FakeMidiDevices {
public:
    std::vector<MidiDeviceDescriptor> outputs() const override
    {
        auto listed = FakeMidiDevices::outputs();
        listed.insert(listed.begin(), {kGmSynthName, MidiDeviceKind::InternalSynth,
                                       MidiBackend::GmSynth, kTestSoundFont.string()});
        return listed;
    }
    std::unique_ptr<IMidiOutDevice> makeOutput(const MidiDeviceDescriptor& device) const override
    {
        if (device.backend != MidiBackend::GmSynth)
            return FakeMidiDevices::makeOutput(device);
        GmSynthOptions options;
        options.soundFont = device.address;
        options.driverless = true;
        options.banks = banks;
        return std::make_unique<GmSynthDevice>(options);
    }
    std::shared_ptr<SoundFontBanks> soundFontBanks() const override { return banks; }

    const std::shared_ptr<SoundFontBanks> banks = std::make_shared<SoundFontBanks>();
};

// Runs the command; while its modal dialog shows, `look` sees it and the
// dialog is closed.
void runAndLook(App& app, const std::function<void(CSoundFontDlg&)>& look)
{
    answerModal<CSoundFontDlg>([&] { app.router().execute(kIdSoundFontBanks); },
                               [&](CSoundFontDlg& dialog) {
                                   look(dialog);
                                   dialog.reject();
                               });
}

TEST(SoundFontCommand, OpensTheManagerOverTheProgramsSynthesizerWhoseItemsOutliveAReopen)
{
    ASSERT_TRUE(std::filesystem::is_regular_file(kTestSoundFont));
    ProgramUnderTest program;
    DevicesWithSynth devices;
    AppOptions options = program.options();
    options.devices = &devices;
    App app(options);
    ASSERT_TRUE(app.InitInstance());
    // The built-in synthesizer opens on a thread of its own after start-up.
    ASSERT_TRUE(eventually([&] {
        QApplication::processEvents();
        return !app.sequencer()->portsLoading();
    }, std::chrono::seconds(20)));
    EXPECT_FALSE(app.router().update(kIdSoundFontBanks).enabled);
    registerEngineDialogs(app);
    EXPECT_TRUE(app.router().update(kIdSoundFontBanks).enabled);
    const std::shared_ptr<SoundFontBanks> banks = app.soundFontBanks();
    ASSERT_EQ(banks, devices.banks);
    ASSERT_TRUE(banks->hasSynth());

    ASSERT_EQ(banks->loadFile(kTestSoundFont, 2), kSoundFontOk);
    // The Ports dialog's OK closes and opens the synthesizer again.
    app.sequencer()->ReopenPorts({kGmSynthName}, {});
    ASSERT_EQ(banks->items().size(), 2u);
    EXPECT_FALSE(banks->presets(2).empty()) << "the reopened synthesizer loads the item again";

    const std::string name = banks->bankName(0);
    std::vector<std::string> roots;
    std::string device;
    runAndLook(app, [&](CSoundFontDlg& dialog) {
        roots = rootTexts(*dialog.tree());
        device = dialog.deviceCombo()->currentText().toStdString();
    });
    EXPECT_EQ(device, kGmSynthName);
    EXPECT_EQ(roots,
              (std::vector<std::string>{"Bank 0: " + name, "Bank 2: " + name, "Percussive bank"}));
    app.ExitInstance();
}

TEST(SoundFontCommand, WithoutTheSynthesizerTheManagerSaysSoAndCloses)
{
    ProgramUnderTest program;
    App app(program.options());
    ASSERT_TRUE(app.InitInstance());
    registerEngineDialogs(app);
    EXPECT_TRUE(app.router().update(kIdSoundFontBanks).enabled);
    program.prompt.expectMessage(
        "The SoundFont manager is unable to locate a SoundFont compatible device on your system.");
    bool shown = false;
    runAndLook(app, [&](CSoundFontDlg&) { shown = true; });
    EXPECT_FALSE(shown);
    EXPECT_EQ(program.prompt.unusedCount(), 0u);
    app.ExitInstance();
}

} // namespace
} // namespace rz
