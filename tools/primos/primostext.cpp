#include "tools/primos/primostext.h"

#include "foundation/core/format.h"

#include <cmath>

namespace primos {

bool ReadNumber(const QString& text, std::int64_t& value)
{
    long long v = 0;
    if (!TryStrToInt(QStringView(text).trimmed(), v))
        return false;
    value = v;
    return true;
}

QString FactorLine(std::int64_t prime, int exponent)
{
    if (exponent == 1)
        return IntToStr(prime);
    return Format(QStringLiteral("%d ^ %d"), {prime, exponent});
}

std::int64_t EstimatePrimeCount(std::int64_t m0, std::int64_t n)
{
    auto share = [](std::int64_t x) {
        const long double v = static_cast<long double>(x);
        return std::int64_t(std::llround(v / std::log(v)));
    };
    std::int64_t est = n > 1 ? share(n) : 0;
    if (m0 > 2)
        est -= share(m0);
    return est;
}

QString PrimeListFileName(std::int64_t m0, std::int64_t n)
{
    return Format(QStringLiteral("Primos entre %d y %d .txt"), {m0, n});
}

double SharePercent(double count, double range)
{
    return range > 0 ? count / range * 100 : 0;
}

} // namespace primos
