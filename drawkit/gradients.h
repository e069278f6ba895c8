#pragma once
// Colour gradients and bevel shading of the drawing kit.

#include "engine/canvas.h"

#include <QImage>
#include <cstddef>
#include <cstdint>

class QPainter;

// A colour ramp from a start colour to an end colour in n steps.
class TColGrad {
public:
    TColGrad(TColor from, TColor to, std::uint16_t steps);
    // Step i: each channel start + MulDiv(difference, i, n), kept to 0..255.
    // Step 0 is the start colour and step n the end colour; with no steps
    // (n = 0) every step below 1 is the start colour and the others the end.
    TColor ColorAt(int i) const;
    std::uint16_t steps() const { return m_steps; }

private:
    std::uint8_t m_r0, m_g0, m_b0;
    std::uint8_t m_r1, m_g1, m_b1;
    int m_dr, m_dg, m_db;
    std::uint16_t m_steps;
};

// Linear gradient over the rectangle, top to bottom when vertical, left to right
// otherwise, in min(extent, 255) bands; nothing on a rectangle without extent.
void FillGradient(QPainter& painter, const TRect& rect, TColor from, TColor to, bool vertical);

// Two gradients meeting at position tenths (0 to 10; outside that the nearest)
// of the rectangle: outer colour at the edges, inner colour at the split.
void FillSplitGradient(QPainter& painter, const TRect& rect, TColor inner, TColor outer, bool vertical,
                       int position);

// The centre coordinate that means three eighths of the extent.
constexpr int kGradientDefaultCentre = 0x0FFFFFFF;

// Concentric filled ellipses from the rectangle in to the centre point, from
// the outer colour to the centre colour.
void FillRadialGradient(QPainter& painter, const TRect& rect, TColor centre, TColor outer, int centreX,
                        int centreY);
// The last few radial gradients are kept as images (per size, centre and
// colours) and drawn from there when the same one is asked for again.
void ClearRadialGradientCache();
std::size_t RadialGradientCacheSize();

// The bevel painter: shades the border of a rectangle to look raised or pressed.
class TGamma {
public:
    TGamma();
    // Copies the rectangle's picture (from `source` at (0, 0) with the
    // rectangle's size when given, else from `dest` at the rectangle), replaces
    // every channel of the border band of width `border` by half its value plus
    // a shade (top and left 0 when pressed, 128 when raised; right and bottom the
    // other), and draws it back at the rectangle's top-left corner.
    void DrawBevel(QPainter& dest, const TRect& rect, int border, bool pressed, QPainter* source = nullptr);
    // The work bitmap (24 bits per pixel) as the last call left it.
    const QImage& workBitmap() const { return m_work; }

    // The shading alone, on an image of the rectangle's size.
    static void ShadeBorder(QImage& image, int border, bool pressed);

private:
    QImage m_work;
};
