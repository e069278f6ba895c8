#include "controls/area.h"

#include "controls/application.h"

#include <QEnterEvent>

TArea::TArea(QWidget* parent) : TPaintBox(parent) {}

void TArea::DoMouseOver()
{
    fire(OnMouseOver, this);
}

void TArea::MouseEnter()
{
    if (m_mouseIn)
        return;
    m_mouseIn = true;
    DoMouseOver();
}

void TArea::MouseLeave()
{
    if (!m_mouseIn)
        return;
    m_mouseIn = false;
    DoMouseOver();
}

void TArea::enterEvent(QEnterEvent* e)
{
    TPaintBox::enterEvent(e);
    TApplication::Guarded([this] { MouseEnter(); });
}

void TArea::leaveEvent(QEvent* e)
{
    TPaintBox::leaveEvent(e);
    TApplication::Guarded([this] { MouseLeave(); });
}
