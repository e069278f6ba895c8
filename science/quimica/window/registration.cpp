// The chemistry in the main window: the periodic table window, and the table
// of atomic masses loaded at start-up.
#include "foundation/core/basicos.h"
#include "science/quimica/quimica.h"
#include "science/quimica/window/fmtabper.h"
#include "services/toolwindow.h"

void RegisterWindow_science_quimica()
{
    AddToolWindow<TfmTabPer>(QStringLiteral("TablaPer"), QStringLiteral("Tabla Periódica"),
                             QStringLiteral("SpeedButton14"), QStringLiteral("T"),
                             QStringLiteral("Tabla Periódica (Ctrl+B)"), QLatin1Char('B'), 11, 11);

    TMainExtensions::StartStep load;
    load.Name = QStringLiteral("Tabla de masas atómicas");
    load.Run = [] {
        if (AtomicMassTable().empty()) {
            const QString problem = LoadAtomicMasses();
            if (!problem.isEmpty())
                MsgBoxApp(problem, mb::Ok | mb::IconError);
        }
    };
    MainExtensions().StartSteps.push_back(std::move(load));
}
