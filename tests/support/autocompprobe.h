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
