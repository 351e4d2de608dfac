#pragma once

#include "set/set_pane_commands.h"
#include "ui/command_target.h"
#include "views/song_view.h"

#include <QPointer>

#include <functional>
#include <optional>
#include <span>

class QTreeView;

namespace rz {

class BitmapPushButton;
class CommandRouter;
class InPlaceEdit;
class KeyFilter;
class SetTreeDrag;
class IProfile;
class ISetDocumentHost;
class SetDocument;
class SetTreeModel;

// The "Songs & Markers" pane: the set tree under a header band with the
// show/hide button. While the tree has the focus the pane is the router's
// active view, so its commands and keys reach it first. GUI thread.
class SetPane : public SongView, public CommandTable<SetPane> {
    Q_OBJECT
public:
    static constexpr int kLeft = 10;
    static constexpr int kTop = 60;
    static constexpr int kShownWidth = 218;
    static constexpr int kHiddenWidth = 23;
    static constexpr int kBottomBand = 261;
    static constexpr int kButtonSize = 17;
    static constexpr int kButtonX = 198;

    SetPane(SetDocument& set, ISetDocumentHost& setHost, ITrash& trash, IProfile& profile,
            QWidget* parent);
    ~SetPane() override;

    using QWidget::update;
    using CommandTable<SetPane>::update;

    // Where the pane routes its commands while the tree has the focus; may
    // be null. The router must outlive the pane.
    void setCommandRouter(CommandRouter* router) { m_router = router; }
    static std::span<const CommandRow<SetPane>> commandTable();

    // Accelerators go off while a caption is edited; may be null.
    void setKeyFilter(KeyFilter* keys) { m_keys = keys; }
    // Paste song's "copy" choice: File > New for a song, the copy row
    // preselected.
    void setNewSongFromCopy(std::function<void()> run) { m_newSongFromCopy = std::move(run); }
    // Repaints the song's clip view after a paste; may be empty.
    void setClipViewRepaint(std::function<void()> repaint) { m_repaintClipView = std::move(repaint); }
    // The modal dialogs the pane opens, replaceable for tests: the Paste
    // song choice (nothing on Cancel) and the set properties dialog.
    void setPasteChoiceAsker(std::function<std::optional<int>()> ask) { m_askPasteChoice = std::move(ask); }
    void setSetPropsRunner(std::function<void()> run) { m_runSetProps = std::move(run); }

    SetTreeModel& model() { return *m_model; }
    QTreeView& treeView() { return *m_tree; }
    SetPaneCommands& commands() { return m_commands; }
    // The header band: the font zoom's percentage of 18 pixels.
    int headerHeight() const;
    bool shown() const { return m_shown; }
    // Show/Hide Songs and Markers.
    void toggleShown();
    // Runs a pane command on the selected item.
    void runCommand(uint32_t command);
    bool commandEnabled(uint32_t command) const;
    SetTreeItem* selectedItem() const;
    // Opens the caption editor on a folder.
    void editCaption(SetTreeItem* folder);
    InPlaceEdit* captionEditor() const { return m_captionEditor; }
    // Spawn top level window, and back into the main window.
    void spawnTopLevel();
    void dock();
    bool undocked() const { return m_undocked; }
    SetTreeDrag& drag() { return *m_drag; }

    void initialUpdate() override;
    void songUpdate(uint32_t hint) override;
    void placeInFrame(QSize frameSize) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layoutChildren();
    void rebuild();
    void restoreExpansion();
    void showContextMenu(QPoint globalPos);
    bool onPaneCommand(CommandId id);
    void updatePaneCommand(CommandId id, CmdUi& ui);
    // The frame's panes take their places for the shown state again.
    void placeSiblings();
    void placeSiblings(QWidget& frame);
    void takeRouting();
    void releaseRouting();
    static bool paneCommand(uint32_t command);
    bool runEditCommand(uint32_t command, SetTreeItem* item);
    bool editCommandEnabled(uint32_t command, const SetTreeItem* item, bool& known) const;
    void pasteSong();
    void openProperties(SetTreeItem* item);
    void endCaptionEdit();

    SetDocument& m_set;
    IProfile& m_profile;
    SetPaneCommands m_commands;
    SetTreeModel* m_model = nullptr;
    QTreeView* m_tree = nullptr;
    BitmapPushButton* m_showHide = nullptr;
    bool m_shown = true;
    CommandRouter* m_router = nullptr;
    // The view that was active before the tree took the focus.
    CommandTarget* m_formerActive = nullptr;
    QPointer<QObject> m_formerActiveObject;
    bool m_formerWatched = false; // a view that is a QObject: it may go meanwhile
    SetTreeDrag* m_drag = nullptr;
    KeyFilter* m_keys = nullptr;
    InPlaceEdit* m_captionEditor = nullptr;
    SetTreeItem* m_captionItem = nullptr;
    std::function<void()> m_newSongFromCopy;
    std::function<void()> m_repaintClipView;
    std::function<std::optional<int>()> m_askPasteChoice;
    std::function<void()> m_runSetProps;
    // Docked: the frame and the geometry the pane had in it.
    QPointer<QWidget> m_frame;
    bool m_undocked = false;
};

} // namespace rz
