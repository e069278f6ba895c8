#pragma once
#include "foundation/core/extended.h"

#include <QChar>
#include <QString>
#include <cstdint>

// Numbers as text in any base from 2 to 36.
//
// Writing follows the process-wide display settings of results; reading never
// throws (but for a base between brackets that is not an integer): it sets
// BaseError and BaseErrorMessage, which the caller tests.
//
// The process-wide values live in one struct reached through numtext():
//     numtext().DisplayDigits = 4;
//     Extended v = ParseNumberWithBase(text);
//     if (numtext().BaseError) report(numtext().BaseErrorMessage);
// numtext().reset() restores the start-up defaults (16 digits, trailing zeros
// stripped, automatic notation, base 10, no grouping); tests call it in their
// fixture.
//
// The writers take bases 2..36 only: any other base throws EInvalidArgument.

inline constexpr std::uint8_t dnAutomatic = 0;
inline constexpr std::uint8_t dnScientific = 1;
inline constexpr std::uint8_t dnEngineering = 2;

struct NumberTextState {
    // Digits after the point in fixed output and in a mantissa; also the
    // threshold of automatic notation.
    std::uint8_t DisplayDigits = 16;
    bool StripTrailingZeros = true;
    std::uint8_t DisplayNotation = dnAutomatic;
    // Base of results written by FloatToStrDefBase.
    std::uint8_t DisplayBase = 10;
    // A blank between groups of three digits.
    bool GroupDigits = false;
    // Base of the last number written by FloatToStrBase or read without error.
    std::uint8_t LastBase = 10;
    // The last read failed, and why.
    bool BaseError = false;
    QString BaseErrorMessage;
    // The last read failed because the number is beyond the extended range.
    bool BaseOverflow = false;

    void reset() { *this = NumberTextState(); }
};

NumberTextState& numtext();

// 0..35 -> "0".."9", "A".."Z".
QChar DigitToChar(int value);
// "0".."9" -> 0..9, "A".."Z" and "a".."z" -> 10..35; any other character sets
// the read error "Error de sintaxis (Caracter no reconocido)" and gives 0.
int CharToDigit(QChar c);

QString RemoveBlanks(const QString& text);

// BaseError := true and BaseErrorMessage := message.
void SetBaseError(const QString& message);

// Digits of |n| in `base`, most significant first, "-" in front when n < 0.
QString IntToBase(int base, std::int64_t n);

// Fixed-point text of x with DisplayDigits fraction digits.
QString FixedToBase(int base, Extended x);
// Mantissa and exponent text ("0.15e21", "1.5e20", "15e3").
// Both write NaN and the infinities "NAN", "INF" and "-INF".
QString SciToBase(int base, Extended x);

// x as text by the display settings, " [base]" appended when base is not 10
// (also to "0"); sets LastBase. NaN and the infinities are written "NAN",
// "INF" and "-INF".
QString FloatToStrBase(int base, Extended x);
// FloatToStrBase(DisplayBase, x).
QString FloatToStrDefBase(Extended x);

// Reads text in `base` (blanks ignored). Sets BaseError/BaseErrorMessage on
// failure, LastBase on success; the value is meaningless after a failure.
Extended ParseNumberInBase(const QString& text, int base);
// Reads text whose base is given by a "[b]" suffix or a "b", "h" or "o" prefix
// (10 otherwise). A non-integer between the brackets throws EConvertError.
Extended ParseNumberWithBase(const QString& text);
