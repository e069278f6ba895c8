// Colour ramps, linear, split and radial gradients, and the bevel painter.
#include "drawkit/drawkit.h"
#include "drawkit/gradients.h"
#include "support/testsupport.h"

#include <QPainter>
#include <QPicture>

namespace {

TColor pixelColor(const QImage& img, int x, int y)
{
    return FromQColor(img.pixelColor(x, y));
}

QImage filled(int w, int h, QColor c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// The colour of each row of a vertical gradient as the ramp's bands give it.
TColor expectedBandColor(const TColGrad& ramp, int offset, int extent)
{
    const int n = std::min(extent, 255);
    for (int i = 1; i <= n; ++i)
        if (offset < MulDiv(i, extent, n))
            return ramp.ColorAt(i);
    return 0xFFFFFFFF;
}

}  // namespace

TEST(TColGrad, StepsRoundWithMulDiv)
{
    const TColGrad up(RGBColor(0, 0, 0), RGBColor(255, 100, 10), 4);
    const TColGrad down(RGBColor(255, 100, 10), RGBColor(0, 0, 0), 4);
    struct Case {
        int i;
        TColor up, down;
    } cases[] = {
        {0, RGBColor(0, 0, 0), RGBColor(255, 100, 10)},
        {1, RGBColor(64, 25, 3), RGBColor(191, 75, 7)},   // 63.75, 2.5 -> 3; -63.75 -> -64, -2.5 -> -3
        {2, RGBColor(128, 50, 5), RGBColor(127, 50, 5)},  // 127.5 -> 128 (and -128)
        {3, RGBColor(191, 75, 8), RGBColor(64, 25, 2)},
        {4, RGBColor(255, 100, 10), RGBColor(0, 0, 0)},
        // Beyond the ends the channels stay within a byte.
        {8, RGBColor(255, 200, 20), RGBColor(0, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.i);
        EXPECT_EQ(up.ColorAt(c.i), c.up);
        EXPECT_EQ(down.ColorAt(c.i), c.down);
    }
}

TEST(TColGrad, NoStepsAndSystemColours)
{
    const TColGrad none(RGBColor(1, 2, 3), RGBColor(4, 5, 6), 0);  // no division by zero
    EXPECT_EQ(none.ColorAt(0), RGBColor(1, 2, 3));
    EXPECT_EQ(none.ColorAt(1), RGBColor(4, 5, 6));
    const TColGrad sys(clBtnFace, clBlack, 2);
    EXPECT_EQ(sys.ColorAt(0), SysColor(15));
    EXPECT_EQ(sys.ColorAt(1), RGBColor(120, 120, 120));
}

TEST(FillGradient, SixHundredRowsUse255Bands)
{
    const TColor from = RGBColor(0, 0, 0), to = RGBColor(255, 255, 255);
    QImage img = filled(3, 600, Qt::red);
    {
        QPainter p(&img);
        FillGradient(p, TRect{0, 0, 3, 600}, from, to, true);
    }
    const TColGrad ramp(from, to, 255);
    int bands = 1;
    for (int y = 0; y < 600; ++y) {
        SCOPED_TRACE(y);
        ASSERT_EQ(pixelColor(img, 1, y), expectedBandColor(ramp, y, 600));
        EXPECT_EQ(pixelColor(img, 0, y), pixelColor(img, 2, y));
        if (y > 0 && pixelColor(img, 1, y) != pixelColor(img, 1, y - 1))
            ++bands;
    }
    EXPECT_EQ(bands, 255);
    // The first band is MulDiv(1, 600, 255) = 2 rows of step 1, the last the to colour.
    EXPECT_EQ(pixelColor(img, 1, 0), ramp.ColorAt(1));
    EXPECT_EQ(pixelColor(img, 1, 1), ramp.ColorAt(1));
    EXPECT_EQ(pixelColor(img, 1, 2), ramp.ColorAt(2));
    EXPECT_EQ(pixelColor(img, 1, 599), to);
}

TEST(FillGradient, TenRowsAreTenBandsEndingInTheToColour)
{
    const TColor from = RGBColor(10, 20, 30), to = RGBColor(110, 220, 30);
    QImage img = filled(4, 14, Qt::blue);
    {
        QPainter p(&img);
        FillGradient(p, TRect{0, 2, 4, 12}, from, to, true);
    }
    const TColGrad ramp(from, to, 10);
    EXPECT_EQ(pixelColor(img, 0, 1), clBlue);  // outside the rectangle
    EXPECT_EQ(pixelColor(img, 0, 12), clBlue);
    for (int y = 0; y < 10; ++y) {
        SCOPED_TRACE(y);
        EXPECT_EQ(pixelColor(img, 0, 2 + y), ramp.ColorAt(y + 1));
    }
    EXPECT_EQ(pixelColor(img, 3, 11), to);
    EXPECT_EQ(pixelColor(img, 3, 2), RGBColor(20, 40, 30));
}

TEST(FillGradient, HorizontalRunsLeftToRight)
{
    QImage img = filled(300, 2, Qt::blue);
    {
        QPainter p(&img);
        FillGradient(p, TRect{0, 0, 300, 2}, clBlack, clWhite, false);
    }
    const TColGrad ramp(clBlack, clWhite, 255);
    for (int x = 0; x < 300; ++x) {
        SCOPED_TRACE(x);
        ASSERT_EQ(pixelColor(img, x, 1), expectedBandColor(ramp, x, 300));
    }
    EXPECT_EQ(pixelColor(img, 299, 0), clWhite);
}

TEST(FillGradient, NoExtentDrawsNothing)
{
    const TRect rects[] = {{5, 5, 5, 20}, {5, 5, 20, 5}, {10, 10, 5, 20}, {10, 10, 20, 5}};
    for (bool vertical : {true, false})
        for (const TRect& r : rects) {
            SCOPED_TRACE(testing::Message() << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom);
            QImage img = filled(30, 30, Qt::blue);
            const QImage before = img;
            {
                QPainter p(&img);
                FillGradient(p, r, clBlack, clWhite, vertical);
            }
            EXPECT_EQ(img, before);
        }
}

TEST(FillSplitGradient, PositionsSplitTheRectangle)
{
    const TColor inner = RGBColor(200, 200, 0), outer = RGBColor(0, 0, 100);
    auto draw = [&](int position, bool vertical) {
        QImage img = filled(20, 20, Qt::red);
        QPainter p(&img);
        FillSplitGradient(p, TRect{0, 0, 20, 20}, inner, outer, vertical, position);
        return img;
    };
    auto single = [&](TColor from, TColor to, bool vertical) {
        QImage img = filled(20, 20, Qt::red);
        QPainter p(&img);
        FillGradient(p, TRect{0, 0, 20, 20}, from, to, vertical);
        return img;
    };
    for (bool vertical : {true, false}) {
        SCOPED_TRACE(vertical);
        // Position 0: only the second gradient, inner to outer over the whole.
        EXPECT_EQ(draw(0, vertical), single(inner, outer, vertical));
        // Position 10: only the first, outer to inner.
        EXPECT_EQ(draw(10, vertical), single(outer, inner, vertical));
        // Out of range: the nearest end.
        EXPECT_EQ(draw(-3, vertical), draw(0, vertical));
        EXPECT_EQ(draw(14, vertical), draw(10, vertical));
    }
    // Position 5 on 20 rows: split at row 10; outer at both edges, inner at the split.
    const QImage img = draw(5, true);
    const TColGrad first(outer, inner, 10), second(inner, outer, 10);
    EXPECT_EQ(pixelColor(img, 3, 0), first.ColorAt(1));
    EXPECT_EQ(pixelColor(img, 3, 9), inner);
    EXPECT_EQ(pixelColor(img, 3, 10), second.ColorAt(1));
    EXPECT_EQ(pixelColor(img, 3, 19), outer);
    // Position 3 on 20 columns: split at column 6.
    const QImage h = draw(3, false);
    EXPECT_EQ(pixelColor(h, 5, 4), inner);
    EXPECT_EQ(pixelColor(h, 6, 4), TColGrad(inner, outer, 14).ColorAt(1));
    EXPECT_EQ(pixelColor(h, 19, 4), outer);
}

TEST(FillRadialGradient, DefaultCentreIsThreeEighths)
{
    const TColor centre = RGBColor(255, 255, 0), outer = RGBColor(0, 0, 255);
    QImage img = filled(80, 80, Qt::white);
    {
        QPainter p(&img);
        FillRadialGradient(p, TRect{0, 0, 80, 80}, centre, outer, kGradientDefaultCentre, kGradientDefaultCentre);
    }
    // n = max(30, 50, 50, 30) = 50; the innermost ellipse drawn (l = 49) is the
    // 2 x 2 box (29, 29, 31, 31); the last (l = 50) is a point and draws nothing.
    const TColGrad ramp(outer, centre, 50);
    for (int y = 29; y <= 30; ++y)
        for (int x = 29; x <= 30; ++x) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            EXPECT_EQ(pixelColor(img, x, y), ramp.ColorAt(49));
        }
    EXPECT_NE(pixelColor(img, 31, 31), ramp.ColorAt(49));
    // The outermost ellipse touches the right and bottom edges in the outer
    // colour (at the left and top, the next one, (0, 0, 79, 79), covers it);
    // the corners stay as they were.
    EXPECT_EQ(pixelColor(img, 79, 40), outer);
    EXPECT_EQ(pixelColor(img, 40, 79), outer);
    EXPECT_EQ(pixelColor(img, 0, 40), ramp.ColorAt(1));
    EXPECT_EQ(pixelColor(img, 0, 0), clWhite);
    EXPECT_EQ(pixelColor(img, 79, 79), clWhite);
    // Colours get nearer the centre colour toward (30, 30).
    EXPECT_LT(ColorRed(pixelColor(img, 10, 30)), ColorRed(pixelColor(img, 20, 30)));
    EXPECT_LT(ColorRed(pixelColor(img, 60, 30)), ColorRed(pixelColor(img, 40, 30)));
}

TEST(FillRadialGradient, ExplicitCentreAndNoExtent)
{
    QImage img = filled(40, 40, Qt::white);
    {
        QPainter p(&img);
        FillRadialGradient(p, TRect{0, 0, 40, 40}, clBlack, clWhite, 10, 30);
    }
    // n = max(10, 30, 10, 30) = 30; the innermost (l = 29) box is (9, 29, 11, 31).
    const TColGrad ramp(clWhite, clBlack, 30);
    EXPECT_EQ(pixelColor(img, 10, 30), ramp.ColorAt(29));
    // A centre on a point-sized rectangle: n = 0, nothing drawn, no division.
    QImage img2 = filled(10, 10, Qt::white);
    const QImage before = img2;
    {
        QPainter p(&img2);
        FillRadialGradient(p, TRect{5, 5, 5, 5}, clBlack, clRed, 5, 5);
        FillRadialGradient(p, TRect{5, 5, 5, 5}, clBlack, clRed, kGradientDefaultCentre, kGradientDefaultCentre);
    }
    EXPECT_EQ(img2, before);
}

// ---- bevel ----

namespace {
// (200, 100, 50) shaded: half plus 128, or half.
constexpr TColor kBase = RGBColor(200, 100, 50);
constexpr TColor kLight = RGBColor(228, 178, 153);
constexpr TColor kDark = RGBColor(100, 50, 25);
}  // namespace

TEST(TGamma, ShadesTheBorderBands)
{
    struct Case {
        int x, y;
        TColor raised, pressed;
        const char* where;
    } cases[] = {
        {0, 0, kLight, kDark, "top-left corner"},
        {5, 0, kLight, kDark, "top"},
        {5, 1, kLight, kDark, "top, second row"},
        {0, 4, kLight, kDark, "left"},
        {1, 4, kLight, kDark, "left, second column"},
        {9, 0, kLight, kDark, "top-right corner, on the diagonal"},
        {8, 0, kLight, kDark, "top-right corner, above the diagonal"},
        {9, 1, kDark, kLight, "top-right corner, below the diagonal"},
        {8, 1, kLight, kDark, "top-right corner, second diagonal"},
        {0, 7, kLight, kDark, "bottom-left corner, on the diagonal"},
        {0, 6, kLight, kDark, "bottom-left corner, above the diagonal"},
        {1, 7, kDark, kLight, "bottom-left corner, right of the diagonal"},
        {5, 7, kDark, kLight, "bottom"},
        {5, 6, kDark, kLight, "bottom, second row"},
        {9, 4, kDark, kLight, "right, last column"},
        {8, 4, kDark, kLight, "right, second column"},
        {9, 7, kDark, kLight, "bottom-right corner"},
        {2, 2, kBase, kBase, "inside"},
        {7, 5, kBase, kBase, "inside"},
    };
    for (bool pressed : {false, true}) {
        QImage img = filled(14, 12, QColor(1, 2, 3));
        {
            QPainter p(&img);
            p.fillRect(QRect(2, 3, 10, 8), QColor(200, 100, 50));
            TGamma g;
            g.DrawBevel(p, TRect{2, 3, 12, 11}, 2, pressed);
            EXPECT_EQ(g.workBitmap().size(), QSize(10, 8));
            EXPECT_EQ(g.workBitmap().depth(), 24);
        }
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.where << " " << c.x << "," << c.y << " pressed " << pressed);
            EXPECT_EQ(pixelColor(img, 2 + c.x, 3 + c.y), pressed ? c.pressed : c.raised);
        }
        EXPECT_EQ(pixelColor(img, 1, 3), RGBColor(1, 2, 3));  // outside untouched
        EXPECT_EQ(pixelColor(img, 12, 10), RGBColor(1, 2, 3));
    }
}

TEST(TGamma, CopiesFromTheSourceAndShadesEachPixelOnce)
{
    QImage src = filled(20, 20, QColor(200, 100, 50));
    QImage dst = filled(40, 40, Qt::black);
    {
        QPainter ps(&src);
        QPainter pd(&dst);
        TGamma g;
        // A band wider than half the rectangle covers it all, each pixel once.
        g.DrawBevel(pd, TRect{10, 10, 16, 15}, 10, false, &ps);
    }
    for (int y = 10; y < 15; ++y)
        for (int x = 10; x < 16; ++x) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            const TColor c = pixelColor(dst, x, y);
            EXPECT_TRUE(c == kLight || c == kDark);
        }
    EXPECT_EQ(pixelColor(dst, 10, 10), kLight);
    EXPECT_EQ(pixelColor(dst, 15, 14), kDark);
    EXPECT_EQ(pixelColor(dst, 9, 10), clBlack);
}

TEST(TGamma, NothingForAnEmptyRectangleAndNoShadeWithoutBorder)
{
    QImage img = filled(10, 10, QColor(200, 100, 50));
    const QImage before = img;
    {
        QPainter p(&img);
        TGamma g;
        g.DrawBevel(p, TRect{5, 5, 5, 9}, 2, false);
        g.DrawBevel(p, TRect{6, 6, 2, 2}, 2, true);
        g.DrawBevel(p, TRect{0, 0, 10, 10}, 0, true);
        g.DrawBevel(p, TRect{0, 0, 10, 10}, -4, false);
    }
    EXPECT_EQ(img, before);
}

TEST(TGamma, SurfaceWithoutReadablePixelsGetsTheSameLook)
{
    // A recorded picture cannot be read back: the shading goes on as a layer.
    QPicture pic;
    {
        QPainter p(&pic);
        p.fillRect(QRect(0, 0, 10, 8), QColor(200, 100, 50));
        TGamma g;
        g.DrawBevel(p, TRect{0, 0, 10, 8}, 2, false);
    }
    QImage img = filled(10, 8, Qt::black);
    {
        QPainter p(&img);
        pic.play(&p);
    }
    auto near = [](TColor a, TColor b) {
        return std::abs(ColorRed(a) - ColorRed(b)) <= 2 && std::abs(ColorGreen(a) - ColorGreen(b)) <= 2 &&
               std::abs(ColorBlue(a) - ColorBlue(b)) <= 2;
    };
    EXPECT_TRUE(near(pixelColor(img, 4, 0), kLight));
    EXPECT_TRUE(near(pixelColor(img, 4, 7), kDark));
    EXPECT_EQ(pixelColor(img, 4, 4), kBase);
}
