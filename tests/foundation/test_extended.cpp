#include "foundation/core/extended.h"
#include "foundation/core/format.h"
#include "support/testsupport.h"

#include <cmath>
#include <cstdint>

namespace {

// The 64 mantissa bits of a positive value, most significant first.
std::uint64_t mantissaBits(Extended x)
{
    int e = 0;
    return static_cast<std::uint64_t>(ldexpl(frexpl(x, &e), 64));
}

TEST(Extended, IsTheEightyBitType)
{
    EXPECT_EQ(std::numeric_limits<Extended>::digits, 64);
    EXPECT_EQ(std::numeric_limits<Extended>::max_exponent, 16384);
    EXPECT_NE(1 + ldexpl(1, -63), 1.0L) << "a 64-bit mantissa";
    EXPECT_EQ(1 + ldexpl(1, -64), 1.0L);
    // pi rounded to the nearest 80-bit value: C90FDAA2 2168C234 C4... rounds up.
    EXPECT_EQ(mantissaBits(kPi), 0xC90FDAA22168C235ULL);
}

// Texts that come out right only when nothing is narrowed to double on the way.
TEST(Extended, DigitsThatDoubleWouldLose)
{
    struct Case {
        Extended x;
        int precision;
        const char* text;
    };
    const Case cases[] = {
        {0.1L, 18, "0.1"},
        {kPi, 18, "3.14159265358979324"},
        {1.0L / 3, 18, "0.333333333333333333"},
        {9007199254740993.0L, 18, "9007199254740993"}, // 2^53 + 1
        {1e4000L, 15, "1E4000"},
        {1e-4000L, 15, "1E-4000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FloatToStrF(c.x, FloatFormat::General, c.precision, 0), QString::fromLatin1(c.text));
    }
}

} // namespace
