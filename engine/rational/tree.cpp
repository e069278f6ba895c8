#include "engine/rational/tree.h"

#include "engine/checked.h"
#include "engine/errors.h"
#include "engine/rational/errors.h"

#include <algorithm>
#include <cmath>

namespace rational {

namespace {

// Renewed by every change of a variable of this engine: a node whose stamp is
// older read a variable that has changed since (or may have).
std::uint64_t g_varVersion = 1;
// Renewed by every evaluation pass of an expression object.
std::uint64_t g_pass = 1;

constexpr std::uint64_t kNever = ~std::uint64_t(0);

TFrac Truth(bool b) { return TreeTraits::Truth(b); }


} // namespace

EngineState& engineState()
{
    static EngineState state;
    return state;
}

bool ValuesEqual(const TFrac& a, const TFrac& b)
{
    return engineState().EqualityTolerance >= fabsl(b.ToFloat() - a.ToFloat());
}

void NewEvaluationPass() { ++g_pass; }

// --------------------------------------------------------------------------
// Base node.

TEval::TEval(NodeKind kind) : TNodeCore(kind), m_stamp(kNever) {}

bool TEval::StampCurrent() const
{
    if (IsVolatile())
        return false;
    return !m_hasVar ? m_stamp != kNever : m_stamp == g_varVersion;
}

void TEval::SetStampNow() { m_stamp = g_varVersion; }

bool TEval::PassCurrent() const { return m_pass == g_pass; }

void TEval::SetPassNow() { m_pass = g_pass; }

template <class Compute>
TFrac TEval::PassCachedValue(bool keepWhileCurrent, Compute&& compute)
{
    if ((keepWhileCurrent && StampCurrent()) || (RefCount >= 2 && PassCurrent()))
        return Value;
    // A function that sets a variable while it runs leaves the value stale.
    const std::uint64_t version = g_varVersion;
    Value = compute();
    if (g_varVersion == version)
        SetStampNow();
    SetPassNow();
    return Value;
}

bool TEval::IsValueCurrent() { return StampCurrent(); }

TEval* TEval::SolveFor(TEval*, TVariable*)
{
    throw EDespejar(QStringLiteral("No se puede despejar"));
}

void TEval::AdoptChildren(TEval* const* children, std::size_t count)
{
    TakeChildren(children, count);
    for (std::size_t i = 0; i < count; ++i)
        m_hasVar = m_hasVar || children[i]->m_hasVar;
}

// --------------------------------------------------------------------------
// Literals and constants.

TFrac TFun0::Evaluate()
{
    Value = Fn();
    return Value;
}

// --------------------------------------------------------------------------
// Variables.

void TVariable::SetValue(const TFrac& value)
{
    m_value = value;
    ++g_varVersion;
}

TFrac TVar::Evaluate()
{
    if (!Variable || !Variable->Value())
        throw Exception(QStringLiteral("Variable sin valor"));
    IsRead = true;
    SetStampNow();
    Value = *Variable->Value();
    return Value;
}

// --------------------------------------------------------------------------
// Messages and argument lists.

TFrac TExprMsg::Evaluate() { throw EExprMsj(Text); }

TFrac TDibListaArg::Evaluate() { throw Exception(QString()); }

// --------------------------------------------------------------------------
// Operators.

namespace {

// The arithmetic: a copy of the left value combined in place with the right one.
// Powers and roots go through Extended (integral exponents by squaring) and
// come back as the best approximation within FracMaxDenominator.
TFrac ApplyArithmetic(NodeKind kind, TFrac a, const TFrac& b)
{
    switch (kind) {
    case NodeKind::Suma: return a.Add(b);
    case NodeKind::Resta: return a.Subtract(b);
    case NodeKind::Mul: return a.Multiply(b);
    case NodeKind::Div:
        // A plain error, not the floating-point zero-divide: reported as an
        // evaluation failure (code 19), or a compile failure while folding (18).
        if (b.Num() == 0)
            throw Exception(QStringLiteral("División por cero"));
        return a.Divide(b);
    case NodeKind::Pot: return a.Power(b);
    case NodeKind::Raiz: return a.Root(b);
    default: throw Exception(QStringLiteral("CreateOp: no es un operador"));
    }
}

inline bool ArithmeticKind(NodeKind kind) { return kind >= NodeKind::Suma && kind <= NodeKind::Raiz; }

// An unshared arithmetic operator: a link of a chain such as "a+b-c*d+...".
inline bool ChainLink(const TEval* n) { return ArithmeticKind(n->Kind()) && n->RefCount < 2; }

// The left operand first.
TFrac LeftFirst(const TEval* n)
{
    TFrac a = n->Children[0]->Evaluate();
    return ApplyArithmetic(n->Kind(), std::move(a), n->Children[1]->Evaluate());
}

} // namespace

// A chain of links, without recursing along it (engine/treecore.h): each link
// keeps its value as its own evaluation would.
TFrac TOp::EvaluateChain()
{
    const std::uint64_t version = g_varVersion;
    return exprcore::EvaluateLeftChainT<false, TFrac>(
        static_cast<TEval*>(this), ChainLink, [](TEval* n) { return n->Evaluate(); },
        [version](TEval* n, TFrac a, const TFrac& b) {
            TOp* link = static_cast<TOp*>(n);
            link->Value = ApplyArithmetic(n->Kind(), std::move(a), b);
            if (g_varVersion == version)
                link->SetStampNow();
            link->SetPassNow();
            return link->Value;
        });
}

// Only a shared operator keeps its value.
TFrac TOp::Evaluate()
{
    return PassCachedValue(RefCount >= 2, [this] {
        return ArithmeticKind(Kind()) && ChainLink(Left()) ? EvaluateChain() : Compute();
    });
}

TFrac TreeTraits::FoldedValue(TEval* n)
{
    if (!ChainLink(n))
        return n->Evaluate();
    return exprcore::FoldedOperatorValueT<false>(n, [](TEval* c) { return c->Evaluate(); }, ApplyArithmetic);
}

TFrac TSuma::Compute() { return LeftFirst(this); }
TFrac TResta::Compute() { return LeftFirst(this); }
TFrac TMul::Compute() { return LeftFirst(this); }
TFrac TDiv::Compute() { return LeftFirst(this); }
TFrac TPot::Compute() { return LeftFirst(this); }
TFrac TRaiz::Compute() { return LeftFirst(this); }

// ln(a) / ln(b), the argument first (not the base as in the real engine).
TFrac TLogN::Compute()
{
    const TFrac a = Left()->Evaluate();
    const TFrac b = Right()->Evaluate();
    const Extended la = checked::ln(a.ToFloat());
    const Extended lb = checked::ln(b.ToFloat());
    return FloatToFrac(fracSettings().FracMaxDenominator, checked::div(la, lb));
}

// --------------------------------------------------------------------------
// Comparisons, as extended reals. = and <> evaluate the right side first, the
// others the left side first.

TFrac TMay::Compare()
{
    const Extended a = Left()->Evaluate().ToFloat();
    return Truth(a > Right()->Evaluate().ToFloat());
}

TFrac TMen::Compare()
{
    const Extended a = Left()->Evaluate().ToFloat();
    return Truth(a < Right()->Evaluate().ToFloat());
}

TFrac TIgu::Compare()
{
    const TFrac b = Right()->Evaluate();
    return Truth(ValuesEqual(Left()->Evaluate(), b));
}

TFrac TDist::Compare()
{
    const TFrac b = Right()->Evaluate();
    return Truth(!ValuesEqual(Left()->Evaluate(), b));
}

// >= and <= are the strict comparison or the tolerant equality, over one
// evaluation of each side (a second one would double the work at every level of
// a nested comparison).
TFrac TMayIgu::Compare()
{
    const TFrac a = Left()->Evaluate();
    const TFrac b = Right()->Evaluate();
    return Truth(a.ToFloat() >= b.ToFloat() || ValuesEqual(a, b));
}

TFrac TMenIgu::Compare()
{
    const TFrac a = Left()->Evaluate();
    const TFrac b = Right()->Evaluate();
    return Truth(!(a.ToFloat() > b.ToFloat()) || ValuesEqual(a, b));
}

TFrac TAnd::Compute()
{
    if (!IsTrue(Left()->Evaluate()))
        return Truth(false);
    return Truth(IsTrue(Right()->Evaluate()));
}

TFrac TOr::Compute()
{
    if (IsTrue(Left()->Evaluate()))
        return Truth(true);
    return Truth(IsTrue(Right()->Evaluate()));
}

TFrac TXor::Compute()
{
    const bool a = IsTrue(Left()->Evaluate());
    const bool b = IsTrue(Right()->Evaluate());
    return Truth(a != b);
}

// --------------------------------------------------------------------------
// Functions.

TFrac TFun1::Evaluate()
{
    return PassCachedValue(true, [this] { return Fn(Arg()->Evaluate()); });
}

TFrac TFunN::Evaluate()
{
    return PassCachedValue(true, [this] { return Fn(Arguments); });
}

// --------------------------------------------------------------------------
// Builders.

TEval* CreateOp(NodeKind kind, TEval* l, TEval* r)
{
    return exprcore::FoldT<TreeTraits>(
        exprcore::NewOperatorT<TEval, TSuma, TResta, TMul, TDiv, TPot, TRaiz, TLogN, TMay, TMen, TIgu, TMayIgu,
                               TMenIgu, TDist, TAnd, TOr, TXor>(kind, l, r));
}

// ContainsVariable, SolveEquation, CreateFun1, CreateFunN (engine/treecore.h).
EXPRCORE_TREE_FUNCTIONS(TreeTraits)

} // namespace rational
