// Solving a stored formula: values in their units turned into base units,
// the law solved for the unknown, the bounds, the result in its unit, and
// every failure stopping with "Error" and a clear message.
#include "engine/bases.h"
#include "formulafixture.h"
#include "science/formulas/formulasolve.h"

#include <gtest/gtest.h>

namespace {

class SolveTest : public FormulaTest {
protected:
    void SetUp() override
    {
        FormulaTest::SetUp();
        solver = std::make_unique<TFormulaSolver>(parent.get());
        solver->Quiet = true;
        solver->Elements = {{"v", "Velocidad", "36", "kilómetro por hora", "Velocidad=metro por segundo", "", ""},
                            {"d", "Distancia", "100", "metro", "Longitud=metro", "", ""},
                            {"t", "Tiempo", "", "segundo", "Tiempo=segundo", "", ""}};
    }
    void TearDown() override
    {
        solver.reset();
        FormulaTest::TearDown();
    }
    std::unique_ptr<TFormulaSolver> solver;
};

TEST_F(SolveTest, ValuesGoToBaseUnitsAndTheResultToItsUnit)
{
    TSolveOutcome r = solver->Recalculate(QStringLiteral("v=d/t"), 2);
    ASSERT_TRUE(r.ok()) << r.Message.toStdString();
    EXPECT_EQ(r.Result, QStringLiteral("10"));
    EXPECT_EQ(r.Value, 10);
    EXPECT_EQ(solver->FormulaValues[1], 10);
    EXPECT_EQ(solver->FormulaValues[2], 100);
    solver->Elements[2].Unidad = QStringLiteral("hora");
    r = solver->Recalculate(QStringLiteral("v=d/t"), 2);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.Result, FloatToStrDefBase(10.0L / 3600.0L));
    // Solving for another element: the unknown's own Valor is never read.
    solver->Elements[2].Valor = QStringLiteral("basura(");
    solver->Elements[2].Unidad = QStringLiteral("segundo");
    solver->Elements[0].Valor = QStringLiteral("texto viejo");
    solver->Elements[2].Valor = QStringLiteral("20");
    r = solver->Recalculate(QStringLiteral("v=d/t"), 0);
    ASSERT_TRUE(r.ok()) << r.Message.toStdString();
    EXPECT_EQ(r.Result, QStringLiteral("18"));   // 5 m/s in km/h
}

TEST_F(SolveTest, RecalculatingTwiceGivesTheSameResult)
{
    const TSolveOutcome a = solver->Recalculate(QStringLiteral("v=d/t"), 2);
    solver->Elements[1].Valor = QStringLiteral("200");
    const TSolveOutcome b = solver->Recalculate(QStringLiteral("v=d/t"), 2);
    const TSolveOutcome c = solver->Recalculate(QStringLiteral("v=d/t"), 2);
    EXPECT_EQ(a.Result, QStringLiteral("10"));
    EXPECT_EQ(b.Result, QStringLiteral("20"));
    EXPECT_EQ(c.Result, QStringLiteral("20"));
}

TEST_F(SolveTest, ExpressionsAndChemicalFormulasAsValues)
{
    solver->Elements[1].Valor = QStringLiteral("2*50");
    EXPECT_EQ(solver->Recalculate(QStringLiteral("v=d/t"), 2).Result, QStringLiteral("10"));
    solver->Elements = {{"nm", "Moles", "", "mol", "Cantidad de sustancia=mol", "", ""},
                        {"m", "Masa", "36.03", "gramo", "Masa=kilogramo", "", ""},
                        {"Mm", "Masa molar", "H2O", "gramo", "Masa=kilogramo", "", ""}};
    const TSolveOutcome r = solver->Recalculate(QStringLiteral("nm=m/Mm"), 0);
    ASSERT_TRUE(r.ok()) << r.Message.toStdString();
    EXPECT_NEAR(double(r.Value), 2.0, 1e-12);
}

TEST_F(SolveTest, MagnitudesMatchWithoutAmpersandsOrCase)
{
    EXPECT_GE(MatchMagnitude(QStringLiteral("presión")), 0);
    EXPECT_EQ(MatchMagnitude(QStringLiteral("&Presión")), MatchMagnitude(QStringLiteral("Presión")));
    EXPECT_LT(MatchMagnitude(QStringLiteral("Carga")), 0);
    solver->Elements = {{"P", "Presión", "", "bar", "Presión=pascal", "", ""},
                        {"Po", "Otra", "2", "bar", "&presión=pascal", "", ""}};
    const TSolveOutcome r = solver->Recalculate(QStringLiteral("P=Po*3"), 0);
    ASSERT_TRUE(r.ok()) << r.Message.toStdString();
    EXPECT_EQ(r.Result, QStringLiteral("6"));
    EXPECT_EQ(r.Value, 600000);
}

TEST_F(SolveTest, BoundsInBaseUnitsMinimaFirst)
{
    // The maximum of t is d (its base-unit value, 100): t = 10 passes.
    solver->Elements[2].Max = QStringLiteral("d");
    EXPECT_TRUE(solver->Recalculate(QStringLiteral("v=d/t"), 2).ok());
    // v = 0.036 km/h = 0.01 m/s gives t = 10000 > d.
    solver->Elements[0].Valor = QStringLiteral("0.036");
    TSolveOutcome r = solver->Recalculate(QStringLiteral("v=d/t"), 2);
    EXPECT_EQ(r.What, TSolveOutcome::Kind::Refused);
    EXPECT_EQ(r.Result, QStringLiteral("Error"));
    EXPECT_EQ(r.Message, QStringLiteral("Revise los datos introducidos.\r\nEl valor de: \"t\" (Tiempo)\r\n"
                                        "no puede ser mayor a: d segundo"));
    // A minimum broken too: it is the one told.
    solver->Elements[1].Min = QStringLiteral("1000");
    r = solver->Recalculate(QStringLiteral("v=d/t"), 2);
    EXPECT_EQ(r.Message, QStringLiteral("Revise los datos introducidos.\r\nEl valor de: \"d\" (Distancia)\r\n"
                                        "no puede ser menor a: 1000 metro"));
}

TEST_F(SolveTest, FailuresStopWithError)
{
    struct Case {
        const char* what;
        std::function<void(TFormulaSolver&, QString& law, int& unknown)> change;
        TSolveOutcome::Kind kind;
        const char* messageHas;
    } cases[] = {
        {"an empty value", [](TFormulaSolver& s, QString&, int&) { s.Elements[1].Valor.clear(); },
         TSolveOutcome::Kind::Stopped, ""},
        {"a value that does not compile", [](TFormulaSolver& s, QString&, int&) { s.Elements[1].Valor = "2*/"; },
         TSolveOutcome::Kind::Refused, "La expresión para \"d\" (Distancia)\r\nno es válida"},
        {"an unknown name in a value", [](TFormulaSolver& s, QString&, int&) { s.Elements[1].Valor = "zzq+1"; },
         TSolveOutcome::Kind::Refused, "La expresión para \"d\" (Distancia)\r\nno es válida"},
        {"a unit that is not declared", [](TFormulaSolver& s, QString&, int&) { s.Elements[1].Unidad = "legua"; },
         TSolveOutcome::Kind::Failed, "legua"},
        {"no unknown marked", [](TFormulaSolver&, QString&, int& u) { u = -1; }, TSolveOutcome::Kind::Refused,
         "No hay incógnita"},
        {"a law that does not compile", [](TFormulaSolver&, QString& law, int&) { law = "v=d/"; },
         TSolveOutcome::Kind::Failed, ""},
        {"a failed solve (0/0)",
         [](TFormulaSolver& s, QString&, int&) {
             s.Elements[0].Valor = "0";
             s.Elements[1].Valor = "0";
         },
         TSolveOutcome::Kind::Failed, ""},
        {"a bound that does not compile", [](TFormulaSolver& s, QString&, int&) { s.Elements[2].Min = "1+*"; },
         TSolveOutcome::Kind::Refused, "El mínimo de \"t\" (Tiempo)\r\nno es una expresión válida: 1+*"},
        {"an unknown name in a bound", [](TFormulaSolver& s, QString&, int&) { s.Elements[0].Max = "vluz"; },
         TSolveOutcome::Kind::Refused, "El máximo de \"v\" (Velocidad)\r\nno es una expresión válida: vluz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        QString law = QStringLiteral("v=d/t");
        int unknown = 2;
        c.change(*solver, law, unknown);
        const TSolveOutcome r = solver->Recalculate(law, unknown);
        EXPECT_EQ(r.What, c.kind) << r.Message.toStdString();
        EXPECT_EQ(r.Result, QStringLiteral("Error"));
        EXPECT_TRUE(r.Message.contains(QString::fromUtf8(c.messageHas))) << r.Message.toStdString();
        if (c.kind != TSolveOutcome::Kind::Stopped)
            EXPECT_FALSE(r.Message.isEmpty());
        TearDown();
    }
    SetUp();
}

TEST_F(SolveTest, TheSymbolHook)
{
    bool ok = true;
    EXPECT_EQ(solver->FormulaSymbolValue(QStringLiteral("Simb"), ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(solver->FormulaSymbolValue(QStringLiteral("nada"), ok), 0);
    EXPECT_FALSE(ok);
    solver->FormulaValues = {0, 1, 2, 3};
    EXPECT_EQ(solver->FormulaSymbolValue(QStringLiteral("D"), ok), 2);
    EXPECT_TRUE(ok);
    solver->RandomSymbolValues = true;
    solver->Seed(3);
    for (int i = 0; i < 200; ++i) {
        const Extended r = solver->FormulaSymbolValue(QStringLiteral("t"), ok);
        EXPECT_TRUE(ok);
        EXPECT_GE(r, 1);
        EXPECT_LE(r, 10);
        EXPECT_EQ(r, std::floor(r));
    }
}

TEST_F(SolveTest, TheLawIsDrawnWithoutAnyBox)
{
    solver->Quiet = false;
    EXPECT_NE(solver->DrawLaw(QStringLiteral("v=d/t")), nullptr);
    // Random values make d/(t-t) divide by zero while constants fold; a
    // syntax error has no picture. Neither shows a box.
    EXPECT_EQ(solver->DrawLaw(QStringLiteral("v=d/")), nullptr);
    solver->DrawLaw(QStringLiteral("v=d/(t-t)"));
    solver->DrawLaw(QStringLiteral("v=d/desconocido"));
    EXPECT_EQ(boxes, 0);
}

TEST_F(SolveTest, TheDriverLine)
{
    TFormulaGroup g(QStringLiteral("Cinemática"));
    TFormula f;
    f.Ley = QStringLiteral("v=d/t");
    f.Elements = solver->Elements;
    f.Unknown = 2;
    g.Write(QStringLiteral("Velocidad media"), f);
    struct Case {
        const char* line;
        const char* answer;
    } cases[] = {
        {"Cinemática\tVelocidad media\tt", "10 segundo"},
        {"Cinemática\tVelocidad media\tt hora\td=7.2 kilómetro; v=72 kilómetro por hora", "0.1 hora"},
        {"Cinemática\tVelocidad media\tv\td=1 kilómetro; t=0.5 hora", "2 kilómetro por hora"},
        {"Cinemática\tVelocidad media\td\tv=", "Error"},
        {"Cinemática\tVelocidad media\tw", "La fórmula no tiene el elemento w"},
        {"Cinemática\tOtra\tt", "No existe la fórmula Otra en el grupo Cinemática"},
        {"Dinámica\tVelocidad media\tt", "No existe el grupo Dinámica"},
        {"Cinemática\tVelocidad media\tt\td=2*/", "Revise los datos introducidos."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_TRUE(SolveFormulaLine(QString::fromUtf8(c.line)).startsWith(QString::fromUtf8(c.answer)))
            << SolveFormulaLine(QString::fromUtf8(c.line)).toStdString();
    }
}

} // namespace
