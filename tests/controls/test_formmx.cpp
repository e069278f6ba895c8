// The base window: snapping, translucency, dragging, zoom, shapes, top-most.
#include "controls/formmx.h"
#include "support/fixtures.h"

#include "foundation/core/muldiv.h"
#include "mouse.h"
#include "platform/tickcount.h"
#include "platform/window.h"

#include <QLabel>
#include <QPainter>
#include <QResizeEvent>

namespace {

const TRect kWork{0, 0, 1024, 738};

TRect rectAt(int left, int top, int w, int h) { return TRect{left, top, left + w, top + h}; }

struct FormFixture : ProcessStateTest {};

} // namespace

TEST(FormMXSnap, EdgesWithin16PixelsPullTheWindow)
{
    struct Case {
        const char* what;
        TRect proposed;
        TRect expected;
    } cases[] = {
        {"10 from the top", rectAt(300, 10, 200, 100), rectAt(300, 0, 200, 100)},
        {"16 from the top stays", rectAt(300, 16, 200, 100), rectAt(300, 16, 200, 100)},
        {"15 above the top", rectAt(300, -15, 200, 100), rectAt(300, 0, 200, 100)},
        {"near the bottom", rectAt(300, 630, 200, 100), rectAt(300, 638, 200, 100)},
        {"near the left", rectAt(-7, 300, 200, 100), rectAt(0, 300, 200, 100)},
        {"near the right", rectAt(830, 300, 200, 100), rectAt(824, 300, 200, 100)},
        {"corner", rectAt(5, 5, 200, 100), rectAt(0, 0, 200, 100)},
        {"top and bottom both near: top wins", rectAt(300, 10, 200, 720), rectAt(300, 0, 200, 720)},
        {"left and right both near: left wins", rectAt(-10, 300, 1030, 100), rectAt(0, 300, 1030, 100)},
        {"far from every edge", rectAt(300, 300, 200, 100), rectAt(300, 300, 200, 100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TRect r = SnapToWorkArea(c.proposed, kWork);
        EXPECT_EQ(r, c.expected);
        EXPECT_EQ(r.Width(), c.proposed.Width());
        EXPECT_EQ(r.Height(), c.proposed.Height());
    }
}

TEST(FormMXSnap, ThrottleAllowsOneAdjustmentPer222Ms)
{
    TSnapThrottle t;
    EXPECT_TRUE(t.allow(1000));
    EXPECT_FALSE(t.allow(1100));
    EXPECT_FALSE(t.allow(1221));
    EXPECT_TRUE(t.allow(1222));
    // the tick counter wraps around: the difference is unsigned
    TSnapThrottle w;
    EXPECT_TRUE(w.allow(0xFFFFFFF0u));
    EXPECT_FALSE(w.allow(0x00000010u)); // 32 ms later
    EXPECT_TRUE(w.allow(0x000000CEu));  // 222 ms later
}

TEST(FormMXOpacity, PercentToOpacity)
{
    struct Case {
        int percent, opacity;
    } cases[] = {{0, 255}, {100, 0}, {50, 127}, {10, 229}, {33, 171}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.percent);
        EXPECT_EQ(OpacityOfPercent(c.percent), c.opacity);
    }
}

TEST_F(FormFixture, ConstructorDefaults)
{
    TFormMX f;
    EXPECT_TRUE(f.EasyDrag);
    EXPECT_FALSE(f.EasySize);
    EXPECT_TRUE(f.AutoDraw);
    EXPECT_TRUE(f.Magnetic);
    EXPECT_TRUE(f.NoErase());
    EXPECT_TRUE(f.testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_FALSE(f.Transparent());
    EXPECT_FALSE(f.AutoZoom());
    EXPECT_FALSE(f.TopMost());
    EXPECT_FALSE(f.MouseInForm());
    EXPECT_EQ(f.AlphaBlendValue(), 230);
    EXPECT_FALSE(f.AlphaBlend());
    EXPECT_FALSE(f.HasImage());
    f.setNoErase(false);
    EXPECT_FALSE(f.testAttribute(Qt::WA_OpaquePaintEvent));

    TFormMX onTop(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(onTop.TopMost());

    QWidget owner;
    auto* owned = new TFormMX(&owner);
    EXPECT_TRUE(owned->isWindow()); // an owned form is still a window
}

TEST_F(FormFixture, MovingSnapsAtMostOncePer222Ms)
{
    TFormMX f;
    const QRect q = SnapWorkArea();
    const TRect w{q.left(), q.top(), q.left() + q.width(), q.top() + q.height()};
    const TRect near = rectAt(w.Left + 100, w.Top + 10, 200, 100);
    const TRect snapped = rectAt(w.Left + 100, w.Top, 200, 100);

    platform::tickcount::setFake(5000);
    TRect r = near;
    f.Moving(r);
    EXPECT_EQ(r, snapped);

    platform::tickcount::advance(100); // a second report 100 ms later is left alone
    r = near;
    f.Moving(r);
    EXPECT_EQ(r, near);

    platform::tickcount::advance(122); // 222 ms after the adjustment
    r = near;
    f.Moving(r);
    EXPECT_EQ(r, snapped);

    f.Magnetic = false;
    platform::tickcount::advance(1000);
    r = near;
    f.Moving(r);
    EXPECT_EQ(r, near);
}

TEST_F(FormFixture, ActivationAppliesTheSharedTranslucency)
{
    TFormMX f;
    FormMXSettings().TranspPercent = 50;
    FormMXSettings().TranspActive = true;
    FormMXSettings().TranspInactive = false;
    QEvent act(QEvent::WindowActivate);
    QApplication::sendEvent(&f, &act);
    EXPECT_TRUE(f.AlphaBlend());
    EXPECT_EQ(f.AlphaBlendValue(), 127);
    EXPECT_NEAR(f.windowOpacity(), 127 / 255.0, 0.01);

    int deactivated = 0;
    f.OnDeactivate = [&](QObject* s) {
        EXPECT_EQ(s, &f);
        ++deactivated;
    };
    QEvent deact(QEvent::WindowDeactivate);
    QApplication::sendEvent(&f, &deact);
    EXPECT_EQ(deactivated, 1);
    EXPECT_FALSE(f.AlphaBlend());
    EXPECT_DOUBLE_EQ(f.windowOpacity(), 1.0);

    FormMXSettings().TranspInactive = true;
    FormMXSettings().TranspPercent = 100;
    QApplication::sendEvent(&f, &deact);
    EXPECT_TRUE(f.AlphaBlend());
    EXPECT_EQ(f.AlphaBlendValue(), 0);
}

TEST_F(FormFixture, TopMostReadsBackAndIsRestoredOnDeactivation)
{
    TFormMX f;
    f.show();
    f.SetTopMost(true);
    EXPECT_TRUE(f.TopMost());
    EXPECT_TRUE(platform::IsWindowTopMost(&f));
    EXPECT_TRUE(f.isVisible()); // changing the band does not hide the window
    // something took the window out of the band; deactivation puts it back
    platform::SetWindowTopMost(&f, false);
    QEvent deact(QEvent::WindowDeactivate);
    QApplication::sendEvent(&f, &deact);
    EXPECT_TRUE(platform::IsWindowTopMost(&f));
    f.SetTopMost(false);
    EXPECT_FALSE(f.TopMost());
    EXPECT_FALSE(platform::IsWindowTopMost(&f));
    QApplication::sendEvent(&f, &deact);
    EXPECT_FALSE(platform::IsWindowTopMost(&f));
}

TEST_F(FormFixture, TransparentCutsOutTheBottomLeftColour)
{
    TFormMX f;
    f.resize(40, 30);
    QImage& img = f.Image();
    ASSERT_EQ(img.size(), QSize(40, 30));
    img.fill(QColor(0, 0, 255));
    {
        QPainter p(&img);
        p.fillRect(QRect(5, 6, 10, 4), QColor(255, 0, 0));
    }
    f.SetTransparent(true);
    EXPECT_TRUE(f.Transparent());
    EXPECT_TRUE((f.mask() ^ QRegion(5, 6, 10, 4)).isEmpty());
    EXPECT_TRUE(f.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(f.size(), QSize(40, 30));
    f.SetTransparent(false);
    EXPECT_FALSE(f.Transparent());
    EXPECT_TRUE(f.mask().isEmpty());
}

TEST_F(FormFixture, RegionFromAGivenBitmapTakesItsSize)
{
    TFormMX f;
    f.resize(100, 100);
    QImage pic(20, 10, QImage::Format_RGB32);
    pic.fill(QColor(0, 255, 0));
    pic.setPixelColor(3, 4, QColor(1, 2, 3));
    f.SetRegionFromBitmap(&pic, RGBColor(0, 255, 0), 0);
    EXPECT_EQ(f.size(), QSize(20, 10));
    EXPECT_TRUE((f.mask() ^ QRegion(3, 4, 1, 1)).isEmpty());
    f.SetRegionFromBitmap(nullptr);
    EXPECT_FALSE(f.Transparent());
}

TEST_F(FormFixture, ImageFollowsTheClientSize)
{
    TFormMX f;
    resizeNow(f, 100, 80);
    f.Image().fill(Qt::red);
    resizeNow(f, 150, 120);
    EXPECT_EQ(f.Image().size(), QSize(150, 120));
    EXPECT_EQ(f.Image().pixelColor(10, 10), QColor(Qt::red)); // what it held is kept
}

TEST_F(FormFixture, AutoDrawPaintsTheImageAfterOnPaint)
{
    TFormMX f;
    f.resize(50, 40);
    f.Image().fill(QColor(10, 200, 30));
    int painted = 0;
    f.OnPaint = [&](QObject*) {
        ++painted;
        EXPECT_NE(f.Canvas(), nullptr);
        f.Canvas()->fillRect(0, 0, 50, 40, Qt::black); // covered by the picture
    };
    const QImage shot = f.grab().toImage();
    EXPECT_EQ(painted, 1);
    EXPECT_EQ(shot.pixelColor(20, 20), QColor(10, 200, 30));
    EXPECT_EQ(f.Canvas(), nullptr);
    f.AutoDraw = false;
    EXPECT_EQ(f.grab().toImage().pixelColor(20, 20), QColor(Qt::black));
}

TEST_F(FormFixture, AutoZoomScalesTheChildren)
{
    TFormMX f;
    resizeNow(f, 100, 100);
    auto* child = new QLabel(&f);
    child->setGeometry(10, 20, 30, 40); // edges 10..40, 20..60
    f.setAutoZoom(true);
    resizeNow(f, 200, 100);
    EXPECT_EQ(child->geometry(), QRect(20, 20, 60, 40));
    resizeNow(f, 200, 50);
    EXPECT_EQ(child->geometry(), QRect(20, 10, 60, 20));
    f.setAutoZoom(false);
    resizeNow(f, 400, 50);
    EXPECT_EQ(child->geometry(), QRect(20, 10, 60, 20));
}

TEST_F(FormFixture, MouseOverFiresOncePerEnterAndLeave)
{
    TFormMX f;
    int fired = 0;
    f.OnMouseOver = [&](QObject* s) {
        EXPECT_EQ(s, &f);
        ++fired;
    };
    enter(&f);
    enter(&f);
    EXPECT_TRUE(f.MouseInForm());
    EXPECT_EQ(fired, 1);
    leave(&f);
    leave(&f);
    EXPECT_FALSE(f.MouseInForm());
    EXPECT_EQ(fired, 2);
}

TEST_F(FormFixture, DraggingTheClientAreaMovesTheWindow)
{
    TFormMX f;
    f.Magnetic = false;
    f.resize(200, 150);
    f.move(200, 200);
    f.show();
    const QPoint start = f.frameGeometry().topLeft();
    int downs = 0;
    f.OnMouseDown = [&](QObject*, Qt::MouseButton b, TShiftState, int x, int y) {
        EXPECT_EQ(b, Qt::LeftButton);
        EXPECT_EQ(QPoint(x, y), QPoint(50, 50));
        ++downs;
    };
    // global positions stay those of the press frame while the window moves
    const QPoint g = f.mapToGlobal(QPoint(50, 50));
    QMouseEvent p(QEvent::MouseButtonPress, QPointF(50, 50), QPointF(g), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &p);
    EXPECT_EQ(downs, 1);
    QMouseEvent m(QEvent::MouseMove, QPointF(80, 70), QPointF(g + QPoint(30, 20)), Qt::NoButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(&f, &m);
    EXPECT_EQ(f.frameGeometry().topLeft(), start + QPoint(30, 20));
    QMouseEvent r(QEvent::MouseButtonRelease, QPointF(80, 70), QPointF(g + QPoint(30, 20)), Qt::LeftButton,
                  Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &r);
    QMouseEvent after(QEvent::MouseMove, QPointF(90, 90), QPointF(g + QPoint(60, 60)), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&f, &after);
    EXPECT_EQ(f.frameGeometry().topLeft(), start + QPoint(30, 20)); // released: no longer follows
}

TEST_F(FormFixture, DraggingSnapsToTheWorkArea)
{
    TFormMX f;
    f.resize(200, 150);
    const QRect w = SnapWorkArea();
    f.move(w.left() + 100, w.top() + 100);
    f.show();
    platform::tickcount::setFake(10000);
    const QPoint g = f.mapToGlobal(QPoint(10, 10));
    QMouseEvent p(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(g), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &p);
    // dragged up to 10 pixels below the top edge: it jumps to the edge
    QMouseEvent m(QEvent::MouseMove, QPointF(10, 10), QPointF(g - QPoint(0, 90)), Qt::NoButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(&f, &m);
    EXPECT_EQ(f.frameGeometry().top(), w.top());
    EXPECT_EQ(f.frameGeometry().left(), w.left() + 100);
    EXPECT_EQ(f.size(), QSize(200, 150));
    release(&f, QPoint(10, 10));
}

TEST_F(FormFixture, APressOnAChildOrWithoutEasyDragDoesNotDrag)
{
    TFormMX f;
    f.Magnetic = false;
    f.resize(200, 150);
    f.move(200, 200);
    auto* child = new QLabel(QStringLiteral("x"), &f);
    child->setGeometry(0, 0, 100, 100);
    f.show();
    const QPoint start = f.frameGeometry().topLeft();
    const QPoint g = f.mapToGlobal(QPoint(10, 10));
    QMouseEvent p(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(g), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &p);
    QMouseEvent m(QEvent::MouseMove, QPointF(10, 10), QPointF(g + QPoint(40, 40)), Qt::NoButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(&f, &m);
    EXPECT_EQ(f.frameGeometry().topLeft(), start);
    release(&f, QPoint(10, 10));

    f.EasyDrag = false;
    const QPoint g2 = f.mapToGlobal(QPoint(150, 120));
    QMouseEvent p2(QEvent::MouseButtonPress, QPointF(150, 120), QPointF(g2), Qt::LeftButton, Qt::LeftButton,
                   Qt::NoModifier);
    QApplication::sendEvent(&f, &p2);
    QMouseEvent m2(QEvent::MouseMove, QPointF(150, 120), QPointF(g2 + QPoint(40, 40)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
    QApplication::sendEvent(&f, &m2);
    EXPECT_EQ(f.frameGeometry().topLeft(), start);
}
