#pragma once
// The fractions tool without its window: two rational expressions (the typed
// one, with "?" for solving and the letters w, x, y and z, and one for the
// letters' answers), the largest denominator read from its box, and one
// calculation from the typed text to the texts of the result fields.
#include "engine/rational/expresion.h"
#include "tools/fracciones/exprtool.h"

#include <QString>

#include <cstdint>

class TFracCalc {
public:
    TFracCalc();
    TFracCalc(const TFracCalc&) = delete;
    TFracCalc& operator=(const TFracCalc&) = delete;

    // The largest denominator a text of the box stands for: its integer
    // value, at least 1 (a smaller one would leave no denominator for the
    // decimals), at most what a denominator can hold; 1000 for a text that is
    // not an integer. `shown` gets the text the box should show for it.
    static std::uint32_t MaxDenominatorOf(const QString& text, QString* shown = nullptr);

    struct TOutcome {
        // The text compiled: the value and the texts below belong to it.
        bool Compiled = false;
        rational::TFrac Value;
        QString Fraction;   // "5|4", or "1|1|4" mixed
        QString Decimal;    // "1.25"
        QString Whole;      // "1+"
    };

    // One calculation: the letters are cleared, the largest denominator set
    // from `maxDenText`, the text compiled anew (its decimals follow the new
    // largest denominator), then solved for "?" when it uses it, else
    // evaluated; the letters are asked on the way. Errors of the evaluation
    // are the engine's: its box, and the value 0.
    TOutcome Calculate(const QString& text, const QString& maxDenText);

    // The live picture of a typed text (nothing is evaluated).
    exprtool::TDrawing Draw(const QString& text) { return exprtool::DrawSilently(Main, text); }

    // The length of the bar of the proper part of `value` on a ruler `width`
    // pixels long (rounded).
    static int BarWidth(const rational::TFrac& value, int width);

    rational::TExpresion Main;
    rational::TExpresion Input;
    rational::TVariable* Solve = nullptr;
    exprtool::TLetters<rational::TFrac> Letters;
    // Where the letters are asked; none: their stored values.
    exprtool::TLetterPrompt Prompt;

private:
    rational::TFrac AskLetter(int index);
};
