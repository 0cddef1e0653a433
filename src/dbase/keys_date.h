// Engine dates: the calendar, Julian day numbers, and the one date layout
// that every date text of the engine follows (record buffers, the date
// pictures of the datasets, DTOC, CTOD and the day and month names).
//
// An engine date is a double holding the Julian day number; 0001-01-01 is
// 1721426, 2000-01-01 is 2451545 and 0.0 is the empty date. Only
// 1721426..5373484 (9999-12-31) are dates; everything else is blank.
// Texts are single-byte cp1252, like all engine text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kt4::dbase {

inline constexpr double kFirstJulian = 1721426.0; // 0001-01-01
inline constexpr double kLastJulian = 5373484.0;  // 9999-12-31

// The settings a date text depends on: the engine's layout code (0..8, which
// also picks the language of day and month names), whether years carry their
// century, and the first year of the two-digit century window.
struct DateStyle {
    int layout = 0;
    bool century = false;
    int windowStart = 1956;
};

struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
    bool operator==(const CalendarDate&) const = default;
};

// Calendar ---------------------------------------------------------------
bool IsLeapYear(int year);
// Day within the year 1..366, or -1 for an impossible date.
int DayOfYear(int year, int month, int day);
long DaysBeforeYear(int year);
// Month and day of day number dayNo (1..366) of a year.
CalendarDate MonthDayOfYearDay(int dayNo, bool leap);
// The year a two-digit year belongs to under the century window.
int WindowedYear(int twoDigitYear, int windowStart);

// Julian day numbers -----------------------------------------------------
bool IsValidJulian(double value);
// 0.0 for an impossible date.
double DateToJulian(int year, int month, int day);
// The calendar date of a valid Julian day number; nothing for any other value.
std::optional<CalendarDate> JulianToDate(double value);
// YYYYMMDD (at most 8 characters read); blanks or an impossible date give 0.0.
double DtosToJulian(std::string_view text);
// YYYYMMDD, or 8 blanks for anything that is not a date.
std::string JulianToDtos(double value);
// Today from the system clock (local time).
double TodayJulian();
// Day of the week, 1 Sunday .. 7 Saturday; 0 for anything that is not a date.
int JulianDayOfWeek(double value);

// The date layout ----------------------------------------------------------
enum class DateOrder : std::uint8_t { MonthDayYear, YearMonthDay, DayMonthYear };

struct DateLayout {
    DateOrder order;
    char separator;
};

// Codes above 8 count as 0. Codes 4 to 8 are all dd.mm.yy.
int NormalLayoutCode(int code);
DateLayout DateLayoutOf(int code);
// The picture of the datasets' date fields: "dd.MM.yy", "dd.MM.yyyy", ...
std::string DatePicture(const DateStyle& style);
// The empty date: "  .  ." followed by 2 or 4 blanks, and so on.
std::string BlankDateText(const DateStyle& style);
// Day, month (2 digits) and year (4 digits, or its last 2) in the layout.
std::string FormatDateText(const CalendarDate& date, const DateStyle& style);
// A date value as date text; anything that is not a date gives the blank date.
std::string JulianToDateText(double value, const DateStyle& style);
// The stored YYYYMMDD characters of a date field rearranged into the layout
// without checking them; all blanks (or an empty text) give the blank date.
std::string DtosToDateText(std::string_view dtos, const DateStyle& style);

// Reads a date text written in the layout (separator ".", "-" or "/", parts
// in the layout's order, a year of one or two digits completed by the century
// window). Returns nothing for the blank date and for anything that is not a
// valid date.
std::optional<CalendarDate> ParseDateText(std::string_view text, const DateStyle& style);
// CTOD: the first 10 characters as a date value; 0.0 when not a date.
double DateTextToJulian(std::string_view text, const DateStyle& style);
// A date text in key form YYYYMMDD; 8 blanks when not a date.
std::string DateTextToDtos(std::string_view text, const DateStyle& style);

// Day and month names ------------------------------------------------------
// In the language of the layout code, padded with blanks to the width of
// that language's table; blank dates give 10 (day) or 9 (month) blanks.
std::string DayName(double value, int layoutCode);
std::string MonthName(double value, int layoutCode);

} // namespace kt4::dbase
