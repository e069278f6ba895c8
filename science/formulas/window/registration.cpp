// The formula manager in the main window's tools menu, bottom bar and Ctrl+F.
#include "science/formulas/window/fmformula.h"
#include "services/toolwindow.h"

void RegisterWindow_science_formulas()
{
    AddToolWindow<TfmFormula>(
        QStringLiteral("Formulas"), QStringLiteral("Fórmulas"), QStringLiteral("SpeedButton2"), QStringLiteral("F"),
        QStringLiteral("Administrador de Fórmulas (Ctrl+F)\r\nGuardar nuestras fórmulas  matemáticas, físicas, "
                       "químicas, etc\r\ncon soporte para magnitudes y unidades de medida. \r\nCon los valores "
                       "conocidos y sus unidades... ya tierne la solución."),
        QLatin1Char('F'), 1, 4);
    // Shown, it stays above other windows as the main window does.
    MainExtensions().Tools.back().AfterShow = GiveStayOnTop;
}
