// The instant converter on a real X server: the units grid's columns fit its
// view at every size, so that a click in a value cell scrolls nothing out of
// reach and every unit's name reads whole; the bases' labels read whole.
#include "windowfixture.h"

#include "engine/real/expresion.h"
#include "science/unidades/unidades.h"
#include "science/unidades/window/frmconver.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

namespace {

class ConverScreen : public ScreenWindowTest {
protected:
    void SetUp() override
    {
        ScreenWindowTest::SetUp();
        unitEngine().reset();
        copyData(QStringLiteral("maguni.def"));
        LoadUnitDefinitions();
        input.SetUseBuiltIns(true);
        host.input = &input;
        TfmConver::MainResultText = [] { return QStringLiteral("0"); };
    }
    void TearDown() override
    {
        TfmConver::MainResultText = nullptr;
        unitEngine().reset();
        ScreenWindowTest::TearDown();
    }
    real::TExpresion input;
};

TEST_F(ConverScreen, UnitNamesAndValuesStayWithinTheGrid)
{
    TfmConver w(host, nullptr);
    place(&w);
    w.PageControl1->setCurrentIndex(0);
    screencheck::Faults faults = screencheck::check(&w, QStringLiteral("conver_default"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);

    for (const char* magnitude : {"Temperatura", "Aceleración", "Volumen"}) {
        SCOPED_TRACE(magnitude);
        w.cmbMag->setCurrentIndex(w.cmbMag->findText(QString::fromUtf8(magnitude)));
        w.cmbMagClick();
        // A click in the value cell of the second row.
        const QRect cell = w.gri->visualRect(w.gri->model()->index(1, 1));
        QTest::mouseClick(w.gri->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        faults = screencheck::check(&w, QStringLiteral("conver_%1").arg(w.cmbMag->currentIndex()));
        EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
    }
    // Narrow, the names stay whole and the values take what is left.
    w.resize(240, 300);
    faults = screencheck::check(&w, QStringLiteral("conver_240"));
    std::erase_if(faults, [](const std::string& f) { return f.find(",1): ") != std::string::npos; });
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
    w.resize(520, 420);
    faults = screencheck::check(&w, QStringLiteral("conver_520"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

TEST_F(ConverScreen, EveryBaseLabelReadsWhole)
{
    TfmConver w(host, nullptr);
    place(&w);
    w.PageControl1->setCurrentIndex(1);
    w.Edit1->setText(QStringLiteral("255"));
    const screencheck::Faults faults = screencheck::check(&w, QStringLiteral("conver_bases"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

} // namespace
