#include "platform/window.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace platform {

namespace {

// Changes one window flag of a top-level widget. QWidget::setWindowFlag would
// hide a shown window (Qt re-creates it); changing the flags of the existing
// native window keeps it where and as it is.
void changeWindowFlag(QWidget* w, Qt::WindowType flag, bool on)
{
    if (!w)
        return;
    QWidget* top = w->window();
    const Qt::WindowFlags old = top->windowFlags();
    const Qt::WindowFlags now = on ? (old | flag) : (old & ~Qt::WindowFlags(flag));
    if (now == old)
        return;
    top->overrideWindowFlags(now);
    if (top->testAttribute(Qt::WA_WState_Created) && top->windowHandle())
        top->windowHandle()->setFlags(now);
}

struct ClipState {
    std::optional<QRect> rect;
};
ClipState& clipState()
{
    static ClipState s;
    return s;
}

// Keeps the pointer inside the confinement rectangle by putting it back
// whenever the application sees it leave.
class CursorClipper : public QObject {
public:
    using QObject::QObject;
protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::MouseMove && clipState().rect) {
            const QPoint g = static_cast<QMouseEvent*>(e)->globalPosition().toPoint();
            const QPoint c = ClampToCursorClip(g);
            if (c != g)
                QCursor::setPos(c);
        }
        return QObject::eventFilter(watched, e);
    }
};

void installClipper()
{
    static QPointer<CursorClipper> clipper;
    if (clipper || !QCoreApplication::instance())
        return;
    clipper = new CursorClipper(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(clipper);
}

} // namespace

void SetWindowTopMost(QWidget* w, bool topMost)
{
    changeWindowFlag(w, Qt::WindowStaysOnTopHint, topMost);
    if (topMost && w && w->window()->isVisible())
        w->window()->raise();
}

bool IsWindowTopMost(const QWidget* w)
{
    return w && w->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void SetWindowFrameless(QWidget* w, bool frameless)
{
    changeWindowFlag(w, Qt::FramelessWindowHint, frameless);
}

void SetWindowRegion(QWidget* w, const QRegion& region)
{
    if (!w)
        return;
    if (region.isEmpty())
        w->clearMask();
    else
        w->setMask(region);
    w->update();
}

QRegion WindowRegion(const QWidget* w)
{
    return w ? w->mask() : QRegion();
}

void SetWindowAlpha(QWidget* w, bool enabled, int alpha)
{
    if (!w)
        return;
    alpha = std::clamp(alpha, 0, 255);
    w->window()->setWindowOpacity(enabled ? alpha / 255.0 : 1.0);
}

void ClipCursor(const QRect& screenRect)
{
    clipState().rect = screenRect.normalized();
    installClipper();
    const QPoint p = QCursor::pos();
    const QPoint c = ClampToCursorClip(p);
    if (c != p)
        QCursor::setPos(c);
}

void ReleaseCursorClip()
{
    clipState().rect.reset();
}

std::optional<QRect> CursorClipRect()
{
    return clipState().rect;
}

QPoint ClampToCursorClip(const QPoint& globalPos)
{
    const auto& r = clipState().rect;
    if (!r || r->isEmpty())
        return globalPos;
    return QPoint(std::clamp(globalPos.x(), r->left(), r->right()),
                  std::clamp(globalPos.y(), r->top(), r->bottom()));
}

QRect ScreenRect()
{
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry() : QRect(0, 0, 0, 0);
}

QRect DesktopWorkArea()
{
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 0, 0);
}

} // namespace platform
