#include "controls/formmx.h"

#include "controls/application.h"
#include "drawkit/drawkit.h"
#include "platform/tickcount.h"
#include "platform/workarea.h"
#include "platform/window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

#include <cstdlib>

QRect SnapWorkArea()
{
    const TRect r = GetDesktopWorkArea();
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

FormMXGlobals& FormMXSettings()
{
    static FormMXGlobals g;
    return g;
}

int OpacityOfPercent(int percent)
{
    return 255 - MulDiv(percent, 255, 100);
}

namespace {

// One axis of the snap: the edges lo..hi move (keeping their distance) to
// the work area's first edge within 16 pixels, the low one tried first.
void snapAxis(int& lo, int& hi, int areaLo, int areaHi)
{
    const int size = hi - lo;
    if (std::abs(lo - areaLo) < 16) {
        lo = areaLo;
        hi = areaLo + size;
    } else if (std::abs(hi - areaHi) < 16) {
        hi = areaHi;
        lo = areaHi - size;
    }
}

} // namespace

TRect SnapToWorkArea(const TRect& proposed, const TRect& w)
{
    TRect r = proposed;
    snapAxis(r.Top, r.Bottom, w.Top, w.Bottom);
    snapAxis(r.Left, r.Right, w.Left, w.Right);
    return r;
}

// A form is a window of its own even when another window owns it.
TFormMX::TFormMX(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags | Qt::Window)
{
    // Set after the window's own construction, so every window starts so and
    // changes them in code afterwards.
    setMouseTracking(true);
    AutoDraw = true;
    EasyDrag = true;
    Magnetic = true;
    setNoErase(true);
    m_alphaValue = 230;
    m_topMost = windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    SetTopMost(m_topMost);
}

TFormMX::~TFormMX() = default;

QImage& TFormMX::Image()
{
    if (!m_image) {
        m_image = std::make_unique<QImage>(CreateBitmap(width(), height(), 0));
        // Where the owner draws nothing the window shows its own colour.
        m_image->fill(palette().color(QPalette::Window));
    }
    return *m_image;
}

void TFormMX::setNoErase(bool on)
{
    m_noErase = on;
    // Answering "erased" without erasing: Qt then leaves the background to
    // the paint, which draws the picture over all of it.
    setAttribute(Qt::WA_OpaquePaintEvent, on);
}

void TFormMX::SetTopMost(bool on)
{
    m_topMost = on;
    platform::SetWindowTopMost(this, on);
}

void TFormMX::SetTransparent(bool on)
{
    if (on)
        SetRegionFromBitmap(&Image(), KeyFromBitmap, 0);
    else
        SetRegionFromBitmap(nullptr);
}

void TFormMX::SetRegionFromBitmap(const QImage* bitmap, TColor key, TColor tolerance)
{
    if (bitmap && !bitmap->isNull()) {
        if (key == KeyFromBitmap)
            key = FromQColor(bitmap->pixelColor(0, bitmap->height() - 1));
        platform::SetWindowFrameless(this, true);
        resize(bitmap->width(), bitmap->height());
        const std::optional<QRegion> region = CreateRegionFromBitmap(bitmap, key, tolerance);
        platform::SetWindowRegion(this, region.value_or(QRegion()));
        m_transparent = true;
    } else {
        platform::SetWindowRegion(this, QRegion());
        m_transparent = false;
    }
    repaint();
}

void TFormMX::setAutoZoom(bool on)
{
    m_autoZoom = on;
    if (on) {
        m_zoomWidth = width();
        m_zoomHeight = height();
    }
}

void TFormMX::setAlphaBlend(bool on)
{
    m_alphaBlend = on;
    applyAlpha();
}

void TFormMX::setAlphaBlendValue(int value)
{
    m_alphaValue = std::clamp(value, 0, 255);
    applyAlpha();
}

void TFormMX::applyAlpha()
{
    platform::SetWindowAlpha(this, m_alphaBlend, m_alphaValue);
}

void TFormMX::DoMouseOver()
{
    fire(OnMouseOver, this);
}

void TFormMX::Activate()
{
    fire(OnActivate, this);
    m_alphaValue = OpacityOfPercent(FormMXSettings().TranspPercent);
    m_alphaBlend = FormMXSettings().TranspActive;
    applyAlpha();
}

void TFormMX::Deactivate()
{
    fire(OnDeactivate, this);
    if (m_topMost)
        platform::SetWindowTopMost(this, true);
    ApplyInactiveTransparency();
}

void TFormMX::ApplyInactiveTransparency()
{
    if (FormMXSettings().TranspInactive)
        m_alphaValue = OpacityOfPercent(FormMXSettings().TranspPercent);
    m_alphaBlend = FormMXSettings().TranspInactive;
    applyAlpha();
}

void TFormMX::Moving(TRect& proposed)
{
    if (!Magnetic)
        return;
    if (!m_snap.allow(platform::GetTickCount()))
        return;
    proposed = SnapToWorkArea(proposed, FromQRect(SnapWorkArea()));
}

bool TFormMX::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::WindowActivate: {
        const bool r = QWidget::event(e);
        TApplication::Guarded([this] { Activate(); });
        return r;
    }
    case QEvent::WindowDeactivate: {
        const bool r = QWidget::event(e);
        TApplication::Guarded([this] { Deactivate(); });
        return r;
    }
    default:
        return QWidget::event(e);
    }
}

void TFormMX::Paint()
{
    fire(OnPaint, this);
    if (AutoDraw && m_canvas)
        m_canvas->drawImage(0, 0, Image());
}

void TFormMX::paintEvent(QPaintEvent*)
{
    TApplication::GuardedPaint(this, m_canvas, [this] { Paint(); });
}

void TFormMX::resizeEvent(QResizeEvent* e)
{
    if (m_image && m_image->size() != size()) {
        // The picture follows the client size, keeping what it holds.
        QImage bigger = CreateBitmap(width(), height(), 0);
        bigger.fill(palette().color(QPalette::Window));
        if (!bigger.isNull() && !m_image->isNull()) {
            QPainter p(&bigger);
            p.drawImage(0, 0, *m_image);
        }
        *m_image = bigger;
    }
    QWidget::resizeEvent(e);
    TApplication::Guarded([this] { fire(OnResize, this); });
    if (m_autoZoom)
        zoomChildren(width(), height());
}

void TFormMX::zoomChildren(int newWidth, int newHeight)
{
    // Nothing recorded (a window without size) gives nothing to scale from.
    if (m_zoomWidth > 0 && m_zoomHeight > 0) {
        for (QObject* o : children()) {
            auto* c = qobject_cast<QWidget*>(o);
            if (!c || c->isWindow())
                continue;
            const QRect g = c->geometry();
            const int l = MulDiv(newWidth, g.left(), m_zoomWidth);
            const int r = MulDiv(newWidth, g.left() + g.width(), m_zoomWidth);
            const int t = MulDiv(newHeight, g.top(), m_zoomHeight);
            const int b = MulDiv(newHeight, g.top() + g.height(), m_zoomHeight);
            c->setGeometry(l, t, std::max(r - l, 0), std::max(b - t, 0));
        }
    }
    m_zoomWidth = newWidth;
    m_zoomHeight = newHeight;
}

void TFormMX::mousePressEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    if (EasyDrag && e->button() == Qt::LeftButton && !childAt(pos) && isWindow()) {
        // The window follows the mouse until the button is released; each
        // proposed position goes through Moving, as the window manager's
        // moving reports do.
        m_dragging = true;
        m_dragPress = e->globalPosition().toPoint();
        m_dragFrame = frameGeometry().topLeft();
    }
    TApplication::Guarded([&] { fire(OnMouseDown, this, e->button(), ShiftOf(e), pos.x(), pos.y()); });
}

void TFormMX::mouseMoveEvent(QMouseEvent* e)
{
    if (m_dragging && e->buttons().testFlag(Qt::LeftButton)) {
        const QRect f = frameGeometry();
        const QPoint topLeft = m_dragFrame + (e->globalPosition().toPoint() - m_dragPress);
        TRect proposed{topLeft.x(), topLeft.y(), topLeft.x() + f.width(), topLeft.y() + f.height()};
        TApplication::Guarded([&] { Moving(proposed); });
        move(proposed.Left, proposed.Top);
        return;
    }
    QWidget::mouseMoveEvent(e);
}

void TFormMX::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        m_dragging = false;
    QWidget::mouseReleaseEvent(e);
}

void TFormMX::enterEvent(QEnterEvent* e)
{
    QWidget::enterEvent(e);
    if (m_mouseOver.enter())
        TApplication::Guarded([this] { DoMouseOver(); });
}

void TFormMX::leaveEvent(QEvent* e)
{
    QWidget::leaveEvent(e);
    if (m_mouseOver.leave())
        TApplication::Guarded([this] { DoMouseOver(); });
}
