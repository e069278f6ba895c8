#include "platform/keystate.h"

#include "support/fixtures.h"

#include <QKeyEvent>
#include <QTest>
#include <QWidget>

namespace {

// The tracker is process-wide: the fixture forgets the keys it saw.
using KeyState = ProcessStateTest;

TEST_F(KeyState, FollowsPressAndRelease)
{
    KeyStateTracker::instance().clear();
    QWidget w;
    w.show();
    EXPECT_FALSE(IsKeyDown(vk::Escape));
    QTest::keyPress(&w, Qt::Key_Escape);
    EXPECT_TRUE(IsKeyDown(vk::Escape));
    EXPECT_FALSE(IsKeyDown('A'));
    QTest::keyPress(&w, Qt::Key_A);
    EXPECT_TRUE(IsKeyDown('A'));
    QTest::keyRelease(&w, Qt::Key_Escape);
    EXPECT_FALSE(IsKeyDown(vk::Escape));
    EXPECT_TRUE(IsKeyDown('A'));
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QCoreApplication::sendEvent(qApp, &deactivate);
    EXPECT_FALSE(IsKeyDown('A')) << "keys released elsewhere are forgotten";
    EXPECT_FALSE(IsKeyDown(0xFF)) << "an unknown code is never down";
}

TEST_F(KeyState, VirtualKeyCodes)
{
    EXPECT_EQ(QtKeyOfVirtualKey(vk::Escape), Qt::Key_Escape);
    EXPECT_EQ(QtKeyOfVirtualKey(vk::Control), Qt::Key_Control);
    EXPECT_EQ(QtKeyOfVirtualKey('Z'), Qt::Key_Z);
    EXPECT_EQ(QtKeyOfVirtualKey('7'), Qt::Key_7);
    EXPECT_EQ(QtKeyOfVirtualKey(vk::F1 + 11), Qt::Key_F12);
    EXPECT_EQ(QtKeyOfVirtualKey(0x07), 0);
}

} // namespace

namespace {

struct CountingWidget : QWidget {
    int keys = 0;
    void keyPressEvent(QKeyEvent*) override { ++keys; }
};

// A computation that polls Esc between its chunks, with nobody running the
// event loop for it, still sees the key; the window does not get it.
TEST_F(KeyState, PollingDeliversThePendingKey)
{
    KeyStateTracker::instance().clear();
    CountingWidget w;
    w.show();
    QCoreApplication::postEvent(&w, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    EXPECT_TRUE(IsKeyDown(vk::Escape));
    EXPECT_EQ(w.keys, 0);
    QCoreApplication::postEvent(&w, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier));
    EXPECT_FALSE(IsKeyDown(vk::Escape));
    QTest::keyPress(&w, Qt::Key_B);
    EXPECT_EQ(w.keys, 1) << "outside the polling the window gets its keys";
    KeyStateTracker::instance().clear();
}

} // namespace
