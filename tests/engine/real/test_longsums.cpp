// Long texts in the real engine: chains of thousands of operators compile,
// fold when constant, evaluate, re-evaluate after a change of the angle unit
// and go, each in time and stack that do not grow with the chain beyond its
// own size (the values checked bit for bit against the arithmetic done in
// order), and on a thread with a small stack.
#include "support/fixtures.h"
#include "support/longtexts.h"

#include "fuzz/bothways.h"

#include "engine/angulos.h"
#include "engine/fastcompiler.h"
#include "engine/real/expresion.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <string>

using namespace real;

namespace {

class LongSums : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        e.Silent = true;
        e.SetUseBuiltIns(true);
        x = e.AddVariable(QStringLiteral("x"));
        x->SetValue(0.5L);
    }
    TExpresion e;
    TVariable* x = nullptr;
};

// The ten bytes of a value, to compare bit for bit.
std::string Bits(Extended v) { return bothways::ValueText(v); }

// "k1 op1 k2 op2 k3 ..." with the operators cycling through `ops`, and its
// value computed in order from the left, as the tree computes it.
struct Chain {
    QString text;
    Extended value = 0;
};

Chain ConstantChain(int terms, const char* ops)
{
    // Products and quotients bind first: `term` is the one being built, `sum`
    // what the terms before it add up to.
    Chain c;
    const int nops = static_cast<int>(std::strlen(ops));
    std::string s = "3";
    Extended sum = 0, term = 3;
    bool haveSum = false;
    char sign = '+';
    for (int i = 1; i < terms; ++i) {
        const char op = ops[i % nops];
        const int k = i % 89 + 2;
        s += op;
        s += std::to_string(k);
        if (op == '*') {
            term = term * k;
        } else if (op == '/') {
            term = term / k;
        } else {
            sum = !haveSum ? term : sign == '+' ? sum + term : sum - term;
            haveSum = true;
            term = k;
            sign = op;
        }
    }
    c.value = !haveSum ? term : sign == '+' ? sum + term : sum - term;
    c.text = QString::fromStdString(s);
    return c;
}

TEST_F(LongSums, ConstantChainsFoldToTheValueComputedInOrder)
{
    struct Case {
        int terms;
        const char* ops;
    };
    const Case cases[] = {{20000, "+"}, {20000, "+-"}, {20000, "+*-/"}, {5000, "*/"}, {3, "-"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.terms) + " " + c.ops);
        const Chain chain = ConstantChain(c.terms, c.ops);
        e.SetText(chain.text);
        ASSERT_TRUE(e.Compiled) << e.ErrorMessage.toStdString();
        // Folded while built: the root holds the value, current for any values.
        EXPECT_EQ(e.Root->Stamp(), 0u);
        EXPECT_EQ(Bits(e.Root->Value), Bits(chain.value));
        EXPECT_EQ(Bits(e.Evaluate()), Bits(chain.value));
    }
}

// Within the splitter's reach, the folded value is the one the splitter's tree
// holds, and the one a fresh evaluation of the tree computes.
TEST_F(LongSums, FoldedValuesMatchTheSplitterAndTheTree)
{
    for (const char* ops : {"+-", "*/+", "-*"}) {
        SCOPED_TRACE(ops);
        const Chain chain = ConstantChain(60, ops);
        e.SetText(chain.text);
        const Extended fast = e.Root->Value;
        const TExpresion::TwoWays both = e.EvaluateBothWays();
        EXPECT_EQ(Bits(both.tree), Bits(fast));
        exprcore::fastCompile().Enabled = false;
        e.SetText(QStringLiteral("0"));
        e.SetText(chain.text);
        exprcore::fastCompile().Enabled = true;
        ASSERT_TRUE(e.Compiled);
        EXPECT_EQ(Bits(e.Root->Value), Bits(fast));
    }
}

// A fault met while folding a chain fails the compile: with the fault's own
// code where the splitter reaches, refused in any case for a long chain.
TEST_F(LongSums, AFaultWhileFoldingAChainFailsTheCompile)
{
    e.SetText(ConstantChain(50, "+").text + QStringLiteral("/0"));
    EXPECT_FALSE(e.Compiled);
    EXPECT_TRUE(e.HasError);
    EXPECT_NE(e.ErrorCode, 0);
    bool refused = false;
    try {
        e.SetText(ConstantChain(10000, "+").text + QStringLiteral("/0"));
        refused = !e.Compiled && e.HasError;
    } catch (const Exception&) {
        refused = true;
    }
    EXPECT_TRUE(refused);
    e.SetText(ConstantChain(10000, "+").text + QStringLiteral("+x"));
    EXPECT_TRUE(e.Compiled);
}

TEST_F(LongSums, LongSumsOfVariablesEvaluateOnASmallStack)
{
    for (int terms : {50000, 10000}) {
        SCOPED_TRACE(terms);
        std::string s = "x*2";
        for (int i = 1; i < terms; ++i)
            s += (i % 3 ? "+x*" : "-x/") + std::to_string(i % 97 + 2);
        e.SetText(QString::fromStdString(s));
        ASSERT_TRUE(e.Compiled) << e.ErrorMessage.toStdString();
        const Extended xv = 0.5L;
        Extended expected = xv * 2;
        for (int i = 1; i < terms; ++i) {
            const int k = i % 97 + 2;
            expected = i % 3 ? expected + xv * k : expected - xv / k;
        }
        Extended first = 0, again = 0;
        OnSmallStack(256 * 1024, [&] {
            first = e.Evaluate();
            x->SetValue(0.5L);
            again = e.Evaluate();
            // The tree goes on this thread too.
            e.SetText(QStringLiteral("1"));
        });
        EXPECT_EQ(Bits(first), Bits(expected));
        EXPECT_EQ(Bits(again), Bits(expected));
        EXPECT_EQ(e.Evaluate(), 1);
    }
}

// The function values cached in a tree follow a change of the angle unit
// wherever the function stands: deep in a long sum, in a named part used
// twice, in a user function's body.
TEST_F(LongSums, FunctionsInLongTextsFollowTheAngleUnit)
{
    e.AddUserFunction(QStringLiteral("f"), QStringLiteral("cos(?A)*2"), QString());
    x->SetValue(60);
    QString sum = QStringLiteral("x");
    for (int i = 0; i < 3000; ++i)
        sum += QStringLiteral("+1");
    const QString texts[] = {
        sum + QStringLiteral("+sin(x)-x-3000"),
        QStringLiteral("a:sin(x)+1;a*a-a*a+a-1"),
        sum + QStringLiteral("+f(x)-x-3000"),
    };
    const Extended inDegrees[] = {std::sin(kPi / 3), std::sin(kPi / 3), 2 * std::cos(kPi / 3)};
    const Extended inRadians[] = {std::sin(60.0L), std::sin(60.0L), 2 * std::cos(60.0L)};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(texts[i].right(30).toStdString());
        e.SetAngleMode(amRadians);
        e.SetText(texts[i]);
        ASSERT_TRUE(e.Compiled) << e.ErrorMessage.toStdString();
        EXPECT_NEAR(static_cast<double>(e.Evaluate()), static_cast<double>(inRadians[i]), 1e-12);
        e.SetAngleMode(amDegrees);
        EXPECT_NEAR(static_cast<double>(e.Evaluate()), static_cast<double>(inDegrees[i]), 1e-12);
        e.SetAngleMode(amRadians);
        EXPECT_NEAR(static_cast<double>(e.Evaluate()), static_cast<double>(inRadians[i]), 1e-12);
    }
}

} // namespace
