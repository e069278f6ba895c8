#include "tools/matrices/matrizp.h"

#include "engine/errors.h"

#include <cmath>
#include <unordered_map>

namespace {

TPoliN ZeroTerm()
{
    TPoliN p;
    p.SetZero(true);
    return p;
}

TMatrizProgress::Hook& ProgressHook()
{
    static TMatrizProgress::Hook hook;
    return hook;
}

void Report(double step, double steps) { ReportMatrizProgress(step, steps); }

} // namespace

void CheckMatrixSize(int cols, int rows)
{
    if (cols < 0 || rows < 0 || cols > kMaxMatrixSize || rows > kMaxMatrixSize)
        throw Exception(QStringLiteral("La matriz no puede tener más de %1 filas o columnas").arg(kMaxMatrixSize));
}

void ReportMatrizProgress(double step, double steps)
{
    if (const TMatrizProgress::Hook& hook = ProgressHook())
        hook(steps > 0 ? std::min(1.0, step / steps) : 1.0);
}

TMatrizProgress::TMatrizProgress(Hook hook) : m_previous(std::move(ProgressHook())) { ProgressHook() = std::move(hook); }

TMatrizProgress::~TMatrizProgress() { ProgressHook() = std::move(m_previous); }

TMatriz TMatriz::CreateEmpty(int cols, int rows)
{
    TMatriz m;
    m.SetSize(cols, rows);
    return m;
}

void TMatriz::SetSize(int cols, int rows)
{
    CheckMatrixSize(cols, rows);
    m_cols = cols;
    m_rows = rows;
    m_num.assign(std::size_t(cols) * rows, TPoliN());
    m_den.assign(std::size_t(cols) * rows, std::nullopt);
    ForgetExact();
}

TMatriz TMatriz::CreateFromGrid(const GridCells& grid)
{
    TMatriz m = CreateEmpty(std::max(0, grid.ColCount() - 1), std::max(0, grid.RowCount() - 1));
    for (int c = 1; c <= m.m_cols; ++c)
        for (int r = 1; r <= m.m_rows; ++r) {
            const QString text = grid.Cell(c, r).trimmed();
            m.m_num[m.Index(c, r)] = text.isEmpty() ? ZeroTerm() : TPoliN(text);
        }
    return m;
}

TMatriz TMatriz::CreateCopy(const TMatriz& source)
{
    TMatriz m = CreateEmpty(source.m_cols, source.m_rows);
    m.m_num = source.m_num;
    m.m_exact = source.m_exact;
    return m;
}

void TMatriz::CheckRead(int col, int row) const
{
    if (col < 1 || col > m_cols || row < 1 || row > m_rows)
        throw Exception(QStringLiteral("Lectura fuera de rango de matriz [%1,%2]").arg(col).arg(row));
}

const TPoliN& TMatriz::GetCell(int col, int row) const
{
    CheckRead(col, row);
    return m_num[Index(col, row)];
}

const TPoliN* TMatriz::GetDenominator(int col, int row) const
{
    CheckRead(col, row);
    const auto& d = m_den[Index(col, row)];
    return d ? &*d : nullptr;
}

const TExactNumber* TMatriz::GetExact(int col, int row) const
{
    CheckRead(col, row);
    const auto& e = m_exact[Index(col, row)];
    return e ? &*e : nullptr;
}

void TMatriz::SetCell(int col, int row, TPoliN p)
{
    if (col < 1 || col > m_cols || row < 1 || row > m_rows)
        throw Exception(QStringLiteral("Escritura fuera de rango de matriz [%1,%2]").arg(col).arg(row));
    m_num[Index(col, row)] = std::move(p);
    m_exact[Index(col, row)].reset();
}

void TMatriz::SwapRows(int a, int b)
{
    if (a == b)
        return;
    for (int c = 1; c <= m_cols; ++c) {
        std::swap(m_num[Index(c, a)], m_num[Index(c, b)]);
        std::swap(m_exact[Index(c, a)], m_exact[Index(c, b)]);
    }
}

void TMatriz::Add(const TMatriz& other)
{
    if (other.m_rows != m_rows || other.m_cols != m_cols)
        throw Exception(QStringLiteral("No se pueden sumar matrices de distintas dimensiones"));
    for (std::size_t i = 0; i < m_num.size(); ++i)
        m_num[i].Add(other.m_num[i]);
    ForgetExact();
}

void TMatriz::Subtract(const TMatriz& other)
{
    if (other.m_rows != m_rows || other.m_cols != m_cols)
        throw Exception(QStringLiteral("No se pueden restar matrices de distintas dimensiones"));
    for (std::size_t i = 0; i < m_num.size(); ++i)
        m_num[i].Subtract(other.m_num[i]);
    ForgetExact();
}

TMatriz TMatriz::Multiply(const TMatriz& other) const
{
    if (m_cols != other.m_rows)
        throw Exception(QStringLiteral("Matrices no conformables para producto"));
    TMatriz r = CreateEmpty(other.m_cols, m_rows);
    for (int i = 1; i <= other.m_cols; ++i)
        for (int c = 1; c <= m_rows; ++c) {
            TPoliN sum = ZeroTerm();
            for (int k = 1; k <= m_cols; ++k)
                sum.Add(other.m_num[other.Index(i, k)].Multiply(m_num[Index(k, c)]));
            r.m_num[r.Index(i, c)] = std::move(sum);
            Report(double(i - 1) * m_rows + c, double(other.m_cols) * m_rows);
        }
    return r;
}

TMatriz TMatriz::Square() const { return Multiply(CreateCopy(*this)); }

void TMatriz::MultiplyByPoly(const TPoliN& p)
{
    for (std::size_t i = 0; i < m_num.size(); ++i) {
        m_num[i] = m_num[i].Multiply(p);
        Report(double(i + 1), double(m_num.size()));
    }
    ForgetExact();
}

TMatriz TMatriz::Transpose() const
{
    TMatriz r = CreateEmpty(m_rows, m_cols);
    for (int c = 1; c <= m_cols; ++c)
        for (int row = 1; row <= m_rows; ++row) {
            r.m_num[r.Index(row, c)] = m_num[Index(c, row)];
            r.m_exact[r.Index(row, c)] = m_exact[Index(c, row)];
        }
    return r;
}

bool TMatriz::IsNumeric() const
{
    for (const TPoliN& p : m_num)
        if (p.LetterCount() > 0)
            return false;
    return true;
}

std::vector<Extended> TMatriz::ToNumbers() const
{
    std::vector<Extended> v(m_num.size());
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = ConstantValue(m_num[i]);
    return v;
}

void TMatriz::SetExactCells(const std::vector<TExactNumber>& cells)
{
    for (std::size_t i = 0; i < cells.size(); ++i) {
        m_num[i] = cells[i].IsZero() ? ZeroTerm() : TPoliN::CreateConst(cells[i].Value);
        m_den[i].reset();
        m_exact[i] = cells[i];
    }
}

// Elimination without any division for cells with letters: the lower rows
// become pivot·row − left·pivot row. The pivot is searched in every row below.
void TMatriz::EliminateSymbolic(int pivotCols)
{
    int row = 1;
    for (int col = 1; col <= pivotCols && row <= m_rows; ++col) {
        int b = row;
        while (b <= m_rows && m_num[Index(col, b)].IsZero())
            ++b;
        if (b > m_rows)
            continue;
        SwapRows(b, row);
        const TPoliN p = m_num[Index(col, row)];
        for (int r = row + 1; r <= m_rows; ++r) {
            const TPoliN q = m_num[Index(col, r)];
            if (q.IsZero())
                continue;
            for (int c = col + 1; c <= m_cols; ++c) {
                TPoliN v = p.Multiply(m_num[Index(c, r)]);
                v.Subtract(m_num[Index(c, row)].Multiply(q));
                m_num[Index(c, r)] = std::move(v);
            }
            m_num[Index(col, r)] = ZeroTerm();
            Report(double(col - 1) + double(r) / m_rows, double(pivotCols));
        }
        ++row;
    }
}

void TMatriz::Triangulate()
{
    if (IsNumeric())
        SetExactCells(exact::Triangulate(ToNumbers(), m_cols, m_rows, m_cols));
    else
        EliminateSymbolic(m_cols);
}

void TMatriz::CheckSquareForDeterminant() const
{
    if (m_cols < m_rows)
        throw Exception(QStringLiteral("La matriz debe ser cuadrada o tener mas columnas que filas"));
}

TExactNumber TMatriz::ExactDeterminant() const
{
    CheckSquareForDeterminant();
    return exact::Determinant(ToNumbers(), m_rows, m_rows);
}

TPoliN TMatriz::Determinant() const
{
    CheckSquareForDeterminant();
    if (IsNumeric()) {
        const TExactNumber d = ExactDeterminant();
        return d.IsZero() ? ZeroTerm() : TPoliN::CreateConst(d.Value);
    }
    if (m_cols > m_rows) {
        TMatriz square = CreateEmpty(m_rows, m_rows);
        std::copy(m_num.begin(), m_num.begin() + std::ptrdiff_t(m_rows) * m_rows, square.m_num.begin());
        return square.Determinant();
    }
    const int n = m_rows;
    if (n == 0)
        return TPoliN::CreateConst(1);
    if (n > kMaxSymbolicDeterminant)
        throw Exception(QStringLiteral("Determinante con letras demasiado grande (máximo %1 filas)").arg(kMaxSymbolicDeterminant));
    // Minors of the last m rows, by the set of columns they use.
    std::unordered_map<std::uint32_t, TPoliN> level;
    level.emplace(0u, TPoliN::CreateConst(1));
    // The last levels hold the most minors: the level of m rows takes the
    // share C(n, m)·m of the whole, roughly.
    double total = 0, done = 0;
    {
        double sets = 1;
        for (int m = 1; m <= n; ++m) {
            sets = sets * (n - m + 1) / m;
            total += sets * m;
        }
    }
    for (int row = n; row >= 1; --row) {
        std::unordered_map<std::uint32_t, TPoliN> next;
        const int m = n - row + 1;
        double levelSets = 1;
        for (int k = 1; k <= m; ++k)
            levelSets = levelSets * (n - k + 1) / k;
        const double perSet = levelSets * m / std::max<double>(1, double(level.size()));
        for (const auto& [set, minor] : level) {
            done += perSet;
            Report(done, total);
            if (minor.IsZero())
                continue;
            int before = 0;   // columns of the set left of c
            for (int c = 1; c <= n; ++c) {
                const std::uint32_t bit = 1u << (c - 1);
                if (set & bit) {
                    ++before;
                    continue;
                }
                const TPoliN& cell = m_num[Index(c, row)];
                if (cell.IsZero())
                    continue;
                TPoliN term = cell.Multiply(minor);
                auto [it, fresh] = next.try_emplace(set | bit, ZeroTerm());
                if (before % 2 == 0)
                    it->second.Add(term);
                else
                    it->second.Subtract(term);
            }
        }
        level = std::move(next);
    }
    auto it = level.find(n == 32 ? 0xffffffffu : (1u << n) - 1);
    return it == level.end() ? ZeroTerm() : it->second;
}

namespace {

TPoliN CofactorDeterminant(const std::vector<const TPoliN*>& cells, int n)
{
    if (n == 1)
        return TPoliN::CreateCopy(*cells[0]);
    if (n == 2) {
        TPoliN d = cells[0]->Multiply(*cells[3]);
        d.Subtract(cells[1]->Multiply(*cells[2]));
        return d;
    }
    TPoliN d = ZeroTerm();
    std::vector<const TPoliN*> minor(std::size_t(n - 1) * (n - 1));
    for (int p = 0; p < n; ++p) {
        std::size_t k = 0;
        for (int r = 1; r < n; ++r)
            for (int c = 0; c < n; ++c)
                if (c != p)
                    minor[k++] = cells[std::size_t(r) * n + c];
        TPoliN t = CofactorDeterminant(minor, n - 1).Multiply(*cells[std::size_t(p)]);
        if (p % 2 == 0)
            d.Add(t);
        else
            d.Subtract(t);
    }
    return d;
}

} // namespace

TPoliN TMatriz::DeterminantByCofactors() const
{
    if (m_cols != m_rows)
        throw Exception(QStringLiteral("La matriz debe ser cuadrada"));
    if (m_rows == 0)
        return TPoliN::CreateConst(1);
    std::vector<const TPoliN*> cells;
    for (int r = 1; r <= m_rows; ++r)
        for (int c = 1; c <= m_cols; ++c)
            cells.push_back(&m_num[Index(c, r)]);
    return CofactorDeterminant(cells, m_rows);
}

TSystemKind ClassifyTriangulated(const TMatriz& m)
{
    const int n = m.Rows();
    bool singular = false;
    for (int k = 1; k <= n; ++k)
        if (m.GetCell(k, k).IsZero())
            singular = true;
    if (!singular)
        return TSystemKind::Determinate;
    for (int r = 1; r <= n; ++r) {
        bool coefficients = false;
        for (int c = 1; c <= n; ++c)
            coefficients = coefficients || !m.GetCell(c, r).IsZero();
        if (coefficients)
            continue;
        for (int c = n + 1; c <= m.Cols(); ++c)
            if (!m.GetCell(c, r).IsZero())
                return TSystemKind::Incompatible;
    }
    return TSystemKind::Indeterminate;
}

TMatriz TMatriz::Solve(const TSingularQuestion& ask)
{
    if (m_cols <= m_rows)
        throw Exception(QStringLiteral("Se requiere una matriz ampliada: más columnas que filas"));
    const int n = m_rows;
    const bool numeric = IsNumeric();
    if (numeric) {
        // One elimination that clears above the pivots too answers a
        // determinate system; only a singular one is triangulated to be
        // classified (and perhaps shown).
        const std::vector<Extended> values = ToNumbers();
        if (std::optional<std::vector<TExactNumber>> x = exact::Solve(values, m_cols, n)) {
            TMatriz r = CreateEmpty(m_cols - n, n);
            r.SetExactCells(*x);
            return r;
        }
        SetExactCells(exact::Triangulate(values, m_cols, m_rows, n));
    } else {
        EliminateSymbolic(n);
    }
    const TSystemKind kind = ClassifyTriangulated(*this);
    if (kind != TSystemKind::Determinate) {
        const bool show = kind == TSystemKind::Incompatible
            ? ask(QStringLiteral("Sistema INCOMPATIBLE\r\n\r\n¿Desea ver una triangulación?"), QStringLiteral("Matrices"))
            : ask(QStringLiteral("Sistema compatible INDETERMINADO\r\n(tiene infinitas soluciones)\r\n\r\n¿Desea ver una triangulación?"),
                  QString());
        if (!show)
            throw EAbort();
        return std::move(*this);
    }
    TMatriz r = CreateEmpty(m_cols - n, n);
    for (int j = 2; j <= n; ++j) {
        const TPoliN pivot = m_num[Index(j, j)];
        for (int k = 1; k < j; ++k) {
            const TPoliN above = m_num[Index(j, k)];
            if (above.IsZero())
                continue;
            for (int i = 1; i <= m_cols; ++i) {
                if (i == j)
                    continue;
                TPoliN v = m_num[Index(i, k)].Multiply(pivot);
                v.Subtract(m_num[Index(i, j)].Multiply(above));
                m_num[Index(i, k)] = std::move(v);
            }
            m_num[Index(j, k)] = ZeroTerm();
            Report(double(j - 2) + double(k) / j, double(n - 1));
        }
    }
    for (int k = 1; k <= n; ++k)
        for (int i = n + 1; i <= m_cols; ++i) {
            std::optional<TPoliN> num, den;
            m_num[Index(i, k)].SimplifyFraction(m_num[Index(k, k)], num, den);
            r.m_num[r.Index(i - n, k)] = std::move(*num);
            r.m_den[r.Index(i - n, k)] = std::move(den);
        }
    return r;
}

void TMatriz::Invert()
{
    if (m_cols != m_rows)
        throw Exception(QStringLiteral("La matriz debe ser cuadrada"));
    const int n = m_rows;
    if (IsNumeric()) {
        // [A | I] solved exactly; a singular A has no solution.
        std::vector<Extended> wide = ToNumbers();
        wide.resize(std::size_t(2 * n) * std::size_t(n), 0);
        for (int k = 0; k < n; ++k)
            wide[std::size_t(n + k) * std::size_t(n) + std::size_t(k)] = 1;
        const std::optional<std::vector<TExactNumber>> x = exact::Solve(wide, 2 * n, n);
        if (!x)
            throw Exception(QStringLiteral("La matriz no tiene inversa"));
        SetExactCells(*x);
        return;
    }
    if (Determinant().IsZero())
        throw Exception(QStringLiteral("La matriz no tiene inversa"));
    // [A | I] may be twice as wide as the largest matrix of the grids.
    TMatriz wide;
    wide.m_cols = 2 * n;
    wide.m_rows = n;
    wide.m_num.assign(std::size_t(2 * n) * n, TPoliN());
    wide.m_den.assign(std::size_t(2 * n) * n, std::nullopt);
    wide.ForgetExact();
    for (int c = 1; c <= n; ++c)
        for (int r = 1; r <= n; ++r) {
            wide.m_num[wide.Index(c, r)] = m_num[Index(c, r)];
            wide.m_num[wide.Index(n + c, r)] = c == r ? TPoliN::CreateConst(1) : ZeroTerm();
        }
    TMatriz s = wide.Solve([](const QString&, const QString&) { return false; });
    m_num = std::move(s.m_num);
    m_den = std::move(s.m_den);
    ForgetExact();
}

QString TMatriz::CellText(int col, int row) const
{
    if (const TExactNumber* e = GetExact(col, row))
        return ExactText(*e);
    const TPoliN& num = GetCell(col, row);
    const TPoliN* den = GetDenominator(col, row);
    const QString n = num.ToString();
    if (!den)
        return n;
    if (n == QLatin1String("0"))
        return n;
    auto wrap = [](const TPoliN& p) {
        const QString t = p.ToString();
        return p.NonZeroTermCount() > 1 ? QLatin1Char('(') + t + QLatin1Char(')') : t;
    };
    return wrap(num) + QStringLiteral(" / ") + wrap(*den);
}

void TMatriz::ShowInGrid(GridCells& grid) const
{
    grid.SetRowCount(m_rows + 1);
    grid.SetColCount(m_cols + 1);
    for (int c = 1; c <= m_cols; ++c)
        for (int r = 1; r <= m_rows; ++r)
            grid.SetCell(c, r, CellText(c, r));
}
