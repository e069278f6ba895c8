// The primes tool's arithmetic: exact modular products, the strong tests,
// primality (against a sieve for every n below 10^7, against the known
// strong pseudoprimes and primes up to 2^63 - 1), the smallest factor
// (against plain trial division), factorisation and divisors up to 2^63 - 1.
#include "tools/primos/primo.h"

#include "foundation/core/exceptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace primos;

namespace {

// The smallest prime factor of every n up to limit (0 for 0 and 1).
std::vector<std::uint32_t> SmallestFactorTable(std::uint32_t limit)
{
    std::vector<std::uint32_t> spf(limit + 1, 0);
    for (std::uint32_t i = 2; i <= limit; ++i)
        if (spf[i] == 0)
            for (std::uint64_t j = i; j <= limit; j += i)
                if (spf[j] == 0)
                    spf[j] = i;
    return spf;
}

std::int64_t Product(const std::vector<std::int64_t>& factors)
{
    using u128 = unsigned __int128;
    u128 p = 1;
    for (std::int64_t f : factors)
        p *= std::uint64_t(f);
    return p > u128(INT64_MAX) ? -1 : std::int64_t(p);
}

constexpr std::int64_t kTop = INT64_MAX;               // 2^63 - 1 = 7^2 73 127 337 92737 649657
constexpr std::int64_t kLargestPrime = kTop - 24;      // 2^63 - 25

TEST(PrimeArithmetic, PrimalityAgreesWithTrialDivisionAndASieveBelowTenMillion)
{
    const std::uint32_t limit = 10000000;
    const auto spf = SmallestFactorTable(limit);
    for (std::uint32_t n = 0; n <= limit; ++n) {
        const bool prime = n >= 2 && spf[n] == n;
        ASSERT_EQ(IsPrime64(n), prime) << n;
        ASSERT_EQ(IsPrime32(n), prime) << n;
        ASSERT_EQ(n >= 2 && TrialSmallestFactor64(n) == 0, prime) << n;
    }
}

TEST(PrimeArithmetic, SmallestFactorAgreesWithTheSieveAndWithTrialDivision)
{
    const std::uint32_t limit = 2000000;
    const auto spf = SmallestFactorTable(limit);
    for (std::uint32_t n = 0; n <= limit; ++n) {
        const std::int64_t expected = n < 4 || spf[n] == n ? 0 : spf[n];
        ASSERT_EQ(SmallestFactor64(n), expected) << n;
        if (n % 7 == 0 || n < 5000) {
            ASSERT_EQ(TrialSmallestFactor64(n), expected) << n;
        }
    }
    // Larger numbers, whose trial division still ends quickly.
    std::mt19937_64 rng(20261211);
    for (int i = 0; i < 300; ++i) {
        const std::int64_t n = std::int64_t(rng() >> 24) | 1;   // below 2^40
        ASSERT_EQ(SmallestFactor64(n), TrialSmallestFactor64(n)) << n;
    }
}

TEST(PrimeArithmetic, KnownPrimesAndPseudoprimes)
{
    struct Case {
        std::int64_t n;
        bool prime;
    };
    const Case cases[] = {
        {2, true}, {3, true}, {7, true}, {23, true}, {61, true},
        {0, false}, {1, false}, {4, false}, {9, false}, {25, false}, {529, false}, {841, false},
        {-7, false}, {INT64_MIN, false}, {-4294967291, false},
        // strong pseudoprimes to base 2, and to 2, 3, 5, 7; to 2, 7, 61
        {2047, false}, {3277, false}, {4033, false}, {4681, false}, {8321, false},
        {3215031751, false}, {4759123141, false},
        // to the bases 2 to 17 and 2 to 23
        {341550071728321, false}, {3825123056546413051, false},
        // Carmichael numbers
        {561, false}, {1105, false}, {1729, false}, {41041, false}, {825265, false},
        {4294967291, true}, {4294967297, false}, {4294967311, true}, {2147483647, true},
        {1000000007, true}, {999999999989, true}, {2305843009213693951, true},
        {kLargestPrime, true}, {kTop, false}, {kTop - 1, false}, {kLargestPrime - 2, false},
        {3037000493, true}, {3037000499, false}, {3037000493LL * 3037000493LL, false},
        {3037000493LL * 3037000453LL, false}, {4294967291LL * 2147483647LL, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(IsPrime64(c.n), c.prime);
        if (c.n >= 0 && c.n <= INT64_C(0xFFFFFFFF)) {
            EXPECT_EQ(IsPrime32(std::uint32_t(c.n)), c.prime);
        }
    }
}

TEST(PrimeArithmetic, StrongTestsAndModularProducts)
{
    EXPECT_TRUE(StrongProbablePrime32(2047, 2));   // the first strong pseudoprime to base 2
    EXPECT_FALSE(StrongProbablePrime32(2047, 3));
    EXPECT_TRUE(StrongProbablePrime64(3215031751, 2));
    EXPECT_TRUE(StrongProbablePrime64(3215031751, 7));
    EXPECT_FALSE(StrongProbablePrime64(3215031751, 11));
    EXPECT_TRUE(StrongProbablePrime64(3825123056546413051, 23));
    for (std::uint32_t small : {0u, 1u}) {
        EXPECT_FALSE(StrongProbablePrime32(small, 2));
        EXPECT_FALSE(StrongProbablePrime32(97, small));
        EXPECT_FALSE(StrongProbablePrime64(small, 2));
        EXPECT_FALSE(StrongProbablePrime64(97, small));
    }
    EXPECT_FALSE(StrongProbablePrime32(100, 3));

    EXPECT_EQ(MulMod32(4294967295u, 4294967295u, 4294967291u), 16u);       // (4 * 4) mod m
    EXPECT_EQ(MulMod32(4294967295u, 4294967294u, 7u), std::uint32_t((4294967295ull % 7) * (4294967294ull % 7) % 7));
    EXPECT_EQ(MulMod64(std::uint64_t(kTop), std::uint64_t(kTop), std::uint64_t(kLargestPrime)), 576u);   // 24^2
    EXPECT_EQ(MulMod64(UINT64_MAX, UINT64_MAX, 1000000007), (UINT64_MAX % 1000000007) * (UINT64_MAX % 1000000007) % 1000000007);
    EXPECT_EQ(PowMod64(2, 62, std::uint64_t(kTop)), std::uint64_t(1) << 62);
    EXPECT_EQ(PowMod64(3, std::uint64_t(kLargestPrime) - 1, std::uint64_t(kLargestPrime)), 1u);   // Fermat
    EXPECT_EQ(PowMod64(5, 0, 1), 0u);
}

TEST(PrimeArithmetic, StrongLucasTestPassesThePrimesAndExactlyItsKnownPseudoprimes)
{
    // The odd composites below 10^5 that pass the strong Lucas test with
    // Selfridge's parameters (OEIS A217255).
    const std::vector<std::uint32_t> pseudoprimes{5459, 5777, 10877, 16109, 18971, 22499,
                                                  24569, 25199, 40309, 58519, 75077, 97439};
    const std::uint32_t limit = 100000;
    const auto spf = SmallestFactorTable(limit);
    std::vector<std::uint32_t> passed;
    for (std::uint32_t n = 0; n < limit; ++n) {
        const bool prime = n >= 2 && spf[n] == n;
        const bool lucas = StrongLucasProbablePrime64(n);
        if (prime)
            ASSERT_TRUE(lucas) << n;
        else if (lucas)
            passed.push_back(n);
    }
    EXPECT_EQ(passed, pseudoprimes);
    // None of them is a strong pseudoprime to base 2 as well.
    for (std::uint32_t n : pseudoprimes)
        EXPECT_FALSE(StrongProbablePrime64(n, 2)) << n;
    EXPECT_FALSE(StrongLucasProbablePrime64(3037000493ULL * 3037000493ULL));   // a square
    EXPECT_TRUE(StrongLucasProbablePrime64(std::uint64_t(kLargestPrime)));
    EXPECT_FALSE(StrongLucasProbablePrime64(UINT64_MAX));
}

TEST(PrimeArithmetic, PrimalityAboveTwoToThe32AgreesWithASieve)
{
    // Windows of a plain sieve of the numbers (with the primes up to their
    // square root) at several heights above 2^32, where Baillie-PSW decides.
    const std::vector<std::uint32_t> small = [] {
        std::vector<std::uint32_t> out;
        const auto spf = SmallestFactorTable(3200000);
        for (std::uint32_t i = 2; i < spf.size(); ++i)
            if (spf[i] == i)
                out.push_back(i);
        return out;
    }();
    const std::uint64_t span = 200000;
    for (std::uint64_t lo : {UINT64_C(4294967296) - span / 2, UINT64_C(1) << 40, UINT64_C(1000000000000),
                             UINT64_C(10000000000000) - span}) {
        SCOPED_TRACE(lo);
        ASSERT_LE(lo + span, std::uint64_t(small.back()) * small.back());
        std::vector<bool> composite(span, false);
        for (std::uint32_t p : small) {
            if (std::uint64_t(p) * p >= lo + span)
                break;
            for (std::uint64_t m = std::max<std::uint64_t>((lo + p - 1) / p * p, std::uint64_t(p) * p); m < lo + span; m += p)
                composite[m - lo] = true;
        }
        int primes = 0;
        for (std::uint64_t i = 0; i < span; ++i) {
            const std::uint64_t n = lo + i;
            ASSERT_EQ(IsPrime64(std::int64_t(n)), !composite[i]) << n;
            primes += !composite[i];
        }
        EXPECT_GT(primes, 5000);
    }
}

TEST(PrimeArithmetic, PrimalityUpToTheTopAgreesWithTwelveStrongBases)
{
    // Where no sieve reaches: the strong tests to the first twelve primes,
    // which decide every number below 3.3 * 10^24.
    auto twelveBases = [](std::uint64_t n) {
        for (std::uint64_t p : {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37}) {
            if (n == p)
                return true;
            if (n % p == 0 || !StrongProbablePrime64(n, p))
                return false;
        }
        return true;
    };
    for (std::uint64_t lo : {UINT64_C(1) << 50, UINT64_C(4611686018427387904), UINT64_C(3825123056546413051) - 20000,
                             UINT64_C(9223372036854775807) - 40000}) {
        SCOPED_TRACE(lo);
        int primes = 0;
        for (std::uint64_t n = lo; n < lo + 40000 && n <= std::uint64_t(kTop); ++n) {
            const bool prime = twelveBases(n);
            ASSERT_EQ(IsPrime64(std::int64_t(n)), prime) << n;
            primes += prime;
        }
        EXPECT_GT(primes, 500);
    }
}

TEST(PrimeArithmetic, CarmichaelNumbersAboveTwoToThe32AreComposite)
{
    // Chernick's numbers (6k + 1)(12k + 1)(18k + 1) with three prime factors
    // are Carmichael numbers, and many are strong pseudoprimes to base 2.
    int strong = 0, tested = 0;
    for (std::uint64_t k = 1; k < 200000; ++k) {
        const std::uint64_t a = 6 * k + 1, b = 12 * k + 1, c = 18 * k + 1;
        const unsigned __int128 n = (unsigned __int128)(a)*b * c;
        if (n <= 4294967295u || n > (unsigned __int128)kTop)
            continue;
        if (!IsPrime64(std::int64_t(a)) || !IsPrime64(std::int64_t(b)) || !IsPrime64(std::int64_t(c)))
            continue;
        ++tested;
        ASSERT_FALSE(IsPrime64(std::int64_t(n))) << std::uint64_t(n);
        strong += StrongProbablePrime64(std::uint64_t(n), 2);
    }
    EXPECT_GT(tested, 50);
    EXPECT_GT(strong, 5);
}

TEST(PrimeArithmetic, WheelWalksOverTheNumbersPrimeToThirty)
{
    std::vector<std::uint64_t> walk;
    std::uint64_t b = 11;
    for (int i = WheelIndex(11); b < 1000; i = (i + 1) & 7) {
        walk.push_back(b);
        b += PrimeWheel[std::size_t(i)];
    }
    std::vector<std::uint64_t> expected;
    for (std::uint64_t n = 11; n < 1000; ++n)
        if (n % 2 && n % 3 && n % 5)
            expected.push_back(n);
    EXPECT_EQ(walk, expected);
    const int residues[] = {1, 7, 11, 13, 17, 19, 23, 29};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(WheelIndex(std::uint64_t(residues[i]) + 300), i);
    EXPECT_EQ(WheelIndex(35), -1);
}

TEST(PrimeArithmetic, SmallestFactorCases)
{
    struct Case {
        std::int64_t n, factor;
    };
    const Case cases[] = {
        {121, 11}, {169, 13}, {143, 11}, {13, 0}, {1000000007, 0}, {INT64_C(1) << 62, 2},
        {4294967297, 641}, {0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 2}, {5, 0}, {7, 0}, {11, 0}, {49, 7},
        {-15, 0}, {INT64_MIN, 0}, {kTop, 7}, {kLargestPrime, 0},
        {3037000499LL * 3037000499LL, 13}, {3037000493LL * 3037000493LL, 3037000493},
        {3037000493LL * 3037000453LL, 3037000453},
        {4294967291LL * 2147483647LL, 2147483647}, {999999999989LL * 9221, 9221},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(SmallestFactor64(c.n), c.factor);
    }
    EXPECT_EQ(TrialSmallestFactor64(4294967297), 641);
    EXPECT_EQ(TrialSmallestFactor64(121), 11);
}

TEST(PrimeArithmetic, FactorsOfChosenNumbers)
{
    using V = std::vector<std::int64_t>;
    struct Case {
        std::int64_t n;
        V factors;
    };
    const Case cases[] = {
        {1, {}}, {0, {}}, {-12, {}}, {2, {2}}, {97, {97}},
        {360, {2, 2, 2, 3, 3, 5}}, {1024, V(10, 2)}, {INT64_C(1) << 62, V(62, 2)},
        {kTop, {7, 7, 73, 127, 337, 92737, 649657}},
        {kTop - 1, {2, 3, 715827883, 2147483647}},
        {kLargestPrime, {kLargestPrime}},
        {3037000493LL * 3037000453LL, {3037000453, 3037000493}},
        {3037000493LL * 3037000493LL, {3037000493, 3037000493}},
        {3037000499LL * 3037000499LL, {13, 13, 233615423, 233615423}},
        {4294967291LL * 2147483647LL, {2147483647, 4294967291}},
        {1000003LL * 1000003LL * 1000003LL, {1000003, 1000003, 1000003}},
        {3825123056546413051, {149491, 747451, 34233211}},
        {999999999989LL * 9221, {9221, 999999999989}},
        {2147483647LL * 2147483647LL, {2147483647, 2147483647}},
        {1000000007LL * 998244353LL, {998244353, 1000000007}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(PrimeFactors(c.n), c.factors);
    }
    EXPECT_EQ(GroupFactors({2, 2, 2, 3, 3, 5}), (std::vector<TPrimePower>{{2, 3}, {3, 2}, {5, 1}}));
}

TEST(PrimeArithmetic, FactorsOfRandomNumbersMultiplyBackAndArePrime)
{
    std::mt19937_64 rng(7);
    std::uniform_int_distribution<std::int64_t> top(INT64_C(1) << 40, kTop);
    std::uniform_int_distribution<std::int64_t> half(INT64_C(1) << 29, INT64_C(3037000499));
    for (int i = 0; i < 400; ++i) {
        // Every other number a product of two primes of about 31 bits.
        std::int64_t n = top(rng);
        if (i % 2) {
            std::int64_t p = half(rng), q = half(rng);
            while (!IsPrime64(p))
                ++p;
            while (!IsPrime64(q))
                ++q;
            n = p * q;
            if (n < 0)
                continue;
        }
        SCOPED_TRACE(n);
        const auto f = PrimeFactors(n);
        ASSERT_TRUE(std::is_sorted(f.begin(), f.end()));
        ASSERT_EQ(Product(f), n);
        for (std::int64_t p : f)
            ASSERT_TRUE(IsPrime64(p)) << p;
        ASSERT_EQ(SmallestFactor64(n), f.size() > 1 ? f.front() : 0);
    }
}

TEST(PrimeArithmetic, FactoringReportsAndStopsWhenTheHookThrows)
{
    int reports = 0;
    const TPrimeHook stop = [&](const TPrimeReport& r) {
        EXPECT_EQ(r.Stage, TPrimeStage::Factoring);
        ++reports;
        throw EAbort();
    };
    // Two primes of 31 bits far apart: Fermat's steps miss them, Pollard-Brent reports.
    EXPECT_THROW(PrimeFactors(2147483647LL * 3037000493LL, stop), EAbort);
    EXPECT_EQ(reports, 1);
}

TEST(PrimeArithmetic, DivisorsOfChosenNumbers)
{
    using V = std::vector<std::int64_t>;
    struct Case {
        std::int64_t n;
        V divisors;
    };
    const Case cases[] = {
        {12, {1, 2, 3, 4, 6, 12}}, {16, {1, 2, 4, 8, 16}}, {15, {1, 3, 5, 15}}, {97, {1, 97}}, {1, {1}},
        {0, {}}, {-6, {}}, {36, {1, 2, 3, 4, 6, 9, 12, 18, 36}},
        {kLargestPrime, {1, kLargestPrime}},
        {3037000493LL * 3037000493LL, {1, 3037000493, 3037000493LL * 3037000493LL}},
        {3037000493LL * 3037000453LL, {1, 3037000453, 3037000493, 3037000493LL * 3037000453LL}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(Divisors(c.n), c.divisors);
    }
}

TEST(PrimeArithmetic, DivisorsUpToTheTopAreExactOnceEachAndInOrder)
{
    struct Case {
        std::int64_t n;
        std::size_t count;
    };
    const Case cases[] = {
        {kTop, 3 * 2 * 2 * 2 * 2 * 2},
        {kTop - 1, 16},
        {3037000499LL * 3037000499LL, 9},
        {963761198400, 6720},
        {897612484786617600, 103680},   // the most divisors below 2^63
        {INT64_C(1) << 62, 63},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        const auto d = Divisors(c.n);
        ASSERT_EQ(d.size(), c.count);
        EXPECT_EQ(d.front(), 1);
        EXPECT_EQ(d.back(), c.n);
        EXPECT_TRUE(std::adjacent_find(d.begin(), d.end(), std::greater_equal<>()) == d.end());
        for (std::int64_t v : d)
            ASSERT_EQ(c.n % v, 0) << v;
    }
}

TEST(PrimeArithmetic, CheckpointsAreInTheirOrderAndPrime)
{
    for (std::size_t i = 0; i < NthPrimeCheckpoints.size(); ++i) {
        EXPECT_TRUE(IsPrime64(NthPrimeCheckpoints[i].Prime)) << NthPrimeCheckpoints[i].K;
        if (i > 0) {
            EXPECT_LT(NthPrimeCheckpoints[i].K, NthPrimeCheckpoints[i - 1].K);
        }
    }
    EXPECT_EQ(NthPrimeCheckpoints.front().K, 203280221);
    EXPECT_EQ(NthPrimeCheckpoints.front().Prime, 4294967291);
    EXPECT_EQ(NthPrimeCheckpoints.back().Prime, 104723);
}

TEST(PrimeArithmetic, WholeSquareRoot)
{
    const std::uint64_t cases[][2] = {
        {0, 0}, {1, 1}, {3, 1}, {4, 2}, {99, 9}, {100, 10},
        {9223372030926249000ull, 3037000498ull}, {9223372030926249001ull, 3037000499ull},
        {UINT64_MAX, 4294967295ull}, {std::uint64_t(INT64_MAX), 3037000499ull},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ISqrt(c[0]), c[1]) << c[0];
}

} // namespace
