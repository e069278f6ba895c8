// The built-in functions as an expression object knows them: every name
// compiles under both its aliases, calls are checked for their argument counts,
// the angle unit of the expression applies, and equations are solved through
// the functions' inverses.
#include "engine/real/builtins.h"
#include "engine/real/builtins_table.h"
#include "engine/real/expresion.h"

#include "engine/errors.h"
#include "checks.h"
#include "support/fixtures.h"

#include <cmath>

using namespace real;
using namespace real::builtins;

namespace {

using namespace realcheck;

class BuiltinsThroughExpression : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        e.Silent = true;
        e.SetUseBuiltIns(true);
        x = e.AddVariable(QStringLiteral("x"));
        unknown = e.AddVariable(QStringLiteral("?"));
    }

    // Compiles and evaluates; the error code is left in e.
    Extended eval(const QString& text)
    {
        e.SetText(text);
        return e.Evaluate();
    }

    Extended solve(const QString& text)
    {
        e.SetText(text);
        EXPECT_TRUE(e.Compiled) << text.toStdString() << ": " << e.ErrorMessage.toStdString();
        return e.SolveFor(unknown);
    }

    TExpresion e;
    TVariable* x = nullptr;
    TVariable* unknown = nullptr;
};

} // namespace

// Every name of the table, under each alias, compiles to a call that gives what
// the function itself gives for the same arguments, value or fault.
TEST_F(BuiltinsThroughExpression, EveryNameAndAliasCompilesAndEvaluatesAsTheFunction)
{
    const Extended arg = 0.5L;
    x->SetValue(arg);
    for (const BuiltinEntry& b : BuiltinTable()) {
        for (const QString& name : {FirstName(b), SecondName(b)}) {
            if (name.isEmpty())
                continue;
            SCOPED_TRACE(name.toStdString());
            int minArgs = -1, maxArgs = -1;
            ASSERT_TRUE(e.GetArity(name, minArgs, maxArgs));
            EXPECT_EQ(minArgs, b.minArgs);
            EXPECT_EQ(maxArgs, b.maxArgs);

            QString text = name;
            if (b.minArgs > 0) {
                QStringList args;
                for (int i = 0; i < b.minArgs; ++i)
                    args << QStringLiteral("x");
                text += u'(' + args.join(u',') + u')';
            }
            e.SetText(text);
            ASSERT_TRUE(e.Compiled) << e.ParseMessage.toStdString();
            Extended v = e.Evaluate();

            Extended expected = 0;
            int code = 0;
            switch (b.kind) {
            case BuiltinKind::Constant:
                expected = b.value;
                break;
            case BuiltinKind::Function0:
                EXPECT_GE(v, 0);
                EXPECT_LT(v, 1);
                continue;
            case BuiltinKind::Function1:
                code = faultOf([&] { expected = b.fn1(amRadians, arg); });
                break;
            case BuiltinKind::FunctionN:
                if (!b.fnN) {  // LogBase: the logarithm of x to the base x
                    expected = 1;
                    break;
                }
                code = faultOf([&] {
                    struct Args : ArgList {
                        int n;
                        Extended v;
                        int count() const override { return n; }
                        Extended value(int) override { return v; }
                    } a;
                    a.n = b.minArgs;
                    a.v = arg;
                    expected = b.fnN(amRadians, a);
                });
                break;
            }
            EXPECT_EQ(e.ErrorCode, code) << e.ErrorMessage.toStdString();
            if (code == 0) {
                EXPECT_EQ(v, expected);
            }
        }
    }
}

TEST_F(BuiltinsThroughExpression, WithoutBuiltInsOnlyTheAlwaysPresentNamesAreKnown)
{
    TExpresion bare;
    bare.Silent = true;
    int lo = 0, hi = 0;
    // Before the table exists no name is known.
    EXPECT_FALSE(bare.GetArity(QStringLiteral("Si"), lo, hi));
    bare.EnsureTable();
    for (const char* n : {"Si", "If", "Sim", "Ifm", "LogBase", "LogN"})
        EXPECT_TRUE(bare.GetArity(QString::fromUtf8(n), lo, hi)) << n;
    for (const char* n : {"sin", "Pi", "Max", "Rnd"})
        EXPECT_FALSE(bare.GetArity(QString::fromUtf8(n), lo, hi)) << n;
    EXPECT_THROW(bare.SetText(QStringLiteral("sin(1)")), ECompilacion);
    bare.SetText(QStringLiteral("Si(1,2,3)"));
    EXPECT_EQ(bare.Evaluate(), 2);
}

TEST_F(BuiltinsThroughExpression, ReloadingTheTableKeepsEveryBuiltIn)
{
    e.ReloadTable();
    int lo = 0, hi = 0;
    for (const BuiltinEntry& b : BuiltinTable())
        EXPECT_TRUE(e.GetArity(FirstName(b), lo, hi)) << b.name;
    EXPECT_EQ(eval(QStringLiteral("Max(1,7,3)")), 7);
}

// An owner cannot replace a built-in: the first registration stays.
TEST_F(BuiltinsThroughExpression, BuiltInNamesCannotBeRegisteredAgain)
{
    e.AddConstant(QStringLiteral("Pi"), QStringLiteral("otro"), 3);
    e.AddFunction1(QStringLiteral("sen"), [](Extended) { return Extended(42); }, {}, QString());
    EXPECT_EQ(eval(QStringLiteral("Pi")), kPi);
    EXPECT_EQ(eval(QStringLiteral("sen(0)")), 0);
}

TEST_F(BuiltinsThroughExpression, ArgumentCountsAreChecked)
{
    struct Case {
        const char* text;
        const char* name;
    } cases[] = {
        {"sin(1,2)", "SIN"},        // exactly one
        {"Max(1)", "MAX"},          // at least two
        {"Pi(2)", "PI"},            // none
        {"hipot(1,2,3)", "HIPOT"},  // exactly two
        {"DNormalA(1,2)", "DNORMALA"},        // at least three
        {"DNormalA(1,2,3,4,5)", "DNORMALA"},  // at most four
        {"Si(1,2)", "SI"},          // exactly three
    };
    QStringList messages;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        e.SetText(QString::fromUtf8(c.text));
        EXPECT_FALSE(e.Compiled);
        EXPECT_TRUE(e.HasError);
        EXPECT_EQ(e.ErrorMessage, e.ParseMessage);
        EXPECT_TRUE(e.ParseMessage.contains(QString::fromUtf8(c.name), Qt::CaseInsensitive))
            << e.ParseMessage.toStdString();
        messages << e.ParseMessage;
    }
    // Too many for one argument, too few for an open list, any for a constant:
    // three different messages.
    EXPECT_NE(messages[0], messages[1]);
    EXPECT_NE(messages[0], messages[2]);
    EXPECT_NE(messages[1], messages[2]);
    // The same calls with the right counts compile.
    for (const char* ok : {"sin(1)", "Max(1,2)", "Pi", "hipot(1,2)", "DNormalA(1,2,3)", "DNormalA(1,2,3,4)"}) {
        e.SetText(QString::fromUtf8(ok));
        EXPECT_TRUE(e.Compiled) << ok;
    }
}

TEST_F(BuiltinsThroughExpression, TheExpressionsAngleUnitApplies)
{
    struct Case {
        const char* text;
        std::uint8_t mode;
        Extended expected;
        Extended tolerance;
    } cases[] = {
        {"sin(90)", amDegrees, 1, 0},
        {"sen(100)", amGrads, 1, 0},
        {"arcsin(1)", amDegrees, 90, 1e-15L},
        {"arcsen(1)", amCycles, 0.25L, 1e-18L},
        {"cos(1)", amPi, -1, 0},
        {"sin(30.3)", amDms, std::sin(30.5L * kPi / 180), 1e-15L},
        {"ang(0,1)", amDegrees, 90, 1e-15L},
        {"ang(-1,0)", amDegrees, 180, 1e-15L},
        {"sinh(180)", amDegrees, std::sinh(kPi), 1e-15L},
        {"arcsinh(1)", amDegrees, std::asinh(1.0L) * 180 / kPi, 1e-15L},
        {"GMS(30.3045)", amDegrees, 30.5125L, 1e-15L},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        e.SetAngleMode(c.mode);
        Extended v = eval(QString::fromUtf8(c.text));
        EXPECT_EQ(e.ErrorCode, 0);
        EXPECT_LE(std::fabs(v - c.expected), c.tolerance) << static_cast<double>(v);
    }
}

TEST_F(BuiltinsThroughExpression, EdgeCasesAndErrorCodes)
{
    struct Case {
        const char* text;
        Extended expected;
        int code;
    } cases[] = {
        {"Sim(0,1,0,2,3)", 3, 0},
        {"Sim(0,1,5)", 5, 0},
        {"Sim(0,1,0,2)", 0, 14},
        {"Fact(3.5)", 24, 0},
        {"Fact(-1)", 0, 15},
        {"Var(5,2)", 20, 0},
        {"Var(2,5)", 0, 0},
        {"Cmb(5,2)", 10, 0},
        {"CmbR(3,2)", 6, 0},
        {"PrmR(4,2,2)", 6, 0},
        {"PrmR(3,2,2)", 0, 15},
        {"Resto(7,3)", 1, 0},
        {"Resto(-7,3)", -1, 0},
        {"Mod(7,0)", 0, 11},
        {"Poli(2,1,0,3)", 13, 0},
        {"Poly(2,5)", 5, 0},
        {"DNormStdA(0)", 0.5L, 0},
        {"DNormStdA(9)", 1, 0},
        {"DNormStdA(20)", 1, 0},
        {"DBinom(4,2,0.5)", 0.375L, 0},
        {"DBinomA(4,4,0.5)", 1, 0},
        {"DBinom(4,2,1.5)", 0, 14},
        {"DPoisson(2,0)", std::exp(-2.0L), 0},
        {"Rd(2.5)", 3, 0},
        {"Rd(-2.5)", -3, 0},
        {"Int(-2.7)", -2, 0},
        {"Ent(2.7)", 2, 0},
        {"Frac(-2.75)", -0.75L, 0},
        {"hipot(3,4)", 5, 0},
        {"Fact(4294967299)", 0, 12},
        {"Var(-1,2)", 0, 14},
        {"DHpGeom(70000,4,3,1)", 0, 12},
        {"LogBase(8,2)", 3, 0},
        {"LogN(100,10)", 2, 0},
        {"Suma(1,2,3)", 6, 0},
        {"Prom(1,2,6)", 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Extended v = eval(QString::fromUtf8(c.text));
        EXPECT_EQ(e.ErrorCode, c.code) << e.ErrorMessage.toStdString();
        if (c.code == 0) {
            EXPECT_EQ(v, c.expected) << static_cast<double>(v);
        }
    }
    // DNormStdA(1.96) is about 0.975, DHpGeom(10,4,3,1) one half.
    EXPECT_NEAR(static_cast<double>(eval(QStringLiteral("DNormStdA(1.96)"))), 0.975, 1e-4);
    EXPECT_NEAR(static_cast<double>(eval(QStringLiteral("DHpGeom(10,4,3,1)"))), 0.5, 1e-15);
    EXPECT_NEAR(static_cast<double>(eval(QStringLiteral("DNormal(0,0,2)"))), 0.199471140200716, 1e-15);
}

// Only the branch taken is evaluated: the other may divide by zero or carry a
// message without any error.
TEST_F(BuiltinsThroughExpression, ConditionalsEvaluateOnlyTheBranchTaken)
{
    x->SetValue(0);
    EXPECT_EQ(eval(QStringLiteral("Si(0,1/x,2)")), 2);
    EXPECT_EQ(e.ErrorCode, 0);
    EXPECT_EQ(eval(QStringLiteral("Si(1,2,'Hola')")), 2);
    EXPECT_EQ(e.ErrorCode, 0);
    eval(QStringLiteral("Si(0,2,'Hola')"));
    EXPECT_EQ(e.ErrorCode, 20);
    EXPECT_EQ(e.ErrorMessage, QStringLiteral("Hola"));
    EXPECT_EQ(eval(QStringLiteral("Sim(x,1/x,1,7)")), 7);
    EXPECT_EQ(e.ErrorCode, 0);
}

TEST_F(BuiltinsThroughExpression, RandomNumbersAreNewAtEveryEvaluationAndComparedOnce)
{
    RandomState::seed(7);
    e.SetText(QStringLiteral("Rnd"));
    Extended a = e.Evaluate();
    Extended b = e.Evaluate();
    EXPECT_NE(a, b);
    // Max takes the value it compared: never below the other argument.
    e.SetText(QStringLiteral("Max(0.5,Ale)"));
    for (int i = 0; i < 200; ++i)
        ASSERT_GE(e.Evaluate(), 0.5L);
    e.SetText(QStringLiteral("Min(0.5,Ale)"));
    for (int i = 0; i < 200; ++i)
        ASSERT_LE(e.Evaluate(), 0.5L);
}

// ---- Solving through the inverses --------------------------------------------

TEST_F(BuiltinsThroughExpression, SolvesThroughTheInverses)
{
    struct Case {
        const char* text;
        std::uint8_t mode;
        Extended expected;
        Extended tolerance;
    } cases[] = {
        {"2*?=10", amRadians, 5, 0},
        {"sin(?)=0.5", amDegrees, 30, 1e-15L},
        {"sen(?)=0.5", amDegrees, 30, 1e-15L},
        {"0.5=sin(?)", amDegrees, 30, 1e-15L},
        {"2*sin(?)+1=2", amDegrees, 30, 1e-15L},
        {"sin(?)=1", amGrads, 100, 1e-15L},
        {"cos(?)=0.5", amDegrees, 60, 1e-15L},
        {"tg(?)=1", amDegrees, 45, 1e-15L},
        {"arcsin(?)=30", amDegrees, 0.5L, 1e-18L},
        {"arccos(?)=60", amDegrees, 0.5L, 1e-18L},
        {"arctg(?)=45", amDegrees, 1, 1e-18L},
        {"sinh(?)=2", amRadians, std::asinh(2.0L), 1e-18L},
        {"cosh(?)=2", amDegrees, std::acosh(2.0L) * 180 / kPi, 1e-15L},
        {"tgh(?)=0.5", amRadians, std::atanh(0.5L), 1e-18L},
        {"arcsenh(?)=1", amRadians, std::sinh(1.0L), 1e-18L},
        {"arcosh(?)=1", amRadians, std::cosh(1.0L), 1e-18L},
        {"arctgh(?)=1", amRadians, std::tanh(1.0L), 1e-18L},
        {"Rcp(?)=4", amRadians, 0.25L, 0},
        {"ln(?)=2", amRadians, std::exp(2.0L), 1e-17L},
        {"log(?)=3", amRadians, 1000, 1e-15L},
        {"sqr(?)=16", amRadians, 4, 0},
        {"cuad(?)=2", amRadians, std::sqrt(2.0L), 0},
        {"sqrt(?)=3", amRadians, 9, 0},
        {"raiz(?+1)=3", amRadians, 8, 0},
        {"exp(?)=1", amRadians, 0, 0},
        {"exp10(?)=1000", amRadians, 3, 1e-18L},
        {"GMSRad(?)=GMSRad(30.3045)", amRadians, 30.3045L, 1e-15L},
        {"RadGMS(?)=30.3045", amRadians, 30.5125L * kPi / 180, 1e-18L},
        {"sqrt(ln(?))=1", amRadians, std::exp(1.0L), 1e-17L},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        e.SetAngleMode(c.mode);
        Extended v = solve(QString::fromUtf8(c.text));
        EXPECT_EQ(e.ErrorCode, 0) << e.ErrorMessage.toStdString();
        EXPECT_LE(std::fabs(v - c.expected), c.tolerance) << static_cast<double>(v);
    }
}

TEST_F(BuiltinsThroughExpression, FunctionsWithoutInverseStopTheSolving)
{
    struct Case {
        const char* text;
        int code;
        const char* message;  // null: the text of the code
    } cases[] = {
        {"Abs(?)=3", 20, "Una o mas funciones no se pueden despejar"},
        {"Int(?)=3", 20, "Una o mas funciones no se pueden despejar"},
        {"Ent(?)=3", 20, "Una o mas funciones no se pueden despejar"},
        {"Rd(?)=3", 20, "Una o mas funciones no se pueden despejar"},
        {"Frac(?)=0.5", 20, "Una o mas funciones no se pueden despejar"},
        {"Fact(?)=6", 20, "Una o mas funciones no se pueden despejar"},
        {"Prm(?)=6", 20, "Una o mas funciones no se pueden despejar"},
        {"GMS(?)=3", 20, "Una o mas funciones no se pueden despejar"},
        {"DNormStd(?)=0.3", 20, "Una o mas funciones no se pueden despejar"},
        {"Max(?,1)=3", 20, "No se puede despejar"},
        {"Si(1,?,2)=3", 20, "No se puede despejar"},
        // Principal values only, and no value at all past the range.
        {"sin(?)=2", 15, nullptr},
        {"ln(?)=20000", 12, nullptr},
        {"Rcp(?)=0", 11, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Extended v = solve(QString::fromUtf8(c.text));
        EXPECT_EQ(v, 0);
        EXPECT_TRUE(e.HasError);
        EXPECT_EQ(e.ErrorCode, c.code);
        if (c.message) {
            EXPECT_EQ(e.ErrorMessage, QString::fromUtf8(c.message));
        }
    }
}

TEST_F(BuiltinsThroughExpression, SolvingUsesTheUnitInForceWhenSolving)
{
    e.SetAngleMode(amDegrees);
    EXPECT_NEAR(static_cast<double>(solve(QStringLiteral("sin(?)=0.5"))), 30, 1e-13);
    e.SetAngleMode(amRadians);
    EXPECT_NEAR(static_cast<double>(e.SolveFor(unknown)), static_cast<double>(kPi / 6), 1e-15);
    // The variable read through the inverse: the solved tree follows it.
    x->SetValue(1);
    e.SetAngleMode(amDegrees);
    EXPECT_NEAR(static_cast<double>(solve(QStringLiteral("sin(?)=x/2"))), 30, 1e-13);
    x->SetValue(1 / kSqrt2 * 2);
    EXPECT_NEAR(static_cast<double>(e.SolveFor(unknown)), 45, 1e-13);
}
