#pragma once

#include "set/set_pane_commands.h"
#include "views/song_view.h"

class QTreeView;

namespace rz {

class BitmapPushButton;
class IProfile;
class ISetDocumentHost;
class SetDocument;
class SetTreeModel;

// The "Songs & Markers" pane: the set tree under a header band with the
// show/hide button. GUI thread.
class SetPane : public SongView {
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

    void initialUpdate() override;
    void songUpdate(uint32_t hint) override;
    void placeInFrame(QSize frameSize) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layoutChildren();
    void rebuild();
    void restoreExpansion();
    void showContextMenu(QPoint globalPos);

    SetDocument& m_set;
    IProfile& m_profile;
    SetPaneCommands m_commands;
    SetTreeModel* m_model = nullptr;
    QTreeView* m_tree = nullptr;
    BitmapPushButton* m_showHide = nullptr;
    bool m_shown = true;
};

} // namespace rz
