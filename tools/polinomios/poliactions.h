#pragma once
// The polynomial window's operations on the texts of its two polynomials:
// what the result memo shows (lines separated by CR LF) and what the label
// above it names. The window and sumbrix-eval's #poly line both run them.
#include "tools/polinomios/polin.h"

#include <QString>

#include <array>
#include <functional>

namespace complex {
class TExpresion;
}

struct TPoliAction {
    QString Label;   // the operation ("P()+Q()")
    QString Memo;    // the result's text
};

// P + Q, P - Q, P × Q.
TPoliAction PoliSum(const TPoliN& p, const TPoliN& q);
TPoliAction PoliDifference(const TPoliN& p, const TPoliN& q);
TPoliAction PoliProduct(const TPoliN& p, const TPoliN& q);
// The long division when both use the same one letter ("Cociente: ...",
// "Resto: ..."), then the simplified fraction.
TPoliAction PoliQuotient(const TPoliN& p, const TPoliN& q);

// The count typed for a power: a whole number from 0 to 127, otherwise an
// error with the reason (never narrowed).
int PoliPowerCount(const QString& typed);
// (P)^n; P read from its text.
TPoliAction PoliPower(const QString& p, int n);

// The letters P uses, each followed by a comma ("a,b,").
QString PoliLetterList(const TPoliN& p);
// Each letter with a typed value (not empty) replaced by that polynomial.
TPoliAction PoliSubstitute(const TPoliN& p, const std::array<QString, kLetters>& typed);
// Evaluation or substitution: when x is the only letter and its value is
// not a plain real number, the complex evaluator compiles it and askComplex
// says yes, the memo shows the complex value P(z); otherwise the
// substitution (PoliSubstitute).
TPoliAction PoliEvaluate(const TPoliN& p, const std::array<QString, kLetters>& typed,
                         complex::TExpresion& evaluator, const std::function<bool()>& askComplex);
// The typed value is not a plain real number (a complex value is possible).
bool PoliNotPlainReal(const QString& typed);

// One-letter operations on the polynomial in x.
TPoliAction PoliDerivative(const TPoli& p);
TPoliAction PoliIntegral(const TPoli& p);
// F(sup) - F(inf) with F the antiderivative; the bounds are polynomials
// (an empty bound is 0).
TPoliAction PoliDefiniteIntegral(const TPoli& p, const QString& sup, const QString& inf);
TPoliAction PoliRuffini(const TPoli& p, const QString& typed);
TPoliAction PoliRoots(const TPoli& p);
// The polynomial whose roots are the comma-separated values typed.
TPoliAction PoliFromRoots(const QString& typed);
