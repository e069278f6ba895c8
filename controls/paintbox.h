#pragma once
// A plain painting surface: the owner draws on Canvas() in OnPaint. It does not
// fill its background (what lies behind shows through) unless a subclass does.
#include "controls/events.h"
#include "engine/canvas.h"

#include <QWidget>

class QPainter;

class TPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(QWidget* parent = nullptr);

    TColor Color() const { return m_color; }
    void setColor(TColor c);

    // The painter of the paint in progress; null outside painting.
    QPainter* Canvas() const { return m_canvas; }

    // Repaints the control at once when it is shown, else at the next show.
    void Repaint();

    TNotifyEvent OnPaint;
    TNotifyEvent OnResize;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    QSize sizeHint() const override { return QSize(105, 105); }

protected:
    // The paint of the control on Canvas(); the base fires OnPaint.
    virtual void Paint();
    virtual void MouseDown(Qt::MouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(Qt::MouseButton button, TShiftState shift, int x, int y);
    virtual void Resize();

    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    TColor m_color = clBtnFace;
    QPainter* m_canvas = nullptr;
    bool m_pressedInside = false;
};
