#include "dbase/engine/keys_date.h"

#include "dbase/engine/runtime.h"

#include <array>
#include <utility>
#include <cmath>

namespace kt4::dbase {

namespace {

// Days before month m of a common year, m = 1..12, entry 13 the year's end.
constexpr std::array<int, 14> kDaysBeforeMonth{0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};

constexpr double kJulianOffset = 1721425.0; // day 0, the day before 0001-01-01

int MonthLength(int month, bool leap)
{
    return kDaysBeforeMonth[month + 1] - kDaysBeforeMonth[month] + (month == 2 && leap ? 1 : 0);
}

std::string TwoDigits(int n)
{
    std::string s(2, '0');
    s[0] = static_cast<char>('0' + (n / 10) % 10);
    s[1] = static_cast<char>('0' + n % 10);
    return s;
}

std::string YearText(int year, bool century)
{
    std::string s(4, '0');
    for (int i = 3, y = year; i >= 0; --i, y /= 10)
        s[i] = static_cast<char>('0' + y % 10);
    return century ? s : s.substr(2);
}

// A part of 1..maxDigits decimal digits; -1 for anything else.
int PartValue(std::string_view part, std::size_t maxDigits)
{
    if (part.empty() || part.size() > maxDigits)
        return -1;
    int v = 0;
    for (char c : part) {
        if (c < '0' || c > '9')
            return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

// The date text has three parts around two separators of one kind ("/"
// before "-" before "."), none of them empty.
bool HasThreeParts(std::string_view text)
{
    char sep = '.';
    if (text.find('/') != std::string_view::npos)
        sep = '/';
    else if (text.find('-') != std::string_view::npos)
        sep = '-';
    int parts = 1;
    bool filled = false;
    for (char c : text) {
        if (c == sep) {
            if (!filled)
                return false;
            ++parts;
            filled = false;
        } else if (c != ' ') {
            filled = true;
        }
    }
    return parts == 3 && filled;
}

} // namespace

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DayOfYear(int year, int month, int day)
{
    if (year < 0 || month < 1 || month > 12 || day < 1)
        return -1;
    const bool leap = IsLeapYear(year);
    if (day > MonthLength(month, leap))
        return -1;
    return kDaysBeforeMonth[month] + day + (leap && month > 2 ? 1 : 0);
}

long DaysBeforeYear(int year)
{
    const long y = static_cast<long>(year) - 1;
    if (y < 1)
        return 0;
    return y * 365 + y / 4 - y / 100 + y / 400;
}

CalendarDate MonthDayOfYearDay(int dayNo, bool leap)
{
    if (leap && dayNo == 60)
        return {0, 2, 29};
    if (leap && dayNo > 60)
        --dayNo;
    int m = 1;
    while (m < 12 && kDaysBeforeMonth[m + 1] < dayNo)
        ++m;
    return {0, m, dayNo - kDaysBeforeMonth[m]};
}

bool IsValidJulian(double value)
{
    const double t = std::trunc(value);
    return t >= kFirstJulian && t <= kLastJulian; // false for NaN
}

double DateToJulian(int year, int month, int day)
{
    if (year < 1 || year > 9999)
        return 0.0;
    const int doy = DayOfYear(year, month, day);
    if (doy < 0)
        return 0.0;
    return static_cast<double>(doy + DaysBeforeYear(year)) + kJulianOffset;
}

std::optional<CalendarDate> JulianToDate(double value)
{
    if (!IsValidJulian(value))
        return std::nullopt;
    const long n = static_cast<long>(std::trunc(value) - kJulianOffset);
    int y = static_cast<int>(n / 366);
    if (y < 1)
        y = 1;
    long d = n - DaysBeforeYear(y);
    while (d > (IsLeapYear(y) ? 366 : 365)) {
        d -= IsLeapYear(y) ? 366 : 365;
        ++y;
    }
    CalendarDate date = MonthDayOfYearDay(static_cast<int>(d), IsLeapYear(y));
    date.year = y;
    return date;
}

double DtosToJulian(std::string_view text)
{
    text = text.substr(0, 8);
    if (text.size() < 8)
        return 0.0;
    const int y = PartValue(text.substr(0, 4), 4);
    const int m = PartValue(text.substr(4, 2), 2);
    const int d = PartValue(text.substr(6, 2), 2);
    if (y < 0 || m < 0 || d < 0)
        return 0.0;
    return DateToJulian(y, m, d);
}

std::string JulianToDtos(double value)
{
    const auto date = JulianToDate(value);
    if (!date)
        return std::string(8, ' ');
    return YearText(date->year, true) + TwoDigits(date->month) + TwoDigits(date->day);
}

int JulianDayOfWeek(double value)
{
    if (!IsValidJulian(value))
        return 0;
    const long n = static_cast<long>(std::trunc(value));
    return static_cast<int>((n + 1) % 7) + 1;
}

double TodayJulian()
{
    const Ymd today = EngineToday();
    return DateToJulian(today.year, today.month, today.day);
}

std::string JulianToDateText(double value)
{
    const auto date = JulianToDate(value);
    if (!date)
        return EmptyDateTemplate();
    return LayoutDate(YearText(date->year, DateWithCentury), TwoDigits(date->month), TwoDigits(date->day));
}

std::string JulianToDateTextWithCentury(double value)
{
    const bool previous = std::exchange(DateWithCentury, true);
    std::string text = JulianToDateText(value);
    DateWithCentury = previous;
    return text;
}

double DateTextToJulian(std::string_view text)
{
    text = text.substr(0, 10);
    DateTextParts parts;
    if (!HasThreeParts(text) || !SplitDateText(std::string(text), parts) || parts.blank)
        return 0.0;
    int year = PartValue(parts.year, 4);
    const int month = PartValue(parts.month, 2);
    const int day = PartValue(parts.day, 2);
    if (year < 0 || month < 0 || day < 0)
        return 0.0;
    if (parts.year.size() <= 2)
        year += CenturyOf(year);
    return DateToJulian(year, month, day);
}

std::string DateTextToDtos(std::string_view text)
{
    return JulianToDtos(DateTextToJulian(text));
}

} // namespace kt4::dbase
