// Long texts in the complex engine: a sum of tens of thousands of terms
// compiles, folds when constant, evaluates (right operands first, as every
// operator of this engine) and goes on a thread with a small stack.
#include "support/fixtures.h"
#include "support/longtexts.h"

#include "engine/complex/expresion.h"

#include <string>

using namespace complex;

namespace {

class ComplexLongSums : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        e.Silent = true;
        e.SetUseBuiltIns(true);
        x = e.AddVariable(QStringLiteral("x"));
        x->SetValue(TComplex{0.5L, -0.25L});
    }
    TComplex Evaluate()
    {
        TComplex r;
        e.Evaluate(r);
        return r;
    }
    TExpresion e;
    TVariable* x = nullptr;
};

// "x*2+x*3-x/4+..." and its value computed in order from the left.
struct Sum {
    QString text;
    TComplex value;
};

Sum SumOfVariables(int terms, TComplex xv)
{
    std::string s = "x*2";
    TComplex v;
    ComplexMul(xv, TComplex{2, 0}, v);
    for (int i = 1; i < terms; ++i) {
        const int k = i % 97 + 2;
        s += (i % 3 ? "+x*" : "-x/") + std::to_string(k);
        TComplex t;
        if (i % 3) {
            ComplexMul(xv, TComplex{Extended(k), 0}, t);
            ComplexAdd(v, t, v);
        } else {
            ComplexDiv(xv, TComplex{Extended(k), 0}, t);
            ComplexSub(v, t, v);
        }
    }
    return {QString::fromStdString(s), v};
}

TEST_F(ComplexLongSums, LongSumsOfVariablesEvaluateAndGoOnASmallStack)
{
    for (int terms : {60000, 1000, 3}) {
        SCOPED_TRACE(terms);
        const Sum sum = SumOfVariables(terms, x->Value);
        TComplex first, again;
        bool compiled = false;
        OnSmallStack(256 * 1024, [&] {
            e.SetText(sum.text);
            compiled = e.Compiled;
            if (!compiled)
                return;
            first = Evaluate();
            x->SetValue(TComplex{0.5L, -0.25L});
            again = Evaluate();
            // The tree goes on this thread too.
            e.SetText(QStringLiteral("1"));
        });
        ASSERT_TRUE(compiled) << e.ErrorMessage.toStdString();
        EXPECT_EQ(first.Re, sum.value.Re);
        EXPECT_EQ(first.Im, sum.value.Im);
        EXPECT_EQ(again.Re, sum.value.Re);
        EXPECT_EQ(again.Im, sum.value.Im);
        EXPECT_EQ(Evaluate().Re, 1);
    }
}

TEST_F(ComplexLongSums, ConstantSumsFoldToTheirValue)
{
    for (int terms : {60000, 2}) {
        SCOPED_TRACE(terms);
        const TAlternatingSum sum = AlternatingSum(terms);
        TComplex v;
        OnSmallStack(256 * 1024, [&] {
            e.SetText(QString::fromStdString(sum.text));
            if (e.Compiled)
                v = Evaluate();
            e.SetText(QStringLiteral("0"));
        });
        EXPECT_EQ(v.Re, Extended(sum.value));
        EXPECT_EQ(v.Im, 0);
    }
}

// Every operator of a chain evaluates its right operand first, as a single
// one does: of two faults, the one further right is reported.
TEST_F(ComplexLongSums, AChainReportsTheFaultFurthestRight)
{
    x->SetValue(TComplex{1, 0});
    struct Case {
        int terms;
    } cases[] = {{2}, {50}, {20000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.terms);
        std::string s = "x/0";
        for (int i = 1; i < c.terms; ++i)
            s += "+x";
        s += "+exp(x*100000)";
        e.SetText(QString::fromStdString(s));
        ASSERT_TRUE(e.Compiled) << e.ErrorMessage.toStdString();
        Evaluate();
        EXPECT_TRUE(e.HasError);
        EXPECT_EQ(e.ErrorCode, 12);   // the overflow of exp, not the division by zero
        e.SetText(QString::fromStdString(s.substr(0, s.rfind('+'))));
        Evaluate();
        EXPECT_EQ(e.ErrorCode, 19);   // the division by zero alone
    }
}

} // namespace
