// The dates window in the main window's tools menu, bottom bar and Ctrl+T.
#include "services/toolwindow.h"
#include "tools/fechas/window/frmfecha.h"

void RegisterWindow_tool_fechas()
{
    AddToolWindow<TfmFecha>(
        QStringLiteral("Fechas"), QStringLiteral("Fec&has y Tiempo"), QStringLiteral("SpeedButton5"),
        QStringLiteral("Fechas"),
        QStringLiteral("Fechas y Tiempo (Ctrl+T)\r\nCalculos realcionados con el tiempo en general.\r\n"
                       "Tiempo entre Fechas, horas, minutos, segundos..."),
        QLatin1Char('T'), 4, 1);
}
