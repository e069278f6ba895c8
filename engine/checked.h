#pragma once
#include "engine/errors.h"
#include "foundation/core/extended.h"

#include <cmath>
#include <cstdint>

// Checked arithmetic: the faults the processor raised on the original platform.
namespace checked {

// A result that must be finite: infinity is an overflow, NaN an invalid operation.
inline Extended result(Extended r)
{
    if (std::isnan(r))
        throw EInvalidOp();
    if (std::isinf(r))
        throw EOverflow();
    return r;
}

inline Extended add(Extended a, Extended b) { return result(a + b); }
inline Extended sub(Extended a, Extended b) { return result(a - b); }
inline Extended mul(Extended a, Extended b) { return result(a * b); }

inline Extended div(Extended a, Extended b)
{
    if (b == 0) {
        if (a == 0 || std::isnan(a))
            throw EInvalidOp();
        throw EZeroDivide();
    }
    return result(a / b);
}

// Natural logarithm: 0 divides by zero, a negative number (or NaN) is an
// invalid operation.
inline Extended ln(Extended x)
{
    if (std::isnan(x) || x < 0)
        throw EInvalidOp();
    if (x == 0)
        throw EZeroDivide();
    return logl(x);
}

// base^n by repeated squaring, the one loop of every whole power in the
// engines. Squaring only while bits remain keeps every intermediate below the
// result in size, so infinity is an overflow of the power itself and 0 an
// underflow. Unchecked; inline, as the flattened evaluation runs it in line.
[[gnu::always_inline]] inline Extended PowerBySquaring(Extended base, std::uint64_t n)
{
    Extended r = 1, b = base;
    while (n != 0) {
        if (n & 1u)
            r *= b;
        n >>= 1;
        if (n != 0)
            b *= b;
    }
    return r;
}

// What the reciprocal of a power too small to hold (base^n gone to 0) raises:
// the processor's division by zero (1/0), or, where values are exact (the
// fractions), an overflow, as the true value is too large.
enum class TinyPower { ZeroDivide, Overflow };

// base to a whole power, 1/base^n when `negative`: repeated squaring with the
// faults of the processor's integer power. A result too large is an overflow; a
// reciprocal too small to hold goes to the subnormal or 0 without error, as every
// underflow does; 0 to a negative power divides by zero.
Extended IntPower(Extended base, bool negative, std::uint64_t n, TinyPower tiny = TinyPower::ZeroDivide);

// Conversion to a 64-bit integer, toward zero; out of range is an invalid operation.
inline int64_t toInt64(Extended x)
{
    if (!(x > -9223372036854775809.0L && x < 9223372036854775808.0L))
        throw EInvalidOp();
    return static_cast<int64_t>(x);
}

// Conversion to a 32-bit integer, toward zero; out of range is an invalid operation.
inline int32_t toInt32(Extended x)
{
    if (!(x > -2147483649.0L && x < 2147483648.0L))
        throw EInvalidOp();
    return static_cast<int32_t>(x);
}

// Rounding to the nearest 64-bit integer, halves to even (the processor's default).
inline int64_t round64(Extended x)
{
    return toInt64(std::nearbyintl(x));
}

} // namespace checked
