#pragma once

#include "core/color.h"

#include <QComboBox>

#include <functional>

class QPainter;

namespace rz {

// Draws a cue's flag glyph into a rectangle. The editing views install
// their own; until then the flag is a plain fill in the kind's colour.
using CueFlagPaintHook = std::function<void(QPainter&, const QRect&, int kind, Color color)>;
void setCueFlagPaintHook(CueFlagPaintHook hook);
const CueFlagPaintHook& cueFlagPaintHook();

// A drop-down list of the cue kinds, each drawn with its flag, item data the
// kind. The unused kind "-" is not offered, so index and kind differ from
// "Advance & Cut" on.
class CueTypeCombo : public QComboBox {
    Q_OBJECT

public:
    static constexpr int kItemHeight = 17;
    static constexpr int kFlagWidth = 20;

    explicit CueTypeCombo(QWidget* parent = nullptr);

    void FillCueTypes();
    int kindAt(int index) const;
    // Where the flags take their colours; the built-in default is white.
    void setColorSource(std::function<Color(int kind)> source);
    Color colorOf(int kind) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<Color(int)> m_colors;
};

} // namespace rz
