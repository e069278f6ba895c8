// The expression object: name table and registration, text, evaluation,
// solving, error codes and the reporting of errors.
#include "support/fixtures.h"

#include "engine/bases.h"
#include "engine/errors.h"
#include "engine/formatonum.h"
#include "engine/real/expresion.h"

#include <cmath>
#include <vector>

using namespace real;

namespace {

struct Box {
    QString caption, text;
    MessageIcon icon;
};

class ExpresionTest : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        boxes.clear();
        messageHook() = [this](const QString& c, const QString& t, MessageIcon i) { boxes.push_back({c, t, i}); };
    }
    std::vector<Box> boxes;
};

Extended Twice(Extended v) { return 2 * v; }
Extended Half(Extended v) { return v / 2; }

} // namespace

TEST_F(ExpresionTest, AlwaysPresentEntries)
{
    TExpresion e;
    NameTable* t = e.GetTable();
    for (const char* n : {"Si", "If", "Sim", "Ifm", "LogBase", "LogN", "si", "LOGN"})
        EXPECT_TRUE(t->Contains(QString::fromUtf8(n))) << n;
    EXPECT_EQ(t->Count(), 6);
    EXPECT_EQ(t->Find(QStringLiteral("Si")), t->Find(QStringLiteral("If")));
    EXPECT_EQ(t->Find(QStringLiteral("Si"))->Description, QStringLiteral("Condicional"));
    EXPECT_EQ(t->Find(QStringLiteral("Sim"))->MaxArgs, 255);
    EXPECT_EQ(t->Find(QStringLiteral("LogN"))->Category, 4);
    EXPECT_EQ(e.TableFlag, 1);
    int mn = -1, mx = -1;
    EXPECT_TRUE(e.GetArity(QStringLiteral("sim"), mn, mx));
    EXPECT_EQ(mn, 2);
    EXPECT_EQ(mx, 255);
    EXPECT_FALSE(e.GetArity(QStringLiteral("nada"), mn, mx));
    EXPECT_EQ(mn, 0);
    EXPECT_EQ(mx, 0);
}

TEST_F(ExpresionTest, GetArityBeforeTheTableExists)
{
    TExpresion e;
    int mn = 5, mx = 5;
    EXPECT_FALSE(e.GetArity(QStringLiteral("Si"), mn, mx));
    EXPECT_EQ(mn, 0);
    EXPECT_EQ(mx, 0);
}

TEST_F(ExpresionTest, AliasesAndDuplicates)
{
    EXPECT_EQ(TExpresion::FirstAlias(QStringLiteral("sin/sen")), QStringLiteral("sin"));
    EXPECT_EQ(TExpresion::SecondAlias(QStringLiteral("sin/sen")), QStringLiteral("sen"));
    EXPECT_EQ(TExpresion::FirstAlias(QStringLiteral("A/")), QStringLiteral("A"));
    EXPECT_EQ(TExpresion::SecondAlias(QStringLiteral("A/")), QString());
    EXPECT_EQ(TExpresion::FirstAlias(QStringLiteral("/A")), QStringLiteral("/A"));
    EXPECT_EQ(TExpresion::SecondAlias(QStringLiteral("/A")), QString());

    TExpresion e;
    e.AddFunction1(QStringLiteral("dob/twice"), Twice, Half, QStringLiteral("primero"));
    e.AddFunction1(QStringLiteral("dob/twice"), Half, {}, QStringLiteral("segundo"));
    NameTable* t = e.GetTable();
    EXPECT_EQ(t->Find(QStringLiteral("dob"))->Description, QStringLiteral("primero"));
    EXPECT_EQ(t->Find(QStringLiteral("dob")), t->Find(QStringLiteral("TWICE")));
    EXPECT_EQ(e.EvaluateText(QStringLiteral("dob(4)")), 8);

    e.AddConstant(QStringLiteral("K1/K2"), QStringLiteral("k"), 3);
    EXPECT_NE(t->Find(QStringLiteral("K1")), t->Find(QStringLiteral("K2")));   // two entries
    e.AddConstant(QStringLiteral("A/"), QString(), 1);
    e.AddConstant(QStringLiteral("/B"), QString(), 2);
    EXPECT_TRUE(t->Contains(QStringLiteral("A")));
    EXPECT_FALSE(t->Contains(QStringLiteral("A/")));
    EXPECT_TRUE(t->Contains(QStringLiteral("/B")));
    EXPECT_FALSE(t->Contains(QStringLiteral("B")));

    // Sorted without regard to case.
    const auto items = t->Items();
    for (std::size_t i = 1; i < items.size(); ++i)
        EXPECT_LT(QString::compare(items[i - 1].Name, items[i].Name, Qt::CaseInsensitive), 0);
}

TEST_F(ExpresionTest, RegistrationEntries)
{
    TExpresion e;
    int n = 0;
    e.AddFunction0(QStringLiteral("cnt"), [&n] { return static_cast<Extended>(++n); }, 7, QStringLiteral("c"));
    e.AddFunctionN(QStringLiteral("primero"), [](const TEvalArray& a) { return a[0]->Evaluate(); }, 1, 3,
                   QStringLiteral("p"));
    TVariable* v = e.AddVariable(QStringLiteral("v/w"));
    NameTable* t = e.GetTable();
    EXPECT_EQ(t->Find(QStringLiteral("cnt"))->Category, 7);
    EXPECT_EQ(t->Find(QStringLiteral("primero"))->Category, 4);
    EXPECT_EQ(t->Find(QStringLiteral("v"))->Category, 1);
    EXPECT_EQ(t->Find(QStringLiteral("v"))->Description, QString());
    EXPECT_EQ(v->Value, 0);
    v->SetValue(5);
    EXPECT_EQ(e.EvaluateText(QStringLiteral("v+w+primero(1,2)")), 11);
    EXPECT_EQ(e.EvaluateText(QStringLiteral("cnt+cnt")), 3);
}

TEST_F(ExpresionTest, UserFunctionParameters)
{
    TExpresion e;
    e.AddUserFunction(QStringLiteral("uno"), QStringLiteral("?A*?a"), QString());
    int mn = 0, mx = 0;
    EXPECT_TRUE(e.GetArity(QStringLiteral("uno"), mn, mx));
    EXPECT_EQ(mn, 1);
    EXPECT_EQ(mx, 1);
    EXPECT_EQ(e.GetTable()->Find(QStringLiteral("uno"))->Category, 5);
    e.AddUserFunction(QStringLiteral("cero"), QStringLiteral("2 { sin parámetros }"), QString());
    EXPECT_TRUE(e.GetArity(QStringLiteral("cero"), mn, mx));
    EXPECT_EQ(mx, 0);
    EXPECT_EQ(e.EvaluateText(QStringLiteral("uno(3)+cero")), 11);

    struct Case {
        const char* body;
        const char* message;
    } cases[] = {
        {"?A+?C", "Faltan parámetros antes de \"?C\" en la función mal"},
        {"?B", "Faltan parámetros antes de \"?B\" en la función mal"},
        {"?1", "Parámetro \"?1\" no válido en la función mal"},
        {"?A+?+1", "Parámetro \"?+\" no válido en la función mal"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        try {
            e.AddUserFunction(QStringLiteral("mal"), QString::fromUtf8(c.body), QString());
            ADD_FAILURE();
        } catch (const ECompilacion& ex) {
            EXPECT_EQ(ex.message(), QString::fromUtf8(c.message));
        }
    }
    EXPECT_FALSE(e.GetTable()->Contains(QStringLiteral("mal")));
}

TEST_F(ExpresionTest, ParentSharesItsTable)
{
    TExpresion parent;
    TExpresion a, b;
    a.Parent = &parent;
    b.Parent = &parent;
    a.SetUseBuiltIns(true);   // no effect on a child
    EXPECT_FALSE(a.UseBuiltIns);
    EXPECT_FALSE(a.GetUseBuiltIns());
    TVariable* v = a.AddVariable(QStringLiteral("z"));
    v->SetValue(4);
    EXPECT_EQ(b.GetTable(), parent.GetTable());
    EXPECT_EQ(b.EvaluateText(QStringLiteral("z*2")), 8);
    b.AddConstant(QStringLiteral("k"), QString(), 3);
    EXPECT_EQ(parent.EvaluateText(QStringLiteral("k+z")), 7);
    parent.UseBuiltIns = true;
    EXPECT_TRUE(a.GetUseBuiltIns());
}

TEST_F(ExpresionTest, ReloadTableKeepsTheAlwaysPresentEntries)
{
    TExpresion e;
    e.AddConstant(QStringLiteral("k"), QString(), 3);
    e.SetText(QStringLiteral("k*2"));
    e.ReloadTable();
    NameTable* t = e.GetTable();
    EXPECT_FALSE(t->Contains(QStringLiteral("k")));
    for (const char* n : {"Si", "If", "Sim", "Ifm", "LogBase", "LogN"})
        EXPECT_TRUE(t->Contains(QString::fromUtf8(n))) << n;
    // The tree compiled before the reload still evaluates.
    EXPECT_EQ(e.Evaluate(), 6);
}

TEST_F(ExpresionTest, SetTextCompilesOnlyChangedTexts)
{
    TExpresion e;
    int changes = 0;
    e.OnChange = [&changes](TExpresion*) { ++changes; };
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    x->SetValue(2);
    e.SetText(QStringLiteral("x*3"));
    EXPECT_TRUE(e.Compiled);
    EXPECT_TRUE(e.Dirty);
    TEval* root = e.Root;
    e.SetText(QStringLiteral("x*3"));
    EXPECT_EQ(e.Root, root);   // not compiled again
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(e.Evaluate(), 6);
    EXPECT_FALSE(e.Dirty);
    // Only the angle unit changes: evaluated again without compiling.
    e.SetAngleMode(1);
    EXPECT_TRUE(e.Dirty);
    EXPECT_EQ(e.Evaluate(), 6);
    EXPECT_EQ(e.Root, root);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(engineState().CurrentAngleMode, 1);
}

// A new angle unit re-evaluates without compiling: functions of variables are
// computed again in the new unit, a function of constants keeps its folded value.
TEST_F(ExpresionTest, NewAngleUnitRecomputesFunctionsOfVariables)
{
    TExpresion e;
    e.AddFunction1(QStringLiteral("unit"), [](Extended v) {
        return v * (engineState().CurrentAngleMode + 1);
    }, {}, QString());
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    x->SetValue(2);
    e.SetText(QStringLiteral("unit(x)*100+unit(2)"));
    EXPECT_EQ(e.Evaluate(), 202);
    e.SetAngleMode(1);
    EXPECT_EQ(e.Evaluate(), 402);   // unit(2) was folded in radians
    e.SetAngleMode(2);
    EXPECT_EQ(e.Evaluate(), 602);
    // Also through a definition used twice (a shared node keeps its value).
    e.SetText(QStringLiteral("a:unit(x)*10;a+a"));
    EXPECT_EQ(e.Evaluate(), 120);
    e.SetAngleMode(0);
    EXPECT_EQ(e.Evaluate(), 40);
}

TEST_F(ExpresionTest, EvaluateRecomputesOnlyWhenSomethingChanged)
{
    TExpresion e;
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    int calls = 0;
    e.AddFunction1(QStringLiteral("f"), [&calls](Extended v) { ++calls; return v + 1; }, {}, QString());
    e.SetText(QStringLiteral("f(x)*2"));
    x->SetValue(1);
    EXPECT_EQ(e.Evaluate(), 4);
    EXPECT_EQ(e.Evaluate(), 4);
    EXPECT_EQ(calls, 1);
    x->SetValue(2);
    EXPECT_EQ(e.Evaluate(), 6);
    EXPECT_EQ(calls, 2);
}

TEST_F(ExpresionTest, CompileExceptionLeavesNoTreeAndCompilesAgain)
{
    TExpresion e;
    e.Silent = true;
    e.SetText(QStringLiteral("1+1"));
    int changes = 0;
    e.OnChange = [&changes](TExpresion*) { ++changes; };
    EXPECT_THROW(e.SetText(QStringLiteral("q+1")), ECompilacion);
    EXPECT_EQ(e.Root, nullptr);
    EXPECT_TRUE(e.HasError);
    EXPECT_FALSE(e.Compiled);
    EXPECT_EQ(e.ErrorMessage, QStringLiteral("\"q\" no está definido"));
    EXPECT_EQ(changes, 0);
    // The same text is compiled again, not taken as done.
    EXPECT_THROW(e.SetText(QStringLiteral("q+1")), ECompilacion);
    TVariable* q = e.AddVariable(QStringLiteral("q"));
    q->SetValue(4);
    e.SetText(QStringLiteral("q+1"));
    EXPECT_FALSE(e.HasError);
    EXPECT_EQ(e.Evaluate(), 5);
}

TEST_F(ExpresionTest, CompileErrorsAreReported)
{
    TExpresion e;
    e.SetText(QStringLiteral("2+"));
    EXPECT_FALSE(e.Compiled);
    EXPECT_TRUE(e.HasError);
    EXPECT_EQ(e.ErrorCode, 0);
    EXPECT_EQ(e.ErrorMessage, QStringLiteral("Falta operando después de \"+\""));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, MessageIcon::Error);
    EXPECT_EQ(boxes[0].caption, MessageCaption());
    EXPECT_EQ(boxes[0].caption.size(), 5);

    e.SetText(QStringLiteral("2+1/0"));
    EXPECT_EQ(e.ErrorCode, 11);
    EXPECT_EQ(e.ErrorMessage, e.ErrorText(11));
    EXPECT_EQ(boxes.size(), 2u);

    e.Silent = true;
    e.SetText(QStringLiteral("3*"));
    EXPECT_TRUE(e.HasError);
    EXPECT_EQ(boxes.size(), 2u);
}

TEST_F(ExpresionTest, EvaluationErrorsSilentAndNot)
{
    TExpresion e;
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    e.Silent = true;
    e.SetText(QStringLiteral("1/x"));
    x->SetValue(4);
    EXPECT_EQ(e.Evaluate(), 0.25L);
    x->SetValue(0);
    // Silent: code 11, no box, the last good value.
    EXPECT_EQ(e.Evaluate(), 0.25L);
    EXPECT_EQ(e.ErrorCode, 11);
    EXPECT_TRUE(e.HasError);
    EXPECT_EQ(e.ErrorMessage, e.ErrorText(11));
    EXPECT_TRUE(boxes.empty());
    // Not silent: a box with the information icon, and 0.
    e.Silent = false;
    EXPECT_EQ(e.Evaluate(), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, MessageIcon::Information);
    EXPECT_EQ(boxes[0].text, e.ErrorText(11));
    // A good evaluation clears the error.
    x->SetValue(2);
    EXPECT_EQ(e.Evaluate(), 0.5L);
    EXPECT_FALSE(e.HasError);
    EXPECT_EQ(e.ErrorCode, 0);
}

TEST_F(ExpresionTest, QuotedMessageGivesCode20)
{
    TExpresion e;
    e.Silent = true;
    e.SetText(QStringLiteral("'Hola'"));
    e.Evaluate();
    EXPECT_EQ(e.ErrorCode, 20);
    EXPECT_EQ(e.ErrorMessage, QStringLiteral("Hola"));
}

TEST_F(ExpresionTest, ErrorTexts)
{
    TExpresion e;
    EXPECT_EQ(e.ErrorText(10), QStringLiteral("Falta Expresión"));
    for (int c : {11, 12, 13, 14, 15, 19, 99}) {
        SCOPED_TRACE(c);
        EXPECT_FALSE(e.ErrorText(c).isEmpty());
    }
    EXPECT_NE(e.ErrorText(11), e.ErrorText(15));
    EXPECT_EQ(e.ErrorText(99), e.ErrorText(42));
    e.ParseMessage = QStringLiteral("mensaje del compilador");
    EXPECT_EQ(e.ErrorText(18), QStringLiteral("mensaje del compilador"));
}

TEST_F(ExpresionTest, EvaluateText)
{
    TExpresion e;
    e.Silent = true;
    EXPECT_EQ(e.EvaluateText(QStringLiteral("2*3")), 6);
    // A compile failure is reported, box included, and gives 0.
    EXPECT_EQ(e.EvaluateText(QStringLiteral("2*")), 0);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(e.Silent);
    // Evaluation faults pass to the caller.
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    x->SetValue(0);
    EXPECT_THROW(e.EvaluateText(QStringLiteral("1/x")), EZeroDivide);
    // Sub-expressions of the text join the object's list.
    EXPECT_EQ(e.EvaluateText(QStringLiteral("a:4;a*a")), 16);
    EXPECT_EQ(e.SubExpressions.size(), 1u);
    EXPECT_EQ(e.EvaluateText(QStringLiteral("a:5;a*a")), 25);
}

TEST_F(ExpresionTest, SolveFor)
{
    TExpresion e;
    e.Silent = true;
    e.SetUseBuiltIns(true);
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    TVariable* a = e.AddVariable(QStringLiteral("a"));
    a->SetValue(2);
    struct Case {
        const char* text;
        Extended value;
    } cases[] = {
        {"2*x+1=7", 3},  {"10=2^x", log2l(10)}, {"x\\3=2", 8}, {"8\\x=2", 3},
        {"x\u00A32=3", 8}, {"8\u00A3x=3", 2},   {"x=5", 5},    {"5=x", 5},
        {"a+x=5", 3},    {"x/4=2", 8},          {"4/x=2", 2},  {"x-1=2", 3},
        {"1-x=2", -1},   {"x^2=4", 2},          {"x*a=8", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        e.SetText(QString::fromUtf8(c.text));
        EXPECT_NEAR(static_cast<double>(e.SolveFor(x)), static_cast<double>(c.value), 1e-12);
        EXPECT_FALSE(e.HasError) << e.ErrorMessage.toStdString();
    }
}

TEST_F(ExpresionTest, SolveForLeavesTheEquationIntact)
{
    TExpresion e;
    e.Silent = true;
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    e.SetText(QStringLiteral("x=5"));
    const Extended before = e.Value;
    EXPECT_EQ(e.SolveFor(x), 5);
    EXPECT_EQ(e.Value, before);   // not changed by solving
    x->SetValue(5);
    EXPECT_EQ(e.Evaluate(), 1);
    EXPECT_EQ(e.SolveFor(x), 5);
}

TEST_F(ExpresionTest, SolveForErrors)
{
    TExpresion e;
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    e.AddVariable(QStringLiteral("y"));
    e.AddFunction1(QStringLiteral("asin"), [](Extended v) {
        if (v > 1 || v < -1)
            throw EInvalidOp();
        return asinl(v);
    }, [](Extended v) { return sinl(v); }, QString());
    e.AddFunction1(QStringLiteral("sen"), [](Extended v) { return sinl(v); }, [](Extended v) {
        if (v > 1 || v < -1)
            throw EInvalidOp();
        return asinl(v);
    }, QString());
    e.Silent = true;
    struct Case {
        const char* text;
        int code;
        const char* message;
    } cases[] = {
        {"x<3", 20, "No es una ecuación"},
        {"y+1=2", 20, "No se encuentra variable para despejar"},
        {"x+x=4", 20, "Expresión demasiado compleja para despejar"},
        {"x=x+1", 20, "Ecuación demasiado compleja para despejar"},
        {"Si(x,1,2)=3", 20, "No se puede despejar"},
        {"sen(x)=2", 15, nullptr},
        {"x/0.5=Si(1,'alto',2)", 20, "alto"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        e.SetText(QString::fromUtf8(c.text));
        e.Value = 123;
        EXPECT_EQ(e.SolveFor(x), 0);
        EXPECT_TRUE(e.HasError);
        EXPECT_EQ(e.ErrorCode, c.code);
        if (c.message)
            EXPECT_EQ(e.ErrorMessage, QString::fromUtf8(c.message));
        else
            EXPECT_EQ(e.ErrorMessage, e.ErrorText(c.code));
        EXPECT_EQ(e.Value, 123);
    }
    EXPECT_TRUE(boxes.empty());
    e.Silent = false;
    e.SetText(QStringLiteral("x<3"));
    EXPECT_EQ(e.SolveFor(x), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, MessageIcon::Information);
}

TEST_F(ExpresionTest, SolveForWithoutTree)
{
    TExpresion e;
    e.Silent = true;
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    EXPECT_EQ(e.SolveFor(x), 0);
    EXPECT_EQ(e.ErrorCode, 20);
    EXPECT_FALSE(e.DependsOn(x));
}

TEST_F(ExpresionTest, DependsOn)
{
    TExpresion e;
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    TVariable* y = e.AddVariable(QStringLiteral("y"));
    e.SetText(QStringLiteral("2*x+1"));
    EXPECT_TRUE(e.DependsOn(x));
    EXPECT_FALSE(e.DependsOn(y));
}

TEST_F(ExpresionTest, EvaluateBeforeAnyTable)
{
    // Text stored without a table (set by hand): Evaluate compiles it first.
    TExpresion e;
    e.Text = QStringLiteral("6*7");
    EXPECT_EQ(e.Evaluate(), 42);
    EXPECT_TRUE(e.Compiled);
}

TEST_F(ExpresionTest, SetValueText)
{
    TExpresion e;
    e.SetValueText(0.5L);
    EXPECT_EQ(e.Text, QStringLiteral("0.5"));
    EXPECT_EQ(e.Evaluate(), 0.5L);
}

TEST_F(ExpresionTest, ChangingTextFreesOldTreesAndSubExpressions)
{
    // Run under the leak checker: every old tree and definition is released.
    TExpresion e;
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    for (int i = 0; i < 20; ++i) {
        e.SetText(QStringLiteral("a:x+%1;b:a*a;b+a").arg(i));
        x->SetValue(i);
        EXPECT_EQ(e.Evaluate(), (i + i) * (i + i) + (i + i));
        EXPECT_EQ(e.SubExpressions.size(), 2u);
    }
    e.SetText(QStringLiteral("1"));
    EXPECT_TRUE(e.SubExpressions.empty());
    EXPECT_EQ(x->Nodes.size(), 0u);
}

TEST_F(ExpresionTest, UseBuiltInsLoadsTheBuiltIns)
{
    TExpresion e;
    e.SetUseBuiltIns(true);
    NameTable* t = e.GetTable();
    EXPECT_GT(t->Count(), 6);
    EXPECT_TRUE(t->Contains(QStringLiteral("Pi")));
    EXPECT_NEAR(static_cast<double>(e.EvaluateText(QStringLiteral("sin(pi/2)"))), 1.0, 1e-18);
}

namespace {

// A function of several arguments may change a variable while it runs (the
// calculator's integration and sums bind x): the operand written before the call
// is still read first, whatever order the evaluator prefers for speed.
TEST_F(ExpresionTest, OperandBeforeAStateChangingCallIsReadFirst)
{
    TExpresion e;
    TVariable* x = e.AddVariable("x");
    int calls = 0;
    e.AddFunctionN("Cambia", [x, &calls](const TEvalArray& args) {
        ++calls;
        x->SetValue(args[0]->Evaluate());
        return Extended(1);
    }, 1, 1, "Cambia x");
    x->SetValue(3);
    e.SetText("x*Cambia(x+7)");
    EXPECT_EQ(calls, 0) << "a call whose argument is not constant is not folded";
    EXPECT_EQ(e.Evaluate(), 3);
    EXPECT_EQ(calls, 1);
    x->SetValue(4);
    e.SetText("x+Cambia(x+6)*2");
    EXPECT_EQ(e.Evaluate(), 6);
}

} // namespace
