// The world-coordinate paint box as a widget: scale, rubber band, resize.
#include "controls/paintboxm.h"
#include "support/fixtures.h"

#include "mouse.h"
#include "platform/window.h"

#include <QResizeEvent>
#include <string>
#include <vector>

namespace {

struct BandFixture : ProcessStateTest {
    TPaintBoxM box;
    std::vector<std::string> log;
    std::vector<TRect> olds, news, ups;
    void SetUp() override
    {
        ProcessStateTest::SetUp();
        box.resize(100, 50);
        box.OnMouseDown = [this](QObject*, Qt::MouseButton, TShiftState, int, int) { log.push_back("down"); };
        box.OnMouseMove = [this](QObject*, TShiftState, int, int) { log.push_back("move"); };
        box.OnMouseUp = [this](QObject*, Qt::MouseButton, TShiftState, int, int) { log.push_back("up"); };
        box.OnRectDraw = [this](QObject* s, const TRect& o, TShiftState, TRect& n) {
            EXPECT_EQ(s, &box);
            log.push_back(box.Dragging() ? "draw" : "draw-after");
            olds.push_back(o);
            news.push_back(n);
        };
        box.OnRectUp = [this](QObject*, const TRect& r, Qt::MouseButton b, TShiftState) {
            log.push_back(b == Qt::LeftButton ? "rectup-left" : "rectup");
            ups.push_back(r);
        };
    }
};

} // namespace

TEST(PaintBoxM, DefaultScaleOnAWidget)
{
    TPaintBoxM box;
    box.resize(100, 50);
    box.SetScale(0, 0, 1, 1);
    EXPECT_EQ(box.WorldToPixelX(0.5), 50);
    EXPECT_EQ(box.WorldToPixelY(0.5), 25);
    EXPECT_DOUBLE_EQ(box.PixelToWorldX(100), 1.0);
    EXPECT_DOUBLE_EQ(box.PixelToWorldY(50), 1.0);
    EXPECT_TRUE(box.DrawRectLeft);
    EXPECT_TRUE(box.DrawRectRight);
    EXPECT_FALSE(box.DrawRectMiddle);
    EXPECT_FALSE(box.ClipCursorOnDrag);
    EXPECT_FALSE(box.KeepScaleAspect);
}

TEST(PaintBoxM, EdgeSettersUseTheCurrentSize)
{
    TPaintBoxM box;
    box.resize(100, 100);
    box.setScaleTop(10);
    box.setScaleBottom(0);
    EXPECT_EQ(box.WorldToPixelY(2.5), 75);
    box.setScaleWidth(4);
    EXPECT_DOUBLE_EQ(box.ScaleRight(), 4.0);
    EXPECT_EQ(box.WorldToPixelX(1), 25);
}

TEST(PaintBoxM, ResizeWithAndWithoutKeepScaleAspect)
{
    TPaintBoxM box;
    resizeNow(box, 100, 100);
    box.SetScale(0, 0, 1, 1);
    int resized = 0;
    box.OnResize = [&](QObject*) { ++resized; };
    box.KeepScaleAspect = true;
    resizeNow(box, 200, 100);
    EXPECT_EQ(resized, 1);
    EXPECT_DOUBLE_EQ(box.ScaleLeft(), -0.5);
    EXPECT_DOUBLE_EQ(box.ScaleRight(), 1.5);
    box.KeepScaleAspect = false;
    resizeNow(box, 400, 100);
    EXPECT_DOUBLE_EQ(box.ScaleLeft(), -0.5);
    EXPECT_DOUBLE_EQ(box.ScaleRight(), 1.5);
    EXPECT_EQ(box.WorldToPixelX(1.5), 400);
}

TEST(PaintBoxM, CanResizeMayRefuse)
{
    TPaintBoxM box;
    box.resize(100, 100);
    box.OnCanResize = [](QObject*, int& w, int&, bool& ok) {
        if (w > 300)
            ok = false;
        else
            w = w / 10 * 10;
    };
    box.SetBounds(5, 6, 157, 80);
    EXPECT_EQ(box.geometry(), QRect(5, 6, 150, 80));
    box.SetBounds(7, 8, 400, 80);
    EXPECT_EQ(box.geometry(), QRect(7, 8, 150, 80));
}

TEST_F(BandFixture, LeftDragDrawsTheBandAndReportsIt)
{
    press(&box, QPoint(10, 10));
    EXPECT_TRUE(box.Dragging());
    EXPECT_EQ(box.Band(), (TRect{10, 10, 10, 10}));
    moveTo(&box, QPoint(30, 40), Qt::LeftButton);
    EXPECT_TRUE(box.BandShown());
    EXPECT_EQ(box.Band(), (TRect{10, 10, 30, 40}));
    release(&box, QPoint(35, 45));
    EXPECT_FALSE(box.Dragging());
    EXPECT_FALSE(box.BandShown());
    EXPECT_EQ(log, (std::vector<std::string>{"down", "move", "draw", "up", "draw", "rectup-left"}));
    ASSERT_EQ(olds.size(), 2u);
    EXPECT_EQ(olds[0], (TRect{10, 10, 10, 10}));
    EXPECT_EQ(news[0], (TRect{10, 10, 30, 40}));
    EXPECT_EQ(olds[1], (TRect{10, 10, 30, 40}));
    EXPECT_EQ(news[1], (TRect{10, 10, 35, 45}));
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0], (TRect{10, 10, 35, 45}));
}

TEST_F(BandFixture, HandlersMayChangeTheBand)
{
    box.OnRectDraw = [](QObject*, const TRect&, TShiftState, TRect& n) { n.Bottom = n.Top + (n.Right - n.Left); };
    press(&box, QPoint(10, 10));
    moveTo(&box, QPoint(30, 45), Qt::LeftButton);
    EXPECT_EQ(box.Band(), (TRect{10, 10, 30, 30})); // kept square by the handler
    release(&box, QPoint(40, 45));
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0], (TRect{10, 10, 40, 40}));
}

TEST_F(BandFixture, ButtonsWithoutBandStillReportIt)
{
    box.DrawRectLeft = false;
    press(&box, QPoint(10, 10));
    moveTo(&box, QPoint(20, 20), Qt::LeftButton);
    EXPECT_FALSE(box.BandShown());
    EXPECT_EQ(news.size(), 1u);
    release(&box, QPoint(20, 20));
    EXPECT_EQ(ups.size(), 1u);
    // the middle button draws no band by default
    press(&box, QPoint(5, 5), Qt::MiddleButton);
    moveTo(&box, QPoint(25, 25), Qt::MiddleButton);
    EXPECT_FALSE(box.BandShown());
    box.DrawRectMiddle = true;
    moveTo(&box, QPoint(26, 26), Qt::MiddleButton);
    EXPECT_TRUE(box.BandShown());
    release(&box, QPoint(26, 26), Qt::MiddleButton);
    EXPECT_FALSE(box.BandShown());
}

TEST_F(BandFixture, MovesWithoutAPressDoNothing)
{
    moveTo(&box, QPoint(20, 20), Qt::NoButton);
    release(&box, QPoint(20, 20));
    EXPECT_TRUE(news.empty());
    EXPECT_TRUE(ups.empty());
}

TEST_F(BandFixture, ClipCursorOnDragConfinesThePointerUntilRelease)
{
    box.ClipCursorOnDrag = true;
    box.move(0, 0);
    press(&box, QPoint(10, 10));
    const auto clip = platform::CursorClipRect();
    ASSERT_TRUE(clip.has_value());
    EXPECT_EQ(*clip, QRect(box.mapToGlobal(QPoint(0, 0)), box.size()));
    release(&box, QPoint(10, 10));
    EXPECT_FALSE(platform::CursorClipRect().has_value());
}
