// The splash and the about box: one window in two modes, the keys that close
// the box, its links through the desktop, and the main window's "Acerca de...".
#include "frmcalcfixture.h"

#include "controls/areafondo.h"
#include "controls/credits.h"
#include "platform/shell.h"
#include "shell/frmopciones.h"
#include "shell/frmsplash.h"
#include "shell/linklabel.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>

namespace {

class LaunchRecorder : public ShellService {
public:
    QStringList opened;
    bool OpenUrl(const QUrl& url) override
    {
        opened << url.toString();
        return true;
    }
    bool StartProgram(const QString& program, const QStringList&, const QString&) override
    {
        opened << program;
        return true;
    }
};

const std::array<TColor, 4> kScheme{0x111111, 0x222222, 0x333333, 0x444444};

TEST(Splash, ShowsOnlyItsUpperPartWithoutMovingCredits)
{
    std::unique_ptr<TSplash> splash = ShowSplash();
    EXPECT_EQ(splash->Mode(), TSplashMode::Splash);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->height(), 166);
    EXPECT_EQ(splash->width(), 248);
    EXPECT_FALSE(splash->ScrollCredits1->Animate());
    EXPECT_TRUE(splash->windowTitle().isEmpty());
    EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_GT(splash->ScrollCredits1->y() + splash->ScrollCredits1->height() - 60, 166) << "the credits lie below the edge";
    EXPECT_GE(splash->SpeedButton1->y(), 166);
    EXPECT_EQ(splash->Label1->text() + splash->Label2->text(), QStringLiteral("Sumbrix"));
    EXPECT_EQ(splash->Label4->text(), QStringLiteral("2.84"));
}

TEST(AboutBox, FullHeightWithCreditsInTheSchemeColours)
{
    TSplash box(TSplashMode::About, nullptr, kScheme);
    box.show();
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Acerca de..."));
    EXPECT_EQ(box.height(), 291);
    EXPECT_TRUE(box.ScrollCredits1->Animate());
    EXPECT_EQ(box.ScrollCredits1->Interval(), 60u);
    EXPECT_EQ(box.ScrollCredits1->BackgroundColor(), kScheme[1]);
    EXPECT_EQ(box.ScrollCredits1->CreditsFontColor(), kScheme[2]);
    EXPECT_EQ(box.ScrollCredits1->BorderColor(), kScheme[0]);
    EXPECT_EQ(box.AreaFondo1->Color(), kScheme[0]);
    EXPECT_EQ(box.AreaFondo1->Color2(), kScheme[1]);
}

TEST(AboutBox, EnterEscAndAceptarCloseIt)
{
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        TSplash box(TSplashMode::About, nullptr, kScheme);
        box.open();
        ASSERT_TRUE(box.isVisible());
        if (way == 0)
            QTest::keyClick(&box, Qt::Key_Return);
        else if (way == 1)
            QTest::keyClick(&box, Qt::Key_Escape);
        else
            QTest::mouseClick(box.SpeedButton1, Qt::LeftButton);
        EXPECT_FALSE(box.isVisible());
        EXPECT_EQ(box.result(), QDialog::Accepted);
    }
}

TEST(AboutBox, LinksOpenThroughTheDesktop)
{
    LaunchRecorder shell;
    SetShellService(&shell);
    TSplash box(TSplashMode::About, nullptr, kScheme);
    box.show();
    QTest::mouseClick(box.Label6, Qt::LeftButton);
    QTest::mouseClick(box.Label7, Qt::LeftButton);
    SetShellService(nullptr);
    ASSERT_EQ(shell.opened.size(), 2);
    EXPECT_EQ(shell.opened[0], TfrmCalcu::kWebPage);
    EXPECT_EQ(shell.opened[1], QStringLiteral("mailto:") + TSplash::kMail);
}

class AboutFromMainWindow : public FrmCalcTest {
protected:
    void TearDown() override
    {
        AboutBoxRunner() = [](QDialog& box) { return box.exec(); };
        FrmCalcTest::TearDown();
    }
};

TEST_F(AboutFromMainWindow, TheHelpMenuOpensItInTheCurrentScheme)
{
    openNotFirstRun();
    InstallAbout(*w);
    const TAppearance first = w->Appearance();
    QList<std::array<TColor, 2>> seen;
    AboutBoxRunner() = [&](QDialog& box) {
        auto& about = static_cast<TSplash&>(box);
        about.show();
        EXPECT_EQ(about.parentWidget(), w.get());
        EXPECT_EQ(about.windowTitle(), QStringLiteral("Acerca de..."));
        EXPECT_EQ(about.height(), 291);
        seen.append({about.AreaFondo1->Color(), about.ScrollCredits1->BackgroundColor()});
        return int(QDialog::Accepted);
    };
    QAction* item = w->PopupMenu9->findChild<QAction*>(QStringLiteral("Acercade1"));
    ASSERT_NE(item, nullptr);
    item->trigger();
    // A new scheme shows at the next opening.
    MainWindowOptionsHost(*w)->SetScheme(kScheme);
    item->trigger();
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], (std::array<TColor, 2>{first.ClLuz, first.ClSombra}));
    EXPECT_EQ(seen[1], (std::array<TColor, 2>{kScheme[0], kScheme[1]}));
}

} // namespace
