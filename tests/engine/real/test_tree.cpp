// Nodes of compiled trees: values, caching, reference counting, comparisons,
// logical operators and the inverse operations of solving.
#include "support/fixtures.h"

#include "engine/errors.h"
#include "engine/real/errors.h"
#include "engine/real/tree.h"

#include <cmath>

using namespace real;

namespace {

class TreeTest : public CoreStateTest {};

TEval* Num(Extended v) { return new TNum(v); }

// Evaluates and frees a tree nobody counts.
Extended EvalFree(TEval* t)
{
    NodeGuard g(t);
    return t->Evaluate();
}

int g_calls = 0;
Extended CountingSquare(Extended x)
{
    ++g_calls;
    return x * x;
}

} // namespace

TEST_F(TreeTest, OperatorsComputeLeftAndRight)
{
    struct Case {
        NodeKind kind;
        Extended a, b, expected;
    } cases[] = {
        {NodeKind::Suma, 2, 3, 5},
        {NodeKind::Resta, 2, 3, -1},
        {NodeKind::Mul, 2, 3, 6},
        {NodeKind::Div, 3, 4, 0.75L},
        {NodeKind::Pot, 2, 10, 1024},
        {NodeKind::Pot, 2, -1, 0.5L},
        {NodeKind::Pot, 0, 3, 0},
        {NodeKind::Pot, 5, 0, 1},
        {NodeKind::Pot, -2, 3, -8},
        {NodeKind::Raiz, 9, 2, 3},
        {NodeKind::LogN, 8, 2, 3},
        {NodeKind::LogN, 1000, 10, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        EXPECT_NEAR(static_cast<double>(EvalFree(CreateOp(c.kind, Num(c.a), Num(c.b)))),
                    static_cast<double>(c.expected), 1e-15);
    }
}

// Which operand goes first shows in the message that stops the evaluation: the
// left one, but the base of a logarithm. A shared node (its own cache) and an
// operand nested below another operator keep the same order.
TEST_F(TreeTest, OperandsAreEvaluatedInTheirOrder)
{
    const NodeKind kinds[] = {NodeKind::Suma, NodeKind::Resta, NodeKind::Mul, NodeKind::Div,
                              NodeKind::Pot,  NodeKind::Raiz,  NodeKind::LogN};
    for (NodeKind k : kinds) {
        for (bool shared : {false, true}) {
            SCOPED_TRACE(static_cast<int>(k) * 10 + shared);
            TEval* op = CreateOp(k, new TExprMsg(QStringLiteral("L")), new TExprMsg(QStringLiteral("R")));
            NodeGuard outer(CreateOp(NodeKind::Suma, op, Num(1)));
            NodeGuard second(shared ? op : nullptr);
            const QString first = k == NodeKind::LogN ? QStringLiteral("R") : QStringLiteral("L");
            try {
                outer.get()->Evaluate();
                ADD_FAILURE() << "no message raised";
            } catch (const EExprMsj& e) {
                EXPECT_EQ(e.message(), first);
            }
        }
    }
}

TEST_F(TreeTest, ArithmeticFaultsAreRaisedWhileFolding)
{
    struct Case {
        NodeKind kind;
        Extended a, b;
        int code;
    } cases[] = {
        {NodeKind::Div, 1, 0, 11},
        {NodeKind::Div, 0, 0, 15},
        {NodeKind::Pot, 0, -1, 11},
        {NodeKind::Pot, -8, 1.0L / 3, 15},
        {NodeKind::Raiz, -8, 3, 15},
        {NodeKind::Raiz, 4, 0, 11},
        {NodeKind::LogN, -1, 10, 15},
        {NodeKind::LogN, 0, 10, 11},
        {NodeKind::LogN, 5, 1, 11},
        {NodeKind::Mul, 1e4000L, 1e4000L, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        NodeGuard a(Num(c.a));
        NodeGuard b(Num(c.b));
        try {
            CreateOp(c.kind, a.get(), b.get());
            ADD_FAILURE() << "no fault";
        } catch (const EMathError& e) {
            EXPECT_EQ(e.code(), c.code);
        }
        // The children are given back untouched to their holders.
        EXPECT_EQ(a.get()->RefCount, 1);
        EXPECT_EQ(b.get()->RefCount, 1);
    }
}

TEST_F(TreeTest, LiteralsAreCurrentVariablesAfterReading)
{
    TVariable x;
    TNum n(5);
    EXPECT_TRUE(n.IsValueCurrent());
    TVar v(&x);
    EXPECT_FALSE(v.IsValueCurrent());
    x.SetValue(3);
    EXPECT_EQ(v.Evaluate(), 3);
    EXPECT_TRUE(v.IsRead());
    x.SetValue(4);
    EXPECT_FALSE(v.IsRead());
    EXPECT_EQ(x.Nodes.size(), 1u);
}

TEST_F(TreeTest, VariableNodesRegisterAndLeave)
{
    TVariable x;
    {
        TVar a(&x);
        TVar b(&x);
        EXPECT_EQ(x.Nodes.size(), 2u);
    }
    EXPECT_TRUE(x.Nodes.empty());
}

TEST_F(TreeTest, ConstantSubtreesFoldAtConstruction)
{
    // sin over a literal built in one unit keeps that value whatever the unit
    // is later: its argument stays current.
    engineState().CurrentAngleMode = 1;
    auto sinUnit = [](Extended x) {
        return engineState().CurrentAngleMode == 1 ? sinl(x * kPi / 180) : sinl(x);
    };
    TFun1* f = CreateFun1(sinUnit, Num(2), {});
    NodeGuard g(f);
    const Extended folded = f->Value;
    EXPECT_EQ(folded, sinl(2 * kPi / 180));
    engineState().CurrentAngleMode = 0;
    EXPECT_EQ(f->Evaluate(), folded);

    TEval* op = CreateOp(NodeKind::Suma, Num(1), Num(2));
    NodeGuard h(op);
    EXPECT_EQ(op->Value, 3);
    EXPECT_TRUE(op->IsValueCurrent());
}

TEST_F(TreeTest, FunctionCacheFollowsItsVariable)
{
    TVariable x;
    x.SetValue(3);
    g_calls = 0;
    TFun1* f = CreateFun1(CountingSquare, new TVar(&x), {});
    NodeGuard g(f);
    EXPECT_EQ(f->Evaluate(), 9);
    EXPECT_EQ(f->Evaluate(), 9);
    EXPECT_EQ(g_calls, 1);   // cached while x does not change
    x.SetValue(4);
    EXPECT_FALSE(f->IsValueCurrent());
    EXPECT_EQ(f->Evaluate(), 16);
    EXPECT_EQ(g_calls, 2);
}

// One variable node read by two function nodes (a parameter used twice in a
// user function's body): each reader must follow the variable, not the first
// reader's read flag.
TEST_F(TreeTest, EveryReaderOfASharedVariableNodeStaysInStep)
{
    TVariable x;
    NodeGuard var(new TVar(&x));
    TFun1* s = CreateFun1([](Extended v) { return sinl(v); }, var.get(), {});
    TFun1* c = CreateFun1([](Extended v) { return cosl(v); }, var.get(), {});
    TEval* sum = CreateOp(NodeKind::Suma, s, c);
    NodeGuard g(sum);
    for (Extended v : {0.0L, 1.0L, 2.5L, -1.0L, 1.0L}) {
        SCOPED_TRACE(static_cast<double>(v));
        x.SetValue(v);
        EXPECT_EQ(sum->Evaluate(), sinl(v) + cosl(v));
        // Reading the shared node through one reader must not make the other
        // believe it is current.
        x.SetValue(v + 1);
        EXPECT_EQ(s->Evaluate(), sinl(v + 1));
        EXPECT_FALSE(c->IsValueCurrent());
        EXPECT_EQ(c->Evaluate(), cosl(v + 1));
    }
}

TEST_F(TreeTest, FunctionWithoutArgumentsIsNeverCurrent)
{
    int n = 0;
    TMakeFun0 make([&n] { return static_cast<Extended>(++n); }, 2);
    TEval* f = make.Make();
    TEval* sum = CreateOp(NodeKind::Suma, f, Num(0));
    NodeGuard g(sum);
    EXPECT_FALSE(sum->IsValueCurrent());
    const Extended a = sum->Evaluate();
    EXPECT_NE(sum->Evaluate(), a);
}

TEST_F(TreeTest, ReleaseNodeAndDiscardFollowTheCount)
{
    TVariable x;
    TEval* shared = new TVar(&x);
    TEval* a = CreateOp(NodeKind::Suma, shared, Num(1));
    TEval* b = CreateOp(NodeKind::Mul, shared, Num(2));
    AddRef(shared);   // a third holder
    EXPECT_EQ(shared->RefCount, 3);
    ReleaseNode(shared);
    EXPECT_EQ(shared->RefCount, 2);
    Discard(a);   // uncounted: destroyed, lets go of its children
    EXPECT_EQ(shared->RefCount, 1);
    EXPECT_EQ(x.Nodes.size(), 1u);
    Discard(shared);   // counted by b: left alone
    EXPECT_EQ(x.Nodes.size(), 1u);
    Discard(b);   // the last holder goes: so does the node
    EXPECT_TRUE(x.Nodes.empty());

    TEval* lone = new TVar(&x);
    ReleaseNode(lone);   // count 0 or 1: destroyed
    EXPECT_TRUE(x.Nodes.empty());
}

TEST_F(TreeTest, GuardCountsAsOneHolder)
{
    TVariable x;
    TEval* v = new TVar(&x);
    {
        NodeGuard g(v);
        EXPECT_EQ(v->RefCount, 1);
        TEval* op = CreateOp(NodeKind::Suma, v, Num(1));
        EXPECT_EQ(v->RefCount, 2);
        Discard(op);
        EXPECT_EQ(v->RefCount, 1);
    }
    EXPECT_TRUE(x.Nodes.empty());
}

TEST_F(TreeTest, ComparisonsUseTheToleranceOnlyForEquality)
{
    engineState().EqualityTolerance = 1e-14L;
    const Extended one = 1, up = 1 + 1e-15L, down = 1 - 1e-15L;
    struct Case {
        NodeKind kind;
        Extended a, b;
        bool expected;
    } cases[] = {
        {NodeKind::Igu, one, up, true},      {NodeKind::Men, one, up, true},
        {NodeKind::MayIgu, down, one, true}, {NodeKind::MenIgu, up, one, true},
        {NodeKind::Dist, one, up, false},    {NodeKind::May, up, one, true},
        {NodeKind::May, one, one, false},    {NodeKind::Men, one, one, false},
        {NodeKind::MayIgu, 2, 1, true},      {NodeKind::MenIgu, 2, 1, false},
        {NodeKind::Dist, 1, 2, true},        {NodeKind::Igu, 1, 1.1L, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        EXPECT_EQ(EvalFree(CreateOp(c.kind, Num(c.a), Num(c.b))), c.expected ? 1 : -1);
    }
    engineState().EqualityTolerance = 0;
    EXPECT_EQ(EvalFree(CreateOp(NodeKind::Igu, Num(one), Num(up))), -1);
}

TEST_F(TreeTest, ComparisonsYieldTheCurrentTruthValues)
{
    engineState().TrueValue = 7.5L;
    engineState().FalseValue = -0.25L;
    EXPECT_EQ(EvalFree(CreateOp(NodeKind::Men, Num(1), Num(2))), 7.5L);
    EXPECT_EQ(EvalFree(CreateOp(NodeKind::Men, Num(2), Num(1))), -0.25L);
}

TEST_F(TreeTest, ChainedComparisons)
{
    auto chain = [](NodeKind k, Extended a, Extended b, Extended c) {
        return EvalFree(CreateOp(k, CreateOp(k, Num(a), Num(b)), Num(c)));
    };
    EXPECT_EQ(chain(NodeKind::Men, 1, 2, 3), 1);
    EXPECT_EQ(chain(NodeKind::Men, 1, 3, 2), -1);
    EXPECT_EQ(chain(NodeKind::Men, 2, 1, 3), -1);
    EXPECT_EQ(chain(NodeKind::May, 3, 2, 1), 1);
    // Four in a row.
    TEval* t = CreateOp(NodeKind::Men, CreateOp(NodeKind::Men, CreateOp(NodeKind::Men, Num(1), Num(2)), Num(3)), Num(4));
    EXPECT_EQ(EvalFree(t), 1);
}

TEST_F(TreeTest, ChainRestoresItsOperandWhenTheComparisonRaises)
{
    TVariable x;
    x.SetValue(0);
    // (1 < 2) < 1/x: the comparison of 2 with 1/x raises.
    TEval* inner = CreateOp(NodeKind::Men, Num(1), Num(2));
    TEval* t = CreateOp(NodeKind::Men, inner, CreateOp(NodeKind::Div, Num(1), new TVar(&x)));
    NodeGuard g(t);
    EXPECT_THROW(t->Evaluate(), EZeroDivide);
    EXPECT_EQ(t->Children[0], inner);
    x.SetValue(1);
    EXPECT_EQ(t->Evaluate(), -1);   // 2 < 1 is false
}

TEST_F(TreeTest, LogicalOperatorsShortCircuit)
{
    auto msg = [] { return new TExprMsg(QStringLiteral("no")); };
    EXPECT_EQ(EvalFree(CreateOp(NodeKind::And, Num(0), msg())), -1);
    EXPECT_EQ(EvalFree(CreateOp(NodeKind::Or, Num(1), msg())), 1);
    EXPECT_THROW(EvalFree(CreateOp(NodeKind::And, Num(1), msg())), EExprMsj);
    EXPECT_THROW(EvalFree(CreateOp(NodeKind::Xor, Num(1), msg())), EExprMsj);
    struct Case {
        NodeKind kind;
        Extended a, b, expected;
    } cases[] = {
        {NodeKind::And, 1, 1, 1},  {NodeKind::And, 1, -1, -1}, {NodeKind::Or, -1, 0.5L, 1},
        {NodeKind::Or, 0, 0, -1},  {NodeKind::Xor, 1, 1, -1},  {NodeKind::Xor, 1, 0, 1},
        {NodeKind::Xor, 0, -3, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        EXPECT_EQ(EvalFree(CreateOp(c.kind, Num(c.a), Num(c.b))), c.expected);
    }
}

TEST_F(TreeTest, MessageNodeRaisesItsText)
{
    TExprMsg m(QString(300, QLatin1Char('a')));
    EXPECT_EQ(m.Text.size(), 255);
    EXPECT_FALSE(m.IsValueCurrent());
    try {
        m.Evaluate();
        FAIL();
    } catch (const EExprMsj& e) {
        EXPECT_EQ(e.message(), QString(255, QLatin1Char('a')));
    }
}

TEST_F(TreeTest, FunctionOfSeveralArgumentsEvaluatesWhatItNeeds)
{
    auto si = [](const TEvalArray& a) { return a[0]->Evaluate() > 0 ? a[1]->Evaluate() : a[2]->Evaluate(); };
    TVariable x;
    x.SetValue(0);
    TFunN* f = CreateFunN(si, {Num(0), CreateOp(NodeKind::Div, Num(1), new TVar(&x)), Num(2)});
    NodeGuard g(f);
    EXPECT_EQ(f->Evaluate(), 2);
}

TEST_F(TreeTest, UserFunctionNodeFollowsItsBody)
{
    // The body reads a variable that is not a parameter: the node still
    // recomputes when it changes.
    TVariable x, y;
    x.SetValue(1);
    y.SetValue(10);
    TEval* arg = new TVar(&x);
    TEval* body = CreateOp(NodeKind::Suma, arg, new TVar(&y));
    TFunUser* u = CreateFunUser(body, {arg});
    NodeGuard g(u);
    EXPECT_EQ(u->Evaluate(), 11);
    y.SetValue(20);
    EXPECT_EQ(u->Evaluate(), 21);
    x.SetValue(2);
    EXPECT_EQ(u->Evaluate(), 22);
}

TEST_F(TreeTest, ContainsVariable)
{
    TVariable x, y;
    NodeGuard bare(new TVar(&y));
    EXPECT_FALSE(ContainsVariable(bare.get(), &x));
    EXPECT_TRUE(ContainsVariable(bare.get(), &y));
    NodeGuard t(CreateOp(NodeKind::Suma, Num(1), CreateFun1([](Extended v) { return v; }, new TVar(&x), {})));
    EXPECT_TRUE(ContainsVariable(t.get(), &x));
    EXPECT_FALSE(ContainsVariable(t.get(), &y));
}

TEST_F(TreeTest, InverseOperationsSolveEveryOperand)
{
    // op(a, b) = R solved for each operand; a = 3, b = 2, R = op(3, 2).
    struct Case {
        NodeKind kind;
    } cases[] = {{NodeKind::Suma}, {NodeKind::Resta}, {NodeKind::Mul}, {NodeKind::Div},
                 {NodeKind::Pot}, {NodeKind::Raiz}, {NodeKind::LogN}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        const Extended r = EvalFree(CreateOp(c.kind, Num(3), Num(2)));
        for (bool left : {true, false}) {
            TVariable v;
            TEval* a = left ? static_cast<TEval*>(new TVar(&v)) : Num(3);
            TEval* b = left ? Num(2) : static_cast<TEval*>(new TVar(&v));
            TEval* eq = CreateOp(NodeKind::Igu, CreateOp(c.kind, a, b), Num(r));
            NodeGuard g(eq);
            NodeGuard solved(SolveEquation(eq, &v));
            EXPECT_NEAR(static_cast<double>(solved.get()->Evaluate()), left ? 3.0 : 2.0, 1e-12);
        }
    }
}

TEST_F(TreeTest, SolvingMessages)
{
    TVariable x, y;
    auto expectMessage = [&](TEval* tree, const char* message) {
        NodeGuard g(tree);
        try {
            NodeGuard s(SolveEquation(tree, &x));
            ADD_FAILURE() << "solved";
        } catch (const EDespejar& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(message));
        }
    };
    expectMessage(CreateOp(NodeKind::Men, new TVar(&x), Num(3)), "No es una ecuación");
    expectMessage(CreateOp(NodeKind::Igu, CreateOp(NodeKind::Suma, new TVar(&y), Num(1)), Num(2)),
                  "No se encuentra variable para despejar");
    expectMessage(CreateOp(NodeKind::Igu, new TVar(&x), CreateOp(NodeKind::Suma, new TVar(&x), Num(1))),
                  "Ecuación demasiado compleja para despejar");
    expectMessage(CreateOp(NodeKind::Igu, CreateOp(NodeKind::Suma, new TVar(&x), new TVar(&x)), Num(4)),
                  "Expresión demasiado compleja para despejar");
    expectMessage(CreateOp(NodeKind::Igu, CreateFun1([](Extended v) { return fabsl(v); }, new TVar(&x), {}), Num(3)),
                  "Una o mas funciones no se pueden despejar");
    expectMessage(CreateOp(NodeKind::Igu, CreateFunN([](const TEvalArray& a) { return a[0]->Evaluate(); },
                                                     {new TVar(&x), Num(1)}),
                           Num(3)),
                  "No se puede despejar");
    TEval* none = nullptr;
    try {
        SolveEquation(none, &x);
        ADD_FAILURE();
    } catch (const EDespejar& e) {
        EXPECT_EQ(e.message(), QStringLiteral("No es una ecuación"));
    }
}

TEST_F(TreeTest, SolvingThroughAFunctionUsesItsInverse)
{
    TVariable x;
    auto sq = [](Extended v) { return v * v; };
    auto root = [](Extended v) { return sqrtl(v); };
    TEval* eq = CreateOp(NodeKind::Igu, CreateFun1(root, new TVar(&x), sq), Num(3));
    NodeGuard g(eq);
    NodeGuard s(SolveEquation(eq, &x));
    EXPECT_EQ(s.get()->Evaluate(), 9);
}

TEST_F(TreeTest, VariableAloneGivesTheOtherSideItself)
{
    TVariable x;
    TEval* five = Num(5);
    TEval* eq = CreateOp(NodeKind::Igu, new TVar(&x), five);
    NodeGuard g(eq);
    TEval* s = SolveEquation(eq, &x);
    EXPECT_EQ(s, five);
    Discard(s);   // counted by the equation: stays
    EXPECT_EQ(eq->Evaluate(), -1);   // x is 0
    x.SetValue(5);
    EXPECT_EQ(eq->Evaluate(), 1);
}

TEST_F(TreeTest, FailedSolvingFreesWhatItBuilt)
{
    // (x + 1) * 2 = 4 through Abs: the nodes built on the way are freed (the
    // leak checker of the sanitizer build watches this).
    TVariable x;
    TEval* eq = CreateOp(NodeKind::Igu,
                         CreateOp(NodeKind::Mul,
                                  CreateFun1([](Extended v) { return fabsl(v); },
                                             CreateOp(NodeKind::Suma, new TVar(&x), Num(1)), {}),
                                  Num(2)),
                         Num(4));
    NodeGuard g(eq);
    EXPECT_THROW(SolveEquation(eq, &x), EDespejar);
    EXPECT_EQ(eq->Children[1]->RefCount, 1);
}

TEST_F(TreeTest, FoldingFaultWhileSolvingFreesWhatItBuilt)
{
    TVariable x;
    auto sinF = [](Extended v) { return sinl(v); };
    auto asinF = [](Extended v) {
        if (v > 1 || v < -1)
            throw EInvalidOp();
        return asinl(v);
    };
    TEval* two = Num(2);
    TEval* eq = CreateOp(NodeKind::Igu, CreateFun1(sinF, new TVar(&x), asinF), two);
    NodeGuard g(eq);
    EXPECT_THROW(SolveEquation(eq, &x), EInvalidOp);
    EXPECT_EQ(two->RefCount, 1);
}

TEST_F(TreeTest, NameTableEntriesBuildTheirNodes)
{
    TMakeConst c(2.5L);
    NodeGuard cn(c.Make());
    EXPECT_EQ(cn.get()->Kind(), NodeKind::Const);
    EXPECT_EQ(cn.get()->Evaluate(), 2.5L);

    TMakeVar v;
    EXPECT_EQ(v.Category, 1);
    NodeGuard a(v.Make());
    NodeGuard b(v.Make());
    EXPECT_NE(a.get(), b.get());   // every occurrence has its own node
    EXPECT_EQ(v.Variable->Nodes.size(), 2u);

    TMakeFunN logn(nullptr, 2, 2);
    logn.Args = {Num(8), Num(2)};
    NodeGuard l(logn.Make());
    EXPECT_EQ(l.get()->Kind(), NodeKind::LogN);
    EXPECT_NEAR(static_cast<double>(l.get()->Evaluate()), 3.0, 1e-15);
    logn.Args.clear();

    TMakeUser u(QStringLiteral("?A+?B"), 2);
    EXPECT_EQ(u.Make(), nullptr);
    EXPECT_EQ(u.Category, 5);
    EXPECT_EQ(u.MinArgs, 2);
}

TEST_F(TreeTest, ArgumentListOnlyDraws)
{
    NodeGuard a(Num(1));
    NodeGuard b(Num(2));
    {
        TDibListaArg list({a.get(), b.get()});
        EXPECT_FALSE(list.IsValueCurrent());
        EXPECT_THROW(list.Evaluate(), Exception);
        EXPECT_EQ(list.Items.size(), 2u);
    }
    // The items belong to whoever holds them, not to the list.
    EXPECT_EQ(a.get()->RefCount, 1);
    EXPECT_EQ(b.get()->Evaluate(), 2);
}

TEST_F(TreeTest, ConstantsAndResolvedValues)
{
    TConst c(2.5L);
    TExt x(7);
    EXPECT_TRUE(c.IsValueCurrent());
    EXPECT_TRUE(x.IsValueCurrent());
    EXPECT_EQ(c.Base, 10);
    EXPECT_EQ(x.Evaluate(), 7);
    EXPECT_EQ(x.Kind(), NodeKind::Ext);
    TNum n(255, 16);
    EXPECT_EQ(n.Base, 16);
    EXPECT_TRUE(n.Text.isEmpty());   // filled when first drawn
}
