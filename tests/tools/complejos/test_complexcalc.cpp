// The complex-number tool's calculation without its window: z, |z| and arg(z)
// in each angle unit, solving for "?", the letters, the user's definitions of
// real.duf (in file order, a faulty line left out), and a text that does not
// compile after the live drawing has compiled it silently.
#include "tools/complejos/complexcalc.h"

#include "support/fixtures.h"
#include "tools/fracciones/scriptedletters.h"
#include "support/recordingsink.h"

#include <deque>

using complex::TComplex;

namespace {

class ComplexCalcTest : public CoreExeDirTest {
protected:
    void SetUp() override
    {
        CoreExeDirTest::SetUp();
        complex::StartUp();
        complex::messageHook() = exprcore::ShowAsMessageBox;
        Basicos().Messages = &sink;
        calc = std::make_unique<TComplexCalc>();
        calc->Prompt = letters.Prompt();
    }
    QString z(const char* text, std::uint8_t angle = 0)
    {
        const auto out = calc->Calculate(QString::fromUtf8(text), angle);
        return out.Compiled ? out.Z : QStringLiteral("<no compila>");
    }

    RecordingSink sink;
    std::unique_ptr<TComplexCalc> calc;
    ScriptedLetters letters;
    QStringList& prompts = letters.prompts;
    std::deque<QString>& answers = letters.answers;
};

TEST_F(ComplexCalcTest, ResultFields)
{
    struct Case {
        const char* text;
        std::uint8_t angle;
        const char* z;
        const char* modulus;
        const char* argument;
    } cases[] = {
        {"(3+4i)*(1-2i)", 1, "11 -2i", "11.18034", "-10.304846"},
        {"i", 0, "i", "1", "1.5707963"},
        {"i", 1, "i", "1", "90"},
        {"i", 2, "i", "1", "100"},
        {"i", 5, "i", "1", "0.5"},
        {"Sqrt(-1)", 0, "i", "1", "1.5707963"},
        {"2i", 0, " 2i", "2", "1.5707963"},
        {"?^2 = -4", 0, " 2i", "2", "1.5707963"},
        {"-1", 1, "-1", "1", "180"},
        {"0", 0, "0", "0", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto out = calc->Calculate(QString::fromUtf8(c.text), c.angle);
        ASSERT_TRUE(out.Compiled);
        EXPECT_EQ(out.Z, QString::fromUtf8(c.z));
        EXPECT_EQ(out.Modulus, QString::fromUtf8(c.modulus));
        EXPECT_EQ(out.Argument, QString::fromUtf8(c.argument));
    }
    EXPECT_TRUE(sink.empty()) << sink.texts().join(QLatin1Char('/')).toStdString();
}

TEST_F(ComplexCalcTest, TheAngleUnitReachesTheFunctions)
{
    // Arg and Polar read the unit; so do the letters' answers.
    EXPECT_EQ(z("arg(i)", 1), QStringLiteral("90"));
    EXPECT_EQ(calc->Input.AngleMode, 1);
    EXPECT_EQ(z("arg(i)", 0), QStringLiteral("1.570796327"));
    EXPECT_EQ(calc->Input.AngleMode, 0);
}

TEST_F(ComplexCalcTest, LettersAreAskedOnceAndAgainUntilTheyEvaluate)
{
    answers = {QStringLiteral("1+i")};
    EXPECT_EQ(z("x+x"), QStringLiteral("2 + 2i"));
    EXPECT_EQ(prompts, QStringList{QStringLiteral("x|")});
    prompts.clear();
    // A faulty answer: the input expression's box, and the prompt again.
    answers = {QStringLiteral("(2"), QStringLiteral("2i"), QStringLiteral("1+i")};
    EXPECT_EQ(z("x*w"), QStringLiteral("-2 + 2i"));
    // The right operand first, as the engine evaluates.
    EXPECT_EQ(prompts, (QStringList{QStringLiteral("w|"), QStringLiteral("w|(2"), QStringLiteral("x|1+i")}));
    EXPECT_EQ(sink.count(), 1);
}

TEST_F(ComplexCalcTest, ATextThatDoesNotCompileShowsItsBoxAfterTheLiveDrawing)
{
    EXPECT_EQ(z("1+i"), QStringLiteral("1 +i"));
    const auto drawn = calc->Draw(QStringLiteral("(1+i"));
    EXPECT_FALSE(drawn.Error.isEmpty());
    EXPECT_TRUE(sink.empty());
    EXPECT_FALSE(calc->Main.Silent);
    const auto out = calc->Calculate(QStringLiteral("(1+i"), 0);
    EXPECT_FALSE(out.Compiled);
    EXPECT_TRUE(out.Z.isEmpty());
    EXPECT_EQ(sink.count(), 1);
}

TEST_F(ComplexCalcTest, UserDefinitionsOfRealDuf)
{
    put(QStringLiteral("real.duf"),
        "[Constantes]\r\n"
        "k=2+i_una constante\r\n"
        "k2 = k*2\r\n"
        "malo=(1+_no compila\r\n"
        "pi=3\r\n"
        "cero=1/0\r\n"
        "[Funciones]\r\n"
        "f=?A^2_cuadrado\r\n"
        "g=?B+1\r\n"
        "h=f(?A)+k\r\n"
        "[Expresiones]\r\n"
        "e1=k+1\r\n");
    calc->LoadDefinitions(path(QStringLiteral("real.duf")));
    const int boxes = sink.count();
    EXPECT_GE(boxes, 1);   // the constant that does not compile
    EXPECT_EQ(z("k"), QStringLiteral("2 +i"));
    EXPECT_EQ(z("k2"), QStringLiteral("4 + 2i"));
    EXPECT_EQ(z("f(3)"), QStringLiteral("9"));
    EXPECT_EQ(z("h(i)"), QStringLiteral("1 +i"));
    // The built-in pi keeps its meaning.
    EXPECT_EQ(calc->Calculate(QStringLiteral("pi"), 0).Modulus, QStringLiteral("3.1415927"));
    // Left out: the faulty constants and the function with a hole in its
    // parameters; the expressions are not read.
    for (const char* name : {"malo", "cero", "g", "e1"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(calc->Main.GetTable()->Contains(QString::fromUtf8(name)));
    }
    // The answers of the letters know them too.
    answers = {QStringLiteral("k2")};
    EXPECT_EQ(z("y"), QStringLiteral("4 + 2i"));
}

TEST_F(ComplexCalcTest, AMissingFileHasNoDefinitions)
{
    calc->LoadDefinitions(path(QStringLiteral("real.duf")));
    EXPECT_TRUE(sink.empty());
    EXPECT_EQ(z("(1+i)^2"), QStringLiteral(" 2i"));
}

} // namespace
