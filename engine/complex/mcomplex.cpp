#include "engine/complex/mcomplex.h"

#include "engine/checked.h"
#include "engine/errors.h"
#include "foundation/core/basicos.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/format.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace complex {

namespace {

using checked::add;
using checked::div;
using checked::mul;
using checked::result;
using checked::sub;

constexpr Extended kSmallestNormal = std::numeric_limits<Extended>::min();

Extended expChecked(Extended t) { return result(std::exp(t)); }
Extended coshReal(Extended t) { return add(expChecked(t), expChecked(-t)) / 2; }
Extended sinhReal(Extended t) { return sub(expChecked(t), expChecked(-t)) / 2; }

// x² + y², unchecked: the divisions test it for the range themselves.
Extended squaredModulus(TComplex z) { return z.Re * z.Re + z.Im * z.Im; }

// A squared modulus out of the normal range: 1e-4000 squares to 0 and 1e3000
// to infinity, although both numbers divide well.
bool outOfRange(Extended s) { return !(s >= kSmallestNormal) || std::isinf(s); }

// a / b for a non-zero divisor whose squared modulus is out of range: bring b
// near 1 by a power of two, divide, and scale back. Only these divisors take
// this road, so ordinary quotients keep the plain formula's last bits.
TComplex divideScaled(TComplex a, TComplex b)
{
    const int e = std::max(std::ilogb(b.Re), std::ilogb(b.Im));
    const Extended br = std::ldexp(b.Re, -e);
    const Extended bi = std::ldexp(b.Im, -e);
    const Extended s = br * br + bi * bi; // between 1 and 8
    const Extended re = div(add(mul(a.Re, br), mul(a.Im, bi)), s);
    const Extended im = div(sub(mul(a.Im, br), mul(a.Re, bi)), s);
    return {result(std::ldexp(re, -e)), result(std::ldexp(im, -e))};
}

// The general text of one part: 10 significant digits, trailing zeros dropped,
// plain decimals from 0.0001 up to 10 integer digits, otherwise "1.5E20",
// "2.5E-5".
QString partText(Extended x)
{
    const QString e = FloatToStrF(x, FloatFormat::Exponent, 10, 0); // "-1.234500000E-5"
    const int pos = e.indexOf(QLatin1Char('E'));
    bool ok = false;
    const int exponent = e.mid(pos + 1).toInt(&ok);
    if (pos < 0 || !ok || exponent >= -4)
        return FloatToStrF(x, FloatFormat::General, 10, 0);
    // The shared general format keeps 0.00001 in plain decimals; this text
    // switches to the exponent one decade earlier.
    QString mantissa = e.left(pos);
    while (mantissa.endsWith(QLatin1Char('0')))
        mantissa.chop(1);
    if (mantissa.endsWith(QLatin1Char('.')))
        mantissa.chop(1);
    return mantissa + QStringLiteral("E") + IntToStr(exponent);
}

bool isSign(QChar c) { return c == QLatin1Char('+') || c == QLatin1Char('-'); }

Extended textToNumber(const QString& text)
{
    Extended v = 0;
    if (!TryStrToFloat(QStringView(text).trimmed(), v))
        throw EConvertError(Format(QStringLiteral("'%s' no es un valor decimal válido"), {text}));
    return v;
}

} // namespace

ComplexSettings& complexSettings()
{
    static ComplexSettings settings;
    return settings;
}

// ---- Construction and access ----------------------------------------------

TComplex Complex(Extended re, Extended im) { return {re, im}; }

void ComplexSet(TComplex& z, Extended re, Extended im)
{
    z.Re = re;
    z.Im = im;
}

void ComplexClear(TComplex& z) { z = TComplex{}; }

Extended ComplexRe(TComplex z) { return z.Re; }
Extended ComplexIm(TComplex z) { return z.Im; }

bool ComplexIsZero(TComplex z) { return z.Re == 0 && z.Im == 0; }

bool ComplexIsNearZero(TComplex z)
{
    return std::fabs(z.Re) < 1e-12L && std::fabs(z.Im) < 1e-12L;
}

// ---- Arithmetic -----------------------------------------------------------

void ComplexAdd(TComplex a, TComplex b, TComplex& r) { r = {add(a.Re, b.Re), add(a.Im, b.Im)}; }

void ComplexSub(TComplex a, TComplex b, TComplex& r) { r = {sub(a.Re, b.Re), sub(a.Im, b.Im)}; }

void ComplexMul(TComplex a, TComplex b, TComplex& r)
{
    r = {sub(mul(a.Re, b.Re), mul(a.Im, b.Im)), add(mul(a.Re, b.Im), mul(a.Im, b.Re))};
}

void ComplexDiv(TComplex a, TComplex b, TComplex& r)
{
    if (ComplexIsZero(b))
        ComplexError(Format(QStringLiteral("Discriminante de %s igual a cero (Div)"),
                            {ComplexToStr(b)}));
    const Extended s = squaredModulus(b);
    if (!outOfRange(s)) {
        r = {div(add(mul(a.Re, b.Re), mul(a.Im, b.Im)), s),
             div(sub(mul(a.Im, b.Re), mul(a.Re, b.Im)), s)};
        return;
    }
    r = divideScaled(a, b);
}

void ComplexNeg(TComplex z, TComplex& r) { r = {-z.Re, -z.Im}; }
void ComplexConj(TComplex z, TComplex& r) { r = {z.Re, -z.Im}; }
void ComplexMulI(TComplex z, TComplex& r) { r = {-z.Im, z.Re}; }
void ComplexDivI(TComplex z, TComplex& r) { r = {z.Im, -z.Re}; }

void ComplexRcp(TComplex z, TComplex& r)
{
    if (ComplexIsZero(z))
        ComplexError(Format(QStringLiteral("Discriminante de %s igual a cero (Rcp)"),
                            {ComplexToStr(z)}));
    ComplexRcpNoCheck(z, r);
}

void ComplexRcpNoCheck(TComplex z, TComplex& r)
{
    const Extended s = squaredModulus(z);
    if (ComplexIsZero(z) || !outOfRange(s)) {
        // A zero z divides 0 by 0 here: EInvalidOp, as the unchecked reciprocal must.
        r = {div(z.Re, s), -div(z.Im, s)};
        return;
    }
    r = divideScaled(TComplex{1, 0}, z);
}

void ComplexSqr(TComplex z, TComplex& r) { ComplexMul(z, z, r); }

Extended ComplexAbs(TComplex z)
{
    const Extended s = add(mul(z.Re, z.Re), mul(z.Im, z.Im));
    // Parts below about 1e-2466 square to nothing; their modulus is not 0.
    if (s < kSmallestNormal && !ComplexIsZero(z))
        return std::hypot(z.Re, z.Im);
    return std::sqrt(s);
}

Extended ComplexArg(TComplex z)
{
    // Adding +0 turns a negative zero into +0: the conjugate or negation of a
    // real number has the argument of that real number (pi for -1, not -pi).
    return std::atan2(z.Im + 0.0L, z.Re + 0.0L);
}

// ---- Exponential, logarithm, powers, roots ---------------------------------

void ComplexExp(TComplex z, TComplex& r)
{
    const Extended ex = expChecked(z.Re);
    r = {mul(ex, std::cos(z.Im)), mul(ex, std::sin(z.Im))};
}

void ComplexLn(TComplex z, TComplex& r)
{
    const Extended s = add(mul(z.Re, z.Re), mul(z.Im, z.Im));
    if (s == 0)
        ComplexError(Format(QStringLiteral("Descriminante de %s igual a cero (ln)."),
                            {ComplexToStr(z)}));
    r = {std::log(s) / 2, ComplexArg(z)};
}

void ComplexPower(TComplex base, TComplex exponent, TComplex& r)
{
    if (ComplexIsZero(base)) {
        r = TComplex{};
        return;
    }
    // A real number to a whole power is real, as in the real engine: the way
    // through the logarithm would leave an imaginary residue of the argument
    // pi (about 1e-18 for (-6)^2), and its sign would pick the branch of
    // every root taken of the result.
    if (base.Im == 0 && exponent.Im == 0 && exponent.Re == truncl(exponent.Re) &&
        fabsl(exponent.Re) < 9223372036854775808.0L) {
        const auto n = static_cast<std::int64_t>(exponent.Re);
        const std::uint64_t magnitude = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
        r = {checked::IntPower(base.Re, n < 0, magnitude, checked::TinyPower::Overflow), 0};
        return;
    }
    TComplex t;
    ComplexLn(base, t);
    ComplexMul(exponent, t, t);
    ComplexExp(t, r);
}

void ComplexSqrt(TComplex z, TComplex& r)
{
    const Extended x = z.Re;
    const Extended y = z.Im;
    if (x == 0 && y == 0) {
        r = z;
        return;
    }
    const Extended a = std::sqrt(mul(add(ComplexAbs(z), std::fabs(x)), 0.5L));
    const Extended d = div(y, mul(a, 2));
    if (x >= 0)
        r = {a, d};
    else if (y >= 0)
        r = {d, a};
    else
        r = {-d, -a};
}

void ComplexPolar(Extended rho, Extended theta, TComplex& z)
{
    z = {mul(rho, std::cos(theta)), mul(rho, std::sin(theta))};
}

// ---- Circular and hyperbolic functions --------------------------------------

void ComplexSin(TComplex z, TComplex& r)
{
    r = {mul(std::sin(z.Re), coshReal(z.Im)), mul(std::cos(z.Re), sinhReal(z.Im))};
}

void ComplexCos(TComplex z, TComplex& r)
{
    r = {mul(std::cos(z.Re), coshReal(z.Im)), -mul(std::sin(z.Re), sinhReal(z.Im))};
}

void ComplexTan(TComplex z, TComplex& r)
{
    TComplex s, c;
    ComplexSin(z, s);
    ComplexCos(z, c);
    if (ComplexIsZero(c))
        ComplexError(Format(QStringLiteral("Coseno de %s igual a cero"), {ComplexToStr(z)}));
    ComplexDiv(s, c, r);
}

void ComplexSinh(TComplex z, TComplex& r)
{
    r = {mul(sinhReal(z.Re), std::cos(z.Im)), mul(coshReal(z.Re), std::sin(z.Im))};
}

void ComplexCosh(TComplex z, TComplex& r)
{
    r = {mul(coshReal(z.Re), std::cos(z.Im)), mul(sinhReal(z.Re), std::sin(z.Im))};
}

void ComplexTanh(TComplex z, TComplex& r)
{
    TComplex s, c;
    ComplexSinh(z, s);
    ComplexCosh(z, c);
    ComplexDiv(s, c, r);
}

void ComplexArcSinh(TComplex z, TComplex& r)
{
    TComplex t;
    ComplexSqr(z, t);
    ComplexAdd(TComplex{1, 0}, t, t);
    ComplexSqrt(t, t);
    ComplexAdd(z, t, t);
    ComplexLn(t, r);
}

void ComplexArcCosh(TComplex z, TComplex& r)
{
    TComplex t;
    ComplexSqr(z, t);
    ComplexSub(TComplex{1, 0}, t, t);
    ComplexSqrt(t, t);
    ComplexMulI(t, t);
    ComplexAdd(z, t, t);
    ComplexLn(t, r);
}

void ComplexArcTanh(TComplex z, TComplex& r)
{
    TComplex num, den;
    ComplexSub(TComplex{1, 0}, z, den);
    if (ComplexIsZero(den))
        throw EIntDivByZero(QStringLiteral("División por cero"));
    ComplexAdd(z, TComplex{1, 0}, num);
    ComplexDiv(num, den, num);
    ComplexLn(num, num);
    ComplexDiv(num, TComplex{2, 0}, r);
}

void ComplexArcSin(TComplex z, TComplex& r)
{
    TComplex t;
    ComplexMulI(z, t);
    ComplexArcSinh(t, t);
    ComplexDivI(t, r);
}

void ComplexArcCos(TComplex z, TComplex& r)
{
    TComplex t;
    ComplexArcCosh(z, t);
    ComplexDivI(t, r);
}

void ComplexArcTan(TComplex z, TComplex& r)
{
    TComplex t;
    ComplexMulI(z, t);
    ComplexArcTanh(t, t);
    ComplexDivI(t, r);
}

// ---- Text -------------------------------------------------------------------

QString ComplexToStr(TComplex z)
{
    Extended re = std::fabs(z.Re) < 1e-9L ? 0 : z.Re;
    Extended im = std::fabs(z.Im) < 1e-9L ? 0 : z.Im;
    QString s = re != 0 ? partText(re) : QString();
    if (im > 0 && re != 0)
        s += QStringLiteral(" +");
    if (std::fabs(std::fabs(im) - 1) < 1e-9L)
        s += im > 0 ? QStringLiteral("i") : QStringLiteral("-i");
    else if (im != 0)
        s += QLatin1Char(' ') + partText(im) + QLatin1Char('i');
    else if (s.isEmpty())
        s = QStringLiteral("0");
    return s;
}

TComplex StrToComplex(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    const int n = static_cast<int>(t.size());
    const QChar last = t.at(n - 1);
    if (last != QLatin1Char('i') && last != QLatin1Char('I'))
        return {textToNumber(t), 0};

    // Where the imaginary part starts: the last sign before the final "i" that
    // is not the sign of an exponent, else the first character.
    QString realText, imagText;
    if (n == 1) {
        imagText = t; // "i" is the unit; "I" alone is no number
    } else {
        int p = n - 2;
        while (p > 0 && !isSign(t.at(p)))
            --p;
        if (p > 0 && (t.at(p - 1) == QLatin1Char('E') || t.at(p - 1) == QLatin1Char('e'))) {
            --p;
            while (p > 0 && !isSign(t.at(p)))
                --p;
        }
        realText = t.left(p);
        imagText = t.mid(p, n - 1 - p);
    }

    // ComplexToStr writes "3 + 4i": blanks between the sign and the digits of
    // the imaginary part belong to the text form and are read past.
    QString imag = imagText.trimmed();
    if (imag.size() > 1 && isSign(imag.at(0)))
        imag = imag.at(0) + imag.mid(1).trimmed();

    TComplex z;
    if (imag == QLatin1String("+") || imag == QLatin1String("i"))
        z.Im = 1;
    else if (imag == QLatin1String("-"))
        z.Im = -1;
    else
        z.Im = textToNumber(imag);
    z.Re = realText.trimmed().isEmpty() ? 0 : textToNumber(realText);
    return z;
}

namespace {
int g_quietErrors = 0;
} // namespace

ComplexQuietErrors::ComplexQuietErrors(bool on) : m_on(on)
{
    if (m_on)
        ++g_quietErrors;
}

ComplexQuietErrors::~ComplexQuietErrors()
{
    if (m_on)
        --g_quietErrors;
}

bool ComplexErrorsQuiet() { return g_quietErrors > 0; }

void ComplexError(const QString& message)
{
    // The abort carries the message, so that a quiet caller can still report it.
    if (!ComplexErrorsQuiet())
        MsgBoxApp(message, mb::Ok | mb::IconError);
    throw EAbort(message);
}

} // namespace complex
