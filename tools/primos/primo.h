#pragma once
// Whole-number arithmetic of the primes tool on 64-bit signed numbers (up to
// 2^63 - 1): exact modular products, strong probable-prime tests, primality,
// factorisation and divisors.
//
// Primality below 2^32 is decided by the strong tests to the bases 2, 7 and
// 61; above, by the Baillie-PSW test (a strong test to base 2 and a strong
// Lucas test, in Montgomery form), which no composite below 2^64 passes.
// Factorisation is trial division by the small primes, then Fermat's method
// for factors near the square root, then Pollard-Brent. The long searches
// call a progress hook between chunks of work; the hook may end the search by
// throwing (the silent abort).
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace primos {

// The largest number the tool works with.
inline constexpr std::int64_t kMaxNumber = INT64_MAX;

// What a long computation is doing when it reports.
enum class TPrimeStage {
    Factoring,   // looking for a factor
    Counting,    // counting the primes below a bound, or looking for the n-th prime
    Listing,     // sieving a range of numbers
};

struct TPrimeReport {
    TPrimeStage Stage = TPrimeStage::Factoring;
    double Fraction = -1;         // share of the work done (0..1); negative: unknown
    std::int64_t Count = 0;       // primes counted so far (Listing by sieve)
    std::int64_t Candidate = 0;   // the next number looked at (Listing)
};
// Called between chunks of work, often (well below a millisecond apart): the
// caller decides how often to show anything. It may throw to stop the work.
using TPrimeHook = std::function<void(const TPrimeReport&)>;

// The increments of the walk over the numbers prime to 30.
inline constexpr std::array<int, 8> PrimeWheel{6, 4, 2, 4, 2, 4, 6, 2};
// The wheel index of a number prime to 30 (its residue 1, 7, 11, 13, 17, 19,
// 23, 29 gives 0..7); -1 for a number that shares a factor with 30.
int WheelIndex(std::uint64_t n);

// Pairs (k, the k-th prime), 2 being the first prime.
struct TNthPrimeCheckpoint {
    std::int64_t K;
    std::int64_t Prime;
};
extern const std::array<TNthPrimeCheckpoint, 19> NthPrimeCheckpoints;

// (a * b) mod m, exact; m > 0.
std::uint32_t MulMod32(std::uint32_t a, std::uint32_t b, std::uint32_t m);
std::uint64_t MulMod64(std::uint64_t a, std::uint64_t b, std::uint64_t m);
// a^e mod m; m > 0.
std::uint64_t PowMod64(std::uint64_t a, std::uint64_t e, std::uint64_t m);

// The strong probable-prime test of n to the base: false when n or the base
// is below 2 (an even n > 2 never passes).
bool StrongProbablePrime32(std::uint32_t n, std::uint32_t base);
bool StrongProbablePrime64(std::uint64_t n, std::uint64_t base);
// The strong Lucas probable-prime test with Selfridge's parameters (the
// second half of Baillie-PSW); false below 2, for even n > 2, for squares and
// above 2^63 - 1.
bool StrongLucasProbablePrime64(std::uint64_t n);

// Exact primality.
bool IsPrime32(std::uint32_t n);
// False below 2.
bool IsPrime64(std::int64_t n);

// The smallest prime factor of n; 0 when n is below 4 or prime.
std::int64_t SmallestFactor64(std::int64_t n, const TPrimeHook& hook = {});
// The same by plain trial division over the wheel up to the square root:
// the reference the fast route is checked and measured against.
std::int64_t TrialSmallestFactor64(std::int64_t n);

// The prime factors of n in ascending order, each as often as it divides n;
// empty below 2.
std::vector<std::int64_t> PrimeFactors(std::int64_t n, const TPrimeHook& hook = {});

struct TPrimePower {
    std::int64_t Prime = 0;
    int Exponent = 0;
    bool operator==(const TPrimePower&) const = default;
};
// Ascending factors grouped by prime.
std::vector<TPrimePower> GroupFactors(const std::vector<std::int64_t>& factors);

// Every divisor of n in ascending order, once each; empty below 1.
std::vector<std::int64_t> Divisors(std::int64_t n, const TPrimeHook& hook = {});

// The whole square root, rounded down; 0 for 0.
std::uint64_t ISqrt(std::uint64_t n);

} // namespace primos
