// The tempo view's commands, settings, updates and placement. GUI thread.

#include "views/graph/tempo_view.h"

#include "core/edit_dialogs.h"
#include "core/engine_link.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "res/command_ids.h"
#include "res/tempo_menu.h"
#include "song/clipboard.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/zoom_scroll_bar.h"
#include "views/command_menu.h"
#include "views/cue_flag_painter.h"
#include "views/view_factory.h"

#include <QMenu>

#include <algorithm>

namespace rz {
namespace {

static_assert(settings::kTempoViewZoom.defaultValue == TempoScale::kFitToWindow);
static_assert(TempoScale::kFitToWindow == ControllerPaneBase::kFitHeight);

constexpr CommandRow<TempoView> kTempoCommands[] = {
    {kIdEditCopy, kIdEditCopy, &TempoView::onEditCopy, &TempoView::onUpdateEdit},
    {kIdEditCut, kIdEditCut, &TempoView::onEditCut, &TempoView::onUpdateEdit},
    {kIdDelete, kIdDelete, &TempoView::onEditDelete, &TempoView::onUpdateEdit},
    {kIdMoveEvents, kIdMoveEvents, &TempoView::onMove, &TempoView::onUpdateEdit},
    {kIdProperties, kIdProperties, &TempoView::onProperties, &TempoView::onUpdateProperties},
    {kIdZoomOutControllerScale, kIdZoomInControllerScale, &TempoView::onZoom, &TempoView::onUpdateZoom},
};

bool isTempoEdit(CommandId id)
{
    return id == kIdEditCopy || id == kIdEditCut || id == kIdDelete || id == kIdMoveEvents || id == kIdProperties;
}

} // namespace

TempoView::TempoView(QWidget* parent, CommandSink sink)
    : ControllerPaneBase(LinkRole::Tempo, settings::kTempoViewZoom, settings::kTempoViewYOffset, parent),
      m_sink(std::move(sink))
{
    setLeftMargin(kOwnMargin);
}

// The vertical zoom outlives the view in the profile.
TempoView::~TempoView()
{
    saveSettings();
}

std::span<const CommandRow<TempoView>> TempoView::commandTable()
{
    return kTempoCommands;
}

bool TempoView::update(CommandId id, CmdUi& ui)
{
    if (isTempoEdit(id) && !tempoSelected())
        return false;
    return CommandTable<TempoView>::update(id, ui);
}

void TempoView::setLayoutValues(const std::array<int32_t, 2>& values)
{
    m_graphHeight = TempoScale::storedZoom(values[0]);
    setYOffset(values[1]);
    updateScrollBars();
    QWidget::update();
}

// At the play position the tempo in force is centred on a graph taller than
// the plot.
void TempoView::openedAtPlayPosition()
{
    const TempoScale s = scale();
    if (s.graphFits() || song()->tempoMap.empty())
        return;
    const uint32_t tempo = song()->tempoMap[size_t(FindTempoIndex(song()->tempoMap, song()->position()))].tempo;
    const int64_t down = TempoScale::kFullScale - TempoScale::tenthsOf(tempo);
    SetScrollY(int(down * m_graphHeight / TempoScale::kFullScale - s.plotHeight() / 2));
}

TempoScale TempoView::scale() const
{
    return TempoScale{.axis = axis(), .plot = plotRect(), .graphHeight = m_graphHeight, .yOffset = yOffset()};
}

int TempoView::graphPixels() const
{
    return m_graphHeight;
}

void TempoView::rebuild()
{
    CSongDoc& doc = *song();
    std::optional<TempoGraph::Selected> selected;
    if (doc.selectionKind & kSelectTempo) {
        selected = TempoGraph::Selected{doc.selectionStamp, doc.selectionFrom, doc.selectionTo};
        takeStamp(doc.selectionStamp);
    }
    m_graph.rebuild(doc.tempoMap, doc.endTick, scale(), selected);
}

std::vector<QRect> TempoView::cueFlagRects() const
{
    const CSongDoc* doc = song();
    if (!doc || !ownsRuler())
        return {};
    return CueFlagPainter::flagRects(doc->cues, axis(), lanes().rulerHeight + CueFlagPainter::kTopGap,
                                     plotRect().left());
}

bool TempoView::tempoSelected() const
{
    return song() && (song()->selectionKind & kSelectTempo);
}

// Stopped, not performing, and the selection still the one made here.
bool TempoView::editable() const
{
    const CSongDoc* doc = song();
    return doc && doc->context().engine.transportState() == TransportState::Stopped
           && !doc->context().host.performanceMode() && doc->selectionStamp == ownStamp();
}

void TempoView::onUpdateEdit(CommandId id, CmdUi& ui)
{
    const IEditDialogs* dialogs = song() ? song()->context().editDialogs : nullptr;
    ui.enabled = editable() && (id != kIdMoveEvents || (dialogs && dialogs->has(EditDialog::Move)));
}

void TempoView::onUpdateProperties(CommandId, CmdUi& ui)
{
    ui.enabled = false;
}

bool TempoView::onProperties(CommandId)
{
    return tempoSelected();
}

void TempoView::copySelection()
{
    CSongDoc& doc = *song();
    const auto run = m_graph.stampedRun(doc.selectionStamp);
    ISongHost& host = doc.context().host;
    if (!run) {
        host.clipboard().kind = 0;
        return;
    }
    copyTemposToClipboard(doc.tempoMap, doc.timeBase, run->first, run->second, host.clipboard(), host.workFolder());
}

void TempoView::deleteSelection()
{
    CSongDoc& doc = *song();
    const auto run = m_graph.stampedRun(doc.selectionStamp);
    if (!run)
        return;
    std::unique_ptr<CUndoRecord> record = deleteTemposRecord(doc.tempoMap, run->first, run->second);
    ++doc.selectionStamp;
    applyRecord(std::move(record));
}

void TempoView::applyRecord(std::unique_ptr<CUndoRecord> record)
{
    if (record)
        song()->ApplyEdit(std::move(record));
}

bool TempoView::onEditCopy(CommandId)
{
    if (!tempoSelected())
        return false;
    copySelection();
    return true;
}

bool TempoView::onEditCut(CommandId)
{
    if (!tempoSelected())
        return false;
    copySelection();
    deleteSelection();
    return true;
}

bool TempoView::onEditDelete(CommandId)
{
    if (!tempoSelected())
        return false;
    deleteSelection();
    return true;
}

bool TempoView::onMove(CommandId)
{
    return song() && moveTempos(*song(), m_graph);
}

ControllerPaneBase::ZoomStep TempoView::zoomStep(bool in, int plotHeight) const
{
    const TempoScale::Zoom from{m_graphHeight, yOffset()};
    const TempoScale::Zoom to = in ? TempoScale::zoomIn(from, plotHeight) : TempoScale::zoomOut(from, plotHeight);
    return {to.graphHeight, to.yOffset};
}

std::string TempoView::zoomText(bool in) const
{
    return TempoScale::zoomText(m_graphHeight, !in);
}

QMenu* TempoView::contextMenuAt(QPoint)
{
    m_menu = commandMenu(tempoContextMenu(), this, m_sink);
    return m_menu.get();
}

void registerTempoView(ViewFactory& factory, TempoView::CommandSink sink)
{
    factory.registerView(ViewKind::Tempo, [sink](const ViewRequest& request) -> SongView* {
        return new TempoView(request.parent, sink);
    });
}

} // namespace rz
