#pragma once
// The program's application object. Exceptions never unwind through Qt: the
// one notify override ends them there, the silent abort without a word and any
// other with its message in an error box captioned with the application title
// (through the program's message boxes, which tests answer).
#include <QApplication>
#include <exception>
#include <functional>

class QPainter;
class QWidget;

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Ends an exception as the notify override does: EAbort silently, any other
    // with an error box.
    static void HandleException(std::exception_ptr e);
    // Runs the handler, ending any exception it raises by HandleException;
    // false when it raised one. For handlers called from inside Qt's own code.
    static bool Guarded(const std::function<void()>& handler);
    // Paints the widget: `canvas` points at a painter on it while `paint`
    // runs and is null again afterwards; what `paint` raises ends here.
    static void GuardedPaint(QWidget* widget, QPainter*& canvas, const std::function<void()>& paint);
    // The message shown for an exception.
    static QString MessageOf(std::exception_ptr e);
};
