#include "engine/bases.h"
#include "engine/errors.h"
#include "foundation/core/exceptions.h"
#include "support/fixtures.h"

#include <cmath>
#include <limits>

namespace {

class Bases : public CoreStateTest {};

TEST_F(Bases, StartUpDefaults)
{
    numtext().DisplayDigits = 3;
    numtext().BaseError = true;
    numtext().reset();
    const NumberTextState& st = numtext();
    EXPECT_EQ(st.DisplayDigits, 16);
    EXPECT_TRUE(st.StripTrailingZeros);
    EXPECT_EQ(st.DisplayNotation, dnAutomatic);
    EXPECT_EQ(st.DisplayBase, 10);
    EXPECT_FALSE(st.GroupDigits);
    EXPECT_FALSE(st.BaseError);
}

TEST_F(Bases, Digits)
{
    EXPECT_EQ(DigitToChar(0), QChar('0'));
    EXPECT_EQ(DigitToChar(9), QChar('9'));
    EXPECT_EQ(DigitToChar(10), QChar('A'));
    EXPECT_EQ(DigitToChar(35), QChar('Z'));
    EXPECT_EQ(CharToDigit('7'), 7);
    EXPECT_EQ(CharToDigit('A'), 10);
    EXPECT_EQ(CharToDigit('z'), 35);
    EXPECT_FALSE(numtext().BaseError);
    EXPECT_EQ(CharToDigit('#'), 0);
    EXPECT_TRUE(numtext().BaseError);
    EXPECT_EQ(numtext().BaseErrorMessage, QStringLiteral("Error de sintaxis (Caracter no reconocido)"));
    EXPECT_EQ(RemoveBlanks(QStringLiteral(" 1 2  3 ")), QStringLiteral("123"));
}

TEST_F(Bases, IntToBase)
{
    struct Case {
        int base;
        std::int64_t n;
        const char* want;
    };
    const Case cases[] = {
        {16, 255, "FF"},
        {2, -5, "-101"},
        {10, 0, "0"},
        {8, 64, "100"},
        {36, 35, "Z"},
        {16, std::numeric_limits<std::int64_t>::min(), "-8000000000000000"},
        {36, std::numeric_limits<std::int64_t>::min(), "-1Y2P0IJ32E8E8"},
        {10, std::numeric_limits<std::int64_t>::max(), "9223372036854775807"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.want);
        EXPECT_EQ(IntToBase(c.base, c.n), QString::fromLatin1(c.want));
    }
}

// One written number: the settings that differ from the defaults, then the text.
struct WriteCase {
    int base;
    Extended x;
    const char* want;
    int digits = 16;
    bool strip = true;
    std::uint8_t notation = dnAutomatic;
    bool group = false;
};

void checkWrites(const WriteCase* begin, const WriteCase* end)
{
    for (const WriteCase* c = begin; c != end; ++c) {
        SCOPED_TRACE(::testing::Message() << c->want << " (digits " << c->digits << ", strip "
                                          << c->strip << ", notation " << int(c->notation)
                                          << ", group " << c->group << ")");
        numtext().reset();
        numtext().DisplayDigits = static_cast<std::uint8_t>(c->digits);
        numtext().StripTrailingZeros = c->strip;
        numtext().DisplayNotation = c->notation;
        numtext().GroupDigits = c->group;
        EXPECT_EQ(FloatToStrBase(c->base, c->x), QString::fromUtf8(c->want));
        EXPECT_EQ(numtext().LastBase, c->base);
    }
}

TEST_F(Bases, WritesFixedText)
{
    const WriteCase cases[] = {
        {10, 0, "0"},
        {16, 0, "0 [16]"},
        {16, 255, "FF [16]"},
        {2, 0.1L, "0.000110011001101 [2]"}, // the 16th digit rounded up, the trailing 0 dropped
        {10, 0.1L, "0.1"},
        {10, -0.5L, "-0.5"},
        {10, 1234.5L, "1234.5"},
        {10, 2.0L / 3, "0.6667", 4},
        {10, 0.99996L, "1", 4},
        {10, -0.99996L, "-1", 4},
        {10, 2, "2", 4},
        {10, 2, "2.0000", 4, false},
        {10, 2.5L, "2.5000", 4, false},
        {10, 2, "2", 1, false}, // a single "0" is never written
        {16, 255.999L, "100 [16]", 2},
        {8, 0.5L, "0.4 [8]"},
        {36, 35.5L, "Z.I [36]"},
        {10, 1e-16L, "0.0000000000000001"},
        {10, 0.5L, "1", 0},
        {10, 1, "1", 0},
    };
    checkWrites(std::begin(cases), std::end(cases));
}

TEST_F(Bases, WritesIntegerPartsBeyondSixtyFourBits)
{
    // The integer part is never narrowed to a signed 64-bit integer: from 2^63
    // up it used to be a platform fault.
    const WriteCase cases[] = {
        {16, 18446744073709551615.0L, "FFFFFFFFFFFFFFFF [16]"},
        {16, 9223372036854775808.0L, "8000000000000000 [16]"},
        {10, 9223372036854775808.0L, "9223372036854775808", 19},
        {10, 18446744073709551616.0L, "18446744073709551616", 20},
        {10, 18446744073709551616.0L, "0.1844674407370955e20", 16},
        {10, 12157665459056928801.0L, "12157665459056928801", 20}, // 3^40
        {10, ldexpl(1, 100), "1267650600228229401496703205376", 40},
        {36, 35 * powl(36, 15), "Z000000000000000 [36]"},
    };
    checkWrites(std::begin(cases), std::end(cases));

    numtext().DisplayDigits = 255;
    EXPECT_EQ(FloatToStrBase(32, ldexpl(1, 1000)), QStringLiteral("1") + QString(200, '0') + QStringLiteral(" [32]"));
}

TEST_F(Bases, WritesTheThreeNotations)
{
    const WriteCase cases[] = {
        {10, 1.5e20L, "0.15e21"}, // automatic: the logarithm is above 16
        {10, 1e20L, "1e20"},
        {10, 1.5e-17L, "0.15e-16"},
        {10, -1.5e20L, "-0.15e21"},
        {10, 1.5e20L, "1.5e20", 16, true, dnScientific},
        {10, 2, "2", 16, true, dnScientific},
        {10, 0.025L, "2.5e-2", 16, true, dnScientific},
        {10, 1000, "10e2", 16, true, dnScientific}, // the mantissa lies in (1, base]
        {10, 15000, "15e3", 16, true, dnEngineering},
        {10, 0.05L, "50e-3", 16, true, dnEngineering},
        {10, 1.5e20L, "0.15e21", 16, true, dnEngineering},
        {10, 123456, "0.123456e6", 16, true, dnEngineering},
        {10, 123.456L, "0.12e3", 2},
        {16, 1.5L * powl(16, 20), "0.18e15 [16]"}, // 16^21: the exponent is written in the base
        {16, 1.5L / 4096, "1.8e-3 [16]", 16, true, dnScientific},
        {2, 8, "1e11 [2]", 16, true, dnEngineering},
        {10, 1.5e-4000L, "1.5e-4000", 16, true, dnScientific},
        {10, 1.1e4932L, "1.1e4932", 16, true, dnScientific},
        {10, 1234567.0L, "1.234 567e6", 16, true, dnScientific, true},
    };
    checkWrites(std::begin(cases), std::end(cases));
}

TEST_F(Bases, GroupsDigits)
{
    const WriteCase cases[] = {
        {10, 1234567, "1 234 567", 16, true, dnAutomatic, true},
        {10, -123456, "-123 456", 16, true, dnAutomatic, true},
        {10, -1234, "-1 234", 16, true, dnAutomatic, true},
        {10, 123, "123", 16, true, dnAutomatic, true},
        {10, 0.1234567L, "0.123 456 7", 7, true, dnAutomatic, true},
        {10, 0.125L, "0.125", 16, true, dnAutomatic, true},
        {10, 1234.5678L, "1 234.567 8", 4, true, dnAutomatic, true},
        {16, 65535, "F FFF [16]", 16, true, dnAutomatic, true},
        {16, -65535.5L, "-F FFF.8 [16]", 16, true, dnAutomatic, true},
    };
    checkWrites(std::begin(cases), std::end(cases));
}

TEST_F(Bases, DefaultBaseAndLastBase)
{
    numtext().DisplayBase = 16;
    EXPECT_EQ(FloatToStrDefBase(255), QStringLiteral("FF [16]"));
    EXPECT_EQ(numtext().LastBase, 16);
    EXPECT_EQ(FloatToStrBase(10, 255), QStringLiteral("255"));
    EXPECT_EQ(numtext().LastBase, 10);
    ParseNumberWithBase(QStringLiteral("b101"));
    EXPECT_EQ(numtext().LastBase, 2);
    ParseNumberWithBase(QStringLiteral("9[8]"));
    EXPECT_TRUE(numtext().BaseError);
    EXPECT_EQ(numtext().LastBase, 2) << "a failed read leaves it";
    EXPECT_THROW(FloatToStrBase(1, 5), EInvalidArgument);
    EXPECT_THROW(FloatToStrBase(37, 5), EInvalidArgument);
}

TEST_F(Bases, NonFiniteValuesAreWrittenNotFaulted)
{
    EXPECT_EQ(FloatToStrBase(10, std::numeric_limits<Extended>::infinity()), QStringLiteral("INF"));
    EXPECT_EQ(FloatToStrBase(16, -std::numeric_limits<Extended>::infinity()), QStringLiteral("-INF"));
    EXPECT_EQ(FloatToStrBase(2, std::numeric_limits<Extended>::quiet_NaN()), QStringLiteral("NAN"));
    // The pieces the writer is made of are just as safe on their own.
    for (auto* write : {&FixedToBase, &SciToBase}) {
        EXPECT_EQ(write(16, std::numeric_limits<Extended>::infinity()), QStringLiteral("INF"));
        EXPECT_EQ(write(10, -std::numeric_limits<Extended>::infinity()), QStringLiteral("-INF"));
        EXPECT_EQ(write(36, std::numeric_limits<Extended>::quiet_NaN()), QStringLiteral("NAN"));
    }
}

TEST_F(Bases, ReadsNumbers)
{
    struct Case {
        const char* text;
        Extended want;
        int base;
    };
    const Case cases[] = {
        {"FF[16]", 255, 16},
        {"h1F", 31, 16},
        {"b101", 5, 2},
        {"o17", 15, 8},
        {"1e3", 1000, 10},
        {"1e3[16]", 4096, 16},
        {"1.8[16]", 1.5L, 16},
        {"AE1[16]", 2785, 16},
        {"-1e-2", -0.01L, 10},
        {"1.5e-1", 0.15L, 10},
        {"1e+2", 100, 10},
        {"+5", 5, 10},
        {" 1 234.5 ", 1234.5L, 10},
        {"0.1", 0.1L, 10},          // correctly rounded, as the 80-bit literal
        {"123.456", 123.456L, 10},
        {"3.14159265358979323846", kPi, 10},
        {"ZZ[36]", 1295, 36},
        {"zz[36]", 1295, 36},       // lower-case digits
        {"E[16]", 14, 16},          // the upper-case E is always a digit
        {"1e1[16]", 16, 16},        // the exponent counts powers of the base, in the base
        {"A.8e-1[16]", 0.65625L, 16},
        {"1e10[2]", 4, 2},
        {"10[2]", 2, 2},
        {"0.1[3]", 1.0L / 3, 3},
        {"-0.4[8]", -0.5L, 8},
        {"2e[16]", 2, 16},          // base 14 and up: an empty exponent is no error
        {"1e-99999", 0, 10},        // underflow reads as zero
        {"0e99999", 0, 10},
        {"1.", 1, 10},
        {"000000000000000000000000000000000000000001", 1, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Extended v = ParseNumberWithBase(QString::fromLatin1(c.text));
        EXPECT_FALSE(numtext().BaseError) << numtext().BaseErrorMessage.toStdString();
        EXPECT_EQ(v, c.want);
        EXPECT_EQ(numtext().LastBase, c.base);
    }
    EXPECT_EQ(ParseNumberInBase(QStringLiteral("ff"), 16), 255);
    EXPECT_EQ(ParseNumberInBase(QStringLiteral("-1.1"), 2), -1.5L);
}

TEST_F(Bases, ReadFailuresWordForWord)
{
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"", "Vacio"},
        {"   ", "Vacio"},
        {"h", "Vacio"},
        {"ae1[16]", "Expresión ambigua"},
        {"2e", "Falta exponente despues de \"e\""},
        {"2e[13]", "Falta exponente despues de \"e\""},
        {"2e-", "Falta exponente despues de \"e\""},
        {"2e+[8]", "Falta exponente despues de \"e\""},
        {"e2", "Falta mantisa"},
        {"-e99999", "Falta mantisa"},
        {".", "Falta mantisa"},
        {"1e99999", "Desbordamiento"},
        {"2e1.5", "Exponente debe ser entero"},
        {"1..2", "Error de sintaxis (punto decimal repetido)"},
        {"1ee2", "Error de sintaxis (exp repetido)"},
        {"1+2", "Error de sintaxis (\"+\")"},
        {"1-2", "Error de sintaxis (\"-\")"},
        {"1e2-3", "Error de sintaxis (\"-\")"},
        {"12[1]", "Base de numeración debe estar entre 2 y 36 inclusive"},
        {"12[37]", "Base de numeración debe estar entre 2 y 36 inclusive"},
        {"12[-16]", "Base de numeración debe estar entre 2 y 36 inclusive"},
        {"1]2", "Error de corchetes"},
        {"]1[16]", "Error de corchetes"},
        {"9[8]", "\"9\" no es un dígito válido en base 8"},
        {"98[8]", "\"8\" no es un dígito válido en base 8"},     // integer part read from the right
        {"9.98[8]", "\"9\" no es un dígito válido en base 8"},   // the fraction before the integer part
        {"9.9e8[8]", "\"8\" no es un dígito válido en base 8"},  // the exponent first of all
        {"1E2", "\"E\" no es un dígito válido en base 10"},
        {"bz", "\"z\" no es un dígito válido en base 2"},
        {"-b101", "\"b\" no es un dígito válido en base 10"},    // a prefix only in first place
        {"h1F[16]", "\"h\" no es un dígito válido en base 16"},  // no prefix with a bracket base
        {"1#", "Error de sintaxis (Caracter no reconocido)"},
        {"1[]", "Error de sintaxis (Caracter no reconocido)"},
        {"1[16", "Error de sintaxis (Caracter no reconocido)"},
        {"[16]", "Error de sintaxis (Caracter no reconocido)"},
        {"1,5", "Error de sintaxis (Caracter no reconocido)"},
        // The scan goes on, and a later failure replaces the message.
        {"1+2#", "Error de sintaxis (Caracter no reconocido)"},
        {"1..2e", "Falta exponente despues de \"e\""},
        {"2e1.5.", "Exponente debe ser entero"},
        // Beyond the extended range: a clear message, not an infinity.
        {"1e99999", "Desbordamiento"},
        {"1e99999[16]", "Desbordamiento"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        numtext().reset();
        ParseNumberWithBase(QString::fromUtf8(c.text));
        EXPECT_TRUE(numtext().BaseError);
        EXPECT_EQ(numtext().BaseErrorMessage, QString::fromUtf8(c.message));
    }
    // The next good read clears the flag.
    EXPECT_EQ(ParseNumberWithBase(QStringLiteral("12")), 12);
    EXPECT_FALSE(numtext().BaseError);
    EXPECT_EQ(ParseNumberInBase(QStringLiteral("1"), 40), 0);
    EXPECT_TRUE(numtext().BaseError);
}

TEST_F(Bases, NonIntegerBetweenBracketsIsAConversionError)
{
    EXPECT_THROW(ParseNumberWithBase(QStringLiteral("1[1a]")), EConvertError);
    EXPECT_THROW(ParseNumberWithBase(QStringLiteral("1[1.5]")), EConvertError);
}

TEST_F(Bases, RoundTripsInEveryBase)
{
    const Extended values[] = {1, 0.1L, -1234.5678L, 1e10L, 3.7e-5L, kPi, -1e-30L, 6.02214076e23L, 255};
    const std::uint8_t notations[] = {dnAutomatic, dnScientific, dnEngineering};
    for (int base = 2; base <= 36; ++base) {
        for (std::uint8_t notation : notations) {
            for (bool group : {false, true}) {
                numtext().reset();
                numtext().DisplayNotation = notation;
                numtext().GroupDigits = group;
                for (Extended x : values) {
                    const QString text = FloatToStrBase(base, x);
                    SCOPED_TRACE(::testing::Message() << "base " << base << " notation " << int(notation)
                                                      << " text " << text.toStdString());
                    const Extended back = ParseNumberWithBase(text);
                    ASSERT_FALSE(numtext().BaseError) << numtext().BaseErrorMessage.toStdString();
                    EXPECT_EQ(numtext().LastBase, base);
                    // 16 digits of the base after the point: of the number itself
                    // in fixed notation, of a mantissa up to base^2 otherwise; in
                    // the larger bases the 80-bit precision runs out first.
                    const Extended tol = powl(base, -16) * (1 + fabsl(x) * base * base)
                                         + 16 * std::numeric_limits<Extended>::epsilon() * fabsl(x);
                    EXPECT_LE(fabsl(back - x), tol) << double(back) << " vs " << double(x);
                }
            }
        }
        // Integers written in fixed notation come back exactly.
        numtext().reset();
        for (Extended n : {0.0L, 7.0L, -123456789.0L, 4294967296.0L}) {
            if (fabsl(n) >= powl(base, 16))
                continue;
            SCOPED_TRACE(::testing::Message() << "base " << base << " n " << double(n));
            EXPECT_EQ(ParseNumberWithBase(FloatToStrBase(base, n)), n);
        }
    }
}

} // namespace
