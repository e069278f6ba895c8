#include "engine/complex/tree.h"

#include "engine/errors.h"
#include "foundation/core/format.h"

#include <algorithm>
#include <cmath>

namespace complex {

namespace {

std::uint64_t g_versionCounter = 0;

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

inline TComplex Truth(bool b) { return b ? engineState().TrueValue : engineState().FalseValue; }

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

TEval::TEval(NodeKind kind) : m_kind(kind), m_stamp(kNever), m_deps(EmptyDeps()) {}

TEval::~TEval()
{
    for (TEval* child : Children)
        ReleaseNode(child);
}

std::uint64_t TEval::CurrentStamp() const
{
    std::uint64_t s = 0;
    for (const TVariable* v : *m_deps)
        s = std::max(s, v->Version());
    return s;
}

bool TEval::IsValueCurrent() { return StampCurrent(); }

TEval* TEval::SolveFor(TEval*, TVariable*)
{
    throw EDespejar(QStringLiteral("No se puede despejar"));
}

void TEval::AdoptChildren(const TEvalArray& children)
{
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

TSimpleNum::TSimpleNum(NodeKind kind, TComplex value) : TEval(kind)
{
    Value = value;
    SetStamp(0);
}

TNum::TNum(TComplex value) : TSimpleNum(NodeKind::Num, value) {}

TConst::TConst(TComplex value) : TSimpleNum(NodeKind::Const, value) {}

TExt::TExt(TComplex value) : TConst(NodeKind::Ext, value) {}

TFun0::TFun0(TComplexFunc0 fn) : TConst(NodeKind::Fun0, TComplex{}), Fn(std::move(fn)) { MarkVolatile(); }

void TFun0::Evaluate(TComplex& result)
{
    Fn(Value);
    result = Value;
}

// --------------------------------------------------------------------------
// Variables.

TVariable::TVariable() : m_version(++g_versionCounter) {}

TVariable::~TVariable()
{
    for (TVar* n : Nodes)
        n->Variable = nullptr;
}

void TVariable::SetValue(TComplex value)
{
    Value = value;
    // A fresh version clears the read state of every node bound to it.
    m_version = ++g_versionCounter;
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
    SetDeps(std::make_shared<const std::vector<TVariable*>>(1, variable));
}

TVar::~TVar()
{
    if (Variable)
        Variable->RegisterNode(this, false);
}

bool TVar::IsRead() const { return Variable && Stamp() == Variable->Version(); }

void TVar::Evaluate(TComplex& result)
{
    SetStamp(Variable->Version());
    Value = Variable->Value;
    result = Value;
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

void TExprMsg::Evaluate(TComplex&) { throw EExprMsj(Text); }

TDibListaArg::TDibListaArg(const TEvalArray& items) : TEval(NodeKind::DibListaArg), Items(items)
{
    MarkVolatile();
}

void TDibListaArg::Evaluate(TComplex& result) { result = TComplex{}; }

// --------------------------------------------------------------------------
// Operators.

TOp::TOp(NodeKind kind, TEval* left, TEval* right) : TEval(kind) { AdoptChildren({left, right}); }

void TOp::Evaluate(TComplex& result)
{
    if (RefCount < 2 || IsVolatile()) {
        result = Compute();
        return;
    }
    const std::uint64_t stamp = CurrentStamp();
    if (stamp != Stamp()) {
        Value = Compute();
        SetStamp(stamp);
    }
    result = Value;
}

bool TOp::IsValueCurrent()
{
    if (IsVolatile())
        return false;
    if (StampCurrent())
        return true;
    return Left()->IsValueCurrent() && Right()->IsValueCurrent();
}

// The right operand first: it decides the order of the variable prompts and
// which fault is reported when both operands would fail.
TComplex TSuma::Compute()
{
    const TComplex b = Right()->Eval();
    TComplex r;
    ComplexAdd(Left()->Eval(), b, r);
    return r;
}

TComplex TResta::Compute()
{
    const TComplex b = Right()->Eval();
    TComplex r;
    ComplexSub(Left()->Eval(), b, r);
    return r;
}

TComplex TMul::Compute()
{
    const TComplex b = Right()->Eval();
    TComplex r;
    ComplexMul(Left()->Eval(), b, r);
    return r;
}

TComplex TDiv::Compute()
{
    const TComplex b = Right()->Eval();
    TComplex r;
    ComplexDiv(Left()->Eval(), b, r);
    return r;
}

TComplex TPot::Compute()
{
    const TComplex b = Right()->Eval();
    TComplex r;
    ComplexPower(Left()->Eval(), b, r);
    return r;
}

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
    NodeGuard other(inLeft ? IsolateLeft(rhs) : IsolateRight(rhs));
    TEval* solved = (inLeft ? Left() : Right())->SolveFor(other.get(), variable);
    other.release();
    return solved;
}

// --------------------------------------------------------------------------
// Comparisons.

TComplex TCompara::Compute()
{
    if (!Left()->IsCompara())
        return Compare();
    // a < b < c: b against c first, with the inner comparison's right operand
    // standing in as this node's left one for the duration.
    TEval* inner = Left();
    TEval* saved = Children[0];
    Children[0] = inner->Children[1];
    TComplex r;
    try {
        r = Compare();
    } catch (...) {
        Children[0] = saved;
        throw;
    }
    Children[0] = saved;
    if (!IsTrue(r))
        return engineState().FalseValue;
    return Truth(IsTrue(inner->Eval()));
}

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

TFun1::TFun1(TComplexFunc1 fn, TEval* arg, TComplexFunc1 inverse)
    : TFun(NodeKind::Fun1), Fn(std::move(fn)), Inverse(std::move(inverse))
{
    AdoptChildren({arg});
}

void TFun1::Evaluate(TComplex& result)
{
    const std::uint64_t stamp = CurrentStamp();
    if (IsVolatile() || stamp != Stamp()) {
        TComplex v;
        Fn(Arg()->Eval(), v);
        Value = v;
        SetStamp(stamp);
    }
    result = Value;
}

TEval* TFun1::SolveFor(TEval* rhs, TVariable* variable)
{
    if (!Inverse)
        throw EDespejar(Format(QStringLiteral("La función %s no se pueden despejar"), {Text}));
    NodeGuard inverse(CreateFun1(Inverse, rhs, Fn));
    TEval* solved = Arg()->SolveFor(inverse.get(), variable);
    inverse.release();
    return solved;
}

TFunN::TFunN(TComplexFuncN fn, const TEvalArray& args) : TFun(NodeKind::FunN), Fn(std::move(fn))
{
    AdoptChildren(args);
}

TFunN::TFunN(NodeKind kind, const TEvalArray& args) : TFun(kind) { AdoptChildren(args); }

void TFunN::Evaluate(TComplex& result)
{
    const std::uint64_t stamp = CurrentStamp();
    if (IsVolatile() || stamp != Stamp()) {
        TComplex v;
        Fn(Children, v);
        Value = v;
        SetStamp(stamp);
    }
    result = Value;
}

TFunUser::TFunUser(TEval* body, const TEvalArray& args) : TFunN(NodeKind::FunUser, args), Body(body)
{
    AddRef(Body);
    AddDeps(Body);
}

TFunUser::~TFunUser() { ReleaseNode(Body); }

void TFunUser::Evaluate(TComplex& result)
{
    const std::uint64_t stamp = CurrentStamp();
    if (IsVolatile() || stamp != Stamp()) {
        Value = Body->Eval();
        SetStamp(stamp);
    }
    result = Value;
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

// Folds a new node whose children are all current; on a fault the node is
// freed and its children given back untouched.
template <class T>
T* Fold(T* node, TEval* body = nullptr)
{
    try {
        if (!node->IsVolatile() && ChildrenCurrent(node) && (!body || body->StampCurrent())) {
            const std::uint64_t stamp = node->CurrentStamp();
            node->Value = node->Eval();
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
    default: throw Exception(QStringLiteral("CreateOp: no es un operador"));
    }
    return Fold(n);
}

TFun1* CreateFun1(TComplexFunc1 fn, TEval* arg, TComplexFunc1 inverse)
{
    return Fold(new TFun1(std::move(fn), arg, std::move(inverse)));
}

TFunN* CreateFunN(TComplexFuncN fn, const TEvalArray& args)
{
    return Fold(new TFunN(std::move(fn), args));
}

TFunUser* CreateFunUser(TEval* body, const TEvalArray& args)
{
    return Fold(new TFunUser(body, args), body);
}

// --------------------------------------------------------------------------

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

TMakeConst::TMakeConst(TComplex value) : Value(value) { Category = 0; }

TEval* TMakeConst::Make() { return new TConst(Value); }

TMakeVar::TMakeVar() : m_owned(std::make_unique<TVariable>())
{
    Variable = m_owned.get();
    Category = 1;
}

TEval* TMakeVar::Make() { return new TVar(Variable); }

TMakeFun0::TMakeFun0(TComplexFunc0 fn, std::uint8_t category) : Fn(std::move(fn)) { Category = category; }

TEval* TMakeFun0::Make()
{
    auto* n = new TFun0(Fn);
    n->MeasureProc = MeasureProc;
    n->DrawProc = DrawProc;
    return n;
}

TMakeFun1::TMakeFun1(TComplexFunc1 fn, TComplexFunc1 inverse) : Fn(std::move(fn)), Inverse(std::move(inverse))
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

TMakeFunN::TMakeFunN(TComplexFuncN fn, std::uint8_t minArgs, std::uint8_t maxArgs) : Fn(std::move(fn))
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

} // namespace complex
