#pragma once
// How the formula manager's element table looks and how its cell editors
// take their keys. Every cell lies on a split gradient of the scheme (dark at
// the edges, light at 3 tenths), running down in the header row, the symbol
// column and the unknown's row, across elsewhere; the unit cells of the
// elements carry a drop-down mark; the current cell is framed in blue; the
// symbols, the values, the header and the unknown's row are bold, and the
// unknown's description is followed by " =".
#include "engine/canvas.h"

#include <QRect>
#include <QString>
#include <QStyledItemDelegate>

#include <functional>

class QKeyEvent;
class QLineEdit;
class QPainter;

// What one cell shows.
struct TFormulaCellLook {
    QString Text;
    int Row = 0;
    int Col = 0;
    bool Unknown = false;   // the cell is in the unknown's row
    bool Current = false;   // the grid's current cell
    TColor Luz = 0xF7F7F7;
    TColor Sombra = 0xEDD2AF;
    TColor Texto = 0x674018;
};

// The drop-down mark of a unit cell: its frame, 17 to 4 pixels left of the
// cell's right edge and 4 to 16 pixels below its top.
QRect FormulaDropDownBox(const QRect& cell);
// Paints one cell in `font` (made bold where the table wants it).
void PaintFormulaCell(QPainter& painter, const QRect& cell, const TFormulaCellLook& look, QFont font);

class TFormulaGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // `look` fills in a cell's colours and rows; `editorKey` sees every key
    // of a cell editor first and says whether it took it.
    TFormulaGridDelegate(std::function<TFormulaCellLook(int row, int col)> look,
                         std::function<bool(QLineEdit* editor, QKeyEvent* key)> editorKey, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The room a cell's text needs as paint() writes it.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* editor, QEvent* event) override;

private:
    std::function<TFormulaCellLook(int, int)> m_look;
    std::function<bool(QLineEdit*, QKeyEvent*)> m_editorKey;
};
