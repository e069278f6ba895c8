#include "engine/real/program.h"

#include "engine/real/builtins.h"
#include "engine/real/builtins_math.h"
#include "engine/real/builtins_sincos.h"
#include "engine/real/fastmath.h"
#include "engine/exprobject.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace real {

namespace {

using Node = TProgram::Node;
using Fn = TProgram::Fn;

using NotFinite = TProgram::NotFinite;

[[gnu::always_inline]] inline bool Finite(Extended v) { return v - v == 0; }

[[gnu::always_inline]] inline Extended Checked(Extended v)
{
    if (__builtin_expect(!Finite(v), 0))
        throw NotFinite();
    return v;
}

[[gnu::always_inline]] inline Extended Eval(const Node* n) { return n->fn(n); }

// The engine's state, read without the call that finds it (set when a program
// is built, before any runs).
EngineState* g_state = nullptr;

inline Extended TruthOf(bool b)
{
    return b ? g_state->TrueValue : g_state->FalseValue;
}

// The comparisons of the tree on two finite values. The tree evaluates both
// operands again before the second test of >= and <=; they are pure, so the
// values are the same.
Extended CompareValues(std::uint8_t kind, Extended a, Extended b)
{
    bool t = false;
    switch (static_cast<NodeKind>(kind)) {
    case NodeKind::May: t = a > b; break;
    case NodeKind::Men: t = a < b; break;
    case NodeKind::Igu: t = ValuesEqual(a, b); break;
    case NodeKind::MayIgu: t = a >= b || ValuesEqual(a, b); break;
    case NodeKind::MenIgu: t = !(a > b) || ValuesEqual(a, b); break;
    default: t = !ValuesEqual(a, b); break;
    }
    return TruthOf(t);
}

// ---- operators: operands read in place (P) or computed by a step (N) -------

struct AddOp {
    static Extended Apply(Extended a, Extended b) { return a + b; }
};
struct SubOp {
    static Extended Apply(Extended a, Extended b) { return a - b; }
};
struct MulOp {
    static Extended Apply(Extended a, Extended b) { return a * b; }
};
// A finite divisor: a / 0 gives infinity or NaN, which reaches the end.
struct DivOp {
    static Extended Apply(Extended a, Extended b) { return a / Checked(b); }
};
// The checked rules of the tree; operands must be finite (a power or a
// logarithm can turn infinity into a finite value).
struct PowOp {
    static Extended Apply(Extended a, Extended b)
    {
        const Extended x = Checked(a);
        const Extended y = Checked(b);
        // A positive base to a power that is not whole: CheckedPower's last
        // step, in line (too large a power gives infinity, which reaches the end).
        if (x > 0 && fastmath::NotWhole(y))
            return fastmath::Pow(x, y);
        return CheckedPower(x, y);
    }
};
struct RootOp {
    static Extended Apply(Extended a, Extended b)
    {
        return ApplyOperator(NodeKind::Raiz, Checked(a), Checked(b));
    }
};
struct LogNOp {
    static Extended Apply(Extended a, Extended b)
    {
        return ApplyOperator(NodeKind::LogN, Checked(a), Checked(b));
    }
};

// How a step reads an operand: in place (a leaf), through the operand's step,
// or, for +, -, * and / of two leaves, by doing that operation itself.
enum Mode { kLeaf, kStep, kPair, kTwin };
enum PairOp : std::uint8_t { kNoPair, kPairAdd, kPairSub, kPairMul, kPairDiv };

// Bits of Node::dmask.
enum : std::uint8_t { kDoubleA = 1, kDoubleB = 2, kSameAB = 4, kMainA = 8, kMainB = 16 };

// The main variable, for a step reading it in place: loaded once per step, as
// an 80-bit load costs several times an operation (three loads of x made up
// half of the run of "x*x+2*x-3/(x+1)"). Loaded after any call the step makes,
// so that it is not kept in memory across it.
[[gnu::always_inline]] inline Extended LoadMain(const Node* n)
{
    return n->xv ? *n->xv : Extended(0);
}

[[gnu::always_inline]] inline Extended ReadA(const Node* n, Extended x)
{
    return (n->dmask & kMainA) ? x : (n->dmask & kDoubleA) ? static_cast<Extended>(n->da) : *n->a;
}

[[gnu::always_inline]] inline Extended ReadB(const Node* n, Extended x)
{
    return (n->dmask & kMainB) ? x : (n->dmask & kDoubleB) ? static_cast<Extended>(n->db) : *n->b;
}

[[gnu::always_inline]] inline Extended PairValue(const Node* c, Extended x)
{
    const Extended a = ReadA(c, x);
    const Extended b = (c->dmask & kSameAB) ? a : ReadB(c, x);
    switch (c->pair) {
    case kPairAdd: return a + b;
    case kPairSub: return a - b;
    case kPairMul: return a * b;
    default: return a / Checked(b);
    }
}

// An operation of two operands, each a leaf or a pair, done in place: a small
// subtree without a call (and without values kept across one).
[[gnu::always_inline]] inline Extended TwinValue(const Node* c, Extended x)
{
    const Extended a = (c->twinModes & 1) ? PairValue(c->l, x) : ReadA(c, x);
    const Extended b = (c->twinModes & 2) ? PairValue(c->r, x) : ReadB(c, x);
    switch (c->twin) {
    case kPairAdd: return a + b;
    case kPairSub: return a - b;
    case kPairMul: return a * b;
    default: return a / Checked(b);
    }
}

// Operand a (with l) or, Second, operand b (with r) of n; x is n's main
// variable (LoadMain) unless the operand is a step.
template <int M, bool Second>
[[gnu::always_inline]] inline Extended Value(const Node* n, [[maybe_unused]] Extended x)
{
    const Node* step = Second ? n->r : n->l;
    if constexpr (M == kLeaf)
        return Second ? ReadB(n, x) : ReadA(n, x);
    else if constexpr (M == kPair)
        return PairValue(step, x);
    else if constexpr (M == kTwin)
        return TwinValue(step, x);
    else
        return Eval(step);
}

// The step runs first and leaves are read after it: nothing is kept across
// the call. Of two steps the longer runs last (RightFirst when that is the
// left one), so that its value is not kept in memory across the other.
template <class Op, int L, int R, bool RightFirst = false>
Extended Binary(const Node* n)
{
    if constexpr (L == kStep && R == kStep) {
        if constexpr (RightFirst) {
            const Extended b = Eval(n->r);
            return Op::Apply(Eval(n->l), b);
        } else {
            const Extended a = Eval(n->l);
            return Op::Apply(a, Eval(n->r));
        }
    } else if constexpr (R == kStep) {
        const Extended b = Eval(n->r);
        return Op::Apply(Value<L, false>(n, LoadMain(n)), b);
    } else if constexpr (L == kStep) {
        const Extended a = Eval(n->l);
        return Op::Apply(a, Value<R, true>(n, LoadMain(n)));
    } else {
        const Extended x = LoadMain(n);
        const Extended a = Value<L, false>(n, x);
        return Op::Apply(a, Value<R, true>(n, x));
    }
}

template <class Op, int L>
Fn BinaryFnR(int r)
{
    switch (r) {
    case kLeaf: return &Binary<Op, L, kLeaf>;
    case kPair: return &Binary<Op, L, kPair>;
    case kTwin: return &Binary<Op, L, kTwin>;
    default: return &Binary<Op, L, kStep>;
    }
}

template <class Op>
Fn BinaryFn(int l, int r)
{
    switch (l) {
    case kLeaf: return BinaryFnR<Op, kLeaf>(r);
    case kPair: return BinaryFnR<Op, kPair>(r);
    case kTwin: return BinaryFnR<Op, kTwin>(r);
    default: return BinaryFnR<Op, kStep>(r);
    }
}

template <int M>
[[gnu::always_inline]] inline Extended Operand(const Node* n)
{
    if constexpr (M == kStep)
        return Eval(n->l);
    else
        return Value<M, false>(n, LoadMain(n));
}

// a^2: CheckedPower multiplies a by itself (0 for a zero base, as a * a is).
template <int Leaf>
Extended Square(const Node* n)
{
    const Extended a = Operand<Leaf>(n);
    return a * a;
}

// A constant positive base (a) to a power: CheckedPower's steps with the
// logarithm of the base taken once, when the program was built.
template <int Right>
Extended PowerOfConstant(const Node* n)
{
    const Extended y = Checked(Right == kStep ? Eval(n->r) : Value<Right, true>(n, LoadMain(n)));
    const Extended x = *n->a;
    if (!fastmath::NotWhole(y))
        return CheckedPower(x, y);
    if (y == 0.5L)
        return std::sqrt(x);
    return fastmath::PowOfLn(x, y, n->lnHi, n->lnLo);
}

// CheckedPower's integer branch, step for step.
template <int Leaf>
Extended PowerInt(const Node* n)
{
    const Extended base = Checked(Operand<Leaf>(n));
    const std::int64_t exponent = n->n;
    if (base == 0) {
        if (exponent > 0)
            return 0;
        throw EZeroDivide();
    }
    const Extended r = checked::PowerBySquaring(base, static_cast<std::uint64_t>(exponent < 0 ? -exponent : exponent));
    return exponent < 0 ? 1 / Checked(r) : r;
}

template <int Leaf>
Extended Call(const Node* n)
{
    const Extended x = Checked(Operand<Leaf>(n));
    return n->f1(g_state->CurrentAngleMode, x);
}

// sin and cos in radians straight to the kernel (what Sin and Cos do after
// converting the unit); in any other unit through the built-in.
template <int Leaf, bool Cosine>
Extended SineCosine(const Node* n)
{
    const Extended x = Operand<Leaf>(n);
    const std::uint8_t mode = g_state->CurrentAngleMode;
    if ((mode & 127) != amRadians)
        return n->f1(mode, Checked(x));
    // Of a finite argument both are finite: the built-in's check never raises.
    // Of infinity or NaN both are NaN, which reaches the end as any NaN does:
    // no test needed.
    return Cosine ? builtins::CosRadInline(x) : builtins::SinRadInline(x);
}

// tan in radians straight to the kernels (what Tan does after converting the
// unit), as SineCosine.
template <int Leaf>
Extended Tangent(const Node* n)
{
    const Extended x = Operand<Leaf>(n);
    const std::uint8_t mode = g_state->CurrentAngleMode;
    if ((mode & 127) != amRadians)
        return n->f1(mode, Checked(x));
    return builtins::TanRadInline(x);
}

// Exp and Ln where their fast paths answer (a normal result; a positive finite
// argument), the built-in elsewhere (its faults, its edges).
template <int Leaf>
Extended Exponential(const Node* n)
{
    const Extended x = Operand<Leaf>(n);
    if (__builtin_expect(!(std::fabs(x) < 11340), 0))
        return n->f1(g_state->CurrentAngleMode, Checked(x));
    return fastmath::detail::ExpParts<false>(x);
}

template <int Leaf>
Extended Logarithm(const Node* n)
{
    const Extended x = Operand<Leaf>(n);
    if (__builtin_expect(!(x > 0 && x - x == 0), 0))
        return n->f1(g_state->CurrentAngleMode, Checked(x));
    return fastmath::LnPositive(x);
}

// SqrtInline: below zero an invalid operation; otherwise the root straight
// from the instruction (std::sqrt would test for NaN and the built-in for a
// result that is not finite). The root of infinity or NaN is itself, which
// reaches the end: no test needed.
template <int Leaf>
Extended SquareRoot(const Node* n)
{
    const Extended x = Operand<Leaf>(n);
    if (__builtin_expect(x < 0, 0))
        throw EInvalidOp();
#if SUMBRIX_X87_ASM
    Extended r;
    asm("fsqrt" : "=t"(r) : "0"(x));
    return r;
#else
    return __builtin_sqrtl(x);
#endif
}

template <bool LeftLeaf, bool RightLeaf>
Extended Compare(const Node* n)
{
    const Extended a = LeftLeaf ? *n->a : Eval(n->l);
    const Extended b = RightLeaf ? *n->b : Eval(n->r);
    return CompareValues(n->kind, Checked(a), Checked(b));
}

// a op1 b op2 c: b op2 c, then a op1 b only when that holds (r is the step of
// a op1 b, a and b the values of b and c).
Extended Chain(const Node* n)
{
    const Extended b = n->a ? *n->a : Eval(n->l);
    const Extended c = n->b ? *n->b : Eval(n->r->r);
    const Extended t = CompareValues(n->kind, Checked(b), Checked(c));
    if (!(t > 0))
        return TruthOf(false);
    return TruthOf(Eval(n->r->l) > 0);
}

Extended And(const Node* n)
{
    if (!(Checked(Eval(n->l)) > 0))
        return TruthOf(false);
    return TruthOf(Checked(Eval(n->r)) > 0);
}

Extended Or(const Node* n)
{
    if (Checked(Eval(n->l)) > 0)
        return TruthOf(true);
    return TruthOf(Checked(Eval(n->r)) > 0);
}

Extended Xor(const Node* n)
{
    const bool a = Checked(Eval(n->l)) > 0;
    const bool b = Checked(Eval(n->r)) > 0;
    return TruthOf(a != b);
}

template <int M> struct SquareF { static Extended Run(const Node* n) { return Square<M>(n); } };
template <int M> struct PowerIntF { static Extended Run(const Node* n) { return PowerInt<M>(n); } };
template <int M> struct CallF { static Extended Run(const Node* n) { return Call<M>(n); } };
template <int M> struct SquareRootF { static Extended Run(const Node* n) { return SquareRoot<M>(n); } };
template <int M> struct SineF { static Extended Run(const Node* n) { return SineCosine<M, false>(n); } };
template <int M> struct CosineF { static Extended Run(const Node* n) { return SineCosine<M, true>(n); } };
template <int M> struct TangentF { static Extended Run(const Node* n) { return Tangent<M>(n); } };
template <int M> struct ExponentialF { static Extended Run(const Node* n) { return Exponential<M>(n); } };
template <int M> struct LogarithmF { static Extended Run(const Node* n) { return Logarithm<M>(n); } };

Extended Leaf(const Node* n) { return *n->a; }

// A node of several parents: once per run.
Extended Shared(const Node* n)
{
    if (n->mark == *n->run)
        return n->cache;
    const Extended v = Eval(n->l);
    n->cache = v;
    n->mark = *n->run;
    return v;
}

} // namespace

// --------------------------------------------------------------------------
// Building.

class TProgramBuilder {
public:
    explicit TProgramBuilder(TProgram& p) : m_p(p) {}

    bool Build(TEval* root)
    {
        m_p.m_root = root;
        if (const Extended* leaf = LeafOf(root)) {
            m_p.m_leaf = leaf;
            return !m_failed;
        }
        CountUses(root);
        ChooseMain(root);
        m_p.m_top = Step(root);
        return !m_failed;
    }

private:
    TProgram& m_p;
    std::unordered_map<TEval*, int> m_uses;
    std::unordered_map<const TEval*, const Extended*> m_folded;
    std::unordered_map<TEval*, const Node*> m_shared;
    std::unordered_map<TEval*, int> m_weight;
    const Extended* m_main = nullptr;   // the variable read most often
    bool m_failed = false;

    // The address of a node's Value when the tree gives that stored value
    // without computing: literals, functions and shared operators of constants
    // (folded when built and never forgotten), and unshared arithmetic of
    // constants, whose recomputation repeats the folding step for step.
    // Comparisons and logical operators of constants are computed again by the
    // tree (they read the true and false values in force), so they are not.
    const Extended* Folded(const TEval* n)
    {
        switch (n->Kind()) {
        case NodeKind::Num:
        case NodeKind::Const:
        case NodeKind::Ext:
            return &n->Value;
        default:
            break;
        }
        if (!n->Deps()->empty() || n->IsVolatile() || n->Stamp() != 0)
            return nullptr;
        if (n->Kind() == NodeKind::Fun1)
            return &n->Value;
        if (!n->IsOp())
            return nullptr;
        if (n->RefCount >= 2)
            return &n->Value;
        if (!n->IsOpDespejable())
            return nullptr;
        const auto it = m_folded.find(n);
        if (it != m_folded.end())
            return it->second;
        const Extended* r = &n->Value;
        for (const TEval* c : n->Children)
            if (!Folded(c))
                r = nullptr;
        m_folded.emplace(n, r);
        return r;
    }

    // A value read in place: a folded value or a variable.
    const Extended* LeafOf(TEval* n)
    {
        if (const Extended* f = Folded(n))
            return f;
        if (n->Kind() != NodeKind::Var)
            return nullptr;
        const TVariable* v = static_cast<TVar*>(n)->Variable;
        if (!v) {
            m_failed = true;
            return nullptr;
        }
        return &v->Value;
    }

    // How many parents within this tree reach each node that computes.
    void CountUses(TEval* root)
    {
        m_uses[root] = 1;
        std::vector<TEval*> todo{root};
        while (!todo.empty()) {
            TEval* n = todo.back();
            todo.pop_back();
            for (TEval* c : n->Children) {
                if (Folded(c) || c->Kind() == NodeKind::Var)
                    continue;
                if (++m_uses[c] == 1)
                    todo.push_back(c);
            }
        }
    }

    // The main variable: the one most leaves read (each node counted once; of
    // equals, the first met from the root).
    void ChooseMain(TEval* root)
    {
        std::unordered_map<const Extended*, int> reads;
        std::unordered_map<const TEval*, bool> seen;
        std::vector<TEval*> todo{root};
        int best = 0;
        while (!todo.empty()) {
            TEval* n = todo.back();
            todo.pop_back();
            for (TEval* c : n->Children) {
                if (Folded(c))
                    continue;
                if (c->Kind() != NodeKind::Var) {
                    if (!seen[c])
                        todo.push_back(c);
                    seen[c] = true;
                    continue;
                }
                const TVariable* v = static_cast<TVar*>(c)->Variable;
                if (!v)
                    continue;
                const int k = ++reads[&v->Value];
                if (k > best) {
                    best = k;
                    m_main = &v->Value;
                }
            }
        }
    }

    // Marks the leaves of s that are the main variable, and gives s the
    // variable when it or an operand read in place (modes l, r) reads it.
    void MarkMain(Node* s, int l, int r)
    {
        if (!m_main)
            return;
        if (l == kLeaf && s->a == m_main && !(s->dmask & kDoubleA))
            s->dmask |= kMainA;
        if (r == kLeaf && s->b == m_main && !(s->dmask & kDoubleB))
            s->dmask |= kMainB;
        const auto inPlace = [](int mode, const Node* c) { return (mode == kPair || mode == kTwin) && c->xv; };
        if ((s->dmask & (kMainA | kMainB)) || inPlace(l, s->l) || inPlace(r, s->r))
            s->xv = m_main;
    }

    // A rough cost of computing a node: its steps, functions counting more.
    int Weight(TEval* n)
    {
        if (Folded(n) || n->Kind() == NodeKind::Var)
            return 0;
        const auto it = m_weight.find(n);
        if (it != m_weight.end())
            return it->second;
        // Shared subtrees count at every use: capped, as a text of doubling
        // definitions would count past any integer.
        int w = n->Kind() == NodeKind::Fun1 ? 8 : 1;
        for (TEval* c : n->Children)
            w = std::min(w + Weight(c), 1 << 24);
        m_weight.emplace(n, w);
        return w;
    }

    Node* NewNode()
    {
        m_p.m_nodes.emplace_back();
        return &m_p.m_nodes.back();
    }

    // The step of a node that computes (not a leaf).
    const Node* Step(TEval* n)
    {
        if (m_failed)
            return nullptr;
        const auto uses = m_uses.find(n);
        if (uses == m_uses.end() || uses->second < 2)
            return Own(n);
        const auto known = m_shared.find(n);
        if (known != m_shared.end())
            return known->second;
        Node* s = NewNode();
        m_shared.emplace(n, s);
        s->fn = &Shared;
        s->run = &m_p.m_run;
        s->l = Own(n);
        return s;
    }

    // An operand: a leaf (a set) or a step (l set); its mode.
    int Operand(TEval* c, const Extended*& leaf, const Node*& step)
    {
        leaf = LeafOf(c);
        if (leaf)
            return kLeaf;
        step = Step(c);
        if (!step)
            return kStep;
        return step->pair != kNoPair ? kPair : step->twin != kNoPair ? kTwin : kStep;
    }

    // A step always computing (for a node outside a leaf's place).
    const Node* AsStep(TEval* c)
    {
        if (const Extended* leaf = LeafOf(c)) {
            Node* s = NewNode();
            s->fn = &Leaf;
            s->a = leaf;
            return s;
        }
        return Step(c);
    }

    // A literal operand exact in a double: copied into the step (bit of dmask).
    static void ConstOperand(Node* s, const TEval* c, const Extended* leaf, std::uint8_t bit, double& copy)
    {
        if (!leaf || c->Kind() != NodeKind::Num || leaf != &c->Value)
            return;
        const double d = static_cast<double>(*leaf);
        if (static_cast<Extended>(d) != *leaf)
            return;   // not exact (or NaN)
        copy = d;
        s->dmask |= bit;
    }

    template <class Op>
    Node* BinaryNode(TEval* n, std::uint8_t pair = kNoPair)
    {
        Node* s = NewNode();
        const int l = Operand(n->Children[0], s->a, s->l);
        const int r = Operand(n->Children[1], s->b, s->r);
        ConstOperand(s, n->Children[0], s->a, kDoubleA, s->da);
        ConstOperand(s, n->Children[1], s->b, kDoubleB, s->db);
        if (l == kLeaf && r == kLeaf && s->a == s->b && !(s->dmask & (kDoubleA | kDoubleB)))
            s->dmask |= kSameAB;
        MarkMain(s, l, r);
        s->fn = BinaryFn<Op>(l, r);
        if (l == kStep && r == kStep && Weight(n->Children[0]) > Weight(n->Children[1]))
            s->fn = &Binary<Op, kStep, kStep, true>;
        if (l == kLeaf && r == kLeaf) {
            s->pair = pair;
        } else if ((l == kLeaf || l == kPair) && (r == kLeaf || r == kPair)) {
            s->twin = pair;
            s->twinModes = static_cast<std::uint8_t>((l == kPair ? 1 : 0) | (r == kPair ? 2 : 0));
        }
        return s;
    }

    // A literal whole exponent other than 0, below 2^31 in size: what
    // CheckedPower's integer branch takes.
    static bool WholeExponent(Extended x, std::int64_t& n)
    {
        const Extended m = x < 0 ? -x : x;
        if (!(m >= 1 && m <= 2147483647.0L))
            return false;
        const auto whole = static_cast<std::int64_t>(m);
        if (static_cast<Extended>(whole) != m)
            return false;
        n = x < 0 ? -whole : whole;
        return true;
    }

    template <template <int> class F>
    Node* Unary(TEval* arg)
    {
        Node* s = NewNode();
        const int m = Operand(arg, s->a, s->l);
        ConstOperand(s, arg, s->a, kDoubleA, s->da);
        MarkMain(s, m, kStep);
        s->fn = m == kLeaf ? &F<kLeaf>::Run : m == kPair ? &F<kPair>::Run : m == kTwin ? &F<kTwin>::Run : &F<kStep>::Run;
        return s;
    }

    Node* Power(TEval* n)
    {
        const Extended* e = Folded(n->Children[1]);
        std::int64_t whole = 0;
        const Extended* base = Folded(n->Children[0]);
        if (!e && base && *base > 0 && *base <= __LDBL_MAX__)
            return PowerOfConstantBase(n, base);
        if (!e || !WholeExponent(*e, whole))
            return BinaryNode<PowOp>(n);
        if (whole == 2) {
            // a^2 is a * a (CheckedPower's steps): of a leaf, a pair.
            if (const Extended* leaf = LeafOf(n->Children[0])) {
                Node* s = NewNode();
                s->a = s->b = leaf;
                ConstOperand(s, n->Children[0], leaf, kDoubleA, s->da);
                ConstOperand(s, n->Children[0], leaf, kDoubleB, s->db);
                if (!(s->dmask & (kDoubleA | kDoubleB)))
                    s->dmask |= kSameAB;
                MarkMain(s, kLeaf, kLeaf);
                s->fn = &Binary<MulOp, kLeaf, kLeaf>;
                s->pair = kPairMul;
                return s;
            }
            return Unary<SquareF>(n->Children[0]);
        }
        Node* s = Unary<PowerIntF>(n->Children[0]);
        s->n = whole;
        return s;
    }

    // A constant base: its logarithm once (a folded value never changes).
    Node* PowerOfConstantBase(TEval* n, const Extended* base)
    {
        Node* s = NewNode();
        s->a = base;
        const int r = Operand(n->Children[1], s->b, s->r);
        ConstOperand(s, n->Children[1], s->b, kDoubleB, s->db);
        MarkMain(s, kStep, r);
        switch (r) {
        case kLeaf: s->fn = &PowerOfConstant<kLeaf>; break;
        case kPair: s->fn = &PowerOfConstant<kPair>; break;
        case kTwin: s->fn = &PowerOfConstant<kTwin>; break;
        default: s->fn = &PowerOfConstant<kStep>; break;
        }
        fastmath::detail::LnParts(*base, s->lnHi, s->lnLo);
        return s;
    }

    Node* Comparison(TEval* n)
    {
        TEval* left = n->Children[0];
        if (!left->IsCompara()) {
            Node* s = NewNode();
            s->a = LeafOf(left);
            s->l = s->a ? nullptr : Step(left);
            s->b = LeafOf(n->Children[1]);
            s->r = s->b ? nullptr : Step(n->Children[1]);
            s->kind = static_cast<std::uint8_t>(n->Kind());
            if (s->a)
                s->fn = s->b ? &Compare<true, true> : &Compare<true, false>;
            else
                s->fn = s->b ? &Compare<false, true> : &Compare<false, false>;
            return s;
        }
        Node* s = NewNode();
        s->kind = static_cast<std::uint8_t>(n->Kind());
        s->fn = &Chain;
        s->a = LeafOf(left->Children[1]);
        s->l = s->a ? nullptr : Step(left->Children[1]);
        Node* rest = NewNode();   // r: the inner comparison (l) and c (r)
        rest->l = AsStep(left);
        s->b = LeafOf(n->Children[1]);
        rest->r = s->b ? nullptr : Step(n->Children[1]);
        s->r = rest;
        return s;
    }

    Node* Logic(TEval* n, TProgram::Fn fn)
    {
        Node* s = NewNode();
        s->fn = fn;
        s->l = AsStep(n->Children[0]);
        s->r = AsStep(n->Children[1]);
        return s;
    }

    Node* Function(TEval* n)
    {
        auto* f = static_cast<TFun1*>(n);
        const BuiltinFn1* b = f->Fn.target<BuiltinFn1>();
        if (!b || !b->fn) {
            // Another callable may keep state of its own: the tree's rules hold.
            m_failed = true;
            return nullptr;
        }
        // The built-in's tag, given when it was registered, says which ones
        // run in line.
        Node* s = nullptr;
        switch (b->tag) {
        case builtins::BuiltinTag::Sqrt: s = Unary<SquareRootF>(f->Arg()); break;
        case builtins::BuiltinTag::Sin: s = Unary<SineF>(f->Arg()); break;
        case builtins::BuiltinTag::Cos: s = Unary<CosineF>(f->Arg()); break;
        case builtins::BuiltinTag::Tan: s = Unary<TangentF>(f->Arg()); break;
        case builtins::BuiltinTag::Exp: s = Unary<ExponentialF>(f->Arg()); break;
        case builtins::BuiltinTag::Ln: s = Unary<LogarithmF>(f->Arg()); break;
        case builtins::BuiltinTag::None: s = Unary<CallF>(f->Arg()); break;
        }
        if (s)
            s->f1 = b->fn;
        return s;
    }

    const Node* Own(TEval* n)
    {
        switch (n->Kind()) {
        case NodeKind::Suma: return BinaryNode<AddOp>(n, kPairAdd);
        case NodeKind::Resta: return BinaryNode<SubOp>(n, kPairSub);
        case NodeKind::Mul: return BinaryNode<MulOp>(n, kPairMul);
        case NodeKind::Div: return BinaryNode<DivOp>(n, kPairDiv);
        case NodeKind::Raiz: return BinaryNode<RootOp>(n);
        case NodeKind::LogN: return BinaryNode<LogNOp>(n);
        case NodeKind::Pot: return Power(n);
        case NodeKind::May:
        case NodeKind::Men:
        case NodeKind::Igu:
        case NodeKind::MayIgu:
        case NodeKind::MenIgu:
        case NodeKind::Dist:
            return Comparison(n);
        case NodeKind::And: return Logic(n, &And);
        case NodeKind::Or: return Logic(n, &Or);
        case NodeKind::Xor: return Logic(n, &Xor);
        case NodeKind::Fun1: return Function(n);
        default:
            // Functions of several arguments, user functions, functions without
            // arguments, messages: the tree's own rules.
            m_failed = true;
            return nullptr;
        }
    }
};

namespace {

// Whether no path from the root is longer than `limit` nodes. Building and
// running a program recurse along the tree, so a deeper tree (a sum of
// thousands of terms leans left, one level per term) stays with the tree's own
// evaluation, which follows such chains without recursing. Each node is
// walked again only when met deeper than before.
bool DepthWithin(TEval* root, int limit)
{
    std::unordered_map<const TEval*, int> deepest;   // nodes with several holders
    std::vector<std::pair<TEval*, int>> todo{{root, 1}};
    while (!todo.empty()) {
        const auto [n, depth] = todo.back();
        todo.pop_back();
        if (depth > limit)
            return false;
        if (n->RefCount >= 2) {
            int& seen = deepest[n];
            if (seen >= depth)
                continue;
            seen = depth;
        }
        for (TEval* c : n->Children)
            todo.push_back({c, depth + 1});
        if (n->Kind() == NodeKind::FunUser)
            todo.push_back({static_cast<TFunUser*>(n)->Body, depth + 1});
    }
    return true;
}

} // namespace

std::unique_ptr<TProgram> TProgram::Build(TEval* root)
{
    if (!root || !DepthWithin(root, exprcore::objectdefs::kMaxCompileDepth))
        return nullptr;
    g_state = &engineState();
    std::unique_ptr<TProgram> p(new TProgram());
    TProgramBuilder b(*p);
    if (!b.Build(root))
        return nullptr;
    return p;
}

// --------------------------------------------------------------------------
// Running.

Extended TProgram::TreeValue()
{
    ++m_treeRuns;
    return EvaluateNode(m_root);
}

Extended TProgram::Run()
{
    if (!m_top) {
        // A leaf: the tree reads it as it is (infinite or not).
        return TreeValue();
    }
    ++m_run;
    Extended r;
    // A fault or a value that is not finite: the tree raises the first fault in
    // its own order.
    try {
        r = Eval(m_top);
    } catch (const NotFinite&) {
        return TreeValue();
    } catch (const Exception&) {
        return TreeValue();
    }
    if (__builtin_expect(!Finite(r), 0))
        return TreeValue();
    return r;
}

// --------------------------------------------------------------------------
// The expression object's side.

TProgramCache::TProgramCache() = default;
TProgramCache::~TProgramCache() = default;

void TProgramCache::Reset()
{
    m_program.reset();
    m_root = nullptr;
    m_evaluations = 0;
}

Extended TProgramCache::EvaluateSlow(TEval* root)
{
    if (root != m_root) {
        m_program.reset();
        m_root = root;
        m_evaluations = 0;
    }
    if (m_evaluations == 0) {
        m_evaluations = 1;
        return EvaluateNode(root);
    }
    if (m_evaluations == 1) {
        m_evaluations = 2;
        m_program = TProgram::Build(root);
        if (m_program)
            return m_program->Run();
    }
    return EvaluateNode(root);
}

} // namespace real
