#pragma once
// A real-domain node as a part of the shared formula drawing
// (engine/formuladraw.h): its Measure and Draw as callbacks.
#include "engine/formuladraw.h"
#include "engine/real/tree.h"

namespace real {

// The node's box at a size (remembered while a measuring pass is open).
formuladraw::Box MeasureBox(TEval* node, Canvas& canvas, int size);

inline formuladraw::Part NodePart(TEval* node)
{
    return formuladraw::Part{[node](Canvas& c, int s) { return MeasureBox(node, c, s); },
                             [node](Canvas& c, int x, int y, int s) { node->Draw(c, x, y, s); }};
}

// The node between parentheses when withParens.
inline formuladraw::Part NodePart(TEval* node, bool withParens)
{
    return formuladraw::Parenthesised(NodePart(node), withParens);
}

} // namespace real
