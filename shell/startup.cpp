#include "shell/startup.h"
#include "controls/appicon.h"

#include "engine/formulapicture.h"
#include "engine/complex/expresion.h"
#include "engine/rational/expresion.h"
#include "engine/real/expresion.h"
#include "foundation/core/basicos.h"
#include "drawkit/qpaintercanvas.h"
#include "platform/msgbox.h"
#include "platform/spanish.h"
#include "science/unidades/unidades.h"
#include "science/unidades/window/convmenu.h"
#include "shell/frmcalc.h"
#include "shell/frmsplash.h"
#include "shell/frmtips.h"
#include "shell/helpsetup.h"
#include "services/frminput.h"

#include <QApplication>

namespace {

// The three engines' start-up, and their boxes: the program's message boxes,
// one route for every engine.
void StartEngines()
{
    complex::StartUp();
    rational::StartUp();
    real::messageHook() = exprcore::ShowAsMessageBox;
    complex::messageHook() = exprcore::ShowAsMessageBox;
    rational::messageHook() = exprcore::ShowAsMessageBox;
}

} // namespace

void StartUnits()
{
    // The executable's folder, now that the application object knows it.
    BasicosGlobals& b = Basicos();
    if (b.ExeDir.isEmpty()) {
        b.ExeFile = QCoreApplication::applicationFilePath();
        SetExeDir(QCoreApplication::applicationDirPath());
    }
    StartEngines();
    // Formula pictures measure with the screen's fonts.
    PictureMetrics::set(&QtCanvasMetrics::shared());
    // The unit definitions (their problems are told once the window shows).
    LoadUnitDefinitions();
    // The chemistry table loads with the main window's start steps; the help
    // library starts with the help.
}

// Every area's tool windows (made by cmake/ToolAreas.cmake).
void RegisterWindowAreas();

int RunProgram()
{
    StartUnits();
    // The help log and F1 in every window.
    StartHelp(QCoreApplication::arguments());
    InstallSpanishTranslations(*qApp);
    RegisterWindowAreas();
    // Every window, the splash first, shows the program's own icon.
    QApplication::setWindowIcon(ApplicationIcon());
    auto splash = ShowSplash();
    Basicos().ApplicationTitle = QStringLiteral("Sumbrix");
    QApplication::setApplicationName(QStringLiteral("Sumbrix"));

    auto* main = new TfrmCalcu;
    main->setAttribute(Qt::WA_DeleteOnClose);
    fmInput = new TfmInput(main);

    main->show();
    main->repaint();
    splash.reset();
    ShowUnitLoadNotices();
    ShowTipsAtStart();
    QApplication::setQuitOnLastWindowClosed(true);
    return QApplication::exec();
}
