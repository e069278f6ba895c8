#include "platform/workarea.h"

#include "support/testsupport.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

TEST(WorkArea, DockedStripFromTheScreen)
{
    struct Case {
        const char* what;
        QRect screen, available;
        TRect strip, area;
    };
    const QRect s(0, 0, 1280, 1024);
    const Case cases[] = {
        {"none", s, s, {0, 0, 0, 0}, {0, 0, 1280, 1024}},
        {"bottom", s, QRect(0, 0, 1280, 984), {0, 984, 1280, 1024}, {0, 0, 1280, 984}},
        {"top", s, QRect(0, 30, 1280, 994), {0, 0, 1280, 30}, {0, 30, 1280, 1024}},
        {"right", s, QRect(0, 0, 1200, 1024), {1200, 0, 1280, 1024}, {0, 0, 1200, 1024}},
        {"left", s, QRect(60, 0, 1220, 1024), {0, 0, 60, 1024}, {60, 0, 1280, 1024}},
        {"left, screen not at the origin", QRect(100, 50, 1280, 1024), QRect(160, 50, 1220, 1024),
         {0, 0, 60, 1024}, {60, 0, 1280, 1024}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TRect strip = DockedStripFromGeometry(c.screen, c.available);
        EXPECT_EQ(strip, c.strip);
        EXPECT_EQ(WorkAreaFromDockedStrip(c.screen.width(), c.screen.height(), strip), c.area);
    }
}

TEST(WorkArea, OfThePrimaryScreen)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const TRect r = GetDesktopWorkArea();
    const QRect a = screen->availableGeometry();
    EXPECT_EQ(r.Left, a.left());
    EXPECT_EQ(r.Top, a.top());
    EXPECT_EQ(r.Width(), a.width());
    EXPECT_EQ(r.Height(), a.height());
}

} // namespace
