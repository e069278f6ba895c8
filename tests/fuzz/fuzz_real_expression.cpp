// Fuzzing the real engine: any text is compiled, then evaluated or solved for
// "?". An optional first line "f=BODY" registers a user function f first.
// Every failure must come out as an error code or one of the program's own
// exceptions: no crash, no leak, no input slower than a second.
//
// Every evaluation is checked against the flattened program of the tree (what
// an expression evaluated again runs): the tree's value and the program's must
// have the same bits, or both fail with the same code; and the object's own
// answer must be the tree's. The formula is drawn too.
//
// Each text is first compiled both ways, through the linear path and through
// the splitter alone: the trees, codes and messages must be the same, and a
// text of up to 1,000 characters must compile within the limit of
// tests/fuzz/bothways.h.

#include "bothways.h"
#include "engine/bases.h"
#include "engine/formatonum.h"
#include "engine/real/expresion.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Bit for bit: the 80 bits of the type (so -0 and 0 differ, and so do NaNs).
bool SameBits(Extended a, Extended b) { return std::memcmp(&a, &b, 10) == 0; }

[[noreturn]] void Mismatch(const char* what, const QString& text, Extended x, Extended a, int codeA, Extended b,
                          int codeB)
{
    std::fprintf(stderr, "%s differ for \"%s\" (x = %.21Lg): %.21Lg (code %d) against %.21Lg (code %d)\n", what,
                 text.toLatin1().constData(), x, a, codeA, b, codeB);
    std::abort();
}

// The tree's answer and the program's for the current value of x; then the
// object's answer (`value`, already given by Evaluate) against the tree's.
void CheckBothWays(real::TExpresion& e, Extended x, Extended value)
{
    const bool failed = e.HasError;
    const int code = e.ErrorCode;
    const real::TExpresion::TwoWays w = e.EvaluateBothWays();
    if (w.treeCode != w.programCode || (w.treeCode == 0 && !SameBits(w.tree, w.program)))
        Mismatch("tree and program", e.Text, x, w.tree, w.treeCode, w.program, w.programCode);
    // TryRun answers only with a finite value, which must be the tree's.
    if (w.fast - w.fast == 0 && (w.treeCode != 0 || !SameBits(w.fast, w.tree)))
        Mismatch("tree and quick run", e.Text, x, w.tree, w.treeCode, w.fast, 0);
    // The object: the tree's value, or its code (a silent object keeps its
    // last good value when it fails).
    if (failed ? code != w.treeCode : (w.treeCode != 0 || !SameBits(value, w.tree)))
        Mismatch("tree and expression", e.Text, x, w.tree, w.treeCode, value, failed ? code : 0);
}

} // namespace

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
        // The text set as the program sets it, and compiled by the splitter alone
        // beside it: the same tree, codes and messages, in time.
        bothways::SetTextBothWays<bothways::Real>(e, text);
        if (!e.Compiled)
            return 0;
        if (e.DependsOn(solve)) {
            e.SolveFor(solve);
        } else {
            // The first evaluation runs the tree, the second builds the
            // program and runs it, the others take its quick run (0 divides by zero,
            // 1e300 overflows many operations).
            for (const Extended v : {0.5L, 2.0L, -0.75L, 0.0L, 1e300L}) {
                x->SetValue(v);
                CheckBothWays(e, v, e.Evaluate());
            }
        }
    } catch (const Exception&) {
        // The engine's own exceptions (unknown names, conversion of a base,
        // faults that are not arithmetic) are answers too.
    }
    e.DrawToMetafile();
    return 0;
}
