#pragma once

#include "ui/command_target.h"
#include "views/clip/clip_lanes_view.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;

namespace rz {

class IClipLoader;
struct TrackViewContext;
class ViewFactory;

// What the clip view needs of the program.
struct ClipViewContext {
    IClipLoader* loader = nullptr; // the samples the waveforms are drawn from; null: the song's
    // The Edit menu's audio effects, in order; entry i is command 513 + i.
    std::function<std::vector<std::string>()> audioEffects;
    // Who the pop-up menu's commands go to; null drops them.
    std::function<bool(CommandId)> sink;
};

// The editor view of audio clips and cues on the tick axis: the clips of
// waveform tracks as blocks with their waveforms, the cues as flags in the
// band under the ruler, the measures in the ruler. GUI thread.
class ClipView : public ClipLanesView {
    Q_OBJECT
public:
    explicit ClipView(ClipViewContext context, QWidget* parent = nullptr);
    ~ClipView() override;

    void initialUpdate() override;
    // The menu the view shows at a point; public so tests read it.
    QMenu* contextMenuAt(QPoint point) override;

protected:
    void rebuild() override;
    void paintRuler(QPainter& painter, const QRect& dirty, const ClipGeometry& g) override;

private:

    ClipViewContext m_context;
    std::unique_ptr<QMenu> m_menu;
};

// Registers the clip view's maker for ViewKind::Clip.
void registerClipView(ViewFactory& factory, ClipViewContext context);

// The texts of an audio-effect menu's entries, less its closing "More...";
// none without a menu.
std::vector<std::string> audioEffectNames(const QMenu* menu);

// The track list's top row scrolls the lane view `lanesView` returns (the
// clip or the clock-time view) while there is one, and the list's own
// vertical bar hides meanwhile.
void followTrackList(TrackViewContext& tracks, std::function<EditViewBase*()> lanesView);

} // namespace rz
