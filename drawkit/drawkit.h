#pragma once
// The drawing kit: free-standing routines on a QPainter (the framework's canvas
// of the windows) used by nearly every window, with the Windows-era rounding
// rules the windows were laid out with. Rectangles are TRect (right and bottom
// outside), colours TColor (0x00BBGGRR), both from the engine's canvas header.

#include "engine/canvas.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>

#include <cstdint>
#include <optional>

class QPainter;

// MulDiv (a * b / c in 64 bits, rounded half away from zero, -1 for a zero
// divisor) is the foundation's.
#include "foundation/core/muldiv.h"

// ---- colours ----

// The colour of a system colour index (the classic desktop scheme); black for
// an unknown index.
TColor SysColor(int index);
// Resolves a system colour (non-zero high byte: index in the low byte) to its
// red, green and blue; other colours are returned unchanged.
TColor ColorToRGB(TColor color);
// The channels of the colour after resolving a system colour; `fourth` is the
// high byte of the resolved value.
void ColorToRGBBytes(TColor color, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue,
                     std::uint8_t& fourth);
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);

// ---- rectangles ----

inline TRect MakeRect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }
inline TRect MakeBounds(int left, int top, int width, int height)
{
    return TRect{left, top, left + width, top + height};
}
inline void ShrinkRect(TRect& r, int d)
{
    r.Left += d;
    r.Top += d;
    r.Right -= d;
    r.Bottom -= d;
}
inline void OffsetRectBy(TRect& r, int dx, int dy)
{
    r.Left += dx;
    r.Top += dy;
    r.Right += dx;
    r.Bottom += dy;
}
// The same pixels as a QRect (whose right and bottom are inside).
inline QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }
inline TRect FromQRect(const QRect& r) { return TRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

// The picture's size fitted into the area keeping its aspect ratio, centred, in
// the area's own coordinates (0, 0 at its top-left corner). Without enlarging, a
// picture that fits keeps its size. A picture or area without extent (width or
// height 0 or less) gives an empty rectangle at the area's centre.
void FitRectProportional(const TRect& picture, const TRect& area, bool allowEnlarging, TRect& result);

// ---- bitmaps and regions ----

// A new image of the size in the format of the bit count: 0 the screen's
// format, 1, 4, 8 (indexed, with the system's standard palettes), 15, 16, 24,
// 32; any other count a 32-bit format. It starts black. Indexed images keep
// pixels but cannot be painted on with a QPainter.
QImage CreateBitmap(int width, int height, int bitsPerPixel);

// The region of the image's pixels that are not key-coloured: a pixel is key
// coloured when each of its channels lies between the key's channel and that
// channel plus the tolerance's (at most 255). None when no image is given.
std::optional<QRegion> CreateRegionFromBitmap(const QImage* bitmap, TColor key, TColor tolerance);

// ---- lines and text ----

// A line with the painter's pen from (x1, y1) to (x2, y2); for a one-pixel pen
// the end point is not drawn, as the system's line drawing does.
void DrawLine(QPainter& painter, int x1, int y1, int x2, int y2);

// One line of text in the painter's font and pen colour, centred in the
// rectangle: x = left + (width - text width) / 2, y = top + (height - text
// height) / 2, both truncated toward zero; (x, y) is the text's top-left corner.
void DrawTextCentered(QPainter& painter, const TRect& rect, const QString& text);

// The text word-wrapped to the rectangle's width and centred on each line, in a
// band of the wrapped text's height centred vertically in the rectangle: top =
// (top + bottom - height) / 2, truncated toward zero.
void DrawTextWrappedCentered(QPainter& painter, const TRect& rect, const QString& text);

enum class FontQuality { Default, NonAntialiased, Antialiased };

// A copy of a font that writes at an angle (tenths of a degree, counter-clockwise).
struct RotatedFont {
    QFont font;
    int angle = 0;
};
RotatedFont CreateRotatedFont(const QFont& font, int angle, FontQuality quality);

// Writes the text with its top-left corner at (x, y), rotated counter-clockwise
// by the angle in tenths of a degree, antialiased; the painter's font is left
// as it was.
void TextOutRotated(QPainter& painter, int x, int y, int angle, const QString& text);

// ---- shapes with the system's box rules (used by the canvas and the gradients) ----

// Rectangle and ellipse inside the box with the painter's pen and brush: a
// one-pixel outline covers the box's outer pixels; without a pen the filled
// inside is one pixel narrower and lower, as on the system.
void PaintRectangle(QPainter& painter, const TRect& r);
void PaintEllipse(QPainter& painter, const TRect& r);
