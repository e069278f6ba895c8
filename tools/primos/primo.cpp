#include "tools/primos/primo.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace primos {

using u64 = std::uint64_t;
using u128 = unsigned __int128;

int WheelIndex(u64 n)
{
    switch (n % 30) {
    case 1: return 0;
    case 7: return 1;
    case 11: return 2;
    case 13: return 3;
    case 17: return 4;
    case 19: return 5;
    case 23: return 6;
    case 29: return 7;
    default: return -1;
    }
}

const std::array<TNthPrimeCheckpoint, 19> NthPrimeCheckpoints{{
    {203280221, 4294967291},
    {15000000, 275604541},
    {10211212, 183449353},
    {7654321, 135165007},
    {3999999, 67867957},
    {2999999, 49979681},
    {1999999, 32452841},
    {999999, 15485857},
    {899999, 13834087},
    {799999, 12195251},
    {699999, 10570837},
    {599999, 8960447},
    {499999, 7368743},
    {399999, 5800057},
    {299999, 4256227},
    {199999, 2750131},
    {99999, 1299689},
    {59999, 746749},
    {9999, 104723},
}};

std::uint32_t MulMod32(std::uint32_t a, std::uint32_t b, std::uint32_t m)
{
    return std::uint32_t((std::uint64_t(a % m) * (b % m)) % m);
}

u64 MulMod64(u64 a, u64 b, u64 m) { return u64((u128(a % m) * (b % m)) % m); }

u64 PowMod64(u64 a, u64 e, u64 m)
{
    u64 result = 1 % m;
    a %= m;
    while (e) {
        if (e & 1)
            result = MulMod64(result, a, m);
        a = MulMod64(a, a, m);
        e >>= 1;
    }
    return result;
}

u64 ISqrt(u64 n)
{
    u64 r = u64(std::sqrt(static_cast<long double>(n)));
    while (r > 0 && u128(r) * r > n)
        --r;
    while (u128(r + 1) * (r + 1) <= n)
        ++r;
    return r;
}

namespace {

// Arithmetic modulo an odd n below 2^63 in Montgomery form (R = 2^64): a
// product costs two multiplications and no division.
class TMontgomery {
public:
    explicit TMontgomery(u64 n) : n_(n)
    {
        u64 inv = n; // correct to 3 bits for odd n; each step doubles them
        for (int i = 0; i < 5; ++i)
            inv *= 2 - n * inv;
        inv_ = inv;
        const u64 r1 = (0 - n) % n;        // 2^64 mod n
        r2_ = u64(u128(r1) * r1 % n);      // 2^128 mod n
        one_ = r1;
    }
    u64 Modulus() const { return n_; }
    u64 One() const { return one_; }
    u64 To(u64 a) const { return Mul(a % n_, r2_); }
    u64 From(u64 a) const { return Reduce(a); }
    u64 Mul(u64 a, u64 b) const { return Reduce(u128(a) * b); }
    u64 Add(u64 a, u64 b) const
    {
        const u64 s = a + b; // below 2^64: both are below n < 2^63
        return s >= n_ ? s - n_ : s;
    }
    u64 Sub(u64 a, u64 b) const { return a >= b ? a - b : a + (n_ - b); }
    u64 Neg(u64 a) const { return a == 0 ? 0 : n_ - a; }
    u64 Pow(u64 a, u64 e) const
    {
        u64 result = one_;
        while (e) {
            if (e & 1)
                result = Mul(result, a);
            a = Mul(a, a);
            e >>= 1;
        }
        return result;
    }

private:
    u64 Reduce(u128 t) const
    {
        const u64 m = u64(t) * inv_;
        const u64 hi = u64(t >> 64);
        const u64 mn = u64((u128(m) * n_) >> 64);
        return hi >= mn ? hi - mn : hi - mn + n_;
    }
    u64 n_, inv_, r2_, one_;
};

// The strong test of an odd n > 2 to a base prime to it, in Montgomery form.
bool StrongTest(const TMontgomery& mont, u64 base)
{
    const u64 n = mont.Modulus();
    u64 d = n - 1;
    int s = 0;
    while ((d & 1) == 0) {
        d >>= 1;
        ++s;
    }
    const u64 one = mont.One();
    const u64 minusOne = n - one;
    u64 x = mont.Pow(mont.To(base), d);
    if (x == one || x == minusOne)
        return true;
    for (int i = 1; i < s; ++i) {
        x = mont.Mul(x, x);
        if (x == minusOne)
            return true;
        if (x == one)
            return false;
    }
    return false;
}

// The primes below 1000, for trial division.
const std::vector<std::uint32_t>& SmallPrimes()
{
    static const std::vector<std::uint32_t> primes = [] {
        std::vector<std::uint32_t> out;
        for (std::uint32_t c = 2; c < 1000; ++c) {
            bool prime = true;
            for (std::uint32_t p : out) {
                if (p * p > c)
                    break;
                if (c % p == 0) {
                    prime = false;
                    break;
                }
            }
            if (prime)
                out.push_back(c);
        }
        return out;
    }();
    return primes;
}

// The Jacobi symbol (a / n) for odd n > 0.
int Jacobi(std::int64_t a, u64 n)
{
    u64 x = a < 0 ? n - (u64(-a) % n) : u64(a) % n;
    int result = 1;
    while (x != 0) {
        while ((x & 1) == 0) {
            x >>= 1;
            const u64 r = n & 7;
            if (r == 3 || r == 5)
                result = -result;
        }
        std::swap(x, n);
        if ((x & 3) == 3 && (n & 3) == 3)
            result = -result;
        x %= n;
    }
    return n == 1 ? result : 0;
}

// The strong Lucas probable-prime test of an odd n > 2 that is not a square,
// with Selfridge's parameters: D the first of 5, -7, 9, -11, ... with
// (D / n) = -1, P = 1, Q = (1 - D) / 4. Only V is carried: with
// n + 1 = d 2^s, U_d = 0 exactly when 2 V_{d+1} = P V_d (D is prime to n).
bool StrongLucasTest(const TMontgomery& mont)
{
    const u64 n = mont.Modulus();
    std::int64_t D = 5;
    for (;;) {
        const int j = Jacobi(D, n);
        if (j == -1)
            break;
        if (j == 0 && u64(D < 0 ? -D : D) != n)
            return false;   // D shares a factor with n
        D = D > 0 ? -(D + 2) : -D + 2;
    }
    const std::int64_t Qs = (1 - D) / 4;
    auto toMont = [&](std::int64_t v) {
        const u64 m = mont.To(u64(v < 0 ? -v : v));
        return v < 0 ? mont.Neg(m) : m;
    };
    const u64 Q = toMont(Qs);
    u64 d = n + 1;   // n < 2^63: no overflow
    int s = 0;
    while ((d & 1) == 0) {
        d >>= 1;
        ++s;
    }
    // The ladder (V_k, V_{k+1}, Q^k) from k = 0 along the bits of d.
    const u64 two = mont.Add(mont.One(), mont.One());
    u64 vk = two, vk1 = mont.One(), qk = mont.One();   // V_0 = 2, V_1 = P = 1
    for (int bit = 63 - __builtin_clzll(d); bit >= 0; --bit) {
        const u64 pq = qk;   // P Q^k with P = 1
        if ((d >> bit) & 1) {
            // k -> 2k + 1: V_{2k+1} = V_k V_{k+1} - P Q^k, V_{2k+2} = V_{k+1}^2 - 2 Q^{k+1}
            const u64 qk1 = mont.Mul(qk, Q);
            vk = mont.Sub(mont.Mul(vk, vk1), pq);
            vk1 = mont.Sub(mont.Mul(vk1, vk1), mont.Add(qk1, qk1));
            qk = mont.Mul(qk1, qk);
        } else {
            // k -> 2k: V_{2k} = V_k^2 - 2 Q^k, V_{2k+1} = V_k V_{k+1} - P Q^k
            vk1 = mont.Sub(mont.Mul(vk, vk1), pq);
            vk = mont.Sub(mont.Mul(vk, vk), mont.Add(qk, qk));
            qk = mont.Mul(qk, qk);
        }
    }
    // U_d = 0, or V_{d 2^r} = 0 for some r < s.
    if (mont.Add(vk1, vk1) == vk || vk == 0)
        return true;
    for (int r = 1; r < s; ++r) {
        vk = mont.Sub(mont.Mul(vk, vk), mont.Add(qk, qk));
        if (vk == 0)
            return true;
        qk = mont.Mul(qk, qk);
    }
    return false;
}

// Primality of an odd n above 10^6 with no prime factor below 59, by the
// Baillie-PSW test: a strong test to base 2 and a strong Lucas test. No
// composite below 2^64 passes both (the base-2 pseudoprimes below 2^64 have
// all been listed and checked).
bool BailliePSW(u64 n)
{
    const TMontgomery mont(n);
    if (!StrongTest(mont, 2))
        return false;
    const u64 r = ISqrt(n);
    if (r * r == n)
        return false;
    return StrongLucasTest(mont);
}

// Whether an odd prime below 59 divides n, by multiplying with its inverse
// modulo 2^64: n is a multiple of p exactly when n p^-1 mod 2^64 is at most
// (2^64 - 1) / p.
constexpr std::uint32_t kTrialPrimes[] = {3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43, 47, 53};
struct TDivisibility {
    u64 Inverse, Limit;
};
constexpr std::array<TDivisibility, std::size(kTrialPrimes)> kDivisibility = [] {
    std::array<TDivisibility, std::size(kTrialPrimes)> out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const u64 p = kTrialPrimes[i];
        u64 inv = p;
        for (int k = 0; k < 5; ++k)
            inv *= 2 - p * inv;
        out[i] = {inv, UINT64_MAX / p};
    }
    return out;
}();

bool HasSmallOddFactor(u64 n)
{
    for (const TDivisibility& d : kDivisibility)
        if (n * d.Inverse <= d.Limit)
            return true;
    return false;
}

// Primality of an odd n with no prime factor below 1000 (so n > 10^6 unless
// prime).
bool IsPrimeWithoutSmallFactors(u64 n)
{
    if (n < 1000000)
        return n > 1;
    return BailliePSW(n);
}

// Calls the hook every `every` steps.
class TStepCounter {
public:
    TStepCounter(const TPrimeHook& hook, std::uint32_t every) : hook_(hook), every_(every) {}
    void Step(std::uint32_t steps = 1)
    {
        count_ += steps;
        if (count_ >= every_) {
            count_ = 0;
            if (hook_)
                hook_(TPrimeReport{TPrimeStage::Factoring, -1, 0, 0});
        }
    }

private:
    const TPrimeHook& hook_;
    std::uint32_t every_;
    std::uint32_t count_ = 0;
};

// A factor of a composite n found by Fermat's method when two factors lie
// close to the square root; 0 when none is found in a few steps.
u64 FermatFactor(u64 n, TStepCounter& steps)
{
    u64 a = ISqrt(n);
    if (u128(a) * a == n)
        return a;
    ++a;
    for (int i = 0; i < 256; ++i, ++a) {
        steps.Step();
        const u64 b2 = u64(u128(a) * a - n);
        const u64 b = ISqrt(b2);
        if (b * b == b2)
            return a - b;
    }
    return 0;
}

// A proper factor of the odd composite n (no factor below 1000) by
// Pollard-Brent, or n when the polynomial of this c fails.
u64 BrentFactor(u64 n, u64 c, TStepCounter& steps)
{
    const TMontgomery mont(n);
    const u64 cm = mont.To(c);
    auto f = [&](u64 v) { return mont.Add(mont.Mul(v, v), cm); };
    constexpr u64 batch = 128;
    u64 y = mont.To(2), x = y, ys = y, q = mont.One(), g = 1;
    for (u64 r = 1; g == 1; r <<= 1) {
        x = y;
        for (u64 i = 0; i < r; ++i)
            y = f(y);
        for (u64 k = 0; k < r && g == 1; k += batch) {
            ys = y;
            const u64 m = std::min(batch, r - k);
            for (u64 i = 0; i < m; ++i) {
                y = f(y);
                q = mont.Mul(q, x > y ? x - y : y - x);
            }
            steps.Step(std::uint32_t(m));
            g = std::gcd(q, n);
        }
    }
    if (g == n) {
        // The batch overshot: step again one at a time from its start.
        do {
            ys = f(ys);
            g = std::gcd(x > ys ? x - ys : ys - x, n);
        } while (g == 1);
    }
    return g;
}

// Appends the prime factors of m (odd, no factor below 1000) unsorted.
void SplitFactors(u64 m, std::vector<std::int64_t>& out, TStepCounter& steps)
{
    if (m == 1)
        return;
    if (IsPrimeWithoutSmallFactors(m)) {
        out.push_back(std::int64_t(m));
        return;
    }
    u64 d = FermatFactor(m, steps);
    for (u64 c = 1; d == 0 || d == m; ++c)
        d = BrentFactor(m, c, steps);
    SplitFactors(d, out, steps);
    SplitFactors(m / d, out, steps);
}

} // namespace

namespace {

// The strong probable-prime test of n to the base a over one word size.
template <class U, class MulMod>
bool StrongProbable(U n, U a, MulMod mulMod)
{
    if (std::min(n, a) < 2)
        return false;
    if (n == 2)
        return true;
    if ((n & 1) == 0)
        return false;
    U d = n - 1;
    int s = 0;
    while ((d & 1) == 0) {
        d >>= 1;
        ++s;
    }
    // x := a^d mod n, reading the bits of d from the lowest.
    U x = 1;
    U b = a % n;
    for (U e = d; e; e >>= 1) {
        if (e & 1)
            x = mulMod(x, b, n);
        b = mulMod(b, b, n);
    }
    if (x == 1 || x == n - 1)
        return true;
    for (int i = 1; i < s; ++i) {
        x = mulMod(x, x, n);
        if (x == n - 1)
            return true;
    }
    return false;
}

} // namespace

bool StrongProbablePrime32(std::uint32_t n, std::uint32_t a) { return StrongProbable(n, a, MulMod32); }

bool StrongProbablePrime64(u64 n, u64 a) { return StrongProbable(n, a, MulMod64); }

bool StrongLucasProbablePrime64(u64 n)
{
    if (n < 2 || n > u64(kMaxNumber))
        return false;
    if (n == 2)
        return true;
    if ((n & 1) == 0)
        return false;
    const u64 r = ISqrt(n);
    if (r * r == n)
        return false;
    return StrongLucasTest(TMontgomery(n));
}

bool IsPrime32(std::uint32_t n)
{
    if (n < 2)
        return false;
    if (n == 2 || n == 7 || n == 61)
        return true;
    for (std::uint32_t p : {2u, 3u, 5u, 7u, 11u, 13u, 17u, 19u, 23u}) {
        if (p >= n)
            return true; // n is one of the small primes
        if (n % p == 0)
            return false;
    }
    return StrongProbablePrime32(n, 2) && StrongProbablePrime32(n, 7) && StrongProbablePrime32(n, 61);
}

bool IsPrime64(std::int64_t n)
{
    if (n < 2)
        return false;
    if (n <= INT64_C(0xFFFFFFFF))
        return IsPrime32(std::uint32_t(n));
    if ((n & 1) == 0 || HasSmallOddFactor(u64(n)))
        return false;
    return BailliePSW(u64(n));
}

std::vector<std::int64_t> PrimeFactors(std::int64_t n, const TPrimeHook& hook)
{
    std::vector<std::int64_t> out;
    if (n < 2)
        return out;
    u64 m = u64(n);
    for (std::uint32_t p : SmallPrimes()) {
        if (u64(p) * p > m)
            break;
        while (m % p == 0) {
            out.push_back(p);
            m /= p;
        }
    }
    if (m < 1000000) {
        // No factor below 1000 is left: what remains is 1 or a prime.
        if (m > 1)
            out.push_back(std::int64_t(m));
        return out;
    }
    TStepCounter steps(hook, 1u << 14);
    SplitFactors(m, out, steps);
    std::sort(out.begin(), out.end());
    return out;
}

std::int64_t SmallestFactor64(std::int64_t n, const TPrimeHook& hook)
{
    if (n < 4)
        return 0;
    for (std::uint32_t p : SmallPrimes()) {
        if (std::int64_t(p) * p > n)
            return 0;
        if (n % p == 0)
            return p;
    }
    if (IsPrime64(n))
        return 0;
    return PrimeFactors(n, hook).front();
}

std::int64_t TrialSmallestFactor64(std::int64_t n)
{
    if (n < 4 || n == 5 || n == 7 || n == 11)
        return 0;
    for (std::int64_t p : {2, 3, 5, 7})
        if (n % p == 0)
            return p;
    const u64 r = ISqrt(u64(n));
    u64 b = 11;
    for (int i = 2;; i = (i + 1) & 7) {
        if (b > r)
            return 0;
        if (u64(n) % b == 0)
            return std::int64_t(b);
        b += PrimeWheel[std::size_t(i)];
    }
}

std::vector<TPrimePower> GroupFactors(const std::vector<std::int64_t>& factors)
{
    std::vector<TPrimePower> out;
    for (std::int64_t f : factors) {
        if (!out.empty() && out.back().Prime == f)
            ++out.back().Exponent;
        else
            out.push_back({f, 1});
    }
    return out;
}

std::vector<std::int64_t> Divisors(std::int64_t n, const TPrimeHook& hook)
{
    std::vector<std::int64_t> out;
    if (n < 1)
        return out;
    out.push_back(1);
    for (const TPrimePower& pp : GroupFactors(PrimeFactors(n, hook))) {
        // Every divisor so far times each power of this prime: the products
        // divide n, so none overflows.
        const std::size_t before = out.size();
        std::int64_t power = 1;
        for (int e = 1; e <= pp.Exponent; ++e) {
            power *= pp.Prime;
            for (std::size_t i = 0; i < before; ++i)
                out.push_back(out[i] * power);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace primos
