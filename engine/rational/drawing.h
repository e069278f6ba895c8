#pragma once
// Drawing procedures of the rational built-ins (the node first, then the
// parameters of Measure and Draw).

#include "engine/canvas.h"

namespace rational {

class TEval;

void MeasureReciprocal(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below);
void DrawReciprocal(TEval* node, Canvas& canvas, int x, int y, int size);
void MeasureSquare(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below);
void DrawSquare(TEval* node, Canvas& canvas, int x, int y, int size);
void MeasureSqrt(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below);
void DrawSqrt(TEval* node, Canvas& canvas, int x, int y, int size);
void MeasureAbsValue(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below);
void DrawAbsValue(TEval* node, Canvas& canvas, int x, int y, int size);

} // namespace rational
