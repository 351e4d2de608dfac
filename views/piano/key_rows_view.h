#pragma once

#include "ui/command_target.h"
#include "views/edit_view_base.h"
#include "views/piano/piano_layout.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;

namespace rz {

class IProfile;
class ZoomScrollBar;

// What the piano roll and the velocity view share: the pitch rows of the
// tracks selected in the track view with the keyboard strip on the left,
// the row zoom kept in "PianoZoom", the rows' scroll bar and keys, the
// time zoom under "XZoomPiano", the right-click menu, and ending a mouse
// gesture whenever the view loses the mouse. GUI thread.
class KeyRowsView : public EditViewBase {
    Q_OBJECT
public:
    // Who the pop-up menu's commands go to; null drops them.
    using CommandSink = std::function<bool(CommandId)>;

    KeyRowsView(LinkRole role, QWidget* parent, CommandSink sink);
    ~KeyRowsView() override;

    void attach(CSongDoc& song) override;
    void detach() override;
    void initialUpdate() override;

    const PianoLayout& rows() const { return m_rows; }
    int stripWidth() const { return m_stripWidth; }
    const std::vector<int>& shownTracks() const { return m_shown; }
    // The row zoom; true when it changed.
    bool zoomRows(bool in);
    void scrollRowsTo(int row);
    // The row zoom's commands, for the views' command tables.
    bool onZoom(CommandId id);
    void onUpdateZoom(CommandId id, CmdUi& ui);

protected:
    // The shown tracks, the strip, the horizontal bar and the rows after a
    // full update.
    void rebuild() override;
    bool drawsRuler() const override { return true; }
    bool scrollsRows() const override { return false; }
    void verticalScrolled(int code) override;
    bool zoomScale(bool in) override
    {
        zoomRows(in);
        return true;
    }
    void updateVerticalBar() override;
    QMenu* contextMenuAt(QPoint point) override;
    const Setting& timeZoomKey() const override { return settings::kDisplayXZoomPiano; }

    // The view's mouse gesture ends without an edit.
    virtual void cancelGesture() = 0;
    // The cues' flags at the present origin, client pixels.
    std::vector<QRect> cueRects() const;
    PianoLayout& rowsRef() { return m_rows; }

    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

private:
    CommandSink m_sink;
    PianoLayout m_rows;
    int m_stripWidth = PianoLayout::kNarrowStrip;
    std::vector<int> m_shown;
    bool m_settingsRead = false;
    IProfile* m_profile = nullptr;
    std::unique_ptr<QMenu> m_menu;
};

} // namespace rz
