#include "engine/rational/fraccion.h"

#include "engine/errors.h"
#include "foundation/core/exceptions.h"
#include "support/fixtures.h"

#include <cmath>
#include <functional>
#include <limits>
#include <type_traits>

using namespace rational;

namespace {

constexpr int64_t kMaxI64 = std::numeric_limits<int64_t>::max();
constexpr int64_t kMinI64 = std::numeric_limits<int64_t>::min();
constexpr uint32_t kMaxU32 = std::numeric_limits<uint32_t>::max();

// What an operation raised, so that tables can hold the expected fault.
enum class Fault { None, IntDivByZero, ZeroDivide, Overflow, InvalidOp, InvalidArgument, Other };

const char* faultName(Fault f)
{
    switch (f) {
    case Fault::None: return "none";
    case Fault::IntDivByZero: return "EIntDivByZero";
    case Fault::ZeroDivide: return "EZeroDivide";
    case Fault::Overflow: return "EOverflow";
    case Fault::InvalidOp: return "EInvalidOp";
    case Fault::InvalidArgument: return "EInvalidArgument";
    case Fault::Other: return "other";
    }
    return "?";
}

Fault faultOf(const std::function<void()>& op)
{
    try {
        op();
    } catch (const EZeroDivide&) {
        return Fault::ZeroDivide;
    } catch (const EOverflow&) {
        return Fault::Overflow;
    } catch (const EInvalidOp&) {
        return Fault::InvalidOp;
    } catch (const EInvalidArgument&) {
        return Fault::InvalidArgument;
    } catch (const EIntDivByZero&) {
        return Fault::IntDivByZero;
    } catch (...) {
        return Fault::Other;
    }
    return Fault::None;
}

#define EXPECT_FAULT(expected, op) \
    EXPECT_STREQ(faultName(expected), faultName(faultOf([&] { op; })))

#define EXPECT_FRAC(f, n, d)        \
    do {                            \
        EXPECT_EQ((f).Num(), (n));  \
        EXPECT_EQ((f).Den(), (d));  \
    } while (0)

class FracTest : public CoreStateTest {};

} // namespace

using FracSettingsTest = CoreStateTest;

TEST_F(FracSettingsTest, ResetRestoresStartUpValues)
{
    fracSettings().FracMaxDenominator = 7;
    fracSettings().MixedFractions = true;
    fracSettings().reset();
    EXPECT_EQ(fracSettings().FracMaxDenominator, 1000u);
    EXPECT_FALSE(fracSettings().MixedFractions);
}

TEST_F(FracTest, IsAPlainValue)
{
    static_assert(std::is_trivially_copyable_v<TFrac>);
    TFrac a(1, 2);
    TFrac b = a;
    b.Add(TFrac(1, 3));
    EXPECT_FRAC(a, 1, 2u);
    EXPECT_FRAC(b, 5, 6u);
    EXPECT_FRAC(TFrac(), 0, 1u);
}

TEST_F(FracTest, CreateReducesAndMovesTheSign)
{
    struct Case { int64_t n, d; int64_t num; uint32_t den; Fault fault; } cases[] = {
        {0, 7, 0, 1, Fault::None},
        {6, 4, 3, 2, Fault::None},
        {-6, 4, -3, 2, Fault::None},
        {6, -4, -3, 2, Fault::None},
        {-6, -4, 3, 2, Fault::None},
        {0, -5, 0, 1, Fault::None},
        {0, 0, 0, 1, Fault::None},       // a zero numerator settles the value first
        {5, 1, 5, 1, Fault::None},
        {kMaxI64, 1, kMaxI64, 1, Fault::None},
        {kMinI64, 2, kMinI64 / 2, 1, Fault::None},
        {3, 4294967295LL, 1, 1431655765u, Fault::None},
        {12, 5000000000LL, 3, 1250000000u, Fault::None}, // fits once reduced
        {1, 0, 0, 0, Fault::IntDivByZero},
        {-3, 0, 0, 0, Fault::IntDivByZero},
        {1, 5000000000LL, 0, 0, Fault::Overflow}, // not 1/705032704
        {1, 4294967296LL, 0, 0, Fault::Overflow},
        {kMinI64, 1, 0, 0, Fault::Overflow},     // -2^63 cannot be negated
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.n << "/" << c.d);
        TFrac f;
        EXPECT_FAULT(c.fault, f = TFrac(c.n, c.d));
        if (c.fault == Fault::None)
            EXPECT_FRAC(f, c.num, c.den);
    }
}

TEST_F(FracTest, ArithmeticIsExactAndReduced)
{
    enum Op { Add, Sub, Mul, Div };
    // 9223372036854775807 and 4294967295 share no factor.
    struct Case { Op op; TFrac a, b; int64_t num; uint32_t den; } cases[] = {
        {Add, {1, 3}, {1, 6}, 1, 2},
        {Add, {-1, 2}, {1, 2}, 0, 1},
        {Add, {5, 1}, {-7, 3}, 8, 3},
        {Sub, {1, 2}, {3, 4}, -1, 4},
        {Sub, {-1, 3}, {-1, 3}, 0, 1},
        {Mul, {2, 3}, {-3, 4}, -1, 2},
        {Mul, {-2, 3}, {-9, 4}, 3, 2},
        {Mul, {0, 1}, {-9, 4}, 0, 1},
        {Div, {1, 2}, {-1, 3}, -3, 2},
        {Div, {-1, 2}, {-1, 3}, 3, 2},
        {Div, {0, 1}, {5, 7}, 0, 1},
        {Div, {0, 1}, {0, 1}, 0, 1},
        {Div, {7, 1}, {7, 1}, 1, 1},
        // Intermediate products beyond 64 bits whose reduced result fits.
        {Mul, {kMaxI64, kMaxU32}, {kMaxU32, 7}, kMaxI64 / 7, 1},
        {Sub, {kMaxI64, kMaxU32}, {kMaxI64, kMaxU32}, 0, 1},
        {Div, {kMaxI64, kMaxU32}, {-kMaxI64, kMaxU32}, -1, 1},
        {Add, {kMaxI64, 2}, {1, 2}, 1LL << 62, 1},
    };
    const char* names[] = {"+", "-", "*", "/"};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a.Num() << "|" << c.a.Den() << " " << names[c.op]
                                        << " " << c.b.Num() << "|" << c.b.Den());
        TFrac r = c.a;
        const TFrac b = c.b;
        switch (c.op) {
        case Add: r.Add(c.b); break;
        case Sub: r.Subtract(c.b); break;
        case Mul: r.Multiply(c.b); break;
        case Div: r.Divide(c.b); break;
        }
        EXPECT_FRAC(r, c.num, c.den);
        EXPECT_EQ(c.b, b); // the other operand is left alone
    }
}

TEST_F(FracTest, DivisionByZeroIsRefusedAndLeavesTheValue)
{
    TFrac f(1, 2);
    EXPECT_FAULT(Fault::IntDivByZero, f.Divide(TFrac(0, 5)));
    EXPECT_FRAC(f, 1, 2u);
    TFrac z;
    EXPECT_FAULT(Fault::IntDivByZero, z.Reciprocal());
    EXPECT_FRAC(z, 0, 1u);
}

// The sums, products and quotients that the 64/32-bit fields cannot hold are
// reported, never wrapped into a wrong value.
TEST_F(FracTest, OverflowIsReportedAndLeavesTheValue)
{
    // 1/2 + 1/3 + ... + 1/24 still fits (denominator 356948592); adding 1/25
    // needs 8923714800 and used to wrap to a sum of about 75.3.
    TFrac sum;
    for (int k = 2; k <= 24; ++k)
        sum.Add(TFrac(1, k));
    const TFrac before = sum;
    EXPECT_EQ(before.Den(), 356948592u);
    EXPECT_FAULT(Fault::Overflow, sum.Add(TFrac(1, 25)));
    EXPECT_EQ(sum, before);

    enum Op { Add, Sub, Mul, Div };
    struct Case { Op op; TFrac a, b; } cases[] = {
        {Mul, {1, 65536}, {1, 65537}},           // denominator 4295032832
        {Add, {1, 65536}, {1, 65537}},
        {Add, {kMaxI64, 1}, {1, 1}},
        {Sub, {-kMaxI64, 1}, {1, 1}},             // -2^63 is out of range too
        {Mul, {1LL << 62, 1}, {2, 1}},
        {Mul, {kMaxI64, 1}, {kMaxI64, 1}},
        {Div, {kMaxI64, 1}, {1, 2}},
        {Div, {1, kMaxU32}, {2, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a.Num() << "|" << c.a.Den() << " op" << c.op << " "
                                        << c.b.Num() << "|" << c.b.Den());
        TFrac r = c.a;
        switch (c.op) {
        case Add: EXPECT_FAULT(Fault::Overflow, r.Add(c.b)); break;
        case Sub: EXPECT_FAULT(Fault::Overflow, r.Subtract(c.b)); break;
        case Mul: EXPECT_FAULT(Fault::Overflow, r.Multiply(c.b)); break;
        case Div: EXPECT_FAULT(Fault::Overflow, r.Divide(c.b)); break;
        }
        EXPECT_EQ(r, c.a);
    }
}

TEST_F(FracTest, Reciprocal)
{
    struct Case { TFrac f; int64_t num; uint32_t den; Fault fault; } cases[] = {
        {{2, 3}, 3, 2, Fault::None},
        {{-2, 3}, -3, 2, Fault::None},
        {{5, 1}, 1, 5, Fault::None},
        {{-7, 1}, -1, 7, Fault::None},
        {{1, kMaxU32}, kMaxU32, 1, Fault::None},
        {{-4294967295LL, 1}, -1, kMaxU32, Fault::None},
        {{5000000000LL, 1}, 0, 0, Fault::Overflow},
        {{0, 1}, 0, 0, Fault::IntDivByZero},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.f.Num() << "|" << c.f.Den());
        TFrac r = c.f;
        EXPECT_FAULT(c.fault, r.Reciprocal());
        if (c.fault == Fault::None)
            EXPECT_FRAC(r, c.num, c.den);
        else
            EXPECT_EQ(r, c.f);
    }
}

TEST_F(FracTest, WholePartRemainderAndFloat)
{
    struct Case { TFrac f; int64_t whole, rest; Extended value; } cases[] = {
        {{7, 2}, 3, 1, 3.5L},
        {{-7, 2}, -3, -1, -3.5L},
        {{1, 2}, 0, 1, 0.5L},
        {{-1, 3}, 0, -1, -1.0L / 3},
        {{-5, 1}, -5, 0, -5.0L},
        {{0, 1}, 0, 0, 0.0L},
        {{kMaxI64, 1}, kMaxI64, 0, 9223372036854775807.0L},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.f.Num() << "|" << c.f.Den());
        EXPECT_EQ(c.f.IntPart(), c.whole);
        EXPECT_EQ(c.f.FracNumerator(), c.rest);
        EXPECT_EQ(c.f.ToFloat(), c.value);
    }
}

TEST_F(FracTest, Gcd)
{
    struct Case { uint64_t a; uint32_t b; uint32_t g; } cases[] = {
        {12, 18, 6}, {18, 12, 6}, {0, 5, 5}, {7, 1, 1}, {17, 5, 1},
        {1ULL << 63, 1u << 31, 1u << 31},
        {18446744073709551615ULL, kMaxU32, kMaxU32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << ", " << c.b);
        EXPECT_EQ(Gcd(c.a, c.b), c.g);
    }
    EXPECT_FAULT(Fault::IntDivByZero, Gcd(5, 0));
}

TEST_F(FracTest, ContinuedFraction)
{
    const Extended inf = std::numeric_limits<Extended>::infinity();
    const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
    struct Case { int terms; Extended x; int64_t num; uint32_t den; Fault fault; } cases[] = {
        {1, kPi, 3, 1, Fault::None},
        {2, kPi, 22, 7, Fault::None},
        {3, kPi, 333, 106, Fault::None},
        {4, kPi, 355, 113, Fault::None},
        {1, 2.5L, 2, 1, Fault::None},
        {2, 2.5L, 5, 2, Fault::None},
        {9, 0.5L, 1, 2, Fault::None},                // stops when nothing is left
        {2, 0.0007L, 1, 1428, Fault::None},
        {2, 10460353203.0L, 10460353203LL, 1, Fault::None}, // terms beyond 32 bits
        {1, 0.3L, 0, 0, Fault::IntDivByZero},        // a single term 0
        {3, 0.0L, 0, 0, Fault::IntDivByZero},
        {0, 2.5L, 0, 0, Fault::InvalidArgument},
        {2, nan, 0, 0, Fault::InvalidOp},
        {2, inf, 0, 0, Fault::Overflow},
        {1, 1e19L, 0, 0, Fault::Overflow},
        {60, kPi, 0, 0, Fault::Overflow},            // convergents outgrow 64/32 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.terms << " terms of " << static_cast<double>(c.x));
        TFrac f;
        EXPECT_FAULT(c.fault, f = ContinuedFraction(static_cast<uint8_t>(c.terms), c.x));
        if (c.fault == Fault::None)
            EXPECT_FRAC(f, c.num, c.den);
    }
}

TEST_F(FracTest, FloatToFrac)
{
    const Extended inf = std::numeric_limits<Extended>::infinity();
    const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
    struct Case { uint32_t max; Extended x; int64_t num; uint32_t den; Fault fault; } cases[] = {
        {1000, 0.3333333L, 1, 3, Fault::None},
        {1000, 3.14159265L, 355, 113, Fault::None},
        {1000, 0.0004L, 0, 1, Fault::None},      // below 0.5 / 1000
        {1000, 0.0007L, 0, 1, Fault::None},      // first convergent 1/1428 is too large
        {1000, 1.7320508L, 1351, 780, Fault::None},
        {780, 1.7320508L, 1351, 780, Fault::None}, // a denominator equal to the limit is kept
        {779, 1.7320508L, 989, 571, Fault::None},
        {1000, -3.0001L, -3, 1, Fault::None},
        {1000, -0.3L, -3, 10, Fault::None},
        {1000, -0.0007L, 0, 1, Fault::None},
        {1000, 0.0L, 0, 1, Fault::None},
        {1000, 0.75L, 3, 4, Fault::None},
        {1000, 42.0L, 42, 1, Fault::None},
        {10000, 0.3333L, 3333, 10000, Fault::None},
        {1000, 0.3333L, 1, 3, Fault::None},
        {kMaxU32, 1.0L / 3, 1, 3, Fault::None},
        {1000, 10460353203.0L, 10460353203LL, 1, Fault::None},   // not 1870418611
        {1000, -9223372036854775807.0L + 1024, -9223372036854774783LL, 1, Fault::None},
        {1000, 9223372036854775808.0L, 0, 0, Fault::Overflow},
        {1000, -1e30L, 0, 0, Fault::Overflow},
        {1000, inf, 0, 0, Fault::Overflow},
        {1000, -inf, 0, 0, Fault::Overflow},
        {1000, nan, 0, 0, Fault::InvalidOp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.max << ", " << static_cast<double>(c.x));
        TFrac f;
        EXPECT_FAULT(c.fault, f = FloatToFrac(c.max, c.x));
        if (c.fault == Fault::None)
            EXPECT_FRAC(f, c.num, c.den);
    }
}

TEST_F(FracTest, FloatToFracWithTheLargestLimitStaysClose)
{
    // Ends on the first convergent that no longer fits, keeping the one before.
    const TFrac f = FloatToFrac(kMaxU32, kPi);
    EXPECT_GT(f.Den(), 1000000u);
    EXPECT_NEAR(static_cast<double>(f.ToFloat() - kPi), 0.0, 1e-15);
}

TEST_F(FracTest, FloatToFracZeroTakesTheCurrentLimit)
{
    EXPECT_EQ(FloatToFrac(0, 0.3333L), TFrac(1, 3));
    fracSettings().FracMaxDenominator = 10000;
    EXPECT_EQ(FloatToFrac(0, 0.3333L), TFrac(3333, 10000));
    fracSettings().FracMaxDenominator = 0;
    EXPECT_FAULT(Fault::ZeroDivide, FloatToFrac(0, 0.3333L));
}

TEST_F(FracTest, PowerAndRoot)
{
    enum Op { Pow, Root };
    struct Case { Op op; TFrac base, arg; int64_t num; uint32_t den; Fault fault; } cases[] = {
        {Pow, {1, 2}, {1, 2}, 408, 577, Fault::None},
        {Pow, {2, 1}, {1, 2}, 1393, 985, Fault::None},
        {Pow, {2, 1}, {3, 1}, 8, 1, Fault::None},
        {Pow, {2, 3}, {2, 1}, 4, 9, Fault::None},
        {Pow, {2, 1}, {-1, 1}, 1, 2, Fault::None},
        {Pow, {-2, 1}, {3, 1}, -8, 1, Fault::None},
        {Pow, {-3, 2}, {-2, 1}, 4, 9, Fault::None},
        {Pow, {5, 7}, {0, 1}, 1, 1, Fault::None},
        {Pow, {0, 1}, {0, 1}, 1, 1, Fault::None},
        {Pow, {0, 1}, {2, 1}, 0, 1, Fault::None},
        {Pow, {3, 1}, {21, 1}, 10460353203LL, 1, Fault::None}, // not 1870418611
        {Pow, {3, 1}, {39, 1}, 4052555153018976267LL, 1, Fault::None},
        // Exponents of two thousand million, done by squaring.
        {Pow, {1, 1}, {2000000000, 1}, 1, 1, Fault::None},
        {Pow, {-1, 1}, {2000000001, 1}, -1, 1, Fault::None},
        {Pow, {1, 2}, {2000000000, 1}, 0, 1, Fault::None},
        {Pow, {2, 1}, {-2000000000, 1}, 0, 1, Fault::None},
        {Pow, {2, 1}, {2000000000, 1}, 0, 0, Fault::Overflow},
        {Pow, {3, 1}, {40, 1}, 0, 0, Fault::Overflow},       // beyond a 64-bit numerator
        {Pow, {1, 1000}, {-2000, 1}, 0, 0, Fault::Overflow},
        {Pow, {0, 1}, {-1, 1}, 0, 0, Fault::ZeroDivide},
        {Pow, {-8, 1}, {1, 3}, 0, 0, Fault::InvalidOp},
        {Root, {8, 1}, {3, 1}, 2, 1, Fault::None},
        {Root, {27, 1}, {-3, 1}, 1, 3, Fault::None},
        {Root, {9, 4}, {2, 1}, 3, 2, Fault::None},
        {Root, {2, 1}, {2, 1}, 1393, 985, Fault::None},
        {Root, {3, 1}, {1, 2}, 9, 1, Fault::None},
        {Root, {-8, 1}, {3, 1}, 0, 0, Fault::InvalidOp},
        {Root, {4, 1}, {0, 1}, 0, 0, Fault::ZeroDivide},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.base.Num() << "|" << c.base.Den()
                                        << (c.op == Pow ? " ^ " : " \\ ") << c.arg.Num() << "|"
                                        << c.arg.Den());
        TFrac r = c.base;
        if (c.op == Pow)
            EXPECT_FAULT(c.fault, r.Power(c.arg));
        else
            EXPECT_FAULT(c.fault, r.Root(c.arg));
        if (c.fault == Fault::None)
            EXPECT_FRAC(r, c.num, c.den);
        else
            EXPECT_EQ(r, c.base);
    }
}

TEST_F(FracTest, PowerReadsTheLimitAtTheCall)
{
    TFrac r(1, 2);
    fracSettings().FracMaxDenominator = 10000;
    r.Power(TFrac(1, 2));
    EXPECT_FRAC(r, 5741, 8119u);
}

TEST_F(FracTest, FracToStr)
{
    struct Case { TFrac f; const char* plain; const char* mixed; } cases[] = {
        {{5, 1}, "5", "5"},
        {{-5, 1}, "-5", "-5"},
        {{0, 1}, "0", "0"},
        {{1, 2}, "1|2", "1|2"},
        {{-1, 2}, "-1|2", "-1|2"},
        {{7, 2}, "7|2", "3|1|2"},
        {{-7, 2}, "-7|2", "-3|1|2"},
        {{5, 4}, "5|4", "1|1|4"},
        {{kMaxI64, kMaxU32}, "9223372036854775807|4294967295", "2147483648|2147483647|4294967295"},
        {{-kMaxI64, 1}, "-9223372036854775807", "-9223372036854775807"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.f.Num() << "|" << c.f.Den());
        fracSettings().MixedFractions = false;
        EXPECT_EQ(FracToStr(c.f), QString::fromUtf8(c.plain));
        fracSettings().MixedFractions = true;
        EXPECT_EQ(FracToStr(c.f), QString::fromUtf8(c.mixed));
    }
}
