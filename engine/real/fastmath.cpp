#include "engine/real/fastmath.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace real::fastmath {

#include "engine/real/mathtables.inc"

// The kernels in pairs of doubles with fused multiply-adds (see fastmath.h).
// Compiled for processors with FMA; called only when the processor has it.
namespace fma {

namespace {

#define SUMBRIX_FMA_TARGET __attribute__((target("fma")))

// 1/3 in two doubles; the 80-bit constants of mathconstants.inc whose bits
// fit a double (48 and 40 bits).
constexpr double kThirdHi = 1.0 / 3;
constexpr double kThirdLo = static_cast<double>(1.0L / 3 - kThirdHi);
constexpr double kLn2HiD = static_cast<double>(kLn2Hi);
constexpr double kLn2StepHiD = static_cast<double>(kLn2StepHi);
static_assert(kLn2HiD == kLn2Hi && kLn2StepHiD == kLn2StepHi);

struct Pair {
    double hi;
    double lo;
};

// x = hi + lo exactly: hi is x rounded to a double, lo the rest (at most 11
// bits), for x within the range of normal doubles.
[[gnu::always_inline]] inline Pair Split(Extended x)
{
    const double hi = static_cast<double>(x);
    return {hi, static_cast<double>(x - hi)};
}

// a + b = s + e exactly, for |a| >= |b| or a = 0.
[[gnu::always_inline]] SUMBRIX_FMA_TARGET inline Pair FastTwoSum(double a, double b)
{
    const double s = a + b;
    return {s, b - (s - a)};
}

[[gnu::always_inline]] SUMBRIX_FMA_TARGET inline Pair TwoSum(double a, double b)
{
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

[[gnu::always_inline]] SUMBRIX_FMA_TARGET inline double Pow2(std::int64_t m)
{
    return std::bit_cast<double>(static_cast<std::uint64_t>(m + 1023) << 52);
}

// ln(xh + xl) as hi + lo, within about 2^-80 of it relative, for xh + xl the
// 80-bit value x split by Split, 2^-1000 < x < 2^1000. The scheme of
// LnParts: x = 2^e m, 3/4 <= m < 3/2, c from the table (1 for the entries
// next to 1, so that near 1 the result is ln(1 + r) of r = x - 1 exact).
[[gnu::always_inline]] SUMBRIX_FMA_TARGET inline Pair LnPair(double xh, double xl)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(xh);
    const int i = static_cast<int>((bits >> 44) & 255);
    const std::int64_t e = static_cast<std::int64_t>(bits >> 52) - 1023 + (i >= 128 ? 1 : 0);
    const double scale = Pow2(-e);
    const double mh = xh * scale;   // exact: in the entry's range
    const double ml = xl * scale;
    const LnEntry& t = kLnTable[i];
    const double c = t.c;
    // m c - 1 = rh + rl: mh c exact in two parts, its high part minus 1
    // exact (Sterbenz), ml c far below.
    const double p = mh * c;
    const double rh = p - 1;
    const double rl = __builtin_fma(mh, c, -p) + ml * c;
    // r = q + dq, |dq| within q's last place.
    const Pair r = TwoSum(rh, rl);
    const double q = r.hi;
    const double dq = r.lo;
    // ln(1 + r) = q - q^2/2 + q^3/3 - ... + dq / (1 + q): q^2 exact in two
    // parts, q^3 / 3 in two parts, the rest to q^10 in doubles (Estrin).
    const double sq = q * q;
    const double sqe = __builtin_fma(q, q, -sq);
    const double cube = sq * q;
    const double cubee = __builtin_fma(sq, q, -cube) + sqe * q;
    const double third = cube * kThirdHi;
    const double thirde = __builtin_fma(cube, kThirdHi, -third) + (cube * kThirdLo + cubee * kThirdHi);
    const double s4 = sq * sq;
    const double tail = (cube * q) * ((-0.25 + 0.2 * q) + sq * (-1.0 / 6 + (1.0 / 7) * q) +
                                      s4 * ((-0.125 + (1.0 / 9) * q) + sq * -0.1));
    const double corr = dq * ((1 - q) + sq);
    // e ln2 + (-ln c) + q - q^2/2 + third, in order of size.
    const double ed = static_cast<double>(e);
    const double a = ed * kLn2HiD;
    const double ae = __builtin_fma(ed, kLn2HiD, -a);
    const Pair s1 = FastTwoSum(a, t.hi);
    const Pair s2 = FastTwoSum(q, -0.5 * sq);
    const Pair s3 = FastTwoSum(s2.hi, third);
    const Pair s4p = FastTwoSum(s1.hi, s3.hi);
    const double lo = ((ae + ed * kLn2Lo) + (t.lo + s1.lo)) +
                      ((s2.lo + s3.lo + s4p.lo) + ((thirde - 0.5 * sqe) + (corr + tail)));
    return FastTwoSum(s4p.hi, lo);
}

// e^(th + tl) = 2^(k/256) times the result (returned with k), for |th| < 32
// and |tl| within th's last place: the scheme of ExpParts in pairs of
// doubles.
[[gnu::always_inline]] SUMBRIX_FMA_TARGET inline Pair ExpPair(double th, double tl, std::int64_t& k)
{
    const double magic = 0x1.8p52;
    const double kd = th * kInvLn2Step + magic;
    k = static_cast<std::int32_t>(static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(kd)));
    const double kf = kd - magic;
    // th - kf ln2/256: the first part exact (kLn2StepHi has 40 bits and the
    // difference is below 2^-9), the second far below it.
    const double rh = __builtin_fma(-kf, kLn2StepHiD, th);
    const double rl = tl - kf * kLn2StepLo;
    const Pair r = TwoSum(rh, rl);
    const double q = r.hi;
    const double dq = r.lo;
    // e^r - 1 = q + q^2/2 + q dq + dq + q^3/6 + ... + q^7/5040.
    const double sq = q * q;
    const double sqe = __builtin_fma(q, q, -sq);
    const double tail = (sq * q) * ((1.0 / 6 + (1.0 / 24) * q) + sq * ((1.0 / 120 + (1.0 / 720) * q) + sq * (1.0 / 5040)));
    const Pair p = FastTwoSum(q, 0.5 * sq);
    const double pl = p.lo + ((dq + q * dq) + (0.5 * sqe + tail));
    const ExpEntry& t = kExpTable[k & 255];
    // T (1 + p) with T = hi + lo.
    const double m = t.hi * p.hi;
    const double me = __builtin_fma(t.hi, p.hi, -m);
    const Pair s = FastTwoSum(t.hi, m);
    return {s.hi, s.lo + (me + (t.lo + (t.hi * pl + t.lo * p.hi)))};
}

// hi + lo rounded once to the 80-bit type.
[[gnu::always_inline]] inline Extended Join(Pair v)
{
    return static_cast<Extended>(v.hi) + static_cast<Extended>(v.lo);
}

// Whether x (rounded to xh) lies well inside the range of normal doubles.
[[gnu::always_inline]] inline bool DoubleRange(double xh)
{
    const int biased = static_cast<int>(std::bit_cast<std::uint64_t>(xh) >> 52);   // x > 0: no sign bit
    return biased > 24 && biased < 2022;
}

} // namespace

SUMBRIX_FMA_TARGET Extended Ln(Extended x)
{
    const Pair a = Split(x);
    if (__builtin_expect(!DoubleRange(a.hi), 0))
        return LnX87(x);
    return Join(LnPair(a.hi, a.lo));
}

SUMBRIX_FMA_TARGET Extended Pow(Extended x, Extended y)
{
    const Pair a = Split(x);
    if (__builtin_expect(!DoubleRange(a.hi), 0))
        return PowX87(x, y);
    const Pair b = Split(y);
    const Pair l = LnPair(a.hi, a.lo);
    // y ln x = th + tl to far below th's last place.
    const double th = b.hi * l.hi;
    if (__builtin_expect(!(std::fabs(th) < 32), 0))
        return PowX87(x, y);   // far from 1, or not finite: PowOfLn's care
    const double tl = __builtin_fma(b.hi, l.hi, -th) + (b.hi * l.lo + b.lo * l.hi);
    std::int64_t k = 0;
    const Pair v = ExpPair(th, tl, k);
    return detail::Scale(Join(v), k >> 8);
}

} // namespace fma

} // namespace real::fastmath
