#pragma once
// Polynomials in one letter with real coefficients (TPoli): text in and out,
// product, long division, Ruffini's rule, derivative, antiderivative, real
// and complex values, and the search of roots (closed formulas up to degree
// 4, rational roots, a secant search as the last resort).
//
//     TPoli p(QStringLiteral("x^3 - 6x^2 + 11x - 6"));
//     TPoli r;
//     TPoli q = p.Divide(TPoli(QStringLiteral("x - 1")), r);   // x^2 -5x +6, 0
//     QString roots = p.FindAllRoots();                        // "3\r\n1\r\n2"
//
// Powers run from 0 to 255. A power outside that range (written in a text,
// reached by an antiderivative or a product by a monomial) raises EPoliRange;
// a product beyond degree 255 raises "El grado del producto es mayor a 255".
// Arithmetic that leaves the extended range raises EOverflow / EInvalidOp.
#include "engine/complex/mcomplex.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/extended.h"

#include <QChar>
#include <QString>

#include <optional>
#include <vector>

// A power, count or integer conversion out of the range the polynomial
// routines accept.
class EPoliRange : public Exception {
public:
    using Exception::Exception;
};

// The largest power of a TPoli.
inline constexpr int kMaxPoliDegree = 255;

class TPoli {
public:
    // The zero polynomial in x.
    TPoli();
    // Reads Text as a polynomial in Letter: "3x^2 -2x +1", "3x2-2x+1",
    // "1|2x^3" (the '^' is optional, blanks are ignored). Nothing is guessed:
    // a coefficient that cannot be read or two signs in a row raise "error en
    // expresion", a coefficient beyond the extended range EOverflow, another
    // letter "Esta operación necesita polinomios de una sola variable", any
    // other character "caracter invalido", a negative power "La potencia no
    // puede ser negativa"; an exponent that is not an integer raises
    // EConvertError; an exponent above 255 raises EPoliRange.
    explicit TPoli(const QString& text, QChar letter = QLatin1Char('x'));
    // The zero polynomial with the powers 0..degree present, letter x.
    static TPoli CreateZero(int degree);
    // Source's coefficients 0..Degree, letter x.
    static TPoli CreateCopy(const TPoli& source);

    QChar Letter() const { return m_letter; }
    void SetLetter(QChar letter) { m_letter = letter; }
    // The highest power whose coefficient is not exactly 0 (0 for constants).
    int Degree() const;
    // Reading or writing a power beyond the stored ones first grows the
    // array to it (new entries 0). Powers outside 0..255 raise EPoliRange.
    Extended GetCoef(int power);
    Extended Coef(int power) const;   // 0 beyond the stored powers; no growth
    void SetCoef(int power, Extended value);
    // Makes the powers 0..n present; never shrinks.
    void Grow(int n);
    // Number of stored powers (entries above the degree may be 0).
    int Size() const { return static_cast<int>(m_coef.size()); }

    // "3x^2 -2x +1", coefficients through NumberFormat() where its text reads
    // back as the coefficient, else with all their digits (FormatExact): the
    // text reads back as the same polynomial. "0" when empty.
    QString ToString() const;

    // New polynomials (letter x).
    TPoli Multiply(const TPoli& other) const;
    // Long division; a zero divisor raises EZeroDivide.
    TPoli Divide(const TPoli& divisor, TPoli& remainder) const;
    // Quotient of P by (letter - a); the remainder is P(a).
    TPoli Ruffini(Extended a, Extended& remainder) const;

    // In place.
    void MulMonomial(int k, Extended c);   // P := c·letter^k·P
    void Subtract(const TPoli& other);     // P := P - Other (Other of the same or lower degree)
    void Derive();
    void Integrate();                      // constant 0
    void Negate();

    // Horner's rule in extended precision over the coefficients rounded to
    // double (the secant search's values).
    Extended Evaluate(Extended x) const;
    complex::TComplex EvaluateComplex(complex::TComplex z) const;

    // ---- roots ----
    // One step of the search: the text of the roots found (lines ended by
    // CR LF as each method writes them); `quotient` is what remains to be
    // solved, or empty when nothing more can be done with this polynomial.
    QString FindOneRoot(std::optional<TPoli>& quotient) const;
    // The whole search; never empty ("No se hallaron raíces" at worst).
    QString FindAllRoots() const;
    // One secant search started from x1 and x2.
    Extended Secant(bool& found, Extended x1, Extended x2) const;

private:
    QString QuadraticRoots() const;
    QString CubicRoots() const;
    QString BiquadraticRoots() const;
    QString QuarticRoots() const;
    QString QuarticAttempt(bool& failed) const;
    QString RationalRoots(std::optional<TPoli>& quotient) const;

    std::vector<Extended> m_coef;
    QChar m_letter = QLatin1Char('x');
};

// The next candidate divisor of a after b, not above bound (bound + 1 when
// none is left; a + 1 once b is beyond the bound).
long long NextDivisor(long long a, long long b, long long bound);

// A coefficient of a polynomial's text (NumberFormat's Parse): "error en
// expresion" when it cannot be read, EOverflow beyond the extended range.
Extended ReadCoefficient(const QString& text);

// Text without blanks and without '^'.
QString StripBlanksAndCarets(const QString& text);

// A whole number written in decimal with an optional sign, as the
// polynomial texts write exponents and counts: EConvertError
// "'%s' no es un valor entero válido" otherwise (also beyond 64 bits).
long long PoliStrToInt(const QString& text);
