// Printing and the lyric import: the print commands go to the view that
// prints (the staff view when there is one, else the lyric view); File >
// Import > Lyrics taps a new track in and adds it as one edit. GUI thread.

#include "app/app.h"

#include "app/main_frame.h"
#include "set/lyric_import.h"
#include "song/song_doc.h"

#include <QPageSetupDialog>
#include <QPrinter>

namespace rz {

QPrinter& App::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>();
    return *m_printer;
}

CommandTarget* App::printTarget(CommandId id) const
{
    for (const Slot which : {kStaff, kLyric}) {
        auto* target = dynamic_cast<CommandTarget*>(slot(which));
        if (target && target->hasHandler(id))
            return target;
    }
    return nullptr;
}

void App::onUpdatePrint(CommandId id, CmdUi& ui)
{
    ui.enabled = stoppedEditing() && printTarget(id) != nullptr;
}

bool App::onPrint(CommandId id)
{
    CommandTarget* target = printTarget(id);
    return target && target->handle(id);
}

bool App::onPrintSetup(CommandId)
{
    QPageSetupDialog dialog(&printer(), m_frame.data());
    dialog.exec();
    return true;
}

void App::onUpdateImportLyrics(CommandId, CmdUi& ui)
{
    ui.enabled = stoppedEditing() && bool(m_lyricTapper);
}

bool App::onImportLyrics(CommandId)
{
    CSongDoc* song = m_currentSong;
    if (!song || !m_lyricTapper)
        return false;
    importLyricsTrack(*song, [this, song](CTrack& track) { return m_lyricTapper(*song, track); });
    return true;
}

} // namespace rz
