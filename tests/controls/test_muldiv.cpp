// MulDiv keeps the meaning the geometry was written for.
#include "foundation/core/muldiv.h"
#include "support/testsupport.h"

#include <climits>

TEST(MulDiv, RoundsHalfAwayFromZeroIn64Bits)
{
    struct Case {
        int a, b, c, expected;
    } cases[] = {
        {50, 255, 100, 128},           // 127.5 rounds up
        {-50, 255, 100, -128},         // and away from zero when negative
        {50, -255, 100, -128},
        {50, 255, -100, -128},
        {-50, -255, -100, -128},
        {10, 255, 100, 26},            // 25.5
        {1, 1, 3, 0},                  // 0.333
        {2, 1, 3, 1},                  // 0.667
        {17, 545, 18, 515},            // cell edges of a 18-column grid
        {7, 225, 8, 197},
        {0, 255, 100, 0},
        {100000, 100000, 100000, 100000}, // the product needs 64 bits
        {INT_MAX, 2, 2, INT_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " * " << c.b << " / " << c.c);
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected);
    }
}

TEST(MulDiv, ZeroDivisorAndOverflowGiveMinusOne)
{
    EXPECT_EQ(MulDiv(5, 7, 0), -1);
    EXPECT_EQ(MulDiv(0, 0, 0), -1);
    EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, 1), -1);
    EXPECT_EQ(MulDiv(INT_MIN, 2, 1), -1);
}
