// The month calendar of the dates window: the keys that move the day, choose
// it or leave, the double click, Spanish names whatever the desktop's
// language, the week numbers and the scheme's colours.
#include "tools/fechas/window/frmfechacal.h"

#include "drawkit/drawkit.h"
#include "support/fixtures.h"
#include "tools/fechas/fechas.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace {

class FechaCalTest : public ProcessStateTest {
protected:
    void SetUp() override
    {
        ProcessStateTest::SetUp();
        cal.SetDate(QDate(2024, 2, 28));
        cal.show();
        QApplication::setActiveWindow(&cal);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&cal));
        view = cal.MonthCalendar1->findChild<QTableView*>();
        ASSERT_NE(view, nullptr);
        view->setFocus();
    }
    TfmFechaCal cal;
    QTableView* view = nullptr;
};

} // namespace

TEST_F(FechaCalTest, ArrowsMoveByDaysAndWeeks)
{
    struct Step {
        Qt::Key key;
        QDate to;
    } steps[] = {{Qt::Key_Right, QDate(2024, 2, 29)}, {Qt::Key_Right, QDate(2024, 3, 1)},
                 {Qt::Key_Down, QDate(2024, 3, 8)},   {Qt::Key_Up, QDate(2024, 3, 1)},
                 {Qt::Key_Up, QDate(2024, 2, 23)},    {Qt::Key_Left, QDate(2024, 2, 22)}};
    for (const Step& s : steps) {
        QTest::keyClick(view, s.key);
        EXPECT_EQ(cal.Date(), s.to);
    }
    EXPECT_EQ(cal.MonthCalendar1->monthShown(), 2);
    EXPECT_TRUE(cal.isVisible());
}

TEST_F(FechaCalTest, EnterChoosesAndEscLeaves)
{
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(cal.result(), QDialog::Accepted);
    EXPECT_FALSE(cal.isVisible());
    cal.show();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(cal.result(), QDialog::Rejected);
    EXPECT_FALSE(cal.isVisible());
}

TEST_F(FechaCalTest, ADoubleClickChoosesTheDay)
{
    cal.SetDate(QDate(2024, 3, 1));
    const QPoint at = view->visualRect(view->currentIndex()).center();
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(cal.result(), QDialog::Accepted);
    EXPECT_EQ(cal.Date(), QDate(2024, 3, 1));
}

TEST_F(FechaCalTest, SpanishNamesWeekNumbersAndNoSystemButtons)
{
    auto* month = cal.MonthCalendar1->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    ASSERT_NE(month, nullptr);
    EXPECT_EQ(month->text().toLower(), fechas::LongMonthName(2));
    EXPECT_EQ(cal.MonthCalendar1->firstDayOfWeek(), Qt::Monday);
    EXPECT_EQ(cal.MonthCalendar1->verticalHeaderFormat(), QCalendarWidget::ISOWeekNumbers);
    EXPECT_FALSE(cal.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(cal.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(cal.isModal());
}

TEST_F(FechaCalTest, SchemeColours)
{
    cal.SetColors(0x102030, 0x405060, 0x708090, 0xA0B0C0);
    EXPECT_EQ(cal.MonthCalendar1->palette().color(QPalette::Base), ToQColor(0xA0B0C0));
    EXPECT_EQ(cal.MonthCalendar1->palette().color(QPalette::Text), ToQColor(0x102030));
    auto* title = cal.MonthCalendar1->findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->palette().color(QPalette::Window), ToQColor(0x405060));
    EXPECT_EQ(title->palette().color(QPalette::WindowText), ToQColor(0x708090));
}
