#pragma once
#include "foundation/core/extended.h"

#include <QString>
#include <cstdint>

// Numbers as simple fractions ("3|4"), mixed numbers ("1|3|4"), rounded or full
// decimals, and the reading of those forms. The real compiler reads fraction
// literals with it; the polynomial and matrix code writes and reads cells with it.
//
// NumberFormat() is the one shared formatter, created with the defaults on first
// use and alive until the program ends; ResetNumberFormat() restores its
// defaults (tests call it in their fixture).

namespace numfmt {

// The small integer fraction of the formatter (not the rational engine's
// exact fraction, rational::TFrac).
struct TFrac {
    std::int32_t Num = 0;
    std::int32_t Den = 1; // kept positive

    TFrac() = default;
    TFrac(std::int32_t num, std::int32_t den) : Num(num), Den(den) {}

    // Lowest terms; 0 becomes 0/1.
    void Reduce();
    // Numerator and denominator swapped, the sign kept on the numerator.
    void Reciprocal();
    // this := this + other, reduced. Throws EOverflow when the reduced sum does
    // not fit in 32 bits.
    void Add(const TFrac& other);

    bool operator==(const TFrac&) const = default;
};

// Greatest common divisor by Euclid's remainders.
std::int64_t Gcd(std::int64_t a, std::int64_t b);

// The convergent of x with at most `terms` partial quotients (64-bit), reduced;
// a negative x gives the negated convergent of |x|. Throws EOverflow when it
// does not fit in 32 bits, EInvalidOp for NaN and the infinities.
TFrac ContinuedFraction(int terms, Extended x);

// The best fraction of x with a denominator up to maxDen (below 1 counts as 1).
// Throws EOverflow when the integer part of x does not fit in 32 bits,
// EInvalidOp for NaN and the infinities.
TFrac FloatToFrac(std::int32_t maxDen, Extended x);

} // namespace numfmt

inline constexpr std::uint8_t nfFraction = 0;      // numerator|denominator
inline constexpr std::uint8_t nfMixedFraction = 1; // whole|numerator|denominator
inline constexpr std::uint8_t nfRounded = 2;       // general format with Digits digits
inline constexpr std::uint8_t nfFloat = 3;         // general format, 15 digits

class TFormatoNum {
public:
    std::uint8_t Mode = nfFraction;
    std::int32_t Digits = 4;
    // Largest denominator of the fraction modes; larger magnitudes are written
    // as nfRounded.
    std::int32_t MaxDenominator = 9999;
    // Set by Parse when the text is not a number; true while Format runs.
    bool Error = false;
    // Set by Parse, beside Error, when the text is a number beyond the
    // extended range.
    bool Overflow = false;

    // NaN and the infinities are written as nfRounded writes them ("NAN", "INF").
    QString Format(Extended x);
    // "n|d", "w|n|d" or a decimal; empty text gives 0. Text that is not a number
    // sets Error and gives 0; a zero denominator throws EZeroDivide.
    Extended Parse(const QString& text);
    // A number the user typed where one is required: as Parse, but an empty
    // or unreadable text raises EConvertError "'%s' no es un valor decimal
    // válido" and a number beyond the extended range EOverflow.
    Extended ParseValue(const QString& text);
    // A text of x that Parse reads back as x, for texts that are read again
    // (polynomials, matrix cells): Format's text when it is written with
    // digits, signs, "." and "|" only and reads back as x but for a rounding
    // residue (a relative 2^-56, so that 1|9 stays 1|9 after a division);
    // otherwise the shortest decimal that reads back as exactly x, written
    // out without an exponent (12345 rather than "1.235E0004", 1E20 as its
    // 21 digits, 3264205514/239674245287 as 0.0136... rather than 40|2937).
    QString FormatExact(Extended x);
};

// x rounded to a multiple of the 18th significant decimal digit of `scale`
// (the largest magnitude of the data x was computed from, in x's units).
// Data typed or stored as decimals are not exact in binary; this takes away
// the residues their arithmetic leaves (491.67 °R is 0 °C, not 2.8E-17;
// 1000 × 1.008 is 1008, not 1007.9999999999999999), and changes nothing the
// display of 15 digits shows otherwise. A scale of 0 or below |x| counts as |x|.
Extended RoundToDataPrecision(Extended x, Extended scale);

// The shortest decimal text that reads back as exactly x, in plain digits
// ("-0.000125", "100000000000000000000"); "NAN"/"INF" texts as Format writes them.
QString ExactDecimalText(Extended x);

TFormatoNum& NumberFormat();
void ResetNumberFormat();
