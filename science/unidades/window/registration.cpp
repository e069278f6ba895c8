// The instant converter in the main window's tools menu, bottom bar and
// Ctrl+U.
#include "science/unidades/window/frmconver.h"
#include "services/toolwindow.h"

void RegisterWindow_science_unidades()
{
    AddToolWindow<TfmConver>(QStringLiteral("Conversor"), QStringLiteral("Conversor"), QStringLiteral("SpeedButton6"),
                             QStringLiteral("U"),
                             QStringLiteral("Conversor instantáneo(Ctrl+U)\r\nConvierte un valor a todas las \r\n"
                                            "unidades de la magnitud elegida."),
                             QLatin1Char('U'), 5, 5);
}
