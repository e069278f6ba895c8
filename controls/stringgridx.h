#pragma once
// The program's text grid: a grid of texts with one fixed header row and
// header column, that deletes rows, loads and saves its body as a ".gri"
// file and sorts its rows by one column.
#include "foundation/core/grid.h"

#include <QTableWidget>

class TStringGridX : public QTableWidget, public GridCells {
    Q_OBJECT
public:
    explicit TStringGridX(QWidget* parent = nullptr);

    // Cells indexed column first, as the program's grids are.
    QString Cells(int col, int row) const { return Cell(col, row); }
    void SetCells(int col, int row, const QString& text) { SetCell(col, row, text); }

    int RowCount() const override { return rowCount(); }
    int ColCount() const override { return columnCount(); }
    void SetRowCount(int rows) override;
    void SetColCount(int cols) override;
    QString Cell(int col, int row) const override;
    void SetCell(int col, int row, const QString& text) override;
    void SetFixed(int cols, int rows) override;
    int FixedCols() const { return fixedCols_; }
    int FixedRows() const { return fixedRows_; }

    // The current cell.
    int Col() const { return currentColumn(); }
    int Row() const { return currentRow(); }
    void SetCurrent(int col, int row) { setCurrentCell(row, col); }

    // Removes row r; the current column stays and the current row becomes
    // min(old row, new row count - 1).
    void DeleteRow(int r);
    // A missing or unreadable file raises EInOutError; the grid is unchanged.
    void LoadFromFile(const QString& fileName);
    // Raises EInOutError when the file cannot be written.
    void SaveToFile(const QString& fileName) const;
    // Sorts rows 1 .. RowCount - 2; the last row stays last.
    void SortByColumn(int column);

private:
    void styleCell(QTableWidgetItem* item, int col, int row) const;
    void restyle();

    int fixedCols_ = 1;
    int fixedRows_ = 1;
};

// Fits every non-fixed column to its widest non-fixed cell: the text width
// in the grid's font, at least 8, plus 8.
void AutoSizeGridColumns(TStringGridX& grid);

// The widest room the cells of a column need as their delegate paints them,
// every row counted (not only those in view).
int ColumnNeeds(const QTableView* grid, int column);
