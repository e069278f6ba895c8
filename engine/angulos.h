#pragma once
#include "foundation/core/extended.h"

#include <cstdint>

// Angle units. The engines work in radians; the user picks one of six units and
// the built-in functions convert their arguments and results with these routines.
//
// AngleMode is a plain byte: only its low seven bits count (the value is masked
// with 127), and any value other than 0..5 after masking counts as cycles.

using AngleMode = std::uint8_t;

inline constexpr AngleMode amRadians = 0; // "Radianes"
inline constexpr AngleMode amDegrees = 1; // "Sexagesimales"
inline constexpr AngleMode amGrads = 2;   // "Centesimales", 400 to the turn
inline constexpr AngleMode amCycles = 3;  // "Ciclos", 1 to the turn
inline constexpr AngleMode amDms = 4;     // "GMS", degrees.minutes-seconds packed as D.MMSSss
inline constexpr AngleMode amPi = 5;      // "Pi", multiples of pi

// A value in the unit `mode` to radians, and back.
Extended AngleToRad(AngleMode mode, Extended x);
Extended RadToAngle(AngleMode mode, Extended x);

// D.MMSSss to radians and radians to D.MMSSss (also the built-ins "GMSRad" and
// "RadGMS"). Both round to a millionth of a degree.
Extended DmsToRad(Extended x);
Extended RadToDms(Extended x);

// x rounded to the nearest integer, halves away from zero (2.5 -> 3, -2.5 -> -3).
// Throws EInvalidOp when the result does not fit in 64 bits (or x is NaN).
std::int64_t RoundHalfAway(Extended x);
