// The complex-number window in the main window's tools menu, bottom bar and Ctrl+J.
#include "services/toolwindow.h"
#include "tools/complejos/window/frmcomplex.h"

void RegisterWindow_tool_complejos()
{
    AddToolWindow<TfmComplex>(QStringLiteral("Complejos"), QStringLiteral("Complejos"), QStringLiteral("SpeedButton11"),
                              QStringLiteral("a+bi"),
                              QStringLiteral("Complejos (Ctrl+J)\r\n\r\nRealiza todo tipo de cálculos\r\ncon números "
                                             "complejos a+bi,"),
                              QLatin1Char('J'), 8, 8);
}
