// Prime lists, counts and the n-th prime: the segmented sieve against the
// primality test over ranges that cross its segments, its square-root limit
// and the top of the 63-bit numbers; counts at known bounds by the sieve and
// by primecount (at once, and in the forked process); the n-th prime at the
// checkpoints and around them; the hooks, and the cancellation that ends the
// forked count.
#include "tools/primos/criba.h"

#include "foundation/core/exceptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include <sys/wait.h>

using namespace primos;

namespace {

std::vector<std::int64_t> SieveAll(std::int64_t lo, std::int64_t hi)
{
    std::vector<std::int64_t> all, part;
    TPrimeSieve sieve(lo, hi);
    while (sieve.Next(part))
        all.insert(all.end(), part.begin(), part.end());
    EXPECT_TRUE(sieve.Done());
    return all;
}

std::vector<std::int64_t> ByPrimalityTest(std::int64_t lo, std::int64_t hi)
{
    std::vector<std::int64_t> out;
    for (std::int64_t n = lo;; ++n) {
        if (IsPrime64(n))
            out.push_back(n);
        if (n == hi)
            break;
    }
    return out;
}

TEST(PrimeSieve, RangesAgreeWithThePrimalityTest)
{
    struct Case {
        std::int64_t lo, hi;
    };
    const std::int64_t top = INT64_MAX;
    const Case cases[] = {
        {0, 2000000},                                     // several segments from the start
        {2, 2}, {3, 3}, {4, 4}, {1, 1}, {14, 16}, {2, 17},
        {999983, 1000003},
        {4294967296 - 300000, 4294967296 + 300000},       // around 2^32
        {(INT64_C(1) << 44) - 40000, (INT64_C(1) << 44) + 40000},   // where the sieve stops being complete
        {1000000000000000000 - 20000, 1000000000000000000 + 20000},
        {top - 30000, top},                               // up to the very last number
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lo << ".." << c.hi);
        const auto got = SieveAll(c.lo, c.hi);
        EXPECT_EQ(got, ByPrimalityTest(c.lo, c.hi));
    }
    EXPECT_EQ(SieveAll(top - 100, top).back(), top - 24);
}

TEST(PrimeSieve, EmptyAndReversedRangesGiveNothing)
{
    for (auto [lo, hi] : {std::pair<std::int64_t, std::int64_t>{10, 5}, {-10, 1}, {24, 28}, {INT64_MIN, -1},
                          {INT64_MAX, INT64_MAX}}) {
        SCOPED_TRACE(testing::Message() << lo << ".." << hi);
        EXPECT_TRUE(SieveAll(lo, hi).empty());
        EXPECT_EQ(CountPrimes(lo, hi), 0);
    }
    EXPECT_EQ(SieveAll(-5, 5), (std::vector<std::int64_t>{2, 3, 5}));
}

TEST(PrimeSieve, CountsByTheSieveAndByPrimecountAgree)
{
    struct Case {
        std::int64_t x, count;
    };
    const Case cases[] = {
        {1, 0}, {2, 1}, {10, 4}, {100, 25}, {99999, 9592}, {100000, 9592}, {1000000, 78498},
        {10000000, 664579}, {100000000, 5761455}, {1000000000, 50847534},
        {4294967295, 203280221}, {10000000000, 455052511}, {100000000000, 4118054813},
        {1000000000000, 37607912018},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(CountPrimesUpTo(c.x), c.count);
    }
    // The sieve route of CountPrimes (narrow ranges) against primecount.
    for (std::int64_t x : {INT64_C(1000000), INT64_C(12345678), INT64_C(60000000)}) {
        SCOPED_TRACE(x);
        EXPECT_EQ(CountPrimes(2, x), CountPrimesUpTo(x));
        EXPECT_EQ(CountPrimes(x / 3, x), CountPrimesUpTo(x) - CountPrimesUpTo(x / 3 - 1));
    }
    EXPECT_EQ(CountPrimes(1, 100000000), 5761455);              // wide: by primecount
    EXPECT_EQ(CountPrimes(1000000000, 4294967295), 203280221 - 50847534);
    EXPECT_EQ(CountPrimes(17, 17), 1);
    EXPECT_EQ(CountPrimes(INT64_MAX - 100, INT64_MAX), 1);
}

TEST(NthPrimeSearch, ChosenPositions)
{
    struct Case {
        std::int64_t n, prime;
    };
    const Case cases[] = {
        {1, 2}, {2, 3}, {5, 11}, {6, 13}, {7, 17}, {25, 97}, {168, 997}, {169, 1009},
        {9999, 104723}, {10000, 104729}, {59999, 746749}, {60000, 746773},
        {1000000, 15485863}, {203280220, 4294967279}, {203280221, 4294967291}, {203280222, 4294967311},
        {1000000000, 22801763489},
        // in the forked process
        {346065536839, 9999999999971}, {346065536840, 10000000000037},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(NthPrime(c.n), c.prime);
    }
    for (std::int64_t bad : {INT64_C(0), INT64_C(-1), kMaxNthPrime + 1, INT64_MAX})
        EXPECT_EQ(NthPrime(bad), 0) << bad;
}

TEST(NthPrimeSearch, EveryCheckpointAndItsNeighbours)
{
    for (const TNthPrimeCheckpoint& cp : NthPrimeCheckpoints) {
        SCOPED_TRACE(cp.K);
        EXPECT_EQ(CountPrimesUpTo(cp.Prime), cp.K);
        EXPECT_EQ(CountPrimesUpTo(cp.Prime - 1), cp.K - 1);
        EXPECT_EQ(NthPrime(cp.K), cp.Prime);
        const std::int64_t after = NthPrime(cp.K + 1);
        const std::int64_t before = NthPrime(cp.K - 1);
        EXPECT_GT(after, cp.Prime);
        EXPECT_LT(before, cp.Prime);
        EXPECT_EQ(CountPrimes(before, after), 3);
    }
}

TEST(NthPrimeSearch, ALongSearchReportsAndEndsWhenTheHookThrows)
{
    // At once: no report.
    int reports = 0;
    EXPECT_EQ(NthPrime(30000000, [&](const TPrimeReport&) { ++reports; }), 573259391);
    EXPECT_EQ(CountPrimesUpTo(1000000000, [&](const TPrimeReport&) { ++reports; }), 50847534);
    EXPECT_EQ(reports, 0);

    // In the forked process: shares of the expected time, rising below 1.
    double last = -1;
    const std::int64_t p = NthPrime(10000000000, [&](const TPrimeReport& r) {
        EXPECT_EQ(r.Stage, TPrimeStage::Counting);
        EXPECT_GE(r.Fraction, last);
        EXPECT_LT(r.Fraction, 1.0);
        last = r.Fraction;
    });
    EXPECT_EQ(p, 252097800623);

    // 2^57 would take minutes: the third report ends it, and the forked
    // process is gone when the exception arrives.
    int calls = 0;
    EXPECT_THROW(NthPrime(kMaxNthPrime,
                          [&](const TPrimeReport&) {
                              if (++calls == 3)
                                  throw EAbort();
                          }),
                 EAbort);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    calls = 0;
    EXPECT_THROW(CountPrimesUpTo(INT64_MAX,
                                 [&](const TPrimeReport&) {
                                     if (++calls == 2)
                                         throw EAbort();
                                 }),
                 EAbort);
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);

    // The same search afterwards still answers.
    EXPECT_EQ(NthPrime(10000000000), 252097800623);
}

TEST(PrimeLists, BatchesAscendAndTheHookFollowsTheRange)
{
    std::vector<std::int64_t> all;
    std::vector<double> fractions;
    std::int64_t lastCandidate = 0;
    ListPrimes(
        1000, 3000000, [&](const std::vector<std::int64_t>& b) { all.insert(all.end(), b.begin(), b.end()); },
        [&](const TPrimeReport& r) {
            EXPECT_EQ(r.Stage, TPrimeStage::Listing);
            fractions.push_back(r.Fraction);
            EXPECT_GT(r.Candidate, lastCandidate);
            lastCandidate = r.Candidate;
        });
    EXPECT_EQ(all.front(), 1009);
    EXPECT_EQ(all.back(), 2999999);
    EXPECT_EQ(std::int64_t(all.size()), CountPrimes(1000, 3000000));
    EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
    EXPECT_DOUBLE_EQ(fractions.back(), 1.0);
    EXPECT_GT(lastCandidate, 3000000);

    // At the top the last candidate stays a 63-bit number.
    std::vector<std::int64_t> top;
    ListPrimes(INT64_MAX - 1000, INT64_MAX,
               [&](const std::vector<std::int64_t>& b) { top.insert(top.end(), b.begin(), b.end()); },
               [&](const TPrimeReport& r) { EXPECT_GT(r.Candidate, 0); });
    EXPECT_EQ(top.back(), INT64_MAX - 24);
    EXPECT_TRUE(std::all_of(top.begin(), top.end(), [](std::int64_t v) { return v > 0; }));
}

} // namespace
