#include "foundation/core/format.h"
#include "support/testsupport.h"

#include <clocale>
#include <cmath>
#include <limits>

namespace {

struct GeneralCase {
    Extended x;
    int precision;
    int digits;
    const char* text;
};

TEST(Format, GeneralTable)
{
    const GeneralCase cases[] = {
        {0.1L, 15, 0, "0.1"},
        {1.0L / 3, 15, 0, "0.333333333333333"},
        {2.0L / 3, 15, 0, "0.666666666666667"},
        {1e-15L, 15, 0, "1E-15"},
        {1.5e20L, 15, 0, "1.5E20"},
        {-1.5e20L, 15, 0, "-1.5E20"},
        {123456789012345.0L, 15, 0, "123456789012345"},
        {1234567890123456.0L, 15, 0, "1.23456789012346E15"},
        {0.00001L, 15, 0, "0.00001"},
        {0.000012345L, 15, 0, "0.000012345"},
        {0.0000012345L, 15, 0, "1.2345E-6"},
        {100, 15, 0, "100"},
        {-2.5L, 15, 0, "-2.5"},
        {0, 15, 0, "0"},
        {20000.5L, 4, 4, "2E0004"},
        {1234.5L, 4, 0, "1235"},
        {0.99996L, 4, 0, "1"},
        {3.14159265358979L, 4, 0, "3.142"},
        {1e100L, 15, 2, "1E100"},
        {1e-100L, 15, 3, "1E-100"},
        {1.5e20L, 15, 3, "1.5E020"},
        {999999999999999.9L, 15, 0, "1E15"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FloatToStrF(c.x, FloatFormat::General, c.precision, c.digits), QString(c.text));
    }
}

TEST(Format, FixedAndExponentTable)
{
    const GeneralCase fixed[] = {
        {1.0L / 3, 15, 4, "0.3333"},
        {1.0L / 3, 4, 6, "0.333300"},
        {2.5L, 15, 0, "3"},
        {-0.001L, 15, 2, "0.00"},
        {-1.005L, 15, 1, "-1.0"},
        {0.6L, 15, 0, "1"},
        {0.4L, 15, 0, "0"},
        {999.996L, 15, 2, "1000.00"},
        {0, 15, 3, "0.000"},
        {123.456L, 15, 3, "123.456"},
    };
    for (const auto& c : fixed) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FloatToStrF(c.x, FloatFormat::Fixed, c.precision, c.digits), QString(c.text));
    }
    const GeneralCase exponent[] = {
        {1500, 3, 3, "1.50E+003"},
        {-0.00025L, 2, 0, "-2.5E-4"},
        {0, 4, 2, "0.000E+00"},
        {9.999L, 3, 1, "1.00E+1"},
    };
    for (const auto& c : exponent) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FloatToStrF(c.x, FloatFormat::Exponent, c.precision, c.digits), QString(c.text));
    }
}

TEST(Format, NonFiniteValuesAreNamed)
{
    EXPECT_EQ(FloatToStr(std::numeric_limits<Extended>::infinity()), "INF");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<Extended>::infinity()), "-INF");
    EXPECT_EQ(FloatToStr(std::numeric_limits<Extended>::quiet_NaN()), "NAN");
}

TEST(Format, PrintfLikeTemplates)
{
    struct Case {
        const char* pattern;
        std::initializer_list<FormatArg> args;
        const char* text;
    };
    const Case cases[] = {
        {"%g", {1.5e20L}, "1.5E20"},
        {"%g", {0.1L}, "0.1"},
        {"%.4g", {3.14159265L}, "3.142"},
        {"%8.4g", {3.14159265L}, "   3.142"},
        {"%-8.4g|", {2.0L}, "2       |"},
        {"%d", {-42}, "-42"},
        {"%5d", {42}, "   42"},
        {"%.3d", {7}, "007"},
        {"%X", {255}, "FF"},
        {"%x", {-1}, "FFFFFFFFFFFFFFFF"},
        {"%.3f", {2.0L / 3}, "0.667"},
        {"%8.6f", {1.5L}, "1.500000"},
        {"%.0f", {2.5L}, "3"},
        {"{%s=%s} ", {"x", "2"}, "{x=2} "},
        {"%s no es un dígito válido en base %d", {"\"9\"", 8}, "\"9\" no es un dígito válido en base 8"},
        {"100%%", {}, "100%"},
        {"%d|%d|%d", {1, 3, 4}, "1|3|4"},
        {"%s y %s", {"a"}, "a y "},
        {"%e", {1500.0L}, "1.50000000000000E+003"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(Format(QString::fromUtf8(c.pattern), c.args), QString::fromUtf8(c.text));
    }
}

TEST(Format, IntegerHelpers)
{
    EXPECT_EQ(IntToStr(-9223372036854775807LL - 1), "-9223372036854775808");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
}

TEST(NumberReader, AcceptsOnlyPlainDecimalNumbers)
{
    struct Case {
        const char* text;
        bool ok;
        Extended value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {"1.5", true, 1.5L},
        {"-1.5", true, -1.5L},
        {"+2", true, 2},
        {".5", true, 0.5L},
        {"5.", true, 5},
        {"1e3", true, 1000},
        {"1E-2", true, 0.01L},
        {"2.5e+1", true, 25},
        {"0.1", true, 0.1L},
        {"1e-5000", true, 0},
        {"", false, 0},
        {"-", false, 0},
        {".", false, 0},
        {"1e", false, 0},
        {"1e+", false, 0},
        {" 1", false, 0},
        {"1 ", false, 0},
        {"1,5", false, 0},
        {"inf", false, 0},
        {"nan", false, 0},
        {"INF", false, 0},
        {"0x1A", false, 0},
        {"1e5000", false, 0},
        {"1.2.3", false, 0},
        {"--1", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Extended v = -7;
        bool ok = TryStrToFloat(QString::fromUtf8(c.text), v);
        EXPECT_EQ(ok, c.ok);
        if (c.ok)
            EXPECT_EQ(v, c.value);
        else
            EXPECT_EQ(v, -7) << "a refused text leaves the value alone";
    }
}

TEST(NumberReader, ValTellsWhereTheNumberStopped)
{
    struct Case {
        const char* text;
        int pos;
    };
    const Case cases[] = {
        {"12", 0}, {"3|4", 2}, {"-1|3|4", 3}, {"abc", 1}, {"2.5|3", 4}, {"1e", 3}, {"", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Extended v;
        EXPECT_EQ(ValFloat(QString::fromUtf8(c.text), v), c.pos);
    }
}

TEST(NumberReader, Integers)
{
    long long v = 0;
    EXPECT_TRUE(TryStrToInt(u"-9223372036854775808", v));
    EXPECT_EQ(v, std::numeric_limits<long long>::min());
    EXPECT_FALSE(TryStrToInt(u"9223372036854775808", v));
    EXPECT_TRUE(TryStrToInt(u"+17", v));
    EXPECT_EQ(v, 17);
    for (const char16_t* bad : {u"", u"-", u"1.0", u" 1", u"1a"})
        EXPECT_FALSE(TryStrToInt(QStringView(bad), v));
}

// A Spanish desktop writes "0,5" through the C library; the program's numbers must not.
TEST(Format, KeepsThePointUnderASpanishLocale)
{
    const char* old = std::setlocale(LC_ALL, nullptr);
    std::string saved = old ? old : "C";
    const char* es = std::setlocale(LC_ALL, "es_ES.UTF-8");
    ASSERT_NE(es, nullptr) << "the es_ES.UTF-8 locale must be installed (scripts/setup.sh)";
    char probe[32];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    EXPECT_STREQ(probe, "0,5") << "the locale really is Spanish";

    EXPECT_EQ(FloatToStr(0.5L), "0.5");
    EXPECT_EQ(Format("%.3f %g %8.4g", {2.5L, 1.5e20L, 0.125L}), "2.500 1.5E20    0.125");
    Extended v = 0;
    EXPECT_TRUE(TryStrToFloat(u"0.25", v));
    EXPECT_EQ(v, 0.25L);
    EXPECT_FALSE(TryStrToFloat(u"0,25", v));
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace
