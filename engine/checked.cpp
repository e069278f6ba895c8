#include "engine/checked.h"

namespace checked {

Extended IntPower(Extended base, bool negative, std::uint64_t n, TinyPower tiny)
{
    const Extended r = PowerBySquaring(base, n);
    if (!negative)
        return result(r);
    if (std::isinf(r)) {
        // The power overflowed, its reciprocal need not: the library's power
        // rounds it once, into the subnormals (2^-16445 is the least of them) or to 0.
        const Extended m = powl(fabsl(base), -static_cast<Extended>(n));
        return (n & 1u) && std::signbit(base) ? -m : m;
    }
    if (r == 0 && base != 0 && tiny == TinyPower::Overflow)
        throw EOverflow();
    return div(1, r);
}

} // namespace checked
