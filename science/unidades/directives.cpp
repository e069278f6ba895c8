// The unit engine's lines of sumbrix-eval:
//   #convert<TAB>VALUE<TAB>FROM<TAB>TO[<TAB>MAGNITUDE]
//       VALUE (a number) in FROM converted to TO, written as the result box
//       writes it, or the error text. Without MAGNITUDE the first magnitude
//       (in list order) that has both units.
//   #bases<TAB>NUMBER
//       NUMBER (any base: "1010[2]", "hFF") in every base from 2 to 36 as the
//       instant converter shows it, "label: text", " ; " between bases; or
//       the reader's error text.
// The definitions are the maguni.def beside the driver, read at the first
// #convert.
#include "engine/bases.h"
#include "foundation/core/directives.h"
#include "foundation/core/format.h"
#include "science/unidades/conversion.h"
#include "science/unidades/unidades.h"

namespace {

QString ConvertLine(const QString& arguments)
{
    const QStringList a = arguments.split(QLatin1Char('\t'));
    if (a.size() < 3 || a.size() > 4)
        return QStringLiteral("Uso: #convert VALOR DE A [MAGNITUD], separados por tabuladores");
    Extended value = 0;
    if (!TryStrToFloat(a[0].trimmed(), value))
        return Format(QStringLiteral("\"%s\" no es un número válido"), {a[0].trimmed()});
    UnitEngineState& st = unitEngine();
    if (st.Generation == 0)
        LoadUnitDefinitions();
    const QString from = a[1].trimmed(), to = a[2].trimmed();
    QString magnitude;
    if (a.size() == 4) {
        magnitude = a[3].trimmed();
    } else {
        for (const TMagnitud& m : st.MagnitudeList) {
            if (m.IndexOf(from) >= 0 && m.IndexOf(to) >= 0) {
                magnitude = m.Name;
                break;
            }
        }
        if (magnitude.isEmpty()) {
            bool hasFrom = false;
            for (const TMagnitud& m : st.MagnitudeList)
                hasFrom = hasFrom || m.IndexOf(from) >= 0;
            throw EConvUnid(Format(QStringLiteral("La magnitud \"%s\" no esta declarada"), {hasFrom ? to : from}));
        }
    }
    try {
        return FloatToStrDefBase(ConvertUnits(magnitude, from, to, value));
    } catch (const Exception& e) {
        return e.message();
    }
}

QString BasesLine(const QString& arguments)
{
    Extended x = 0;
    QString error;
    if (!ReadNumberWithBase(arguments.trimmed(), x, error))
        return error;
    QStringList parts;
    for (const TBaseRow& r : AllBases(x))
        parts.append(r.Label + QStringLiteral(": ") + r.Text);
    return parts.join(QStringLiteral(" ; "));
}

} // namespace

void RegisterDirectives_science_unidades()
{
    AddEvalDirective(QStringLiteral("convert"), QStringLiteral("#convert<TAB>VALOR<TAB>DE<TAB>A[<TAB>MAGNITUD]"),
                     [](const QString& a) {
                         try {
                             return ConvertLine(a);
                         } catch (const Exception& e) {
                             return e.message();
                         }
                     });
    AddEvalDirective(QStringLiteral("bases"), QStringLiteral("#bases<TAB>NÚMERO"), BasesLine);
}
