#pragma once
// Text grids and their ".gri" files: one line per body row, the cells of
// columns 1 onward separated by one tab, CR LF, Windows-1252. Row 0 and
// column 0 are the fixed headers and are never stored.
#include <QString>
#include <QStringList>
#include <QVector>

// The cells of a grid as the grid-file routines see them (the plain grid
// below and the grid control both provide it). Columns first, as the
// program's grids index their cells.
class GridCells {
public:
    virtual ~GridCells() = default;
    virtual int RowCount() const = 0;
    virtual int ColCount() const = 0;
    virtual void SetRowCount(int rows) = 0;
    virtual void SetColCount(int cols) = 0;
    virtual QString Cell(int col, int row) const = 0;
    virtual void SetCell(int col, int row, const QString& text) = 0;
    virtual void SetFixed(int cols, int rows) = 0;
};

// The largest grid file read: a 255 x 255 grid of long texts fits; a larger
// file is no grid of the program's.
inline constexpr qint64 kMaxGridFileBytes = 16 * 1024 * 1024;
// Replaces the grid's contents with the file. A missing or unreadable file,
// or one of more than kMaxGridFileBytes, raises EInOutError and leaves the
// grid unchanged.
void LoadGridFile(GridCells& grid, const QString& fileName);
// Writes the body rows (to a temporary file renamed into place); raises
// EInOutError when the file cannot be written. A tab or line break inside a
// cell is written as a blank, so the file reads back with the same shape.
void SaveGridFile(const GridCells& grid, const QString& fileName);
// Sorts rows 1 .. RowCount - 2 by the text of one column, letter case of
// A-Z ignored; the last row stays last. Not stable.
void SortGridByColumn(GridCells& grid, int column);
// Moves the rows below `row` up by one and drops the last row.
void DeleteGridRow(GridCells& grid, int row);

// Ordinal comparison that ignores the case of the letters A to Z.
int CompareText(const QString& a, const QString& b);

// A grid of texts without a screen.
class TTextGrid : public GridCells {
public:
    TTextGrid(int cols = 5, int rows = 5);

    int RowCount() const override { return rows_; }
    int ColCount() const override { return cols_; }
    void SetRowCount(int rows) override;
    void SetColCount(int cols) override;
    QString Cell(int col, int row) const override;
    void SetCell(int col, int row, const QString& text) override;
    void SetFixed(int cols, int rows) override;

    int FixedCols() const { return fixedCols_; }
    int FixedRows() const { return fixedRows_; }
    // The current cell.
    int Col = 1;
    int Row = 1;

    void DeleteRow(int row);
    void LoadFromFile(const QString& fileName) { LoadGridFile(*this, fileName); }
    void SaveToFile(const QString& fileName) const { SaveGridFile(*this, fileName); }
    void SortByColumn(int column) { SortGridByColumn(*this, column); }

private:
    int cols_;
    int rows_;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    QVector<QStringList> cells_; // [row][col]
};
