// Painting the velocity view: key rows, ruler, cue spans, the time
// selection, measure and grid lines, labels, the hint, the notes, the
// lollipops, the line being drawn, the keyboard strip and the band. GUI
// thread.

#include "views/piano/velocity_view.h"

#include "core/color.h"
#include "core/engine_link.h"
#include "core/song_host.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/bitmap_catalog.h"
#include "ui/color_ref.h"
#include "ui/font_substitutions.h"
#include "ui/frame_3d.h"
#include "views/cue_flag_painter.h"
#include "views/piano/key_rows_paint.h"
#include "views/measure_labeler.h"
#include "views/view_colors.h"
#include "views/visible_measures.h"
#include "views/patch_names.h"

#include <QPainter>

#include <algorithm>
#include <array>

namespace rz {
namespace {

constexpr Color kStem = 0x606060;
constexpr int kMinGridPixels = 8;
constexpr int kBandTintLimit = 800; // width + height above which the band is not tinted


int32_t clickTicks(const MeasureRec& m, int timeBase)
{
    return std::max<int32_t>(int32_t(m.clocksPerClick) * timeBase / 24, 1);
}

// A head: a black ring around white, or around the base colour when the
// note is selected.
QImage headImage(bool selected)
{
    const int size = 2 * VelocityEdits::kHeadRadius;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.setBrush(selected ? fromColorRef(view_colors::kFrameBase) : QColor(Qt::white));
    painter.drawEllipse(QRect(0, 0, size - 1, size - 1));
    return image;
}

// A bar's fill and its 3-D border.
struct BarColours {
    explicit BarColours(Color c)
        : face(fromColorRef(ShadeColor(c, 180)).rgb()),
          light(fromColorRef(ShadeColor(c, 220)).rgb()),
          dark(fromColorRef(ShadeColor(c, 120)).rgb())
    {
    }
    QRgb face;
    QRgb light;
    QRgb dark;
};

// Writes the notes' pixels into a 32-bit bitmap, clipped to a client
// rectangle; tens of thousands of tiny shapes cost too much one painter
// call each.
class NoteRaster {
public:
    using Stems = std::vector<std::vector<std::pair<int, int>>>;

    NoteRaster(QImage& bitmap, QPoint origin, const QRect& clip, Stems& stems)
        : m_bits(bitmap.bits()), m_stride(bitmap.bytesPerLine()), m_origin(origin), m_clip(clip), m_stems(stems)
    {
        m_stems.resize(size_t(std::max(clip.width(), 0)));
        for (auto& column : m_stems)
            column.clear();
    }

    void fill(const QRect& rect, QRgb colour)
    {
        const QRect r = rect & m_clip;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            QRgb* line = row(y);
            std::fill(line + r.left() - m_origin.x(), line + r.right() + 1 - m_origin.x(), colour);
        }
    }
    // The fill, then the border as frame_3d draws it.
    void bar(const QRect& r, const BarColours& c)
    {
        fill(r, c.face);
        if (r.width() <= 2 || r.height() <= 2)
            return;
        fill(QRect(r.x(), r.y(), r.width() - 1, 1), c.light);
        fill(QRect(r.x(), r.y(), 1, r.height() - 1), c.light);
        fill(QRect(r.right(), r.y(), 1, r.height()), c.dark);
        fill(QRect(r.x(), r.bottom(), r.width(), 1), c.dark);
    }
    // The opaque pixels of an image.
    void image(QPoint at, const QImage& picture)
    {
        const QRect r = QRect(at, picture.size()) & m_clip;
        const uchar* bits = picture.constBits();
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const QRgb* from = reinterpret_cast<const QRgb*>(bits + qsizetype(y - at.y()) * picture.bytesPerLine());
            QRgb* to = row(y) - m_origin.x();
            for (int x = r.left(); x <= r.right(); ++x)
                if (qAlpha(from[x - at.x()]) == 255)
                    to[x] = from[x - at.x()];
        }
    }
    void addStem(int x, int y0, int y1)
    {
        if (x < m_clip.left() || x > m_clip.right())
            return;
        const std::pair<int, int> span{std::min(y0, y1), std::max(y0, y1)};
        auto& column = m_stems[size_t(x - m_clip.left())];
        if (!column.empty() && span.first <= column.back().second + 1 && span.second + 1 >= column.back().first) {
            column.back().first = std::min(column.back().first, span.first);
            column.back().second = std::max(column.back().second, span.second);
            return;
        }
        column.push_back(span);
    }
    void drawStems(QRgb colour)
    {
        for (size_t c = 0; c < m_stems.size(); ++c)
            for (const auto& [top, bottom] : m_stems[c])
                fill(QRect(m_clip.left() + int(c), top, 1, bottom - top + 1), colour);
    }

private:
    QRgb* row(int y) { return reinterpret_cast<QRgb*>(m_bits + qsizetype(y - m_origin.y()) * m_stride); }

    uchar* m_bits;
    qsizetype m_stride;
    QPoint m_origin;
    QRect m_clip;
    Stems& m_stems;
};

// The heads already drawn over, by column, velocity and colour: a head
// drawn later at the same place and in the same picture hides an earlier
// one whole. Columns whose heads cannot reach the clip are not kept.
class HeadSet {
public:
    static constexpr size_t kWords = 2 * (VelocityLayout::kMaxVelocity + 1) / 64;

    HeadSet(std::vector<uint64_t>& seen, int left, int right) : m_seen(seen), m_left(left), m_right(right)
    {
        m_seen.assign(size_t(std::max(right - left + 1, 0)) * kWords, 0);
    }
    // True for the first head asked for at its place: the one to draw.
    bool first(int x, int velocity, bool selected)
    {
        if (x < m_left || x > m_right)
            return false;
        const size_t bit = size_t(velocity) + (selected ? VelocityLayout::kMaxVelocity + 1 : 0);
        uint64_t& word = m_seen[size_t(x - m_left) * kWords + bit / 64];
        const uint64_t mask = uint64_t(1) << (bit % 64);
        const bool fresh = !(word & mask);
        word |= mask;
        return fresh;
    }

private:
    std::vector<uint64_t>& m_seen;
    int m_left;
    int m_right;
};

bool selectedNote(const CMidiEvent& e, uint32_t stamp)
{
    return (e.selectionStamp == stamp && e.pendingChange >= 0) || e.pendingChange == 1;
}

} // namespace

// Off-screen in a bitmap the size of the dirty rectangle, then copied.
void VelocityView::paintView(QPainter& window, const QRect& dirty)
{
    if (m_bitmap.width() < dirty.width() || m_bitmap.height() < dirty.height())
        m_bitmap = QImage(dirty.size().expandedTo(m_bitmap.size()), QImage::Format_RGB32);
    {
        QPainter painter(&m_bitmap);
        painter.setClipRect(QRect(QPoint(0, 0), dirty.size()));
        painter.translate(-dirty.topLeft());
        paintLayers(painter, dirty);
    }
    window.drawImage(dirty.topLeft(), m_bitmap, QRect(QPoint(0, 0), dirty.size()));
}

void VelocityView::paintLayers(QPainter& painter, const QRect& dirty)
{
    painter.fillRect(dirty, fromColorRef(view_colors::kBackground));
    rowsRef().noteTop = plotRect().top();
    const QRect plot = plotRect() & dirty;
    painter.save();
    painter.setClipRect(plot);
    paintRows(
        painter, plot, [](bool black) { return black ? key_rows::kBlackRow : key_rows::kWhiteRow; }, plot.left(),
        plot.right());
    painter.restore();
    if (song()) {
        const TimeAxis a = axis();
        const MeasureMap measures = visibleMeasures(*song(), std::max(a.tickOfX(dirty.left() - 3), 0),
                                                    std::max(a.tickOfX(dirty.right() + 3), 0));
        paintRuler(painter, dirty, measures);
        painter.save();
        painter.setClipRect(plot);
        paintSpans(painter, plot);
        paintMeasureLines(painter, plot, measures);
        const VelocityGeometry g = geometryNow();
        if (shownTracks().empty()) {
            painter.setPen(Qt::black);
            painter.setFont(programFont("Verdana", -10, 400));
            painter.drawText(plotRect().adjusted(0, key_rows::kHintDrop, 0, 0),
                             Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, key_rows::kHint);
        } else if (!plot.isEmpty()) {
            paintNotes(m_bitmap, dirty.topLeft(), plot, g);
        }
        paintLine(painter, g);
        painter.restore();
    }
    paintKeyboard(painter, dirty);
    const QRect band = rubberBand().rect().normalized();
    if (rubberBand().active() && band.width() + band.height() < kBandTintLimit) {
        QColor tint = fromColorRef(view_colors::kFrameBase);
        tint.setAlpha(key_rows::kBandAlpha);
        painter.fillRect(band, tint);
    }
}

// Each key row between two x, coloured by whether its key is black.
void VelocityView::paintRows(QPainter& painter, const QRect& plot, const std::function<Color(bool black)>& colourOf,
                             int left, int right)
{
    if (right < left)
        return;
    const PianoLayout& rows = this->rows();
    const int first = std::max(rows.firstRow, 0);
    const int last = std::min(PianoLayout::kRows - 1, first + plot.bottom() / std::max(rows.rowHeight, 1) + 1);
    for (int r = first; r <= last; ++r) {
        const int key = PianoLayout::keyOfRow(r);
        const QRect row(left, rows.yOfKey(key), right - left + 1, rows.rowHeight);
        if (row.intersects(plot))
            painter.fillRect(row & plot, fromColorRef(colourOf(PianoLayout::blackKey(key))));
    }
}

void VelocityView::paintRuler(QPainter& painter, const QRect& dirty, const MeasureMap& measures)
{
    const CSongDoc& doc = *song();
    const int height = lanes().rulerHeight;
    const int top = plotRect().top();
    if (dirty.top() < top) {
        QLinearGradient gradient(0, 0, 0, height);
        gradient.setColorAt(0, fromColorRef(ShadeColor(view_colors::kFrameBase, 100)));
        gradient.setColorAt(0.5, fromColorRef(ShadeColor(view_colors::kFrameBase, 160)));
        gradient.setColorAt(1, fromColorRef(ShadeColor(view_colors::kFrameBase, 100)));
        painter.fillRect(QRect(dirty.left() - 2, 0, dirty.width() + 4, height), gradient);
        painter.setPen(fromColorRef(ShadeColor(view_colors::kFrameBase, 60)));
        painter.drawLine(dirty.left(), height, dirty.right(), height);
        painter.setPen(fromColorRef(ShadeColor(view_colors::kFrameBase, 200)));
        painter.drawLine(dirty.left(), height + 1, dirty.right(), height + 1);
    }
    const QRect flags = QRect(stripWidth(), 0, width() - stripWidth(), top) & dirty;
    if (flags.isEmpty())
        return;
    painter.save();
    painter.setClipRect(flags);
    const TimeAxis a = axis();
    const std::vector<QRect> cueFlags = cueRects();
    painter.setFont(CueFlagPainter::flagFont());
    for (size_t c = std::min(cueFlags.size(), doc.cues.size()); c-- > 0;) {
        const CCue& cue = *doc.cues[c];
        if (cueFlags[c].intersects(dirty))
            CueFlagPainter::DrawFlag(painter, cue, cueFlags[c], a.xOfTick(cue.secondTime), a.xOfTick(cue.time),
                                     doc.selectionStamp, doc.context().host, doc.context().engine);
    }
    painter.setFont(rulerFont());
    const int markTop = 3 + std::min(3 * height / 4, height - 5);
    const auto etched = [&](int x, int from) {
        painter.setPen(fromColorRef(ShadeColor(view_colors::kFrameBase, 60)));
        painter.drawLine(x, from, x, height - 1);
        painter.setPen(fromColorRef(ShadeColor(view_colors::kFrameBase, 200)));
        painter.drawLine(x + 1, from, x + 1, height - 1);
    };
    for (size_t i = 0; i < measures.size(); ++i) {
        const MeasureRec& m = measures[i];
        const int x = a.xOfTick(m.start);
        if (!m.label) {
            etched(x, markTop);
            continue;
        }
        etched(x, 5);
        painter.setPen(fromColorRef(view_colors::kLabelText));
        painter.drawText(QPoint(x + 4, 3 + painter.fontMetrics().ascent()),
                         QString::fromStdString(MeasureLabeler::labelText(m)));
        const int pixels = a.xOfTick(int32_t(std::min<int64_t>(int64_t(m.start) + m.length, INT32_MAX))) - x;
        const bool nextLabelled = i + 1 < measures.size() && measures[i + 1].label;
        const int clicks = VelocityLayout::clickMarks(m, doc.timeBase, pixels, nextLabelled);
        for (int k = 1; k < clicks; ++k)
            etched(x + int(int64_t(pixels) * k / clicks), markTop);
    }
    if (doc.selectionKind == kSelectTimeRange && doc.selectionTo > doc.selectionFrom) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        const int left = a.xOfTick(doc.selectionFrom);
        painter.fillRect(QRect(left, 0, a.xOfTick(doc.selectionTo) - left, height), Qt::white);
    }
    painter.restore();
}

// Cue spans blend with their rows, last cue first; then the time selection.
void VelocityView::paintSpans(QPainter& painter, const QRect& plot)
{
    const CSongDoc& doc = *song();
    const TimeAxis a = axis();
    const ISongDisplayOptions& options = doc.context().host;
    const auto span = [&](int32_t from, int32_t to, const std::function<Color(bool)>& colourOf) {
        paintRows(painter, plot, colourOf, std::max(a.xOfTick(from), plot.left()),
                  std::min(a.xOfTick(to), plot.right()));
    };
    for (size_t c = doc.cues.size(); c-- > 0;) {
        const CCue& cue = *doc.cues[c];
        const Color colour = options.cueColor(cue.kind);
        span(std::min(cue.time, cue.secondTime), std::max(cue.time, cue.secondTime),
             [&](bool black) { return BlendColors(colour, black ? key_rows::kBlackRow : key_rows::kWhiteRow); });
    }
    if (doc.selectionKind == kSelectTimeRange && doc.selectionTo > doc.selectionFrom)
        span(doc.selectionFrom, doc.selectionTo,
             [](bool black) { return black ? view_colors::kFrameBase : ShadeColor(view_colors::kFrameBase, 150); });
}

void VelocityView::paintMeasureLines(QPainter& painter, const QRect& plot, const MeasureMap& measures)
{
    const CSongDoc& doc = *song();
    const TimeAxis a = axis();
    const int gridValue = doc.context().host.editTools().gridValue;
    const QPen dotted(fromColorRef(ShadeColor(key_rows::kMeasureLine, 210)), 1, Qt::DotLine);
    const MeasureRec* previous = nullptr;
    for (const MeasureRec& m : measures) {
        const int x = a.xOfTick(m.start);
        const bool changed = previous && (clickTicks(*previous, doc.timeBase) != clickTicks(m, doc.timeBase)
                                          || previous->length != m.length);
        previous = &m;
        const int pixels = a.xOfTick(int32_t(std::min<int64_t>(int64_t(m.start) + m.length, INT32_MAX))) - x;
        const int cells = PianoLayout::subdivisions(m.length, gridValue, doc.timeBase, pixels);
        if (cells > 1 && pixels / cells >= kMinGridPixels) {
            painter.setPen(dotted);
            for (int i = 1; i < cells; ++i) {
                const int gx = x + int(int64_t(pixels) * i / cells);
                painter.drawLine(gx, plot.top(), gx, plot.bottom());
            }
        }
        painter.setPen(fromColorRef(changed ? view_colors::kMeterChangeLine : key_rows::kMeasureLine));
        painter.drawLine(x, plot.top(), x, plot.bottom());
    }
}

// Bars, then stems, then heads, each layer from the last shown track to the
// first, so the first is on top; written straight into the paint's bitmap,
// whose top left is `origin` in the client. The notes are walked front to
// back: a bar that the bars drawn after it hide is left out, and of the
// heads of one velocity and colour in one column only the last is drawn.
// All stems have one colour, so those overlapping in a column are drawn once.
void VelocityView::paintNotes(QImage& bitmap, QPoint origin, const QRect& plot, const VelocityGeometry& g)
{
    const CSongDoc& doc = *song();
    const TimeAxis& a = g.axis;
    const int32_t from = std::max(a.tickOfX(plot.left() - 3), 0);
    const int32_t to = int32_t(std::min<int64_t>(int64_t(a.tickOfX(plot.right() + 4)) + a.gridTicks, INT32_MAX));
    const int half = rows().rowHeight / 2;
    std::array<int, VelocityLayout::kMaxVelocity + 1> yOf{};
    for (int v = 0; v <= VelocityLayout::kMaxVelocity; ++v)
        yOf[size_t(v)] = g.layout.yOfVelocity(v);
    NoteRaster raster(bitmap, origin, plot, m_stems);
    const BarColours chosen(view_colors::kFrameBase);
    m_cover.reset(PianoLayout::kRows, plot.left(), plot.right());
    HeadSet drawnHeads(m_headsSeen, plot.left() - VelocityEdits::kHeadRadius,
                       plot.right() + VelocityEdits::kHeadRadius);
    m_bars.clear();
    m_heads.clear();
    for (size_t s = 0; s < shownTracks().size(); ++s) {
        const CTrack& track = *doc.tracks[size_t(shownTracks()[s])];
        PianoLayout::visibleNotes(doc, track, from, to, m_visible);
        for (auto index = m_visible.rbegin(); index != m_visible.rend(); ++index) {
            const CMidiEvent& e = track.events[*index];
            const bool selected = selectedNote(e, doc.selectionStamp);
            const int key = e.data1() + track.key;
            const QRect bar = VelocityEdits::barRect(g, e.tick, e.value2, key);
            const int velocity = (selected && m_editor ? m_editor->shownVelocity(e.data2()) : e.data2()) & 0x7F;
            const QPoint head(bar.isEmpty() ? a.xOfTick(e.tick) : bar.left(), yOf[size_t(velocity)]);
            if (!bar.isEmpty()) {
                if (m_cover.cover(PianoLayout::rowOfKey(key), bar.left(), bar.right()))
                    m_bars.push_back({bar, selected ? -1 : int(s)});
                raster.addStem(head.x(), head.y(), bar.top() + half);
            }
            if (drawnHeads.first(head.x(), velocity, selected))
                m_heads.push_back({head, selected});
        }
    }
    std::vector<BarColours> colours;
    for (int shown : shownTracks())
        colours.emplace_back(doc.tracks[size_t(shown)]->color);
    for (auto bar = m_bars.rbegin(); bar != m_bars.rend(); ++bar)
        raster.bar(bar->rect, bar->track < 0 ? chosen : colours[size_t(bar->track)]);
    raster.drawStems(fromColorRef(kStem).rgb());
    const QImage heads[2] = {headImage(false), headImage(true)};
    const QPoint corner(VelocityEdits::kHeadRadius, VelocityEdits::kHeadRadius);
    for (auto head = m_heads.rbegin(); head != m_heads.rend(); ++head)
        raster.image(head->first - corner, heads[head->second ? 1 : 0]);
}

// A staircase through the points of a line being drawn.
void VelocityView::paintLine(QPainter& painter, const VelocityGeometry& g)
{
    if (!m_editor || m_editor->mode() != VelocityEdits::kLine || m_editor->linePoints().size() < 2)
        return;
    const std::vector<VelocityPoint>& points = m_editor->linePoints();
    painter.setPen(Qt::black);
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const QPoint here = VelocityEdits::tickValueToPoint(g, points[i].tick, points[i].value);
        const QPoint next = VelocityEdits::tickValueToPoint(g, points[i + 1].tick, points[i + 1].value);
        painter.drawLine(here, QPoint(next.x(), here.y()));
        painter.drawLine(QPoint(next.x(), here.y()), next);
    }
}

void VelocityView::paintKeyboard(QPainter& painter, const QRect& dirty)
{
    const PianoLayout& rows = this->rows();
    const int top = plotRect().top();
    const QRect strip(0, top, stripWidth(), height() - top);
    const QRect corner(0, 0, stripWidth(), top);
    if (corner.intersects(dirty)) {
        painter.fillRect(corner, fromColorRef(view_colors::kFrameBase));
        draw3dRect(painter, corner, key_rows::kStripEdgeLight, key_rows::kMeasureLine);
        const QRect ruler(0, 0, stripWidth(), lanes().rulerHeight);
        painter.fillRect(ruler, fromColorRef(ShadeColor(view_colors::kFrameBase, 200)));
        draw3dRect(painter, ruler, ShadeColor(view_colors::kFrameBase, 200), ShadeColor(view_colors::kFrameBase, 40));
        draw3dRect(painter, ruler.adjusted(1, 1, -1, -1), ShadeColor(view_colors::kFrameBase, 160),
                   ShadeColor(view_colors::kFrameBase, 80));
    }
    if (!strip.intersects(dirty))
        return;
    painter.save();
    painter.setClipRect(strip & dirty);
    painter.fillRect(strip, fromColorRef(view_colors::kFrameBase));
    draw3dRect(painter, strip, key_rows::kStripEdgeLight, key_rows::kMeasureLine);
    if (const int id = key_rows::keysBitmap(rows.rowHeight); id >= 0) {
        const QImage& keys = BitmapCatalog::image(id);
        const int shown = std::min(plotRect().height(), rows.keyboardHeight() - rows.firstRow * rows.rowHeight);
        painter.drawImage(QPoint(0, top), keys, QRect(0, rows.firstRow * rows.rowHeight, keys.width(), shown));
    }
    painter.fillRect(QRect(2, rows.yOfKey(PianoLayout::kMiddleC) + (rows.rowHeight - key_rows::kMarkSize) / 2,
                           key_rows::kMarkSize, key_rows::kMarkSize),
                     fromColorRef(key_rows::kMiddleCMark));
    if (stripWidth() > PianoLayout::kNarrowStrip && song() && !shownTracks().empty()) {
        const CTrack& track = *song()->tracks[size_t(shownTracks().front())];
        painter.setFont(programFont("Arial", 1 - rows.rowHeight, 400));
        for (int key = PianoLayout::kTopKey; key >= PianoLayout::kBottomKey; --key) {
            const QRect cell(PianoLayout::kNarrowStrip, rows.yOfKey(key), stripWidth() - PianoLayout::kNarrowStrip,
                             rows.rowHeight);
            if (!cell.intersects(strip))
                continue;
            painter.fillRect(cell, fromColorRef(PianoLayout::blackKey(key) ? key_rows::kNameBlack : key_rows::kNameWhite));
            if (auto name = drumNoteName(*song(), track, key - track.key)) {
                painter.setPen(Qt::black);
                painter.drawText(cell.translated(0, -1), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                                 QString::fromStdString(*name));
            }
        }
    }
    painter.restore();
}

} // namespace rz
