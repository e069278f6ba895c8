// The sequences window in the main window's tools menu, bottom bar and keys
// (never reopened at start-up).
#include "services/toolwindow.h"
#include "tools/sucesiones/window/frmsucec.h"

void RegisterWindow_tool_sucesiones()
{
    AddToolWindow<TfmSucec>(QString(), QStringLiteral("Sucesiones"), QStringLiteral("SpeedButton12"),
                            QStringLiteral("Suc"),
                            QStringLiteral("Sucesiones (Ctrl+S)\r\n\r\nDefinir sucesiones con lo que puede poner\r\n"
                                           "a prueba algoritmos, estudiar convergencias, etc"),
                            QLatin1Char('S'), 10, 9);
}
