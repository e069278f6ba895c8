#pragma once
// Matrices of complex numbers (TMatrix): the complex mode of the matrix
// window. Cells are addressed (column, row) from 1 and read as 0 until set.
#include "engine/complex/mcomplex.h"
#include "foundation/core/grid.h"

#include <vector>

class TMatrix {
public:
    using TComplex = complex::TComplex;

    TMatrix() = default;
    static TMatrix CreateEmpty(int cols, int rows);
    // The block of grid cells from (firstCol, firstRow), cols × rows, each
    // read by StrToComplex (EConvertError for a text that is no number).
    static TMatrix CreateFromGrid(const GridCells& grid, int firstCol, int firstRow, int cols, int rows);

    int Cols() const { return m_cols; }
    int Rows() const { return m_rows; }
    int Parity() const { return m_parity; }

    // Outside the matrix z is left as it was.
    void GetCell(int col, int row, TComplex& z) const;
    TComplex Cell(int col, int row) const;
    // Outside the matrix nothing happens.
    void SetCell(int col, int row, TComplex z);

    void AddRow();
    void AddColumn();
    void DeleteRow(int row);
    void DeleteColumn(int col);
    void Exchange(int col1, int row1, int col2, int row2);

    void Add(const TMatrix& other);
    void Subtract(const TMatrix& other);
    TMatrix Multiply(const TMatrix& other) const;
    void Transpose();
    // Rows below each pivot eliminated by row operations; a zero pivot takes
    // the first row below with a nonzero cell in its column (Parity counts
    // the exchanges); a column with nothing left below is passed over.
    void Triangulate();
    // Square matrices only; a singular matrix gives 0.
    void Determinant(TComplex& d) const;
    // Gauss-Jordan with the largest pivot of each column; square only.
    void Invert();

    void ShowInGrid(GridCells& grid, int firstCol, int firstRow) const;

private:
    TComplex& At(int col, int row) { return m_cells[std::size_t(col - 1 + (row - 1) * m_cols)]; }
    const TComplex& At(int col, int row) const { return m_cells[std::size_t(col - 1 + (row - 1) * m_cols)]; }
    bool Inside(int col, int row) const { return col >= 1 && col <= m_cols && row >= 1 && row <= m_rows; }

    int m_cols = 0;
    int m_rows = 0;
    std::vector<TComplex> m_cells;
    int m_parity = 0;
};
