// The chemistry's lines of sumbrix-eval.
#include "foundation/core/basicos.h"
#include "foundation/core/directives.h"
#include "science/quimica/elementos.h"
#include "science/quimica/quimica.h"

#include <QCoreApplication>

namespace {

// The data files lie beside the program; sumbrix-eval sets no ExeDir of its own.
void EnsureExeDir()
{
    if (ExeDir().isEmpty() && QCoreApplication::instance())
        SetExeDir(QCoreApplication::applicationDirPath());
}

} // namespace

void RegisterDirectives_science_quimica()
{
    AddEvalDirective(QStringLiteral("molar"),
                     QStringLiteral("#molar<TAB>FORMULA   the molar mass as the result box writes it, or the error text"),
                     [](const QString& args) {
                         if (AtomicMassTable().empty()) {
                             EnsureExeDir();
                             // A table file that is there but cannot be read
                             // is told rather than every formula's name.
                             const QString problem = LoadAtomicMasses();
                             if (!problem.isEmpty())
                                 return problem;
                         }
                         return MolarMassLine(args.trimmed());
                     });
    AddEvalDirective(QStringLiteral("element"),
                     QStringLiteral("#element<TAB>SYMBOL-OR-NUMBER   the element's data as the periodic table lists "
                                    "them, \" ; \" between fields"),
                     [](const QString& args) {
                         EnsureExeDir();
                         return ElementLine(args);
                     });
}
