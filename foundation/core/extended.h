#pragma once
#include <limits>

// The program's 80-bit extended real. Every computation and every displayed
// result goes through it; narrowing to double on the way would lose the digits
// that make 0.1 show as "0.1".
using Extended = long double;
static_assert(std::numeric_limits<long double>::digits == 64,
              "Extended must be the x87 80-bit type");

// pi to the last bit of the 80-bit type.
inline constexpr Extended kPi = 3.14159265358979323846264338327950288L;
