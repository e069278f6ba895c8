#include "drawkit/gradients.h"

#include "drawkit/drawkit.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <vector>
#include <cstdlib>
#include <optional>

TColGrad::TColGrad(TColor from, TColor to, std::uint16_t steps) : m_steps(steps)
{
    std::uint8_t x;
    ColorToRGBBytes(from, m_r0, m_g0, m_b0, x);
    ColorToRGBBytes(to, m_r1, m_g1, m_b1, x);
    m_dr = int(m_r1) - int(m_r0);
    m_dg = int(m_g1) - int(m_g0);
    m_db = int(m_b1) - int(m_b0);
}

TColor TColGrad::ColorAt(int i) const
{
    if (m_steps == 0)  // no ramp to divide: the ends only
        return i < 1 ? RGBColor(m_r0, m_g0, m_b0) : RGBColor(m_r1, m_g1, m_b1);
    auto channel = [&](int start, int diff) { return std::clamp(start + MulDiv(diff, i, m_steps), 0, 255); };
    return RGBColor(channel(m_r0, m_dr), channel(m_g0, m_dg), channel(m_b0, m_db));
}

void FillGradient(QPainter& painter, const TRect& rect, TColor from, TColor to, bool vertical)
{
    if (rect.IsEmpty())
        return;
    const int e = vertical ? rect.Height() : rect.Width();
    const int n = std::min(e, 255);
    const TColGrad ramp(from, to, std::uint16_t(n));
    int prev = 0;  // band i runs from MulDiv(i - 1, e, n) to MulDiv(i, e, n); band 0 is empty
    for (int i = 0; i <= n; ++i) {
        const int off = MulDiv(i, e, n);
        if (off > prev) {
            const QColor c = ToQColor(ramp.ColorAt(i));
            if (vertical)
                painter.fillRect(QRect(rect.Left, rect.Top + prev, rect.Width(), off - prev), c);
            else
                painter.fillRect(QRect(rect.Left + prev, rect.Top, off - prev, rect.Height()), c);
        }
        prev = off;
    }
}

void FillSplitGradient(QPainter& painter, const TRect& rect, TColor inner, TColor outer, bool vertical,
                       int position)
{
    position = std::clamp(position, 0, 10);
    if (vertical) {
        const int s = rect.Top + MulDiv(rect.Height(), position, 10);
        FillGradient(painter, TRect{rect.Left, rect.Top, rect.Right, s}, outer, inner, true);
        FillGradient(painter, TRect{rect.Left, s, rect.Right, rect.Bottom}, inner, outer, true);
    } else {
        const int s = rect.Left + MulDiv(rect.Width(), position, 10);
        FillGradient(painter, TRect{rect.Left, rect.Top, s, rect.Bottom}, outer, inner, false);
        FillGradient(painter, TRect{s, rect.Top, rect.Right, rect.Bottom}, inner, outer, false);
    }
}

namespace {

// The concentric ellipses themselves, at the rectangle.
void PaintRadial(QPainter& painter, const TRect& rect, TColor centre, TColor outer, int cx, int cy, long long n)
{
    // The ramp counts its steps in 16 bits; a wider gradient reads it scaled.
    const int steps = int(std::min<long long>(n, 65535));
    const TColGrad ramp(outer, centre, std::uint16_t(steps));
    painter.save();
    for (long long l = 0; l <= n; ++l) {
        const TRect e{int(rect.Left + l * (cx - rect.Left) / n), int(rect.Top + l * (cy - rect.Top) / n),
                      int(rect.Right + l * (cx - rect.Right) / n), int(rect.Bottom + l * (cy - rect.Bottom) / n)};
        const int step = steps == n ? int(l) : int(l * steps / n);
        const QColor c = ToQColor(ramp.ColorAt(step));
        painter.setPen(QPen(c, 1));
        painter.setBrush(c);
        PaintEllipse(painter, e);
    }
    painter.restore();
}

// A large panel repaints its radial gradient with hundreds of ellipses; the
// result is kept per size, centre and colours and drawn as an image. Only
// where the image gives the very same pixels: the centre inside the rectangle
// (so every ellipse is too), a whole-pixel translation at most, no
// antialiasing, plain source-over painting.
struct RadialKey {
    int width, height, dx, dy;
    TColor centre, outer;
    bool operator==(const RadialKey&) const = default;
};
struct RadialEntry {
    RadialKey key;
    QImage image;
};
constexpr std::size_t kRadialCacheEntries = 4;

std::vector<RadialEntry>& RadialCache()
{
    static std::vector<RadialEntry> cache;
    return cache;
}

bool CanUseImage(const QPainter& painter)
{
    const QTransform t = painter.worldTransform();
    if (t.type() > QTransform::TxTranslate)
        return false;
    if (t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy()))
        return false;
    return !painter.testRenderHint(QPainter::Antialiasing) &&
           painter.compositionMode() == QPainter::CompositionMode_SourceOver && painter.opacity() == 1.0;
}

} // namespace

void ClearRadialGradientCache() { RadialCache().clear(); }
std::size_t RadialGradientCacheSize() { return RadialCache().size(); }

void FillRadialGradient(QPainter& painter, const TRect& rect, TColor centre, TColor outer, int centreX,
                        int centreY)
{
    const int cx = centreX == kGradientDefaultCentre ? rect.Left + rect.Width() * 3 / 8 : centreX;
    const int cy = centreY == kGradientDefaultCentre ? rect.Top + rect.Height() * 3 / 8 : centreY;
    const long long n = std::max({std::llabs((long long)cx - rect.Left), std::llabs((long long)cx - rect.Right),
                                  std::llabs((long long)cy - rect.Bottom), std::llabs((long long)cy - rect.Top)});
    if (n == 0)
        return;
    const bool inside = cx >= rect.Left && cx <= rect.Right && cy >= rect.Top && cy <= rect.Bottom;
    if (!inside || rect.IsEmpty() || !CanUseImage(painter)) {
        PaintRadial(painter, rect, centre, outer, cx, cy, n);
        return;
    }
    const RadialKey key{rect.Width(), rect.Height(), cx - rect.Left, cy - rect.Top, centre, outer};
    std::vector<RadialEntry>& cache = RadialCache();
    auto it = std::find_if(cache.begin(), cache.end(), [&](const RadialEntry& e) { return e.key == key; });
    if (it == cache.end()) {
        QImage image(rect.Width(), rect.Height(), QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) {   // no memory for it: draw directly
            PaintRadial(painter, rect, centre, outer, cx, cy, n);
            return;
        }
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            PaintRadial(p, TRect{0, 0, rect.Width(), rect.Height()}, centre, outer, key.dx, key.dy, n);
        }
        if (cache.size() >= kRadialCacheEntries)
            cache.erase(cache.begin());
        cache.push_back(RadialEntry{key, std::move(image)});
        it = cache.end() - 1;
    }
    painter.drawImage(QPoint(rect.Left, rect.Top), it->image);
}

// ---- bevel ----

namespace {
// The pixels of the painter's device under the rectangle, when they can be read.
std::optional<QImage> grab(QPainter& painter, const QRect& r)
{
    QPaintDevice* dev = painter.device();
    if (!dev)
        return std::nullopt;
    const QRect dr = painter.deviceTransform().mapRect(r);
    if (dev->devType() == QInternal::Image)
        return static_cast<QImage*>(dev)->copy(dr);
    if (dev->devType() == QInternal::Pixmap)
        return static_cast<QPixmap*>(dev)->copy(dr).toImage();
    return std::nullopt;
}

// Which band a pixel lies in: 0 none, 1 top or left, 2 bottom or right. The
// nearest edge decides; top and left win ties, so the top and right bands meet
// on the diagonal of the top-right corner, the left and bottom ones on that of
// the bottom-left corner.
int bandOf(int x, int y, int w, int h, int border)
{
    const int top = y, left = x, bottom = h - 1 - y, right = w - 1 - x;
    const int nearest = std::min({top, left, bottom, right});
    if (nearest >= border)
        return 0;
    if (top == nearest || left == nearest)
        return 1;
    return 2;
}
}  // namespace

TGamma::TGamma() : m_work(16, 16, QImage::Format_RGB888)
{
    m_work.fill(0);
}

void TGamma::ShadeBorder(QImage& image, int border, bool pressed)
{
    if (border <= 0 || image.isNull())
        return;
    if (image.format() != QImage::Format_RGB888)
        image = image.convertToFormat(QImage::Format_RGB888);
    const int w = image.width(), h = image.height();
    const int shadeFirst = pressed ? 0 : 128;  // top and left
    const int shadeSecond = pressed ? 128 : 0;  // bottom and right
    for (int y = 0; y < h; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const int band = bandOf(x, y, w, h, border);
            if (band == 0)
                continue;
            const int shade = band == 1 ? shadeFirst : shadeSecond;
            for (int k = 0; k < 3; ++k)
                line[3 * x + k] = uchar(line[3 * x + k] / 2 + shade);
        }
    }
}

void TGamma::DrawBevel(QPainter& dest, const TRect& rect, int border, bool pressed, QPainter* source)
{
    if (rect.IsEmpty())
        return;
    const int w = rect.Width(), h = rect.Height();
    const std::optional<QImage> picture = source ? grab(*source, QRect(0, 0, w, h)) : grab(dest, ToQRect(rect));
    if (picture) {
        m_work = picture->convertToFormat(QImage::Format_RGB888);
        ShadeBorder(m_work, border, pressed);
        dest.drawImage(rect.Left, rect.Top, m_work);
        return;
    }
    // A surface whose pixels cannot be read (a widget): the same shading as a
    // half-transparent layer, black or white, over the border band.
    QImage layer(w, h, QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    const QRgb dark = qRgba(0, 0, 0, 128), light = qRgba(255, 255, 255, 128);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int band = bandOf(x, y, w, h, border);
            if (band != 0)
                layer.setPixel(x, y, (band == 1) == pressed ? dark : light);
        }
    m_work = QImage(w, h, QImage::Format_RGB888);
    m_work.fill(0);
    dest.drawImage(rect.Left, rect.Top, layer);
}
