#include "engine/complex/mcomplex.h"

#include "engine/errors.h"
#include "foundation/core/basicos.h"
#include "foundation/core/exceptions.h"
#include "support/fixtures.h"
#include "support/recordingsink.h"

#include <cmath>
#include <functional>
#include <limits>
#include <ostream>

namespace complex {
// Lets GoogleTest print complex numbers in its failure messages.
void PrintTo(const TComplex& z, std::ostream* os)
{
    *os << '(' << static_cast<double>(z.Re) << ", " << static_cast<double>(z.Im) << ')';
}
} // namespace complex

namespace {

using namespace complex;

using Fn1 = void (*)(TComplex, TComplex&);

const Extended kHalfPi = kPi / 2;

// Each part within tol of the expected one, relative to the size of the value.
::testing::AssertionResult Near(TComplex got, TComplex want, Extended tol = 1e-17L)
{
    const Extended scale = std::max<Extended>(1, std::max(std::fabs(want.Re), std::fabs(want.Im)));
    if (std::fabs(got.Re - want.Re) <= tol * scale && std::fabs(got.Im - want.Im) <= tol * scale)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got " << ComplexToStr(got).toStdString() << " (" << static_cast<double>(got.Re)
           << ", " << static_cast<double>(got.Im) << "), want " << ComplexToStr(want).toStdString();
}

bool Exactly(TComplex a, TComplex b) { return a.Re == b.Re && a.Im == b.Im; }

class ComplexTest : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        Basicos().Messages = &sink;
    }

    // Runs f, which must show exactly one error box with `message` and then
    // end the action with the silent abort.
    void ExpectBox(const std::function<void()>& f, const QString& message)
    {
        sink.boxes.clear();
        EXPECT_THROW(f(), EAbort);
        ASSERT_EQ(sink.boxes.size(), 1);
        EXPECT_EQ(sink.boxes.front().text, message);
        EXPECT_EQ(sink.boxes.front().caption, Basicos().ApplicationTitle);
        EXPECT_EQ(sink.boxes.front().flags & mb::IconMask, mb::IconError);
    }

    RecordingSink sink;
};

// ---- Construction and access ------------------------------------------------

TEST_F(ComplexTest, ConstructionAndAccess)
{
    TComplex z = Complex(3, -4);
    EXPECT_EQ(ComplexRe(z), 3);
    EXPECT_EQ(ComplexIm(z), -4);
    ComplexSet(z, 1.5L, 2.5L);
    EXPECT_TRUE(Exactly(z, TComplex{1.5L, 2.5L}));
    ComplexClear(z);
    EXPECT_TRUE(Exactly(z, TComplex{0, 0}));
    EXPECT_TRUE(Exactly(TComplex{}, TComplex{0, 0}));
    EXPECT_EQ(complexSettings().ComplexFormat, QStringLiteral("%.8g"));
}

TEST_F(ComplexTest, ZeroTests)
{
    struct Case {
        TComplex z;
        bool zero, nearZero;
    } cases[] = {
        {{0, 0}, true, true},
        {{-0.0L, -0.0L}, true, true},
        {{1e-4000L, 0}, false, true},
        {{0, 9.9e-13L}, false, true},
        {{0, 1e-12L}, false, false},
        {{-1e-12L, 0}, false, false},
        {{1, 0}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.z));
        EXPECT_EQ(ComplexIsZero(c.z), c.zero);
        EXPECT_EQ(ComplexIsNearZero(c.z), c.nearZero);
    }
}

// ---- Arithmetic -------------------------------------------------------------

TEST_F(ComplexTest, ArithmeticExact)
{
    using Op2 = void (*)(TComplex, TComplex, TComplex&);
    struct Case {
        const char* name;
        Op2 op;
        TComplex a, b, want;
    } cases[] = {
        {"add", ComplexAdd, {3, 4}, {1, -6}, {4, -2}},
        {"sub", ComplexSub, {3, 4}, {1, -6}, {2, 10}},
        {"mul", ComplexMul, {3, 4}, {1, -2}, {11, -2}},
        {"mul i*i", ComplexMul, {0, 1}, {0, 1}, {-1, 0}},
        {"mul (1+i)(1-i)", ComplexMul, {1, 1}, {1, -1}, {2, 0}},
        {"div", ComplexDiv, {11, -2}, {1, -2}, {3, 4}},
        {"div by real", ComplexDiv, {3, 4}, {2, 0}, {1.5L, 2}},
        {"div 1/i", ComplexDiv, {1, 0}, {0, 1}, {0, -1}},
        {"div 0/z", ComplexDiv, {0, 0}, {3, 4}, {0, 0}},
        {"power 2^10", ComplexPower, {2, 0}, {10, 0}, {1024, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TComplex r{99, 99};
        c.op(c.a, c.b, r);
        EXPECT_TRUE(Near(r, c.want, 1e-18L)) << ::testing::PrintToString(r);
    }
}

TEST_F(ComplexTest, UnaryExact)
{
    struct Case {
        const char* name;
        Fn1 op;
        TComplex z, want;
    } cases[] = {
        {"neg", ComplexNeg, {3, -4}, {-3, 4}},
        {"conj", ComplexConj, {3, -4}, {3, 4}},
        {"mul i", ComplexMulI, {3, 4}, {-4, 3}},
        {"div i", ComplexDivI, {3, 4}, {4, -3}},
        {"rcp", ComplexRcp, {3, 4}, {0.12L, -0.16L}},
        {"rcp i", ComplexRcp, {0, 1}, {0, -1}},
        {"rcp no check", ComplexRcpNoCheck, {0, -2}, {0, 0.5L}},
        {"sqr", ComplexSqr, {3, 4}, {-7, 24}},
        {"sqrt -4", ComplexSqrt, {-4, 0}, {0, 2}},
        {"sqrt -4 - 0i", ComplexSqrt, {-4, -0.0L}, {0, 2}},
        {"sqrt 3-4i", ComplexSqrt, {3, -4}, {2, -1}},
        {"sqrt -3-4i", ComplexSqrt, {-3, -4}, {1, -2}},
        {"sqrt -3+4i", ComplexSqrt, {-3, 4}, {1, 2}},
        {"sqrt 4", ComplexSqrt, {4, 0}, {2, 0}},
        {"sqrt 2i", ComplexSqrt, {0, 2}, {1, 1}},
        {"sqrt 0", ComplexSqrt, {0, 0}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TComplex r{99, 99};
        c.op(c.z, r);
        EXPECT_TRUE(Near(r, c.want, 1e-18L));
    }
}

// The result may be written over an operand: every operand is read before
// any part of the result is stored.
TEST_F(ComplexTest, ResultMayBeAnOperand)
{
    TComplex z{3, 4};
    ComplexMul(z, z, z);
    EXPECT_TRUE(Exactly(z, TComplex{-7, 24}));
    z = {1, 2};
    ComplexMulI(z, z);
    EXPECT_TRUE(Exactly(z, TComplex{-2, 1}));
    z = {11, -2};
    TComplex w{1, -2};
    ComplexDiv(z, w, w);
    EXPECT_TRUE(Near(w, TComplex{3, 4}));
    z = {3, 4};
    ComplexRcp(z, z);
    EXPECT_TRUE(Near(z, TComplex{0.12L, -0.16L}));
    z = {-3, -4};
    ComplexSqrt(z, z);
    EXPECT_TRUE(Near(z, TComplex{1, -2}));
}

TEST_F(ComplexTest, AbsAndArg)
{
    EXPECT_EQ(ComplexAbs({3, 4}), 5);
    EXPECT_EQ(ComplexAbs({-5, 0}), 5);
    EXPECT_EQ(ComplexAbs({0, 0}), 0);

    struct Case {
        const char* name;
        TComplex z;
        Extended want;
    } cases[] = {
        {"-1", {-1, 0}, kPi},
        {"0", {0, 0}, 0},
        {"i", {0, 1}, kHalfPi},
        {"-i", {0, -1}, -kHalfPi},
        {"1+i", {1, 1}, kPi / 4},
        {"-1-i", {-1, -1}, -3 * kPi / 4},
        {"just below the negative axis", {-1, -1e-30L}, -kPi},
        // Negation and conjugation leave a negative zero behind; the argument
        // of a real number does not depend on it.
        {"-1 - 0i", {-1, -0.0L}, kPi},
        {"-0 + 0i", {-0.0L, 0}, 0},
        {"-0 - 0i", {-0.0L, -0.0L}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(static_cast<double>(ComplexArg(c.z)), static_cast<double>(c.want), 1e-15);
    }
    TComplex m;
    ComplexNeg({1, 0}, m);
    EXPECT_EQ(ComplexArg(m), kPi);
    ComplexConj({-1, 0}, m);
    EXPECT_EQ(ComplexArg(m), kPi);
}

// ---- Faults -----------------------------------------------------------------

TEST_F(ComplexTest, ZeroDivisorsShowTheirBoxAndAbort)
{
    TComplex r{7, 7};
    ExpectBox([&] { ComplexDiv({1, 0}, {0, 0}, r); },
              QStringLiteral("Discriminante de 0 igual a cero (Div)"));
    ExpectBox([&] { ComplexDiv({0, 0}, {-0.0L, 0}, r); },
              QStringLiteral("Discriminante de 0 igual a cero (Div)"));
    ExpectBox([&] { ComplexRcp({0, 0}, r); },
              QStringLiteral("Discriminante de 0 igual a cero (Rcp)"));
    ExpectBox([&] { ComplexLn({0, 0}, r); },
              QStringLiteral("Descriminante de 0 igual a cero (ln)."));
    // Through the routines built on them.
    ExpectBox([&] { ComplexArcTanh({-1, 0}, r); },
              QStringLiteral("Descriminante de 0 igual a cero (ln)."));
    ExpectBox([&] { ComplexArcTan({0, 1}, r); },
              QStringLiteral("Descriminante de 0 igual a cero (ln)."));
    EXPECT_TRUE(Exactly(r, TComplex{7, 7})) << "no result is delivered";
}

TEST_F(ComplexTest, ArcTanhAtOneIsAnIntegerDivisionByZero)
{
    TComplex r{7, 7};
    for (Fn1 f : {Fn1(ComplexArcTanh), Fn1(ComplexArcTan)}) {
        // ArcTan(-i) is ArcTanh(1) after the turn by i.
        const TComplex z = f == ComplexArcTanh ? TComplex{1, 0} : TComplex{0, -1};
        try {
            f(z, r);
            ADD_FAILURE() << "no exception";
        } catch (const EIntDivByZero& e) {
            EXPECT_EQ(e.message(), QStringLiteral("División por cero"));
        }
    }
    EXPECT_TRUE(sink.boxes.isEmpty());
    EXPECT_TRUE(Exactly(r, TComplex{7, 7}));
}

TEST_F(ComplexTest, ArithmeticFaultsAreRaisedNotReturned)
{
    const Extended big = 1e3000L;
    struct Case {
        const char* name;
        std::function<void()> f;
        int code;
    } cases[] = {
        {"mul", [&] { TComplex r; ComplexMul({big, 0}, {big, 0}, r); }, 12},
        {"add", [&] { TComplex r; const Extended m = std::numeric_limits<Extended>::max(); ComplexAdd({m, 0}, {m, 0}, r); }, 12},
        {"sqr of the imaginary part", [&] { TComplex r; ComplexSqr({0, big}, r); }, 12},
        {"abs squares its parts", [&] { ComplexAbs({1e2467L, 0}); }, 12},
        {"exp", [&] { TComplex r; ComplexExp({20000, 0}, r); }, 12},
        {"exp through power", [&] { TComplex r; ComplexPower({10, 0}, {5000, 0}, r); }, 12},
        {"sinh", [&] { TComplex r; ComplexSinh({12000, 1}, r); }, 12},
        {"sin of a large imaginary part", [&] { TComplex r; ComplexSin({1, -12000}, r); }, 12},
        {"cos", [&] { TComplex r; ComplexCos({1, 12000}, r); }, 12},
        {"polar", [&] { TComplex r; ComplexPolar(big * big, 0.5L, r); }, 12},
        {"rcp without check of 0", [&] { TComplex r; ComplexRcpNoCheck({0, 0}, r); }, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.f();
            ADD_FAILURE() << "no exception";
        } catch (const EMathError& e) {
            EXPECT_EQ(e.code(), c.code);
        }
    }
    EXPECT_TRUE(sink.boxes.isEmpty());
}

TEST_F(ComplexTest, UnderflowStaysMasked)
{
    TComplex r;
    ComplexExp({-20000, 1}, r);
    EXPECT_TRUE(Exactly(r, TComplex{0, 0}));
    ComplexMul({1e-3000L, 0}, {1e-3000L, 0}, r);
    EXPECT_TRUE(Exactly(r, TComplex{0, 0}));
}

// A divisor is zero only when it is exactly zero: one whose square falls out
// of the extended range still divides when the quotient is representable.
TEST_F(ComplexTest, ExtremeDivisorsStillDivide)
{
    TComplex r;
    ComplexDiv({1, 0}, {1e3000L, 0}, r);
    EXPECT_TRUE(Near(r, TComplex{1e-3000L, 0}, 1e-17L));
    EXPECT_NEAR(static_cast<double>(r.Re / 1e-3000L), 1, 1e-15);
    ComplexDiv({3e3000L, 4e3000L}, {0, 1e3000L}, r);
    EXPECT_TRUE(Near(r, TComplex{4, -3}, 1e-17L));
    ComplexRcp({3e4000L, -4e4000L}, r);
    EXPECT_NEAR(static_cast<double>(r.Re / 1e-4000L), 0.12, 1e-15);
    EXPECT_NEAR(static_cast<double>(r.Im / 1e-4000L), 0.16, 1e-15);
    ComplexDiv({1, 0}, {1e-4000L, 0}, r);
    EXPECT_TRUE(Near(r, TComplex{1e4000L, 0}, 1e-17L));
    ComplexDiv({3, 4}, {0, 1e-3000L}, r);
    EXPECT_TRUE(Near(r, TComplex{4e3000L, -3e3000L}, 1e-17L));
    ComplexRcp({0, 1e-4000L}, r);
    EXPECT_TRUE(Near(r, TComplex{0, -1e4000L}, 1e-17L));
    ComplexRcpNoCheck({-1e-4000L, 0}, r);
    EXPECT_TRUE(Near(r, TComplex{-1e4000L, 0}, 1e-17L));
    EXPECT_THROW(ComplexDiv({1e1000L, 0}, {1e-4000L, 0}, r), EOverflow);
    EXPECT_TRUE(sink.boxes.isEmpty());

    // The modulus of a tiny number is not 0, so its square root is no division by 0.
    EXPECT_NEAR(static_cast<double>(ComplexAbs({3e-3000L, 4e-3000L}) / 1e-3000L), 5, 1e-15);
    ComplexSqrt({0, 2e-3000L}, r);
    EXPECT_TRUE(Near(r, TComplex{1e-1500L, 1e-1500L}, 1e-17L));
    EXPECT_GT(r.Re, 0);
}

// ---- Elementary functions ---------------------------------------------------

TEST_F(ComplexTest, ElementaryValues)
{
    struct Case {
        const char* name;
        Fn1 f;
        TComplex z, want;
    } cases[] = {
        {"exp 1", ComplexExp, {1, 0}, {2.718281828459045235360287L, 0}},
        {"exp 1+i", ComplexExp, {1, 1}, {1.468693939915885157138968L, 2.287355287178842391208172L}},
        {"exp i pi", ComplexExp, {0, kPi}, {-1, 0}},
        {"ln -1", ComplexLn, {-1, 0}, {0, kPi}},
        {"ln i", ComplexLn, {0, 1}, {0, kHalfPi}},
        {"ln 1+i", ComplexLn, {1, 1}, {0.3465735902799726547086161L, kPi / 4}},
        {"sin i", ComplexSin, {0, 1}, {0, 1.175201193643801456882382L}},
        {"cos i", ComplexCos, {0, 1}, {1.543080634815243778477906L, 0}},
        {"sin 1+i", ComplexSin, {1, 1}, {1.298457581415977294826042L, 0.6349639147847361082550822L}},
        {"cos 1+i", ComplexCos, {1, 1}, {0.8337300251311490488838854L, -0.9888977057628650963821295L}},
        {"tan 1+i", ComplexTan, {1, 1}, {0.2717525853195117165288437L, 1.083923327338694543475752L}},
        {"sinh 1+i", ComplexSinh, {1, 1}, {0.6349639147847361082550822L, 1.298457581415977294826042L}},
        {"cosh 1+i", ComplexCosh, {1, 1}, {0.8337300251311490488838854L, 0.9888977057628650963821295L}},
        {"tanh 1+i", ComplexTanh, {1, 1}, {1.083923327338694543475752L, 0.2717525853195117165288437L}},
        {"arcsinh 1+i", ComplexArcSinh, {1, 1}, {1.061275061905035652033019L, 0.6662394324925152551040049L}},
        {"arccosh 1+i", ComplexArcCosh, {1, 1}, {1.061275061905035652033019L, 0.9045568943023813641273168L}},
        // The branch ln(z + i sqrt(1 - z^2)): negative for a real z above 1.
        {"arccosh 2", ComplexArcCosh, {2, 0}, {-1.316957896924816708625046L, 0}},
        {"arccosh 0.5", ComplexArcCosh, {0.5L, 0}, {0, 1.047197551196597746154214L}},
        {"arccos 2", ComplexArcCos, {2, 0}, {0, 1.316957896924816708625046L}},
        {"arccos 0.5", ComplexArcCos, {0.5L, 0}, {1.047197551196597746154214L, 0}},
        {"arccos 1+i", ComplexArcCos, {1, 1}, {0.9045568943023813641273168L, -1.061275061905035652033019L}},
        {"arctanh 0.5", ComplexArcTanh, {0.5L, 0}, {0.5493061443340548456976226L, 0}},
        {"arctanh 1+i", ComplexArcTanh, {1, 1}, {0.4023594781085250936501898L, 1.017221967897851367722789L}},
        {"arcsin 0.5", ComplexArcSin, {0.5L, 0}, {kPi / 6, 0}},
        {"arcsin 2", ComplexArcSin, {2, 0}, {kHalfPi, -1.316957896924816708625046L}},
        {"arcsin 1+i", ComplexArcSin, {1, 1}, {0.6662394324925152551040049L, 1.061275061905035652033019L}},
        {"arctan 1", ComplexArcTan, {1, 0}, {kPi / 4, 0}},
        {"arctan 1+i", ComplexArcTan, {1, 1}, {1.017221967897851367722789L, 0.4023594781085250936501898L}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TComplex r{99, 99};
        c.f(c.z, r);
        EXPECT_TRUE(Near(r, c.want, 1e-17L));
    }
    EXPECT_TRUE(sink.boxes.isEmpty());
}

TEST_F(ComplexTest, Powers)
{
    struct Case {
        const char* name;
        TComplex base, exponent, want;
        Extended tol;
    } cases[] = {
        {"0^0", {0, 0}, {0, 0}, {0, 0}, 0},
        {"0^-1", {0, 0}, {-1, 0}, {0, 0}, 0},
        {"0^i", {0, 0}, {0, 1}, {0, 0}, 0},
        {"2^0", {2, 0}, {0, 0}, {1, 0}, 0},
        {"i^2", {0, 1}, {2, 0}, {-1, 0}, 1e-18L},
        {"(-1)^0.5", {-1, 0}, {0.5L, 0}, {0, 1}, 1e-18L},
        {"i^i", {0, 1}, {0, 1}, {0.2078795763507619085469556L, 0}, 1e-18L},
        {"(1+i)^(1-i)", {1, 1}, {1, -1}, {2.807879297260629039566345L, 1.317865172901180863847636L}, 1e-17L},
        // A real base to a whole power is exact, with no imaginary residue
        // to tip the sign of a later root.
        {"(-6)^2", {-6, 0}, {2, 0}, {36, 0}, 0},
        {"(-2)^3", {-2, 0}, {3, 0}, {-8, 0}, 0},
        {"(-2)^-2", {-2, 0}, {-2, 0}, {0.25L, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TComplex r{99, 99};
        ComplexPower(c.base, c.exponent, r);
        EXPECT_TRUE(Near(r, c.want, c.tol));
    }
    EXPECT_TRUE(sink.boxes.isEmpty()) << "a zero base never reaches the logarithm";
}

TEST_F(ComplexTest, Polar)
{
    TComplex z;
    ComplexPolar(2, kHalfPi, z);
    EXPECT_TRUE(Near(z, TComplex{0, 2}, 1e-18L));
    ComplexPolar(5, ComplexArg({3, 4}), z);
    EXPECT_TRUE(Near(z, TComplex{3, 4}, 1e-18L));
    ComplexPolar(0, 1, z);
    EXPECT_TRUE(Exactly(z, TComplex{0, 0}));
}

// The engine solves equations by applying inverses: each function undone by
// its partner on its principal range.
TEST_F(ComplexTest, InversesUndoTheirFunctions)
{
    struct Case {
        const char* name;
        Fn1 f, inverse;
    } pairs[] = {
        {"exp/ln", ComplexExp, ComplexLn},
        {"sqr/sqrt", ComplexSqr, ComplexSqrt},
        {"sin/arcsin", ComplexSin, ComplexArcSin},
        {"cos/arccos", ComplexCos, ComplexArcCos},
        {"tan/arctan", ComplexTan, ComplexArcTan},
        {"sinh/arcsinh", ComplexSinh, ComplexArcSinh},
        {"cosh/arccosh", ComplexCosh, ComplexArcCosh},
        {"tanh/arctanh", ComplexTanh, ComplexArcTanh},
        {"rcp/rcp", ComplexRcp, ComplexRcp},
    };
    const TComplex points[] = {{0.3L, 0.2L}, {0.5L, -0.4L}, {-0.7L, 0.1L}, {0.25L, 0}};
    for (const Case& c : pairs) {
        for (const TComplex& z : points) {
            SCOPED_TRACE(std::string(c.name) + " at " + ::testing::PrintToString(z));
            TComplex w, back;
            // f(inverse(z)) = z holds on every branch.
            c.inverse(z, w);
            c.f(w, back);
            EXPECT_TRUE(Near(back, z, 1e-17L));
        }
    }
}

// ---- Text -------------------------------------------------------------------

TEST_F(ComplexTest, ComplexToStrForms)
{
    struct Case {
        TComplex z;
        const char* want;
    } cases[] = {
        {{3, 4}, "3 + 4i"},
        {{3, -4}, "3 -4i"},
        {{3, 1}, "3 +i"},
        {{3, -1}, "3-i"},
        {{0, 2}, " 2i"},
        {{0, -2}, " -2i"},
        {{0, 1}, "i"},
        {{0, -1}, "-i"},
        {{2.5L, 0}, "2.5"},
        {{0, 0}, "0"},
        {{-0.0L, -0.0L}, "0"},
        {{1e-10L, 2}, " 2i"},
        {{1.5e20L, 0}, "1.5E20"},
        {{1, 1e-10L}, "1"},
        {{0, 0.9999999999L}, "i"},
        {{0, -1.0000000001L}, "-i"},
        {{2, 0.999999998L}, "2 + 0.999999998i"},
        {{-3.5L, -2}, "-3.5 -2i"},
        {{-1e-10L, 0}, "0"},
        {{1e-9L, 0}, "1E-9"},
        {{1.0L / 3, -2.0L / 3}, "0.3333333333 -0.6666666667i"},
        {{1234567890, 0}, "1234567890"},
        {{12345678901.0L, 0}, "1.23456789E10"},
        {{9999999999.6L, 0}, "1E10"},
        {{0.0001L, 0}, "0.0001"},
        {{0.00012345L, 0}, "0.00012345"},
        {{0.00005L, 0}, "5E-5"},
        {{-0.000025L, 0}, "-2.5E-5"},
        {{1e-5L, 2.5e-7L}, "1E-5 + 2.5E-7i"},
        {{1e100L, -1e-100L}, "1E100"},
        {{-2e30L, 3e-5L}, "-2E30 + 3E-5i"},
        {{7, 1.5e20L}, "7 + 1.5E20i"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.want);
        EXPECT_EQ(ComplexToStr(c.z), QString::fromUtf8(c.want));
    }
}

TEST_F(ComplexTest, StrToComplexReads)
{
    struct Case {
        const char* text;
        TComplex want;
    } cases[] = {
        {"", {0, 0}},
        {"   ", {0, 0}},
        {"7", {7, 0}},
        {" -7.25 ", {-7.25L, 0}},
        {"1e5", {100000, 0}},
        {"1.5E20", {1.5e20L, 0}},
        {"3+4i", {3, 4}},
        {"3-4i", {3, -4}},
        {"3-i", {3, -1}},
        {"3+i", {3, 1}},
        {"-i", {0, -1}},
        {"+i", {0, 1}},
        {"i", {0, 1}},
        {"2i", {0, 2}},
        {"-2.5i", {0, -2.5L}},
        {"3+4I", {3, 4}},
        {"-I", {0, -1}},
        {"1e-5+2e-3i", {1e-5L, 2e-3L}},
        {"2e-3i", {0, 2e-3L}},
        {"1e+5i", {0, 1e5L}},
        {"-1e-5-2e-3i", {-1e-5L, -2e-3L}},
        {"3+4e-5i", {3, 4e-5L}},
        // Blanks around the parts, and between the sign and the imaginary part.
        {"3 + 4i", {3, 4}},
        {"3 - 4i", {3, -4}},
        {"3 + i", {3, 1}},
        {"3 -  i", {3, -1}},
        {"  3  +  4  i ", {3, 4}},
        {"- 4i", {0, -4}},
        {"1E-5 + 2.5E-7i", {1e-5L, 2.5e-7L}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TComplex z = StrToComplex(QString::fromUtf8(c.text));
        EXPECT_TRUE(Near(z, c.want, 1e-19L)) << ::testing::PrintToString(z);
    }
}

TEST_F(ComplexTest, StrToComplexRefusesWhatIsNoNumber)
{
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"abc", "'abc' no es un valor decimal válido"},
        {"I", "'I' no es un valor decimal válido"},
        {"3+xi", "'+x' no es un valor decimal válido"},
        {"x+3i", "'x' no es un valor decimal válido"},
        {"++i", "'+' no es un valor decimal válido"},
        {"3+4ii", "'+4i' no es un valor decimal válido"},
        {"1e", "'1e' no es un valor decimal válido"},
        {"inf", "'inf' no es un valor decimal válido"},
        {"nani", "'nan' no es un valor decimal válido"},
        {"0x10", "'0x10' no es un valor decimal válido"},
        {"3,5", "'3,5' no es un valor decimal válido"},
        {"1e99999", "'1e99999' no es un valor decimal válido"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            StrToComplex(QString::fromUtf8(c.text));
            ADD_FAILURE() << "no conversion error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
        }
    }
    EXPECT_TRUE(sink.boxes.isEmpty()) << "the reader never shows a box";
}

// Matrix cells and the other windows read back the text they wrote: every
// form reads back to the value it shows, and writes the same text again.
TEST_F(ComplexTest, TextRoundTrip)
{
    const TComplex values[] = {
        {3, 4}, {3, -4}, {3, 1}, {3, -1}, {0, 2}, {0, -2}, {0, 1}, {0, -1}, {2.5L, 0}, {0, 0},
        {-3.5L, -2}, {1.5e20L, 0}, {7, 1.5e20L}, {-2e30L, -3e-5L}, {1e-5L, 2.5e-7L},
        {0.00005L, -0.00005L}, {1.0L / 3, -2.0L / 3}, {-1234567890, 9876543210.0L},
        {1e-9L, 1e-9L}, {-1e4000L, 1e-4000L}, {0.1L, -0.1L},
    };
    for (const TComplex& z : values) {
        const QString text = ComplexToStr(z);
        SCOPED_TRACE(text.toStdString());
        TComplex back;
        ASSERT_NO_THROW(back = StrToComplex(text));
        EXPECT_EQ(ComplexToStr(back), text);
        // Ten significant digits survive the trip.
        const Extended tol = 1e-9L * std::max<Extended>(1e-9L, std::max(std::fabs(z.Re), std::fabs(z.Im)));
        EXPECT_LE(std::fabs(back.Re - (std::fabs(z.Re) < 1e-9L ? 0 : z.Re)), tol);
        EXPECT_LE(std::fabs(back.Im - (std::fabs(z.Im) < 1e-9L ? 0 : z.Im)), tol);
    }
}

TEST_F(ComplexTest, TanNearHalfPiIsHugeButFinite)
{
    // Tan needs a cosine exactly 0, which no extended number reaches: the
    // nearest to pi/2 gives a huge finite value instead of the box.
    TComplex r;
    ComplexTan({kHalfPi, 0}, r);
    EXPECT_TRUE(std::isfinite(r.Re));
    EXPECT_GT(std::fabs(r.Re), 1e18L);
    EXPECT_TRUE(sink.boxes.isEmpty());
}

} // namespace

// A silent complex expression is evaluated at every keystroke: while a quiet
// scope is open the routines' faults abort with their message but show no box.
TEST_F(ComplexTest, QuietScopeShowsNoBoxAndKeepsTheMessage)
{
    sink.boxes.clear();
    {
        ComplexQuietErrors quiet;
        EXPECT_TRUE(ComplexErrorsQuiet());
        {
            ComplexQuietErrors notQuiet(false);   // an off scope changes nothing
            EXPECT_TRUE(ComplexErrorsQuiet());
        }
        TComplex r;
        try {
            ComplexDiv(Complex(1, 0), Complex(0, 0), r);
            ADD_FAILURE();
        } catch (const EAbort& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Discriminante de 0 igual a cero (Div)"));
        }
    }
    EXPECT_TRUE(sink.boxes.isEmpty());
    EXPECT_FALSE(ComplexErrorsQuiet());
    ExpectBox([] { TComplex r; ComplexLn(Complex(0, 0), r); }, QStringLiteral("Descriminante de 0 igual a cero (ln)."));
}
