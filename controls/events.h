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
