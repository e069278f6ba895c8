#include "tools/fechas/fechas.h"

#include "engine/checked.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/format.h"

#include <QDateTime>
#include <QStringList>

#include <cmath>

namespace fechas {

namespace {

// 1/1/1970 counted from 30/12/1899.
constexpr long long kUnixEpochDays = 25569;

const char* const kDayNames[7] = {"domingo", "lunes", "martes", "miércoles", "jueves", "viernes", "sábado"};
const char* const kMonthNames[12] = {"enero", "febrero", "marzo",      "abril",   "mayo",      "junio",
                                     "julio", "agosto",  "septiembre", "octubre", "noviembre", "diciembre"};

[[noreturn]] void OutOfRange()
{
    throw EConvertError(QStringLiteral("La fecha está fuera del intervalo válido (años 1 a 9999)"));
}

QString TwoDigits(int n) { return QString::number(n).rightJustified(2, QLatin1Char('0')); }

// The whole days and the milliseconds of the day of a moment.
void SplitMoment(TDateTime t, long long& days, long long& msec)
{
    days = t / kMSecsPerDay;
    msec = t % kMSecsPerDay;
    if (msec < 0) {
        --days;
        msec += kMSecsPerDay;
    }
}

TDateTime FirstMoment() { return DaysFromDate(kMinYear, 1, 1) * kMSecsPerDay; }
TDateTime LastMoment() { return (DaysFromDate(kMaxYear, 12, 31) + 1) * kMSecsPerDay - 1; }

QString TimeOfDayText(long long msec)
{
    const long long seconds = msec / 1000;
    return QString::number(seconds / 3600) + QLatin1Char(':') + TwoDigits(int(seconds / 60 % 60)) +
           QLatin1Char(':') + TwoDigits(int(seconds % 60));
}

// A reader of the typed date and time: digits, separators and blanks.
class TScanner {
public:
    explicit TScanner(const QString& text) : m_text(text) {}
    void Blanks()
    {
        while (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char(' '))
            ++m_pos;
    }
    bool AtEnd()
    {
        Blanks();
        return m_pos >= m_text.size();
    }
    bool Char(QChar c)
    {
        Blanks();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    // Up to `maxDigits` decimal digits; `digits` tells how many were read.
    bool Number(int& value, int maxDigits, int* digits = nullptr)
    {
        Blanks();
        const qsizetype start = m_pos;
        value = 0;
        while (m_pos < m_text.size() && m_text[m_pos].isDigit() && m_text[m_pos].unicode() < 128) {
            if (m_pos - start == maxDigits)
                return false;
            value = value * 10 + (m_text[m_pos].unicode() - '0');
            ++m_pos;
        }
        if (digits)
            *digits = int(m_pos - start);
        return m_pos > start;
    }
    // The digits of a fraction of a second, as milliseconds (rounded).
    bool Fraction(int& msec)
    {
        const qsizetype start = m_pos;
        Extended f = 0, scale = 0.1L;
        while (m_pos < m_text.size() && m_text[m_pos].isDigit() && m_text[m_pos].unicode() < 128) {
            f += scale * (m_text[m_pos].unicode() - '0');
            scale /= 10;
            ++m_pos;
        }
        msec = int(llroundl(f * 1000));
        return m_pos > start;
    }
    qsizetype Pos() const { return m_pos; }
    void SetPos(qsizetype p) { m_pos = p; }

private:
    const QString& m_text;
    qsizetype m_pos = 0;
};

bool ValidTime(int h, int m, int s) { return h >= 0 && h < 24 && m >= 0 && m < 60 && s >= 0 && s < 60; }

// "d/m[/y]" from the scanner's position.
bool ScanDate(TScanner& in, long long& days)
{
    int d = 0, m = 0, y = 0, yearDigits = 0;
    if (!in.Number(d, 4) || !in.Char(QLatin1Char('/')) || !in.Number(m, 4))
        return false;
    if (in.Char(QLatin1Char('/'))) {
        if (!in.Number(y, 4, &yearDigits))
            return false;
        if (yearDigits <= 2) {
            // The century that puts the year within 50 years back and 49 ahead.
            int year = 0, month = 0, day = 0;
            DateFromDays(Today() / kMSecsPerDay, year, month, day);
            const int base = year - 50;
            y += base / 100 * 100;
            if (y < base)
                y += 100;
        }
    } else {
        int month = 0, day = 0;
        DateFromDays(Today() / kMSecsPerDay, y, month, day);
    }
    if (y < kMinYear || y > kMaxYear || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
        return false;
    days = DaysFromDate(y, m, d);
    return true;
}

// "h[:m[:s[.fraction]]]" from the scanner's position, as a part of a day.
bool ScanTime(TScanner& in, long long& time)
{
    int h = 0, m = 0, s = 0, ms = 0;
    if (!in.Number(h, 4))
        return false;
    if (in.Char(QLatin1Char(':'))) {
        if (!in.Number(m, 4))
            return false;
        if (in.Char(QLatin1Char(':'))) {
            if (!in.Number(s, 4))
                return false;
            if (in.Char(QLatin1Char('.')) && !in.Fraction(ms))
                return false;
        }
    }
    if (!ValidTime(h, m, s))
        return false;
    time = ((h * 60LL + m) * 60 + s) * 1000 + ms;
    return true;
}

// A field of a duration: a real number; an empty one is still being typed.
Extended DurationField(const QString& field)
{
    if (field.trimmed().isEmpty())
        throw Exception(QString());
    return StrToFloatText(field);
}

} // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

long long DaysFromDate(int year, int month, int day)
{
    // Years from March, so that the leap day ends the year; eras of 400 years.
    const long long y = static_cast<long long>(year) - (month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yearOfEra = y - era * 400;
    const long long dayOfYear = (153LL * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468 + kUnixEpochDays;
}

void DateFromDays(long long days, int& year, int& month, int& day)
{
    const long long z = days - kUnixEpochDays + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long dayOfEra = z - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

int DayOfWeek(long long days)
{
    // 30/12/1899 was a Saturday.
    const long long r = (days + 6) % 7;
    return int(r < 0 ? r + 7 : r);
}

QString LongDayName(int dayOfWeek)
{
    return dayOfWeek >= 0 && dayOfWeek < 7 ? QString::fromUtf8(kDayNames[dayOfWeek]) : QString();
}

QString LongMonthName(int month)
{
    return month >= 1 && month <= 12 ? QString::fromUtf8(kMonthNames[month - 1]) : QString();
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec)
{
    if (year < kMinYear || year > kMaxYear || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        !ValidTime(hour, minute, second) || msec < 0 || msec > 999)
        throw EConvertError(QStringLiteral("Fecha u hora no válida"));
    const long long ms = ((hour * 60LL + minute) * 60 + second) * 1000 + msec;
    return DaysFromDate(year, month, day) * kMSecsPerDay + ms;
}

TDateTimeParts DecodeDateTime(TDateTime t)
{
    if (t < FirstMoment() || t > LastMoment())
        OutOfRange();
    long long days = 0, msec = 0;
    SplitMoment(t, days, msec);
    TDateTimeParts p;
    DateFromDays(days, p.Year, p.Month, p.Day);
    p.WeekDay = DayOfWeek(days);
    p.MSec = int(msec % 1000);
    const long long seconds = msec / 1000;
    p.Second = int(seconds % 60);
    p.Minute = int(seconds / 60 % 60);
    p.Hour = int(seconds / 3600);
    return p;
}

QString DateToStr(TDateTime t)
{
    const TDateTimeParts p = DecodeDateTime(t);
    return TwoDigits(p.Day) + QLatin1Char('/') + TwoDigits(p.Month) + QLatin1Char('/') +
           QString::number(p.Year).rightJustified(4, QLatin1Char('0'));
}

QString TimeToStr(TDateTime t)
{
    long long days = 0, msec = 0;
    SplitMoment(t, days, msec);
    return TimeOfDayText(msec);
}

QString DateTimeToStr(TDateTime t)
{
    const TDateTimeParts p = DecodeDateTime(t);
    QString text = DateToStr(t);
    if (p.Hour != 0 || p.Minute != 0 || p.Second != 0 || p.MSec != 0)
        text += QLatin1Char(' ') + TimeToStr(t);
    return text;
}

QString LongDateTimeText(TDateTime t)
{
    const TDateTimeParts p = DecodeDateTime(t);
    return LongDayName(p.WeekDay) + QLatin1Char(' ') + DateToStr(t) + QLatin1Char(' ') + TwoDigits(p.Hour) +
           QLatin1Char(':') + TwoDigits(p.Minute) + QLatin1Char(':') + TwoDigits(p.Second) + QLatin1Char('.') +
           QString::number(p.MSec);
}

TDateTime StrToDateTime(const QString& text)
{
    TScanner in(text);
    long long days = 0, time = 0;
    if (ScanDate(in, days) && (in.AtEnd() || (ScanTime(in, time) && in.AtEnd())))
        return days * kMSecsPerDay + time;
    // A time alone.
    in.SetPos(0);
    time = 0;
    if (ScanTime(in, time) && in.AtEnd())
        return time;
    throw EConvertError(Format(QStringLiteral("'%s' no es una fecha y hora válida"), {text}));
}

Extended StrToFloatText(const QString& text)
{
    Extended v = 0;
    if (!TryStrToFloat(QStringView(text).trimmed(), v))
        throw EConvertError(Format(QStringLiteral("'%s' no es un valor decimal válido"), {text}));
    return v;
}

std::function<TDateTime()>& ClockSource()
{
    static std::function<TDateTime()> clock;
    return clock;
}

TDateTime Now()
{
    if (ClockSource())
        return ClockSource()();
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    return DaysFromDate(date.year(), date.month(), date.day()) * kMSecsPerDay + now.time().msecsSinceStartOfDay();
}

TDateTime Today()
{
    long long days = 0, msec = 0;
    SplitMoment(Now(), days, msec);
    return days * kMSecsPerDay;
}

TDateTime AddDays(TDateTime t, Extended days)
{
    // Whatever falls outside the years 1 to 9999 goes before rounding.
    const Extended target = Extended(t) + checked::mul(days, kMSecsPerDay);
    if (!(target >= Extended(FirstMoment()) - 0.5L && target < Extended(LastMoment()) + 0.5L))
        OutOfRange();
    return llroundl(target);
}

Extended DaysBetween(TDateTime a, TDateTime b) { return Extended(a - b) / kMSecsPerDay; }

// ---------------------------------------------------------------------------
// Durations

Extended ParseDuration(const QString& typed)
{
    // Only a sign in front makes the duration negative; a sign anywhere else
    // belongs to a field, which must not have one.
    QString text = typed.trimmed();
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative || text.startsWith(QLatin1Char('+')))
        text = text.mid(1);
    auto refuseSign = [](const QString& field, const QString& rest) {
        const QString f = field.trimmed();
        if (f.startsWith(QLatin1Char('-')) || f.startsWith(QLatin1Char('+')))
            throw Exception(Format(QStringLiteral("%s no es formato de hora válido"), {rest.trimmed()}));
    };

    Extended days = 0;
    const qsizetype d = text.indexOf(QLatin1Char('d'));
    if (d >= 0) {
        refuseSign(text.left(d), text);
        days = DurationField(text.left(d));
        text = text.mid(d + 1);
        // The "." of " d.  " goes; a digit is the hours' own.
        if (!text.isEmpty() && !text[0].isDigit() && text[0] != QLatin1Char(' ') && text[0] != QLatin1Char('-') &&
            text[0] != QLatin1Char('+'))
            text.remove(0, 1);
    }

    Extended hours = 0, minutes = 0, seconds = 0;
    if (!text.trimmed().isEmpty()) {
        const QStringList fields = text.split(QLatin1Char(':'));
        if (fields.size() > 3)
            throw Exception(Format(QStringLiteral("%s no es formato de hora válido"), {text.trimmed()}));
        qsizetype from = 0;   // where the field begins in the text
        for (qsizetype i = 0; i < fields.size(); ++i) {
            refuseSign(fields[i], text.mid(from));
            const Extended v = DurationField(fields[i]);
            (i == 0 ? hours : i == 1 ? minutes : seconds) = v;
            from += fields[i].size() + 1;
        }
    }
    const Extended total = checked::add(checked::add(checked::add(days, checked::div(hours, 24)),
                                                      checked::div(minutes, 1440)),
                                        checked::div(seconds, 86400));
    return negative ? -total : total;
}

QString DurationText(Extended days, int unit)
{
    using checked::mul;
    switch (unit) {
    case duDays: return FloatToStr(days);
    case duHours: return FloatToStr(mul(days, 24));
    case duMinutes: return FloatToStr(mul(mul(days, 24), 60));
    case duSeconds: return FloatToStr(mul(mul(days, 24), 3600));
    case duMonths: return FloatToStr(checked::div(days, 30));
    case duYears: return FloatToStr(checked::div(days, 365));
    case duWeeks: return FloatToStr(checked::div(days, 7));
    default: break;
    }
    // Whole days and the time of day of the size; the sign in front.
    Extended size = fabsl(checked::result(days));
    Extended whole = floorl(size);
    long long msec = llroundl((size - whole) * kMSecsPerDay);
    if (msec >= kMSecsPerDay) {
        whole += 1;
        msec -= kMSecsPerDay;
    }
    const bool negative = days < 0 && (whole != 0 || msec != 0);
    return (negative ? QStringLiteral("-") : QString()) + FloatToStr(whole) + QStringLiteral(" d.  ") +
           TimeOfDayText(msec);
}

QString TDurationFormat::FormatDuration(Extended days)
{
    LastValue = days;
    return DurationText(days, Unit);
}

QString CalcDates(int type, const QString& date1, const QString& text2, TDurationFormat& format)
{
    if (date1.isEmpty() || text2.isEmpty())
        return QString();
    try {
        const TDateTime first = StrToDateTime(date1);
        if (type == ctDatePlusDays)
            return LongDateTimeText(AddDays(first, StrToFloatText(text2)));
        return format.FormatDuration(fabsl(DaysBetween(first, StrToDateTime(text2))));
    } catch (const Exception& e) {
        return e.message();
    }
}

QString CalcTimes(int type, const QString& t1, const QString& t2, const QString& t3, TDurationFormat& format)
{
    if (t1.isEmpty())
        return QString();
    try {
        using checked::add;
        using checked::mul;
        const Extended first = ParseDuration(t1);
        switch (type) {
        case ctTimeRatio: return FloatToStr(checked::div(first, ParseDuration(t2)));
        case ctTimeTimes: return format.FormatDuration(mul(first, StrToFloatText(t2)));
        case ctTimeDivided: return format.FormatDuration(checked::div(first, StrToFloatText(t2)));
        default: break;
        }
        const Extended second = t2.isEmpty() ? 0 : ParseDuration(t2);
        const Extended third = t3.isEmpty() ? 0 : ParseDuration(t3);
        return format.FormatDuration(add(add(first, second), third));
    } catch (const Exception& e) {
        return e.message();
    }
}

} // namespace fechas
