#pragma once
// The window every window of the program derives from: process-wide
// translucency, dragging by any free point of the client area, snapping to the
// work-area edges while moving, an off-screen picture painted as background,
// windows shaped by a picture, staying on top, and a mouse-over event.
#include "controls/events.h"
#include "engine/canvas.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <memory>

class QPainter;

// Translucency shared by every window; the main window writes it from its
// settings ("TranspAct", "Transp", "TranspVal") and the options dialog.
struct FormMXGlobals {
    bool TranspActive = false;      // translucent while active
    bool TranspInactive = false;    // translucent while inactive
    std::uint8_t TranspPercent = 0; // transparency in percent, 0 to 100

    void reset() { *this = FormMXGlobals{}; }
};
FormMXGlobals& FormMXSettings();

// The opacity (0 clear .. 255 opaque) of a transparency percentage.
int OpacityOfPercent(int percent);

// Edge snapping: the rectangle moved (never resized) to the work-area edge it
// comes within 16 pixels of; the top edge before the bottom one, the left
// before the right.
TRect SnapToWorkArea(const TRect& proposed, const TRect& workArea);

// The desktop work area the windows snap to (screen coordinates).
QRect SnapWorkArea();

// One snapping adjustment per 222 ms at most (unsigned tick difference).
class TSnapThrottle {
public:
    static constexpr std::uint32_t Interval = 222;
    // True (and the tick recorded) when an adjustment may be made at `now`.
    bool allow(std::uint32_t now)
    {
        if (now - m_last < Interval)
            return false;
        m_last = now;
        return true;
    }
    std::uint32_t last() const { return m_last; }

private:
    std::uint32_t m_last = 0;
};

class TFormMX : public QWidget {
    Q_OBJECT
public:
    explicit TFormMX(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~TFormMX() override;

    // The off-screen picture of the client area, created on first use with the
    // client's size in the screen's format.
    QImage& Image();
    bool HasImage() const { return m_image != nullptr; }

    bool EasyDrag = true;
    bool EasySize = false; // stored only
    bool AutoDraw = true;
    bool Magnetic = true;

    bool NoErase() const { return m_noErase; }
    void setNoErase(bool on);

    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool on);
    // Shapes the window by the picture: pixels of the key colour (the
    // picture's bottom-left pixel when the key is KeyFromBitmap) within the
    // tolerance are cut out, the border and caption go, and the window takes
    // the picture's size. Without a picture the shape is removed.
    static constexpr TColor KeyFromBitmap = 0x46000000;
    void SetRegionFromBitmap(const QImage* bitmap, TColor key = KeyFromBitmap, TColor tolerance = 0);

    bool AutoZoom() const { return m_autoZoom; }
    void setAutoZoom(bool on);

    bool TopMost() const { return m_topMost; }
    void SetTopMost(bool on);

    bool MouseInForm() const { return m_mouseOver.inside(); }

    // The window's translucency as last applied: alpha blending on or off and
    // its value (0 clear .. 255 opaque).
    // The look of an inactive window now: translucent exactly when the
    // "Transp" option says so.
    void ApplyInactiveTransparency();
    bool AlphaBlend() const { return m_alphaBlend; }
    int AlphaBlendValue() const { return m_alphaValue; }
    void setAlphaBlend(bool on);
    void setAlphaBlendValue(int value);

    // The painter of the paint in progress (OnPaint); null outside painting.
    QPainter* Canvas() const { return m_canvas; }

    // The window manager's "moving" report: the proposed frame rectangle,
    // which the handler may change (edge snapping).
    virtual void Moving(TRect& proposed);

    TNotifyEvent OnMouseOver;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TNotifyEvent OnResize;
    TMouseEvent OnMouseDown;

protected:
    virtual void DoMouseOver();
    virtual void Activate();
    virtual void Deactivate();
    virtual void Paint();

    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    void applyAlpha();
    void zoomChildren(int newWidth, int newHeight);

    std::unique_ptr<QImage> m_image;
    bool m_noErase = true;
    bool m_transparent = false;
    bool m_autoZoom = false;
    bool m_topMost = false;
    TMouseOverFlag m_mouseOver;
    bool m_alphaBlend = false;
    int m_alphaValue = 255;
    int m_zoomWidth = 0;
    int m_zoomHeight = 0;
    TSnapThrottle m_snap;
    QPainter* m_canvas = nullptr;
    // Dragging by the client area: where the press was (screen) and where the
    // frame was then.
    bool m_dragging = false;
    QPoint m_dragPress;
    QPoint m_dragFrame;
};
