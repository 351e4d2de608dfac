#pragma once

#include "ui/command_target.h"
#include "views/clip/clip_lanes_view.h"
#include "views/clip/clock_axis.h"

#include <functional>
#include <memory>
#include <string>

class QMenu;

namespace rz {

class IClipLoader;
class IProfile;
class ViewFactory;

// What the clock-time view needs of the program.
struct TimeViewContext {
    IClipLoader* loader = nullptr; // the samples the waveforms are drawn from; null: the song's
    IProfile* profile = nullptr;   // where "XZoomTime" is read at create and written at destroy
    // Whether the track list is the frame's active view (selected rows
    // take the active colour then); null: while this view has the focus.
    std::function<bool()> trackListActive;
    // Who the pop-up menu's commands go to; null drops them.
    std::function<bool(CommandId)> sink;
};

// The editor view of the song in clock time: one lane per track row of the
// track list with the MIDI tracks' blocks and the waveform tracks' clips,
// the cues' flags and bands, a ruler of minutes, seconds and hundredths, and
// the play position kept in the middle while the song plays. Its time zoom
// is its own ("XZoomTime"); no other view shares its axis. GUI thread.
class TimeView : public ClipLanesView {
    Q_OBJECT
public:
    explicit TimeView(TimeViewContext context, QWidget* parent = nullptr);
    ~TimeView() override;

    int zoomIndex() const { return m_zoom; }
    ClockAxis clockAxis() const;
    // One step finer or coarser, within the table; nothing at its ends.
    bool zoomTime(bool in) override;
    // The menu the view shows at a point; public so tests read it.
    QMenu* contextMenuAt(QPoint point) override;
    int64_t contentXOfTick(int32_t tick) const override;
    int32_t tickOfContentX(int64_t x) const override;

protected:
    void fillAxis(ClipGeometry& g) const override;
    bool rowsActive() const override;
    int timeZoomIndex() const override { return m_zoom; }
    int timeZoomMax() const override { return ClockAxis::kZoomSteps - 1; }
    const Setting& timeZoomKey() const override { return settings::kDisplayXZoomTime; }
    bool drawsRuler() const override { return false; }
    bool joinsViewLinks() const override { return false; }
    // The ruler and the cue band scroll with the lanes.
    QRect scrollArea() const override;
    FollowResult followDecision(const FollowInput& in) const override;
    // Ticks before the measure map's end.
    bool statusNamesTick(int32_t tick) const override;
    void paintRuler(QPainter& painter, const QRect& dirty, const ClipGeometry& g) override;
    // The drag frame.
    void paintOverlay(QPainter& painter, const ClipGeometry& g) override;

private:

    TimeViewContext m_context;
    int m_zoom = ClockAxis::kDefaultZoom;
    std::unique_ptr<QMenu> m_menu;
};

// Registers the clock-time view's maker for ViewKind::Time.
void registerTimeView(ViewFactory& factory, TimeViewContext context);

} // namespace rz
