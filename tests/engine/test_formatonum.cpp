#include "engine/errors.h"
#include "engine/formatonum.h"
#include "support/fixtures.h"

#include <cmath>
#include <limits>

namespace {

using numfmt::TFrac;

class FormatoNum : public CoreStateTest {};

void expectFrac(const TFrac& got, std::int32_t num, std::int32_t den)
{
    EXPECT_EQ(got.Num, num);
    EXPECT_EQ(got.Den, den);
}

TEST(NumFrac, GcdAndFractionArithmetic)
{
    EXPECT_EQ(numfmt::Gcd(12, 18), 6);
    EXPECT_EQ(numfmt::Gcd(-12, 18), 6);
    EXPECT_EQ(numfmt::Gcd(0, 5), 5);
    EXPECT_EQ(numfmt::Gcd(7, 0), 7);
    EXPECT_EQ(numfmt::Gcd(std::numeric_limits<std::int64_t>::min(), 6), 2);

    TFrac f(6, 8);
    f.Reduce();
    expectFrac(f, 3, 4);
    f = TFrac(-6, 8);
    f.Reduce();
    expectFrac(f, -3, 4);
    f = TFrac(0, 5);
    f.Reduce();
    expectFrac(f, 0, 1);

    f = TFrac(3, 4);
    f.Reciprocal();
    expectFrac(f, 4, 3);
    f = TFrac(-3, 4);
    f.Reciprocal();
    expectFrac(f, -4, 3);
    f = TFrac(std::numeric_limits<std::int32_t>::min(), 1);
    EXPECT_THROW(f.Reciprocal(), EOverflow);

    f = TFrac(1, 2);
    f.Add(TFrac(1, 3));
    expectFrac(f, 5, 6);
    f.Add(TFrac(-5, 6));
    expectFrac(f, 0, 1);
    // The 32-bit product 65536 * 65536 would wrap; the reduced sum fits.
    f = TFrac(3, 65536);
    f.Add(TFrac(1, 65536));
    expectFrac(f, 1, 16384);
    f = TFrac(1, 2147483647);
    EXPECT_THROW(f.Add(TFrac(1, 2147483646)), EOverflow);
}

TEST(NumFrac, ContinuedFraction)
{
    struct Case {
        int terms;
        Extended x;
        std::int32_t num, den;
    };
    const Case cases[] = {
        {1, 3.125L, 3, 1},
        {2, 3.125L, 25, 8},
        {20, 3.125L, 25, 8},
        {1, 2.75L, 2, 1},
        {2, 2.75L, 3, 1},
        {20, 3.7L, 37, 10},
        {1, 0.5L, 0, 1},
        {10, 0.75L, 3, 4},
        {10, 1.0L / 3, 1, 3},
        {2, kPi, 22, 7},
        {3, kPi, 333, 106},
        {4, kPi, 355, 113},
        {10, -0.75L, -3, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.terms << " terms of " << double(c.x));
        expectFrac(numfmt::ContinuedFraction(c.terms, c.x), c.num, c.den);
    }
    // A remainder of 1/(2^32 + 5) gives a term past 32 bits: no wrap to 5.
    EXPECT_THROW(numfmt::ContinuedFraction(3, 2 + 1 / 4294967301.0L), EOverflow);
    EXPECT_THROW(numfmt::ContinuedFraction(3, std::numeric_limits<Extended>::quiet_NaN()), EInvalidOp);
}

TEST(NumFrac, FloatToFrac)
{
    struct Case {
        std::int32_t maxDen;
        Extended x;
        std::int32_t num, den;
    };
    const Case cases[] = {
        {9999, kPi, 355, 113},       // the next convergent's denominator is 33102
        {100, kPi, 22, 7},
        {9999, -3.00001L, -3, 1},    // the first convergent's denominator is 100000
        {9999, 0.00001L, 0, 1},      // below 1/9999
        {9999, 0.0001L, 0, 1},       // 1/9999 is still above it
        {9999, 0.75L, 3, 4},
        {9999, -0.75L, -3, 4},
        {9999, 2, 2, 1},
        {9999, 0, 0, 1},
        {1, 0.5L, 0, 1},
        {0, 0.5L, 0, 1},             // below 1 counts as 1
        {9999, 2 + 1 / 4294967301.0L, 2, 1}, // a wrapped 32-bit term would give 11|5
        {9999, 7 + 1 / 8589934593.0L, 7, 1},
        {9999, 1 + 1e-11L, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.maxDen << " " << double(c.x));
        expectFrac(numfmt::FloatToFrac(c.maxDen, c.x), c.num, c.den);
    }
    // The largest limit: the numerator leaves 32 bits before the denominator
    // reaches it; the walk stops there without wrapping.
    const TFrac big = numfmt::FloatToFrac(std::numeric_limits<std::int32_t>::max(), 20000.123456789L);
    EXPECT_GT(big.Den, 1);
    EXPECT_LT(fabsl(Extended(big.Num) / big.Den - 20000.123456789L), 1e-8L);
    const TFrac pi = numfmt::FloatToFrac(std::numeric_limits<std::int32_t>::max(), kPi);
    EXPECT_LT(fabsl(Extended(pi.Num) / pi.Den - kPi), 1e-17L);

    EXPECT_THROW(numfmt::FloatToFrac(9999, std::numeric_limits<Extended>::quiet_NaN()), EInvalidOp);
    EXPECT_THROW(numfmt::FloatToFrac(9999, std::numeric_limits<Extended>::infinity()), EInvalidOp);
    EXPECT_THROW(numfmt::FloatToFrac(9999, 1e10L), EOverflow);
}

TEST_F(FormatoNum, SharedInstanceAndDefaults)
{
    TFormatoNum& nf = NumberFormat();
    EXPECT_EQ(&nf, &NumberFormat());
    EXPECT_EQ(nf.Mode, nfFraction);
    EXPECT_EQ(nf.Digits, 4);
    EXPECT_EQ(nf.MaxDenominator, 9999);
    EXPECT_FALSE(nf.Error);
    nf.Mode = nfFloat;
    nf.MaxDenominator = 7;
    ResetNumberFormat();
    EXPECT_EQ(NumberFormat().Mode, nfFraction);
    EXPECT_EQ(NumberFormat().MaxDenominator, 9999);
}

TEST_F(FormatoNum, Formats)
{
    const Extended inf = std::numeric_limits<Extended>::infinity();
    const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
    struct Case {
        std::uint8_t mode;
        Extended x;
        const char* want;
        std::int32_t maxDen = 9999;
        std::int32_t digits = 4;
    };
    const Case cases[] = {
        {nfFraction, 0.75L, "3|4"},
        {nfFraction, 0.5L, "1|2"},
        {nfFraction, 2, "2"},
        {nfFraction, -0.75L, "-3|4"},
        {nfFraction, 1.0L / 3, "1|3"},
        {nfFraction, kPi, "355|113"},
        {nfFraction, 0.00001L, "0"},
        {nfFraction, -3.00001L, "-3"},
        {nfFraction, 1.75L, "7|4"},
        {nfFraction, 20000.5L, "2E0004"},        // beyond the largest denominator: rounded
        {nfFraction, 9999, "9999"},
        {nfFraction, kPi, "22|7", 100},
        {nfFraction, 150.5L, "150.5", 100},     // 150.5 > 100: rounded to 4 digits
        {nfFraction, 2 + 1 / 4294967301.0L, "2"},
        {nfMixedFraction, 1.75L, "1|3|4"},
        {nfMixedFraction, -1.75L, "-1|3|4"},
        {nfMixedFraction, 0.75L, "3|4"},
        {nfMixedFraction, -0.75L, "-3|4"},
        {nfMixedFraction, 2, "2"},
        {nfMixedFraction, kPi, "3|16|113"},
        {nfRounded, 2.0L / 3, "0.6667"},
        {nfRounded, 2.0L / 3, "0.67", 9999, 2},
        {nfRounded, 1234567, "1.235E0006"},
        {nfFloat, 0.1L, "0.1"},
        {nfFloat, 1.0L / 3, "0.333333333333333"},
        {nfFloat, 1.5e20L, "1.5E20"},
        // No fraction for NaN and the infinities: their usual text, no fault.
        {nfFraction, nan, "NAN"},
        {nfMixedFraction, inf, "INF"},
        {nfFraction, -inf, "-INF"},
        {nfRounded, nan, "NAN"},
        {nfFloat, inf, "INF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << int(c.mode) << " x " << double(c.x));
        TFormatoNum f;
        f.Mode = c.mode;
        f.MaxDenominator = c.maxDen;
        f.Digits = c.digits;
        EXPECT_EQ(f.Format(c.x), QString::fromLatin1(c.want));
        EXPECT_FALSE(f.Error);
    }
}

TEST_F(FormatoNum, Parses)
{
    struct Case {
        const char* text;
        Extended want;
        bool error;
    };
    const Case cases[] = {
        {"3|4", 0.75L, false},
        {"1|3|4", 1.75L, false},
        {"-1|3|4", -1.75L, false},
        {"0|1|2", -0.5L, false}, // a whole part of 0 subtracts the fraction
        {"-3|4", -0.75L, false},
        {"6|4", 1.5L, false},
        {"2|-4", -0.5L, false},
        {" 3 | 4 ", 0.75L, false},
        {"1e1|4", 2.5L, false},
        {"1E1|4", 2.5L, false},
        {"3|4.0", 0.75L, false},
        {"1.0000000000000001|2", 0.5L, false}, // fractional part below 1e-15
        {"1.5", 1.5L, false},
        {"-2.5E3", -2500, false},
        {"", 0, false},
        {"   ", 0, false},
        {"2.5|3", 0, true},
        {"3|4.5", 0, true},
        {"1.5|2|3", 0, true},
        {"1|2|3|4", 0, true},
        {"|3", 0, true},
        {"3|", 0, true},
        {"3||4", 0, true},
        {"abc", 0, true},
        {"1,5", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TFormatoNum& nf = NumberFormat();
        nf.Error = !c.error;
        EXPECT_EQ(nf.Parse(QString::fromLatin1(c.text)), c.want);
        EXPECT_EQ(nf.Error, c.error);
    }
    EXPECT_THROW(NumberFormat().Parse(QStringLiteral("1|0")), EZeroDivide);
    EXPECT_THROW(NumberFormat().Parse(QStringLiteral("0|0")), EZeroDivide);
    EXPECT_THROW(NumberFormat().Parse(QStringLiteral("1|2|0")), EZeroDivide);
}

TEST_F(FormatoNum, FractionsReadBackWhatTheyWrite)
{
    TFormatoNum& nf = NumberFormat();
    for (std::uint8_t mode : {nfFraction, nfMixedFraction}) {
        nf.Mode = mode;
        for (Extended x : {0.75L, -1.75L, 2.0L, 1.0L / 3, -22.0L / 7, 9998.5L}) {
            SCOPED_TRACE(::testing::Message() << "mode " << int(mode) << " x " << double(x));
            const QString text = nf.Format(x);
            const Extended back = nf.Parse(text);
            EXPECT_FALSE(nf.Error);
            EXPECT_LT(fabsl(back - x), 1e-15L) << text.toStdString();
        }
    }
}

} // namespace

namespace {

// Texts that are read again hold their value: the format's own text when it
// does (a rounding residue aside), else every digit, never an exponent.
TEST_F(FormatoNum, ExactTextsReadBackAsTheirValues)
{
    struct Case {
        std::uint8_t mode;
        Extended x;
        const char* text;
    } cases[] = {
        {nfFraction, 12345, "12345"},
        {nfFraction, -7669284, "-7669284"},
        {nfFraction, 1e20L, "100000000000000000000"},
        {nfFraction, 0.5L, "1|2"},
        {nfFraction, 1.0L / 3, "1|3"},
        {nfFraction, 1.0L / 9 + 0x1p-66L, "1|9"},   // a residue of one unit in the last place
        {nfFraction, 3264205514.0L / 239674245287.0L, "0.013619341995178701188"},   // not 40|2937
        {nfFraction, 1e-7L, "0.0000001"},
        {nfMixedFraction, 1.5L, "1|1|2"},
        {nfRounded, 0.125L, "0.125"},
        {nfRounded, 1.0L / 3, "0.33333333333333333334"},
        {nfFloat, 0.1L, "0.1"},
        {nfFloat, 1e15L, "1000000000000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        NumberFormat().Mode = c.mode;
        const QString text = NumberFormat().FormatExact(c.x);
        EXPECT_EQ(text, QString::fromLatin1(c.text));
        EXPECT_LE(fabsl(NumberFormat().Parse(text) - c.x), fabsl(c.x) * 0x1p-56L);
    }
}

TEST_F(FormatoNum, TypedValuesAreNumbersOrErrors)
{
    EXPECT_EQ(NumberFormat().ParseValue(QStringLiteral("1|2")), 0.5L);
    EXPECT_EQ(NumberFormat().ParseValue(QStringLiteral(" 2 ")), 2);
    struct Case {
        QString text;
        const char* message;
    } cases[] = {
        {QStringLiteral("zz"), "'zz' no es un valor decimal válido"},
        {QStringLiteral(""), "'' no es un valor decimal válido"},
        {QStringLiteral("2+"), "'2+' no es un valor decimal válido"},
        {QStringLiteral("1e5000"), "Desbordamiento"},
        {QString(5000, QLatin1Char('9')), "Desbordamiento"},
        {QString(5000, QLatin1Char('9')) + QStringLiteral("|2"), "Desbordamiento"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.left(20).toStdString());
        try {
            NumberFormat().ParseValue(c.text);
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
        }
    }
}

TEST(DataPrecision, ResiduesOfDecimalDataGo)
{
    struct Case {
        Extended x, scale, want;
    } cases[] = {
        {0x1p-55L, 273.15L, 0},                       // 491.67 °R in °C
        {1008 - 0x1p-53L, 1008, 1008},                // 1000 × 1.008
        {3.14159265358979323846L, 0, 3.14159265358979324L},
        {1.5e-30L, 0, 1.5e-30L},                     // a small result keeps its digits
        {-2.5L, 1, -2.5L},
        {0, 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(double(c.x));
        EXPECT_EQ(RoundToDataPrecision(c.x, c.scale), c.want);
    }
}

} // namespace
