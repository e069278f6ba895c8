#pragma once
// Dates, times and durations of the dates window.
//
// A date and time is a whole number of milliseconds from 30/12/1899 0:00,
// so that differences and sums of dates are exact; the time of day always
// counts forward from midnight, also before 1899. The calendar is the
// Gregorian one, extended back to year 1; years run from 1 to 9999.
//
// A duration is a real number of days, typed as [-][days d][hours[:minutes
// [:seconds]]] and shown in one of eight units.
//
// Dates are read and written as the Spanish desktop writes them: the date
// "dd/mm/yyyy", the time "h:nn:ss"; day names are the Spanish ones whatever
// the machine's language.
#include "foundation/core/extended.h"

#include <QString>

#include <functional>

namespace fechas {

// Milliseconds from 30/12/1899 0:00.
using TDateTime = long long;

inline constexpr int kMinYear = 1;
inline constexpr int kMaxYear = 9999;
inline constexpr long long kMSecsPerDay = 86400000;

bool IsLeapYear(int year);
// 28 to 31; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
// Days from 30/12/1899 to that date; no range check.
long long DaysFromDate(int year, int month, int day);
void DateFromDays(long long days, int& year, int& month, int& day);
// 0 Sunday, 1 Monday, ... 6 Saturday.
int DayOfWeek(long long days);

// "domingo" ... "sábado" (0 Sunday), "enero" ... "diciembre" (1 January).
QString LongDayName(int dayOfWeek);
QString LongMonthName(int month);

struct TDateTimeParts {
    int Year = 0, Month = 0, Day = 0;
    int Hour = 0, Minute = 0, Second = 0, MSec = 0;
    int WeekDay = 0;   // 0 Sunday
};

// The moment of a valid date and time; a part out of range raises the
// conversion error.
TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int msec = 0);
// The parts of a moment; one outside the years 1 to 9999 raises the
// conversion error.
TDateTimeParts DecodeDateTime(TDateTime t);

// "dd/mm/yyyy".
QString DateToStr(TDateTime t);
// The time of day, "h:nn:ss".
QString TimeToStr(TDateTime t);
// The date, then a blank and the time unless it is midnight.
QString DateTimeToStr(TDateTime t);
// "dddd dd/mm/yyyy hh:nn:ss.z" (the day's name, the milliseconds without
// leading zeros: "12:00:00.0", "09:07:03.45").
QString LongDateTimeText(TDateTime t);

// A date and time as typed: "d/m[/y]" (two numbers: this year; a year of one
// or two digits: the one of the 100 years from 50 years back), then maybe a
// time "h[:m[:s[.fraction]]]"; or a time alone, on 30/12/1899. Blanks are
// allowed around the numbers. Anything else raises the conversion error
// "'%s' no es una fecha y hora válida".
TDateTime StrToDateTime(const QString& text);

// A real number with blanks around it allowed; else the conversion error
// "'%s' no es un valor decimal válido".
Extended StrToFloatText(const QString& text);

// The current moment; tests may set another clock (empty: the system's).
std::function<TDateTime()>& ClockSource();
TDateTime Now();
TDateTime Today();

// The moment `days` days (a real number, rounded to the millisecond) after
// `t`; one outside the years 1 to 9999 raises the conversion error.
TDateTime AddDays(TDateTime t, Extended days);
// The time from `b` to `a` in days.
Extended DaysBetween(TDateTime a, TDateTime b);

// ---------------------------------------------------------------------------
// Durations

// The duration in days of a text of the form [-][days d][hours[:minutes
// [:seconds]]]:
// - a "-" in front makes it negative (a "+" in front is allowed);
// - the number before the first "d" is the days; one character after that
//   "d" is skipped when it is neither a digit nor a blank (the "." of the
//   window's own " d.  " form);
// - the rest holds up to three fields, hours, minutes and seconds; every
//   field is a real number without a sign of its own ("1e-5" is a number,
//   "3-1" is not and raises the conversion error); a field with a sign and
//   more than three fields raise "%s no es formato de hora válido" with the
//   text from the field on;
// - an empty field raises an error with an empty message (the text is still
//   being typed).
Extended ParseDuration(const QString& text);

// The result units, by their menu tags.
enum TDurationUnit {
    duHMS = 0,       // days and the time of day
    duDays = 1,
    duHours = 2,
    duMinutes = 3,
    duSeconds = 4,
    duMonths = 5,    // of 30 days
    duYears = 6,     // of 365 days
    duWeeks = 7,
};

// The text of a duration of `days` days in a unit: for duHMS the whole days,
// " d.  " and the time of day "h:nn:ss" (a negative duration in front of a
// "-"), for the others the general number text.
QString DurationText(Extended days, int unit);

// The unit chosen and the last duration shown, kept to show it again in
// another unit.
class TDurationFormat {
public:
    int Unit = duHMS;
    Extended LastValue = 0;
    // Remembers the duration and returns its text in the unit.
    QString FormatDuration(Extended days);
};

// The calculation types, in the order of the window's list.
enum TCalcType {
    ctDateDifference = 0,   // |date 1 - date 2|
    ctDatePlusDays = 1,     // date 1 + a number of days
    ctTimeSum = 2,          // T1 + T2 + T3
    ctTimeRatio = 3,        // T1 / T2, a plain number
    ctTimeTimes = 4,        // T1 x number
    ctTimeDivided = 5,      // T1 / number
};
inline constexpr int kCalcTypes = 6;

// The result text of the dates panel (types 0 and 1) for its two fields:
// empty when either is empty, the error's message when the calculation fails.
QString CalcDates(int type, const QString& date1, const QString& text2, TDurationFormat& format);
// The result text of the durations panel (types 2 to 5) for its three
// fields: empty when the first is empty; T2 and T3 count 0 when empty in a
// sum; the error's message when the calculation fails.
QString CalcTimes(int type, const QString& t1, const QString& t2, const QString& t3, TDurationFormat& format);

} // namespace fechas
