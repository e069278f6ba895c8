// Long texts in the rational engine: a sum of tens of thousands of terms
// compiles, folds when constant, evaluates (left operands first) and goes on a
// thread with a small stack; the operators of the chain keep their values as
// each would alone.
#include "support/fixtures.h"
#include "support/longtexts.h"

#include "engine/rational/expresion.h"

#include <string>

using namespace rational;

namespace {

class RationalLongSums : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        e.Silent = true;
        e.SetUseBuiltIns(true);
        x = e.AddVariable(QStringLiteral("x"));
        x->SetValue(TFrac(1, 3));
    }
    QString Eval()
    {
        const TFrac v = e.Evaluate();
        return e.HasError ? QStringLiteral("E%1").arg(e.ErrorCode) : FracToStr(v);
    }
    TExpresion e;
    TVariable* x = nullptr;
};

// "x*2+x*3-x*4+..." and its value computed in order from the left.
struct Sum {
    QString text;
    TFrac value;
};

Sum SumOfVariables(int terms, const TFrac& xv)
{
    std::string s = "x*2";
    TFrac v = xv;
    v.Multiply(TFrac(2));
    for (int i = 1; i < terms; ++i) {
        const int k = i % 97 + 2;
        s += (i % 3 ? "+x*" : "-x*") + std::to_string(k);
        TFrac t = xv;
        t.Multiply(TFrac(k));
        if (i % 3)
            v.Add(t);
        else
            v.Subtract(t);
    }
    return {QString::fromStdString(s), v};
}

TEST_F(RationalLongSums, LongSumsOfVariablesEvaluateAndGoOnASmallStack)
{
    for (int terms : {100000, 1000, 3}) {
        SCOPED_TRACE(terms);
        const Sum sum = SumOfVariables(terms, TFrac(1, 3));
        QString first, again, changed;
        bool compiled = false;
        OnSmallStack(256 * 1024, [&] {
            e.SetText(sum.text);
            compiled = e.Compiled;
            if (!compiled)
                return;
            first = Eval();
            again = Eval();
            x->SetValue(TFrac(2, 3));
            changed = Eval();
            x->SetValue(TFrac(1, 3));
            // The tree goes on this thread too.
            e.SetText(QStringLiteral("1"));
        });
        ASSERT_TRUE(compiled) << e.ErrorMessage.toStdString();
        EXPECT_EQ(first, FracToStr(sum.value));
        EXPECT_EQ(again, FracToStr(sum.value));
        EXPECT_EQ(changed, FracToStr(SumOfVariables(terms, TFrac(2, 3)).value));
        EXPECT_EQ(Eval(), QStringLiteral("1"));
    }
}

TEST_F(RationalLongSums, ConstantSumsFoldToTheirValue)
{
    for (int terms : {100000, 2}) {
        SCOPED_TRACE(terms);
        const TAlternatingSum sum = AlternatingSum(terms);
        QString value;
        OnSmallStack(256 * 1024, [&] {
            e.SetText(QString::fromStdString(sum.text));
            if (e.Compiled)
                value = Eval();
            e.SetText(QStringLiteral("0"));
        });
        EXPECT_EQ(value, QString::number(sum.value));
    }
}

// A named part used twice keeps its value for the pass; a chain inside it and
// around it gives the value each operator would give alone.
TEST_F(RationalLongSums, SharedPartsAndChainsAgree)
{
    struct Case {
        const char* text;
        const char* value;
    } cases[] = {
        {"a:x+x+x+1;a*a-a+a/2", "3"},           // a = 2
        {"a:x*3-1+x;a+a+a-x-x", "1|3"},          // a = 1/3
        {"x/0+1+x", "E19"},
        {"x+1+x/0", "E19"},
        {"2^2^3-x*3+1", "64"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        e.SetText(QString::fromLatin1(c.text));
        ASSERT_TRUE(e.Compiled) << e.ErrorMessage.toStdString();
        EXPECT_EQ(Eval(), QString::fromLatin1(c.value));
        EXPECT_EQ(Eval(), QString::fromLatin1(c.value));
    }
}

} // namespace
