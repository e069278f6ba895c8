// One calculation from typed text to the result box's line, without the
// window: truth values drawn anew, "?" solved, the last result offered as Rst,
// compile errors apart from evaluation errors, the total and the memories.
#include "services/calcmodel.h"

#include "engine/errors.h"
#include "engine/real/expresion.h"
#include "engine/real/errors.h"
#include "foundation/core/basicos.h"
#include "support/fixtures.h"
#include "testsupport.h"

#include <limits>

namespace {

class CalcModelTest : public ProcessStateTest {
protected:
    void SetUp() override
    {
        ProcessStateTest::SetUp();
        model = std::make_unique<TCalcModel>();
        model->SetSolveVariable(model->Main().AddVariable(QStringLiteral("?")));
        model->Main().AddVariable(QStringLiteral("w"));   // 0
        // A fixed series: the truth values are known.
        model->Random = [this] { return Extended(0.5L + 0.01L * (draws++ % 10)); };
    }
    void TearDown() override
    {
        model.reset();
        ProcessStateTest::TearDown();
    }
    std::unique_ptr<TCalcModel> model;
    int draws = 0;
};

TEST_F(CalcModelTest, TextsAndTheirLines)
{
    struct Case {
        const char* text;
        const char* shown;
        bool ready, keep;
    } cases[] = {
        {"2+3*4", "14", true, true},
        {"?*2=10", "5", true, true},
        {"1<2", "Verdadero", true, true},
        {"1>2", "Falso", true, true},
        {"1/w", "División por cero", true, false},   // an arithmetic fault: not kept
        {"1/0", "División por cero", false, false},  // found while compiling
        {"2+", nullptr, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TCalcModel::TOutcome out = model->Calculate(QString::fromUtf8(c.text));
        EXPECT_FALSE(out.Empty);
        EXPECT_EQ(out.Ready, c.ready);
        EXPECT_EQ(out.KeepText, c.keep);
        if (c.shown)
            EXPECT_EQ(out.Shown, QString::fromUtf8(c.shown));
        else
            EXPECT_FALSE(out.Shown.isEmpty()) << "a compile error is shown";
    }
}

TEST_F(CalcModelTest, TruthValuesAreNewForEveryCalculation)
{
    model->Calculate(QStringLiteral("1<2"));
    const Extended firstTrue = real::engineState().TrueValue;
    EXPECT_EQ(Calc().LastResult, firstTrue);
    EXPECT_GT(firstTrue, 0);
    EXPECT_LT(real::engineState().FalseValue, 0);
    // r1 * 2^floor(100 r): the draws 0.5, 0.51 give 0.5 * 2^51.
    EXPECT_EQ(firstTrue, std::ldexp(0.5L, 51));
    model->Calculate(QStringLiteral("1<2"));
    EXPECT_NE(real::engineState().TrueValue, firstTrue);
}

TEST_F(CalcModelTest, AFailedEvaluationKeepsTheLastGoodValue)
{
    model->Calculate(QStringLiteral("6*7"));
    EXPECT_EQ(Calc().LastResult, 42);
    // Evaluated again without compiling.
    EXPECT_EQ(model->Evaluate().Shown, QStringLiteral("42"));
    // The evaluator gives back the last good value (the previous result was
    // compiled in as its text), and that stays the last result.
    EXPECT_EQ(model->Calculate(QStringLiteral("1/w")).Shown, QStringLiteral("División por cero"));
    EXPECT_EQ(Calc().LastResult, 42);
}

TEST_F(CalcModelTest, EmptyTextCalculatesNothing)
{
    Calc().LastResult = 9;
    const TCalcModel::TOutcome out = model->Calculate(QString());
    EXPECT_TRUE(out.Empty);
    EXPECT_FALSE(out.Ready);
    EXPECT_TRUE(out.Shown.isEmpty());
    EXPECT_EQ(Calc().LastResult, 9);
}

TEST_F(CalcModelTest, ThePictureStepRunsOnlyForACompiledText)
{
    int drawn = 0;
    model->Calculate(QStringLiteral("2+"), [&] { ++drawn; });
    EXPECT_EQ(drawn, 0);
    model->Calculate(QStringLiteral("2+2"), [&] {
        ++drawn;
        EXPECT_FALSE(model->Main().HasError);
    });
    EXPECT_EQ(drawn, 1);
}

TEST_F(CalcModelTest, TotalAddsUndoesOnceAndRefusesAnOverflow)
{
    model->AddToTotal(2);
    model->AddToTotal(3);
    EXPECT_EQ(model->Total(), 5);
    EXPECT_EQ(model->Count(), 2);
    EXPECT_TRUE(model->UndoTotal());
    EXPECT_EQ(model->Total(), 2);
    EXPECT_EQ(model->Count(), 1);
    EXPECT_FALSE(model->UndoTotal()) << "only the last addition";
    const Extended big = std::numeric_limits<Extended>::max();
    model->AddToTotal(big);
    EXPECT_THROW(model->AddToTotal(big), EOverflow);
    EXPECT_EQ(model->Total(), 2 + big);
    EXPECT_EQ(model->Count(), 2);
    model->ClearTotal();
    EXPECT_EQ(model->Total(), 0);
    EXPECT_EQ(model->Count(), 0);
    EXPECT_TRUE(model->UndoTotal()) << "clearing can be undone";
}

TEST_F(CalcModelTest, MemoriesWorkOnTheLastResult)
{
    Calc().LastResult = 4;
    TCalcModel::MemoryAction(3, 1001);
    TCalcModel::MemoryAction(3, 1002);
    EXPECT_EQ(Calc().Memories[3], 8);
    TCalcModel::MemoryAction(3, 1003);
    EXPECT_EQ(Calc().Memories[3], 4);
    TCalcModel::MemoryAction(3, 1004);
    EXPECT_EQ(Calc().Memories[3], 0);
    TCalcModel::MemoryAction(10, 1001);   // no such memory: nothing happens
    Calc().Memories[5] = std::numeric_limits<Extended>::max();
    Calc().LastResult = std::numeric_limits<Extended>::max();
    EXPECT_THROW(TCalcModel::MemoryAction(5, 1002), EOverflow);
    EXPECT_EQ(Calc().Memories[5], std::numeric_limits<Extended>::max());
}

} // namespace
