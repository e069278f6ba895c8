// Fuzzing the rational engine: any text is compiled, then evaluated or solved
// for "?". An optional first line "maxden=N" sets the largest denominator of
// the approximations first. Every failure must come out as an error code: the
// rational object lets no exception pass, so none may arrive here. No crash,
// no leak, no input slower than a second.
//
// Each text is first compiled both ways, through the linear path and through
// the splitter alone: the trees, codes and messages must be the same, and a
// text of up to 1,000 characters must compile within the limit of
// tests/fuzz/bothways.h.

#include "bothways.h"
#include "engine/rational/expresion.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 4096)
        return 0;
    QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    rational::engineState().reset();
    rational::fracSettings().reset();
    const qsizetype nl = text.indexOf(QLatin1Char('\n'));
    if (text.startsWith(QLatin1String("maxden=")) && nl > 0) {
        bool ok = false;
        const uint max = text.mid(7, nl - 7).toUInt(&ok);
        if (ok && max > 0)
            rational::fracSettings().FracMaxDenominator = max;
        text = text.mid(nl + 1);
    }

    rational::TExpresion e;
    e.Silent = true;
    e.SetUseBuiltIns(true);
    auto x = std::make_shared<rational::TFrac>(1, 2);
    e.AddFunction0(QStringLiteral("x"), [x] { return *x; }, 2, QString());
    rational::TVariable* v = e.AddVariable(QStringLiteral("v"));
    v->SetValue(rational::TFrac(3, 4));
    rational::TVariable* solve = e.AddVariable(QStringLiteral("?"));
    try {
        // The text set as the program sets it, and compiled by the splitter alone
        // beside it: the same tree, codes and messages, in time.
        bothways::SetTextBothWays<bothways::Rational>(e, text);
        if (!e.Compiled)
            return 0;
        e.DrawToMetafile();
        if (e.DependsOn(solve)) {
            e.SolveFor(solve);
        } else {
            e.Evaluate();
            *x = rational::TFrac(-7, 3);
            v->SetValue(rational::TFrac(0));
            e.Evaluate();   // again after a change of the values
        }
    } catch (...) {
        std::abort();   // the object must answer with a code, never an exception
    }
    return 0;
}
