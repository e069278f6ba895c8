#include "controls/paintgrid.h"

#include "controls/imagelist.h"

#include <QPainter>

TPaintGrid::TPaintGrid(QWidget* parent) : TArea(parent)
{
    // Not opaque: the owner paints some cells only, and what lies between
    // and under them is the parent's picture.
    m_geo.Width = width();
    m_geo.Height = height();
    m_geo.ColWidth = m_geo.Width / m_geo.ColCount;
    m_geo.RowHeight = m_geo.Height / m_geo.RowCount;
    resetImages();
}

TGridGeometry TPaintGrid::geometry_() const
{
    TGridGeometry g = m_geo;
    g.Width = width();
    g.Height = height();
    return g;
}

void TPaintGrid::resetImages()
{
    m_images = QList<int>(m_geo.CellCount(), 0);
}

void TPaintGrid::setDireccion(TGridDireccion d)
{
    if (d == m_geo.Direccion)
        return;
    m_geo.Direccion = d;
    update();
}

void TPaintGrid::SetColCount(int count)
{
    count = TGridGeometry::LimitCount(count, m_geo.RowCount);
    if (count == m_geo.ColCount)
        return;
    m_geo.ColCount = count;
    if (m_geo.Fix == tfgCount)
        m_geo.ColWidth = width() / count;
    resetImages();
    update();
}

void TPaintGrid::SetRowCount(int count)
{
    count = TGridGeometry::LimitCount(count, m_geo.ColCount);
    if (count == m_geo.RowCount)
        return;
    m_geo.RowCount = count;
    if (m_geo.Fix == tfgCount)
        m_geo.RowHeight = height() / count;
    resetImages();
    update();
}

void TPaintGrid::setColWidth(int size)
{
    size = std::clamp(size, 1, 65535); // the grid divides by it
    if (size == m_geo.ColWidth || m_geo.Fix == tfgCount)
        return;
    m_geo.ColWidth = size;
    if (m_geo.Fix == tfgSize)
        SetColCount(width() / size);
    update();
}

void TPaintGrid::setRowHeight(int size)
{
    size = std::clamp(size, 1, 65535);
    if (size == m_geo.RowHeight || m_geo.Fix == tfgCount)
        return;
    m_geo.RowHeight = size;
    if (m_geo.Fix == tfgSize)
        SetRowCount(height() / size);
    update();
}

void TPaintGrid::setFix(TFixGrid f)
{
    m_geo.Fix = f;
    if (f == tfgSize) {
        // Cell sizes of 0 (a grid narrower than its columns) would leave
        // nothing to divide by.
        m_geo.ColWidth = std::max(m_geo.ColWidth, 1);
        m_geo.RowHeight = std::max(m_geo.RowHeight, 1);
    }
    update();
}

TRect TPaintGrid::CellRectInParent(int cell) const
{
    TRect r = CellRectOfIndex(cell);
    r.Left += x();
    r.Right += x();
    r.Top += y();
    r.Bottom += y();
    return r;
}

int TPaintGrid::CellImage(int cell) const
{
    if (cell < 0 || cell >= m_images.size())
        return -1;
    return m_images.at(cell);
}

void TPaintGrid::SetCellImage(int cell, int imageIndex)
{
    if (cell < 0 || cell >= m_images.size())
        return;
    m_images[cell] = imageIndex;
    update();
}

void TPaintGrid::drawCellImage(QPainter& p, int cell)
{
    const QImage img = m_imageList->Image(CellImage(cell));
    if (img.isNull())
        return;
    const TRect r = CellRectOfIndex(cell);
    const int w = r.Width(), h = r.Height();
    switch (m_imageStyle) {
    case tisCrop:
        p.drawImage(QPoint(r.Left, r.Top), img, QRect(0, 0, w, h));
        break;
    case tisStretch:
        p.drawImage(QRect(r.Left, r.Top, w, h), img);
        break;
    case tisCenter:
        p.drawImage(QPoint(r.Left + (w - img.width()) / 2, r.Top + (h - img.height()) / 2), img);
        break;
    }
}

void TPaintGrid::Paint()
{
    if (m_imageList && Canvas()) {
        for (int k = 0; k < CellCount(); ++k)
            drawCellImage(*Canvas(), k);
    }
    fire(OnPaint, this);
}

void TPaintGrid::dragTo(int cell, bool up, TShiftState shift)
{
    // The handler may move the start cell.
    if (OnDragCell)
        OnDragCell(this, m_dragStart, cell, up, shift);
}

void TPaintGrid::MouseDown(Qt::MouseButton button, TShiftState shift, int x, int y)
{
    TArea::MouseDown(button, shift, x, y);
    int col = 0, row = 0;
    CellAt(x, y, col, row);
    if (!m_geo.Contains(col, row))
        return;
    const int cell = CellIndex(col, row);
    m_dragStart = cell;
    if (ClipCursorOnDrag)
        ConfineCursor();
    fire(OnMouseDownCell, this, button, shift, col, row, cell);
    dragTo(m_dragStart, false, shift);
}

void TPaintGrid::MouseMove(TShiftState shift, int x, int y)
{
    TArea::MouseMove(shift, x, y);
    int col = 0, row = 0;
    CellAt(x, y, col, row);
    if (!m_geo.Contains(col, row))
        return;
    const int cell = CellIndex(col, row);
    fire(OnMouseMoveCell, this, shift, col, row, cell);
    if (cell != m_dragStart && (shift.left() || shift.right() || shift.middle()))
        dragTo(cell, false, shift);
}

void TPaintGrid::MouseUp(Qt::MouseButton button, TShiftState shift, int x, int y)
{
    TArea::MouseUp(button, shift, x, y);
    if (ClipCursorOnDrag)
        FreeCursor();
    int col = 0, row = 0;
    CellAt(x, y, col, row);
    if (!m_geo.Contains(col, row))
        return;
    const int cell = CellIndex(col, row);
    fire(OnMouseUpCell, this, button, shift, col, row, cell);
    dragTo(cell, true, shift);
}

void TPaintGrid::Resize()
{
    switch (m_geo.Fix) {
    case tfgCount:
        m_geo.ColWidth = width() / m_geo.ColCount;
        m_geo.RowHeight = height() / m_geo.RowCount;
        break;
    case tfgSize:
        // At least one column and one row, however narrow the control.
        SetColCount(width() / std::max(m_geo.ColWidth, 1));
        SetRowCount(height() / std::max(m_geo.RowHeight, 1));
        break;
    case tbgNone:
        break;
    }
    m_geo.Width = width();
    m_geo.Height = height();
    TArea::Resize();
}
