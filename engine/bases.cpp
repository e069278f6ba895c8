#include "engine/bases.h"

#include "engine/errors.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/format.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

const QString kUnrecognised = QStringLiteral("Error de sintaxis (Caracter no reconocido)");
const QString kBaseRange = QStringLiteral("Base de numeración debe estar entre 2 y 36 inclusive");

void requireBase(int base)
{
    if (base < 2 || base > 36)
        throw EInvalidArgument(kBaseRange);
}

// Digit values, most significant first, of the non-negative integral value v.
// Works for every finite magnitude: the value is taken apart from its binary
// mantissa and exponent, so nothing is narrowed to a 64-bit integer on the way
// (integer parts from 2^63 up are common in bases above 10).
std::vector<int> integerDigits(int base, Extended v)
{
    std::vector<int> out;
    if (v < 1) {
        out.push_back(0);
        return out;
    }
    int e = 0;
    const Extended m = frexpl(v, &e); // v = m * 2^e, m in [0.5, 1)
    const auto mant = static_cast<unsigned long long>(ldexpl(m, 64));
    if (e <= 64) {
        unsigned long long n = mant >> (64 - e);
        while (n != 0) {
            out.push_back(static_cast<int>(n % static_cast<unsigned>(base)));
            n /= static_cast<unsigned>(base);
        }
    } else {
        // mant << (e - 64) as 32-bit limbs, least significant first.
        const int shift = e - 64;
        std::vector<std::uint32_t> limbs(static_cast<size_t>(shift / 32) + 3, 0);
        const int word = shift / 32, bit = shift % 32;
        unsigned __int128 wide = static_cast<unsigned __int128>(mant) << bit;
        for (int k = 0; k < 3; ++k)
            limbs[static_cast<size_t>(word + k)] = static_cast<std::uint32_t>(wide >> (32 * k));
        while (!limbs.empty() && limbs.back() == 0)
            limbs.pop_back();
        while (!limbs.empty()) {
            std::uint64_t rem = 0;
            for (size_t i = limbs.size(); i-- > 0;) {
                const std::uint64_t cur = (rem << 32) | limbs[i];
                limbs[i] = static_cast<std::uint32_t>(cur / static_cast<unsigned>(base));
                rem = cur % static_cast<unsigned>(base);
            }
            out.push_back(static_cast<int>(rem));
            while (!limbs.empty() && limbs.back() == 0)
                limbs.pop_back();
        }
    }
    std::reverse(out.begin(), out.end());
    return out;
}

// Adds one to the last digit, carrying to the left; returns true when the
// carry runs out of the first digit.
bool incrementDigits(std::vector<int>& digits, int base)
{
    for (size_t i = digits.size(); i-- > 0;) {
        if (++digits[i] < base)
            return false;
        digits[i] = 0;
    }
    return true;
}

QString digitsText(const std::vector<int>& digits)
{
    QString t;
    t.reserve(static_cast<int>(digits.size()));
    for (int d : digits)
        t += DigitToChar(d);
    return t;
}

bool isPowerOfTwo(int base)
{
    return (base & (base - 1)) == 0;
}

// log to the base `base` of x > 0, exact for the powers of 2 and 10.
Extended logBase(int base, Extended x)
{
    if (base == 10)
        return log10l(x);
    if (isPowerOfTwo(base))
        return log2l(x) / log2l(static_cast<Extended>(base));
    return logl(x) / logl(static_cast<Extended>(base));
}

// x * base^n without losing the result to an intermediate power that over- or
// underflows on its own.
Extended scaleByPower(Extended x, int base, long n)
{
    if (n == 0 || x == 0)
        return x;
    if (isPowerOfTwo(base)) {
        const long k = std::lround(log2l(static_cast<Extended>(base)));
        return ldexpl(x, static_cast<int>(std::clamp(n * k, -100000L, 100000L)));
    }
    const Extended b = base;
    const long a = n < 0 ? -n : n;
    const Extended p = powl(b, static_cast<Extended>(a));
    if (std::isfinite(p))
        return n > 0 ? x * p : x / p;
    const long half = a / 2;
    const Extended p1 = powl(b, static_cast<Extended>(half));
    const Extended p2 = powl(b, static_cast<Extended>(a - half));
    return n > 0 ? x * p1 * p2 : x / p1 / p2;
}

void groupInteger(QString& digits)
{
    for (int i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, ' ');
}

void groupFraction(QString& digits)
{
    for (int i = 3; i < digits.size(); i += 4)
        digits.insert(i, ' ');
}

} // namespace

NumberTextState& numtext()
{
    static NumberTextState state;
    return state;
}

QChar DigitToChar(int value)
{
    if (value >= 0 && value <= 9)
        return QChar('0' + value);
    if (value >= 10 && value <= 35)
        return QChar('A' + value - 10);
    return QChar('?');
}

int CharToDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'Z')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'z')
        return u - 'a' + 10;
    SetBaseError(kUnrecognised);
    return 0;
}

QString RemoveBlanks(const QString& text)
{
    QString t = text;
    t.remove(' ');
    return t;
}

void SetBaseError(const QString& message)
{
    numtext().BaseError = true;
    numtext().BaseErrorMessage = message;
}

QString IntToBase(int base, std::int64_t n)
{
    requireBase(base);
    if (n == 0)
        return QStringLiteral("0");
    // The magnitude as unsigned, so the most negative value has one too.
    unsigned long long m = n < 0 ? 0ULL - static_cast<unsigned long long>(n)
                                 : static_cast<unsigned long long>(n);
    QString t;
    while (m != 0) {
        t.prepend(DigitToChar(static_cast<int>(m % static_cast<unsigned>(base))));
        m /= static_cast<unsigned>(base);
    }
    if (n < 0)
        t.prepend('-');
    return t;
}

QString FixedToBase(int base, Extended x)
{
    requireBase(base);
    // NaN and the infinities have no digits: written as FloatToStrBase writes them.
    if (!std::isfinite(x))
        return FloatToStr(x);
    const NumberTextState& st = numtext();
    const Extended ax = fabsl(x);
    const Extended whole = truncl(ax);
    Extended f = ax - whole;
    bool carry = false;
    QString frac;
    if (st.DisplayDigits > 0) {
        std::vector<int> digits;
        digits.reserve(st.DisplayDigits);
        for (int k = 0; k < st.DisplayDigits; ++k) {
            f *= base;
            int d = static_cast<int>(truncl(f));
            d = std::clamp(d, 0, base - 1);
            f -= d;
            digits.push_back(d);
        }
        if (f >= 0.5L)
            carry = incrementDigits(digits, base);
        frac = digitsText(digits);
        if (st.StripTrailingZeros) {
            int len = frac.size();
            while (len > 1 && frac[len - 1] == '0')
                --len;
            frac.truncate(len);
        }
    } else {
        carry = f >= 0.5L;
    }

    std::vector<int> intDigits = integerDigits(base, whole);
    if (carry && incrementDigits(intDigits, base))
        intDigits.insert(intDigits.begin(), 1);
    QString text = digitsText(intDigits);

    if (st.GroupDigits) {
        groupInteger(text);
        groupFraction(frac);
    }
    if (x < 0)
        text.prepend('-');
    if (!frac.isEmpty() && frac != QStringLiteral("0"))
        text += '.' + frac;
    return text;
}

QString SciToBase(int base, Extended x)
{
    requireBase(base);
    if (x == 0 || !std::isfinite(x))
        return FixedToBase(base, x);
    const Extended ax = fabsl(x);
    long n = std::lround(ceill(logBase(base, ax)));
    Extended m = scaleByPower(x, base, -n);
    // The logarithm may miss an exact power by an ulp: bring |m| into (1/base, 1].
    if (fabsl(m) > 1) {
        m /= base;
        ++n;
    } else if (fabsl(m) * base <= 1) {
        m *= base;
        --n;
    }
    const NumberTextState& st = numtext();
    if (st.DisplayNotation == dnScientific) {
        m *= base;
        --n;
    } else if (st.DisplayNotation == dnEngineering) {
        while (n % 3 != 0) {
            m *= base;
            --n;
        }
    }
    QString text = FixedToBase(base, m);
    if (n != 0)
        text += 'e' + IntToBase(base, n);
    return text;
}

QString FloatToStrBase(int base, Extended x)
{
    requireBase(base);
    NumberTextState& st = numtext();
    QString text;
    if (!std::isfinite(x)) {
        // Never produced by the checked arithmetic; written as the platform
        // writes them rather than failing.
        return FloatToStr(x);
    }
    if (x == 0) {
        text = QStringLiteral("0");
    } else if (st.DisplayNotation != dnAutomatic) {
        text = SciToBase(base, x);
    } else if (st.DisplayDigits >= fabsl(logBase(base, fabsl(x)))) {
        text = FixedToBase(base, x);
    } else {
        text = SciToBase(base, x);
    }
    if (base != 10)
        text += QStringLiteral(" [") + QString::number(base) + ']';
    st.LastBase = static_cast<std::uint8_t>(base);
    return text;
}

QString FloatToStrDefBase(Extended x)
{
    return FloatToStrBase(numtext().DisplayBase, x);
}

Extended ParseNumberInBase(const QString& text, int base)
{
    NumberTextState& st = numtext();
    st.BaseError = false;
    st.BaseOverflow = false;
    if (base < 2 || base > 36) {
        SetBaseError(kBaseRange);
        return 0;
    }
    const QString s = RemoveBlanks(text);
    const int len = s.size();
    if (len == 0) {
        SetBaseError(QStringLiteral("Vacio"));
        return 0;
    }

    // The scan goes to the end whatever fails; a later failure replaces the message.
    int ePos = -1, pointPos = -1;
    bool lowerOther = false;
    for (int i = 0; i < len; ++i) {
        const char16_t c = s[i].unicode();
        const bool signPlace = i == 0 || s[i - 1] == 'e';
        if (c == '+') {
            if (!signPlace)
                SetBaseError(QStringLiteral("Error de sintaxis (\"+\")"));
        } else if (c == '-') {
            if (!signPlace)
                SetBaseError(QStringLiteral("Error de sintaxis (\"-\")"));
        } else if (c == '.') {
            if (pointPos >= 0)
                SetBaseError(QStringLiteral("Error de sintaxis (punto decimal repetido)"));
            else
                pointPos = i;
        } else if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) {
        } else if (c == 'e') {
            if (ePos >= 0)
                SetBaseError(QStringLiteral("Error de sintaxis (exp repetido)"));
            else
                ePos = i;
        } else if (c >= 'a' && c <= 'z') {
            lowerOther = true;
        } else {
            SetBaseError(kUnrecognised);
        }
    }
    if (base >= 14 && ePos >= 0 && lowerOther)
        SetBaseError(QStringLiteral("Expresión ambigua"));
    // Digits on both sides of the exponent letter: "2e-" and "e5" are no numbers
    // (from base 14 on a last "e" is read as no exponent at all: "2e[16]" is 2).
    if (base <= 13 && ePos >= 0) {
        bool expDigits = false;
        for (int i = ePos + 1; i < len; ++i)
            expDigits = expDigits || (s[i] != '+' && s[i] != '-');
        if (!expDigits)
            SetBaseError(QStringLiteral("Falta exponente despues de \"e\""));
    }
    {
        bool mantDigits = false;
        for (int i = 0; i < (ePos >= 0 ? ePos : len); ++i)
            mantDigits = mantDigits || (s[i] != '+' && s[i] != '-' && s[i] != '.');
        if (!mantDigits)
            SetBaseError(QStringLiteral("Falta mantisa"));
    }
    if (ePos >= 0 && pointPos >= 0 && ePos < pointPos)
        SetBaseError(QStringLiteral("Exponente debe ser entero"));

    // Digit checks in the reading order: exponent and integer part from the
    // right, fraction from the left; each stops once a failure is known.
    auto checkDigit = [&](QChar c) {
        if (CharToDigit(c) >= base)
            SetBaseError(Format(QStringLiteral("\"%s\" no es un dígito válido en base %d"), {c, base}));
    };
    const int mantEnd = ePos >= 0 ? ePos : len;
    const int intEnd = pointPos >= 0 ? pointPos : mantEnd;
    if (ePos >= 0)
        for (int i = len - 1; i > ePos && !st.BaseError; --i)
            if (s[i] != '+' && s[i] != '-')
                checkDigit(s[i]);
    if (pointPos >= 0)
        for (int i = pointPos + 1; i < mantEnd && !st.BaseError; ++i)
            checkDigit(s[i]);
    for (int i = intEnd - 1; i >= 0 && !st.BaseError; --i)
        if (s[i] != '+' && s[i] != '-')
            checkDigit(s[i]);
    if (st.BaseError)
        return 0;

    // The value: all digits of the mantissa as one integer, scaled by the
    // exponent less the fraction digits, so that decimal text reads correctly
    // rounded.
    long exponent = 0;
    bool expNegative = false;
    if (ePos >= 0) {
        Extended e = 0;
        for (int i = ePos + 1; i < len; ++i) {
            if (s[i] == '-')
                expNegative = !expNegative;
            else if (s[i] != '+' && e < 1e7L)
                e = e * base + CharToDigit(s[i]);
        }
        exponent = static_cast<long>(std::min(e, 1e7L));
        if (expNegative)
            exponent = -exponent;
    }
    const bool negative = s[0] == '-';
    std::vector<int> digits;
    for (int i = 0; i < mantEnd; ++i)
        if (i != pointPos && s[i] != '+' && s[i] != '-')
            digits.push_back(CharToDigit(s[i]));
    const long fracDigits = pointPos >= 0 ? mantEnd - pointPos - 1 : 0;
    const long scale = exponent - fracDigits;

    Extended value = 0;
    const bool allZero = std::all_of(digits.begin(), digits.end(), [](int d) { return d == 0; });
    if (!allZero) {
        if (base == 10) {
            std::string dec;
            for (int d : digits)
                dec.push_back(static_cast<char>('0' + d));
            dec += 'e' + std::to_string(scale);
            if (ValFloat(QString::fromLatin1(dec.c_str()), value) != 0) {
                SetBaseError(QStringLiteral("Desbordamiento"));
                st.BaseOverflow = true;
                return 0;
            }
        } else {
            for (int d : digits)
                value = value * base + d;
            value = scaleByPower(value, base, scale);
        }
        if (!std::isfinite(value)) {
            SetBaseError(QStringLiteral("Desbordamiento"));
            st.BaseOverflow = true;
            return 0;
        }
    }
    if (negative)
        value = -value;
    st.LastBase = static_cast<std::uint8_t>(base);
    return value;
}

Extended ParseNumberWithBase(const QString& text)
{
    NumberTextState& st = numtext();
    st.BaseError = false;
    st.BaseOverflow = false;
    QString s = RemoveBlanks(text);
    const int p = s.indexOf('[') + 1; // 1-based, 0 when absent
    const int q = s.indexOf(']') + 1;
    if (q != 0 && q != s.size()) {
        SetBaseError(QStringLiteral("Error de corchetes"));
        return 0;
    }
    int base = 10;
    if (p > 1 && p < q - 1) {
        const QString inner = s.mid(p, q - p - 1);
        long long b = 0;
        if (!TryStrToInt(inner, b))
            throw EConvertError(Format(QStringLiteral("'%s' no es un valor entero válido"), {inner}));
        if (b < 2 || b > 36) {
            SetBaseError(kBaseRange);
            return 0;
        }
        base = static_cast<int>(b);
        s = s.left(p - 1);
    } else if (!s.isEmpty()) {
        const QChar c = s[0];
        if (c == 'b' || c == 'h' || c == 'o') {
            base = c == 'b' ? 2 : c == 'h' ? 16 : 8;
            s.remove(0, 1);
        }
    }
    return ParseNumberInBase(s, base);
}
