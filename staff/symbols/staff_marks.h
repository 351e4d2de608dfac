#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include <array>
#include <cstdint>

class QPainter;

namespace rz {

// Draws a guitar chord diagram of six bytes (lowest string first: low three
// bits 0-4 a finger, 5 open, 6 muted, 7 nothing; bits 3-6 the fret) in
// `rect` with the chord's name above it; `progress` colours the strings an
// audition has sounded (5 and up: all). Six 0x86 bytes show the name alone.
// Returns the base fret shown beside the grid, 0 when the nut is drawn.
int DrawStaffMarks(QPainter& painter, QRect rect, const std::array<uint8_t, 6>& bytes,
                   const QString& name, int progress, const QFont& chordFont);

} // namespace rz
