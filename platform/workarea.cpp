#include "platform/workarea.h"

#include <QGuiApplication>
#include <QScreen>

TRect DockedStripFromGeometry(const QRect& screen, const QRect& available)
{
    const int w = screen.width();
    const int h = screen.height();
    // Exclusive edges of the available part, relative to the screen.
    const int aLeft = available.left() - screen.left();
    const int aTop = available.top() - screen.top();
    const int aRight = aLeft + available.width();
    const int aBottom = aTop + available.height();
    if (aBottom < h)
        return {0, aBottom, w, h};
    if (aTop > 0)
        return {0, 0, w, aTop};
    if (aRight < w)
        return {aRight, 0, w, h};
    if (aLeft > 0)
        return {0, 0, aLeft, h};
    return {};
}

namespace {
QScreen* primary()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
}
} // namespace

TRect ReadDockedStripRect()
{
    QScreen* s = primary();
    return s ? DockedStripFromGeometry(s->geometry(), s->availableGeometry()) : TRect{};
}

TRect GetDesktopWorkArea()
{
    QScreen* s = primary();
    if (!s)
        return {};
    const QRect g = s->geometry();
    TRect r = WorkAreaFromDockedStrip(g.width(), g.height(), ReadDockedStripRect());
    r.Left += g.left();
    r.Right += g.left();
    r.Top += g.top();
    r.Bottom += g.top();
    return r;
}
