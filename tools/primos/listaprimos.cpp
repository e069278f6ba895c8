#include "tools/primos/listaprimos.h"

#include "foundation/core/basicos.h"
#include "foundation/core/zelini.h"
#include "tools/primos/criba.h"

#include <QFile>
#include <QFileInfo>

#include <charconv>

namespace primos {

std::int64_t WritePrimeList(const QString& fileName, std::int64_t m0, std::int64_t n, const TPrimeHook& hook)
{
    const QFileInfo info(fileName);
    QFile file(fileName);
    if ((info.exists() && !info.isFile()) || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EInOutError(CannotWriteMessage(fileName));
    QByteArray buffer;
    std::int64_t count = 0;
    auto flush = [&] {
        if (!buffer.isEmpty() && file.write(buffer) != buffer.size())
            throw EInOutError(CannotWriteMessage(fileName));
        buffer.clear();
    };
    auto write = [&](const std::vector<std::int64_t>& primes) {
        char digits[24];
        for (std::int64_t p : primes) {
            const auto r = std::to_chars(digits, digits + sizeof digits, p);
            buffer.append(digits, r.ptr - digits);
            buffer.append("\r\n", 2);
        }
        count += std::int64_t(primes.size());
        if (buffer.size() >= (1 << 20))
            flush();
    };
    try {
        ListPrimes(m0, n, write, hook);
    } catch (...) {
        // What was found so far stays in the file.
        if (!buffer.isEmpty())
            file.write(buffer);
        throw;
    }
    flush();
    if (!file.flush())
        throw EInOutError(CannotWriteMessage(fileName));
    return count;
}

} // namespace primos
