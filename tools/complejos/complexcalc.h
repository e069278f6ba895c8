#pragma once
// The complex-number tool without its window: two complex expressions (the
// typed one, with "?" for solving and the letters w, x, y and z, and one for
// the letters' answers), both knowing the user's constants and functions of
// real.duf, and one calculation from the typed text to the texts of z, |z|
// and arg(z).
#include "engine/complex/expresion.h"
#include "tools/fracciones/exprtool.h"

#include <QString>

#include <cstdint>

class TComplexCalc {
public:
    TComplexCalc();
    TComplexCalc(const TComplexCalc&) = delete;
    TComplexCalc& operator=(const TComplexCalc&) = delete;

    // Registers the sections "Constantes" and "Funciones" of the file (a
    // real.duf) in both expressions, in file order: a constant is evaluated
    // by the input expression (so it may use the built-ins and the constants
    // before it); a line that fails is left out (the input expression shows
    // its box) and the next one is read. A missing file has no definitions;
    // one that cannot be read raises EInOutError.
    void LoadDefinitions(const QString& fileName);

    struct TOutcome {
        // The text compiled: the value and the texts belong to it.
        bool Compiled = false;
        complex::TComplex Value;
        QString Z;          // ComplexToStr
        QString Modulus;    // 8 significant digits
        QString Argument;   // in the angle unit, "%.8g"
    };

    // One calculation in the angle unit `angle`: the letters are cleared, the
    // text compiled anew, then solved for "?" when it uses it, else evaluated;
    // the letters are asked on the way. Errors are the engine's: its box, and
    // the value 0.
    TOutcome Calculate(const QString& text, std::uint8_t angle);

    // The live picture of a typed text (nothing is evaluated).
    exprtool::TDrawing Draw(const QString& text) { return exprtool::DrawSilently(Main, text); }

    // |z| with 8 significant digits, and arg(z) in `angle` with the
    // argument's template; a fault gives its message instead.
    static QString ModulusText(complex::TComplex z);
    static QString ArgumentText(complex::TComplex z, std::uint8_t angle);

    complex::TExpresion Main;
    complex::TExpresion Input;
    complex::TVariable* Solve = nullptr;
    exprtool::TLetters<complex::TComplex> Letters;
    // Where the letters are asked; none: their stored values.
    exprtool::TLetterPrompt Prompt;

private:
    complex::TComplex AskLetter(int index);
};
