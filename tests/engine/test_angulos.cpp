#include "engine/angulos.h"
#include "engine/errors.h"
#include "support/testsupport.h"

#include <cmath>
#include <limits>

namespace {

// Equal to within a few units in the last place of the 80-bit type.
void expectClose(Extended got, Extended want)
{
    const Extended tol = 8 * std::numeric_limits<Extended>::epsilon() * std::max<Extended>(1, fabsl(want));
    EXPECT_TRUE(fabsl(got - want) <= tol) << "got " << static_cast<double>(got) << ", want "
                                          << static_cast<double>(want) << ", diff "
                                          << static_cast<double>(got - want);
}

Extended degToRad(Extended d) { return d * kPi / 180; }

TEST(Angulos, EveryUnitToRadiansAndBack)
{
    struct Case {
        AngleMode mode;
        Extended value; // in the unit
        Extended radians;
    };
    const Case cases[] = {
        {amRadians, 1.25L, 1.25L},
        {amDegrees, 180, kPi},
        {amDegrees, -45, -kPi / 4},
        {amGrads, 200, kPi},
        {amGrads, 50, kPi / 4},
        {amCycles, 0.5L, kPi},
        {amCycles, 2, 4 * kPi},
        {amDms, 30.3045L, degToRad(30.5125L)},
        {amDms, 1.3L, degToRad(1.5L)},
        {amDms, -30.3045L, degToRad(-30.5125L)},
        {amPi, 1, kPi},
        {amPi, -0.5L, -kPi / 2},
        // Only the low seven bits count; anything else is cycles.
        {128, 1.25L, 1.25L},   // 128 & 127 = 0: radians
        {129, 180, kPi},       // degrees
        {131, 0.5L, kPi},      // cycles with the high bit set
        {132, 1.3L, degToRad(1.5L)},
        {6, 0.5L, kPi},
        {9, 0.25L, kPi / 2},
        {127, 1, 2 * kPi},
        {255, 1, 2 * kPi},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << int(c.mode) << " value " << double(c.value));
        expectClose(AngleToRad(c.mode, c.value), c.radians);
        expectClose(RadToAngle(c.mode, c.radians), c.value);
    }
}

TEST(Angulos, DmsConversions)
{
    // 30° 30' 45" is 30.5125 degrees, and back.
    expectClose(DmsToRad(30.3045L), degToRad(30.5125L));
    EXPECT_EQ(RadToDms(degToRad(30.5125L)), 30.3045L);
    // The seconds round up to 60.00 and carry into minutes, then degrees.
    EXPECT_EQ(RadToDms(degToRad(29.99999999L)), 30);
    struct Case {
        Extended dms;
        Extended degrees;
    };
    const Case cases[] = {
        {0, 0},
        {1.3L, 1.5L},
        {10.0030L, 10.0 + 30.0 / 3600},
        {45.5959L, 45 + 59.0 / 60 + 59.0 / 3600},
        {0.000001L, 0.000003L},     // 0.01" is 2.8e-6 degrees, kept to a millionth
        {-12.1530L, -(12 + 15.0 / 60 + 30.0 / 3600)},
        {359.5959L, 359 + 59.0 / 60 + 59.0 / 3600},
        // The minutes pass through a 32-bit float: 0.53 * 100 is 52.999... in
        // 80 bits but exactly 53 as a float, so these read as whole minutes.
        {0.53L, 53.0L / 60},
        {7.02L, 7 + 2.0L / 60},
        {7.16L, 7 + 16.0L / 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "dms " << double(c.dms));
        const Extended rounded = std::round(c.degrees * 1000000) / 1000000;
        expectClose(DmsToRad(c.dms), degToRad(rounded));
    }
    // Whole minutes and seconds survive the round trip exactly.
    for (Extended v : {0.0L, 1.3L, 10.003L, 45.5959L, 123.4512L, -12.153L, 359.5959L}) {
        SCOPED_TRACE(double(v));
        EXPECT_EQ(RadToDms(DmsToRad(v)), v);
    }
}

TEST(Angulos, DmsKeepsItsSinglePrecisionSteps)
{
    // The degrees pass through a 32-bit float: past 2^24 the carry of 60
    // minutes into the degrees is lost (16777217 is not a float).
    EXPECT_EQ(RadToDms(degToRad(16777217.25L)), 16777216.15L);
    EXPECT_EQ(RadToDms(degToRad(16777216.25L)), 16777216.15L);
}

TEST(Angulos, RoundHalfAway)
{
    struct Case {
        Extended x;
        std::int64_t want;
    };
    const Case cases[] = {
        {0, 0}, {0.5L, 1}, {-0.5L, -1}, {2.4999L, 2}, {2.5L, 3}, {-2.5L, -3},
        {-2.4999L, -2}, {1e18L + 0.5L, 1000000000000000001LL}, {-7.75L, -8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(double(c.x));
        EXPECT_EQ(RoundHalfAway(c.x), c.want);
    }
    EXPECT_THROW(RoundHalfAway(1e19L), EInvalidOp);
    EXPECT_THROW(RoundHalfAway(std::numeric_limits<Extended>::quiet_NaN()), EInvalidOp);
}

} // namespace
