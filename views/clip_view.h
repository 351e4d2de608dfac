#pragma once

#include "song/track_item.h"
#include "ui/command_target.h"
#include "views/clip_edit_controller.h"
#include "views/clip_geometry.h"
#include "views/edit_view_base.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;

namespace rz {

class IClipLoader;
struct TrackViewContext;
class OverviewWorker;
class ViewFactory;

// What the clip view needs of the program.
struct ClipViewContext {
    IClipLoader* loader = nullptr; // the samples the waveforms are drawn from; null: the song's
    // The Edit menu's audio effects, in order; entry i is command 513 + i.
    std::function<std::vector<std::string>()> audioEffects;
    // Who the pop-up menu's commands go to; null drops them.
    std::function<bool(CommandId)> sink;
};

// The editor view of audio clips and cues: one lane per track row of the
// track list, the clips of waveform tracks as blocks with their waveforms,
// the cues as flags in the band under the ruler. The waveforms come from an
// overview worker that computes the blocks painting asks for; every edit of
// the song stops it first. The mouse edits through ClipEditController.
// GUI thread.
class ClipView : public EditViewBase {
    Q_OBJECT
public:
    explicit ClipView(ClipViewContext context, QWidget* parent = nullptr);
    ~ClipView() override;

    void attach(CSongDoc& song) override;
    void detach() override;
    void initialUpdate() override;
    void stopOverviewWorker() override;

    // Follows the track list's top row.
    void ScrollToRow(int row);
    ClipGeometry geometryNow() const;
    ClipEditController* editor() const { return m_editor.get(); }
    bool workerRunning() const;
    Qt::CursorShape cursorAt(QPoint point) const;
    // The menu the view shows at a point; public so tests read it.
    QMenu* contextMenuAt(QPoint point) override;

protected:
    void paintView(QPainter& painter, const QRect& dirty) override;
    void rebuild() override;
    void lightUpdate() override;
    void dragMoved(QPoint point) override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    std::vector<QRect> cueRects() const;
    void finishGesture();
    void blockComputed();
    void paintLanes(QPainter& painter, const QRect& dirty, const ClipGeometry& g);
    void paintCues(QPainter& painter, const QRect& dirty, const ClipGeometry& g);
    void paintRuler(QPainter& painter, const QRect& dirty, const ClipGeometry& g);
    void paintClips(QPainter& painter, const QRect& dirty, const ClipGeometry& g);
    void paintWaveform(QPainter& painter, const QRect& block, const QRect& dirty, const CTrackItem& item,
                       QColor pen, bool& wake);

    ClipViewContext m_context;
    std::unique_ptr<OverviewWorker> m_worker;
    std::unique_ptr<ClipEditController> m_editor;
    std::unique_ptr<QMenu> m_menu;
    std::atomic<bool> m_updatePosted{false};
};

// Registers the clip view's maker for ViewKind::Clip.
void registerClipView(ViewFactory& factory, ClipViewContext context);

// The texts of an audio-effect menu's entries, less its closing "More...";
// none without a menu.
std::vector<std::string> audioEffectNames(const QMenu* menu);

// The track list's top row scrolls the clip view `clipView` returns while
// there is one, and the list's own vertical bar hides meanwhile.
void followTrackList(TrackViewContext& tracks, std::function<ClipView*()> clipView);

} // namespace rz
