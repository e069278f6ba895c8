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

TFrac Truth(bool b)
{
    const EngineState& st = engineState();
    return b ? st.TrueValue : st.FalseValue;
}

// ln with the processor's faults: 0 divides by zero, a negative number is an
// invalid operation.
Extended CheckedLn(Extended x)
{
    if (std::isnan(x) || x < 0)
        throw EInvalidOp();
    if (x == 0)
        throw EZeroDivide();
    return logl(x);
}

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

TEval::TEval(NodeKind kind) : m_kind(kind), m_stamp(kNever) {}

TEval::~TEval()
{
    for (TEval* child : Children)
        ReleaseNode(child);
}

bool TEval::StampCurrent() const
{
    if (m_volatile)
        return false;
    return !m_hasVar ? m_stamp != kNever : m_stamp == g_varVersion;
}

void TEval::SetStampNow() { m_stamp = g_varVersion; }

bool TEval::PassCurrent() const { return m_pass == g_pass; }

void TEval::SetPassNow() { m_pass = g_pass; }

bool TEval::IsValueCurrent() { return StampCurrent(); }

TEval* TEval::SolveFor(TEval*, TVariable*)
{
    throw EDespejar(QStringLiteral("No se puede despejar"));
}

void TEval::AdoptChildren(const TEvalArray& children)
{
    // Check every count first, so that a refusal leaves nothing half taken.
    for (TEval* c : children)
        if (c->RefCount == exprcore::kMaxRefCount)
            throw ECompilacion(QStringLiteral("Expresión demasiado compleja"));
    Children.reserve(children.size());
    for (TEval* c : children) {
        ++c->RefCount;
        Children.push_back(c);
        m_volatile = m_volatile || c->m_volatile;
        m_hasVar = m_hasVar || c->m_hasVar;
    }
}

void ReleaseNode(TEval* node) { exprcore::ReleaseNodeT(node); }

void Discard(TEval* node) { exprcore::DiscardT(node); }

void AddRef(TEval* node) { exprcore::AddRefT<TEval, ECompilacion>(node); }

void MarkNamed(TEval* node) { exprcore::MarkNamedT(node); }

void DetachChildren(TEval* node)
{
    for (TEval* c : node->Children)
        --c->RefCount;
    node->Children.clear();
}

NodeGuard::NodeGuard(TEval* node) : m_node(node)
{
    if (m_node)
        AddRef(m_node);
}

// --------------------------------------------------------------------------
// Literals and constants.

TSimpleNum::TSimpleNum(NodeKind kind, const TFrac& value) : TEval(kind)
{
    Value = value;
    SetStampNow();
}

TNum::TNum(const TFrac& value) : TSimpleNum(NodeKind::Num, value) {}

TConst::TConst(const TFrac& value) : TSimpleNum(NodeKind::Const, value) {}

TExt::TExt(const TFrac& value) : TConst(NodeKind::Ext, value) {}

TFun0::TFun0(TEvalFunc0 fn) : TConst(NodeKind::Fun0, TFrac()), Fn(std::move(fn)) { MarkVolatile(); }

TFrac TFun0::Evaluate()
{
    Value = Fn();
    return Value;
}

// --------------------------------------------------------------------------
// Variables.

TVariable::~TVariable()
{
    // A variable must outlive the nodes that read it; unbind any left so that
    // they do not write into freed memory when they go.
    for (TVar* n : Nodes)
        n->Variable = nullptr;
}

void TVariable::SetValue(const TFrac& value)
{
    m_value = value;
    ++g_varVersion;
}

void TVariable::RegisterNode(TVar* node, bool add)
{
    if (add) {
        Nodes.push_back(node);
        return;
    }
    auto it = std::find(Nodes.rbegin(), Nodes.rend(), node);
    if (it != Nodes.rend())
        Nodes.erase(std::next(it).base());
}

TVar::TVar(TVariable* variable) : TEval(NodeKind::Var), Variable(variable)
{
    Variable->RegisterNode(this, true);
    MarkHasVariable();
}

TVar::~TVar()
{
    if (Variable)
        Variable->RegisterNode(this, false);
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

TEval* TVar::SolveFor(TEval* rhs, TVariable* variable)
{
    if (Variable == variable)
        return rhs;
    throw EDespejar(QStringLiteral("No se puede despejar"));
}

// --------------------------------------------------------------------------
// Messages and argument lists.

TExprMsg::TExprMsg(const QString& text) : TEval(NodeKind::ExprMsg)
{
    Text = text.left(255);
    MarkVolatile();
}

TFrac TExprMsg::Evaluate() { throw EExprMsj(Text); }

TDibListaArg::TDibListaArg(const TEvalArray& items) : TEval(NodeKind::DibListaArg), Items(items)
{
    MarkVolatile();
}

TFrac TDibListaArg::Evaluate() { throw Exception(QString()); }

// --------------------------------------------------------------------------
// Operators.

TOp::TOp(NodeKind kind, TEval* left, TEval* right) : TEval(kind) { AdoptChildren({left, right}); }

bool TOp::IsValueCurrent() { return StampCurrent(); }

TFrac TOp::Evaluate()
{
    const bool shared = RefCount >= 2;
    if (shared && (StampCurrent() || PassCurrent()))
        return Value;
    const std::uint64_t version = g_varVersion;
    TFrac v = Compute();
    Value = v;
    if (g_varVersion == version)
        SetStampNow();
    SetPassNow();
    return v;
}

// Arithmetic: a copy of the left value combined in place with the right one,
// the left child evaluated first.
TFrac TSuma::Compute()
{
    TFrac a = Left()->Evaluate();
    return a.Add(Right()->Evaluate());
}

TFrac TResta::Compute()
{
    TFrac a = Left()->Evaluate();
    return a.Subtract(Right()->Evaluate());
}

TFrac TMul::Compute()
{
    TFrac a = Left()->Evaluate();
    return a.Multiply(Right()->Evaluate());
}

TFrac TDiv::Compute()
{
    TFrac a = Left()->Evaluate();
    const TFrac b = Right()->Evaluate();
    // A plain error, not the floating-point zero-divide: reported as an
    // evaluation failure (code 19), or a compile failure while folding (18).
    if (b.Num() == 0)
        throw Exception(QStringLiteral("División por cero"));
    return a.Divide(b);
}

// Powers and roots go through Extended (integral exponents by squaring) and
// come back as the best approximation within FracMaxDenominator.
TFrac TPot::Compute()
{
    TFrac a = Left()->Evaluate();
    return a.Power(Right()->Evaluate());
}

TFrac TRaiz::Compute()
{
    TFrac a = Left()->Evaluate();
    return a.Root(Right()->Evaluate());
}

// ln(a) / ln(b), the argument first (not the base as in the real engine).
TFrac TLogN::Compute()
{
    const TFrac a = Left()->Evaluate();
    const TFrac b = Right()->Evaluate();
    const Extended la = CheckedLn(a.ToFloat());
    const Extended lb = CheckedLn(b.ToFloat());
    return FloatToFrac(fracSettings().FracMaxDenominator, checked::div(la, lb));
}

TEval* TSuma::IsolateRight(TEval* r) { return CreateOp(NodeKind::Resta, r, Left()); }
TEval* TSuma::IsolateLeft(TEval* r) { return CreateOp(NodeKind::Resta, r, Right()); }
TEval* TResta::IsolateRight(TEval* r) { return CreateOp(NodeKind::Resta, Left(), r); }
TEval* TResta::IsolateLeft(TEval* r) { return CreateOp(NodeKind::Suma, r, Right()); }
TEval* TMul::IsolateRight(TEval* r) { return CreateOp(NodeKind::Div, r, Left()); }
TEval* TMul::IsolateLeft(TEval* r) { return CreateOp(NodeKind::Div, r, Right()); }
TEval* TDiv::IsolateRight(TEval* r) { return CreateOp(NodeKind::Div, Left(), r); }
TEval* TDiv::IsolateLeft(TEval* r) { return CreateOp(NodeKind::Mul, r, Right()); }
TEval* TPot::IsolateRight(TEval* r) { return CreateOp(NodeKind::LogN, r, Left()); }
TEval* TPot::IsolateLeft(TEval* r) { return CreateOp(NodeKind::Raiz, r, Right()); }
TEval* TRaiz::IsolateRight(TEval* r) { return CreateOp(NodeKind::LogN, Left(), r); }
TEval* TRaiz::IsolateLeft(TEval* r) { return CreateOp(NodeKind::Pot, r, Right()); }
TEval* TLogN::IsolateRight(TEval* r) { return CreateOp(NodeKind::Raiz, Left(), r); }
TEval* TLogN::IsolateLeft(TEval* r) { return CreateOp(NodeKind::Pot, Right(), r); }

TEval* TOpDespejable::SolveFor(TEval* rhs, TVariable* variable)
{
    const bool inLeft = ContainsVariable(Left(), variable);
    const bool inRight = ContainsVariable(Right(), variable);
    if (!inLeft && !inRight)
        throw EDespejar(QStringLiteral("No se encuentra variable para despejar"));
    if (inLeft && inRight)
        throw EDespejar(QStringLiteral("Expresión demasiado compleja para despejar"));
    // The new node is held while the operand solves itself, so that a failure
    // further down frees it.
    NodeGuard other(inLeft ? IsolateLeft(rhs) : IsolateRight(rhs));
    TEval* solved = (inLeft ? Left() : Right())->SolveFor(other.get(), variable);
    other.release();
    return solved;
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

TFrac TMayIgu::Compare()
{
    const TFrac a = Left()->Evaluate();
    if (a.ToFloat() >= Right()->Evaluate().ToFloat())
        return Truth(true);
    const TFrac b2 = Right()->Evaluate();
    return Truth(ValuesEqual(Left()->Evaluate(), b2));
}

TFrac TMenIgu::Compare()
{
    const TFrac a = Left()->Evaluate();
    if (!(a.ToFloat() > Right()->Evaluate().ToFloat()))
        return Truth(true);
    const TFrac b2 = Right()->Evaluate();
    return Truth(ValuesEqual(Left()->Evaluate(), b2));
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

TFun1::TFun1(TEvalFunc1 fn, TEval* arg, TEvalFunc1 inverse)
    : TFun(NodeKind::Fun1), Fn(std::move(fn)), Inverse(std::move(inverse))
{
    AdoptChildren({arg});
}

TFrac TFun1::Evaluate()
{
    if (StampCurrent() || (RefCount >= 2 && PassCurrent()))
        return Value;
    const std::uint64_t version = g_varVersion;
    Value = Fn(Arg()->Evaluate());
    if (g_varVersion == version)
        SetStampNow();
    SetPassNow();
    return Value;
}

TEval* TFun1::SolveFor(TEval* rhs, TVariable* variable)
{
    if (!Inverse)
        throw EDespejar(QStringLiteral("Una o mas funciones no se pueden despejar"));
    NodeGuard inverse(CreateFun1(Inverse, rhs, Fn));
    TEval* solved = Arg()->SolveFor(inverse.get(), variable);
    inverse.release();
    return solved;
}

TFunN::TFunN(TEvalFuncN fn, const TEvalArray& args) : TFun(NodeKind::FunN), Fn(std::move(fn))
{
    AdoptChildren(args);
}

TFrac TFunN::Evaluate()
{
    if (StampCurrent() || (RefCount >= 2 && PassCurrent()))
        return Value;
    const std::uint64_t version = g_varVersion;
    Value = Fn(Children);
    if (g_varVersion == version)
        SetStampNow();
    SetPassNow();
    return Value;
}

// --------------------------------------------------------------------------
// Builders.

namespace {

bool ChildrenCurrent(TEval* node)
{
    for (TEval* c : node->Children)
        if (!c->StampCurrent())
            return false;
    return true;
}

template <class T>
T* Fold(T* node)
{
    try {
        if (!node->IsVolatile() && ChildrenCurrent(node)) {
            node->Value = node->Evaluate();
            node->SetStampNow();
        }
    } catch (...) {
        DetachChildren(node);
        delete node;
        throw;
    }
    return node;
}

} // namespace

TEval* CreateOp(NodeKind kind, TEval* l, TEval* r)
{
    TEval* n = nullptr;
    switch (kind) {
    case NodeKind::Suma: n = new TSuma(l, r); break;
    case NodeKind::Resta: n = new TResta(l, r); break;
    case NodeKind::Mul: n = new TMul(l, r); break;
    case NodeKind::Div: n = new TDiv(l, r); break;
    case NodeKind::Pot: n = new TPot(l, r); break;
    case NodeKind::Raiz: n = new TRaiz(l, r); break;
    case NodeKind::LogN: n = new TLogN(l, r); break;
    case NodeKind::May: n = new TMay(l, r); break;
    case NodeKind::Men: n = new TMen(l, r); break;
    case NodeKind::Igu: n = new TIgu(l, r); break;
    case NodeKind::MayIgu: n = new TMayIgu(l, r); break;
    case NodeKind::MenIgu: n = new TMenIgu(l, r); break;
    case NodeKind::Dist: n = new TDist(l, r); break;
    case NodeKind::And: n = new TAnd(l, r); break;
    case NodeKind::Or: n = new TOr(l, r); break;
    case NodeKind::Xor: n = new TXor(l, r); break;
    default: throw Exception(QStringLiteral("CreateOp: no es un operador"));
    }
    return Fold(n);
}

TFun1* CreateFun1(TEvalFunc1 fn, TEval* arg, TEvalFunc1 inverse)
{
    return Fold(new TFun1(std::move(fn), arg, std::move(inverse)));
}

TFunN* CreateFunN(TEvalFuncN fn, const TEvalArray& args)
{
    return Fold(new TFunN(std::move(fn), args));
}

// --------------------------------------------------------------------------
// Variables in trees and solving.

bool ContainsVariable(TEval* node, TVariable* variable)
{
    if (!node)
        return false;
    if (node->Kind() == NodeKind::Var)
        return static_cast<TVar*>(node)->Variable == variable;
    if (!node->HasVariables())
        return false;
    for (TEval* c : node->Children)
        if (ContainsVariable(c, variable))
            return true;
    return false;
}

TEval* SolveEquation(TEval* tree, TVariable* variable)
{
    if (!tree || tree->Kind() != NodeKind::Igu)
        throw EDespejar(QStringLiteral("No es una ecuación"));
    TEval* l = tree->Children[0];
    TEval* r = tree->Children[1];
    const bool inLeft = ContainsVariable(l, variable);
    const bool inRight = ContainsVariable(r, variable);
    if (!inLeft && !inRight)
        throw EDespejar(QStringLiteral("No se encuentra variable para despejar"));
    if (inLeft && inRight)
        throw EDespejar(QStringLiteral("Ecuación demasiado compleja para despejar"));
    return inLeft ? l->SolveFor(r, variable) : r->SolveFor(l, variable);
}

// --------------------------------------------------------------------------
// Name-table entries.

TMakeVar::TMakeVar() : m_owned(std::make_unique<TVariable>())
{
    Variable = m_owned.get();
    Category = 1;
}

TEval* TMakeVar::Make() { return new TVar(Variable); }

TMakeFun0::TMakeFun0(TEvalFunc0 fn, std::uint8_t category) : Fn(std::move(fn)) { Category = category; }

TEval* TMakeFun0::Make()
{
    auto* n = new TFun0(Fn);
    n->MeasureProc = MeasureProc;
    n->DrawProc = DrawProc;
    return n;
}

TMakeFun1::TMakeFun1(TEvalFunc1 fn, TEvalFunc1 inverse) : Fn(std::move(fn)), Inverse(std::move(inverse))
{
    MinArgs = MaxArgs = 1;
    Category = 3;
}

TEval* TMakeFun1::Make()
{
    TFun1* n = CreateFun1(Fn, Args.at(0), Inverse);
    n->MeasureProc = MeasureProc;
    n->DrawProc = DrawProc;
    return n;
}

TMakeFunN::TMakeFunN(TEvalFuncN fn, std::uint8_t minArgs, std::uint8_t maxArgs) : Fn(std::move(fn))
{
    MinArgs = minArgs;
    MaxArgs = maxArgs;
    Category = 4;
}

TEval* TMakeFunN::Make()
{
    if (!Fn)
        return CreateOp(NodeKind::LogN, Args.at(0), Args.at(1));
    TFunN* n = CreateFunN(Fn, Args);
    n->MeasureProc = MeasureProc;
    n->DrawProc = DrawProc;
    return n;
}

} // namespace rational
