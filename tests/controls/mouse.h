#pragma once
// Sending mouse events straight to a widget, with the buttons held given
// explicitly (the offscreen platform has no real pointer), and resizing one
// with its resize event delivered at once (hidden widgets get it late).
#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QWidget>

inline void sendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons held,
                      Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, held, mods);
    QApplication::sendEvent(w, &e);
}
inline void press(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton)
{
    sendMouse(w, QEvent::MouseButtonPress, p, b, b);
}
inline void moveTo(QWidget* w, QPoint p, Qt::MouseButtons held)
{
    sendMouse(w, QEvent::MouseMove, p, Qt::NoButton, held);
}
inline void release(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton)
{
    sendMouse(w, QEvent::MouseButtonRelease, p, b, Qt::NoButton);
}
inline void enter(QWidget* w)
{
    QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(w->mapToGlobal(QPoint(1, 1))));
    QApplication::sendEvent(w, &e);
}
inline void leave(QWidget* w)
{
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}
inline void resizeNow(QWidget& w, int width, int height)
{
    const QSize old = w.size();
    w.resize(width, height);
    QResizeEvent e(w.size(), old);
    QApplication::sendEvent(&w, &e);
}
