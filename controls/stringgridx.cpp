#include "controls/stringgridx.h"

#include <QAbstractItemDelegate>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyleOptionViewItem>

#include <algorithm>

namespace {

// Repaints are held while the grid changes many cells, and come back also
// when the change fails.
class HoldUpdates {
public:
    explicit HoldUpdates(QWidget* w) : w_(w), was_(w->updatesEnabled()) { w_->setUpdatesEnabled(false); }
    ~HoldUpdates() { w_->setUpdatesEnabled(was_); }
    HoldUpdates(const HoldUpdates&) = delete;
    HoldUpdates& operator=(const HoldUpdates&) = delete;

private:
    QWidget* w_;
    bool was_;
};

} // namespace

TStringGridX::TStringGridX(QWidget* parent) : QTableWidget(5, 5, parent)
{
    // Row 0 and column 0 are the grid's own header cells.
    horizontalHeader()->hide();
    verticalHeader()->hide();
    // Column widths are the program's own (narrow columns included).
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
}

void TStringGridX::SetRowCount(int rows)
{
    setRowCount(std::max(rows, 1));
}

void TStringGridX::SetColCount(int cols)
{
    setColumnCount(std::max(cols, 1));
}

QString TStringGridX::Cell(int col, int row) const
{
    const QTableWidgetItem* it = item(row, col);
    return it ? it->text() : QString();
}

void TStringGridX::SetCell(int col, int row, const QString& text)
{
    if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount())
        return;
    QTableWidgetItem* it = item(row, col);
    if (!it) {
        if (text.isEmpty())
            return;
        it = new QTableWidgetItem;
        styleCell(it, col, row);
        setItem(row, col, it);
    }
    it->setText(text);
}

void TStringGridX::styleCell(QTableWidgetItem* it, int col, int row) const
{
    Qt::ItemFlags f = it->flags();
    if (col < fixedCols_ || row < fixedRows_)
        f &= ~(Qt::ItemIsEditable | Qt::ItemIsSelectable);
    else
        f |= Qt::ItemIsEditable | Qt::ItemIsSelectable;
    it->setFlags(f);
}

void TStringGridX::restyle()
{
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (QTableWidgetItem* it = item(r, c))
                styleCell(it, c, r);
}

void TStringGridX::SetFixed(int cols, int rows)
{
    fixedCols_ = cols;
    fixedRows_ = rows;
    restyle();
}

void TStringGridX::DeleteRow(int r)
{
    if (r < 0 || r >= rowCount())
        return;
    const int oldRow = currentRow();
    const int oldCol = currentColumn();
    removeRow(r);
    if (oldCol >= 0)
        setCurrentCell(std::min(oldRow, rowCount() - 1), oldCol);
}

void TStringGridX::LoadFromFile(const QString& fileName)
{
    HoldUpdates hold(this);
    LoadGridFile(*this, fileName);
}

void TStringGridX::SaveToFile(const QString& fileName) const { SaveGridFile(*this, fileName); }

void TStringGridX::SortByColumn(int column)
{
    HoldUpdates hold(this);
    SortGridByColumn(*this, column);
}

void AutoSizeGridColumns(TStringGridX& grid)
{
    HoldUpdates hold(&grid);
    const QFontMetrics fm(grid.font());
    for (int c = grid.FixedCols(); c < grid.ColCount(); ++c) {
        int w = 8;
        for (int r = grid.FixedRows(); r < grid.RowCount(); ++r)
            w = std::max(w, fm.horizontalAdvance(grid.Cell(c, r)));
        grid.setColumnWidth(c, w + 8);
    }
}

int ColumnNeeds(const QTableView* grid, int column)
{
    const QAbstractItemModel* m = grid->model();
    if (!m)
        return 0;
    QStyleOptionViewItem opt;
    opt.initFrom(grid);
    opt.font = grid->font();
    opt.fontMetrics = QFontMetrics(opt.font);
    int widest = 0;
    for (int r = 0; r < m->rowCount(); ++r) {
        const QModelIndex index = m->index(r, column);
        if (const QAbstractItemDelegate* d = grid->itemDelegateForIndex(index))
            widest = std::max(widest, d->sizeHint(opt, index).width());
    }
    return widest;
}
