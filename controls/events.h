#pragma once
// The event types of the program's controls: plain callables with the sender
// first, set by the window that owns the control (one handler per event).
#include <QObject>
#include <Qt>
#include <functional>

// Keys and mouse buttons held while a mouse or key event happened.
struct TShiftState {
    Qt::KeyboardModifiers Keys;
    Qt::MouseButtons Buttons;

    bool shift() const { return Keys.testFlag(Qt::ShiftModifier); }
    bool ctrl() const { return Keys.testFlag(Qt::ControlModifier); }
    bool alt() const { return Keys.testFlag(Qt::AltModifier); }
    bool left() const { return Buttons.testFlag(Qt::LeftButton); }
    bool right() const { return Buttons.testFlag(Qt::RightButton); }
    bool middle() const { return Buttons.testFlag(Qt::MiddleButton); }
    bool operator==(const TShiftState&) const = default;
};

// Horizontal alignment of a text.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// The Qt alignment of a text alignment.
inline Qt::Alignment ToQtAlignment(TAlignment a)
{
    switch (a) {
    case taRightJustify: return Qt::AlignRight;
    case taCenter: return Qt::AlignHCenter;
    case taLeftJustify: break;
    }
    return Qt::AlignLeft;
}

class QMouseEvent;
// The shift state of a mouse event.
TShiftState ShiftOf(const QMouseEvent* e);

using TNotifyEvent = std::function<void(QObject* Sender)>;
using TMouseEvent = std::function<void(QObject* Sender, Qt::MouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject* Sender, TShiftState Shift, int X, int Y)>;

// Calls the handler when one is set.
template <typename F, typename... Args>
inline void fire(const F& handler, Args&&... args)
{
    if (handler)
        handler(std::forward<Args>(args)...);
}

// The mouse-inside flag of the controls that report the mouse entering and
// leaving them: a report that does not change it is ignored, so repeated
// enter reports fire the control's event once.
class TMouseOverFlag {
public:
    bool inside() const { return m_in; }
    // True when the report changed the flag (the control then fires its event).
    bool enter() { return set(true); }
    bool leave() { return set(false); }

private:
    bool set(bool in)
    {
        if (m_in == in)
            return false;
        m_in = in;
        return true;
    }
    bool m_in = false;
};
