#pragma once
// The primes tool's own texts and the small rules around them: the number
// as typed, the messages, the lines of a factorisation, the estimate of how
// many primes a range holds and the name of a prime-list file.
#include <QString>

#include <cstdint>

namespace primos {

inline const QString kMsgMaxNumber = QStringLiteral("El máximo número con el que puede operar es (2^63-1)");
inline const QString kMsgNatural63 = QStringLiteral("Debe operar con números naturales entre 1 y 2^63-1");
inline const QString kMsgNthRange = QStringLiteral("Debe operar con números naturales entre 1 y 2^57");
inline const QString kMsgOneNotPrime = QStringLiteral("1 no se considera primo");

// The text as a 64-bit signed number (blanks around it allowed); false for
// anything else, a number beyond 2^63 - 1 included.
bool ReadNumber(const QString& text, std::int64_t& value);

// One line of a factorisation: the prime alone, or "p ^ e".
QString FactorLine(std::int64_t prime, int exponent);

// About how many primes [m0, n] holds: n / ln n rounded, less m0 / ln m0
// rounded when m0 > 2.
std::int64_t EstimatePrimeCount(std::int64_t m0, std::int64_t n);
// Above this estimate the primes tool offers to write the list to a file.
inline constexpr std::int64_t kMaxListedInWindow = 2000;

// The name of the file the primes of [m0, n] are written to.
QString PrimeListFileName(std::int64_t m0, std::int64_t n);

// count / range as a percentage; 0 for an empty or reversed range.
double SharePercent(double count, double range);

} // namespace primos
