#pragma once
// The cells of a painting grid: rectangles, hit tests and cell numbers, kept
// apart from the widget so that they are checked without a window.
#include "engine/canvas.h"

enum TGridDireccion { tgdHorizontal, tgdVertical };
// What stays fixed when the grid is resized: the counts, the cell sizes, or
// nothing.
enum TFixGrid { tfgCount, tfgSize, tbgNone };

struct TGridGeometry {
    // Cell numbers are 16-bit: the number of cells is kept within 65535.
    static constexpr int MaxCells = 65535;

    int ColCount = 2;
    int RowCount = 2;
    int ColWidth = 0;
    int RowHeight = 0;
    TFixGrid Fix = tfgCount;
    TGridDireccion Direccion = tgdHorizontal;
    int Width = 0;   // the control's size in pixels
    int Height = 0;

    int CellCount() const { return ColCount * RowCount; }
    bool Contains(int col, int row) const { return col >= 0 && row >= 0 && col < ColCount && row < RowCount; }

    // The cell's rectangle; the empty rectangle for a cell outside the grid.
    TRect CellRect(int col, int row) const;
    TRect CellRectOfIndex(int cell) const;
    // Column and row under a pixel. Pixels left of or above the control give
    // negative values (division rounding down), pixels beyond the cells give
    // values >= the counts: both are outside the grid (see Contains).
    void CellAt(int x, int y, int& col, int& row) const;
    int CellIndex(int col, int row) const;
    // Splits a cell number into column and row; false for a number outside the grid.
    bool CellOfIndex(int cell, int& col, int& row) const;

    // The largest count the other count allows (cells within MaxCells), at least 1.
    static int LimitCount(int count, int other);
};
