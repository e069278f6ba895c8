#include "controls/paintboxm.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <algorithm>

TPaintBoxM::TPaintBoxM(QWidget* parent) : TArea(parent), m_scale(width(), height())
{
    m_scale.SetScale(0, 0, 1, 1);
}

TWorldScale& TPaintBoxM::sizedScale()
{
    // The factors are worked out with the size the box has now.
    m_scale.SetSize(width(), height());
    return m_scale;
}

void TPaintBoxM::setScaleTop(double v)
{
    sizedScale().SetScaleTop(v);
}

void TPaintBoxM::setScaleLeft(double v)
{
    sizedScale().SetScaleLeft(v);
}

void TPaintBoxM::setScaleBottom(double v)
{
    sizedScale().SetScaleBottom(v);
}

void TPaintBoxM::setScaleRight(double v)
{
    sizedScale().SetScaleRight(v);
}

void TPaintBoxM::setScaleWidth(double v)
{
    sizedScale().SetScaleWidth(v);
}

void TPaintBoxM::setScaleHeight(double v)
{
    sizedScale().SetScaleHeight(v);
}

void TPaintBoxM::SetScale(double left, double top, double right, double bottom)
{
    sizedScale().SetScale(left, top, right, bottom);
}

void TPaintBoxM::SetBounds(int left, int top, int w, int h)
{
    bool allow = true;
    int nw = w, nh = h;
    if (OnCanResize && (w != width() || h != height()))
        OnCanResize(this, nw, nh, allow);
    if (allow)
        setGeometry(left, top, std::max(nw, 0), std::max(nh, 0));
    else
        move(left, top);
}

bool TPaintBoxM::bandDrawnFor(Qt::MouseButtons buttons) const
{
    return (buttons.testFlag(Qt::LeftButton) && DrawRectLeft) ||
           (buttons.testFlag(Qt::RightButton) && DrawRectRight) ||
           (buttons.testFlag(Qt::MiddleButton) && DrawRectMiddle);
}

void TPaintBoxM::showBand(bool shown)
{
    m_bandShown = shown;
    update();
}

void TPaintBoxM::Paint()
{
    TArea::Paint();
    if (!m_bandShown || !Canvas())
        return;
    // The band as a dotted focus rectangle, corners put in order.
    const QRect r(QPoint(std::min(m_band.Left, m_band.Right), std::min(m_band.Top, m_band.Bottom)),
                  QPoint(std::max(m_band.Left, m_band.Right) - 1, std::max(m_band.Top, m_band.Bottom) - 1));
    QStyleOptionFocusRect opt;
    opt.initFrom(this);
    opt.rect = r;
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, Canvas(), this);
}

void TPaintBoxM::MouseDown(Qt::MouseButton button, TShiftState shift, int x, int y)
{
    if (ClipCursorOnDrag)
        ConfineCursor();
    m_dragging = true;
    m_band = TRect{x, y, x, y};
    TArea::MouseDown(button, shift, x, y);
}

void TPaintBoxM::MouseMove(TShiftState shift, int x, int y)
{
    TArea::MouseMove(shift, x, y);
    if (!m_dragging)
        return;
    const TRect old = m_band;
    TRect now = old;
    now.Right = x;
    now.Bottom = y;
    if (bandDrawnFor(shift.Buttons)) {
        m_bandShown = false; // erase the old band
        fire(OnRectDraw, this, old, shift, now);
        m_band = now;
        showBand(true);
    } else {
        fire(OnRectDraw, this, old, shift, now);
        m_band = now;
    }
}

void TPaintBoxM::MouseUp(Qt::MouseButton button, TShiftState shift, int x, int y)
{
    TArea::MouseUp(button, shift, x, y);
    if (ClipCursorOnDrag)
        FreeCursor();
    if (!m_dragging)
        return;
    if (bandDrawnFor(Qt::MouseButtons(button)))
        showBand(false);
    TRect ended{m_band.Left, m_band.Top, x, y};
    const TRect band = m_band;
    fire(OnRectDraw, this, band, shift, ended);
    fire(OnRectUp, this, ended, button, shift);
    m_dragging = false;
}

void TPaintBoxM::Resize()
{
    m_scale.Resize(width(), height(), KeepScaleAspect);
    TArea::Resize();
}
