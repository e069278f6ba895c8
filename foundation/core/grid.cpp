#include "foundation/core/grid.h"

#include "foundation/core/basicos.h"
#include "foundation/core/cp1252.h"
#include "foundation/core/zelini.h"

#include <algorithm>

namespace {

QString cellForFile(const QString& s)
{
    QString r = s;
    r.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar& c : r)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return r;
}

char16_t upperAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

} // namespace

int CompareText(const QString& a, const QString& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int d = static_cast<int>(upperAscii(a[i].unicode())) - static_cast<int>(upperAscii(b[i].unicode()));
        if (d != 0)
            return d;
    }
    return static_cast<int>(a.size() - b.size());
}

void LoadGridFile(GridCells& grid, const QString& fileName)
{
    QByteArray bytes;
    if (!ReadWholeFile(fileName, bytes, kMaxGridFileBytes))
        throw EInOutError(CannotReadMessage(fileName));
    const QStringList lines = SplitLines(cp1252::decode(bytes));

    // The header row keeps its texts; every other cell is replaced.
    QStringList header;
    for (int c = 0; c < grid.ColCount(); ++c)
        header.append(grid.Cell(c, 0));
    grid.SetColCount(2);
    grid.SetRowCount(std::max<int>(static_cast<int>(lines.size()) + 1, 2));
    for (int r = 1; r < grid.RowCount(); ++r)
        for (int c = 0; c < grid.ColCount(); ++c)
            grid.SetCell(c, r, QString());
    QStringList fields;
    for (int i = 0; i < lines.size(); ++i) {
        SplitByChar(lines[i], '\t', fields);
        if (grid.ColCount() < fields.size() + 1) {
            const int old = grid.ColCount();
            grid.SetColCount(static_cast<int>(fields.size()) + 1);
            // New columns start empty in every row.
            for (int r = 0; r < grid.RowCount(); ++r)
                for (int c = old; c < grid.ColCount(); ++c)
                    grid.SetCell(c, r, r == 0 && c < header.size() ? header[c] : QString());
        }
        for (int j = 0; j < fields.size(); ++j)
            grid.SetCell(j + 1, i + 1, fields[j]);
    }
    grid.SetFixed(1, 1);
}

void SaveGridFile(const GridCells& grid, const QString& fileName)
{
    QString text;
    for (int r = 1; r < grid.RowCount(); ++r) {
        for (int c = 1; c < grid.ColCount(); ++c) {
            if (c > 1)
                text += '\t';
            text += cellForFile(grid.Cell(c, r));
        }
        text += QStringLiteral("\r\n");
    }
    WriteWholeFile(fileName, cp1252::encode(text));
}

void SortGridByColumn(GridCells& grid, int column)
{
    if (column < 0 || column >= grid.ColCount())
        return;
    const int cols = grid.ColCount();
    QuickSortIndexed(
        1, grid.RowCount() - 2,
        [&](int a, int b) { return CompareText(grid.Cell(column, a), grid.Cell(column, b)); },
        [&](int a, int b) {
            if (a == b)
                return;
            for (int c = 0; c < cols; ++c) {
                const QString t = grid.Cell(c, a);
                grid.SetCell(c, a, grid.Cell(c, b));
                grid.SetCell(c, b, t);
            }
        });
}

void DeleteGridRow(GridCells& grid, int row)
{
    const int rows = grid.RowCount();
    if (row < 0 || row >= rows)
        return;
    for (int r = row; r + 1 < rows; ++r)
        for (int c = 0; c < grid.ColCount(); ++c)
            grid.SetCell(c, r, grid.Cell(c, r + 1));
    grid.SetRowCount(rows - 1);
}

// ---------------------------------------------------------------------------

TTextGrid::TTextGrid(int cols, int rows) : cols_(std::max(cols, 1)), rows_(std::max(rows, 1))
{
    cells_.resize(rows_);
    for (QStringList& r : cells_)
        r.resize(cols_);
}

void TTextGrid::SetRowCount(int rows)
{
    rows_ = std::max(rows, 1);
    cells_.resize(rows_);
    for (QStringList& r : cells_)
        r.resize(cols_);
}

void TTextGrid::SetColCount(int cols)
{
    cols_ = std::max(cols, 1);
    for (QStringList& r : cells_)
        r.resize(cols_);
}

QString TTextGrid::Cell(int col, int row) const
{
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_)
        return QString();
    return cells_[row][col];
}

void TTextGrid::SetCell(int col, int row, const QString& text)
{
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_)
        return;
    cells_[row][col] = text;
}

void TTextGrid::SetFixed(int cols, int rows)
{
    fixedCols_ = cols;
    fixedRows_ = rows;
}

void TTextGrid::DeleteRow(int row)
{
    const int oldRow = Row;
    const int oldCol = Col;
    DeleteGridRow(*this, row);
    Col = oldCol;
    Row = std::min(oldRow, rows_ - 1);
}
