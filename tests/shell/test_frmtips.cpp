// The "Sabía que..." window over a tips.ini of the test: the order, the
// numbering of the tip sections, navigation, the start switch and its saving,
// "Mas información", and a window shown modally.
#include "engine/real/builtins_math.h"
#include "foundation/core/zelini.h"
#include "shell/frmtips.h"
#include "shell/linklabel.h"
#include "support/fixtures.h"
#include "support/recordingsink.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

namespace {

class TipsTest : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        Basicos().Messages = &sink;
        real::builtins::RandomState::seed(42);
    }
    void TearDown() override
    {
        real::builtins::RandomState::reset();
        ExeDirTest::TearDown();
    }
    // A tips file of n tips "Consejo k" (tip 7 of two lines), with their contexts 100 + k.
    void writeTips(int n, bool use = true)
    {
        QByteArray text = "[OPC]\r\nUsa=" + QByteArray(use ? "1" : "0") + "\r\nCuenta=" + QByteArray::number(n) + "\r\n";
        for (int k = 1; k <= n; ++k) {
            const QByteArray section = QStringLiteral("[TIP%1]\r\n").arg(k, 2, 10, QLatin1Char('0')).toLatin1();
            if (k == 7)
                text += section + "Cant=2\r\n1=Primera l\xEDnea\r\n2=Segunda\r\n";
            else
                text += section + "Cant=1\r\n1=Consejo " + QByteArray::number(k) + "\r\n";
        }
        text += "[MAS]\r\n";
        for (int k = 1; k <= n; ++k)
            text += QStringLiteral("TIP%1=%2\r\n").arg(k, 2, 10, QLatin1Char('0')).arg(100 + k).toLatin1();
        put(QStringLiteral("tips.ini"), text);
    }
    bool savedUse()
    {
        TZelIniFile ini(path(QStringLiteral("tips.ini")));
        return ini.ReadBool(QStringLiteral("OPC"), QStringLiteral("Usa"), true);
    }
    RecordingSink sink;
};

TEST(TipsSections, TwoDigitsAfterTip)
{
    EXPECT_EQ(TfmTips::SectionOf(1), QStringLiteral("TIP01"));
    EXPECT_EQ(TfmTips::SectionOf(7), QStringLiteral("TIP07"));
    EXPECT_EQ(TfmTips::SectionOf(42), QStringLiteral("TIP42"));
    EXPECT_EQ(TfmTips::SectionOf(99), QStringLiteral("TIP99"));
}

TEST_F(TipsTest, OrderIsAPermutationAndNavigationWalksIt)
{
    writeTips(9);
    TfmTips tips;
    ASSERT_EQ(tips.Count(), 9);
    QSet<int> seen;
    for (int k = 1; k <= 9; ++k)
        seen.insert(tips.Order()[k]);
    EXPECT_EQ(seen.size(), 9);
    EXPECT_FALSE(seen.contains(0));
    EXPECT_EQ(tips.Label3->text(), QStringLiteral("1 de 9"));
    EXPECT_FALSE(tips.btnAnt->isEnabled());
    EXPECT_TRUE(tips.btnSig->isEnabled());
    for (int k = 2; k <= 9; ++k)
        QTest::mouseClick(tips.btnSig, Qt::LeftButton);
    EXPECT_EQ(tips.Label3->text(), QStringLiteral("9 de 9"));
    EXPECT_FALSE(tips.btnSig->isEnabled());
    EXPECT_TRUE(tips.btnAnt->isEnabled());
    QTest::mouseClick(tips.btnAnt, Qt::LeftButton);
    EXPECT_EQ(tips.Current(), 8);
    const int tip = tips.Order()[8];
    EXPECT_EQ(tips.TipHelpContext(), 100 + tip);
    if (tip != 7)
        EXPECT_EQ(tips.TipText(), QStringLiteral("Consejo %1").arg(tip));
}

TEST_F(TipsTest, ATipOfTwoLinesShowsThemOneUnderTheOther)
{
    writeTips(9);
    TfmTips tips;
    const int position = int(tips.Order().indexOf(7));
    ASSERT_GE(position, 1);
    tips.ShowTip(position);
    EXPECT_EQ(tips.TipText(), QStringLiteral("Primera línea\r\nSegunda"));
    EXPECT_EQ(tips.TipHelpContext(), 107);
}

TEST_F(TipsTest, CountOutsideOneToNinetyNine)
{
    struct Case {
        int count;
        int shown;
    } cases[] = {{1, 1}, {0, 1}, {-5, 1}, {150, 99}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        writeTips(1);
        TZelIniFile ini(path(QStringLiteral("tips.ini")));
        ini.WriteInteger(QStringLiteral("OPC"), QStringLiteral("Cuenta"), c.count);
        ini.UpdateFile();
        TfmTips tips;
        EXPECT_EQ(tips.Count(), c.shown);
        EXPECT_EQ(tips.Label3->text(), QStringLiteral("1 de %1").arg(c.shown));
        EXPECT_FALSE(tips.btnAnt->isEnabled());
        EXPECT_EQ(tips.btnSig->isEnabled(), c.shown > 1);
    }
}

TEST_F(TipsTest, WithoutTipsFileFourEmptyTipsWithTheBoxTicked)
{
    TfmTips tips;
    EXPECT_EQ(tips.Count(), 4);
    EXPECT_TRUE(tips.chkUsa->isChecked());
    EXPECT_TRUE(tips.TipText().isEmpty());
    EXPECT_EQ(tips.TipHelpContext(), 1);
    EXPECT_EQ(tips.Label3->text(), QStringLiteral("1 de 4"));
}

TEST_F(TipsTest, EscSavesTheSwitchAndMasInformacionDoesNot)
{
    writeTips(3);
    {
        TfmTips tips;
        tips.show();
        EXPECT_TRUE(tips.chkUsa->isChecked());
        QTest::mouseClick(tips.chkUsa, Qt::LeftButton, {}, QPoint(6, tips.chkUsa->height() / 2));
        QTest::keyClick(tips.chkUsa, Qt::Key_Escape);
        EXPECT_EQ(tips.ModalResult(), idOk);
        EXPECT_FALSE(tips.isVisible());
    }
    EXPECT_FALSE(savedUse()) << "the window does not come at the next start";
    {
        TfmTips tips;
        EXPECT_FALSE(tips.chkUsa->isChecked());
        QList<int> asked;
        tips.OnHelp = [&](int context) { asked.append(context); };
        tips.show();
        QTest::mouseClick(tips.chkUsa, Qt::LeftButton, {}, QPoint(6, tips.chkUsa->height() / 2));
        QTest::mouseClick(tips.Label2, Qt::LeftButton);
        EXPECT_EQ(asked, QList<int>{tips.TipHelpContext()});
        EXPECT_EQ(tips.ModalResult(), idOk);
        EXPECT_FALSE(tips.isVisible());
    }
    EXPECT_FALSE(savedUse()) << "Mas información does not save the box";
    {
        TfmTips tips;
        QList<int> asked;
        tips.OnHelp = [&](int context) { asked.append(context); };
        tips.show();
        QTest::keyClick(tips.btnSig, Qt::Key_Return);
        EXPECT_EQ(asked.size(), 1) << "Enter is Mas información";
        TfmTips again;
        again.show();
        QTest::mouseClick(again.chkUsa, Qt::LeftButton, {}, QPoint(6, again.chkUsa->height() / 2));
        QTest::mouseClick(again.btnCerrar, Qt::LeftButton);
    }
    EXPECT_TRUE(savedUse());
}

TEST_F(TipsTest, ShownModallyItReturnsWhenClosed)
{
    writeTips(2);
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* t = qobject_cast<TfmTips*>(w); t && t->isVisible())
                QTest::mouseClick(t->btnCerrar, Qt::LeftButton);
    });
    TfmTips tips;
    EXPECT_EQ(tips.ShowModal(), idOk);
    // With the box unticked the start shows nothing (it would wait here).
    writeTips(2, false);
    ShowTipsAtStart();
}

// A tips file of which nothing can be made out is kept as a backup, byte for
// byte, and the user told, before the switch is written into a new one.
TEST_F(TipsTest, AGarbledFileIsKeptBeforeAnythingIsWritten)
{
    QByteArray noise;
    for (int i = 0; i < 3000; ++i)
        noise.append(char((i * 7919 + 13) % 251 + 1));
    noise.replace('[', '(');
    put(QStringLiteral("tips.ini"), noise);
    {
        TfmTips tips;
        ASSERT_EQ(sink.count(), 1);
        EXPECT_TRUE(sink.last().text.contains(QStringLiteral("tips.ini")));
        EXPECT_TRUE(sink.last().text.contains(QStringLiteral("tips.ini.bak")));
        EXPECT_EQ(get(QStringLiteral("tips.ini.bak")), noise);
        EXPECT_TRUE(tips.chkUsa->isChecked());
        EXPECT_EQ(tips.Count(), 4);
        tips.show();
        QTest::mouseClick(tips.btnCerrar, Qt::LeftButton);
    }
    EXPECT_EQ(sink.count(), 1);
    EXPECT_EQ(get(QStringLiteral("tips.ini.bak")), noise);
    EXPECT_TRUE(savedUse());
    // The next window reads the new file without a word.
    TfmTips again;
    EXPECT_EQ(sink.count(), 1);
}

TEST_F(TipsTest, ARoundedWindowWithoutFrame)
{
    writeTips(2);
    TfmTips tips;
    EXPECT_TRUE(tips.Transparent());
    EXPECT_TRUE(tips.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(tips.Area1->isVisible());
    EXPECT_EQ(tips.Label1->text(), QStringLiteral("Sabía que..."));
    EXPECT_EQ(tips.Label2->text(), QStringLiteral("Mas información"));
}

} // namespace
