#include "tools/matrices/exactmatrix.h"

#include "engine/formatonum.h"
#include "tools/matrices/matrizp.h"

#include <gmpxx.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

QString Digits(const mpz_class& z) { return QString::fromLatin1(z.get_str(10)); }

// A whole number below 2^64 in magnitude, exactly.
Extended SmallToExtended(const mpz_class& z)
{
    const Extended magnitude = static_cast<Extended>(mpz_getlimbn(z.get_mpz_t(), 0));
    return sgn(z) < 0 ? -magnitude : magnitude;
}

// n / d rounded once to 80 bits (round half to even); d > 0.
Extended RatioToExtended(const mpz_class& n, const mpz_class& d)
{
    if (sgn(n) == 0)
        return 0;
    const mpz_class an = abs(n);
    if (mpz_sizeinbase(an.get_mpz_t(), 2) <= 64 && mpz_sizeinbase(d.get_mpz_t(), 2) <= 64) {
        const Extended v = SmallToExtended(an) / SmallToExtended(d);
        return sgn(n) < 0 ? -v : v;
    }
    // q = an·2^k / d with 66 bits: 64 of the result, a guard bit and a
    // rounding bit, with the remainder as the sticky bit.
    const long k = 66 + long(mpz_sizeinbase(d.get_mpz_t(), 2)) - long(mpz_sizeinbase(an.get_mpz_t(), 2));
    mpz_class num = an, den = d;
    if (k >= 0)
        num <<= mp_bitcnt_t(k);
    else
        den <<= mp_bitcnt_t(-k);
    mpz_class q, r;
    mpz_tdiv_qr(q.get_mpz_t(), r.get_mpz_t(), num.get_mpz_t(), den.get_mpz_t());
    const bool sticky = sgn(r) != 0;
    long shift = long(mpz_sizeinbase(q.get_mpz_t(), 2)) - 64;   // bits below the 64 kept
    mpz_class top = q >> mp_bitcnt_t(shift);
    const mpz_class below = q - (top << mp_bitcnt_t(shift));
    const mpz_class half = mpz_class(1) << mp_bitcnt_t(shift - 1);
    if (below > half || (below == half && (sticky || mpz_odd_p(top.get_mpz_t()))))
        ++top;
    if (mpz_sizeinbase(top.get_mpz_t(), 2) > 64) {
        top >>= 1;
        ++shift;
    }
    const Extended v = std::ldexp(SmallToExtended(top), int(shift - k));
    return sgn(n) < 0 ? -v : v;
}

// The exact whole number of an 80-bit whole number.
mpz_class WholeFromExtended(Extended x)
{
    int e = 0;
    const Extended f = std::frexp(std::fabs(x), &e);   // |x| = f·2^e, f in [1/2, 1)
    if (f == 0)
        return 0;
    const std::uint64_t mantissa = std::uint64_t(std::ldexp(f, 64));
    mpz_class z;
    mpz_import(z.get_mpz_t(), 1, -1, sizeof mantissa, 0, 0, &mantissa);
    if (e >= 64)
        z <<= mp_bitcnt_t(e - 64);
    else
        z >>= mp_bitcnt_t(64 - e);   // whole: the bits shifted out are zero
    return x < 0 ? mpz_class(-z) : z;
}

mpq_class RationalFromExtended(Extended x)
{
    if (x == std::trunc(x))
        return mpq_class(WholeFromExtended(x));
    // |x| = m / 2^s exactly; its continued fraction's convergents h / k,
    // until one gives x back.
    int e = 0;
    const Extended f = std::frexp(std::fabs(x), &e);
    const std::uint64_t mantissa = std::uint64_t(std::ldexp(f, 64));
    mpz_class a;
    mpz_import(a.get_mpz_t(), 1, -1, sizeof mantissa, 0, 0, &mantissa);
    mpz_class b = mpz_class(1) << mp_bitcnt_t(64 - e);   // e < 64: x is not whole
    const Extended target = std::fabs(x);
    mpz_class h1 = 1, h2 = 0, k1 = 0, k2 = 1, q, r;
    while (sgn(b) != 0) {
        mpz_tdiv_qr(q.get_mpz_t(), r.get_mpz_t(), a.get_mpz_t(), b.get_mpz_t());
        mpz_class h = q * h1 + h2, k = q * k1 + k2;
        h2 = h1;
        h1 = h;
        k2 = k1;
        k1 = k;
        if (RatioToExtended(h1, k1) == target)
            break;
        a = b;
        b = r;
    }
    mpq_class v(h1, k1);
    v.canonicalize();
    return x < 0 ? mpq_class(-v) : v;
}

TExactNumber ToExact(const mpq_class& v)
{
    TExactNumber out;
    out.Num = Digits(v.get_num());
    out.Den = Digits(v.get_den());
    out.Value = RatioToExtended(v.get_num(), v.get_den());
    return out;
}

TExactNumber ToExact(const mpz_class& v)
{
    TExactNumber out;
    out.Num = Digits(v);
    out.Value = RatioToExtended(v, 1);
    return out;
}

using Int128 = __int128;

// A whole-number matrix, column by column: in 128-bit words when every minor
// is below 2^60 in magnitude (so that the product of two fits), else in
// GMP's numbers.
struct TWholeMatrix {
    int Cols = 0, Rows = 0;
    bool Small = false;
    std::vector<Int128> SmallCells;
    std::vector<mpz_class> Cells;

    std::size_t Index(int c, int r) const { return std::size_t(c - 1) * std::size_t(Rows) + std::size_t(r - 1); }
    mpz_class Get(int c, int r) const;
};

mpz_class FromInt128(Int128 v)
{
    const bool negative = v < 0;
    const unsigned __int128 a = negative ? -static_cast<unsigned __int128>(v) : static_cast<unsigned __int128>(v);
    const std::uint64_t words[2] = {std::uint64_t(a), std::uint64_t(a >> 64)};
    mpz_class z;
    mpz_import(z.get_mpz_t(), 2, -1, sizeof words[0], 0, 0, words);
    return negative ? mpz_class(-z) : z;
}

mpz_class TWholeMatrix::Get(int c, int r) const { return Small ? FromInt128(SmallCells[Index(c, r)]) : Cells[Index(c, r)]; }

// Every minor is at most the product of the lengths of the rows (Hadamard's
// bound): whole cells below 2^60 whose bound is below 2^60 go to 128 bits.
bool ToSmall(const std::vector<Extended>& cells, TWholeMatrix& m)
{
    constexpr Extended kLimit = 1152921504606846976.0L;   // 2^60
    Extended logBound = 0;
    for (int r = 1; r <= m.Rows; ++r) {
        Extended squares = 0;
        for (int c = 1; c <= m.Cols; ++c) {
            const Extended x = cells[m.Index(c, r)];
            if (!(std::fabs(x) < kLimit) || x != std::trunc(x))
                return false;
            squares += x * x;
        }
        logBound += std::log2(std::max<Extended>(squares, 1)) / 2;
    }
    if (logBound >= 59)
        return false;
    m.Small = true;
    m.SmallCells.resize(cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i)
        m.SmallCells[i] = Int128(std::llround(cells[i]));
    return true;
}

// The cells read as fractions, each row times the least common multiple of
// its denominators; `scale` receives the multipliers.
TWholeMatrix ToWhole(const std::vector<Extended>& cells, int cols, int rows, std::vector<mpz_class>* scale = nullptr)
{
    TWholeMatrix m;
    m.Cols = cols;
    m.Rows = rows;
    if (scale)
        scale->assign(std::size_t(rows), 1);
    if (ToSmall(cells, m))
        return m;
    m.Cells.resize(std::size_t(cols) * std::size_t(rows));
    std::vector<mpq_class> row(static_cast<std::size_t>(cols));
    for (int r = 1; r <= rows; ++r) {
        mpz_class lcm = 1;
        for (int c = 1; c <= cols; ++c) {
            mpq_class& v = row[std::size_t(c - 1)];
            v = RationalFromExtended(cells[m.Index(c, r)]);
            if (v.get_den() != 1)
                mpz_lcm(lcm.get_mpz_t(), lcm.get_mpz_t(), v.get_den().get_mpz_t());
        }
        for (int c = 1; c <= cols; ++c) {
            const mpq_class& v = row[std::size_t(c - 1)];
            m.Cells[m.Index(c, r)] = v.get_num() * (lcm / v.get_den());
        }
        if (scale)
            (*scale)[std::size_t(r - 1)] = lcm;
    }
    return m;
}

// Bareiss' elimination with pivots in the first `pivotCols` columns. The
// pivot of each step is the first nonzero cell in its column from the
// current row down; a column without one is passed over. `jordan` also
// clears the cells above the pivots, leaving every pivot equal to the
// determinant of the pivot block. Returns the sign of the row exchanges and
// the number of pivots found.
struct TEliminated {
    int Sign = 1;
    int Pivots = 0;
};

// The elimination over one kind of whole number T: `update(x, p, q, y,
// previous, unit)` makes x := (p·x − q·y) / previous (unit: previous is 1;
// y is null when it is zero).
template <class T, class Update>
TEliminated BareissOver(std::vector<T>& cells, int cols, int rows, int pivotCols, bool jordan, Update update)
{
    auto at = [&](int c, int r) -> T& { return cells[std::size_t(c - 1) * std::size_t(rows) + std::size_t(r - 1)]; };
    T previous(1);
    TEliminated out;
    int row = 1;
    for (int col = 1; col <= pivotCols && row <= rows; ++col) {
        int b = row;
        while (b <= rows && at(col, b) == 0)
            ++b;
        if (b > rows)
            continue;
        if (b != row) {
            for (int c = 1; c <= cols; ++c)
                std::swap(at(c, b), at(c, row));
            out.Sign = -out.Sign;
        }
        const T p = at(col, row);
        const bool unit = previous == 1;
        for (int r = jordan ? 1 : row + 1; r <= rows; ++r) {
            if (r == row)
                continue;
            const T q = at(col, r);
            const bool qZero = q == 0;
            for (int c = 1; c <= cols; ++c) {
                if (c == col)
                    continue;
                T& x = at(c, r);
                const T& y = at(c, row);
                const bool yZero = qZero || y == 0;
                if (yZero && x == 0)
                    continue;
                update(x, p, q, yZero ? nullptr : &y, previous, unit);
            }
            at(col, r) = 0;
        }
        previous = p;
        ++row;
        ++out.Pivots;
        ReportMatrizProgress(double(col), double(pivotCols));
    }
    return out;
}

TEliminated Bareiss(TWholeMatrix& m, int pivotCols, bool jordan)
{
    if (m.Small)
        return BareissOver(m.SmallCells, m.Cols, m.Rows, pivotCols, jordan,
                           [](Int128& x, Int128 p, Int128 q, const Int128* y, Int128 previous, bool) {
                               x = (p * x - (y ? q * *y : 0)) / previous;
                           });
    mpz_class t;
    return BareissOver(m.Cells, m.Cols, m.Rows, pivotCols, jordan,
                       [&t](mpz_class& x, const mpz_class& p, const mpz_class& q, const mpz_class* y,
                            const mpz_class& previous, bool unit) {
                           mpz_mul(t.get_mpz_t(), p.get_mpz_t(), x.get_mpz_t());
                           if (y)
                               mpz_submul(t.get_mpz_t(), q.get_mpz_t(), y->get_mpz_t());
                           if (unit)
                               mpz_swap(x.get_mpz_t(), t.get_mpz_t());
                           else
                               mpz_divexact(x.get_mpz_t(), t.get_mpz_t(), previous.get_mpz_t());
                       });
}

// The leading n × n block of a column-by-column matrix with `rows` rows.
std::vector<Extended> LeadingSquare(const std::vector<Extended>& cells, int rows, int n)
{
    std::vector<Extended> out(std::size_t(n) * std::size_t(n));
    for (int c = 0; c < n; ++c)
        for (int r = 0; r < n; ++r)
            out[std::size_t(c) * std::size_t(n) + std::size_t(r)] = cells[std::size_t(c) * std::size_t(rows) + std::size_t(r)];
    return out;
}

} // namespace

QString ExactText(const TExactNumber& x)
{
    if (x.IsWhole())
        return x.Num;
    return NumberFormat().FormatExact(x.Value);
}

namespace exact {

TExactNumber FromExtended(Extended x) { return ToExact(RationalFromExtended(x)); }

TExactNumber Determinant(const std::vector<Extended>& cells, int rows, int n)
{
    if (n == 0)
        return ToExact(mpz_class(1));
    std::vector<mpz_class> scale;
    TWholeMatrix m = ToWhole(rows == n ? cells : LeadingSquare(cells, rows, n), n, n, &scale);
    const TEliminated e = Bareiss(m, n, false);
    if (e.Pivots < n)
        return TExactNumber();
    mpz_class scales = 1;
    for (const mpz_class& s : scale)
        scales *= s;
    mpq_class d(e.Sign * m.Get(n, n), scales);
    d.canonicalize();
    return ToExact(d);
}

std::vector<TExactNumber> Triangulate(const std::vector<Extended>& cells, int cols, int rows, int pivotCols)
{
    TWholeMatrix m = ToWhole(cells, cols, rows);
    Bareiss(m, pivotCols, false);
    std::vector<TExactNumber> out;
    out.reserve(std::size_t(cols) * std::size_t(rows));
    for (int c = 1; c <= cols; ++c)
        for (int r = 1; r <= rows; ++r)
            out.push_back(ToExact(m.Get(c, r)));
    return out;
}

std::optional<std::vector<TExactNumber>> Solve(const std::vector<Extended>& cells, int cols, int rows)
{
    const int n = rows;
    TWholeMatrix m = ToWhole(cells, cols, rows);
    if (Bareiss(m, n, true).Pivots < n)
        return std::nullopt;
    // Every pivot is the determinant D of the scaled A; the right-hand side
    // holds D·X.
    std::vector<TExactNumber> out;
    out.reserve(std::size_t(cols - n) * std::size_t(n));
    for (int i = n + 1; i <= cols; ++i)
        for (int k = 1; k <= n; ++k) {
            mpq_class v(m.Get(i, k), m.Get(k, k));
            v.canonicalize();
            out.push_back(ToExact(v));
        }
    return out;
}

} // namespace exact
