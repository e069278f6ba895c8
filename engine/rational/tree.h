#pragma once
// Compiled form of a rational-domain expression: the real engine's tree of
// reference-counted nodes with exact fractions (TFrac) as values.
//
// Values: every node hands out its value as a TFrac by value. A fraction is a
// plain value type, so no caller ever holds a fraction that a node or a variable
// has since freed or replaced, and nobody has to release results.
//
// Reference counting is the shared one of engine/refnode.h: a node starts with
// RefCount 0, every parent adds one, ReleaseNode decrements a count above 1 and
// destroys the node otherwise; named sub-expressions carry the 2000 mark.
//
// Caching: a node is current when nothing below it is volatile (a function
// without arguments, a quoted message) and, when a variable is below it, its
// Value was computed since the last change of any variable of this engine.
// Each node checks its own stamp, so two readers of one shared node never take
// each other's stale value. A node several parents hold (a named
// sub-expression) also keeps its value for the rest of one evaluation pass, so
// that definitions that double each other ("a:x;b:a+a;c:b+b;...") are computed
// once per pass and not an exponential number of times.

#include "engine/canvas.h"
#include "engine/rational/fraccion.h"
#include "engine/refnode.h"
#include "foundation/core/extended.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace rational {

class ECompilacion;
class TEval;
class TVar;
class TVariable;

using TEvalArray = std::vector<TEval*>;

using TEvalFunc0 = std::function<TFrac()>;
using TEvalFunc1 = std::function<TFrac(const TFrac&)>;
using TEvalFuncN = std::function<TFrac(const TEvalArray&)>;

// Own measuring and drawing of a node (the parameters of Measure and Draw, the
// node first). When set they replace the node's own.
using TNodeMeasureProc =
    std::function<void(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below)>;
using TNodeDrawProc = std::function<void(TEval* node, Canvas& canvas, int x, int y, int size)>;

// The node classes, for cheap type tests (the same order as the real engine's).
enum class NodeKind : std::uint8_t {
    Num, Const, Ext, Fun0,                    // literals and constants (TSimpleNum family)
    Var, ExprMsg,
    Suma, Resta, Mul, Div, Pot, Raiz, LogN,   // solvable operators (TOpDespejable)
    May, Men, Igu, MayIgu, MenIgu, Dist,      // comparisons (TCompara)
    And, Or, Xor,                             // logical operators (TLogic)
    Fun1, FunN,
    DibListaArg,
};

// Engine-wide values, one for the whole process.
struct EngineState {
    Extended EqualityTolerance = 1e-14L;
    TFrac TrueValue{1};
    TFrac FalseValue{-1};
    void reset() { *this = EngineState(); }
};
EngineState& engineState();

// Fractions compared as extended reals: equal when the difference does not
// exceed the tolerance.
bool ValuesEqual(const TFrac& a, const TFrac& b);
// A value counts as true when it is greater than 0.
inline bool IsTrue(const TFrac& v) { return v.Num() > 0; }

// Starts a new evaluation pass: shared nodes computed in an earlier pass are
// computed again. The expression object calls it before every evaluation.
void NewEvaluationPass();

// --------------------------------------------------------------------------
class TEval {
public:
    QString Text;           // what the node shows when drawn (at most 255 characters)
    TFrac Value;            // cached or folded value
    TEvalArray Children;    // operands or arguments, left to right
    std::uint16_t RefCount = 0;

    TEval(const TEval&) = delete;
    TEval& operator=(const TEval&) = delete;
    virtual ~TEval();   // releases every child with ReleaseNode

    NodeKind Kind() const { return m_kind; }

    virtual bool IsValueCurrent();
    virtual TFrac Evaluate() = 0;
    // Given that this node equals Rhs, a tree equal to the variable. Default:
    // "No se puede despejar".
    virtual TEval* SolveFor(TEval* rhs, TVariable* variable);
    virtual void Measure(Canvas& canvas, int size, int& width, int& above, int& below);
    virtual void Draw(Canvas& canvas, int x, int y, int size);
    void MeasureWithParens(Canvas& canvas, int size, bool withParens, int& width, int& above, int& below);
    void DrawWithParens(Canvas& canvas, int x, int y, int size, bool withParens);

    bool IsVolatile() const { return m_volatile; }
    bool HasVariables() const { return m_hasVar; }
    // Whether Value was computed from the variables as they are now.
    bool StampCurrent() const;
    void SetStampNow();

    bool IsOp() const { return m_kind >= NodeKind::Suma && m_kind <= NodeKind::Xor; }
    bool IsOpDespejable() const { return m_kind >= NodeKind::Suma && m_kind <= NodeKind::LogN; }
    bool IsCompara() const { return m_kind >= NodeKind::May && m_kind <= NodeKind::Dist; }
    bool IsLogic() const { return m_kind >= NodeKind::And && m_kind <= NodeKind::Xor; }
    bool IsFun() const { return m_kind >= NodeKind::Fun1 && m_kind <= NodeKind::FunN; }
    bool IsSimpleNum() const { return m_kind <= NodeKind::Fun0; }

protected:
    explicit TEval(NodeKind kind);
    // Takes the children (adds one to each count) and their volatility and variables.
    void AdoptChildren(const TEvalArray& children);
    void MarkVolatile() { m_volatile = true; }
    void MarkHasVariable() { m_hasVar = true; }
    // Value for the rest of this evaluation pass (shared nodes).
    bool PassCurrent() const;
    void SetPassNow();

private:
    friend void DetachChildren(TEval*);
    NodeKind m_kind;
    bool m_volatile = false;
    bool m_hasVar = false;
    std::uint64_t m_stamp;
    std::uint64_t m_pass = 0;
};

void ReleaseNode(TEval* node);
void Discard(TEval* node);
// Undoes AdoptChildren without destroying anything.
void DetachChildren(TEval* node);
// Adds one to the count; a count that would pass 65535 is refused with ECompilacion.
void AddRef(TEval* node);
void MarkNamed(TEval* node);

class NodeGuard {
public:
    explicit NodeGuard(TEval* node = nullptr);
    NodeGuard(const NodeGuard&) = delete;
    NodeGuard& operator=(const NodeGuard&) = delete;
    ~NodeGuard() { ReleaseNode(m_node); }
    TEval* get() const { return m_node; }
    TEval* release()
    {
        TEval* n = m_node;
        m_node = nullptr;
        if (n)
            --n->RefCount;
        return n;
    }
private:
    TEval* m_node;
};

// --------------------------------------------------------------------------
// Literals and constants.
class TSimpleNum : public TEval {
public:
    bool IsValueCurrent() override { return true; }
    TFrac Evaluate() override { return Value; }
protected:
    TSimpleNum(NodeKind kind, const TFrac& value);
};

// A literal of the text (an integer, a fraction n|d or w|n|d, a decimal).
class TNum : public TSimpleNum {
public:
    explicit TNum(const TFrac& value);
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
};

class TConst : public TSimpleNum {
public:
    explicit TConst(const TFrac& value);
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
protected:
    TConst(NodeKind kind, const TFrac& value) : TSimpleNum(kind, value) {}
};

// A value with its own drawing; nothing in this engine creates it.
class TExt : public TConst {
public:
    explicit TExt(const TFrac& value);
    TNodeMeasureProc MeasureProc;
    TNodeDrawProc DrawProc;
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
};

// A function without arguments (the fractions window's w, x, y, z): never
// current, called at every evaluation.
class TFun0 : public TConst {
public:
    explicit TFun0(TEvalFunc0 fn);
    TEvalFunc0 Fn;
    bool IsConstant = false;
    TNodeMeasureProc MeasureProc;
    TNodeDrawProc DrawProc;
    bool IsValueCurrent() override { return IsConstant; }
    TFrac Evaluate() override;
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
};

// --------------------------------------------------------------------------
// The value cell of a variable. It has no value until one is set (the fractions
// window only solves for its variable and never evaluates it).
class TVariable {
public:
    TVariable() = default;
    TVariable(const TVariable&) = delete;
    TVariable& operator=(const TVariable&) = delete;
    ~TVariable();

    const std::optional<TFrac>& Value() const { return m_value; }
    // Stores the value and makes every tree that reads a variable compute again.
    void SetValue(const TFrac& value);

    std::vector<TVar*> Nodes;   // the TVar nodes bound to this variable
    void RegisterNode(TVar* node, bool add);

private:
    std::optional<TFrac> m_value;
};

class TVar : public TEval {
public:
    explicit TVar(TVariable* variable);
    ~TVar() override;
    TVariable* Variable;
    bool IsRead = false;
    bool IsValueCurrent() override { return IsRead && StampCurrent(); }
    // The variable's value; a variable without value raises a plain error.
    TFrac Evaluate() override;
    TEval* SolveFor(TEval* rhs, TVariable* variable) override;
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
};

class TExprMsg : public TEval {
public:
    explicit TExprMsg(const QString& text);   // cut to 255 characters
    bool IsValueCurrent() override { return false; }
    TFrac Evaluate() override;   // raises EExprMsj(Text)
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
};

// --------------------------------------------------------------------------
// Two-operand nodes. Evaluate recomputes from the children, but a node several
// parents hold keeps its value while it is current (see the top of the file).
class TOp : public TEval {
public:
    TEval* Left() const { return Children[0]; }
    TEval* Right() const { return Children[1]; }
    bool IsValueCurrent() override;
    TFrac Evaluate() final;
    virtual TFrac Compute() = 0;
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
protected:
    TOp(NodeKind kind, TEval* left, TEval* right);
};

class TOpDespejable : public TOp {
public:
    TEval* SolveFor(TEval* rhs, TVariable* variable) override;
    virtual TEval* IsolateRight(TEval* rhs) = 0;
    virtual TEval* IsolateLeft(TEval* rhs) = 0;
protected:
    using TOp::TOp;
};

#define RATIONAL_OPDESP(Name)                                                        \
    class T##Name : public TOpDespejable {                                           \
    public:                                                                          \
        T##Name(TEval* l, TEval* r) : TOpDespejable(NodeKind::Name, l, r) {}        \
        TFrac Compute() override;                                                    \
        TEval* IsolateRight(TEval* rhs) override;                                    \
        TEval* IsolateLeft(TEval* rhs) override;                                     \
    };
RATIONAL_OPDESP(Suma)
RATIONAL_OPDESP(Resta)
RATIONAL_OPDESP(Mul)
RATIONAL_OPDESP(Div)
RATIONAL_OPDESP(Pot)
RATIONAL_OPDESP(Raiz)
RATIONAL_OPDESP(LogN)
#undef RATIONAL_OPDESP

// Comparisons: TrueValue or FalseValue. No chains: a<b<c compares the truth
// value of a<b with c.
class TCompara : public TOp {
public:
    TFrac Compute() override { return Compare(); }
    virtual TFrac Compare() = 0;
protected:
    using TOp::TOp;
};
#define RATIONAL_COMPARA(Name)                                                       \
    class T##Name : public TCompara {                                                \
    public:                                                                          \
        T##Name(TEval* l, TEval* r) : TCompara(NodeKind::Name, l, r) {}             \
        TFrac Compare() override;                                                    \
    };
RATIONAL_COMPARA(May)
RATIONAL_COMPARA(Men)
RATIONAL_COMPARA(Igu)
RATIONAL_COMPARA(MayIgu)
RATIONAL_COMPARA(MenIgu)
RATIONAL_COMPARA(Dist)
#undef RATIONAL_COMPARA

class TLogic : public TOp {
protected:
    using TOp::TOp;
};
#define RATIONAL_LOGIC(Name)                                                         \
    class T##Name : public TLogic {                                                  \
    public:                                                                          \
        T##Name(TEval* l, TEval* r) : TLogic(NodeKind::Name, l, r) {}               \
        TFrac Compute() override;                                                    \
    };
RATIONAL_LOGIC(And)
RATIONAL_LOGIC(Or)
RATIONAL_LOGIC(Xor)
#undef RATIONAL_LOGIC

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
    TFrac Evaluate() override;
    TEval* SolveFor(TEval* rhs, TVariable* variable) override;
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
};

// Function of several arguments; no entry of this engine builds one.
class TFunN : public TFun {
public:
    TFunN(TEvalFuncN fn, const TEvalArray& args);
    TEvalFuncN Fn;
    TFrac Evaluate() override;
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
};

// Only to measure and draw an argument list ("a, b, c").
class TDibListaArg : public TEval {
public:
    explicit TDibListaArg(const TEvalArray& items);
    TEvalArray Items;   // not counted: they belong to the node being drawn
    bool IsValueCurrent() override { return false; }
    TFrac Evaluate() override;   // raises a plain exception
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
};

// --------------------------------------------------------------------------
// Builders: each takes its children and folds the value when every child is
// current. When folding fails the new node is freed and the children are left
// as they were (their holders still own them).
TEval* CreateOp(NodeKind kind, TEval* left, TEval* right);
TFun1* CreateFun1(TEvalFunc1 fn, TEval* arg, TEvalFunc1 inverse);
TFunN* CreateFunN(TEvalFuncN fn, const TEvalArray& args);

bool ContainsVariable(TEval* node, TVariable* variable);

// Solves the equation (a TIgu at the top) for the variable. Raises EDespejar.
// The result may be a side of the equation itself; free it with Discard.
TEval* SolveEquation(TEval* tree, TVariable* variable);

// --------------------------------------------------------------------------
// Name-table entries.
class TMake {
public:
    virtual ~TMake() = default;
    std::uint8_t MinArgs = 0;
    std::uint8_t MaxArgs = 0;
    std::uint8_t Category = 0;
    QString Description;
    TEvalArray Args;
    TNodeMeasureProc MeasureProc;
    TNodeDrawProc DrawProc;
    virtual TEval* Make() = 0;
};

// Owns its variable: it lives as long as the name table that holds the entry.
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

} // namespace rational
