#include "app/spectrum_display.h"

#include "ui/color_ref.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace rz {
namespace {

constexpr Color kPeakGrey = 0x808080;
constexpr Color kMarkerColor = 0x0EF0FF; // the frame's highlight colour
constexpr Color kStripFace = 0x200A06;

// One bar's look: green at the bottom through yellow to red at the top.
const QImage& barImage()
{
    static const QImage bar = [] {
        QImage image(SpectrumDisplay::kBarWidth, SpectrumDisplay::kPictureSize.height(),
                     QImage::Format_RGB32);
        QPainter p(&image);
        QLinearGradient gradient(0, image.height(), 0, 0);
        gradient.setColorAt(0.0, QColor(0, 150, 60));
        gradient.setColorAt(0.55, QColor(40, 220, 70));
        gradient.setColorAt(0.8, QColor(240, 220, 40));
        gradient.setColorAt(1.0, QColor(240, 50, 30));
        p.fillRect(image.rect(), gradient);
        return image;
    }();
    return bar;
}

} // namespace

bool SpectrumDisplay::takeFrame(uint32_t nowMs)
{
    // Unsigned difference: the clock's wrap at 32 bits does not stall it.
    if (m_anyFrame && nowMs - m_lastFrameMs < uint32_t(kSpectrumPeriodMs))
        return false;
    m_anyFrame = true;
    m_lastFrameMs = nowMs;
    return true;
}

void SpectrumDisplay::step(std::span<const int> levels)
{
    for (size_t band = 0; band < size_t(kBands); ++band) {
        const int level = band < levels.size() ? levels[band] : 0;
        const int height = std::clamp(level, 0, kMaxBar);
        m_bars[band] = height;
        Peak& peak = m_peaks[band];
        if (height > peak.height) {
            peak.height = height;
            peak.hold = kPeakHoldFrames;
        } else if (peak.hold > 0) {
            --peak.hold;
        } else {
            peak.height = std::max(peak.height - kPeakFall, 0);
        }
    }
    paintPicture();
}

void SpectrumDisplay::paintPicture()
{
    if (m_picture.isNull())
        m_picture = QImage(kPictureSize, QImage::Format_RGB32);
    m_picture.fill(Qt::black);
    QPainter p(&m_picture);
    const QImage& bar = barImage();
    const int bottom = kPictureSize.height();
    for (int band = 0; band < kBands; ++band) {
        const int x = band * kBandPitch;
        const int h = m_bars[size_t(band)];
        p.drawImage(QPoint(x, bottom - h), bar, QRect(0, bottom - h, kBarWidth, h));
        p.fillRect(QRect(x, kMaxBar - m_peaks[size_t(band)].height, kBarWidth, 2),
                   fromColorRef(kPeakGrey));
    }
}

int SpectrumDisplay::markerPosition(double level)
{
    const double x = 2.0 * std::fabs(level);
    const double position = double(kMaxMarker) * x * x;
    if (!(position > 0.0))
        return 0;
    return int(std::min(position, double(kMaxMarker)));
}

bool SpectrumDisplay::moveMarker(double level)
{
    const int position = markerPosition(level);
    if (position == m_marker)
        return false;
    m_marker = position;
    return true;
}

QImage SpectrumDisplay::markerStrip() const
{
    QImage strip(kMarkerStripSize, QImage::Format_RGB32);
    strip.fill(fromColorRef(kStripFace));
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(fromColorRef(kMarkerColor));
    const int top = kMaxMarker - std::max(m_marker, 0);
    p.drawEllipse(QRectF(0.5, top + 0.5, kMarkerSize - 1, kMarkerSize - 1));
    return strip;
}

} // namespace rz
