// The clip view: clips and cues on the tick axis, the measures in the
// ruler. GUI thread.

#include "views/clip/clip_view.h"

#include "core/color.h"
#include "res/clip_menu.h"
#include "res/command_ids.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/color_ref.h"
#include "views/command_menu.h"
#include "views/measure_labeler.h"
#include "views/track/track_view.h"
#include "views/view_colors.h"
#include "views/view_factory.h"
#include "views/visible_measures.h"

#include <QMenu>
#include <QPainter>

#include <algorithm>

namespace rz {
namespace {

constexpr Color kClipMeasureLine = makeColor(145, 161, 177);

} // namespace

ClipView::ClipView(ClipViewContext context, QWidget* parent)
    : ClipLanesView(LinkRole::Clip, context.loader, parent), m_context(std::move(context))
{
    setCentreLeftOfOrigin(true);
}

ClipView::~ClipView()
{
    stopOverviewWorker();
    writeZoomSettings();
}

// The origin comes from an open controller-pane view.
void ClipView::initialUpdate()
{
    ClipLanesView::initialUpdate();
    ViewLinks* links = viewLinks();
    if (!song() || !links)
        return;
    if (const auto origin = links->controllerOrigin())
        setScrollOrigin(*origin, false);
}

void ClipView::rebuild()
{
    const PaneViews views = viewLinks() ? viewLinks()->paneViews() : PaneViews{};
    setHorizontalBarShown(paneOwnership(views).clipShowsOwnBar);
    ClipLanesView::rebuild();
}

// The ruler band, measure lines down the lanes and the labels.
void ClipView::paintRuler(QPainter& painter, const QRect& dirty, const ClipGeometry& g)
{
    paintRulerBand(painter, dirty, g);
    const MeasureMap measures = visibleMeasures(*song(), std::max(g.axis.tickOfX(std::max(dirty.left(), g.plot.left())), 0),
                                                std::max(g.axis.tickOfX(dirty.right()), 0));
    painter.save();
    painter.setClipRect(QRect(g.plot.left(), 0, g.plot.width(), g.plot.bottom() + 1) & dirty);
    painter.setFont(rulerFont());
    const MeasureRec* previous = nullptr;
    for (const MeasureRec& m : measures) {
        const int x = g.axis.xOfTick(m.start);
        const bool changed = previous && (m.length != previous->length || m.denominator != previous->denominator);
        previous = &m;
        if (x < g.plot.left() || x > dirty.right())
            continue;
        painter.setPen(fromColorRef(changed ? view_colors::kMeterChangeLine : kClipMeasureLine));
        painter.drawLine(x, 0, x, g.plot.bottom());
        if (m.label) {
            painter.setPen(QColor(0, 0, 0, 120));
            painter.drawLine(x + 1, 0, x + 1, g.lanes.rulerHeight - 1);
            painter.setPen(fromColorRef(view_colors::kLabelText));
            painter.drawText(x + 3, g.lanes.rulerHeight - 4, QString::fromStdString(MeasureLabeler::labelText(m)));
        }
    }
    painter.restore();
    invertRulerRange(painter, g);
}

// Menu 162 with clips selected, its "Audio effect" popup first; else 151.
QMenu* ClipView::contextMenuAt(QPoint)
{
    const CSongDoc* doc = song();
    if (!doc || !(doc->selectionKind & kSelectAudioClip)) {
        m_menu = commandMenu(clipContextMenu(), this, m_context.sink);
        return m_menu.get();
    }
    m_menu = commandMenu(clipSelectionMenu(), this, m_context.sink);
    auto* effects = new QMenu(QStringLiteral("Audio effect"), m_menu.get());
    const auto pick = [this](CommandId id) {
        return [this, id] {
            if (m_context.sink)
                m_context.sink(id);
        };
    };
    std::vector<std::string> names = m_context.audioEffects ? m_context.audioEffects() : std::vector<std::string>{};
    if (names.empty())
        names.push_back("(None)");
    for (size_t i = 0; i < names.size(); ++i)
        connect(effects->addAction(QString::fromStdString(names[i])), &QAction::triggered, effects,
                pick(kIdAudioEffect1 + CommandId(i)));
    connect(effects->addAction(QStringLiteral("More...")), &QAction::triggered, effects, pick(kIdMoreAudioEffects));
    const QList<QAction*> actions = m_menu->actions();
    m_menu->insertMenu(actions.value(0), effects);
    return m_menu.get();
}

void registerClipView(ViewFactory& factory, ClipViewContext context)
{
    factory.registerView(ViewKind::Clip, [context](const ViewRequest& request) -> SongView* {
        return new ClipView(context, request.parent);
    });
}

std::vector<std::string> audioEffectNames(const QMenu* menu)
{
    std::vector<std::string> names;
    if (!menu)
        return names;
    const QList<QAction*> actions = menu->actions();
    for (qsizetype i = 0; i + 1 < actions.size(); ++i)
        names.push_back(actions[i]->text().toStdString());
    return names;
}

void followTrackList(TrackViewContext& tracks, std::function<EditViewBase*()> lanesView)
{
    tracks.scrollLanes = [lanesView](int row) {
        if (EditViewBase* view = lanesView())
            view->ScrollToRow(row);
    };
    tracks.lanesFollow = [lanesView] { return lanesView() != nullptr; };
}

} // namespace rz
