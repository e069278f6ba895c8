#include "engine/real/tree.h"

#include "engine/checked.h"
#include "engine/real/errors.h"

#include <algorithm>
#include <cmath>

namespace real {

namespace {

const DepSet& EmptyDeps()
{
    static const DepSet empty = std::make_shared<const std::vector<TVariable*>>();
    return empty;
}

DepSet UnionDeps(const DepSet& a, const DepSet& b)
{
    if (b->empty() || a == b)
        return a;
    if (a->empty())
        return b;
    std::vector<TVariable*> out;
    out.reserve(a->size() + b->size());
    std::set_union(a->begin(), a->end(), b->begin(), b->end(), std::back_inserter(out));
    if (out.size() == a->size())
        return a;
    if (out.size() == b->size())
        return b;
    return std::make_shared<const std::vector<TVariable*>>(std::move(out));
}

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

// Natural logarithm with the processor's faults: 0 divides by zero, a negative
// number is an invalid operation.
Extended CheckedLn(Extended x)
{
    if (std::isnan(x) || x < 0)
        throw EInvalidOp();
    if (x == 0)
        throw EZeroDivide();
    return logl(x);
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
    // Whether the exponent is an integer (to 2^31 - 1), through a double: exact
    // for such integers, and converted to an integer by truncation without
    // changing the x87 rounding mode (truncl and a long double cast each do so
    // twice, which costs more than the rest of a small power).
    const auto whole = magnitude <= 2147483647.0L
        ? static_cast<std::int64_t>(static_cast<double>(magnitude)) : std::int64_t(-1);
    if (whole >= 0 && static_cast<Extended>(whole) == magnitude) {
        // Integer exponents by repeated squaring, as the platform's integer power.
        auto n = static_cast<std::uint32_t>(whole);
        Extended r = 1, b = base;
        while (true) {
            if (n & 1u)
                r *= b;
            n >>= 1;
            if (!n)
                break;
            b *= b;
        }
        r = checked::result(r);
        return exponent < 0 ? checked::div(1, r) : r;
    }
    if (base < 0)
        throw EInvalidOp();
    return checked::result(powl(base, exponent));
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

TEval::TEval(NodeKind kind) : m_kind(kind), m_stamp(kNever), m_deps(EmptyDeps()) {}

TEval::~TEval()
{
    for (TEval* child : Children)
        ReleaseNode(child);
}

bool TEval::IsValueCurrent() { return StampCurrent(); }

TEval* TEval::SolveFor(TEval*, TVariable*)
{
    throw EDespejar(QStringLiteral("No se puede despejar"));
}

// Measure, Draw and their parenthesised forms: engine/real/draw.cpp.

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
        AddDeps(c);
    }
}

void TEval::AddDeps(const TEval* other)
{
    m_deps = UnionDeps(m_deps, other->m_deps);
    if (other->m_volatile)
        m_volatile = true;
    if (other->m_callsOut)
        m_callsOut = true;
}

void AddRef(TEval* node) { exprcore::AddRefT<TEval, ECompilacion>(node); }

void DetachChildren(TEval* node)
{
    for (TEval* c : node->Children)
        --c->RefCount;
    node->Children.clear();
}

// --------------------------------------------------------------------------
// Literals and constants.

TSimpleNum::TSimpleNum(NodeKind kind, Extended value) : TEval(kind)
{
    Value = value;
    SetStamp(0);
}

TNum::TNum(Extended value, std::uint8_t base) : TSimpleNum(NodeKind::Num, value) { Base = base; }

TConst::TConst(Extended value) : TSimpleNum(NodeKind::Const, value) {}

TExt::TExt(Extended value) : TConst(NodeKind::Ext, value) {}

TFun0::TFun0(TEvalFunc0 fn) : TConst(NodeKind::Fun0, 0), Fn(std::move(fn))
{
    MarkVolatile();
    MarkCallsOut();
}

Extended TFun0::Evaluate()
{
    Value = Fn();
    return Value;
}

// --------------------------------------------------------------------------
// Variables.

TVariable::TVariable() : m_version(++g_variableVersion) {}

TVariable::~TVariable()
{
    // A variable must outlive the nodes that read it; unbind any left so that
    // they do not write into freed memory when they go.
    for (TVar* n : Nodes)
        n->Variable = nullptr;
}

void TVariable::RegisterNode(TVar* node, bool add)
{
    if (add) {
        Nodes.push_back(node);
        return;
    }
    // Nodes usually go in the reverse order they came.
    auto it = std::find(Nodes.rbegin(), Nodes.rend(), node);
    if (it != Nodes.rend())
        Nodes.erase(std::next(it).base());
}

TVar::TVar(TVariable* variable) : TEval(NodeKind::Var), Variable(variable)
{
    Variable->RegisterNode(this, true);
    SetDeps(std::make_shared<const std::vector<TVariable*>>(1, variable));
}

TVar::~TVar()
{
    if (Variable)
        Variable->RegisterNode(this, false);
}

bool TVar::IsRead() const { return Variable && Stamp() == Variable->Version(); }

Extended TVar::Evaluate()
{
    SetStamp(Variable->Version());
    Value = Variable->Value;
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

Extended TExprMsg::Evaluate() { throw EExprMsj(Text); }

TDibListaArg::TDibListaArg(const TEvalArray& items) : TEval(NodeKind::DibListaArg), Items(items)
{
    MarkVolatile();
}

// The items belong to the function node being drawn.
TDibListaArg::~TDibListaArg() = default;

Extended TDibListaArg::Evaluate() { throw Exception(QString()); }

// --------------------------------------------------------------------------
// Operators.

TOp::TOp(NodeKind kind, TEval* left, TEval* right) : TEval(kind) { AdoptChildren({left, right}); }

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
    case NodeKind::Raiz: {
        // A shared operator keeps its value (TOp::Evaluate); the others compute
        // here, as their Compute does, without a further call.
        if (n->RefCount >= 2)
            return static_cast<TOp*>(n)->TOp::Evaluate();
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

Extended TOp::Evaluate()
{
    if (RefCount < 2 || IsVolatile())
        return Compute();
    const std::uint64_t stamp = CurrentStamp();
    if (stamp == Stamp())
        return Value;
    Value = Compute();
    SetStamp(stamp);
    return Value;
}

bool TOp::IsValueCurrent()
{
    if (IsVolatile())
        return false;
    if (StampCurrent())
        return true;
    return Left()->IsValueCurrent() && Right()->IsValueCurrent();
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

// Inverse operations: R is the other side, a and b the operands.
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
// Comparisons.

Extended TCompara::Compute()
{
    if (!Left()->IsCompara())
        return Compare();
    // a < b < c: compare b with c first, with the inner comparison's right operand
    // standing in as this node's left one for the duration of the comparison.
    TEval* inner = Left();
    TEval* saved = Children[0];
    Children[0] = inner->Children[1];
    Extended r;
    try {
        r = Compare();
    } catch (...) {
        Children[0] = saved;
        throw;
    }
    Children[0] = saved;
    const EngineState& st = engineState();
    if (!(r > 0))
        return st.FalseValue;
    return EvaluateNode(inner) > 0 ? st.TrueValue : st.FalseValue;
}

namespace {
inline Extended Truth(bool b) { return b ? engineState().TrueValue : engineState().FalseValue; }
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

TFun1::TFun1(TEvalFunc1 fn, TEval* arg, TEvalFunc1 inverse)
    : TFun(NodeKind::Fun1), Fn(std::move(fn)), Inverse(std::move(inverse))
{
    AdoptChildren({arg});
}

Extended TFun1::Evaluate()
{
    const std::uint64_t stamp = CurrentStamp();
    if (!IsVolatile() && stamp == Stamp())
        return Value;
    Value = Fn(EvaluateNode(Arg()));
    SetStamp(stamp);
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
    MarkCallsOut();
    AdoptChildren(args);
}

TFunN::TFunN(NodeKind kind, const TEvalArray& args) : TFun(kind)
{
    MarkCallsOut();
    AdoptChildren(args);
}

Extended TFunN::Evaluate()
{
    const std::uint64_t stamp = CurrentStamp();
    if (!IsVolatile() && stamp == Stamp())
        return Value;
    Value = Fn(Children);
    SetStamp(stamp);
    return Value;
}

TFunUser::TFunUser(TEval* body, const TEvalArray& args) : TFunN(NodeKind::FunUser, args), Body(body)
{
    AddRef(Body);
    AddDeps(Body);
}

TFunUser::~TFunUser() { ReleaseNode(Body); }

Extended TFunUser::Evaluate()
{
    const std::uint64_t stamp = CurrentStamp();
    if (!IsVolatile() && stamp == Stamp())
        return Value;
    Value = EvaluateNode(Body);
    SetStamp(stamp);
    return Value;
}

// --------------------------------------------------------------------------
// Builders.

namespace {

// Whether every child holds its value for the variables as they are now. The
// nodes' own stamps answer without walking the subtrees (a subtree that could
// fold was folded when it was built), which keeps long texts linear.
bool ChildrenCurrent(TEval* node)
{
    for (TEval* c : node->Children)
        if (!c->StampCurrent())
            return false;
    return true;
}

// Folds a new node whose children are all current; on a fault the node is
// freed and its children given back untouched.
template <class T>
T* Fold(T* node, TEval* body = nullptr)
{
    try {
        if (!node->IsVolatile() && ChildrenCurrent(node) && (!body || body->StampCurrent())) {
            const std::uint64_t stamp = node->CurrentStamp();
            node->Value = node->Evaluate();
            node->SetStamp(stamp);
        }
    } catch (...) {
        DetachChildren(node);
        if (body) {
            auto* user = static_cast<TFunUser*>(static_cast<TEval*>(node));
            --user->Body->RefCount;
            user->Body = nullptr;
        }
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

TFunUser* CreateFunUser(TEval* body, const TEvalArray& args)
{
    return Fold(new TFunUser(body, args), body);
}

// --------------------------------------------------------------------------
// Variables in trees and solving.

bool ContainsVariable(TEval* node, TVariable* variable)
{
    if (!node)
        return false;
    if (node->Kind() == NodeKind::Var)
        return static_cast<TVar*>(node)->Variable == variable;
    for (TEval* c : node->Children) {
        if (c->Kind() == NodeKind::Var) {
            if (static_cast<TVar*>(c)->Variable == variable)
                return true;
        } else if (ContainsVariable(c, variable)) {
            return true;
        }
    }
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

TMakeConst::TMakeConst(Extended value) : Value(value) { Category = 0; }

TEval* TMakeConst::Make() { return new TConst(Value); }

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

TMakeUser::TMakeUser(const QString& body, std::uint8_t params) : Body(body)
{
    MinArgs = MaxArgs = params;
    Category = 5;
}

} // namespace real

