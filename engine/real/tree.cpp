#include "engine/real/tree.h"

#include "engine/checked.h"
#include "engine/real/errors.h"
#include "engine/real/fastmath.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace real {

namespace {

// An operand's value: literals and variables read in place, anything else
// through EvaluateNode. A variable node records that it has been read, as its
// Evaluate does.
inline Extended Operand(TEval* n);

// Literals and variables: read in place, never fault.
inline bool IsLeaf(const TEval* n)
{
    return n->Kind() <= NodeKind::Ext || n->Kind() == NodeKind::Var;
}

} // namespace

// Natural logarithm with the processor's faults (those of checked::ln).
Extended CheckedLn(Extended x)
{
    if (std::isnan(x) || x < 0)
        throw EInvalidOp();
    if (x == 0)
        throw EZeroDivide();
    return fastmath::Ln(x);
}

// General power of two reals (x^0 = 1, 0^y = 0 for y > 0, integer exponents by
// repeated multiplication semantics, otherwise through the logarithm).
Extended CheckedPower(Extended base, Extended exponent)
{
    if (exponent == 0)
        return 1;
    if (base == 0) {
        if (exponent > 0)
            return 0;
        throw EZeroDivide();
    }
    const Extended magnitude = std::fabs(exponent);
    // Whether the exponent is an integer: rounded to the nearest one below
    // 2^62 (without a call or a change of the x87 rounding mode, which cost
    // more than the rest of a small power), truncated below 2^64.
    if (magnitude < 0x1p62L) {
        if (!fastmath::NotWhole(magnitude))
            return checked::IntPower(base, exponent < 0, static_cast<std::uint64_t>(fastmath::detail::WholeToInt(magnitude)));
    } else if (magnitude < 0x1p64L) {
        if (truncl(magnitude) == magnitude)
            return checked::IntPower(base, exponent < 0, static_cast<std::uint64_t>(magnitude));
    } else if (std::isfinite(magnitude)) {
        // From 2^64 on every value is an even integer: the power of |base|.
        return checked::result(powl(fabsl(base), exponent));
    }
    if (base < 0)
        throw EInvalidOp();
    return checked::result(fastmath::Pow(base, exponent));
}

EngineState& engineState()
{
    static EngineState state;
    return state;
}

bool ValuesEqual(Extended a, Extended b)
{
    return engineState().EqualityTolerance >= std::fabs(b - a);
}

// --------------------------------------------------------------------------
// Base node.

bool TEval::IsValueCurrent() { return StampCurrent(); }

TEval* TEval::SolveFor(TEval*, TVariable*)
{
    throw EDespejar(QStringLiteral("No se puede despejar"));
}

// Measure, Draw and their parenthesised forms: engine/real/draw.cpp.

// --------------------------------------------------------------------------
// Literals and constants.

TNum::TNum(Extended value, std::uint8_t base) : TSimpleNum(NodeKind::Num, value) { Base = base; }

Extended TFun0::Evaluate()
{
    Value = Fn();
    return Value;
}

// --------------------------------------------------------------------------
// Variables.

Extended TVar::Evaluate()
{
    SetStamp(Variable->Version());
    Value = Variable->Value;
    return Value;
}

// --------------------------------------------------------------------------
// Messages and argument lists.

Extended TExprMsg::Evaluate() { throw EExprMsj(Text); }

Extended TDibListaArg::Evaluate() { throw Exception(QString()); }

// --------------------------------------------------------------------------
// Operators.

namespace {

// An unshared operator of the arithmetic (left operand first): a link of a
// chain such as "a+b-c*d+..." (the tree leans left, one link per operator).
inline bool ChainLink(const TEval* n)
{
    return n->Kind() >= NodeKind::Suma && n->Kind() <= NodeKind::Raiz && n->RefCount < 2;
}

// An unshared arithmetic operator whose left operand is no link of a chain.
[[gnu::always_inline]] inline Extended EvaluateArithmetic(TEval* n)
{
    TEval* l = n->Children[0];
    TEval* r = n->Children[1];
    if (IsLeaf(l) && !IsLeaf(r) && !r->CallsOut()) {
        // A literal or variable read cannot fault, and nothing in r sets
        // variables, so reading l after r gives the same value and the same
        // fault; the left value is then not carried across the call.
        const Extended b = EvaluateNode(r);
        return ApplyOperator(n->Kind(), Operand(l), b);
    }
    const Extended a = Operand(l);
    return ApplyOperator(n->Kind(), a, Operand(r));
}

// A chain of links down the left side of `top`, evaluated without recursing
// along it, in the order the recursion follows: the lowest link, then each
// link above with its right operand. A sum of any number of terms then needs
// no more stack than one term.
[[gnu::noinline]] Extended EvaluateChain(TEval* top)
{
    constexpr std::size_t kInline = 32;
    TEval* near[kInline];
    std::vector<TEval*> far;   // the whole chain, once it outgrows `near`
    std::size_t count = 0;
    for (TEval* n = top;; n = n->Children[0]) {
        if (count < kInline) {
            near[count] = n;
        } else {
            if (count == kInline)
                far.assign(near, near + kInline);
            far.push_back(n);
        }
        ++count;
        if (!ChainLink(n->Children[0]))
            break;
    }
    TEval* const* links = count > kInline ? far.data() : near;
    Extended v = EvaluateArithmetic(links[count - 1]);
    for (std::size_t i = count - 1; i-- > 0;) {
        TEval* n = links[i];
        v = ApplyOperator(n->Kind(), v, Operand(n->Children[1]));
    }
    return v;
}

} // namespace

// The evaluation path of every tree: literals, variables, unshared operators
// and one-argument functions are dispatched on the node kind and reached by
// direct calls (each body is defined in this file and inlined here); the other
// kinds go through their virtual Evaluate. Results are those of Evaluate.
Extended EvaluateNode(TEval* n)
{
    switch (n->Kind()) {
    case NodeKind::Num:
    case NodeKind::Const:
    case NodeKind::Ext:
        return n->Value;
    case NodeKind::Var:
        return Operand(n);
    case NodeKind::Fun1:
        return static_cast<TFun1*>(n)->TFun1::Evaluate();
    case NodeKind::Suma:
    case NodeKind::Resta:
    case NodeKind::Mul:
    case NodeKind::Div:
    case NodeKind::Pot:
    case NodeKind::Raiz:
        // A shared operator keeps its value (TOp::Evaluate); the others compute
        // here, as their Compute does, without a further call.
        if (n->RefCount >= 2)
            return static_cast<TOp*>(n)->TOp::Evaluate();
        if (ChainLink(n->Children[0]))
            return EvaluateChain(n);
        return EvaluateArithmetic(n);
    case NodeKind::LogN:
        if (n->RefCount >= 2)
            return static_cast<TOp*>(n)->TOp::Evaluate();
        return static_cast<TLogN*>(n)->TLogN::Compute();
    default:
        return n->Evaluate();
    }
}

namespace {

inline Extended Operand(TEval* n)
{
    switch (n->Kind()) {
    case NodeKind::Num:
    case NodeKind::Const:
    case NodeKind::Ext:
        return n->Value;
    case NodeKind::Var: {
        const TVariable* v = static_cast<TVar*>(n)->Variable;
        n->SetStamp(v->Version());
        return v->Value;
    }
    default:
        return EvaluateNode(n);
    }
}

} // namespace

// A folded operator holds the value EvaluateNode would compute again from
// its children (they are current, so the same values without a fault): an
// operator over such children reads it there, and a chain of constants
// ("1+2+3+...") folds in one step per operator instead of walking the chain
// below at every one.
Extended TreeTraits::FoldedValue(TEval* n)
{
    const NodeKind kind = n->Kind();
    if (kind < NodeKind::Suma || kind > NodeKind::LogN || n->RefCount >= 2)
        return EvaluateNode(n);
    const auto operand = [](TEval* c) { return Operand(c); };
    const auto apply = [](NodeKind k, Extended a, Extended b) { return ApplyOperator(k, a, b); };
    // The base of a logarithm first.
    if (kind == NodeKind::LogN)
        return exprcore::FoldedOperatorValueT<true>(n, operand, apply);
    return exprcore::FoldedOperatorValueT<false>(n, operand, apply);
}

Extended TOp::Evaluate()
{
    return exprcore::SharedValueT(this, [this] { return Compute(); });
}

namespace {
// The operators but TLogN evaluate their left operand, then the right one.
template <NodeKind K>
inline Extended LeftThenRight(TOp* op)
{
    const Extended a = Operand(op->Left());
    return ApplyOperator(K, a, Operand(op->Right()));
}
} // namespace

Extended TSuma::Compute() { return LeftThenRight<NodeKind::Suma>(this); }

Extended TResta::Compute() { return LeftThenRight<NodeKind::Resta>(this); }

Extended TMul::Compute() { return LeftThenRight<NodeKind::Mul>(this); }

Extended TDiv::Compute() { return LeftThenRight<NodeKind::Div>(this); }

Extended TPot::Compute() { return LeftThenRight<NodeKind::Pot>(this); }

Extended TRaiz::Compute() { return LeftThenRight<NodeKind::Raiz>(this); }

Extended TLogN::Compute()
{
    const Extended base = Operand(Right());
    return ApplyOperator(NodeKind::LogN, Operand(Left()), base);
}

// --------------------------------------------------------------------------
// Comparisons.

namespace {
inline Extended Truth(bool b) { return TreeTraits::Truth(b); }
} // namespace

Extended TMay::Compare()
{
    const Extended a = Operand(Left());
    return Truth(a > Operand(Right()));
}

Extended TMen::Compare()
{
    const Extended a = Operand(Left());
    return Truth(a < Operand(Right()));
}

Extended TIgu::Compare()
{
    const Extended a = Operand(Left());
    return Truth(ValuesEqual(a, Operand(Right())));
}

Extended TMayIgu::Compare()
{
    Extended a = Operand(Left());
    Extended b = Operand(Right());
    if (a >= b)
        return Truth(true);
    a = Operand(Left());
    b = Operand(Right());
    return Truth(ValuesEqual(a, b));
}

Extended TMenIgu::Compare()
{
    Extended a = Operand(Left());
    Extended b = Operand(Right());
    if (!(a > b))
        return Truth(true);
    a = Operand(Left());
    b = Operand(Right());
    return Truth(ValuesEqual(a, b));
}

Extended TDist::Compare()
{
    const Extended a = Operand(Left());
    return Truth(!ValuesEqual(a, Operand(Right())));
}

// Logical operators.

Extended TAnd::Compute()
{
    if (!(Operand(Left()) > 0))
        return Truth(false);
    return Truth(Operand(Right()) > 0);
}

Extended TOr::Compute()
{
    if (Operand(Left()) > 0)
        return Truth(true);
    return Truth(Operand(Right()) > 0);
}

Extended TXor::Compute()
{
    const bool a = Operand(Left()) > 0;
    const bool b = Operand(Right()) > 0;
    return Truth(a != b);
}

// --------------------------------------------------------------------------
// Functions.

Extended TFun1::Evaluate()
{
    return exprcore::CachedValueT(this, [this] { return Fn(EvaluateNode(Arg())); });
}

Extended TFunN::Evaluate()
{
    return exprcore::CachedValueT(this, [this] { return Fn(Arguments); });
}

Extended TFunUser::Evaluate()
{
    return exprcore::CachedValueT(this, [this] { return EvaluateNode(Body); });
}

// --------------------------------------------------------------------------
// Builders.

TEval* CreateOp(NodeKind kind, TEval* l, TEval* r)
{
    return exprcore::FoldT<TreeTraits>(
        exprcore::NewOperatorT<TEval, TSuma, TResta, TMul, TDiv, TPot, TRaiz, TLogN, TMay, TMen, TIgu, TMayIgu,
                               TMenIgu, TDist, TAnd, TOr, TXor>(kind, l, r));
}

TFunUser* CreateFunUser(TEval* body, const TEvalArray& args)
{
    return exprcore::FoldT<TreeTraits>(new TFunUser(body, args));
}

// ContainsVariable, SolveEquation, CreateFun1, CreateFunN (engine/treecore.h).
EXPRCORE_TREE_FUNCTIONS(TreeTraits)

} // namespace real

