// The fractions window on a real X server: its results read whole, and the
// on-screen keyboard, on by default, opens where it hides none of them.
#include "windowfixture.h"

#include "controls/comboexpr.h"
#include "controls/frmteclado.h"
#include "tools/fracciones/window/frmfraccion.h"

#include <QApplication>
#include <QEnterEvent>
#include <QTest>

namespace {

class FraccionScreen : public ScreenWindowTest {
protected:
    void TearDown() override
    {
        FreeTeclado();
        ScreenWindowTest::TearDown();
    }
};

TEST_F(FraccionScreen, TheKeyboardHidesNoResult)
{
    ComboExpr().KeyboardEnabled = true;
    TfmFraccion w(host, nullptr);
    place(&w);
    screencheck::Faults faults = screencheck::check(&w, QStringLiteral("fraccion_default"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);

    w.cmbExp->SetText(QStringLiteral("1|3+1|4+7|9"));
    w.cmbExp->setFocus();
    QTest::keyClick(w.cmbExp, Qt::Key_Return);
    faults = screencheck::check(&w, QStringLiteral("fraccion_result"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);

    // The pointer comes into the box.
    const QPoint inside(w.cmbExp->width() / 2, w.cmbExp->height() / 2);
    QEnterEvent enter(inside, w.cmbExp->mapTo(&w, inside), w.cmbExp->mapToGlobal(inside));
    QApplication::sendEvent(w.cmbExp, &enter);
    TfmTeclado* k = fmTeclado();
    ASSERT_NE(k, nullptr);
    screencheck::showAndSettle(k);
    ASSERT_TRUE(k->isVisible());
    const QRect window = w.frameGeometry();
    const QRect keyboard = k->frameGeometry();
    EXPECT_FALSE(window.intersects(keyboard))
        << "the keyboard " << keyboard.x() << "," << keyboard.y() << " " << keyboard.width() << "x"
        << keyboard.height() << " covers the window " << window.x() << "," << window.y() << " " << window.width()
        << "x" << window.height();
    // It stays while the pointer goes from the box to it.
    const QPoint way = QPoint(w.cmbExp->mapToGlobal(inside).x(), (window.bottom() + keyboard.top()) / 2);
    EXPECT_TRUE(k->PointerKeepsKeyboard(way));
    screencheck::save(screencheck::grabFromServer(k), QStringLiteral("fraccion_teclado"));
}

} // namespace
