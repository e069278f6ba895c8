#pragma once
// The expression tree the three engines share: one plan over a value type.
//
// Each engine (real, complex, rational) defines its node base over TNodeCore
// (or TStampedNodeCore, for the engines whose nodes remember the variable
// versions their Value was computed from), its node classes over the class
// templates below, and a small traits struct:
//
//   struct TreeTraits : exprcore::TTreeTypes<...the engine's types...> {
//       static constexpr bool kChainedComparisons;   // a < b < c is a chain
//       static Value Evaluate(Node*);   // a node's value as its Evaluate gives it
//       static bool IsTrue(const Value&);
//       static Value Truth(bool);       // TrueValue or FalseValue
//       static QString NoInverseMessage(const Node* fun);   // no inverse to solve through
//   };
//
// The node base provides StoreFolded(evaluate) (stores a new node's value and
// records it current), and the engine's namespace the builders CreateOp,
// CreateFun1 and CreateFunN, found by argument-dependent lookup.
//
// What stays in each engine: the arithmetic of its operators and their order of
// evaluation, truth values and comparisons, how it caches (the rational engine
// keeps a value per evaluation pass), and its faults.

#include "engine/canvas.h"
#include "engine/nodepool.h"
#include "engine/refnode.h"
#include "foundation/core/exceptions.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <span>
#include <stdexcept>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace exprcore {

// The node classes, for cheap type tests. Ranges matter: the tests below
// compare with the first and last kind of each family. An engine without
// logical operators or user functions simply never builds those kinds.
enum class NodeKind : std::uint8_t {
    Num, Const, Ext, Fun0,                    // literals and constants (TSimpleNum family)
    Var, ExprMsg,
    Suma, Resta, Mul, Div, Pot, Raiz, LogN,   // solvable operators (TOpDespejable)
    May, Men, Igu, MayIgu, MenIgu, Dist,      // comparisons (TCompara)
    And, Or, Xor,                             // logical operators (TLogic)
    Fun1, FunN, FunUser,
    DibListaArg,
};

// The types an engine's traits name (see the top of the file).
template <class V, class NodeT, class VariableT, class VarT,
          class Func0T, class Func1T, class FuncNT, class MeasureProcT, class DrawProcT, class CompileErrorT,
          class SolveErrorT>
struct TTreeTypes {
    using Value = V;                  // Extended, TComplex, TFrac
    using Node = NodeT;               // the engine's node base
    using Variable = VariableT;       // the value cell
    using Var = VarT;                 // the node that reads a variable
    using Func0 = Func0T;             // the callables of the built-ins
    using Func1 = Func1T;
    using FuncN = FuncNT;
    using MeasureProc = MeasureProcT; // a node's own drawing
    using DrawProc = DrawProcT;
    using CompileError = CompileErrorT;
    using SolveError = SolveErrorT;
};

// Own measuring and drawing of a node (the parameters of Measure and Draw, the
// node first). When set they replace the node's own.
template <class Node>
using TNodeMeasureProcT = std::function<void(Node* node, Canvas& canvas, int size, int& width, int& above, int& below)>;
template <class Node>
using TNodeDrawProcT = std::function<void(Node* node, Canvas& canvas, int x, int y, int size)>;

// --------------------------------------------------------------------------
// Sets of variables a node depends on, sorted by address and shared between
// nodes when equal. The count of holders is a plain one: a tree, the variables
// it reads and their sets belong to one thread at a time. The empty set is
// held by nobody (no count to keep).
template <class Var>
class TDepSet {
public:
    TDepSet() = default;
    TDepSet(const TDepSet& o) : m_p(o.m_p)
    {
        if (m_p)
            ++m_p->holders;
    }
    TDepSet(TDepSet&& o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
    TDepSet& operator=(const TDepSet& o)
    {
        TDepSet copy(o);
        std::swap(m_p, copy.m_p);
        return *this;
    }
    TDepSet& operator=(TDepSet&& o) noexcept
    {
        std::swap(m_p, o.m_p);
        return *this;
    }
    ~TDepSet()
    {
        if (m_p && --m_p->holders == 0)
            delete m_p;
    }
    // The set of the given variables (sorted by address, without repeats).
    static TDepSet Of(std::vector<Var*> vars)
    {
        TDepSet s;
        if (!vars.empty())
            s.m_p = new Shared{1, std::move(vars)};
        return s;
    }
    const std::vector<Var*>& operator*() const { return m_p ? m_p->vars : Empty(); }
    const std::vector<Var*>* operator->() const { return &**this; }
    // The same set (not only equal variables).
    bool operator==(const TDepSet& o) const { return m_p == o.m_p; }

private:
    struct Shared {
        std::size_t holders;
        std::vector<Var*> vars;
    };
    // (Constant-initialized: read without a guard.)
    static const std::vector<Var*>& Empty() { return kEmpty; }
    static inline const std::vector<Var*> kEmpty{};
    Shared* m_p = nullptr;
};

template <class Var>
using DepSetT = TDepSet<Var>;

template <class Var>
const DepSetT<Var>& EmptyDepsT()
{
    static const DepSetT<Var> empty;
    return empty;
}

template <class Var>
DepSetT<Var> UnionDepsT(const DepSetT<Var>& a, const DepSetT<Var>& b)
{
    if (b->empty() || a == b)
        return a;
    if (a->empty())
        return b;
    std::vector<Var*> out;
    out.reserve(a->size() + b->size());
    std::set_union(a->begin(), a->end(), b->begin(), b->end(), std::back_inserter(out));
    if (out.size() == a->size())
        return a;
    if (out.size() == b->size())
        return b;
    return DepSetT<Var>::Of(std::move(out));
}

// Releases nodes (ReleaseNodeT) without recursing: a node destroyed while
// others are being released queues its own children, and the outermost call
// releases the queue until it is empty. A tree as deep as a long sum
// ("1+2+...", left-deep) then goes with a flat stack, in time linear in its size.
// The queue lives in the outermost call's frame (a thread-local object would be
// gone before the trees of objects destroyed at exit).
template <class Node>
class TReleaseQueue {
public:
    static inline thread_local TReleaseQueue* active = nullptr;
    void push(Node* n)
    {
        if (m_more.empty() && m_count < kNear)
            m_near[m_count++] = n;
        else
            m_more.push_back(n);
    }
    bool empty() const { return m_count == 0 && m_more.empty(); }
    Node* pop()
    {
        if (!m_more.empty()) {
            Node* n = m_more.back();
            m_more.pop_back();
            return n;
        }
        return m_near[--m_count];
    }
private:
    static constexpr std::size_t kNear = 32;
    Node* m_near[kNear];
    std::size_t m_count = 0;
    std::vector<Node*> m_more;
};

template <class Node>
void ReleaseLaterT(Node* const* nodes, std::size_t count)
{
    using Q = TReleaseQueue<Node>;
    if (Q* q = Q::active) {
        for (std::size_t i = 0; i < count; ++i)
            q->push(nodes[i]);
        return;
    }
    Q queue;
    for (std::size_t i = 0; i < count; ++i)
        queue.push(nodes[i]);
    Q::active = &queue;
    while (!queue.empty())
        ReleaseNodeT(queue.pop());
    Q::active = nullptr;
}

// --------------------------------------------------------------------------
// The children of a node. Operators and one-argument functions, nearly every
// node with children, keep them in the node itself; a longer list (a function
// of several arguments) has an array of its own. Reads as a vector does.
template <class Node>
class TChildList {
public:
    TChildList() = default;
    TChildList(const TChildList&) = delete;
    TChildList& operator=(const TChildList&) = delete;
    ~TChildList() { clear(); }

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    Node** data() { return m_size <= kNear ? m_near : m_far; }
    Node* const* data() const { return m_size <= kNear ? m_near : m_far; }
    Node** begin() { return data(); }
    Node** end() { return data() + m_size; }
    Node* const* begin() const { return data(); }
    Node* const* end() const { return data() + m_size; }
    Node*& operator[](std::size_t i) { return data()[i]; }
    Node* operator[](std::size_t i) const { return data()[i]; }
    Node* at(std::size_t i) const
    {
        if (i >= m_size)
            throw std::out_of_range("TChildList::at");
        return data()[i];
    }
    Node* front() const { return data()[0]; }
    Node* back() const { return data()[m_size - 1]; }
    operator std::span<Node* const>() const { return {data(), m_size}; }

    // Fills an empty list.
    void assign(Node* const* nodes, std::size_t count)
    {
        clear();
        Node** to = m_near;
        if (count > kNear) {
            m_far = new Node*[count];
            to = m_far;
        }
        std::copy(nodes, nodes + count, to);
        m_size = count;
    }
    // Empties the list (the nodes are left as they are).
    void clear()
    {
        if (m_size > kNear)
            delete[] m_far;
        m_size = 0;
    }

private:
    static constexpr std::size_t kNear = 2;
    union {
        Node* m_near[kNear];
        Node** m_far;
    };
    std::size_t m_size = 0;
};

// --------------------------------------------------------------------------
// Node base: what every engine's node holds. Node is the engine's node class
// (derived from this one), V its value type, CompileError what a count that
// would pass 65535 raises.
template <class Node, class V, class CompileError>
class TNodeCore {
public:
    QString Text;                  // what the node shows when drawn (at most 255 characters)
    V Value{};                     // cached or folded value
    TChildList<Node> Children;     // operands or arguments, left to right
    std::uint16_t RefCount = 0;

    TNodeCore(const TNodeCore&) = delete;
    TNodeCore& operator=(const TNodeCore&) = delete;
    // Nodes live in the node storage (engine/nodepool.h); a virtual destructor
    // gives the delete the size of the node's own class.
    static void* operator new(std::size_t size) { return AllocateNode(size); }
    static void operator delete(void* p, std::size_t size) noexcept { FreeNode(p, size); }
    // Releases every child with ReleaseNode, without recursing (ReleaseLaterT).
    virtual ~TNodeCore()
    {
        if (!Children.empty())
            ReleaseLaterT(Children.data(), Children.size());
    }

    NodeKind Kind() const { return m_kind; }
    // Whether something below is never current (a function without arguments,
    // a quoted message).
    bool IsVolatile() const { return m_volatile; }
    // Whether something below calls out of the tree (a function of several
    // arguments, which may set variables while it runs, or one without
    // arguments): the order of evaluation around such a subtree is kept as written.
    bool CallsOut() const { return m_callsOut; }
    // Whether the node or something below it is a function (whose cached value
    // may depend on the settings it was computed under, the angle unit).
    bool FunctionBelow() const { return m_functionBelow; }

    bool IsOp() const { return m_kind >= NodeKind::Suma && m_kind <= NodeKind::Xor; }
    bool IsOpDespejable() const { return m_kind >= NodeKind::Suma && m_kind <= NodeKind::LogN; }
    bool IsCompara() const { return m_kind >= NodeKind::May && m_kind <= NodeKind::Dist; }
    bool IsLogic() const { return m_kind >= NodeKind::And && m_kind <= NodeKind::Xor; }
    bool IsFun() const { return m_kind >= NodeKind::Fun1 && m_kind <= NodeKind::FunUser; }
    bool IsSimpleNum() const { return m_kind <= NodeKind::Fun0; }

protected:
    explicit TNodeCore(NodeKind kind)
        : m_kind(kind), m_functionBelow(kind >= NodeKind::Fun1 && kind <= NodeKind::FunUser)
    {
    }
    void MarkVolatile() { m_volatile = true; }
    void MarkCallsOut() { m_callsOut = true; }
    // Takes the children: adds one to each count and inherits their volatility.
    // Every count is checked first, so that a refusal leaves nothing half taken.
    void TakeChildren(const std::vector<Node*>& children) { TakeChildren(children.data(), children.size()); }
    void TakeChildren(std::initializer_list<Node*> children) { TakeChildren(children.begin(), children.size()); }
    void TakeChildren(Node* const* children, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i)
            if (children[i]->RefCount == kMaxRefCount)
                throw CompileError(QStringLiteral("Expresión demasiado compleja"));
        Children.assign(children, count);
        for (std::size_t i = 0; i < count; ++i) {
            Node* c = children[i];
            ++c->RefCount;
            if (c->IsVolatile())
                m_volatile = true;
            if (c->CallsOut())
                m_callsOut = true;
            if (c->FunctionBelow())
                m_functionBelow = true;
        }
    }

private:
    NodeKind m_kind;
    bool m_volatile = false;
    bool m_callsOut = false;
    bool m_functionBelow;
};

// Undoes the taking of the children without destroying anything (a node whose
// construction or folding failed gives its children back to whoever held them).
template <class Node>
void DetachChildrenT(Node* node)
{
    for (Node* c : node->Children)
        --c->RefCount;
    node->Children.clear();
}

// Node base of the engines that cache by variable versions: every node
// remembers the versions its Value was computed from (a stamp); a variable gets
// a fresh, increasing version at every SetValue, so a node is current exactly
// when the newest version of the variables below it equals its stamp.
template <class Node, class V, class CompileError, class Variable>
class TStampedNodeCore : public TNodeCore<Node, V, CompileError> {
    using Base = TNodeCore<Node, V, CompileError>;
public:
    using DepSet = DepSetT<Variable>;

    // The variables below this node.
    const DepSet& Deps() const { return m_deps; }
    // Newest version among the variables below (0 without variables).
    std::uint64_t CurrentStamp() const
    {
        const std::vector<Variable*>& deps = *m_deps;
        if (deps.size() == 1)   // the common case, without the loop
            return deps[0]->Version();
        std::uint64_t s = 0;
        for (const Variable* v : deps)
            s = v->Version() > s ? v->Version() : s;
        return s;
    }
    // Whether the node's own Value was computed from the variables as they are now.
    bool StampCurrent() const { return !this->IsVolatile() && m_stamp == CurrentStamp(); }
    // Records that Value was computed from the variables at the given stamp.
    void SetStamp(std::uint64_t stamp) { m_stamp = stamp; }
    std::uint64_t Stamp() const { return m_stamp; }
    // Folding: stores the value a new node has for the variables as they are now.
    template <class Evaluate>
    void StoreFolded(Evaluate&& evaluate)
    {
        const std::uint64_t stamp = CurrentStamp();
        this->Value = evaluate();
        m_stamp = stamp;
    }

protected:
    explicit TStampedNodeCore(NodeKind kind) : Base(kind) {}
    // Takes the children (adds one to each count) and derives the dependencies.
    void AdoptChildren(const std::vector<Node*>& children) { AdoptChildren(children.data(), children.size()); }
    void AdoptChildren(std::initializer_list<Node*> children) { AdoptChildren(children.begin(), children.size()); }
    void AdoptChildren(Node* const* children, std::size_t count)
    {
        this->TakeChildren(children, count);
        for (std::size_t i = 0; i < count; ++i)
            AddDeps(children[i]);
    }
    // Adds the dependencies of a node that is not a child (a user function's body).
    void AddDeps(const Node* other)
    {
        // (The set is replaced only when it grows: most operands add nothing new.)
        const DepSet& more = other->Deps();
        if (!more->empty() && more != m_deps)
            m_deps = m_deps->empty() ? more : UnionDepsT<Variable>(m_deps, more);
        if (other->IsVolatile())
            this->MarkVolatile();
        if (other->CallsOut())
            this->MarkCallsOut();
    }
    // A variable node depends on its variable alone.
    // The set is the variable's own, made once: every node that reads it shares
    // it, and the union of equal sets costs nothing.
    void DependOn(Variable* variable)
    {
        if constexpr (requires { variable->SoleDeps; }) {
            if (variable->SoleDeps->empty())
                variable->SoleDeps = DepSet::Of({variable});
            m_deps = variable->SoleDeps;
        } else {
            m_deps = DepSet::Of({variable});
        }
    }
    // A literal or constant: current for any values of the variables.
    void MarkConstant() { m_stamp = 0; }

    static constexpr std::uint64_t kNever = ~std::uint64_t(0);

private:
    std::uint64_t m_stamp = kNever;
    DepSet m_deps;
};

// The caching of a one- or several-argument function (and of a user function's
// call): the value is kept while the variables below do not change.
template <class NodeT, class Compute>
[[gnu::always_inline]] inline const auto& CachedValueT(NodeT* node, Compute&& compute)
{
    const std::uint64_t stamp = node->CurrentStamp();
    if (node->IsVolatile() || stamp != node->Stamp()) {
        node->Value = compute();
        node->SetStamp(stamp);
    }
    return node->Value;
}

// The caching of an operator: recomputed every time, but for a node several
// parents hold (a named sub-expression, a parameter of an inlined user
// function), which keeps its value while its variables do not change, so that
// a text whose definitions double each other ("a:x;b:a+a;c:b+b;...") is not
// evaluated an exponential number of times.
template <class NodeT, class Compute>
[[gnu::always_inline]] inline auto SharedValueT(NodeT* node, Compute&& compute)
    -> std::remove_cvref_t<decltype(node->Value)>
{
    if (node->RefCount < 2 || node->IsVolatile())
        return compute();
    const std::uint64_t stamp = node->CurrentStamp();
    if (stamp != node->Stamp()) {
        node->Value = compute();
        node->SetStamp(stamp);
    }
    return node->Value;
}

// --------------------------------------------------------------------------
// Long chains of operators. A text such as "a+b-c*d+..." builds a tree that
// leans left, one unshared operator (a link) per operator of the text: walking
// it by recursion takes one frame per link, and a few tens of thousands of
// terms overflow the stack.

// A stack that keeps its first N items in place (no allocation for the short
// chains of everyday texts) and the rest on the heap.
template <class T, std::size_t N = 32>
class TChainStack {
public:
    void push(T v)
    {
        if (m_count < N)
            m_near[m_count] = std::move(v);
        else
            m_far.push_back(std::move(v));
        ++m_count;
    }
    std::size_t size() const { return m_count; }
    T& operator[](std::size_t i) { return i < N ? m_near[i] : m_far[i - N]; }
private:
    T m_near[N];
    std::vector<T> m_far;
    std::size_t m_count = 0;
};

// The value of the chain of links down the left side of `top` (`top` is one,
// and so is its left operand), computed without recursing along it, in the
// order the recursion follows. With RightFirst each link evaluates its right
// operand before its left one: the right operands on the way down, then the
// left operand of the lowest link; otherwise that left operand first, then
// each right operand on the way up. isLink(n) tells a link, operand(n)
// evaluates a node, apply(link, a, b) combines a link's operands (and may
// keep the value in the link).
template <bool RightFirst, class V, class Node, class IsLink, class Operand, class Apply>
V EvaluateLeftChainT(Node* top, IsLink isLink, Operand operand, Apply apply)
{
    TChainStack<Node*> links;
    for (Node* n = top;; n = n->Children[0]) {
        links.push(n);
        if (!isLink(n->Children[0]))
            break;
    }
    const std::size_t count = links.size();
    if constexpr (RightFirst) {
        TChainStack<V> rights;
        for (std::size_t i = 0; i < count; ++i)
            rights.push(operand(links[i]->Children[1]));
        V v = operand(links[count - 1]->Children[0]);
        for (std::size_t i = count; i-- > 0;)
            v = apply(links[i], std::move(v), rights[i]);
        return v;
    } else {
        V v = operand(links[count - 1]->Children[0]);
        for (std::size_t i = count; i-- > 0;) {
            Node* n = links[i];
            v = apply(n, std::move(v), operand(n->Children[1]));
        }
        return v;
    }
}

// The value of a new operator whose children are current, for folding: an
// unshared operator child holds the value an evaluation would compute again
// (the same value without a fault), so a chain of constants ("1+2+3+...")
// folds in one step per operator instead of walking the chain below at every
// one. operand(n) evaluates a child that holds no such value; apply(kind, a, b)
// combines; with RightFirst the right operand is taken first.
template <bool RightFirst, class Node, class Operand, class Apply>
auto FoldedOperatorValueT(Node* n, Operand operand, Apply apply)
{
    const auto settled = [&operand](Node* c) -> std::remove_cvref_t<decltype(c->Value)> {
        if (c->IsOp() && c->RefCount < 2 && c->StampCurrent())
            return c->Value;
        return operand(c);
    };
    if constexpr (RightFirst) {
        const auto b = settled(n->Children[1]);
        return apply(n->Kind(), settled(n->Children[0]), b);
    } else {
        const auto a = settled(n->Children[0]);
        return apply(n->Kind(), a, settled(n->Children[1]));
    }
}

// --------------------------------------------------------------------------
// Value cells.

// The TVar nodes bound to a variable. A variable must outlive the nodes that
// read it; any left when it goes are unbound, so that they do not write into
// freed memory when they go in turn.
template <class VarNode>
class TVariableLinksT {
public:
    TVariableLinksT() = default;
    TVariableLinksT(const TVariableLinksT&) = delete;
    TVariableLinksT& operator=(const TVariableLinksT&) = delete;
    ~TVariableLinksT()
    {
        for (VarNode* n : Nodes)
            n->Variable = nullptr;
    }

    std::vector<VarNode*> Nodes;   // the TVar nodes bound to this variable

    // Each node knows its place in Nodes, so that leaving costs the same
    // whatever the order the nodes go in (a long tree frees its first nodes
    // first); the last node takes the place left.
    void RegisterNode(VarNode* node, bool add)
    {
        if (add) {
            node->LinkIndex = Nodes.size();
            Nodes.push_back(node);
            return;
        }
        const std::size_t i = node->LinkIndex;
        if (i >= Nodes.size() || Nodes[i] != node)
            return;
        Nodes[i] = Nodes.back();
        Nodes[i]->LinkIndex = i;
        Nodes.pop_back();
    }
};

// A variable with a version: every SetValue takes the next number of Counter
// (one counter per engine), so the newest version below a node grows whenever
// any of its variables is set. Inline, so that SetValue, called before every
// re-evaluation, costs two stores. Self is the engine's variable class.
template <class V, class VarNode, std::uint64_t& Counter, class Self>
class TVersionedVariableT : public TVariableLinksT<VarNode> {
public:
    TVersionedVariableT() : m_version(++Counter) {}

    V Value{};

    void SetValue(V value)
    {
        Value = value;
        m_version = ++Counter;
    }
    // Process-wide increasing number, renewed by every SetValue.
    std::uint64_t Version() const { return m_version; }
    // The set of variables of a node that reads this one alone, made by the
    // first such node.
    DepSetT<Self> SoleDeps;
private:
    std::uint64_t m_version;
};

// --------------------------------------------------------------------------
// Node classes. Each engine derives its classes from these and adds what
// differs: Evaluate (its value type and order of evaluation) and, in the
// complex and rational engines, each class's own Measure and Draw.

// Literals and constants: always current.
template <class Traits>
class TSimpleNumT : public Traits::Node {
public:
    bool IsValueCurrent() override { return true; }
protected:
    TSimpleNumT(NodeKind kind, const typename Traits::Value& value) : Traits::Node(kind)
    {
        this->Value = value;
        this->MarkConstant();
    }
};

// A named constant; SimpleNum is the engine's TSimpleNum.
template <class Traits, class SimpleNum>
class TConstT : public SimpleNum {
public:
    explicit TConstT(const typename Traits::Value& value) : SimpleNum(NodeKind::Const, value) {}
protected:
    TConstT(NodeKind kind, const typename Traits::Value& value) : SimpleNum(kind, value) {}
};

// A value a name resolver gave, with the resolver's own drawing.
template <class Traits, class Const>
class TExtT : public Const {
public:
    explicit TExtT(const typename Traits::Value& value) : Const(NodeKind::Ext, value) {}
    typename Traits::MeasureProc MeasureProc;
    typename Traits::DrawProc DrawProc;
};

// A function without arguments: never current, called at every evaluation.
template <class Traits, class Const>
class TFun0T : public Const {
public:
    explicit TFun0T(typename Traits::Func0 fn) : Const(NodeKind::Fun0, typename Traits::Value{}), Fn(std::move(fn))
    {
        this->MarkVolatile();
        this->MarkCallsOut();
    }
    typename Traits::Func0 Fn;
    bool IsConstant = false;
    typename Traits::MeasureProc MeasureProc;
    typename Traits::DrawProc DrawProc;
    bool IsValueCurrent() override { return IsConstant; }
};

// A variable read by an expression; every occurrence in a text has its own
// node, bound to the variable while both live.
template <class Traits>
class TVarT : public Traits::Node {
    using Node = typename Traits::Node;
public:
    explicit TVarT(typename Traits::Variable* variable) : Node(NodeKind::Var), Variable(variable)
    {
        Variable->RegisterNode(this, true);
        this->DependOn(variable);
    }
    ~TVarT() override
    {
        if (Variable)
            Variable->RegisterNode(this, false);
    }
    typename Traits::Variable* Variable;
    std::size_t LinkIndex = 0;   // its place among the variable's nodes
    // Solving: the other side, if this is the variable solved for.
    Node* SolveFor(Node* rhs, typename Traits::Variable* variable) override
    {
        if (Variable == variable)
            return rhs;
        throw typename Traits::SolveError(QStringLiteral("No se puede despejar"));
    }
};

// A quoted message: evaluating it stops the evaluation with the message.
template <class Traits>
class TExprMsgT : public Traits::Node {
public:
    explicit TExprMsgT(const QString& text) : Traits::Node(NodeKind::ExprMsg)
    {
        this->Text = text.left(255);
        this->MarkVolatile();
    }
    bool IsValueCurrent() override { return false; }
};

// Only to measure and draw an argument list ("a, b, c"); the items are not
// counted: they belong to the function node being drawn.
template <class Traits>
class TDibListaArgT : public Traits::Node {
public:
    explicit TDibListaArgT(const std::vector<typename Traits::Node*>& items)
        : Traits::Node(NodeKind::DibListaArg), Items(items)
    {
        this->MarkVolatile();
    }
    std::vector<typename Traits::Node*> Items;
    bool IsValueCurrent() override { return false; }
};

// Two-operand nodes; Compute is the operation itself.
template <class Traits>
class TOpT : public Traits::Node {
    using Node = typename Traits::Node;
public:
    Node* Left() const { return this->Children[0]; }
    Node* Right() const { return this->Children[1]; }
    // Current when its own (folded) value still holds or both operands are.
    bool IsValueCurrent() override
    {
        if (this->IsVolatile())
            return false;
        if (this->StampCurrent())
            return true;
        return Left()->IsValueCurrent() && Right()->IsValueCurrent();
    }
    virtual typename Traits::Value Compute() = 0;
protected:
    TOpT(NodeKind kind, Node* left, Node* right) : Node(kind) { this->AdoptChildren({left, right}); }
};

// The seven solvable operators; Op is the engine's TOp.
template <class Traits, class Op>
class TOpDespejableT : public Op {
    using Node = typename Traits::Node;
public:
    Node* SolveFor(Node* rhs, typename Traits::Variable* variable) override;
    // A tree equal to the right operand when this operation equals Rhs.
    Node* IsolateRight(Node* rhs);
    // A tree equal to the left operand when this operation equals Rhs.
    Node* IsolateLeft(Node* rhs);
protected:
    using Op::Op;
};

// Comparisons: TrueValue or FalseValue. Where the engine chains them
// (Traits::kChainedComparisons), a comparison whose left operand is itself a
// comparison is a chain (a < b < c).
template <class Traits, class Op>
class TComparaT : public Op {
public:
    typename Traits::Value Compute() override;
    virtual typename Traits::Value Compare() = 0;
protected:
    using Op::Op;
};

// Function nodes, with their entry's own drawing.
template <class Traits>
class TFunT : public Traits::Node {
public:
    typename Traits::MeasureProc MeasureProc;
    typename Traits::DrawProc DrawProc;
protected:
    using Traits::Node::Node;
};

// Logical operators: a value counts as true when it is greater than 0.
template <class Op>
class TLogicT : public Op {
protected:
    using Op::Op;
};

// One operator class per kind; Family is the engine's TOpDespejable, TCompara
// or TLogic.
template <class Traits, class Family, NodeKind K>
class TOperatorT : public Family {
public:
    static constexpr NodeKind kKind = K;
    TOperatorT(typename Traits::Node* left, typename Traits::Node* right) : Family(K, left, right) {}
};

// One-argument function; Fun is the engine's TFun.
template <class Traits, class Fun>
class TFun1T : public Fun {
    using Node = typename Traits::Node;
public:
    TFun1T(typename Traits::Func1 fn, Node* arg, typename Traits::Func1 inverse)
        : Fun(NodeKind::Fun1), Fn(std::move(fn)), Inverse(std::move(inverse))
    {
        this->AdoptChildren({arg});
    }
    typename Traits::Func1 Fn;
    typename Traits::Func1 Inverse;   // empty: cannot be solved through
    Node* Arg() const { return this->Children[0]; }
    Node* SolveFor(Node* rhs, typename Traits::Variable* variable) override;
};

// Function of several arguments; Fn evaluates the argument nodes it needs.
template <class Traits, class Fun>
class TFunNT : public Fun {
    using Node = typename Traits::Node;
public:
    TFunNT(typename Traits::FuncN fn, const std::vector<Node*>& args) : TFunNT(NodeKind::FunN, args)
    {
        Fn = std::move(fn);
    }
    typename Traits::FuncN Fn;
    // The children as the callables take them (not counted again).
    const std::vector<Node*> Arguments;
protected:
    TFunNT(NodeKind kind, const std::vector<Node*>& args) : Fun(kind), Arguments(args)
    {
        this->MarkCallsOut();
        this->AdoptChildren(args);
    }
};

// A user function call: its body compiled over the argument nodes. The node owns
// its body (released with the node) and is current only when the body is.
template <class Traits, class FunN>
class TFunUserT : public FunN {
    using Node = typename Traits::Node;
public:
    TFunUserT(Node* body, const std::vector<Node*>& args) : FunN(NodeKind::FunUser, args), Body(body)
    {
        AddRefT<Node, typename Traits::CompileError>(Body);
        this->AddDeps(Body);
    }
    ~TFunUserT() override
    {
        if (Body)
            ReleaseLaterT<Node>(&Body, 1);
    }
    Node* Body;
};

// --------------------------------------------------------------------------
// Builders and equation solving.

// Whether every child holds its value for the variables as they are now. The
// nodes' own stamps answer without walking the subtrees (a subtree that could
// fold was folded when it was built), which keeps long texts linear.
template <class NodeT>
bool ChildrenCurrentT(const NodeT* node)
{
    for (const auto* c : node->Children)
        if (!c->StampCurrent())
            return false;
    return true;
}

// Folds a new node whose children (and, for a user function, body) are all
// current. When folding raises, the node is freed and its children and body
// given back untouched: their holders still own them.
template <class Traits, class T>
T* FoldT(T* node)
{
    try {
        bool current = !node->IsVolatile() && ChildrenCurrentT(node);
        if constexpr (requires { node->Body; })
            current = current && node->Body->StampCurrent();
        if (current) {
            if constexpr (requires { Traits::FoldedValue(node); })
                node->StoreFolded([node] { return Traits::FoldedValue(node); });
            else
                node->StoreFolded([node] { return Traits::Evaluate(node); });
        }
    } catch (const std::exception&) {   // a fault of the arithmetic, a message, memory
        DetachChildrenT<typename Traits::Node>(node);
        if constexpr (requires { node->Body; }) {
            --node->Body->RefCount;
            node->Body = nullptr;
        }
        delete node;
        throw;
    }
    return node;
}

// A new operator node of the given kind, Ops being the engine's operator
// classes (each with its kKind); a kind that is no operator is refused.
// (GCC 12 takes the size the node storage's sized delete gets, on the path
// where a constructor raises, for a value it may not have: a false warning.)
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
template <class Node, class... Ops>
Node* NewOperatorT(NodeKind kind, Node* left, Node* right)
{
    Node* n = nullptr;
    static_cast<void>(((kind == Ops::kKind && (n = new Ops(left, right))) || ...));
    if (!n)
        throw Exception(QStringLiteral("CreateOp: no es un operador"));
    return n;
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

// Whether the subtree reads the variable (a user function's body is not searched:
// its parameters are its children).
// Each node is visited once: a tree of shared sub-expressions (a1:a+a;
// a2:a1+a1;...) is a graph far smaller than the tree it stands for.
template <class Traits>
bool ContainsVariableT(typename Traits::Node* node, typename Traits::Variable* variable)
{
    using Node = typename Traits::Node;
    using Var = typename Traits::Var;
    std::vector<Node*> pending;
    std::unordered_set<const Node*> seen;
    if (node)
        pending.push_back(node);
    while (!pending.empty()) {
        Node* n = pending.back();
        pending.pop_back();
        if (n->Kind() == NodeKind::Var) {
            if (static_cast<Var*>(n)->Variable == variable)
                return true;
            continue;
        }
        if constexpr (requires { n->HasVariables(); }) {
            if (!n->HasVariables())
                continue;
        }
        // Only a node with several parents can be met twice.
        if (n->RefCount >= 2 && !seen.insert(n).second)
            continue;
        for (auto* c : n->Children)
            pending.push_back(c);
    }
    return false;
}

// The number of nodes the tree stands for, a shared sub-expression counted
// once per use (as a drawing meets it), or `limit` + 1 as soon as it is more
// than `limit`. Each node is visited once.
template <class Node>
std::size_t ExpandedSizeT(Node* root, std::size_t limit)
{
    if (!root)
        return 0;
    std::unordered_map<const Node*, std::size_t> sizes;
    // Depth first, children before their parent.
    std::vector<std::pair<Node*, bool>> pending{{root, false}};
    while (!pending.empty()) {
        auto [n, childrenDone] = pending.back();
        pending.pop_back();
        if (sizes.count(n))
            continue;
        if (!childrenDone) {
            pending.push_back({n, true});
            for (Node* c : n->Children)
                if (!sizes.count(c))
                    pending.push_back({c, false});
            continue;
        }
        std::size_t size = 1;
        for (Node* c : n->Children)
            size = std::min(limit + 1, size + sizes[c]);
        sizes[n] = size;
    }
    return sizes[root];
}

// Solves the equation (a TIgu at the top) for the variable: a tree whose value
// is the variable's. The result may be a side of the equation itself.
template <class Traits>
typename Traits::Node* SolveEquationT(typename Traits::Node* tree, typename Traits::Variable* variable)
{
    using SolveError = typename Traits::SolveError;
    if (!tree || tree->Kind() != NodeKind::Igu)
        throw SolveError(QStringLiteral("No es una ecuación"));
    auto* l = tree->Children[0];
    auto* r = tree->Children[1];
    const bool inLeft = ContainsVariableT<Traits>(l, variable);
    const bool inRight = ContainsVariableT<Traits>(r, variable);
    if (!inLeft && !inRight)
        throw SolveError(QStringLiteral("No se encuentra variable para despejar"));
    if (inLeft && inRight)
        throw SolveError(QStringLiteral("Ecuación demasiado compleja para despejar"));
    return inLeft ? l->SolveFor(r, variable) : r->SolveFor(l, variable);
}

// Whether a value of any engine is zero.
template <class V>
bool IsZeroValue(const V& v)
{
    if constexpr (requires { v.Re; v.Im; })
        return v.Re == 0 && v.Im == 0;
    else
        return v == V{};
}

// The inverse operations of the seven solvable operators: given that op(a, b)
// equals r, a tree equal to a (IsolateLeft) or to b (IsolateRight).
template <class Traits>
typename Traits::Node* IsolateLeftT(NodeKind kind, typename Traits::Node* r, typename Traits::Node* b)
{
    switch (kind) {
    case NodeKind::Suma: return CreateOp(NodeKind::Resta, r, b);
    case NodeKind::Resta: return CreateOp(NodeKind::Suma, r, b);
    case NodeKind::Mul: return CreateOp(NodeKind::Div, r, b);
    case NodeKind::Div:
        // a / b = r gives a = r * b only for a divisor other than 0 (the solved
        // tree is built for the values in force, so b's value now is its value).
        if (IsZeroValue(Traits::Evaluate(b)))
            throw EZeroDivide();
        return CreateOp(NodeKind::Mul, r, b);
    case NodeKind::Pot: return CreateOp(NodeKind::Raiz, r, b);
    case NodeKind::Raiz: return CreateOp(NodeKind::Pot, r, b);
    case NodeKind::LogN: return CreateOp(NodeKind::Pot, b, r);
    default: throw typename Traits::SolveError(QStringLiteral("No se puede despejar"));
    }
}

template <class Traits>
typename Traits::Node* IsolateRightT(NodeKind kind, typename Traits::Node* r, typename Traits::Node* a)
{
    switch (kind) {
    case NodeKind::Suma: return CreateOp(NodeKind::Resta, r, a);
    case NodeKind::Resta: return CreateOp(NodeKind::Resta, a, r);
    case NodeKind::Mul: return CreateOp(NodeKind::Div, r, a);
    case NodeKind::Div: return CreateOp(NodeKind::Div, a, r);
    case NodeKind::Pot: return CreateOp(NodeKind::LogN, r, a);
    case NodeKind::Raiz: return CreateOp(NodeKind::LogN, a, r);
    case NodeKind::LogN: return CreateOp(NodeKind::Raiz, a, r);
    default: throw typename Traits::SolveError(QStringLiteral("No se puede despejar"));
    }
}

// A solvable operator equal to rhs: the operand holding the variable is solved
// for rhs combined with the other operand by the inverse operation.
template <class Traits, class Op>
typename Traits::Node* SolveOperatorT(Op* op, typename Traits::Node* rhs, typename Traits::Variable* variable)
{
    using SolveError = typename Traits::SolveError;
    const bool inLeft = ContainsVariableT<Traits>(op->Left(), variable);
    const bool inRight = ContainsVariableT<Traits>(op->Right(), variable);
    if (!inLeft && !inRight)
        throw SolveError(QStringLiteral("No se encuentra variable para despejar"));
    if (inLeft && inRight)
        throw SolveError(QStringLiteral("Expresión demasiado compleja para despejar"));
    // The new node is held while the operand solves itself, so that a failure
    // further down frees it.
    TNodeGuard<typename Traits::Node, typename Traits::CompileError> other(
        inLeft ? IsolateLeftT<Traits>(op->Kind(), rhs, op->Right())
               : IsolateRightT<Traits>(op->Kind(), rhs, op->Left()));
    auto* solved = (inLeft ? op->Left() : op->Right())->SolveFor(other.get(), variable);
    other.release();
    return solved;
}

// A one-argument function equal to rhs: its argument is solved for the inverse
// function of rhs.
template <class Traits, class Fun1>
typename Traits::Node* SolveFun1T(Fun1* fun, typename Traits::Node* rhs, typename Traits::Variable* variable)
{
    if (!fun->Inverse)
        throw typename Traits::SolveError(Traits::NoInverseMessage(fun));
    TNodeGuard<typename Traits::Node, typename Traits::CompileError> inverse(
        CreateFun1(fun->Inverse, rhs, fun->Fn));
    auto* solved = fun->Arg()->SolveFor(inverse.get(), variable);
    inverse.release();
    return solved;
}

// A comparison whose left operand is itself a comparison is a chain (a < b < c):
// b is compared with c first, with the inner comparison's right operand standing
// in as this node's left one for the duration; then the inner comparison.
template <class Traits, class Compara>
typename Traits::Value ChainCompareT(Compara* node)
{
    if (!node->Left()->IsCompara())
        return node->Compare();
    auto* inner = node->Left();
    typename Traits::Value r;
    {
        // The inner comparison is the left operand again however Compare ends.
        struct StandIn {
            typename Traits::Node*& slot;
            typename Traits::Node* const saved = slot;
            ~StandIn() { slot = saved; }
        } standIn{node->Children[0]};
        node->Children[0] = inner->Children[1];
        r = node->Compare();
    }
    if (!Traits::IsTrue(r))
        return Traits::Truth(false);
    return Traits::Truth(Traits::IsTrue(Traits::Evaluate(inner)));
}

template <class Traits, class Op>
typename Traits::Node* TOpDespejableT<Traits, Op>::SolveFor(Node* rhs, typename Traits::Variable* variable)
{
    return SolveOperatorT<Traits>(this, rhs, variable);
}

template <class Traits, class Op>
typename Traits::Node* TOpDespejableT<Traits, Op>::IsolateRight(Node* rhs)
{
    return IsolateRightT<Traits>(this->Kind(), rhs, this->Left());
}

template <class Traits, class Op>
typename Traits::Node* TOpDespejableT<Traits, Op>::IsolateLeft(Node* rhs)
{
    return IsolateLeftT<Traits>(this->Kind(), rhs, this->Right());
}

template <class Traits, class Op>
typename Traits::Value TComparaT<Traits, Op>::Compute()
{
    if constexpr (Traits::kChainedComparisons)
        return ChainCompareT<Traits>(this);
    else
        return Compare();
}

template <class Traits, class Fun>
typename Traits::Node* TFun1T<Traits, Fun>::SolveFor(Node* rhs, typename Traits::Variable* variable)
{
    return SolveFun1T<Traits>(this, rhs, variable);
}

// --------------------------------------------------------------------------
// Name-table entries: each builds the node of a name found in a text.
template <class Traits>
class TMakeT {
public:
    virtual ~TMakeT() = default;
    std::uint8_t MinArgs = 0;
    std::uint8_t MaxArgs = 0;
    std::uint8_t Category = 0;   // 0 constant, 1 variable, 2 no arguments, 3 one argument, 4 several, 5 user
    QString Description;
    std::vector<typename Traits::Node*> Args;   // argument nodes of the call being compiled
    typename Traits::MeasureProc MeasureProc;
    typename Traits::DrawProc DrawProc;
    // A new node (RefCount 0); none for user functions, which the compiler expands.
    virtual typename Traits::Node* Make() = 0;

protected:
    // Gives a new function node this entry's own drawing.
    template <class T>
    T* WithDrawing(T* node) const
    {
        node->MeasureProc = MeasureProc;
        node->DrawProc = DrawProc;
        return node;
    }
};

template <class Traits, class Const>
class TMakeConstT : public TMakeT<Traits> {
public:
    explicit TMakeConstT(typename Traits::Value value) : Value(value) { this->Category = 0; }
    typename Traits::Value Value;
    typename Traits::Node* Make() override { return new Const(Value); }
};

// Owns its variable: the variable lives as long as the name table that holds the
// entry, so every tree compiled against the table can read it.
template <class Traits>
class TMakeVarT : public TMakeT<Traits> {
public:
    TMakeVarT() : m_owned(std::make_unique<typename Traits::Variable>())
    {
        Variable = m_owned.get();
        this->Category = 1;
    }
    typename Traits::Variable* Variable;
    typename Traits::Node* Make() override { return new typename Traits::Var(Variable); }
private:
    std::unique_ptr<typename Traits::Variable> m_owned;
};

template <class Traits, class Fun0>
class TMakeFun0T : public TMakeT<Traits> {
public:
    TMakeFun0T(typename Traits::Func0 fn, std::uint8_t category) : Fn(std::move(fn)) { this->Category = category; }
    typename Traits::Func0 Fn;
    typename Traits::Node* Make() override { return this->WithDrawing(new Fun0(Fn)); }
};

template <class Traits>
class TMakeFun1T : public TMakeT<Traits> {
public:
    TMakeFun1T(typename Traits::Func1 fn, typename Traits::Func1 inverse)
        : Fn(std::move(fn)), Inverse(std::move(inverse))
    {
        this->MinArgs = this->MaxArgs = 1;
        this->Category = 3;
    }
    typename Traits::Func1 Fn;
    typename Traits::Func1 Inverse;
    typename Traits::Node* Make() override
    {
        return this->WithDrawing(CreateFun1(Fn, this->Args.at(0), Inverse));
    }
};

// Fn empty builds TLogN of the first argument to the base of the second.
template <class Traits>
class TMakeFunNT : public TMakeT<Traits> {
public:
    TMakeFunNT(typename Traits::FuncN fn, std::uint8_t minArgs, std::uint8_t maxArgs) : Fn(std::move(fn))
    {
        this->MinArgs = minArgs;
        this->MaxArgs = maxArgs;
        this->Category = 4;
    }
    typename Traits::FuncN Fn;
    typename Traits::Node* Make() override
    {
        if (!Fn)
            return CreateOp(NodeKind::LogN, this->Args.at(0), this->Args.at(1));
        return this->WithDrawing(CreateFunN(Fn, this->Args));
    }
};

template <class Traits>
class TMakeUserT : public TMakeT<Traits> {
public:
    TMakeUserT(const QString& body, std::uint8_t params) : Body(body)
    {
        this->MinArgs = this->MaxArgs = params;
        this->Category = 5;
    }
    QString Body;   // preprocessed body text
    typename Traits::Node* Make() override { return nullptr; }
};

} // namespace exprcore

// The operator classes, one per kind: each engine declares them with its own
// OP(Family, Name, Method) macro (Method: Compute, or Compare for comparisons).
#define EXPRCORE_SOLVABLE_OPERATORS(OP)                                             \
    OP(TOpDespejable, Suma, Compute)                                                \
    OP(TOpDespejable, Resta, Compute)                                               \
    OP(TOpDespejable, Mul, Compute)                                                 \
    OP(TOpDespejable, Div, Compute)                                                 \
    OP(TOpDespejable, Pot, Compute)                                                 \
    OP(TOpDespejable, Raiz, Compute)                                                \
    OP(TOpDespejable, LogN, Compute)
#define EXPRCORE_COMPARISONS(OP)                                                    \
    OP(TCompara, May, Compare)                                                      \
    OP(TCompara, Men, Compare)                                                      \
    OP(TCompara, Igu, Compare)                                                      \
    OP(TCompara, MayIgu, Compare)                                                   \
    OP(TCompara, MenIgu, Compare)                                                   \
    OP(TCompara, Dist, Compare)
#define EXPRCORE_LOGIC_OPERATORS(OP)                                                \
    OP(TLogic, And, Compute)                                                        \
    OP(TLogic, Or, Compute)                                                         \
    OP(TLogic, Xor, Compute)

// The engine's counting functions (engine/refnode.h) over its node base:
// ReleaseNode (a parent lets go: above 1 the count is decremented, otherwise
// the node is destroyed), Discard (frees a node nobody counts), DetachChildren
// (undoes the taking of the children without destroying anything), AddRef (a
// count that would pass 65535 is refused with CompileError) and NodeGuard
// (keeps a node alive for a scope where an exception may interrupt the
// building of a tree).
#define EXPRCORE_NODE_COUNTING(Node, CompileError)                                  \
    inline void ReleaseNode(Node* node) { exprcore::ReleaseNodeT(node); }           \
    inline void Discard(Node* node) { exprcore::DiscardT(node); }                   \
    inline void DetachChildren(Node* node) { exprcore::DetachChildrenT(node); }     \
    inline void AddRef(Node* node) { exprcore::AddRefT<Node, CompileError>(node); } \
    using NodeGuard = exprcore::TNodeGuard<Node, CompileError>;

// The definitions of the engine's ContainsVariable, SolveEquation, CreateFun1
// and CreateFunN (declared in its tree.h, building its TFun1 and TFunN), in its
// namespace.
#define EXPRCORE_TREE_FUNCTIONS(Traits)                                                          \
    bool ContainsVariable(Traits::Node* node, Traits::Variable* variable)                         \
    {                                                                                            \
        return exprcore::ContainsVariableT<Traits>(node, variable);                              \
    }                                                                                            \
    Traits::Node* SolveEquation(Traits::Node* tree, Traits::Variable* variable)                   \
    {                                                                                            \
        return exprcore::SolveEquationT<Traits>(tree, variable);                                 \
    }                                                                                            \
    TFun1* CreateFun1(Traits::Func1 fn, Traits::Node* arg, Traits::Func1 inverse)                 \
    {                                                                                            \
        return exprcore::FoldT<Traits>(new TFun1(std::move(fn), arg, std::move(inverse)));       \
    }                                                                                            \
    TFunN* CreateFunN(Traits::FuncN fn, const std::vector<Traits::Node*>& args)                   \
    {                                                                                            \
        return exprcore::FoldT<Traits>(new TFunN(std::move(fn), args));                          \
    }

// The engine's names for the name-table entries above (in its namespace, after
// its TConst and TFun0).
#define EXPRCORE_NAME_TABLE_ENTRIES(Traits)                                         \
    using TMake = exprcore::TMakeT<Traits>;                                         \
    using TMakeConst = exprcore::TMakeConstT<Traits, TConst>;                       \
    using TMakeVar = exprcore::TMakeVarT<Traits>;                                   \
    using TMakeFun0 = exprcore::TMakeFun0T<Traits, TFun0>;                          \
    using TMakeFun1 = exprcore::TMakeFun1T<Traits>;                                 \
    using TMakeFunN = exprcore::TMakeFunNT<Traits>;                                 \
    using TMakeUser = exprcore::TMakeUserT<Traits>;
