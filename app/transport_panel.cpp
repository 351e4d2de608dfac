#include "app/transport_panel.h"

#include "app/spectrum_display.h"
#include "ui/bitmap_catalog.h"
#include "ui/font_substitutions.h"

#include <QPainter>

namespace rz {
namespace {

const QColor kText(133, 203, 224);

// Panel-relative places of the text fields (the panel is 468 x 212; the
// frame's transport buttons sit below y 79 on the left, the tempo fader at
// x 246..261).
constexpr QRect kTitleRect{14, 9, 204, 18};
constexpr QRect kStateIconRect{222, 10, 16, 16};
constexpr QRect kSetLine1{12, 34, 98, 18};
constexpr QRect kSetLine2{12, 54, 98, 18};
constexpr QRect kColumnLine1{112, 30, 130, 16};
constexpr QRect kColumnLine2{112, 46, 130, 16};
constexpr QRect kColumnLine3{112, 62, 130, 16};
constexpr QRect kLargeLine1{12, 28, 230, 38};
constexpr QRect kLargeLine2{12, 66, 230, 36};
constexpr QRect kTempoRect{268, 8, 180, 18};
constexpr QRect kMeasureRect{288, 154, 44, 26};
constexpr QRect kSkipRect{336, 154, 60, 26};

QFont lcdFont(int pixels, int weight)
{
    return programFont(QStringLiteral("OCR A Extended"), -pixels, weight);
}

QFont verdana(int pixels, int weight)
{
    return programFont(QStringLiteral("Verdana"), -pixels, weight);
}

// Where text of `size` sits in `rect`, centred vertically.
QPointF alignedIn(const QRect& rect, QSizeF size, int flags)
{
    qreal x = rect.left();
    if (flags & Qt::AlignRight)
        x = rect.right() + 1 - size.width();
    else if (flags & Qt::AlignHCenter)
        x = rect.left() + (rect.width() - size.width()) / 2;
    return {x, rect.top() + (rect.height() - size.height()) / 2};
}

} // namespace

// Skips a field outside the region being painted; a field's text is laid
// out again only when it or the font changed.
void TransportPanel::text(QPainter& p, const QRect& rect, const std::string& value, int flags) const
{
    if (!m_dirty.intersects(rect))
        return;
    FieldText& field = m_texts[{rect.left(), rect.top()}];
    const QFont font = p.font();
    if (field.value != value || field.font != font) {
        field.value = value;
        field.font = font;
        field.layout.setText(QString::fromStdString(value));
        field.layout.setTextFormat(Qt::PlainText);
        field.layout.prepare(QTransform(), font);
    }
    p.save();
    p.setClipRect(rect, Qt::IntersectClip);
    p.drawStaticText(alignedIn(rect, field.layout.size(), flags), field.layout);
    p.restore();
}

void TransportPanel::setStaffHeaderPainter(StaffHeaderPainter painter)
{
    m_staffHeader = std::move(painter);
    invalidate();
}

void TransportPanel::paint(QPainter& p, const QRect& panel, const PanelState& state,
                           const SpectrumDisplay& spectrum) const
{
    p.save();
    p.translate(panel.topLeft());
    p.setClipRect(QRect(QPoint(0, 0), panel.size()), Qt::IntersectClip);
    m_dirty = p.clipRegion();
    p.setPen(kText);
    p.setFont(verdana(13, 600));
    text(p, kTitleRect, state.title);
    if (state.stateIcon != 0 && m_dirty.intersects(kStateIconRect))
        p.drawImage(kStateIconRect.topLeft(), BitmapCatalog::image(state.stateIcon));
    paintSongFields(p, state);
    paintRightFields(p, state, spectrum);
    p.restore();
}

void TransportPanel::paintSongFields(QPainter& p, const PanelState& state) const
{
    if (state.mode == 2) {
        p.setFont(lcdFont(32, 700));
        text(p, kLargeLine1, state.position);
        text(p, kLargeLine2, state.elapsed);
        return;
    }
    if (state.mode == 0) {
        paintStaff(p, state.measure);
    } else {
        p.setFont(lcdFont(14, 400));
        text(p, kSetLine1, state.setElapsed);
        text(p, kSetLine2, state.setRemaining);
    }
    p.setFont(lcdFont(14, 400));
    text(p, kColumnLine1, state.position);
    text(p, kColumnLine2, state.elapsed);
    text(p, kColumnLine3, state.remaining);
}

void TransportPanel::paintStaff(QPainter& p, const MeasureRec& measure) const
{
    if (m_staffHeader && m_dirty.intersects(kStaffRect))
        m_staffHeader(p, kStaffRect, measure);
}

void TransportPanel::paintRightFields(QPainter& p, const PanelState& state,
                                      const SpectrumDisplay& spectrum) const
{
    p.setFont(lcdFont(13, 400));
    text(p, kTempoRect, state.tempo, Qt::AlignRight);
    p.setFont(verdana(21, 600));
    text(p, kMeasureRect, state.measureField, Qt::AlignHCenter);
    p.setFont(verdana(16, 700));
    text(p, kSkipRect, state.skip);
    if (state.spectrum) {
        if (!m_dirty.intersects(kSpectrumRect))
            return;
        if (!spectrum.picture().isNull())
            p.drawImage(kSpectrumRect.topLeft(), spectrum.picture());
        else
            p.fillRect(kSpectrumRect, Qt::black);
        return;
    }
    if (m_dirty.intersects(kBeatDigitRect))
        p.drawImage(kBeatDigitRect.topLeft(),
                    BitmapCatalog::image(bitmap_id::kBeatDigits + state.beatDigit % 10));
    if (state.marker && m_dirty.intersects(kMarkerRect))
        p.drawImage(kMarkerRect.topLeft(), spectrum.markerStrip());
}

QRegion TransportPanel::changedRegion(const PanelState& now)
{
    const QRect whole(0, 0, 468, 212);
    if (!m_shown || m_shown->mode != now.mode || m_shown->spectrum != now.spectrum
        || m_shown->marker != now.marker) {
        m_shown = now;
        return whole;
    }
    const PanelState& was = *m_shown;
    QRegion region;
    auto check = [&region](bool changed, const QRect& rect) {
        if (changed)
            region += rect;
    };
    check(was.title != now.title, kTitleRect);
    check(was.stateIcon != now.stateIcon, kStateIconRect);
    const bool large = now.mode == 2;
    check(was.position != now.position, large ? kLargeLine1 : kColumnLine1);
    check(was.elapsed != now.elapsed, large ? kLargeLine2 : kColumnLine2);
    check(!large && was.remaining != now.remaining, kColumnLine3);
    check(now.mode == 1 && was.setElapsed != now.setElapsed, kSetLine1);
    check(now.mode == 1 && was.setRemaining != now.setRemaining, kSetLine2);
    check(now.mode == 0
              && (was.measure.key != now.measure.key
                  || was.measure.numerator != now.measure.numerator
                  || was.measure.denominator != now.measure.denominator),
          kStaffRect);
    check(was.tempo != now.tempo, kTempoRect);
    check(was.measureField != now.measureField, kMeasureRect);
    check(was.skip != now.skip, kSkipRect);
    check(!now.spectrum && was.beatDigit != now.beatDigit, kBeatDigitRect);
    m_shown = now;
    return region;
}

} // namespace rz
