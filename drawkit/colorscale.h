#pragma once
// Hue, saturation and lightness to a colour, and the value-to-colour scale of
// the periodic-table colourings.

#include "engine/canvas.h"

// Hue, saturation and lightness, each 0 to 1, to a colour. Saturation 0 gives
// the grey of the lightness (rounded half away from zero); otherwise each
// channel is rounded to the nearest integer, ties to even, and kept to 0..255.
TColor HSLToColor(double hue, double saturation, double lightness);

// The scale colour of a value: HSLToColor(v * 0.85, saturation, lightness) with
// v the value limited to 0..1 (a value that is not a number counts as 0): red at
// 0, through yellow, green, cyan and blue to a purple close to magenta at 1.
TColor ValueToScaleColor(double value, double saturation, double lightness);
