// The rational expression object: compiling literals, codes of the failures,
// evaluation order and caching, solving, boxes, and that no value handed out
// can be taken from under its holder.
#include "engine/rational/expresion.h"

#include "support/fixtures.h"

#include <memory>
#include <vector>

using namespace rational;

namespace {

class RationalTest : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        messageHook() = [this](const QString&, const QString& text, MessageIcon icon) {
            boxes.push_back({text, icon});
        };
        e.SetUseBuiltIns(true);
        e.Silent = true;
        e.EnsureTable();
        solve = e.AddVariable(QStringLiteral("?"));
    }

    // A function without arguments whose value the test sets, as the fractions
    // window registers w, x, y and z.
    std::shared_ptr<TFrac> AddValue(const QString& name, const TFrac& v)
    {
        auto cell = std::make_shared<TFrac>(v);
        e.AddFunction0(name, [cell] { return *cell; }, 2, QString());
        return cell;
    }

    QString Eval(const QString& text)
    {
        e.SetText(text);
        if (!e.Root)
            return QStringLiteral("E%1 %2").arg(e.ErrorCode).arg(e.ErrorMessage);
        const TFrac v = e.DependsOn(solve) ? e.SolveFor(solve) : e.Evaluate();
        if (e.HasError)
            return QStringLiteral("E%1 %2").arg(e.ErrorCode).arg(e.ErrorMessage);
        return FracToStr(v);
    }

    struct Box {
        QString text;
        MessageIcon icon;
    };
    std::vector<Box> boxes;
    TExpresion e;
    TVariable* solve = nullptr;
};

struct Case {
    const char* text;
    const char* expected;
};

TEST_F(RationalTest, LiteralsAndArithmetic)
{
    const Case cases[] = {
        {"3|4", "3|4"},
        {"1|1|2", "3|2"},
        {"6|8", "3|4"},
        {"-6|8", "-3|4"},
        {"2*-7|4", "-7|2"},
        {"-1|1|2", "-3|2"},      // a unary minus of 1|1|2
        {"2*-1|1|2", "-1"},      // (w·d + n)/d = -1/2 after another operator
        {"0.5", "1|2"},
        {"0.75", "3|4"},
        {"0.3333", "1|3"},
        {"0.0004", "0"},
        {"1.5E2", "150"},
        {"1/3+1/6", "1|2"},
        {"0/5", "0"},
        {"2^3", "8"},
        {"2^-1", "1|2"},
        {"2^3^2", "64"},
        {"-2^2", "-4"},
        {"8\\3", "2"},
        {"2^(1/2)", "1393|985"},
        {"(1|2)^(1|2)", "408|577"},
        {"sqrt(2)", "1393|985"},
        {"raiz(3)", "1351|780"},
        {"sqr(2|3)", "4|9"},
        {"CUAD(3)", "9"},
        {"Rcp(3|4)", "4|3"},
        {"rcp(-3|4)", "-4|3"},
        {"Abs(-5|2)", "5|2"},
        {"LogBase(8,2)", "3"},
        {"LogN(1|8,2)", "-3"},
        {"(22)(3)", "66"},
        {"a:1|2;b:a+a;b*b", "1"},
        {"u:\"(1+1|2)\";u*u", "9|4"},
        {"{comentario}1 + 1", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Eval(QString::fromUtf8(c.text)), QString::fromUtf8(c.expected));
    }
}

TEST_F(RationalTest, ComparisonsAndLogic)
{
    const Case cases[] = {
        {"0.1+0.2=0.3", "1"},
        {"1<2<3", "1"},        // (1<2) is 1/1, compared with 3
        {"3>2>1", "-1"},       // 1/1 > 1 is false: no chains
        {"sqrt(2)*sqrt(2)=2", "-1"},
        {"sqrt(2)^2=2", "1"},
        {"1|3>=1|3", "1"},
        {"1|3<=1|4", "-1"},
        {"1|2<>1|2", "-1"},
        {"1&-1", "-1"},
        {"-1$1", "1"},
        {"1!1", "-1"},
        {"1!-1", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Eval(QString::fromUtf8(c.text)), QString::fromUtf8(c.expected));
    }
}

TEST_F(RationalTest, CompileFailuresAreCode18WithTheirOwnMessage)
{
    const Case cases[] = {
        {"1|0", "E18 División entera por cero"},
        {"1/(2-2)", "E18 División por cero"},
        {"5/0", "E18 División por cero"},
        {"Rcp(0)", "E18 División entera por cero"},
        {"y", "E18 \"y\" no está definido"},
        {"1|2x", "E18 \"1|2x\" no está definido"},
        {":1;2", "E18 Falta indentificador de expresión"},
        {"(-8)\\3", "E15 Operación no válida"},
        {"sqrt(-1)", "E15 Operación no válida"},
        {"0^-1", "E11 División por cero"},
        {"LogBase(0,2)", "E11 División por cero"},
        {"LogBase(2,1)", "E11 División por cero"},
        // A parse that fails without exception: no code, the parser's message.
        {"sqr(1,2)", "E0 sqr lleva exactamente 1 argumento(s)"},
        {"1+", "E0 Falta operando después de \"+\""},
        {"", "E0 Falta expresión"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Eval(QString::fromUtf8(c.text)), QString::fromUtf8(c.expected));
        EXPECT_TRUE(e.HasError);
        EXPECT_FALSE(e.Compiled);
    }
    // The message of a failed compile never stays for the next one.
    EXPECT_EQ(Eval(QStringLiteral("z")), QStringLiteral("E18 \"z\" no está definido"));
}

// Numerators beyond 64 bits and denominators beyond 32 bits are overflows
// (code 12), never their low bits.
TEST_F(RationalTest, OverflowIsCode12)
{
    QString harmonic = QStringLiteral("1|2");
    for (int i = 3; i <= 25; ++i)
        harmonic += QStringLiteral("+1|%1").arg(i);
    const QString overflow = QStringLiteral("E12 Desbordamiento: resultado demasiado grande");
    EXPECT_EQ(Eval(harmonic), overflow);
    EXPECT_EQ(Eval(QStringLiteral("3^21")), QStringLiteral("10460353203"));
    EXPECT_EQ(Eval(QStringLiteral("1/5000000000")), overflow);
    EXPECT_EQ(Eval(QStringLiteral("2^70")), overflow);
    EXPECT_EQ(Eval(QStringLiteral("99999999999999999999")), overflow);
    EXPECT_EQ(Eval(QStringLiteral("1|99999999999")), overflow);
    EXPECT_EQ(Eval(QStringLiteral("sqr(1|100000)")), overflow);
    // A huge integral exponent is done by squaring: an answer at once.
    EXPECT_EQ(Eval(QStringLiteral("2^2000000000")), overflow);
    EXPECT_EQ(Eval(QStringLiteral("1^2000000000")), QStringLiteral("1"));
    EXPECT_EQ(Eval(QStringLiteral("(-1)^2000000001")), QStringLiteral("-1"));

    // The same while evaluating.
    auto x = AddValue(QStringLiteral("x"), TFrac(1, 65536));
    EXPECT_EQ(Eval(QStringLiteral("x*x")), overflow);
    EXPECT_EQ(e.ErrorCode, errOverflow);
}

TEST_F(RationalTest, LargestDenominatorIsReadAtCompileTime)
{
    EXPECT_EQ(Eval(QStringLiteral("0.3333")), QStringLiteral("1|3"));
    fracSettings().FracMaxDenominator = 10000;
    EXPECT_EQ(Eval(QStringLiteral("0.3333+0")), QStringLiteral("3333|10000"));
}

TEST_F(RationalTest, ImplicitProducts)
{
    AddValue(QStringLiteral("x"), TFrac(2, 3));
    EXPECT_EQ(Eval(QStringLiteral("2.5x")), QStringLiteral("5|3"));
    EXPECT_EQ(Eval(QStringLiteral("2x")), QStringLiteral("4|3"));
    EXPECT_EQ(Eval(QStringLiteral("1|2x")), QStringLiteral("E18 \"1|2x\" no está definido"));
}

TEST_F(RationalTest, EvaluationFailuresSilentAndNot)
{
    auto x = AddValue(QStringLiteral("x"), TFrac(1));
    e.SetText(QStringLiteral("1/(x-x)"));
    ASSERT_TRUE(e.Compiled);

    // Silent: code 19, no box, the last good value (none yet: 0).
    EXPECT_EQ(e.Evaluate(), TFrac());
    EXPECT_EQ(e.ErrorCode, errOther);
    EXPECT_TRUE(boxes.empty());

    e.SetText(QStringLiteral("2/x"));
    EXPECT_EQ(e.Evaluate(), TFrac(2));
    e.SetText(QStringLiteral("1/(x-x)"));
    EXPECT_EQ(e.Evaluate(), TFrac(2));
    EXPECT_EQ(e.ErrorCode, errOther);
    EXPECT_TRUE(e.HasError);

    // Not silent: a box with the information icon and 0/1.
    e.Silent = false;
    e.Dirty = true;
    EXPECT_EQ(e.Evaluate(), TFrac());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, MessageIcon::Information);
    EXPECT_EQ(boxes[0].text, e.ErrorText(errOther));

    // A compile error shows the error icon.
    e.SetText(QStringLiteral("1|0"));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].icon, MessageIcon::Error);
    EXPECT_EQ(boxes[1].text, QStringLiteral("División entera por cero"));

    // A quoted message: code 20 with its text.
    e.SetText(QStringLiteral("'Fuera de rango'"));
    e.Silent = true;
    e.Evaluate();
    EXPECT_EQ(e.ErrorCode, errMessage);
    EXPECT_EQ(e.ErrorMessage, QStringLiteral("Fueraderango"));
}

// = and <> evaluate their right side first, the other comparisons and the
// arithmetic their left side first: the order in which the fractions window
// asks for its letters.
TEST_F(RationalTest, EvaluationOrder)
{
    QString order;
    for (const char* n : {"w", "x"}) {
        const QString name = QString::fromLatin1(n);
        e.AddFunction0(name, [&order, name] { order += name; return TFrac(1); }, 2, QString());
    }
    const Case cases[] = {
        {"w=x", "xw"}, {"w<>x", "xw"}, {"w<x", "wx"}, {"w>x", "wx"}, {"w+x", "wx"},
        {"w/x", "wx"}, {"LogBase(w+1,x+1)", "wx"}, {"w&x", "wx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        order.clear();
        e.SetText(QString::fromUtf8(c.text));
        e.Evaluate();
        EXPECT_EQ(order, QString::fromUtf8(c.expected));
    }
}

TEST_F(RationalTest, FunctionsCacheWhileTheirArgumentHolds)
{
    TVariable* v = e.AddVariable(QStringLiteral("v"));
    int calls = 0;
    e.AddFunction1(QStringLiteral("f"), [&calls](const TFrac& a) { ++calls; return TFrac(a).Add(TFrac(1)); },
                   nullptr, QString());
    v->SetValue(TFrac(1, 2));
    e.SetText(QStringLiteral("f(v)*2"));
    EXPECT_EQ(e.Evaluate(), TFrac(3));
    EXPECT_EQ(e.Evaluate(), TFrac(3));
    EXPECT_EQ(calls, 1);
    // A new value of the variable is seen at the next evaluation.
    v->SetValue(TFrac(3, 2));
    EXPECT_EQ(e.Evaluate(), TFrac(5));
    EXPECT_EQ(calls, 2);
}

TEST_F(RationalTest, VariableWithoutValueIsAnEvaluationFailure)
{
    e.AddVariable(QStringLiteral("v"));
    e.SetText(QStringLiteral("v+1"));
    ASSERT_TRUE(e.Compiled);
    e.Evaluate();
    EXPECT_EQ(e.ErrorCode, errOther);
}

// Definitions that double each other are computed once per evaluation, not
// 2^n times, also over a function that is never current.
TEST_F(RationalTest, SharedDefinitionsAreComputedOncePerPass)
{
    int calls = 0;
    e.AddFunction0(QStringLiteral("x"), [&calls] { ++calls; return TFrac(1); }, 2, QString());
    QString text = QStringLiteral("a0:x;");
    for (int i = 1; i <= 40; ++i)
        text += QStringLiteral("a%1:a%2+a%2;").arg(i).arg(i - 1);
    text += QStringLiteral("a40-a40");
    e.SetText(text);
    ASSERT_TRUE(e.Compiled);
    // a1 reads x twice; every sum above it is computed once.
    EXPECT_EQ(e.Evaluate(), TFrac());
    EXPECT_EQ(calls, 2);
    e.Dirty = true;
    e.Evaluate();
    EXPECT_EQ(calls, 4);
}

TEST_F(RationalTest, Solving)
{
    const Case cases[] = {
        {"?*4=3", "3|4"},
        {"?=3|4", "3|4"},
        {"3|4=?", "3|4"},
        {"2*?+1=7", "3"},
        {"?/2-1=1|2", "3"},
        {"?^2=9|4", "3|2"},
        {"?\\3=2", "8"},
        {"8\\?=2", "3"},
        {"2^?=8", "3"},
        {"LogBase(?,2)=3", "8"},
        {"LogBase(8,?)=3", "2"},
        {"sqr(?)=4|9", "2|3"},
        {"sqrt(?)=3", "9"},
        {"Rcp(?)=4", "1|4"},
        {"Abs(?)=2", "E20 Una o mas funciones no se pueden despejar"},
        {"?<3", "E20 No es una ecuación"},
        {"?+?=4", "E20 Expresión demasiado compleja para despejar"},
        {"?=?+1", "E20 Ecuación demasiado compleja para despejar"},
        {"1/?=0", "E19 Error al evaluar la expresión"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Eval(QString::fromUtf8(c.text)), QString::fromUtf8(c.expected));
    }
    // The equation stays intact when the variable stood alone.
    e.SetText(QStringLiteral("?=3|4"));
    EXPECT_EQ(e.SolveFor(solve), TFrac(3, 4));
    EXPECT_EQ(e.SolveFor(solve), TFrac(3, 4));
    // Not an equation in the variable asked for.
    TVariable* other = e.AddVariable(QStringLiteral("v"));
    e.SetText(QStringLiteral("v+1=2"));
    EXPECT_EQ(e.SolveFor(solve), TFrac());
    EXPECT_EQ(e.ErrorMessage, QStringLiteral("No se encuentra variable para despejar"));
    EXPECT_EQ(e.SolveFor(other), TFrac(1));
}

// The value a caller gets is its own copy: recompiling, solving again or
// destroying the object never changes or frees it.
TEST_F(RationalTest, ValuesAreCopiesTheirHoldersKeep)
{
    auto x = AddValue(QStringLiteral("x"), TFrac(1, 3));
    e.SetText(QStringLiteral("sqr(x)=?"));
    const TFrac solved = e.SolveFor(solve);
    e.SetText(QStringLiteral("x+1"));
    const TFrac value = e.Evaluate();
    *x = TFrac(5);
    e.SetText(QStringLiteral("x*2"));
    e.Evaluate();
    EXPECT_EQ(solved, TFrac(1, 9));
    EXPECT_EQ(value, TFrac(4, 3));
    EXPECT_EQ(e.Value, TFrac(10));
}

TEST_F(RationalTest, TableHasTheEntriesOfTheEngine)
{
    NameTable* t = e.GetTable();
    for (const char* n : {"LogBase", "LogN", "Rcp", "sqr", "cuad", "sqrt", "raiz", "Abs"})
        EXPECT_TRUE(t->Contains(QString::fromLatin1(n))) << n;
    EXPECT_FALSE(t->Contains(QStringLiteral("Si")));
    EXPECT_EQ(t->Find(QStringLiteral("LogBase")), t->Find(QStringLiteral("LogN")));
    EXPECT_EQ(t->Find(QStringLiteral("sqr")), t->Find(QStringLiteral("CUAD")));
    EXPECT_EQ(t->Find(QStringLiteral("sqrt"))->Description, QStringLiteral("Raíz cuadrada"));

    // Without built-ins only the logarithm; a child shares its parent's table.
    TExpresion plain;
    EXPECT_EQ(plain.GetTable()->Count(), 2);
    TExpresion child;
    child.Parent = &e;
    child.SetUseBuiltIns(false);
    EXPECT_EQ(child.GetTable(), t);
}

TEST_F(RationalTest, SameTextCompilesOnce)
{
    int changes = 0;
    e.OnChange = [&changes](TExpresion*) { ++changes; };
    e.SetText(QStringLiteral("1+1"));
    TEval* root = e.Root;
    e.SetText(QStringLiteral("1+1"));
    EXPECT_EQ(e.Root, root);
    EXPECT_EQ(changes, 1);
}

TEST_F(RationalTest, DeepAndLongTextsEndWithoutExhaustingTheStack)
{
    const QString deep = QString(5000, QLatin1Char('(')) + QStringLiteral("1") + QString(5000, QLatin1Char(')'));
    EXPECT_EQ(Eval(deep).left(3), QStringLiteral("E18"));
    QString nested = QStringLiteral("1");
    for (int i = 0; i < 12; ++i)
        nested = QStringLiteral("sqr((") + nested + QStringLiteral("))");
    EXPECT_EQ(Eval(nested), QStringLiteral("1"));
}

} // namespace

namespace {

using RationalStartUpTest = CoreStateTest;

TEST_F(RationalStartUpTest, SetsTheStartUpValues)
{
    fracSettings().FracMaxDenominator = 7;
    fracSettings().MixedFractions = true;
    engineState().TrueValue = TFrac(5);
    StartUp();
    EXPECT_EQ(fracSettings().FracMaxDenominator, 1000u);
    EXPECT_FALSE(fracSettings().MixedFractions);
    EXPECT_EQ(engineState().TrueValue, TFrac(1));
    EXPECT_EQ(engineState().FalseValue, TFrac(-1));
    EXPECT_EQ(engineState().EqualityTolerance, 1e-14L);
}

} // namespace
