#pragma once

#include <QImage>
#include <QSize>

#include <array>
#include <cstdint>
#include <span>

namespace rz {

// The GUI side of the spectrum: the bars of the 19 band levels, each with a
// peak mark that holds 10 frames and then falls 5 pixels a frame, painted
// into a 154 x 110 picture; and the level marker's position. GUI thread.
class SpectrumDisplay {
public:
    static constexpr int kBands = 19;
    static constexpr QSize kPictureSize{154, 110};
    static constexpr int kBandPitch = 8; // pixels from one bar to the next
    static constexpr int kBarWidth = 6;
    static constexpr int kMaxBar = 108;
    static constexpr int kPeakHoldFrames = 10;
    static constexpr int kPeakFall = 5;
    static constexpr int kSpectrumPeriodMs = 50;
    // The level marker: a 13 x 13 mark in a 13 x 123 strip, 0..110 from the bottom.
    static constexpr QSize kMarkerStripSize{13, 123};
    static constexpr int kMarkerSize = 13;
    static constexpr int kMaxMarker = 110;

    // One frame of the bars from band levels (0..200; more is cut to the
    // picture). Levels beyond the 19th are ignored.
    void step(std::span<const int> levels);
    // Whether a spectrum frame is due at `nowMs` (at most one per 50 ms);
    // marks it taken when it is.
    bool takeFrame(uint32_t nowMs);

    int barHeight(int band) const { return m_bars[size_t(band)]; }
    int peak(int band) const { return m_peaks[size_t(band)].height; }
    const QImage& picture() const { return m_picture; }

    // trunc(110 x (2|level|)^2), kept in 0..110; a NaN level is 0.
    static int markerPosition(double level);
    // True when the marker moved (the strip needs painting).
    bool moveMarker(double level);
    int marker() const { return m_marker; }
    // The strip with the mark at the marker's height.
    QImage markerStrip() const;

private:
    struct Peak {
        int height = 0;
        int hold = 0;
    };

    void paintPicture();

    std::array<int, kBands> m_bars{};
    std::array<Peak, kBands> m_peaks{};
    QImage m_picture;
    bool m_anyFrame = false;
    uint32_t m_lastFrameMs = 0;
    int m_marker = -1; // -1: not drawn yet
};

} // namespace rz
