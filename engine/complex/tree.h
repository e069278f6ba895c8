#pragma once
// Compiled form of a complex-domain expression: the real engine's node classes
// (engine/real/tree.h) with complex values. What differs:
//   - Evaluate writes the value into an output TComplex.
//   - Operators evaluate their right operand first (the complex-number window's
//     variable prompts come in that order); the root evaluates its radicand first.
//   - Values are ordered by modulus; = and <> compare both parts within
//     EqualityTolerance; a value is true when its real part is above 0.
//   - No logical operators; literals have no display base.
//
// Built-ins: e.AddFunction1("Sin/Sen", ComplexSin, ComplexArcSin, "Seno") with
// the (z, out r) routines of engine/complex/mcomplex.h; several arguments get the
// argument NODES and evaluate those they need.
//
// Reference counting and caching are those of the real engine (engine/refnode.h
// holds the shared counting rules): a node is current when the newest version of
// the variables below it equals the stamp its Value was computed from.

#include "engine/canvas.h"
#include "engine/complex/errors.h"
#include "engine/complex/mcomplex.h"
#include "engine/refnode.h"
#include "engine/treecore.h"
#include "foundation/core/extended.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace complex {

class TEval;
class TVar;
class TVariable;

using TEvalArray = std::vector<TEval*>;

using TComplexFunc0 = std::function<void(TComplex& result)>;
using TComplexFunc1 = std::function<void(TComplex z, TComplex& result)>;
using TComplexFuncN = std::function<void(const TEvalArray& args, TComplex& result)>;

using TNodeMeasureProc = exprcore::TNodeMeasureProcT<TEval>;
using TNodeDrawProc = exprcore::TNodeDrawProcT<TEval>;

// The node classes (engine/treecore.h); this engine builds no logical operators.
using NodeKind = exprcore::NodeKind;

// Engine-wide values of the complex engine, separate from the real engine's.
struct EngineState {
    Extended EqualityTolerance = 1e-14L;
    TComplex TrueValue{1, 0};
    TComplex FalseValue{-1, 0};
    std::uint8_t CurrentAngleMode = 0;
    void reset() { *this = EngineState(); }
};
EngineState& engineState();

// Equal when both parts differ by at most EqualityTolerance.
bool ValuesEqual(TComplex a, TComplex b);
// A condition is true when its real part is above 0.
inline bool IsTrue(TComplex z) { return z.Re > 0; }

// What the shared tree code of engine/treecore.h needs of this engine.
struct TreeTraits
    : exprcore::TTreeTypes<TComplex, TEval, TVariable, TVar, TComplexFunc0, TComplexFunc1, TComplexFuncN,
                           TNodeMeasureProc, TNodeDrawProc, ECompilacion, EDespejar> {
    static constexpr bool kChainedComparisons = true;
    static TComplex Evaluate(TEval* node);
    // The value of a new node whose children are all current, for folding.
    static TComplex FoldedValue(TEval* node);
    static bool IsTrue(TComplex v) { return complex::IsTrue(v); }
    static TComplex Truth(bool b) { return b ? engineState().TrueValue : engineState().FalseValue; }
    static QString NoInverseMessage(const TEval* fun);
};

// --------------------------------------------------------------------------
// Node base: Text, Value, Children, RefCount, the kind and the version stamps
// are those of engine/treecore.h.
class TEval : public exprcore::TStampedNodeCore<TEval, TComplex, ECompilacion, TVariable> {
public:
    virtual bool IsValueCurrent();
    virtual void Evaluate(TComplex& result) = 0;
    // The value, for callers that want it returned.
    TComplex Eval()
    {
        TComplex r;
        Evaluate(r);
        return r;
    }
    virtual TEval* SolveFor(TEval* rhs, TVariable* variable);

    virtual void Measure(Canvas& canvas, int size, int& width, int& above, int& below);
    virtual void Draw(Canvas& canvas, int x, int y, int size);
    void MeasureWithParens(Canvas& canvas, int size, bool withParens, int& width, int& above, int& below);
    void DrawWithParens(Canvas& canvas, int x, int y, int size, bool withParens);

protected:
    explicit TEval(NodeKind kind) : TStampedNodeCore(kind) {}
};

inline TComplex TreeTraits::Evaluate(TEval* node) { return node->Eval(); }

EXPRCORE_NODE_COUNTING(TEval, ECompilacion)

// --------------------------------------------------------------------------
// The node classes: what they share is in engine/treecore.h; here is how each
// evaluates and (engine/complex/draw.cpp) draws itself. The leaves are drawn by
// TEval's Measure and Draw.
#define COMPLEX_OWN_DRAWING                                                         \
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override; \
    void Draw(Canvas& canvas, int x, int y, int size) override;

class TSimpleNum : public exprcore::TSimpleNumT<TreeTraits> {
public:
    void Evaluate(TComplex& result) override { result = Value; }
protected:
    using TSimpleNumT::TSimpleNumT;
};

class TNum : public TSimpleNum {
public:
    explicit TNum(TComplex value) : TSimpleNum(NodeKind::Num, value) {}
    bool HasExponent = false;
    QString Mantissa;
    QString Exponent;
    COMPLEX_OWN_DRAWING
    // Fills Text and the drawing cache when Text is empty.
    void PrepareText();
};

using TConst = exprcore::TConstT<TreeTraits, TSimpleNum>;

using TExt = exprcore::TExtT<TreeTraits, TConst>;

class TFun0 : public exprcore::TFun0T<TreeTraits, TConst> {
public:
    using TFun0T::TFun0T;
    void Evaluate(TComplex& result) override;
};

// --------------------------------------------------------------------------
// The versions of this engine's variables (see engine/treecore.h).
inline std::uint64_t g_variableVersion = 0;

class TVariable
    : public exprcore::TVersionedVariableT<TComplex, exprcore::TVarT<TreeTraits>, g_variableVersion, TVariable> {};

class TVar : public exprcore::TVarT<TreeTraits> {
public:
    using TVarT::TVarT;
    bool IsRead() const { return Variable && Stamp() == Variable->Version(); }
    bool IsValueCurrent() override { return IsRead(); }
    void Evaluate(TComplex& result) override;
};

class TExprMsg : public exprcore::TExprMsgT<TreeTraits> {
public:
    using TExprMsgT::TExprMsgT;
    void Evaluate(TComplex& result) override;   // raises EExprMsj(Text)
};

// --------------------------------------------------------------------------
class TOp : public exprcore::TOpT<TreeTraits> {
public:
    // Recomputes from the children; a node several parents hold keeps its value
    // while its variables do not change.
    void Evaluate(TComplex& result) final;
protected:
    using TOpT::TOpT;
};

using TOpDespejable = exprcore::TOpDespejableT<TreeTraits, TOp>;

class TCompara : public exprcore::TComparaT<TreeTraits, TOp> {
public:
    COMPLEX_OWN_DRAWING
protected:
    using TComparaT::TComparaT;
};

// The right operand first, but the root evaluates its radicand first. The
// solvable operators draw themselves; the comparisons share TCompara's drawing.
#define COMPLEX_OP(Family, Name, Method, ...)                                        \
    class T##Name : public exprcore::TOperatorT<TreeTraits, Family, NodeKind::Name> { \
    public:                                                                         \
        using TOperatorT::TOperatorT;                                               \
        TComplex Method() override;                                                 \
        __VA_ARGS__                                                                 \
    };
#define COMPLEX_DRAWN_OP(Family, Name, Method) COMPLEX_OP(Family, Name, Method, COMPLEX_OWN_DRAWING)
EXPRCORE_SOLVABLE_OPERATORS(COMPLEX_DRAWN_OP)
EXPRCORE_COMPARISONS(COMPLEX_OP)
#undef COMPLEX_DRAWN_OP
#undef COMPLEX_OP

// --------------------------------------------------------------------------
using TFun = exprcore::TFunT<TreeTraits>;

class TFun1 : public exprcore::TFun1T<TreeTraits, TFun> {
public:
    using TFun1T::TFun1T;
    void Evaluate(TComplex& result) override;
    COMPLEX_OWN_DRAWING
};

class TFunN : public exprcore::TFunNT<TreeTraits, TFun> {
public:
    using TFunNT::TFunNT;
    void Evaluate(TComplex& result) override;
    COMPLEX_OWN_DRAWING
};

class TFunUser : public exprcore::TFunUserT<TreeTraits, TFunN> {
public:
    using TFunUserT::TFunUserT;
    void Evaluate(TComplex& result) override;
};

class TDibListaArg : public exprcore::TDibListaArgT<TreeTraits> {
public:
    explicit TDibListaArg(const TEvalArray& items) : TDibListaArgT(items) {}
    void Evaluate(TComplex& result) override;   // 0 + 0i
    COMPLEX_OWN_DRAWING
};
#undef COMPLEX_OWN_DRAWING

// --------------------------------------------------------------------------
TEval* CreateOp(NodeKind kind, TEval* left, TEval* right);
TFun1* CreateFun1(TComplexFunc1 fn, TEval* arg, TComplexFunc1 inverse);
TFunN* CreateFunN(TComplexFuncN fn, const TEvalArray& args);
TFunUser* CreateFunUser(TEval* body, const TEvalArray& args);

bool ContainsVariable(TEval* node, TVariable* variable);
TEval* SolveEquation(TEval* tree, TVariable* variable);

// The principal b-th root of a (b a nonzero real).
TComplex ComplexRoot(TComplex a, TComplex b);

// --------------------------------------------------------------------------
// Name-table entries (engine/treecore.h).
EXPRCORE_NAME_TABLE_ENTRIES(TreeTraits)

} // namespace complex

namespace complex {
// Own drawing of the built-ins "Exp" (e raised to the argument), "Sqr" (a raised
// 2), "Sqrt" (radical sign) and "Rcp" (a raised "-1").
void ExpMeasure(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below);
void ExpDraw(TEval* node, Canvas& canvas, int x, int y, int size);
void SqrMeasure(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below);
void SqrDraw(TEval* node, Canvas& canvas, int x, int y, int size);
void SqrtMeasure(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below);
void SqrtDraw(TEval* node, Canvas& canvas, int x, int y, int size);
void RcpMeasure(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below);
void RcpDraw(TEval* node, Canvas& canvas, int x, int y, int size);
} // namespace complex
