#pragma once
// The desktop's work area for edge snapping: the primary screen less the
// docked strip (the panel or task bar), by the four rules of
// WorkAreaFromDockedStrip.
#include "foundation/core/basicos.h"

#include <QRect>

// The docked strip, in the screen's own coordinates, from the screen's whole
// and available rectangles: the side where the available part falls short
// (bottom, top, right, left, in that order); all zero when there is none.
TRect DockedStripFromGeometry(const QRect& screen, const QRect& available);
// The primary screen's docked strip.
TRect ReadDockedStripRect();
// The work area in screen coordinates.
TRect GetDesktopWorkArea();
