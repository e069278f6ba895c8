// The exact elimination of number matrices over whole numbers of any size,
// against the tests' plain Gaussian elimination over GMP's fractions (a pivot
// divides its row): determinants, solutions and inverses up to 30 × 30 and beyond
// 64 bits, cells typed as decimals and fractions, and the texts of the
// number formats.
#include "tools/matrices/matrizp.h"

#include "engine/formatonum.h"
#include "oracle.h"
#include "support/fixtures.h"
#include "testtext.h"

#include <gmpxx.h>

#include <cmath>
#include <optional>
#include <random>

namespace {

using ExactMatrixTest = CoreStateTest;

using Rows = std::vector<std::vector<mpq_class>>;   // [row][col]

mpq_class OracleDeterminant(const Rows& a) { return oracle::Determinant(a); }
std::optional<Rows> OracleSolve(const Rows& a) { return oracle::Solve(a); }

// The exact value of an 80-bit number.
mpq_class ExactOf(Extended v)
{
    int e = 0;
    const Extended f = std::frexp(v, &e);
    const long long m = static_cast<long long>(std::ldexp(f, 63));   // |f| < 1: 63 bits and the sign
    const Extended rest = std::ldexp(f, 63) - static_cast<Extended>(m);   // the 64th bit
    mpq_class q = mpq_class(mpz_class(std::to_string(m))) * 2 + (rest != 0 ? (rest > 0 ? 1 : -1) : 0);
    e -= 64;
    if (e >= 0)
        q *= mpq_class(mpz_class(1) << mp_bitcnt_t(e));
    else
        q /= mpq_class(mpz_class(1) << mp_bitcnt_t(-e));
    return q;
}

// v is the 80-bit number nearest to x: neither neighbour is nearer.
void ExpectRoundedOnce(Extended v, const mpq_class& x)
{
    const mpq_class err = abs(ExactOf(v) - x);
    for (Extended n : {std::nextafter(v, Extended(INFINITY)), std::nextafter(v, Extended(-INFINITY))})
        EXPECT_LE(err, abs(ExactOf(n) - x)) << double(v);
}

// The exact value a cell carries.
mpq_class ValueOf(const TExactNumber* x)
{
    EXPECT_NE(x, nullptr);
    if (!x)
        return -12345;
    mpq_class v(x->Num.toStdString() + "/" + x->Den.toStdString());
    return v;
}

QString Text(const mpq_class& v)
{
    const QString num = QString::fromStdString(v.get_num().get_str());
    return v.get_den() == 1 ? num : num + QLatin1Char('|') + QString::fromStdString(v.get_den().get_str());
}

using matrixtest::Make;

struct TRandomCase {
    std::vector<std::vector<QString>> Texts;
    Rows Values;
};

// Whole numbers from -range to range; with `fractions` also every third cell
// a fraction n|d with d up to 9.
TRandomCase RandomCase(std::mt19937_64& rng, int rows, int cols, long range, bool fractions)
{
    std::uniform_int_distribution<long> whole(-range, range);
    std::uniform_int_distribution<long> den(2, 9);
    TRandomCase out;
    for (int r = 0; r < rows; ++r) {
        out.Texts.emplace_back();
        out.Values.emplace_back();
        for (int c = 0; c < cols; ++c) {
            const long n = whole(rng);
            if (fractions && (r + c) % 3 == 0) {
                const long d = den(rng);
                out.Texts.back().push_back(QStringLiteral("%1|%2").arg(n).arg(d));
                mpq_class v(n, d);
                v.canonicalize();
                out.Values.back().push_back(v);
            } else {
                out.Texts.back().push_back(QString::number(n));
                out.Values.back().push_back(n);
            }
        }
    }
    return out;
}

TEST_F(ExactMatrixTest, DeterminantsAgreeWithExactFractionsAtEverySize)
{
    std::mt19937_64 rng(39);
    struct Case {
        int n;
        long range;
        bool fractions;
    };
    const Case cases[] = {{1, 9, false},  {2, 9, false},     {3, 1000000, true}, {5, 9, true},
                          {8, 9, false},  {12, 99, false},   {12, 9, true},      {20, 1000000000, false},
                          {30, 9, false}, {30, 1000, true},  {40, 9, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.n << " range " << c.range << (c.fractions ? " fractions" : ""));
        const TRandomCase rc = RandomCase(rng, c.n, c.n, c.range, c.fractions);
        const TMatriz m = Make(rc.Texts);
        const mpq_class expected = OracleDeterminant(rc.Values);
        const TExactNumber d = m.ExactDeterminant();
        EXPECT_EQ(Text(ValueOf(&d)), Text(expected));
        if (!c.fractions)
            EXPECT_EQ(ExactText(d), Text(expected));
        // A singular matrix of the same size: the second row twice the first.
        if (c.n > 1) {
            TMatriz s = m;
            for (int k = 1; k <= c.n; ++k)
                s.SetCell(k, 2, TPoliN::CreateConst(2 * ConstantValue(s.GetCell(k, 1))));
            EXPECT_TRUE(s.ExactDeterminant().IsZero());
            EXPECT_TRUE(s.Determinant().IsZero());
        }
    }
}

TEST_F(ExactMatrixTest, SolutionsAndInversesAgreeWithExactFractions)
{
    std::mt19937_64 rng(2026);
    struct Case {
        int n;
        int rhs;
        long range;
        bool fractions;
    };
    const Case cases[] = {{2, 1, 9, false}, {4, 2, 1000, true}, {7, 1, 100000000000, false},
                          {15, 3, 9, true}, {30, 1, 9, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.n << "+" << c.rhs);
        TRandomCase rc = RandomCase(rng, c.n, c.n + c.rhs, c.range, c.fractions);
        std::optional<Rows> expected = OracleSolve(rc.Values);
        while (!expected) {
            rc = RandomCase(rng, c.n, c.n + c.rhs, c.range, c.fractions);
            expected = OracleSolve(rc.Values);
        }
        TMatriz m = Make(rc.Texts);
        const TMatriz x = m.Solve([](const QString&, const QString&) -> bool { throw std::logic_error("singular"); });
        ASSERT_EQ(x.Cols(), c.rhs);
        ASSERT_EQ(x.Rows(), c.n);
        for (int k = 1; k <= c.n; ++k)
            for (int i = 1; i <= c.rhs; ++i) {
                const mpq_class& v = (*expected)[std::size_t(k - 1)][std::size_t(i - 1)];
                ASSERT_EQ(Text(ValueOf(x.GetExact(i, k))), Text(v)) << k << "," << i;
                ASSERT_EQ(x.CellText(i, k), ExactText(*x.GetExact(i, k)));
                EXPECT_EQ(ConstantValue(x.GetCell(i, k)), x.GetExact(i, k)->Value);
                ExpectRoundedOnce(x.GetExact(i, k)->Value, v);
            }
    }
    for (int n : {3, 12, 30}) {
        SCOPED_TRACE(n);
        const TRandomCase rc = RandomCase(rng, n, n, 9, n == 12);
        Rows wide = rc.Values;
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c)
                wide[std::size_t(r)].push_back(r == c ? 1 : 0);
        const std::optional<Rows> expected = OracleSolve(wide);
        ASSERT_TRUE(expected);
        TMatriz m = Make(rc.Texts);
        m.Invert();
        for (int r = 1; r <= n; ++r)
            for (int c = 1; c <= n; ++c)
                ASSERT_EQ(Text(ValueOf(m.GetExact(c, r))), Text((*expected)[std::size_t(r - 1)][std::size_t(c - 1)]))
                    << r << "," << c;
    }
}

// The Hilbert matrix 1/(i + j - 1): tiny determinants, an inverse of whole
// numbers far beyond 64 bits.
TEST_F(ExactMatrixTest, HilbertMatricesAreExact)
{
    const int n = 16;
    std::vector<std::vector<QString>> texts(n);
    Rows values(n);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            texts[std::size_t(r)].push_back(QStringLiteral("1|%1").arg(r + c + 1));
            values[std::size_t(r)].push_back(mpq_class(1, r + c + 1));
        }
    TMatriz m = Make(texts);
    const TExactNumber d = m.ExactDeterminant();
    EXPECT_EQ(Text(ValueOf(&d)), Text(OracleDeterminant(values)));
    m.Invert();
    Rows wide = values;
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c)
            wide[std::size_t(r)].push_back(r == c ? 1 : 0);
    const Rows inverse = *OracleSolve(wide);
    qsizetype longest = 0;
    for (int r = 1; r <= n; ++r)
        for (int c = 1; c <= n; ++c) {
            ASSERT_EQ(m.CellText(c, r), Text(inverse[std::size_t(r - 1)][std::size_t(c - 1)]));
            ASSERT_TRUE(m.GetExact(c, r)->IsWhole());
            longest = std::max(longest, m.CellText(c, r).size());
        }
    EXPECT_GT(longest, 21);   // beyond 64 bits
}

TEST_F(ExactMatrixTest, CellValuesAreReadAsTheFractionsTheyRoundFrom)
{
    struct Case {
        Extended x;
        const char* num;
        const char* den;
    };
    const Case cases[] = {
        {0, "0", "1"},
        {0.1L, "1", "10"},
        {-2.5L, "-5", "2"},
        {1.0L / 3, "1", "3"},
        {-22.0L / 7, "-22", "7"},
        {1e30L, "1000000000000000000024696061952", "1"},   // 10^30 rounded to 64 bits
        {9223372036854775807.0L, "9223372036854775807", "1"},
        {0.000123L, "123", "1000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(double(c.x));
        const TExactNumber e = exact::FromExtended(c.x);
        EXPECT_EQ(e.Num, QLatin1String(c.num));
        EXPECT_EQ(e.Den, QLatin1String(c.den));
        EXPECT_EQ(e.Value, c.x);
    }
}

TEST_F(ExactMatrixTest, ValuesOfHugeFractionsRoundOnceTo80Bits)
{
    // Solutions of 2 × 2 systems with determinants far beyond 64 bits.
    std::mt19937_64 rng(80);
    std::uniform_int_distribution<long> big(-999999999999999999, 999999999999999999);
    for (int round = 0; round < 200; ++round) {
        const long a = big(rng), b = big(rng), c = big(rng), d = big(rng), e = big(rng), f = big(rng);
        Rows values{{a, b, e}, {c, d, f}};
        const std::optional<Rows> x = OracleSolve(values);
        if (!x)
            continue;
        auto t = [](long v) { return QString::number(v); };
        TMatriz m = Make({{t(a), t(b), t(e)}, {t(c), t(d), t(f)}});
        const TMatriz s = m.Solve([](const QString&, const QString&) { return false; });
        for (int k = 1; k <= 2; ++k) {
            ASSERT_EQ(Text(ValueOf(s.GetExact(1, k))), Text((*x)[std::size_t(k - 1)][0]));
            ExpectRoundedOnce(s.GetExact(1, k)->Value, (*x)[std::size_t(k - 1)][0]);
        }
    }
}

TEST_F(ExactMatrixTest, TextsOfTheNumberFormats)
{
    // A whole number shows every digit in every format, beyond 64 bits too.
    const TExactNumber whole{QStringLiteral("-12345678901234567890123"), QStringLiteral("1"), -12345678901234567890123.0L};
    // A fraction as the number format writes its value where the text reads
    // back: within the display's denominators as a fraction, beyond them as
    // the decimal with every digit.
    const TExactNumber small{QStringLiteral("-22"), QStringLiteral("7"), -22.0L / 7};
    const TExactNumber large{QStringLiteral("33334"), QStringLiteral("100001"), 33334.0L / 100001};
    for (std::uint8_t mode : {nfFraction, nfMixedFraction, nfRounded, nfFloat}) {
        SCOPED_TRACE(int(mode));
        NumberFormat().Mode = mode;
        EXPECT_EQ(ExactText(whole), whole.Num);
        EXPECT_EQ(ExactText(small), NumberFormat().FormatExact(small.Value));
        EXPECT_EQ(ExactText(large), NumberFormat().FormatExact(large.Value));
    }
    NumberFormat().Mode = nfFraction;
    EXPECT_EQ(ExactText(small), QStringLiteral("-22|7"));
    NumberFormat().Mode = nfMixedFraction;
    EXPECT_EQ(ExactText(small), QStringLiteral("-3|1|7"));
    EXPECT_TRUE(ExactText(large).startsWith(QStringLiteral("0.3333366666333336666"))) << ExactText(large).toStdString();
    // What a cell shows reads back as its 80-bit value.
    EXPECT_EQ(NumberFormat().Parse(ExactText(large)), large.Value);
}

} // namespace
