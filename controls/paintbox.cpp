#include "controls/paintbox.h"

#include "controls/application.h"
#include "drawkit/drawkit.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

TShiftState ShiftOf(const QMouseEvent* e)
{
    return TShiftState{e->modifiers(), e->buttons()};
}

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent)
{
    resize(105, 105);
    // Moves are reported with or without a button held (hover read-outs).
    setMouseTracking(true);
}

void TPaintBox::setColor(TColor c)
{
    if (c == m_color)
        return;
    m_color = c;
    Repaint();
}

void TPaintBox::Repaint()
{
    update();
}

void TPaintBox::Paint()
{
    fire(OnPaint, this);
}

void TPaintBox::MouseDown(Qt::MouseButton button, TShiftState shift, int x, int y)
{
    fire(OnMouseDown, this, button, shift, x, y);
}

void TPaintBox::MouseMove(TShiftState shift, int x, int y)
{
    fire(OnMouseMove, this, shift, x, y);
}

void TPaintBox::MouseUp(Qt::MouseButton button, TShiftState shift, int x, int y)
{
    fire(OnMouseUp, this, button, shift, x, y);
}

void TPaintBox::Resize()
{
    fire(OnResize, this);
}

void TPaintBox::paintEvent(QPaintEvent*)
{
    // The owner's handlers run here; what they raise ends here too.
    TApplication::GuardedPaint(this, m_canvas, [this] { Paint(); });
}

void TPaintBox::mousePressEvent(QMouseEvent* e)
{
    m_pressedInside = e->button() == Qt::LeftButton;
    const QPoint p = e->position().toPoint();
    TApplication::Guarded([&] { MouseDown(e->button(), ShiftOf(e), p.x(), p.y()); });
}

void TPaintBox::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    TApplication::Guarded([&] { MouseMove(ShiftOf(e), p.x(), p.y()); });
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    const bool click = m_pressedInside && e->button() == Qt::LeftButton && rect().contains(p);
    m_pressedInside = false;
    TApplication::Guarded([&] {
        MouseUp(e->button(), ShiftOf(e), p.x(), p.y());
        if (click)
            fire(OnClick, this);
    });
}

void TPaintBox::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        TApplication::Guarded([this] { fire(OnDblClick, this); });
    mousePressEvent(e);
}

void TPaintBox::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    TApplication::Guarded([this] { Resize(); });
}
