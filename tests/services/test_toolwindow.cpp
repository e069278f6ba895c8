// The tool-window base over a host that records what it is told: one window
// per name, the place of the last session restored at the first show and
// saved at closing, the scheme applied at creation and at every change, the
// snapping switch taken from the host, the closing reported; and the notice
// board the host posts through.
#include "services/toolwindow.h"

#include "foundation/core/basicos.h"
#include "platform/profile.h"
#include "support/fixtures.h"
#include "support/recordinghost.h"
#include "testsupport.h"

#include <QCloseEvent>
#include <QDir>
#include <QTemporaryDir>

namespace {

class TfmPrueba : public TToolWindow {
public:
    static inline const QString kName = QStringLiteral("fmPrueba");
    TfmPrueba(ToolHost& host, QWidget* parent) : TToolWindow(host, kName, parent) { resize(300, 200); }
    void ApplyAppearance() override
    {
        TToolWindow::ApplyAppearance();
        ++applied;
    }
    int applied = 0;
};

class ToolWindowTest : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        Basicos().ExeFile = path(QStringLiteral("sumbrix"));
    }
    RecordingHost host;
};

TEST_F(ToolWindowTest, OneWindowPerName)
{
    auto& w = TToolWindow::Open<TfmPrueba>(host, nullptr);
    EXPECT_EQ(&TToolWindow::Open<TfmPrueba>(host, nullptr), &w);
    EXPECT_EQ(TToolWindow::Find(QStringLiteral("fmPrueba")), &w);
    delete &w;
    EXPECT_EQ(TToolWindow::Find(QStringLiteral("fmPrueba")), nullptr);
}

TEST_F(ToolWindowTest, PlaceIsSavedAtClosingAndRestoredAtTheNextFirstShow)
{
    {
        TfmPrueba w(host, nullptr);
        w.show();
        w.move(40, 60);
        w.resize(320, 210);
        w.close();
        EXPECT_EQ(host.closed, std::vector<TToolWindow*>{&w});
    }
    const QString ini = SettingsFileName();
    EXPECT_EQ(ProfileReadString(ini, QStringLiteral("PosfmPrueba"), QStringLiteral("Width"), QString()),
              QStringLiteral("320"));
    TfmPrueba again(host, nullptr);
    again.show();
    EXPECT_EQ(again.size(), QSize(320, 210));
}

TEST_F(ToolWindowTest, PlaceIsSavedWhenTheWindowGoesWhileOpen)
{
    const QString ini = SettingsFileName();
    {
        // Destroyed with its owner while still on the screen.
        auto* w = new TfmPrueba(host, nullptr);
        w->show();
        w->move(70, 90);
        w->resize(330, 220);
        delete w;
    }
    EXPECT_EQ(ProfileReadString(ini, QStringLiteral("PosfmPrueba"), QStringLiteral("Width"), QString()),
              QStringLiteral("330"));
    EXPECT_EQ(ProfileReadString(ini, QStringLiteral("PosfmPrueba"), QStringLiteral("First"), QString()),
              QStringLiteral("0"));
    TfmPrueba again(host, nullptr);
    again.show();
    EXPECT_EQ(again.size(), QSize(330, 220));
}

TEST_F(ToolWindowTest, AWindowNeverShownKeepsNoPlace)
{
    delete new TfmPrueba(host, nullptr);
    EXPECT_EQ(ProfileReadString(SettingsFileName(), QStringLiteral("PosfmPrueba"), QStringLiteral("First"),
                                QStringLiteral("none")),
              QStringLiteral("none"));
}

TEST_F(ToolWindowTest, SchemeAtFirstShowAndAtEveryChange)
{
    TfmPrueba w(host, nullptr);
    EXPECT_EQ(w.applied, 0);
    host.magnetic = true;
    w.Magnetic = false;
    w.show();
    EXPECT_EQ(w.applied, 1);
    EXPECT_TRUE(w.Magnetic);
    host.appearance.ClLuz = 0x0000FF;   // red
    host.notices.Post(THostNotice::AppearanceChanged);
    EXPECT_EQ(w.applied, 2);
    EXPECT_EQ(w.palette().color(QPalette::Window), QColor(255, 0, 0));
    host.notices.Post(THostNotice::AfterCalculation);
    EXPECT_EQ(w.applied, 2);
}

TEST_F(ToolWindowTest, AClosedWindowStopsFollowingNotices)
{
    {
        TfmPrueba w(host, nullptr);
        EXPECT_EQ(host.notices.Count(THostNotice::AppearanceChanged), 1);
    }
    EXPECT_EQ(host.notices.Count(THostNotice::AppearanceChanged), 0);
    host.notices.Post(THostNotice::AppearanceChanged);   // nothing left to call
}

TEST(NoticeBoard, HandlersRunInOrderAndMayChangeTheBoard)
{
    TNoticeBoard board;
    std::vector<int> calls;
    int second = 0;
    board.Connect(THostNotice::AngleChanged, [&] {
        calls.push_back(1);
        board.Disconnect(second);   // removed before its turn: not called
        board.Connect(THostNotice::AngleChanged, [&] { calls.push_back(3); });
    });
    second = board.Connect(THostNotice::AngleChanged, [&] { calls.push_back(2); });
    board.Connect(THostNotice::AfterCalculation, [&] { calls.push_back(9); });
    board.Post(THostNotice::AngleChanged);
    EXPECT_EQ(calls, (std::vector<int>{1}));
    board.Post(THostNotice::AngleChanged);
    EXPECT_EQ(calls, (std::vector<int>{1, 1, 3}));
}

} // namespace
