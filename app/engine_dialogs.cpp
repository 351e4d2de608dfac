#include "app/engine_dialogs.h"

#include "app/app.h"
#include "app/app_song_recorder.h"
#include "app/edit_commands.h"
#include "app/engine_audio_effects.h"
#include "app/main_frame.h"
#include "dialogs/copy_perc_schema_dlg.h"
#include "engine/audio_options_model.h"
#include "engine/device_setup.h"
#include "engine/synthdb/synth_db.h"
#include "engine/ui/audio_options_dlg.h"
#include "engine/ui/ports_dlg.h"
#include "engine/ui/soundfont_dlg.h"
#include "engine/ui/sync_dlg.h"
#include "engine/ui/synth_patch_dlg.h"
#include "engine/ui/sysex_receive_dlg.h"
#include "platform/soundfont_banks.h"
#include "res/command_ids.h"
#include "staff/perc_schema_dlg.h"
#include "ui/help_opener.h"

namespace rz {

namespace {

// The percussion schema dialog over the editor's tree, copying through the
// drum set picker.
void openPercSchema(App& app, IDrumSchemaTree& tree, DrumSetRef set, int firstItem, QWidget* parent)
{
    CPercSchemaDlg dialog(tree, set, firstItem, &app.musicFont(), app.prompt(), parent);
    dialog.setPickSchemaSource(pickSchemaSource);
    dialog.exec();
}

// The patch-name editor over the program's database; true after OK.
bool openSynthPatchEditor(App& app)
{
    SynthDatabase* database = app.database();
    if (database == nullptr)
        return false;
    CSynthPatchDlg dialog(SynthPatchDialogServices{*database, app.prompt(),
                                                   [&app](std::string_view topic) { app.help().open(topic); },
                                                   {},
                                                   [&app](IDrumSchemaTree& tree, DrumSetRef set, int firstItem,
                                                          QWidget* parent) {
                                                       openPercSchema(app, tree, set, firstItem, parent);
                                                   }},
                          app.frame());
    return dialog.loaded() && dialog.exec() == QDialog::Accepted;
}

} // namespace

void registerEngineDialogs(App& app)
{
    app.commands().edit->setAudioEffects(std::make_unique<EngineAudioEffects>(app));
    app.setupDialogs().registerDialog(kIdMidiPorts, [&app] {
        CSequencer* engine = app.sequencer();
        if (engine == nullptr)
            return false;
        SynthDatabase* database = app.database();
        PortsDialogServices services{
            .engine = *engine,
            .profile = app.profile(),
            .prompt = app.prompt(),
            .synths = database ? &database->lookup() : nullptr,
            .synthChoices =
                [database] {
                    return database ? readSynthChoices(database->synths())
                                    : std::vector<SynthChoice>();
                },
            .currentSong = [&app] { return app.currentSong(); },
            .help = [&app](std::string_view topic) { app.help().open(topic); },
            .synthEditor =
                [&app, database] {
                    openSynthPatchEditor(app);
                    return database ? readSynthChoices(database->synths())
                                    : std::vector<SynthChoice>();
                },
        };
        CPortsDlg dialog(std::move(services), app.frame());
        return dialog.exec() == QDialog::Accepted;
    });
    app.setupDialogs().registerDialog(kIdSynthPatchNames, [&app] { return openSynthPatchEditor(app); });
    app.setupDialogs().registerDialog(kIdSynchronization, [&app] {
        CSequencer* engine = app.sequencer();
        if (engine == nullptr)
            return false;
        CSyncDlg dialog(*engine, app.profile(), app.frame());
        return dialog.exec() == QDialog::Accepted;
    });
    // The engines stay closed while the dialog opens the JACK device for
    // its channel list, and reload however it ends.
    app.setupDialogs().registerDialog(kIdAudioDevices, [&app] {
        CSequencer* engine = app.sequencer();
        if (engine == nullptr)
            return false;
        bool accepted = false;
        editAudioOptions(*engine, app.prompt(), [&] {
            SystemAudioDeviceProbe probe;
            CAudioOptionsDlg dialog(app.profile(), probe, app.frame());
            accepted = dialog.exec() == QDialog::Accepted;
        });
        return accepted;
    });
    registerSongRecorderDialog(app);
    app.setReceiveNotice([](const std::atomic<int>& received, QWidget* parent) -> QDialog* {
        return new CSysexReceiveDlg(received, parent);
    });
    // Without the built-in synthesizer the dialog says so and closes. The
    // registry stays alive while it shows, whatever happens to the device.
    app.setupDialogs().registerDialog(kIdSoundFontBanks, [&app] {
        const std::shared_ptr<SoundFontBanks> banks = app.soundFontBanks();
        CSoundFontDlg dialog(banks && banks->hasSynth() ? banks.get() : nullptr, app.prompt(),
                             app.profile(), app.documentsFolder(), {}, app.frame());
        return dialog.exec() == QDialog::Accepted;
    });
}

} // namespace rz
