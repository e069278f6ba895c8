#pragma once
// A temporary program folder with a small maguni.def, the unit engine loaded
// from it, and every message box recorded instead of shown.
#include "foundation/core/zelini.h"
#include "science/unidades/unidades.h"
#include "support/fixtures.h"
#include "support/recordingsink.h"

#include <QFile>
#include <QStringList>

#include <utility>
#include <vector>

class UnitWindowTest : public ExeDirTest {
protected:
    using Sections = std::vector<std::pair<QString, QStringList>>;

    void SetUp() override
    {
        ExeDirTest::SetUp();
        unitEngine().reset();
        Basicos().ExeFile = path(QStringLiteral("sumbrix"));
        Basicos().Messages = &sink;
    }
    void TearDown() override
    {
        unitEngine().reset();
        ExeDirTest::TearDown();
    }
    static Sections defaultSections()
    {
        return {{QStringLiteral("Longitud"),
                 {QStringLiteral("UniFundamental=metro"), QStringLiteral("pie=0.3048"), QStringLiteral("pulgada=0.0254"),
                  QStringLiteral("kilómetro=1000")}},
                {QStringLiteral("Temperatura"),
                 {QStringLiteral("UniFundamental=kelvin"), QStringLiteral("grado Celsius=U+273.15_U-273.15"),
                  QStringLiteral("cero=0")}},
                {QStringLiteral("Sola"), {QStringLiteral("UniFundamental=única")}}};
    }
    // Writes maguni.def as the program writes it, then loads it.
    void load(const Sections& sections = defaultSections())
    {
        write(sections);
        LoadUnitDefinitions();
    }
    void write(const Sections& sections)
    {
        QFile::remove(UnitDefinitionsFile());
        TZelIniFile ini(UnitDefinitionsFile(), UnitDefinitionsKey());
        for (const auto& s : sections)
            ini.SetSectionLines(s.first, s.second);
        ini.UpdateFile();
    }
    RecordingSink sink;
};
