// The cell grid as a widget: counts, sizes, images and mouse events per cell.
#include "controls/paintgrid.h"
#include "support/fixtures.h"

#include "controls/imagelist.h"
#include "mouse.h"
#include "platform/window.h"

#include <QResizeEvent>
#include <QWidget>
#include <vector>

namespace {

struct CellEvent {
    char kind; // d(own), m(ove), u(p), g (drag)
    int a, b, c;
    bool up;
    bool operator==(const CellEvent&) const = default;
};
void PrintTo(const CellEvent& e, std::ostream* os)
{
    *os << e.kind << "(" << e.a << "," << e.b << "," << e.c << (e.up ? ",up" : "") << ")";
}

struct GridFixture : ProcessStateTest {
    TPaintGrid grid;
    std::vector<CellEvent> events;
    void SetUp() override
    {
        ProcessStateTest::SetUp();
        resizeNow(grid, 545, 225);
        grid.SetColCount(18);
        grid.SetRowCount(8);
        grid.OnMouseDownCell = [this](QObject*, Qt::MouseButton, TShiftState, int c, int r, int k) {
            events.push_back({'d', c, r, k, false});
        };
        grid.OnMouseMoveCell = [this](QObject*, TShiftState, int c, int r, int k) { events.push_back({'m', c, r, k, false}); };
        grid.OnMouseUpCell = [this](QObject*, Qt::MouseButton, TShiftState, int c, int r, int k) {
            events.push_back({'u', c, r, k, false});
        };
        grid.OnDragCell = [this](QObject*, int& first, int last, bool up, TShiftState) {
            events.push_back({'g', first, last, 0, up});
        };
    }
};

} // namespace

TEST_F(GridFixture, CountGridCells)
{
    EXPECT_EQ(grid.ColWidth(), 545 / 18);
    EXPECT_EQ(grid.RowHeight(), 225 / 8);
    EXPECT_EQ(grid.CellRect(17, 7), (TRect{515, 197, 545, 225}));
    int c = 0, r = 0;
    grid.CellAt(544, 224, c, r);
    EXPECT_EQ(c, 17);
    EXPECT_EQ(r, 7);
    EXPECT_EQ(grid.CellCount(), 144);
    grid.move(7, 9);
    EXPECT_EQ(grid.CellRectInParent(grid.CellIndex(17, 7)), (TRect{522, 206, 552, 234}));
    // column widths are not set while the counts are fixed
    grid.setColWidth(10);
    EXPECT_EQ(grid.ColWidth(), 545 / 18);
}

TEST_F(GridFixture, VerticalNumbering)
{
    grid.setDireccion(tgdVertical);
    EXPECT_EQ(grid.CellIndex(1, 2), 10);
    EXPECT_EQ(grid.CellRectOfIndex(10), grid.CellRect(1, 2));
}

TEST_F(GridFixture, ChangingACountResetsTheCellImages)
{
    grid.SetCellImage(3, 5);
    grid.SetCellImage(143, 2);
    EXPECT_EQ(grid.CellImage(3), 5);
    grid.SetColCount(10);
    EXPECT_EQ(grid.CellCount(), 80);
    for (int k = 0; k < grid.CellCount(); ++k)
        ASSERT_EQ(grid.CellImage(k), 0) << k;
    EXPECT_EQ(grid.CellImage(80), -1);
    grid.SetCellImage(500, 1); // outside: ignored
    EXPECT_EQ(grid.CellImage(500), -1);
    // counts are at least 1
    grid.SetColCount(0);
    EXPECT_EQ(grid.ColCount(), 1);
}

TEST_F(GridFixture, SizeGridFollowsTheControl)
{
    grid.setFix(tfgSize);
    grid.setColWidth(30);
    EXPECT_EQ(grid.ColCount(), 545 / 30);
    grid.setRowHeight(40);
    EXPECT_EQ(grid.RowCount(), 225 / 40);
    resizeNow(grid, 100, 100);
    EXPECT_EQ(grid.ColCount(), 3);
    EXPECT_EQ(grid.RowCount(), 2);
    resizeNow(grid, 10, 10); // narrower than one column: still one column
    EXPECT_EQ(grid.ColCount(), 1);
    EXPECT_EQ(grid.RowCount(), 1);
    grid.setFix(tbgNone);
    resizeNow(grid, 300, 300);
    EXPECT_EQ(grid.ColCount(), 1);
}

TEST_F(GridFixture, PressMoveReleaseReportCellsAndTheDrag)
{
    const TRect a = grid.CellRect(2, 1);
    const TRect b = grid.CellRect(4, 1);
    press(&grid, QPoint(a.Left + 3, a.Top + 3));
    moveTo(&grid, QPoint(a.Left + 5, a.Top + 5), Qt::LeftButton); // same cell: no drag report
    moveTo(&grid, QPoint(b.Left + 3, b.Top + 3), Qt::LeftButton);
    moveTo(&grid, QPoint(b.Left + 3, b.Top + 3), Qt::NoButton); // no button held: no drag report
    release(&grid, QPoint(b.Left + 3, b.Top + 3));
    const int ca = grid.CellIndex(2, 1), cb = grid.CellIndex(4, 1);
    const std::vector<CellEvent> expected{
        {'d', 2, 1, ca, false}, {'g', ca, ca, 0, false}, {'m', 2, 1, ca, false}, {'m', 4, 1, cb, false},
        {'g', ca, cb, 0, false}, {'m', 4, 1, cb, false}, {'u', 4, 1, cb, false}, {'g', ca, cb, 0, true},
    };
    EXPECT_EQ(events, expected);
}

TEST_F(GridFixture, TheDragHandlerMayMoveTheStartCell)
{
    grid.OnDragCell = [this](QObject*, int& first, int last, bool up, TShiftState) {
        events.push_back({'g', first, last, 0, up});
        first = 99;
    };
    const TRect a = grid.CellRect(0, 0);
    const TRect b = grid.CellRect(1, 0);
    press(&grid, QPoint(a.Left + 1, a.Top + 1));
    EXPECT_EQ(grid.DragStart(), 99);
    moveTo(&grid, QPoint(b.Left + 1, b.Top + 1), Qt::LeftButton);
    EXPECT_EQ(events.back(), (CellEvent{'g', 99, 1, 0, false}));
}

// Fault built soundly: with the mouse held, the pointer may go left of or
// above the grid; no cell event may carry a negative column, row or cell.
TEST_F(GridFixture, PointerOutsideDuringADragFiresNoCellEvent)
{
    grid.ClipCursorOnDrag = true;
    press(&grid, QPoint(5, 5));
    EXPECT_TRUE(platform::CursorClipRect().has_value());
    events.clear();
    for (QPoint p : {QPoint(-1, 5), QPoint(-100, 5), QPoint(5, -1), QPoint(-300, -300), QPoint(545, 10), QPoint(10, 225)})
        moveTo(&grid, p, Qt::LeftButton);
    release(&grid, QPoint(-40, -40));
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(platform::CursorClipRect().has_value()); // freed even outside the cells
}

TEST_F(GridFixture, APressBesideTheCellsOfASizeGridFiresNothing)
{
    grid.setFix(tfgSize);
    grid.setColWidth(30);
    grid.setRowHeight(30);
    resizeNow(grid, 100, 100); // 3 x 3 cells cover 90 x 90
    events.clear();
    press(&grid, QPoint(95, 10));
    release(&grid, QPoint(95, 10));
    EXPECT_TRUE(events.empty());
}

TEST_F(GridFixture, PaintingShowsCellImagesAndCallsOnPaint)
{
    TImageList images(10, 10);
    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    QImage blue(10, 10, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    images.Add(red);
    images.Add(blue);
    resizeNow(grid, 40, 20);
    grid.SetColCount(2);
    grid.SetRowCount(1);
    grid.setImageList(&images);
    grid.setImageStyle(tisCenter);
    grid.SetCellImage(1, 1);
    int painted = 0;
    grid.OnPaint = [&](QObject*) { ++painted; };
    const QImage shot = grid.grab().toImage();
    EXPECT_EQ(painted, 1);
    EXPECT_EQ(shot.pixelColor(10, 10), QColor(Qt::red));  // cell 0 centred at (5, 5)
    EXPECT_EQ(shot.pixelColor(30, 10), QColor(Qt::blue)); // cell 1 shows image 1
    grid.SetCellImage(0, 7); // an index beyond the list draws nothing
    grid.setImageStyle(tisStretch);
    grid.grab();
    EXPECT_EQ(painted, 2);
}
