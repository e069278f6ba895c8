#pragma once
// A painting surface divided into equal cells, numbered row by row or column
// by column, that reports mouse actions per cell and can show one picture of
// an image list per cell.
#include "controls/area.h"
#include "controls/gridgeometry.h"

#include <QImage>
#include <QList>
#include <QPointer>

class TImageList;

enum TImageStyle { tisCrop, tisStretch, tisCenter };

using TOnMouseCellEvent = std::function<void(QObject* Sender, Qt::MouseButton Button, TShiftState Shift, int aCol, int aRow, int aCell)>;
using TOnMoveCellEvent = std::function<void(QObject* Sender, TShiftState Shift, int aCol, int aRow, int aCell)>;
using TOnDragCellEvent = std::function<void(QObject* Sender, int& FirstCell, int LastCell, bool Up, TShiftState Shift)>;

class TPaintGrid : public TArea {
    Q_OBJECT
public:
    explicit TPaintGrid(QWidget* parent = nullptr);

    bool ClipCursorOnDrag = false;

    TGridDireccion Direccion() const { return m_geo.Direccion; }
    void setDireccion(TGridDireccion d);
    int ColCount() const { return m_geo.ColCount; }
    void SetColCount(int count);
    int RowCount() const { return m_geo.RowCount; }
    void SetRowCount(int count);
    int ColWidth() const { return m_geo.ColWidth; }
    void setColWidth(int size);
    int RowHeight() const { return m_geo.RowHeight; }
    void setRowHeight(int size);
    TFixGrid Fix() const { return m_geo.Fix; }
    void setFix(TFixGrid f);
    TImageList* ImageList() const { return m_imageList; }
    void setImageList(TImageList* list) { m_imageList = list; }
    TImageStyle ImageStyle() const { return m_imageStyle; }
    void setImageStyle(TImageStyle s) { m_imageStyle = s; }

    TRect CellRect(int col, int row) const { return geometry_().CellRect(col, row); }
    TRect CellRectOfIndex(int cell) const { return geometry_().CellRectOfIndex(cell); }
    TRect CellRectInParent(int cell) const;
    int CellCount() const { return m_geo.CellCount(); }
    void CellAt(int x, int y, int& col, int& row) const { geometry_().CellAt(x, y, col, row); }
    int CellIndex(int col, int row) const { return m_geo.CellIndex(col, row); }

    // The picture index of a cell (0 for every cell after a change of a count);
    // cells outside the grid are ignored and read as -1.
    int CellImage(int cell) const;
    void SetCellImage(int cell, int imageIndex);

    // The cell where the current drag started.
    int DragStart() const { return m_dragStart; }

    TOnMouseCellEvent OnMouseDownCell;
    TOnMouseCellEvent OnMouseUpCell;
    TOnMoveCellEvent OnMouseMoveCell;
    TOnDragCellEvent OnDragCell;

protected:
    void Paint() override;
    void MouseDown(Qt::MouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, TShiftState shift, int x, int y) override;
    void Resize() override;

private:
    // The geometry with the control's current size.
    TGridGeometry geometry_() const;
    void resetImages();
    void drawCellImage(QPainter& p, int cell);
    // OnDragCell from the drag's start cell to `cell`.
    void dragTo(int cell, bool up, TShiftState shift);

    TGridGeometry m_geo;
    QPointer<TImageList> m_imageList;
    TImageStyle m_imageStyle = tisCrop;
    QList<int> m_images;
    int m_dragStart = 0;
};
