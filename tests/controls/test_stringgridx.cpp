#include "controls/stringgridx.h"

#include "foundation/core/basicos.h"
#include "support/fixtures.h"

#include <QFile>
#include <QFontMetrics>

namespace {

class StringGridX : public ExeDirTest {};

TEST_F(StringGridX, LoadSaveRoundTrip)
{
    {
        QFile f(path("gr.gri"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("1\t2\t3\r\n4\t5\r\n\xF1\r\n");
    }
    TStringGridX g;
    g.setObjectName("Grid1");
    g.SetCells(0, 0, "cab");
    g.LoadFromFile(path("gr.gri"));
    EXPECT_EQ(g.RowCount(), 4);
    EXPECT_EQ(g.ColCount(), 4);
    EXPECT_EQ(g.Cells(0, 0), QStringLiteral("cab"));
    EXPECT_EQ(g.Cells(2, 2), QStringLiteral("5"));
    EXPECT_EQ(g.Cells(3, 2), QString());
    EXPECT_EQ(g.Cells(1, 3), QStringLiteral("ñ"));
    EXPECT_TRUE(g.updatesEnabled());

    g.SaveToFile(path("copy.gri"));
    QFile f(path("copy.gri"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("1\t2\t3\r\n4\t5\t\r\n\xF1\t\t\r\n"));

    EXPECT_THROW(g.LoadFromFile(path("missing.gri")), EInOutError);
    EXPECT_EQ(g.RowCount(), 4) << "a failed load leaves the grid as it was";
    EXPECT_TRUE(g.updatesEnabled());
}

TEST_F(StringGridX, HeaderCellsAreNotEditable)
{
    TStringGridX g;
    g.SetCells(0, 1, "h");
    g.SetCells(1, 0, "h");
    g.SetCells(1, 1, "b");
    EXPECT_FALSE(g.item(1, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(g.item(0, 1)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(g.item(1, 1)->flags() & Qt::ItemIsEditable);
}

TEST_F(StringGridX, SortAndDelete)
{
    TStringGridX g;
    g.SetRowCount(6);
    g.SetColCount(3);
    const char* texts[] = {"b", "A", "c", ""};
    for (int r = 1; r <= 4; ++r) {
        g.SetCells(0, r, QString::number(r));
        g.SetCells(1, r, QString::fromUtf8(texts[r - 1]));
    }
    g.SetCells(1, 5, "nuevo");
    g.SortByColumn(1);
    QStringList col1, col0;
    for (int r = 1; r < 6; ++r) {
        col1.append(g.Cells(1, r));
        col0.append(g.Cells(0, r));
    }
    EXPECT_EQ(col1, (QStringList{"", "A", "b", "c", "nuevo"}));
    EXPECT_EQ(col0, (QStringList{"4", "2", "1", "3", ""}));
    EXPECT_TRUE(g.updatesEnabled());

    g.SetCurrent(2, 4);
    g.DeleteRow(2);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.Cells(1, 2), QStringLiteral("b"));
    EXPECT_EQ(g.Row(), 4);
    g.SetCurrent(1, 4);
    g.DeleteRow(4);
    EXPECT_EQ(g.RowCount(), 4);
    EXPECT_EQ(g.Row(), 3);
    EXPECT_EQ(g.Col(), 1);

    TStringGridX one;
    one.SetRowCount(2);
    one.SetCells(1, 1, "solo");
    one.SortByColumn(1);
    EXPECT_EQ(one.Cells(1, 1), QStringLiteral("solo"));
}

TEST_F(StringGridX, AutoSizeColumns)
{
    TStringGridX g;
    g.SetRowCount(3);
    g.SetColCount(3);
    g.SetCells(1, 0, QStringLiteral("un encabezado muy largo"));
    g.SetCells(1, 1, QStringLiteral("corto"));
    g.SetCells(1, 2, QStringLiteral("algo más largo"));
    g.SetCells(0, 1, QStringLiteral("fijo fijo fijo fijo"));
    g.setColumnWidth(0, 33);
    AutoSizeGridColumns(g);
    const QFontMetrics fm(g.font());
    EXPECT_EQ(g.columnWidth(1), fm.horizontalAdvance(QStringLiteral("algo más largo")) + 8);
    EXPECT_EQ(g.columnWidth(2), 16) << "an empty column";
    EXPECT_EQ(g.columnWidth(0), 33) << "fixed columns keep their width";
    EXPECT_TRUE(g.updatesEnabled());
}

} // namespace
