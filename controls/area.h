#pragma once
// A paint box that reports the mouse entering and leaving it.
#include "controls/paintbox.h"

class TArea : public TPaintBox {
    Q_OBJECT
public:
    explicit TArea(QWidget* parent = nullptr);

    // The mouse is over the control.
    bool MouseInControl() const { return m_mouseOver.inside(); }

    // Fired when the mouse enters or leaves.
    TNotifyEvent OnMouseOver;

protected:
    virtual void DoMouseOver();
    // The mouse-enter and mouse-leave reports.
    void MouseEnter();
    void MouseLeave();
    // Confines the pointer to the control while a drag is in progress, and
    // frees it again.
    void ConfineCursor();
    void FreeCursor();

    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    TMouseOverFlag m_mouseOver;
};
