#include "engine/formatonum.h"

#include "engine/bases.h"
#include "engine/checked.h"
#include "engine/errors.h"
#include "foundation/core/format.h"

#include <QStringList>

#include <charconv>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace numfmt {

namespace {

bool fitsInt32(std::int64_t v)
{
    return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
}

// A convergent in 64 bits, or none when it passed the limit.
struct Convergent {
    std::int64_t num = 0;
    std::int64_t den = 1;
    bool tooLarge = false;
};

// The convergent of x >= 0 with at most `terms` partial quotients. Terms are
// 64-bit (a remainder near 1e-13 gives a term near 1e13); as soon as a term
// or the denominator passes `limit`, or the numerator leaves 32 bits, the
// convergent is reported too large, since every later one is larger still.
Convergent convergent(int terms, Extended x, std::int64_t limit)
{
    Convergent c;
    if (terms < 1)
        return c; // no quotient at all: 0/1
    // p/q run through the usual recurrences; they equal a1 + 1/(a2 + 1/(... + 1/an)) reduced.
    std::int64_t p0 = 0, q0 = 1; // the two seeds of the recurrences
    std::int64_t p1 = 1, q1 = 0;
    bool first = true;
    for (int i = 0; i < terms; ++i) {
        const Extended whole = truncl(x);
        if (!(whole < 9.2e18L))
            return {0, 1, true};
        const auto a = static_cast<std::int64_t>(whole);
        if (!first && a > limit)
            return {0, 1, true};
        const Extended r = x - whole;
        const __int128 p = static_cast<__int128>(a) * p1 + p0;
        const __int128 q = static_cast<__int128>(a) * q1 + q0;
        if (q > limit || p > std::numeric_limits<std::int32_t>::max())
            return {0, 1, true};
        p0 = p1;
        q0 = q1;
        p1 = static_cast<std::int64_t>(p);
        q1 = static_cast<std::int64_t>(q);
        first = false;
        if (r < 1e-13L)
            break;
        x = 1 / r;
    }
    c.num = p1;
    c.den = q1;
    return c;
}

} // namespace

std::int64_t Gcd(std::int64_t a, std::int64_t b)
{
    // Magnitudes as unsigned so that the most negative value has one.
    std::uint64_t x = a < 0 ? 0ULL - static_cast<std::uint64_t>(a) : static_cast<std::uint64_t>(a);
    std::uint64_t y = b < 0 ? 0ULL - static_cast<std::uint64_t>(b) : static_cast<std::uint64_t>(b);
    while (y != 0) {
        const std::uint64_t r = x % y;
        x = y;
        y = r;
    }
    return static_cast<std::int64_t>(x);
}

void TFrac::Reduce()
{
    if (Num == 0) {
        Den = 1;
        return;
    }
    const std::int64_t g = Gcd(Den, std::int64_t{Num} < 0 ? -std::int64_t{Num} : std::int64_t{Num});
    if (g > 1) {
        Num = static_cast<std::int32_t>(Num / g);
        Den = static_cast<std::int32_t>(Den / g);
    }
}

void TFrac::Reciprocal()
{
    const std::int64_t oldNum = Num;
    if (oldNum < 0) {
        // -(-2^31) has no 32-bit counterpart.
        if (!fitsInt32(-oldNum))
            throw EOverflow();
        Num = -Den;
        Den = static_cast<std::int32_t>(-oldNum);
    } else {
        Num = Den;
        Den = static_cast<std::int32_t>(oldNum);
    }
}

void TFrac::Add(const TFrac& other)
{
    // In 64 bits, reduced before narrowing: the products of two 32-bit
    // fractions overflow 32 bits long before the reduced sum does.
    std::int64_t n = std::int64_t{Num} * other.Den + std::int64_t{other.Num} * Den;
    std::int64_t d = std::int64_t{Den} * other.Den;
    if (n == 0) {
        d = 1;
    } else {
        const std::int64_t g = Gcd(d, n);
        n /= g;
        d /= g;
    }
    if (!fitsInt32(n) || !fitsInt32(d))
        throw EOverflow();
    Num = static_cast<std::int32_t>(n);
    Den = static_cast<std::int32_t>(d);
}

TFrac ContinuedFraction(int terms, Extended x)
{
    if (!std::isfinite(x))
        throw EInvalidOp();
    const bool negative = x < 0;
    const Convergent c = convergent(terms, negative ? -x : x, std::numeric_limits<std::int32_t>::max());
    if (c.tooLarge)
        throw EOverflow();
    TFrac f(static_cast<std::int32_t>(negative ? -c.num : c.num), static_cast<std::int32_t>(c.den));
    return f;
}

TFrac FloatToFrac(std::int32_t maxDen, Extended x)
{
    if (!std::isfinite(x))
        throw EInvalidOp();
    if (maxDen < 1)
        maxDen = 1;
    const Extended ax = fabsl(x);
    if (1.0L / maxDen > ax)
        return TFrac(0, 1);
    const Extended whole = truncl(ax);
    if (whole > std::numeric_limits<std::int32_t>::max())
        throw EOverflow();
    TFrac current(static_cast<std::int32_t>(whole), 1);
    // Each convergent has at least the denominator of the one before, so the
    // walk ends at the first one past maxDen or when the expansion ends.
    for (int k = 2;; ++k) {
        const Convergent c = convergent(k, ax, maxDen);
        if (c.tooLarge || c.den > maxDen)
            break;
        const TFrac f(static_cast<std::int32_t>(c.num), static_cast<std::int32_t>(c.den));
        if (f == current)
            break;
        current = f;
    }
    if (x < 0)
        current.Num = -current.Num;
    return current;
}

} // namespace numfmt

QString TFormatoNum::Format(Extended x)
{
    Error = true;
    std::uint8_t mode = Mode;
    // NaN and the infinities have no fraction: written as the rounded form writes them.
    if ((mode == nfFraction || mode == nfMixedFraction) && !(fabsl(x) <= MaxDenominator))
        mode = nfRounded;
    QString text;
    switch (mode) {
    case nfFraction: {
        const numfmt::TFrac f = numfmt::FloatToFrac(MaxDenominator, x);
        text = f.Den == 1 ? IntToStr(f.Num) : ::Format(QStringLiteral("%d|%d"), {f.Num, f.Den});
        break;
    }
    case nfMixedFraction: {
        const numfmt::TFrac f = numfmt::FloatToFrac(MaxDenominator, x);
        const std::int32_t w = f.Num / f.Den;
        if (f.Den == 1)
            text = IntToStr(f.Num);
        else if (w != 0)
            text = ::Format(QStringLiteral("%d|%d|%d"), {w, std::abs(f.Num) % f.Den, f.Den});
        else
            text = ::Format(QStringLiteral("%d|%d"), {f.Num, f.Den});
        break;
    }
    case nfRounded:
        text = FloatToStrF(x, FloatFormat::General, Digits, Digits);
        break;
    default: // nfFloat, and any mode the formatter does not know
        text = FloatToStr(x);
        break;
    }
    Error = false;
    return text;
}

namespace {

// A number whose fractional part is zero, as the fraction forms want their parts.
bool readInteger(const QString& text, Extended& value)
{
    Extended v = 0;
    if (!TryStrToFloat(text, v) || v != truncl(v))
        return false;
    value = v;
    return true;
}

// The denominators may not be zero: integer-looking text divided by zero is a
// division by zero, whatever the numerator.
Extended divideByDenominator(Extended numerator, Extended denominator)
{
    if (denominator == 0)
        throw EZeroDivide();
    return checked::div(numerator, denominator);
}

} // namespace

Extended TFormatoNum::Parse(const QString& text)
{
    Error = false;
    Overflow = false;
    const QString s = RemoveBlanks(text);
    if (s.isEmpty())
        return 0;
    const int len = s.size();
    // Each bar from the second character to the one before last, in order.
    for (int j = 1; j < len - 1; ++j) {
        if (s[j] != '|')
            continue;
        Extended before = 0;
        if (!TryStrToFloat(QStringView(s).left(j), before) || fabsl(before - truncl(before)) >= 1e-15L)
            continue;
        const Extended w = truncl(before);
        const QString after = s.mid(j + 1);
        Extended d = 0;
        if (readInteger(after, d))
            return divideByDenominator(w, d); // n|d
        Extended ignored = 0;
        const int e = ValFloat(after, ignored); // 1-based position of the first refused character
        if (e >= 1 && e <= after.size() && after[e - 1] == '|') {
            Extended m = 0;
            if (readInteger(after.left(e - 1), m) && readInteger(after.mid(e), d)) {
                // w|n|d; the numerator is subtracted for any whole part not above 0.
                const Extended wd = checked::mul(w, d);
                return divideByDenominator(w > 0 ? checked::add(wd, m) : checked::sub(wd, m), d);
            }
        }
    }
    Extended v = 0;
    bool overflow = false;
    if (TryStrToFloat(s, v, &overflow))
        return v;
    // A fraction whose parts are numbers too large to hold is too large too.
    if (!overflow) {
        for (const QString& part : s.split(QLatin1Char('|'))) {
            bool partOverflow = false;
            Extended ignored = 0;
            if (!TryStrToFloat(part, ignored, &partOverflow) && partOverflow)
                overflow = true;
        }
    }
    Overflow = overflow;
    Error = true;
    return 0;
}

Extended TFormatoNum::ParseValue(const QString& text)
{
    const Extended v = Parse(text);
    if (Overflow)
        throw EOverflow();
    if (Error || RemoveBlanks(text).isEmpty())
        throw EConvertError(::Format(QStringLiteral("'%s' no es un valor decimal válido"), {text}));
    return v;
}

namespace {

// Text that a polynomial or a cell reads as a number: no exponent letter.
bool onlyNumberCharacters(const QString& text)
{
    for (QChar ch : text)
        if (!(ch.isDigit() || ch == QLatin1Char('.') || ch == QLatin1Char('|') || ch == QLatin1Char('-')))
            return false;
    return !text.isEmpty();
}

} // namespace

QString TFormatoNum::FormatExact(Extended x)
{
    if (!std::isfinite(x))
        return Format(x);
    const QString text = Format(x);
    if (onlyNumberCharacters(text)) {
        const bool wasError = Error, wasOverflow = Overflow;
        bool same = false;
        try {
            // Rounding residues of the arithmetic (a few units in the last
            // place) do not keep a fraction such as 1|9 from being shown.
            same = fabsl(Parse(text) - x) <= fabsl(x) * 0x1p-56L && !Error;
        } catch (const EMathError&) {
        }
        Error = wasError;
        Overflow = wasOverflow;
        if (same)
            return text;
    }
    return ExactDecimalText(x);
}

namespace {

// The power of ten of the first significant digit of x (x finite, not 0).
int DecimalExponent(Extended x)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 21);
    const std::string s(buf, r.ptr);
    return std::stoi(s.substr(s.find('e') + 1));
}

} // namespace

Extended RoundToDataPrecision(Extended x, Extended scale)
{
    if (x == 0 || !std::isfinite(x) || !std::isfinite(scale))
        return x;
    scale = std::max(fabsl(scale), fabsl(x));
    const int place = DecimalExponent(scale) - 17;   // the digit kept last
    const int first = DecimalExponent(x);
    const int digits = first - place;                   // digits after the first one
    if (digits < -1)
        return 0;
    char buf[96];
    std::to_chars_result r;
    if (digits == -1) {
        // Below one unit of the last place: 0, or one unit when at least half of it.
        const auto unit = std::to_chars(buf, buf + sizeof buf, 1);
        std::string text(buf, unit.ptr);
        text += 'e' + std::to_string(place);
        Extended one = 0;
        TryStrToFloat(QString::fromLatin1(text), one);
        return fabsl(x) >= one / 2 ? std::copysign(one, x) : Extended(0);
    }
    r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, digits);
    Extended rounded = x;
    if (r.ec == std::errc() && TryStrToFloat(QString::fromLatin1(buf, int(r.ptr - buf)), rounded))
        return rounded;
    return x;
}

QString ExactDecimalText(Extended x)
{
    if (!std::isfinite(x))
        return FloatToStr(x);
    if (x == 0)
        return QStringLiteral("0");
    // "d.ddddde±x": the shortest digits that read back as x, and the power of
    // ten of the first one.
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific);
    const std::string sci(buf, r.ptr);
    const std::size_t e = sci.find('e');
    std::string mantissa = sci.substr(0, e);
    const int exponent = std::stoi(sci.substr(e + 1));
    const bool negative = mantissa[0] == '-';
    if (negative)
        mantissa.erase(0, 1);
    std::string digits;
    for (char c : mantissa)
        if (c != '.')
            digits += c;
    // digits[0] stands for 10^exponent.
    std::string out;
    if (exponent < 0) {
        out = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else if (static_cast<std::size_t>(exponent) + 1 >= digits.size()) {
        out = digits + std::string(static_cast<std::size_t>(exponent) + 1 - digits.size(), '0');
    } else {
        out = digits.substr(0, static_cast<std::size_t>(exponent) + 1) + '.' +
              digits.substr(static_cast<std::size_t>(exponent) + 1);
    }
    return QString::fromLatin1((negative ? "-" : "") + out);
}

TFormatoNum& NumberFormat()
{
    static TFormatoNum shared;
    return shared;
}

void ResetNumberFormat()
{
    NumberFormat() = TFormatoNum();
}
