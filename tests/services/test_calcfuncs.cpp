// The calculator functions through the real evaluators, as the main window
// registers them: results on known integrals, sums, products, derivatives,
// roots, determinants, divisors and multiples; their messages and faults; the
// letters x and n bound and given back; the names each evaluator gets; the
// drawing of the three big signs.
#include "services/calcfuncs.h"

#include "engine/errors.h"
#include "engine/real/errors.h"
#include "engine/real/expresion.h"
#include "fakecanvas.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "testsupport.h"

#include <array>
#include <cmath>
#include <map>
#include <random>

using namespace calcfuncs;

namespace {

// The main window's letter cells and prompts, played by the test.
struct Letters {
    std::array<Extended, 24> value{};
    std::array<bool, 24> asked{};
    std::map<QChar, Extended> answers;
    QString prompted;   // the letters asked, in order

    static int index(QChar c) { return int(LetterNames().indexOf(c)); }
    Extended valueOf(QChar c)
    {
        const int i = index(c);
        if (!asked[std::size_t(i)]) {
            prompted += c;
            value[std::size_t(i)] = answers.count(c) ? answers[c] : 0;
            asked[std::size_t(i)] = true;
        }
        return value[std::size_t(i)];
    }
    TLetterCell cell(QChar c) { return {&value[std::size_t(index(c))], &asked[std::size_t(index(c))]}; }
    void newCalculation()
    {
        asked.fill(false);
        prompted.clear();
    }
};

struct Outcome {
    Extended value = 0;
    int code = 0;
    QString message;   // the evaluator's message (codes) or the exception's
    bool thrown = false;
};

class CalcFuncsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        real::engineState().reset();
        main.SetUseBuiltIns(true);
        main.Silent = true;
        input.SetUseBuiltIns(true);
        input.Silent = true;
        TCalcHooks h;
        h.Memory = [this](int i) { return memories[std::size_t(i)]; };
        h.LastResult = [this] { return last; };
        h.Now = [] { return Extended(45000.5L); };
        h.Letter = [this](QChar c) { return letters.valueOf(c); };
        h.X = letters.cell('x');
        h.N = letters.cell('n');
        solve = RegisterCalcNames(main, input, h);
        // A probe that counts how often f is evaluated.
        main.AddFunction1(QStringLiteral("cnt"), [this](Extended v) {
            ++probes;
            return v;
        }, {}, QString());
    }
    void TearDown() override { real::engineState().reset(); }

    Outcome run(const QString& text)
    {
        letters.newCalculation();
        probes = 0;
        Outcome o;
        try {
            main.SetText(text);
            if (!main.HasError)
                o.value = main.Evaluate();
            o.code = main.HasError ? main.ErrorCode : 0;
            if (main.HasError)
                o.message = main.ErrorMessage;
        } catch (const Exception& e) {
            o.thrown = true;
            o.message = e.message();
        }
        return o;
    }

    real::TExpresion main;
    real::TExpresion input;
    real::TVariable* solve = nullptr;
    Letters letters;
    std::array<Extended, 10> memories{};
    Extended last = 0;
    int probes = 0;
};

} // namespace

// ---------------------------------------------------------------------------
// Results

TEST_F(CalcFuncsTest, KnownResults)
{
    struct Case {
        const char* text;
        Extended expected;
        Extended tolerance;
    } cases[] = {
        {"Integrar(0,1,x^2)", 1.0L / 3, 1e-18L},
        {"Integrar(0,1,10,x^2)", 1.0L / 3, 1e-18L},
        {"Integrar(0,Pi,sin(x))", 2, 1e-9L},
        {"Integrar(1,0,x)", -0.5L, 1e-18L},
        {"Integrar(0,2,x^5)", 64.0L / 6, 1e-15L},     // Boole's rule is exact to the fifth degree
        {"Evaluar(3,x^2+1)", 10, 0},
        {"Sumatoria(1,4,n)", 10, 0},
        {"Producto(1,4,n)", 24, 0},
        {"Sumatoria(3,1,n)", 0, 0},
        {"Producto(3,1,n)", 1, 0},
        {"Sumatoria(-2,2,n)", 0, 0},
        {"Producto(-3,-1,n)", -6, 0},
        {"Sumatoria(1,4,n^2)", 30, 0},
        {"Sumatoria(0.5,2.5,n)", 3, 0},               // bounds rounded halves to even: 0..2
        {"Sumatoria(1,3,Sumatoria(1,n,n))", 10, 0},   // the inner n is the outer's own
        {"Derivar(2,x^2)", 4, 1e-12L},
        {"Derivar(0,sin(x))", 1, 1e-12L},
        {"Derivar(1,ln(x))", 1, 1e-12L},
        {"Resolver(x^2=2,0,2)", std::sqrt(2.0L), 1e-17L},
        {"Resolver(x-5,0,10)", 5, 0},
        {"Resolver(x-5,5,5)", 5, 0},
        {"Resolver(x^3-8,1,3)", 2, 1e-17L},
        {"Det(1,2,3,4)", -2, 0},
        {"Det(7)", 7, 0},
        {"Det(2,0,1,1,3,2,1,1,1)", 0, 0},
        {"Det(1,0,0,0,0,2,0,0,0,0,3,0,0,0,0,4)", 24, 0},
        {"MCD(12,18,8)", 2, 0},
        {"MCD(-4,6)", 2, 0},
        {"MCD(2.5,5)", 1, 0},                         // 2.5 rounds to 2
        {"MCM(4,6)", 12, 0},
        {"MCM(4,6,8)", 24, 0},
        {"MCM(-4,6)", 12, 0},
        {"MCM(3,5,7,9)", 315, 0},
        {"MCD(-9223372036854775808,-1)", 1, 0},
        {"MCD(0,5)", 5, 0},                           // 0 mod 5 is 0: only a later 0 divides
        {"MCD(0,-12,18)", 6, 0},
        {"MCM(2,3,4)", 12, 0},
        {"MCM(0,6,4)", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Outcome o = run(QString::fromLatin1(c.text));
        ASSERT_FALSE(o.thrown) << o.message.toStdString();
        ASSERT_EQ(o.code, 0) << o.message.toStdString();
        EXPECT_LE(std::fabs(o.value - c.expected), c.tolerance) << double(o.value);
    }
}

// The step follows x0, not f(x0): where f is large the derivative keeps its
// digits.
TEST_F(CalcFuncsTest, DerivativeStepDoesNotGrowWithTheValue)
{
    struct Case {
        const char* text;
        Extended expected;
    } cases[] = {
        {"Derivar(20,exp(x))", std::exp(20.0L)},
        {"Derivar(40,exp(x))", std::exp(40.0L)},
        {"Derivar(1000,x^2)", 2000},
        {"Derivar(0.001,1e12*x^2)", 2e9L},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Outcome o = run(QString::fromLatin1(c.text));
        ASSERT_EQ(o.code, 0) << o.message.toStdString();
        EXPECT_LE(std::fabs(o.value / c.expected - 1), 1e-12L) << double(o.value);
    }
}

TEST_F(CalcFuncsTest, EvaluationCounts)
{
    struct Case {
        const char* text;
        int evaluations;
    } cases[] = {
        {"Integrar(0,1,cnt(x))", 125},        // 100 steps: 25 blocks of 5 points
        {"Integrar(0,1,10,cnt(x))", 10},      // 10 is taken down to 8: 2 blocks
        {"Integrar(0,1,4,cnt(x))", 5},
        {"Integrar(2,2,cnt(x))", 0},          // equal bounds: f never evaluated
        {"Sumatoria(-2,2,cnt(n))", 5},
        {"Producto(5,4,cnt(n))", 0},
        {"Derivar(1,cnt(x))", 5},             // f(x0) first, then the four points
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Outcome o = run(QString::fromLatin1(c.text));
        ASSERT_EQ(o.code, 0) << o.message.toStdString();
        EXPECT_EQ(probes, c.evaluations);
    }
}

// ---------------------------------------------------------------------------
// Failures

TEST_F(CalcFuncsTest, Failures)
{
    const QString halvings = QString::fromUtf8("No ha sido posible hallar ninguna raíz\rIntente con otro rango");
    const QString noRoot = QString::fromUtf8("No se hallo raíz, intente con otro rango");
    struct Case {
        const char* text;
        bool thrown;      // the exception passes the evaluator
        int code;         // else the evaluator's code
        QString message;
    } cases[] = {
        {"Resolver(x>1,0,2)", true, 0, QStringLiteral("Resolver no opera con inecuaciones")},
        {"Resolver(x<>1,0,2)", true, 0, QStringLiteral("Resolver no opera con inecuaciones")},
        {"Resolver(5,0,1)", true, 0, QString::fromUtf8("Necesita una función")},
        {"Resolver(3=3,0,1)", true, 0, QString::fromUtf8("Necesita una función")},
        {"Resolver(x-5,3,3)", false, 20, noRoot},
        {"Det(1,2,3)", true, 0, QStringLiteral("La matriz debe ser cuadrada")},
        {"Det(1,2,3,4,5)", true, 0, QStringLiteral("La matriz debe ser cuadrada")},
        {"Integrar(0,1,3,x)", false, 11, QString()},
        {"Integrar(0,1,0,x)", false, 11, QString()},
        {"Integrar(0,1,-8,x)", false, 11, QString()},
        {"MCD(12,0)", true, 0, QString::fromUtf8("División entera por cero")},
        {"MCD(0,0)", true, 0, QString::fromUtf8("División entera por cero")},
        {"MCD(0,12,0)", true, 0, QString::fromUtf8("División entera por cero")},
        {"MCM(6,0)", true, 0, QString::fromUtf8("División entera por cero")},
        {"MCM(0,6,0)", true, 0, QString::fromUtf8("División entera por cero")},
        {"MCM(4611686018427387904,5)", false, 12, QString()},
        {"MCD(1e30,2)", false, 15, QString()},
        {"Sumatoria(1,3,1/(n-2))", false, 11, QString()},
        {"Derivar(0,1/x)", false, 11, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Outcome o = run(QString::fromLatin1(c.text));
        EXPECT_EQ(o.thrown, c.thrown) << o.message.toStdString();
        if (!c.thrown) {
            EXPECT_EQ(o.code, c.code) << o.message.toStdString();
        }
        if (!c.message.isEmpty()) {
            EXPECT_EQ(o.message, c.message);
        }
    }
    // A function without a real root ends with one of the two root messages.
    const Outcome o = run(QStringLiteral("Resolver(x^2+1,0,1)"));
    EXPECT_EQ(o.code, 20);
    EXPECT_TRUE(o.message == halvings || o.message == noRoot) << o.message.toStdString();
}

TEST_F(CalcFuncsTest, MessagesWordForWord)
{
    EXPECT_EQ(MsgInequality(), QStringLiteral("Resolver no opera con inecuaciones"));
    EXPECT_EQ(MsgNeedsFunction(), QString::fromUtf8("Necesita una función"));
    EXPECT_EQ(MsgNoRootHalvings(),
              QString::fromUtf8("No ha sido posible hallar ninguna raíz") + QChar(13) + "Intente con otro rango");
    EXPECT_EQ(MsgNoRoot(), QString::fromUtf8("No se hallo raíz, intente con otro rango"));
    EXPECT_EQ(MsgNotSquare(), QStringLiteral("La matriz debe ser cuadrada"));
}

// ---------------------------------------------------------------------------
// The letters

// After a function that binds x returns, x is as it was: an x used elsewhere
// in the same expression is asked once, as usual, and keeps its answer.
TEST_F(CalcFuncsTest, BoundLettersAreGivenBack)
{
    letters.answers['x'] = 10;
    letters.answers['n'] = 7;
    struct Case {
        const char* text;
        Extended expected;
        const char* prompted;
    } cases[] = {
        {"Integrar(0,1,x)+x", 10.5L, "x"},
        {"x+Integrar(0,1,x)+x", 20.5L, "x"},
        {"Evaluar(2,x)*x", 20, "x"},
        {"Sumatoria(1,3,n)+n", 13, "n"},
        {"Producto(1,3,x)", 1000, "x"},            // x is not the index: asked once
        {"Derivar(3,x^2)+x", 16, "x"},
        {"Resolver(x-2,0,5)+x", 12, "x"},
        {"Integrar(0,1,1)", 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Outcome o = run(QString::fromLatin1(c.text));
        ASSERT_EQ(o.code, 0) << o.message.toStdString();
        EXPECT_LE(std::fabs(o.value - c.expected), 1e-9L) << double(o.value);
        EXPECT_EQ(letters.prompted, QString::fromLatin1(c.prompted));
    }
}

TEST_F(CalcFuncsTest, BindingIsUndoneWhenTheFunctionFails)
{
    struct Case {
        const char* text;
    } cases[] = {{"Resolver(x^2+1,0,1)"}, {"Integrar(0,2,4,1/(x-1))"}, {"Sumatoria(1,3,1/(n-2))"},
                 {"Derivar(1,ln(x-1))"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        letters.newCalculation();
        letters.value[std::size_t(Letters::index('x'))] = 42;
        letters.value[std::size_t(Letters::index('n'))] = 43;
        main.SetText(QString::fromLatin1(c.text));
        main.Evaluate();
        EXPECT_TRUE(main.HasError);
        EXPECT_EQ(letters.value[std::size_t(Letters::index('x'))], 42);
        EXPECT_EQ(letters.value[std::size_t(Letters::index('n'))], 43);
        EXPECT_FALSE(letters.asked[std::size_t(Letters::index('x'))]);
        EXPECT_FALSE(letters.asked[std::size_t(Letters::index('n'))]);
    }
}

TEST_F(CalcFuncsTest, LetterBindingRestoresOnScopeEnd)
{
    Extended v = 3;
    bool asked = false;
    {
        TLetterBinding b({&v, &asked});
        EXPECT_TRUE(asked);
        b.Set(9);
        EXPECT_EQ(v, 9);
    }
    EXPECT_EQ(v, 3);
    EXPECT_FALSE(asked);
    try {
        TLetterBinding b({&v, &asked});
        b.Set(5);
        throw EZeroDivide();
    } catch (const EZeroDivide&) {
    }
    EXPECT_EQ(v, 3);
    EXPECT_FALSE(asked);
}

// ---------------------------------------------------------------------------
// Determinants

namespace {

// The cofactor expansion itself, minors as lists, recomputed every time.
Extended NaiveDet(const std::vector<Extended>& m, int s)
{
    if (s == 1)
        return m[0];
    if (s == 2)
        return m[0] * m[3] - m[1] * m[2];
    Extended r = 0;
    for (int j = 0; j < s; ++j) {
        std::vector<Extended> minor;
        for (int row = 1; row < s; ++row)
            for (int col = 0; col < s; ++col)
                if (col != j)
                    minor.push_back(m[std::size_t(row * s + col)]);
        const Extended t = m[std::size_t(j)] * NaiveDet(minor, s - 1);
        r = j % 2 == 0 ? r + t : r - t;
    }
    return r;
}

} // namespace

// The expansion's own result to the last bit, exact zeros included.
TEST(CalcDeterminant, SameResultAsTheCofactorExpansion)
{
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> real(-10, 10);
    std::uniform_int_distribution<int> small(-3, 3);
    for (int s = 1; s <= 7; ++s) {
        for (int trial = 0; trial < 20; ++trial) {
            std::vector<Extended> m(std::size_t(s * s));
            for (Extended& v : m)
                v = trial % 2 ? Extended(real(rng)) / 3 : Extended(small(rng));
            SCOPED_TRACE(testing::Message() << "s=" << s << " trial=" << trial);
            const Extended naive = NaiveDet(m, s);
            const Extended fast = Determinant(m, s);
            EXPECT_EQ(std::memcmp(&naive, &fast, 10), 0) << double(naive) << " " << double(fast);
        }
    }
    // A singular integer matrix comes out exactly 0.
    EXPECT_EQ(Determinant({1, 2, 3, 4, 5, 6, 7, 8, 9}, 3), 0);
}

// 225 arguments: the expansion would take 15! products; the minors take a
// fraction of a second.
TEST_F(CalcFuncsTest, LargestDeterminant)
{
    QStringList cells;
    for (int r = 0; r < 15; ++r)
        for (int c = 0; c < 15; ++c)
            cells << (r == c ? QStringLiteral("2") : (c < r ? QStringLiteral("1") : QStringLiteral("0")));
    const Outcome o = run(QStringLiteral("Det(") + cells.join(',') + QLatin1Char(')'));
    ASSERT_EQ(o.code, 0) << o.message.toStdString();
    EXPECT_EQ(o.value, 32768);
}

TEST(CalcGcd, PlainValues)
{
    EXPECT_EQ(Gcd({12, 18, 8}), 2);
    EXPECT_EQ(Gcd({-4, 6}), 2);
    EXPECT_EQ(Gcd({INT64_MIN, INT64_MIN}), 9223372036854775808.0L);
    EXPECT_EQ(Lcm({4, 6, 8}), 24);
    EXPECT_EQ(Lcm({INT64_MIN, 2}), 9223372036854775808.0L);
    EXPECT_THROW(Lcm({INT64_MIN, 3}), EOverflow);
    EXPECT_THROW(Gcd({5, 0}), EIntDivByZero);
    EXPECT_EQ(Gcd({0, 5}), 5);
    EXPECT_EQ(Lcm({0, 5}), 0);
    EXPECT_EQ(RoundArg(2.5L), 2);
    EXPECT_EQ(RoundArg(3.5L), 4);
    EXPECT_EQ(RoundArg(-2.5L), -2);
    EXPECT_THROW(RoundArg(1e19L), EInvalidOp);
}

// ---------------------------------------------------------------------------
// Registration

TEST_F(CalcFuncsTest, NamesOfBothEvaluators)
{
    struct Case {
        const char* name;
        int category;
        int minArgs, maxArgs;
        const char* description;
        bool inInput;
    } cases[] = {
        {"?", 1, 0, 0, "", false},
        {"M0", 2, 0, 0, "Memoria0", true},
        {"M9", 2, 0, 0, "Memoria9", true},
        {"Rst", 2, 0, 0, "Ultimo resultado", true},
        {"Ans", 2, 0, 0, "Ultimo resultado", false},
        {"Ahora", 2, 0, 0, "Dia y hora del sistema", false},
        {"Now", 2, 0, 0, "Dia y hora del sistema", false},
        {"a", 1, 0, 0, "", false},
        {"z", 1, 0, 0, "", false},
        {"n", 1, 0, 0, "", true},
        {"x", 1, 0, 0, "", true},
        {"Integrar", 4, 3, 4, "Integrar", true},
        {"Evaluar", 4, 2, 2, "Evaluar f(x)", true},
        {"Sumatoria", 4, 3, 3, "Sumatoria", true},
        {"Producto", 4, 3, 3, "Producto", true},
        {"Det", 4, 1, 225, "Determinante", true},
        {"Resolver", 4, 3, 3, "Hallar valor de X", false},
        {"MCD", 4, 2, 255, "Máximo Común Divisor", false},
        {"MCM", 4, 2, 255, "Mínimo Común Mulitplo", false},
        {"Derivar", 4, 2, 2, "Derivar", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromUtf8(c.name);
        const real::TMake* e = main.GetTable()->Find(name);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->Category, c.category);
        EXPECT_EQ(e->MinArgs, c.minArgs);
        EXPECT_EQ(e->MaxArgs, c.maxArgs);
        EXPECT_EQ(e->Description, QString::fromUtf8(c.description));
        EXPECT_EQ(input.GetTable()->Contains(name), c.inInput);
    }
    // Every lower-case letter but e and g is a letter variable.
    for (QChar c : QStringLiteral("abcdfhijklmnopqrstuvwxyz"))
        EXPECT_EQ(main.GetTable()->Find(QString(c))->Category, 1) << c.toLatin1();
    EXPECT_NE(main.GetTable()->Find("e")->Category, 1);
}

TEST_F(CalcFuncsTest, ValuesWithoutArguments)
{
    memories[3] = 7.5L;
    last = 42;
    EXPECT_EQ(run("M3").value, 7.5L);
    EXPECT_EQ(run("Rst+Ans").value, 84);
    EXPECT_EQ(run("Ahora").value, 45000.5L);
    EXPECT_EQ(run("Now").value, 45000.5L);
    input.SetText("M3+Rst");
    EXPECT_EQ(input.Evaluate(), 49.5L);
}

TEST_F(CalcFuncsTest, TheUnknownIsSolvedFor)
{
    main.SetText("2*?=10");
    ASSERT_TRUE(main.DependsOn(solve));
    EXPECT_EQ(main.SolveFor(solve), 5);
}

TEST_F(CalcFuncsTest, InputEvaluatorFunctionsBindTheSameLetters)
{
    letters.answers['x'] = 4;
    input.SetText("Integrar(0,1,x^2)+Sumatoria(1,4,n)+Derivar(1,x^2)+Det(1,2,3,4)+x");
    const Extended v = input.Evaluate();
    EXPECT_FALSE(input.HasError) << input.ErrorMessage.toStdString();
    EXPECT_LE(std::fabs(v - (1.0L / 3 + 10 + 2 - 2 + 4)), 1e-10L);
}

TEST_F(CalcFuncsTest, ReloadedTablesTakeNewRegistrations)
{
    main.AddConstant("kk", "", 1);
    input.AddConstant("kk", "", 1);
    ReloadCalcTables(main, input);
    EXPECT_FALSE(main.GetTable()->Contains("kk"));
    EXPECT_FALSE(input.GetTable()->Contains("kk"));
    EXPECT_FALSE(main.GetTable()->Contains("Integrar"));
    EXPECT_TRUE(main.GetTable()->Contains("sin"));
    TCalcHooks h;
    h.X = letters.cell('x');
    h.N = letters.cell('n');
    RegisterCalcNames(main, input, h);
    main.AddConstant("kk", "", 2);
    input.AddConstant("kk", "", 2);
    EXPECT_EQ(run("Sumatoria(1,2,kk)").value, 4);
    input.SetText("kk");
    EXPECT_EQ(input.Evaluate(), 2);
}

// ---------------------------------------------------------------------------
// Drawing

namespace {

struct DrawCase {
    const char* text;
    TSignKind kind;
    QString sign;
    bool dx;
};

} // namespace

TEST_F(CalcFuncsTest, BigSignsAreDrawnWithTheirBounds)
{
    const DrawCase cases[] = {
        {"Sumatoria(1,4,n)", TSignKind::Sumatoria, QString(QChar(229)), false},
        {"Producto(1,4,n)", TSignKind::Producto, QStringLiteral("P"), false},
        {"Integrar(0,1,x)", TSignKind::Integrar, QString(QChar(242)), true},
        {"Integrar(0,1,8,x)", TSignKind::Integrar, QString(QChar(242)), true},
    };
    const int size = 20;
    for (const DrawCase& c : cases) {
        SCOPED_TRACE(c.text);
        main.SetText(QString::fromLatin1(c.text));
        real::TEval* node = main.Root;
        ASSERT_NE(node, nullptr);
        FakeCanvas canvas;
        int w = 0, a = 0, b = 0;
        MeasureSign(c.kind, node, canvas, size, w, a, b);
        // The sign: one Symbol character, bold, 5/3 of the size high (a cell
        // height), over a clear background.
        const int signH = size * 5 / 3;
        int ow = 0, oa = 0, ob = 0;
        node->Children.back()->Measure(canvas, size, ow, oa, ob);
        int uw = 0, ua = 0, ub = 0;
        node->Children[1]->Measure(canvas, size / 2, uw, ua, ub);
        const int column = std::max(canvas.charWidth(), uw);
        EXPECT_GE(w, column + ow + (c.dx ? 2 * canvas.charWidth() : 0));
        EXPECT_EQ(a, std::max(signH / 2 + ua + ub, oa));
        EXPECT_GE(b, signH / 2);

        FakeCanvas draw;
        DrawSign(c.kind, node, draw, 10, 5, size);
        const QList<FakeCanvas::DrawnText> texts = draw.texts();
        int signs = 0;
        for (const FakeCanvas::DrawnText& t : texts) {
            if (t.text == c.sign && t.font.Name == QStringLiteral("Symbol")) {
                ++signs;
                EXPECT_EQ(t.font.Style, TFontStyles(fsBold));
                EXPECT_EQ(t.font.Height, signH);
                EXPECT_EQ(t.brush.Style, bsClear);
                // Its middle on the node's axis.
                EXPECT_EQ(t.y + signH / 2, 5 + a);
            }
        }
        EXPECT_EQ(signs, 1);
        bool dxSeen = false;
        for (const FakeCanvas::DrawnText& t : texts)
            if (t.text == QStringLiteral("dx")) {
                dxSeen = true;
                EXPECT_EQ(t.font.Name, QStringLiteral("Times New Roman"));
                EXPECT_EQ(t.font.Style, TFontStyles(fsItalic));
                EXPECT_EQ(t.font.Height, -size);
            }
        EXPECT_EQ(dxSeen, c.dx);
    }
}

// "n=1" under a sum: the letter, the sign and the bound on one line.
TEST_F(CalcFuncsTest, TheLowerBoundIsOneLine)
{
    for (const char* text : {"Sumatoria(1,4,n)", "Producto(1,4,n)"}) {
        SCOPED_TRACE(text);
        main.SetText(QString::fromLatin1(text));
        FakeCanvas draw;
        DrawSign(TSignKind::Sumatoria, main.Root, draw, 10, 5, 20);
        int letterY = -1, signY = -1, boundY = -1;
        for (const FakeCanvas::DrawnText& t : draw.texts()) {
            if (t.text == QStringLiteral("n") && t.font.Height == -10)
                letterY = t.y;
            else if (t.text == QStringLiteral("="))
                signY = t.y;
            else if (t.text == QStringLiteral("1"))
                boundY = t.y;
        }
        ASSERT_GE(letterY, 0);
        EXPECT_EQ(signY, letterY);
        EXPECT_EQ(boundY, letterY);
    }
}

// The registered procedures reach the engine's picture of the formula.
TEST_F(CalcFuncsTest, PictureOfTheWholeFormula)
{
    struct Case {
        const char* text;
        QStringList expected;   // texts that appear, in drawing order
    } cases[] = {
        {"Sumatoria(1,4,n^2)", {"4", QString(QChar(229)), "n", "1"}},
        {"Producto(1,3,n)", {"3", "P", "n", "1"}},
        {"Integrar(0,2,x)", {"2", QString(QChar(242)), "0", "x", "dx"}},
    };
    FixedWidthMetrics metrics;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        main.SetText(QString::fromLatin1(c.text));
        const std::unique_ptr<FormulaPicture> pic = main.DrawToMetafile(&metrics);
        ASSERT_NE(pic, nullptr);
        QStringList texts;
        for (const PictureOp& op : pic->ops())
            if (auto t = std::get_if<pictureop::Text>(&op))
                texts << t->text;
        int from = 0;
        for (const QString& e : c.expected) {
            const int at = int(texts.indexOf(e, from));
            EXPECT_GE(at, 0) << e.toStdString() << " in " << texts.join('|').toStdString();
            if (at >= 0)
                from = at + 1;
        }
    }
}
