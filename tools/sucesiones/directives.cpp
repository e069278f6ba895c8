// sumbrix-eval lines of the sequences tool.
#include "foundation/core/directives.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/format.h"
#include "tools/sucesiones/sucesion.h"

#include <QRegularExpression>

namespace {

// FORM<TAB>RECURRENCE<TAB>STOP<TAB>INITIAL TERMS[<TAB>f<TAB>g<TAB>h]: a
// detailed run as the window's "Iniciar" makes it (at most 1000 terms), its
// report lines joined by " ; ".
QString SequenceDirective(const QString& arguments)
{
    const QStringList fields = arguments.split(QLatin1Char('\t'));
    if (fields.size() < 2)
        throw Exception(QStringLiteral("Uso: #sequence FORMA<TAB>SUCESIÓN<TAB>PARADA<TAB>INICIALES[<TAB>f<TAB>g<TAB>h]"));
    auto field = [&fields](int i) { return i < fields.size() ? fields[i] : QString(); };
    TSucesion s;
    const QString form = field(0).trimmed();
    if (form == QLatin1String("Sn+1="))
        s.Shift = 1;
    else if (form != QLatin1String("Sn="))
        throw Exception(QStringLiteral("La forma debe ser \"Sn=\" o \"Sn+1=\""));
    s.CompileAll({field(4), field(5), field(6), field(1), field(2)});
    const int lag = s.ProbeLag();
    const QStringList initials = field(3).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    QStringList lines;
    for (int i = 1; i <= lag; ++i) {
        if (i > initials.size())
            throw Exception(Format(QStringLiteral("Falta el valor de S(%d)"), {i}));
        const Extended v = ReadNumber(initials[i - 1]);
        s.SetInitial(i, v);
        lines << TSucesion::TermLine(static_cast<std::uint32_t>(i), v);
    }
    const TSucesion::TRunEnd end = s.RunDetailed(lines);
    lines += s.ClosingLines(true, end);
    return lines.join(QStringLiteral(" ; "));
}

} // namespace

void RegisterDirectives_tool_sucesiones()
{
    AddEvalDirective(QStringLiteral("sequence"),
                     QStringLiteral("#sequence FORM<TAB>RECURRENCE<TAB>STOP<TAB>INITIAL TERMS[<TAB>f<TAB>g<TAB>h]   "
                                    "FORM Sn= or Sn+1=: the report of a detailed run"),
                     SequenceDirective);
}
