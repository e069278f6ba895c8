// The sequences window on a real X server: its panels' backgrounds follow the
// panels at the default size, after a run and when the window grows.
#include "windowfixture.h"

#include "controls/comboexpr.h"
#include "tools/sucesiones/window/frmsucec.h"

#include <QPushButton>
#include <QTest>

namespace {

class SucecScreen : public ScreenWindowTest {};

TEST_F(SucecScreen, BackgroundsFollowThePanelsAtEverySize)
{
    TfmSucec w(host, nullptr);
    place(&w);
    screencheck::Faults faults = screencheck::check(&w, QStringLiteral("sucesiones_default"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);

    w.cmbS->SetText(QStringLiteral("n*2"));
    w.cmbP->SetText(QStringLiteral("n>=12"));
    QTest::mouseClick(w.Button1, Qt::LeftButton);
    faults = screencheck::check(&w, QStringLiteral("sucesiones_run"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);

    w.resize(w.width() + 300, w.height() + 200);
    faults = screencheck::check(&w, QStringLiteral("sucesiones_grown"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

} // namespace
