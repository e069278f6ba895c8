#include "foundation/core/grid.h"

#include "foundation/core/basicos.h"
#include "support/fixtures.h"

#include <QFile>

namespace {

class Grid : public CoreExeDirTest {
protected:
    static QStringList row(const TTextGrid& g, int r)
    {
        QStringList out;
        for (int c = 0; c < g.ColCount(); ++c)
            out.append(g.Cell(c, r));
        return out;
    }
};

TEST_F(Grid, LoadTakesTheLongestLine)
{
    put("ga.gri", "1\t2\t3\r\na\tb\tc\td\t\xF1\n\r\nx");
    TTextGrid g(3, 3);
    g.SetCell(0, 0, "h0");
    g.SetCell(2, 2, "old");
    g.LoadFromFile(path("ga.gri"));
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.ColCount(), 6);
    EXPECT_EQ(row(g, 0).first(), QStringLiteral("h0")) << "the header row stays";
    EXPECT_EQ(row(g, 1), (QStringList{"", "1", "2", "3", "", ""}));
    EXPECT_EQ(row(g, 2), (QStringList{"", "a", "b", "c", "d", "ñ"}));
    EXPECT_EQ(row(g, 3), (QStringList{"", "", "", "", "", ""}));
    EXPECT_EQ(row(g, 4), (QStringList{"", "x", "", "", "", ""}));
    EXPECT_EQ(g.FixedCols(), 1);
    EXPECT_EQ(g.FixedRows(), 1);
}

TEST_F(Grid, ThreeFiveAndOneFields)
{
    put("gb.gri", "a\tb\tc\r\n1\t2\t3\t4\t5\r\nz\r\n");
    TTextGrid g;
    g.LoadFromFile(path("gb.gri"));
    EXPECT_EQ(g.RowCount(), 4);
    EXPECT_EQ(g.ColCount(), 6);
    EXPECT_EQ(row(g, 3), (QStringList{"", "z", "", "", "", ""}));
}

TEST_F(Grid, EmptyFileGivesTwoByTwo)
{
    put("e.gri", "");
    TTextGrid g(7, 7);
    g.SetCell(1, 1, "x");
    g.LoadFromFile(path("e.gri"));
    EXPECT_EQ(g.RowCount(), 2);
    EXPECT_EQ(g.ColCount(), 2);
    EXPECT_EQ(g.Cell(1, 1), QString());
}

TEST_F(Grid, SaveWritesTheBodyOnly)
{
    TTextGrid g(4, 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            g.SetCell(c, r, QStringLiteral("%1%2").arg(QChar('a' + c)).arg(r));
    g.SetCell(3, 2, QStringLiteral("ñ"));
    g.SaveToFile(path("gc.gri"));
    EXPECT_EQ(get("gc.gri"), QByteArray("b1\tc1\td1\r\nb2\tc2\t\xF1\r\n"));

    TTextGrid back;
    back.LoadFromFile(path("gc.gri"));
    EXPECT_EQ(back.RowCount(), 3);
    EXPECT_EQ(back.ColCount(), 4);
    for (int r = 1; r < 3; ++r)
        for (int c = 1; c < 4; ++c)
            EXPECT_EQ(back.Cell(c, r), g.Cell(c, r));

    TTextGrid headerOnly(4, 1);
    headerOnly.SaveToFile(path("h.gri"));
    EXPECT_EQ(get("h.gri"), QByteArray());
}

// A tab or line break inside a cell used to split it into more cells or rows
// when the file was read back.
TEST_F(Grid, CellsWithTabsOrLineBreaksKeepTheShape)
{
    TTextGrid g(3, 2);
    g.SetCell(1, 1, QStringLiteral("a\tb"));
    g.SetCell(2, 1, QStringLiteral("c\r\nd\ne"));
    g.SaveToFile(path("t.gri"));
    TTextGrid back;
    back.LoadFromFile(path("t.gri"));
    EXPECT_EQ(back.RowCount(), 2);
    EXPECT_EQ(back.ColCount(), 3);
    EXPECT_EQ(back.Cell(1, 1), QStringLiteral("a b"));
    EXPECT_EQ(back.Cell(2, 1), QStringLiteral("c d e"));
}

TEST_F(Grid, FileErrors)
{
    TTextGrid g(3, 3);
    g.SetCell(1, 1, "keep");
    EXPECT_THROW(g.LoadFromFile(path("missing.gri")), EInOutError);
    EXPECT_EQ(g.RowCount(), 3);
    EXPECT_EQ(g.Cell(1, 1), QStringLiteral("keep"));
    try {
        g.SaveToFile(path("no/such/folder/x.gri"));
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("No se puede escribir el archivo")));
    }
}

// A file far larger than any grid is refused before it is read.
TEST_F(Grid, AFileFarLargerThanAnyGridIsRefused)
{
    put("big.gri", "1\t2\r\n");
    {
        QFile f(path("big.gri"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.resize(kMaxGridFileBytes + 1));   // sparse: nothing is written
    }
    TTextGrid g(3, 3);
    g.SetCell(1, 1, "keep");
    try {
        g.LoadFromFile(path("big.gri"));
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("big.gri")));
        EXPECT_TRUE(e.message().contains(QStringLiteral("MB")));
    }
    EXPECT_EQ(g.RowCount(), 3);
    EXPECT_EQ(g.Cell(1, 1), QStringLiteral("keep"));
    // At the limit it is read.
    {
        QFile f(path("big.gri"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.resize(kMaxGridFileBytes));
    }
    EXPECT_NO_THROW(g.LoadFromFile(path("big.gri")));
    EXPECT_EQ(g.Cell(1, 1), QStringLiteral("1"));
}

TEST_F(Grid, SortIgnoresCaseAndKeepsTheLastRow)
{
    TTextGrid g(3, 6);
    const char* texts[] = {"b", "A", "c", ""};
    for (int r = 1; r <= 4; ++r) {
        g.SetCell(0, r, QStringLiteral("h%1").arg(r));
        g.SetCell(1, r, QString::fromUtf8(texts[r - 1]));
        g.SetCell(2, r, QStringLiteral("o%1").arg(r));
    }
    g.SetCell(1, 5, QStringLiteral("0 last"));
    g.SortByColumn(1);
    EXPECT_EQ(row(g, 1), (QStringList{"h4", "", "o4"})) << "the header column moves with its row";
    EXPECT_EQ(row(g, 2), (QStringList{"h2", "A", "o2"}));
    EXPECT_EQ(row(g, 3), (QStringList{"h1", "b", "o1"}));
    EXPECT_EQ(row(g, 4), (QStringList{"h3", "c", "o3"}));
    EXPECT_EQ(g.Cell(1, 5), QStringLiteral("0 last"));
}

// A grid with one body row asks the sort for rows 1..0.
TEST_F(Grid, SortingTinyGridsReadsNothingOutside)
{
    struct Probe : TTextGrid {
        using TTextGrid::TTextGrid;
        mutable QList<int> rowsRead;
        QString Cell(int col, int r) const override
        {
            rowsRead.append(r);
            return TTextGrid::Cell(col, r);
        }
    };
    for (int rows : {1, 2, 3}) {
        SCOPED_TRACE(rows);
        Probe g(2, rows);
        g.SortByColumn(1);
        for (int r : g.rowsRead)
            EXPECT_TRUE(r >= 1 && r <= rows - 2) << r;
    }
    Probe g(2, 5);
    g.SortByColumn(7);
    g.SortByColumn(-1);
    EXPECT_TRUE(g.rowsRead.isEmpty());
}

TEST_F(Grid, DeleteRow)
{
    TTextGrid g(2, 5);
    for (int r = 0; r < 5; ++r)
        g.SetCell(1, r, QString::number(r));
    g.Row = 4;
    g.Col = 1;
    g.DeleteRow(2);
    EXPECT_EQ(g.RowCount(), 4);
    EXPECT_EQ(g.Cell(1, 2), QStringLiteral("3"));
    EXPECT_EQ(g.Cell(1, 3), QStringLiteral("4"));
    EXPECT_EQ(g.Row, 3);
    EXPECT_EQ(g.Col, 1);
    g.Row = 1;
    g.DeleteRow(3);
    EXPECT_EQ(g.RowCount(), 3);
    EXPECT_EQ(g.Cell(1, 2), QStringLiteral("3"));
    EXPECT_EQ(g.Row, 1);
    g.DeleteRow(9); // no such row
    EXPECT_EQ(g.RowCount(), 3);
}

TEST_F(Grid, CompareTextFoldsOnlyAsciiLetters)
{
    EXPECT_EQ(CompareText("abc", "ABC"), 0);
    EXPECT_LT(CompareText("", "A"), 0);
    EXPECT_LT(CompareText("A", "b"), 0);
    EXPECT_GT(CompareText("b", "A"), 0);
    EXPECT_NE(CompareText(QStringLiteral("é"), QStringLiteral("É")), 0);
    EXPECT_LT(CompareText("Z", "_"), 0) << "letters compare as capitals";
}

} // namespace
