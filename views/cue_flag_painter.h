#pragma once

#include "core/color.h"

#include <QFont>
#include <QRect>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QFontMetrics;
class QPainter;

namespace rz {

struct CCue;
struct TimeAxis;
using CueList = std::vector<std::unique_ptr<CCue>>;
class ISongDisplayOptions;
class ITransportLink;

// A cue's flag as every view draws it above its time axis: a box in the
// kind's colour with the kind's image and the label, a raised border, lines
// under it spanning the cue's two times, and a tracker outline when the cue
// is selected. GUI thread.
class CueFlagPainter {
public:
    static constexpr int kFlagHeight = 14;
    static constexpr int kEmptyWidth = 16;
    static constexpr int kLabelExtra = 21;
    static constexpr int kTopGap = 2; // pixels between the ruler and a flag

    // "Arial", 15 pixels, normal weight, antialiased.
    static QFont flagFont();
    // 16 for an empty label, else the label's width plus 21.
    static int GetFlagWidth(const CCue& cue, const QFontMetrics& metrics);
    // The flag of a cue whose two times lie at x1 and x2, its top at `top`;
    // one starting left of -5 is moved to start at 0.
    static QRect GetFlagRect(const CCue& cue, const QFontMetrics& metrics, int x1, int x2, int top);
    // The same above a plot starting at `plotLeft`: a flag that would start
    // left of the plot starts at its left edge, so the first flag is never
    // cut by the margin.
    static QRect GetFlagRect(const CCue& cue, const QFontMetrics& metrics, int x1, int x2, int top, int plotLeft);
    // Every cue's flag above a plot on `axis`, in the list's order.
    static std::vector<QRect> flagRects(const CueList& cues, const TimeAxis& axis, int top, int plotLeft);
    // The same for a plot whose x of a tick `xOfTick` gives (clock time too).
    static std::vector<QRect> flagRects(const CueList& cues, const std::function<int(int32_t)>& xOfTick, int top,
                                        int plotLeft);
    // Draws the flag into `flag` (from GetFlagRect) with the given colours.
    static void DrawFlag(QPainter& painter, const CCue& cue, const QRect& flag, int x1, int x2,
                         uint32_t selectionStamp, Color fill, Color text);
    // The same with the cue's own colours (the running vamp lightened).
    static void DrawFlag(QPainter& painter, const CCue& cue, const QRect& flag, int x1, int x2,
                         uint32_t selectionStamp, const ISongDisplayOptions& options,
                         const ITransportLink& engine);
    static bool isSelected(const CCue& cue, uint32_t selectionStamp);

    // The cue-type list's flag: an unnamed cue of `kind` filled with
    // `color`, drawn into the item's flag cell.
    static void paintKindSample(QPainter& painter, const QRect& cell, int kind, Color color);
};

} // namespace rz
