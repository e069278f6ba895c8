#pragma once
// The drawing surface the engines draw formulas on. QtCore only: the screen
// (QPainterCanvas, drawing kit), the recorded picture (FormulaPicture) and the
// tests' fixed-width canvas implement it.
//
// Coordinates are whole pixels, y downward. Rectangles follow the Windows rule:
// the right and bottom edges are outside (a rectangle (0, 0, 2, 2) covers 2 x 2
// pixels).

#include <QList>
#include <QString>

#include "foundation/core/geometry.h"

#include <cstdint>

// A colour as the Windows-era code keeps it: 0x00BBGGRR (red in the lowest
// byte). A non-zero high byte marks a system colour whose index is the low byte.
using TColor = std::uint32_t;

constexpr TColor RGBColor(int r, int g, int b)
{
    return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}
constexpr int ColorRed(TColor c) { return int(c & 0xFF); }
constexpr int ColorGreen(TColor c) { return int((c >> 8) & 0xFF); }
constexpr int ColorBlue(TColor c) { return int((c >> 16) & 0xFF); }

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBtnFace = 0xFF00000F;  // system colour 15

// Font styles, combined as bits.
enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// A font as the drawing code asks for it. Height follows the Windows sign
// convention: negative -n asks for a character height of n pixels (the em),
// positive n for a cell height of n pixels (ascent + descent, internal leading
// included), 0 for the smallest font (never a large default).
struct CanvasFont {
    QString Name = QStringLiteral("Arial");
    int Height = -12;
    TFontStyles Style = 0;
    TColor Color = clBlack;
    bool operator==(const CanvasFont&) const = default;
};

// Font height for a size in points on a surface of `pixelsPerInch`, as the
// framework's Font.Size setter computes it: -MulDiv(points, ppi, 72). A negative
// point size thus gives a positive (cell) height.
inline int FontHeightFromPoints(int points, int pixelsPerInch = 96)
{
    // MulDiv: the product divided by 72, rounded half away from zero.
    const long long p = static_cast<long long>(points) * pixelsPerInch;
    const long long q = p >= 0 ? (p + 36) / 72 : (p - 36) / 72;
    return static_cast<int>(-q);
}

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
struct CanvasPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
    bool operator==(const CanvasPen&) const = default;
};

enum TBrushStyle { bsSolid, bsClear };
struct CanvasBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
    bool operator==(const CanvasBrush&) const = default;
};

// Answers the measuring questions for a font. A recorded picture is given one so
// that measuring and later drawing on the screen use the same metrics.
class CanvasMetrics {
public:
    virtual ~CanvasMetrics() = default;
    // Width in pixels of the text in the font.
    virtual int textWidth(const CanvasFont& font, const QString& text) = 0;
    // Height in pixels of any line of text in the font (the cell height); it does
    // not depend on the text.
    virtual int textHeight(const CanvasFont& font) = 0;
};

// The canvas: current font, pen, brush and pen position, measuring, drawing.
// Public calls keep the state and hand the work to the implementation's hooks.
class Canvas {
public:
    Canvas() = default;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    virtual ~Canvas() = default;

    // State. Setting a value equal to the current one does nothing.
    const CanvasFont& font() const { return m_font; }
    void setFont(const CanvasFont& f);
    void setFontName(const QString& name);
    void setFontHeight(int height);
    void setFontStyle(TFontStyles style);
    void setFontColor(TColor color);
    // The font's size in points on this surface (the height becomes
    // FontHeightFromPoints(points, pixelsPerInch())).
    void setFontSize(int points) { setFontHeight(FontHeightFromPoints(points, pixelsPerInch())); }

    const CanvasPen& pen() const { return m_pen; }
    void setPen(const CanvasPen& p);
    void setPenColor(TColor color);
    void setPenWidth(int width);
    void setPenStyle(TPenStyle style);

    const CanvasBrush& brush() const { return m_brush; }
    void setBrush(const CanvasBrush& b);
    void setBrushColor(TColor color);
    void setBrushStyle(TBrushStyle style);

    TPoint penPos() const { return m_penPos; }

    // Resolution of the surface, for sizes given in points.
    virtual int pixelsPerInch() const { return 96; }

    // Measuring in the current font.
    int textWidth(const QString& text) { return measureWidth(text); }
    int textHeight(const QString& text = QString())
    {
        Q_UNUSED(text);
        return measureHeight();
    }

    // Drawing. Text goes with its cell's top-left corner at (x, y) in the font
    // colour, over a background in the brush colour when the brush is solid.
    void textOut(int x, int y, const QString& text);
    // Lines with the pen, the end point not drawn.
    void moveTo(int x, int y) { m_penPos = {x, y}; }
    void lineTo(int x, int y);
    void line(int x1, int y1, int x2, int y2);
    void polyline(const QList<TPoint>& points);
    // Outline with the pen, inside filled with the brush.
    void rectangle(const TRect& r);
    void rectangle(int left, int top, int right, int bottom) { rectangle(TRect{left, top, right, bottom}); }
    void ellipse(const TRect& r);
    void ellipse(int left, int top, int right, int bottom) { ellipse(TRect{left, top, right, bottom}); }
    // Filled with the brush, no outline.
    void fillRect(const TRect& r);

protected:
    // Hooks of the implementations. State hooks run after the value changed.
    virtual void fontChanged() {}
    virtual void penChanged() {}
    virtual void brushChanged() {}
    virtual int measureWidth(const QString& text) = 0;
    virtual int measureHeight() = 0;
    virtual void drawText(int x, int y, const QString& text) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2) = 0;
    virtual void drawPolyline(const QList<TPoint>& points) = 0;
    virtual void drawRectangle(const TRect& r) = 0;
    virtual void drawEllipse(const TRect& r) = 0;
    virtual void drawFillRect(const TRect& r) = 0;

private:
    CanvasFont m_font;
    CanvasPen m_pen;
    CanvasBrush m_brush;
    TPoint m_penPos;
};

// ---- inline implementation ----

inline void Canvas::setFont(const CanvasFont& f)
{
    if (f == m_font)
        return;
    m_font = f;
    fontChanged();
}
inline void Canvas::setFontName(const QString& name)
{
    CanvasFont f = m_font;
    f.Name = name;
    setFont(f);
}
inline void Canvas::setFontHeight(int height)
{
    CanvasFont f = m_font;
    f.Height = height;
    setFont(f);
}
inline void Canvas::setFontStyle(TFontStyles style)
{
    CanvasFont f = m_font;
    f.Style = style;
    setFont(f);
}
inline void Canvas::setFontColor(TColor color)
{
    CanvasFont f = m_font;
    f.Color = color;
    setFont(f);
}

inline void Canvas::setPen(const CanvasPen& p)
{
    if (p == m_pen)
        return;
    m_pen = p;
    penChanged();
}
inline void Canvas::setPenColor(TColor color)
{
    CanvasPen p = m_pen;
    p.Color = color;
    setPen(p);
}
inline void Canvas::setPenWidth(int width)
{
    CanvasPen p = m_pen;
    p.Width = width;
    setPen(p);
}
inline void Canvas::setPenStyle(TPenStyle style)
{
    CanvasPen p = m_pen;
    p.Style = style;
    setPen(p);
}

inline void Canvas::setBrush(const CanvasBrush& b)
{
    if (b == m_brush)
        return;
    m_brush = b;
    brushChanged();
}
inline void Canvas::setBrushColor(TColor color)
{
    CanvasBrush b = m_brush;
    b.Color = color;
    setBrush(b);
}
inline void Canvas::setBrushStyle(TBrushStyle style)
{
    CanvasBrush b = m_brush;
    b.Style = style;
    setBrush(b);
}

inline void Canvas::textOut(int x, int y, const QString& text)
{
    drawText(x, y, text);
}
inline void Canvas::lineTo(int x, int y)
{
    drawLine(m_penPos.X, m_penPos.Y, x, y);
    m_penPos = {x, y};
}
inline void Canvas::line(int x1, int y1, int x2, int y2)
{
    drawLine(x1, y1, x2, y2);
    m_penPos = {x2, y2};
}
inline void Canvas::polyline(const QList<TPoint>& points)
{
    if (points.isEmpty())
        return;
    drawPolyline(points);  // like the system's Polyline, the pen position stays
}
inline void Canvas::rectangle(const TRect& r) { drawRectangle(r); }
inline void Canvas::ellipse(const TRect& r) { drawEllipse(r); }
inline void Canvas::fillRect(const TRect& r) { drawFillRect(r); }
