// The primes window in the main window's tools menu, bottom bar and Ctrl+R.
#include "services/toolwindow.h"
#include "tools/primos/window/frmprimos.h"

void RegisterWindow_tool_primos()
{
    AddToolWindow<TfmPrimos>(
        QStringLiteral("Primos"), QStringLiteral("Factores primos"), QStringLiteral("SpeedButton4"),
        QStringLiteral("Primos"),
        QStringLiteral("Factores Primos (Ctrl+R) \r\n\r\nLista números primos, descompone en factores primos\r\n"
                       "listar divisores de un número, busca Primo(n)"),
        QLatin1Char('R'), 3, 3);
}
