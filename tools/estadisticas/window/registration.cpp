// The statistics window in the main window's tools menu, bottom bar and keys.
#include "services/toolwindow.h"
#include "tools/estadisticas/window/frmstat.h"

void RegisterWindow_tool_estadisticas()
{
    AddToolWindow<TfmStat>(
        QStringLiteral("Estadisticas"), QStringLiteral("Estadísticas"), QStringLiteral("SpeedButton9"),
        QStringLiteral("Est"),
        QStringLiteral("Estadísticas (Ctrl+E)\r\n\r\nFacilita el tratamiento y análisis sencillo de \r\n"
                       "una muestra de datos de una sola variable"),
        QLatin1Char('E'), 6, 6);
}
