#pragma once
// pari-gp's library (libpari-dev) as the peer of the prime and matrix
// benchmarks, behind plain functions: PARI's header defines many short macros
// that must not meet the project's code.
#include <cstdint>
#include <vector>

namespace pari_peer {

// Starts PARI once (its stack of 64 MB).
void Init();
// uisprime: PARI's deterministic test of a word-sized number.
bool IsPrime(std::uint64_t n);
// matdet, M^-1 and matsolve of a whole-number matrix given by rows (the
// system's last column is its right-hand side); each returns the number of
// decimal digits of one cell of the result, so that nothing is optimised away.
long Determinant(const std::vector<std::vector<long>>& rows);
long Inverse(const std::vector<std::vector<long>>& rows);
long Solve(const std::vector<std::vector<long>>& rows);

} // namespace pari_peer
