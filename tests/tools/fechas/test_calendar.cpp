// The calendar under the dates window: day counts against QDate and
// std::chrono, leap years and month ends, the serial's parts, the texts of
// dates and times, and the reading of typed dates.
#include "tools/fechas/fechas.h"

#include "engine/errors.h"
#include "foundation/core/exceptions.h"

#include <QDate>

#include <chrono>
#include <limits>

#include <gtest/gtest.h>

using namespace fechas;

namespace {

// The clock stands still at a chosen moment while a test runs.
class CalendarClock : public ::testing::Test {
protected:
    void SetUp() override { Set(2024, 3, 5, 14, 7, 9); }
    void TearDown() override { ClockSource() = nullptr; }
    void Set(int y, int m, int d, int h = 0, int n = 0, int s = 0)
    {
        const TDateTime t = EncodeDateTime(y, m, d, h, n, s);
        ClockSource() = [t] { return t; };
    }
};

long long QDays(int y, int m, int d) { return QDate(1899, 12, 30).daysTo(QDate(y, m, d)); }

long long ChronoDays(int y, int m, int d)
{
    using namespace std::chrono;
    const sys_days day = year_month_day{year{y}, month{unsigned(m)}, std::chrono::day{unsigned(d)}};
    const sys_days origin = year_month_day{year{1899}, December, std::chrono::day{30}};
    return (day - origin).count();
}

} // namespace

TEST(Calendar, EveryFirstAndLastOfMonthAgreesWithQDateAndChrono)
{
    // Every month of years 1 to 9999 read both ways: the month ends of every
    // leap rule (1900 not leap, 2000 leap) and the whole range come in.
    for (int y = kMinYear; y <= kMaxYear; ++y) {
        for (int m = 1; m <= 12; ++m) {
            const int last = QDate(y, m, 1).daysInMonth();
            ASSERT_EQ(DaysInMonth(y, m), last) << y << "/" << m;
            for (int d : {1, last}) {
                const long long n = DaysFromDate(y, m, d);
                ASSERT_EQ(n, QDays(y, m, d)) << d << "/" << m << "/" << y;
                ASSERT_EQ(n, ChronoDays(y, m, d)) << d << "/" << m << "/" << y;
                int yy = 0, mm = 0, dd = 0;
                DateFromDays(n, yy, mm, dd);
                ASSERT_EQ(QDate(yy, mm, dd), QDate(y, m, d));
                ASSERT_EQ(DayOfWeek(n), QDate(y, m, d).dayOfWeek() % 7) << d << "/" << m << "/" << y;
            }
        }
    }
}

TEST(Calendar, DayByDayAcrossTheLeapDaysAndCenturies)
{
    // A run of consecutive days holds no gap nor repeat.
    for (const int from : {1, 1600, 1899, 1999, 2023, 9995}) {
        long long n = DaysFromDate(from, 1, 1);
        QDate q(from, 1, 1);
        for (int i = 0; i < 4 * 366 && q.year() <= kMaxYear; ++i, ++n, q = q.addDays(1)) {
            int y = 0, m = 0, d = 0;
            DateFromDays(n, y, m, d);
            ASSERT_EQ(QDate(y, m, d), q) << n;
        }
    }
}

TEST(Calendar, LeapYears)
{
    struct Case {
        int year;
        bool leap;
    } cases[] = {{1900, false}, {2000, true}, {2023, false}, {2024, true}, {2100, false},
                 {2400, true},  {4, true},    {1, false},    {1600, true}, {9996, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.year);
        EXPECT_EQ(IsLeapYear(c.year), c.leap);
        EXPECT_EQ(DaysInMonth(c.year, 2), c.leap ? 29 : 28);
    }
    EXPECT_EQ(DaysInMonth(2024, 0), 0);
    EXPECT_EQ(DaysInMonth(2024, 13), 0);
}

TEST(Calendar, SerialOriginAndWeekDays)
{
    EXPECT_EQ(DaysFromDate(1899, 12, 30), 0);
    EXPECT_EQ(DaysFromDate(1900, 1, 1), 2);
    EXPECT_EQ(DaysFromDate(1970, 1, 1), 25569);
    EXPECT_EQ(DayOfWeek(0), 6);                                  // sábado
    EXPECT_EQ(LongDayName(DayOfWeek(DaysFromDate(2024, 2, 29))), QStringLiteral("jueves"));
    EXPECT_EQ(LongDayName(DayOfWeek(DaysFromDate(1, 1, 1))), QStringLiteral("lunes"));
    EXPECT_EQ(LongDayName(3), QStringLiteral("miércoles"));
    EXPECT_EQ(LongDayName(6), QStringLiteral("sábado"));
    EXPECT_EQ(LongMonthName(9), QStringLiteral("septiembre"));
    EXPECT_EQ(LongMonthName(13), QString());
}

TEST(Calendar, EncodeAndDecodeKeepEveryPart)
{
    struct Case {
        int y, m, d, h, n, s, ms;
    } cases[] = {{2024, 2, 29, 23, 59, 59, 999}, {1, 1, 1, 0, 0, 0, 0},   {9999, 12, 31, 23, 59, 59, 999},
                 {1899, 12, 29, 6, 0, 0, 0},      {1600, 3, 1, 12, 30, 15, 250}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.y);
        const TDateTimeParts p = DecodeDateTime(EncodeDateTime(c.y, c.m, c.d, c.h, c.n, c.s, c.ms));
        EXPECT_EQ(p.Year, c.y);
        EXPECT_EQ(p.Month, c.m);
        EXPECT_EQ(p.Day, c.d);
        EXPECT_EQ(p.Hour, c.h);
        EXPECT_EQ(p.Minute, c.n);
        EXPECT_EQ(p.Second, c.s);
        EXPECT_EQ(p.MSec, c.ms);
    }
    // Before 1899 the time of day still counts forward: 29/12/1899 6:00 is
    // 18 hours before the origin.
    EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6), -18 * 3600000LL);
    EXPECT_EQ(EncodeDateTime(2024, 3, 5, 1, 2, 3, 4), DaysFromDate(2024, 3, 5) * kMSecsPerDay + 3723004);
}

TEST(Calendar, InvalidPartsAndSerialsOutOfRangeAreRefused)
{
    EXPECT_THROW(EncodeDateTime(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDateTime(2024, 4, 31), EConvertError);
    EXPECT_THROW(EncodeDateTime(0, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDateTime(10000, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDateTime(2024, 1, 1, 24), EConvertError);
    EXPECT_THROW(EncodeDateTime(2024, 1, 1, 0, 60), EConvertError);
    EXPECT_THROW(EncodeDateTime(2024, 1, 1, 0, 0, 0, 1000), EConvertError);
    EXPECT_THROW(DecodeDateTime(EncodeDateTime(9999, 12, 31, 23, 59, 59, 999) + 1), EConvertError);
    EXPECT_THROW(DecodeDateTime(EncodeDateTime(1, 1, 1) - 1), EConvertError);
    EXPECT_THROW(DecodeDateTime(std::numeric_limits<long long>::max()), EConvertError);
    EXPECT_THROW(DecodeDateTime(std::numeric_limits<long long>::min()), EConvertError);
}

TEST(Calendar, AddingDaysRoundsToTheMillisecondAndKeepsTheRange)
{
    // Less than half a millisecond before midnight is midnight of the next day.
    const TDateTime t = AddDays(EncodeDateTime(2023, 12, 31), 1 - 0.4L / kMSecsPerDay);
    EXPECT_EQ(t, EncodeDateTime(2024, 1, 1));
    EXPECT_EQ(DateTimeToStr(t), QStringLiteral("01/01/2024"));
    EXPECT_EQ(AddDays(EncodeDateTime(2024, 1, 1), -1.5L), EncodeDateTime(2023, 12, 30, 12));
    EXPECT_EQ(AddDays(EncodeDateTime(9999, 12, 31), 1 - 1.4L / kMSecsPerDay),
              EncodeDateTime(9999, 12, 31, 23, 59, 59, 999));
    EXPECT_THROW(AddDays(EncodeDateTime(9999, 12, 31), 1 - 0.4L / kMSecsPerDay), EConvertError);
    EXPECT_THROW(AddDays(EncodeDateTime(9999, 12, 31), 1), EConvertError);
    EXPECT_THROW(AddDays(EncodeDateTime(1, 1, 1), -1e-6L), EConvertError);
    EXPECT_THROW(AddDays(0, 1e300L), EConvertError);
    EXPECT_THROW(AddDays(0, -1e4930L), EOverflow);
}

TEST(Calendar, DaysBetweenMomentsAreExact)
{
    EXPECT_EQ(DaysBetween(EncodeDateTime(2024, 2, 29, 0, 0, 1), EncodeDateTime(2024, 2, 28, 23, 59, 59)),
              2.0L / 86400);
    EXPECT_EQ(DaysBetween(EncodeDateTime(1, 1, 1), EncodeDateTime(1899, 12, 30, 12)), -693593.5L);
}

TEST(Calendar, TextsOfDatesAndTimes)
{
    const TDateTime t = EncodeDateTime(2024, 3, 5, 9, 7, 3, 45);
    EXPECT_EQ(DateToStr(t), QStringLiteral("05/03/2024"));
    EXPECT_EQ(TimeToStr(t), QStringLiteral("9:07:03"));
    EXPECT_EQ(DateTimeToStr(t), QStringLiteral("05/03/2024 9:07:03"));
    EXPECT_EQ(DateTimeToStr(EncodeDateTime(2024, 3, 5)), QStringLiteral("05/03/2024"));
    EXPECT_EQ(LongDateTimeText(t), QStringLiteral("martes 05/03/2024 09:07:03.45"));
    EXPECT_EQ(LongDateTimeText(EncodeDateTime(1, 1, 1)), QStringLiteral("lunes 01/01/0001 00:00:00.0"));
    EXPECT_EQ(LongDateTimeText(EncodeDateTime(2024, 12, 28, 23, 0, 0, 500)),
              QStringLiteral("sábado 28/12/2024 23:00:00.500"));
}

TEST_F(CalendarClock, TypedDatesAndTimes)
{
    struct Case {
        const char* text;
        int y, m, d, h, n, s, ms;
    } cases[] = {
        {"05/03/2024", 2024, 3, 5, 0, 0, 0, 0},
        {"5/3/2024", 2024, 3, 5, 0, 0, 0, 0},
        {" 29/2/2024 ", 2024, 2, 29, 0, 0, 0, 0},
        {"1 / 2 / 2024", 2024, 2, 1, 0, 0, 0, 0},
        {"31/12/9999 23:59:59", 9999, 12, 31, 23, 59, 59, 0},
        {"05/03/2024 14:07:09", 2024, 3, 5, 14, 7, 9, 0},
        {"05/03/2024 14:07", 2024, 3, 5, 14, 7, 0, 0},
        {"05/03/2024 14", 2024, 3, 5, 14, 0, 0, 0},
        {"05/03/2024 9:07:03.045", 2024, 3, 5, 9, 7, 3, 45},
        {"05/03/2024 9:07:03.5", 2024, 3, 5, 9, 7, 3, 500},   // a fraction of a second
        {"1/1/1", 2001, 1, 1, 0, 0, 0, 0},                      // years of two digits: 1974 to 2073
        {"1/1/00", 2000, 1, 1, 0, 0, 0, 0},
        {"1/1/73", 2073, 1, 1, 0, 0, 0, 0},
        {"1/1/74", 1974, 1, 1, 0, 0, 0, 0},
        {"1/1/99", 1999, 1, 1, 0, 0, 0, 0},
        {"1/1/001", 1, 1, 1, 0, 0, 0, 0},                       // three digits are the year itself
        {"7/11", 2024, 11, 7, 0, 0, 0, 0},                      // this year
        {"12:30", 1899, 12, 30, 12, 30, 0, 0},                  // a time alone
        {"0:00:01", 1899, 12, 30, 0, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TDateTime t = StrToDateTime(QString::fromUtf8(c.text));
        EXPECT_EQ(t, EncodeDateTime(c.y, c.m, c.d, c.h, c.n, c.s, c.ms));
    }
}

TEST_F(CalendarClock, TextsThatAreNoDateRaiseTheConversionError)
{
    for (const char* text : {"", "   ", "29/2/2023", "31/4/2024", "0/1/2024", "1/13/2024", "1/1/0000",
                             "1/1/10000", "1/1/20245", "5/3/2024 24:00", "5/3/2024 12:60", "5/3/2024 1:2:60",
                             "5-3-2024", "5/3/2024x", "5/3/2024 12:", "5/3/", "/3/2024", "d", "12:30 5/3/2024",
                             "5/3/2024 12:30:15.", "\xd9\xa1/1/2024"}) {
        SCOPED_TRACE(text);
        const QString s = QString::fromUtf8(text);
        try {
            StrToDateTime(s);
            ADD_FAILURE() << "read as a date";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'") + s + QStringLiteral("' no es una fecha y hora válida"));
        }
    }
}

TEST_F(CalendarClock, TheClockGivesNowAndToday)
{
    EXPECT_EQ(Now(), EncodeDateTime(2024, 3, 5, 14, 7, 9));
    EXPECT_EQ(Today(), EncodeDateTime(2024, 3, 5));
    Set(2030, 1, 1);
    EXPECT_EQ(StrToDateTime(QStringLiteral("1/1/79")), EncodeDateTime(2079, 1, 1));
    EXPECT_EQ(StrToDateTime(QStringLiteral("1/1/80")), EncodeDateTime(1980, 1, 1));
}

TEST(Calendar, TheSystemClockIsUsedWithoutAnother)
{
    ClockSource() = nullptr;
    const QDate before = QDate::currentDate();
    const TDateTime today = Today();
    const QDate after = QDate::currentDate();
    const TDateTimeParts p = DecodeDateTime(today);
    const QDate got(p.Year, p.Month, p.Day);
    EXPECT_TRUE(got == before || got == after);
    EXPECT_GE(Now(), today);
    EXPECT_LT(Now(), today + 2 * kMSecsPerDay);
}

TEST(Calendar, NumbersOfDays)
{
    EXPECT_EQ(StrToFloatText(QStringLiteral(" -1.5 ")), -1.5L);
    EXPECT_EQ(StrToFloatText(QStringLiteral("2e3")), 2000.0L);
    for (const char* text : {"", "1,5", "abc", "1.5.2", "inf", "1e99999"}) {
        SCOPED_TRACE(text);
        try {
            StrToFloatText(QString::fromUtf8(text));
            ADD_FAILURE() << "read as a number";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' no es un valor decimal válido").arg(QString::fromUtf8(text)));
        }
    }
}
