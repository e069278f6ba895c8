// The complex expression object: compile driver (code 18 with the compile's own
// message, never raising), evaluation and solving codes, boxes, the name table
// and the built-ins.
#include "support/fixtures.h"
#include "support/recordingsink.h"

#include "engine/angulos.h"
#include "engine/complex/expresion.h"
#include "foundation/core/basicos.h"

#include <cmath>

using namespace complex;

namespace {

class ComplexExpresionTest : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        Basicos().Messages = &sink;
        // The expression's boxes take the route the start-up gives them.
        messageHook() = exprcore::ShowAsMessageBox;
        e.SetUseBuiltIns(true);
    }
    void TearDown() override
    {
        messageHook() = nullptr;
        CoreStateTest::TearDown();
    }

    TComplex Eval(const QString& text)
    {
        e.SetText(text);
        TComplex r;
        e.Evaluate(r);
        return r;
    }

    RecordingSink sink;
    TExpresion e;
};

void ExpectNear(TComplex z, Extended re, Extended im, Extended tol = 1e-15L)
{
    EXPECT_NEAR(static_cast<double>(z.Re), static_cast<double>(re), static_cast<double>(tol));
    EXPECT_NEAR(static_cast<double>(z.Im), static_cast<double>(im), static_cast<double>(tol));
}

} // namespace

TEST_F(ComplexExpresionTest, EvaluatesTheEdgeCases)
{
    e.Silent = true;
    struct Case {
        const char* text;
        std::uint8_t angle;
        Extended re, im;
    } cases[] = {
        {"2i+3", 0, 3, 2},
        {"i^2", 0, -1, 0},
        {"(1+i)*(1-i)", 0, 2, 0},
        {"e^(i*pi)", 0, -1, 0},
        {"Sqrt(-4)", 0, 0, 2},
        {"Ln(-1)", 0, 0, kPi},
        {"Sin(i)", 1, 0, 1.1752011936438014569L},   // radians whatever the unit
        {"Arg(i)", 1, 90, 0},
        {"Polar(2, 90)", 1, 0, 2},
        {"Arg(i)", 0, kPi / 2, 0},
        {"Polar(2, 90)", 0, 2 * cosl(90), 2 * sinl(90)},
        {"Si(i, 1, 2)", 0, 2, 0},
        {"Si(1+5i, 1, 2)", 0, 1, 0},
        {"1e5", 0, 100000, 0},
        {"3pi", 0, 3 * kPi, 0},
        {"8£2", 0, 3, 0},
        {"(-8)\\3", 0, 1, 1.7320508075688772935L},
        {"0^0", 0, 0, 0},
        {"0^(-1)", 0, 0, 0},
        {"Re(3+4i)+Im(3+4i)", 0, 7, 0},
        {"Conj(3+4i)", 0, 3, -4},
        {"Norma(3+4i)", 0, 5, 0},
        {"Inv(4)", 0, 0.25L, 0},
        {"-(2+i)", 0, -2, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        e.SetAngleMode(c.angle);
        const TComplex z = Eval(QString::fromUtf8(c.text));
        EXPECT_FALSE(e.HasError) << e.ErrorMessage.toStdString();
        ExpectNear(z, c.re, c.im, 1e-14L);
    }
    EXPECT_TRUE(sink.empty());
}

TEST_F(ComplexExpresionTest, CompileFailuresAreCode18WithTheirOwnMessage)
{
    e.Silent = true;
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"x", "\"x\" no está definido"},
        {"1/0", "Discriminante de 0 igual a cero (Div)"},
        {"2!3", "\"!3\" no está definido"},
        {"3|4", "\"|4\" no está definido"},
        {"1E5", "\"E5\" no está definido"},
        {":2;3", "Falta indentificador de expresión"},
        {"8\\i", "El radical debe ser un número real distinto de cero"},
        {"ArcTanH(1)", "División por cero"},
        {"Sin()", "Falta expresión"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        // Each after a different failure: no message is left over from it.
        e.SetText(QStringLiteral("y"));
        EXPECT_NO_THROW(e.SetText(QString::fromUtf8(c.text)));
        EXPECT_EQ(e.ErrorCode, errCompile);
        EXPECT_TRUE(e.HasError);
        EXPECT_FALSE(e.Compiled);
        EXPECT_EQ(e.Root, nullptr);
        EXPECT_EQ(e.ErrorMessage, QString::fromUtf8(c.message));
        EXPECT_EQ(e.ErrorText(errCompile), QString::fromUtf8(c.message));
    }
    EXPECT_TRUE(sink.empty());
}

TEST_F(ComplexExpresionTest, SyntaxFailuresKeepCodeZeroWithTheParseMessage)
{
    e.Silent = true;
    e.SetText(QStringLiteral("2+"));
    EXPECT_TRUE(e.HasError);
    EXPECT_EQ(e.ErrorCode, 0);
    EXPECT_EQ(e.ErrorMessage, QStringLiteral("Falta operando después de \"+\""));
    e.SetText(QStringLiteral("Sin(1,2)"));
    EXPECT_EQ(e.ErrorMessage, QStringLiteral("Sin lleva exactamente 1 argumento(s)"));
}

// Live drawing in the complex-number window passes through "1/0" on the way to
// "1/0.5": a silent object must not show the complex routines' boxes.
TEST_F(ComplexExpresionTest, SilentObjectShowsNoBoxOnTheWay)
{
    e.Silent = true;
    TVariable* z = e.AddVariable(QStringLiteral("z"));
    for (const char* t : {"1", "1/", "1/0", "1/0.", "1/0.5", "Ln(0)", "Tan(0*z)", "8£1"}) {
        SCOPED_TRACE(t);
        e.SetText(QString::fromUtf8(t));
        TComplex r;
        e.Evaluate(r);
    }
    e.SetText(QStringLiteral("1/0.5"));
    EXPECT_EQ(Eval(QStringLiteral("1/0.5")).Re, 2);
    e.SetText(QStringLiteral("1/z"));
    TComplex r;
    e.Evaluate(r);
    EXPECT_EQ(e.ErrorCode, errOther);
    // Solving through a division by an exact zero stays quiet too.
    TComplex s;
    e.SetText(QStringLiteral("1/z = 0"));
    e.SolveFor(z, s);
    EXPECT_TRUE(e.HasError);
    EXPECT_TRUE(sink.empty()) << sink.texts().join(QStringLiteral(" | ")).toStdString();
}

TEST_F(ComplexExpresionTest, NonSilentShowsTheRoutineBoxThenTheEngineBox)
{
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    e.SetText(QStringLiteral("1/x"));
    ASSERT_TRUE(e.Compiled);
    x->SetValue(TComplex{2, 0});
    TComplex r;
    e.Evaluate(r);
    EXPECT_EQ(r.Re, 0.5L);
    x->SetValue(TComplex{});
    e.Evaluate(r);
    EXPECT_EQ(e.ErrorCode, errOther);
    EXPECT_EQ(r.Re, 0);
    ASSERT_EQ(sink.count(), 2);
    EXPECT_EQ(sink.boxes[0].text, QStringLiteral("Discriminante de 0 igual a cero (Div)"));
    EXPECT_EQ((sink.boxes[0].flags & mb::IconMask), mb::IconError);
    EXPECT_EQ(sink.boxes[1].text, e.ErrorText(errOther));
    EXPECT_EQ((sink.boxes[1].flags & mb::IconMask), mb::IconInformation);

    // A compile folding 1/0: the routine's box, then the engine's with code 18.
    sink.clear();
    e.SetText(QStringLiteral("1/0"));
    EXPECT_EQ(e.ErrorCode, errCompile);
    ASSERT_EQ(sink.count(), 2);
    EXPECT_EQ(sink.boxes[1].text, QStringLiteral("Discriminante de 0 igual a cero (Div)"));
}

TEST_F(ComplexExpresionTest, SilentErrorReturnsTheLastGoodValue)
{
    e.Silent = true;
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    e.SetText(QStringLiteral("1/x"));
    x->SetValue(TComplex{4, 0});
    TComplex r;
    e.Evaluate(r);
    EXPECT_EQ(r.Re, 0.25L);
    x->SetValue(TComplex{});
    e.Evaluate(r);
    EXPECT_TRUE(e.HasError);
    EXPECT_EQ(e.ErrorCode, errOther);
    EXPECT_EQ(r.Re, 0.25L);
    // The root operator's own fault is code 19 too.
    e.SetText(QStringLiteral("8\\x"));
    e.Evaluate(r);
    EXPECT_EQ(e.ErrorCode, errOther);
    // A quoted message: code 20 with its text.
    e.SetText(QStringLiteral("Si(x,1,'fuera')"));
    e.Evaluate(r);
    EXPECT_EQ(e.ErrorCode, errMessage);
    EXPECT_EQ(e.ErrorMessage, QStringLiteral("fuera"));
}

TEST_F(ComplexExpresionTest, SolveForReportsAndLeavesValueAlone)
{
    e.Silent = true;
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    const TComplex before = Eval(QStringLiteral("5+5i"));
    TComplex r;
    e.SetText(QStringLiteral("x^2 = -4"));
    e.SolveFor(x, r);
    EXPECT_FALSE(e.HasError);
    ExpectNear(r, 0, 2, 1e-15L);
    e.SetText(QStringLiteral("Re(x) = 3"));
    e.SolveFor(x, r);
    EXPECT_EQ(e.ErrorCode, errMessage);
    EXPECT_EQ(e.ErrorMessage, QStringLiteral("La función Re no se pueden despejar"));
    EXPECT_EQ(r.Re, 0);
    EXPECT_EQ(r.Im, 0);
    e.SetText(QStringLiteral("x = x + 1"));
    e.SolveFor(x, r);
    EXPECT_EQ(e.ErrorMessage, QStringLiteral("Ecuación demasiado compleja para despejar"));
    // A fault of the complex routines while solving (the logarithm of 0 in
    // 8\x = 0): code 19, not raised. x\i = 2 solves to 2^i.
    e.SetText(QStringLiteral("x\\i = 2"));
    e.SolveFor(x, r);
    EXPECT_FALSE(e.HasError);
    e.SetText(QStringLiteral("8\\x = 0"));
    e.SolveFor(x, r);
    EXPECT_EQ(e.ErrorCode, errOther);
    EXPECT_EQ(e.Value.Re, before.Re);
    EXPECT_EQ(e.Value.Im, before.Im);
}

TEST_F(ComplexExpresionTest, EvaluateTextCompilesLoudlyAndPassesEvaluationFaults)
{
    e.Silent = true;
    TComplex r{9, 9};
    e.EvaluateText(QStringLiteral("2i*2"), r);
    ExpectNear(r, 0, 4);
    e.EvaluateText(QStringLiteral("nada"), r);
    EXPECT_EQ(r.Re, 0);
    EXPECT_EQ(r.Im, 0);
    ASSERT_EQ(sink.count(), 1);   // the compile is not silent
    EXPECT_TRUE(e.Silent);
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    Q_UNUSED(x);
    EXPECT_THROW(e.EvaluateText(QStringLiteral("1/x"), r), EAbort);
}

TEST_F(ComplexExpresionTest, AlwaysPresentEntriesWithoutBuiltIns)
{
    TExpresion bare;
    NameTable* t = bare.GetTable();
    EXPECT_EQ(bare.TableFlag, 1);
    for (const char* name : {"i", "Si", "If", "LogBase", "LogN"})
        EXPECT_TRUE(t->Contains(QString::fromUtf8(name))) << name;
    EXPECT_EQ(t->Count(), 5);
    EXPECT_FALSE(t->Contains(QStringLiteral("Sim")));
    EXPECT_FALSE(t->Contains(QStringLiteral("Pi")));
    EXPECT_EQ(t->Find(QStringLiteral("i"))->Description, QStringLiteral("Raiz cuadrada de -1"));
    EXPECT_EQ(t->Find(QStringLiteral("Si")), t->Find(QStringLiteral("If")));
    EXPECT_TRUE(t->Find(QStringLiteral("If"))->Description.isEmpty());
    int mn = 0, mx = 0;
    EXPECT_TRUE(bare.GetArity(QStringLiteral("logn"), mn, mx));
    EXPECT_EQ(mn, 2);
    EXPECT_EQ(mx, 2);
}

TEST_F(ComplexExpresionTest, BuiltInTableWordForWord)
{
    struct Case {
        const char* name;
        int category, minArgs, maxArgs;
        const char* description;
    } cases[] = {
        {"Pi", 0, 0, 0, "Pi"},
        {"e", 0, 0, 0, "Base Log. Naturales"},
        {"R2", 0, 0, 0, "Raíz cuadrada de 2"},
        {"R3", 0, 0, 0, "Raiz cuadrada de 3"},
        {"Sen", 3, 1, 1, "Seno"},
        {"Cos", 3, 1, 1, "Coseno"},
        {"Tg", 3, 1, 1, "Tangente"},
        {"ArcSen", 3, 1, 1, "Arcoseno"},
        {"ArCos", 3, 1, 1, "Arcocoseno"},
        {"ArcTg", 3, 1, 1, "Arcotangente"},
        {"SenH", 3, 1, 1, "Seno hiperbólico"},
        {"CosH", 3, 1, 1, "Coseno hiperbólico"},
        {"TgH", 3, 1, 1, "Tangente hiperbólica"},
        {"ArcSenH", 3, 1, 1, "Arcoseno hiperbólico"},
        {"ArCosH", 3, 1, 1, "Arcocoseno hiperbólico"},
        {"ArcTgH", 3, 1, 1, "Arcotangente hiperbólica"},
        {"Inv", 3, 1, 1, "Recíproco"},
        {"LogE", 3, 1, 1, "Logarítmo natural"},
        {"Exp", 3, 1, 1, "Exponencial"},
        {"Cuad", 3, 1, 1, "Cuadrado"},
        {"Raiz", 3, 1, 1, "Raíz cuadrada"},
        {"Rcp", 3, 1, 1, "Recíproco"},
        {"Polar", 4, 2, 2, "Polar"},
        {"Re", 3, 1, 1, "Parte real"},
        {"Im", 3, 1, 1, "Parte imaginaria"},
        {"Conj", 3, 1, 1, "Conjugado"},
        {"Norma", 3, 1, 1, "Norma o módulo"},
        {"Arg", 3, 1, 1, "Argumento"},
    };
    NameTable* t = e.GetTable();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TMake* m = t->Find(QString::fromUtf8(c.name));
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->Category, c.category);
        EXPECT_EQ(m->MinArgs, c.minArgs);
        EXPECT_EQ(m->MaxArgs, c.maxArgs);
        EXPECT_EQ(m->Description, QString::fromUtf8(c.description));
    }
    // 5 always-present names, 4 constants, 37 names of the 24 functions.
    EXPECT_EQ(t->Count(), 5 + 4 + 37);
    // Functions without inverse cannot be solved through; the others can.
    const auto* re = dynamic_cast<const TMakeFun1*>(t->Find(QStringLiteral("Re")));
    ASSERT_NE(re, nullptr);
    EXPECT_FALSE(re->Inverse);
    const auto* sqr = dynamic_cast<const TMakeFun1*>(t->Find(QStringLiteral("Sqr")));
    ASSERT_NE(sqr, nullptr);
    EXPECT_TRUE(sqr->Inverse);
}

TEST_F(ComplexExpresionTest, AngleUnitChangeReevaluatesWithoutCompiling)
{
    e.Silent = true;
    TComplex r = Eval(QStringLiteral("Arg(i)"));
    ExpectNear(r, kPi / 2, 0);
    TEval* root = e.Root;
    e.SetAngleMode(amDegrees);
    e.Evaluate(r);
    EXPECT_EQ(e.Root, root);
    ExpectNear(r, 90, 0, 1e-13L);
}

TEST_F(ComplexExpresionTest, ParentSharesTableAndChildCannotChangeBuiltIns)
{
    TExpresion child;
    child.Parent = &e;
    child.SetUseBuiltIns(false);
    EXPECT_TRUE(child.GetUseBuiltIns());
    child.AddVariable(QStringLiteral("w"));
    EXPECT_TRUE(e.GetTable()->Contains(QStringLiteral("W")));
    EXPECT_EQ(child.GetTable(), e.GetTable());
}

TEST_F(ComplexExpresionTest, DrawToMetafileIsFourPixelsLarger)
{
    e.Silent = true;
    e.SetText(QStringLiteral("x"));
    EXPECT_EQ(e.DrawToMetafile(), nullptr);
    e.SetText(QStringLiteral("(1+2i)/3"));
    auto pic = e.DrawToMetafile();
    ASSERT_NE(pic, nullptr);
    int w = 0, a = 0, b = 0;
    FormulaPicture m;
    e.Root->Measure(m, 20, w, a, b);
    EXPECT_GT(w, 0);
    EXPECT_EQ(pic->width(), w + 4);
    EXPECT_EQ(pic->height(), a + b + 4);
    EXPECT_FALSE(pic->isEmpty());
}

TEST_F(ComplexExpresionTest, ResolversMakeExtNodes)
{
    e.Silent = true;
    int drawn = 0;
    e.OnResolveUnknown = [](const QString& name, bool& ok, TComplex& v) {
        ok = name.compare(QStringLiteral("zz"), Qt::CaseInsensitive) == 0;
        v = TComplex{1, 2};
    };
    e.ExtMeasureProc = [](TEval*, Canvas&, int, int& w, int& a, int& b) { w = 7; a = b = 1; };
    e.ExtDrawProc = [&drawn](TEval*, Canvas&, int, int, int) { ++drawn; };
    const TComplex r = Eval(QStringLiteral("2*zz"));
    ExpectNear(r, 2, 4);
    e.OnResolveName = [](const QString& name, bool& ok, TComplex& v) {
        ok = name == QLatin1String("Pi");
        v = TComplex{3, 0};
    };
    ExpectNear(Eval(QStringLiteral("Pi")), 3, 0);   // tried before the table
    auto pic = e.DrawToMetafile();
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->width(), 7 + 4);
    EXPECT_EQ(drawn, 1);
}

// Shared sub-expressions stand for a tree of 2^30 sums: it evaluates at once
// and has no picture (drawing it would never end); a smaller one is drawn.
TEST_F(ComplexExpresionTest, TooLargeADrawingHasNoPicture)
{
    e.Silent = true;
    auto chain = [](int levels) {
        QString t = QStringLiteral("a:1;a1:a+a");
        for (int i = 2; i <= levels; ++i)
            t += QStringLiteral(";a%1:a%2+a%2").arg(i).arg(i - 1);
        return t + QStringLiteral(";a%1").arg(levels);
    };
    ExpectNear(Eval(chain(30)), 1073741824.0L, 0);
    EXPECT_EQ(e.DrawToMetafile(), nullptr);
    ExpectNear(Eval(chain(8)), 256, 0);
    EXPECT_NE(e.DrawToMetafile(), nullptr);
}

TEST_F(ComplexExpresionTest, DeepNestingEndsAsCode18)
{
    e.Silent = true;
    const QString deep = QString(20000, QLatin1Char('(')) + QLatin1Char('1') + QString(20000, QLatin1Char(')'));
    EXPECT_NO_THROW(e.SetText(deep));
    EXPECT_EQ(e.ErrorCode, errCompile);
    EXPECT_FALSE(e.ErrorMessage.isEmpty());
    // A user function that calls itself ends too.
    e.AddUserFunction(QStringLiteral("g"), QStringLiteral("g(?A)+1"), QString());
    e.SetText(QStringLiteral("g(1)"));
    EXPECT_EQ(e.ErrorCode, errCompile);
    EXPECT_EQ(e.ErrorMessage, QStringLiteral("La función g se llama a sí misma"));
}
