// Complex matrices: cells, sum and product checks, transpose, determinant
// (also of singular matrices) and the Gauss-Jordan inverse.
#include "tools/matrices/mmatrix.h"

#include "engine/errors.h"
#include "support/fixtures.h"
#include "testtext.h"

#include <functional>

namespace {

using namespace complex;
using MatrixTest = CoreStateTest;

TMatrix ComplexMatrix(const std::vector<std::vector<const char*>>& rows)
{
    TMatrix m = TMatrix::CreateEmpty(int(rows[0].size()), int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < int(rows[0].size()); ++c)
            m.SetCell(c + 1, r + 1, StrToComplex(QString::fromLatin1(rows[std::size_t(r)][std::size_t(c)])));
    return m;
}

QString Cells(const TMatrix& m)
{
    return matrixtest::JoinCells(m.Cols(), m.Rows(), [&](int c, int r) { return ComplexToStr(m.Cell(c, r)); },
                                 QStringLiteral(", "), QStringLiteral("; "));
}

QString Det(const TMatrix& m)
{
    TComplex d;
    m.Determinant(d);
    return ComplexToStr(d);
}

using matrixtest::Message;

TEST_F(MatrixTest, CellsOutsideAreIgnored)
{
    TMatrix m = TMatrix::CreateEmpty(2, 2);
    m.SetCell(1, 1, Complex(0, 0));
    EXPECT_TRUE(ComplexIsZero(m.Cell(1, 1)));
    m.SetCell(2, 1, Complex(1e-30L, 0));
    EXPECT_EQ(m.Cell(2, 1).Re, 1e-30L);
    TComplex z = Complex(7, 7);
    m.GetCell(3, 1, z);
    EXPECT_EQ(z.Re, 7);
    m.SetCell(0, 1, Complex(5, 0));
    EXPECT_EQ(Cells(m), QStringLiteral("0, 0; 0, 0"));
}

TEST_F(MatrixTest, SumProductAndTheirChecks)
{
    TMatrix a = ComplexMatrix({{"1", "i", "2"}, {"0", "1", "1+i"}});
    const TMatrix sq = ComplexMatrix({{"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"}});
    EXPECT_EQ(Message([&] { a.Add(sq); }), QStringLiteral("Las matrices no son conformables para la suma (distinto tamaño)"));
    EXPECT_EQ(Message([&] { a.Multiply(ComplexMatrix({{"1", "2"}, {"3", "4"}})); }),
              QStringLiteral("El número de columnas de la primera matriz no coincide con el número de filas de la segunda."));
    EXPECT_EQ(Cells(a.Multiply(ComplexMatrix({{"1"}, {"1"}, {"i"}}))), Cells(ComplexMatrix({{"1+3i"}, {"i"}})));
    a.Add(ComplexMatrix({{"1", "i", "-2"}, {"0", "0", "0"}}));
    EXPECT_EQ(Cells(a), Cells(ComplexMatrix({{"2", "2i", "0"}, {"0", "1", "1+i"}})));
}

TEST_F(MatrixTest, TransposeOfRectangularMatricesAndVectors)
{
    TMatrix m = ComplexMatrix({{"1", "2", "3"}, {"4", "5", "6"}});
    m.Transpose();
    EXPECT_EQ(Cells(m), QStringLiteral("1, 4; 2, 5; 3, 6"));
    TMatrix row = ComplexMatrix({{"1", "2", "3", "4"}});
    row.Transpose();
    EXPECT_EQ(Cells(row), QStringLiteral("1; 2; 3; 4"));
}

TEST_F(MatrixTest, Determinants)
{
    struct Case {
        std::vector<std::vector<const char*>> rows;
        const char* det;
    } cases[] = {
        {{{"0", "1"}, {"1", "0"}}, "-1"},
        {{{"1", "2"}, {"3", "4"}}, "-2"},
        {{{"1", "2"}, {"2", "4"}}, "0"},
        {{{"0", "0", "1"}, {"0", "0", "2"}, {"3", "4", "5"}}, "0"},
        {{{"0", "1", "2"}, {"0", "3", "4"}, {"0", "5", "7"}}, "0"},
        {{{"0", "0", "1"}, {"0", "2", "0"}, {"3", "0", "0"}}, "-6"},
        {{{"i", "0"}, {"0", "i"}}, "-1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Det(ComplexMatrix(c.rows)), QString::fromLatin1(c.det)) << c.det;
    EXPECT_EQ(Message([] { Det(ComplexMatrix({{"1", "2", "3"}, {"4", "5", "6"}})); }), QStringLiteral("La matriz no es cuadrada."));
}

TEST_F(MatrixTest, InverseByTheLargestPivot)
{
    TMatrix m = ComplexMatrix({{"0", "1"}, {"i", "0"}});
    m.Invert();
    EXPECT_EQ(Cells(m), Cells(ComplexMatrix({{"0", "-i"}, {"1", "0"}})));
    TMatrix b = ComplexMatrix({{"1", "1", "1"}, {"1", "0", "0"}, {"1", "1", "0"}});
    b.Invert();
    EXPECT_EQ(Cells(b), Cells(ComplexMatrix({{"0", "1", "0"}, {"0", "-1", "1"}, {"1", "0", "-1"}})));
    EXPECT_EQ(Message([] { ComplexMatrix({{"1", "2"}}).Invert(); }), QStringLiteral("La matriz no es cuadrada."));
}

TEST_F(MatrixTest, GridBlocksAreReadAndWritten)
{
    TTextGrid g(4, 3);
    g.SetCell(1, 1, QStringLiteral("1"));
    g.SetCell(2, 1, QStringLiteral("2+i"));
    g.SetCell(3, 2, QStringLiteral("-i"));
    const TMatrix m = TMatrix::CreateFromGrid(g, 2, 1, 2, 2);
    EXPECT_EQ(Cells(m), Cells(ComplexMatrix({{"2+i", "0"}, {"0", "-i"}})));
    TTextGrid out(2, 2);
    m.ShowInGrid(out, 1, 1);
    EXPECT_EQ(out.ColCount(), 3);
    EXPECT_EQ(out.RowCount(), 3);
    EXPECT_EQ(out.Cell(2, 2), ComplexToStr(Complex(0, -1)));
    g.SetCell(1, 2, QStringLiteral("dos"));
    EXPECT_THROW(TMatrix::CreateFromGrid(g, 1, 1, 3, 2), EConvertError);
}

} // namespace

namespace {

// The inverse of a 255 × 255 matrix works on [A | I] of 510 columns.
TEST_F(MatrixTest, InverseOfTheLargestMatrix)
{
    const int n = 255;
    TMatrix m = TMatrix::CreateEmpty(n, n);
    for (int i = 1; i <= n; ++i) {
        m.SetCell(i, i, complex::TComplex{0, 2});
        if (i < n)
            m.SetCell(i + 1, i, complex::TComplex{1, 0});
    }
    TMatrix inverse = m;
    inverse.Invert();
    ASSERT_EQ(inverse.Cols(), n);
    const TMatrix product = m.Multiply(inverse);
    for (int c = 1; c <= n; c += 17)
        for (int r = 1; r <= n; r += 13) {
            const complex::TComplex z = product.Cell(c, r);
            EXPECT_NEAR(double(z.Re), c == r ? 1.0 : 0.0, 1e-12) << c << "," << r;
            EXPECT_NEAR(double(z.Im), 0.0, 1e-12) << c << "," << r;
        }
}

} // namespace
