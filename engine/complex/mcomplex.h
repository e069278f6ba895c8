#pragma once
#include "foundation/core/extended.h"

#include <QString>

// The complex-number library: the value type of the complex engine, of the
// complex matrices, of the polynomial roots and of the complex-number window.
//
// Every routine takes its operands by value and writes its result through the
// last parameter, so the result may be one of the operands (ComplexAdd(z, w, z)).
// Everything is computed in 80-bit extended precision.
//
// Faults: a division, reciprocal, logarithm or tangent whose divisor is exactly
// zero shows its message through ComplexError and ends the action with EAbort.
// Overflow and invalid operations of the extended arithmetic raise EOverflow and
// EInvalidOp (engine/errors.h), never a silent infinity or NaN; underflow stays
// masked (tiny parts become 0 or subnormal).
namespace complex {

// Real part, then imaginary part.
struct TComplex {
    Extended Re = 0;
    Extended Im = 0;
};

// The process-wide values of this library.
struct ComplexSettings {
    // The template with which the complex-number window shows the argument of a
    // result; nothing in this library reads it.
    QString ComplexFormat = QStringLiteral("%.8g");

    void reset() { *this = ComplexSettings(); }
};

ComplexSettings& complexSettings();

// ---- Construction and access ----------------------------------------------
TComplex Complex(Extended re, Extended im);
void ComplexSet(TComplex& z, Extended re, Extended im);
void ComplexClear(TComplex& z);
Extended ComplexRe(TComplex z);
Extended ComplexIm(TComplex z);
// Both parts exactly 0.
bool ComplexIsZero(TComplex z);
// Both parts below 1e-12 in absolute value.
bool ComplexIsNearZero(TComplex z);

// ---- Arithmetic -----------------------------------------------------------
void ComplexAdd(TComplex a, TComplex b, TComplex& r);
void ComplexSub(TComplex a, TComplex b, TComplex& r);
void ComplexMul(TComplex a, TComplex b, TComplex& r);
// A divisor exactly 0: "Discriminante de <b> igual a cero (Div)" and EAbort.
// Any other divisor divides, also one whose square is out of the extended range.
void ComplexDiv(TComplex a, TComplex b, TComplex& r);
void ComplexNeg(TComplex z, TComplex& r);
void ComplexConj(TComplex z, TComplex& r);
// i·z.
void ComplexMulI(TComplex z, TComplex& r);
// z / i.
void ComplexDivI(TComplex z, TComplex& r);
// 1/z; z exactly 0: "Discriminante de 0 igual a cero (Rcp)" and EAbort.
void ComplexRcp(TComplex z, TComplex& r);
// 1/z without the test: a zero z raises EInvalidOp (0/0).
void ComplexRcpNoCheck(TComplex z, TComplex& r);
void ComplexSqr(TComplex z, TComplex& r);
// The modulus from the squares of the parts: parts beyond about 1e2466 raise
// EOverflow. Parts so small that their squares vanish still give their modulus.
Extended ComplexAbs(TComplex z);
// The argument in radians, in (-pi, pi]; 0 for 0.
Extended ComplexArg(TComplex z);

// ---- Exponential, logarithm, powers, roots ---------------------------------
void ComplexExp(TComplex z, TComplex& r);
// Squared modulus 0: "Descriminante de <z> igual a cero (ln)." and EAbort.
void ComplexLn(TComplex z, TComplex& r);
// exp(exponent · ln base); a base exactly 0 gives 0 whatever the exponent,
// a real base to a whole exponent the real power (imaginary part 0).
void ComplexPower(TComplex base, TComplex exponent, TComplex& r);
// Principal root: real part >= 0, imaginary part with the sign of z.Im.
void ComplexSqrt(TComplex z, TComplex& r);
// rho·(cos theta + i·sin theta), theta in radians.
void ComplexPolar(Extended rho, Extended theta, TComplex& z);

// ---- Circular and hyperbolic functions (radians) ----------------------------
void ComplexSin(TComplex z, TComplex& r);
void ComplexCos(TComplex z, TComplex& r);
// Cosine exactly 0: "Coseno de <z> igual a cero" and EAbort.
void ComplexTan(TComplex z, TComplex& r);
void ComplexSinh(TComplex z, TComplex& r);
void ComplexCosh(TComplex z, TComplex& r);
void ComplexTanh(TComplex z, TComplex& r);
// ln(z + sqrt(1 + z²)).
void ComplexArcSinh(TComplex z, TComplex& r);
// ln(z + i·sqrt(1 - z²)): for a real z above 1 the negative real branch.
void ComplexArcCosh(TComplex z, TComplex& r);
// ln((z + 1)/(1 - z)) / 2; z exactly 1 raises EIntDivByZero "División por cero".
void ComplexArcTanh(TComplex z, TComplex& r);
// -i·arcsinh(i·z).
void ComplexArcSin(TComplex z, TComplex& r);
// -i·arccosh(z).
void ComplexArcCos(TComplex z, TComplex& r);
// -i·arctanh(i·z).
void ComplexArcTan(TComplex z, TComplex& r);

// ---- Text -------------------------------------------------------------------
// The one text form of complex numbers: "3 + 4i", "3 -4i", "3 +i", "3-i",
// " 2i", " -2i", "i", "-i", "2.5", "0", "1.5E20". Parts below 1e-9 count as 0;
// each part is written with 10 significant digits.
QString ComplexToStr(TComplex z);
// Reads every text ComplexToStr writes, and "3+4i", "-i", "2e-3i", "7", ...
// Blanks around the parts and between the sign and the imaginary part are
// allowed. Text that is not a number raises EConvertError; the empty text is 0.
TComplex StrToComplex(const QString& text);

// Shows the message in an error box captioned with the application title
// (through the program's message sink), then raises the silent EAbort carrying
// the message. While a ComplexQuietErrors scope is on, no box is shown.
[[noreturn]] void ComplexError(const QString& message);

// Keeps ComplexError from showing boxes for its lifetime (when `on`): a silent
// expression evaluated at every keystroke passes through texts such as "1/0".
class ComplexQuietErrors {
public:
    explicit ComplexQuietErrors(bool on = true);
    ~ComplexQuietErrors();
    ComplexQuietErrors(const ComplexQuietErrors&) = delete;
    ComplexQuietErrors& operator=(const ComplexQuietErrors&) = delete;
private:
    bool m_on;
};
bool ComplexErrorsQuiet();

} // namespace complex
