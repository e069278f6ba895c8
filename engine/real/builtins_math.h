#pragma once
// The numeric side of the real engine's built-in functions: every constant and
// function a real-domain expression knows by name, as plain functions over
// Extended. Faults are thrown as the engine's arithmetic exceptions
// (engine/errors.h), which the expression object turns into its error codes.
//
// Functions that depend on the angle unit take it as their first argument; the
// nodes of a compiled tree pass the process-wide unit in force.
#include "engine/angulos.h"
#include "engine/checked.h"
#include "engine/errors.h"
#include "foundation/core/extended.h"

#include <cmath>
#include <cstdint>

namespace real::builtins {

// Constants, to the last bit of the 80-bit type.
inline constexpr Extended kE = 2.71828182845904523536028747135266250L;
inline constexpr Extended kSqrt2 = 1.41421356237309504880168872420969808L;
inline constexpr Extended kSqrt3 = 1.73205080756887729352744634150587237L;
// 1 / sqrt(2 pi): the height of the standard normal density at 0.
inline constexpr Extended kInvSqrt2Pi = 0.39894228040143267793L;

// Largest n whose factorial fits in an Extended (1755! overflows).
inline constexpr int kMaxFactorial = 1754;

// The arguments of a function of several arguments. The function decides which
// ones to evaluate and in which order (a conditional evaluates only the branch
// it takes), so each value is produced on demand.
class ArgList {
public:
    virtual ~ArgList() = default;
    virtual int count() const = 0;
    // Evaluates argument i (0-based) and returns its value.
    virtual Extended value(int i) = 0;
};

// ---- Random numbers --------------------------------------------------------

// The generator behind "Ale": uniform values in [0, 1). One per process; the
// main window seeds it from the clock, tests seed it with a fixed number.
struct RandomState {
    static void seed(uint64_t s);
    static void reset();      // back to the fixed start-up seed
    static Extended next();   // uniform in [0, 1)
};

Extended Ale();

// ---- Helpers shared by the counting functions ------------------------------

// base raised to an integer power by repeated squaring, overflow checked at
// every step; 0 to a negative power is a division by zero.
Extended IntPower(Extended base, int64_t exponent);

// x rounded half away from zero, for a count. Too large to be a count:
// overflow; too negative: invalid argument.
int64_t RoundCount(Extended x);

// Factorial of "Fact", "Prm", "Cmb", "CmbR", "PrmR": not x >= 0 is an invalid
// operation; x is rounded half away from zero; beyond 1754 an overflow.
Extended Factorial(Extended x);

// Integer factorial of the distributions: negative n is an invalid argument.
Extended IntFactorial(int64_t n);

// a! / (b! (a - b)!) with the integer factorial (b > a: invalid argument).
Extended Combinations(int64_t a, int64_t b);

// Standard normal probability below x (composite Boole rule over [0, |x|]).
Extended NormalCdf(Extended x);

// ---- Sine and cosine of radians ---------------------------------------------

// sin x and cos x to within one unit in the last place of the 80-bit type:
// the argument reduced by pi/2 held in three parts (exact products for
// |x| < 2^28) and the Taylor series to x^21 evaluated in pairs. Beyond 2^28,
// for a remainder too small to keep its digits, and for infinities and NaN,
// the C library's sinl and cosl.
Extended SinRad(Extended x);
Extended CosRad(Extended x);

// ---- One-argument functions ------------------------------------------------

// Trigonometric: argument in the angle unit.
Extended Sin(AngleMode mode, Extended x);
Extended Cos(AngleMode mode, Extended x);
Extended Tan(AngleMode mode, Extended x);
// Inverse trigonometric: result in the angle unit.
Extended ArcSin(AngleMode mode, Extended x);
Extended ArcCos(AngleMode mode, Extended x);
Extended ArcTan(AngleMode mode, Extended x);
// A D.MMSSss value read in the current unit.
Extended Gms(AngleMode mode, Extended x);
Extended GmsRad(Extended x);
Extended RadGms(Extended x);
// Hyperbolic functions follow the angle unit like the trigonometric ones.
Extended Sinh(AngleMode mode, Extended x);
Extended Cosh(AngleMode mode, Extended x);
Extended Tanh(AngleMode mode, Extended x);
Extended ArcSinh(AngleMode mode, Extended x);
Extended ArcCosh(AngleMode mode, Extended x);
Extended ArcTanh(AngleMode mode, Extended x);
Extended Rcp(Extended x);
Extended Ln(Extended x);
Extended Log(Extended x);
Extended Sqr(Extended x);
Extended Sqrt(Extended x);
// Sqrt's body, inline for the flattened evaluation (engine/real/program.h).
inline Extended SqrtInline(Extended x)
{
    if (x < 0)
        throw EInvalidOp();
    return checked::result(std::sqrt(x));
}
Extended Exp(Extended x);
Extended Exp10(Extended x);
Extended Abs(Extended x);
Extended Int(Extended x);
Extended Rd(Extended x);
Extended Frac(Extended x);
Extended Fact(Extended x);
Extended DNormStd(Extended x);

// ---- Functions of several arguments ----------------------------------------

Extended Si(ArgList& a);
Extended Sim(ArgList& a);
Extended Hipot(ArgList& a);
Extended Ang(AngleMode mode, ArgList& a);
Extended Max(ArgList& a);
Extended Min(ArgList& a);
Extended Prom(ArgList& a);
Extended Suma(ArgList& a);
Extended Resto(ArgList& a);
Extended Poli(ArgList& a);
Extended PrmR(ArgList& a);
Extended Var(ArgList& a);
Extended VarR(ArgList& a);
Extended Cmb(ArgList& a);
Extended CmbR(ArgList& a);
Extended DNormal(ArgList& a);
Extended DNormalA(ArgList& a);
Extended DNormStdA(ArgList& a);
Extended DBinom(ArgList& a);
Extended DBinomA(ArgList& a);
Extended DBinomNeg(ArgList& a);
Extended DBinomNegA(ArgList& a);
Extended DHpGeom(ArgList& a);
Extended DHpGeomA(ArgList& a);
Extended DPoisson(ArgList& a);
Extended DPoissonA(ArgList& a);

} // namespace real::builtins
