#pragma once
// Matrices whose cells are fractions of polynomials in the letters a to z
// (TMatriz): the rational mode of the matrix window. Numbers, fractions typed
// as "n|d" and letters live in one type. Cells are addressed (column, row),
// both from 1.
//
//     TTextGrid g(3, 3);  ... fill cells (1,1) .. (2,2) ...
//     TMatriz m = TMatriz::CreateFromGrid(g);
//     TPoliN d = m.Determinant();
//
// When every cell is a plain number the elimination runs over whole numbers
// of any size (exactmatrix.h): determinants, triangulations, solutions and
// inverses are exact at every size, and their cells keep their exact value
// beside the 80-bit one. With letters the elimination never divides, and the
// determinant expands minors once per set of columns.
#include "foundation/core/grid.h"
#include "tools/matrices/exactmatrix.h"
#include "tools/polinomios/polin.h"

#include <functional>
#include <optional>
#include <vector>

// The largest size in rows or columns.
inline constexpr int kMaxMatrixSize = 255;
// Raises the box's message for a size outside 0..kMaxMatrixSize.
void CheckMatrixSize(int cols, int rows);
// The largest determinant with letters (its minors are 2^n sets of columns).
inline constexpr int kMaxSymbolicDeterminant = 14;

// Asked by TMatriz::Solve for a singular system: the text and caption of the
// yes/no question; true means "show the triangulation".
using TSingularQuestion = std::function<bool(const QString& text, const QString& caption)>;

class TMatriz {
public:
    TMatriz() = default;
    // Data cells of the grid (one fixed row and column); an empty cell is 0.
    static TMatriz CreateFromGrid(const GridCells& grid);
    static TMatriz CreateEmpty(int cols, int rows);
    // Numerators only.
    static TMatriz CreateCopy(const TMatriz& source);

    int Rows() const { return m_rows; }
    int Cols() const { return m_cols; }
    void SetSize(int cols, int rows);

    const TPoliN& GetCell(int col, int row) const;
    void SetCell(int col, int row, TPoliN p);
    // The denominator, or null for 1.
    const TPoliN* GetDenominator(int col, int row) const;
    // The exact value of a cell computed without letters (its numerator is
    // that value rounded to 80 bits), or null.
    const TExactNumber* GetExact(int col, int row) const;
    void SwapRows(int a, int b);

    void Add(const TMatriz& other);
    void Subtract(const TMatriz& other);
    TMatriz Multiply(const TMatriz& other) const;
    TMatriz Square() const;
    void MultiplyByPoly(const TPoliN& p);
    TMatriz Transpose() const;
    // With more columns than rows, of the leading square; fewer columns
    // than rows are refused.
    TPoliN Determinant() const;
    // The same, exactly, of a matrix without letters (IsNumeric).
    TExactNumber ExactDeterminant() const;
    // The same by cofactor expansion along the first row (n! products): the
    // reference the faster determinant must agree with.
    TPoliN DeterminantByCofactors() const;
    void Triangulate();
    // [A | B] with more columns than rows. A singular system asks `ask`;
    // "no" raises EAbort, "yes" returns the triangulated matrix itself.
    TMatriz Solve(const TSingularQuestion& ask);
    void Invert();

    // Text of one cell as the grids show it.
    QString CellText(int col, int row) const;
    void ShowInGrid(GridCells& grid) const;

    // True when no cell uses a letter.
    bool IsNumeric() const;

private:
    int Index(int col, int row) const { return (col - 1) * m_rows + (row - 1); }
    void CheckRead(int col, int row) const;
    void CheckSquareForDeterminant() const;
    std::vector<Extended> ToNumbers() const;
    // Every cell := its exact value (numerators rounded to 80 bits, no
    // denominators).
    void SetExactCells(const std::vector<TExactNumber>& cells);
    void ForgetExact() { m_exact.assign(m_num.size(), std::nullopt); }
    void EliminateSymbolic(int pivotCols);

    int m_rows = 0;
    int m_cols = 0;
    std::vector<TPoliN> m_num;
    std::vector<std::optional<TPoliN>> m_den;
    std::vector<std::optional<TExactNumber>> m_exact;
};

// Progress of long work (products, squares, determinants with letters,
// eliminations with letters, solutions, inverses): while a scope is alive, its hook is
// called between steps with the part done (0 to 1). The hook may throw
// (EAbort) to stop the work; the matrix worked on is then left partly changed.
class TMatrizProgress {
public:
    using Hook = std::function<void(double done)>;
    explicit TMatrizProgress(Hook hook);
    ~TMatrizProgress();
    TMatrizProgress(const TMatrizProgress&) = delete;
    TMatrizProgress& operator=(const TMatrizProgress&) = delete;

private:
    Hook m_previous;
};
// Step `step` of `steps` done: the hook of the innermost scope is called (the
// complex matrices report through it too).
void ReportMatrizProgress(double step, double steps);

// The solution of [A | B] with A square: one of these classifications.
enum class TSystemKind { Determinate, Indeterminate, Incompatible };
// Classifies a triangulated augmented matrix by its rows: a row with zero
// coefficients and a nonzero right-hand side is incompatible.
TSystemKind ClassifyTriangulated(const TMatriz& m);
