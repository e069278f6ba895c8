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
#include "engine/treecore.h"
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

// Own measuring and drawing of a node: when set they replace the node's own.
using TNodeMeasureProc = exprcore::TNodeMeasureProcT<TEval>;
using TNodeDrawProc = exprcore::TNodeDrawProcT<TEval>;

// The node classes, for cheap type tests (engine/treecore.h).
using NodeKind = exprcore::NodeKind;

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
using DepSet = exprcore::DepSetT<TVariable>;

// What the shared tree code of engine/treecore.h needs of this engine.
struct TreeTraits
    : exprcore::TTreeTypes<Extended, TEval, TVariable, TVar, TEvalFunc0, TEvalFunc1, TEvalFuncN,
                           TNodeMeasureProc, TNodeDrawProc, ECompilacion, EDespejar> {
    static constexpr bool kChainedComparisons = true;
    static Extended Evaluate(TEval* node);
    // The value of a new node whose children are all current, for folding.
    static Extended FoldedValue(TEval* node);
    static bool IsTrue(Extended v) { return v > 0; }
    static Extended Truth(bool b) { return b ? engineState().TrueValue : engineState().FalseValue; }
    static QString NoInverseMessage(const TEval*) { return QStringLiteral("Una o mas funciones no se pueden despejar"); }
};

// --------------------------------------------------------------------------
// Node base: Text, Value, Children, RefCount, the kind and the version stamps
// are those of engine/treecore.h (the destructor releases every child).
class TEval : public exprcore::TStampedNodeCore<TEval, Extended, ECompilacion, TVariable> {
public:
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

protected:
    explicit TEval(NodeKind kind) : TStampedNodeCore(kind) {}
};

// ReleaseNode, Discard, DetachChildren, AddRef and NodeGuard (engine/treecore.h).
EXPRCORE_NODE_COUNTING(TEval, ECompilacion)

// --------------------------------------------------------------------------
// The node classes: what they share is in engine/treecore.h; here is how each
// evaluates.

// Literals and constants.
class TSimpleNum : public exprcore::TSimpleNumT<TreeTraits> {
public:
    std::uint8_t Base = 10;   // display base of a literal
    Extended Evaluate() override { return Value; }
protected:
    using TSimpleNumT::TSimpleNumT;
};

// A number literal of the text.
class TNum : public TSimpleNum {
public:
    explicit TNum(Extended value, std::uint8_t base = 10);
    // Whether the literal is drawn with an exponent, known once first measured
    // (the parts drawn are made from Text each time).
    bool HasExponent = false;
};

using TConst = exprcore::TConstT<TreeTraits, TSimpleNum>;

using TExt = exprcore::TExtT<TreeTraits, TConst>;

class TFun0 : public exprcore::TFun0T<TreeTraits, TConst> {
public:
    using TFun0T::TFun0T;
    Extended Evaluate() override;
};

// --------------------------------------------------------------------------
// Every SetValue takes the next number, so the newest version below a node
// grows whenever any of its variables is set. Defined here so that SetValue,
// called before every re-evaluation, is inlined (a long double argument
// otherwise goes through memory twice).
inline std::uint64_t g_variableVersion = 0;

// The value cell through which callers feed values into compiled trees: Value,
// SetValue, Version and the bound TVar nodes (engine/treecore.h).
class TVariable
    : public exprcore::TVersionedVariableT<Extended, exprcore::TVarT<TreeTraits>, g_variableVersion, TVariable> {};

class TVar : public exprcore::TVarT<TreeTraits> {
public:
    using TVarT::TVarT;
    // Read since the variable was last set.
    bool IsRead() const { return Variable && Stamp() == Variable->Version(); }
    bool IsValueCurrent() override { return IsRead(); }
    Extended Evaluate() override;
};

class TExprMsg : public exprcore::TExprMsgT<TreeTraits> {
public:
    using TExprMsgT::TExprMsgT;   // cut to 255 characters
    Extended Evaluate() override;   // raises EExprMsj(Text)
};

// --------------------------------------------------------------------------
// Two-operand nodes. Evaluate always recomputes from the children.
class TOp : public exprcore::TOpT<TreeTraits> {
public:
    // Recomputes from the children, but for a node several parents hold (a named
    // sub-expression, a parameter of an inlined user function): that one keeps
    // its value while its variables do not change (engine/treecore.h).
    Extended Evaluate() final;
protected:
    using TOpT::TOpT;
};

// The seven solvable operators, the comparisons and the logical operators
// (a value counts as true when it is greater than 0).
using TOpDespejable = exprcore::TOpDespejableT<TreeTraits, TOp>;
using TCompara = exprcore::TComparaT<TreeTraits, TOp>;
using TLogic = exprcore::TLogicT<TOp>;

// Operands left to right, but TLogN evaluates the base (right) first.
#define REAL_OP(Family, Name, Method)                                               \
    class T##Name : public exprcore::TOperatorT<TreeTraits, Family, NodeKind::Name> { \
    public:                                                                         \
        using TOperatorT::TOperatorT;                                               \
        Extended Method() override;                                                 \
    };
EXPRCORE_SOLVABLE_OPERATORS(REAL_OP)
EXPRCORE_COMPARISONS(REAL_OP)
EXPRCORE_LOGIC_OPERATORS(REAL_OP)
#undef REAL_OP

// --------------------------------------------------------------------------
// Function nodes: one argument (cached while its argument does not change),
// several, and user functions (which own their body).
using TFun = exprcore::TFunT<TreeTraits>;

class TFun1 : public exprcore::TFun1T<TreeTraits, TFun> {
public:
    using TFun1T::TFun1T;
    Extended Evaluate() override;
};

class TFunN : public exprcore::TFunNT<TreeTraits, TFun> {
public:
    using TFunNT::TFunNT;
    Extended Evaluate() override;
};

class TFunUser : public exprcore::TFunUserT<TreeTraits, TFunN> {
public:
    using TFunUserT::TFunUserT;
    Extended Evaluate() override;
};

class TDibListaArg : public exprcore::TDibListaArgT<TreeTraits> {
public:
    explicit TDibListaArg(const TEvalArray& items) : TDibListaArgT(items) {}
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

inline Extended TreeTraits::Evaluate(TEval* node) { return EvaluateNode(node); }

// --------------------------------------------------------------------------
// Name-table entries: each builds the node of a name found in a text
// (engine/treecore.h). Category: 0 constant, 1 variable, 2 no arguments,
// 3 one argument, 4 several, 5 user. TMakeVar owns its variable, which lives as
// long as the name table that holds the entry. TMakeFunN with an empty Fn
// builds TLogN of the first argument to the base of the second. TMakeUser holds
// the preprocessed body text and makes no node (the compiler expands it).
EXPRCORE_NAME_TABLE_ENTRIES(TreeTraits)

} // namespace real
