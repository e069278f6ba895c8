// The compiler: preprocessing, local definitions, syntax check, splitting order
// and precedence, literals, implicit products, calls, user functions, hooks.
#include "support/fixtures.h"

#include "engine/bases.h"
#include "engine/errors.h"
#include "engine/formatonum.h"
#include "engine/real/expresion.h"

#include <cmath>

using namespace real;

namespace {

Extended Square(Extended x) { return x * x; }
Extended Root(Extended x) { return sqrtl(x); }
Extended Sine(Extended x) { return sinl(x); }
Extended Cosine(Extended x) { return cosl(x); }
Extended MaxOf(const TEvalArray& a)
{
    Extended m = a[0]->Evaluate();
    for (std::size_t i = 1; i < a.size(); ++i)
        m = std::max(m, a[i]->Evaluate());
    return m;
}

class CompilerTest : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        e.Silent = true;
        e.AddConstant(QStringLiteral("Pi"), QStringLiteral("Pi"), kPi);
        e.AddConstant(QStringLiteral("e"), QStringLiteral("e"), expl(1));
        e.AddFunction1(QStringLiteral("sin/sen"), Sine, {}, QStringLiteral("Seno"));
        e.AddFunction1(QStringLiteral("cos"), Cosine, {}, QStringLiteral("Coseno"));
        e.AddFunction1(QStringLiteral("sqr"), Square, Root, QStringLiteral("Cuadrado"));
        e.AddFunctionN(QStringLiteral("Max"), MaxOf, 2, 255, QStringLiteral("Máximo"));
        x = e.AddVariable(QStringLiteral("x"));
        y = e.AddVariable(QStringLiteral("y"));
    }

    // Compiles and evaluates; the tree is freed.
    Extended Value(const QString& text)
    {
        TEval* t = e.Compile(text);
        EXPECT_NE(t, nullptr) << text.toStdString() << ": " << e.ErrorMessage.toStdString();
        if (!t)
            return NAN;
        NodeGuard g(t);
        return t->Evaluate();
    }

    // The message of a compile that fails without an exception.
    QString Failure(const QString& text)
    {
        TEval* t = e.Compile(text);
        Discard(t);
        EXPECT_EQ(t, nullptr) << text.toStdString();
        EXPECT_TRUE(e.HasError);
        return e.ErrorMessage;
    }

    QString Raised(const QString& text)
    {
        try {
            Discard(e.Compile(text));
        } catch (const ECompilacion& ex) {
            return ex.message();
        }
        ADD_FAILURE() << "no ECompilacion for " << text.toStdString();
        return QString();
    }

    TExpresion e;
    TVariable* x = nullptr;
    TVariable* y = nullptr;
};

} // namespace

TEST(Preprocess, BlanksCommentsAndAdjacentParentheses)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"1 + 2\t*\n3", "1+2*3"},
        {"2{comment}+1", "2+1"},
        {"2+{unclosed 1", "2+"},
        {"'Fuera de rango'", "'Fueraderango'"},
        {"(22)(3)", "(22)*(3)"},
        {"(2)(3)", "(2)(3)"},
        {"(1)(2)(3)", "(1)(2)*(3)"},
        {"(1) (2)", "(1)(2)"},
        {"a}b", "a}b"},
        {"", ""},
        {"(1)(2)(3)(4)(5)", "(1)(2)*(3)*(4)*(5)"},
        {"{(((}(1)(2)(3)", "(1)*(2)*(3)"},
        {"(((((((((", "((((((((("},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(PreprocessExpression(QString::fromUtf8(c.in)), QString::fromUtf8(c.out));
    }
}

TEST(Preprocess, ReplaceAltOperators)
{
    EXPECT_EQ(ReplaceAltOperators(QStringLiteral("a**2//3")), QStringLiteral("a^2\\3"));
    EXPECT_EQ(ReplaceAltOperators(QStringLiteral("a***b")), QStringLiteral("a^*b"));
    EXPECT_EQ(ReplaceAltOperators(QStringLiteral("a*b/c")), QStringLiteral("a*b/c"));
}

TEST_F(CompilerTest, PrecedenceAndGrouping)
{
    x->SetValue(2);
    y->SetValue(3);
    struct Case {
        const char* text;
        Extended value;
    } cases[] = {
        {"2^3^2", 64},          {"2^-1", 0.5L},        {"-2^2", -4},        {"1+2*3", 7},
        {"10-4-3", 3},          {"100/10/5", 2},       {"2*3^2", 18},       {"-x+y", 1},
        {"8\\3", 2},            {"9\\2", 3},           {"2e-3", 0.002L},    {"1E5", 100000},
        {"3|4", 0.75L},         {"1|1|2", 1.5L},       {"FF[16]", 255},     {"h1F", 31},
        {"b101", 5},            {"(50)%", 0.5L},       {"50%", 0.5L},       {"x%", 0.02L},
        {"2pi", 2 * kPi},       {"12x", 24},           {"0x", 0},           {"3|4x", 1.5L},
        {"2sin(0)", 0},         {"(22)(3)", 66},       {"((((1))))", 1},    {"-(-(-1))", -1},
        {"Max(1,x,y)", 3},      {"sen(0)+cos(0)", 1},  {"LogN(8,2)", 3},    {"Si(1,2,3)", 2},
        {"Si(0,1/0.5,3)", 3},   {"Sim(0,1,0,2,3)", 3}, {"Sim(0,1,5)", 5},   {"1e3[16]", 4096},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_NEAR(static_cast<double>(Value(QString::fromUtf8(c.text))), static_cast<double>(c.value), 1e-12);
    }
}

TEST_F(CompilerTest, LogarithmOperator)
{
    EXPECT_NEAR(static_cast<double>(Value(QStringLiteral("8\u00A32"))), 3.0, 1e-15);
}

TEST_F(CompilerTest, ComparisonAndLogicalForms)
{
    struct Case {
        const char* text;
        Extended value;
    } cases[] = {
        {"1<2", 1},  {"1<<2", 1}, {"2<=2", 1}, {"2=<2", 1}, {"1<>2", 1}, {"1><2", 1}, {"1=1", 1},
        {"1==1", 1}, {"3>=2", 1}, {"3=>2", 1}, {"3>2", 1},  {"3>>2", 1}, {"2>3", -1}, {"1<2<3", 1},
        {"1<3<2", -1}, {"3>2>1", 1}, {"1&1$0", 1}, {"0&1$1", 1}, {"1!1", -1}, {"1+1=2", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Value(QString::fromUtf8(c.text)), c.value);
    }
}

TEST_F(CompilerTest, TreeShapes)
{
    // 1<2<3 is (1<2)<3; a&b$c is (a and b) or c; a unary minus is 0 - rest.
    NodeGuard chain(e.Compile(QStringLiteral("1<x<3")));
    ASSERT_NE(chain.get(), nullptr);
    EXPECT_EQ(chain.get()->Kind(), NodeKind::Men);
    EXPECT_EQ(chain.get()->Children[0]->Kind(), NodeKind::Men);

    NodeGuard logic(e.Compile(QStringLiteral("x&y$x")));
    ASSERT_NE(logic.get(), nullptr);
    EXPECT_EQ(logic.get()->Kind(), NodeKind::Or);
    EXPECT_EQ(logic.get()->Children[0]->Kind(), NodeKind::And);

    NodeGuard minus(e.Compile(QStringLiteral("-x")));
    ASSERT_NE(minus.get(), nullptr);
    EXPECT_EQ(minus.get()->Kind(), NodeKind::Resta);
    EXPECT_EQ(minus.get()->Children[0]->Kind(), NodeKind::Num);
    EXPECT_EQ(minus.get()->Children[0]->Value, 0);

    NodeGuard hex(e.Compile(QStringLiteral("FF[16]*x")));
    ASSERT_NE(hex.get(), nullptr);
    EXPECT_EQ(static_cast<TNum*>(hex.get()->Children[0])->Base, 16);

    // Every occurrence of a variable has its own node.
    NodeGuard twice(e.Compile(QStringLiteral("x+x")));
    ASSERT_NE(twice.get(), nullptr);
    EXPECT_NE(twice.get()->Children[0], twice.get()->Children[1]);
}

TEST_F(CompilerTest, FunctionNodesShowTheirRegisteredName)
{
    NodeGuard a(e.Compile(QStringLiteral("SEN(x)")));
    NodeGuard b(e.Compile(QStringLiteral("SIN(x)")));
    ASSERT_TRUE(a.get() && b.get());
    EXPECT_EQ(a.get()->Text, QStringLiteral("sen"));
    EXPECT_EQ(b.get()->Text, QStringLiteral("sin"));
}

TEST_F(CompilerTest, SyntaxMessages)
{
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "Falta expresión"},
        {"*2", "Falta operando antes de \"*\""},
        {"2+", "Falta operando después de \"+\""},
        {"2.", "Falta operando después de \".\""},
        {"2-*3", "Operadores seguidos: -*"},
        {"(1+2", "Faltan paréntesis"},
        {"(2)(3)", "Paréntesis de cierre sin abrir #1"},
        {"1+2)", "Paréntesis de cierre sin abrir #1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Failure(QString::fromUtf8(c.text)), QString::fromUtf8(c.message));
        EXPECT_EQ(e.ErrorCode, 0);
    }
    // Empty parentheses: the call does not split, nothing else fits, and the
    // compile ends with the message the argument left.
    EXPECT_EQ(Raised(QStringLiteral("sin()")), QStringLiteral("Falta expresión"));
}

TEST_F(CompilerTest, ArgumentCountMessages)
{
    e.AddFunctionN(QStringLiteral("Dos"), MaxOf, 2, 2, QString());
    e.AddFunctionN(QStringLiteral("Rango"), MaxOf, 2, 3, QString());
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"Pi(2)", "Pi no lleva argumentos"},
        {"x(1)", "x no lleva argumentos"},
        {"sin(1,2)", "sin lleva exactamente 1 argumento(s)"},
        {"Dos(1,2,3)", "Dos lleva exactamente 2 argumento(s)"},
        {"Rango(1,2,3,4)", "Rango lleva como máximo 3 argumentos"},
        {"sin", "sin necesita 1 argumento(s)"},
        {"Dos(1)", "Dos necesita 2 argumento(s)"},
        {"Max(1)", "Max necesita al menos 2 argumentos"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Failure(QString::fromUtf8(c.text)), QString::fromUtf8(c.message));
    }
}

TEST_F(CompilerTest, UnknownNamesRaise)
{
    EXPECT_EQ(Raised(QStringLiteral("x2")), QStringLiteral("\"x2\" no está definido"));
    // "2e-" is no number: the exponent letter needs digits.
    EXPECT_EQ(Raised(QStringLiteral("2e-z")), QStringLiteral("\"e-z\" no está definido"));
    EXPECT_EQ(Raised(QStringLiteral("1+foo")), QStringLiteral("\"foo\" no está definido"));
    EXPECT_EQ(Raised(QStringLiteral("2foo")), QStringLiteral("\"foo\" no está definido"));
    // A compile ended by the exception keeps nothing and reports nothing of an
    // earlier compile.
    Failure(QStringLiteral("Max(1)"));
    EXPECT_EQ(Raised(QStringLiteral("bar")), QStringLiteral("\"bar\" no está definido"));
}

TEST_F(CompilerTest, QuotedMessages)
{
    TEval* t = e.Compile(QStringLiteral("'Fuera de rango'"));
    ASSERT_NE(t, nullptr);
    NodeGuard g(t);
    EXPECT_EQ(t->Kind(), NodeKind::ExprMsg);
    EXPECT_EQ(t->Text, QStringLiteral("Fueraderango"));
    EXPECT_EQ(Value(QStringLiteral("Si(1,2,'no')")), 2);
}

TEST_F(CompilerTest, LocalDefinitionsAreSharedTrees)
{
    x->SetValue(3);
    TEval* t = e.Compile(QStringLiteral("a:2*x;a+a"));
    ASSERT_NE(t, nullptr);
    NodeGuard g(t);
    ASSERT_EQ(e.SubExpressions.size(), 1u);
    TEval* a = e.SubExpressions[0].second;
    EXPECT_EQ(t->Children[0], a);
    EXPECT_EQ(t->Children[1], a);
    EXPECT_EQ(a->RefCount, 2002);
    EXPECT_EQ(t->Evaluate(), 12);
    x->SetValue(1);
    EXPECT_EQ(t->Evaluate(), 4);
}

TEST_F(CompilerTest, LocalDefinitionForms)
{
    x->SetValue(2);
    EXPECT_EQ(Value(QStringLiteral("u:\"(1+x)\";u^2")), 9);
    EXPECT_EQ(Value(QStringLiteral("U:\"(1+x)\";u*U")), 9);   // case ignored
    EXPECT_EQ(Value(QStringLiteral("a:x+1;b:a*2;b+a")), 9);
    EXPECT_EQ(Value(QStringLiteral("a:x;b:a;b")), 2);
    EXPECT_EQ(Value(QStringLiteral("a:1;a:a+5;a")), 6);   // the latest definition wins
    // A definition that does not compile stops the definitions; the rest is the
    // expression.
    EXPECT_EQ(Value(QStringLiteral("a:2+;x")), 2);
    EXPECT_EQ(Raised(QStringLiteral("a:2+;b:1;b")), QStringLiteral("Falta operando después de \"+\""));
    EXPECT_EQ(Raised(QStringLiteral("1;2")), QStringLiteral("Falta indentificador de expresión"));
    EXPECT_EQ(Raised(QStringLiteral(":1;2")), QStringLiteral("Falta indentificador de expresión"));
}

// Each definition doubles the one before: 2^40 evaluations if a shared
// definition were computed again for every parent.
TEST_F(CompilerTest, DoublingDefinitionsEvaluateOnce)
{
    QString text = QStringLiteral("d0:x;");
    for (int i = 1; i <= 40; ++i)
        text += QStringLiteral("d%1:d%2+d%2;").arg(i).arg(i - 1);
    text += QStringLiteral("d40/d39");
    TEval* t = e.Compile(text);
    ASSERT_NE(t, nullptr);
    NodeGuard g(t);
    for (Extended v : {1.0L, 3.0L, -2.0L}) {
        x->SetValue(v);
        EXPECT_EQ(t->Evaluate(), 2);
    }
    x->SetValue(1);
    EXPECT_EQ(e.SubExpressions.back().second->Evaluate(), 1099511627776.0L);   // 2^40
}

TEST_F(CompilerTest, GrowingTextMacrosAreRefused)
{
    QString text;
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("a:\"aa\";");
    text += QStringLiteral("a");
    EXPECT_EQ(Raised(text), QStringLiteral("Expresión demasiado larga"));
    // One step that would multiply a long text is refused before it is made.
    const QString wide = QStringLiteral("a:\"") + QString(30000, QLatin1Char('1')) + QStringLiteral("\";") +
                         QStringLiteral("a+").repeated(20000) + QStringLiteral("a");
    EXPECT_EQ(Raised(wide), QStringLiteral("Expresión demasiado larga"));
}

TEST_F(CompilerTest, UserFunctions)
{
    e.AddUserFunction(QStringLiteral("f"), QStringLiteral("?A*?B + 1"), QStringLiteral("prueba"));
    e.AddUserFunction(QStringLiteral("g"), QStringLiteral("f(?a, ?a)"), QString());
    x->SetValue(3);
    EXPECT_EQ(Value(QStringLiteral("f(2,x)")), 7);
    EXPECT_EQ(Value(QStringLiteral("g(x)")), 10);
    TEval* t = e.Compile(QStringLiteral("f(x,2)"));
    ASSERT_NE(t, nullptr);
    NodeGuard h(t);
    EXPECT_EQ(t->Kind(), NodeKind::FunUser);
    EXPECT_EQ(t->Text, QStringLiteral("f"));
    EXPECT_EQ(Failure(QStringLiteral("f(1)")), QStringLiteral("f necesita 2 argumento(s)"));

    e.InlineUserFunctions = true;
    TEval* inl = e.Compile(QStringLiteral("f(x,2)"));
    ASSERT_NE(inl, nullptr);
    NodeGuard i(inl);
    EXPECT_EQ(inl->Kind(), NodeKind::Suma);
    EXPECT_EQ(inl->Evaluate(), 7);
}

// A parameter used twice in a body: both readers follow the variable at every
// evaluation.
TEST_F(CompilerTest, UserFunctionWithARepeatedParameterStaysCurrent)
{
    e.AddUserFunction(QStringLiteral("sc"), QStringLiteral("sin(?A)+cos(?A)"), QString());
    TEval* t = e.Compile(QStringLiteral("sc(x)"));
    ASSERT_NE(t, nullptr);
    NodeGuard g(t);
    for (Extended v : {0.5L, 1.0L, 2.0L, 1.0L, -3.0L}) {
        SCOPED_TRACE(static_cast<double>(v));
        x->SetValue(v);
        EXPECT_EQ(t->Evaluate(), sinl(v) + cosl(v));
    }
}

TEST_F(CompilerTest, RecursiveUserFunctionsEndWithACompileError)
{
    e.AddUserFunction(QStringLiteral("r"), QStringLiteral("r(?A)+1"), QString());
    e.AddUserFunction(QStringLiteral("p"), QStringLiteral("q(?A)"), QString());
    e.AddUserFunction(QStringLiteral("q"), QStringLiteral("p(?A)*2"), QString());
    EXPECT_EQ(Raised(QStringLiteral("r(1)")), QStringLiteral("La función r se llama a sí misma"));
    EXPECT_EQ(Raised(QStringLiteral("2*p(x)")), QStringLiteral("La función p se llama a sí misma"));
    // Nested calls of one function are not recursion.
    e.AddUserFunction(QStringLiteral("inc"), QStringLiteral("?A+1"), QString());
    EXPECT_EQ(Value(QStringLiteral("inc(inc(inc(1)))")), 4);
}

TEST_F(CompilerTest, DeepNestingEndsWithACompileError)
{
    const QString deep = QString(5000, QLatin1Char('(')) + QStringLiteral("1") + QString(5000, QLatin1Char(')'));
    EXPECT_TRUE(Raised(deep).startsWith(QStringLiteral("Expresión demasiado compleja")));
    const QString fine = QString(100, QLatin1Char('(')) + QStringLiteral("1") + QString(100, QLatin1Char(')'));
    EXPECT_EQ(Value(fine), 1);
    QString sum = QStringLiteral("x");
    for (int i = 0; i < 1200; ++i)
        sum += QStringLiteral("+x*2");
    x->SetValue(1);
    EXPECT_EQ(Value(sum), 2401);
}

// Nesting past what a compile may enter is refused at once with the plain
// message, in every form; nesting just below it compiles to the right value;
// parentheses that do not pair up keep their own message however deep.
TEST_F(CompilerTest, NestingPastTheCapIsRefusedWithItsMessage)
{
    struct Case {
        const char* open;
        const char* inner;
        int depth;
    };
    const Case refused[] = {
        {"(", "1", 10000}, {"(1+", "1", 10000}, {"(x+", "x", 10000}, {"sin(", "x", 5000}, {"(", "x", 3400},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(std::string(c.open) + " " + std::to_string(c.depth));
        const QString text = QString::fromLatin1(c.open).repeated(c.depth) + QLatin1String(c.inner) +
                             QString(c.depth, QLatin1Char(')'));
        EXPECT_EQ(Raised(text), QStringLiteral("Expresión demasiado compleja"));
    }
    x->SetValue(1);
    const int deep = 1000;
    EXPECT_EQ(Value(QStringLiteral("(x+").repeated(deep) + QStringLiteral("x") + QString(deep, QLatin1Char(')'))),
              deep + 1);
    EXPECT_EQ(Failure(QString(10000, QLatin1Char('(')) + QStringLiteral("1") + QString(9999, QLatin1Char(')'))),
              QStringLiteral("Faltan paréntesis"));
    EXPECT_EQ(Failure(QString(10000, QLatin1Char('(')) + QStringLiteral("1") + QString(10000, QLatin1Char(')')) +
                      QStringLiteral("*")),
              QStringLiteral("Falta operando después de \"*\""));
}

// Every range of these texts fails at every split: the splitter's cubic worst
// case. The compile ends with a clear error instead of running for minutes.
// (The same sum ending in a number compiles on the linear path.)
TEST_F(CompilerTest, RunawaySplittingEndsWithACompileError)
{
    QStringList atoms;
    for (int i = 0; i < 600; ++i)
        atoms << QStringLiteral("(sin)");
    EXPECT_EQ(Raised(atoms.join(QLatin1Char('^'))), QStringLiteral("Expresión demasiado compleja"));
    EXPECT_TRUE(Raised(QStringLiteral("1+").repeated(20000) + QStringLiteral("sin"))
                    .startsWith(QStringLiteral("Expresión demasiado compleja")));
    x->SetValue(1);
    EXPECT_EQ(Value(QStringLiteral("x+").repeated(5000) + QStringLiteral("1")), 5001);
}

TEST_F(CompilerTest, DeepFunctionNestingCompilesOnce)
{
    // Without remembering attempts this takes 2^100 steps: the argument of
    // every "(...)" is tried as a call first, then as parentheses.
    const QString text = QString(60, QLatin1Char('(')) + QStringLiteral("x") + QString(60, QLatin1Char(')')) +
                         QStringLiteral("+") + QStringLiteral("sin(") .repeated(60) + QStringLiteral("0") +
                         QString(60, QLatin1Char(')'));
    x->SetValue(2);
    EXPECT_EQ(Value(text), 2);
}

TEST_F(CompilerTest, ResolverHooks)
{
    e.OnResolveName = [](const QString& name, bool& ok) -> Extended {
        ok = name == QLatin1String("x");   // tried before the table: shadows x
        return 40;
    };
    e.OnResolveUnknown = [](const QString& name, bool& ok) -> Extended {
        ok = name == QLatin1String("H2O");
        return 18.015L;
    };
    TEval* t = e.Compile(QStringLiteral("x+H2O"));
    ASSERT_NE(t, nullptr);
    NodeGuard g(t);
    EXPECT_EQ(t->Children[0]->Kind(), NodeKind::Ext);
    EXPECT_EQ(t->Children[0]->Text, QStringLiteral("x"));
    EXPECT_EQ(t->Children[1]->Text, QStringLiteral("H2O"));
    EXPECT_EQ(t->Evaluate(), 40 + 18.015L);
    EXPECT_EQ(Raised(QStringLiteral("NaCl")), QStringLiteral("\"NaCl\" no está definido"));
}

TEST_F(CompilerTest, ParameterArrayFillsQuestionMarks)
{
    NodeGuard a(new TNum(5));
    NodeGuard b(new TNum(7));
    bool ok = false;
    TEval* t = e.ParseExpr(QStringLiteral("?a*10+?B"), {a.get(), b.get()}, ok);
    ASSERT_TRUE(ok);
    NodeGuard g(t);
    EXPECT_EQ(t->Evaluate(), 57);
    EXPECT_EQ(t->Children[1], b.get());   // the argument node itself
}

TEST_F(CompilerTest, BadBaseBetweenBracketsIsNotANumber)
{
    // Read as 12 times the unknown "[1.5]", not as a conversion fault.
    EXPECT_EQ(Raised(QStringLiteral("12[1.5]")), QStringLiteral("\"[1.5]\" no está definido"));
}

TEST_F(CompilerTest, ArithmeticFaultsWhileFoldingGiveCodes)
{
    TEval* t = e.Compile(QStringLiteral("2+1/0"));
    EXPECT_EQ(t, nullptr);
    EXPECT_EQ(e.ErrorCode, 11);
    EXPECT_TRUE(e.HasError);
    EXPECT_EQ(e.ErrorMessage, e.ErrorText(11));
    Discard(e.Compile(QStringLiteral("(-8)^(1/3)")));
    EXPECT_EQ(e.ErrorCode, 15);
}

// Texts whose work used to grow faster than their length. Each is answered
// at once now; before, they took seconds to minutes (and gigabytes).
TEST_F(CompilerTest, LongTextsCompileInLinearWork)
{
    // 100,000 letters: an unknown name, refused without reading a number at
    // every place of the run.
    for (QChar c : {QLatin1Char('a'), QLatin1Char('e')}) {
        const QString letters(100000, c);
        EXPECT_EQ(Raised(letters), QLatin1Char('"') + letters + QStringLiteral("\" no está definido"));
    }
    // 50,000 local definitions.
    QString defs;
    for (int i = 1; i <= 50000; ++i)
        defs += QStringLiteral("a%1:%1;").arg(i);
    EXPECT_EQ(Value(defs + QStringLiteral("a1+a50000")), 50001);
    // Thirty levels of a shared sub-expression stand for 2^30 additions; each
    // is computed once, and "does it use ?" visits each once too.
    QString levels = QStringLiteral("a0:x;");
    for (int i = 1; i <= 30; ++i)
        levels += QStringLiteral("a%1:a%2+a%2;").arg(i).arg(i - 1);
    x->SetValue(1);
    e.SetText(levels + QStringLiteral("a30"));
    EXPECT_EQ(e.Evaluate(), 1073741824.0L);
    x->SetValue(2);
    EXPECT_EQ(e.Evaluate(), 2147483648.0L);
    TVariable* solve = e.AddVariable(QStringLiteral("?"));
    EXPECT_FALSE(e.DependsOn(solve));
    e.SetText(levels + QStringLiteral("a30+?=0"));
    EXPECT_EQ(e.SolveFor(solve), -2147483648.0L);
}

// A number too large for the extended range is an overflow of the text, also
// when it is written with 5,000 digits.
TEST_F(CompilerTest, NumbersBeyondTheRangeOverflow)
{
    for (const QString& text : {QString(5000, QLatin1Char('9')), QStringLiteral("1e99999"),
                                QStringLiteral("2*1e4933"), QStringLiteral("1e99999x")}) {
        SCOPED_TRACE(text.left(20).toStdString());
        e.SetText(text);
        e.Evaluate();
        EXPECT_EQ(e.ErrorCode, 12);
    }
}
