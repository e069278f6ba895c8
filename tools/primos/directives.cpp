// The primes tool's lines of sumbrix-eval.
#include "foundation/core/directives.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/format.h"
#include "tools/primos/criba.h"
#include "tools/primos/primo.h"
#include "tools/primos/primostext.h"

#include <QStringList>

namespace {

QString Joined(const std::vector<std::int64_t>& numbers)
{
    QStringList parts;
    parts.reserve(qsizetype(numbers.size()));
    for (std::int64_t v : numbers)
        parts << IntToStr(v);
    return parts.join(QLatin1Char(' '));
}

std::int64_t Natural(const QString& text)
{
    std::int64_t n = 0;
    if (!primos::ReadNumber(text, n) || n < 1)
        throw Exception(primos::kMsgNatural63);
    return n;
}

} // namespace

void RegisterDirectives_tool_primos()
{
    AddEvalDirective(QStringLiteral("prime"),
                     QStringLiteral("#prime N           \"primo\", \"compuesto\" or the primes window's message"),
                     [](const QString& a) {
                         std::int64_t n = 0;
                         if (!primos::ReadNumber(a, n) || n <= 0)
                             throw Exception(primos::kMsgMaxNumber);
                         if (n == 1)
                             return primos::kMsgOneNotPrime;
                         return primos::IsPrime64(n) ? QStringLiteral("primo") : QStringLiteral("compuesto");
                     });
    AddEvalDirective(QStringLiteral("factors"),
                     QStringLiteral("#factors N         the prime factors of N ascending, with repetition"),
                     [](const QString& a) { return Joined(primos::PrimeFactors(Natural(a))); });
    AddEvalDirective(QStringLiteral("divisors"),
                     QStringLiteral("#divisors N        every divisor of N ascending"),
                     [](const QString& a) { return Joined(primos::Divisors(Natural(a))); });
    AddEvalDirective(QStringLiteral("nthprime"),
                     QStringLiteral("#nthprime K        the K-th prime (2 is the first), K from 1 to 2^57"),
                     [](const QString& a) {
                         std::int64_t k = 0;
                         if (!primos::ReadNumber(a, k) || k < 1 || k > primos::kMaxNthPrime)
                             throw Exception(primos::kMsgNthRange);
                         return IntToStr(primos::NthPrime(k));
                     });
    AddEvalDirective(QStringLiteral("primecount"),
                     QStringLiteral("#primecount A B    how many primes lie in [A, B]"),
                     [](const QString& a) {
                         const QStringList parts = a.split(QLatin1Char(' '), Qt::SkipEmptyParts);
                         std::int64_t lo = 0, hi = 0;
                         if (parts.size() != 2 || !primos::ReadNumber(parts[0], lo) ||
                             !primos::ReadNumber(parts[1], hi))
                             throw Exception(primos::kMsgNatural63);
                         return IntToStr(primos::CountPrimes(lo, hi));
                     });
}
