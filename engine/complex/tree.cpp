#include "engine/complex/tree.h"

#include "engine/errors.h"
#include "foundation/core/format.h"

#include <algorithm>
#include <cmath>

namespace complex {

namespace {

inline TComplex Truth(bool b) { return TreeTraits::Truth(b); }

} // namespace

EngineState& engineState()
{
    static EngineState state;
    return state;
}

bool ValuesEqual(TComplex a, TComplex b)
{
    const Extended tol = engineState().EqualityTolerance;
    return std::fabs(a.Re - b.Re) <= tol && std::fabs(a.Im - b.Im) <= tol;
}

// --------------------------------------------------------------------------
// Base node.

bool TEval::IsValueCurrent() { return StampCurrent(); }

TEval* TEval::SolveFor(TEval*, TVariable*)
{
    throw EDespejar(QStringLiteral("No se puede despejar"));
}

// --------------------------------------------------------------------------
// Literals and constants.

void TFun0::Evaluate(TComplex& result)
{
    Fn(Value);
    result = Value;
}

// --------------------------------------------------------------------------
// Variables.

void TVar::Evaluate(TComplex& result)
{
    SetStamp(Variable->Version());
    Value = Variable->Value;
    result = Value;
}

// --------------------------------------------------------------------------
// Messages and argument lists.

void TExprMsg::Evaluate(TComplex&) { throw EExprMsj(Text); }

void TDibListaArg::Evaluate(TComplex& result) { result = TComplex{}; }

// --------------------------------------------------------------------------
// Operators.

namespace {

// The operators that evaluate their right operand first: + - * / ^.
inline bool RightFirstKind(NodeKind kind) { return kind >= NodeKind::Suma && kind <= NodeKind::Pot; }

TComplex ApplyArithmetic(NodeKind kind, TComplex a, TComplex b)
{
    TComplex v;
    switch (kind) {
    case NodeKind::Suma: ComplexAdd(a, b, v); break;
    case NodeKind::Resta: ComplexSub(a, b, v); break;
    case NodeKind::Mul: ComplexMul(a, b, v); break;
    case NodeKind::Div: ComplexDiv(a, b, v); break;
    case NodeKind::Pot: ComplexPower(a, b, v); break;
    default: throw Exception(QStringLiteral("CreateOp: no es un operador"));
    }
    return v;
}

// An unshared operator of those: a link of a chain such as "a+b-c*d+...".
inline bool ChainLink(const TEval* n) { return RightFirstKind(n->Kind()) && n->RefCount < 2; }

// The right operand first: it decides the order of the variable prompts and
// which fault is reported when both operands would fail.
TComplex RightFirst(const TEval* n)
{
    const TComplex b = n->Children[1]->Eval();
    return ApplyArithmetic(n->Kind(), n->Children[0]->Eval(), b);
}

// A chain of such links, without recursing along it (engine/treecore.h).
TComplex EvaluateChain(TEval* top)
{
    return exprcore::EvaluateLeftChainT<true, TComplex>(
        top, ChainLink, [](TEval* n) { return n->Eval(); },
        [](TEval* n, TComplex a, TComplex b) { return ApplyArithmetic(n->Kind(), a, b); });
}

} // namespace

void TOp::Evaluate(TComplex& result)
{
    result = exprcore::SharedValueT(this, [this] {
        return RightFirstKind(Kind()) && ChainLink(Left()) ? EvaluateChain(this) : Compute();
    });
}

TComplex TreeTraits::FoldedValue(TEval* n)
{
    if (!ChainLink(n))
        return n->Eval();
    return exprcore::FoldedOperatorValueT<true>(n, [](TEval* c) { return c->Eval(); }, ApplyArithmetic);
}

TComplex TSuma::Compute() { return RightFirst(this); }
TComplex TResta::Compute() { return RightFirst(this); }
TComplex TMul::Compute() { return RightFirst(this); }
TComplex TDiv::Compute() { return RightFirst(this); }
TComplex TPot::Compute() { return RightFirst(this); }

TComplex TLogN::Compute()
{
    const TComplex base = Right()->Eval();
    const TComplex x = Left()->Eval();
    TComplex lx, lb, r;
    ComplexLn(x, lx);
    ComplexLn(base, lb);
    ComplexDiv(lx, lb, r);
    return r;
}

TComplex ComplexRoot(TComplex a, TComplex b)
{
    if (b.Im != 0 || b.Re == 0)
        throw EMathError(QStringLiteral("El radical debe ser un número real distinto de cero"));
    const Extended r = ComplexAbs(a);
    const Extended t = ComplexArg(a);
    const Extended n = 1 / b.Re;
    Extended m;
    if (r == 0) {
        if (n < 0)
            throw EZeroDivide();
        m = 0;
    } else {
        m = powl(r, n);
        if (!std::isfinite(m))
            throw EOverflow();
    }
    TComplex z;
    ComplexPolar(m, t * n, z);
    return z;
}

// The radicand first, then the index.
TComplex TRaiz::Compute()
{
    const TComplex a = Left()->Eval();
    return ComplexRoot(a, Right()->Eval());
}

// --------------------------------------------------------------------------
// Comparisons.

TComplex TMay::Compare()
{
    const TComplex a = Left()->Eval();
    const TComplex b = Right()->Eval();
    return Truth(ComplexAbs(a) > ComplexAbs(b));
}

TComplex TMen::Compare()
{
    const TComplex a = Left()->Eval();
    const TComplex b = Right()->Eval();
    return Truth(ComplexAbs(a) < ComplexAbs(b));
}

TComplex TIgu::Compare()
{
    const TComplex b = Right()->Eval();
    const TComplex a = Left()->Eval();
    return Truth(ValuesEqual(a, b));
}

TComplex TDist::Compare()
{
    const TComplex b = Right()->Eval();
    const TComplex a = Left()->Eval();
    return Truth(!ValuesEqual(a, b));
}

TComplex TMayIgu::Compare()
{
    TComplex a = Left()->Eval();
    TComplex b = Right()->Eval();
    if (ComplexAbs(a) >= ComplexAbs(b))
        return Truth(true);
    b = Right()->Eval();
    a = Left()->Eval();
    return Truth(ValuesEqual(a, b));
}

TComplex TMenIgu::Compare()
{
    TComplex a = Left()->Eval();
    TComplex b = Right()->Eval();
    if (ComplexAbs(a) <= ComplexAbs(b))
        return Truth(true);
    b = Right()->Eval();
    a = Left()->Eval();
    return Truth(ValuesEqual(a, b));
}

// --------------------------------------------------------------------------
// Functions.

void TFun1::Evaluate(TComplex& result)
{
    result = exprcore::CachedValueT(this, [this] {
        TComplex v;
        Fn(Arg()->Eval(), v);
        return v;
    });
}

QString TreeTraits::NoInverseMessage(const TEval* fun)
{
    return Format(QStringLiteral("La función %s no se pueden despejar"), {fun->Text});
}

void TFunN::Evaluate(TComplex& result)
{
    result = exprcore::CachedValueT(this, [this] {
        TComplex v;
        Fn(Arguments, v);
        return v;
    });
}

void TFunUser::Evaluate(TComplex& result)
{
    result = exprcore::CachedValueT(this, [this] { return Body->Eval(); });
}

// --------------------------------------------------------------------------
// Builders.

TEval* CreateOp(NodeKind kind, TEval* l, TEval* r)
{
    return exprcore::FoldT<TreeTraits>(
        exprcore::NewOperatorT<TEval, TSuma, TResta, TMul, TDiv, TPot, TRaiz, TLogN, TMay, TMen, TIgu, TMayIgu,
                               TMenIgu, TDist>(kind, l, r));
}

TFunUser* CreateFunUser(TEval* body, const TEvalArray& args)
{
    return exprcore::FoldT<TreeTraits>(new TFunUser(body, args));
}

// ContainsVariable, SolveEquation, CreateFun1, CreateFunN (engine/treecore.h).
EXPRCORE_TREE_FUNCTIONS(TreeTraits)

} // namespace complex
