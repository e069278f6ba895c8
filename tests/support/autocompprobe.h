#pragma once
// Counts the times the shared names list is shown, remembers the table it
// was shown over and closes it at once with Esc, as a user who looks and
// cancels would. Turns autocompletion on.
#include "controls/frmautocomp.h"

#include <QTest>

struct AutoCompProbe {
    int runs = 0;
    const void* table = nullptr;

    AutoCompProbe()
    {
        AutoComp().AutoCompleteOn = true;
        AutoComp().OnShown = [this](TfmAutoComp& l) {
            ++runs;
            table = l.CachedTable();
            if (l.Running())
                QTest::keyClick(l.lb, Qt::Key_Escape);
        };
    }
    AutoCompProbe(const AutoCompProbe&) = delete;
    AutoCompProbe& operator=(const AutoCompProbe&) = delete;
};

// Types keys as the user does while the names list opens and closes: into
// the box, and into the list while it is open. The list's OnShown must call
// intoList. "\n" stands for Enter.
struct ListTyping {
    QString pending;

    explicit ListTyping(const QString& keys) : pending(keys) {}
    void intoList(TfmAutoComp& l)
    {
        while (l.Running() && !pending.isEmpty()) {
            const QChar ch = next();
            if (ch == QLatin1Char('\n'))
                QTest::keyClick(l.lb, Qt::Key_Return);
            else
                QTest::keyClick(l.lb, ch.toLatin1());
        }
    }
    void into(QWidget* box)
    {
        while (!pending.isEmpty())
            QTest::keyClicks(box, QString(next()));
    }

private:
    QChar next()
    {
        const QChar ch = pending.front();
        pending.remove(0, 1);
        return ch;
    }
};
