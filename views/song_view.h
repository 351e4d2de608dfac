#pragma once

#include "core/song_host.h"
#include "views/pane_view.h"

#include <QWidget>

#include <array>
#include <cstdint>

namespace rz {

class CSongDoc;

// A view of the current song: the set tree, the track list, the editor and
// controller pane views and the views torn off into windows of their own.
// The application moves every view to whichever song is current, and calls
// these in the orders the refresh pass fixes. GUI thread; attach, detach
// and follow run under the SongMutex.
class SongView : public QWidget, public PaneView {
    Q_OBJECT
public:
    explicit SongView(QWidget* parent = nullptr);
    ~SongView() override;

    // The song the view shows; null while detached.
    CSongDoc* song() const { return m_song; }
    // Joins the song's views; an override calls the base first.
    virtual void attach(CSongDoc& song);
    // Leaves the song's views; an override calls the base last.
    virtual void detach();
    // Rebuilds everything from the song, or shows the empty state without one.
    virtual void initialUpdate() {}
    // After an edit or a change of options; `hint` is an undo record's
    // flags, or 0 for everything.
    virtual void songUpdate(uint32_t hint);
    // Brings the view to the play position.
    virtual void follow() {}
    // The clip and clock-time views stop their waveform-overview worker
    // before the song's events change under it.
    virtual void stopOverviewWorker() {}

    // The control view takes the controller kind and number chosen last.
    virtual void setControllerChoice(int kind, int number) { (void)kind, (void)number; }
    // The lanes the control view shows; none for the other views.
    virtual ControllerLanes controllerLanes() const { return {}; }
    // The values a layout record keeps for the view: the staff view's
    // vertical zoom, the lyric view's font size, the tempo view's zoom and
    // offset, the control view's lane kind and number.
    virtual std::array<int32_t, 2> layoutValues() const { return {0, 0}; }
    virtual void setLayoutValues(const std::array<int32_t, 2>& values) { (void)values; }

    // Where the view sits in the main frame; 0 for a torn-off window.
    uint32_t paneId() const { return m_paneId; }
    void setPaneId(uint32_t id) { m_paneId = id; }

    QWidget* paneWidget() override { return this; }
    // Takes the place of its pane's placeholder.
    void placeInFrame(QSize frameSize) override;

protected:
    // A move over a view is the view's own: left unaccepted it would reach
    // the main frame, which clears the pointer text the view just showed.
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    CSongDoc* m_song = nullptr;
    uint32_t m_paneId = 0;
};

} // namespace rz
