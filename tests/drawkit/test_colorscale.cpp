// Hue, saturation and lightness to colours, and the value scale.
#include "drawkit/colorscale.h"
#include "support/testsupport.h"

#include <cmath>
#include <limits>

namespace {
struct Rgb {
    int r, g, b;
};
Rgb rgb(TColor c) { return {ColorRed(c), ColorGreen(c), ColorBlue(c)}; }
}  // namespace

TEST(HSLToColor, Table)
{
    struct Case {
        double h, s, l;
        int r, g, b;
    } cases[] = {
        {0, 1, 0.5, 255, 0, 0},
        {1.0 / 3, 1, 0.5, 0, 255, 0},
        {2.0 / 3, 1, 0.5, 0, 0, 255},
        {1.0 / 6, 1, 0.5, 255, 255, 0},
        {0.5, 1, 0.5, 0, 255, 255},
        {5.0 / 6, 1, 0.5, 255, 0, 255},
        {1, 1, 0.5, 255, 0, 0},
        // Grey: lightness * 255 rounded half away from zero.
        {0.3, 0, 0.5, 128, 128, 128},
        {0.9, 0, 0.5, 128, 128, 128},
        {0, 0, 0, 0, 0, 0},
        {0, 0, 1, 255, 255, 255},
        {0, 0, 0.25, 64, 64, 64},   // 63.75
        {0, 0, 0.3, 76, 76, 76},    // 0.3 is a hair below it: 76.4999...
        {0.05, 1, 0.5, 255, 77, 0}, // green 0.3000...02 * 255 = 76.50...
        {0.1, 1, 0.5, 255, 153, 0}, // 0.6 * 255 = 153
        // m2 = l (1 + s) below one half, l + s - l s above.
        {0, 0.5, 0.25, 96, 32, 32},    // m2 = 0.375, m1 = 0.125: 95.625, 31.875
        {0, 0.5, 0.75, 223, 159, 159}, // m2 = 0.875, m1 = 0.625: 223.125, 159.375
        {0.25, 1, 0.5, 127, 255, 0},   // red (2/3 - 7/12) * 6 lands a hair below 0.5
        // Out-of-range inputs stay within a byte: m2 = 1.1 gives 280 -> 255.
        {0, 2, 0.9, 255, 179, 179},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "h=" << c.h << " s=" << c.s << " l=" << c.l);
        const Rgb got = rgb(HSLToColor(c.h, c.s, c.l));
        EXPECT_EQ(got.r, c.r);
        EXPECT_EQ(got.g, c.g);
        EXPECT_EQ(got.b, c.b);
    }
}

TEST(HSLToColor, NotANumberGivesBlackNotUndefined)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(HSLToColor(0, 0, nan), clBlack);
    const TColor c = HSLToColor(nan, 1, 0.5);
    EXPECT_LE(ColorRed(c), 255);
}

TEST(ValueToScaleColor, ClampsAndRunsFromRedToPurple)
{
    EXPECT_EQ(ValueToScaleColor(-3, 1, 0.5), ValueToScaleColor(0, 1, 0.5));
    EXPECT_EQ(ValueToScaleColor(7, 1, 0.5), ValueToScaleColor(1, 1, 0.5));
    EXPECT_EQ(ValueToScaleColor(std::nan(""), 1, 0.5), ValueToScaleColor(0, 1, 0.5));
    EXPECT_EQ(ValueToScaleColor(0, 1, 0.5), RGBColor(255, 0, 0));
    struct Case {
        double v;
        TColor expected;
    } cases[] = {
        {1, HSLToColor(0.85, 1, 0.5)},
        {0.5, HSLToColor(0.425, 1, 0.5)},
        {0.2, HSLToColor(0.17, 1, 0.5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.v);
        EXPECT_EQ(ValueToScaleColor(c.v, 1, 0.5), c.expected);
    }
    // 0.85 of the circle: purple close to magenta (red and blue high, no green).
    EXPECT_EQ(ValueToScaleColor(1, 1, 0.5), RGBColor(255, 0, 230));
    EXPECT_EQ(ValueToScaleColor(0.5, 1, 0.5), RGBColor(0, 255, 140));  // 0.425: green-cyan
}
