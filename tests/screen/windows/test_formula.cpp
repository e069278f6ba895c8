// The formula manager on a real X server: long results in the "Valor"
// column read whole, and a formula without a picture shows the program's
// icon.
#include "windowfixture.h"

#include "controls/appicon.h"
#include "controls/frmautocomp.h"
#include "controls/stringgridx.h"
#include "engine/real/expresion.h"
#include "science/formulas/window/fmformula.h"
#include "science/formulas/window/formulagridinput.h"
#include "science/quimica/quimica.h"
#include "science/unidades/unidades.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>

namespace {

class FormulaScreen : public ScreenWindowTest {
protected:
    void SetUp() override
    {
        ScreenWindowTest::SetUp();
        const QDir bin(qEnvironmentVariable("SUMBRIX_BIN_DIR"));
        QStringList files = bin.entryList({QStringLiteral("*.fcm")});
        files << QStringLiteral("maguni.def") << QStringLiteral("quim.ini") << QStringLiteral("form.img");
        for (const QString& f : files)
            copyData(f);
        unitEngine().reset();
        LoadUnitDefinitions();
        LoadAtomicMasses();
        input.UseBuiltIns = true;
        host.input = &input;
    }
    void TearDown() override
    {
        FreeAutoComp();
        UnloadAtomicMasses();
        unitEngine().reset();
        ScreenWindowTest::TearDown();
    }
    static void choose(QComboBox* box, int i)
    {
        box->setCurrentIndex(i);
        emit box->activated(i);
    }

    real::TExpresion input;
};

TEST_F(FormulaScreen, LongResultsReadWhole)
{
    TfmFormula w(host, nullptr);
    place(&w);
    screencheck::Faults faults = screencheck::check(&w, QStringLiteral("formula_default"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);

    choose(w.cmbTipo, w.cmbTipo->findText(QStringLiteral("Mecánica")));
    choose(w.cmbFormulas, w.cmbFormulas->findText(QStringLiteral("Velocidad media")));
    TypeFormulaValue(w, QStringLiteral("d"), QStringLiteral("1/3"));
    TypeFormulaValue(w, QStringLiteral("v"), QStringLiteral("7.000000001"));
    ASSERT_GE(w.gri->Cells(TfmFormula::cValor, FormulaRowOf(w, QStringLiteral("t"))).size(), 15);
    faults = screencheck::check(&w, QStringLiteral("formula_result"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

TEST_F(FormulaScreen, AFormulaWithoutPictureShowsTheProgramsIcon)
{
    TfmFormula w(host, nullptr);
    place(&w);
    screencheck::showAndSettle(&w);
    bool found = false;
    for (int g = 0; g < w.cmbTipo->count() && !found; ++g) {
        choose(w.cmbTipo, g);
        for (int f = 0; f < w.cmbFormulas->count() && !found; ++f) {
            choose(w.cmbFormulas, f);
            found = w.ImageReference().isEmpty();
        }
    }
    ASSERT_TRUE(found) << "no formula without a picture";
    const QImage shown = w.Image1->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage icon = ApplicationPixmap(64).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_FALSE(shown.isNull());
    EXPECT_EQ(shown, icon);
    screencheck::save(screencheck::grabFromServer(&w), QStringLiteral("formula_sin_imagen"));
}

} // namespace
