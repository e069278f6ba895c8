// The built-in functions of the real engine as plain numbers: the table of
// names, the values, the angle units, the inverses and the faults.
#include "engine/real/builtins_table.h"

#include "engine/errors.h"
#include "checks.h"
#include "support/fixtures.h"

#include <QSet>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <vector>

using namespace real::builtins;

namespace {

// Arguments with fixed values that remember the order in which they were read.
class ValueArgs : public ArgList {
public:
    ValueArgs(std::initializer_list<Extended> v) : values(v) {}
    int count() const override { return static_cast<int>(values.size()); }
    Extended value(int i) override
    {
        reads.push_back(i);
        return values.at(static_cast<size_t>(i));
    }
    std::vector<Extended> values;
    std::vector<int> reads;
};

const BuiltinEntry& entry(const char* name)
{
    const BuiltinEntry* e = FindBuiltin(QString::fromUtf8(name));
    if (!e)
        throw std::runtime_error(std::string("no built-in ") + name);
    return *e;
}

Extended call1(const char* name, AngleMode mode, Extended x) { return entry(name).fn1(mode, x); }

Extended callN(const char* name, AngleMode mode, std::initializer_list<Extended> args)
{
    ValueArgs a(args);
    return entry(name).fnN(mode, a);
}

using namespace realcheck;

} // namespace

// ---- The table --------------------------------------------------------------

TEST(BuiltinTable, HoldsTheThreeAlwaysPresentAndFiftyEightBuiltIns)
{
    auto table = BuiltinTable();
    ASSERT_EQ(table.size(), 61u);
    int always = 0, constants = 0, fun0 = 0, fun1 = 0, funN = 0;
    for (const BuiltinEntry& e : table) {
        SCOPED_TRACE(e.name);
        if (e.alwaysPresent) {
            ++always;
            continue;
        }
        switch (e.kind) {
        case BuiltinKind::Constant:
            ++constants;
            EXPECT_EQ(e.category, 0);
            EXPECT_EQ(e.minArgs, 0);
            EXPECT_EQ(e.maxArgs, 0);
            break;
        case BuiltinKind::Function0:
            ++fun0;
            EXPECT_EQ(e.category, 3);
            EXPECT_NE(e.fn0, nullptr);
            break;
        case BuiltinKind::Function1:
            ++fun1;
            EXPECT_EQ(e.category, 3);
            EXPECT_EQ(e.minArgs, 1);
            EXPECT_EQ(e.maxArgs, 1);
            EXPECT_NE(e.fn1, nullptr);
            break;
        case BuiltinKind::FunctionN:
            ++funN;
            EXPECT_EQ(e.category, 4);
            EXPECT_NE(e.fnN, nullptr);
            break;
        }
    }
    EXPECT_EQ(always, 3);
    EXPECT_EQ(constants, 4);
    EXPECT_EQ(fun0, 1);
    EXPECT_EQ(fun1, 29);
    EXPECT_EQ(funN, 24);
    EXPECT_EQ(constants + fun0 + fun1 + funN, 58);
}

TEST(BuiltinTable, EveryNameIsUniqueAcrossAliasesIgnoringCase)
{
    QSet<QString> seen;
    for (const BuiltinEntry& e : BuiltinTable()) {
        for (const QString& n : {FirstName(e), SecondName(e)}) {
            if (n.isEmpty())
                continue;
            SCOPED_TRACE(n.toStdString());
            EXPECT_FALSE(seen.contains(n.toLower()));
            seen.insert(n.toLower());
            EXPECT_EQ(FindBuiltin(n), &e);
            EXPECT_EQ(FindBuiltin(n.toUpper()), &e);
        }
    }
    EXPECT_EQ(FindBuiltin(QStringLiteral("Sum")), nullptr);
    EXPECT_EQ(FindBuiltin(QStringLiteral("sin/sen")), nullptr);
}

TEST(BuiltinTable, NamesArgumentCountsAndCategories)
{
    struct Case {
        const char* first;
        const char* second;
        int category, minArgs, maxArgs;
        bool always;
    } cases[] = {
        {"Si", "If", 4, 3, 3, true},
        {"Sim", "Ifm", 4, 2, 255, true},
        {"LogBase", "LogN", 4, 2, 2, true},
        {"Pi", "", 0, 0, 0, false},
        {"e", "", 0, 0, 0, false},
        {"R2", "", 0, 0, 0, false},
        {"R3", "", 0, 0, 0, false},
        {"Ale", "Rnd", 3, 0, 0, false},
        {"sin", "sen", 3, 1, 1, false},
        {"tan", "tg", 3, 1, 1, false},
        {"arccos", "arcos", 3, 1, 1, false},
        {"arctan", "arctg", 3, 1, 1, false},
        {"arcsinh", "arcsenh", 3, 1, 1, false},
        {"arccosh", "arcosh", 3, 1, 1, false},
        {"arctanh", "arctgh", 3, 1, 1, false},
        {"sqr", "cuad", 3, 1, 1, false},
        {"sqrt", "raiz", 3, 1, 1, false},
        {"Int", "Ent", 3, 1, 1, false},
        {"GMSRad", "", 3, 1, 1, false},
        {"DNormStd", "", 3, 1, 1, false},
        {"hipot", "", 4, 2, 2, false},
        {"ang", "arg", 4, 2, 2, false},
        {"Max", "", 4, 2, 255, false},
        {"Suma", "", 4, 2, 255, false},
        {"Resto", "Mod", 4, 2, 2, false},
        {"Poli", "Poly", 4, 2, 255, false},
        {"PrmR", "", 4, 2, 255, false},
        {"DNormalA", "", 4, 3, 4, false},
        {"DNormStdA", "", 4, 1, 2, false},
        {"DBinomNegA", "", 4, 3, 4, false},
        {"DHpGeom", "", 4, 4, 4, false},
        {"DHpGeomA", "", 4, 4, 5, false},
        {"DPoissonA", "", 4, 2, 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        const BuiltinEntry& e = entry(c.first);
        EXPECT_EQ(FirstName(e), QString::fromUtf8(c.first));
        EXPECT_EQ(SecondName(e), QString::fromUtf8(c.second));
        EXPECT_EQ(e.category, c.category);
        EXPECT_EQ(e.minArgs, c.minArgs);
        EXPECT_EQ(e.maxArgs, c.maxArgs);
        EXPECT_EQ(e.alwaysPresent, c.always);
    }
    // "LogBase" has no function: the compiler builds a logarithm node for it.
    EXPECT_EQ(entry("LogN").fnN, nullptr);
}

TEST(BuiltinTable, DescriptionsWordForWord)
{
    struct Case {
        const char* name;
        const char* description;
    } cases[] = {
        {"Si", "Condicional"},
        {"Sim", "Secuencia de condicionales"},
        {"LogBase", "Logaritmo base N"},
        {"Pi", "Pi"},
        {"e", "Base Log. Naturales"},
        {"R2", "Raíz cuadrada de 2"},
        {"R3", "Raiz cuadrada de 3"},
        {"Rnd", "Aleatorio"},
        {"sen", "Seno"},
        {"arctg", "Arcotangente"},
        {"GMS", "GGG,MMSS.SS"},
        {"GMSRad", ""},
        {"RadGMS", ""},
        {"tgh", "Tangente hiperbólica"},
        {"arccosh", "Arcocoseno hiperbólico"},
        {"Rcp", "Recíproco"},
        {"ln", "Logarítmo natural"},
        {"log", "Logarítmo base 10"},
        {"raiz", "Raíz cuadrada"},
        {"exp10", "Expo base 10"},
        {"Abs", "Valor Absoluto"},
        {"Frac", "Fracción"},
        {"Prm", "Permutaciones sin repetición"},
        {"DNormStd", "Distribución Normal Estándar"},
        {"arg", "Angulo"},
        {"Max", "Máximo"},
        {"Min", "Mínimo"},
        {"Poly", "Polinomio (coef. de 0 a n)"},
        {"CmbR", "Combinaciones con repetición"},
        {"DNormalA", "Area Distribución Normal"},
        {"DNormStdA", "Area Dist. Normal Std"},
        {"DBinomNeg", "Dist. Binomial Negativa"},
        {"DHpGeomA", "Distribución Hipergeométrica Acumulada"},
        {"DPoisson", "Distribución Poisson"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Description(entry(c.name)), QString::fromUtf8(c.description));
    }
}

TEST(BuiltinTable, AngleUnitUseAndDrawings)
{
    for (const char* n : {"sin", "cos", "tan", "sinh", "cosh", "tanh"})
        EXPECT_EQ(entry(n).angle, AngleUse::Argument) << n;
    for (const char* n : {"arcsin", "arccos", "arctan", "arcsinh", "arccosh", "arctanh", "GMS", "ang"})
        EXPECT_EQ(entry(n).angle, AngleUse::Result) << n;
    for (const char* n : {"GMSRad", "RadGMS", "ln", "exp", "hipot", "Rcp"})
        EXPECT_EQ(entry(n).angle, AngleUse::None) << n;

    struct Case {
        const char* name;
        BuiltinDrawing drawing;
    } cases[] = {
        {"Rcp", BuiltinDrawing::Reciprocal}, {"cuad", BuiltinDrawing::Square},
        {"raiz", BuiltinDrawing::Radical},   {"exp", BuiltinDrawing::Exp},
        {"exp10", BuiltinDrawing::Exp10},    {"Abs", BuiltinDrawing::Abs},
        {"Fact", BuiltinDrawing::Factorial}, {"Cmb", BuiltinDrawing::Combination},
        {"Prm", BuiltinDrawing::Plain},      {"sin", BuiltinDrawing::Plain},
    };
    for (const Case& c : cases)
        EXPECT_EQ(entry(c.name).drawing, c.drawing) << c.name;
}

TEST(BuiltinTable, InversesForSolving)
{
    struct Case {
        const char* name;
        const char* inverse;  // null: cannot be solved through
    } cases[] = {
        {"sin", "arcsin/arcsen"}, {"sen", "arcsin/arcsen"},  {"cos", "arccos/arcos"},
        {"tan", "arctan/arctg"},  {"arcsin", "sin/sen"},     {"arccos", "cos"},
        {"arctan", "tan/tg"},     {"GMSRad", "RadGMS"},      {"RadGMS", "GMSRad"},
        {"sinh", "arcsinh/arcsenh"}, {"cosh", "arccosh/arcosh"}, {"tanh", "arctanh/arctgh"},
        {"arcsinh", "sinh/senh"}, {"arccosh", "cosh"},       {"arctanh", "tanh/tgh"},
        {"Rcp", "Rcp"},           {"ln", "exp"},             {"log", "exp10"},
        {"sqr", "sqrt/raiz"},     {"sqrt", "sqr/cuad"},      {"exp", "ln"},
        {"exp10", "log"},         {"Abs", nullptr},          {"Int", nullptr},
        {"Rd", nullptr},          {"Frac", nullptr},         {"Fact", nullptr},
        {"Prm", nullptr},         {"GMS", nullptr},          {"DNormStd", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BuiltinEntry* inv = InverseOf(entry(c.name));
        if (!c.inverse) {
            EXPECT_EQ(inv, nullptr);
            continue;
        }
        ASSERT_NE(inv, nullptr);
        EXPECT_EQ(QString::fromUtf8(inv->name), QString::fromUtf8(c.inverse));
    }
    // Every one-argument function names an inverse that exists.
    for (const BuiltinEntry& e : BuiltinTable()) {
        if (e.inverse) {
            SCOPED_TRACE(e.name);
            EXPECT_NE(InverseOf(e), nullptr);
            EXPECT_EQ(e.kind, BuiltinKind::Function1);
        }
    }
}

TEST(BuiltinTable, InverseUndoesTheFunctionInEveryUnit)
{
    struct Case {
        const char* name;
        Extended x;
    } cases[] = {
        {"sin", 0.3L},  {"cos", 0.4L},  {"tan", 0.7L},   {"arcsin", 0.5L}, {"arccos", -0.25L},
        {"arctan", 2},  {"sinh", 0.2L}, {"cosh", 0.6L},  {"tanh", -0.3L},  {"arcsinh", 1.5L},
        {"arccosh", 2}, {"arctanh", 0.5L}, {"Rcp", 4},   {"ln", 3},        {"log", 1234},
        {"sqr", 1.5L},  {"sqrt", 7},    {"exp", 1.25L},  {"exp10", 2.5L},
    };
    for (AngleMode mode : {amRadians, amDegrees, amGrads, amCycles, amPi}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " mode " + std::to_string(mode));
            const BuiltinEntry& f = entry(c.name);
            const BuiltinEntry* inv = InverseOf(f);
            ASSERT_NE(inv, nullptr);
            // Arguments of the trigonometric functions scale with the unit.
            Extended x = f.angle == AngleUse::Argument ? RadToAngle(mode, c.x) : c.x;
            Extended back = inv->fn1(mode, f.fn1(mode, x));
            EXPECT_NEAR(static_cast<double>(back), static_cast<double>(x), 1e-12 * std::fabs(static_cast<double>(x)) + 1e-15);
        }
    }
}

// ---- Values ---------------------------------------------------------------

TEST(BuiltinValues, Constants)
{
    EXPECT_EQ(entry("Pi").value, 3.1415926535897932385L);
    EXPECT_EQ(entry("e").value, std::exp(1.0L));
    EXPECT_EQ(entry("R2").value, std::sqrt(2.0L));
    EXPECT_EQ(entry("R3").value, std::sqrt(3.0L));
}

TEST(BuiltinValues, OneArgument)
{
    const Extended pi = kPi;
    struct Case {
        const char* name;
        AngleMode mode;
        Extended x;
        Extended expected;
        Extended tolerance;  // 0: exact
    } cases[] = {
        {"sin", amDegrees, 90, 1, 0},
        {"sen", amDegrees, 30, 0.5L, 1e-18L},
        {"sin", amRadians, pi / 6, 0.5L, 1e-18L},
        {"sin", amGrads, 100, 1, 0},
        {"sin", amCycles, 0.25L, 1, 0},
        {"sin", amPi, 0.5L, 1, 0},
        // 30.3 in degrees-minutes-seconds is 30 degrees 30 minutes.
        {"sin", amDms, 30.3L, std::sin(30.5L * pi / 180), 1e-15L},
        {"cos", amDegrees, 60, 0.5L, 1e-18L},
        {"tg", amDegrees, 45, 1, 1e-18L},
        {"arcsin", amDegrees, 1, 90, 1e-15L},
        {"arcsen", amRadians, 1, pi / 2, 0},
        {"arccos", amDegrees, 0.5L, 60, 1e-15L},
        {"arctg", amGrads, 1, 50, 1e-15L},
        {"arctan", amCycles, 1, 0.125L, 1e-18L},
        {"GMS", amDegrees, 30.3045L, 30.5125L, 1e-15L},
        {"GMS", amDms, 30.3045L, 30.3045L, 1e-15L},
        {"GMSRad", amDegrees, 30.3045L, 30.5125L * pi / 180, 1e-18L},
        {"RadGMS", amRadians, 30.5125L * pi / 180, 30.3045L, 1e-15L},
        // The hyperbolic functions read their argument in the unit as well.
        {"sinh", amDegrees, 180, std::sinh(pi), 1e-15L},
        {"senh", amRadians, 1, std::sinh(1.0L), 0},
        {"cosh", amGrads, 200, std::cosh(pi), 1e-15L},
        {"tgh", amDegrees, 90, std::tanh(pi / 2), 1e-18L},
        {"arcsinh", amDegrees, std::sinh(1.0L), 180 / pi, 1e-15L},
        {"arcosh", amRadians, 1, 0, 0},
        {"arctgh", amPi, std::tanh(pi), 1, 1e-15L},
        {"Rcp", amDegrees, 4, 0.25L, 0},
        {"ln", amRadians, std::exp(2.0L), 2, 1e-18L},
        {"log", amRadians, 1000, 3, 1e-18L},
        {"sqr", amRadians, -3, 9, 0},
        {"cuad", amRadians, 1.5L, 2.25L, 0},
        {"sqrt", amRadians, 16, 4, 0},
        {"raiz", amRadians, 2, std::sqrt(2.0L), 0},
        {"exp", amRadians, 0, 1, 0},
        {"exp", amRadians, -20000, 0, 0},  // underflow stays quiet
        {"exp10", amRadians, 3, 1000, 0},
        {"exp10", amRadians, -2, 0.01L, 1e-20L},
        {"Abs", amRadians, -2.5L, 2.5L, 0},
        {"Int", amRadians, -2.7L, -2, 0},
        {"Ent", amRadians, 2.7L, 2, 0},
        {"Rd", amRadians, 2.5L, 3, 0},
        {"Rd", amRadians, -2.5L, -3, 0},
        {"Rd", amRadians, 2.4999L, 2, 0},
        {"Rd", amRadians, 1e25L, 1e25L, 0},  // no 64-bit limit on rounding
        {"Frac", amRadians, -2.75L, -0.75L, 0},
        {"Frac", amRadians, 3.25L, 0.25L, 0},
        {"Fact", amRadians, 3.5L, 24, 0},
        {"Fact", amRadians, 0, 1, 0},
        {"Fact", amRadians, 0.4L, 1, 0},
        {"Fact", amRadians, 1, 1, 0},
        {"Fact", amRadians, 10, 3628800, 0},
        {"Prm", amRadians, 5, 120, 0},
        {"DNormStd", amRadians, 0, 0.39894228040143267793L, 0},
        {"DNormStd", amRadians, 1, 0.24197072451914334980L, 1e-18L},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " mode " + std::to_string(c.mode) + " x "
                     + std::to_string(static_cast<double>(c.x)));
        Extended v = call1(c.name, c.mode, c.x);
        if (c.tolerance == 0)
            EXPECT_EQ(v, c.expected) << static_cast<double>(v);
        else
            EXPECT_LE(std::fabs(v - c.expected), c.tolerance) << static_cast<double>(v);
    }
}

TEST(BuiltinValues, FactorialReachesTheTopOfTheRange)
{
    Extended f = call1("Fact", amRadians, kMaxFactorial);
    EXPECT_TRUE(std::isfinite(f));
    EXPECT_GT(f, 1e4930L);
    EXPECT_EQ(call1("Fact", amRadians, 1754.4L), f);
    EXPECT_EQ(faultOf([] { call1("Fact", amRadians, 1754.5L); }), kOverflow);
}

TEST(BuiltinValues, SeveralArguments)
{
    struct Case {
        const char* name;
        AngleMode mode;
        std::initializer_list<Extended> args;
        Extended expected;
        Extended tolerance;
    } cases[] = {
        {"Si", amRadians, {1, 2, 3}, 2, 0},
        {"If", amRadians, {0, 2, 3}, 3, 0},
        {"Si", amRadians, {-1, 2, 3}, 3, 0},
        {"Sim", amRadians, {0, 1, 0, 2, 3}, 3, 0},
        {"Ifm", amRadians, {0, 1, 5}, 5, 0},
        {"Sim", amRadians, {0, 1, 1, 2}, 2, 0},
        {"Sim", amRadians, {1, 7}, 7, 0},
        {"hipot", amRadians, {3, 4}, 5, 0},
        {"hipot", amRadians, {3e3000L, 4e3000L}, 5e3000L, 1e2985L},
        {"ang", amDegrees, {0, 1}, 90, 1e-15L},
        {"arg", amDegrees, {-1, 0}, 180, 1e-15L},
        {"ang", amRadians, {1, 1}, kPi / 4, 1e-18L},
        {"ang", amGrads, {0, -1}, -100, 1e-15L},
        {"ang", amDegrees, {0, 0}, 0, 0},
        {"Max", amRadians, {1, 5, 3}, 5, 0},
        {"Max", amRadians, {-1, -5}, -1, 0},
        {"Min", amRadians, {4, 2, 3, 8}, 2, 0},
        {"Prom", amRadians, {1, 2, 6}, 3, 0},
        {"Suma", amRadians, {1, 2, 3, 4}, 10, 0},
        {"Resto", amRadians, {7, 3}, 1, 0},
        {"Mod", amRadians, {-7, 3}, -1, 0},
        {"Resto", amRadians, {7.5L, 2}, 1.5L, 0},
        {"Poli", amRadians, {2, 1, 0, 3}, 13, 0},
        {"Poly", amRadians, {2, 5}, 5, 0},
        {"Poli", amRadians, {-1, 1, 1, 1, 1}, 0, 0},
        {"PrmR", amRadians, {4, 2, 2}, 6, 0},
        {"PrmR", amRadians, {5, 2}, 60, 0},
        {"Var", amRadians, {5, 2}, 20, 0},
        {"Var", amRadians, {2, 5}, 0, 0},
        {"Var", amRadians, {5, 0}, 1, 0},
        {"Var", amRadians, {4.6L, 1.5L}, 20, 0},
        {"VarR", amRadians, {2, 10}, 1024, 0},
        {"VarR", amRadians, {0, 0}, 1, 0},
        {"VarR", amRadians, {2.5L, 2}, 9, 0},
        {"Cmb", amRadians, {5, 2}, 10, 0},
        {"Cmb", amRadians, {2, 5}, 0, 0},
        {"CmbR", amRadians, {3, 2}, 6, 0},
        {"DNormal", amRadians, {0, 0, 1}, 0.39894228040143267793L, 1e-19L},
        {"DNormal", amRadians, {0, 0, 2}, 0.19947114020071633897L, 1e-19L},
        {"DNormal", amRadians, {3, 1, 2}, 0.12098536225957167490L, 1e-18L},
        {"DNormStdA", amRadians, {0}, 0.5L, 0},
        {"DNormStdA", amRadians, {1.96L}, 0.97500210485177952L, 1e-13L},
        {"DNormStdA", amRadians, {-1.96L}, 0.02499789514822048L, 1e-13L},
        {"DNormStdA", amRadians, {9}, 1, 0},
        {"DNormStdA", amRadians, {20}, 1, 0},
        {"DNormStdA", amRadians, {-20}, 0, 0},
        {"DNormStdA", amRadians, {1, -1}, 0.68268949213708589717L, 1e-13L},
        {"DNormalA", amRadians, {12, 10, 2}, 0.84134474606854293L, 1e-13L},
        {"DNormalA", amRadians, {8, 12, 10, 2}, 0.68268949213708589717L, 1e-13L},
        {"DBinom", amRadians, {4, 2, 0.5L}, 0.375L, 0},
        {"DBinom", amRadians, {3, 0, 0}, 1, 0},
        {"DBinom", amRadians, {3, 3, 1}, 1, 0},
        {"DBinomA", amRadians, {4, 4, 0.5L}, 1, 0},
        {"DBinomA", amRadians, {4, 1, 0.5L}, 0.3125L, 0},
        {"DBinomA", amRadians, {4, 1, 2, 0.5L}, 0.625L, 0},
        {"DBinomA", amRadians, {4, 3, 2, 0.5L}, 0, 0},
        {"DBinomNeg", amRadians, {5, 3, 0.5L}, 0.1875L, 0},
        {"DBinomNegA", amRadians, {5, 3, 0.5L}, 0.5L, 0},
        {"DBinomNegA", amRadians, {3, 4, 3, 0.5L}, 0.3125L, 0},
        {"DHpGeom", amRadians, {10, 4, 3, 1}, 0.5L, 1e-18L},
        {"DHpGeomA", amRadians, {10, 4, 3, 3}, 1, 1e-18L},
        {"DHpGeomA", amRadians, {10, 4, 3, 1, 2}, 0.8L, 1e-18L},
        {"DPoisson", amRadians, {2, 0}, std::exp(-2.0L), 0},
        {"DPoisson", amRadians, {2, 3}, 8 * std::exp(-2.0L) / 6, 1e-19L},
        {"DPoissonA", amRadians, {2, 1}, 3 * std::exp(-2.0L), 1e-19L},
        {"DPoissonA", amRadians, {2, 1, 2}, 4 * std::exp(-2.0L), 1e-19L},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Extended v = callN(c.name, c.mode, c.args);
        if (c.tolerance == 0)
            EXPECT_EQ(v, c.expected) << static_cast<double>(v);
        else
            EXPECT_LE(std::fabs(v - c.expected), c.tolerance) << static_cast<double>(v);
    }
}

// ---- Order and laziness of the argument reads -------------------------------

TEST(BuiltinArgs, EachFunctionReadsOnlyWhatItNeedsInItsOrder)
{
    struct Case {
        const char* name;
        std::initializer_list<Extended> args;
        std::vector<int> reads;
    } cases[] = {
        {"Si", {1, 2, 3}, {0, 1}},
        {"Si", {0, 2, 3}, {0, 2}},
        {"Sim", {0, 1, 1, 2, 3}, {0, 2, 3}},
        {"Sim", {0, 1, 0, 2, 3}, {0, 2, 4}},
        {"Sim", {1, 1, 1, 2, 3}, {0, 1}},
        // Max and Min: the first, then from the last down, each read once.
        {"Max", {1, 5, 3}, {0, 2, 1}},
        {"Min", {1, 5, 3}, {0, 2, 1}},
        {"Suma", {1, 2, 3}, {2, 1, 0}},
        {"Cmb", {5, 2}, {1, 0}},
        {"Poli", {2, 1, 0, 3}, {0, 1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ValueArgs a(c.args);
        entry(c.name).fnN(amRadians, a);
        EXPECT_EQ(a.reads, c.reads);
    }
}

// ---- Faults ---------------------------------------------------------------

TEST(BuiltinFaults, OneArgument)
{
    struct Case {
        const char* name;
        AngleMode mode;
        Extended x;
        int code;
    } cases[] = {
        {"arcsin", amDegrees, 1.5L, kInvOp},
        {"arccos", amRadians, -2, kInvOp},
        {"arccosh", amRadians, 0.5L, kInvOp},
        {"arctanh", amRadians, 1, kZeroDiv},
        {"arctanh", amRadians, -1, kZeroDiv},
        {"arctanh", amRadians, 2, kInvOp},
        {"sinh", amRadians, 20000, kOverflow},
        {"cosh", amDegrees, 1e6L, kOverflow},
        {"Rcp", amRadians, 0, kZeroDiv},
        {"ln", amRadians, 0, kZeroDiv},
        {"ln", amRadians, -1, kInvOp},
        {"log", amRadians, 0, kZeroDiv},
        {"log", amRadians, -5, kInvOp},
        {"sqrt", amRadians, -1, kInvOp},
        {"sqr", amRadians, 1e3000L, kOverflow},
        {"exp", amRadians, 20000, kOverflow},
        {"exp10", amRadians, 5000, kOverflow},
        {"Fact", amRadians, -1, kInvOp},
        {"Fact", amRadians, -0.3L, kInvOp},
        {"Prm", amRadians, -2, kInvOp},
        {"Fact", amRadians, 1755, kOverflow},
        // Far beyond 32 bits the count is not wrapped round to a small number.
        {"Fact", amRadians, 4294967299.0L, kOverflow},
        {"Fact", amRadians, 1e300L, kOverflow},
        {"sin", amDegrees, 1e4932L, kOverflow},
        {"exp", amRadians, 1, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(static_cast<double>(c.x)));
        EXPECT_EQ(faultOf([&] { call1(c.name, c.mode, c.x); }), c.code);
    }
}

TEST(BuiltinFaults, SeveralArguments)
{
    struct Case {
        const char* name;
        std::initializer_list<Extended> args;
        int code;
    } cases[] = {
        {"Sim", {0, 1, 0, 2}, kInvArg},
        {"Sim", {0, 1}, kInvArg},
        // By the formula: the quotient 7 / 0 divides by zero.
        {"Resto", {7, 0}, kZeroDiv},
        {"Resto", {0, 0}, kInvOp},
        {"PrmR", {3, 2, 2}, kInvOp},
        {"PrmR", {4, -1, 2}, kInvOp},
        {"Var", {-1, 2}, kInvArg},
        {"Var", {5, -2}, kInvArg},
        {"VarR", {-2, 2}, kInvArg},
        {"VarR", {2, -1}, kInvArg},
        {"VarR", {10, 5000}, kOverflow},
        {"Cmb", {5, -1}, kInvOp},
        {"Cmb", {-5, 2}, kInvArg},
        {"CmbR", {0, 2}, kInvOp},
        {"CmbR", {-1, 2}, kInvArg},
        {"CmbR", {3, -2}, kInvArg},
        {"DNormal", {1, 0, 0}, kZeroDiv},
        {"DNormal", {1, 0, -1}, kInvOp},
        {"DNormalA", {1, 0, 0}, kZeroDiv},
        {"DNormalA", {0, 0, 0}, kInvOp},
        {"DBinom", {4, 2, 1.5L}, kInvArg},
        {"DBinom", {4, 2, -0.1L}, kInvArg},
        {"DBinom", {4, 5, 0.5L}, kInvArg},
        {"DBinom", {-4, 2, 0.5L}, kInvArg},
        {"DBinomA", {4, 2, 2}, kInvArg},
        // Past k = n the binomial coefficient is refused.
        {"DBinomA", {4, 5, 0.5L}, kInvArg},
        {"DBinomNeg", {5, 0, 0.5L}, kInvArg},
        {"DBinomNegA", {5, 3, 7}, kInvArg},
        {"DHpGeom", {10, 4, 3, 4}, kInvArg},
        {"DHpGeom", {10, 12, 3, 1}, kInvArg},
        {"DHpGeom", {-1, 4, 3, 1}, kInvArg},
        {"DPoisson", {2, -1}, kInvArg},
        {"DPoisson", {-20000, 1}, kOverflow},
        {"Suma", {1e4932L, 1e4932L}, kOverflow},
        {"Poli", {1e3000L, 0, 0, 1}, kOverflow},
        {"Max", {1, 2}, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(faultOf([&] { callN(c.name, amRadians, c.args); }), c.code);
    }
}

// Counts that used to be held in 32 or 16 bits: past those sizes the result is
// either right or an overflow / invalid argument, never a wrapped number, and
// every loop ends after a few thousand steps at most.
TEST(BuiltinFaults, LargeCountsAreNeverWrapped)
{
    const Extended two32 = 4294967296.0L;
    // Exact results beyond 32 bits.
    EXPECT_EQ(callN("Var", amRadians, {two32 + 5, 1}), two32 + 5);
    EXPECT_EQ(callN("Var", amRadians, {two32 + 5, 2}), (two32 + 5) * (two32 + 4));
    EXPECT_EQ(callN("VarR", amRadians, {two32 + 2, 1}), two32 + 2);
    EXPECT_EQ(callN("VarR", amRadians, {1, two32 + 7}), 1);
    EXPECT_EQ(callN("Var", amRadians, {two32, 0}), 1);

    struct Case {
        const char* name;
        std::initializer_list<Extended> args;
        int code;
    } cases[] = {
        {"Var", {1e9L, 1e9L}, kOverflow},
        {"Var", {1e30L, 2}, kOverflow},
        {"Var", {-1e30L, 2}, kInvArg},
        {"Var", {two32 - 1, two32 - 1}, kOverflow},
        {"VarR", {1e30L, 1}, kOverflow},
        {"VarR", {2, 1e30L}, kOverflow},
        {"VarR", {two32 + 2, two32}, kOverflow},
        {"CmbR", {two32 + 1, 1}, kOverflow},
        {"CmbR", {1, two32}, kOverflow},
        {"CmbR", {1e30L, 1e30L}, kOverflow},
        {"Cmb", {two32 + 3, 2}, kNone},
        {"Cmb", {10, two32}, kOverflow},
        {"PrmR", {two32 + 2, 1}, kOverflow},
        {"DHpGeom", {65537, 4, 3, 1}, kOverflow},
        {"DHpGeom", {65536 + 10, 4, 3, 1}, kOverflow},
        {"DHpGeom", {10, 4, 3, -65535}, kInvArg},
        {"DHpGeomA", {10, 4, 3, 0, 70000}, kOverflow},
        {"DHpGeomA", {60000, 4, 3, 1}, kOverflow},
        {"DHpGeomA", {10, 4, 3, 65535}, kInvArg},
        {"DBinomA", {4, 1e18L, 0.5L}, kInvArg},
        {"DBinomA", {1e18L, 2, 0.5L}, kOverflow},
        {"DBinomNegA", {1e18L, 1, 0.5L}, kOverflow},
        {"DBinomNegA", {1, 1e18L, 1, 0.5L}, kOverflow},
        {"DPoissonA", {2, 1e18L}, kOverflow},
        {"DPoissonA", {2, -1e18L, 3}, kInvArg},
        {"DBinom", {1e30L, 1, 0.5L}, kOverflow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(faultOf([&] { callN(c.name, amRadians, c.args); }), c.code);
    }
    EXPECT_EQ(callN("Cmb", amRadians, {two32 + 3, 2}), (two32 + 3) * (two32 + 2) / 2);
}

TEST(BuiltinFaults, IntPowerAndCounts)
{
    EXPECT_EQ(IntPower(2, 10), 1024);
    EXPECT_EQ(IntPower(2, -2), 0.25L);
    EXPECT_EQ(IntPower(-3, 3), -27);
    EXPECT_EQ(IntPower(0, 0), 1);
    EXPECT_EQ(IntPower(1, INT64_MAX), 1);
    EXPECT_EQ(IntPower(-1, INT64_MAX), -1);
    EXPECT_EQ(IntPower(10, -6000), 0);  // too small to hold: 0, as an underflow
    EXPECT_EQ(faultOf([] { IntPower(0, -1); }), kZeroDiv);
    EXPECT_EQ(faultOf([] { IntPower(10, 5000); }), kOverflow);
    EXPECT_EQ(RoundCount(2.5L), 3);
    EXPECT_EQ(RoundCount(-2.5L), -3);
    EXPECT_EQ(faultOf([] { RoundCount(1e19L); }), kOverflow);
    EXPECT_EQ(faultOf([] { RoundCount(-1e19L); }), kInvArg);
    EXPECT_EQ(faultOf([] { IntFactorial(-1); }), kInvArg);
    EXPECT_EQ(faultOf([] { Combinations(3, 4); }), kInvArg);
    EXPECT_NEAR(static_cast<double>(Combinations(52, 5)), 2598960, 1e-9);
}

// ---- Random numbers -------------------------------------------------------

// The generator is process-wide: the fixture puts its start-up seed back.
using BuiltinRandom = CoreStateTest;

TEST_F(BuiltinRandom, SeededSequencesRepeatAndStayBelowOne)
{
    RandomState::seed(42);
    std::vector<Extended> first;
    for (int i = 0; i < 1000; ++i) {
        Extended r = entry("Rnd").fn0();
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 1);
        first.push_back(r);
    }
    RandomState::seed(42);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(entry("Ale").fn0(), first[static_cast<size_t>(i)]);
    EXPECT_NE(first[0], first[1]);
    RandomState::reset();
}
