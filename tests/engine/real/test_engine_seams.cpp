// What the engines share at their seams: the tree and the flattened program
// seen both ways through the expression object, the tags that tell the
// built-ins run in line, the one conditional of every engine, the one whole
// power, and the one route of every engine's boxes.
#include "checks.h"
#include "support/fixtures.h"

#include "engine/checked.h"
#include "engine/complex/expresion.h"
#include "engine/conditional.h"
#include "engine/errors.h"
#include "engine/rational/expresion.h"
#include "engine/real/builtins.h"
#include "engine/real/builtins_table.h"
#include "engine/real/expresion.h"
#include "engine/real/program.h"
#include "foundation/core/basicos.h"
#include "support/recordingsink.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using namespace realcheck;

using namespace exprcore::objectdefs;


class EngineSeams : public CoreStateTest {
protected:
    void TearDown() override
    {
        real::messageHook() = nullptr;
        complex::messageHook() = nullptr;
        rational::messageHook() = nullptr;
        CoreStateTest::TearDown();
    }
};

TEST_F(EngineSeams, TreeAndProgramAgreeThroughTheObject)
{
    struct Case {
        const char* text;
        Extended x;
        bool flattened;
        int code;   // the tree's (and the program's) fault, 0 for a value
    } cases[] = {
        {"x*x+2*x-3/(x+1)", 0.5L, true, 0},
        {"sqrt(x)+sin(x)*cos(x)", 2, true, 0},
        {"sqrt(x)", -1, true, errInvalidOp},
        {"1/(x-1)", 1, true, errZeroDivide},
        {"x^-2", 0, true, errZeroDivide},
        {"x^2147483647", 2, true, errOverflow},
        {"(1/2)^(x*(-20000))", 1, true, errZeroDivide},
        {"Si(x>0,x,-x)", -3, false, 0},
        {"Sim(x>1,1,x>0,2)", -1, false, errInvalidArgument},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        real::TExpresion e;
        e.Silent = true;
        e.SetUseBuiltIns(true);
        real::TVariable* x = e.AddVariable(QStringLiteral("x"));
        e.SetText(QString::fromLatin1(c.text));
        ASSERT_TRUE(e.Compiled) << e.ErrorMessage.toStdString();
        x->SetValue(c.x);
        const Extended v = e.Evaluate();
        const real::TExpresion::TwoWays w = e.EvaluateBothWays();
        EXPECT_EQ(w.flattened, c.flattened);
        EXPECT_EQ(w.treeCode, c.code);
        EXPECT_EQ(w.programCode, w.treeCode);
        EXPECT_EQ(e.ErrorCode, c.code);
        if (c.code == 0) {
            EXPECT_TRUE(SameBits(w.program, w.tree));
            EXPECT_TRUE(SameBits(v, w.tree));
        }
        // The quick run answers only with the tree's own finite value.
        if (std::isfinite(w.fast)) {
            EXPECT_EQ(c.code, 0);
            EXPECT_TRUE(SameBits(w.fast, w.tree));
        }
    }
}

TEST_F(EngineSeams, BuiltInsRunInLineByTheirTag)
{
    using real::builtins::BuiltinTag;
    struct Case {
        const char* name;
        BuiltinTag tag;
    } cases[] = {
        {"sqrt", BuiltinTag::Sqrt}, {"raiz", BuiltinTag::Sqrt}, {"sin", BuiltinTag::Sin},
        {"sen", BuiltinTag::Sin},   {"cos", BuiltinTag::Cos},   {"tan", BuiltinTag::Tan},
        {"tg", BuiltinTag::Tan},    {"exp", BuiltinTag::Exp},   {"ln", BuiltinTag::Ln},
        {"log", BuiltinTag::None},  {"exp10", BuiltinTag::None},
        {"sqr", BuiltinTag::None},  {"Si", BuiltinTag::None},   {"Pi", BuiltinTag::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const real::builtins::BuiltinEntry* b = real::builtins::FindBuiltin(QString::fromLatin1(c.name));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->tag, c.tag);
    }
    // The tag travels with the registered callable (and with an inverse: the
    // inverse of sqr is sqrt); the plain function alone, untagged, is called
    // through its pointer, with the same bits.
    real::TExpresion e;
    e.Silent = true;
    e.SetUseBuiltIns(true);
    real::TVariable* x = e.AddVariable(QStringLiteral("x"));
    e.AddFunction1(QStringLiteral("raizsola"), real::BuiltinFn1{real::builtins::FindBuiltin(QStringLiteral("sqrt"))->fn1},
                   {}, QString());
    for (const char* text : {"sqrt(x)", "raizsola(x)", "sin(x)+cos(x)", "tan(x)+exp(x)*ln(x)", "2^x+x^x+x^3.5"}) {
        SCOPED_TRACE(text);
        e.SetText(QString::fromLatin1(text));
        ASSERT_NE(e.Root, nullptr);
        x->SetValue(2);
        const Extended tree = real::EvaluateNode(e.Root);
        std::unique_ptr<real::TProgram> p = real::TProgram::Build(e.Root);
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(SameBits(p->Run(), tree));
    }
}

TEST_F(EngineSeams, OneConditionalForEveryEngine)
{
    struct Case {
        std::vector<Extended> args;
        Extended value;   // NaN: an invalid argument
    } cases[] = {
        {{1, 2, 3}, 2},
        {{0, 2, 3}, 3},
        {{-1, 2, 3}, 3},
        {{0, 1, 1, 2}, 2},
        {{0, 1, 0, 2, 9}, 9},
        {{0, 1, 0, 2}, std::numeric_limits<Extended>::quiet_NaN()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.size());
        std::vector<std::size_t> asked;
        const auto arg = [&](std::size_t i) {
            asked.push_back(i);
            return c.args[i];
        };
        const auto isTrue = [](Extended v) { return v > 0; };
        if (std::isnan(c.value)) {
            EXPECT_THROW(exprcore::ConditionalSequenceValue(c.args.size(), arg, isTrue), EInvalidArgument);
            continue;
        }
        const Extended v = c.args.size() == 3 ? exprcore::ConditionalValue(arg, isTrue)
                                              : exprcore::ConditionalSequenceValue(c.args.size(), arg, isTrue);
        EXPECT_EQ(v, c.value);
        // Each argument at most once: the branch not taken is never evaluated.
        for (std::size_t i = 0; i < asked.size(); ++i)
            for (std::size_t j = i + 1; j < asked.size(); ++j)
                EXPECT_NE(asked[i], asked[j]);
    }
}

TEST_F(EngineSeams, OneWholePowerWithTheFaultOfEachEngine)
{
    // (1/2)^-20000: the power itself is too small to hold. The processor divides
    // by zero; a fraction knows the true value is too large.
    EXPECT_THROW(checked::IntPower(0.5L, true, 20000), EZeroDivide);
    EXPECT_THROW(checked::IntPower(0.5L, true, 20000, checked::TinyPower::Overflow), EOverflow);
    EXPECT_EQ(checked::IntPower(2, true, 20000, checked::TinyPower::Overflow), 0);
    EXPECT_EQ(checked::IntPower(-3, false, 3), -27);
    EXPECT_EQ(checked::PowerBySquaring(3, 39), 4052555153018976267.0L);
}

TEST_F(EngineSeams, EveryEnginesBoxTakesTheOneRoute)
{
    RecordingSink sink;
    Basicos().Messages = &sink;
    // Without a hook, no engine shows a box.
    {
        complex::TExpresion z;
        z.SetText(QStringLiteral("1+"));
        rational::TExpresion q;
        q.SetText(QStringLiteral("1+"));
        EXPECT_TRUE(sink.empty());
    }
    real::messageHook() = exprcore::ShowAsMessageBox;
    complex::messageHook() = exprcore::ShowAsMessageBox;
    rational::messageHook() = exprcore::ShowAsMessageBox;
    complex::TExpresion z;
    z.SetText(QStringLiteral("1+"));
    rational::TExpresion q;
    q.SetText(QStringLiteral("1+"));
    real::TExpresion r;
    real::TVariable* x = r.AddVariable(QStringLiteral("x"));
    r.SetText(QStringLiteral("1/x"));
    x->SetValue(0);
    r.Evaluate();
    ASSERT_EQ(sink.count(), 3);
    for (const auto& box : sink.boxes) {
        EXPECT_EQ(box.caption, QStringLiteral("Aviso"));
        EXPECT_EQ(box.flags & ~mb::IconMask, unsigned(mb::Ok));
    }
    EXPECT_EQ(sink.boxes[0].flags & mb::IconMask, unsigned(mb::IconError));
    EXPECT_EQ(sink.boxes[2].text, QStringLiteral("División por cero"));
}

} // namespace
