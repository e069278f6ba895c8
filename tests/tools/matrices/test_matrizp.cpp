// Matrices of polynomial fractions: arithmetic, determinant, triangulation,
// systems and inverses, checked against exact fractions.
#include "tools/matrices/matrizp.h"

#include "engine/errors.h"
#include "engine/formatonum.h"
#include "oracle.h"
#include "support/fixtures.h"
#include "testtext.h"

#include <functional>

namespace {

using MatrizTest = CoreStateTest;

using matrixtest::Make;

TMatriz FromInts(const std::vector<std::vector<int>>& rows)
{
    TMatriz m = TMatriz::CreateEmpty(int(rows[0].size()), int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < int(rows[0].size()); ++c)
            m.SetCell(c + 1, r + 1, TPoliN::CreateConst(rows[std::size_t(r)][std::size_t(c)]));
    return m;
}

QString Cells(const TMatriz& m)
{
    return matrixtest::JoinCells(m.Cols(), m.Rows(), [&](int c, int r) { return m.CellText(c, r); }, QStringLiteral(", "),
                                 QStringLiteral("; "));
}

using matrixtest::Message;

const TSingularQuestion kNever = [](const QString&, const QString&) -> bool {
    ADD_FAILURE() << "unexpected question";
    return false;
};

TEST_F(MatrizTest, ReadsGridCellsWithEmptyCellsAsZero)
{
    TTextGrid g(3, 3);
    g.SetCell(1, 1, QStringLiteral("2a"));
    g.SetCell(2, 2, QStringLiteral("1|2"));
    const TMatriz m = TMatriz::CreateFromGrid(g);
    EXPECT_EQ(m.Cols(), 2);
    EXPECT_EQ(m.Rows(), 2);
    EXPECT_EQ(Cells(m), QStringLiteral("2a, 0; 0, 1|2"));
    EXPECT_EQ(Message([&] { m.GetCell(3, 1); }), QStringLiteral("Lectura fuera de rango de matriz [3,1]"));
    TMatriz w = m;
    EXPECT_EQ(Message([&] { w.SetCell(1, 0, TPoliN()); }), QStringLiteral("Escritura fuera de rango de matriz [1,0]"));
}

TEST_F(MatrizTest, ArithmeticAndItsDimensionChecks)
{
    TMatriz a = Make({{"1", "2", "3"}, {"4", "5", "6"}});
    const TMatriz b = Make({{"a", "0"}, {"0", "b"}, {"1", "1"}});
    EXPECT_EQ(Cells(a.Multiply(b)), QStringLiteral("a +3, 2b +3; 4a +6, 5b +6"));
    EXPECT_EQ(Cells(a.Transpose()), QStringLiteral("1, 4; 2, 5; 3, 6"));
    EXPECT_EQ(Message([&] { a.Multiply(a); }), QStringLiteral("Matrices no conformables para producto"));
    EXPECT_EQ(Message([&] { a.Add(b); }), QStringLiteral("No se pueden sumar matrices de distintas dimensiones"));
    EXPECT_EQ(Message([&] { a.Subtract(b); }), QStringLiteral("No se pueden restar matrices de distintas dimensiones"));
    TMatriz s = Make({{"x", "1"}, {"0", "x"}});
    EXPECT_EQ(Cells(s.Square()), QStringLiteral("x2, 2x; 0, x2"));
    s.MultiplyByPoly(TPoliN(QStringLiteral("y")));
    EXPECT_EQ(Cells(s), QStringLiteral("xy, y; 0, xy"));
    a.Subtract(Make({{"1", "1", "1"}, {"1", "1", "1"}}));
    EXPECT_EQ(Cells(a), QStringLiteral("0, 1, 2; 3, 4, 5"));
}

TEST_F(MatrizTest, SymbolicDeterminants)
{
    EXPECT_EQ(Make({{"a", "b"}, {"c", "d"}}).Determinant().ToString(), QStringLiteral("ad -bc"));
    EXPECT_TRUE(Make({{"a", "b", "c"}, {"0", "0", "0"}, {"x", "y", "z"}}).Determinant().IsZero());
    // Leading square of a wide matrix; a tall one is refused.
    EXPECT_EQ(Make({{"a", "b", "7"}, {"c", "d", "9"}}).Determinant().ToString(), QStringLiteral("ad -bc"));
    EXPECT_EQ(Message([] { Make({{"a"}, {"b"}}).Determinant(); }),
              QStringLiteral("La matriz debe ser cuadrada o tener mas columnas que filas"));
    // The minors by column set agree with the cofactor expansion.
    std::mt19937 rng(7);
    const char* pool[] = {"a", "b+1", "0", "2x", "x-y", "3", "-1", "ab", "y2"};
    std::uniform_int_distribution<int> pick(0, 8);
    for (int n = 1; n <= 6; ++n) {
        std::vector<std::vector<QString>> rows(static_cast<std::size_t>(n), std::vector<QString>(static_cast<std::size_t>(n)));
        for (auto& row : rows)
            for (QString& cell : row)
                cell = QString::fromLatin1(pool[pick(rng)]);
        const TMatriz m = Make(rows);
        EXPECT_EQ(m.Determinant().ToString(), m.DeterminantByCofactors().ToString()) << n;
    }
}

TEST_F(MatrizTest, IntegerDeterminantsAreExact)
{
    std::mt19937 rng(2024);
    for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 10, 12})
        for (int round = 0; round < 6; ++round) {
            auto ints = oracle::RandomInts(rng, n, n, -9, 9);
            if (round == 0 && n > 1)   // one singular matrix of each size
                for (int c = 0; c < n; ++c)
                    ints[1][std::size_t(c)] = 2 * ints[0][std::size_t(c)];
            const oracle::Frac expected = oracle::Determinant(oracle::ToFracs(ints));
            const TMatriz m = FromInts(ints);
            EXPECT_EQ(ConstantValue(m.Determinant()), expected.Value()) << n;
            if (n <= 6)
                EXPECT_EQ(ConstantValue(m.DeterminantByCofactors()), expected.Value()) << n;
        }
}

TEST_F(MatrizTest, RegularIntegerSystemsAreSolvedExactly)
{
    std::mt19937 rng(99);
    for (int n = 2; n <= 6; ++n)
        for (int round = 0; round < 8; ++round) {
            const auto ints = oracle::RandomInts(rng, n, n + 1, -20, 20);
            const auto expected = oracle::Solve(oracle::ToFracs(ints));
            if (!expected)
                continue;
            TMatriz m = FromInts(ints);
            const TMatriz x = m.Solve(kNever);
            ASSERT_EQ(x.Cols(), 1);
            ASSERT_EQ(x.Rows(), n);
            for (int k = 1; k <= n; ++k)
                EXPECT_EQ(ConstantValue(x.GetCell(1, k)), (*expected)[std::size_t(k - 1)][0].Value()) << n << " " << k;
        }
}

TEST_F(MatrizTest, InversesMatchExactFractions)
{
    std::mt19937 rng(5);
    for (int n = 1; n <= 6; ++n) {
        const auto ints = oracle::RandomInts(rng, n, n, -9, 9);
        oracle::Matrix wide = oracle::ToFracs(ints);
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c)
                wide[std::size_t(r)].emplace_back(r == c ? 1 : 0);
        const auto expected = oracle::Solve(wide);
        if (!expected)
            continue;
        TMatriz m = FromInts(ints);
        m.Invert();
        for (int r = 1; r <= n; ++r)
            for (int c = 1; c <= n; ++c)
                EXPECT_EQ(ConstantValue(m.GetCell(c, r)), (*expected)[std::size_t(r - 1)][std::size_t(c - 1)].Value());
        // Inverse times matrix gives the identity (to rounding of the cells).
        const TMatriz product = m.Multiply(FromInts(ints));
        for (int r = 1; r <= n; ++r)
            for (int c = 1; c <= n; ++c)
                EXPECT_NEAR(double(ConstantValue(product.GetCell(c, r))), r == c ? 1.0 : 0.0, 1e-12);
    }
}

// Systems whose pivot must be searched in the last rows.
TEST_F(MatrizTest, PivotSearchReachesEveryRow)
{
    struct Case {
        std::vector<std::vector<QString>> rows;
        QString solution;
    } cases[] = {
        {{{"1", "1", "1", "6"}, {"1", "0", "0", "1"}, {"1", "1", "0", "3"}}, QStringLiteral("1; 2; 3")},
        {{{"0", "0", "1", "3"}, {"0", "1", "0", "2"}, {"1", "0", "0", "1"}}, QStringLiteral("1; 2; 3")},
        {{{"1", "1", "1", "6"}, {"1", "1", "2", "9"}, {"1", "2", "1", "8"}}, QStringLiteral("1; 2; 3")},
        {{{"1", "1", "2"}, {"1", "-1", "0"}}, QStringLiteral("1; 1")},
        {{{"2", "0", "1"}, {"0", "2", "1"}}, QStringLiteral("1|2; 1|2")},
    };
    for (const Case& c : cases) {
        TMatriz m = Make(c.rows);
        EXPECT_EQ(Cells(m.Solve(kNever)), c.solution) << Cells(Make(c.rows)).toStdString();
    }
    TMatriz inv = Make({{"1", "1", "1"}, {"1", "0", "0"}, {"1", "1", "0"}});
    inv.Invert();
    EXPECT_EQ(Cells(inv), QStringLiteral("0, 1, 0; 0, -1, 1; 1, 0, -1"));
    TMatriz small = Make({{"1", "2"}, {"3", "4"}});
    small.Invert();
    EXPECT_EQ(Cells(small), QStringLiteral("-2, 1; 3|2, -1|2"));
}

TEST_F(MatrizTest, SingularSystemsAreClassified)
{
    struct Case {
        std::vector<std::vector<QString>> rows;
        QString text;
        QString caption;
    } cases[] = {
        {{{"1", "1", "1"}, {"2", "2", "3"}}, QStringLiteral("Sistema INCOMPATIBLE\r\n\r\n¿Desea ver una triangulación?"),
         QStringLiteral("Matrices")},
        {{{"1", "1", "1"}, {"2", "2", "2"}},
         QStringLiteral("Sistema compatible INDETERMINADO\r\n(tiene infinitas soluciones)\r\n\r\n¿Desea ver una triangulación?"),
         QString()},
        // Zero diagonal in the middle, last diagonal cell nonzero.
        {{{"1", "1", "1", "1"}, {"1", "1", "2", "2"}, {"2", "2", "3", "4"}}, QStringLiteral("Sistema INCOMPATIBLE\r\n\r\n¿Desea ver una triangulación?"),
         QStringLiteral("Matrices")},
        {{{"a", "a", "b"}, {"1", "1", "0"}}, QStringLiteral("Sistema INCOMPATIBLE\r\n\r\n¿Desea ver una triangulación?"),
         QStringLiteral("Matrices")},
    };
    for (const Case& c : cases) {
        QString text, caption;
        TMatriz m = Make(c.rows);
        EXPECT_THROW(m.Solve([&](const QString& t, const QString& cap) {
            text = t;
            caption = cap;
            return false;
        }),
                     EAbort);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(caption, c.caption);
        TMatriz again = Make(c.rows);
        const TMatriz shown = again.Solve([](const QString&, const QString&) { return true; });
        EXPECT_EQ(shown.Rows(), int(c.rows.size()));
        EXPECT_EQ(shown.Cols(), int(c.rows[0].size()));
        EXPECT_EQ(ClassifyTriangulated(shown) == TSystemKind::Determinate, false);
    }
    EXPECT_EQ(Message([] { Make({{"1", "1"}, {"2", "2"}}).Invert(); }), QStringLiteral("La matriz no tiene inversa"));
    EXPECT_EQ(Message([] { Make({{"1", "1", "1"}}).Invert(); }), QStringLiteral("La matriz debe ser cuadrada"));
    EXPECT_EQ(Message([] { Make({{"1", "1"}, {"2", "2"}}).Solve(kNever); }),
              QStringLiteral("Se requiere una matriz ampliada: más columnas que filas"));
}

TEST_F(MatrizTest, TriangulationOfRankDeficientAndEmptyMatrices)
{
    TMatriz empty = TMatriz::CreateFromGrid(TTextGrid(4, 4));
    empty.Triangulate();
    EXPECT_EQ(Cells(empty), QStringLiteral("0, 0, 0; 0, 0, 0; 0, 0, 0"));
    TMatriz m = Make({{"0", "1", "2"}, {"0", "2", "4"}, {"0", "3", "7"}});
    m.Triangulate();
    for (int r = 2; r <= 3; ++r)
        EXPECT_TRUE(m.GetCell(1, r).IsZero() && m.GetCell(2, r).IsZero()) << r;
    EXPECT_TRUE(m.GetCell(1, 1).IsZero());
    TMatriz s = Make({{"a", "b", "1"}, {"c", "d", "0"}, {"a", "b", "1"}});
    s.Triangulate();
    EXPECT_TRUE(s.GetCell(1, 2).IsZero());
    EXPECT_TRUE(s.GetCell(1, 3).IsZero());
    EXPECT_TRUE(s.GetCell(2, 3).IsZero());
}

TEST_F(MatrizTest, SymbolicSolutionsCarryDenominators)
{
    TMatriz m = Make({{"a", "1", "1"}, {"0", "a", "1"}});
    const TMatriz x = m.Solve(kNever);
    ASSERT_NE(x.GetDenominator(1, 2), nullptr);
    EXPECT_EQ(x.CellText(1, 2), QStringLiteral("1 / a"));
    TMatriz f = TMatriz::CreateEmpty(1, 1);
    f.SetCell(1, 1, TPoliN(QStringLiteral("x")));
    EXPECT_EQ(f.CellText(1, 1), QStringLiteral("x"));
    TMatriz inv = Make({{"x", "1"}, {"0", "1"}});
    inv.Invert();
    EXPECT_EQ(Cells(inv), QStringLiteral("1 / x, -x^-1; 0, 1"));
}

TEST_F(MatrizTest, IntegersBeyondTheMantissaStayExact)
{
    const TMatriz m = Make({{"3000000000000", "7"}, {"5", "4000000000000"}});
    EXPECT_EQ(m.ExactDeterminant(), (TExactNumber{QStringLiteral("11999999999999999999999965"), QStringLiteral("1")}));
    EXPECT_EQ(ConstantValue(m.Determinant()), 11999999999999999999999965.0L);
    // x = (4e12 - 7) / D, y = (3e12 - 5) / D
    TMatriz s = Make({{"3000000000000", "7", "1"}, {"5", "4000000000000", "1"}});
    const TMatriz x = s.Solve(kNever);
    ASSERT_NE(x.GetExact(1, 1), nullptr);
    ASSERT_NE(x.GetExact(1, 2), nullptr);
    EXPECT_EQ(*x.GetExact(1, 1), (TExactNumber{QStringLiteral("3999999999993"), QStringLiteral("11999999999999999999999965")}));
    EXPECT_EQ(*x.GetExact(1, 2), (TExactNumber{QStringLiteral("599999999999"), QStringLiteral("2399999999999999999999993")}));
    EXPECT_EQ(x.GetDenominator(1, 1), nullptr);
    // Beyond the display's denominators a cell shows the decimal of its
    // 80-bit value with every digit.
    EXPECT_EQ(x.CellText(1, 2), NumberFormat().FormatExact(x.GetExact(1, 2)->Value));
    EXPECT_NEAR(double(x.GetExact(1, 2)->Value), 2999999999995.0 / 11999999999999999999999965.0, 1e-28);
}

TEST_F(MatrizTest, SizesAreCapped)
{
    EXPECT_NO_THROW(TMatriz::CreateEmpty(255, 255));
    EXPECT_EQ(Message([] { TMatriz::CreateEmpty(256, 1); }),
              QStringLiteral("La matriz no puede tener más de 255 filas o columnas"));
}

} // namespace

namespace {

// [A | I] of the largest matrices is wider than any grid: the inverse of a
// 200 × 200 matrix is still found. The upper bidiagonal matrix of ones has
// the inverse with (-1)^(c - r) on and above the diagonal.
TEST_F(MatrizTest, InversesOfTheLargestMatrices)
{
    const int n = 200;
    TMatriz m = TMatriz::CreateEmpty(n, n);
    for (int c = 1; c <= n; ++c)
        for (int r = 1; r <= n; ++r)
            m.SetCell(c, r, TPoliN::CreateConst(c == r || c == r + 1 ? 1 : 0));
    m.Invert();
    for (int c = 1; c <= n; c += 37)
        for (int r = 1; r <= n; r += 23)
            EXPECT_EQ(m.CellText(c, r), c < r ? QStringLiteral("0") : (c - r) % 2 ? QStringLiteral("-1") : QStringLiteral("1"))
                << c << "," << r;
}

} // namespace
