// The polynomial lines of sumbrix-eval: fields separated by tabs, one line
// out, every CR LF of the result written as " ; ".
#include "engine/complex/expresion.h"
#include "foundation/core/directives.h"
#include "tools/polinomios/poliactions.h"

#include <QStringList>

namespace {

QString OneLine(QString s) { return s.replace(QStringLiteral("\r\n"), QStringLiteral(" ; ")); }

QString Field(const QStringList& fields, int i) { return i < fields.size() ? fields[i] : QString(); }

// "x=2,y=a+1": the value of each letter named.
std::array<QString, kLetters> LetterValues(const QString& list)
{
    std::array<QString, kLetters> typed;
    for (const QString& item : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        const QString name = item.left(eq).trimmed().toLower();
        if (eq < 0 || name.size() != 1 || name[0] < QLatin1Char('a') || name[0] > QLatin1Char('z'))
            throw Exception(QStringLiteral("Valores de la forma letra=valor separados por comas"));
        typed[name[0].unicode() - 'a'] = item.mid(eq + 1).trimmed();
    }
    return typed;
}

TPoliAction RunPoly(const QString& op, const QString& p, const QString& q)
{
    const QString o = op.trimmed().toLower();
    if (o == QLatin1String("suma"))
        return PoliSum(TPoliN(p), TPoliN(q));
    if (o == QLatin1String("resta"))
        return PoliDifference(TPoliN(p), TPoliN(q));
    if (o == QLatin1String("producto"))
        return PoliProduct(TPoliN(p), TPoliN(q));
    if (o == QLatin1String("cociente"))
        return PoliQuotient(TPoliN(p), TPoliN(q));
    if (o == QLatin1String("potencia"))
        return PoliPower(p, PoliPowerCount(q));
    if (o == QLatin1String("evaluar")) {
        complex::TExpresion evaluator;
        evaluator.Silent = true;
        evaluator.SetUseBuiltIns(true);
        return PoliEvaluate(TPoliN(p), LetterValues(q), evaluator, [] { return true; });
    }
    if (o == QLatin1String("derivada"))
        return PoliDerivative(TPoli(p));
    if (o == QLatin1String("integral"))
        return PoliIntegral(TPoli(p));
    if (o == QLatin1String("integraldef")) {
        const qsizetype comma = q.indexOf(QLatin1Char(','));
        return PoliDefiniteIntegral(TPoli(p), q.left(comma < 0 ? q.size() : comma), comma < 0 ? QString() : q.mid(comma + 1));
    }
    if (o == QLatin1String("ruffini"))
        return PoliRuffini(TPoli(p), q);
    if (o == QLatin1String("raices"))
        return PoliRoots(TPoli(p));
    if (o == QLatin1String("generar"))
        return PoliFromRoots(p);
    throw Exception(QStringLiteral("Operación desconocida: ") + op);
}

} // namespace

void RegisterDirectives_tool_polinomios()
{
    AddEvalDirective(QStringLiteral("roots"), QStringLiteral("#roots<TAB>P   roots of P in x, lines joined by \" ; \""),
                     [](const QString& arguments) { return OneLine(TPoli(arguments).FindAllRoots()); });
    AddEvalDirective(
        QStringLiteral("poly"),
        QStringLiteral("#poly<TAB>OP<TAB>P<TAB>Q   label<TAB>result of the polynomial window's OP: suma resta "
                       "producto cociente potencia(Q=n) evaluar(Q=x=v,y=w) derivada integral "
                       "integraldef(Q=sup,inf) ruffini(Q=a) raices generar(P=roots)"),
        [](const QString& arguments) {
            const QStringList f = arguments.split(QLatin1Char('\t'));
            const TPoliAction a = RunPoly(Field(f, 0), Field(f, 1), Field(f, 2));
            return OneLine(a.Label) + QLatin1Char('\t') + OneLine(a.Memo);
        });
}
