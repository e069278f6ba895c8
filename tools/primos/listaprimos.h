#pragma once
// The text file of a prime list: one prime per line in decimal digits, each
// line ended by CR LF.
#include "tools/primos/primo.h"

#include <QString>

#include <cstdint>

namespace primos {

// Writes the primes of [m0, n] to the file, created anew (a file of that name
// is replaced); returns how many were written. Raises EInOutError when the
// file cannot be created or written (nothing then replaces a folder or a
// device of that name). The hook is called after each segment; when it
// throws, the file keeps the primes written so far and the exception goes on.
std::int64_t WritePrimeList(const QString& fileName, std::int64_t m0, std::int64_t n, const TPrimeHook& hook = {});

} // namespace primos
