// Sequences by recurrence without the window: the lag found by probing, the
// two forms "Sn=" and "Sn+1=", detailed and batch runs with their report
// lines, errors of the recurrence and of f, g, h, the stop condition that does
// not compile, the drawing of the terms, suce.ini and the sumbrix-eval line.
#include "tools/sucesiones/sucesion.h"

#include "engine/real/builtins_math.h"
#include "fakecanvas.h"
#include "foundation/core/directives.h"
#include "support/fixtures.h"

void RegisterDirectives_tool_sucesiones();

namespace {

using SequenceTest = CoreStateTest;
using SuceFileTest = CoreExeDirTest;

// Compiles a recurrence and its stop condition, probes and sets the initial
// terms; the lag must be `lag`.
void Prepare(TSucesion& s, int shift, const QString& recurrence, const QString& stop, std::vector<Extended> initial,
             int lag, const TSucesion::TTexts& functions = {})
{
    s.Shift = shift;
    TSucesion::TTexts t = functions;
    t[TSucesion::kS] = recurrence;
    t[TSucesion::kP] = stop;
    s.CompileAll(t);
    ASSERT_EQ(s.ProbeLag(), lag);
    ASSERT_EQ(static_cast<int>(s.N), lag);
    for (int i = 1; i <= lag; ++i)
        s.SetInitial(i, initial.at(static_cast<size_t>(i - 1)));
}

QStringList Lines(std::initializer_list<std::pair<int, const char*>> terms)
{
    QStringList out;
    for (const auto& [i, v] : terms)
        out << QStringLiteral("S(%1)=\t%2").arg(i).arg(QString::fromUtf8(v));
    return out;
}

TEST_F(SequenceTest, CreationMakesComparisonsExact)
{
    real::engineState().EqualityTolerance = 1e-15L;
    TSucesion s;
    EXPECT_EQ(real::engineState().EqualityTolerance, 0);
    EXPECT_EQ(s.P.GetTable(), s.S.GetTable());
}

TEST_F(SequenceTest, BothFormsGiveTheSameSequence)
{
    struct Case {
        int shift;
        const char* recurrence;
        int last;   // "n" of the longer form is the index before the new term
    } cases[] = {{0, "S1+S2", 10}, {1, "Sn+S1", 11}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recurrence);
        TSucesion s;
        Prepare(s, c.shift, QString::fromUtf8(c.recurrence), QStringLiteral("n>=10"), {1, 1}, 2);
        QStringList lines;
        EXPECT_EQ(s.RunDetailed(lines), TSucesion::TRunEnd::Stopped);
        QStringList expected =
            Lines({{3, "2"}, {4, "3"}, {5, "5"}, {6, "8"}, {7, "13"}, {8, "21"}, {9, "34"}, {10, "55"}, {11, "89"}});
        expected = expected.mid(0, c.last - 2);
        EXPECT_EQ(lines, expected) << lines.join('|').toStdString();
        EXPECT_TRUE(s.ClosingLines(true, TSucesion::TRunEnd::Stopped).isEmpty());
    }
}

TEST_F(SequenceTest, LagOfEachForm)
{
    struct Case {
        int shift;
        const char* recurrence;
        int lag;
    } cases[] = {
        {0, "n^2", 0},          {1, "n^2", 1},        {0, "Sn+1", 0},       {0, "S3*2", 3},
        {1, "S3*2", 4},         {0, "S9", 9},         {1, "S9", 10},        {0, "f(S4)", 4},
        {0, "Si(n<0,S5,S1)", 1},   // only the branch the probe reaches counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recurrence);
        TSucesion s;
        s.Shift = c.shift;
        s.CompileAll({QStringLiteral("x"), {}, {}, QString::fromUtf8(c.recurrence), {}});
        EXPECT_EQ(s.ProbeLag(), c.lag);
    }
}

TEST_F(SequenceTest, TermsAndIndexInEachForm)
{
    // "Sn=" with no earlier term: S(1) is the first term computed.
    TSucesion a;
    Prepare(a, 0, QStringLiteral("n^2"), QStringLiteral("n>=4"), {}, 0);
    QStringList lines;
    a.RunDetailed(lines);
    EXPECT_EQ(lines, Lines({{1, "1"}, {2, "4"}, {3, "9"}, {4, "16"}}));
    // "Sn+1=": n is the index of the term before the one computed.
    TSucesion b;
    Prepare(b, 1, QStringLiteral("Sn+n"), QStringLiteral("n>=4"), {10}, 1);
    lines.clear();
    b.RunDetailed(lines);
    EXPECT_EQ(lines, Lines({{2, "11"}, {3, "13"}, {4, "16"}, {5, "20"}}));
}

TEST_F(SequenceTest, NinthEarlierTermOfTheLongerFormHasItsPlace)
{
    // S(n+1) = S(n-9): the term ten steps back, which the history keeps.
    TSucesion s;
    Prepare(s, 1, QStringLiteral("S9+0*Sn"), QStringLiteral("n>=13"), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 10);
    QStringList lines;
    s.RunDetailed(lines);
    EXPECT_EQ(lines, Lines({{11, "1"}, {12, "2"}, {13, "3"}, {14, "4"}}));
}

TEST_F(SequenceTest, DetailedRunsStopAtTheirLimit)
{
    TSucesion s;
    Prepare(s, 0, QStringLiteral("S1+1"), QString(), {1}, 1);
    EXPECT_EQ(s.P.Text, QStringLiteral("-1"));
    QStringList lines;
    EXPECT_EQ(s.RunDetailed(lines), TSucesion::TRunEnd::Limit);
    EXPECT_EQ(lines.size(), 999);
    EXPECT_EQ(lines.last(), QStringLiteral("S(1000)=\t1000"));
    // Continuing from n = 1000 computes 1000 more.
    lines.clear();
    EXPECT_EQ(s.RunDetailed(lines), TSucesion::TRunEnd::Limit);
    EXPECT_EQ(lines.size(), 1000);
    EXPECT_EQ(lines.last(), QStringLiteral("S(2000)=\t2000"));
}

TEST_F(SequenceTest, BatchRunsReportTheLastTerms)
{
    TSucesion s;
    Prepare(s, 0, QStringLiteral("S1+S2"), QStringLiteral("n>=30"), {0, 1}, 2);
    EXPECT_EQ(s.RunBatch({}), TSucesion::TRunEnd::Stopped);
    EXPECT_EQ(s.N, 30u);
    EXPECT_EQ(s.ClosingLines(false, TSucesion::TRunEnd::Stopped),
              Lines({{23, "17711"}, {24, "28657"}, {25, "46368"}, {26, "75025"}, {27, "121393"}, {28, "196418"},
                     {29, "317811"}, {30, "514229"}}));
    // Only terms past the initial ones are listed again.
    TSucesion t;
    Prepare(t, 0, QStringLiteral("S1+1"), QStringLiteral("n>=4"), {1}, 1);
    t.RunBatch({});
    EXPECT_EQ(t.ClosingLines(false, TSucesion::TRunEnd::Stopped), Lines({{2, "2"}, {3, "3"}, {4, "4"}}));
}

TEST_F(SequenceTest, BatchRunWithoutStopEndsWhenCancelled)
{
    TSucesion s;
    Prepare(s, 0, QStringLiteral("S1+1"), QString(), {0}, 1);
    int asked = 0;
    EXPECT_EQ(s.RunBatch([&asked] { return ++asked == 3; }), TSucesion::TRunEnd::Cancelled);
    EXPECT_EQ(s.N, 1u + 3 * TSucesion::kBatch);
    EXPECT_EQ(s.ClosingLines(false, TSucesion::TRunEnd::Cancelled).last(), QStringLiteral("S(964)=\t963"));
}

// A stop condition that cannot be evaluated does not count as false: the run
// ends there with its message, in both modes.
TEST_F(SequenceTest, AStopConditionThatFailsEndsTheRun)
{
    TSucesion s;
    Prepare(s, 0, QStringLiteral("S1+1"), QStringLiteral("10^(Sn*1000)<0"), {1}, 1);
    QStringList lines;
    EXPECT_EQ(s.RunDetailed(lines), TSucesion::TRunEnd::StopFailed);
    EXPECT_EQ(s.N, 5u);
    EXPECT_EQ(s.ClosingLines(true, TSucesion::TRunEnd::StopFailed),
              QStringList{QStringLiteral("Condición de parada en n=5:\tDesbordamiento: resultado demasiado grande")});

    TSucesion b;
    Prepare(b, 0, QStringLiteral("S1+1"), QStringLiteral("10^(Sn*1000)<0"), {1}, 1);
    int batches = 0;
    EXPECT_EQ(b.RunBatch([&batches] { return ++batches == 3; }), TSucesion::TRunEnd::StopFailed);
    EXPECT_EQ(b.N, 5u);
    EXPECT_EQ(batches, 0);
}

// A stop condition that ends in an operator does not compile: it is "-1".
TEST_F(SequenceTest, AStopConditionEndingInAnOperatorNeverStops)
{
    for (const char* stop : {"n>=", "n>", "1>=", "n<>", "n="}) {
        SCOPED_TRACE(stop);
        TSucesion s;
        Prepare(s, 0, QStringLiteral("n"), QString::fromUtf8(stop), {}, 0);
        QStringList lines;
        EXPECT_EQ(s.RunDetailed(lines), TSucesion::TRunEnd::Limit);
        EXPECT_EQ(lines.size(), 1000);
    }
}

TEST_F(SequenceTest, ErrorsEndTheRunWithTheirMessage)
{
    struct Case {
        const char* recurrence;
        const char* f;
        bool detailed;
        QStringList lines;
        QStringList closing;
    } cases[] = {
        {"1/(n-3)", "", true, Lines({{1, "-0.5"}, {2, "-1"}}), {"S(3)=\tDivisión por cero"}},
        // A fault of f is the recurrence's fault, not a stale value.
        {"f(n-2)", "1/x", true, Lines({{1, "-1"}}), {"S(2)=\tDivisión por cero"}},
        {"1/(n-3)", "", false, {}, Lines({{1, "-0.5"}, {2, "-1"}}) << QStringLiteral("S(3)=\tDivisión por cero")},
        {"2+", "", true, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recurrence);
        TSucesion s;
        Prepare(s, 0, QString::fromUtf8(c.recurrence), QStringLiteral("n>100"), {}, 0,
                {QString::fromUtf8(c.f), {}, {}, {}, {}});
        QStringList lines;
        const auto end = c.detailed ? s.RunDetailed(lines) : s.RunBatch({});
        EXPECT_EQ(end, TSucesion::TRunEnd::Failed);
        EXPECT_EQ(lines, c.lines);
        const QStringList closing = s.ClosingLines(c.detailed, end);
        if (c.closing.isEmpty()) {
            // A recurrence that does not compile: its syntax message.
            ASSERT_EQ(closing.size(), 1);
            EXPECT_TRUE(closing[0].startsWith(QStringLiteral("S(1)=\t"))) << closing[0].toStdString();
            EXPECT_GT(closing[0].size(), 6);
        } else {
            EXPECT_EQ(closing, c.closing);
        }
    }
}

TEST_F(SequenceTest, FunctionsAndTheirNewDefinitions)
{
    TSucesion s;
    Prepare(s, 0, QStringLiteral("f(n)+g(1)+h(2)"), QStringLiteral("n>=2"), {}, 0,
            {QStringLiteral("x*2"), QStringLiteral("x+1"), QStringLiteral("x^3"), {}, {}});
    QStringList lines;
    s.RunDetailed(lines);
    EXPECT_EQ(lines, Lines({{1, "12"}, {2, "14"}}));
    // The same recurrence text after f changed: f(2) is not kept from before.
    TSucesion t;
    Prepare(t, 0, QStringLiteral("f(2)"), QStringLiteral("n>=1"), {}, 0, {QStringLiteral("x"), {}, {}, {}, {}});
    lines.clear();
    t.RunDetailed(lines);
    EXPECT_EQ(lines, Lines({{1, "2"}}));
    Prepare(t, 0, QStringLiteral("f(2)"), QStringLiteral("n>=1"), {}, 0, {QStringLiteral("x*10"), {}, {}, {}, {}});
    lines.clear();
    t.RunDetailed(lines);
    EXPECT_EQ(lines, Lines({{1, "20"}}));
}

TEST_F(SequenceTest, CompilingReportsWhatCompiledAndRaisesUnknownNames)
{
    TSucesion s;
    const auto ok = s.CompileAll({QStringLiteral("x+1"), QString(), QString(), QStringLiteral("S1"), QString()});
    EXPECT_EQ(ok, (std::array<bool, 5>{true, false, false, true, false}));
    EXPECT_EQ(s.P.Text, QStringLiteral("-1"));
    // A stop condition that ends in an operator is an ordinary compile error: "-1".
    const auto ok2 = s.CompileAll({QStringLiteral("x+2"), {}, {}, QStringLiteral("S1"), QStringLiteral("n>")});
    EXPECT_FALSE(ok2[TSucesion::kP]);
    EXPECT_EQ(s.P.Text, QStringLiteral("-1"));
    EXPECT_EQ(s.F.Text, QStringLiteral("x+2"));
    EXPECT_THROW(s.CompileAll({QStringLiteral("x*3"), {}, {}, QStringLiteral("zz+S1"), {}}), real::ECompilacion);
    EXPECT_EQ(s.F.Text, QStringLiteral("x*3"));
    // "x" belongs to f, g and h only.
    EXPECT_THROW(s.CompileAll({QString(), QString(), QString(), QStringLiteral("x"), QString()}), real::ECompilacion);
}

TEST_F(SequenceTest, DrawingOfTheTerms)
{
    TSucesion s;
    s.CompileAll({QStringLiteral("x"), {}, {}, QStringLiteral("S3"), {}});
    FakeCanvas c(8);
    int w = 0, a = 0, b = 0;
    s.S.Root->Measure(c, 24, w, a, b);
    EXPECT_EQ(w, 8 + 3 * 8);   // "S" and the widest subscript "n-2"
    EXPECT_EQ(a, 12);
    EXPECT_EQ(b, 12);
    s.S.Root->Draw(c, 0, 0, 24);
    const auto texts = c.texts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0].text, QStringLiteral("S"));
    EXPECT_EQ(texts[1].text, QStringLiteral("n-3"));
    EXPECT_EQ(texts[1].x, 8);
    EXPECT_EQ(texts[1].y, 8);
    EXPECT_EQ(texts[1].font.Height, -16);

    s.CompileAll({QStringLiteral("x"), {}, {}, QStringLiteral("f(Sn)"), {}});
    FakeCanvas d(8);
    s.S.Root->Draw(d, 0, 0, 24);
    const auto drawn = d.texts();
    ASSERT_FALSE(drawn.isEmpty());
    EXPECT_EQ(drawn[0].text, QStringLiteral("f"));
    EXPECT_TRUE(drawn[0].font.Style & fsBold);
    EXPECT_NE(s.S.DrawToMetafile(), nullptr);
}

TEST_F(SuceFileTest, SaveLoadListAndErase)
{
    TDefinicion d;
    d.Comments = QStringList{"Fibonacci", "cada término suma los dos anteriores"};
    d.Texts = {QStringLiteral("x"), QString(), QString(), QStringLiteral("S1+S2"), QStringLiteral("n>=10")};
    d.ShiftText = QStringLiteral("0");
    TSuceFile::Save(QStringLiteral("Fibo"), d);
    TSuceFile::Save(TSuceFile::kState, d);
    d.Comments.clear();
    d.ShiftText = QStringLiteral("1");
    TSuceFile::Save(QStringLiteral("Otra"), d);
    EXPECT_EQ(TSuceFile::Names(), (QStringList{"Fibo", "Otra"}));
    const TDefinicion back = TSuceFile::Load(QStringLiteral("Fibo"));
    EXPECT_EQ(back.Comments, (QStringList{"Fibonacci", "cada término suma los dos anteriores"}));
    EXPECT_EQ(back.Texts[TSucesion::kS], QStringLiteral("S1+S2"));
    EXPECT_EQ(back.Texts[TSucesion::kG], QString());
    EXPECT_EQ(back.ShiftText, QStringLiteral("0"));
    EXPECT_TRUE(TSuceFile::Load(QStringLiteral("Otra")).Comments.isEmpty());
    const QByteArray file = get(QStringLiteral("suce.ini"));
    EXPECT_TRUE(file.contains("[Fibo]\r\nCant=8\r\n1=Fibonacci\r\n")) << file.toStdString();
    EXPECT_TRUE(file.contains("cada t\xe9rmino")) << "Windows-1252";
    TSuceFile::Erase(QStringLiteral("Fibo"));
    EXPECT_EQ(TSuceFile::Names(), QStringList{"Otra"});
    EXPECT_TRUE(TSuceFile::Exists(TSuceFile::kState));
}

TEST_F(SuceFileTest, ShortSectionsAreReportedNotRead)
{
    put(QStringLiteral("suce.ini"), "[Corta]\r\nCant=3\r\n1=x\r\n2=S1\r\n3=0\r\n[Vacia]\r\n");
    for (const char* name : {"Corta", "Vacia", "NoExiste"}) {
        SCOPED_TRACE(name);
        try {
            TSuceFile::Load(QString::fromUtf8(name));
            ADD_FAILURE() << "loaded";
        } catch (const Exception& e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("La definición \"") + QString::fromUtf8(name)))
                << e.message().toStdString();
        }
    }
}

TEST_F(SequenceTest, ShiftText)
{
    EXPECT_EQ(ParseShift(QStringLiteral("1")), 1);
    EXPECT_EQ(ParseShift(QStringLiteral("0")), 0);
    EXPECT_EQ(ParseShift(QStringLiteral("7")), 0);
    EXPECT_THROW(ParseShift(QStringLiteral("uno")), EConvertError);
}

TEST_F(SequenceTest, Directive)
{
    EvalDirectives().clear();
    RegisterDirectives_tool_sucesiones();
    struct Case {
        const char* line;
        const char* answer;
    } cases[] = {
        {"#sequence\tSn=\tS1+S2\tn>=6\t1 1", "S(1)=\t1 ; S(2)=\t1 ; S(3)=\t2 ; S(4)=\t3 ; S(5)=\t5 ; S(6)=\t8"},
        {"#sequence\tSn+1=\tf(Sn)\tn>=3\t2\tx^2", "S(1)=\t2 ; S(2)=\t4 ; S(3)=\t16 ; S(4)=\t256"},
        {"#sequence\tSn=\tn\tn>=2\t", "S(1)=\t1 ; S(2)=\t2"},
        {"#sequence\tSn=\t1/(n-2)\t\t", "S(1)=\t-1 ; S(2)=\tDivisión por cero"},
        {"#sequence\tSn=\tS1+S2\tn>=6\t1", "Excepción: Falta el valor de S(2)"},
        {"#sequence\tSn+2=\tS1\t\t1", "Excepción: La forma debe ser \"Sn=\" o \"Sn+1=\""},
        {"#sequence\tSn=\tS1+1\t10^(Sn*1000)<0\t1",
         "S(1)=\t1 ; S(2)=\t2 ; S(3)=\t3 ; S(4)=\t4 ; S(5)=\t5 ; "
         "Condición de parada en n=5:\tDesbordamiento: resultado demasiado grande"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        QString answer;
        ASSERT_TRUE(RunEvalDirective(QString::fromUtf8(c.line), answer));
        EXPECT_EQ(answer, QString::fromUtf8(c.answer));
    }
    EvalDirectives().clear();
}

} // namespace
