// The rational tree on its own: reference counts, folding of constant
// subtrees, a failed fold that gives its children back, caching by variable
// changes, and the power node's squaring.
#include "engine/rational/tree.h"

#include "engine/errors.h"
#include "engine/rational/errors.h"
#include "support/fixtures.h"

using namespace rational;

namespace {

class RationalTreeTest : public CoreStateTest {};

TEST_F(RationalTreeTest, ConstantSubtreesFoldWhenBuilt)
{
    TEval* a = new TNum(TFrac(1, 3));
    TEval* b = new TNum(TFrac(1, 6));
    NodeGuard sum(CreateOp(NodeKind::Suma, a, b));
    EXPECT_EQ(sum.get()->Value, TFrac(1, 2));
    EXPECT_TRUE(sum.get()->IsValueCurrent());
    EXPECT_EQ(a->RefCount, 1);
    EXPECT_EQ(b->RefCount, 1);
}

// A fold that fails frees the new node and leaves the children to their holder
// (AddressSanitizer checks that nothing leaks and nothing is freed twice).
TEST_F(RationalTreeTest, FailedFoldGivesTheChildrenBack)
{
    NodeGuard one(new TNum(TFrac(1)));
    NodeGuard zero(new TNum(TFrac()));
    try {
        CreateOp(NodeKind::Div, one.get(), zero.get());
        FAIL() << "a division by zero folded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("División por cero"));
    }
    EXPECT_EQ(one.get()->RefCount, 1);
    EXPECT_EQ(zero.get()->RefCount, 1);
}

TEST_F(RationalTreeTest, SharedNodeSurvivesTheFirstRelease)
{
    TVariable v;
    v.SetValue(TFrac(2));
    TEval* x = new TVar(&v);
    TEval* p = CreateOp(NodeKind::Mul, x, x);
    EXPECT_EQ(x->RefCount, 2);
    EXPECT_EQ(p->Evaluate(), TFrac(4));
    Discard(p);   // releases x twice: freed on the second
    EXPECT_TRUE(v.Nodes.empty());
}

TEST_F(RationalTreeTest, VariablesMakeTheirReadersComputeAgain)
{
    TVariable v;
    TEval* x = new TVar(&v);
    NodeGuard half(CreateOp(NodeKind::Div, x, new TNum(TFrac(2))));
    EXPECT_FALSE(half.get()->IsValueCurrent());
    v.SetValue(TFrac(3));
    EXPECT_EQ(half.get()->Evaluate(), TFrac(3, 2));
    v.SetValue(TFrac(5));
    EXPECT_FALSE(x->IsValueCurrent());
    EXPECT_EQ(half.get()->Evaluate(), TFrac(5, 2));
    EXPECT_TRUE(static_cast<TVar*>(x)->IsRead);
    EXPECT_TRUE(ContainsVariable(half.get(), &v));
    TVariable other;
    EXPECT_FALSE(ContainsVariable(half.get(), &other));
}

// The power node goes through TFrac.Power: integral exponents by squaring with
// the overflow check, others through the best approximation.
TEST_F(RationalTreeTest, PowerNode)
{
    struct Case {
        TFrac base, exponent;
        int64_t num;
        uint32_t den;
        bool overflow;
    };
    const Case cases[] = {
        {TFrac(3), TFrac(21), 10460353203LL, 1, false},
        {TFrac(2, 3), TFrac(-2), 9, 4, false},
        {TFrac(-1), TFrac(2000000001), -1, 1, false},
        {TFrac(2), TFrac(2000000000), 0, 1, true},
        {TFrac(1, 2), TFrac(1, 2), 408, 577, false},
        {TFrac(2), TFrac(63), 0, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exponent.ToFloat());
        // The operands are held here: a failed fold leaves them to their holder.
        NodeGuard base(new TNum(c.base));
        NodeGuard exponent(new TNum(c.exponent));
        try {
            NodeGuard p(CreateOp(NodeKind::Pot, base.get(), exponent.get()));
            EXPECT_FALSE(c.overflow);
            EXPECT_EQ(p.get()->Value, TFrac(c.num, c.den));
        } catch (const EOverflow&) {
            EXPECT_TRUE(c.overflow);
        }
    }
}

TEST_F(RationalTreeTest, SolvingBuildsTheInverseAroundTheOtherSide)
{
    TVariable v;
    // 2*v + 1 = 7
    TEval* lhs = CreateOp(NodeKind::Suma, CreateOp(NodeKind::Mul, new TNum(TFrac(2)), new TVar(&v)),
                          new TNum(TFrac(1)));
    NodeGuard eq(CreateOp(NodeKind::Igu, lhs, new TNum(TFrac(7))));
    NodeGuard solved(SolveEquation(eq.get(), &v));
    NewEvaluationPass();
    EXPECT_EQ(solved.get()->Evaluate(), TFrac(3));
    EXPECT_THROW(SolveEquation(lhs, &v), EDespejar);
}

} // namespace
