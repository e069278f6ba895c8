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
#include "engine/rational/errors.h"
#include "engine/rational/fraccion.h"
#include "engine/refnode.h"
#include "engine/treecore.h"
#include "foundation/core/extended.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace rational {

class TEval;
class TVar;
class TVariable;

using TEvalArray = std::vector<TEval*>;

using TEvalFunc0 = std::function<TFrac()>;
using TEvalFunc1 = std::function<TFrac(const TFrac&)>;
using TEvalFuncN = std::function<TFrac(const TEvalArray&)>;

// Own measuring and drawing of a node: when set they replace the node's own.
using TNodeMeasureProc = exprcore::TNodeMeasureProcT<TEval>;
using TNodeDrawProc = exprcore::TNodeDrawProcT<TEval>;

// The node classes, for cheap type tests (engine/treecore.h); this engine
// builds no user-function calls.
using NodeKind = exprcore::NodeKind;

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

// What the shared tree code of engine/treecore.h needs of this engine.
struct TreeTraits
    : exprcore::TTreeTypes<TFrac, TEval, TVariable, TVar, TEvalFunc0, TEvalFunc1, TEvalFuncN,
                           TNodeMeasureProc, TNodeDrawProc, ECompilacion, EDespejar> {
    static constexpr bool kChainedComparisons = false;
    static TFrac Evaluate(TEval* node);
    // The value of a new node whose children are all current, for folding.
    static TFrac FoldedValue(TEval* node);
    // No chains: a<b<c compares the truth value of a<b with c.
    static bool IsTrue(const TFrac& v) { return rational::IsTrue(v); }
    static TFrac Truth(bool b) { return b ? engineState().TrueValue : engineState().FalseValue; }
    static QString NoInverseMessage(const TEval*) { return QStringLiteral("Una o mas funciones no se pueden despejar"); }
};

// --------------------------------------------------------------------------
// Node base: Text, Value, Children, RefCount and the kind are those of
// engine/treecore.h (the destructor releases every child); the caching is this
// engine's own.
class TEval : public exprcore::TNodeCore<TEval, TFrac, ECompilacion> {
public:
    virtual bool IsValueCurrent();
    virtual TFrac Evaluate() = 0;
    // Given that this node equals Rhs, a tree equal to the variable. Default:
    // "No se puede despejar".
    virtual TEval* SolveFor(TEval* rhs, TVariable* variable);
    virtual void Measure(Canvas& canvas, int size, int& width, int& above, int& below);
    virtual void Draw(Canvas& canvas, int x, int y, int size);
    void MeasureWithParens(Canvas& canvas, int size, bool withParens, int& width, int& above, int& below);
    void DrawWithParens(Canvas& canvas, int x, int y, int size, bool withParens);

    bool HasVariables() const { return m_hasVar; }
    // Whether Value was computed from the variables as they are now.
    bool StampCurrent() const;
    void SetStampNow();
    // Folding: stores a new node's value and records it current.
    template <class Evaluate>
    void StoreFolded(Evaluate&& evaluate)
    {
        Value = evaluate();
        SetStampNow();
    }

protected:
    explicit TEval(NodeKind kind);
    // Takes the children (adds one to each count) and their volatility and variables.
    void AdoptChildren(const TEvalArray& children) { AdoptChildren(children.data(), children.size()); }
    void AdoptChildren(std::initializer_list<TEval*> children) { AdoptChildren(children.begin(), children.size()); }
    void AdoptChildren(TEval* const* children, std::size_t count);
    // A variable node: below it is a variable.
    void DependOn(TVariable*) { m_hasVar = true; }
    // A literal or constant: current from the start.
    void MarkConstant() { SetStampNow(); }
    // Value for the rest of this evaluation pass (shared nodes).
    bool PassCurrent() const;
    void SetPassNow();
    // The caching of an operator or function node: Compute() unless the node is
    // current, or shared and already computed in this pass.
    template <class Compute>
    TFrac PassCachedValue(bool shared, Compute&& compute);

private:
    bool m_hasVar = false;
    std::uint64_t m_stamp;
    std::uint64_t m_pass = 0;
};

inline TFrac TreeTraits::Evaluate(TEval* node) { return node->Evaluate(); }

// ReleaseNode, Discard, DetachChildren, AddRef and NodeGuard (engine/treecore.h).
EXPRCORE_NODE_COUNTING(TEval, ECompilacion)
// Gives a named sub-expression the 2000 mark (engine/refnode.h).
inline void MarkNamed(TEval* node) { exprcore::MarkNamedT(node); }

// --------------------------------------------------------------------------
// The node classes: what they share is in engine/treecore.h; here is how each
// evaluates and (engine/rational/drawing.cpp) draws itself. The leaves are
// drawn by TEval's Measure and Draw.
#define RATIONAL_OWN_DRAWING                                                        \
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override; \
    void Draw(Canvas& canvas, int x, int y, int size) override;

class TSimpleNum : public exprcore::TSimpleNumT<TreeTraits> {
public:
    TFrac Evaluate() override { return Value; }
protected:
    using TSimpleNumT::TSimpleNumT;
};

// A literal of the text (an integer, a fraction n|d or w|n|d, a decimal).
class TNum : public TSimpleNum {
public:
    explicit TNum(const TFrac& value) : TSimpleNum(NodeKind::Num, value) {}
    RATIONAL_OWN_DRAWING
};

using TConst = exprcore::TConstT<TreeTraits, TSimpleNum>;

// Nothing in this engine creates it.
using TExt = exprcore::TExtT<TreeTraits, TConst>;

// The fractions window's w, x, y, z.
class TFun0 : public exprcore::TFun0T<TreeTraits, TConst> {
public:
    using TFun0T::TFun0T;
    TFrac Evaluate() override;
};

// --------------------------------------------------------------------------
// The value cell of a variable. It has no value until one is set (the fractions
// window only solves for its variable and never evaluates it). Nodes and
// RegisterNode: engine/treecore.h.
class TVariable : public exprcore::TVariableLinksT<exprcore::TVarT<TreeTraits>> {
public:
    const std::optional<TFrac>& Value() const { return m_value; }
    // Stores the value and makes every tree that reads a variable compute again.
    void SetValue(const TFrac& value);

private:
    std::optional<TFrac> m_value;
};

class TVar : public exprcore::TVarT<TreeTraits> {
public:
    using TVarT::TVarT;
    bool IsRead = false;
    bool IsValueCurrent() override { return IsRead && StampCurrent(); }
    // The variable's value; a variable without value raises a plain error.
    TFrac Evaluate() override;
};

class TExprMsg : public exprcore::TExprMsgT<TreeTraits> {
public:
    using TExprMsgT::TExprMsgT;   // cut to 255 characters
    TFrac Evaluate() override;   // raises EExprMsj(Text)
};

// --------------------------------------------------------------------------
// Two-operand nodes. Evaluate recomputes from the children, but a node several
// parents hold keeps its value while it is current (see the top of the file).
class TOp : public exprcore::TOpT<TreeTraits> {
public:
    bool IsValueCurrent() override { return StampCurrent(); }
    TFrac Evaluate() final;
    RATIONAL_OWN_DRAWING
protected:
    using TOpT::TOpT;
private:
    TFrac EvaluateChain();
};

using TOpDespejable = exprcore::TOpDespejableT<TreeTraits, TOp>;
using TCompara = exprcore::TComparaT<TreeTraits, TOp>;
using TLogic = exprcore::TLogicT<TOp>;

#define RATIONAL_OP(Family, Name, Method)                                            \
    class T##Name : public exprcore::TOperatorT<TreeTraits, Family, NodeKind::Name> { \
    public:                                                                          \
        using TOperatorT::TOperatorT;                                                \
        TFrac Method() override;                                                     \
    };
EXPRCORE_SOLVABLE_OPERATORS(RATIONAL_OP)
EXPRCORE_COMPARISONS(RATIONAL_OP)
EXPRCORE_LOGIC_OPERATORS(RATIONAL_OP)
#undef RATIONAL_OP

// --------------------------------------------------------------------------
// Function nodes: one argument, cached while its argument does not change, and
// several (no entry of this engine builds one).
using TFun = exprcore::TFunT<TreeTraits>;

class TFun1 : public exprcore::TFun1T<TreeTraits, TFun> {
public:
    using TFun1T::TFun1T;
    TFrac Evaluate() override;
    RATIONAL_OWN_DRAWING
};

class TFunN : public exprcore::TFunNT<TreeTraits, TFun> {
public:
    using TFunNT::TFunNT;
    TFrac Evaluate() override;
    RATIONAL_OWN_DRAWING
};

class TDibListaArg : public exprcore::TDibListaArgT<TreeTraits> {
public:
    explicit TDibListaArg(const TEvalArray& items) : TDibListaArgT(items) {}
    TFrac Evaluate() override;   // raises a plain exception
    RATIONAL_OWN_DRAWING
};
#undef RATIONAL_OWN_DRAWING

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
// Name-table entries (engine/treecore.h). TMakeVar owns its variable: it lives
// as long as the name table that holds the entry. TMakeFunN with an empty Fn
// builds TLogN of the first argument to the base of the second.
EXPRCORE_NAME_TABLE_ENTRIES(TreeTraits)

} // namespace rational
