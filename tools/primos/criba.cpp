#include "tools/primos/criba.h"

#include <algorithm>
#include <cmath>

namespace primos {

using u64 = std::uint64_t;

namespace {

// The sieving primes go up to 2^22; ranges above 2^44 leave numbers that
// the primality test decides.
constexpr u64 kBaseLimit = u64(1) << 22;

} // namespace

std::vector<std::uint32_t> OddPrimesUpTo(std::uint32_t limit)
{
    std::vector<std::uint32_t> out;
    if (limit < 3)
        return out;
    // flags[i] stands for 2i + 1.
    std::vector<std::uint8_t> flags(limit / 2 + 1, 1);
    for (u64 i = 1; (2 * i + 1) * (2 * i + 1) <= limit; ++i)
        if (flags[i])
            for (u64 j = (2 * i + 1) * (2 * i + 1) / 2; j < flags.size(); j += 2 * i + 1)
                flags[j] = 0;
    for (u64 i = 1; i < flags.size(); ++i)
        if (flags[i] && 2 * i + 1 <= limit)
            out.push_back(std::uint32_t(2 * i + 1));
    return out;
}

TPrimeSieve::TPrimeSieve(std::int64_t lo, std::int64_t hi)
    : lo_(u64(std::max<std::int64_t>(lo, 0))), hi_(u64(std::max<std::int64_t>(hi, 0)))
{
    if (hi < 2 || lo > hi) {
        done_ = true;
        next_ = hi_ + 1;
        return;
    }
    emitTwo_ = lo_ <= 2;
    next_ = std::max<u64>(lo_, 3) | 1;
    const u64 root = ISqrt(hi_);
    const u64 limit = std::min(root, kBaseLimit);
    complete_ = root <= kBaseLimit;
    base_ = OddPrimesUpTo(std::uint32_t(limit));
    multiple_.resize(base_.size());
    for (std::size_t i = 0; i < base_.size(); ++i) {
        const u64 p = base_[i];
        u64 m = (next_ + p - 1) / p * p;
        if ((m & 1) == 0)
            m += p;
        multiple_[i] = std::max(m, p * p);
    }
}

bool TPrimeSieve::SieveSegment()
{
    if (next_ > hi_)
        return false;
    segLo_ = next_;
    const u64 segEnd = std::min(hi_, segLo_ + kSpan - 1);
    segLen_ = std::size_t((segEnd - segLo_) / 2 + 1);
    seg_.assign(segLen_, 1);
    std::uint8_t* s = seg_.data();
    for (std::size_t i = 0; i < base_.size(); ++i) {
        const u64 m = multiple_[i];
        if (m > segEnd) {
            // Every later prime starts at its square, further still.
            if (u64(base_[i]) * base_[i] > segEnd)
                break;
            continue;
        }
        const u64 p = base_[i];
        u64 j = (m - segLo_) / 2;
        for (; j < segLen_; j += p)
            s[j] = 0;
        multiple_[i] = segLo_ + 2 * j;
    }
    if (segLo_ == 1)
        s[0] = 0;
    if (!complete_) {
        // Above the square of the last sieving prime a number left standing
        // may still be the product of two larger primes.
        const u64 covered = kBaseLimit * kBaseLimit;
        for (std::size_t j = 0; j < segLen_; ++j) {
            const u64 v = segLo_ + 2 * j;
            if (s[j] && v > covered && !IsPrime64(std::int64_t(v)))
                s[j] = 0;
        }
    }
    next_ = segLo_ + 2 * u64(segLen_);
    return true;
}

bool TPrimeSieve::Next(std::vector<std::int64_t>& out)
{
    out.clear();
    if (done_)
        return false;
    if (emitTwo_) {
        out.push_back(2);
        emitTwo_ = false;
    }
    if (!SieveSegment()) {
        done_ = true;
        return !out.empty();
    }
    for (std::size_t j = 0; j < segLen_; ++j)
        if (seg_[j])
            out.push_back(std::int64_t(segLo_ + 2 * j));
    if (next_ > hi_)
        done_ = true;
    return true;
}

bool TPrimeSieve::NextCount(u64& count)
{
    count = 0;
    if (done_)
        return false;
    if (emitTwo_) {
        count = 1;
        emitTwo_ = false;
    }
    if (!SieveSegment()) {
        done_ = true;
        return count > 0;
    }
    for (std::size_t j = 0; j < segLen_; ++j)
        count += seg_[j];
    if (next_ > hi_)
        done_ = true;
    return true;
}

// ---------------------------------------------------------------------------
// Counting

namespace {

// pi(x) for 2 <= x < 2^53 by Lucy's recurrence: S(v) counts the numbers of
// [2, v] not struck out by the primes below p; striking by p removes
// S(v / p) - S(p - 1) from S(v) for every v >= p^2. Only the values
// v = x / k are needed: `small` holds S(v) for v <= r, `large` S(x / k).
std::int64_t LucyCount(std::int64_t xs, const TPrimeHook& hook)
{
    const u64 x = u64(xs);
    const u64 r = ISqrt(x);
    std::vector<std::int64_t> small(r + 1), large(r + 1);
    for (u64 i = 1; i <= r; ++i) {
        small[i] = std::int64_t(i) - 1;
        large[i] = std::int64_t(x / i) - 1;
    }
    // The work of each prime, for the progress reports.
    const std::vector<std::uint32_t> primes = OddPrimesUpTo(std::uint32_t(r));
    auto work = [&](u64 p) {
        const u64 p2 = p * p;
        return std::min(r, x / p2) + (p2 <= r ? r - p2 + 1 : 0);
    };
    double total = r >= 2 ? double(work(2)) : 1;
    for (std::uint32_t p : primes)
        total += double(work(p));
    double done = 0, reported = 0;
    const double dx = double(x);
    for (u64 p = 2; p <= r; ++p) {
        if (small[p] == small[p - 1])
            continue;
        const std::int64_t sp = small[p - 1];
        const u64 p2 = p * p;
        const u64 end = std::min(r, x / p2);
        const u64 direct = std::min(end, r / p);
        for (u64 i = 1; i <= direct; ++i)
            large[i] -= large[i * p] - sp;
        for (u64 i = direct + 1; i <= end; ++i) {
            // x / (i p) by a double division: exact below 2^53.
            const u64 q = u64(dx / double(i * p));
            large[i] -= small[q] - sp;
        }
        const std::uint32_t p32 = std::uint32_t(p);
        for (u64 i = r; i >= p2; --i)
            small[i] -= small[std::uint32_t(i) / p32] - sp;
        done += double(work(p));
        if (hook && done - reported > 65536) {
            reported = done;
            hook(TPrimeReport{TPrimeStage::Counting, done / total, 0, std::int64_t(p)});
        }
    }
    return large[1];
}

// Counts of primes at known bounds: pi(10^k).
struct TKnownCount {
    std::int64_t X, Count;
};
constexpr TKnownCount kKnownCounts[] = {
    {INT64_C(10000000000000), INT64_C(346065536839)},
    {INT64_C(100000000000000), INT64_C(3204941750802)},
    {INT64_C(1000000000000000), INT64_C(29844570422669)},
    {INT64_C(10000000000000000), INT64_C(279238341033925)},
    {INT64_C(100000000000000000), INT64_C(2623557157654233)},
    {INT64_C(1000000000000000000), INT64_C(24739954287740860)},
};

// How many primes lie in [a, b] (2 <= a <= b) by sieving.
std::int64_t SieveCount(std::int64_t a, std::int64_t b, const TPrimeHook& hook)
{
    TPrimeSieve sieve(a, b);
    std::int64_t total = 0;
    u64 c = 0;
    const double range = double(b - a) + 1;
    while (sieve.NextCount(c)) {
        total += std::int64_t(c);
        if (hook)
            hook(TPrimeReport{TPrimeStage::Listing, double(sieve.Position() - u64(a)) / range, total,
                              std::int64_t(std::min<u64>(sieve.Position(), u64(kMaxNumber)))});
    }
    return total;
}

} // namespace

std::int64_t CountPrimesUpTo(std::int64_t x, const TPrimeHook& hook)
{
    if (x < 2)
        return 0;
    if (x < 100000)
        return SieveCount(2, x, {});
    if (x <= kCountingLimit)
        return LucyCount(x, hook);
    // From the nearest known count below, by sieving.
    std::int64_t from = kCountingLimit, count = -1;
    for (const TKnownCount& k : kKnownCounts)
        if (k.X <= x) {
            from = k.X;
            count = k.Count;
        }
    if (count < 0)
        count = LucyCount(from, hook);
    return count + SieveCount(from + 1, x, hook);
}

std::int64_t CountPrimes(std::int64_t a, std::int64_t b, const TPrimeHook& hook)
{
    a = std::max<std::int64_t>(a, 2);
    if (b < a)
        return 0;
    if (b - a < (std::int64_t(1) << 26))
        return SieveCount(a, b, hook);
    return CountPrimesUpTo(b, hook) - CountPrimesUpTo(a - 1, hook);
}

// ---------------------------------------------------------------------------
// The n-th prime

namespace {

// The logarithmic integral li(x), x > 1, by Ramanujan's series.
long double LogIntegral(long double x)
{
    const long double gamma = 0.5772156649015328606065120900824024L;
    const long double L = std::log(x);
    long double sum = 0, term = 1, inner = 0;
    for (int n = 1; n < 200; ++n) {
        term *= L / n;              // L^n / n!
        if ((n - 1) % 2 == 0)
            inner += 1.0L / n;      // 1/1 + 1/3 + ... + 1/(2k+1), 2k + 1 <= n
        const long double t = (n % 2 ? 1 : -1) * term / std::ldexp(1.0L, n - 1) * inner;
        sum += t;
        if (n > L && std::fabs(t) < 1e-19L * std::fabs(sum))
            break;
    }
    return gamma + std::log(L) + std::sqrt(x) * sum;
}

// Close to the n-th prime (n >= 6): the inverse of li by Newton's steps
// from Cipolla's estimate.
std::int64_t EstimateNthPrime(std::int64_t n)
{
    const long double nn = static_cast<long double>(n);
    const long double ln = std::log(nn), lnln = std::log(ln);
    long double x = nn * (ln + lnln - 1 + (lnln - 2) / ln);
    for (int i = 0; i < 8; ++i) {
        const long double next = x - (LogIntegral(x) - nn) * std::log(x);
        if (!(next > 2))
            break;
        x = next;
    }
    if (!(x < static_cast<long double>(kMaxNumber)))
        return kMaxNumber;
    return std::max<std::int64_t>(std::int64_t(x), 13);
}

// From the count of primes up to x (count = pi(x)) to the n-th prime.
std::int64_t WalkToNthPrime(std::int64_t n, std::int64_t x, std::int64_t count, const TPrimeHook& hook)
{
    const std::int64_t count0 = count;
    const double span = std::fabs(double(n - count0)) + 1;
    std::vector<std::int64_t> batch;
    if (count >= n) {
        // Downward: the n-th prime is at most x.
        std::int64_t hi = x;
        for (;;) {
            const std::int64_t lo = std::max<std::int64_t>(2, hi - std::int64_t(TPrimeSieve::kSpan) + 1);
            std::vector<std::int64_t> primes, part;
            TPrimeSieve sieve(lo, hi);
            while (sieve.Next(part))
                primes.insert(primes.end(), part.begin(), part.end());
            const std::int64_t c = std::int64_t(primes.size());
            if (count - c < n)
                return primes[std::size_t(n - (count - c) - 1)];
            count -= c;
            hi = lo - 1;
            if (hook)
                hook(TPrimeReport{TPrimeStage::Walking, double(count0 - count) / span, count, hi});
        }
    }
    TPrimeSieve sieve(x + 1, kMaxNumber);
    while (sieve.Next(batch)) {
        const std::int64_t c = std::int64_t(batch.size());
        if (count + c >= n)
            return batch[std::size_t(n - count - 1)];
        count += c;
        if (hook)
            hook(TPrimeReport{TPrimeStage::Walking, double(count - count0) / span, count,
                              std::int64_t(std::min<u64>(sieve.Position(), u64(kMaxNumber)))});
    }
    return 0; // not reached below kMaxNthPrime
}

} // namespace

std::int64_t NthPrime(std::int64_t n, const TPrimeHook& hook)
{
    if (n < 1 || n > kMaxNthPrime)
        return 0;
    constexpr std::int64_t first[] = {2, 3, 5, 7, 11};
    if (n <= 5)
        return first[n - 1];
    for (const TNthPrimeCheckpoint& cp : NthPrimeCheckpoints)
        if (cp.K == n)
            return cp.Prime;
    const std::int64_t x = EstimateNthPrime(n);
    if (x <= kCountingLimit)
        return WalkToNthPrime(n, x, LucyCount(x, hook), hook);
    // Beyond the counting recurrence: up from the largest known count below n.
    std::int64_t from = 0, count = 0;
    for (const TKnownCount& k : kKnownCounts)
        if (k.Count < n) {
            from = k.X;
            count = k.Count;
        }
    if (from == 0) {
        from = kCountingLimit;
        count = LucyCount(from, hook);
    }
    return WalkToNthPrime(n, from, count, hook);
}

void ListPrimes(std::int64_t lo, std::int64_t hi,
                const std::function<void(const std::vector<std::int64_t>&)>& onBatch, const TPrimeHook& hook)
{
    TPrimeSieve sieve(lo, hi);
    std::vector<std::int64_t> batch;
    const double range = hi > lo ? double(hi) - double(lo) : 1;
    while (sieve.Next(batch)) {
        if (!batch.empty())
            onBatch(batch);
        if (hook) {
            const std::int64_t c = std::int64_t(std::min<u64>(sieve.Position(), u64(kMaxNumber)));
            hook(TPrimeReport{TPrimeStage::Listing, std::min(1.0, (double(c) - double(lo)) / range), 0, c});
        }
    }
}

} // namespace primos
