// Polynomials in several letters: the text reader and writer, the
// arithmetic, substitution, conversion to one letter, factoring and the
// simplification of fractions.
#include "tools/polinomios/polin.h"

#include "engine/errors.h"
#include "engine/formatonum.h"
#include "support/fixtures.h"

#include <map>
#include <random>

namespace {

using PoliNTest = CoreStateTest;

QString Text(const char* p) { return TPoliN(QString::fromUtf8(p)).ToString(); }

QString Message(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.message();
    }
    return QStringLiteral("<no exception>");
}

TEST_F(PoliNTest, TextIsReadAndWrittenBack)
{
    struct Case {
        const char *text, *written;
    } cases[] = {
        {"", "0"},
        {"0", "0"},
        {"x - x", "0"},
        {"X^2", "x2"},
        {"2.5x", "5|2x"},
        {"1|2xy", "1|2xy"},
        {"a^-1b", "a^-1b"},
        {"3x^2 - 2xy + 1", "3x2 -2xy +1"},
        {"x^-2 - y", "-y +x^-2"},
        {"2x^2y + 2x2y + 2*x^2*y", "6x2y"},
        {"x*2", "x2"},
        {"x 3", "x3"},
        {"3 4", "34"},
        {"-x", "-x"},
        {"-3", "-3"},
        {"b + a", "a +b"},
        {"1|1|2a", "3|2a"},
        // The later exponent of a letter named twice replaces the earlier one.
        {"x2x3", "x3"},
        // 'e' is a letter like the others: 1e20 is e to the 20th.
        {"1e20", "e20"},
        // Every digit of a coefficient is written, whatever the number format.
        {"12345x", "12345x"},
        {"1000000000000000x", "1000000000000000x"},
        {"0.000001y", "0.000001y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Text(c.text), QString::fromUtf8(c.written));
    }
}

TEST_F(PoliNTest, TextErrors)
{
    struct Case {
        const char *text, *message;
    } cases[] = {
        {"x2.5", "error en expresion"},
        {"x|2", "error en expresion"},
        {"x/2", "caracter invalido"},
        {"2^-3", "error en expresion"},
        {"x(2)", "caracter invalido"},
        {"ñ", "caracter invalido"},
        {"x^-", "'-' no es un valor entero válido"},
        {"x^40000", "El exponente 40000 está fuera del rango de -32768 a 32767"},
        // Nothing that cannot be read is passed over.
        {"1.2.3x + y", "error en expresion"},
        {"1||2x", "error en expresion"},
        {"x-", "error en expresion"},
        {"3 - - 2", "error en expresion"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Message([&] { TPoliN(QString::fromUtf8(c.text)); }), QString::fromUtf8(c.message));
    }
}

TEST_F(PoliNTest, TermsKeepTheirOrderAndMergesToZeroStay)
{
    TPoliN p(QStringLiteral("x + 2 - x"));
    ASSERT_EQ(p.Count(), 2u);
    EXPECT_EQ(p.Term(0).Coefficient, 0);
    EXPECT_EQ(p.Term(1).Coefficient, 2);
    EXPECT_EQ(p.NonZeroTermCount(), 1u);
    EXPECT_FALSE(p.IsZero());
    EXPECT_TRUE(TPoliN(QStringLiteral("x - x")).IsZero());
    EXPECT_TRUE(TPoliN().IsZero());
    EXPECT_EQ(TPoliN::CreateCopy(p).Count(), 1u);
    EXPECT_EQ(TPoliN::CreateConst(0).Count(), 0u);
}

TEST_F(PoliNTest, SumDifferenceProduct)
{
    TPoliN p(QStringLiteral("2a + 3b2 - c")), q(QStringLiteral("a - b2 + c"));
    TPoliN s = p;
    s.Add(q);
    EXPECT_EQ(s.ToString(), QStringLiteral("3a +2b2"));
    TPoliN d = p;
    d.Subtract(q);
    EXPECT_EQ(d.ToString(), QStringLiteral("a +4b2 -2c"));
    EXPECT_EQ(TPoliN(QStringLiteral("x + y")).Multiply(TPoliN(QStringLiteral("x - y"))).ToString(),
              QStringLiteral("x2 -y2"));
    EXPECT_EQ(TPoliN(QStringLiteral("x^-1 + 1")).Multiply(TPoliN(QStringLiteral("x"))).ToString(),
              QStringLiteral("x +1"));
}

TEST_F(PoliNTest, PowerCountsAreChecked)
{
    const TPoliN p(QStringLiteral("a + b"));
    EXPECT_EQ(p.Power(0).ToString(), QStringLiteral("1"));
    EXPECT_EQ(TPoliN().Power(0).ToString(), QStringLiteral("1"));
    EXPECT_EQ(p.Power(1).ToString(), QStringLiteral("a +b"));
    EXPECT_EQ(p.Power(3).ToString(), QStringLiteral("a3 +3a2b +3ab2 +b3"));
    EXPECT_EQ(Message([&] { p.Power(-1); }), QStringLiteral("La potencia no puede ser negativa"));
    EXPECT_EQ(Message([&] { p.Power(128); }), QStringLiteral("La potencia no puede ser mayor a 127"));
    EXPECT_EQ(Message([&] { p.Power(256); }), QStringLiteral("La potencia no puede ser mayor a 127"));
}

TEST_F(PoliNTest, ExponentSumsThatLeaveSixteenBitsRaise)
{
    const TPoliN p(QStringLiteral("x^20000")), n(QStringLiteral("x^-20000"));
    EXPECT_EQ(Message([&] { p.Multiply(p); }), QStringLiteral("El exponente 40000 está fuera del rango de -32768 a 32767"));
    EXPECT_EQ(Message([&] { n.Multiply(n); }), QStringLiteral("El exponente -40000 está fuera del rango de -32768 a 32767"));
    EXPECT_THROW(TPoliN::DivideByMonomial(p, n), EPoliRange);
    EXPECT_EQ(TPoliN(QStringLiteral("x^16000")).Multiply(TPoliN(QStringLiteral("x^16767"))).ToString(),
              QStringLiteral("x32767"));
}

TEST_F(PoliNTest, DivideByMonomial)
{
    EXPECT_EQ(TPoliN::DivideByMonomial(TPoliN(QStringLiteral("4x2y + 2x")), TPoliN(QStringLiteral("2x"))).ToString(),
              QStringLiteral("2xy +1"));
    EXPECT_EQ(Message([] { TPoliN::DivideByMonomial(TPoliN(QStringLiteral("x")), TPoliN(QStringLiteral("x + 1"))); }),
              QStringLiteral("Demasiados terminos para la división"));
    EXPECT_THROW(TPoliN::DivideByMonomial(TPoliN(QStringLiteral("x")), TPoliN()), EZeroDivide);
}

TEST_F(PoliNTest, Substitution)
{
    const TPoliN p(QStringLiteral("x2 + xy + 1"));
    const TPoliN two(QStringLiteral("2")), ab(QStringLiteral("a + b"));
    std::array<const TPoliN*, kLetters> values{};
    values['x' - 'a'] = &two;
    EXPECT_EQ(p.Substitute(values).ToString(), QStringLiteral("2y +5"));
    values['y' - 'a'] = &ab;
    EXPECT_EQ(p.Substitute(values).ToString(), QStringLiteral("2a +2b +5"));
    values['x' - 'a'] = &ab;
    values['y' - 'a'] = nullptr;
    EXPECT_EQ(p.Substitute(values).ToString(), QStringLiteral("a2 +2ab +ay +b2 +by +1"));
    // A negative exponent cannot take a value (its power would be negative).
    values['x' - 'a'] = &two;
    EXPECT_EQ(Message([&] { TPoliN(QStringLiteral("x^-1")).Substitute(values); }),
              QStringLiteral("La potencia no puede ser negativa"));
}

TEST_F(PoliNTest, ConversionToOneLetter)
{
    EXPECT_EQ(Message([] { TPoliN(QStringLiteral("x2y")).ToPoli(); }),
              QStringLiteral("Esta operación necesita polinomios de una sola variable"));
    EXPECT_EQ(Message([] { TPoliN(QStringLiteral("x^-1 +1")).ToPoli(); }),
              QStringLiteral("Operación no válida con polinomios de coeficientes negativos"));
    const TPoli five = TPoliN(QStringLiteral("5")).ToPoli();
    EXPECT_EQ(five.Letter(), QLatin1Char('x'));
    EXPECT_EQ(five.ToString(), QStringLiteral("5"));
    const TPoli t = TPoliN(QStringLiteral("3t2 - 1 + y - y")).ToPoli();
    EXPECT_EQ(t.Letter(), QLatin1Char('t'));
    EXPECT_EQ(t.ToString(), QStringLiteral("3t^2 -1"));
    EXPECT_THROW(TPoliN(QStringLiteral("x^256")).ToPoli(), EPoliRange);
    EXPECT_EQ(TPoliN(QStringLiteral("x^255")).ToPoli().Degree(), 255);
    EXPECT_EQ(TPoliN::CreateFromPoli(TPoli(QStringLiteral("y^2 - 1"), QLatin1Char('y'))).ToString(),
              QStringLiteral("y2 -1"));
}

TEST_F(PoliNTest, LettersUsed)
{
    const TPoliN p(QStringLiteral("2a + 3b2 - c + x - x"));
    EXPECT_EQ(p.LetterCount(), 3);
    EXPECT_TRUE(p.UsesLetter(QLatin1Char('B')));
    EXPECT_FALSE(p.UsesLetter(QLatin1Char('x')));
}

TEST_F(PoliNTest, EqualsComparesTermsWithinTolerance)
{
    EXPECT_TRUE(TPoliN(QStringLiteral("x + y")).Equals(TPoliN(QStringLiteral("y + x"))));
    TPoliN near(QStringLiteral("x + y"));
    TPoliNTerm t;
    t.Exponents['x' - 'a'] = 1;
    t.Coefficient = 1e-13L;
    near.AddTerm(t);
    EXPECT_TRUE(near.Equals(TPoliN(QStringLiteral("x + y"))));
    EXPECT_FALSE(TPoliN(QStringLiteral("x + y")).Equals(TPoliN(QStringLiteral("x + 2y"))));
    EXPECT_FALSE(TPoliN(QStringLiteral("x + y")).Equals(TPoliN(QStringLiteral("x"))));
}

QStringList Factors(const char* p)
{
    TPoliNArray f;
    TPoliN(QString::fromUtf8(p)).Factor(f);
    QStringList out;
    for (const TPoliN& q : f)
        out << q.ToString();
    return out;
}

TEST_F(PoliNTest, Factoring)
{
    struct Case {
        const char* p;
        QStringList factors;
    } cases[] = {
        {"4x^3 - 4x", {"2", "2", "1", "x", "x +1", "x -1"}},
        {"x4 - y4", {"x2 +y2", "x +y", "x -y"}},
        {"6x + 9", {"3", "2x +3"}},
        {"12", {"2", "2", "3", "1", "1"}},
        {"x^2 + 1", {"x2 +1"}},
        {"1|2x + 1", {"1|2x +1"}},
        // The content starts at the first term that did not cancel.
        {"x + 2 - x", {"2", "1"}},
        {"x + 2 - x + 4y", {"2", "2y +1"}},
        {"4x2 - 9", {"2x +3", "2x -3"}},
        {"x^-2 - 1", {"1 +x^-1", "-1 +x^-1"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.p);
        EXPECT_EQ(Factors(c.p), c.factors);
    }
}

TEST_F(PoliNTest, HugeCoefficientsHaveNoIntegerContent)
{
    // 1e30 does not fit 64 bits: no content is taken, nothing overflows.
    const char* huge = "1000000000000000000000000000000x + 2000000000000000000000000000000";
    EXPECT_EQ(Factors(huge), QStringList{Text(huge)});
    EXPECT_THROW(IntegerGcd(1e30L, 3), EPoliRange);
    EXPECT_EQ(IntegerGcd(12, 0), 12);
    EXPECT_EQ(IntegerGcd(0, 12), 12);
    EXPECT_EQ(IntegerGcd(-4, 6), 2);
    EXPECT_EQ(IntegerGcd(4, -6), -2);
}

// What trial division by 2, 3, 5, 7, 9, ... up to the rounded square root
// lists, the remainder last.
std::vector<std::uint64_t> TrialDivision(std::uint64_t m)
{
    std::vector<std::uint64_t> out;
    const std::uint64_t bound = static_cast<std::uint64_t>(nearbyintl(sqrtl(static_cast<long double>(m))));
    std::uint64_t r = m;
    for (std::uint64_t i = 2; i <= bound && r >= i; i = i == 2 ? 3 : i + 2)
        while (r % i == 0) {
            out.push_back(i);
            r /= i;
        }
    out.push_back(r);
    return out;
}

TEST(PoliNPrimes, SplitMatchesTrialDivision)
{
    for (std::uint64_t m = 2; m < 5000; ++m) {
        SCOPED_TRACE(m);
        ASSERT_EQ(SplitIntoPrimes(m), TrialDivision(m));
    }
    std::mt19937_64 random(7);
    for (int i = 0; i < 200; ++i) {
        const std::uint64_t m = (random() >> 30) + 2;   // up to 2^34: trial division stays quick
        SCOPED_TRACE(m);
        ASSERT_EQ(SplitIntoPrimes(m), TrialDivision(m));
    }
    // Beyond trial division's reach: two large primes, a prime square.
    EXPECT_EQ(SplitIntoPrimes(4294967291ull * 4294967279ull), (std::vector<std::uint64_t>{4294967279ull, 4294967291ull}));
    EXPECT_EQ(SplitIntoPrimes(4294967291ull * 4294967291ull), (std::vector<std::uint64_t>{4294967291ull, 4294967291ull, 1}));
    EXPECT_EQ(SplitIntoPrimes(9223372036854775783ull), (std::vector<std::uint64_t>{9223372036854775783ull}));
}

TEST_F(PoliNTest, FractionSimplification)
{
    struct Case {
        const char *num, *den;
        bool whole;
        const char *num2, *den2;
    } cases[] = {
        {"x2 - 1", "x - 1", true, "x +1", nullptr},
        {"x + 1", "x - 1", false, "x +1", "x -1"},
        {"2x", "x", true, "2", nullptr},
        {"4", "2x", true, "2x^-1", nullptr},
        {"0", "x + 1", true, "0", nullptr},
        {"x - 1", "x2 - 1", false, "1", "x +1"},
        {"3", "6", true, "1|2", nullptr},
        {"x + 2 - x", "1", true, "2", nullptr},
        {"x2 - y2", "x - y", true, "x +y", nullptr},
        {"x2 - 1", "y - 1", false, "x2 -1", "y -1"},
        {"6x2y", "4xy3", true, "3|2xy^-2", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.num) + " / " + c.den);
        std::optional<TPoliN> num, den;
        EXPECT_EQ(TPoliN(QString::fromUtf8(c.num)).SimplifyFraction(TPoliN(QString::fromUtf8(c.den)), num, den),
                  c.whole);
        ASSERT_TRUE(num.has_value());
        EXPECT_EQ(num->ToString(), QString::fromUtf8(c.num2));
        EXPECT_EQ(den.has_value(), c.den2 != nullptr);
        if (den && c.den2)
            EXPECT_EQ(den->ToString(), QString::fromUtf8(c.den2));
    }
}

TEST_F(PoliNTest, AZeroDenominatorIsADivisionByZero)
{
    std::optional<TPoliN> num, den;
    for (const char* zero : {"0", "", "x - x", "x - x + y - y"}) {
        SCOPED_TRACE(zero);
        EXPECT_THROW(TPoliN(QStringLiteral("x2 + 1")).SimplifyFraction(TPoliN(QString::fromUtf8(zero)), num, den),
                     EZeroDivide);
    }
}

TEST_F(PoliNTest, IndexedProductMatchesTheLinearSearchTermByTerm)
{
    std::mt19937 random(11);
    auto randomPoly = [&](int terms) {
        TPoliN p;
        for (int i = 0; i < terms; ++i) {
            TPoliNTerm t;
            for (int k : {0, 1, 2, 23})
                t.Exponents[k] = static_cast<std::int16_t>(static_cast<int>(random() % 7) - 2);
            t.Coefficient = static_cast<int>(random() % 19) - 9;
            p.AddTerm(t);
        }
        return p;
    };
    for (int round = 0; round < 20; ++round) {
        const TPoliN p = randomPoly(40), q = randomPoly(60);
        const TPoliN r = p.Multiply(q);
        const std::vector<TPoliNTerm> expected = TPoliN::MultiplyByLinearSearch(p, q).Terms();
        ASSERT_EQ(r.Count(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(r.Term(i).Exponents, expected[i].Exponents);
            ASSERT_EQ(r.Term(i).Coefficient, expected[i].Coefficient);
        }
    }
    // A sorted polynomial still finds its terms.
    TPoliN s(QStringLiteral("z + y + x"));
    s.Sort();
    s.Add(TPoliN(QStringLiteral("x")));
    EXPECT_EQ(s.Count(), 3u);
    EXPECT_EQ(s.ToString(), QStringLiteral("2x +y +z"));
}

// P^n by products one after the other, each merged by the linear search.
TPoliN StepByStepPower(const TPoliN& p, int n)
{
    TPoliN r = TPoliN::CreateCopy(p);
    for (int k = 2; k <= n; ++k)
        r = TPoliN::MultiplyByLinearSearch(r, p);
    return r;
}

void ExpectSameTerms(const TPoliN& r, const TPoliN& expected)
{
    ASSERT_EQ(r.Count(), expected.Count());
    for (std::size_t i = 0; i < expected.Count(); ++i) {
        ASSERT_EQ(r.Term(i).Exponents, expected.Term(i).Exponents) << "term " << i;
        // The same sums in the same order: equal to the last bit.
        ASSERT_EQ(r.Term(i).Coefficient, expected.Term(i).Coefficient) << "term " << i;
    }
}

TEST_F(PoliNTest, PowersMatchTheStepByStepProductTermByTerm)
{
    // The letters of all 26 with exponents from -100 to 100: the exponents of
    // the power need more than 64 bits of fields.
    QString wide;
    for (char l = 'a'; l <= 'z'; ++l)
        wide += QStringLiteral("+%1^100 -%1^-100 ").arg(QChar(l));
    struct Case {
        QString p;
        int n;
    } cases[] = {
        {QStringLiteral("a + b + c + d"), 12},
        // Coefficients that round: every sum must be made in the same order.
        {QStringLiteral("0.1a - 0.3b + 1|7c + 2.5"), 9},
        {QStringLiteral("x^-3 + 2y^2 - z + 0.7"), 7},
        // A term of coefficient 0 (x - x) in the factor.
        {QStringLiteral("x - x + y + 1|3"), 6},
        {QStringLiteral("3a2b - 0.25c^-2d + 1|3e"), 5},
        // Near the 16-bit limit of the exponents.
        {QStringLiteral("x^10000 + y^-10000 + 1"), 3},
        {wide, 2},
        {QStringLiteral("7"), 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.p.toStdString() + " ^" + std::to_string(c.n));
        const TPoliN p(c.p);
        ExpectSameTerms(p.Power(c.n), StepByStepPower(p, c.n));
    }
    // Eight letters up to the power 127: the square's fields take exactly 64 bits.
    const TPoliN full(QStringLiteral("a^127 + b^127 + c^127 + d^127 + e^127 + f^127 + g^127 + h^127 + 1|3"));
    ExpectSameTerms(full.Multiply(full), TPoliN::MultiplyByLinearSearch(full, full));
    ExpectSameTerms(full.Power(2), StepByStepPower(full, 2));
    // An exponent that leaves 16 bits part way: the step that reaches it raises.
    EXPECT_EQ(Message([] { TPoliN(QStringLiteral("x^11000 + 1")).Power(3); }),
              QStringLiteral("El exponente 33000 está fuera del rango de -32768 a 32767"));
}

TEST_F(PoliNTest, ProgressIsReportedAndCanCancel)
{
    const TPoliN p(QStringLiteral("a + b + c + d"));
    std::vector<double> seen;
    {
        TPoliNProgress progress([&](double done) { seen.push_back(done); });
        EXPECT_EQ(p.Power(30).Count(), 5456u);   // C(33, 3)
    }
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GT(seen.front(), 0);
    EXPECT_LE(seen.back(), 1);
    int calls = 0;
    TPoliNProgress cancel([&](double) {
        if (++calls == 3)
            throw EAbort();
    });
    EXPECT_THROW(p.Power(60), EAbort);
    EXPECT_EQ(calls, 3);
}

TEST_F(PoliNTest, LargePowersKeepEveryTerm)
{
    const TPoliN p = TPoliN(QStringLiteral("a + b + c + d")).Power(40);
    EXPECT_EQ(p.Count(), 12341u);   // C(43, 3)
    Extended sum = 0;
    for (const TPoliNTerm& t : p.Terms())
        sum += t.Coefficient;
    EXPECT_NEAR(static_cast<double>(sum / powl(4, 40)), 1.0, 1e-15);
}

} // namespace
