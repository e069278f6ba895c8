#pragma once
// Shared set-up of the tests of the expression entry box, the autocomplete
// list, the on-screen keyboard and the input box: a name table whose entries
// describe themselves as the engines' entries do, and a fixture that puts the
// program's process-wide state back (the shared list and keyboard windows
// included), gives ExeDir a temporary folder of its own (the boxes' history
// files live there) and records every run of the shared list.
#include "controls/comboexpr.h"
#include "controls/frmautocomp.h"
#include "controls/frmteclado.h"
#include "engine/nametable.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTest>

#include <cstdint>
#include <functional>
#include <memory>

// A name-table entry with what the list reads of it.
struct TestEntry {
    std::uint8_t Category = 0;
    std::uint8_t MinArgs = 0;
    std::uint8_t MaxArgs = 0;
    QString Description;
};
using TestTable = exprcore::TNameTable<TestEntry>;

inline void addName(TestTable& t, const QString& name, int kind, int minArgs = 0, int maxArgs = 0,
                    const QString& description = {})
{
    auto e = std::make_unique<TestEntry>();
    e->Category = std::uint8_t(kind);
    e->MinArgs = std::uint8_t(minArgs);
    e->MaxArgs = std::uint8_t(maxArgs);
    e->Description = description;
    t.Add(name, t.Keep(std::move(e)));
}

class EntryBoxTest : public ExeDirTest {
protected:
    // Fixtures free their boxes and dialogs first, then call TearDown.

    // From now on every run of the list is counted and its starting prefix
    // kept; `script` plays the user's keys while it is open, and a list the
    // script leaves open is closed with Esc.
    void recordListRuns()
    {
        AutoComp().OnShown = [this](TfmAutoComp& l) {
            ++runs;
            prefixes << l.Prefix();
            if (script)
                script(l);
            if (l.Running())
                QTest::keyClick(l.lb, Qt::Key_Escape);
        };
    }

    TestTable table;
    int runs = 0;
    QStringList prefixes;
    std::function<void(TfmAutoComp&)> script;
};
