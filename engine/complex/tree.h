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

using TNodeMeasureProc =
    std::function<void(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below)>;
using TNodeDrawProc = std::function<void(TEval* node, Canvas& canvas, int x, int y, int size)>;

enum class NodeKind : std::uint8_t {
    Num, Const, Ext, Fun0,
    Var, ExprMsg,
    Suma, Resta, Mul, Div, Pot, Raiz, LogN,
    May, Men, Igu, MayIgu, MenIgu, Dist,
    Fun1, FunN, FunUser,
    DibListaArg,
};

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

using DepSet = std::shared_ptr<const std::vector<TVariable*>>;

// --------------------------------------------------------------------------
class TEval {
public:
    QString Text;
    TComplex Value;
    TEvalArray Children;
    std::uint16_t RefCount = 0;

    TEval(const TEval&) = delete;
    TEval& operator=(const TEval&) = delete;
    virtual ~TEval();

    NodeKind Kind() const { return m_kind; }

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

    const DepSet& Deps() const { return m_deps; }
    bool IsVolatile() const { return m_volatile; }
    std::uint64_t CurrentStamp() const;
    bool StampCurrent() const { return !m_volatile && m_stamp == CurrentStamp(); }
    void SetStamp(std::uint64_t stamp) { m_stamp = stamp; }
    std::uint64_t Stamp() const { return m_stamp; }

    bool IsOp() const { return m_kind >= NodeKind::Suma && m_kind <= NodeKind::Dist; }
    bool IsOpDespejable() const { return m_kind >= NodeKind::Suma && m_kind <= NodeKind::LogN; }
    bool IsCompara() const { return m_kind >= NodeKind::May && m_kind <= NodeKind::Dist; }
    bool IsFun() const { return m_kind >= NodeKind::Fun1 && m_kind <= NodeKind::FunUser; }
    bool IsSimpleNum() const { return m_kind <= NodeKind::Fun0; }

protected:
    explicit TEval(NodeKind kind);
    void AdoptChildren(const TEvalArray& children);
    void AddDeps(const TEval* other);
    void MarkVolatile() { m_volatile = true; }
    void SetDeps(DepSet deps) { m_deps = std::move(deps); }

    static constexpr std::uint64_t kNever = ~std::uint64_t(0);

private:
    NodeKind m_kind;
    bool m_volatile = false;
    std::uint64_t m_stamp = 0;
    DepSet m_deps;
};

inline void ReleaseNode(TEval* node) { exprcore::ReleaseNodeT(node); }
inline void Discard(TEval* node) { exprcore::DiscardT(node); }
void DetachChildren(TEval* node);
void AddRef(TEval* node);
using NodeGuard = exprcore::TNodeGuard<TEval, ECompilacion>;

// --------------------------------------------------------------------------
class TSimpleNum : public TEval {
public:
    bool IsValueCurrent() override { return true; }
    void Evaluate(TComplex& result) override { result = Value; }
protected:
    TSimpleNum(NodeKind kind, TComplex value);
};

class TNum : public TSimpleNum {
public:
    explicit TNum(TComplex value);
    bool HasExponent = false;
    QString Mantissa;
    QString Exponent;
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
    // Fills Text and the drawing cache when Text is empty.
    void PrepareText();
};

class TConst : public TSimpleNum {
public:
    explicit TConst(TComplex value);
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
protected:
    TConst(NodeKind kind, TComplex value) : TSimpleNum(kind, value) {}
};

class TExt : public TConst {
public:
    explicit TExt(TComplex value);
    TNodeMeasureProc MeasureProc;
    TNodeDrawProc DrawProc;
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
};

class TFun0 : public TConst {
public:
    explicit TFun0(TComplexFunc0 fn);
    TComplexFunc0 Fn;
    bool IsConstant = false;
    TNodeMeasureProc MeasureProc;
    TNodeDrawProc DrawProc;
    bool IsValueCurrent() override { return IsConstant; }
    void Evaluate(TComplex& result) override;
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
};

// --------------------------------------------------------------------------
class TVariable {
public:
    TVariable();
    TVariable(const TVariable&) = delete;
    TVariable& operator=(const TVariable&) = delete;
    ~TVariable();

    TComplex Value;
    std::vector<TVar*> Nodes;

    void SetValue(TComplex value);
    void RegisterNode(TVar* node, bool add);
    std::uint64_t Version() const { return m_version; }
private:
    std::uint64_t m_version;
};

class TVar : public TEval {
public:
    explicit TVar(TVariable* variable);
    ~TVar() override;
    TVariable* Variable;
    bool IsRead() const;
    bool IsValueCurrent() override { return IsRead(); }
    void Evaluate(TComplex& result) override;
    TEval* SolveFor(TEval* rhs, TVariable* variable) override;
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
};

class TExprMsg : public TEval {
public:
    explicit TExprMsg(const QString& text);
    bool IsValueCurrent() override { return false; }
    void Evaluate(TComplex& result) override;   // raises EExprMsj(Text)
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
};

// --------------------------------------------------------------------------
class TOp : public TEval {
public:
    TEval* Left() const { return Children[0]; }
    TEval* Right() const { return Children[1]; }
    bool IsValueCurrent() override;
    // Recomputes from the children; a node several parents hold keeps its value
    // while its variables do not change.
    void Evaluate(TComplex& result) final;
    virtual TComplex Compute() = 0;
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

#define COMPLEX_OP(Name)                                                            \
    class T##Name : public TOpDespejable {                                          \
    public:                                                                         \
        T##Name(TEval* l, TEval* r) : TOpDespejable(NodeKind::Name, l, r) {}       \
        TComplex Compute() override;                                                \
        TEval* IsolateRight(TEval* rhs) override;                                   \
        TEval* IsolateLeft(TEval* rhs) override;                                    \
        void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override; \
        void Draw(Canvas& canvas, int x, int y, int size) override;                 \
    };
COMPLEX_OP(Suma)
COMPLEX_OP(Resta)
COMPLEX_OP(Mul)
COMPLEX_OP(Div)
COMPLEX_OP(Pot)
COMPLEX_OP(Raiz)
COMPLEX_OP(LogN)
#undef COMPLEX_OP

class TCompara : public TOp {
public:
    TComplex Compute() override;
    virtual TComplex Compare() = 0;
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
protected:
    using TOp::TOp;
};
#define COMPLEX_COMPARA(Name)                                                       \
    class T##Name : public TCompara {                                               \
    public:                                                                         \
        T##Name(TEval* l, TEval* r) : TCompara(NodeKind::Name, l, r) {}            \
        TComplex Compare() override;                                                \
    };
COMPLEX_COMPARA(May)
COMPLEX_COMPARA(Men)
COMPLEX_COMPARA(Igu)
COMPLEX_COMPARA(MayIgu)
COMPLEX_COMPARA(MenIgu)
COMPLEX_COMPARA(Dist)
#undef COMPLEX_COMPARA

// --------------------------------------------------------------------------
class TFun : public TEval {
public:
    TNodeMeasureProc MeasureProc;
    TNodeDrawProc DrawProc;
protected:
    using TEval::TEval;
};

class TFun1 : public TFun {
public:
    TFun1(TComplexFunc1 fn, TEval* arg, TComplexFunc1 inverse);
    TComplexFunc1 Fn;
    TComplexFunc1 Inverse;
    TEval* Arg() const { return Children[0]; }
    void Evaluate(TComplex& result) override;
    TEval* SolveFor(TEval* rhs, TVariable* variable) override;
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
};

class TFunN : public TFun {
public:
    TFunN(TComplexFuncN fn, const TEvalArray& args);
    TComplexFuncN Fn;
    void Evaluate(TComplex& result) override;
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
protected:
    TFunN(NodeKind kind, const TEvalArray& args);
};

class TFunUser : public TFunN {
public:
    TFunUser(TEval* body, const TEvalArray& args);
    ~TFunUser() override;
    TEval* Body;
    void Evaluate(TComplex& result) override;
};

// Only to measure and draw an argument list ("a, b, c").
class TDibListaArg : public TEval {
public:
    explicit TDibListaArg(const TEvalArray& items);
    TEvalArray Items;
    bool IsValueCurrent() override { return false; }
    void Evaluate(TComplex& result) override;   // 0 + 0i
    void Measure(Canvas& canvas, int size, int& width, int& above, int& below) override;
    void Draw(Canvas& canvas, int x, int y, int size) override;
};

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

class TMakeConst : public TMake {
public:
    explicit TMakeConst(TComplex value);
    TComplex Value;
    TEval* Make() override;
};

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
    TMakeFun0(TComplexFunc0 fn, std::uint8_t category);
    TComplexFunc0 Fn;
    TEval* Make() override;
};

class TMakeFun1 : public TMake {
public:
    TMakeFun1(TComplexFunc1 fn, TComplexFunc1 inverse);
    TComplexFunc1 Fn;
    TComplexFunc1 Inverse;
    TEval* Make() override;
};

class TMakeFunN : public TMake {
public:
    TMakeFunN(TComplexFuncN fn, std::uint8_t minArgs, std::uint8_t maxArgs);
    TComplexFuncN Fn;
    TEval* Make() override;
};

class TMakeUser : public TMake {
public:
    TMakeUser(const QString& body, std::uint8_t params);
    QString Body;
    TEval* Make() override { return nullptr; }
};

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
