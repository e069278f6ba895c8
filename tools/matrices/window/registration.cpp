// The matrix window in the main window's tools menu, bottom bar and Ctrl+M.
#include "services/toolwindow.h"
#include "tools/matrices/window/frmmatriz.h"

void RegisterWindow_tool_matrices()
{
    AddToolWindow<TfmMatriz>(QStringLiteral("Matrices"), QStringLiteral("Matrices"), QStringLiteral("SpeedButton3"),
                             QStringLiteral("Matrices"),
                             QStringLiteral("Matrices (Ctrl+M)\r\n\r\nHerramienta que permite operar con matrices y vectores, \r\n"
                                            "encontrar soluciones a sistemas de ecuaciones lineales, etc"),
                             QLatin1Char('M'), 2, 2);
}
