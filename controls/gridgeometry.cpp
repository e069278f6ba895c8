#include "controls/gridgeometry.h"

#include "foundation/core/muldiv.h"

#include <algorithm>

namespace {

// Division rounding toward minus infinity, so that pixels left of the control
// never fall into column 0.
int floorDiv(long long a, long long b)
{
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return static_cast<int>(q);
}

} // namespace

int TGridGeometry::LimitCount(int count, int other)
{
    other = std::max(other, 1);
    return std::clamp(count, 1, std::max(1, MaxCells / other));
}

TRect TGridGeometry::CellRect(int col, int row) const
{
    if (!Contains(col, row))
        return TRect{0, 0, 0, 0};
    if (Fix != tfgCount)
        return TRect{col * ColWidth, row * RowHeight, (col + 1) * ColWidth, (row + 1) * RowHeight};
    return TRect{MulDiv(col, Width, ColCount), MulDiv(row, Height, RowCount),
                 MulDiv(col + 1, Width, ColCount), MulDiv(row + 1, Height, RowCount)};
}

TRect TGridGeometry::CellRectOfIndex(int cell) const
{
    int col = 0, row = 0;
    if (!CellOfIndex(cell, col, row))
        return TRect{0, 0, 0, 0};
    return CellRect(col, row);
}

void TGridGeometry::CellAt(int x, int y, int& col, int& row) const
{
    if (Fix != tfgCount) {
        col = ColWidth > 0 ? floorDiv(x, ColWidth) : -1;
        row = RowHeight > 0 ? floorDiv(y, RowHeight) : -1;
    } else {
        col = Width > 0 ? floorDiv(static_cast<long long>(x) * ColCount, Width) : -1;
        row = Height > 0 ? floorDiv(static_cast<long long>(y) * RowCount, Height) : -1;
    }
}

int TGridGeometry::CellIndex(int col, int row) const
{
    return Direccion == tgdHorizontal ? row * ColCount + col : col * RowCount + row;
}

bool TGridGeometry::CellOfIndex(int cell, int& col, int& row) const
{
    if (cell < 0 || cell >= CellCount() || ColCount <= 0 || RowCount <= 0)
        return false;
    if (Direccion == tgdHorizontal) {
        row = cell / ColCount;
        col = cell % ColCount;
    } else {
        col = cell / RowCount;
        row = cell % RowCount;
    }
    return true;
}
