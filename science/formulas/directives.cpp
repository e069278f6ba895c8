// The formula manager's line of sumbrix-eval.
#include "foundation/core/directives.h"
#include "science/formulas/formulasolve.h"

void RegisterDirectives_science_formulas()
{
    AddEvalDirective(QStringLiteral("formula"),
                     QStringLiteral("#formula GRUPO<TAB>FÓRMULA<TAB>INCÓGNITA [unidad]<TAB>símbolo=valor unidad; ..."),
                     [](const QString& arguments) { return SolveFormulaLine(arguments); });
}
