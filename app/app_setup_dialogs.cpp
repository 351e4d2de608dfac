// The Setup commands whose dialogs other libraries register. GUI thread.
#include "app/app.h"

#include "app/main_frame.h"
#include "engine/sequencer.h"
#include "set/set_document.h"
#include "song/song_doc.h"

namespace rz {

bool App::onMidiPorts(CommandId id)
{
    if (!m_setupDialogs.open(id))
        return true;
    UpdateTrackSynths();
    if (m_currentSong)
        m_currentSong->UpdateViews();
    if (m_sequencer)
        m_sequencer->LoadAudioOptions();
    return true;
}

// After OK the tracks look their synthesizers up again and the song's views
// show the new names.
bool App::onSynthPatchNames(CommandId id)
{
    if (!m_setupDialogs.open(id))
        return true;
    UpdateTrackSynths();
    if (m_currentSong)
        m_currentSong->UpdateViews();
    return true;
}

// The engine follows at once; the views and the transport panel show the
// new time format.
bool App::onSynchronization(CommandId id)
{
    if (!m_setupDialogs.open(id))
        return true;
    if (m_currentSong)
        m_currentSong->UpdateViews();
    if (m_frame)
        m_frame->QWidget::update();
    return true;
}

// The dialog's opener closes and reloads the audio engines itself.
bool App::onWaveformAudio(CommandId id)
{
    m_setupDialogs.open(id);
    return true;
}

// Its loads and deletes reach the synthesizer at once: nothing follows.
bool App::onSoundFontBanks(CommandId id)
{
    m_setupDialogs.open(id);
    return true;
}

void App::onUpdateSetupDialog(CommandId id, CmdUi& ui)
{
    ui.enabled = m_setupDialogs.canOpen(id);
}

} // namespace rz
