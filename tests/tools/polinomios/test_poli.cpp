// Polynomials in one letter: reading and writing their text, the product,
// long division, Ruffini's rule, derivative, antiderivative and values.
#include "tools/polinomios/poli.h"

#include "engine/errors.h"
#include "engine/formatonum.h"
#include "support/fixtures.h"

#include <cmath>

namespace {

using PoliTest = CoreStateTest;

TEST_F(PoliTest, TextIsReadAndWrittenBack)
{
    struct Case {
        const char* text;
        char letter;
        const char* written;
    } cases[] = {
        {"x", 'x', "x"},
        {"+x^2-1", 'x', "x^2 -1"},
        {"-x^2+1", 'x', "-x^2 +1"},
        {"-x^3", 'x', "-x^3"},
        {"-y^3", 'y', "-y^3"},
        {"-x^12", 'x', "-x^12"},
        {"5", 'x', "5"},
        {"", 'x', "0"},
        {"x^2 + x^2", 'x', "2x^2"},
        {"3x^2 - 2x + 1", 'x', "3x^2 -2x +1"},
        {"3x2-2x+1", 'x', "3x^2 -2x +1"},
        {"x+x", 'x', "2x"},
        {"-x^3 + 1|2", 'x', "-x^3 +1|2"},
        {"1|2x^2 - 1|1|2", 'x', "1|2x^2 -3|2"},
        {"x - x", 'x', "0"},
        {"1e3x", 'x', "1000x"},
        {"2.5x^255", 'x', "5|2x^255"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TPoli(QString::fromUtf8(c.text), QLatin1Char(c.letter)).ToString(), QString::fromUtf8(c.written));
    }
}

TEST_F(PoliTest, DegreeIgnoresZeroEntriesAbove)
{
    TPoli p(QStringLiteral("x^5 - x^5 + 3x"));
    EXPECT_EQ(p.Degree(), 1);
    EXPECT_GE(p.Size(), 6);
    EXPECT_EQ(TPoli().Degree(), 0);
    p.SetCoef(9, 2);
    EXPECT_EQ(p.Degree(), 9);
    EXPECT_EQ(p.GetCoef(20), 0);
    EXPECT_EQ(p.Size(), 21);
}

TEST_F(PoliTest, TextThatCannotBeReadIsRefused)
{
    const QString nines = QString(5000, QLatin1Char('9'));
    struct Case {
        QString text;
        const char* message;
    } cases[] = {
        {QStringLiteral("x^-2+1"), "La potencia no puede ser negativa"},
        {QStringLiteral("x^^2++"), "error en expresion"},
        {QStringLiteral("x^2++"), "error en expresion"},
        {QStringLiteral("x++1"), "error en expresion"},
        {QStringLiteral("^2"), "error en expresion"},
        {QStringLiteral("x^"), "error en expresion"},
        {QStringLiteral("1e-3x"), "error en expresion"},
        {QStringLiteral("x^2+y^2"), "Esta operación necesita polinomios de una sola variable"},
        {QStringLiteral("x2y"), "Esta operación necesita polinomios de una sola variable"},
        {QStringLiteral("(x-1)^2"), "caracter invalido"},
        {QStringLiteral("(x-1)*(x-2)"), "caracter invalido"},
        {QStringLiteral("2*x + 1"), "caracter invalido"},
        {QStringLiteral("+"), "error en expresion"},
        {nines + QStringLiteral("x^2-1"), "Desbordamiento"},
        {nines, "Desbordamiento"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.left(40).toStdString());
        try {
            TPoli p(c.text);
            ADD_FAILURE() << "read as " << p.ToString().toStdString();
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
        }
    }
}

// Whatever ToString writes reads back as the same polynomial, in every
// number format (the window writes it back into the box it read it from).
TEST_F(PoliTest, WrittenTextReadsBackTheSamePolynomial)
{
    const Extended coefficients[] = {12345, 1e15L, 1e20L, -99999, 1.0L / 3, 2.0L / 3 * 1e30L, 1e-30L, 0.1L,
                                     123456789.125L, -7669284};
    for (std::uint8_t mode : {nfFraction, nfMixedFraction, nfRounded, nfFloat}) {
        NumberFormat().Mode = mode;
        for (Extended c : coefficients) {
            TPoli p;
            p.SetCoef(2, c);
            p.SetCoef(0, -c);
            const QString text = p.ToString();
            SCOPED_TRACE(text.toStdString());
            const TPoli back(text);
            EXPECT_EQ(back.Coef(2), c);
            EXPECT_EQ(back.Coef(0), -c);
            EXPECT_EQ(back.ToString(), text);
        }
    }
}

TEST_F(PoliTest, UnreadableExponentsAndPowersOutOfRangeRaise)
{
    EXPECT_THROW(TPoli(QStringLiteral("x+")), EConvertError);
    EXPECT_THROW(TPoli(QStringLiteral("3x^2.5")), EConvertError);
    EXPECT_THROW(TPoli(QStringLiteral("x^256")), EPoliRange);
    EXPECT_THROW(TPoli(QStringLiteral("x^99999999999999999999")), EConvertError);
    EXPECT_THROW(TPoli().SetCoef(256, 1), EPoliRange);
    EXPECT_THROW(TPoli().SetCoef(-1, 1), EPoliRange);
}

TEST_F(PoliTest, ProductAndItsDegreeLimit)
{
    const TPoli p(QStringLiteral("x + 1")), q(QStringLiteral("x - 1"));
    EXPECT_EQ(p.Multiply(q).ToString(), QStringLiteral("x^2 -1"));
    EXPECT_EQ(TPoli(QStringLiteral("2y"), QLatin1Char('y')).Multiply(TPoli(QStringLiteral("3"))).Letter(),
              QLatin1Char('x'));
    const TPoli big(QStringLiteral("x^200 + 1"));
    try {
        big.Multiply(big);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("El grado del producto es mayor a 255"));
    }
    EXPECT_EQ(TPoli(QStringLiteral("x^128")).Multiply(TPoli(QStringLiteral("x^127"))).Degree(), 255);
}

TEST_F(PoliTest, LongDivision)
{
    struct Case {
        const char *p, *d, *quotient, *remainder;
    } cases[] = {
        {"x^2 - 1", "x - 1", "x +1", "0"},
        {"x", "x^2", "0", "x"},
        {"x^3 - 6x^2 + 11x - 6", "x - 2", "x^2 -4x +3", "0"},
        {"2x^3 + 3x + 1", "x^2 + 1", "2x", "x +1"},
        {"x^2 + 2x + 1", "2", "1|2x^2 +x +1|2", "0"},
        {"x^4 + 1", "3x^2 + 1", "1|3x^2 -1|9", "10|9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.p);
        TPoli r;
        const TPoli q = TPoli(QString::fromUtf8(c.p)).Divide(TPoli(QString::fromUtf8(c.d)), r);
        EXPECT_EQ(q.ToString(), QString::fromUtf8(c.quotient));
        EXPECT_EQ(r.ToString(), QString::fromUtf8(c.remainder));
    }
}

TEST_F(PoliTest, DivisionByTheZeroPolynomialRaisesInsteadOfGivingTheNumerator)
{
    TPoli r;
    EXPECT_THROW(TPoli(QStringLiteral("x^2 + 1")).Divide(TPoli(QStringLiteral("0")), r), EZeroDivide);
    EXPECT_THROW(TPoli(QStringLiteral("0")).Divide(TPoli(), r), EZeroDivide);
    EXPECT_THROW(TPoli(QStringLiteral("x")).Divide(TPoli(QStringLiteral("x - x")), r), EZeroDivide);
}

TEST_F(PoliTest, DivisionWithInexactCoefficientsEndsWithAnExactRemainder)
{
    // Coefficients that leave rounding residues at every step.
    TPoli r;
    const TPoli p(QStringLiteral("0.1x^7 + 0.3x^5 - 0.7x^2 + 0.9")), d(QStringLiteral("0.3x^3 + 0.7x + 0.11"));
    const TPoli q = p.Divide(d, r);
    EXPECT_LT(r.Degree(), 3);
    EXPECT_EQ(q.Degree(), 4);
    // q·d + r gives p back within rounding.
    TPoli back = q.Multiply(d);
    for (int i = 0; i <= 7; ++i)
        EXPECT_NEAR(static_cast<double>(back.GetCoef(i) + r.GetCoef(i)), static_cast<double>(p.Coef(i)), 1e-15);
}

TEST_F(PoliTest, RuffiniGivesQuotientAndTheValueAsRemainder)
{
    Extended rest = -1;
    EXPECT_EQ(TPoli(QStringLiteral("x^3 - 1")).Ruffini(1, rest).ToString(), QStringLiteral("x^2 +x +1"));
    EXPECT_EQ(rest, 0);
    EXPECT_EQ(TPoli(QStringLiteral("2x^2 + 3x - 5")).Ruffini(2, rest).ToString(), QStringLiteral("2x +7"));
    EXPECT_EQ(rest, 9);
    EXPECT_EQ(TPoli(QStringLiteral("7")).Ruffini(3, rest).ToString(), QStringLiteral("0"));
    EXPECT_EQ(rest, 7);
}

TEST_F(PoliTest, DerivativeAndAntiderivative)
{
    struct Case {
        const char *p, *derivative, *integral;
    } cases[] = {
        {"2x + 1", "2", "x^2 +x"},
        {"7", "0", "7x"},
        {"3x^2", "6x", "x^3"},
        {"0", "0", "0"},
        {"x^3 - 1|2x", "3x^2 -1|2", "1|4x^4 -1|4x^2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.p);
        TPoli d(QString::fromUtf8(c.p));
        d.Derive();
        EXPECT_EQ(d.ToString(), QString::fromUtf8(c.derivative));
        TPoli i(QString::fromUtf8(c.p));
        i.Integrate();
        EXPECT_EQ(i.ToString(), QString::fromUtf8(c.integral));
        EXPECT_EQ(i.Coef(0), 0);
    }
    TPoli top(QStringLiteral("x^255"));
    EXPECT_THROW(top.Integrate(), EPoliRange);
    TPoli high(QStringLiteral("x^254"));
    high.Integrate();
    EXPECT_EQ(high.Degree(), 255);
}

TEST_F(PoliTest, MulMonomialAndSubtract)
{
    TPoli p(QStringLiteral("x + 2"));
    p.MulMonomial(3, -2);
    EXPECT_EQ(p.ToString(), QStringLiteral("-2x^4 -4x^3"));
    p.Subtract(TPoli(QStringLiteral("x^4 + x")));
    EXPECT_EQ(p.ToString(), QStringLiteral("-3x^4 -4x^3 -x"));
    TPoli q(QStringLiteral("x^250"));
    EXPECT_THROW(q.MulMonomial(6, 1), EPoliRange);
}

TEST_F(PoliTest, RealValueRoundsCoefficientsToDouble)
{
    TPoli p;
    p.SetCoef(0, 1.0L / 3);
    EXPECT_EQ(p.Evaluate(5), static_cast<Extended>(static_cast<double>(1.0L / 3)));
    EXPECT_NE(p.Evaluate(5), 1.0L / 3);
    const TPoli q(QStringLiteral("x^3 - 2x + 1"));
    EXPECT_EQ(q.Evaluate(2), 5);
    EXPECT_EQ(q.Evaluate(-1.5L), -3.375L + 3 + 1);
}

TEST_F(PoliTest, ComplexValue)
{
    const complex::TComplex v = TPoli(QStringLiteral("x^2 + 1")).EvaluateComplex(complex::Complex(1, 2));
    EXPECT_EQ(v.Re, -2);
    EXPECT_EQ(v.Im, 4);
    const complex::TComplex i = TPoli(QStringLiteral("x^2 + 1")).EvaluateComplex(complex::Complex(0, 1));
    EXPECT_TRUE(complex::ComplexIsZero(i));
}

TEST_F(PoliTest, TextFollowsTheNumberFormatMode)
{
    NumberFormat().Mode = nfFloat;
    EXPECT_EQ(TPoli(QStringLiteral("1|4x^2 + 0.5")).ToString(), QStringLiteral("0.25x^2 +0.5"));
    NumberFormat().Mode = nfMixedFraction;
    EXPECT_EQ(TPoli(QStringLiteral("7|2x")).ToString(), QStringLiteral("3|1|2x"));
}

TEST_F(PoliTest, CopyKeepsTheCoefficientsUpToTheDegreeInX)
{
    TPoli p(QStringLiteral("y^3 + y^9 - y^9"), QLatin1Char('y'));
    const TPoli c = TPoli::CreateCopy(p);
    EXPECT_EQ(c.Letter(), QLatin1Char('x'));
    EXPECT_EQ(c.Size(), 4);
    EXPECT_EQ(c.ToString(), QStringLiteral("x^3"));
}

TEST(PoliNextDivisor, EnumeratesDivisorsUpToTheBound)
{
    // Divisors of 36 up to 6, the bound + 1, and past the bound A + 1.
    std::vector<long long> seen;
    for (long long t = 1; t < 36; t = NextDivisor(36, t, 6))
        seen.push_back(t);
    EXPECT_EQ(seen, (std::vector<long long>{1, 2, 3, 4, 6, 7}));
    EXPECT_EQ(NextDivisor(36, 6, 6), 7);
    EXPECT_EQ(NextDivisor(36, 7, 6), 37);
    EXPECT_EQ(NextDivisor(6, 2, 2), 3);
}

} // namespace
