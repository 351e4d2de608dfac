// The set pane's editing commands, caption editing and its own window.
// GUI thread.
#include "set/ui/set_pane.h"

#include "core/profile.h"
#include "core/settings.h"
#include "res/command_ids.h"
#include "set/set_document.h"
#include "set/ui/paste_song_dlg.h"
#include "set/ui/set_props_dlg.h"
#include "set/ui/set_tree_model.h"
#include "ui/in_place_edit.h"
#include "views/pane_view.h"

#include <QCloseEvent>
#include <QTreeView>

namespace rz {
namespace {

constexpr const char* kOwnWindowCaption = "Songs and Markers";

} // namespace

bool SetPane::paneCommand(uint32_t command)
{
    if (command == kIdShowHideSetPane)
        return true;
    for (const CommandRow<SetPane>& row : commandTable())
        if (command >= row.firstId && command <= row.lastId)
            return true;
    return false;
}

bool SetPane::editCommandEnabled(uint32_t command, const SetTreeItem* item, bool& known) const
{
    known = true;
    switch (command) {
    case kIdEditCopy:
    case kIdEditCut: return m_commands.canCopy(item);
    case kIdEditPaste: return m_commands.canPasteSong();
    case kIdCreateFolder: return m_commands.canCreateFolder(item);
    case kIdAlphabetizeSet: return m_commands.canAlphabetize();
    case kIdProperties: return m_commands.canEditProperties(item, true);
    case kIdSpawnTopLevelWindow: return !m_undocked && parentWidget() != nullptr;
    default: known = false; return false;
    }
}

// False when the command left the items as they were, so the view need not
// be rebuilt.
bool SetPane::runEditCommand(uint32_t command, SetTreeItem* item)
{
    switch (command) {
    case kIdEditCopy: m_commands.Copy(item); return false;
    case kIdEditCut: m_commands.Cut(item); return true;
    case kIdEditPaste: pasteSong(); return true;
    case kIdCreateFolder: {
        SetTreeItem* folder = m_commands.CreateFolder(item);
        rebuild();
        editCaption(folder);
        return false;
    }
    case kIdAlphabetizeSet: m_commands.Alphabetize(); return true;
    case kIdProperties: openProperties(item); return true;
    case kIdSpawnTopLevelWindow: spawnTopLevel(); return false;
    default: return false;
    }
}

void SetPane::pasteSong()
{
    std::optional<int> choice;
    if (m_askPasteChoice) {
        choice = m_askPasteChoice();
    } else {
        CPasteSongDlg dialog(this);
        if (dialog.exec() == QDialog::Accepted)
            choice = dialog.choice();
    }
    if (!choice)
        return;
    if (*choice == CPasteSongDlg::Copy) {
        if (m_newSongFromCopy)
            m_newSongFromCopy();
    } else {
        m_commands.PasteSongLink();
    }
    if (m_repaintClipView)
        m_repaintClipView();
}

void SetPane::openProperties(SetTreeItem* item)
{
    if (m_commands.propertiesTarget(item) != SetPaneCommands::PropertiesTarget::Set) {
        m_commands.EditProperties(item);
        return;
    }
    if (m_runSetProps) {
        m_runSetProps();
        return;
    }
    CSetPropsDlg dialog(m_set, this);
    dialog.exec();
}

void SetPane::editCaption(SetTreeItem* folder)
{
    if (!m_commands.canEditCaption(folder) || m_captionEditor)
        return;
    const QModelIndex at = m_model->indexOf(folder);
    m_tree->setCurrentIndex(at);
    m_tree->scrollTo(at);
    m_captionItem = folder;
    m_captionEditor = new InPlaceEdit(m_keys, m_tree->viewport());
    m_captionEditor->setText(QString::fromStdString(folder->caption));
    m_captionEditor->selectAll();
    m_captionEditor->setGeometry(m_tree->visualRect(at));
    connect(m_captionEditor, &InPlaceEdit::focusLost, this, [this] { endCaptionEdit(); });
    m_captionEditor->show();
    m_captionEditor->setFocus();
}

// Escape keeps the caption; anything else takes a non-empty one.
void SetPane::endCaptionEdit()
{
    InPlaceEdit* editor = m_captionEditor;
    if (editor == nullptr)
        return;
    m_captionEditor = nullptr;
    SetTreeItem* folder = m_captionItem;
    m_captionItem = nullptr;
    const bool take = editor->exitKey() != InPlaceEdit::kVkEscape;
    const std::string caption = editor->text().toStdString();
    editor->hide();
    editor->deleteLater();
    int depth = 0;
    bool exists = false;
    for (SetTreeItem* item = m_set.tree().GetNextItem(nullptr, depth); item && !exists;
         item = m_set.tree().GetNextItem(item, depth))
        exists = item == folder;
    if (take && exists && m_commands.RenameFolder(folder, caption))
        m_model->itemChanged(folder);
    m_tree->setFocus();
}

// The pane leaves the main window at the place it had on the screen.
void SetPane::spawnTopLevel()
{
    if (m_undocked || parentWidget() == nullptr)
        return;
    m_frame = parentWidget();
    const QRect screenRect(mapToGlobal(QPoint(0, 0)), size());
    m_frame->setFocus();
    releaseRouting();
    hide();
    m_undocked = true;
    Qt::WindowFlags flags = Qt::Window;
    if (readSetting(m_profile, settings::kAlwaysOnTop) != 0)
        flags |= Qt::WindowStaysOnTopHint;
    setParent(nullptr, flags);
    setWindowTitle(kOwnWindowCaption);
    setGeometry(screenRect);
    setSetPaneShown(*m_frame, false);
    placeSiblings(*m_frame);
    layoutChildren();
    show();
    m_tree->setFocus();
}

void SetPane::dock()
{
    if (!m_undocked)
        return;
    m_undocked = false;
    hide();
    if (!m_frame) {
        deleteLater();
        return;
    }
    setParent(m_frame, Qt::Widget);
    placeInFrame(m_frame->size());
    setSetPaneShown(*m_frame, m_shown);
    placeSiblings(*m_frame);
    layoutChildren();
    show();
    m_set.updateSetViews();
    m_frame->setFocus();
    m_tree->setFocus();
}

void SetPane::closeEvent(QCloseEvent* event)
{
    if (!m_undocked) {
        SongView::closeEvent(event);
        return;
    }
    event->ignore();
    dock();
}

} // namespace rz
