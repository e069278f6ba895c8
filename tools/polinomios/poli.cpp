#include "tools/polinomios/poli.h"

#include "engine/checked.h"
#include "engine/errors.h"
#include "engine/formatonum.h"
#include "foundation/core/format.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

void CheckPower(int power)
{
    if (power < 0 || power > kMaxPoliDegree)
        throw EPoliRange(Format(QStringLiteral("La potencia %d está fuera del rango de 0 a 255"), {power}));
}

// A number of the polynomial's text: the formatter's text without blanks and
// '^' when it reads back as c, else every digit c has.
QString CoefText(Extended c)
{
    return StripBlanksAndCarets(NumberFormat().FormatExact(c));
}

[[noreturn]] void TextError() { throw Exception(QStringLiteral("error en expresion")); }

bool IsAsciiLetter(QChar ch)
{
    return (ch >= QLatin1Char('a') && ch <= QLatin1Char('z')) || (ch >= QLatin1Char('A') && ch <= QLatin1Char('Z'));
}

// Refuses, before the text is cut into terms, what the reader below would
// otherwise take for something else: characters that have no place in a
// polynomial ("(x-1)^2", "2*x"), other letters ("x^2+y^2"), and a '^' that
// does not stand between the letter and its power ("x^-2", "x^^2").
void CheckPoliText(const QString& text, QChar letter)
{
    QString s;   // without blanks
    for (QChar ch : text)
        if (ch != QLatin1Char(' '))
            s += ch;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar ch = s[i];
        if (ch == letter || ch.isDigit() || ch == QLatin1Char('.') || ch == QLatin1Char('|') ||
            ch == QLatin1Char('+') || ch == QLatin1Char('-'))
            continue;
        if (ch == QLatin1Char('^')) {
            if (i == 0 || s[i - 1] != letter)
                TextError();
            if (i + 1 < s.size() && s[i + 1] == QLatin1Char('-'))
                throw Exception(QStringLiteral("La potencia no puede ser negativa"));
            if (i + 1 >= s.size() || !s[i + 1].isDigit())
                TextError();
            continue;
        }
        // The exponent of a number written in scientific notation ("2.5e3x").
        const bool exponentMark = (ch == QLatin1Char('e') || ch == QLatin1Char('E')) && i > 0 &&
                                  (s[i - 1].isDigit() || s[i - 1] == QLatin1Char('.'));
        if (exponentMark)
            continue;
        if (IsAsciiLetter(ch))
            throw Exception(QStringLiteral("Esta operación necesita polinomios de una sola variable"));
        throw Exception(QStringLiteral("caracter invalido"));
    }
}

} // namespace

QString StripBlanksAndCarets(const QString& text)
{
    QString s;
    s.reserve(text.size());
    for (QChar ch : text)
        if (ch != QLatin1Char(' ') && ch != QLatin1Char('^'))
            s += ch;
    return s;
}

Extended ReadCoefficient(const QString& text)
{
    TFormatoNum& format = NumberFormat();
    const Extended v = format.Parse(text);
    if (format.Overflow)
        throw EOverflow();
    if (format.Error)
        TextError();
    return v;
}

long long PoliStrToInt(const QString& text)
{
    long long v = 0;
    if (!TryStrToInt(text, v))
        throw EConvertError(Format(QStringLiteral("'%s' no es un valor entero válido"), {text}));
    return v;
}

TPoli::TPoli() : m_coef(1, 0) {}

TPoli::TPoli(const QString& text, QChar letter) : m_coef(5, 0), m_letter(letter)
{
    CheckPoliText(text, letter);
    const QString s = StripBlanksAndCarets(text);
    if (!s.contains(letter)) {
        m_coef[0] = ReadCoefficient(s);
        return;
    }
    // Terms start at the first character and at every sign after it; a sign
    // that ends the text stays with its term (and spoils its exponent).
    QStringList terms;
    int start = 0;
    for (int i = 1; i < s.size() - 1; ++i) {
        if (s[i] != QLatin1Char('+') && s[i] != QLatin1Char('-'))
            continue;
        terms << s.mid(start, i - start);
        start = s[i] == QLatin1Char('+') ? i + 1 : i;
    }
    terms << s.mid(start);
    for (const QString& term : terms) {
        const qsizetype p = term.indexOf(letter);
        Extended c = 0;
        int power = 0;
        if (term.isEmpty())
            TextError();   // two signs in a row ("x++1")
        if (p < 0) {
            c = ReadCoefficient(term);
        } else {
            const bool signFirst = p == 1 && (term[0] == QLatin1Char('+') || term[0] == QLatin1Char('-'));
            if (p == 0 || signFirst)
                c = signFirst && term[0] == QLatin1Char('-') ? -1 : 1;
            else
                c = ReadCoefficient(term.left(p));
            const QString exponent = term.mid(p + 1);
            if (exponent.isEmpty()) {
                power = 1;
            } else {
                const long long e = PoliStrToInt(exponent);
                if (e < 0 || e > kMaxPoliDegree)
                    throw EPoliRange(
                        Format(QStringLiteral("La potencia %s está fuera del rango de 0 a 255"), {exponent}));
                power = static_cast<int>(e);
            }
        }
        SetCoef(power, checked::add(GetCoef(power), c));
    }
}

TPoli TPoli::CreateZero(int degree)
{
    CheckPower(degree);
    TPoli p;
    p.m_coef.assign(static_cast<std::size_t>(degree) + 1, 0);
    return p;
}

TPoli TPoli::CreateCopy(const TPoli& source)
{
    TPoli p;
    p.m_coef.assign(source.m_coef.begin(), source.m_coef.begin() + source.Degree() + 1);
    return p;
}

int TPoli::Degree() const
{
    for (int i = Size() - 1; i > 0; --i)
        if (m_coef[i] != 0)
            return i;
    return 0;
}

void TPoli::Grow(int n)
{
    CheckPower(n);
    if (n >= Size())
        m_coef.resize(static_cast<std::size_t>(n) + 1, 0);
}

Extended TPoli::GetCoef(int power)
{
    Grow(power);
    return m_coef[power];
}

Extended TPoli::Coef(int power) const
{
    return power >= 0 && power < Size() ? m_coef[power] : 0;
}

void TPoli::SetCoef(int power, Extended value)
{
    Grow(power);
    m_coef[power] = value;
}

QString TPoli::ToString() const
{
    QString s;
    for (int i = Size() - 1; i >= 0; --i) {
        const Extended c = m_coef[i];
        if (c == 0)
            continue;
        if (!s.isEmpty()) {
            s += QLatin1Char(' ');
            if (c > 0)
                s += QLatin1Char('+');
        }
        if (i > 0 && c == 1)
            ;
        else if (i > 0 && c == -1)
            s += QLatin1Char('-');
        else
            s += CoefText(c);
        if (i > 0) {
            s += m_letter;
            if (i >= 2)
                s += QLatin1Char('^') + QString::number(i);
        }
    }
    return s.isEmpty() ? QStringLiteral("0") : s;
}

TPoli TPoli::Multiply(const TPoli& other) const
{
    const int n = Degree(), m = other.Degree();
    if (n + m > kMaxPoliDegree)
        throw Exception(QStringLiteral("El grado del producto es mayor a 255"));
    TPoli r = CreateZero(n + m);
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= m; ++j)
            r.m_coef[i + j] = checked::add(r.m_coef[i + j], checked::mul(m_coef[i], other.m_coef[j]));
    return r;
}

TPoli TPoli::Divide(const TPoli& divisor, TPoli& remainder) const
{
    const int d = divisor.Degree();
    const int n = Degree();
    if (d == 0) {
        const Extended c = divisor.Coef(0);
        if (c == 0)
            throw EZeroDivide();
        remainder = TPoli();
        TPoli q = CreateZero(n);
        for (int i = 0; i <= n; ++i)
            q.m_coef[i] = checked::div(m_coef[i], c);
        return q;
    }
    remainder = CreateCopy(*this);
    TPoli q = n >= d ? CreateZero(n - d) : TPoli();
    const Extended lead = divisor.m_coef[d];
    // A residue of rounding leaves the leading power; the loop takes it again
    // until it is exactly 0 (a few rounds at most; the bound only guards
    // against a residue that never settles).
    int samePower = 0, lastPower = -1;
    while (remainder.Degree() >= d) {
        const int h = remainder.Degree();
        if (h == lastPower && ++samePower > 64) {
            remainder.m_coef[h] = 0;
            continue;
        }
        if (h != lastPower)
            samePower = 0;
        lastPower = h;
        const Extended m = checked::div(remainder.m_coef[h], lead);
        TPoli t = CreateCopy(divisor);
        t.MulMonomial(h - d, m);
        remainder.Subtract(t);
        q.m_coef[h - d] = checked::add(q.m_coef[h - d], m);
    }
    return q;
}

void TPoli::MulMonomial(int k, Extended c)
{
    const TPoli copy = CreateCopy(*this);
    const int n = copy.Degree();
    CheckPower(k);
    CheckPower(k + n);
    std::fill(m_coef.begin(), m_coef.end(), Extended(0));
    Grow(k + n);
    for (int j = 0; j <= n; ++j)
        m_coef[k + j] = checked::mul(c, copy.m_coef[j]);
}

void TPoli::Subtract(const TPoli& other)
{
    const int top = std::min(Degree(), other.Degree());
    for (int i = 0; i <= top; ++i)
        m_coef[i] = checked::sub(m_coef[i], other.m_coef[i]);
}

TPoli TPoli::Ruffini(Extended a, Extended& remainder) const
{
    const int n = Degree();
    if (n == 0) {
        remainder = Coef(0);
        return TPoli();
    }
    TPoli q = CreateZero(n - 1);
    q.m_coef[n - 1] = m_coef[n];
    Extended r = 0;
    for (int k = n - 1; k >= 0; --k) {
        r = checked::add(m_coef[k], checked::mul(q.m_coef[k], a));
        if (k > 0)
            q.m_coef[k - 1] = r;
    }
    remainder = r;
    return q;
}

void TPoli::Derive()
{
    const int n = Degree();
    for (int i = 1; i <= n; ++i)
        m_coef[i - 1] = checked::mul(i, m_coef[i]);
    m_coef[n] = 0;
}

void TPoli::Integrate()
{
    const int n = Degree() + 1;
    if (n > kMaxPoliDegree)
        throw EPoliRange(QStringLiteral("La integral de un polinomio de grado 255 excede el grado máximo"));
    Grow(n);
    for (int i = n; i >= 1; --i)
        m_coef[i] = m_coef[i - 1] / i;
    m_coef[0] = 0;
}

void TPoli::Negate()
{
    for (Extended& c : m_coef)
        c = -c;
}

Extended TPoli::Evaluate(Extended x) const
{
    const int n = Degree();
    std::vector<double> rounded(static_cast<std::size_t>(n) + 1);
    for (int i = 0; i <= n; ++i)
        rounded[i] = static_cast<double>(m_coef[i]);
    Extended v = 0;
    for (int i = n; i >= 0; --i)
        v = v * x + rounded[i];
    return v;
}

complex::TComplex TPoli::EvaluateComplex(complex::TComplex z) const
{
    using namespace complex;
    TComplex sum{0, 0}, power{1, 0};
    const int n = Degree();
    for (int i = 0; i <= n; ++i) {
        if (m_coef[i] != 0) {
            TComplex t;
            ComplexMul(Complex(m_coef[i], 0), power, t);
            ComplexAdd(sum, t, sum);
        }
        ComplexMul(power, z, power);
    }
    return sum;
}
