#pragma once
#include "foundation/core/extended.h"

#include <QString>
#include <cstdint>

// Exact fractions: the number type of the rational engine and of the fractions
// window. A TFrac is a plain value (copy it freely); it is always in lowest
// terms, with the sign on the numerator and a denominator of at least 1.
//
// Every operation is computed exactly with 128-bit intermediates and reduced
// before it is stored; a result whose numerator does not fit 64 bits or whose
// denominator does not fit 32 bits raises EOverflow instead of keeping the low
// bits. Operations without an exact rational result (powers, roots) go through
// Extended and come back as the best approximation of FloatToFrac.
namespace rational {

// 2^63: the first magnitude whose integer part no longer fits a numerator.
inline constexpr Extended kTwo63 = 9223372036854775808.0L;

// The two process-wide display settings of fractions.
struct FracSettings {
    // Largest denominator of an approximation of a real number.
    uint32_t FracMaxDenominator = 1000;
    // Text and drawing show a non-zero whole part apart: 7/2 as 3|1|2.
    bool MixedFractions = false;

    // The start-up values: 1000 and off.
    void reset() { *this = FracSettings(); }
};

// The one instance of the settings, read at the moment of each approximation,
// text or drawing.
FracSettings& fracSettings();

class TFrac {
public:
    // 0/1.
    TFrac() = default;

    // num/den brought to lowest terms (the sign goes to the numerator, also from
    // a negative denominator). A zero numerator gives 0/1 whatever the
    // denominator; a zero denominator under a non-zero numerator raises
    // EIntDivByZero; a reduced result beyond 64/32 bits raises EOverflow.
    TFrac(int64_t num, int64_t den = 1);

    int64_t Num() const { return num_; }
    uint32_t Den() const { return den_; }

    // self := self op other, reduced. Divide by zero raises EIntDivByZero
    // (0 / 0 gives 0/1); an unrepresentable result raises EOverflow and leaves
    // self unchanged.
    TFrac& Add(const TFrac& other);
    TFrac& Subtract(const TFrac& other);
    TFrac& Multiply(const TFrac& other);
    TFrac& Divide(const TFrac& other);

    // self := 1 / self, sign kept on the numerator. The reciprocal of 0 raises
    // EIntDivByZero here rather than leaving a zero denominator behind.
    TFrac& Reciprocal();

    // self := best approximation (denominator up to FracMaxDenominator, read
    // now) of self ^ exponent, computed in Extended. Zero to a negative power
    // raises EZeroDivide, a negative base with a non-integral exponent
    // EInvalidOp, a result out of the extended range EOverflow.
    TFrac& Power(const TFrac& exponent);
    // self := best approximation of self ^ (1 / index); index 0 raises EZeroDivide.
    TFrac& Root(const TFrac& index);

    // Num / Den truncated toward zero, and the remainder (sign of Num).
    int64_t IntPart() const { return num_ / static_cast<int64_t>(den_); }
    int64_t FracNumerator() const { return num_ % static_cast<int64_t>(den_); }

    Extended ToFloat() const;

    // Same numerator and denominator, which for reduced fractions is the same value.
    friend bool operator==(const TFrac& a, const TFrac& b) = default;

private:
    // Reduces n/d, checks that it fits, and only then stores it.
    void assign(__int128 n, __int128 d);

    int64_t num_ = 0;
    uint32_t den_ = 1;
};

// Greatest common divisor by Euclid's remainder loop; a zero b raises EIntDivByZero.
uint32_t Gcd(uint64_t a, uint32_t b);

// The convergent of x (x >= 0) with at most `terms` terms of its continued
// fraction, a1 + 1/(a2 + 1/(... + 1/ak)); the expansion stops early once the
// fractional part left is below 1e-13. A last term of 0 (x < 1, one term)
// raises EIntDivByZero; terms 0 raises EInvalidArgument; a non-finite x is
// refused (NaN EInvalidOp, infinity EOverflow); a convergent beyond 64/32 bits
// raises EOverflow.
TFrac ContinuedFraction(uint8_t terms, Extended x);

// Best rational approximation of x with a denominator of at most maxDen
// (0 = FracMaxDenominator): the last convergent within the limit. The result
// carries the sign of x; |x| below 0.5 / maxDen gives 0/1. A non-finite x is
// refused (NaN EInvalidOp, infinity EOverflow), as is |x| of 2^63 or more
// (EOverflow).
TFrac FloatToFrac(uint32_t maxDen, Extended x);

// "5", "-7|2", or with MixedFractions and a whole part "-3|1|2".
QString FracToStr(const TFrac& f);

} // namespace rational
