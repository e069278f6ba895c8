#pragma once
// The conditional functions every engine registers, written once: "Si/If"
// (c, a, b) and "Sim/Ifm" (c1, w1, c2, w2, ..., [d]). `arg(i)` evaluates
// argument i (0-based) when asked and `isTrue` reads a condition, so each
// engine brings its own argument list and its own truth; only the conditions
// up to the first true one and the branch taken are evaluated.

#include "engine/errors.h"

#include <cstddef>

namespace exprcore {

// c ? a : b.
template <class Arg, class IsTrue>
auto ConditionalValue(Arg&& arg, IsTrue&& isTrue)
{
    return isTrue(arg(0)) ? arg(1) : arg(2);
}

// The branch of the first true condition; with none, the default (an odd
// count's last argument), or an invalid argument when there is no default.
template <class Arg, class IsTrue>
auto ConditionalSequenceValue(std::size_t count, Arg&& arg, IsTrue&& isTrue)
{
    for (std::size_t i = 0; i + 1 < count; i += 2)
        if (isTrue(arg(i)))
            return arg(i + 1);
    if (count % 2 == 1)
        return arg(count - 1);
    throw EInvalidArgument();
}

} // namespace exprcore
