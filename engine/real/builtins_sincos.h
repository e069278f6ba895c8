#pragma once
// The bodies of SinRad and CosRad (builtins_math.h), inline so that the
// flattened evaluation (engine/real/program.h) runs them without passing a
// long double through memory. See SinRad for the method and its accuracy.
#include "foundation/core/extended.h"

#include <cmath>
#include <cstdint>

// The hand-written x87 sequences keep constants and roundings where GCC would
// move them; other compilers (the fuzzing build) take the plain expressions,
// which give the same bits.
#ifndef SUMBRIX_X87_ASM
#if defined(__GNUC__) && !defined(__clang__) && (defined(__x86_64__) || defined(__i386__))
#define SUMBRIX_X87_ASM 1
#else
#define SUMBRIX_X87_ASM 0
#endif
#endif

namespace real::builtins {

namespace sincos {

// pi/2 = kPio2a + kPio2b + kPio2c: the first two of 32 significant bits, so that
// k times either is exact for k < 2^32; the third rounded to 64 bits.
constexpr Extended kPio2a = 0xc90fdaa2p-31L;
constexpr Extended kPio2b = 0x85a308d3p-65L;
constexpr Extended kPio2c = 0x98cc51701b839a25p-132L;
constexpr Extended kInvPio2 = 0xa2f9836e4e44152ap-64L;
constexpr Extended kPio4 = 0xc90fdaa22168c235p-64L;   // pi/4 rounded down
// Adding 1.5 * 2^63 rounds to an integer that the mantissa's low bits hold.
constexpr Extended kRoundMagic = 0x1.8p63L;

// (-1)^n / (2n+1)! and (-1)^n / (2n)!. From S3 and C4 on a double is close
// enough (its error is scaled by z^3 or more) and is read by the
// multiplication itself.
constexpr Extended S1 = -0xaaaaaaaaaaaaaaabp-66L;
constexpr Extended S2 = 0x8888888888888889p-70L;
constexpr double S3 = -0x1.a01a01a01a01ap-13;
constexpr double S4 = 0x1.71de3a556c734p-19;
constexpr double S5 = -0x1.ae64567f544e4p-26;
constexpr double S6 = 0x1.6124613a86d09p-33;
constexpr double S7 = -0x1.ae7f3e733b81fp-41;
constexpr double S8 = 0x1.952c77030ad4ap-49;
constexpr double S9 = -0x1.2f49b46814157p-57;
constexpr double S10 = 0x1.71b8ef6dcf572p-66;
constexpr Extended C2 = 0xaaaaaaaaaaaaaaabp-68L;
constexpr Extended C3 = -0xb60b60b60b60b60bp-73L;
constexpr double C4 = 0x1.a01a01a01a01ap-16;
constexpr double C5 = -0x1.27e4fb7789f5cp-22;
constexpr double C6 = 0x1.1eed8eff8d898p-29;
constexpr double C7 = -0x1.93974a8c07c9dp-37;
constexpr double C8 = 0x1.ae7f3e733b81fp-45;
constexpr double C9 = -0x1.6827863b97d97p-53;
constexpr double C10 = 0x1.e542ba4020225p-62;

// A long double constant as the sum of two doubles (exact: 53 + 11 bits) and
// loaded so: two plain loads and an add instead of the slow 80-bit load.
struct Split {
    double hi, lo;
};
constexpr Split SplitOf(Extended c) { return {static_cast<double>(c), static_cast<double>(c - static_cast<double>(c))}; }
[[gnu::always_inline]] inline Extended Load(const Split& s)
{
#if SUMBRIX_X87_ASM
    Extended r;
    // In asm, or the compiler folds the sum back into an 80-bit constant.
    asm("fldl %1\n\tfaddl %2" : "=t"(r) : "m"(s.hi), "m"(s.lo));
    return r;
#else
    return static_cast<Extended>(s.hi) + static_cast<Extended>(s.lo);
#endif
}
// c + v and c * v (the same bits as with the 80-bit constant), c loaded where
// it is used: loaded early, it would be spilled. They take one more x87
// register for a moment (the clobber keeps it free).
[[gnu::always_inline]] inline Extended AddC(const Split& c, Extended v)
{
#if SUMBRIX_X87_ASM
    asm("fldl %1\n\tfaddl %2\n\tfaddp" : "+t"(v) : "m"(c.hi), "m"(c.lo) : "st(7)");
    return v;
#else
    return Load(c) + v;
#endif
}
[[gnu::always_inline]] inline Extended MulC(const Split& c, Extended v)
{
#if SUMBRIX_X87_ASM
    asm("fldl %1\n\tfaddl %2\n\tfmulp" : "+t"(v) : "m"(c.hi), "m"(c.lo) : "st(7)");
    return v;
#else
    return Load(c) * v;
#endif
}
inline constexpr Split kInvPio2s = SplitOf(kInvPio2);
inline constexpr Split kPio2cs = SplitOf(kPio2c);
inline constexpr Split kPio4s = SplitOf(kPio4);
inline constexpr Split S1s = SplitOf(S1);
inline constexpr Split S2s = SplitOf(S2);
inline constexpr Split C2s = SplitOf(C2);
inline constexpr Split C3s = SplitOf(C3);
static_assert(Extended(kInvPio2s.hi) + kInvPio2s.lo == kInvPio2 && Extended(kPio2cs.hi) + kPio2cs.lo == kPio2c &&
              Extended(kPio4s.hi) + kPio4s.lo == kPio4 && Extended(S1s.hi) + S1s.lo == S1 &&
              Extended(S2s.hi) + S2s.lo == S2 && Extended(C2s.hi) + C2s.lo == C2 && Extended(C3s.hi) + C3s.lo == C3);

[[gnu::always_inline]] inline Extended Times(double c, Extended z) { return c * z; }
[[gnu::always_inline]] inline Extended Times(const Split& c, Extended z) { return MulC(c, z); }

// c0 + c1 z + ... + c8 z^8 in pairs (Estrin): a short chain of dependent steps.
template <class T1>
[[gnu::always_inline]] inline Extended Poly8(Extended z, const Split& c0, const T1& c1, double c2, double c3, double c4, double c5, double c6,
                      double c7, double c8)
{
    const Extended z2 = z * z;
    const Extended z4 = z2 * z2;
    const Extended q1 = (c4 + c5 * z) + (z2 * (c6 + c7 * z) + z4 * c8);
    const Extended upper = z4 * q1;
    const Extended q0 = AddC(c0, Times(c1, z)) + z2 * (c2 + c3 * z);
    return q0 + upper;
}

// sin(hi + lo) for |hi| <= pi/4 (a little beyond) and |lo| within hi's last place.
[[gnu::always_inline]] inline Extended SinKernel(Extended hi, Extended lo)
{
    // hi + hi^3 S1 + hi^5 r(z): the terms that do not wait for r are summed
    // while it is computed.
    const Extended z = hi * hi;
    const Extended cube = z * hi;
    const Extended early = MulC(S1s, cube) + lo * (1 - 0.5L * z);
    const Extended fifth = cube * z;
    const Extended r = Poly8(z, S2s, S3, S4, S5, S6, S7, S8, S9, S10);
    return hi + (early + fifth * r);
}

// cos(hi + lo): 1 - z/2 with its rounding error recovered, then the rest.
[[gnu::always_inline]] inline Extended CosKernel(Extended hi, Extended lo)
{
    const Extended z = hi * hi;
    const Extended half = 0.5L * z;
    const Extended w = 1 - half;
    const Extended early = ((1 - w) - half) - hi * lo;
    const Extended q = Poly8(z, C2s, C3s, C4, C5, C6, C7, C8, C9, C10);
    return w + ((z * z) * q + early);
}

// x = k pi/2 + hi + lo with |hi| about pi/4 at most; quadrant = k mod 4. False
// when |x| is too large for the exact products or the remainder too small to
// keep 64 good bits.
[[gnu::always_inline]] inline bool ReduceHalfPi(Extended x, Extended& hi, Extended& lo, unsigned& quadrant)
{
    if (!(std::fabs(x) < 0x1p28L))
        return false;
    const Extended k = (MulC(kInvPio2s, x) + kRoundMagic) - kRoundMagic;
    // k is a whole number: stored as a 64-bit integer exactly. (Reading the
    // low bits of the 80-bit sum instead waits for a store that cannot be
    // forwarded.)
#if SUMBRIX_X87_ASM
    std::int64_t whole;
    asm("fistpll %0" : "=m"(whole) : "t"(k) : "st");
#else
    const auto whole = static_cast<std::int64_t>(k);
#endif
    quadrant = static_cast<unsigned>(whole & 3);
    const Extended r1 = x - k * kPio2a;   // exact
    const Extended w = k * kPio2b;        // exact
    const Extended w3 = MulC(kPio2cs, k);
    // W = w + w3 and its rounding error (|w| > |w3|: exact); hi = r1 - W and
    // its rounding error (two-sum). The errors make lo, computed beside the
    // kernel's own chain, which starts from hi.
    const Extended W = w + w3;
    const Extended wErr = w3 - (W - w);
    hi = r1 - W;
    const Extended v = hi - r1;
    const Extended e = (r1 - (hi - v)) + (-W - v);
    lo = e - wErr;
    return std::fabs(hi) >= 0x1p-30L;
}

} // namespace sincos

[[gnu::always_inline]] inline Extended SinRadInline(Extended x)
{
    if (x == 0)
        return x;   // keeps the sign of zero
    if (std::fabs(x) <= sincos::Load(sincos::kPio4s))
        return sincos::SinKernel(x, 0);
    Extended hi, lo;
    unsigned q;
    if (!sincos::ReduceHalfPi(x, hi, lo, q))
        return sinl(x);
    // One place for each kernel (they are inlined): odd quadrants take the
    // cosine, the upper two the opposite sign.
    const Extended r = (q & 1) ? sincos::CosKernel(hi, lo) : sincos::SinKernel(hi, lo);
    return (q & 2) ? -r : r;
}

[[gnu::always_inline]] inline Extended CosRadInline(Extended x)
{
    if (std::fabs(x) <= sincos::Load(sincos::kPio4s))
        return sincos::CosKernel(x, 0);
    Extended hi, lo;
    unsigned q;
    if (!sincos::ReduceHalfPi(x, hi, lo, q))
        return cosl(x);
    const Extended r = (q & 1) ? sincos::SinKernel(hi, lo) : sincos::CosKernel(hi, lo);
    return ((q + 1) & 2) ? -r : r;
}

// tan x: the quotient of the two kernels on the same reduced argument (the
// cosine's over the sine's, negated, in odd quadrants).
[[gnu::always_inline]] inline Extended TanRadInline(Extended x)
{
    if (x == 0)
        return x;   // keeps the sign of zero
    Extended hi = x, lo = 0;
    unsigned q = 0;
    if (!(std::fabs(x) <= sincos::Load(sincos::kPio4s)) && !sincos::ReduceHalfPi(x, hi, lo, q))
        return tanl(x);
    const Extended s = sincos::SinKernel(hi, lo);
    const Extended c = sincos::CosKernel(hi, lo);
    return (q & 1) ? -c / s : s / c;
}

} // namespace real::builtins
