// The flattened evaluation of a real tree: the same bits and the same faults as
// the tree itself, the sharing of named sub-expressions, and the trees it leaves
// to the tree's own evaluation. In the texts "&" is and, "$" or, "!" exclusive
// or, "\" a root and "£" a logarithm to a base.
#include "checks.h"
#include "support/fixtures.h"

#include "engine/errors.h"
#include "engine/real/builtins_math.h"
#include "engine/real/expresion.h"
#include "engine/real/program.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <typeinfo>
#include <vector>

using namespace real;

namespace {

using namespace realcheck;

// A value or the fault raised: the type and the message.
struct Outcome {
    Extended value = 0;
    std::string fault;
    QString message;
};

template <class F>
Outcome Capture(F f)
{
    Outcome o;
    try {
        o.value = f();
    } catch (const Exception& e) {
        o.fault = typeid(e).name();
        o.message = e.message();
    }
    return o;
}

// Bit for bit (the 80 significant bits of the type), so -0 and 0 differ.

std::string Show(const Outcome& o)
{
    if (!o.fault.empty())
        return o.fault + " " + o.message.toStdString();
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.21Lg", o.value);
    return buf;
}

const Extended kInf = std::numeric_limits<Extended>::infinity();
const Extended kNaN = std::numeric_limits<Extended>::quiet_NaN();

class ProgramTest : public CoreStateTest {
protected:

    // Compiles text over x and y, then checks the program against the tree at
    // every pair of values, in every angle unit asked for.
    void ExpectSameAsTree(const char* text, const std::vector<std::pair<Extended, Extended>>& values,
                          std::vector<std::uint8_t> modes = {0})
    {
        SCOPED_TRACE(text);
        TExpresion e;
        e.Silent = true;
        e.SetUseBuiltIns(true);
        TVariable* x = e.AddVariable(QStringLiteral("x"));
        TVariable* y = e.AddVariable(QStringLiteral("y"));
        e.SetText(QString::fromUtf8(text));
        ASSERT_NE(e.Root, nullptr) << e.ErrorMessage.toStdString();
        std::unique_ptr<TProgram> p = TProgram::Build(e.Root);
        ASSERT_NE(p, nullptr);
        for (std::uint8_t mode : modes) {
            engineState().CurrentAngleMode = mode;
            for (const auto& [vx, vy] : values) {
                SCOPED_TRACE("x=" + Show({vx, {}, {}}) + " y=" + Show({vy, {}, {}}) + " mode " + std::to_string(mode));
                x->SetValue(vx);
                y->SetValue(vy);
                const Outcome tree = Capture([&] { return EvaluateNode(e.Root); });
                // Set again so that the tree's caches do not answer for the program.
                x->SetValue(vx);
                y->SetValue(vy);
                const Outcome flat = Capture([&] { return p->Run(); });
                EXPECT_EQ(Show(flat), Show(tree));
                if (tree.fault.empty()) {
                    EXPECT_TRUE(SameBits(flat.value, tree.value));
                }
            }
        }
    }
};

TEST_F(ProgramTest, SameValuesAndFaultsAsTheTree)
{
    const std::vector<std::pair<Extended, Extended>> common = {
        {0.5L, 2}, {-1, 0}, {1, 1}, {0, -3}, {2, 0.25L}, {1e-3000L, 1e3000L}, {1e3000L, -1e-4000L},
        {-0.0L, 7}, {3.0000000000000001L, -2.5L}, {kInf, 1}, {-kInf, 1}, {kNaN, 1}, {1, kInf},
    };
    const char* const texts[] = {
        "x*x+2*x-3/(x+1)",
        "sin(x)*x+2*x^2-3/(x+1)+sqrt(x*x+1)",
        "1/(x-1)",
        "(x-x)/(x-1)",
        "ln(x)+ln(y)",
        "ln(x-2)+1/(y-0.25)",
        "1/(y-0.25)+ln(x-2)",
        "sqrt(x)+1/(x-2)",
        "x^2", "x^3", "x^-2", "x^-3", "x^0.5", "x^y", "2^x", "x^2147483647", "(x*y)^2",
        "x\\3", "x\\y", "x£2", "8£x", "x£y", "LogN(x,y)",
        "x*y*1e4000/1e4000", "x*x*x*x*x*x*x*x", "1/(x*x)", "arctan(1/x)", "arctan(x*x)",
        "exp(x)*exp(y)", "abs(x)-int(y)+frac(x)", "Rcp(x)", "Fact(y)", "sqr(x)+log(y)",
        "x>1", "x<y", "x=1", "x>=y", "x<=y", "x<>y", "(x*x)>1",
        "0<x<2", "y<x<=x*2", "x=y=1", "x<y<x+y<10",
        "x>0 & ln(x)>0", "x>0 $ ln(x)>0", "(x>0) ! (y<2)", "(x>0 & y>0) $ 1/(x-y)>0",
        "-x", "-(x+y)", "x-(-y)", "2*3+x", "(1+2)*x", "sin(1)+x", "(1<2)+x",
        "tan(x)+cos(y)", "arcsin(x/2)", "sinh(x)+cosh(y)-tanh(x)", "GMS(x)",
        // Literals read as doubles when exact, in place otherwise; a square read once.
        "0.1*x+x/0.3-2.5", "1e400/x+x*1e-400", "x*3.0000000000000001+y*y", "sqrt(x*x+0.1)-sqrt(x+2)",
        "y*y-x*x/(y*y)", "sin(x*7)+cos(y*3+0.5)", "cos(x)*sin(y)-sin(x+y)",
        // The variable read most often loaded once per step, next to other
        // variables, literals, steps and shared pairs (which run on their own).
        "y*y+x*y-x/(y+1)", "(x+y)*(x-y)/(y*2+x)", "x^2+y^3-y^2*x", "sqrt(x+1)*x-(x*x)^2+y",
        "a:x+1;a*a+x*a-y/a", "a:x*y;b:y-x;a/b+b*x-y", "sin(x)*x-cos(x+y)/(y*y)", "x/(x-y)+y/(y-x)",
    };
    for (const char* t : texts)
        ExpectSameAsTree(t, common);
}

TEST_F(ProgramTest, TheTreeAnswersOnlyForFaultsAndValuesThatAreNotFinite)
{
    TExpresion e;
    e.Silent = true;
    e.SetUseBuiltIns(true);
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    e.SetText(QStringLiteral("sin(x)*x+2*x^2-3/(x+1)+sqrt(x*x+1)+(x>0 & x<100)"));
    std::unique_ptr<TProgram> p = TProgram::Build(e.Root);
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 50; ++i) {
        x->SetValue(i * 0.37L - 9);
        p->Run();
    }
    EXPECT_EQ(p->TreeRuns(), 0u);
    x->SetValue(-1);
    EXPECT_THROW(p->Run(), EZeroDivide);
    EXPECT_EQ(p->TreeRuns(), 1u);
    x->SetValue(1e3000L);   // x^2 overflows
    EXPECT_THROW(p->Run(), EOverflow);
    EXPECT_EQ(p->TreeRuns(), 2u);
}

TEST_F(ProgramTest, ComparisonsReadTheToleranceAndTruthValuesInForce)
{
    engineState().EqualityTolerance = 1e-10L;
    engineState().TrueValue = 5;
    engineState().FalseValue = 0;
    ExpectSameAsTree("(x=y)+(x>=y)*10+(x<=y)*100+(x<>y)*1000",
                     {{1, 1 + 1e-12L}, {1, 1 + 1e-8L}, {2, 1}, {1, 2}});
    ExpectSameAsTree("0<x<2", {{1, 0}, {-1, 0}});
}

TEST_F(ProgramTest, AngleUnits)
{
    ExpectSameAsTree("sin(x)+cos(y)*2+tan(x)",
                     {{0, 0}, {30, 60}, {90, 180}, {0.5L, 1e10L}, {1e30L, -45}, {-1234.5L, 400}, {0.25L, 1.5L}},
                     {0, 1, 2, 3, 4, 5});
}

TEST_F(ProgramTest, NamedSubExpressionsAreComputedOncePerRun)
{
    // Names of two letters: qa, qb, ..., qz, ra, rb, ...
    auto name = [](int i) { return std::string(1, char('q' + i / 26)) + char('a' + i % 26); };
    std::string text = name(0) + ":x";
    for (int i = 1; i <= 40; ++i)
        text += ";" + name(i) + ":" + name(i - 1) + "+" + name(i - 1);
    text += ";" + name(40) + "-y";
    // Without sharing, 2^40 additions would never finish.
    ExpectSameAsTree(text.c_str(), {{1, 0}, {0.5L, 3}, {1e300L, 0}});
    // Shared nodes first reached inside a branch that may be skipped.
    ExpectSameAsTree("a:x-1;b:1/(y-2);(x>0 & a>0)+a+(y>0 $ b>0)*b",
                     {{2, 3}, {-2, 3}, {2, 2}, {2, -1}, {-1, 2}});
    ExpectSameAsTree("a:x*x;a<y<a+1", {{1, 1.5L}, {2, 1}, {1e3000L, 1}});
}

TEST_F(ProgramTest, TreesCallingOutStayWithTheTree)
{
    struct Case {
        const char* text;
        bool flattened;
    } cases[] = {
        {"x+1", true},
        {"Si(x>0,x,-x)", false},
        {"Max(x,2)", false},
        {"Ale+x", false},
        {"sin(x)+'Fuera de rango'", false},
        {"sqrt(x)*Pi", true},
        {"x", true},
        {"3", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TExpresion e;
        e.Silent = true;
        e.SetUseBuiltIns(true);
        e.AddVariable(QStringLiteral("x"));
        e.SetText(QString::fromLatin1(c.text));
        ASSERT_NE(e.Root, nullptr) << e.ErrorMessage.toStdString();
        EXPECT_EQ(TProgram::Build(e.Root) != nullptr, c.flattened);
    }
}

TEST_F(ProgramTest, ForeignFunctionsOfOneArgumentStayWithTheTree)
{
    // A callable the program does not know may keep state: the tree caches its
    // value while the argument does not change, and the program must not call it
    // more often.
    int calls = 0;
    TExpresion e;
    e.Silent = true;
    e.AddFunction1(QStringLiteral("f"), [&calls](Extended v) { ++calls; return v + calls; }, {}, QString());
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    e.SetText(QStringLiteral("f(x)*2"));
    EXPECT_EQ(TProgram::Build(e.Root), nullptr);
    x->SetValue(1);
    EXPECT_EQ(e.Evaluate(), 4);
    EXPECT_EQ(e.Evaluate(), 4);
    EXPECT_EQ(calls, 1);
}

TEST_F(ProgramTest, ExpressionObjectUsesAndDropsItsProgram)
{
    TExpresion e;
    e.Silent = true;
    e.SetUseBuiltIns(true);
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    e.SetText(QStringLiteral("x*x+1/x"));
    for (int i = 1; i <= 5; ++i) {
        x->SetValue(i);
        EXPECT_EQ(e.Evaluate(), checked::add(checked::mul(i, i), checked::div(1, i)));
    }
    // A fault in a run: the object's error code, as from the tree.
    x->SetValue(0);
    e.Evaluate();
    EXPECT_EQ(e.ErrorCode, errZeroDivide);
    x->SetValue(2);
    EXPECT_EQ(e.Evaluate(), 4.5L);
    EXPECT_EQ(e.ErrorCode, 0);
    // A new text: the old program goes with the old tree.
    e.SetText(QStringLiteral("x-1"));
    for (int i = 0; i < 3; ++i) {
        x->SetValue(10 + i);
        EXPECT_EQ(e.Evaluate(), 9 + i);
    }
    // A new unit recomputes the functions of variables.
    e.SetText(QStringLiteral("sin(x)"));
    x->SetValue(90);
    e.Evaluate();
    x->SetValue(90);
    e.Evaluate();
    e.SetAngleMode(amDegrees);
    EXPECT_EQ(e.Evaluate(), 1);
    x->SetValue(30);
    e.Evaluate();
    x->SetValue(90);
    EXPECT_EQ(e.Evaluate(), 1);
}

// ---- Sine and cosine ---------------------------------------------------------

Extended UlpsApart(Extended a, Extended b)
{
    if (a == b)
        return 0;
    const Extended m = std::fmax(std::fabs(a), std::fabs(b));
    return std::fabs(a - b) / (std::nextafter(m, kInf) - m);
}

TEST(SineCosine, WithinOneUnitOfTheLibrary)
{
    std::vector<Extended> xs;
    // A dense sweep, the neighbourhoods of multiples of pi/2 and pi/4, tiny,
    // large and special arguments.
    for (int i = -20000; i <= 20000; ++i)
        xs.push_back(i * 0.000987654321L);
    for (int i = -3000; i <= 3000; ++i)
        xs.push_back(i * 3.33333333333333L + 0.123L);
    for (int k = -64; k <= 64; ++k) {
        const Extended m = k * kPi / 4;
        Extended v = m;
        for (int s = 0; s < 8; ++s) {
            xs.push_back(v);
            v = std::nextafter(v, kInf);
        }
        v = m;
        for (int s = 0; s < 8; ++s) {
            v = std::nextafter(v, -kInf);
            xs.push_back(v);
        }
    }
    for (Extended big : {1e5L, 1e6L, 1e8L, 2.6e8L, 0x1p28L, 0x1p28L + 1, 1e10L, 1e18L, 1e300L, 1e4000L}) {
        xs.push_back(big);
        xs.push_back(-big);
        xs.push_back(std::nextafter(big, kInf));
    }
    for (Extended tiny : {1e-5L, 1e-10L, 1e-20L, 1e-300L, 1e-4940L, 0x1p-16382L, 0.0L, -0.0L})
        xs.push_back(tiny), xs.push_back(-tiny);
    int differ = 0;
    for (Extended x : xs) {
        SCOPED_TRACE(Show({x, {}, {}}));
        EXPECT_LE(UlpsApart(real::builtins::SinRad(x), sinl(x)), 1);
        EXPECT_LE(UlpsApart(real::builtins::CosRad(x), cosl(x)), 1);
        differ += real::builtins::SinRad(x) != sinl(x);
    }
    // Most agree to the bit.
    EXPECT_LT(differ, static_cast<int>(xs.size()) / 5);
    // Signs of zero and the special values.
    EXPECT_TRUE(SameBits(real::builtins::SinRad(-0.0L), -0.0L));
    EXPECT_TRUE(std::isnan(real::builtins::SinRad(kInf)));
    EXPECT_TRUE(std::isnan(real::builtins::CosRad(kNaN)));
}

TEST(SineCosine, BuiltInsInEveryUnit)
{
    using namespace real::builtins;
    for (AngleMode mode : {amRadians, amDegrees, amGrads, amCycles, amDms, amPi}) {
        for (int i = -400; i <= 400; ++i) {
            const Extended x = i * 1.37L;
            SCOPED_TRACE(std::to_string(mode) + " " + Show({x, {}, {}}));
            const Extended r = AngleToRad(mode, x);
            EXPECT_LE(UlpsApart(Sin(mode, x), sinl(r)), 1);
            EXPECT_LE(UlpsApart(Cos(mode, x), cosl(r)), 1);
        }
    }
    // Exact values at the quarter turns.
    EXPECT_EQ(Sin(amDegrees, 90), 1);
    EXPECT_EQ(Sin(amDegrees, 270), -1);
    EXPECT_EQ(Cos(amDegrees, 180), -1);
    EXPECT_EQ(Sin(amGrads, 100), 1);
    EXPECT_EQ(Sin(amCycles, 0.25L), 1);
    // An infinite angle overflows its conversion, as it always did.
    EXPECT_THROW(Sin(amRadians, kInf), EOverflow);
}

} // namespace
