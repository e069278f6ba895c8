#include "platform/formpos.h"

#include "foundation/core/zelini.h"
#include "platform/profile.h"
#include "support/fixtures.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

class FormPos : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        Basicos().ExeFile = dir.path() + QStringLiteral("/Sumbrix");
        screen = QGuiApplication::primaryScreen()->geometry().size();
    }
    QByteArray settings() const
    {
        QFile f(SettingsFileName());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    std::unique_ptr<QWidget> window(const QString& name) const
    {
        auto w = std::make_unique<QWidget>();
        w->setObjectName(name);
        w->setGeometry(10, 20, 200, 100);
        return w;
    }
    QSize screen;
};

TEST_F(FormPos, ThroughTheProfileFunctions)
{
    auto w = window("fmPrimos");
    w->move(30, 40);
    SaveFormPos(w.get());
    EXPECT_EQ(settings(), QByteArray("[PosfmPrimos]\r\nFirst=0\r\nShow=0\r\nTop=40\r\nLeft=30\r\nWidth=200\r\nHeight=100\r\n"));

    auto again = window("fmPrimos");
    again->resize(50, 50);
    EXPECT_FALSE(LoadFormPos(again.get(), TPosition::poDesktopCenter));
    EXPECT_EQ(again->pos(), QPoint(30, 40));
    EXPECT_EQ(again->size(), QSize(200, 100));
}

TEST_F(FormPos, FirstUseIsCentredOnTheDesktop)
{
    auto w = window("fmNuevo");
    EXPECT_TRUE(LoadFormPos(w.get(), TPosition::poDesktopCenter));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(w->x(), area.x() + (area.width() - 200) / 2);
    EXPECT_EQ(w->y(), area.y() + (area.height() - 100) / 2);

    TIniFile ini(SettingsFileName());
    ini.WriteBool("PosfmNuevo", "First", true);
    ini.WriteInteger("PosfmNuevo", "Top", 5);
    auto other = window("fmNuevo");
    EXPECT_TRUE(LoadFormPos(other.get(), TPosition::poDesktopCenter)) << "First=1 is no record";
    EXPECT_EQ(other->pos(), w->pos());
}

TEST_F(FormPos, ClampedWithTheStoredSize)
{
    TIniFile ini(SettingsFileName());
    for (auto [k, v] : {std::pair{"First", 0}, {"Show", 0}, {"Top", screen.height() - 100}, {"Left", -50},
                        {"Width", 300}, {"Height", 400}})
        ini.WriteInteger("PosfmFechas", k, v);
    auto w = window("fmFechas"); // designed height 100
    w->resize(200, 300);
    EXPECT_FALSE(LoadFormPos(w.get(), TPosition::poDesktopCenter));
    EXPECT_EQ(w->y(), screen.height() - 400);
    EXPECT_EQ(w->x(), 0);
    EXPECT_EQ(w->size(), QSize(300, 400));

    auto fixed = window("fmFechas");
    EXPECT_FALSE(LoadFormPlace(fixed.get()));
    EXPECT_EQ(fixed->size(), QSize(200, 100)) << "position and state only";
    EXPECT_EQ(fixed->y(), screen.height() - 100);
    EXPECT_EQ(fixed->x(), 0);
}

TEST_F(FormPos, MinimizedComesBackNormalAndMaximizedComesBackMaximized)
{
    auto w = window("fmStat");
    w->setWindowState(Qt::WindowMinimized);
    SaveFormPos(w.get());
    auto back = window("fmStat");
    LoadFormPos(back.get(), TPosition::poDesktopCenter);
    EXPECT_EQ(back->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized), Qt::WindowNoState);

    TIniFile ini(SettingsFileName());
    ini.WriteInteger("PosfmStat", "Show", 2);
    auto max = window("fmStat");
    LoadFormPos(max.get(), TPosition::poDesktopCenter);
    EXPECT_TRUE(max->windowState() & Qt::WindowMaximized);
}

TEST_F(FormPos, ThroughTheEngineTheSameRecord)
{
    auto w = window("frmCalcu");
    w->move(70, 80);
    {
        TAppIniFile ini;
        WriteFormPos(w.get(), ini);
        ini.WriteString("Opciones", "Ver", "284");
    }
    TIniFile profile(SettingsFileName());
    EXPECT_EQ(profile.ReadInteger("PosfrmCalcu", "Left", -1), 70);
    EXPECT_EQ(profile.ReadInteger("PosfrmCalcu", "Top", -1), 80);
    EXPECT_FALSE(profile.ReadBool("PosfrmCalcu", "First", true));

    // A tool window's record written in place is read back by the engine.
    auto tool = window("fmPrimos");
    tool->move(5, 6);
    SaveFormPos(tool.get());
    TAppIniFile ini;
    auto back = window("fmPrimos");
    EXPECT_FALSE(ReadFormPos(back.get(), ini, TPosition::poDesktopCenter));
    EXPECT_EQ(back->pos(), QPoint(5, 6));
    EXPECT_EQ(ini.ReadString("Opciones", "Ver", ""), QStringLiteral("284"));
}

TEST_F(FormPos, KeepFormOnScreen)
{
    auto w = window("x");
    w->move(-10, screen.height());
    KeepFormOnScreen(w.get());
    EXPECT_EQ(w->pos(), QPoint(0, screen.height() - 100));
}

} // namespace
