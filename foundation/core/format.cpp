#include "foundation/core/format.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <clocale>
#include <locale.h>
#include <stdlib.h>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// A finite non-zero value as decimal digits: value = 0.d1 d2 ... x 10^(exp + 1),
// that is d1 has the weight 10^exp.
struct Decimal {
    bool negative = false;
    std::string digits; // no leading zero, at least one digit
    int exp = 0;
};

void roundTo(Decimal& d, int keep);

// The 18 digits the extended type holds, then rounded half up to `precision`
// digits on the decimal text, as the platform's float-to-text did.
Decimal toDecimal(Extended x, int precision)
{
    char buf[128];
    auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 17);
    std::string s(buf, r.ptr);
    Decimal d;
    size_t i = 0;
    if (s[i] == '-') {
        d.negative = true;
        ++i;
    }
    size_t epos = s.find('e');
    for (size_t k = i; k < epos; ++k)
        if (s[k] != '.')
            d.digits.push_back(s[k]);
    d.exp = std::atoi(s.c_str() + epos + 1);
    roundTo(d, precision);
    return d;
}

// Keeps the first `keep` digits, rounding half up on the digit string.
// A value that rounds away entirely leaves an empty digit string.
void roundTo(Decimal& d, int keep)
{
    if (keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (!up)
        return;
    int i = keep - 1;
    while (i >= 0 && d.digits[i] == '9') {
        d.digits[i] = '0';
        --i;
    }
    if (i >= 0) {
        ++d.digits[i];
    } else {
        // 99.9 -> 100: one digit "1" carries the whole value.
        d.digits.assign(1, '1');
        ++d.exp;
    }
}

void stripZeros(std::string& s)
{
    while (s.size() > 1 && s.back() == '0')
        s.pop_back();
}

QString exponentText(int e, bool alwaysSign, int minDigits)
{
    QString t = QStringLiteral("E");
    if (e < 0)
        t += '-';
    else if (alwaysSign)
        t += '+';
    QString n = QString::number(std::abs(e));
    while (n.size() < minDigits)
        n.prepend('0');
    return t + n;
}

QString mantissa(const std::string& digits)
{
    QString m{QChar(digits[0])};
    if (digits.size() > 1) {
        m += '.';
        m += QString::fromLatin1(digits.data() + 1, static_cast<int>(digits.size() - 1));
    }
    return m;
}

// Digits placed around the point: every digit of weight >= 10^-decimals.
QString fixedText(const Decimal& d, int decimals)
{
    QString intPart, frac;
    auto digitAt = [&](int weight) -> QChar {
        int i = d.exp - weight;
        return (i >= 0 && i < static_cast<int>(d.digits.size())) ? QChar(d.digits[i]) : QChar('0');
    };
    for (int w = std::max(d.exp, 0); w >= 0; --w)
        intPart += digitAt(w);
    for (int w = -1; w >= -decimals; --w)
        frac += digitAt(w);
    QString t = intPart;
    if (!frac.isEmpty())
        t += '.' + frac;
    return t;
}

QString specialText(Extended x)
{
    if (std::isnan(x))
        return QStringLiteral("NAN");
    return x < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

QString sign(const Decimal& d) { return d.negative ? QStringLiteral("-") : QString(); }

} // namespace

QString FloatToStrF(Extended x, FloatFormat format, int precision, int digits)
{
    if (!std::isfinite(x))
        return specialText(x);
    precision = std::clamp(precision, 1, 18);
    digits = std::max(digits, 0);

    if (format == FloatFormat::Exponent) {
        if (x == 0)
            return mantissa(std::string(precision, '0')) + exponentText(0, true, digits);
        Decimal d = toDecimal(x, precision);
        d.digits.resize(precision, '0');
        return sign(d) + mantissa(d.digits) + exponentText(d.exp, true, digits);
    }

    if (x == 0) {
        if (format == FloatFormat::Fixed && digits > 0)
            return QStringLiteral("0.") + QString(digits, '0');
        return QStringLiteral("0");
    }
    Decimal d = toDecimal(x, precision);

    if (format == FloatFormat::General) {
        stripZeros(d.digits);
        if (d.exp + 1 > precision || d.exp < -5)
            return sign(d) + mantissa(d.digits) + exponentText(d.exp, false, digits);
        int decimals = std::max(0, static_cast<int>(d.digits.size()) - 1 - d.exp);
        return sign(d) + fixedText(d, decimals);
    }

    // Fixed
    if (d.exp + 1 > precision)
        return FloatToStrF(x, FloatFormat::Exponent, precision, 0);
    roundTo(d, d.exp + 1 + digits);
    if (d.digits.empty())
        return digits > 0 ? QStringLiteral("0.") + QString(digits, '0') : QStringLiteral("0");
    QString t = fixedText(d, digits);
    bool allZero = true;
    for (QChar c : t)
        if (c != '0' && c != '.')
            allZero = false;
    return allZero ? t : sign(d) + t;
}

QString FloatToStr(Extended x) { return FloatToStrF(x, FloatFormat::General, 15, 0); }

QString IntToStr(long long n) { return QString::number(n); }

QString IntToHex(long long n, int digits)
{
    QString t = QString::number(static_cast<unsigned long long>(n), 16).toUpper();
    while (t.size() < digits)
        t.prepend('0');
    return t;
}

long long FormatArg::toInt() const
{
    if (auto p = std::get_if<long long>(&v_))
        return *p;
    if (auto p = std::get_if<Extended>(&v_))
        return std::isfinite(*p) ? static_cast<long long>(*p) : 0;
    return 0;
}

Extended FormatArg::toFloat() const
{
    if (auto p = std::get_if<Extended>(&v_))
        return *p;
    if (auto p = std::get_if<long long>(&v_))
        return static_cast<Extended>(*p);
    return 0;
}

QString FormatArg::toString() const
{
    if (auto p = std::get_if<QString>(&v_))
        return *p;
    if (auto p = std::get_if<long long>(&v_))
        return IntToStr(*p);
    return FloatToStr(std::get<Extended>(v_));
}

QString Format(const QString& pattern, std::initializer_list<FormatArg> args)
{
    QString out;
    auto next = args.begin();
    const int n = pattern.size();
    for (int i = 0; i < n; ++i) {
        QChar c = pattern[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 1 < n && pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        int j = i + 1;
        bool left = false;
        if (j < n && pattern[j] == '-') {
            left = true;
            ++j;
        }
        int width = 0;
        while (j < n && pattern[j].isDigit())
            width = width * 10 + pattern[j++].digitValue();
        int prec = -1;
        if (j < n && pattern[j] == '.') {
            ++j;
            prec = 0;
            while (j < n && pattern[j].isDigit())
                prec = prec * 10 + pattern[j++].digitValue();
        }
        if (j >= n) { // a lone "%" at the end stays as it is
            out += pattern.mid(i);
            break;
        }
        QChar conv = pattern[j];
        const FormatArg* arg = next != args.end() ? next++ : nullptr;
        QString t;
        switch (conv.toLower().unicode()) {
        case 'd':
        case 'u': {
            long long v = arg ? arg->toInt() : 0;
            t = IntToStr(v < 0 ? -v : v);
            if (prec > 0)
                while (t.size() < prec)
                    t.prepend('0');
            if (v < 0)
                t.prepend('-');
            if (!arg)
                t.clear();
            break;
        }
        case 'x':
            t = arg ? IntToHex(arg->toInt(), std::max(prec, 1)) : QString();
            break;
        case 'g':
            t = arg ? FloatToStrF(arg->toFloat(), FloatFormat::General, prec < 0 ? 15 : std::max(prec, 1), 0) : QString();
            break;
        case 'e':
            t = arg ? FloatToStrF(arg->toFloat(), FloatFormat::Exponent, prec < 0 ? 15 : std::max(prec, 1), 3) : QString();
            break;
        case 'f':
            t = arg ? FloatToStrF(arg->toFloat(), FloatFormat::Fixed, 18, prec < 0 ? 2 : prec) : QString();
            break;
        case 's':
            t = arg ? arg->toString() : QString();
            if (prec >= 0)
                t.truncate(prec);
            break;
        default: // unknown conversion: copied as it stands
            t = pattern.mid(i, j - i + 1);
            if (arg)
                --next;
            break;
        }
        if (t.size() < width) {
            QString pad(width - t.size(), ' ');
            t = left ? t + pad : pad + t;
        }
        out += t;
        i = j;
    }
    return out;
}

int ValFloat(QStringView text, Extended& value, bool* overflow)
{
    value = 0;
    if (overflow)
        *overflow = false;
    const int n = text.size();
    int i = 0;
    // Each part steps over what it accepts: an optional sign, a run of digits
    // (telling how many).
    auto skipSign = [&] {
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
    };
    auto skipDigits = [&] {
        const int start = i;
        while (i < n && text[i] >= '0' && text[i] <= '9')
            ++i;
        return i - start;
    };
    skipSign();
    int mantDigits = skipDigits();
    if (i < n && text[i] == '.') {
        ++i;
        mantDigits += skipDigits();
    }
    if (mantDigits == 0)
        return std::min(i, n) + 1;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        skipSign();
        if (skipDigits() == 0)
            return i + 1;
    }
    if (i < n)
        return i + 1;

    // The text is known to be a plain decimal number; read it in the C locale.
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    const QByteArray s = text.toLatin1();
    errno = 0;
    Extended v = strtold_l(s.constData(), nullptr, cLocale);
    // Underflow reads as zero or a subnormal, as the platform's reader did;
    // overflow is refused.
    if (!std::isfinite(v)) {
        if (overflow)
            *overflow = true;
        return 1;
    }
    value = v;
    return 0;
}

bool TryStrToFloat(QStringView text, Extended& value, bool* overflow)
{
    Extended v;
    if (ValFloat(text, v, overflow) != 0)
        return false;
    value = v;
    return true;
}

bool TryStrToInt(QStringView text, long long& value)
{
    const int n = text.size();
    int i = 0;
    bool neg = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        neg = text[i] == '-';
        ++i;
    }
    if (i == n)
        return false;
    unsigned long long acc = 0;
    const unsigned long long limit = neg ? 9223372036854775808ULL : 9223372036854775807ULL;
    for (; i < n; ++i) {
        QChar c = text[i];
        if (c < '0' || c > '9')
            return false;
        unsigned d = c.unicode() - '0';
        if (acc > (limit - d) / 10)
            return false;
        acc = acc * 10 + d;
    }
    value = neg ? static_cast<long long>(0 - acc) : static_cast<long long>(acc);
    return true;
}
