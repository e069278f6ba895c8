#pragma once
// A paint box that reports the mouse entering and leaving it.
#include "controls/paintbox.h"

class TArea : public TPaintBox {
    Q_OBJECT
public:
    explicit TArea(QWidget* parent = nullptr);

    // The mouse is over the control.
    bool MouseInControl() const { return m_mouseIn; }

    // Fired when the mouse enters or leaves.
    TNotifyEvent OnMouseOver;

protected:
    virtual void DoMouseOver();
    // The mouse-enter and mouse-leave reports.
    void MouseEnter();
    void MouseLeave();

    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    bool m_mouseIn = false;
};
