// The dates window's calculations in sumbrix-eval: the window's inputs in,
// its result field out.
#include "foundation/core/directives.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/format.h"
#include "tools/fechas/fechas.h"

#include <QStringList>

namespace {

// "TYPE<TAB>UNIT<TAB>FIELD1<TAB>FIELD2[<TAB>FIELD3]": the type 0 to 5 and the
// unit tag 0 to 7 as the window numbers them; the fields are the dates panel's
// (date 1, date 2 or days) for types 0 and 1, the durations panel's for the
// others. Missing fields are empty.
QString RunDates(const QString& arguments)
{
    const QStringList parts = arguments.split(QLatin1Char('\t'));
    long long type = -1, unit = -1;
    if (parts.size() < 2 || !TryStrToInt(parts[0].trimmed(), type) || type < 0 || type >= fechas::kCalcTypes)
        throw Exception(QStringLiteral("Tipo de cálculo no válido (0 a 5)"));
    if (!TryStrToInt(parts[1].trimmed(), unit) || unit < 0 || unit > 7)
        throw Exception(QStringLiteral("Unidad de resultado no válida (0 a 7)"));
    const auto field = [&parts](int i) { return parts.value(i + 2); };
    fechas::TDurationFormat format;
    format.Unit = int(unit);
    if (type <= fechas::ctDatePlusDays)
        return fechas::CalcDates(int(type), field(0), field(1), format);
    return fechas::CalcTimes(int(type), field(0), field(1), field(2), format);
}

} // namespace

void RegisterDirectives_tool_fechas()
{
    AddEvalDirective(QStringLiteral("dates"),
                     QStringLiteral("#dates TIPO<TAB>UNIDAD<TAB>CAMPO1<TAB>CAMPO2[<TAB>CAMPO3]"), RunDates);
}
