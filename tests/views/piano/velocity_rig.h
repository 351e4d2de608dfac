#pragma once

#include "piano_rig.h"

#include "views/piano/velocity_edits.h"

namespace rz {

// The piano rig's song with the velocity view's geometry: one tick a
// column, rows 10 high from client y 40 (key area 880 high) under a
// 20-pixel ruler, keyboard 24 wide.
struct VelocityRig : PianoRig {
    VelocityGeometry vg;

    VelocityRig()
    {
        vg.axis = g.axis;
        vg.layout.rows = g.rows;
        vg.rulerHeight = g.rulerHeight;
        vg.stripWidth = g.stripWidth;
        vg.plot = g.plot;
        vg.clientWidth = g.clientWidth;
        vg.dragDistance = 2;
    }
    // The centre of a note's head.
    QPoint head(int32_t tick, int velocity) const { return VelocityEdits::tickValueToPoint(vg, tick, velocity); }
};

} // namespace rz
