#pragma once
// A temporary program folder with a maguni.def written by the test, and the
// unit engine emptied before and after each test.
#include "foundation/core/zelini.h"
#include "science/unidades/unidades.h"
#include "support/fixtures.h"

#include <QFile>
#include <QStringList>

#include <cmath>

#include <utility>
#include <vector>

class UnitTest : public CoreExeDirTest {
protected:
    void SetUp() override
    {
        CoreExeDirTest::SetUp();
        unitEngine().reset();
    }
    void TearDown() override
    {
        unitEngine().reset();
        CoreExeDirTest::TearDown();
    }
    // Writes maguni.def (scrambled, as the program writes it) and loads it.
    void load(const std::vector<std::pair<QString, QStringList>>& sections)
    {
        QFile::remove(UnitDefinitionsFile());
        {
            TZelIniFile ini(UnitDefinitionsFile(), UnitDefinitionsKey());
            for (const auto& s : sections)
                ini.SetSectionLines(s.first, s.second);
            ini.UpdateFile();
        }
        LoadUnitDefinitions();
    }
    static const TMagnitud& magnitude(const QString& name)
    {
        const int i = FindMagnitude(name);
        EXPECT_GE(i, 0) << name.toStdString();
        return unitEngine().MagnitudeList.at(size_t(i < 0 ? 0 : i));
    }
};

// The relative difference of a result from the value wanted (the difference
// itself where that is 0).
inline Extended rel(Extended got, Extended want) { return want == 0 ? fabsl(got) : fabsl(got / want - 1); }
