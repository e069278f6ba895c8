// Cells of the painting grid, without a window.
#include "controls/gridgeometry.h"
#include "support/testsupport.h"

namespace {
TGridGeometry countGrid(int cols, int rows, int w, int h)
{
    TGridGeometry g;
    g.ColCount = cols;
    g.RowCount = rows;
    g.Width = w;
    g.Height = h;
    g.ColWidth = w / cols;
    g.RowHeight = h / rows;
    return g;
}
} // namespace

TEST(GridGeometry, CountGridSpreadsTheRemainderOverTheCells)
{
    const TGridGeometry g = countGrid(18, 8, 545, 225);
    EXPECT_EQ(g.CellRect(17, 7), (TRect{515, 197, 545, 225}));
    EXPECT_EQ(g.CellRect(0, 0), (TRect{0, 0, 30, 28}));
    int col = -9, row = -9;
    g.CellAt(544, 224, col, row);
    EXPECT_EQ(col, 17);
    EXPECT_EQ(row, 7);
    g.CellAt(514, 196, col, row);
    EXPECT_EQ(col, 16);
    EXPECT_EQ(row, 6);
}

TEST(GridGeometry, SizeGridUsesFixedCells)
{
    TGridGeometry g = countGrid(3, 2, 100, 100);
    g.Fix = tfgSize;
    g.ColWidth = 30;
    g.RowHeight = 40;
    EXPECT_EQ(g.CellRect(2, 1), (TRect{60, 40, 90, 80}));
    int col = 0, row = 0;
    g.CellAt(95, 10, col, row); // right of the last column
    EXPECT_EQ(col, 3);
    EXPECT_FALSE(g.Contains(col, row));
}

TEST(GridGeometry, CellNumbersFollowTheDirection)
{
    TGridGeometry g = countGrid(5, 8, 100, 100);
    g.Direccion = tgdVertical;
    int col = 0, row = 0;
    ASSERT_TRUE(g.CellOfIndex(10, col, row));
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 2);
    EXPECT_EQ(g.CellIndex(1, 2), 10);
    g.Direccion = tgdHorizontal;
    ASSERT_TRUE(g.CellOfIndex(10, col, row));
    EXPECT_EQ(col, 0);
    EXPECT_EQ(row, 2);
    EXPECT_EQ(g.CellIndex(0, 2), 10);
    EXPECT_EQ(g.CellCount(), 40);
}

TEST(GridGeometry, CellsOutsideTheGridHaveTheEmptyRectangle)
{
    const TGridGeometry g = countGrid(4, 4, 100, 100);
    struct Case {
        int col, row;
    } cases[] = {{4, 0}, {0, 4}, {-1, 0}, {0, -1}, {100, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.col << "," << c.row);
        EXPECT_EQ(g.CellRect(c.col, c.row), (TRect{0, 0, 0, 0}));
    }
    EXPECT_EQ(g.CellRectOfIndex(16), (TRect{0, 0, 0, 0}));
    EXPECT_EQ(g.CellRectOfIndex(-1), (TRect{0, 0, 0, 0}));
}

// Fault built soundly: while a drag holds the mouse, the pointer can be left
// of or above the control; those pixels are outside the grid, never cell 0
// and never a negative cell number.
TEST(GridGeometry, PixelsLeftOfOrAboveTheControlAreOutside)
{
    for (TFixGrid fix : {tfgCount, tfgSize}) {
        TGridGeometry g = countGrid(18, 8, 545, 225);
        g.Fix = fix;
        struct Case {
            int x, y;
        } cases[] = {{-1, 10}, {10, -1}, {-5, -5}, {-100, 50}, {50, -1000}};
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "fix " << fix << " at " << c.x << "," << c.y);
            int col = 0, row = 0;
            g.CellAt(c.x, c.y, col, row);
            EXPECT_FALSE(g.Contains(col, row));
        }
    }
}

TEST(GridGeometry, NoSizeMeansNoCellUnderAnyPixel)
{
    TGridGeometry g = countGrid(3, 3, 0, 0);
    int col = 0, row = 0;
    g.CellAt(0, 0, col, row);
    EXPECT_FALSE(g.Contains(col, row));
    g.Fix = tfgSize;
    g.ColWidth = 0;
    g.RowHeight = 0;
    g.CellAt(5, 5, col, row);
    EXPECT_FALSE(g.Contains(col, row));
}

TEST(GridGeometry, CountsKeepCellNumbersWithin16Bits)
{
    EXPECT_EQ(TGridGeometry::LimitCount(0, 5), 1);
    EXPECT_EQ(TGridGeometry::LimitCount(-3, 5), 1);
    EXPECT_EQ(TGridGeometry::LimitCount(300, 300), 65535 / 300);
    EXPECT_EQ(TGridGeometry::LimitCount(18, 8), 18);
}
