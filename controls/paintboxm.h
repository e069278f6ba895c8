#pragma once
// A paint box in world coordinates with a rubber-band rectangle dragged by the
// mouse (charts drawn in the units of their data).
#include "controls/area.h"
#include "controls/worldscale.h"

using TOnDrawRect = std::function<void(QObject* Sender, const TRect& OldRect, TShiftState Shift, TRect& NewRect)>;
using TOnRectUp = std::function<void(QObject* Sender, const TRect& ARect, Qt::MouseButton Button, TShiftState Shift)>;
using TCanResizeEvent = std::function<void(QObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)>;

class TPaintBoxM : public TArea {
    Q_OBJECT
public:
    explicit TPaintBoxM(QWidget* parent = nullptr);

    bool ClipCursorOnDrag = false;
    bool DrawRectLeft = true;
    bool DrawRectRight = true;
    bool DrawRectMiddle = false;
    bool KeepScaleAspect = false;

    double ScaleTop() const { return m_scale.ScaleTop(); }
    double ScaleLeft() const { return m_scale.ScaleLeft(); }
    double ScaleBottom() const { return m_scale.ScaleBottom(); }
    double ScaleRight() const { return m_scale.ScaleRight(); }
    double ScaleWidth() const { return m_scale.ScaleWidth(); }
    double ScaleHeight() const { return m_scale.ScaleHeight(); }
    void setScaleTop(double v);
    void setScaleLeft(double v);
    void setScaleBottom(double v);
    void setScaleRight(double v);
    void setScaleWidth(double v);
    void setScaleHeight(double v);

    void SetScale(double left, double top, double right, double bottom);
    int WorldToPixelX(double x) const { return m_scale.WorldToPixelX(x); }
    int WorldToPixelY(double y) const { return m_scale.WorldToPixelY(y); }
    double PixelToWorldX(int px) const { return m_scale.PixelToWorldX(px); }
    double PixelToWorldY(int py) const { return m_scale.PixelToWorldY(py); }
    const TWorldScale& Scale() const { return m_scale; }

    // Moves and sizes the control after asking OnCanResize.
    void SetBounds(int left, int top, int width, int height);

    // The rubber band in progress (start corner, current corner) and whether it is drawn.
    bool Dragging() const { return m_dragging; }
    TRect Band() const { return m_band; }
    bool BandShown() const { return m_bandShown; }

    TOnDrawRect OnRectDraw;
    TOnRectUp OnRectUp;
    TCanResizeEvent OnCanResize;

protected:
    void Paint() override;
    void MouseDown(Qt::MouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, TShiftState shift, int x, int y) override;
    void Resize() override;

private:
    TWorldScale& sizedScale();
    bool bandDrawnFor(Qt::MouseButtons buttons) const;
    void showBand(bool shown);

    TWorldScale m_scale;
    TRect m_band;
    bool m_dragging = false;
    bool m_bandShown = false;
};
