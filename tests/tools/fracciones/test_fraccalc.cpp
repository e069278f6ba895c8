// The fractions tool's calculation without its window: results as fraction,
// mixed number, decimal and whole part, the largest denominator read from its
// box, solving for "?", the letters asked once per calculation and asked again
// until the answer evaluates, the bar of the proper part, the typed digraphs
// and the silent live drawing.
#include "tools/fracciones/fraccalc.h"

#include "support/fixtures.h"
#include "tools/fracciones/scriptedletters.h"
#include "support/recordingsink.h"

#include <deque>

using rational::TFrac;

namespace {

class FracCalcTest : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        rational::StartUp();
        rational::messageHook() = exprcore::ShowAsMessageBox;
        Basicos().Messages = &sink;
        calc.Prompt = letters.Prompt();
    }

    RecordingSink sink;
    TFracCalc calc;
    ScriptedLetters letters;
    QStringList& prompts = letters.prompts;
    std::deque<QString>& answers = letters.answers;
};

TEST_F(FracCalcTest, ResultFields)
{
    struct Case {
        const char* text;
        const char* maxDen;
        bool mixed;
        const char* fraction;
        const char* decimal;
        const char* whole;
    } cases[] = {
        {"1|2+3|4", "1000", false, "5|4", "1.25", "1+"},
        {"1|2+3|4", "1000", true, "1|1|4", "1.25", "1+"},
        {"-7|2", "1000", false, "-7|2", "-3.5", "-3+"},
        {"-7|2", "1000", true, "-3|1|2", "-3.5", "-3+"},
        {"2|3", "1000", false, "2|3", "0.666666666666667", "0+"},
        {"0.3333", "1000", false, "1|3", "0.333333333333333", "0+"},
        {"0.3333", "10000", false, "3333|10000", "0.3333", "0+"},
        {"?*4=3", "1000", false, "3|4", "0.75", "0+"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        rational::fracSettings().MixedFractions = c.mixed;
        const auto out = calc.Calculate(QString::fromUtf8(c.text), QString::fromUtf8(c.maxDen));
        ASSERT_TRUE(out.Compiled);
        EXPECT_EQ(out.Fraction, QString::fromUtf8(c.fraction));
        EXPECT_EQ(out.Decimal, QString::fromUtf8(c.decimal));
        EXPECT_EQ(out.Whole, QString::fromUtf8(c.whole));
    }
    EXPECT_TRUE(sink.empty()) << sink.texts().join(QLatin1Char('/')).toStdString();
}

TEST_F(FracCalcTest, TheSameTextFollowsANewLargestDenominator)
{
    EXPECT_EQ(calc.Calculate(QStringLiteral("0.3333"), QStringLiteral("1000")).Fraction, QStringLiteral("1|3"));
    EXPECT_EQ(calc.Calculate(QStringLiteral("0.3333"), QStringLiteral("10000")).Fraction,
              QStringLiteral("3333|10000"));
    EXPECT_EQ(rational::fracSettings().FracMaxDenominator, 10000u);
    EXPECT_EQ(calc.Calculate(QStringLiteral("0.3333"), QStringLiteral("1000")).Fraction, QStringLiteral("1|3"));
}

TEST_F(FracCalcTest, LargestDenominatorOfTheBoxText)
{
    struct Case {
        const char* text;
        std::uint32_t value;
        const char* shown;
    } cases[] = {
        {"1000", 1000, "1000"},   {"10", 10, "10"},       {"1", 1, "1"},
        {"0", 1, "1"},            {"-5", 1, "1"},         {"", 1000, "1000"},
        {"abc", 1000, "1000"},    {"12a", 1000, "1000"},  {"10000000", 10000000, "10000000"},
        {"99999999999", 4294967295u, "4294967295"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        QString shown;
        EXPECT_EQ(TFracCalc::MaxDenominatorOf(QString::fromUtf8(c.text), &shown), c.value);
        EXPECT_EQ(shown, QString::fromUtf8(c.shown));
    }
}

TEST_F(FracCalcTest, ALargestDenominatorOfZeroStillReadsDecimals)
{
    const auto out = calc.Calculate(QStringLiteral("0.5+1|2"), QStringLiteral("0"));
    EXPECT_EQ(rational::fracSettings().FracMaxDenominator, 1u);
    ASSERT_TRUE(out.Compiled);
    EXPECT_TRUE(sink.empty()) << sink.texts().join(QLatin1Char('/')).toStdString();
    EXPECT_FALSE(calc.Main.HasError);
}

TEST_F(FracCalcTest, ALetterIsAskedOncePerCalculation)
{
    answers = {QStringLiteral("1|3")};
    const auto out = calc.Calculate(QStringLiteral("x+x"), QStringLiteral("1000"));
    EXPECT_EQ(out.Fraction, QStringLiteral("2|3"));
    ASSERT_EQ(prompts.size(), 1);
    EXPECT_EQ(prompts[0], QStringLiteral("x|"));
    // The next calculation asks again, offering the last answer.
    answers = {QStringLiteral("1|8"), QStringLiteral("1|4")};
    EXPECT_EQ(calc.Calculate(QStringLiteral("x*2+w"), QStringLiteral("1000")).Fraction, QStringLiteral("1|2"));
    // The left operand first, as the engine evaluates.
    EXPECT_EQ(prompts.mid(1), (QStringList{QStringLiteral("x|1|3"), QStringLiteral("w|")}));
}

TEST_F(FracCalcTest, AnAnswerThatDoesNotEvaluateIsAskedAgain)
{
    // The box comes back with the text just typed until the answer evaluates,
    // whether OK or Cancel closed it.
    int calls = 0;
    calc.Prompt = [&](const QString& caption, QString& text) {
        prompts << caption + QLatin1Char('|') + text;
        ++calls;
        text = calls == 1 ? QStringLiteral("1|") : calls == 2 ? QStringLiteral("nada") : QStringLiteral("3|4");
        return calls == 2;   // the third answer came with Cancel
    };
    const auto out = calc.Calculate(QStringLiteral("y*4"), QStringLiteral("1000"));
    EXPECT_EQ(out.Fraction, QStringLiteral("3"));
    EXPECT_EQ(prompts, (QStringList{QStringLiteral("y|"), QStringLiteral("y|1|"), QStringLiteral("y|nada")}));
    // Each failed answer showed the input expression's box.
    EXPECT_EQ(sink.count(), 2);
}

TEST_F(FracCalcTest, EvaluationErrorsAreTheEngines)
{
    const auto good = calc.Calculate(QStringLiteral("1|2"), QStringLiteral("1000"));
    ASSERT_TRUE(good.Compiled);
    const auto out = calc.Calculate(QStringLiteral("1|2/(1|2-1|2)"), QStringLiteral("1000"));
    ASSERT_EQ(sink.count(), 1);
    if (out.Compiled) {
        EXPECT_EQ(out.Fraction, QStringLiteral("0"));
        EXPECT_EQ(out.Whole, QStringLiteral("0+"));
    }
    sink.clear();
    // A text that does not compile: its box, and no value at all (never the
    // value of the text before).
    const auto bad = calc.Calculate(QStringLiteral("1|2+"), QStringLiteral("1000"));
    EXPECT_FALSE(bad.Compiled);
    EXPECT_TRUE(bad.Fraction.isEmpty());
    EXPECT_EQ(sink.count(), 1);
}

TEST_F(FracCalcTest, BarOfTheProperPart)
{
    struct Case {
        TFrac value;
        int width, bar;
    } cases[] = {
        {TFrac(5, 4), 160, 40}, {TFrac(-7, 2), 160, 80}, {TFrac(1, 3), 100, 33}, {TFrac(2, 3), 100, 67},
        {TFrac(3), 160, 0},     {TFrac(0), 160, 0},      {TFrac(4294967294LL, 4294967295LL), 1000, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(rational::FracToStr(c.value).toStdString());
        EXPECT_EQ(TFracCalc::BarWidth(c.value, c.width), c.bar);
    }
}

TEST_F(FracCalcTest, TypedDigraphs)
{
    struct Case {
        const char* typed;
        int caret;
        const char* text;
        int newCaret;
        bool changed;
    } cases[] = {
        {"1..", 3, "1|", 2, true},       {"1//4", 3, "1|4", 2, true},    {"3**", 3, "3^", 2, true},
        {"1..2..3", 7, "1|2..3", 6, true}, {"1..2//3**4", 10, "1|2|3^4", 9, true},
        {"1.2/3*4", 7, "1.2/3*4", 7, false}, {"..", 0, "|", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        QString t = QString::fromUtf8(c.typed);
        int caret = c.caret;
        EXPECT_EQ(exprtool::ReplaceDigraphs(t, caret), c.changed);
        EXPECT_EQ(t, QString::fromUtf8(c.text));
        EXPECT_EQ(caret, c.newCaret);
    }
}

TEST_F(FracCalcTest, HistoryTopRule)
{
    EXPECT_TRUE(exprtool::BelongsAtTop({}, QStringLiteral("1|2")));
    EXPECT_FALSE(exprtool::BelongsAtTop({QStringLiteral("1|2"), QStringLiteral("3")}, QStringLiteral("1|2")));
    EXPECT_TRUE(exprtool::BelongsAtTop({QStringLiteral("3"), QStringLiteral("1|2")}, QStringLiteral("1|2")));
}

TEST_F(FracCalcTest, LiveDrawingIsSilentAndAsksNothing)
{
    auto drawn = calc.Draw(QStringLiteral("x+1|2"));
    EXPECT_NE(drawn.Picture, nullptr);
    EXPECT_TRUE(drawn.Error.isEmpty());
    drawn = calc.Draw(QStringLiteral("1|2+"));
    EXPECT_EQ(drawn.Picture, nullptr);
    EXPECT_FALSE(drawn.Error.isEmpty());
    drawn = calc.Draw(QString());
    EXPECT_EQ(drawn.Picture, nullptr);
    EXPECT_TRUE(drawn.Error.isEmpty());
    EXPECT_TRUE(sink.empty());
    EXPECT_TRUE(prompts.isEmpty());
    EXPECT_FALSE(calc.Main.Silent);
    // The text drawn last still shows its box when it is calculated.
    EXPECT_FALSE(calc.Calculate(QStringLiteral("1|2+"), QStringLiteral("1000")).Compiled);
    EXPECT_EQ(sink.count(), 1);
}

} // namespace
