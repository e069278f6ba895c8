#pragma once
// The exponential, the natural logarithm and the power of two reals in the
// 80-bit type, each within about one unit in the last place (checked against
// 256-bit references in tests/data/math80_reference.txt), and several times
// faster than the C library's expl, logl and powl (powl takes half a
// microsecond). Each works on a table of 256 entries (mathtables.inc and
// mathconstants.inc, written by scripts/gen_mathtables.py).
//
// Exp: x = k ln2/256 + r with |r| <= ln2/512 (ln2/256 held in two parts, so r
// is exact but for a rounding far below its last place); e^x = 2^(k/256) e^r,
// 2^(j/256) from the table in two parts, e^r by its series.
// Ln: x = 2^e m, 1 <= m < 2, halved from 1.5 on; c from the table (12 bits)
// makes m c - 1 = r small and exact in two parts; ln x = e ln2 - ln c +
// ln(1 + r). Next to 1, ln(1 + r) of r = x - 1 alone.
// Pow: e^(y ln x) with ln x in two parts and their product with y in two parts
// (Dekker), so that the exponent is good far below its last place.
// Outside the ranges where these bounds hold (results near overflow or
// underflow, |y ln x| >= 32, numbers that are not finite) the C library
// answers, as before. Where the processor has fused multiply-adds, Ln and Pow
// take the same steps in pairs of doubles (namespace fma below).
#include "engine/real/builtins_sincos.h"   // SUMBRIX_X87_ASM, kRoundMagic
#include "foundation/core/extended.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace real::fastmath {

// Table values in two doubles each: 106 bits, and loaded faster than the
// 80-bit type.
struct ExpEntry {
    double hi;
    double lo;
};
struct LnEntry {
    double hi;   // -ln c, in two parts
    double lo;
    float c;
};
extern const ExpEntry kExpTable[256];
extern const LnEntry kLnTable[256];

#include "engine/real/mathconstants.inc"

namespace detail {

inline constexpr builtins::sincos::Split kThird = builtins::sincos::SplitOf(1.0L / 3);
// Adding 1.5 * 2^12 to 0.75 <= m < 2 rounds it to a multiple of 2^-51.
inline constexpr Extended kSplitter = 0x1.8p12L;
// Veltkamp's constant for halves of 32 bits.
inline constexpr Extended kVeltkamp = 4294967297.0L;

// A whole number held in an Extended, as a 64-bit integer.
[[gnu::always_inline]] inline std::int64_t WholeToInt(Extended k)
{
#if SUMBRIX_X87_ASM
    std::int64_t whole;
    asm("fistpll %0" : "=m"(whole) : "t"(k) : "st");
    return whole;
#else
    return static_cast<std::int64_t>(k);
#endif
}

// v truncated toward zero, for 0 <= v < 2^31.
[[gnu::always_inline]] inline int Truncate(Extended v)
{
#if SUMBRIX_X87_ASM
    std::int32_t t;
    // fisttp truncates whatever the rounding mode (a cast would switch it twice).
    asm("fisttpl %0" : "=m"(t) : "t"(v) : "st");
    return t;
#else
    return static_cast<int>(v);
#endif
}

// 2^m for |m| <= 1000.
[[gnu::always_inline]] inline double Pow2(int m)
{
    const std::uint64_t bits = static_cast<std::uint64_t>(m + 1023) << 52;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// v * 2^m, exact while the result is normal.
[[gnu::always_inline]] inline Extended Scale(Extended v, std::int64_t m)
{
    if (m >= -1000 && m <= 1000) {
        const std::uint64_t bits = static_cast<std::uint64_t>(m + 1023) << 52;
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return v * d;
    }
    return scalbnl(v, static_cast<int>(m));
}

// x = 2^e m, 1 <= m < 2, for x positive and finite (subnormals too).
[[gnu::always_inline]] inline void Decompose(Extended x, Extended& m, Extended& e)
{
#if SUMBRIX_X87_ASM
    asm("fxtract" : "=t"(m), "=u"(e) : "0"(x));
#else
    int ei = 0;
    m = 2 * frexpl(x, &ei);
    e = ei - 1;
#endif
}

// ln(1 + r) - r for |r| <= 2^-8 (a little beyond), within about 2^-73 of r:
// the series to r^9, its tail in pairs (Estrin).
[[gnu::always_inline]] inline Extended Log1pTail(Extended r)
{
    const Extended r2 = r * r;
    const Extended r4 = r2 * r2;
    const Extended p = builtins::sincos::AddC(kThird, -0.25 * r) + r2 * (0.2 + -(1.0 / 6) * r) +
                       r4 * ((1.0 / 7 + -0.125 * r) + r2 * (1.0 / 9));
    return (r2 * r) * p - 0.5L * r2;
}

// ln x = hi + lo (|lo| far below hi's last place but not rounded into it),
// within about 2^-72 of ln x, for x positive and finite. Without Parts, hi
// alone holds ln x rounded (within about one unit: one two-sum less). The
// steps are ordered so that few values are live at once: the x87 stack has
// eight places, and every value spilled is an 80-bit store and load.
template <bool Parts = true>
[[gnu::always_inline]] inline void LnParts(Extended x, Extended& hi, Extended& lo)
{
    const Extended d = x - 1;   // exact from 1/2 to 2
    if (std::fabs(d) < 0x1p-8L) {
        if constexpr (Parts) {
            hi = d;
            lo = Log1pTail(d);
        } else {
            hi = d + Log1pTail(d);
        }
        return;
    }
    // The entry and the exponent from x rounded to a double (its bits are at
    // hand at once; x itself would have to go through memory as 80 bits). The
    // rounding may carry x into the next entry or power of 2: m c - 1 then
    // lies a double's rounding beyond its range, which the series covers.
    Extended m, e;
    int i;
    const double xd = static_cast<double>(x);
    std::uint64_t bits;
    std::memcpy(&bits, &xd, sizeof bits);
    const int biased = static_cast<int>(bits >> 52);   // x > 0: no sign bit
    if (__builtin_expect(biased > 24 && biased < 2022, 1)) {
        i = static_cast<int>((bits >> 44) & 255);
        const int ei = biased - 1023 + (i >= 128 ? 1 : 0);
        m = x * Pow2(-ei);
        e = ei;
    } else {
        Decompose(x, m, e);
        i = Truncate((m - 1) * 256);
        if (i >= 128) {
            m *= 0.5L;
            e += 1;
        }
    }
    const LnEntry& t = kLnTable[i];
    // e ln2 - ln c with its rounding error (a fast two-sum: |e ln2| >= ln c
    // or e = 0), and the small parts beside it.
    const Extended a = e * kLn2Hi;   // exact
    const Extended s = a + t.hi;
    Extended small = (t.hi - (s - a)) + (e * kLn2Lo + t.lo);
    // m c - 1 = rhi + rlo exactly: mhi of 52 bits times c of 12 is exact, and
    // so is mlo (13 bits) times c. ln(1 + rhi + rlo) = ln(1 + rhi) + rlo /
    // (1 + rhi) to within rlo^2.
    const Extended mhi = (m + kSplitter) - kSplitter;
    const Extended rhi = mhi * t.c - 1;
    small += ((m - mhi) * t.c) / (1 + rhi);
    small += Log1pTail(rhi);
    if constexpr (Parts) {
        // s + rhi and its rounding error (a two-sum).
        const Extended u = s + rhi;
        const Extended v = u - s;
        lo = small + ((s - (u - v)) + (rhi - v));
        hi = u;
    } else {
        hi = s + (rhi + small);
    }
}

// e^(x + xlo) for |x| < 11340 (a normal result) and |xlo| within x's last
// place; without xlo when not WithLow (adding a zero is not free).
template <bool WithLow = true>
[[gnu::always_inline]] inline Extended ExpParts(Extended x, Extended xlo = 0)
{
    using builtins::sincos::kRoundMagic;
    const Extended kf = (x * kInvLn2Step + kRoundMagic) - kRoundMagic;
    const std::int64_t k = WholeToInt(kf);
    Extended r = (x - kf * kLn2StepHi) - kf * kLn2StepLo;
    if constexpr (WithLow)
        r += xlo;
    // The table's entry scaled by 2^(k/256 rounded down) while the series is
    // summed (exact: the result is normal).
    const ExpEntry& t = kExpTable[k & 255];
    const Extended hi = Scale(t.hi, k >> 8);
    const Extended lo = Scale(t.lo, k >> 8);
    // e^r - 1 to r^6, in pairs (Estrin): a short chain of dependent steps.
    const Extended r2 = r * r;
    const Extended r4 = r2 * r2;
    const Extended p = r + (r2 * (0.5L + (1.0 / 6) * r) + r4 * ((1.0 / 24 + (1.0 / 120) * r) + r2 * (1.0 / 720)));
    // T (1 + p) with T = hi + lo: lo p is not negligible (lo is a double's
    // remainder), so the whole T multiplies p.
    return hi + (lo + (hi + lo) * p);
}

} // namespace detail

// The logarithm and the power in pairs of doubles with fused multiply-adds
// (fastmath.cpp): the same schemes and tables with a shorter chain of
// dependent steps (a double's add or product takes three or four cycles where
// the 80-bit type's take five, and a fused product gives its rounding error in
// one step), within about 2^-80 before the one rounding to the 80-bit type.
// For processors with FMA only (HasFma); each falls back to the x87 kernels
// outside the range of doubles. The exponential alone stays on the x87: its
// argument's trip to a pair of doubles and back costs what the shorter chain
// saves.
namespace fma {
// ln x for x > 0 finite.
Extended Ln(Extended x);
// x^y for x > 0 finite and y not a whole number.
Extended Pow(Extended x, Extended y);
} // namespace fma

// Whether the processor has fused multiply-adds (asked once).
[[gnu::always_inline]] inline bool HasFma()
{
    static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("fma"));
    return has;
}

// e^x; infinity beyond the range, 0 or a subnormal below it, NaN of NaN.
[[gnu::always_inline]] inline Extended Exp(Extended x)
{
    if (!(std::fabs(x) < 11340))
        return expl(x);
    return detail::ExpParts<false>(x);
}

// ln x for x > 0 finite by the x87 kernel.
[[gnu::always_inline]] inline Extended LnX87(Extended x)
{
    Extended v, unused;
    detail::LnParts<false>(x, v, unused);
    return v;
}

// ln x for x > 0 finite.
[[gnu::always_inline]] inline Extended LnPositive(Extended x)
{
    return HasFma() ? fma::Ln(x) : LnX87(x);
}

// ln x for x > 0 (x finite or not); the caller deals with x <= 0.
[[gnu::always_inline]] inline Extended Ln(Extended x)
{
    if (!(x - x == 0))   // infinity or NaN (a test without the 80-bit load of the largest value)
        return logl(x);
    return LnPositive(x);
}

// Whether |y| < 2^62 is not a whole number (rounded to the nearest whole
// number it changes).
[[gnu::always_inline]] inline bool NotWhole(Extended y)
{
    using builtins::sincos::kRoundMagic;
    const Extended m = std::fabs(y);
    return m < 0x1p62L && (m + kRoundMagic) - kRoundMagic != m;
}

// x^y for x > 0 finite and y not a whole number, ln x = lh + ll (LnParts).
[[gnu::always_inline]] inline Extended PowOfLn(Extended x, Extended y, Extended lh, Extended ll)
{
    const Extended th = y * lh;
    if (!(std::fabs(th) < 32))
        return powl(x, y);   // far from 1, or not finite: the library's care
    // y lh = th + tl exactly (Dekker's product over halves of 32 bits).
    const Extended py = y * detail::kVeltkamp;
    const Extended yh = py - (py - y);
    const Extended yl = y - yh;
    const Extended pl = lh * detail::kVeltkamp;
    const Extended lhh = pl - (pl - lh);
    const Extended lhl = lh - lhh;
    const Extended tl = (((yh * lhh - th) + yh * lhl + yl * lhh) + yl * lhl) + y * ll;
    return detail::ExpParts(th, tl);
}

// x^y for x > 0 finite and y not a whole number by the x87 kernels.
[[gnu::always_inline]] inline Extended PowX87(Extended x, Extended y)
{
    Extended lh, ll;
    detail::LnParts(x, lh, ll);
    return PowOfLn(x, y, lh, ll);
}

// x^y for x > 0 and y not a whole number (the caller deals with the others).
[[gnu::always_inline]] inline Extended Pow(Extended x, Extended y)
{
    if (y == 0.5L)
        return std::sqrt(x);   // the root rounded once
    if (!(x - x == 0))   // infinity or NaN
        return powl(x, y);
    return HasFma() ? fma::Pow(x, y) : PowX87(x, y);
}

} // namespace real::fastmath
