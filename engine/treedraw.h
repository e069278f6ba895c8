#pragma once
// Formula drawing shared by the engines' trees, over the layouts of
// engine/formuladraw.h: a node as a part of its parent's layout, the leaves the
// complex and rational engines draw alike, a node between parentheses, the
// product's dot and the comparison signs. Each engine keeps the drawing of its
// numbers and of its function calls.
//
// QtCore only.

#include "engine/formuladraw.h"
#include "engine/treecore.h"

#include <span>
#include <vector>

namespace exprcore {

inline void BoxOut(const formuladraw::Box& b, int& width, int& above, int& below)
{
    width = b.width;
    above = b.above;
    below = b.below;
}

// The node's box at a size, measured once while a measuring pass is open.
template <class Node>
formuladraw::Box CachedNodeBox(Node* node, Canvas& canvas, int size)
{
    return formuladraw::CachedMeasure(node, canvas, size, [node](Canvas& c, int s) {
        formuladraw::Box b;
        node->Measure(c, s, b.width, b.above, b.below);
        return b;
    });
}

// A child as a part of its parent's drawing.
template <class Node>
formuladraw::Part NodePartT(Node* node)
{
    return formuladraw::Part{[node](Canvas& c, int s) { return CachedNodeBox(node, c, s); },
                             [node](Canvas& c, int x, int y, int s) { node->Draw(c, x, y, s); }};
}

template <class Node>
std::vector<formuladraw::Part> NodePartsT(std::span<Node* const> nodes)
{
    std::vector<formuladraw::Part> parts;
    parts.reserve(nodes.size());
    for (Node* n : nodes)
        parts.push_back(NodePartT(n));
    return parts;
}

// The node, or the node between parentheses when withParens.
template <class Node>
void MeasureWithParensT(Node* node, Canvas& canvas, int size, bool withParens, int& width, int& above, int& below)
{
    BoxOut(formuladraw::Parenthesised(NodePartT(node), withParens).Measure(canvas, size), width, above, below);
}

template <class Node>
void DrawWithParensT(Node* node, Canvas& canvas, int x, int y, int size, bool withParens)
{
    formuladraw::Parenthesised(NodePartT(node), withParens).Draw(canvas, x, y, size);
}

// The leaves drawn from their text: constants, variables, quoted messages; a
// resolver's value (Ext) and a function without arguments (Fun0) with their
// own procedures when they have them, as constants otherwise. Any other node
// has an empty box and draws nothing.
template <class Ext, class Fun0, class Node>
void MeasureLeafT(Node* node, Canvas& canvas, int size, int& width, int& above, int& below)
{
    using namespace formuladraw;
    const NodeKind kind = node->Kind();
    if (kind == NodeKind::Ext || kind == NodeKind::Fun0) {
        const auto& proc = kind == NodeKind::Ext ? static_cast<Ext*>(node)->MeasureProc
                                                 : static_cast<Fun0*>(node)->MeasureProc;
        if (proc) {
            proc(node, canvas, size, width, above, below);
            return;
        }
    }
    switch (kind) {
    case NodeKind::Const:
    case NodeKind::Ext:
    case NodeKind::Fun0: BoxOut(MeasureConstant(canvas, size, node->Text), width, above, below); break;
    case NodeKind::Var: BoxOut(MeasureVariable(canvas, size, node->Text), width, above, below); break;
    case NodeKind::ExprMsg: BoxOut(MeasureMessage(canvas, size, node->Text), width, above, below); break;
    default: width = above = below = 0; break;
    }
}

template <class Ext, class Fun0, class Node>
void DrawLeafT(Node* node, Canvas& canvas, int x, int y, int size)
{
    using namespace formuladraw;
    const NodeKind kind = node->Kind();
    if (kind == NodeKind::Ext || kind == NodeKind::Fun0) {
        const auto& proc = kind == NodeKind::Ext ? static_cast<Ext*>(node)->DrawProc
                                                 : static_cast<Fun0*>(node)->DrawProc;
        if (proc) {
            proc(node, canvas, x, y, size);
            return;
        }
    }
    switch (kind) {
    case NodeKind::Const:
    case NodeKind::Ext:
    case NodeKind::Fun0: DrawConstant(canvas, x, y, size, node->Text); break;
    case NodeKind::Var: DrawVariable(canvas, x, y, size, node->Text); break;
    case NodeKind::ExprMsg: DrawMessage(canvas, x, y, size, node->Text); break;
    default: break;
    }
}

// Whether an operand goes between parentheses where its parent asks: sums,
// differences, comparisons and logical operators.
template <class Node>
bool NeedsParensT(const Node* n)
{
    return n->Kind() == NodeKind::Suma || n->Kind() == NodeKind::Resta || (n->IsOp() && !n->IsOpDespejable());
}

// How tightly an operator binds its operands: logical operators (exclusive
// or, or, and), comparisons, sums, products, powers; 7 for every other node.
template <class Node>
int BindingLevelT(const Node* n)
{
    switch (n->Kind()) {
    case NodeKind::Xor: return 0;
    case NodeKind::Or: return 1;
    case NodeKind::And: return 2;
    case NodeKind::May:
    case NodeKind::Men:
    case NodeKind::Igu:
    case NodeKind::MayIgu:
    case NodeKind::MenIgu:
    case NodeKind::Dist: return 3;
    case NodeKind::Suma:
    case NodeKind::Resta: return 4;
    case NodeKind::Mul:
    case NodeKind::Div: return 5;
    case NodeKind::Pot:
    case NodeKind::Raiz:
    case NodeKind::LogN: return 6;
    default: return 7;
    }
}

// Whether an operand of a sum, a difference's first operand, or an operand of
// a comparison or logical operator goes between parentheses: when it binds
// less than its parent (1 + (2 = 3), 1 = (2 & 3)), and, on the right of a
// comparison or logical operator, when it binds the same (1 = (2 = 3)); so
// the drawing reads as the text was typed.
template <class Parent, class Node>
bool OperandNeedsParensT(const Parent* parent, const Node* operand, bool right)
{
    const int p = BindingLevelT(parent);
    const int o = BindingLevelT(operand);
    return o < p || (right && o == p && p <= 3);
}

// Whether a product shows its dot, from its operands: needsParens tells which
// operand goes between parentheses, isNumber which is a literal.
template <class Node, class NeedsParens, class IsNumber>
bool ProductDotT(const Node* l, const Node* r, NeedsParens&& needsParens, IsNumber&& isNumber)
{
    formuladraw::ProductOperands o;
    o.leftNeedsParens = needsParens(l);
    o.rightNeedsParens = needsParens(r);
    o.leftIsNumber = isNumber(l);
    o.rightIsNumber = isNumber(r);
    o.rightIsOperator = r->IsOp();
    o.rightIsPowerOfNonNumber = r->Kind() == NodeKind::Pot && !isNumber(r->Children[0]);
    return formuladraw::ProductHasDot(o);
}

// The sign a comparison node shows.
inline formuladraw::CompareSign CompareSignOf(NodeKind kind)
{
    using formuladraw::CompareSign;
    switch (kind) {
    case NodeKind::May: return CompareSign::Greater;
    case NodeKind::Men: return CompareSign::Less;
    case NodeKind::MayIgu: return CompareSign::GreaterEqual;
    case NodeKind::MenIgu: return CompareSign::LessEqual;
    case NodeKind::Dist: return CompareSign::NotEqual;
    default: return CompareSign::Equal;
    }
}

} // namespace exprcore

// The base node's drawing in an engine that draws only its leaves there (every
// other node class has its own): written inside the engine's namespace.
#define EXPRCORE_LEAF_DRAWING(TExt, TFun0)                                                          \
    void TEval::Measure(Canvas& canvas, int size, int& width, int& above, int& below)               \
    {                                                                                               \
        exprcore::MeasureLeafT<TExt, TFun0>(this, canvas, size, width, above, below);               \
    }                                                                                               \
    void TEval::Draw(Canvas& canvas, int x, int y, int size)                                        \
    {                                                                                               \
        exprcore::DrawLeafT<TExt, TFun0>(this, canvas, x, y, size);                                 \
    }                                                                                               \
    void TEval::MeasureWithParens(Canvas& canvas, int size, bool withParens, int& width, int& above, \
                                  int& below)                                                       \
    {                                                                                               \
        exprcore::MeasureWithParensT(this, canvas, size, withParens, width, above, below);          \
    }                                                                                               \
    void TEval::DrawWithParens(Canvas& canvas, int x, int y, int size, bool withParens)             \
    {                                                                                               \
        exprcore::DrawWithParensT(this, canvas, x, y, size, withParens);                            \
    }
