// The search of roots of TPoli: closed formulas for degrees 1 to 4 (degree 3
// and the general quartic through formula texts evaluated by the complex
// engine), rational roots by Ruffini's rule, and a secant search.
#include "tools/polinomios/poli.h"

#include "engine/checked.h"
#include "engine/complex/expresion.h"
#include "engine/formatonum.h"
#include "foundation/core/format.h"

#include <cmath>

using complex::TComplex;

namespace {

const QString kRootsLineEnd = QStringLiteral("\r\n");

// The complex evaluator of the closed formulas: built-ins on, silent (a
// formula that fails gives 0 without a box), variables a, b, c, d, f, G, H, J.
struct TRootEvaluator {
    complex::TExpresion Expr;
    complex::TVariable* Vars[8] = {};

    TRootEvaluator()
    {
        Expr.Silent = true;
        Expr.SetUseBuiltIns(true);
        const char* names[8] = {"a", "b", "c", "d", "f", "G", "H", "J"};
        for (int i = 0; i < 8; ++i)
            Vars[i] = Expr.AddVariable(QString::fromLatin1(names[i]));
    }

    void Set(int i, TComplex v) { Vars[i]->SetValue(v); }

    TComplex Evaluate(const QString& text)
    {
        Expr.SetText(text);
        TComplex z;
        Expr.Evaluate(z);
        // A formula that fails gives 0 (a silent object keeps its last value).
        if (Expr.HasError || Expr.ErrorCode)
            z = TComplex{};
        return z;
    }

    // A piece whose failure ends the attempt (raises).
    TComplex EvaluateText(const QString& text)
    {
        TComplex z;
        complex::ComplexQuietErrors quiet;
        Expr.EvaluateText(text, z);
        return z;
    }
};

enum { vA, vB, vC, vD, vF, vG, vH, vJ };

// Made on first use and kept to the end of the process, never destroyed: its
// trees would otherwise be released after the engine's own statics are gone.
TRootEvaluator& RootEvaluator()
{
    static TRootEvaluator* const shared = new TRootEvaluator;
    return *shared;
}

const char* const kCubicFormulas[3] = {
    "-b/(3*a)-(2\\3*(-b^2+3*a*c))/(3*a*(-2*b^3+9*a*b*c-27*a^2*d+(4*(-b^2+3*a*c)^3+(-2*b^3+9*a*b*c-27*a^2*d)^2)\\2)\\3)"
    "+(-2*b^3+9*a*b*c-27*a^2*d+(4*(-b^2+3*a*c)^3+(-2*b^3+9*a*b*c-27*a^2*d)^2)\\2)\\3/(3*2\\3*a)",
    "-b/(3*a)+((1+i*(3)\\2)*(-b^2+3*a*c))/(3*2^(2/3)*a*(-2*b^3+9*a*b*c-27*a^2*d+(4*(-b^2+3*a*c)^3+(-2*b^3+9*a*b*c-27*a^2*d)^2)\\2)\\3)"
    "-(1-i*(3)\\2)*(-2*b^3+9*a*b*c-27*a^2*d+(4*(-b^2+3*a*c)^3+(-2*b^3+9*a*b*c-27*a^2*d)^2)\\2)\\3/(6*2\\3*a)",
    "-b/(3*a)+((1-i*(3)\\2)*(-b^2+3*a*c))/(3*2^(2/3)*a*(-2*b^3+9*a*b*c-27*a^2*d+(4*(-b^2+3*a*c)^3+(-2*b^3+9*a*b*c-27*a^2*d)^2)\\2)\\3)"
    "-(1+i*(3)\\2)*(-2*b^3+9*a*b*c-27*a^2*d+(4*(-b^2+3*a*c)^3+(-2*b^3+9*a*b*c-27*a^2*d)^2)\\2)\\3/(6*2\\3*a)",
};

const char* const kQuarticG = "2*c^3 - 9*b*c*d + 27*a*d^2 + 27*b^2*f - 72*a*c*f";
const char* const kQuarticH = "(G + Sqrt(-4*(c^2 - 3*b*d + 12*a*f)^3 + (G)^2))\\3";
const char* const kQuarticJ = "2\\3*(c^2 - 3*b*d + 12*a*f)/(3*a*H)";
const char* const kQuarticT1 = "-b/(4*a)";
const char* const kQuarticT2 = "1/2*Sqrt(b^2/(4*a^2) - 2*c/(3*a) + J + 1/(3*2\\3*a)*H)";
const char* const kQuarticT3 = "1/2*Sqrt(b^2/(2*a^2) - 4*c/(3*a) - J - 1/(3*2\\3*a)*H";
const char* const kQuarticT4 =
    "(-b^3/a^3 + 4*b*c/a^2 - 8*d/a)/(4*Sqrt(b^2/(4*a^2) - 2*c/(3*a) + J + 1/(3*2\\3*a)*H)))";

TComplex Real(Extended x) { return complex::Complex(x, 0); }

// The roots -b/(2a) ± D/(2a) of a·y² + b·y + c, D the complex root of the
// discriminant.
void QuadraticPair(Extended a, Extended b, Extended c, TComplex& y1, TComplex& y2)
{
    using namespace complex;
    TComplex d;
    ComplexSqrt(Real(checked::sub(checked::mul(b, b), checked::mul(checked::mul(4, a), c))), d);
    const Extended twoA = checked::mul(2, a);
    TComplex half;
    ComplexDiv(d, Real(twoA), half);
    const TComplex base = Real(checked::div(-b, twoA));
    ComplexAdd(base, half, y1);
    ComplexSub(base, half, y2);
}

// The nearest integer (halves to the even one) of a coefficient's size, for
// the rational search.
long long RoundedSize(Extended x)
{
    const Extended r = nearbyintl(fabsl(x));
    if (!(r < 2147483648.0L))
        throw EPoliRange(QStringLiteral("Coeficiente demasiado grande para la búsqueda de raíces racionales"));
    return static_cast<long long>(r);
}

} // namespace

long long NextDivisor(long long a, long long b, long long bound)
{
    if (bound < b)
        b = a;
    do
        ++b;
    while (b != 0 && a % b != 0 && b <= bound);
    return b;
}

QString TPoli::QuadraticRoots() const
{
    TComplex y1, y2;
    QuadraticPair(m_coef[2], m_coef[1], m_coef[0], y1, y2);
    return complex::ComplexToStr(y1) + kRootsLineEnd + complex::ComplexToStr(y2) + kRootsLineEnd;
}

QString TPoli::BiquadraticRoots() const
{
    using namespace complex;
    TComplex y1, y2;
    QuadraticPair(m_coef[4], m_coef[2], m_coef[0], y1, y2);
    TComplex r1, r2, n1, n2;
    ComplexSqrt(y1, r1);
    ComplexNeg(r1, n1);
    ComplexSqrt(y2, r2);
    ComplexNeg(r2, n2);
    return ComplexToStr(r1) + kRootsLineEnd + ComplexToStr(n1) + kRootsLineEnd + ComplexToStr(r2) + kRootsLineEnd + ComplexToStr(n2);
}

QString TPoli::CubicRoots() const
{
    TRootEvaluator& e = RootEvaluator();
    e.Set(vA, Real(m_coef[3]));
    e.Set(vB, Real(m_coef[2]));
    e.Set(vC, Real(m_coef[1]));
    e.Set(vD, Real(m_coef[0]));
    QString text;
    for (int k = 0; k < 3; ++k) {
        const TComplex z = e.Evaluate(QString::fromLatin1(kCubicFormulas[k]));
        if (!complex::ComplexIsNearZero(EvaluateComplex(z)))
            continue;
        text += complex::ComplexToStr(z);
        if (k < 2)
            text += kRootsLineEnd;
    }
    return text;
}

QString TPoli::QuarticAttempt(bool& failed) const
{
    TRootEvaluator& e = RootEvaluator();
    e.Set(vA, Real(m_coef[4]));
    e.Set(vB, Real(m_coef[3]));
    e.Set(vC, Real(m_coef[2]));
    e.Set(vD, Real(m_coef[1]));
    e.Set(vF, Real(m_coef[0]));
    failed = false;
    try {
        e.Set(vG, e.EvaluateText(QString::fromLatin1(kQuarticG)));
        e.Set(vH, e.EvaluateText(QString::fromLatin1(kQuarticH)));
        e.Set(vJ, e.EvaluateText(QString::fromLatin1(kQuarticJ)));
    } catch (const Exception&) {
        // As for a quadruple root, where H is 0: the formulas do not apply.
        failed = true;
        return {};
    }
    const QString t1 = QString::fromLatin1(kQuarticT1), t2 = QString::fromLatin1(kQuarticT2),
                  t3 = QString::fromLatin1(kQuarticT3), t4 = QString::fromLatin1(kQuarticT4);
    const QString texts[4] = {t1 + '-' + t2 + '-' + t3 + '-' + t4, t1 + '-' + t2 + '+' + t3 + '-' + t4,
                              t1 + '+' + t2 + '-' + t3 + '+' + t4, t1 + '+' + t2 + '+' + t3 + '+' + t4};
    QString text;
    for (int k = 0; k < 4; ++k) {
        const TComplex z = e.Evaluate(texts[k]);
        if (!complex::ComplexIsNearZero(EvaluateComplex(z)))
            continue;
        text += complex::ComplexToStr(z);
        if (k < 3)
            text += kRootsLineEnd;
    }
    return text;
}

QString TPoli::QuarticRoots() const
{
    bool failed = false;
    QString text = QuarticAttempt(failed);
    if (!text.isEmpty())
        return text;
    // The other sign of every coefficient takes other branches of the roots.
    TPoli negated = *this;
    negated.Negate();
    return negated.QuarticAttempt(failed);
}

QString TPoli::RationalRoots(std::optional<TPoli>& quotient) const
{
    const int n = Degree();
    bool oddZero = true, positive = false, negative = false;
    for (int i = 0; i <= n; ++i) {
        if (i % 2 == 1 && m_coef[i] != 0)
            oddZero = false;
        if (m_coef[i] > 0)
            positive = true;
        else if (m_coef[i] < 0)
            negative = true;
    }
    if (oddZero && !(positive && negative))
        return {};
    if (m_coef[0] == 0) {
        TPoli q = CreateZero(n - 1);
        for (int i = 1; i <= n; ++i)
            q.m_coef[i - 1] = m_coef[i];
        quotient = std::move(q);
        return QStringLiteral("0") + kRootsLineEnd;
    }
    const long long a0 = RoundedSize(m_coef[0]), an = RoundedSize(m_coef[n]);
    const long long ra0 = static_cast<long long>(nearbyintl(sqrtl(static_cast<Extended>(a0))));
    const long long ran = static_cast<long long>(nearbyintl(sqrtl(static_cast<Extended>(an))));
    long long t = 1;
    do {
        long long q = 1;
        do {
            for (const Extended x : {Extended(t) / q, -(Extended(t) / q)}) {
                Extended remainder = 0;
                TPoli r = Ruffini(x, remainder);
                if (remainder == 0) {
                    quotient = std::move(r);
                    return FloatToStr(x) + kRootsLineEnd;
                }
            }
            q = NextDivisor(an, q, ran);
        } while (q < an);
        t = NextDivisor(a0, t, ra0);
    } while (t < a0);
    return {};
}

QString TPoli::FindOneRoot(std::optional<TPoli>& quotient) const
{
    quotient.reset();
    const int n = Degree();
    QString text;
    switch (n) {
    case 0:
        return QStringLiteral("Grado 0 (Raiz indeterminada o no existe)");
    case 1:
        // + 0 keeps the root of a·x from showing as "-0".
        return NumberFormat().Format(checked::div(-m_coef[0], m_coef[1]) + 0);
    case 2:
        return QuadraticRoots();
    case 3:
        text = CubicRoots();
        break;
    case 4:
        text = m_coef[1] == 0 && m_coef[3] == 0 ? BiquadraticRoots() : QuarticRoots();
        break;
    default:
        break;
    }
    if (text.isEmpty())
        text = RationalRoots(quotient);
    return text;
}

QString TPoli::FindAllRoots() const
{
    QString text;
    std::optional<TPoli> quotient;
    text += FindOneRoot(quotient);
    while (quotient) {
        const TPoli next = std::move(*quotient);
        text += next.FindOneRoot(quotient);
    }
    if (text.isEmpty()) {
        int n = Degree();
        bool found1 = false, found2 = false;
        const Extended r1 = Secant(found1, -2, -1);
        const Extended r2 = Secant(found2, 1, 2);
        if (found1) {
            text = FloatToStr(r1);
            --n;
        }
        if (found2 && r2 != r1) {
            if (found1)
                text += kRootsLineEnd;
            text += FloatToStr(r2);
            --n;
        }
        if (found1 || found2) {
            if (n == 1)
                text += QStringLiteral("\r\nNo se encontró una raíz");
            else if (n >= 2)
                text += kRootsLineEnd + Format(QStringLiteral("No se encontraron otras %d raices"), {n});
        }
    }
    if (text.isEmpty())
        text = QStringLiteral("No se hallaron raíces");
    return text;
}

Extended TPoli::Secant(bool& found, Extended x1, Extended x2) const
{
    Extended b = x1, a = x2;
    Extended fa = Evaluate(a);
    Extended c = 0;
    int halvings = 0;
    for (int round = 0; round < 200; ++round) {
        const Extended fb = Evaluate(b);
        if (fb == fa) {
            if (b == a)
                break;
            b = (a + b) / 2;
            if (++halvings > 20)
                break;
            continue;
        }
        const Extended next = b - (b - a) * fb / (fb - fa);
        if (!std::isfinite(next))
            break;   // the values left the extended range: no root here
        c = next;
        if (c == b)
            break;
        a = b;
        b = c;
        fa = fb;
    }
    found = fabsl(Evaluate(c)) < 1e-16L;
    return c;
}
