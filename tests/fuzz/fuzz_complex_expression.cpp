// Fuzzing the complex engine: any text is compiled, then evaluated or solved
// for "?". An optional first line "f=BODY" registers a user function f first.
// Every failure must come out as an error code: compiling never raises, and a
// silent object never shows a box. No crash, no leak, no input slower than a
// second.
//
// Each text is first compiled both ways, through the linear path and through
// the splitter alone: the trees, codes and messages must be the same, and a
// text of up to 1,000 characters must compile within the limit of
// tests/fuzz/bothways.h.

#include "bothways.h"
#include "engine/complex/expresion.h"
#include "foundation/core/basicos.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Any box shown by a silent object is a fault.
class NoBoxes : public MessageSink {
public:
    int showMessage(const QString&, const QString&, unsigned) override { std::abort(); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 4096)
        return 0;
    QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    static NoBoxes noBoxes;
    Basicos().Messages = &noBoxes;
    // The expression's boxes go through the engine's hook, the routines' own
    // through the program's boxes: both are faults here.
    complex::messageHook() = [](const QString&, const QString&, complex::MessageIcon) { std::abort(); };
    complex::engineState().reset();

    complex::TExpresion e;
    e.Silent = true;
    e.SetUseBuiltIns(true);
    complex::TVariable* x = e.AddVariable(QStringLiteral("x"));
    complex::TVariable* solve = e.AddVariable(QStringLiteral("?"));
    x->SetValue(complex::TComplex{0.5L, -1});
    const qsizetype nl = text.indexOf(QLatin1Char('\n'));
    if (text.startsWith(QLatin1String("f=")) && nl > 0) {
        try {
            e.AddUserFunction(QStringLiteral("f"), text.mid(2, nl - 2), QString());
        } catch (const complex::ECompilacion&) {
            return 0;   // bad parameters are refused by raising, as in every engine
        }
        text = text.mid(nl + 1);
    }
    // The text set as the program sets it, and compiled by the splitter alone
    // beside it: the same tree, codes and messages, in time.
    bothways::SetTextBothWays<bothways::Complex>(e, text);
    if (!e.Compiled)
        return 0;
    complex::TComplex r;
    if (e.DependsOn(solve)) {
        e.SolveFor(solve, r);
    } else {
        e.Evaluate(r);
        x->SetValue(complex::TComplex{});
        e.Evaluate(r);   // again after a change of variable (0 divides by zero)
    }
    e.DrawToMetafile();
    return 0;
}
