#pragma once
// Compiled form of a real-domain expression: a tree of reference-counted nodes.
//
// ---------------------------------------------------------------------------
// How a built-in is defined and registered (engine/real/builtins*):
//
//   Built-ins are plain functions (or any callable) wrapped in std::function and
//   registered on a TExpresion (engine/real/expresion.h); the name table entry
//   (a TMake*) then builds the node for every call the compiler finds:
//
//     Extended Pi-like constant:   e.AddConstant("Pi", "Pi", kPi);
//     no arguments (TFun0):        e.AddFunction0("Ale/Rnd", RandomFn, 3, "Aleatorio");
//     one argument (TFun1):        e.AddFunction1("sin/sen", SinFn, ArcSinFn, "Seno");
//                                  (the second callable is the inverse used when
//                                  an equation is solved through the function;
//                                  pass {} when there is none)
//     several arguments (TFunN):   e.AddFunctionN("Max", MaxFn, 2, 255, "Máximo");
//                                  MaxFn(const TEvalArray& args) gets the argument
//                                  NODES and calls args[i]->Evaluate() itself, in
//                                  the order its rule says (so a conditional
//                                  evaluates only the branch it takes).
//     own drawing:                 the optional last two arguments of AddFunction0/1/N
//                                  (TNodeMeasureProc, TNodeDrawProc).
//
//   Names may hold two aliases joined by "/" ("sin/sen"). Arithmetic goes through
//   engine/checked.h and faults are thrown as the types of engine/errors.h
//   (EZeroDivide, EOverflow, EInvalidArgument, EInvalidOp); the expression object
//   turns them into error codes 11..15. Trigonometric built-ins read
//   real::engineState().CurrentAngleMode.
//
//   "Si/If", "Sim/Ifm" and "LogBase/LogN" are always present: TExpresion adds them
//   itself when it creates its table. Every other built-in is registered by
//   `void real::RegisterBuiltins(TExpresion&)` (engine/real/builtins.h), which
//   TExpresion::RegisterBuiltIns calls when the table is created or reloaded.
// ---------------------------------------------------------------------------
//
// Reference counting: a node starts with RefCount 0; every parent that takes it
// adds one; ReleaseNode (a parent letting go) decrements a count above 1 and
// destroys the node otherwise. The root held by an expression object is not
// counted; Discard frees a node nobody counts. Named sub-expressions carry the
// 2000 mark so that their users never destroy them.
//
// Caching: every node remembers the variable versions its Value was computed
// from (a stamp). TVariable::SetValue gives the variable a fresh, process-wide
// increasing version, so a node is current exactly when the newest version of
// the variables below it equals its stamp. Each reader of a shared node checks
// its own stamp, so several readers of one variable node never see each other's
// stale values (one read flag per variable node could not tell them apart).

#include "engine/canvas.h"
#include "engine/checked.h"
#include "engine/real/errors.h"
#include "engine/refnode.h"
#include "foundation/core/extended.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace real {

class TEval;
class TVar;
class TVariable;

using TEvalArray = std::vector<TEval*>;

using TEvalFunc0 = std::function<Extended()>;
using TEvalFunc1 = std::function<Extended(Extended)>;
using TEvalFuncN = std::function<Extended(const TEvalArray&)>;

// Own measuring and drawing of a node (the parameters of Measure and Draw, the
// node first). When set they replace the node's own.
using TNodeMeasureProc =
    std::function<void(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below)>;
using TNodeDrawProc = std::function<void(TEval* node, Canvas& canvas, int x, int y, int size)>;

// The node classes, for cheap type tests.
enum class NodeKind : std::uint8_t {
    Num, Const, Ext, Fun0,          // literals and constants (TSimpleNum family)
    Var, ExprMsg,
    Suma, Resta, Mul, Div, Pot, Raiz, LogN,   // solvable operators (TOpDespejable)
    May, Men, Igu, MayIgu, MenIgu, Dist,      // comparisons (TCompara)
    And, Or, Xor,                             // logical operators (TLogic)
    Fun1, FunN, FunUser,
    DibListaArg,
};

// Engine-wide values, one for the whole process (single-threaded design).
struct EngineState {
    Extended EqualityTolerance = 1e-14L;
    Extended TrueValue = 1;
    Extended FalseValue = -1;
    std::uint8_t CurrentAngleMode = 0;   // AngleMode: copied from the expression being worked on
    void reset() { *this = EngineState(); }
};
EngineState& engineState();

// Two values are equal when their difference does not exceed the tolerance.
bool ValuesEqual(Extended a, Extended b);

// Set of variables a node depends on, shared between nodes when equal.
using DepSet = std::shared_ptr<const std::vector<TVariable*>>;

// --------------------------------------------------------------------------
// Node base.
class TEval {
public:
    QString Text;           // what the node shows when drawn (at most 255 characters)
    Extended Value = 0;     // cached or folded value
    TEvalArray Children;    // operands or arguments, left to right
    std::uint16_t RefCount = 0;

    TEval(const TEval&) = delete;
    TEval& operator=(const TEval&) = delete;
    virtual ~TEval();   // releases every child with ReleaseNode

    NodeKind Kind() const { return m_kind; }

    // Whether Value is the node's value for the current values of its variables.
    virtual bool IsValueCurrent();
    virtual Extended Evaluate() = 0;
    // Given that this node equals Rhs, a tree equal to the variable (equation
    // solving). Default: "No se puede despejar".
    virtual TEval* SolveFor(TEval* rhs, TVariable* variable);

    // Formula drawing (engine/real/draw.cpp over engine/formuladraw.h): the
    // node's width and its extents above and below its axis at a font size in
    // pixels, and its drawing with the box's top-left corner at (x, y). One body
    // serves every class (it looks at Kind()); a node's MeasureProc/DrawProc,
    // when set, replaces it. While a formuladraw::MeasurePass is open (Draw opens
    // one) each node is measured once per canvas and size.
    virtual void Measure(Canvas& canvas, int size, int& width, int& above, int& below);
    virtual void Draw(Canvas& canvas, int x, int y, int size);
    // The plain Measure/Draw, or the node between parentheses when withParens.
    void MeasureWithParens(Canvas& canvas, int size, bool withParens, int& width, int& above, int& below);
    void DrawWithParens(Canvas& canvas, int x, int y, int size, bool withParens);

    // The variables below this node, and whether something below is never current
    // (a function without arguments, a quoted message).
    const DepSet& Deps() const { return m_deps; }
    bool IsVolatile() const { return m_volatile; }
    // Newest version among the variables below (0 without variables).
    inline std::uint64_t CurrentStamp() const;
    // Whether something below calls out of the tree (a function of several
    // arguments, which may set variables while it runs, or one without
    // arguments): the order of evaluation around such a subtree is kept as written.
    bool CallsOut() const { return m_callsOut; }
    // Whether the node's own Value was computed from the variables as they are now.
    bool StampCurrent() const { return !m_volatile && m_stamp == CurrentStamp(); }
    // Records that Value was computed from the variables at the given stamp.
    void SetStamp(std::uint64_t stamp) { m_stamp = stamp; }
    std::uint64_t Stamp() const { return m_stamp; }

    bool IsOp() const { return m_kind >= NodeKind::Suma && m_kind <= NodeKind::Xor; }
    bool IsOpDespejable() const { return m_kind >= NodeKind::Suma && m_kind <= NodeKind::LogN; }
    bool IsCompara() const { return m_kind >= NodeKind::May && m_kind <= NodeKind::Dist; }
    bool IsLogic() const { return m_kind >= NodeKind::And && m_kind <= NodeKind::Xor; }
    bool IsFun() const { return m_kind >= NodeKind::Fun1 && m_kind <= NodeKind::FunUser; }
    bool IsSimpleNum() const { return m_kind <= NodeKind::Fun0; }

protected:
    explicit TEval(NodeKind kind);
    // Takes the children (adds one to each count) and derives the dependencies.
    void AdoptChildren(const TEvalArray& children);
    // Adds the dependencies of a node that is not a child (a user function's body).
    void AddDeps(const TEval* other);
    void MarkVolatile() { m_volatile = true; }
    void MarkCallsOut() { m_callsOut = true; }
    void SetDeps(DepSet deps) { m_deps = std::move(deps); }

    static constexpr std::uint64_t kNever = ~std::uint64_t(0);

private:
    friend void DetachChildren(TEval*);
    NodeKind m_kind;
    bool m_volatile = false;
    bool m_callsOut = false;
    std::uint64_t m_stamp = 0;
    DepSet m_deps;
};

// A parent lets go of a child: above 1 the count is decremented, otherwise the
// child is destroyed (releasing its own children in turn).
inline void ReleaseNode(TEval* node) { exprcore::ReleaseNodeT(node); }
// Frees a node that nobody counts (RefCount 0); a counted node is left alone.
inline void Discard(TEval* node) { exprcore::DiscardT(node); }
// Undoes AdoptChildren without destroying anything (a node whose construction
// failed gives its children back to whoever held them).
void DetachChildren(TEval* node);
// Adds one to the count; a count that would pass 65535 is refused with ECompilacion.
void AddRef(TEval* node);

// Keeps a node alive for a scope (see engine/refnode.h); used wherever an
// exception may interrupt the building of a tree.
using NodeGuard = exprcore::TNodeGuard<TEval, ECompilacion>;

// --------------------------------------------------------------------------
// Literals and constants.
class TSimpleNum : public TEval {
public:
    std::uint8_t Base = 10;   // display base of a literal
    bool IsValueCurrent() override { return true; }
    Extended Evaluate() override { return Value; }
protected:
    TSimpleNum(NodeKind kind, Extended value);
};

// A number literal of the text.
class TNum : public TSimpleNum {
public:
    explicit TNum(Extended value, std::uint8_t base = 10);
    // Drawing cache, filled when first measured.
    bool HasExponent = false;
    QString Mantissa;
    QString Exponent;
};

// A named constant.
class TConst : public TSimpleNum {
public:
    explicit TConst(Extended value);
protected:
    TConst(NodeKind kind, Extended value) : TSimpleNum(kind, value) {}
};

// A value a name resolver gave, with the resolver's own drawing.
class TExt : public TConst {
public:
    explicit TExt(Extended value);
    TNodeMeasureProc MeasureProc;
    TNodeDrawProc DrawProc;
};

// A function without arguments: never current, called at every evaluation.
class TFun0 : public TConst {
public:
    explicit TFun0(TEvalFunc0 fn);
    TEvalFunc0 Fn;
    bool IsConstant = false;
    TNodeMeasureProc MeasureProc;
    TNodeDrawProc DrawProc;
    bool IsValueCurrent() override { return IsConstant; }
    Extended Evaluate() override;
};

// --------------------------------------------------------------------------
// Every SetValue takes the next number, so the newest version below a node
// grows whenever any of its variables is set. Defined here so that SetValue,
// called before every re-evaluation, is inlined (a long double argument
// otherwise goes through memory twice).
inline std::uint64_t g_variableVersion = 0;

// The value cell through which callers feed values into compiled trees.
class TVariable {
public:
    TVariable();
    TVariable(const TVariable&) = delete;
    TVariable& operator=(const TVariable&) = delete;
    ~TVariable();

    Extended Value = 0;
    std::vector<TVar*> Nodes;   // the TVar nodes bound to this variable

    void SetValue(Extended value)
    {
        Value = value;
        m_version = ++g_variableVersion;
    }
    void RegisterNode(TVar* node, bool add);
    // Process-wide increasing number, renewed by every SetValue.
    std::uint64_t Version() const { return m_version; }
private:
    std::uint64_t m_version;
};

inline std::uint64_t TEval::CurrentStamp() const
{
    const std::vector<TVariable*>& deps = *m_deps;
    if (deps.size() == 1)   // the common case, without the loop
        return deps[0]->Version();
    std::uint64_t s = 0;
    for (const TVariable* v : deps)
        s = v->Version() > s ? v->Version() : s;
    return s;
}

// A variable read by an expression; every occurrence in a text has its own node.
class TVar : public TEval {
public:
    explicit TVar(TVariable* variable);
    ~TVar() override;
    TVariable* Variable;
    // Read since the variable was last set.
    bool IsRead() const;
    bool IsValueCurrent() override { return IsRead(); }
    Extended Evaluate() override;
    TEval* SolveFor(TEval* rhs, TVariable* variable) override;
};

// A quoted message: evaluating it stops the evaluation with the message.
class TExprMsg : public TEval {
public:
    explicit TExprMsg(const QString& text);   // cut to 255 characters
    bool IsValueCurrent() override { return false; }
    Extended Evaluate() override;   // raises EExprMsj(Text)
};

// --------------------------------------------------------------------------
// Two-operand nodes. Evaluate always recomputes from the children.
class TOp : public TEval {
public:
    TEval* Left() const { return Children[0]; }
    TEval* Right() const { return Children[1]; }
    // Current when both children are (or when its own folded value still holds).
    bool IsValueCurrent() override;
    // Recomputes from the children, but for a node several parents hold (a named
    // sub-expression, a parameter of an inlined user function): that one keeps
    // its value while its variables do not change, so that a text whose
    // definitions double each other ("a:x;b:a+a;c:b+b;...") is not evaluated an
    // exponential number of times.
    Extended Evaluate() final;
    // The operation itself, children evaluated left to right.
    virtual Extended Compute() = 0;
protected:
    TOp(NodeKind kind, TEval* left, TEval* right);
};

// The seven solvable operators.
class TOpDespejable : public TOp {
public:
    TEval* SolveFor(TEval* rhs, TVariable* variable) override;
    // A tree equal to the right operand when this operation equals Rhs.
    virtual TEval* IsolateRight(TEval* rhs) = 0;
    // A tree equal to the left operand when this operation equals Rhs.
    virtual TEval* IsolateLeft(TEval* rhs) = 0;
protected:
    using TOp::TOp;
};

class TSuma : public TOpDespejable {
public:
    TSuma(TEval* l, TEval* r) : TOpDespejable(NodeKind::Suma, l, r) {}
    Extended Compute() override;
    TEval* IsolateRight(TEval* rhs) override;
    TEval* IsolateLeft(TEval* rhs) override;
};
class TResta : public TOpDespejable {
public:
    TResta(TEval* l, TEval* r) : TOpDespejable(NodeKind::Resta, l, r) {}
    Extended Compute() override;
    TEval* IsolateRight(TEval* rhs) override;
    TEval* IsolateLeft(TEval* rhs) override;
};
class TMul : public TOpDespejable {
public:
    TMul(TEval* l, TEval* r) : TOpDespejable(NodeKind::Mul, l, r) {}
    Extended Compute() override;
    TEval* IsolateRight(TEval* rhs) override;
    TEval* IsolateLeft(TEval* rhs) override;
};
class TDiv : public TOpDespejable {
public:
    TDiv(TEval* l, TEval* r) : TOpDespejable(NodeKind::Div, l, r) {}
    Extended Compute() override;
    TEval* IsolateRight(TEval* rhs) override;
    TEval* IsolateLeft(TEval* rhs) override;
};
class TPot : public TOpDespejable {
public:
    TPot(TEval* l, TEval* r) : TOpDespejable(NodeKind::Pot, l, r) {}
    Extended Compute() override;
    TEval* IsolateRight(TEval* rhs) override;
    TEval* IsolateLeft(TEval* rhs) override;
};
class TRaiz : public TOpDespejable {
public:
    TRaiz(TEval* l, TEval* r) : TOpDespejable(NodeKind::Raiz, l, r) {}
    Extended Compute() override;
    TEval* IsolateRight(TEval* rhs) override;
    TEval* IsolateLeft(TEval* rhs) override;
};
class TLogN : public TOpDespejable {
public:
    TLogN(TEval* l, TEval* r) : TOpDespejable(NodeKind::LogN, l, r) {}
    Extended Compute() override;   // evaluates the base (right) first
    TEval* IsolateRight(TEval* rhs) override;
    TEval* IsolateLeft(TEval* rhs) override;
};

// Comparisons: TrueValue or FalseValue. A comparison whose left operand is
// itself a comparison is a chain (a < b < c).
class TCompara : public TOp {
public:
    Extended Compute() override;
    virtual Extended Compare() = 0;
protected:
    using TOp::TOp;
};
#define REAL_COMPARA(Name)                                                          \
    class T##Name : public TCompara {                                               \
    public:                                                                         \
        T##Name(TEval* l, TEval* r) : TCompara(NodeKind::Name, l, r) {}            \
        Extended Compare() override;                                                \
    };
REAL_COMPARA(May)
REAL_COMPARA(Men)
REAL_COMPARA(Igu)
REAL_COMPARA(MayIgu)
REAL_COMPARA(MenIgu)
REAL_COMPARA(Dist)
#undef REAL_COMPARA

// Logical operators: a value counts as true when it is greater than 0.
class TLogic : public TOp {
protected:
    using TOp::TOp;
};
#define REAL_LOGIC(Name)                                                            \
    class T##Name : public TLogic {                                                 \
    public:                                                                         \
        T##Name(TEval* l, TEval* r) : TLogic(NodeKind::Name, l, r) {}              \
        Extended Compute() override;                                                \
    };
REAL_LOGIC(And)
REAL_LOGIC(Or)
REAL_LOGIC(Xor)
#undef REAL_LOGIC

// --------------------------------------------------------------------------
// Function nodes.
class TFun : public TEval {
public:
    TNodeMeasureProc MeasureProc;
    TNodeDrawProc DrawProc;
protected:
    using TEval::TEval;
};

// One-argument function, cached while its argument does not change.
class TFun1 : public TFun {
public:
    TFun1(TEvalFunc1 fn, TEval* arg, TEvalFunc1 inverse);
    TEvalFunc1 Fn;
    TEvalFunc1 Inverse;   // empty: cannot be solved through
    TEval* Arg() const { return Children[0]; }
    Extended Evaluate() override;
    TEval* SolveFor(TEval* rhs, TVariable* variable) override;
};

// Function of several arguments; Fn evaluates the argument nodes it needs.
class TFunN : public TFun {
public:
    TFunN(TEvalFuncN fn, const TEvalArray& args);
    TEvalFuncN Fn;
    Extended Evaluate() override;
protected:
    TFunN(NodeKind kind, const TEvalArray& args);
};

// A user function call: its body compiled over the argument nodes. The node owns
// its body (released with the node) and is current only when the body is.
class TFunUser : public TFunN {
public:
    TFunUser(TEval* body, const TEvalArray& args);
    ~TFunUser() override;
    TEval* Body;
    Extended Evaluate() override;
};

// Only to measure and draw an argument list ("a, b, c").
class TDibListaArg : public TEval {
public:
    explicit TDibListaArg(const TEvalArray& items);
    ~TDibListaArg() override;
    TEvalArray Items;
    bool IsValueCurrent() override { return false; }
    Extended Evaluate() override;   // raises a plain exception
};

// --------------------------------------------------------------------------
// Builders. Each takes its children (adds to their counts) and folds the value
// when every child is current. When folding raises an arithmetic fault the new
// node is freed and the children are left exactly as they were (their holders
// still own them).
TEval* CreateOp(NodeKind kind, TEval* left, TEval* right);
TFun1* CreateFun1(TEvalFunc1 fn, TEval* arg, TEvalFunc1 inverse);
TFunN* CreateFunN(TEvalFuncN fn, const TEvalArray& args);
TFunUser* CreateFunUser(TEval* body, const TEvalArray& args);

// Whether an operand is drawn between parentheses where its parent asks:
// sums, differences, comparisons and logical operators.
bool NeedsParens(const TEval* node);

// Whether the subtree reads the variable (a user function's body is not searched:
// its parameters are its children).
bool ContainsVariable(TEval* node, TVariable* variable);

// Solves the equation (a TIgu at the top) for the variable: a tree whose value is
// the variable's. Raises EDespejar. The result may be a side of the equation
// itself; free it with Discard.
TEval* SolveEquation(TEval* tree, TVariable* variable);

// --------------------------------------------------------------------------
// The processor's power and logarithm rules, shared by the operator nodes.
Extended CheckedPower(Extended base, Extended exponent);
Extended CheckedLn(Extended x);

// checked::result with a cheaper common case: r - r is 0 exactly for a finite r
// (NaN otherwise), a test made in registers. The plain isinf test compares with
// an 80-bit constant loaded from memory, which is slow on some processors.
[[gnu::always_inline]] inline Extended FiniteResult(Extended r)
{
    if (__builtin_expect(r - r == 0, 1))
        return r;
    return checked::result(r);
}

// The arithmetic of the seven solvable operators on their operands' values
// (a the left, b the right; for TLogN a is the number and b the base).
// Faults are those of engine/checked.h.
// Always inlined: called out of line, both long doubles would go through memory.
[[gnu::always_inline]] inline Extended ApplyOperator(NodeKind kind, Extended a, Extended b)
{
    switch (kind) {
    case NodeKind::Suma: return FiniteResult(a + b);
    case NodeKind::Resta: return FiniteResult(a - b);
    case NodeKind::Mul: return FiniteResult(a * b);
    case NodeKind::Div:
        if (__builtin_expect(b == 0, 0))
            return checked::div(a, b);
        return FiniteResult(a / b);
    case NodeKind::Pot: return CheckedPower(a, b);
    case NodeKind::Raiz: return CheckedPower(a, checked::div(1, b));
    default: {
        const Extended la = CheckedLn(a);
        return checked::div(la, CheckedLn(b));
    }
    }
}

// A node's value as its Evaluate gives it; literals, variables, unshared
// operators and one-argument functions are reached without a virtual call.
Extended EvaluateNode(TEval* node);

// --------------------------------------------------------------------------
// Name-table entries: each builds the node of a name found in a text.
class TMake {
public:
    virtual ~TMake() = default;
    std::uint8_t MinArgs = 0;
    std::uint8_t MaxArgs = 0;
    std::uint8_t Category = 0;   // 0 constant, 1 variable, 2 no arguments, 3 one argument, 4 several, 5 user
    QString Description;
    TEvalArray Args;             // argument nodes of the call being compiled
    TNodeMeasureProc MeasureProc;
    TNodeDrawProc DrawProc;
    // A new node (RefCount 0); none for user functions, which the compiler expands.
    virtual TEval* Make() = 0;
};

class TMakeConst : public TMake {
public:
    explicit TMakeConst(Extended value);
    Extended Value;
    TEval* Make() override;
};

// Owns its variable: the variable lives as long as the name table that holds the
// entry, so every tree compiled against the table can read it.
class TMakeVar : public TMake {
public:
    TMakeVar();
    TVariable* Variable;
    TEval* Make() override;
private:
    std::unique_ptr<TVariable> m_owned;
};

class TMakeFun0 : public TMake {
public:
    TMakeFun0(TEvalFunc0 fn, std::uint8_t category);
    TEvalFunc0 Fn;
    TEval* Make() override;
};

class TMakeFun1 : public TMake {
public:
    TMakeFun1(TEvalFunc1 fn, TEvalFunc1 inverse);
    TEvalFunc1 Fn;
    TEvalFunc1 Inverse;
    TEval* Make() override;
};

// Fn empty builds TLogN of the first argument to the base of the second.
class TMakeFunN : public TMake {
public:
    TMakeFunN(TEvalFuncN fn, std::uint8_t minArgs, std::uint8_t maxArgs);
    TEvalFuncN Fn;
    TEval* Make() override;
};

class TMakeUser : public TMake {
public:
    TMakeUser(const QString& body, std::uint8_t params);
    QString Body;   // preprocessed body text
    TEval* Make() override { return nullptr; }
};

} // namespace real
