// The track list: construction, layout, scrolling and commands. Keys,
// mouse and the cell editor are in track_view_input.cpp, painting in
// track_view_paint.cpp.

#include "views/track/track_view.h"

#include "core/engine_link.h"
#include "core/profile.h"
#include "core/song_host.h"
#include "core/zoom_percent.h"
#include "res/command_ids.h"
#include "song/song_doc.h"
#include "ui/bitmap_push_button.h"
#include "ui/color_ref.h"
#include "ui/command_text.h"
#include "ui/in_place_edit.h"
#include "ui/torn_off_focus.h"
#include "ui/zoom_scroll_bar.h"
#include "views/track/track_header.h"
#include "views/view_factory.h"

#include <QAbstractButton>
#include <QPainter>
#include <QStandardItemModel>

#include <algorithm>

namespace rz {
namespace {

constexpr CommandRow<TrackView> kTrackCommands[] = {
    {kIdZoomOutControllerScale, kIdZoomInControllerScale, &TrackView::onZoom, &TrackView::onUpdateZoom},
    {kIdSmallerHeaderFont, kIdLargerHeaderFont, &TrackView::onZoom, &TrackView::onUpdateZoom},
    {kIdSelectAllTracks, kIdSelectAllTracks, &TrackView::onSelectAllTracks, nullptr},
    {kIdSpawnTopLevelWindow, kIdSpawnTopLevelWindow, &TrackView::onSpawn, nullptr},
    {kIdSolo, kIdUnsolo, &TrackView::onSolo, &TrackView::onUpdateSolo},
    {kIdMarkTracksForRecording, kIdCancelRecordingOnMarkedTracks, &TrackView::onSolo,
     &TrackView::onUpdateSolo},
    {kIdTrackUp, kIdTrackDown, &TrackView::onTrackStep, nullptr},
    {kIdDelete, kIdDelete, &TrackView::onDelete, &TrackView::onUpdateDelete},
    {kIdEditCopy, kIdEditCut, &TrackView::onCopyCut, &TrackView::onUpdateCopyCut},
    {kIdEditPaste, kIdEditPaste, &TrackView::onPaste, &TrackView::onUpdatePaste},
    {kIdProperties, kIdProperties, &TrackView::onProperties, &TrackView::onUpdateProperties},
};

// The flat button above the number column that selects every track.
class CornerButton : public QAbstractButton {
public:
    explicit CornerButton(QWidget* parent) : QAbstractButton(parent) { setFocusPolicy(Qt::NoFocus); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect r = rect();
        painter.fillRect(r, fromColorRef(ShadeColor(kViewBase, 200)));
        drawFrame3d(painter, r, ShadeColor(kViewBase, 200), ShadeColor(kViewBase, 40));
        drawFrame3d(painter, r.adjusted(1, 1, -1, -1), ShadeColor(kViewBase, 160), ShadeColor(kViewBase, 80));
    }

private:
    static constexpr Color kViewBase = 0x38140C;

    static void drawFrame3d(QPainter& painter, const QRect& r, Color light, Color dark)
    {
        painter.setPen(fromColorRef(light));
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(fromColorRef(dark));
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    }
};

} // namespace

std::span<const CommandRow<TrackView>> TrackView::commandTable()
{
    return kTrackCommands;
}

TrackView::TrackView(const TrackViewContext& context, bool topLevel, QWidget* parent)
    : SongView(parent), m_context(context)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_notifyTimer.timer.setSingleShot(true);
    connect(&m_notifyTimer.timer, &QTimer::timeout, this, [this] { m_selection.notifyNow(); });
    TrackSelectionHooks hooks;
    hooks.repaint = [this] { QWidget::update(); };
    hooks.repaintEditors = m_context.repaintEditors;
    hooks.scrollIntoView = [this] { scrollIntoView(); };
    hooks.topRowChanged = [this] {
        m_vbar->setScrollPos(m_selection.topRow());
        if (m_context.scrollLanes)
            m_context.scrollLanes(m_selection.topRow());
        QWidget::update();
    };
    m_selection.setHooks(std::move(hooks));

    m_editor = new InPlaceEdit(m_context.keys, this);
    m_editor->setMaxLength(99);
    m_editor->hide();
    connect(m_editor, &InPlaceEdit::focusLost, this, &TrackView::commitEditor);

    m_rowScroll.setInterval(kAutoscrollMs);
    m_columnScroll.setInterval(kAutoscrollMs);
    connect(&m_rowScroll, &QTimer::timeout, this, &TrackView::rowScrollBeat);
    connect(&m_columnScroll, &QTimer::timeout, this, &TrackView::columnScrollBeat);

    m_header = new TrackHeader(this);
    auto* model = new QStandardItemModel(0, kTrackColumnCount, m_header);
    m_header->setModel(model);
    m_header->setSectionsMovable(true);
    m_header->setMinimumSectionSize(1);
    connect(m_header, &QHeaderView::sectionMoved, this, &TrackView::onSectionMoved);
    connect(m_header, &QHeaderView::sectionDoubleClicked, this, &TrackView::sortByColumn);
    connect(m_header, &QHeaderView::sectionResized, this, &TrackView::onSectionResized);
    m_header->viewport()->installEventFilter(this);

    m_corner = new CornerButton(this);
    m_corner->setToolTip(commandTipText(kIdSelectAllTracks));
    connect(static_cast<QAbstractButton*>(m_corner), &QAbstractButton::clicked, this,
            [this] { handle(kIdSelectAllTracks); });

    m_hbar = new ZoomScrollBar(ZoomScrollBar::kZoomButtons, this);
    m_hbar->zoomInButton()->setDlgCtrlId(kIdLargerHeaderFont);
    m_hbar->zoomOutButton()->setDlgCtrlId(kIdSmallerHeaderFont);
    m_vbar = new ZoomScrollBar(ZoomScrollBar::kVertical | ZoomScrollBar::kZoomButtons, this);
    connect(m_hbar, &ZoomScrollBar::scrolled, this, &TrackView::onHeaderScrolled);
    connect(m_vbar, &ZoomScrollBar::scrolled, this, &TrackView::onRowsScrolled);
    for (ZoomScrollBar* bar : {m_hbar, m_vbar}) {
        for (BitmapPushButton* button : {bar->zoomInButton(), bar->zoomOutButton()})
            button->setToolTip(commandTipText(button->dlgCtrlId()));
        connect(bar, &ZoomScrollBar::zoomCommand, this, [this](uint32_t id) { handle(id); });
    }

    if (m_context.profile)
        m_columns.read(*m_context.profile);
    if (m_context.host && m_context.host->performanceMode())
        m_columns.enterPerformanceMode();
    m_header->setSectionsMovable(!m_columns.performanceMode());
    syncHeaderOrder();
    if (topLevel && m_context.router)
        m_focus = new TornOffFocus(*this, *this, *m_context.router);
    relayout();
}

TrackView::~TrackView()
{
    // The editor is destroyed after us and may lose the focus then.
    disconnect(m_editor, nullptr, this, nullptr);
    m_header->viewport()->removeEventFilter(this);
    m_editorOpen = false;
    delete m_focus;
    m_focus = nullptr;
    if (m_context.profile)
        m_columns.write(*m_context.profile);
}

void TrackView::attach(CSongDoc& song)
{
    SongView::attach(song);
    m_selection.setSong(&song);
    m_selection.SyncRowCount();
    relayout();
    QWidget::update();
}

void TrackView::detach()
{
    if (m_editorOpen) {
        m_editorOpen = false;
        m_editor->hide();
    }
    m_mixRow = -1;
    m_selection.setSong(nullptr);
    m_selection.SyncRowCount();
    SongView::detach();
    relayout();
    QWidget::update();
}

void TrackView::initialUpdate()
{
    m_selection.SyncRowCount();
    relayout();
    QWidget::update();
}

void TrackView::songUpdate(uint32_t)
{
    m_selection.SyncRowCount();
    relayout();
    QWidget::update();
}

void TrackView::enterPerformanceMode()
{
    m_columns.enterPerformanceMode();
    m_header->setSectionsMovable(false);
    syncHeaderOrder();
    relayout();
    QWidget::update();
}

void TrackView::leavePerformanceMode()
{
    m_columns.leavePerformanceMode();
    m_header->setSectionsMovable(true);
    syncHeaderOrder();
    relayout();
    QWidget::update();
}

bool TrackView::performing() const
{
    return m_context.host && m_context.host->performanceMode();
}

bool TrackView::stopped() const
{
    return song() && song()->context().engine.transportState() == TransportState::Stopped;
}

// Layout.

namespace {

int headerZoomOf(const ISongHost* host)
{
    return host ? std::clamp(host->headerZoom(), 0, ISongHost::kMaxLaneZoom) : 2;
}

int laneZoomOf(const ISongHost* host)
{
    return host ? std::clamp(host->laneZoom(), 0, ISongHost::kMaxLaneZoom) : 2;
}

} // namespace

int TrackView::cellLeft(int position) const
{
    const int fZoom = headerZoomOf(m_context.host);
    int x = m_layout.numberWidth - m_horizontalOffset;
    for (int p = 0; p < position && p < kTrackColumnCount; ++p)
        x += m_columns.pixelWidth(m_columns.columnAt(p), fZoom);
    return x;
}

int TrackView::totalColumnsWidth() const
{
    return cellLeft(kTrackColumnCount) - m_layout.numberWidth + m_horizontalOffset;
}

QRect TrackView::cellRect(int row, int position) const
{
    const int width = m_columns.pixelWidth(m_columns.columnAt(position), headerZoomOf(m_context.host));
    return QRect(cellLeft(position), m_layout.rowTop(row, m_selection.topRow()), width, m_layout.rowHeight);
}

QRect TrackView::gridRect() const
{
    return QRect(0, m_layout.headerHeight, width() - kBarSize, height() - kBarSize - m_layout.headerHeight);
}

int TrackView::rowAtY(int y) const
{
    if (y < m_layout.headerHeight + TrackRowLayout::kRulerGap || y >= height() - kBarSize)
        return -1;
    const int row = m_layout.rowAt(y, m_selection.topRow());
    return row >= 1 && row < m_selection.rowCount() ? row : -1;
}

int TrackView::positionAtX(int x) const
{
    if (x < m_layout.numberWidth || x >= width() - kBarSize)
        return -1;
    for (int p = 0; p < kTrackColumnCount; ++p)
        if (x < cellLeft(p + 1))
            return p;
    return -1;
}

int TrackView::currentColumnIndex() const
{
    const int column = m_selection.currentColumn();
    return column > 0 ? m_columns.columnAt(column - 1) : -1;
}

void TrackView::applyHeaderWidths()
{
    const int fZoom = headerZoomOf(m_context.host);
    m_sizing = true;
    for (int column = 0; column < kTrackColumnCount; ++column)
        m_header->resizeSection(column, m_columns.pixelWidth(column, fZoom));
    m_sizing = false;
}

// The header shows the columns in our order; its own moves come back
// through onSectionMoved.
void TrackView::syncHeaderOrder()
{
    m_sizing = true;
    for (int position = 0; position < kTrackColumnCount; ++position) {
        const int visual = m_header->visualIndex(m_columns.columnAt(position));
        if (visual != position)
            m_header->moveSection(visual, position);
    }
    m_sizing = false;
}

void TrackView::relayout()
{
    const ISongHost* host = m_context.host;
    const int fZoom = headerZoomOf(host);
    const int yZoom = laneZoomOf(host);
    m_layout = TrackRowLayout::make(fZoom, yZoom);
    const int w = width();
    const int h = height();
    m_hbar->setGeometry(0, h - kBarSize, std::max(w - kBarSize, 0), kBarSize);
    m_vbar->setGeometry(w - kBarSize, 0, kBarSize, std::max(h - kBarSize, 0));
    m_editor->setFont(viewFont());
    refreshHeaderFont();
    applyHeaderWidths();
    updateBars();
    m_corner->setGeometry(0, 0, m_layout.numberWidth, m_layout.headerHeight + 2);
    m_header->setGeometry(m_layout.numberWidth - m_horizontalOffset, 0,
                          std::max(w - kBarSize - m_layout.numberWidth + m_horizontalOffset, 0),
                          m_layout.headerHeight + 2);
    m_hbar->enableZoom(fZoom < kMaxHeaderZoom, fZoom >= 1);
    m_vbar->enableZoom(song() && yZoom < ISongHost::kMaxLaneZoom, song() && yZoom > 0);
    m_vbar->setVisible(!(m_context.lanesFollow && m_context.lanesFollow()));
}

// The column of the current cell is shown bold in the header.
void TrackView::refreshHeaderFont()
{
    m_header->setCaptionFont((zoomPercent(headerZoomOf(m_context.host)) * 12 + 50) / 100, currentColumnIndex());
    m_header->viewport()->update();
}

void TrackView::updateBars()
{
    const int total = totalColumnsWidth();
    const int visible = width() - m_layout.numberWidth - kBarSize;
    if (total > visible && visible > 0) {
        m_horizontalOffset = std::clamp(m_horizontalOffset, 0, total - visible);
        m_hbar->setScrollInfo({.min = 0, .max = total - 1, .page = visible}, ZoomScrollBar::kRange | ZoomScrollBar::kPage);
        m_hbar->setScrollPos(m_horizontalOffset);
        m_hbar->enableScrollBar(0);
    } else {
        m_horizontalOffset = 0;
        m_hbar->setScrollInfo({}, ZoomScrollBar::kRange | ZoomScrollBar::kPos);
        m_hbar->enableScrollBar(3);
    }
    const int rows = m_selection.rowCount();
    const int shown = m_layout.visibleRows(height() - kBarSize);
    if (rows > 0 && shown < rows - 1) {
        m_selection.setMaxTopRow(rows - 1 - shown);
        m_vbar->setScrollInfo({.min = 0, .max = rows - 2, .page = std::max(shown, 1)},
                              ZoomScrollBar::kRange | ZoomScrollBar::kPage);
        m_vbar->setScrollPos(m_selection.topRow());
        m_vbar->enableScrollBar(0);
    } else {
        m_selection.setMaxTopRow(0);
        m_vbar->setScrollInfo({}, ZoomScrollBar::kRange | ZoomScrollBar::kPos);
        m_vbar->enableScrollBar(3);
    }
}

void TrackView::resizeEvent(QResizeEvent* event)
{
    SongView::resizeEvent(event);
    relayout();
}

namespace {

int scrolledTo(const ZoomScrollBar& bar, int code, int pos, int page, int limit)
{
    int64_t next = pos;
    switch (code) {
    case ZoomScrollBar::kLineUp: next = int64_t(pos) - 1; break;
    case ZoomScrollBar::kLineDown: next = int64_t(pos) + 1; break;
    case ZoomScrollBar::kPageUp: next = int64_t(pos) - page; break;
    case ZoomScrollBar::kPageDown: next = int64_t(pos) + page; break;
    case ZoomScrollBar::kThumbTrack: next = bar.trackPos(); break;
    default: break;
    }
    return int(std::clamp<int64_t>(next, 0, std::max(limit, 0)));
}

} // namespace

void TrackView::onHeaderScrolled(int code)
{
    const int visible = width() - m_layout.numberWidth - kBarSize;
    const int limit = totalColumnsWidth() - visible;
    const int next = scrolledTo(*m_hbar, code, m_horizontalOffset, std::max(visible, 1), limit);
    if (next == m_horizontalOffset)
        return;
    m_horizontalOffset = next;
    relayout();
    QWidget::update();
}

void TrackView::onRowsScrolled(int code)
{
    const int page = std::max(m_layout.visibleRows(height() - kBarSize), 1);
    m_selection.setTopRow(scrolledTo(*m_vbar, code, m_selection.topRow(), page, m_selection.maxTopRow()));
    m_vbar->setScrollPos(m_selection.topRow());
}

void TrackView::onSectionMoved(int, int, int)
{
    if (m_sizing)
        return;
    if (m_columns.performanceMode()) {
        syncHeaderOrder();
        return;
    }
    TrackColumns::Order order{};
    for (int position = 0; position < kTrackColumnCount; ++position)
        order[size_t(position)] = m_header->logicalIndex(position);
    m_columns.setOrder(order);
    relayout();
    QWidget::update();
}

void TrackView::onSectionResized(int logical, int, int newSize)
{
    if (m_sizing)
        return;
    m_columns.setBaseWidth(logical, newSize * 100 / zoomPercent(headerZoomOf(m_context.host)));
    if (m_editorOpen)
        setFocus(Qt::OtherFocusReason);
    relayout();
    QWidget::update();
}

// The current cell comes into sight: its left edge meets the number
// column, and the rows scroll by whole rows.
void TrackView::scrollIntoView()
{
    if (m_selection.rowCount() == 0)
        return;
    const QRect cell = cellRect(m_selection.currentRow(), std::max(m_selection.currentColumn() - 1, 0));
    const int right = width() - kBarSize;
    if (cell.left() < m_layout.numberWidth || cell.right() >= right) {
        m_horizontalOffset += cell.left() - m_layout.numberWidth;
        relayout();
    }
    const int rowsTop = m_layout.headerHeight + TrackRowLayout::kRulerGap;
    const int bottom = height() - kBarSize;
    const int h = std::max(m_layout.rowHeight, 1);
    int top = m_selection.topRow();
    if (cell.bottom() >= bottom)
        top += (cell.bottom() + 1 - bottom + h - 1) / h;
    else if (cell.top() < rowsTop)
        top -= (rowsTop - cell.top() + h - 1) / h;
    m_selection.setTopRow(top);
    QWidget::update();
}

// Commands.

bool TrackView::onZoom(CommandId id)
{
    setFocus(Qt::OtherFocusReason);
    ISongHost* host = m_context.host;
    if (!host)
        return true;
    if (id == kIdLargerHeaderFont || id == kIdSmallerHeaderFont) {
        const int zoom = headerZoomOf(host);
        const int next = id == kIdLargerHeaderFont ? (zoom < kMaxHeaderZoom ? zoom + 1 : zoom)
                                                   : (zoom >= 1 ? zoom - 1 : zoom);
        if (next != zoom && m_context.setHeaderZoom)
            m_context.setHeaderZoom(next);
        if (song())
            song()->UpdateViews(nullptr, 0);
        if (m_context.updateAllViews)
            m_context.updateAllViews();
    } else if (song()) {
        const int zoom = laneZoomOf(host);
        const int step = id == kIdZoomInControllerScale ? 1 : -1;
        host->setLaneZoom(std::clamp(zoom + step, 0, ISongHost::kMaxLaneZoom));
        song()->UpdateViews(nullptr, 0);
    }
    relayout();
    QWidget::update();
    return true;
}

void TrackView::onUpdateZoom(CommandId id, CmdUi& ui)
{
    const int fZoom = headerZoomOf(m_context.host);
    const int yZoom = laneZoomOf(m_context.host);
    switch (id) {
    case kIdLargerHeaderFont: ui.enabled = fZoom < kMaxHeaderZoom; break;
    case kIdSmallerHeaderFont: ui.enabled = fZoom >= 1; break;
    case kIdZoomInControllerScale: ui.enabled = song() && yZoom < ISongHost::kMaxLaneZoom; break;
    default: ui.enabled = song() && yZoom > 0; break;
    }
}

bool TrackView::onSelectAllTracks(CommandId)
{
    if (song()) {
        m_selection.SelectAll();
        m_selection.RefreshSelection();
    }
    return true;
}

bool TrackView::onSpawn(CommandId)
{
    if (m_context.startFrameTimer)
        m_context.startFrameTimer(kSpawnTimer, kSpawnMs);
    return true;
}

bool TrackView::onSolo(CommandId id)
{
    switch (id) {
    case kIdSolo: m_selection.ApplyRowFlags(); break;
    case kIdUnsolo: m_selection.InvalidateIfChanged(); break;
    case kIdMarkTracksForRecording: m_selection.MarkSelectedTracks(); break;
    default: m_selection.ClearTrackMarks(); break;
    }
    return true;
}

void TrackView::onUpdateSolo(CommandId id, CmdUi& ui)
{
    const bool selecting = id == kIdSolo || id == kIdMarkTracksForRecording;
    ui.enabled = song() != nullptr
                 && (!selecting || m_selection.currentRow() < m_selection.rowCount() - 1);
}

bool TrackView::onTrackStep(CommandId id)
{
    handleKey(id == kIdTrackUp ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
    return true;
}

void registerTrackView(ViewFactory& factory, const TrackViewContext& context)
{
    factory.registerView(ViewKind::Track, [context](const ViewRequest& request) -> SongView* {
        return new TrackView(context, request.topLevel, request.parent);
    });
}

} // namespace rz
