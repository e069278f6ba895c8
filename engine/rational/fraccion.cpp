#include "engine/rational/fraccion.h"

#include "engine/checked.h"
#include "engine/errors.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/format.h"

#include <cmath>
#include <limits>

namespace rational {

namespace {

using i128 = __int128;
using u128 = unsigned __int128;

constexpr i128 kMaxNum = std::numeric_limits<int64_t>::max();
constexpr i128 kMaxDen = std::numeric_limits<uint32_t>::max();

u128 gcd128(u128 a, u128 b)
{
    while (b != 0) {
        u128 t = a % b;
        a = b;
        b = t;
    }
    return a;
}

// A zero denominator under a non-zero numerator: the integer division by zero
// of the reduction, which the rational engine reports with its codes for other
// failures (not the floating-point zero-divide).
[[noreturn]] void zeroDenominator()
{
    throw EIntDivByZero();
}

// Infinity and NaN have no fraction: refused as the processor would have
// refused them (overflow, invalid operation).
void requireFinite(Extended x)
{
    checked::result(x);
}

// a^n by squaring (checked::IntPower), so that an exponent of two thousand
// million takes some thirty steps. A negative n goes through the reciprocal of
// |a|^|n|: when that is too small to hold, its reciprocal is beyond the range
// (an overflow); when it is too large, the reciprocal is below any fraction.
Extended intPower(Extended a, int64_t n)
{
    const uint64_t m = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    return checked::IntPower(a, n < 0, m, checked::TinyPower::Overflow);
}

// The real power: 0 exponent 1; 0 base 0 or, with a negative exponent, a
// division by zero; integral exponents within 32 bits by multiplication (any
// base); the rest through the logarithm, which refuses a negative base.
Extended floatPower(Extended a, Extended b)
{
    if (b == 0)
        return 1;
    if (a == 0) {
        if (b > 0)
            return 0;
        throw EZeroDivide();
    }
    if (b == truncl(b) && fabsl(b) <= std::numeric_limits<int32_t>::max())
        return intPower(a, static_cast<int64_t>(b));
    if (a < 0)
        throw EInvalidOp();
    return checked::result(powl(a, b));
}

} // namespace

FracSettings& fracSettings()
{
    static FracSettings settings;
    return settings;
}

TFrac::TFrac(int64_t num, int64_t den)
{
    assign(num, den);
}

void TFrac::assign(i128 n, i128 d)
{
    if (n == 0) {
        num_ = 0;
        den_ = 1;
        return;
    }
    if (d == 0)
        zeroDenominator();
    if (d < 0) {
        n = -n;
        d = -d;
    }
    u128 g = gcd128(static_cast<u128>(n < 0 ? -n : n), static_cast<u128>(d));
    n /= static_cast<i128>(g);
    d /= static_cast<i128>(g);
    // -2^63 is left out as well, so that negating a numerator is always safe.
    if (d > kMaxDen || n > kMaxNum || n < -kMaxNum)
        throw EOverflow();
    num_ = static_cast<int64_t>(n);
    den_ = static_cast<uint32_t>(d);
}

TFrac& TFrac::Add(const TFrac& other)
{
    assign(i128(num_) * other.den_ + i128(other.num_) * den_, i128(den_) * other.den_);
    return *this;
}

TFrac& TFrac::Subtract(const TFrac& other)
{
    assign(i128(num_) * other.den_ - i128(other.num_) * den_, i128(den_) * other.den_);
    return *this;
}

TFrac& TFrac::Multiply(const TFrac& other)
{
    assign(i128(num_) * other.num_, i128(den_) * other.den_);
    return *this;
}

TFrac& TFrac::Divide(const TFrac& other)
{
    assign(i128(num_) * other.den_, i128(den_) * other.num_);
    return *this;
}

TFrac& TFrac::Reciprocal()
{
    if (num_ == 0)
        zeroDenominator();
    // Already reduced, so only the range of the new denominator needs checking.
    i128 n = num_ < 0 ? -i128(den_) : i128(den_);
    i128 d = num_ < 0 ? -i128(num_) : i128(num_);
    if (d > kMaxDen)
        throw EOverflow();
    num_ = static_cast<int64_t>(n);
    den_ = static_cast<uint32_t>(d);
    return *this;
}

TFrac& TFrac::Power(const TFrac& exponent)
{
    Extended y = floatPower(ToFloat(), exponent.ToFloat());
    *this = FloatToFrac(fracSettings().FracMaxDenominator, y);
    return *this;
}

TFrac& TFrac::Root(const TFrac& index)
{
    Extended b = checked::div(1, index.ToFloat());
    Extended y = floatPower(ToFloat(), b);
    *this = FloatToFrac(fracSettings().FracMaxDenominator, y);
    return *this;
}

Extended TFrac::ToFloat() const
{
    return static_cast<Extended>(num_) / static_cast<Extended>(den_);
}

uint32_t Gcd(uint64_t a, uint32_t b)
{
    if (b == 0)
        zeroDenominator();
    return static_cast<uint32_t>(gcd128(a, b));
}

TFrac ContinuedFraction(uint8_t terms, Extended x)
{
    requireFinite(x);
    if (terms == 0)
        throw EInvalidArgument();
    int64_t a[256];
    int k = 0;
    for (int i = 0; i < terms; ++i) {
        Extended whole = truncl(x);
        if (!(fabsl(whole) < kTwo63))
            throw EOverflow();
        a[k++] = static_cast<int64_t>(whole);
        Extended f = x - whole;
        if (f < 1e-13L)
            break;
        x = 1 / f;
    }
    // A single term of 0 has no reciprocal to start from.
    if (k == 1 && a[0] == 0)
        zeroDenominator();
    // a1 + 1/(a2 + 1/(... + 1/ak)), from the last term backwards. Starting from
    // ak/1 rather than 1/ak keeps a large last term from overflowing the
    // denominator before it is turned over.
    TFrac r(a[k - 1]);
    for (int i = k - 2; i >= 0; --i) {
        r.Reciprocal();
        r.Add(TFrac(a[i]));
    }
    return r;
}

TFrac FloatToFrac(uint32_t maxDen, Extended x)
{
    requireFinite(x);
    if (maxDen == 0)
        maxDen = fracSettings().FracMaxDenominator;
    Extended ax = fabsl(x);
    if (ax < checked::div(0.5L, maxDen))
        return TFrac();
    Extended whole = truncl(ax);
    if (!(whole < kTwo63))
        throw EOverflow();
    TFrac best(static_cast<int64_t>(whole));
    for (int n = 2; n <= std::numeric_limits<uint8_t>::max(); ++n) {
        TFrac c;
        try {
            c = ContinuedFraction(static_cast<uint8_t>(n), ax);
        } catch (const Exception&) {
            break;
        }
        if (c.Den() > maxDen || c == best)
            break;
        best = c;
    }
    if (x < 0)
        best = TFrac(-best.Num(), best.Den());
    return best;
}

QString FracToStr(const TFrac& f)
{
    if (f.Den() == 1)
        return IntToStr(f.Num());
    const int64_t whole = f.IntPart();
    if (fracSettings().MixedFractions && whole != 0) {
        const int64_t rest = f.FracNumerator();
        return Format(QStringLiteral("%d|%d|%d"), {whole, rest < 0 ? -rest : rest, f.Den()});
    }
    return Format(QStringLiteral("%d|%d"), {f.Num(), f.Den()});
}

} // namespace rational
