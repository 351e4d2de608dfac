#pragma once
// The engine calls the views through it (IEngineViews); App fills its slots.

#include "core/engine_views.h"
#include "views/song_view.h"

#include <QPointer>

#include <array>
#include <chrono>
#include <functional>
#include <vector>

namespace rz {

class CSongDoc;

// The one set of views that moves from song to song: the pane views by slot
// and the torn-off windows, with the orders in which they let go of a song
// and take one. GUI thread; whoever changes attachment holds the SongMutex.
class ViewSlots : public IEngineViews {
public:
    // The torn-off window kinds of the extra-window list.
    enum ExtraKind : int { kExtraLyric = 0, kExtraStaff = 1, kExtraLeadSheet = 2, kExtraTracks = 3 };
    // The view slots, one per view class.
    enum Slot : int {
        kLive, kTrack, kTempo, kStaff, kClip, kEvent, kPiano, kLyric, kTime, kVelocity,
        kSlider, kControl, kSlotCount,
    };
    struct ExtraWindow {
        QPointer<SongView> view;
        int kind = kExtraLyric;
        const QObject* object = nullptr; // compared while the view is being destroyed
    };

    // `currentSong` is what clearAttachedFlags re-attaches to; it waits
    // `lockWait` for the SongMutex.
    ViewSlots(std::function<CSongDoc*()> currentSong, std::chrono::milliseconds lockWait);

    SongView* slot(Slot which) const { return m_slots[size_t(which)]; }
    void setSlot(Slot which, SongView* view) { m_slots[size_t(which)] = view; }
    // The slot a view kind (ViewKind's number) stands in; kSlotCount for none.
    static Slot slotOfKind(int kind);
    // The editor pane's view and the controller pane's; null where none.
    void currentViews(SongView** editor, SongView** controller) const;
    // Empties the slots of the editor pane's kinds or the controller pane's.
    void clearPane(bool editor);
    std::vector<ExtraWindow>& extraWindows() { return m_extraWindows; }
    const std::vector<ExtraWindow>& extraWindows() const { return m_extraWindows; }

    // The kinds shown in the editor and controller panes, and the controller
    // view's chosen event kind and number.
    int editorKind() const { return m_editorKind; }
    int controllerKind() const { return m_controllerKind; }
    void setEditorKind(int kind) { m_editorKind = kind; }
    void setControllerKind(int kind) { m_controllerKind = kind; }
    int controlKind() const { return m_controlKind; }
    int controlNumber() const { return m_controlNumber; }
    void setController(int kind, int number)
    {
        m_controlKind = kind;
        m_controlNumber = number;
    }

    // Under the SongMutex: every view lets go of the song, or takes it.
    void detachAll(CSongDoc& song);
    void attachAll(CSongDoc& song);
    // The track view, the current editor and controller and the torn-off
    // windows show their song afresh.
    void initialUpdate();
    // The views of one song but the sender (opaque, may be null) refresh.
    void updateSongViews(CSongDoc& song, const void* senderView, uint32_t hint);
    void stopOverviewWorkers();
    void raiseTornOffWindows();
    // At close: every view but the set tree, then each torn-off window from
    // the last to the first.
    void destroyAll();

    // IEngineViews.
    bool isOpen(FollowView view) const override;
    void followPlayback(FollowView view) override;
    int tornOffWindowCount() const override { return int(m_extraWindows.size()); }
    void followTornOffWindow(int index) override;
    void clearAttachedFlags() override;
    std::optional<TrackViewRows> trackViewRows() const override;

private:
    std::function<CSongDoc*()> m_currentSong;
    std::chrono::milliseconds m_lockWait;
    std::array<QPointer<SongView>, kSlotCount> m_slots;
    std::vector<ExtraWindow> m_extraWindows;
    int m_editorKind = 0;
    int m_controllerKind = 0;
    int m_controlKind = 0;
    int m_controlNumber = 0;
};

} // namespace rz
