#include "shell/startup.h"

#include "engine/formulapicture.h"
#include "engine/real/expresion.h"
#include "foundation/core/basicos.h"
#include "drawkit/qpaintercanvas.h"
#include "platform/msgbox.h"
#include "shell/frmcalc.h"
#include "services/frminput.h"

#include <QApplication>

void StartUnits()
{
    // The executable's folder, now that the application object knows it.
    BasicosGlobals& b = Basicos();
    if (b.ExeDir.isEmpty()) {
        b.ExeFile = QCoreApplication::applicationFilePath();
        SetExeDir(QCoreApplication::applicationDirPath());
    }
    // The engine's boxes are the program's message boxes.
    real::messageHook() = [](const QString& caption, const QString& text, real::MessageIcon icon) {
        MsgBox(text, caption, mb::Ok | (icon == real::MessageIcon::Error ? mb::IconError : mb::IconInformation));
    };
    // Formula pictures measure with the screen's fonts.
    PictureMetrics::set(&QtCanvasMetrics::shared());
    // The unit conversion, the chemistry table and the help library start here
    // with those parts of the program.
}

int RunProgram()
{
    StartUnits();
    // The splash shows here (about box).
    Basicos().ApplicationTitle = QStringLiteral("Sumbrix");
    QApplication::setApplicationName(QStringLiteral("Sumbrix"));

    auto* main = new TfrmCalcu;
    main->setAttribute(Qt::WA_DeleteOnClose);
    fmInput = new TfmInput(main);
    // The variable grid window is made here with the polynomial tools.

    main->show();
    main->repaint();
    // The splash is freed here; the tips window shows here when its box is
    // ticked.
    QApplication::setQuitOnLastWindowClosed(true);
    return QApplication::exec();
}
