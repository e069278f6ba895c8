// sumbrix-eval lines of the statistics tool.
#include "foundation/core/directives.h"
#include "foundation/core/exceptions.h"
#include "tools/estadisticas/estadistica.h"

#include <QRegularExpression>

namespace {

// The entries as typed, separated by blanks: the 21 results as the results
// page lists them, "name=value" joined by " ; ".
QString StatsDirective(const QString& arguments)
{
    TStatData data;
    const QStringList entries = arguments.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (const QString& e : entries)
        data.AddEntry(e);
    if (data.Count() <= 0 || data.SampleCount() < 2)
        throw Exception(QStringLiteral("Se necesitan al menos dos datos distintos"));
    const TStatResults r = data.ComputeResults();
    QStringList parts;
    for (const auto& [label, value] : r.Rows)
        parts << label.trimmed() + QLatin1Char('=') + value;
    return parts.join(QStringLiteral(" ; "));
}

} // namespace

void RegisterDirectives_tool_estadisticas()
{
    AddEvalDirective(QStringLiteral("stats"), QStringLiteral("#stats ENTRIES   value or value*frequency, blank-separated: the 21 results"),
                     StatsDirective);
}
