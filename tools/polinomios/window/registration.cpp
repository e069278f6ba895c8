// The polynomial window in the main window's tools menu, bottom bar and
// Ctrl+P; the variable grid the program makes at start-up.
#include "services/toolwindow.h"
#include "tools/polinomios/window/frmpoli.h"
#include "tools/polinomios/window/frmvargrid.h"

#include <QApplication>

void RegisterWindow_tool_polinomios()
{
    AddToolWindow<TfmPoli>(QStringLiteral("Polinomios"), QStringLiteral("Polinomios"), QStringLiteral("SpeedButton13"),
                           QStringLiteral("Polinomios"),
                           QStringLiteral("Polinomios (Ctrl+P)\r\n\r\nOpera con polinomios de coeficientes racionales \r\n"
                                          "halla derivadas, integrales, raíces reales y complejas"),
                           QLatin1Char('P'), 9, 10);

    // Made with the main window as its owner, which frees it.
    MainExtensions().StartSteps.push_back({QStringLiteral("Rejilla de variables"), [] {
        if (fmVarGrid)
            return;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmCalcu")) {
                auto* made = new TfmVarGrid(w);
                fmVarGrid = made;
                QObject::connect(made, &QObject::destroyed, [made] {
                    if (fmVarGrid == made)
                        fmVarGrid = nullptr;
                });
                return;
            }
    }});
}
