// The shell's windows on a real X server: the tips window and the options
// dialog open centred on the screen; the splash and the about box show the
// program's own icon at (8, 16); every text reads whole.
#include "shell/frmcalcfixture.h"

#include "controls/appicon.h"
#include "screen/screencheck.h"
#include "shell/frmopciones.h"
#include "shell/frmsplash.h"
#include "shell/frmtips.h"

#include <QApplication>
#include <QScreen>
#include <QSet>
#include <QTimer>

namespace {

class ShellScreen : public FrmCalcTest {
protected:
    // The window's middle lies in the middle of the screen's free area.
    static void expectCentred(const QWidget* w)
    {
        const QPoint screen = QGuiApplication::primaryScreen()->availableGeometry().center();
        const QPoint middle = w->frameGeometry().center();
        EXPECT_LE((middle - screen).manhattanLength(), 4)
            << "centre at " << middle.x() << "," << middle.y() << ", the screen's at " << screen.x() << ","
            << screen.y();
    }
    // The icon's colours at (8, 16), 32 × 32, in what the server shows.
    static void expectIcon(QWidget* w, const QString& name)
    {
        const QImage shot = screencheck::grabFromServer(w);
        screencheck::save(shot, name);
        const QImage icon = shot.copy(8, 16, 32, 32);
        const QImage drawn = ApplicationPixmap(32).toImage();
        // The icon's blue body and orange key show.
        int blue = 0, orange = 0;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x) {
                const QColor c = icon.pixelColor(x, y);
                blue += c.blue() > 120 && c.red() < 110;
                orange += c.red() > 200 && c.green() > 120 && c.green() < 190 && c.blue() < 90;
            }
        EXPECT_GT(blue, 100) << name.toStdString();
        EXPECT_GT(orange, 8) << name.toStdString();
        EXPECT_FALSE(drawn.isNull());
    }
};

TEST_F(ShellScreen, TheTipsWindowOpensCentredOnTheScreen)
{
    QFile::copy(qEnvironmentVariable("SUMBRIX_BIN_DIR") + QStringLiteral("/tips.ini"),
                dir.filePath(QStringLiteral("tips.ini")));
    TfmTips tips;
    const screencheck::Faults faults = screencheck::check(&tips, QStringLiteral("tips"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
    expectCentred(&tips);
}

TEST_F(ShellScreen, TheOptionsDialogOpensCentredOnTheScreen)
{
    openNotFirstRun();
    w->move(20, 20);
    screencheck::showAndSettle(w.get());
    auto host = MainWindowOptionsHost(*w);
    TfmOpciones dialog(*host, w.get());
    const screencheck::Faults faults = screencheck::check(&dialog, QStringLiteral("opciones"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
    expectCentred(&dialog);
}

TEST_F(ShellScreen, TheMainWindowIsWholeBeforeAndAfterACalculation)
{
    openNotFirstRun();
    w->move(40, 40);
    screencheck::Faults faults = screencheck::check(w.get(), QStringLiteral("principal"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
    enter(QStringLiteral("sin(pi/7)*1234.5678"));
    faults = screencheck::check(w.get(), QStringLiteral("principal_calculo"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

TEST_F(ShellScreen, TheSplashAndTheAboutBoxShowTheProgramsIcon)
{
    TSplash splash(TSplashMode::Splash);
    screencheck::showAndSettle(&splash);
    expectIcon(&splash, QStringLiteral("splash"));
    splash.hide();

    openNotFirstRun();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* about = QApplication::activeModalWidget();
        if (!about)
            return;
        seen = true;
        screencheck::showAndSettle(about);
        expectIcon(about, QStringLiteral("acercade"));
        about->close();
    });
    RunAboutBox(w.get(), {});
    EXPECT_TRUE(seen);
}

} // namespace
