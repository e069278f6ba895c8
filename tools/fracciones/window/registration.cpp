// The fractions window in the main window's tools menu, bottom bar and Ctrl+Q.
#include "services/toolwindow.h"
#include "tools/fracciones/window/frmfraccion.h"

void RegisterWindow_tool_fracciones()
{
    AddToolWindow<TfmFraccion>(QStringLiteral("Fracciones"), QStringLiteral("Fracciones"),
                               QStringLiteral("SpeedButton10"), QStringLiteral("½"),
                               QStringLiteral("Fracciones (Ctrl+Q)\r\n\r\nRealiza calculos combinando fracciones "
                                              "simples, \r\nfracciones mixtas y hasta números decimales."),
                               QLatin1Char('Q'), 7, 7);
}
