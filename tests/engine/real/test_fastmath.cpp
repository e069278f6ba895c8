// The exponential, logarithm, tangent and power of the real engine against values
// computed at 320 bits and rounded once to the 80-bit type
// (tests/data/math80_reference.txt, scripts/gen_fastmath_golden.py): within
// 2 units in the last place, through the functions themselves, the engine's
// operators and built-ins, and a compiled expression re-evaluated as plots do;
// and the special cases of the power with their faults.
#include "engine/real/fastmath.h"

#include "engine/errors.h"
#include "engine/real/builtins_math.h"
#include "engine/real/builtins_sincos.h"
#include "engine/real/expresion.h"
#include "engine/real/tree.h"
#include "checks.h"
#include "support/fixtures.h"
#include "support/testsupport.h"

#include <QFile>

#include <charconv>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace real;

namespace {

struct Reference {
    std::string line;
    std::string name;
    std::vector<Extended> args;
    Extended expected = 0;
};

// "0x<mantissa> <exponent>" pairs, the mantissa signed.
bool ReadNumber(const QList<QByteArray>& parts, int at, Extended& v)
{
    if (at + 1 >= parts.size())
        return false;
    QByteArray man = parts[at];
    const bool negative = man.startsWith('-');
    if (negative)
        man = man.mid(1);
    if (!man.startsWith("0x"))
        return false;
    std::uint64_t m = 0;
    int e = 0;
    const QByteArray& exp = parts[at + 1];
    if (std::from_chars(man.constData() + 2, man.constData() + man.size(), m, 16).ec != std::errc() ||
        std::from_chars(exp.constData(), exp.constData() + exp.size(), e).ec != std::errc())
        return false;
    v = std::ldexp(static_cast<Extended>(m), e);
    if (negative)
        v = -v;
    return true;
}

std::vector<Reference> LoadReferences()
{
    std::vector<Reference> refs;
    QFile f(testDataDir() + QStringLiteral("math80_reference.txt"));
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "math80_reference.txt not found";
        return refs;
    }
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> parts = line.split(' ');
        Reference r;
        r.line = line.toStdString();
        r.name = parts[0].toStdString();
        const int numbers = (static_cast<int>(parts.size()) - 1) / 2;
        bool ok = numbers >= 2;
        for (int i = 0; ok && i < numbers; ++i) {
            Extended v = 0;
            ok = ReadNumber(parts, 1 + 2 * i, v);
            if (i + 1 < numbers)
                r.args.push_back(v);
            else
                r.expected = v;
        }
        EXPECT_TRUE(ok) << r.line;
        if (ok)
            refs.push_back(std::move(r));
    }
    return refs;
}

const std::vector<Reference>& References()
{
    static const std::vector<Reference> refs = LoadReferences();
    return refs;
}

// The distance of v from the expected value in units of the expected value's
// last place (the reference values are normal).
Extended Ulps(Extended v, Extended expected)
{
    int e = 0;
    std::frexp(expected, &e);
    return std::fabs(v - expected) / std::ldexp(1.0L, e - 64);
}

// Every reference of one function, computed by `f`, within 2 units; the
// largest distance seen is printed.
void CheckAll(const char* name, const std::function<Extended(const std::vector<Extended>&)>& f)
{
    Extended worst = 0;
    int count = 0;
    for (const Reference& r : References()) {
        if (r.name != name)
            continue;
        SCOPED_TRACE(r.line);
        ++count;
        const Extended d = Ulps(f(r.args), r.expected);
        EXPECT_LE(d, 2);
        worst = std::max(worst, d);
    }
    EXPECT_GT(count, 100) << name;
    std::printf("%s: %d values, at most %.3f units in the last place\n", name, count, static_cast<double>(worst));
}

TEST(Math80, ExponentialWithinTwoUnits)
{
    CheckAll("exp", [](const std::vector<Extended>& a) { return fastmath::Exp(a[0]); });
    CheckAll("exp", [](const std::vector<Extended>& a) { return builtins::Exp(a[0]); });
}

TEST(Math80, LogarithmWithinTwoUnits)
{
    CheckAll("ln", [](const std::vector<Extended>& a) { return fastmath::Ln(a[0]); });
    // Both kernels, whichever the processor takes.
    CheckAll("ln", [](const std::vector<Extended>& a) { return fastmath::LnX87(a[0]); });
    if (fastmath::HasFma())
        CheckAll("ln", [](const std::vector<Extended>& a) { return fastmath::fma::Ln(a[0]); });
    CheckAll("ln", [](const std::vector<Extended>& a) { return builtins::Ln(a[0]); });
    CheckAll("ln", [](const std::vector<Extended>& a) { return CheckedLn(a[0]); });
}

TEST(Math80, TangentWithinTwoUnits)
{
    CheckAll("tan", [](const std::vector<Extended>& a) { return builtins::TanRadInline(a[0]); });
    CheckAll("tan", [](const std::vector<Extended>& a) { return builtins::Tan(amRadians, a[0]); });
}

TEST(Math80, PowerWithinTwoUnits)
{
    CheckAll("pow", [](const std::vector<Extended>& a) { return fastmath::Pow(a[0], a[1]); });
    CheckAll("pow", [](const std::vector<Extended>& a) { return fastmath::PowX87(a[0], a[1]); });
    if (fastmath::HasFma())
        CheckAll("pow", [](const std::vector<Extended>& a) { return fastmath::fma::Pow(a[0], a[1]); });
    CheckAll("pow", [](const std::vector<Extended>& a) { return CheckedPower(a[0], a[1]); });
}

// A compiled text re-evaluated after each change of its variables (the
// flattened program from the third evaluation on) gives the values of the
// functions themselves.
class Math80Expression : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        e.Silent = true;
        e.SetUseBuiltIns(true);
        x = e.AddVariable(QStringLiteral("x"));
        y = e.AddVariable(QStringLiteral("y"));
    }
    TExpresion e;
    TVariable* x = nullptr;
    TVariable* y = nullptr;
};

TEST_F(Math80Expression, ReEvaluationGivesTheFunctionsValues)
{
    using Direct = std::function<Extended(const std::vector<Extended>&)>;
    struct Case {
        const char* text;
        const char* name;
        Direct direct;   // the function itself, bit for bit
    };
    const Case cases[] = {
        {"x^y", "pow", [](const std::vector<Extended>& a) { return CheckedPower(a[0], a[1]); }},
        {"exp(x)", "exp", [](const std::vector<Extended>& a) { return builtins::Exp(a[0]); }},
        {"ln(x)", "ln", [](const std::vector<Extended>& a) { return builtins::Ln(a[0]); }},
        {"tan(x)", "tan", [](const std::vector<Extended>& a) { return builtins::Tan(amRadians, a[0]); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        e.SetText(QString::fromLatin1(c.text));
        ASSERT_TRUE(e.Compiled);
        int n = 0;
        for (const Reference& r : References()) {
            if (r.name != c.name || ++n > 200)
                continue;
            SCOPED_TRACE(r.line);
            x->SetValue(r.args[0]);
            if (r.args.size() > 1)
                y->SetValue(r.args[1]);
            const Extended v = e.Evaluate();
            ASSERT_EQ(e.ErrorCode, 0);
            EXPECT_LE(Ulps(v, r.expected), 2);
            EXPECT_EQ(v, c.direct(r.args));
        }
    }
    // A constant base: its logarithm taken once, the same bits.
    e.SetText(QStringLiteral("2^x+10^y"));
    int n = 0;
    for (const Reference& r : References()) {
        if (r.name != "exp" || ++n > 200)
            continue;
        SCOPED_TRACE(r.line);
        x->SetValue(r.args[0] / 64);
        y->SetValue(r.args[0] / 256);
        const Extended v = e.Evaluate();
        ASSERT_EQ(e.ErrorCode, 0);
        EXPECT_EQ(v, CheckedPower(2, r.args[0] / 64) + CheckedPower(10, r.args[0] / 256));
    }
}

using namespace realcheck;

// The power's special cases: the value, or the fault, of the operator (x^y)
// and the root (x\y), as before the power had a path of its own.
TEST(Math80, PowerSpecialCases)
{
    struct Case {
        Extended base;
        Extended exponent;
        int fault;
        Extended value;
    };
    const Extended inf = HUGE_VALL;
    const Case cases[] = {
        {0, 0, kNone, 1},
        {5, 0, kNone, 1},
        {-3, 0, kNone, 1},
        {0, 2, kNone, 0},
        {0, 0.5L, kNone, 0},
        {0, -1, kZeroDiv, 0},
        {0, -0.5L, kZeroDiv, 0},
        {-8, 1.0L / 3, kInvOp, 0},   // negative base, odd root: no real power
        {-2, 0.5L, kInvOp, 0},
        {-2, 3, kNone, -8},
        {-2, -3, kNone, -0.125L},
        {2, 0.5L, kNone, std::sqrt(2.0L)},
        {1, 12345.5L, kNone, 1},
        {4, 1.5L, kNone, 8},
        {0.25L, -0.5L, kNone, 2},
        {10, 5000, kOverflow, 0},
        {10, 5000.5L, kOverflow, 0},
        {1.5L, 30000.25L, kOverflow, 0},
        {2, 16384.5L, kOverflow, 0},
        {-2, 0x1p65L, kOverflow, 0},
        {10, -5000.5L, kNone, 0},   // underflow stays masked: 0
        {2, -16380.5L, kNone, std::ldexp(std::sqrt(0.5L), -16380)},
        {2, inf, kOverflow, 0},
        {2, NAN, kInvOp, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<double>(c.base)) + " ^ " + std::to_string(static_cast<double>(c.exponent)));
        int fault = kNone;
        Extended v = 0;
        try {
            v = CheckedPower(c.base, c.exponent);
        } catch (const EMathError& err) {
            fault = err.code();
        }
        EXPECT_EQ(fault, c.fault);
        if (c.fault == kNone) {
            EXPECT_LE(Ulps(v, c.value), 1) << static_cast<double>(v);
        }
    }
}

TEST_F(Math80Expression, PowerFaultsThroughTheEngine)
{
    struct Case {
        const char* text;
        int code;
        Extended value;
    };
    const Case cases[] = {
        {"0^0", 0, 1},          {"(-8)\\3", kInvOp, 0},  {"(-8)^(1/3)", kInvOp, 0}, {"0^(-0.5)", kZeroDiv, 0},
        {"10^5000.5", kOverflow, 0}, {"10^(-5000.5)", 0, 0}, {"16^0.25", 0, 2},        {"8\\3", 0, 2},
        {"exp(11357)", kOverflow, 0}, {"exp(-11400)", 0, 0}, {"ln(0)", kZeroDiv, 0},   {"ln(-1)", kInvOp, 0},
        {"exp(ln(2))", 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        // Constant texts fold while compiled: a fault comes from the compile.
        e.SetText(QString::fromLatin1(c.text));
        const Extended v = e.Compiled ? e.Evaluate() : 0;
        EXPECT_EQ(e.ErrorCode, c.code);
        if (c.code == 0) {
            EXPECT_LE(Ulps(v, c.value), 1) << static_cast<double>(v);
        }
    }
    // Through a variable, the flattened program gives the same faults.
    e.SetText(QStringLiteral("x^y"));
    struct Var {
        Extended base, exponent;
        int code;
    };
    for (const Var& c : {Var{-8, 1.0L / 3, kInvOp}, Var{0, -0.5L, kZeroDiv}, Var{10, 5000.5L, kOverflow},
                         Var{2, 0.5L, 0}, Var{-8, 1.0L / 3, kInvOp}, Var{3, 2.5L, 0}}) {
        x->SetValue(c.base);
        y->SetValue(c.exponent);
        e.Evaluate();
        EXPECT_EQ(e.ErrorCode, c.code) << static_cast<double>(c.base) << " ^ " << static_cast<double>(c.exponent);
    }
}

} // namespace
