#pragma once
// What several of the real engine's test files check with.
#include "engine/errors.h"
#include "foundation/core/extended.h"

#include <cstring>

namespace realcheck {

// The codes of the arithmetic faults (engine/errors.h) as the tests compare
// them, 0 for none.
inline constexpr int kNone = 0, kZeroDiv = 11, kOverflow = 12, kInvArg = 14, kInvOp = 15;

// 0 when f returns, else the code of the arithmetic fault it raised.
template <class F>
int faultOf(F f)
{
    try {
        f();
    } catch (const EMathError& err) {
        return err.code();
    }
    return 0;
}

// The same 80 bits (a NaN equal to itself, +0 apart from -0).
inline bool SameBits(Extended a, Extended b) { return std::memcmp(&a, &b, 10) == 0; }

} // namespace realcheck
