// The radial gradient drawn again from its kept image: the same pixels as
// drawing the ellipses, for the same size, centre and colours.
#include "drawkit/gradients.h"
#include "support/fixtures.h"

#include <QPainter>

namespace {

QImage white(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

const TColor kCentre = RGBColor(255, 255, 0);
const TColor kOuter = RGBColor(0, 0, 255);

QImage radial(int w, int h, const TRect& r, TColor centre, TColor outer, bool direct = false)
{
    QImage img = white(w, h);
    QPainter p(&img);
    // Source painting of opaque colours gives the same pixels as the usual
    // source-over, but is drawn ellipse by ellipse, never from the kept image.
    if (direct)
        p.setCompositionMode(QPainter::CompositionMode_Source);
    FillRadialGradient(p, r, centre, outer, kGradientDefaultCentre, kGradientDefaultCentre);
    return img;
}

// The cache is process-wide: the fixture empties it.
using RadialGradientCache = ProcessStateTest;

} // namespace

TEST_F(RadialGradientCache, KeptImageGivesTheSamePixels)
{
    ClearRadialGradientCache();
    const QImage direct = radial(120, 90, TRect{0, 0, 120, 90}, kCentre, kOuter, true);
    EXPECT_EQ(RadialGradientCacheSize(), 0u);
    const QImage first = radial(120, 90, TRect{0, 0, 120, 90}, kCentre, kOuter);
    EXPECT_EQ(RadialGradientCacheSize(), 1u);
    const QImage again = radial(120, 90, TRect{0, 0, 120, 90}, kCentre, kOuter);
    EXPECT_EQ(RadialGradientCacheSize(), 1u);
    EXPECT_EQ(first, direct);
    EXPECT_EQ(again, direct);
    // Elsewhere on a larger surface: the same gradient, moved.
    const QImage moved = radial(150, 120, TRect{20, 10, 140, 100}, kCentre, kOuter);
    EXPECT_EQ(RadialGradientCacheSize(), 1u);
    EXPECT_EQ(moved.copy(20, 10, 120, 90), direct);
    EXPECT_EQ(moved.pixel(5, 5), QColor(Qt::white).rgb());
}

TEST_F(RadialGradientCache, KeyedBySizeAndColoursAndBounded)
{
    ClearRadialGradientCache();
    radial(60, 60, TRect{0, 0, 60, 60}, kCentre, kOuter);
    const QImage other = radial(60, 60, TRect{0, 0, 60, 60}, kOuter, kCentre);
    EXPECT_EQ(RadialGradientCacheSize(), 2u);
    EXPECT_EQ(other, radial(60, 60, TRect{0, 0, 60, 60}, kOuter, kCentre, true));
    for (int w = 10; w < 20; ++w)
        radial(w, w, TRect{0, 0, w, w}, kCentre, kOuter);
    EXPECT_LE(RadialGradientCacheSize(), 4u);
    // A centre outside the rectangle is drawn directly (its ellipses leave it).
    ClearRadialGradientCache();
    QImage img = white(40, 40);
    {
        QPainter p(&img);
        FillRadialGradient(p, TRect{0, 0, 20, 20}, kCentre, kOuter, 30, 30);
    }
    EXPECT_EQ(RadialGradientCacheSize(), 0u);
    EXPECT_NE(img.pixel(25, 25), QColor(Qt::white).rgb());
}
