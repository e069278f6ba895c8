#pragma once
// The codes of the arithmetic faults (engine/errors.h) as the tests compare
// them, 0 for none.
namespace faultcode {
inline constexpr int kNone = 0, kZeroDiv = 11, kOverflow = 12, kInvArg = 14, kInvOp = 15;
}
