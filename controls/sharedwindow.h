#pragma once
// The program's shared singleton windows (the autocomplete list, the
// on-screen keyboard): made on first need, owned by the application (freed
// as it goes down, while widgets may still be freed), and freed by tests
// between cases.
#include <QCoreApplication>
#include <QPointer>

template <class W>
class TSharedWindow {
public:
    // The window, none before it is made (or after it was freed).
    static W* Get() { return slot(); }
    // Makes it when it does not exist yet.
    static W* Ensure()
    {
        if (!slot()) {
            slot() = new W();
            static const bool freedAtExit = (qAddPostRoutine(&TSharedWindow::Free), true);
            (void)freedAtExit;
        }
        return slot();
    }
    static void Free()
    {
        delete slot().data();
        slot() = nullptr;
    }

private:
    static QPointer<W>& slot()
    {
        static QPointer<W> p;
        return p;
    }
};
