// The matrix window's actions on text grids in both modes: results in R,
// messages, clipboard text and the product by a scalar.
#include "tools/matrices/matrixactions.h"

#include "engine/errors.h"
#include "engine/formatonum.h"
#include "support/fixtures.h"
#include "testtext.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

using ActionsTest = CoreStateTest;

TTextGrid Grid(const std::vector<std::vector<const char*>>& rows)
{
    TTextGrid g(int(rows[0].size()) + 1, int(rows.size()) + 1);
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < int(rows[0].size()); ++c)
            g.SetCell(c + 1, r + 1, QString::fromLatin1(rows[std::size_t(r)][std::size_t(c)]));
    return g;
}

// Data rows of column 1 on, rows from `first`.
QString Text(const GridCells& g)
{
    return matrixtest::JoinCells(g.ColCount() - 1, g.RowCount() - 1, [&](int c, int r) { return g.Cell(c, r); },
                                 QStringLiteral(","), QStringLiteral(";"));
}

using matrixtest::Message;

const TSingularQuestion kNo = [](const QString&, const QString&) { return false; };

TEST_F(ActionsTest, DeterminantLayouts)
{
    TTextGrid a = Grid({{"a", "b"}, {"c", "d"}});
    TTextGrid r(4, 4);
    RunMatrixAction(TMatrixAction::Determinant, false, {&a, QStringLiteral("A"), nullptr, &r}, kNo);
    EXPECT_EQ(r.RowCount(), 3);
    EXPECT_EQ(r.ColCount(), 2);
    EXPECT_EQ(Text(r), QStringLiteral("Determinante A;ad -bc"));

    TTextGrid x = Grid({{"x", "1"}, {"1", "x"}});
    RunMatrixAction(TMatrixAction::Determinant, false, {&x, QStringLiteral("B"), nullptr, &r}, kNo);
    EXPECT_EQ(r.RowCount(), 6);
    EXPECT_EQ(r.Cell(1, 0), QString());
    EXPECT_EQ(Text(r), QStringLiteral("Determinante B;x2 -1;Raices:;1;-1"));

    TTextGrid z = Grid({{"1", "i"}, {"i", "1"}});
    RunMatrixAction(TMatrixAction::Determinant, true, {&z, QStringLiteral("C"), nullptr, &r}, kNo);
    EXPECT_EQ(Text(r), QStringLiteral("Determinante C;2"));
}

// R's cells are read again (dragged into A, B or C): the text of a cell
// holds its value, in every number format. A fraction is shown only when it
// is the cell's value; otherwise the decimal with every digit.
TEST_F(ActionsTest, ResultCellsReadBackAsTheirValues)
{
    TTextGrid a = Grid({{"9", "8", "7", "6", "5"},
                        {"1", "20", "3", "4", "5"},
                        {"6", "7", "30", "9", "1"},
                        {"2", "3", "4", "40", "6"},
                        {"7", "8", "9", "1", "50"}});
    TTextGrid r(4, 4);
    RunMatrixAction(TMatrixAction::Determinant, false, {&a, QStringLiteral("A"), nullptr, &r}, kNo);
    EXPECT_EQ(Text(r), QStringLiteral("Determinante A;7669284"));

    // A 12 x 12 matrix of small integers whose inverse has large denominators.
    const int n = 12;
    TTextGrid big(n + 1, n + 1);
    for (int row = 1; row <= n; ++row)
        for (int col = 1; col <= n; ++col)
            big.SetCell(col, row, QString::number((row * 7 + col * 3 + row * col) % 11 + (row == col ? 12 : 0)));
    for (std::uint8_t mode : {nfFraction, nfMixedFraction, nfRounded, nfFloat}) {
        SCOPED_TRACE(int(mode));
        NumberFormat().Mode = mode;
        TTextGrid inverse(2, 2);
        const std::optional<TMatriz> m =
            RunMatrixAction(TMatrixAction::Inverse, false, {&big, QStringLiteral("A"), nullptr, &inverse}, kNo);
        ASSERT_TRUE(m);
        int decimals = 0;
        for (int row = 1; row <= n; ++row)
            for (int col = 1; col <= n; ++col) {
                const QString text = inverse.Cell(col, row);
                SCOPED_TRACE(text.toStdString());
                ASSERT_EQ(m->GetDenominator(col, row), nullptr);
                const Extended value = ConstantValue(m->GetCell(col, row));
                const Extended shown = ConstantValue(TPoliN(text));
                EXPECT_LE(fabsl(shown - value), fabsl(value) * 0x1p-56L);
                decimals += text.contains(QLatin1Char('.'));
            }
        EXPECT_GT(decimals, 0);
    }

    // A cell beyond the extended range is an error, not 0.
    TTextGrid huge = Grid({{"1", "2"}, {"3", "4"}});
    huge.SetCell(1, 1, QString(5000, QLatin1Char('9')));
    EXPECT_EQ(Message([&] { RunMatrixAction(TMatrixAction::Determinant, false, {&huge, QStringLiteral("A"), nullptr, &r}, kNo); }),
              QStringLiteral("Desbordamiento"));
}

TEST_F(ActionsTest, OperandChecksInBothModes)
{
    TTextGrid b = Grid({{"1", "2", "3"}, {"4", "5", "6"}});
    const TTextGrid a = Grid({{"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"}});
    TTextGrid r(4, 4);
    struct Case {
        TMatrixAction action;
        const char* message;
    } cases[] = {
        {TMatrixAction::Sum, "No se pueden sumar matrices de distintas dimensiones"},
        {TMatrixAction::Difference, "No se pueden restar matrices de distintas dimensiones"},
        {TMatrixAction::Square, "La matriz debe ser cuadrada"},
    };
    for (bool complexMode : {false, true})
        for (const Case& c : cases)
            EXPECT_EQ(Message([&] { RunMatrixAction(c.action, complexMode, {&b, QStringLiteral("B"), &a, &r}, kNo); }),
                      QString::fromUtf8(c.message));
    TTextGrid a2 = Grid({{"1", "2"}, {"3", "4"}});
    for (bool complexMode : {false, true})
        EXPECT_EQ(Message([&] { RunMatrixAction(TMatrixAction::Product, complexMode, {&a2, QStringLiteral("A"), &b, &r}, kNo); }),
                  QStringLiteral("<no exception>"))
            << complexMode;
    EXPECT_EQ(Text(r), QStringLiteral("9,12,15;19,26,33"));
    EXPECT_EQ(Message([&] { RunMatrixAction(TMatrixAction::Product, false, {&b, QStringLiteral("B"), &a2, &r}, kNo); }),
              QStringLiteral("Matrices no conformables para producto"));
}

TEST_F(ActionsTest, SolveAndInverseInBothModes)
{
    TTextGrid s = Grid({{"1", "1", "1", "6"}, {"1", "0", "0", "1"}, {"1", "1", "0", "3"}});
    TTextGrid r(6, 6);
    r.SetCell(5, 5, QStringLiteral("viejo"));
    RunMatrixAction(TMatrixAction::Solve, false, {&s, QStringLiteral("A"), nullptr, &r}, kNo);
    EXPECT_EQ(Text(r), QStringLiteral("1;2;3"));
    RunMatrixAction(TMatrixAction::Solve, true, {&s, QStringLiteral("A"), nullptr, &r}, kNo);
    EXPECT_EQ(Text(r), QStringLiteral("1;2;3"));

    TTextGrid singular = Grid({{"1", "2", "1"}, {"2", "4", "1"}});
    EXPECT_EQ(Message([&] { RunMatrixAction(TMatrixAction::Solve, true, {&singular, QStringLiteral("A"), nullptr, &r}, kNo); }),
              QStringLiteral("Determinante cero. El sistema no es compatible y determinado"));
    EXPECT_EQ(Message([&] { RunMatrixAction(TMatrixAction::Solve, false, {&singular, QStringLiteral("A"), nullptr, &r}, kNo); }),
              QStringLiteral("Operación cancelada"));
    TTextGrid square = Grid({{"1", "2"}, {"2", "4"}});
    EXPECT_EQ(Message([&] { RunMatrixAction(TMatrixAction::Solve, true, {&square, QStringLiteral("A"), nullptr, &r}, kNo); }),
              QStringLiteral("La matriz debe tener más columnas que filas"));
    EXPECT_EQ(Message([&] { RunMatrixAction(TMatrixAction::Inverse, true, {&square, QStringLiteral("A"), nullptr, &r}, kNo); }),
              QStringLiteral("La matriz no tiene inversa"));
    EXPECT_EQ(Text(r).remove(QLatin1Char(',')).remove(QLatin1Char(';')), QString());   // R emptied first

    TTextGrid inv = Grid({{"1", "2"}, {"3", "4"}});
    const auto shown = RunMatrixAction(TMatrixAction::Inverse, false, {&inv, QStringLiteral("A"), nullptr, &r}, kNo);
    EXPECT_EQ(Text(r), QStringLiteral("-2,1;3|2,-1|2"));
    ASSERT_TRUE(shown.has_value());
    NumberFormat().Mode = nfMixedFraction;
    shown->ShowInGrid(r);
    EXPECT_NE(Text(r), QStringLiteral("-2,1;3|2,-1|2"));
}

TEST_F(ActionsTest, TransposeRewritesTheActiveGrid)
{
    for (bool complexMode : {false, true}) {
        TTextGrid a = Grid({{"1", "2", "3"}, {"4", "5", "6"}});
        TTextGrid r(4, 4);
        RunMatrixAction(TMatrixAction::Transpose, complexMode, {&a, QStringLiteral("A"), nullptr, &r}, kNo);
        EXPECT_EQ(a.ColCount(), 3);
        EXPECT_EQ(a.RowCount(), 4);
        EXPECT_EQ(Text(a), QStringLiteral("1,4;2,5;3,6"));
    }
}

TEST_F(ActionsTest, TriangulateEmptyDefaultGrid)
{
    for (bool complexMode : {false, true}) {
        TTextGrid a(4, 4);
        TTextGrid r(2, 2);
        RunMatrixAction(TMatrixAction::Triangulate, complexMode, {&a, QStringLiteral("A"), nullptr, &r}, kNo);
        EXPECT_EQ(Text(r), QStringLiteral("0,0,0;0,0,0;0,0,0"));
    }
}

TEST_F(ActionsTest, ScalarProducts)
{
    TTextGrid a = Grid({{"1", "x"}, {"1|2", ""}});
    TTextGrid r(2, 2);
    ScaleRational(a, QStringLiteral("2"), r);
    EXPECT_EQ(Text(r), QStringLiteral("2,2x;1,0"));
    // A scalar that is not a number is an error, as in the complex mode; R
    // is left as it was.
    struct Bad {
        const char *typed, *message;
    } bad[] = {
        {"dos", "'dos' no es un valor decimal válido"},
        {"", "'' no es un valor decimal válido"},
        {"2+", "'2+' no es un valor decimal válido"},
        {"1e5000", "Desbordamiento"},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.typed);
        TTextGrid wide(4, 4);
        try {
            ScaleRational(a, QString::fromUtf8(b.typed), wide);
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(b.message));
        }
        EXPECT_EQ(wide.ColCount(), 4);
    }

    TTextGrid z = Grid({{"1+i", "0"}});
    TTextGrid zr = Grid({{"a", "b"}});
    ScaleComplex(z, complex::Complex(2, 0), zr);
    EXPECT_EQ(zr.Cell(1, 1), complex::ComplexToStr(complex::Complex(2, 2)));
    EXPECT_EQ(zr.Cell(2, 1), QStringLiteral("b"));
}

TEST_F(ActionsTest, ClipboardTextRoundTrip)
{
    const TTextGrid a = Grid({{"a", "b"}, {"c", "d"}});
    const QString text = GridToText(a);
    EXPECT_EQ(text, QStringLiteral("a\tb\r\nc\td\r\n"));
    TTextGrid b(2, 2);
    PasteText(b, text);
    EXPECT_EQ(b.RowCount(), 4);
    EXPECT_EQ(Text(b), QStringLiteral("a,b;c,d;,"));
    PasteText(b, QStringLiteral("1\t2\t3\n"));
    EXPECT_EQ(b.ColCount(), 4);
    EXPECT_EQ(b.RowCount(), 2);

    TTextGrid c = Grid({{"1"}});
    QString wide = QStringLiteral("1");
    for (int i = 0; i < 255; ++i)
        wide += QStringLiteral("\t1");
    EXPECT_EQ(Message([&] { PasteText(c, wide); }), QStringLiteral("El texto no cabe en una matriz de 255 filas y 255 columnas"));
    EXPECT_EQ(Text(c), QStringLiteral("1"));
    QString tall;
    for (int i = 0; i < 256; ++i)
        tall += QStringLiteral("1\r");
    EXPECT_THROW(PasteText(c, tall), Exception);

    TTextGrid e = Grid({{"5", "6"}, {"7", "8"}});
    IdentityGrid(e);
    EXPECT_EQ(Text(e), QStringLiteral("1,;,1"));
    EmptyGrid(e);
    EXPECT_EQ(Text(e), QStringLiteral(",;,"));
}

} // namespace

namespace {

TEST_F(ActionsTest, CellCharactersAndDots)
{
    for (QChar ch : QStringLiteral("+-.^|09azAZ\b"))
        EXPECT_TRUE(IsCellCharacter(ch)) << QString(ch).toStdString();
    for (QChar ch : QStringLiteral("*/(), =ñ\t"))
        EXPECT_FALSE(IsCellCharacter(ch)) << QString(ch).toStdString();
    struct Case {
        const char* typed;
        const char* shown;
    } cases[] = {{"1..2", "1|2"}, {"...", "|."}, {"....", "||"}, {"1.5", "1.5"}, {"a..b..c", "a|b|c"}, {"", ""}};
    for (const Case& c : cases)
        EXPECT_EQ(DotsToBar(QString::fromLatin1(c.typed)), QString::fromLatin1(c.shown)) << c.typed;
}

TEST_F(ActionsTest, HeaderTextsMarkTheRightHandSides)
{
    // Two equations with three columns: the third column is a right-hand side.
    TTextGrid g = Grid({{"1", "2", "3"}, {"4", "5", "6"}});
    struct Case {
        int col, row;
        const char* text;
    } cases[] = {{0, 0, "A"}, {0, 1, "1"}, {0, 2, "2"}, {1, 0, ""}, {2, 0, ""}, {3, 0, "b"}, {2, 1, "2"}, {3, 2, "6"}};
    for (const Case& c : cases)
        EXPECT_EQ(HeaderText(g, QStringLiteral("A"), c.col, c.row), QString::fromLatin1(c.text)) << c.col << "," << c.row;
    TTextGrid square = Grid({{"1", "2"}, {"3", "4"}});
    EXPECT_EQ(HeaderText(square, QStringLiteral("B"), 2, 0), QString());
}

TEST_F(ActionsTest, SwappedGridsExchangeSizesAndDataButKeepTheirNames)
{
    TTextGrid a = Grid({{"1", "2", "3"}, {"4", "5", "6"}});
    TTextGrid b = Grid({{"x"}, {"y"}, {"z"}, {"w"}});
    a.SetCell(0, 0, QStringLiteral("A"));
    b.SetCell(0, 0, QStringLiteral("B"));
    SwapGrids(a, b);
    EXPECT_EQ(a.ColCount(), 2);
    EXPECT_EQ(a.RowCount(), 5);
    EXPECT_EQ(Text(a), QStringLiteral("x;y;z;w"));
    EXPECT_EQ(Text(b), QStringLiteral("1,2,3;4,5,6"));
    EXPECT_EQ(a.Cell(0, 0), QStringLiteral("A"));
    EXPECT_EQ(b.Cell(0, 0), QStringLiteral("B"));
    SwapGrids(a, a);
    EXPECT_EQ(Text(a), QStringLiteral("x;y;z;w"));
}

TEST_F(ActionsTest, SizeHandleTravel)
{
    struct Case {
        int atPress, travel, size;
    } cases[] = {{3, 0, 3}, {3, 15, 3}, {3, 16, 4}, {3, 47, 5}, {3, -15, 3}, {3, -16, 2}, {3, -200, 1}, {250, 160, 255}};
    for (const Case& c : cases)
        EXPECT_EQ(SizeAfterDrag(c.atPress, c.travel), c.size) << c.atPress << " " << c.travel;
}

TEST_F(ActionsTest, LongSymbolicWorkReportsProgressAndStops)
{
    // A 6 × 6 determinant with a different letter pair in every cell.
    TTextGrid g(7, 7);
    for (int r = 1; r <= 6; ++r)
        for (int c = 1; c <= 6; ++c)
            g.SetCell(c, r, QString(QChar('a' + c - 1)) + QChar('g' + r - 1) + QStringLiteral("+") + QChar('m' + (c + r) % 12));
    const TMatriz m = TMatriz::CreateFromGrid(g);
    std::vector<double> seen;
    {
        TMatrizProgress progress([&](double done) { seen.push_back(done); });
        m.Determinant();
    }
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GE(seen.front(), 0.0);
    EXPECT_NEAR(seen.back(), 1.0, 1e-9);
    // The hook stops the work by raising; without a scope nothing is called.
    int calls = 0;
    {
        TMatrizProgress progress([&](double) {
            if (++calls >= 3)
                throw EAbort();
        });
        EXPECT_THROW(m.Determinant(), EAbort);
        EXPECT_THROW(m.Multiply(m), EAbort);
    }
    calls = 0;
    m.Square();
    EXPECT_EQ(calls, 0);
}

} // namespace
