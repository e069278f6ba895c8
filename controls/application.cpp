#include "controls/application.h"

#include "foundation/core/basicos.h"
#include "foundation/core/exceptions.h"

#include <QPainter>
#include <QWidget>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {   // everything: no exception unwinds through Qt
        HandleException(std::current_exception());
        return false;
    }
}

QString TApplication::MessageOf(std::exception_ptr e)
{
    try {
        std::rethrow_exception(e);
    } catch (const Exception& x) {
        return x.message();
    } catch (const std::exception& x) {
        return QString::fromLocal8Bit(x.what());
    } catch (...) {   // everything: whatever reached the boundary toward Qt has a text
        return QStringLiteral("Error desconocido");
    }
}

void TApplication::HandleException(std::exception_ptr e)
{
    if (!e)
        return;
    try {
        std::rethrow_exception(e);
    } catch (const EAbort&) {
        return; // the silent abort: the operation simply ends
    } catch (...) {   // everything: any other failure that reached Qt's boundary is shown
    }
    // The box itself must not throw back into Qt.
    try {
        MsgBoxApp(MessageOf(e), mb::Ok | mb::IconError);
    } catch (...) {   // everything: the box itself must not throw back into Qt
    }
}

bool TApplication::Guarded(const std::function<void()>& handler)
{
    try {
        if (handler)
            handler();
        return true;
    } catch (...) {   // everything: a handler called from Qt must not unwind through it
        HandleException(std::current_exception());
        return false;
    }
}

void TApplication::GuardedPaint(QWidget* widget, QPainter*& canvas, const std::function<void()>& paint)
{
    QPainter p(widget);
    canvas = &p;
    // The painter goes away with this frame, whatever the handlers do.
    struct Reset {
        QPainter*& c;
        ~Reset() { c = nullptr; }
    } reset{canvas};
    Guarded(paint);
}
