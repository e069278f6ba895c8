#pragma once
// Prime lists, prime counts and the n-th prime.
//
// Ranges are sieved in segments over the odd numbers with the primes up to
// the square root of the range (up to 2^22; above 2^44 the numbers the
// sieve leaves are decided by the primality test). Counts of wide ranges and
// the n-th prime come from primecount (Gourdon's method, about x^(2/3)
// steps): small ones at once on this thread, larger ones in a forked process
// on every core, which the progress hook can end at any moment.
#include "tools/primos/primo.h"

#include <cstdint>
#include <vector>

namespace primos {

// The primes of [lo, hi] in ascending order, one segment at a time. hi may
// be 2^63 - 1: the walk ends at the bound.
class TPrimeSieve {
public:
    TPrimeSieve(std::int64_t lo, std::int64_t hi);

    // The primes of the next segment (out is cleared first); false when the
    // range is done (out is then empty).
    bool Next(std::vector<std::int64_t>& out);
    // How many primes the next segment holds, without listing them; false
    // when the range is done.
    bool NextCount(std::uint64_t& count);
    // The first number not sieved yet; past the bound when done.
    std::uint64_t Position() const { return next_; }
    bool Done() const { return done_; }

    // Numbers per segment.
    static constexpr std::uint64_t kSpan = std::uint64_t(1) << 19;

private:
    // Sieves the next segment into seg_; false when the range is done.
    bool SieveSegment();

    std::uint64_t lo_, hi_;
    std::uint64_t next_;       // the next number to sieve
    bool done_ = false;
    bool emitTwo_ = false;
    bool complete_ = true;     // the base primes reach the square root of hi
    std::vector<std::uint32_t> base_;     // odd primes up to the sieving limit
    std::vector<std::uint64_t> multiple_; // the next odd multiple of each to strike
    std::vector<std::uint8_t> seg_;       // 1 for each odd number of the segment left standing
    std::uint64_t segLo_ = 0;             // the odd number of seg_[0]
    std::size_t segLen_ = 0;
};

// The odd primes up to limit (a plain sieve).
std::vector<std::uint32_t> OddPrimesUpTo(std::uint32_t limit);

// pi(x): how many primes do not exceed x; 0 below 2. A long count reports
// (Counting, Fraction: the share of its expected time gone by) every few
// milliseconds; when the hook throws, the count is ended at once.
std::int64_t CountPrimesUpTo(std::int64_t x, const TPrimeHook& hook = {});
// How many primes lie in [a, b]; 0 when a > b.
std::int64_t CountPrimes(std::int64_t a, std::int64_t b, const TPrimeHook& hook = {});

// The largest n whose n-th prime the tool looks for.
inline constexpr std::int64_t kMaxNthPrime = std::int64_t(1) << 57;
// The n-th prime, 2 being the first, for n from 1 to kMaxNthPrime; 0 for
// any other n. A long search reports as a long count does.
std::int64_t NthPrime(std::int64_t n, const TPrimeHook& hook = {});

// Calls onBatch with the primes of [lo, hi] in ascending order, a segment
// at a time, and the hook after each segment (Listing, Candidate: the next
// number to sieve, Fraction: the share of the range done).
void ListPrimes(std::int64_t lo, std::int64_t hi,
                const std::function<void(const std::vector<std::int64_t>&)>& onBatch,
                const TPrimeHook& hook = {});

} // namespace primos
