#pragma once
// A temporary program folder with a small maguni.def and atomic-mass table,
// and a parent evaluator like the main window's input evaluator.
#include "engine/real/expresion.h"
#include "foundation/core/zelini.h"
#include "science/quimica/quimica.h"
#include "science/unidades/unidades.h"
#include "support/fixtures.h"

#include <memory>

class FormulaTest : public CoreExeDirTest {
protected:
    void SetUp() override
    {
        CoreExeDirTest::SetUp();
        unitEngine().reset();
        {
            TZelIniFile ini(UnitDefinitionsFile(), UnitDefinitionsKey());
            ini.SetSectionLines(QStringLiteral("Longitud"),
                                {QStringLiteral("UniFundamental=metro"), QStringLiteral("kilómetro=1000")});
            ini.SetSectionLines(QStringLiteral("Tiempo"),
                                {QStringLiteral("UniFundamental=segundo"), QStringLiteral("hora=3600")});
            ini.SetSectionLines(QStringLiteral("Velocidad"), {QStringLiteral("UniFundamental=metro por segundo"),
                                                              QStringLiteral("kilómetro por hora=_3.6")});
            ini.SetSectionLines(QStringLiteral("Masa"),
                                {QStringLiteral("UniFundamental=kilogramo"), QStringLiteral("gramo=0.001")});
            ini.SetSectionLines(QStringLiteral("Cantidad de sustancia"), {QStringLiteral("UniFundamental=mol")});
            ini.SetSectionLines(QStringLiteral("Energía"),
                                {QStringLiteral("UniFundamental=julio"), QStringLiteral("kilojulio=1000")});
            ini.SetSectionLines(QStringLiteral("&Presión"),
                                {QStringLiteral("UniFundamental=pascal"), QStringLiteral("bar=1E5")});
            ini.UpdateFile();
        }
        LoadUnitDefinitions();
        SetAtomicMassLines({QStringLiteral("H_Hidrógeno=1.008"), QStringLiteral("O_Oxígeno=15.999")});
        parent = std::make_unique<real::TExpresion>();
        parent->UseBuiltIns = true;
        parent->Silent = true;
        boxes = 0;
        real::messageHook() = [this](const QString&, const QString&, real::MessageIcon) { ++boxes; };
    }
    void TearDown() override
    {
        real::messageHook() = nullptr;
        parent.reset();
        UnloadAtomicMasses();
        unitEngine().reset();
        CoreExeDirTest::TearDown();
    }
    std::unique_ptr<real::TExpresion> parent;
    int boxes = 0;
};
