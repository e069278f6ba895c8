#include "drawkit/drawkit.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QVector>

#include <algorithm>
#include <cstdlib>

// ---- colours ----

namespace {
// The classic desktop scheme, by system colour index.
constexpr TColor kSysColors[] = {
    RGBColor(200, 200, 200),  // 0 scroll bar
    RGBColor(0, 0, 0),        // 1 desktop
    RGBColor(153, 180, 209),  // 2 active caption
    RGBColor(191, 205, 219),  // 3 inactive caption
    RGBColor(240, 240, 240),  // 4 menu
    RGBColor(255, 255, 255),  // 5 window
    RGBColor(100, 100, 100),  // 6 window frame
    RGBColor(0, 0, 0),        // 7 menu text
    RGBColor(0, 0, 0),        // 8 window text
    RGBColor(0, 0, 0),        // 9 caption text
    RGBColor(180, 180, 180),  // 10 active border
    RGBColor(244, 247, 252),  // 11 inactive border
    RGBColor(171, 171, 171),  // 12 application workspace
    RGBColor(51, 153, 255),   // 13 highlight
    RGBColor(255, 255, 255),  // 14 highlighted text
    RGBColor(240, 240, 240),  // 15 button face
    RGBColor(160, 160, 160),  // 16 button shadow
    RGBColor(109, 109, 109),  // 17 grey text
    RGBColor(0, 0, 0),        // 18 button text
    RGBColor(67, 78, 84),     // 19 inactive caption text
    RGBColor(255, 255, 255),  // 20 button highlight
    RGBColor(105, 105, 105),  // 21 3D dark shadow
    RGBColor(227, 227, 227),  // 22 3D light
    RGBColor(0, 0, 0),        // 23 tooltip text
    RGBColor(255, 255, 225),  // 24 tooltip background
    RGBColor(0, 0, 0),        // 25 (unused)
    RGBColor(0, 102, 204),    // 26 hot-track
    RGBColor(185, 209, 234),  // 27 active caption gradient
    RGBColor(215, 228, 242),  // 28 inactive caption gradient
    RGBColor(51, 153, 255),   // 29 menu highlight
    RGBColor(240, 240, 240),  // 30 menu bar
};
}  // namespace

TColor SysColor(int index)
{
    if (index < 0 || index >= int(std::size(kSysColors)))
        return clBlack;
    return kSysColors[index];
}

TColor ColorToRGB(TColor color)
{
    if ((color >> 24) != 0)
        return SysColor(int(color & 0xFF));
    return color;
}

void ColorToRGBBytes(TColor color, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue, std::uint8_t& fourth)
{
    const TColor c = ColorToRGB(color);
    red = std::uint8_t(c & 0xFF);
    green = std::uint8_t((c >> 8) & 0xFF);
    blue = std::uint8_t((c >> 16) & 0xFF);
    fourth = std::uint8_t((c >> 24) & 0xFF);
}

QColor ToQColor(TColor color)
{
    const TColor c = ColorToRGB(color);
    return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c));
}

TColor FromQColor(const QColor& color)
{
    return RGBColor(color.red(), color.green(), color.blue());
}

// ---- rectangles ----

void FitRectProportional(const TRect& picture, const TRect& area, bool allowEnlarging, TRect& result)
{
    const int aw = area.Width();
    const int ah = area.Height();
    int w = picture.Width();
    int h = picture.Height();
    if (aw <= 0 || ah <= 0 || w <= 0 || h <= 0) {
        // No aspect ratio to keep: nothing is shown.
        const int cx = std::max(0, aw) / 2;
        const int cy = std::max(0, ah) / 2;
        result = TRect{cx, cy, cx, cy};
        return;
    }
    if (double(aw) / ah > double(w) / h) {
        if (allowEnlarging || ah < h) {
            w = MulDiv(w, ah, h);
            h = ah;
        }
    } else {
        if (allowEnlarging || aw < w) {
            h = MulDiv(h, aw, w);
            w = aw;
        }
    }
    const int x = (aw - w) / 2;
    const int y = (ah - h) / 2;
    result = TRect{x, y, x + w, y + h};
}

// ---- bitmaps and regions ----

namespace {
QList<QRgb> vgaPalette()
{
    static const int c[16][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                 {0, 0, 128},   {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                 {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
                                 {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    QList<QRgb> t;
    for (const auto& e : c)
        t.append(qRgb(e[0], e[1], e[2]));
    return t;
}

QList<QRgb> palette256()
{
    QList<QRgb> t = vgaPalette();
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                t.append(qRgb(r * 51, g * 51, b * 51));
    for (int i = 1; i <= 24; ++i)
        t.append(qRgb(i * 10, i * 10, i * 10));
    return t;
}
}  // namespace

QImage CreateBitmap(int width, int height, int bitsPerPixel)
{
    width = std::max(0, width);
    height = std::max(0, height);
    QImage img;
    switch (bitsPerPixel) {
    case 1:
        img = QImage(width, height, QImage::Format_Mono);
        img.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        break;
    case 4:
        img = QImage(width, height, QImage::Format_Indexed8);
        img.setColorTable(vgaPalette());
        break;
    case 8:
        img = QImage(width, height, QImage::Format_Indexed8);
        img.setColorTable(palette256());
        break;
    case 15:
        img = QImage(width, height, QImage::Format_RGB555);
        break;
    case 16:
        img = QImage(width, height, QImage::Format_RGB16);
        break;
    case 24:
        img = QImage(width, height, QImage::Format_RGB888);
        break;
    default:  // 0 (the screen's), 32 and the custom counts
        img = QImage(width, height, QImage::Format_RGB32);
        break;
    }
    if (!img.isNull())
        img.fill(0);
    return img;
}

std::optional<QRegion> CreateRegionFromBitmap(const QImage* bitmap, TColor key, TColor tolerance)
{
    if (!bitmap || bitmap->isNull())
        return std::nullopt;
    const QImage img = bitmap->convertToFormat(QImage::Format_RGB32);

    std::uint8_t kr, kg, kb, k4, tr, tg, tb, t4;
    ColorToRGBBytes(key, kr, kg, kb, k4);
    ColorToRGBBytes(tolerance, tr, tg, tb, t4);
    const int loR = kr, hiR = std::min(255, kr + tr);
    const int loG = kg, hiG = std::min(255, kg + tg);
    const int loB = kb, hiB = std::min(255, kb + tb);
    auto isKey = [&](QRgb p) {
        const int r = qRed(p), g = qGreen(p), b = qBlue(p);
        return r >= loR && r <= hiR && g >= loG && g <= hiG && b >= loB && b <= hiB;
    };

    // Rectangles go to the region in batches, as the system's region data does.
    constexpr int kBatch = 2000;
    QRegion result;
    QList<QRect> rects;
    rects.reserve(100);
    auto flush = [&] {
        if (rects.isEmpty())
            return;
        QRegion part;
        part.setRects(rects.constData(), int(rects.size()));
        result = result.united(part);
        rects.clear();
    };

    const int w = img.width();
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        int x = 0;
        while (x < w) {
            while (x < w && isKey(line[x]))
                ++x;
            const int x0 = x;
            while (x < w && !isKey(line[x]))
                ++x;
            if (x > x0) {
                rects.append(QRect(x0, y, x - x0, 1));
                if (rects.size() == kBatch)
                    flush();
            }
        }
    }
    flush();
    return result;
}

// ---- lines and text ----

void DrawLine(QPainter& painter, int x1, int y1, int x2, int y2)
{
    const QPen pen = painter.pen();
    if (pen.style() == Qt::NoPen)
        return;
    if (pen.width() > 1) {
        // A wide pen draws the whole line as a shape, end included.
        painter.drawLine(x1, y1, x2, y2);
        return;
    }
    const int dx = x2 - x1;
    const int dy = y2 - y1;
    if (dx == 0 && dy == 0)
        return;  // nothing but the end point, which is not drawn
    // Stop one pixel short along the longer axis.
    int ex, ey;
    if (std::abs(dx) >= std::abs(dy)) {
        const int n = std::abs(dx);
        ex = x2 - (dx > 0 ? 1 : -1);
        ey = y1 + MulDiv(dy, n - 1, n);
    } else {
        const int n = std::abs(dy);
        ey = y2 - (dy > 0 ? 1 : -1);
        ex = x1 + MulDiv(dx, n - 1, n);
    }
    if (ex == x1 && ey == y1)
        painter.drawPoint(x1, y1);
    else
        painter.drawLine(x1, y1, ex, ey);
}

void DrawTextCentered(QPainter& painter, const TRect& rect, const QString& text)
{
    const QFontMetrics fm(painter.font(), painter.device());
    const int x = rect.Left + (rect.Width() - fm.horizontalAdvance(text)) / 2;
    const int y = rect.Top + (rect.Height() - fm.height()) / 2;
    painter.drawText(x, y + fm.ascent(), text);
}

void DrawTextWrappedCentered(QPainter& painter, const TRect& rect, const QString& text)
{
    const QFontMetrics fm(painter.font(), painter.device());
    const int flags = Qt::TextWordWrap | Qt::AlignHCenter | Qt::AlignTop;
    const QRect measured = fm.boundingRect(QRect(rect.Left, rect.Top, std::max(0, rect.Width()), 0), flags, text);
    const int h = measured.height();
    const int top = (rect.Top + rect.Bottom - h) / 2;
    painter.drawText(QRect(rect.Left, top, std::max(0, rect.Width()), h), flags, text);
}

RotatedFont CreateRotatedFont(const QFont& font, int angle, FontQuality quality)
{
    RotatedFont r{font, angle};
    switch (quality) {
    case FontQuality::Antialiased:
        r.font.setStyleStrategy(QFont::PreferAntialias);
        break;
    case FontQuality::NonAntialiased:
        r.font.setStyleStrategy(QFont::NoAntialias);
        break;
    case FontQuality::Default:
        break;
    }
    return r;
}

void TextOutRotated(QPainter& painter, int x, int y, int angle, const QString& text)
{
    const RotatedFont rf = CreateRotatedFont(painter.font(), angle, FontQuality::Antialiased);
    painter.save();
    painter.setFont(rf.font);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const QFontMetrics fm(rf.font, painter.device());
    painter.translate(x, y);
    // Counter-clockwise on the screen is a negative angle in y-down coordinates.
    painter.rotate(-rf.angle / 10.0);
    painter.drawText(0, fm.ascent(), text);
    painter.restore();
}

// ---- shapes ----

namespace {
bool onePixelPen(const QPen& pen) { return pen.style() != Qt::NoPen && pen.width() <= 1; }
}  // namespace

void PaintRectangle(QPainter& painter, const TRect& r)
{
    if (r.IsEmpty())
        return;
    const QPen pen = painter.pen();
    const QBrush brush = painter.brush();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (pen.style() == Qt::NoPen) {
        if (brush.style() != Qt::NoBrush && r.Width() > 1 && r.Height() > 1)
            painter.fillRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1), brush);
    } else {
        if (brush.style() != Qt::NoBrush)
            painter.fillRect(ToQRect(r), brush);
        painter.setBrush(Qt::NoBrush);
        if (onePixelPen(pen)) {
            // The outline of QRect(x, y, w - 1, h - 1) covers w x h pixels.
            painter.drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
        } else {
            // A wide pen stays inside the box.
            const double half = pen.width() / 2.0;
            painter.drawRect(QRectF(r.Left + half, r.Top + half, std::max(0.0, r.Width() - 2 * half),
                                    std::max(0.0, r.Height() - 2 * half)));
        }
    }
    painter.restore();
}

void PaintEllipse(QPainter& painter, const TRect& r)
{
    if (r.IsEmpty())
        return;
    const QPen pen = painter.pen();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (onePixelPen(pen) && (r.Width() <= 2 || r.Height() <= 2)) {
        // As small as that, the ellipse is its box (the rasteriser would drop it).
        painter.fillRect(ToQRect(r), pen.color());
    } else if (pen.style() == Qt::NoPen || onePixelPen(pen)) {
        // Aliased, the outline of this box covers exactly the box's pixels.
        painter.drawEllipse(QRectF(r.Left + 0.5, r.Top + 0.5, r.Width() - 1, r.Height() - 1));
    } else {
        const double half = pen.width() / 2.0;
        painter.drawEllipse(QRectF(r.Left + half, r.Top + half, std::max(0.0, r.Width() - 2 * half),
                                   std::max(0.0, r.Height() - 2 * half)));
    }
    painter.restore();
}
