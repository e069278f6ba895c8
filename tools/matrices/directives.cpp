// The matrix line of sumbrix-eval: a mode, an action and the matrices as
// text ("," between cells, ";" between rows); one line out with what R shows.
#include "foundation/core/directives.h"
#include "tools/matrices/matrixactions.h"

#include <QStringList>

namespace {

TTextGrid GridOf(const QString& text)
{
    TTextGrid grid(2, 2);
    TextToGrid(grid, text.split(QLatin1Char(';')), QLatin1Char(','));
    for (int r = 1; r < grid.RowCount(); ++r)
        for (int c = 1; c < grid.ColCount(); ++c)
            grid.SetCell(c, r, grid.Cell(c, r).trimmed());
    return grid;
}

QString GridText(const GridCells& grid, int firstRow)
{
    QStringList rows;
    for (int r = firstRow; r < grid.RowCount(); ++r) {
        QStringList cells;
        for (int c = 1; c < grid.ColCount(); ++c)
            cells << grid.Cell(c, r);
        rows << cells.join(QStringLiteral(" , "));
    }
    return rows.join(QStringLiteral(" ; "));
}

TMatrixAction ActionOf(const QString& op)
{
    static const std::pair<const char*, TMatrixAction> names[] = {
        {"det", TMatrixAction::Determinant},      {"triangular", TMatrixAction::Triangulate},
        {"transpose", TMatrixAction::Transpose},  {"inverse", TMatrixAction::Inverse},
        {"solve", TMatrixAction::Solve},          {"sum", TMatrixAction::Sum},
        {"difference", TMatrixAction::Difference}, {"product", TMatrixAction::Product},
        {"square", TMatrixAction::Square},        {"power", TMatrixAction::Square},
    };
    for (const auto& [name, action] : names)
        if (op.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return action;
    throw Exception(QStringLiteral("Operación desconocida: ") + op);
}

QString RunMatrixLine(const QString& arguments)
{
    const QStringList f = arguments.split(QLatin1Char('\t'));
    if (f.size() < 3)
        throw Exception(QStringLiteral("Se esperan MODO, OPERACIÓN y la matriz"));
    const QString mode = f[0].trimmed().toLower();
    if (mode != QLatin1String("rational") && mode != QLatin1String("complex"))
        throw Exception(QStringLiteral("Modo desconocido: ") + f[0]);
    const bool complexMode = mode == QLatin1String("complex");
    const QString op = f[1].trimmed();
    TTextGrid active = GridOf(f[2]);
    TTextGrid result(4, 4);
    if (op.compare(QLatin1String("scalar"), Qt::CaseInsensitive) == 0) {
        const QString value = f.value(3).trimmed();
        if (complexMode) {
            result.SetColCount(active.ColCount());
            result.SetRowCount(active.RowCount());
            ScaleComplex(active, complex::StrToComplex(value), result);
        } else {
            ScaleRational(active, value, result);
        }
        return GridText(result, 1);
    }
    const TMatrixAction action = ActionOf(op);
    std::optional<TTextGrid> other;
    if (f.size() > 3)
        other = GridOf(f[3]);
    QString question;
    const TMatrixGrids grids{&active, QStringLiteral("A"), other ? &*other : nullptr, &result};
    try {
        RunMatrixAction(action, complexMode, grids, [&](const QString& text, const QString&) {
            question = text;
            return false;
        });
    } catch (const EAbort&) {
        if (question.isEmpty())
            throw;
        return question.section(QStringLiteral("\r\n\r\n"), 0, 0).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    }
    if (action == TMatrixAction::Transpose)
        return GridText(active, 1);
    return GridText(result, 1);
}

} // namespace

void RegisterDirectives_tool_matrices()
{
    AddEvalDirective(QStringLiteral("matrix"),
                     QStringLiteral("#matrix<TAB>MODE<TAB>OP<TAB>ROWS[<TAB>ROWS|VALUE]   MODE rational|complex; OP det "
                                    "triangular transpose inverse solve sum difference product square scalar(VALUE); "
                                    "ROWS cells \",\" rows \";\"; prints R: cells \" , \" rows \" ; \", or the classification"),
                     RunMatrixLine);
}
