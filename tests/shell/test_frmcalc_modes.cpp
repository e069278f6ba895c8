// The main window's modes driven as the user drives them: the title bar
// hidden and back (also by a double click), dragging by the background, the
// stay-on-top button, the reduced mode's timer, the notification area, the
// bar and the total, the splitter that collapses a panel, transparency.
#include "frmcalcfixture.h"

#include "controls/formmx.h"
#include "foundation/core/zelini.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>

namespace {

using ModesTest = FrmCalcTest;

TEST_F(ModesTest, TitleBarHiddenByTheMenuOrADoubleClick)
{
    openNotFirstRun();
    w->show();
    emit w->PopupMenu7->aboutToShow();
    w->OcultarTtulo1->trigger();
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(w->windowTitle().isEmpty());
    EXPECT_TRUE(w->isVisible());
    // A double click on the background brings it back.
    QTest::mouseDClick(w->Panel2, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_FALSE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(w->windowTitle().isEmpty());
    w->close();
    w.reset();
    // Saved, and restored at the next start.
    writeSettings("NoTitulo=1\r\n");
    open();
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(w->OcultarTtulo1->isChecked());
}

TEST_F(ModesTest, TheBackgroundDragsTheWindow)
{
    openNotFirstRun();
    w->move(100, 100);
    w->show();
    const QPoint before = w->pos();
    QTest::mousePress(w->Panel3, Qt::LeftButton, {}, QPoint(2, 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(42, 32), w->Panel3->mapToGlobal(QPointF(42, 32)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->Panel3, &move);
    QTest::mouseRelease(w->Panel3, Qt::LeftButton, {}, QPoint(42, 32));
    EXPECT_EQ(w->pos(), before + QPoint(40, 30));
}

TEST_F(ModesTest, StayOnTopButtonAndMenuAgree)
{
    openNotFirstRun();
    QTest::mouseClick(w->btnSiempreVisible, Qt::LeftButton);
    EXPECT_TRUE(w->TopMost());
    emit w->PopupMenu7->aboutToShow();
    EXPECT_TRUE(w->findChild<QAction*>(QStringLiteral("SiempreVisible1"))->isChecked());
    w->findChild<QAction*>(QStringLiteral("SiempreVisible1"))->trigger();
    EXPECT_FALSE(w->TopMost());
    EXPECT_FALSE(w->btnSiempreVisible->isChecked());
}

TEST_F(ModesTest, ReducedModeShrinksToTheTopPanelWhileTheMouseIsAway)
{
    openNotFirstRun();
    w->move(200, 200);
    w->show();
    QTest::mouseClick(w->btnModoReducido, Qt::LeftButton);
    EXPECT_TRUE(w->ReducedMode());
    EXPECT_TRUE(w->Timer1->isActive());
    EXPECT_EQ(w->Timer1->interval(), 100);
    // The mouse far away: reduced to the top panel.
    QCursor::setPos(5, 5);
    w->Timer1Timer();
    EXPECT_TRUE(w->Reduced());
    EXPECT_FALSE(w->mask().isEmpty());
    EXPECT_LE(w->mask().boundingRect().height(), w->Panel1->height());
    // The mouse on the top panel: the whole window again.
    QCursor::setPos(w->Panel1->mapToGlobal(QPoint(w->Panel1->width() / 2, w->Panel1->height() / 2)));
    w->Timer1Timer();
    EXPECT_FALSE(w->Reduced());
    EXPECT_TRUE(w->mask().isEmpty());
    // Off: the timer stops and the window is whole.
    QCursor::setPos(5, 5);
    w->Timer1Timer();
    QTest::mouseClick(w->btnModoReducido, Qt::LeftButton);
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_FALSE(w->Reduced());
    // Saved as the button's state.
    QTest::mouseClick(w->btnModoReducido, Qt::LeftButton);
    w->close();
    w.reset();
    TZelIniFile ini(dir.filePath(QStringLiteral("sumbrix.ini")));
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("Opciones"), QStringLiteral("ModoReducido"), false));
}

TEST_F(ModesTest, MinimizeGoesToTheNotificationAreaOnlyWithMinIcon)
{
    openNotFirstRun();
    w->NotificationAreaAvailable = [] { return true; };
    w->show();
    QTest::mouseClick(w->SpeedButton8, Qt::LeftButton);
    EXPECT_FALSE(w->InNotificationArea());
    EXPECT_EQ(w->TrayIcon(), nullptr);
    w->showNormal();

    Calc().MinIcon = true;
    QTest::mouseClick(w->SpeedButton8, Qt::LeftButton);
    EXPECT_TRUE(w->InNotificationArea());
    ASSERT_NE(w->TrayIcon(), nullptr);
    EXPECT_TRUE(w->TrayIcon()->isVisible());
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(w->TrayIcon()->toolTip().startsWith(QStringLiteral("Sumbrix")));
    EXPECT_LE(w->TrayIcon()->toolTip().size(), 63);
    // The tools menu shows "Sumbrix" and "Salir" and hides "Configurar".
    emit w->PopupMenu7->aboutToShow();
    EXPECT_TRUE(w->Sumbrix1->isVisible());
    EXPECT_TRUE(w->Salir1->isVisible());
    EXPECT_FALSE(w->Configurar1->menuAction()->isVisible());
    // A left click on the icon brings the window back and removes the icon.
    w->TrayActivated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(w->InNotificationArea());
    EXPECT_FALSE(w->TrayIcon()->isVisible());
    EXPECT_TRUE(w->isVisible());
}

TEST_F(ModesTest, BarAndTotalShowAndHide)
{
    openNotFirstRun();
    w->show();
    w->SetShowTotal(false);
    EXPECT_FALSE(w->edtTotal->isVisible());
    EXPECT_FALSE(w->btnUndo->isVisible());
    EXPECT_TRUE(w->Panel2->isVisible());
    w->SetShowBar(false);
    EXPECT_FALSE(w->Panel2->isVisible());
    emit w->PopupMenu7->aboutToShow();
    EXPECT_FALSE(w->findChild<QAction*>(QStringLiteral("MostrarTotal1"))->isVisible()) << "only with the bar";
    w->SetShowBar(true);
    w->SetShowTotal(true);
    EXPECT_TRUE(w->edtTotal->isVisible());
}

TEST_F(ModesTest, TheSplitterCollapsesThePictureOrTheHistoryNearItsEnds)
{
    openNotFirstRun();
    w->resize(560, 500);
    w->show();
    const int total = w->Splitter1->sizes().value(0) + w->Splitter1->sizes().value(1);
    w->Splitter1Moved(20);
    EXPECT_LE(w->Splitter1->sizes().value(0), 1);
    w->Splitter1->setSizes({total / 2, total - total / 2});
    w->Splitter1Moved(total / 2);
    EXPECT_GT(w->Splitter1->sizes().value(0), 30) << "a normal split stays";
    w->Splitter1Moved(w->Splitter1->height() - 10);
    EXPECT_LE(w->Splitter1->sizes().value(1), 1);
}

TEST_F(ModesTest, TransparencyReachesTheMainWindow)
{
    openNotFirstRun();
    emit w->PopupMenu7->aboutToShow();
    w->findChild<QAction*>(QStringLiteral("Transparencia1"))->trigger();
    EXPECT_TRUE(FormMXSettings().TranspInactive);
    EXPECT_TRUE(w->AlphaBlend());
    w->findChild<QAction*>(QStringLiteral("Transparencia1"))->trigger();
    EXPECT_FALSE(w->AlphaBlend());
}

} // namespace
