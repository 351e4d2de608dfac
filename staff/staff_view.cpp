#include "staff/staff_view.h"
#include "staff/staff_mouse.h"

#include "core/engine_link.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "core/track_rows.h"
#include "res/command_ids.h"
#include "song/song_doc.h"
#include "song/undo_record.h"
#include "staff/symbols/music_font.h"
#include "staff/symbols/staff_header.h"
#include "ui/command_router.h"
#include "ui/font_substitutions.h"
#include "ui/gui_thread.h"
#include "ui/in_place_edit.h"
#include "ui/torn_off_focus.h"
#include "ui/zoom_scroll_bar.h"
#include "views/follow_policy.h"
#include "views/frame_timer_ids.h"
#include "views/lane_layout.h"
#include "views/view_factory.h"

#include <QCloseEvent>
#include <QFocusEvent>

#include <algorithm>

namespace rz {
namespace {

constexpr const char* kLyricPrefix = "Lyric";
constexpr const char* kDefaultLyricFace = "Arial Narrow";
constexpr const char* kChordPrefix = "Chord";
constexpr const char* kDefaultChordFace = "Verdana";

using Row = CommandRow<StaffView>;
constexpr Row kCommands[] = {
    {kIdZoomOutControllerScale, kIdZoomInControllerScale, &StaffView::onZoom, &StaffView::updateZoom},
    {kIdStaffOptions, kIdStaffOptions, &StaffView::onStaffOptions, &StaffView::updateAlways},
    {kIdSpawnTopLevelWindow, kIdSpawnTopLevelWindow, &StaffView::onSpawn, &StaffView::updateAlways},
    {kIdFilePrint, kIdFilePrintPreview, &StaffView::onPrint, &StaffView::updatePrint},
};

} // namespace

std::span<const CommandRow<StaffView>> StaffView::commandTable()
{
    return kCommands;
}

StaffView::StaffView(const StaffViewContext& context, bool leadSheet, bool topLevel, QWidget* parent)
    : SongView(parent), m_context(context), m_leadSheet(leadSheet), m_topLevel(topLevel)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    m_hbar = new ZoomScrollBar(0, this);
    m_vbar = new ZoomScrollBar(ZoomScrollBar::kVertical | ZoomScrollBar::kZoomButtons, this);
    m_hbar->setObjectName(QString::number(kHorizontalBarId));
    m_vbar->setObjectName(QString::number(kVerticalBarId));
    for (ZoomScrollBar* bar : {m_hbar, m_vbar})
        connect(bar, &ZoomScrollBar::scrolled, this, [this, bar](int code) { onScrolled(bar, code); });
    connect(m_vbar, &ZoomScrollBar::zoomCommand, this, [this](uint32_t id) { onZoom(id); });
    m_lyricEdit = new InPlaceEdit(context.keys, this);
    m_lyricEdit->setMaxLength(kMaxLyric);
    m_lyricEdit->hide();
    connect(m_lyricEdit, &InPlaceEdit::focusLost, this,
            [this] { commitLyricEdit(m_lyricEdit->exitKey()); });
    if (m_topLevel && m_context.router)
        m_focus = new TornOffFocus(*this, *this, *m_context.router);
    if (IProfile* p = profile())
        m_zoomY = readSetting(*p, m_leadSheet ? settings::kLeadZoomY : settings::kStaffZoomY);
    m_metrics = StaffMetrics::of(staffSizeOfZoom(m_zoomY), m_leadSheet);
    updateBars();
    // The status line names the pitch under the mouse, buttons or not.
    m_mouse = std::make_unique<StaffMouse>(*this);
    setMouseTracking(true);
}

// The focus hook goes first: it names this view to the router.
StaffView::~StaffView()
{
    delete m_focus;
    m_focus = nullptr;
}

ISongHost* StaffView::host() const
{
    if (m_context.host)
        return m_context.host;
    return song() ? &song()->context().host : nullptr;
}

ITrackRows* StaffView::trackRows() const
{
    if (m_context.trackRows)
        return m_context.trackRows;
    return song() ? song()->context().trackRows : nullptr;
}

IProfile* StaffView::profile() const
{
    if (m_context.profile)
        return m_context.profile;
    return song() ? &song()->context().profile : nullptr;
}

const MusicFont* StaffView::font() const
{
    const MusicFont* f = m_context.font ? m_context.font() : nullptr;
    return f && f->ok() ? f : nullptr;
}

const StaffToolState* StaffView::tools() const
{
    return m_context.tools ? m_context.tools() : nullptr;
}

// Painting and following are the GUI thread's alone.
bool StaffView::onGuiThread()
{
    if (isGuiThread())
        return true;
    ++m_offGuiThreadCalls;
    return false;
}

void StaffView::attach(CSongDoc& song)
{
    SongView::attach(song);
}

void StaffView::detach()
{
    m_mouse->cancel();
    if (lyricEditOpen())
        commitLyricEdit(InPlaceEdit::kVkEscape);
    m_initialized = false;
    m_model = StaffModel();
    m_lines = StaffLines();
    m_originX = m_originY = 0;
    m_cursorX = -1;
    m_playMeasure = -1;
    SongView::detach();
    updateBars();
    QWidget::update();
}

void StaffView::initialUpdate()
{
    if (IProfile* p = profile())
        m_zoomY = readSetting(*p, m_leadSheet ? settings::kLeadZoomY : settings::kStaffZoomY);
    rebuild();
    m_initialized = true;
    QWidget::update();
}

void StaffView::setLayoutValues(const std::array<int32_t, 2>& values)
{
    m_zoomY = clampZoomY(values[0]);
}

// A tempo or track-property change keeps the notation unless the song grew
// by measures; anything else rebuilds it.
void StaffView::songUpdate(uint32_t hint)
{
    const CSongDoc* doc = song();
    if ((hint == kUndoTempo || hint == kUndoTrackProps) && doc
        && m_model.measures.size() >= doc->measureMap.size() && m_initialized) {
        QWidget::update();
        return;
    }
    rebuild();
    m_initialized = true;
}

void StaffView::readSettings()
{
    m_metrics = StaffMetrics::of(staffSizeOfZoom(m_zoomY), m_leadSheet);
    const IProfile* p = profile();
    // Face and weight from the options; the staff size gives the height.
    const auto textFont = [p](const char* prefix, const char* defaultFace, int height) {
        const std::string face =
            p ? readSettingTextOr(*p, settings::kStaffFontFace, defaultFace, prefix) : defaultFace;
        const int weight = p ? readSetting(*p, settings::kStaffFontWeight, prefix) : 400;
        return programFont(QString::fromStdString(face), height, std::clamp(weight, 1, 1000));
    };
    m_lyricFace = textFont(kLyricPrefix, kDefaultLyricFace, -std::max((m_metrics.staffSize + 1) / 2, 1));
    m_chordFace = textFont(kChordPrefix, kDefaultChordFace, -std::max((m_metrics.staffSize - 1) / 2, 1));
    if (m_leadSheet) {
        m_rulerHeight = 0;
    } else if (const ISongHost* h = host()) {
        const ITrackRows* rows = trackRows();
        m_rulerHeight = LaneLayout::make(h->headerZoom(), h->laneZoom(),
                                         rows ? rows->secondBandHeight() : 0, 0)
                            .lanesTop();
    }
}

void StaffView::rebuild()
{
    ++m_rebuilds;
    if (lyricEditOpen())
        commitLyricEdit(InPlaceEdit::kVkEscape);
    readSettings();
    m_model = StaffModel();
    m_cursorX = -1;
    m_playMeasure = -1;
    m_headerRecord = {INT32_MIN, 0, 0};
    const CSongDoc* doc = song();
    if (doc && font()) {
        std::vector<int> rows;
        if (const ITrackRows* selection = trackRows())
            for (int row = selection->GetFirstSelected(); row >= 0;
                 row = selection->GetNextSelected(row))
                rows.push_back(row);
        StaffSettings settings;
        settings.staffSize = m_metrics.staffSize;
        settings.leadSheet = m_leadSheet;
        if (const IProfile* p = profile()) {
            settings.fill = readSetting(*p, settings::kStaffFill) != 0;
            settings.trim = readSetting(*p, settings::kStaffTrim) != 0;
            settings.resolution = readSetting(*p, settings::kStaffResolution);
        }
        const FontNotationMetrics metrics(*font(), m_metrics.staffSize, m_lyricFace.family());
        const ISynthLookup* synths = m_context.synths ? m_context.synths() : nullptr;
        if (!synths)
            synths = doc->context().synths;
        m_model = BuildStaffModel(*doc, rows, settings, synths, metrics);
        ensureMeasures(m_model, doc->measureMap, m_metrics);
    }
    relayout();
    QWidget::update();
}

void StaffView::relayout()
{
    const CSongDoc* doc = song();
    LineLayoutInput in;
    in.leadSheet = m_leadSheet;
    in.clientWidth = width();
    in.clientHeight = height();
    in.headerWidth = m_metrics.headerWidth;
    in.rulerHeight = m_rulerHeight;
    in.staffSize = m_metrics.staffSize;
    if (doc)
        in.shownKey = [doc](const CStaffTrack& staff, int measure) {
            const auto& tracks = doc->tracks;
            const int key = std::clamp<int>(doc->measureMap.size() > size_t(measure)
                                                ? doc->measureMap[size_t(measure)].key
                                                : 0,
                                            -7, 7);
            if (staff.track <= 0 || size_t(staff.track) >= tracks.size())
                return key;
            return std::clamp<int>(tracks[size_t(staff.track)]->MapPitch(key), -7, 7);
        };
    if (doc && font()) {
        ensureMeasures(m_model, doc->measureMap, m_metrics);
        const FontNotationMetrics metrics(*font(), m_metrics.staffSize, m_lyricFace.family());
        m_lines = LayoutLines(m_model, in, metrics);
    } else {
        m_lines = StaffLines();
    }
    m_originX = std::clamp(m_originX, 0, m_lines.maxOriginX);
    m_originY = std::clamp(m_originY, 0, m_lines.maxOriginY);
    updateBars();
    follow();
}

void StaffView::updateBars()
{
    const int w = width();
    const int h = height();
    const int hbarHeight = m_leadSheet ? 0 : kStaffBar;
    m_vbar->setGeometry(w - kStaffBar, 0, kStaffBar, std::max(h - hbarHeight, 0));
    m_hbar->setGeometry(0, h - kStaffBar, std::max(w - kStaffBar, 0), kStaffBar);
    m_hbar->setVisible(!m_leadSheet);
    const bool shown = song() && !m_model.staves.empty();
    if (!shown) {
        m_originX = m_originY = 0;
        m_hbar->setScrollInfo({0, 0, 1, 0, 0}, ZoomScrollBar::kAll);
        m_vbar->setScrollInfo({0, 0, 1, 0, 0}, ZoomScrollBar::kAll);
        m_hbar->enableScrollBar(3);
        m_vbar->enableScrollBar(3);
        m_vbar->enableZoom(false, false);
        return;
    }
    m_hbar->setScrollInfo({0, m_lines.totalWidth, std::max(m_lines.visibleWidth, 1), m_originX, 0},
                          ZoomScrollBar::kRange | ZoomScrollBar::kPage | ZoomScrollBar::kPos);
    m_hbar->enableScrollBar(m_lines.visibleWidth < m_lines.totalWidth ? 0 : 3);
    m_vbar->setScrollInfo({0, m_lines.totalHeight, std::max(m_lines.visibleHeight, 1), m_originY, 0},
                          ZoomScrollBar::kRange | ZoomScrollBar::kPage | ZoomScrollBar::kPos);
    m_vbar->enableScrollBar(m_lines.visibleHeight < m_lines.totalHeight ? 0 : 3);
    m_vbar->enableZoom(m_zoomY < kMaxZoomY, m_zoomY > 0);
}

void StaffView::resizeEvent(QResizeEvent* event)
{
    SongView::resizeEvent(event);
    relayout();
    QWidget::update();
}

QRect StaffView::notationRect() const
{
    if (m_leadSheet)
        return QRect(0, 0, std::max(width() - kStaffBar, 0), height());
    return QRect(QPoint(m_metrics.headerWidth, m_rulerHeight),
                 QPoint(width() - kStaffBar - 1, height() - kStaffBar - 1));
}

int StaffView::cursorClientX() const
{
    if (m_leadSheet || m_cursorX < 0)
        return -1;
    const QRect area = notationRect();
    const int x = area.left() - m_originX + m_cursorX;
    return x >= area.left() && x <= area.right() ? x : -1;
}

void StaffView::onScrolled(ZoomScrollBar* bar, int code)
{
    if (!song() || m_model.staves.empty())
        return;
    const bool horizontal = bar == m_hbar;
    const int pos = horizontal ? m_originX : m_originY;
    const int limit = horizontal ? m_lines.maxOriginX : m_lines.maxOriginY;
    const int page = std::max(horizontal ? m_lines.visibleWidth : m_lines.visibleHeight, 1);
    int64_t next = pos;
    switch (code) {
    case ZoomScrollBar::kLineUp: next = pos >= 1 ? pos - 1 : pos; break;
    case ZoomScrollBar::kLineDown: next = pos < limit ? pos + 1 : pos; break;
    case ZoomScrollBar::kPageUp: next = pos >= 1 ? std::max(0, pos - page) : pos; break;
    case ZoomScrollBar::kPageDown: next = pos < limit ? std::min<int64_t>(limit, int64_t(pos) + page) : pos; break;
    case kScrollTop: next = 0; break;
    case kScrollBottom: next = limit; break;
    case ZoomScrollBar::kThumbTrack: next = bar->trackPos(); break;
    case ZoomScrollBar::kThumbPosition:
    case ZoomScrollBar::kEndScroll:
        if (horizontal)
            m_scrolling = false;
        return;
    default: break;
    }
    if (horizontal && code != ZoomScrollBar::kLineUp && code != ZoomScrollBar::kLineDown)
        m_scrolling = true;
    const int target = int(std::clamp<int64_t>(next, 0, std::max(limit, 0)));
    if (horizontal)
        setHorzPos(target);
    else
        setVertPos(target);
}

void StaffView::setHorzPos(int position)
{
    const int next = std::clamp(position, 0, std::max(m_lines.maxOriginX, 0));
    const int moved = next - m_originX;
    m_hbar->setScrollPos(next);
    if (moved == 0)
        return;
    m_originX = next;
    const QRect area = notationRect();
    if (std::abs(moved) <= area.width() / 2) {
        // The ruler scrolls with the staves.
        QWidget::scroll(-moved, 0, QRect(area.left(), 0, area.width(), area.bottom() + 1));
    } else {
        QWidget::update();
    }
    refreshHeaderColumn();
}

void StaffView::setVertPos(int position)
{
    const int next = std::clamp(position, 0, std::max(m_lines.maxOriginY, 0));
    m_vbar->setScrollPos(next);
    if (next == m_originY)
        return;
    m_originY = next;
    QWidget::update();
}

// The header column shows the measure at the left edge; it repaints only
// when that measure's key or meter differs from what it shows.
void StaffView::refreshHeaderColumn()
{
    if (m_leadSheet || m_model.measures.empty())
        return;
    const int m = MeasureAtX(m_model, m_originX, m_measureCache);
    const MeasureRec& rec = m_model.measures[size_t(std::max(m, 0))].song;
    const std::array<int, 3> shown{rec.key, rec.numerator, rec.denominator};
    if (shown == m_headerRecord)
        return;
    m_headerRecord = shown;
    QWidget::update(QRect(0, m_rulerHeight, m_metrics.headerWidth, height() - m_rulerHeight));
}

void StaffView::updateCursorColumn(int docX)
{
    if (docX < 0)
        return;
    const QRect area = notationRect();
    const int x = area.left() - m_originX + docX;
    if (x >= area.left() && x <= area.right())
        QWidget::update(QRect(x, area.top(), 1, area.height()));
}

// The refresh pass calls this under the SongMutex; it only moves origins
// and schedules repaints.
void StaffView::follow()
{
    if (!onGuiThread())
        return;
    CSongDoc* doc = song();
    if (!m_initialized || !doc || m_scrolling || m_model.measures.empty() || m_model.staves.empty())
        return;
    ensureMeasures(m_model, doc->measureMap, m_metrics);
    if (m_leadSheet)
        followLeadSheet();
    else
        followScore();
}

void StaffView::followScore()
{
    const CSongDoc& doc = *song();
    const int64_t position = doc.position();
    const int m = measureOfTick(m_model, position);
    const CStaffMeasure& rec = m_model.measures[size_t(m)];
    const int64_t offset = std::clamp<int64_t>(position - rec.song.start, 0, rec.song.length);
    const int cursor = int(std::min<int64_t>(
        offset * rec.laidOutWidth / std::max(rec.song.length, 1) + rec.leadIn + rec.x, INT32_MAX));
    const ISongHost* h = host();
    FollowInput in{.playColumn = cursor,
                   .origin = m_originX,
                   .cursorColumn = m_cursorX,
                   .plotWidth = std::max(m_lines.visibleWidth, 1),
                   .maxOrigin = m_lines.maxOriginX,
                   .smoothScroll = h ? h->smoothScroll() : true,
                   .playing = doc.context().engine.transportState() == TransportState::Playing,
                   .centreLeftOfOrigin = false,
                   .measureEndColumn = xOfTick(rec, int64_t(rec.song.start) + rec.song.length),
                   .centre = -1};
    FollowResult out = followStep(in);
    // Standing still, a position already in sight keeps the view where it
    // is: a click that moved it must not slide the notes from under the mouse.
    const bool inSight = cursor >= m_originX && cursor < m_originX + m_lines.visibleWidth;
    if (!in.playing && inSight && out.origin != m_originX) {
        out.origin = m_originX;
        out.cursorColumn = cursor;
        out.redraw = cursor != m_cursorX ? FollowRedraw::MoveLine : FollowRedraw::None;
    }
    m_lastRedraw = out.redraw;
    const QRect area = notationRect();
    switch (out.redraw) {
    case FollowRedraw::None: return;
    case FollowRedraw::MoveLine:
        updateCursorColumn(m_cursorX);
        m_cursorX = out.cursorColumn;
        updateCursorColumn(m_cursorX);
        return;
    case FollowRedraw::Scroll:
        m_originX = out.origin;
        QWidget::scroll(out.scrollBy, 0, QRect(area.left(), 0, area.width(), area.bottom() + 1));
        updateCursorColumn(m_cursorX);
        m_cursorX = out.cursorColumn;
        updateCursorColumn(m_cursorX);
        refreshHeaderColumn();
        break;
    case FollowRedraw::Full:
        m_originX = out.origin;
        m_cursorX = out.cursorColumn;
        QWidget::update();
        break;
    }
    m_hbar->setScrollPos(m_originX);
}

void StaffView::followLeadSheet()
{
    const CSongDoc& doc = *song();
    const int64_t position = doc.position();
    const int measure = measureOfTick(m_model, position);
    const LeadFollow target =
        leadSheetFollow(m_model, m_lines, position, doc.timeBase, m_metrics.glyph, m_lineCache);
    m_lineCache = target.line;
    const int reach = m_lines.visibleHeight / 2 - 2 * m_metrics.glyph;
    if (measure != m_playMeasure) {
        m_playMeasure = measure;
        m_originY = target.originY;
        QWidget::update();
    } else if (target.originY != m_originY) {
        const int moved = target.originY - m_originY;
        m_originY = target.originY;
        if (std::abs(moved) > reach)
            QWidget::update();
        else
            QWidget::scroll(0, -moved, QRect(0, 0, std::max(width() - kStaffBar, 0), height()));
    } else {
        return;
    }
    m_vbar->setScrollPos(m_originY);
}

void StaffView::updateAlways(CommandId, CmdUi& ui)
{
    ui.enabled = true;
}

bool StaffView::onZoom(CommandId id)
{
    setFocus();
    const int step = id == kIdZoomInControllerScale ? 1 : -1;
    m_zoomY = clampZoomY(m_zoomY + step);
    if (IProfile* p = profile())
        writeSetting(*p, m_leadSheet ? settings::kLeadZoomY : settings::kStaffZoomY, m_zoomY);
    if (CSongDoc* doc = song())
        doc->UpdateViews(nullptr, 0);
    else
        updateBars();
    return true;
}

void StaffView::updateZoom(CommandId id, CmdUi& ui)
{
    const bool in = id == kIdZoomInControllerScale;
    ui.enabled = song() && (in ? m_zoomY < kMaxZoomY : m_zoomY > 0);
}

bool StaffView::onStaffOptions(CommandId)
{
    if (m_context.openStaffOptions)
        m_context.openStaffOptions();
    songUpdate(0);
    return true;
}

bool StaffView::onSpawn(CommandId)
{
    if (m_context.startFrameTimer)
        m_context.startFrameTimer(m_leadSheet ? frame_timer::kLeadSheetWindow
                                              : frame_timer::kStaffWindow,
                                  kSpawnMs);
    return true;
}

int StaffView::gridTicks() const
{
    const StaffToolState* t = tools();
    const CSongDoc* doc = song();
    if (!doc || (t && !t->grid))
        return 0;
    const int resolution = t ? t->gridResolution : 240;
    return std::max(int(int64_t(resolution) * doc->timeBase / 240), 1);
}

StaffPoint StaffView::pointToTime(QPoint client) const
{
    const QRect area = notationRect();
    if (m_leadSheet) {
        if (m_lines.lineCount() == 0)
            return {};
        const int docY = client.y() + m_originY;
        const int line = std::clamp(docY / std::max(m_lines.lineHeight, 1), 0, m_lines.lineCount() - 1);
        const int lineX = m_model.measures[size_t(m_lines.lineStarts[size_t(line)])].x;
        return PointToTime(m_model, m_metrics, client.x() - kLeadMargin + lineX,
                           docY - line * m_lines.lineHeight, gridTicks(), m_measureCache);
    }
    return PointToTime(m_model, m_metrics, client.x() - area.left() + m_originX,
                       client.y() - area.top() + m_originY, gridTicks(), m_measureCache);
}

QPoint StaffView::timeToPoint(int32_t tick, int staff, int position) const
{
    const int x = TimeToPointX(m_model, tick);
    const int y = TimeToPointY(m_model, m_metrics, staff, position);
    if (m_leadSheet) {
        const int m = measureOfTick(m_model, tick);
        const int line = m_lines.lineOf(m);
        const int lineX = m_lines.lineCount() ? m_model.measures[size_t(m_lines.lineStarts[size_t(line)])].x : 0;
        return QPoint(x - lineX + kLeadMargin, y + line * m_lines.lineHeight - m_originY);
    }
    const QRect area = notationRect();
    return QPoint(x + area.left() - m_originX, y + area.top() - m_originY);
}

void registerStaffView(ViewFactory& factory, const StaffViewContext& context)
{
    factory.registerView(ViewKind::Staff, [context](const ViewRequest& request) -> SongView* {
        return new StaffView(context, request.leadSheet || request.kind == ViewKind::LeadSheet,
                             request.topLevel, request.parent);
    });
}

} // namespace rz
