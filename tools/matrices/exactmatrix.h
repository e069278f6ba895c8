#pragma once
// Exact elimination of matrices of numbers over whole numbers of any size
// (GMP), for the rational mode's matrices without letters: determinants,
// fraction-free triangulations, solutions and inverses that never lose a
// digit, at every size the window takes.
//
// Each cell value (80 bits) is read as the first convergent of its continued
// fraction that gives it back when rounded to 80 bits (0.1 is 1/10, 1|3 is
// 1/3; whole numbers are themselves), each row is multiplied by the least common multiple of its
// denominators, and the whole-number matrix is eliminated by Bareiss' method:
// each new cell is (pivot·cell − left·top) / previous pivot, an exact
// division, so that every cell stays a minor of the matrix.
//
// Cells are given column by column: cell (col, row), both from 1, at index
// (col − 1)·rows + (row − 1), as TMatriz keeps them.
#include "foundation/core/extended.h"

#include <QString>

#include <optional>
#include <vector>

// A fraction of any size in lowest terms, as decimal text, with its value
// rounded to 80 bits (±infinity beyond the 80-bit range).
struct TExactNumber {
    QString Num = QStringLiteral("0");   // a leading "-" when negative
    QString Den = QStringLiteral("1");   // positive; "1" for a whole number
    Extended Value = 0;

    bool IsZero() const { return Num == QLatin1String("0"); }
    bool IsWhole() const { return Den == QLatin1String("1"); }
    bool operator==(const TExactNumber& o) const { return Num == o.Num && Den == o.Den; }
};

// The text of an exact number: a whole number with every digit, in every
// number format; a fraction as the shared number format writes its 80-bit
// value where the text reads back (FormatExact: "-12|7" while the
// denominator is within the display's limit, else the decimal with every
// digit).
QString ExactText(const TExactNumber& x);

namespace exact {

// The first convergent p/q of x's continued fraction whose quotient rounded
// to 80 bits is x; x itself when it is a whole number. x is finite.
TExactNumber FromExtended(Extended x);

// The determinant of the leading n × n block.
TExactNumber Determinant(const std::vector<Extended>& cells, int rows, int n);

// The fraction-free triangulation with pivots in the first `pivotCols`
// columns (a column without a pivot from the current row down is passed
// over): whole numbers, the rows of the input scaled to whole numbers first.
std::vector<TExactNumber> Triangulate(const std::vector<Extended>& cells, int cols, int rows, int pivotCols);

// The solution X of [A | B] (A the leading rows × rows block): cols − rows
// columns of rows cells each, exact fractions; nothing when A is singular.
std::optional<std::vector<TExactNumber>> Solve(const std::vector<Extended>& cells, int cols, int rows);

} // namespace exact
