// The window services over Qt: top-most band, shapes, translucency, pointer
// confinement, work area.
#include "platform/window.h"
#include "support/fixtures.h"

#include <QWidget>

namespace {
struct ClipFixture : ProcessStateTest {};
} // namespace

TEST(Window, TopMostBandWithoutHidingTheWindow)
{
    QWidget w;
    w.resize(100, 80);
    w.move(50, 60);
    w.show();
    const QRect before = w.geometry();
    platform::SetWindowTopMost(&w, true);
    EXPECT_TRUE(platform::IsWindowTopMost(&w));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.geometry(), before);
    platform::SetWindowTopMost(&w, false);
    EXPECT_FALSE(platform::IsWindowTopMost(&w));
    EXPECT_TRUE(w.isVisible());
    // a child asks for its window
    auto* child = new QWidget(&w);
    platform::SetWindowTopMost(child, true);
    EXPECT_TRUE(platform::IsWindowTopMost(&w));
    // before the window exists on screen the flag is simply kept
    QWidget hidden;
    platform::SetWindowTopMost(&hidden, true);
    EXPECT_TRUE(hidden.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(hidden.isVisible());
}

TEST(Window, RegionAndFrame)
{
    QWidget w;
    w.resize(50, 50);
    platform::SetWindowRegion(&w, QRegion(5, 5, 10, 10));
    EXPECT_EQ(platform::WindowRegion(&w), QRegion(5, 5, 10, 10));
    platform::SetWindowRegion(&w, QRegion());
    EXPECT_TRUE(platform::WindowRegion(&w).isEmpty());
    platform::SetWindowFrameless(&w, true);
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::FramelessWindowHint));
    platform::SetWindowFrameless(&w, false);
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::FramelessWindowHint));
    platform::SetWindowRegion(nullptr, QRegion(1, 1, 1, 1)); // nothing to shape: nothing happens
}

TEST(Window, Translucency)
{
    QWidget w;
    platform::SetWindowAlpha(&w, true, 127);
    EXPECT_NEAR(w.windowOpacity(), 127 / 255.0, 0.01);
    platform::SetWindowAlpha(&w, false, 127);
    EXPECT_DOUBLE_EQ(w.windowOpacity(), 1.0);
    platform::SetWindowAlpha(&w, true, 400); // kept within 0..255
    EXPECT_DOUBLE_EQ(w.windowOpacity(), 1.0);
    platform::SetWindowAlpha(&w, true, -3);
    EXPECT_DOUBLE_EQ(w.windowOpacity(), 0.0);
}

TEST_F(ClipFixture, ConfiningThePointer)
{
    EXPECT_FALSE(platform::CursorClipRect().has_value());
    EXPECT_EQ(platform::ClampToCursorClip(QPoint(-50, 900)), QPoint(-50, 900));
    platform::ClipCursor(QRect(10, 20, 100, 50));
    ASSERT_TRUE(platform::CursorClipRect().has_value());
    EXPECT_EQ(*platform::CursorClipRect(), QRect(10, 20, 100, 50));
    struct Case {
        QPoint in, out;
    } cases[] = {{{0, 0}, {10, 20}}, {{50, 40}, {50, 40}}, {{500, 500}, {109, 69}}, {{109, 69}, {109, 69}}, {{110, 70}, {109, 69}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in.x() << "," << c.in.y());
        EXPECT_EQ(platform::ClampToCursorClip(c.in), c.out);
    }
    platform::ReleaseCursorClip();
    EXPECT_FALSE(platform::CursorClipRect().has_value());
}

TEST(Window, WorkAreaLiesOnTheScreen)
{
    const QRect screen = platform::ScreenRect();
    const QRect work = platform::DesktopWorkArea();
    ASSERT_FALSE(screen.isEmpty());
    EXPECT_TRUE(screen.contains(work));
}
