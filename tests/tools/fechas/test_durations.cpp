// Durations of the dates window: reading the typed form, the texts in every
// unit, and the six calculations of the window, checked against QDateTime and
// std::chrono, through the library and through its sumbrix-eval line.
#include "tools/fechas/fechas.h"

#include "engine/errors.h"
#include "foundation/core/directives.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/format.h"

#include <QDateTime>

#include <chrono>
#include <cmath>

#include <gtest/gtest.h>

void RegisterDirectives_tool_fechas();

using namespace fechas;

namespace {

// The duration's error message, or "<ok>" when it reads.
QString ParseError(const QString& text)
{
    try {
        ParseDuration(text);
        return QStringLiteral("<ok>");
    } catch (const Exception& e) {
        return e.message();
    }
}

class FixedClock : public ::testing::Test {
protected:
    void SetUp() override
    {
        const TDateTime t = EncodeDateTime(2024, 3, 5, 14, 7, 9);
        ClockSource() = [t] { return t; };
    }
    void TearDown() override { ClockSource() = nullptr; }
};

} // namespace

TEST(Durations, TypedForms)
{
    struct Case {
        const char* text;
        Extended days;
    } cases[] = {
        {"1d 12", 1.5L},
        {"1d12:00", 1.5L},      // the digit after "d" is the hours' own
        {"36", 1.5L},
        {"2d3:00", 2.125L},
        {"2d3", 2.125L},
        {"-1d 6", -1.25L},
        {"-2d", -2},
        {"2d", 2},
        {"2d ", 2},
        {"1 d.  12:00:00", 1.5L},   // the window's own text reads back
        {"-1 d.  6:00:00", -1.25L},
        {"-0 d.  6:00:00", -0.25L},
        {"1:30", 1.5L / 24},
        {"0:45", 0.75L / 24},
        {"0:0:90", 90.0L / 86400},
        {"1.5:30", 2.0L / 24},
        {"+2d", 2},
        // A sign inside a number is the number's own: only a sign in front
        // makes the duration negative.
        {"1e-5d", 1e-5L},
        {"1e-5", 1e-5L / 24},
        {"-1e-5d 2.5e-1", -(1e-5L + 0.25L / 24)},
        {"1:2:3", (1 + 2.0L / 60 + 3.0L / 3600) / 24},
        {" 1 : 2 : 3 ", (1 + 2.0L / 60 + 3.0L / 3600) / 24},
        {"0.5d", 0.5L},
        {"1e1d", 10},
        {"1d.5", 1 + 5.0L / 24},    // "." after "d" is the separator
        {"1d:", 1},
        {"", 0},
        {"-", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Extended got = ParseDuration(QString::fromUtf8(c.text));
        EXPECT_NEAR(double(got), double(c.days), 1e-15);
    }
}

TEST(Durations, ErrorsOfTypedForms)
{
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"1:--2:3", "--2:3 no es formato de hora válido"},
        {"-1:-2:3", "-2:3 no es formato de hora válido"},
        // A sign anywhere but in front is no longer taken for the duration's.
        {"1:-30", "-30 no es formato de hora válido"},
        {"2d-3", "-3 no es formato de hora válido"},
        {"1d -3", "-3 no es formato de hora válido"},
        {"--1d", "-1d no es formato de hora válido"},
        {"3-1", "'3-1' no es un valor decimal válido"},
        {"1:2-3", "'2-3' no es un valor decimal válido"},
        {"1:2:-3:4", "1:2:-3:4 no es formato de hora válido"},
        {"1:2:3:4", "1:2:3:4 no es formato de hora válido"},   // more than three fields
        {"1d 1:2:3:4", "1:2:3:4 no es formato de hora válido"},
        {"1d:2:3:4:5", "2:3:4:5 no es formato de hora válido"},
        {"x", "'x' no es un valor decimal válido"},
        {"1:x", "'x' no es un valor decimal válido"},
        {"xd", "'x' no es un valor decimal válido"},
        {"1,5", "'1,5' no es un valor decimal válido"},
        {"d5", ""},        // an empty field: no message while it is typed
        {"1:", ""},
        {"1::2", ""},
        {":30", ""},
        {"1d 1:", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseError(QString::fromUtf8(c.text)), QString::fromUtf8(c.message));
    }
}

TEST(Durations, TextsInEveryUnit)
{
    struct Case {
        Extended days;
        int unit;
        const char* text;
    } cases[] = {
        {1.5L, duHMS, "1 d.  12:00:00"},
        {0.09375L, duHMS, "0 d.  2:15:00"},
        {-1.25L, duHMS, "-1 d.  6:00:00"},
        {-0.25L, duHMS, "-0 d.  6:00:00"},     // the sign is kept under one day
        {0, duHMS, "0 d.  0:00:00"},
        {2 - 0.4L / kMSecsPerDay, duHMS, "2 d.  0:00:00"},   // rounded to the millisecond, carried
        {1 + 1.9994L / 86400, duHMS, "1 d.  0:00:01"},       // seconds are not rounded up
        {1e20L, duHMS, "1E20 d.  0:00:00"},
        {1.5L, duDays, "1.5"},
        {1.5L, duHours, "36"},
        {1.5L, duMinutes, "2160"},
        {1.5L, duSeconds, "129600"},
        {14, duWeeks, "2"},
        {45, duMonths, "1.5"},
        {730, duYears, "2"},
        {-0.5L, duHours, "-12"},
        {0.1L, duDays, "0.1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DurationText(c.days, c.unit), QString::fromUtf8(c.text));
    }
    EXPECT_THROW(DurationText(1e4930L, duSeconds), EOverflow);
}

TEST(Durations, TheFormatRemembersTheLastDuration)
{
    TDurationFormat f;
    EXPECT_EQ(f.FormatDuration(1.5L), QStringLiteral("1 d.  12:00:00"));
    f.Unit = duHours;
    EXPECT_EQ(f.FormatDuration(f.LastValue), QStringLiteral("36"));
    EXPECT_EQ(f.LastValue, 1.5L);
}

TEST(Durations, CalculationsOfTheDurationsPanel)
{
    struct Case {
        int type;
        int unit;
        const char* t1;
        const char* t2;
        const char* t3;
        const char* result;
    } cases[] = {
        {ctTimeSum, duHMS, "1:30", "0:45", "", "0 d.  2:15:00"},
        {ctTimeSum, duHMS, "1:30", "", "0:45", "0 d.  2:15:00"},   // T2 empty counts 0
        {ctTimeSum, duHours, "1d", "-6", "1:30", "19.5"},
        {ctTimeSum, duHMS, "1:00", "-3:00", "", "-0 d.  2:00:00"},
        {ctTimeSum, duHMS, "", "1:00", "", ""},                     // nothing without T1
        {ctTimeSum, duHMS, "1:00", "x", "", "'x' no es un valor decimal válido"},
        {ctTimeRatio, duHMS, "2:00", "0:30", "", "4"},
        {ctTimeRatio, duHours, "1d", "-8", "", "-3"},               // a plain number in any unit
        {ctTimeRatio, duHMS, "2:00", "", "", "División por cero"},
        {ctTimeRatio, duHMS, "0", "0", "", "Operación no válida"},
        {ctTimeTimes, duDays, "1d", "1.5", "", "1.5"},
        {ctTimeTimes, duHMS, "1:30", "-2", "", "-0 d.  3:00:00"},
        {ctTimeTimes, duHMS, "1d", "", "", "'' no es un valor decimal válido"},
        {ctTimeTimes, duDays, "1e4000d", "1e4000", "", "Desbordamiento"},
        {ctTimeDivided, duHMS, "1d", "4", "", "0 d.  6:00:00"},
        {ctTimeDivided, duHMS, "1d", "0", "", "División por cero"},
        {ctTimeDivided, duMinutes, "1:00", "3", "", "20"},
        {ctTimeSum, duHMS, "1:2:3:4", "", "", "1:2:3:4 no es formato de hora válido"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.t1) + " | " + c.t2 + " | " + c.t3);
        TDurationFormat f;
        f.Unit = c.unit;
        EXPECT_EQ(CalcTimes(c.type, QString::fromUtf8(c.t1), QString::fromUtf8(c.t2), QString::fromUtf8(c.t3), f),
                  QString::fromUtf8(c.result));
    }
}

TEST(Durations, OnlyDurationResultsBecomeTheLastValue)
{
    TDurationFormat f;
    CalcTimes(ctTimeSum, QStringLiteral("1d"), QString(), QString(), f);
    EXPECT_EQ(f.LastValue, 1);
    CalcTimes(ctTimeRatio, QStringLiteral("2d"), QStringLiteral("1d"), QString(), f);
    CalcTimes(ctTimeSum, QStringLiteral("x"), QString(), QString(), f);
    CalcDates(ctDatePlusDays, QStringLiteral("1/1/2024"), QStringLiteral("3"), f);
    EXPECT_EQ(f.LastValue, 1);
    CalcDates(ctDateDifference, QStringLiteral("1/1/2024"), QStringLiteral("3/1/2024"), f);
    EXPECT_EQ(f.LastValue, 2);
}

TEST_F(FixedClock, CalculationsOfTheDatesPanel)
{
    struct Case {
        int type;
        int unit;
        const char* date1;
        const char* text2;
        const char* result;
    } cases[] = {
        {ctDateDifference, duHMS, "1/3/2024", "28/2/2024", "2 d.  0:00:00"},   // leap day between
        {ctDateDifference, duHMS, "1/3/2023", "28/2/2023", "1 d.  0:00:00"},
        {ctDateDifference, duDays, "28/2/2024", "1/3/2024", "2"},              // never negative
        {ctDateDifference, duHours, "1/1/2024 6:00", "31/12/2023 18:00", "12"},
        {ctDateDifference, duHMS, "31/12/1899 3:00", "29/12/1899 21:00", "1 d.  6:00:00"},
        {ctDateDifference, duDays, "1/1/2000", "1/1/1900", "36524"},
        {ctDateDifference, duYears, "1/1/2001", "1/1/2000", "1.0027397260274"},
        {ctDateDifference, duHMS, "12:30", "10:00", "0 d.  2:30:00"},          // times of one day
        {ctDateDifference, duHMS, "1/1/2024", "", ""},
        {ctDateDifference, duHMS, "", "1/1/2024", ""},
        {ctDateDifference, duHMS, "31/2/2024", "1/1/2024", "'31/2/2024' no es una fecha y hora válida"},
        {ctDateDifference, duHMS, "1/1/2024", "x", "'x' no es una fecha y hora válida"},
        {ctDatePlusDays, duHMS, "28/2/2024", "1", "jueves 29/02/2024 00:00:00.0"},
        {ctDatePlusDays, duHMS, "28/2/2023", "1", "miércoles 01/03/2023 00:00:00.0"},
        {ctDatePlusDays, duHMS, "31/12/2023", "1", "lunes 01/01/2024 00:00:00.0"},
        {ctDatePlusDays, duHMS, "1/3/2024", "-1.5", "miércoles 28/02/2024 12:00:00.0"},
        {ctDatePlusDays, duHMS, "1/1/2024 12:00", "0.25", "lunes 01/01/2024 18:00:00.0"},
        {ctDatePlusDays, duHMS, "5/3/2024", "1e-3", "martes 05/03/2024 00:01:26.400"},
        {ctDatePlusDays, duHMS, "30/12/1899", "-1.25", "jueves 28/12/1899 18:00:00.0"},
        {ctDatePlusDays, duHMS, "31/12/9999", "1", "La fecha está fuera del intervalo válido (años 1 a 9999)"},
        {ctDatePlusDays, duHMS, "1/1/0001", "-0.5", "La fecha está fuera del intervalo válido (años 1 a 9999)"},
        {ctDatePlusDays, duHMS, "1/1/2024", "1e300", "La fecha está fuera del intervalo válido (años 1 a 9999)"},
        {ctDatePlusDays, duHMS, "1/1/2024", "uno", "'uno' no es un valor decimal válido"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.date1) + " | " + c.text2);
        TDurationFormat f;
        f.Unit = c.unit;
        EXPECT_EQ(CalcDates(c.type, QString::fromUtf8(c.date1), QString::fromUtf8(c.text2), f),
                  QString::fromUtf8(c.result));
    }
}

TEST_F(FixedClock, DifferencesAgreeWithQDateTimeAndChrono)
{
    // Pairs of moments across leap days, month ends, centuries and 1899, in
    // both orders: the difference in seconds is the one of QDateTime (in UTC)
    // and of std::chrono.
    struct Moment {
        int y, m, d, h, n, s;
    } moments[] = {{2024, 2, 28, 23, 59, 59}, {2024, 2, 29, 0, 0, 1},  {2024, 3, 1, 12, 0, 0},
                   {2023, 2, 28, 6, 30, 0},   {1900, 2, 28, 0, 0, 0},  {1900, 3, 1, 0, 0, 0},
                   {2000, 2, 29, 18, 45, 15}, {1899, 12, 29, 6, 0, 0}, {1899, 12, 30, 0, 0, 0},
                   {1, 1, 1, 0, 0, 0},        {9999, 12, 31, 23, 59, 59}, {1582, 10, 4, 1, 2, 3}};
    const auto text = [](const Moment& a) {
        return QStringLiteral("%1/%2/%3 %4:%5:%6").arg(a.d).arg(a.m).arg(a.y, 4, 10, QLatin1Char('0')).arg(a.h).arg(a.n).arg(a.s);
    };
    const auto chrono = [](const Moment& a) {
        using namespace std::chrono;
        const sys_days day = year_month_day{year{a.y}, month{unsigned(a.m)}, std::chrono::day{unsigned(a.d)}};
        return sys_seconds(day) + hours(a.h) + minutes(a.n) + seconds(a.s);
    };
    for (const Moment& a : moments) {
        for (const Moment& b : moments) {
            const QString ta = text(a), tb = text(b);
            SCOPED_TRACE((ta + QStringLiteral(" - ") + tb).toStdString());
            const QDateTime qa(QDate(a.y, a.m, a.d), QTime(a.h, a.n, a.s), Qt::UTC);
            const QDateTime qb(QDate(b.y, b.m, b.d), QTime(b.h, b.n, b.s), Qt::UTC);
            const long long seconds = std::llabs(qa.secsTo(qb));
            ASSERT_EQ(seconds, std::llabs((chrono(a) - chrono(b)).count()));
            TDurationFormat f;
            f.Unit = duSeconds;
            EXPECT_EQ(CalcDates(ctDateDifference, ta, tb, f), FloatToStr(Extended(seconds)));
            f.Unit = duHMS;
            EXPECT_EQ(CalcDates(ctDateDifference, ta, tb, f),
                      QString::number(seconds / 86400) + QStringLiteral(" d.  ") +
                          QTime(0, 0).addSecs(int(seconds % 86400)).toString(QStringLiteral("H:mm:ss")));
        }
    }
}

TEST_F(FixedClock, DatePlusDaysAgreesWithQDateTime)
{
    // Whole and half days forward and back from month ends and leap days.
    const QDateTime starts[] = {
        QDateTime(QDate(2024, 1, 31), QTime(0, 0), Qt::UTC),
        QDateTime(QDate(2024, 2, 29), QTime(18, 0), Qt::UTC),
        QDateTime(QDate(2100, 2, 28), QTime(6, 0), Qt::UTC),
        QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC),
        QDateTime(QDate(1600, 3, 1), QTime(12, 0), Qt::UTC),
    };
    for (const QDateTime& start : starts) {
        for (const int halfDays : {-800, -3, -1, 1, 2, 59, 731, 146097 * 2}) {
            const QString from = start.toString(QStringLiteral("d/M/yyyy H:mm"));
            const QDateTime to = start.addSecs(qint64(halfDays) * 43200);
            SCOPED_TRACE((from + QStringLiteral(" + ") + QString::number(halfDays / 2.0)).toStdString());
            TDurationFormat f;
            const QString expected = LongDayName(to.date().dayOfWeek() % 7) + QLatin1Char(' ') +
                                     to.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss.z"));
            EXPECT_EQ(CalcDates(ctDatePlusDays, from, FloatToStr(halfDays / 2.0L), f), expected);
        }
    }
}

TEST_F(FixedClock, TheEvalLineGivesTheResultField)
{
    static bool registered = false;
    if (!registered) {
        RegisterDirectives_tool_fechas();
        registered = true;
    }
    struct Case {
        const char* line;
        const char* answer;
    } cases[] = {
        {"#dates\t2\t0\t1:30\t0:45", "0 d.  2:15:00"},
        {"#dates\t2\t2\t1:30\t\t0:45", "2.25"},
        {"#dates\t3\t0\t2:00\t0:30", "4"},
        {"#dates\t4\t1\t1d\t1.5", "1.5"},
        {"#dates\t5\t0\t1d\t0", "División por cero"},
        {"#dates\t0\t0\t1/3/2024\t28/2/2024", "2 d.  0:00:00"},
        {"#dates\t0\t2\t1/1/2024 12:00\t1/1/2024", "12"},
        {"#dates\t1\t0\t1/3/2024\t-1.5", "miércoles 28/02/2024 12:00:00.0"},
        {"#dates\t1\t0\t1/3/2024", ""},
        {"#dates\t2\t0\t2d3:00", "2 d.  3:00:00"},
        {"#dates\t2\t0\t1:-30", "-30 no es formato de hora válido"},
        {"#dates\t2\t0\t3-1", "'3-1' no es un valor decimal válido"},
        {"#dates\t2\t1\t1e-5d", "0.00001"},
        {"#dates\t2\t1\t-2d\t1d", "-1"},
        {"#dates\t2\t0\t1:2:3:4", "1:2:3:4 no es formato de hora válido"},
        {"#dates\t6\t0\t1", "Excepción: Tipo de cálculo no válido (0 a 5)"},
        {"#dates\t2\t8\t1", "Excepción: Unidad de resultado no válida (0 a 7)"},
        {"#dates", "Excepción: Tipo de cálculo no válido (0 a 5)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        QString answer;
        ASSERT_TRUE(RunEvalDirective(QString::fromUtf8(c.line), answer));
        EXPECT_EQ(answer, QString::fromUtf8(c.answer));
    }
}
