#pragma once
#include "foundation/core/extended.h"

#include <QString>
#include <QStringView>
#include <initializer_list>
#include <variant>

// Numbers as text, independent of the C library's locale: the decimal separator
// is always ".", whatever desktop the program runs on.

enum class FloatFormat { General, Exponent, Fixed };

// General: shortest of fixed and scientific with `precision` significant digits,
// trailing zeros dropped; fixed while the digits before the point fit in
// `precision` and the value is at least 0.00001. The exponent is written "E",
// "-" when negative, and at least `digits` digits ("1E-15", "1.5E20").
// Exponent: "d.ddd" with `precision` digits, "E", the sign always, at least
// `digits` exponent digits ("1.50E+003").
// Fixed: rounded to `precision` significant digits, then written with exactly
// `digits` decimals; scientific when the integer digits exceed `precision`.
QString FloatToStrF(Extended x, FloatFormat format, int precision, int digits);

// The general text with 15 significant digits (the "%g" of the program's texts).
QString FloatToStr(Extended x);

QString IntToStr(long long n);
// Upper-case hexadecimal digits of the value's two's complement, at least `digits` long.
QString IntToHex(long long n, int digits = 1);

// One argument of Format().
class FormatArg {
public:
    FormatArg(int v) : v_(static_cast<long long>(v)) {}
    FormatArg(long v) : v_(static_cast<long long>(v)) {}
    FormatArg(long long v) : v_(v) {}
    FormatArg(unsigned v) : v_(static_cast<long long>(v)) {}
    FormatArg(unsigned long v) : v_(static_cast<long long>(v)) {}
    FormatArg(unsigned long long v) : v_(static_cast<long long>(v)) {}
    FormatArg(double v) : v_(static_cast<Extended>(v)) {}
    FormatArg(long double v) : v_(v) {}
    FormatArg(const QString& v) : v_(v) {}
    FormatArg(const char* v) : v_(QString::fromUtf8(v)) {}
    FormatArg(QChar v) : v_(QString(v)) {}

    bool isInt() const { return std::holds_alternative<long long>(v_); }
    bool isFloat() const { return std::holds_alternative<Extended>(v_); }
    long long toInt() const;
    Extended toFloat() const;
    QString toString() const;

private:
    std::variant<long long, Extended, QString> v_;
};

// printf-like formatting of the program's message templates:
// %s %d %u %x %X %g %e %f %% with optional "-", width and ".precision"
// ("%8.4g", "%.3f", "%5d"). %g defaults to 15 digits, %e to 15, %f to 2.
// A missing argument formats as empty text.
QString Format(const QString& pattern, std::initializer_list<FormatArg> args);

// The strict number reader: optional sign, digits, optional "." and digits,
// optional E/e exponent with optional sign. No blanks, no "inf", "nan" or
// hexadecimal. A value beyond the extended range is refused; `overflow`, when
// given, tells whether that was the reason (the text is a number, too large).
bool TryStrToFloat(QStringView text, Extended& value, bool* overflow = nullptr);

// Like TryStrToFloat, but tells where the text stopped being a number: 0 when
// the whole text was read, otherwise the 1-based position of the first
// character refused (the length + 1 when the text ended too early). A number
// beyond the extended range answers 1, and sets `overflow` when given.
int ValFloat(QStringView text, Extended& value, bool* overflow = nullptr);

// Optional sign and decimal digits, within 64 bits.
bool TryStrToInt(QStringView text, long long& value);
