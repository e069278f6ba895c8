// Factoring of TPoliN (integer content, common monomial, differences of
// squares) and the simplification of a fraction of two of them.
#include "tools/polinomios/polin.h"

#include "engine/checked.h"
#include "engine/errors.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// Rounded to an integer when it fits 64 bits.
bool RoundedInt64(Extended x, std::int64_t& n)
{
    const Extended r = nearbyintl(x);
    if (!(fabsl(r) < 9223372036854775808.0L))
        return false;
    n = static_cast<std::int64_t>(r);
    return true;
}

// ---- 64-bit primes -------------------------------------------------------------
using u64 = std::uint64_t;
using u128 = unsigned __int128;

u64 MulMod(u64 a, u64 b, u64 m) { return static_cast<u64>(static_cast<u128>(a) * b % m); }

u64 PowMod(u64 b, u64 e, u64 m)
{
    u64 r = 1;
    b %= m;
    while (e) {
        if (e & 1)
            r = MulMod(r, b, m);
        b = MulMod(b, b, m);
        e >>= 1;
    }
    return r;
}

// Miller-Rabin with the bases that decide every 64-bit number.
bool IsPrime(u64 n)
{
    if (n < 2)
        return false;
    for (u64 p : {2ull, 3ull, 5ull, 7ull, 11ull, 13ull, 17ull, 19ull, 23ull, 29ull, 31ull, 37ull}) {
        if (n % p == 0)
            return n == p;
    }
    u64 d = n - 1;
    int s = 0;
    while ((d & 1) == 0) {
        d >>= 1;
        ++s;
    }
    for (u64 a : {2ull, 3ull, 5ull, 7ull, 11ull, 13ull, 17ull, 19ull, 23ull, 29ull, 31ull, 37ull}) {
        u64 x = PowMod(a, d, n);
        if (x == 1 || x == n - 1)
            continue;
        bool composite = true;
        for (int r = 1; r < s && composite; ++r) {
            x = MulMod(x, x, n);
            if (x == n - 1)
                composite = false;
        }
        if (composite)
            return false;
    }
    return true;
}

// A proper divisor of the odd composite n (Pollard's rho, Brent's cycle).
u64 RhoDivisor(u64 n)
{
    for (u64 c = 1;; ++c) {
        u64 y = 2, x = 2, g = 1, q = 1, ys = 2;
        const u64 m = 128;
        u64 r = 1;
        auto f = [&](u64 v) { return (MulMod(v, v, n) + c) % n; };
        do {
            x = y;
            for (u64 i = 0; i < r; ++i)
                y = f(y);
            u64 k = 0;
            do {
                ys = y;
                for (u64 i = 0; i < std::min(m, r - k); ++i) {
                    y = f(y);
                    q = MulMod(q, x > y ? x - y : y - x, n);
                }
                g = std::gcd(q, n);
                k += m;
            } while (k < r && g == 1);
            r *= 2;
        } while (g == 1);
        if (g == n) {
            do {
                ys = f(ys);
                g = std::gcd(x > ys ? x - ys : ys - x, n);
            } while (g == 1);
        }
        if (g != n)
            return g;
    }
}

void PrimeFactors(u64 n, std::vector<u64>& out)
{
    for (u64 p : {2ull, 3ull, 5ull, 7ull, 11ull, 13ull}) {
        while (n % p == 0) {
            out.push_back(p);
            n /= p;
        }
    }
    if (n == 1)
        return;
    if (IsPrime(n)) {
        out.push_back(n);
        return;
    }
    const u64 d = RhoDivisor(n);
    PrimeFactors(d, out);
    PrimeFactors(n / d, out);
}

TPoliN Monomial(const std::array<std::int16_t, kLetters>& exponents, Extended c)
{
    TPoliNTerm t;
    t.Exponents = exponents;
    t.Coefficient = c;
    TPoliN p;
    p.AddTerm(t);
    return p;
}

// The value of a polynomial without letters.
Extended ConstantOf(const TPoliN& p)
{
    for (const TPoliNTerm& t : p.Terms())
        if (t.Coefficient != 0)
            return t.Coefficient;
    return 0;
}

} // namespace

bool IsNearInteger(Extended x) { return fabsl(x - truncl(x)) < 1e-12L; }

std::int64_t IntegerGcd(Extended a, Extended b)
{
    std::int64_t x = 0, y = 0;
    if (!RoundedInt64(a, x) || !RoundedInt64(b, y))
        throw EPoliRange(QStringLiteral("El máximo común divisor necesita enteros de 64 bits"));
    while (y != 0) {
        const std::int64_t r = x % y;
        x = y;
        y = r;
    }
    return x;
}

std::vector<std::uint64_t> SplitIntoPrimes(std::uint64_t m)
{
    std::vector<u64> primes;
    if (m > 1)
        PrimeFactors(m, primes);
    std::sort(primes.begin(), primes.end());
    // Trial division stops at the rounded square root: a prime above it is
    // what remains; when none is, the remainder is 1.
    const u64 bound = static_cast<u64>(nearbyintl(sqrtl(static_cast<Extended>(m))));
    if (primes.empty() || primes.back() <= bound)
        primes.push_back(1);
    return primes;
}

void TPoliN::Factor(TPoliNArray& factors) const
{
    factors.clear();
    if (m_terms.empty())
        return;
    TPoliN w = CreateCopy(*this);

    // Integer content, from the first term with a coefficient other than 0:
    // a term that cancelled to 0 in a sum must not become the first divisor.
    std::int64_t g = 1;
    bool started = false;
    for (const TPoliNTerm& t : m_terms) {
        if (t.Coefficient == 0)
            continue;
        std::int64_t c = 0;
        if (!IsNearInteger(t.Coefficient) || !RoundedInt64(t.Coefficient, c)) {
            g = 1;
            break;
        }
        g = started ? IntegerGcd(t.Coefficient, static_cast<Extended>(g)) : c;
        started = true;
    }
    const u64 m = g < 0 ? static_cast<u64>(-g) : static_cast<u64>(g);
    if (m > 1) {
        for (TPoliNTerm& t : w.m_terms)
            t.Coefficient /= static_cast<Extended>(m);
        for (u64 p : SplitIntoPrimes(m))
            factors.push_back(CreateConst(static_cast<Extended>(p)));
    }

    // Common monomial: the smallest exponent of each letter that every term has.
    if (!w.m_terms.empty()) {
        std::array<std::int16_t, kLetters> low{};
        bool any = false;
        for (int k = 0; k < kLetters; ++k) {
            std::int16_t e = w.m_terms[0].Exponents[k];
            for (const TPoliNTerm& t : w.m_terms)
                e = std::min(e, t.Exponents[k]);
            low[k] = e > 0 ? e : std::int16_t(0);
            any = any || low[k] > 0;
        }
        if (any) {
            for (TPoliNTerm& t : w.m_terms)
                for (int k = 0; k < kLetters; ++k)
                    t.Exponents[k] = static_cast<std::int16_t>(t.Exponents[k] - low[k]);
            w.m_indexStale = true;
            factors.push_back(Monomial(low, 1));
        }
    }

    if (!w.DifferenceOfSquares(factors))
        factors.push_back(std::move(w));
}

bool TPoliN::DifferenceOfSquares(TPoliNArray& factors) const
{
    if (m_terms.size() != 2)
        return false;
    const TPoliNTerm& t1 = m_terms[0];
    const TPoliNTerm& t2 = m_terms[1];
    if ((t1.Coefficient > 0) == (t2.Coefficient > 0))
        return false;
    for (const TPoliNTerm* t : {&t1, &t2})
        for (std::int16_t e : t->Exponents)
            if (e % 2 != 0)
                return false;
    const Extended r1 = sqrtl(fabsl(t1.Coefficient)), r2 = sqrtl(fabsl(t2.Coefficient));
    if (!IsNearInteger(r1) || !IsNearInteger(r2))
        return false;
    std::array<std::int16_t, kLetters> h1{}, h2{};
    for (int k = 0; k < kLetters; ++k) {
        h1[k] = static_cast<std::int16_t>(t1.Exponents[k] / 2);
        h2[k] = static_cast<std::int16_t>(t2.Exponents[k] / 2);
    }
    TPoliN sum = Monomial(h1, r1);
    sum.Add(Monomial(h2, r2));
    TPoliN difference = Monomial(h1, t1.Coefficient > 0 ? r1 : -r1);
    difference.Add(Monomial(h2, t2.Coefficient > 0 ? r2 : -r2));
    TPoliNArray a, b;
    sum.Factor(a);
    difference.Factor(b);
    for (TPoliN& f : a)
        factors.push_back(std::move(f));
    for (TPoliN& f : b)
        factors.push_back(std::move(f));
    return true;
}

bool TPoliN::SimplifyFraction(const TPoliN& den, std::optional<TPoliN>& num, std::optional<TPoliN>& denOut) const
{
    denOut.reset();
    if (den.IsZero())
        throw EZeroDivide();
    if (IsZero()) {
        num.emplace();
        num->SetZero(true);
        return true;
    }
    TPoliNArray nf, df;
    Factor(nf);
    den.Factor(df);
    std::vector<bool> numGone(nf.size()), denGone(df.size());
    for (std::size_t i = 0; i < nf.size(); ++i)
        for (std::size_t j = 0; j < df.size(); ++j)
            if (!denGone[j] && nf[i].Equals(df[j])) {
                numGone[i] = denGone[j] = true;
                break;
            }
    auto product = [](const TPoliNArray& fs, const std::vector<bool>& gone, std::size_t& terms) {
        TPoliN p = CreateConst(1);
        bool any = false;
        for (std::size_t i = 0; i < fs.size(); ++i)
            if (!gone[i]) {
                p = p.Multiply(fs[i]);
                any = true;
            }
        terms = any ? p.NonZeroTermCount() : 0;
        return p;
    };
    std::size_t n = 0, d = 0;
    TPoliN num2 = product(nf, numGone, n);
    TPoliN den2 = product(df, denGone, d);

    if (d == 0) {
        num = n == 0 ? CreateConst(1) : std::move(num2);
        return true;
    }
    if (n == 0) {
        if (den2.LetterCount() > 0) {
            num = CreateConst(1);
            denOut = std::move(den2);
            return false;
        }
        num = CreateConst(checked::div(1, ConstantOf(den2)));
        return true;
    }
    if (d == 1) {
        if (num2.LetterCount() == 0 && den2.LetterCount() == 0)
            num = CreateConst(checked::div(ConstantOf(num2), ConstantOf(den2)));
        else
            num = DivideByMonomial(num2, CreateCopy(den2));
        return true;
    }
    num = std::move(num2);
    denOut = std::move(den2);
    return false;
}
