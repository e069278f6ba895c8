// Fuzzing the real engine: any text is compiled, then evaluated or solved for
// "?". An optional first line "f=BODY" registers a user function f first.
// Every failure must come out as an error code or one of the program's own
// exceptions: no crash, no leak, no input slower than a second.

#include "engine/bases.h"
#include "engine/formatonum.h"
#include "engine/real/expresion.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 4096)
        return 0;
    QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    real::engineState().reset();
    numtext().reset();
    ResetNumberFormat();

    real::TExpresion e;
    e.Silent = true;
    e.SetUseBuiltIns(true);
    real::TVariable* x = e.AddVariable(QStringLiteral("x"));
    real::TVariable* solve = e.AddVariable(QStringLiteral("?"));
    x->SetValue(0.5L);
    try {
        const qsizetype nl = text.indexOf(QLatin1Char('\n'));
        if (text.startsWith(QLatin1String("f=")) && nl > 0) {
            e.AddUserFunction(QStringLiteral("f"), text.mid(2, nl - 2), QString());
            text = text.mid(nl + 1);
        }
        e.SetText(text);
        if (!e.Compiled)
            return 0;
        if (e.DependsOn(solve)) {
            e.SolveFor(solve);
        } else {
            e.Evaluate();
            x->SetValue(2);
            e.Evaluate();   // again after a change of variable
        }
    } catch (const Exception&) {
        // The engine's own exceptions (unknown names, conversion of a base,
        // faults that are not arithmetic) are answers too.
    }
    return 0;
}
