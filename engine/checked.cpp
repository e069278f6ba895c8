#include "engine/checked.h"

namespace checked {

Extended IntPower(Extended base, bool negative, std::uint64_t n)
{
    // Squaring only while bits remain keeps every intermediate below the result
    // in size, so infinity here is an overflow of the power itself.
    const std::uint64_t exponent = n;
    Extended r = 1, b = base;
    while (n != 0) {
        if (n & 1u)
            r *= b;
        n >>= 1;
        if (n != 0)
            b *= b;
    }
    if (!negative)
        return result(r);
    if (std::isinf(r)) {
        // The power overflowed, its reciprocal need not: the library's power
        // rounds it once, into the subnormals (2^-16445 is the least of them) or to 0.
        const Extended m = powl(fabsl(base), -static_cast<Extended>(exponent));
        return (exponent & 1u) && std::signbit(base) ? -m : m;
    }
    return div(1, r);
}

} // namespace checked
