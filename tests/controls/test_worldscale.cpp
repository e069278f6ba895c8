// World-to-pixel arithmetic of the world-coordinate paint box, without a window.
#include "controls/worldscale.h"
#include "support/testsupport.h"

#include <climits>
#include <limits>

TEST(WorldScale, DefaultScaleMapsTheUnitSquare)
{
    TWorldScale s(100, 50);
    EXPECT_EQ(s.WorldToPixelX(0.5), 50);
    EXPECT_EQ(s.WorldToPixelY(0.5), 25);
    EXPECT_DOUBLE_EQ(s.PixelToWorldX(100), 1.0);
    EXPECT_DOUBLE_EQ(s.PixelToWorldY(50), 1.0);
}

TEST(WorldScale, UpwardYAxis)
{
    TWorldScale s(100, 100);
    s.SetScaleTop(10);
    s.SetScaleBottom(0);
    EXPECT_DOUBLE_EQ(s.FactorY(), -0.1);
    EXPECT_EQ(s.WorldToPixelY(2.5), 75);
    EXPECT_DOUBLE_EQ(s.PixelToWorldY(75), 2.5);
}

TEST(WorldScale, RoundsTiesToEven)
{
    TWorldScale s(10, 10);
    s.SetScale(0, 0, 10, 10); // one unit per pixel
    struct Case {
        double x;
        int px;
    } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {2.4999, 2}, {2.5001, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(s.WorldToPixelX(c.x), c.px);
    }
}

TEST(WorldScale, SettersMoveOneEdgeAndKeepTheOther)
{
    TWorldScale s(200, 100);
    s.SetScale(-1, 1, 1, -1);
    s.SetScaleWidth(4);
    EXPECT_DOUBLE_EQ(s.ScaleRight(), 3.0);
    EXPECT_DOUBLE_EQ(s.FactorX(), 4.0 / 200);
    s.SetScaleHeight(-4);
    EXPECT_DOUBLE_EQ(s.ScaleBottom(), -3.0);
    EXPECT_DOUBLE_EQ(s.FactorY(), -4.0 / 100);
}

// Fault built soundly: equal edges make the factor 0; the division must not
// run (no infinity turned into an integer).
TEST(WorldScale, EqualEdgesDoNotDivideByZero)
{
    TWorldScale s(100, 100);
    s.SetScale(3, 5, 3, 5);
    EXPECT_EQ(s.FactorX(), 0.0);
    EXPECT_EQ(s.WorldToPixelX(3), 0);
    EXPECT_EQ(s.WorldToPixelX(1e300), 0);
    EXPECT_EQ(s.WorldToPixelY(-7), 0);
    EXPECT_DOUBLE_EQ(s.PixelToWorldX(40), 3.0);
}

TEST(WorldScale, FarAwayValuesStayWithinInt)
{
    TWorldScale s(100, 100);
    EXPECT_EQ(s.WorldToPixelX(1e300), INT_MAX);
    EXPECT_EQ(s.WorldToPixelX(-1e300), INT_MIN);
    EXPECT_EQ(s.WorldToPixelX(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(WorldScale, ZeroSizeKeepsTheFactor)
{
    TWorldScale s(100, 50);
    s.SetSize(0, 0);
    s.SetScale(0, 0, 5, 5);
    EXPECT_DOUBLE_EQ(s.FactorX(), 0.01);
    EXPECT_DOUBLE_EQ(s.FactorY(), 0.02);
}

TEST(WorldScale, KeepAspectWidensTheWorldByHalfOnEachSide)
{
    TWorldScale s(100, 100);
    s.Resize(200, 100, true);
    EXPECT_DOUBLE_EQ(s.ScaleLeft(), -0.5);
    EXPECT_DOUBLE_EQ(s.ScaleRight(), 1.5);
    EXPECT_DOUBLE_EQ(s.ScaleTop(), 0.0);
    EXPECT_DOUBLE_EQ(s.ScaleBottom(), 1.0);
    EXPECT_DOUBLE_EQ(s.FactorX(), 0.01);
    EXPECT_EQ(s.RecordedWidth(), 200);
    // and shrinking back restores it
    s.Resize(100, 100, true);
    EXPECT_DOUBLE_EQ(s.ScaleLeft(), 0.0);
    EXPECT_DOUBLE_EQ(s.ScaleRight(), 1.0);
}

TEST(WorldScale, WithoutKeepAspectTheWorldIsStretched)
{
    TWorldScale s(100, 100);
    s.Resize(200, 50, false);
    EXPECT_DOUBLE_EQ(s.ScaleLeft(), 0.0);
    EXPECT_DOUBLE_EQ(s.ScaleRight(), 1.0);
    EXPECT_DOUBLE_EQ(s.FactorX(), 0.005);
    EXPECT_DOUBLE_EQ(s.FactorY(), 0.02);
}
