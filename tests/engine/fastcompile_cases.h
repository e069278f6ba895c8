#pragma once
// The linear compile path against the splitter, in the three engines: every
// text compiled both ways gives the same tree (compared node by node, with its
// sharing), the same codes and messages, and the same value or fault. Texts:
// the golden files' expressions, the fuzz corpus, generated texts (well formed
// and mangled), and long texts the splitter refuses. The cases are written
// once and each engine's program file instantiates them (test_fastcompile_*.cpp),
// so that the three engines compile side by side.
#include "support/fixtures.h"
#include "support/testsupport.h"

#include "fuzz/bothways.h"
#include "golden.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <map>
#include <random>
#include <string>

namespace {

using bothways::Complex;
using bothways::Compiled;
using bothways::CompileOnce;
using bothways::Rational;
using bothways::Real;
using bothways::Seen;

// Compiles `text` both ways on `e` and reports any difference.
template <class E>
Seen CompareBothWays(typename E::Expr& e, const QString& text)
{
    SCOPED_TRACE(std::string(E::kName) + ": " + text.left(200).toStdString());
    const Seen seen = bothways::Compare<E>(e, text);
    EXPECT_EQ(seen.difference, "");
    return seen;
}

// ---------------------------------------------------------------------------
// The texts.

// The expression lines of an engine's golden files, with the names their
// "#var" and "#fun" lines define registered on `e` as they come.
template <class E>
int CompareGoldenFiles(typename E::Expr& e)
{
    int compared = 0;
    const QString pattern = QString::fromLatin1(E::kName) + QStringLiteral("_*.txt");
    const QStringList files = QDir(testDataDir()).entryList({pattern}, QDir::Files, QDir::Name);
    EXPECT_FALSE(files.isEmpty()) << testDataDir().toStdString();
    std::map<QString, bool> known;
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        // The input lines: directives and expressions, each expected answer left out.
        for (const QString& line : golden::ReadGolden(testDataDir() + name).input) {
            if (line.startsWith(QLatin1String("#var "))) {
                const QString n = line.mid(5).section(QLatin1Char(' '), 0, 0);
                if (!known[n.toUpper()]) {
                    known[n.toUpper()] = true;
                    E::AddVariable(e, n, line.mid(5).section(QLatin1Char(' '), 1));
                }
                continue;
            }
            if (line.startsWith(QLatin1String("#fun "))) {
                if constexpr (!std::is_same_v<E, Rational>) {
                    const QString args = line.mid(5);
                    try {
                        e.AddUserFunction(args.section(QLatin1Char(' '), 0, 0), args.section(QLatin1Char(' '), 1),
                                          QString());
                    } catch (const Exception&) {
                    }
                }
                continue;
            }
            if (line.startsWith(QLatin1Char('#')))
                continue;   // another directive of the driver
            CompareBothWays<E>(e, line);
            ++compared;
        }
    }
    return compared;
}

// The committed fuzz corpus of the engine, read as the fuzz targets read it.
template <class E>
int CompareCorpus(typename E::Expr& e)
{
    const QDir dir(testDataDir() + QStringLiteral("../fuzz/corpus/") + QString::fromLatin1(E::kName));
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    EXPECT_FALSE(files.isEmpty()) << dir.path().toStdString();
    for (const QString& name : files) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        QString text = QString::fromLatin1(f.readAll());
        if (text.startsWith(QLatin1String("maxden=")))
            text = text.mid(text.indexOf(QLatin1Char('\n')) + 1);
        CompareBothWays<E>(e, text);
    }
    return static_cast<int>(files.size());
}

// Random texts over the pieces expressions are made of: well formed ones, and
// the same with characters dropped, doubled or exchanged.
class TextMaker {
public:
    explicit TextMaker(std::uint32_t seed) : m_rng(seed) {}

    QString expression(int depth = 0)
    {
        if (depth > 3)
            return atom();
        const int kind = pick(9);
        switch (kind) {
        case 0: return expression(depth + 1) + op() + expression(depth + 1);
        case 1: return QStringLiteral("(") + expression(depth + 1) + QStringLiteral(")");
        case 2: return QStringLiteral("-") + expression(depth + 1);
        case 3: return atom();
        case 4: return call(depth);
        case 5: return atom() + QStringLiteral("^") + (pick(2) ? QStringLiteral("-") : QString()) + atom();
        case 6: return expression(depth + 1) + comparison() + expression(depth + 1);
        case 7: return number() + pick({"x", "pi", "(x+1)", "sin(x)", "v"});
        default: return expression(depth + 1) + op() + atom();
        }
    }

    QString mangled(QString text)
    {
        const int edits = 1 + pick(3);
        static const char* const pieces[] = {"(", ")", "-", "+", "*", "^", ",", "'", "<", "=", "|", "e", "%", "!"};
        for (int k = 0; k < edits && !text.isEmpty(); ++k) {
            const int at = pick(static_cast<int>(text.size()));
            switch (pick(3)) {
            case 0: text.remove(at, 1); break;
            case 1: text.insert(at, text[at]); break;
            default: text.insert(at, QString::fromLatin1(pieces[pick(std::size(pieces))])); break;
            }
        }
        return text;
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    QString pick(std::initializer_list<const char*> items)
    {
        return QString::fromLatin1(items.begin()[pick(static_cast<int>(items.size()))]);
    }
    QString op() { return pick({"+", "-", "*", "/", "^", "*-", "+-", "\\", "&", "$"}); }
    QString comparison() { return pick({"<", ">", "=", "<=", ">=", "<>", "=="}); }
    QString number() { return pick({"2", "3", "0", "1.5", "1e-3", "2E+2", "3|4", "1|1|2", "FF[16]", "h1F", "10"}); }
    QString atom()
    {
        switch (pick(4)) {
        case 0: return number();
        case 1: return pick({"x", "y", "v", "pi", "e", "?", "x2", "w"});
        case 2: return pick({"50%", "'aviso'", "sqr(2)", "x%"});
        default: return number() + pick({"x", "v", "pi", ""});
        }
    }
    QString call(int depth)
    {
        const QString name = pick({"sin", "sqr", "Max", "Si", "Raiz", "abs", "ln", "f", "Sumatoria", ""});
        QString args = expression(depth + 1);
        for (int n = pick(3); n > 0; --n)
            args += QStringLiteral(",") + expression(depth + 1);
        return name + QStringLiteral("(") + args + QStringLiteral(")");
    }

    std::mt19937 m_rng;
};

template <class E>
class FastCompileTest : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        exprcore::fastCompile().reset();
        E::SetUp(e);
        for (const char* n : {"x", "y", "v", "w", "n"})
            E::AddVariable(e, QString::fromLatin1(n), QStringLiteral("0.75"));
        if constexpr (!std::is_same_v<E, Rational>) {
            e.AddUserFunction(QStringLiteral("f"), QStringLiteral("?A*2+?B"), QString());
            e.AddUserFunction(QStringLiteral("g"), QStringLiteral("f(?A,1)^2"), QString());
        }
    }
    void TearDown() override
    {
        exprcore::fastCompile().reset();
        CoreStateTest::TearDown();
    }
    typename E::Expr e;
};

struct EngineNames {
    template <class E>
    static std::string GetName(int) { return E::kName; }
};
TYPED_TEST_SUITE_P(FastCompileTest);

TYPED_TEST_P(FastCompileTest, GoldenFilesCompileAlikeBothWays)
{
    EXPECT_GT(CompareGoldenFiles<TypeParam>(this->e), 20);
}

TYPED_TEST_P(FastCompileTest, FuzzCorpusCompilesAlikeBothWays)
{
    EXPECT_GT(CompareCorpus<TypeParam>(this->e), 0);
}

TYPED_TEST_P(FastCompileTest, GeneratedTextsCompileAlikeBothWays)
{
    TextMaker maker(20260518);
    int compiled = 0, answered = 0;
    for (int i = 0; i < 1500; ++i) {
        const QString text = maker.expression();
        const Seen seen = CompareBothWays<TypeParam>(this->e, text);
        compiled += seen.compiled;
        answered += seen.answered;
        CompareBothWays<TypeParam>(this->e, maker.mangled(text));
        if (::testing::Test::HasFailure())
            return;
    }
    // The linear path answers nearly every text the splitter compiles.
    EXPECT_GT(compiled, 300);
    EXPECT_GE(answered * 100, compiled * 95) << answered << " of " << compiled;
}

// Texts the linear path must answer itself, each also compiled by the splitter.
TYPED_TEST_P(FastCompileTest, TypicalTextsTakeTheLinearPath)
{
    QStringList texts = {
        "1+2*3",      "2^3^2",      "2^-1",      "-2^2",         "10-4-3",     "-x-y*2",  "1+2*-3",
        "x*-1/2",     "(1+2)*(x-3)", "((x))",    "sqr(x)^2+2",   "2x^2",       "2(x+1)",  "2sqr(x)",
        "x<y",        "x<=y+1",     "1e-3*x",    "x^2^-1",       "a:x+1;a*a",  "'aviso'", "sqrt(2)",
        "1.5*2",      "--2",        "x=y",       "sqr(x-1)",
    };
    if constexpr (std::is_same_v<TypeParam, Real>)
        texts << "Max(1,x,3)" << "Si(x>0,'a','b')" << "x%" << "f(x,2)+g(1)" << "x&y$1" << "2£8" << "3|4x";
    if constexpr (std::is_same_v<TypeParam, Complex>)
        texts << "sin(x)^2+2" << "f(x,2)+g(1)" << "2£8";
    if constexpr (std::is_same_v<TypeParam, Rational>)
        texts << "3|4*x" << "1|1|2+x" << "x&y" << "1<2<3"
              // Found by fuzzing: seconds in the splitter alone.
              << "444544x\\1<4>=x\\1<4>=13>=1<4>=544x\\1<4>=x\\1<4>=13>=1<4>=13443>=1\\544x\\1<4>=13>=1<4>13>=1<4>="
                 "134x=13>=1<4>13>=1<4>=134x\\34x\\313443>=1\\544x\\1<4>=13>=1<4>13>=1<4>=134x=13>=1<4>13>=1<4>="
                 "134x\\34x\\3>=1\\44\\5";
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_TRUE(CompareBothWays<TypeParam>(this->e, text).answered);
    }
}

// A definition defined by a compile the linear path gives up is not kept
// twice: the splitter defines it again from the text.
TYPED_TEST_P(FastCompileTest, GivenUpCompilesLeaveNoDefinitions)
{
    const QString text = QStringLiteral("a:x+1;b:a*2;b+q");   // q is unknown
    Compiled<TypeParam> out;
    CompileOnce<TypeParam>(this->e, text, true, out);
    EXPECT_EQ(out.tree, nullptr);
    EXPECT_EQ(this->e.SubExpressions.size(), 2u);
    EXPECT_EQ(this->e.SubExpressionIndex.size(), 2);
    CompareBothWays<TypeParam>(this->e, text);
}

// Long texts: the linear path answers them (the splitter refuses most of
// them); where the splitter does answer, both agree.
TYPED_TEST_P(FastCompileTest, LongTextsCompileOnTheLinearPath)
{
    auto& e = this->e;
    QString sum = QStringLiteral("x*2");
    for (int i = 1; i < 10000; ++i)
        sum += QStringLiteral("+x*%1").arg(i % 97 + 2);
    QString nested;
    for (int i = 0; i < 1000; ++i)
        nested += QStringLiteral("(1+");
    nested += QStringLiteral("1") + QString(1000, QLatin1Char(')'));
    for (const QString& text : {sum, nested}) {
        SCOPED_TRACE(text.left(40).toStdString());
        const std::uint64_t before = exprcore::fastCompile().Answered;
        Compiled<TypeParam> out;
        CompileOnce<TypeParam>(e, text, true, out);
        EXPECT_NE(out.tree, nullptr) << out.raised << out.message.toStdString();
        EXPECT_EQ(exprcore::fastCompile().Answered, before + 1);
    }
    // Within the splitter's reach, both ways agree.
    CompareBothWays<TypeParam>(e, sum.left(2000).section(QLatin1Char('+'), 0, -2));
    QString shallow;
    for (int i = 0; i < 100; ++i)
        shallow += QStringLiteral("(1+");
    CompareBothWays<TypeParam>(e, shallow + QStringLiteral("x") + QString(100, QLatin1Char(')')));
}

REGISTER_TYPED_TEST_SUITE_P(FastCompileTest, GoldenFilesCompileAlikeBothWays, FuzzCorpusCompilesAlikeBothWays,
                            GeneratedTextsCompileAlikeBothWays, TypicalTextsTakeTheLinearPath,
                            GivenUpCompilesLeaveNoDefinitions, LongTextsCompileOnTheLinearPath);

} // namespace
