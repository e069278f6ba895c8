#include "tools/matrices/mmatrix.h"

#include "foundation/core/exceptions.h"
#include "tools/matrices/matrizp.h"

using namespace complex;

TMatrix TMatrix::CreateEmpty(int cols, int rows)
{
    CheckMatrixSize(cols, rows);
    TMatrix m;
    m.m_cols = cols;
    m.m_rows = rows;
    m.m_cells.assign(std::size_t(cols) * rows, TComplex{});
    return m;
}

TMatrix TMatrix::CreateFromGrid(const GridCells& grid, int firstCol, int firstRow, int cols, int rows)
{
    TMatrix m = CreateEmpty(cols, rows);
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c)
            m.SetCell(c, r, StrToComplex(grid.Cell(firstCol + c - 1, firstRow + r - 1)));
    return m;
}

void TMatrix::GetCell(int col, int row, TComplex& z) const
{
    if (Inside(col, row))
        z = At(col, row);
}

TMatrix::TComplex TMatrix::Cell(int col, int row) const
{
    TComplex z;
    GetCell(col, row, z);
    return z;
}

void TMatrix::SetCell(int col, int row, TComplex z)
{
    if (Inside(col, row))
        At(col, row) = ComplexIsZero(z) ? TComplex{} : z;
}

void TMatrix::AddRow()
{
    CheckMatrixSize(m_cols, m_rows + 1);
    ++m_rows;
    m_cells.resize(std::size_t(m_cols) * m_rows);
}

void TMatrix::AddColumn()
{
    CheckMatrixSize(m_cols + 1, m_rows);
    TMatrix w = CreateEmpty(m_cols + 1, m_rows);
    for (int r = 1; r <= m_rows; ++r)
        for (int c = 1; c <= m_cols; ++c)
            w.At(c, r) = At(c, r);
    w.m_parity = m_parity;
    *this = std::move(w);
}

void TMatrix::DeleteRow(int row)
{
    if (row < 1 || row > m_rows)
        return;
    const auto first = m_cells.begin() + std::ptrdiff_t(row - 1) * m_cols;
    m_cells.erase(first, first + m_cols);
    --m_rows;
}

void TMatrix::DeleteColumn(int col)
{
    if (col < 1 || col > m_cols)
        return;
    TMatrix w = CreateEmpty(m_cols - 1, m_rows);
    for (int r = 1; r <= m_rows; ++r)
        for (int c = 1; c < m_cols; ++c)
            w.At(c, r) = At(c < col ? c : c + 1, r);
    w.m_parity = m_parity;
    *this = std::move(w);
}

void TMatrix::Exchange(int col1, int row1, int col2, int row2)
{
    if (Inside(col1, row1) && Inside(col2, row2))
        std::swap(At(col1, row1), At(col2, row2));
}

void TMatrix::Add(const TMatrix& other)
{
    if (other.m_cols != m_cols || other.m_rows != m_rows)
        throw Exception(QStringLiteral("Las matrices no son conformables para la suma (distinto tamaño)"));
    for (std::size_t i = 0; i < m_cells.size(); ++i)
        ComplexAdd(m_cells[i], other.m_cells[i], m_cells[i]);
}

void TMatrix::Subtract(const TMatrix& other)
{
    if (other.m_cols != m_cols || other.m_rows != m_rows)
        throw Exception(QStringLiteral("Las matrices no son conformables para la suma (distinto tamaño)"));
    for (std::size_t i = 0; i < m_cells.size(); ++i)
        ComplexSub(m_cells[i], other.m_cells[i], m_cells[i]);
}

TMatrix TMatrix::Multiply(const TMatrix& other) const
{
    if (m_cols != other.m_rows)
        throw Exception(QStringLiteral("El número de columnas de la primera matriz no coincide con el número de filas de la segunda."));
    TMatrix r = CreateEmpty(other.m_cols, m_rows);
    for (int j = 1; j <= other.m_cols; ++j) {
        ReportMatrizProgress(j - 1, other.m_cols);
        for (int i = 1; i <= m_rows; ++i) {
            TComplex sum{};
            for (int k = 1; k <= m_cols; ++k) {
                TComplex t;
                ComplexMul(At(k, i), other.At(j, k), t);
                ComplexAdd(sum, t, sum);
            }
            r.SetCell(j, i, sum);
        }
    }
    return r;
}

void TMatrix::Transpose()
{
    TMatrix t = CreateEmpty(m_rows, m_cols);
    for (int r = 1; r <= m_rows; ++r)
        for (int c = 1; c <= m_cols; ++c)
            t.At(r, c) = At(c, r);
    t.m_parity = m_parity;
    *this = std::move(t);
}

void TMatrix::Triangulate()
{
    if (m_cols < m_rows)
        return;
    m_parity = 0;
    for (int i = 1; i < m_rows; ++i) {
        ReportMatrizProgress(i - 1, m_rows - 1);
        if (ComplexIsZero(At(i, i))) {
            int j = i + 1;
            while (j <= m_rows && ComplexIsZero(At(i, j)))
                ++j;
            if (j > m_rows)
                continue;   // nothing to eliminate below
            for (int c = 1; c <= m_cols; ++c)
                std::swap(At(c, i), At(c, j));
            m_parity ^= 1;
        }
        for (int b = i + 1; b <= m_rows; ++b) {
            if (ComplexIsZero(At(i, b)))
                continue;
            TComplex m;
            ComplexDiv(At(i, b), At(i, i), m);
            ComplexNeg(m, m);
            for (int c = i; c <= m_cols; ++c) {
                TComplex t;
                ComplexMul(At(c, i), m, t);
                ComplexAdd(t, At(c, b), t);
                SetCell(c, b, t);
            }
            At(i, b) = TComplex{};
        }
    }
}

void TMatrix::Determinant(TComplex& d) const
{
    if (m_cols != m_rows)
        throw Exception(QStringLiteral("La matriz no es cuadrada."));
    TMatrix t = *this;
    t.Triangulate();
    d = Complex(1, 0);
    for (int k = 1; k <= m_cols; ++k)
        ComplexMul(d, t.At(k, k), d);
    if (t.m_parity)
        ComplexNeg(d, d);
    if (ComplexIsZero(d))
        d = TComplex{};
}

void TMatrix::Invert()
{
    if (m_cols != m_rows)
        throw Exception(QStringLiteral("La matriz no es cuadrada."));
    const int n = m_rows;
    // [A | I] may be twice as wide as the largest matrix of the grids.
    TMatrix w;
    w.m_cols = 2 * n;
    w.m_rows = n;
    w.m_cells.assign(std::size_t(2 * n) * n, TComplex{});
    for (int r = 1; r <= n; ++r) {
        for (int c = 1; c <= n; ++c)
            w.At(c, r) = At(c, r);
        w.At(n + r, r) = Complex(1, 0);
    }
    bool complete = true;
    for (int j = 1; j <= n; ++j) {
        ReportMatrizProgress(j - 1, 2 * n);
        int a = j;
        Extended best = ComplexAbs(w.At(j, j));
        for (int r = j + 1; r <= n; ++r) {
            const Extended m = ComplexAbs(w.At(j, r));
            if (m > best) {
                best = m;
                a = r;
            }
        }
        if (ComplexIsZero(w.At(j, a))) {
            complete = false;
            break;
        }
        if (a != j)
            for (int c = j; c <= 2 * n; ++c)
                std::swap(w.At(c, j), w.At(c, a));
        const TComplex pivot = w.At(j, j);
        for (int b = j + 1; b <= 2 * n; ++b)
            ComplexDiv(w.At(b, j), pivot, w.At(b, j));
        for (int b = j + 1; b <= n; ++b) {
            const TComplex left = w.At(j, b);
            for (int d = j + 1; d <= 2 * n; ++d) {
                TComplex t;
                ComplexMul(left, w.At(d, j), t);
                ComplexSub(w.At(d, b), t, w.At(d, b));
            }
        }
    }
    if (complete)
        for (int b = n + 1; b <= 2 * n; ++b) {
            ReportMatrizProgress(b - 1, 2 * n);
            for (int r = n - 1; r >= 1; --r)
                for (int j = r + 1; j <= n; ++j) {
                    TComplex t;
                    ComplexMul(w.At(j, r), w.At(b, j), t);
                    ComplexSub(w.At(b, r), t, w.At(b, r));
                }
        }
    TMatrix inv = CreateEmpty(n, n);
    for (int r = 1; r <= n; ++r)
        for (int c = 1; c <= n; ++c)
            inv.SetCell(c, r, w.At(n + c, r));
    *this = std::move(inv);
}

void TMatrix::ShowInGrid(GridCells& grid, int firstCol, int firstRow) const
{
    grid.SetColCount(m_cols + firstCol);
    grid.SetRowCount(m_rows + firstRow);
    for (int r = 1; r <= m_rows; ++r)
        for (int c = 1; c <= m_cols; ++c)
            grid.SetCell(firstCol + c - 1, firstRow + r - 1, ComplexToStr(At(c, r)));
}
