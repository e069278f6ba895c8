#include "foundation/core/muldiv.h"

#include <cstdint>

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const std::int64_t p = static_cast<std::int64_t>(number) * numerator;
    const std::int64_t d = denominator;
    std::int64_t q = p / d;
    const std::int64_t r = p % d;
    const std::int64_t absR = r < 0 ? -r : r;
    const std::int64_t absD = d < 0 ? -d : d;
    if (2 * absR >= absD)
        q += ((p < 0) != (d < 0)) ? -1 : 1;
    if (q > INT32_MAX || q < INT32_MIN)
        return -1;
    return static_cast<int>(q);
}
