#include "controls/area.h"

#include "controls/application.h"
#include "platform/window.h"

#include <QEnterEvent>

TArea::TArea(QWidget* parent) : TPaintBox(parent) {}

void TArea::DoMouseOver()
{
    fire(OnMouseOver, this);
}

void TArea::MouseEnter()
{
    if (m_mouseOver.enter())
        DoMouseOver();
}

void TArea::MouseLeave()
{
    if (m_mouseOver.leave())
        DoMouseOver();
}

void TArea::ConfineCursor()
{
    platform::ClipCursor(QRect(mapToGlobal(QPoint(0, 0)), size()));
}

void TArea::FreeCursor()
{
    platform::ReleaseCursorClip();
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
