// The controller view's commands, settings, lanes and updates. GUI thread.

#include "views/graph/control_view.h"

#include "core/edit_dialogs.h"
#include "core/engine_link.h"
#include "core/profile.h"
#include "core/settings.h"
#include "res/command_ids.h"
#include "res/control_menu.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/zoom_scroll_bar.h"
#include "views/command_menu.h"
#include "views/view_factory.h"

#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

namespace rz {
namespace {

static_assert(settings::kControlViewZoom.defaultValue == ControlScale::kFitToWindow);
static_assert(ControlScale::kFitToWindow == ControllerPaneBase::kFitHeight);

constexpr CommandRow<ControlView> kControlCommands[] = {
    {kIdMoveEvents, kIdMoveEvents, &ControlView::onMove, &ControlView::onUpdateMove},
    {kIdProperties, kIdProperties, &ControlView::onProperties, nullptr},
    {kIdZoomOutControllerScale, kIdZoomInControllerScale, &ControlView::onZoom, &ControlView::onUpdateZoom},
};

bool knownKind(int status)
{
    return status == midi::kControlChange || status == midi::kChannelPressure || status == midi::kPitchBend;
}

} // namespace

ControlView::ControlView(QWidget* parent, CommandSink sink)
    : ControllerPaneBase(LinkRole::Control, settings::kControlViewZoom, settings::kControlViewYOffset, parent),
      m_sink(std::move(sink))
{
    setLeftMargin(kScaleWidth);
}

// The value zoom outlives the view in the profile.
ControlView::~ControlView()
{
    saveSettings();
}

std::span<const CommandRow<ControlView>> ControlView::commandTable()
{
    return kControlCommands;
}

bool ControlView::update(CommandId id, CmdUi& ui)
{
    if (id == kIdProperties || (id == kIdMoveEvents && timeSelected()))
        return false;
    return CommandTable<ControlView>::update(id, ui);
}

void ControlView::setControllerChoice(int kind, int number)
{
    if (!knownKind(kind))
        return;
    m_kind = ControlKind{kind, kind == midi::kControlChange ? (number & midi::kDataMask) : 0};
    if (song())
        ControllerPaneBase::songUpdate(0);
}

void ControlView::setLayoutValues(const std::array<int32_t, 2>& values)
{
    setControllerChoice(values[0], values[1]);
}

ControlScale ControlView::scale() const
{
    return ControlScale{
        .axis = axis(), .plot = plotRect(), .zoom = m_zoom, .yOffset = yOffset(), .maximum = m_kind.maximum()};
}

// The selected MIDI rows but the conductor track, less those whose record
// mark is negative.
std::vector<int> ControlView::findLaneTracks() const
{
    std::vector<int> tracks;
    const CSongDoc& doc = *song();
    for (int t = 1; t + 1 < int(doc.tracks.size()); ++t) {
        const CTrack& track = *doc.tracks[size_t(t)];
        if (rowSelected(t) && track.type == kMidiTrack && track.recordArm >= 0)
            tracks.push_back(t);
    }
    return tracks;
}

void ControlView::rebuild()
{
    m_tracks = findLaneTracks();
    m_curve.rebuild(*song(), m_tracks, m_kind, scale());
}

ControllerLanes ControlView::controllerLanes() const
{
    ControllerLanes lanes{.kind = m_kind.status, .controller = m_kind.number, .lanes = {}};
    if (!song())
        return lanes;
    for (const int t : m_tracks) {
        ControllerLane lane{.track = t, .points = {}};
        for (const CControlPoint& p : trackRun(*song(), t, m_kind))
            lane.points.push_back({p.tick, p.value});
        lanes.lanes.push_back(std::move(lane));
    }
    return lanes;
}

bool ControlView::timeSelected() const
{
    return song() && (song()->selectionKind & kSelectTimeRange);
}

// Stopped, not performing, lanes to edit and a plot to edit them in.
bool ControlView::editable() const
{
    const CSongDoc* doc = song();
    return doc && doc->context().engine.transportState() == TransportState::Stopped
           && !doc->context().host.performanceMode() && !m_tracks.empty() && scale().drawable();
}

void ControlView::applyRecord(std::unique_ptr<CUndoRecord> record)
{
    if (record)
        song()->ApplyEdit(std::move(record));
}

void ControlView::onUpdateMove(CommandId, CmdUi& ui)
{
    const CSongDoc* doc = song();
    const IEditDialogs* dialogs = doc ? doc->context().editDialogs : nullptr;
    ui.enabled = editable() && doc->selectionStamp == ownStamp() && dialogs && dialogs->has(EditDialog::Move);
}

bool ControlView::onMove(CommandId)
{
    if (!song() || timeSelected())
        return false;
    moveControllers(*song(), m_tracks, m_kind, m_curve);
    return true;
}

bool ControlView::onProperties(CommandId)
{
    return false;
}

ControllerPaneBase::ZoomStep ControlView::zoomStep(bool in, int plotHeight) const
{
    const ControlScale::Zoom from{m_zoom, yOffset()};
    const ControlScale::Zoom to = in ? ControlScale::zoomIn(from, plotHeight) : ControlScale::zoomOut(from, plotHeight);
    return {to.zoom, to.yOffset};
}

std::string ControlView::zoomText(bool) const
{
    return ControlScale::zoomText(m_zoom);
}

void ControlView::keyPressEvent(QKeyEvent* event)
{
    const int page = std::max(plotRect().height(), 1);
    switch (event->key()) {
    case Qt::Key_PageUp: SetScrollY(yOffset() - page); return;
    case Qt::Key_PageDown: SetScrollY(yOffset() + page); return;
    case Qt::Key_Home: SetScrollY(0); return;
    case Qt::Key_End: SetScrollY(maxYOffset()); return;
    default: ControllerPaneBase::keyPressEvent(event);
    }
}

QMenu* ControlView::contextMenuAt(QPoint)
{
    m_menu = commandMenu(controlContextMenu(), this, m_sink);
    return m_menu.get();
}

void registerControlView(ViewFactory& factory, ControlView::CommandSink sink)
{
    factory.registerView(ViewKind::Control, [sink](const ViewRequest& request) -> SongView* {
        return new ControlView(request.parent, sink);
    });
}

} // namespace rz
