#include "tools/matrices/matrixactions.h"

#include "engine/formatonum.h"

#include <algorithm>

using namespace complex;

namespace {

void ClearData(GridCells& grid)
{
    for (int r = 1; r < grid.RowCount(); ++r)
        for (int c = 1; c < grid.ColCount(); ++c)
            grid.SetCell(c, r, QString());
}

TMatrix ComplexOf(const GridCells& grid)
{
    return TMatrix::CreateFromGrid(grid, 1, 1, grid.ColCount() - 1, grid.RowCount() - 1);
}

void ShowDeterminantLine(GridCells& result, const QString& name, const QString& text)
{
    result.SetColCount(2);
    result.SetRowCount(3);
    ClearData(result);
    result.SetCell(1, 1, QStringLiteral("Determinante ") + name);
    result.SetCell(1, 2, text);
}

void CheckOperands(TMatrixAction action, const GridCells& a, const GridCells* x)
{
    if (action == TMatrixAction::Sum || action == TMatrixAction::Difference) {
        if (!x || a.ColCount() != x->ColCount() || a.RowCount() != x->RowCount())
            throw Exception(action == TMatrixAction::Sum ? QStringLiteral("No se pueden sumar matrices de distintas dimensiones")
                                                         : QStringLiteral("No se pueden restar matrices de distintas dimensiones"));
    } else if (action == TMatrixAction::Product) {
        if (!x || a.ColCount() != x->RowCount())
            throw Exception(QStringLiteral("Matrices no conformables para producto"));
    } else if (action == TMatrixAction::Square) {
        if (a.ColCount() != a.RowCount())
            throw Exception(QStringLiteral("La matriz debe ser cuadrada"));
    }
}

std::optional<TMatriz> RunRational(TMatrixAction action, const TMatrixGrids& g, const TSingularQuestion& ask)
{
    TMatriz m = TMatriz::CreateFromGrid(*g.Active);
    std::optional<TMatriz> shown;
    switch (action) {
    case TMatrixAction::Determinant: {
        if (m.IsNumeric()) {
            ShowDeterminantLine(*g.Result, g.ActiveName, ExactText(m.ExactDeterminant()));
            return std::nullopt;
        }
        const TPoliN d = m.Determinant();
        if (d.LetterCount() != 1) {
            ShowDeterminantLine(*g.Result, g.ActiveName, d.ToString());
            return std::nullopt;
        }
        const TPoli p = d.ToPoli();
        const QString text = QStringLiteral("\r\nDeterminante ") + g.ActiveName + QStringLiteral("\r\n") + d.ToString() +
                             QStringLiteral("\r\nRaices:\r\n") + p.FindAllRoots();
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        g.Result->SetColCount(2);
        g.Result->SetRowCount(p.Degree() + 4);
        ClearData(*g.Result);
        for (int i = 0; i < lines.size() && i < g.Result->RowCount(); ++i)
            g.Result->SetCell(1, i, lines[i]);
        return std::nullopt;
    }
    case TMatrixAction::Triangulate:
        m.Triangulate();
        shown = std::move(m);
        break;
    case TMatrixAction::Transpose:
        m.Transpose().ShowInGrid(*g.Active);
        return std::nullopt;
    case TMatrixAction::Inverse:
        ClearData(*g.Result);
        m.Invert();
        shown = std::move(m);
        break;
    case TMatrixAction::Solve:
        ClearData(*g.Result);
        shown = m.Solve(ask);
        break;
    case TMatrixAction::Sum:
        m.Add(TMatriz::CreateFromGrid(*g.Other));
        shown = std::move(m);
        break;
    case TMatrixAction::Difference:
        m.Subtract(TMatriz::CreateFromGrid(*g.Other));
        shown = std::move(m);
        break;
    case TMatrixAction::Product:
        shown = m.Multiply(TMatriz::CreateFromGrid(*g.Other));
        break;
    case TMatrixAction::Square:
        shown = m.Square();
        break;
    }
    shown->ShowInGrid(*g.Result);
    return shown;
}

void RunComplex(TMatrixAction action, const TMatrixGrids& g)
{
    TMatrix m = ComplexOf(*g.Active);
    switch (action) {
    case TMatrixAction::Determinant: {
        TComplex d;
        m.Determinant(d);
        ShowDeterminantLine(*g.Result, g.ActiveName, ComplexToStr(d));
        return;
    }
    case TMatrixAction::Triangulate:
        m.Triangulate();
        break;
    case TMatrixAction::Transpose:
        m.Transpose();
        m.ShowInGrid(*g.Active, 1, 1);
        return;
    case TMatrixAction::Inverse: {
        ClearData(*g.Result);
        TComplex d;
        m.Determinant(d);
        if (ComplexIsZero(d))
            throw EMatrixNotice(QStringLiteral("La matriz no tiene inversa"));
        m.Invert();
        break;
    }
    case TMatrixAction::Solve: {
        ClearData(*g.Result);
        const GridCells& a = *g.Active;
        if (a.RowCount() >= a.ColCount())
            throw Exception(QStringLiteral("La matriz debe tener más columnas que filas"));
        const int n = a.RowCount() - 1;
        TMatrix coefficients = TMatrix::CreateFromGrid(a, 1, 1, n, n);
        TComplex d;
        coefficients.Determinant(d);
        // An exactly zero determinant only: the elimination's own test.
        if (ComplexIsZero(d))
            throw Exception(QStringLiteral("Determinante cero. El sistema no es compatible y determinado"));
        const TMatrix b = TMatrix::CreateFromGrid(a, n + 1, 1, a.ColCount() - 1 - n, n);
        coefficients.Invert();
        m = coefficients.Multiply(b);
        break;
    }
    case TMatrixAction::Sum:
        m.Add(ComplexOf(*g.Other));
        break;
    case TMatrixAction::Difference:
        m.Subtract(ComplexOf(*g.Other));
        break;
    case TMatrixAction::Product:
        m = m.Multiply(ComplexOf(*g.Other));
        break;
    case TMatrixAction::Square:
        m = m.Multiply(m);
        break;
    }
    m.ShowInGrid(*g.Result, 1, 1);
}

} // namespace

std::optional<TMatriz> RunMatrixAction(TMatrixAction action, bool complexMode, const TMatrixGrids& grids,
                                       const TSingularQuestion& ask)
{
    CheckOperands(action, *grids.Active, grids.Other);
    if (complexMode) {
        RunComplex(action, grids);
        return std::nullopt;
    }
    return RunRational(action, grids, ask);
}

TMatriz ScaleRational(const GridCells& active, const QString& typed, GridCells& result)
{
    const Extended c = NumberFormat().ParseValue(typed);
    result.SetColCount(active.ColCount());
    result.SetRowCount(active.RowCount());
    TMatriz m = TMatriz::CreateFromGrid(active);
    m.MultiplyByPoly(TPoliN::CreateConst(c));
    m.ShowInGrid(result);
    return m;
}

void ScaleComplex(const GridCells& active, TComplex c, GridCells& result)
{
    for (int r = 1; r < active.RowCount(); ++r)
        for (int col = 1; col < active.ColCount(); ++col) {
            TComplex z;
            ComplexMul(StrToComplex(active.Cell(col, r)), c, z);
            if (!ComplexIsZero(z) && col < result.ColCount() && r < result.RowCount())
                result.SetCell(col, r, ComplexToStr(z));
        }
}

void EmptyGrid(GridCells& grid) { ClearData(grid); }

void IdentityGrid(GridCells& grid)
{
    for (int r = 1; r < grid.RowCount(); ++r)
        for (int c = 1; c < grid.ColCount(); ++c)
            grid.SetCell(c, r, c == r ? QStringLiteral("1") : QString());
}

QString GridToText(const GridCells& grid)
{
    QString text;
    for (int r = 1; r < grid.RowCount(); ++r)
        for (int c = 1; c < grid.ColCount(); ++c)
            text += grid.Cell(c, r) + (c == grid.ColCount() - 1 ? QStringLiteral("\r\n") : QStringLiteral("\t"));
    return text;
}

void TextToGrid(GridCells& grid, const QStringList& lines, QChar separator)
{
    std::vector<QStringList> rows;
    int widest = 1;
    for (const QString& line : lines) {
        rows.push_back(line.split(separator));
        widest = std::max(widest, int(rows.back().size()));
    }
    if (int(lines.size()) > kMaxMatrixSize || widest > kMaxMatrixSize)
        throw Exception(QStringLiteral("El texto no cabe en una matriz de %1 filas y %1 columnas").arg(kMaxMatrixSize));
    grid.SetColCount(widest + 1);
    grid.SetRowCount(std::max(2, int(lines.size()) + 1));
    ClearData(grid);
    for (int i = 0; i < int(rows.size()); ++i)
        for (int c = 0; c < rows[i].size(); ++c)
            grid.SetCell(c + 1, i + 1, rows[i][c]);
    grid.SetFixed(1, 1);
}

void PasteText(GridCells& grid, const QString& text)
{
    QString t = text;
    t.remove(QLatin1Char('\n'));
    TextToGrid(grid, t.split(QLatin1Char('\r')), QLatin1Char('\t'));
}

bool IsCellCharacter(QChar ch)
{
    const char16_t u = ch.unicode();
    return u == 8 || u == '+' || u == '-' || u == '.' || u == '^' || u == '|' || (u >= '0' && u <= '9') ||
           (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

QString DotsToBar(const QString& text)
{
    QString t = text;
    return t.replace(QStringLiteral(".."), QStringLiteral("|"));
}

QString HeaderText(const GridCells& grid, const QString& name, int col, int row)
{
    if (col == 0 && row == 0)
        return name;
    if (col == 0)
        return QString::number(row);
    if (row == 0)
        return col > grid.RowCount() - 1 ? QStringLiteral("b") : QString();
    return grid.Cell(col, row);
}

void SwapGrids(GridCells& a, GridCells& b)
{
    if (&a == &b)
        return;
    const auto take = [](const GridCells& g) {
        std::vector<QStringList> cols;
        for (int c = 1; c < g.ColCount(); ++c) {
            QStringList cells;
            for (int r = 0; r < g.RowCount(); ++r)
                cells << g.Cell(c, r);
            cols.push_back(cells);
        }
        return cols;
    };
    const auto put = [](GridCells& g, const std::vector<QStringList>& cols) {
        const int rows = cols.empty() ? g.RowCount() : int(cols.front().size());
        g.SetColCount(int(cols.size()) + 1);
        g.SetRowCount(rows);
        for (int c = 1; c < g.ColCount(); ++c)
            for (int r = 0; r < rows; ++r)
                g.SetCell(c, r, cols[std::size_t(c - 1)][r]);
        g.SetFixed(1, 1);
    };
    const int rowsA = a.RowCount(), rowsB = b.RowCount();
    std::vector<QStringList> colsA = take(a), colsB = take(b);
    put(a, colsB);
    if (colsB.empty())
        a.SetRowCount(rowsB);
    put(b, colsA);
    if (colsA.empty())
        b.SetRowCount(rowsA);
}

int SizeAfterDrag(int countAtPress, int travel)
{
    return std::clamp(countAtPress + travel / 16, 1, kMaxMatrixSize);
}
