#include "engine/real/builtins_math.h"

#include "engine/real/builtins_sincos.h"
#include "engine/real/fastmath.h"

#include "engine/checked.h"
#include "engine/conditional.h"
#include "engine/errors.h"

#include <array>
#include <cmath>
#include <random>
#include <vector>

namespace real::builtins {

namespace {

using checked::add;
using checked::div;
using checked::mul;
using checked::result;
using checked::sub;

// The angle conversions can push a huge argument past the range: that is an
// overflow of the conversion, not an invalid operation of the function after it.
Extended toRad(AngleMode mode, Extended x) { return result(AngleToRad(mode, x)); }
Extended fromRad(AngleMode mode, Extended x) { return result(RadToAngle(mode, x)); }

// 0!, 1!, ..., 1754!, each the product 2 x 3 x ... x n in the same order of
// roundings as a loop would give, built once on first use.
const std::array<Extended, kMaxFactorial + 1>& factorials()
{
    static const std::array<Extended, kMaxFactorial + 1> table = [] {
        std::array<Extended, kMaxFactorial + 1> t{};
        t[0] = 1;
        t[1] = 1;
        for (int i = 2; i <= kMaxFactorial; ++i)
            t[i] = t[i - 1] * i;
        return t;
    }();
    return table;
}

// A probability outside [0, 1] (NaN included) is an invalid argument.
void checkProbability(Extended p)
{
    if (!(p >= 0) || p > 1)
        throw EInvalidArgument();
}

// A count of the hypergeometric distribution: held in 16 bits, so above 65535
// it cannot be a count (and its factorial would overflow anyway).
int64_t round16(Extended x)
{
    int64_t n = RoundCount(x);
    if (n < 0)
        throw EInvalidArgument();
    if (n > 65535)
        throw EOverflow();
    return n;
}

// Counts of "Var", "VarR" and "CmbR": rounded, never negative.
int64_t nonNegativeCount(Extended x)
{
    int64_t n = RoundCount(x);
    if (n < 0)
        throw EInvalidArgument();
    return n;
}

Extended varOf(Extended nv, Extended kv)
{
    int64_t n = nonNegativeCount(nv);
    int64_t k = nonNegativeCount(kv);
    if (k == 0)
        return 1;
    if (k > n)
        return 0;
    // The factors are at least 2 after the first, so the overflow check ends
    // the loop within a few thousand steps whatever n and k are.
    Extended r = 1;
    for (int64_t i = n - k + 1; i <= n; ++i)
        r = mul(r, static_cast<Extended>(i));
    return r;
}

Extended binom(int64_t n, int64_t k, Extended p)
{
    Extended c = Combinations(n, k);
    return mul(mul(c, IntPower(p, k)), IntPower(sub(1, p), n - k));
}

Extended binomNeg(int64_t n, int64_t k, Extended p)
{
    Extended c = Combinations(n - 1, k - 1);
    return mul(mul(c, IntPower(p, k)), IntPower(sub(1, p), n - k));
}

Extended hpGeom(int64_t N, int64_t K, int64_t n, int64_t k)
{
    Extended a = Combinations(K, k);
    Extended b = Combinations(N - K, n - k);
    return div(mul(a, b), Combinations(N, n));
}

Extended poisson(Extended L, int64_t k)
{
    Extended f = IntFactorial(k);
    return div(mul(IntPower(L, k), result(std::exp(-L))), f);
}

// The sum of term(i) for i = lo..hi (0 when hi < lo).
template <class Term>
Extended sumOver(int64_t lo, int64_t hi, Term term)
{
    Extended s = 0;
    for (int64_t i = lo; i <= hi; ++i)
        s = add(s, term(i));
    return s;
}

// The bounds of a cumulative sum written from argument `at` on: both bounds
// when `both`, else the upper one alone (the lower is then 0).
void readRange(ArgList& a, int at, bool both, Extended& lo, Extended& hi)
{
    lo = 0;
    if (both)
        lo = a.value(at++);
    hi = a.value(at);
}

struct Random {
    std::mt19937_64 engine{5489u};
};

Random& randomState()
{
    static Random r;
    return r;
}

} // namespace

// ---- Sine and cosine ---------------------------------------------------------

Extended SinRad(Extended x) { return SinRadInline(x); }
Extended CosRad(Extended x) { return CosRadInline(x); }

// ---- Random numbers --------------------------------------------------------

void RandomState::seed(uint64_t s) { randomState().engine.seed(s); }
void RandomState::reset() { randomState().engine.seed(5489u); }

Extended RandomState::next()
{
    // 64 random bits fill the whole mantissa; the largest value is 1 - 2^-64.
    return static_cast<Extended>(randomState().engine()) * 0x1p-64L;
}

Extended Ale() { return RandomState::next(); }

// ---- Helpers ---------------------------------------------------------------

Extended IntPower(Extended base, int64_t exponent)
{
    const bool negative = exponent < 0;
    return checked::IntPower(base, negative,
                             negative ? 0 - static_cast<uint64_t>(exponent) : static_cast<uint64_t>(exponent));
}

int64_t RoundCount(Extended x)
{
    if (std::isnan(x))
        throw EInvalidOp();
    if (x >= 0x1p62L)
        throw EOverflow();
    if (x <= -0x1p62L)
        throw EInvalidArgument();
    return RoundHalfAway(x);
}

Extended Factorial(Extended x)
{
    if (!(x >= 0))
        throw EInvalidOp();
    if (x > kMaxFactorial + 1)
        throw EOverflow();
    int64_t n = RoundHalfAway(x);
    if (n > kMaxFactorial)
        throw EOverflow();
    return factorials()[static_cast<size_t>(n)];
}

Extended IntFactorial(int64_t n)
{
    if (n < 0)
        throw EInvalidArgument();
    if (n > kMaxFactorial)
        throw EOverflow();
    return factorials()[static_cast<size_t>(n)];
}

Extended Combinations(int64_t a, int64_t b)
{
    Extended fa = IntFactorial(a);
    Extended fb = IntFactorial(b);
    Extended fab = IntFactorial(a - b);
    return div(fa, mul(fb, fab));
}

Extended NormalCdf(Extended x)
{
    Extended ax = std::fabs(x);
    Extended integral;
    if (ax >= 9) {
        integral = 0.5L;
    } else {
        // Composite Boole rule: 100 panels of four steps over [0, |x|].
        Extended h = ax / 400;
        Extended w = 2 * h / 45;
        integral = 0;
        for (int i = 0; i < 100; ++i) {
            Extended x0 = 4 * i * h;
            integral += w * (7 * DNormStd(x0) + 32 * DNormStd(x0 + h) + 12 * DNormStd(x0 + 2 * h)
                             + 32 * DNormStd(x0 + 3 * h) + 7 * DNormStd(x0 + 4 * h));
        }
    }
    return x >= 0 ? 0.5L + integral : 1 - (0.5L + integral);
}

// ---- One-argument functions ------------------------------------------------

Extended Sin(AngleMode mode, Extended x) { return result(SinRad(toRad(mode, x))); }
Extended Cos(AngleMode mode, Extended x) { return result(CosRad(toRad(mode, x))); }
Extended Tan(AngleMode mode, Extended x) { return result(TanRadInline(toRad(mode, x))); }

Extended ArcSin(AngleMode mode, Extended x) { return fromRad(mode, result(std::asin(x))); }
Extended ArcCos(AngleMode mode, Extended x) { return fromRad(mode, result(std::acos(x))); }
Extended ArcTan(AngleMode mode, Extended x) { return fromRad(mode, result(std::atan(x))); }

Extended Gms(AngleMode mode, Extended x) { return fromRad(mode, result(DmsToRad(x))); }
Extended GmsRad(Extended x) { return result(DmsToRad(x)); }
Extended RadGms(Extended x) { return result(RadToDms(x)); }

Extended Sinh(AngleMode mode, Extended x) { return result(std::sinh(toRad(mode, x))); }
Extended Cosh(AngleMode mode, Extended x) { return result(std::cosh(toRad(mode, x))); }
Extended Tanh(AngleMode mode, Extended x) { return result(std::tanh(toRad(mode, x))); }

Extended ArcSinh(AngleMode mode, Extended x) { return fromRad(mode, result(std::asinh(x))); }
Extended ArcCosh(AngleMode mode, Extended x) { return fromRad(mode, result(std::acosh(x))); }

Extended ArcTanh(AngleMode mode, Extended x)
{
    // arctanh x = ln((1 + x) / (1 - x)) / 2: at +-1 that is a logarithm of 0 or a
    // division by 0, a division by zero either way; beyond, the logarithm of a
    // negative number.
    Extended ax = std::fabs(x);
    if (ax == 1)
        throw EZeroDivide();
    if (ax > 1)
        throw EInvalidOp();
    return fromRad(mode, result(std::atanh(x)));
}

Extended Rcp(Extended x) { return div(1, x); }

Extended Ln(Extended x)
{
    if (x == 0)
        throw EZeroDivide();
    if (x < 0)
        throw EInvalidOp();
    return result(fastmath::Ln(x));
}

Extended Log(Extended x)
{
    if (x == 0)
        throw EZeroDivide();
    if (x < 0)
        throw EInvalidOp();
    return result(std::log10(x));
}

Extended Sqr(Extended x) { return mul(x, x); }

Extended Sqrt(Extended x) { return SqrtInline(x); }

Extended Exp(Extended x) { return result(fastmath::Exp(x)); }
Extended Exp10(Extended x) { return result(std::pow(10.0L, x)); }
Extended Abs(Extended x) { return std::fabs(x); }
Extended Int(Extended x) { return std::trunc(x); }

Extended Rd(Extended x)
{
    // Twice the fraction is at least 1 from one half on: one more unit, with the
    // sign of x. Kept in Extended so that no size of x limits it.
    Extended i = std::trunc(x);
    return std::trunc(2 * (x - i)) + i;
}

Extended Frac(Extended x) { return x - std::trunc(x); }
Extended Fact(Extended x) { return Factorial(x); }

Extended DNormStd(Extended x) { return result(std::exp(-mul(x, x) / 2) * kInvSqrt2Pi); }

// ---- Functions of several arguments ----------------------------------------

// The conditionals of every engine (engine/conditional.h): a value above 0 is
// true.
namespace {
bool AboveZero(Extended v) { return v > 0; }
} // namespace

Extended Si(ArgList& a)
{
    return exprcore::ConditionalValue([&a](int i) { return a.value(i); }, AboveZero);
}

Extended Sim(ArgList& a)
{
    return exprcore::ConditionalSequenceValue(
        static_cast<std::size_t>(a.count()), [&a](std::size_t i) { return a.value(static_cast<int>(i)); },
        AboveZero);
}

Extended Hipot(ArgList& a)
{
    Extended x = a.value(0);
    Extended y = a.value(1);
    // hypot does not overflow on the squares when the result itself fits.
    return result(std::hypot(x, y));
}

Extended Ang(AngleMode mode, ArgList& a)
{
    Extended x = a.value(0);
    Extended y = a.value(1);
    return fromRad(mode, std::atan2(y, x));
}

// Max and Min look at the first argument, then from the last down to the
// second, and take an argument when `better` prefers it to the current value.
// Each argument is evaluated once: evaluating it again to take it would let a
// random argument give a value that was never compared.
template <class Better>
Extended extremum(ArgList& a, Better better)
{
    Extended r = a.value(0);
    for (int i = a.count() - 1; i >= 1; --i) {
        Extended v = a.value(i);
        if (better(v, r))
            r = v;
    }
    return r;
}

Extended Max(ArgList& a) { return extremum(a, [](Extended v, Extended r) { return r < v; }); }
Extended Min(ArgList& a) { return extremum(a, [](Extended v, Extended r) { return r > v; }); }

Extended Suma(ArgList& a)
{
    Extended s = 0;
    for (int i = a.count() - 1; i >= 0; --i)
        s = add(s, a.value(i));
    return s;
}

Extended Prom(ArgList& a) { return div(Suma(a), a.count()); }

Extended Resto(ArgList& a)
{
    Extended x = a.value(0);
    Extended y = a.value(1);
    return sub(x, mul(std::trunc(div(x, y)), y));
}

Extended Poli(ArgList& a)
{
    Extended x = a.value(0);
    Extended r = a.value(1);
    for (int i = 2; i < a.count(); ++i)
        r = add(r, mul(IntPower(x, i - 1), a.value(i)));
    return r;
}

Extended PrmR(ArgList& a)
{
    int count = a.count();
    std::vector<Extended> v(static_cast<size_t>(count));
    Extended sum = 0;
    for (int i = 0; i < count; ++i) {
        v[i] = a.value(i);
        sum = add(sum, v[i]);
    }
    Extended n = v[0];
    if (!(n >= sub(sum, n)))
        throw EInvalidOp();
    Extended r = Factorial(n);
    for (int i = count - 1; i >= 1; --i)
        r = div(r, Factorial(v[i]));
    return r;
}

Extended Var(ArgList& a)
{
    Extended n = a.value(0);
    Extended k = a.value(1);
    return varOf(n, k);
}

Extended VarR(ArgList& a)
{
    int64_t n = nonNegativeCount(a.value(0));
    int64_t k = nonNegativeCount(a.value(1));
    return IntPower(static_cast<Extended>(n), k);
}

Extended Cmb(ArgList& a)
{
    Extended k = a.value(1);
    Extended fk = Factorial(k);
    Extended n = a.value(0);
    return div(varOf(n, k), fk);
}

Extended CmbR(ArgList& a)
{
    int64_t n = nonNegativeCount(a.value(0));
    int64_t k = nonNegativeCount(a.value(1));
    // The sum is formed in Extended: no count is too large to add.
    Extended top = Factorial(static_cast<Extended>(n) + static_cast<Extended>(k) - 1);
    Extended fk = Factorial(static_cast<Extended>(k));
    Extended fn = Factorial(static_cast<Extended>(n) - 1);
    return div(top, mul(fk, fn));
}

Extended DNormal(ArgList& a)
{
    Extended x = a.value(0);
    Extended m = a.value(1);
    Extended s = a.value(2);
    // The density 1/(s sqrt(2 pi)) e^(-(x-m)^2 / (2 s^2)). A deviation of 0
    // divides by zero; a negative one has no density (the square root of the
    // variance it stands for would be taken of a negative number).
    if (s == 0)
        throw EZeroDivide();
    if (s < 0)
        throw EInvalidOp();
    Extended d = sub(x, m);
    Extended q = div(mul(d, d), mul(2, mul(s, s)));
    return result(div(kInvSqrt2Pi, s) * std::exp(-q));
}

Extended DNormalA(ArgList& a)
{
    if (a.count() == 3) {
        Extended x = a.value(0);
        Extended m = a.value(1);
        Extended s = a.value(2);
        return NormalCdf(div(sub(x, m), s));
    }
    Extended lo = a.value(0);
    Extended hi = a.value(1);
    Extended m = a.value(2);
    Extended s = a.value(3);
    return std::fabs(NormalCdf(div(sub(hi, m), s)) - NormalCdf(div(sub(lo, m), s)));
}

Extended DNormStdA(ArgList& a)
{
    Extended x = a.value(0);
    if (a.count() == 1)
        return NormalCdf(x);
    Extended y = a.value(1);
    return std::fabs(NormalCdf(x) - NormalCdf(y));
}

Extended DBinom(ArgList& a)
{
    Extended n = a.value(0);
    Extended k = a.value(1);
    Extended p = a.value(2);
    checkProbability(p);
    return binom(RoundCount(n), RoundCount(k), p);
}

// The sums below stop by themselves: a term beyond the counts that make sense
// raises invalid argument, one past 1754 overflows.
Extended DBinomA(ArgList& a)
{
    Extended n = a.value(0);
    Extended k1, k2;
    readRange(a, 1, a.count() == 4, k1, k2);
    Extended p = a.value(a.count() - 1);
    checkProbability(p);
    int64_t nn = RoundCount(n);
    int64_t hi = RoundCount(k2);
    return sumOver(RoundCount(k1), hi, [&](int64_t i) { return binom(nn, i, p); });
}

Extended DBinomNeg(ArgList& a)
{
    Extended n = a.value(0);
    Extended k = a.value(1);
    Extended p = a.value(2);
    checkProbability(p);
    return binomNeg(RoundCount(n), RoundCount(k), p);
}

Extended DBinomNegA(ArgList& a)
{
    Extended lo, hi, k, p;
    if (a.count() == 3) {
        hi = a.value(0);
        k = a.value(1);
        p = a.value(2);
        lo = k;
    } else {
        lo = a.value(0);
        hi = a.value(1);
        k = a.value(2);
        p = a.value(3);
    }
    checkProbability(p);
    int64_t kk = RoundCount(k);
    int64_t last = RoundCount(hi);
    return sumOver(RoundCount(lo), last, [&](int64_t m) { return binomNeg(m, kk, p); });
}

Extended DHpGeom(ArgList& a)
{
    int64_t N = round16(a.value(0));
    int64_t K = round16(a.value(1));
    int64_t n = round16(a.value(2));
    int64_t k = round16(a.value(3));
    return hpGeom(N, K, n, k);
}

Extended DHpGeomA(ArgList& a)
{
    int64_t N = round16(a.value(0));
    int64_t K = round16(a.value(1));
    int64_t n = round16(a.value(2));
    int64_t lo = 0, hi;
    if (a.count() == 4) {
        hi = round16(a.value(3));
    } else {
        lo = round16(a.value(3));
        hi = round16(a.value(4));
    }
    return sumOver(lo, hi, [&](int64_t i) { return hpGeom(N, K, n, i); });
}

Extended DPoisson(ArgList& a)
{
    Extended L = a.value(0);
    Extended k = a.value(1);
    return poisson(L, RoundCount(k));
}

Extended DPoissonA(ArgList& a)
{
    Extended L = a.value(0);
    Extended k1, k2;
    readRange(a, 1, a.count() == 3, k1, k2);
    int64_t hi = RoundCount(k2);
    return sumOver(RoundCount(k1), hi, [&](int64_t i) { return poisson(L, i); });
}

} // namespace real::builtins
