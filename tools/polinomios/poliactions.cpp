#include "tools/polinomios/poliactions.h"

#include "engine/formatonum.h"
#include "foundation/core/format.h"
#include "engine/complex/expresion.h"
#include "foundation/core/separatexto.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool SameSingleLetter(const TPoliN& p, const TPoliN& q)
{
    if (p.LetterCount() != 1 || q.LetterCount() != 1)
        return false;
    for (int k = 0; k < kLetters; ++k)
        if (p.UsesLetter(QChar('a' + k)))
            return q.UsesLetter(QChar('a' + k));
    return false;
}

} // namespace

TPoliAction PoliSum(const TPoliN& p, const TPoliN& q)
{
    TPoliN r = p;
    r.Add(q);
    return {QStringLiteral("P()+Q()"), r.ToString()};
}

TPoliAction PoliDifference(const TPoliN& p, const TPoliN& q)
{
    TPoliN r = p;
    r.Subtract(q);
    return {QStringLiteral("P()-Q()"), r.ToString()};
}

TPoliAction PoliProduct(const TPoliN& p, const TPoliN& q)
{
    return {QStringLiteral("P()*Q()"), p.Multiply(q).ToString()};
}

TPoliAction PoliQuotient(const TPoliN& p, const TPoliN& q)
{
    TPoliAction a;
    if (SameSingleLetter(p, q)) {
        TPoli remainder;
        const TPoli dividend = p.ToPoli();
        TPoli quotient = dividend.Divide(q.ToPoli(), remainder);
        // Written in the letter of the polynomials, not in x.
        quotient.SetLetter(dividend.Letter());
        remainder.SetLetter(dividend.Letter());
        a.Memo = QStringLiteral("Cociente: ") + quotient.ToString() + kCrLf + QStringLiteral("Resto: ") +
                 remainder.ToString() + kCrLf;
    }
    std::optional<TPoliN> num, den;
    if (p.SimplifyFraction(q, num, den))
        a.Memo += num->ToString();
    else
        a.Memo += Format(QStringLiteral("(%s)/(%s)"), {num->ToString(), den->ToString()});
    a.Label = QStringLiteral("P()/Q()");
    return a;
}

int PoliPowerCount(const QString& typed)
{
    const long long n = PoliStrToInt(typed.trimmed());
    if (n < 0)
        throw Exception(QStringLiteral("La potencia no puede ser negativa"));
    if (n > kMaxPoliNPower)
        throw Exception(Format(QStringLiteral("La potencia no puede ser mayor a %d"), {kMaxPoliNPower}));
    return static_cast<int>(n);
}

TPoliAction PoliPower(const QString& p, int n)
{
    const TPoliN poly(p);
    TPoliAction a;
    a.Label = Format(QStringLiteral("(%s)^%d"), {poly.ToString(), n});
    a.Memo = poly.Power(n).ToString();
    return a;
}

QString PoliLetterList(const TPoliN& p)
{
    QString list;
    for (int k = 0; k < kLetters; ++k)
        if (p.UsesLetter(QChar('a' + k)))
            list += QChar('a' + k) + QStringLiteral(",");
    return list;
}

TPoliAction PoliSubstitute(const TPoliN& p, const std::array<QString, kLetters>& typed)
{
    std::array<std::optional<TPoliN>, kLetters> parsed;
    std::array<const TPoliN*, kLetters> values{};
    for (int k = 0; k < kLetters; ++k) {
        if (typed[k].isEmpty() || !p.UsesLetter(QChar('a' + k)))
            continue;
        parsed[k].emplace(typed[k]);
        values[k] = &*parsed[k];
    }
    return {QString(), p.Substitute(values).ToString()};
}

bool PoliNotPlainReal(const QString& typed)
{
    Extended v = 0;
    return !typed.isEmpty() && ValFloat(typed, v) != 0;
}

TPoliAction PoliEvaluate(const TPoliN& p, const std::array<QString, kLetters>& typed,
                         complex::TExpresion& evaluator, const std::function<bool()>& askComplex)
{
    if (PoliLetterList(p) == QLatin1String("x,")) {
        const QString v = typed['x' - 'a'];
        if (PoliNotPlainReal(v)) {
            evaluator.SetText(v);
            if (evaluator.Compiled && !evaluator.HasError && askComplex && askComplex()) {
                complex::TComplex z;
                evaluator.Evaluate(z);
                return {QString(), complex::ComplexToStr(p.ToPoli().EvaluateComplex(z))};
            }
        }
    }
    return PoliSubstitute(p, typed);
}

TPoliAction PoliDerivative(const TPoli& p)
{
    TPoli d = p;
    d.Derive();
    return {QStringLiteral("P´(x)"), d.ToString()};
}

TPoliAction PoliIntegral(const TPoli& p)
{
    TPoli i = p;
    i.Integrate();
    return {QStringLiteral("Integral P(x)dx"), i.ToString() + QStringLiteral(" +k")};
}

TPoliAction PoliDefiniteIntegral(const TPoli& p, const QString& sup, const QString& inf)
{
    TPoli antiderivative = p;
    antiderivative.Integrate();
    const TPoliN f = TPoliN::CreateFromPoli(antiderivative);
    const TPoliN low(inf), high(sup);
    std::array<const TPoliN*, kLetters> at{};
    at['x' - 'a'] = &high;
    TPoliN r = f.Substitute(at);
    at['x' - 'a'] = &low;
    r.Subtract(f.Substitute(at));
    return {Format(QStringLiteral("Integral P(x)dx en [%s, %s]"), {inf, sup}), r.ToString()};
}

TPoliAction PoliRuffini(const TPoli& p, const QString& typed)
{
    const Extended a = NumberFormat().ParseValue(typed);
    Extended remainder = 0;
    const TPoli q = p.Ruffini(a, remainder);
    return {Format(QStringLiteral("P(x)/(x-(%s))"), {typed.trimmed()}),
            QStringLiteral("Cociente: ") + q.ToString() + kCrLf + QStringLiteral("Resto: ") +
                NumberFormat().Format(remainder)};
}

TPoliAction PoliRoots(const TPoli& p)
{
    return {QStringLiteral("Raíces de P(x)=0"), p.FindAllRoots()};
}

TPoliAction PoliFromRoots(const QString& typed)
{
    TSeparaTexto fields;
    fields.SetSeparators(QStringLiteral(","));
    fields.SetText(typed);
    TPoli factor = TPoli::CreateZero(1);
    factor.SetCoef(1, 1);
    std::optional<TPoli> r;
    while (!fields.AtEnd()) {
        QString field;
        fields.Next(field);
        factor.SetCoef(0, -NumberFormat().ParseValue(field));
        r = r ? r->Multiply(factor) : TPoli::CreateCopy(factor);
    }
    if (!r)
        throw Exception(QStringLiteral("Ingrese al menos una raíz"));
    return {QStringLiteral("Polinomio con raíces: ") + typed, r->ToString()};
}
