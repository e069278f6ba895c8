#include "tools/fracciones/fraccalc.h"

#include "foundation/core/format.h"

#include <cmath>
#include <cstdlib>
#include <limits>

using rational::TFrac;

TFracCalc::TFracCalc()
{
    Input.SetUseBuiltIns(true);
    Main.SetUseBuiltIns(true);
    Solve = Main.AddVariable(QStringLiteral("?"));
    for (int i = 0; i < exprtool::kLetterCount; ++i)
        Main.AddFunction0(QString(exprtool::LetterAt(i)), [this, i] { return AskLetter(i); }, 1, QString());
}

TFrac TFracCalc::AskLetter(int index)
{
    return Letters.Ask(index, Prompt, [this](const QString& text, TFrac& value) {
        Input.SetText(text);
        value = Input.Evaluate();
        return !Input.HasError;
    });
}

std::uint32_t TFracCalc::MaxDenominatorOf(const QString& text, QString* shown)
{
    long long v = 0;
    std::uint32_t out = 1000;
    if (TryStrToInt(text.trimmed(), v))
        out = v < 1 ? 1u
                    : std::uint32_t(std::min<long long>(v, std::numeric_limits<std::uint32_t>::max()));
    if (shown)
        *shown = (out == std::uint32_t(v)) ? text : QString::number(out);
    return out;
}

TFracCalc::TOutcome TFracCalc::Calculate(const QString& text, const QString& maxDenText)
{
    Letters.ClearAsked();
    rational::fracSettings().FracMaxDenominator = MaxDenominatorOf(maxDenText);
    // Compiled anew even when the text has not changed: its decimals follow
    // the largest denominator of now.
    Main.SetText(QStringLiteral("0"));
    Main.SetText(text);
    TOutcome out;
    if (!Main.Root)
        return out;
    out.Compiled = true;
    out.Value = Main.DependsOn(Solve) ? Main.SolveFor(Solve) : Main.Evaluate();
    out.Fraction = rational::FracToStr(out.Value);
    out.Decimal = FloatToStr(out.Value.ToFloat());
    out.Whole = Format(QStringLiteral("%d+"), {static_cast<long long>(out.Value.IntPart())});
    return out;
}

int TFracCalc::BarWidth(const TFrac& value, int width)
{
    // |remainder| < denominator, so the product stays within 64 bits.
    const long double part = static_cast<long double>(std::llabs(value.FracNumerator())) * width;
    return static_cast<int>(std::llround(part / value.Den()));
}
