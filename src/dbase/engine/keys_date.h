// Engine dates as values: the calendar and Julian day numbers, and their
// conversion to and from the date texts of the current layout (runtime.h).
//
// An engine date is a double holding the Julian day number; 0001-01-01 is
// 1721426, 2000-01-01 is 2451545 and 0.0 is the empty date. Only
// 1721426..5373484 (9999-12-31) are dates; every other value (NaN and the
// infinities included) is the blank date.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kt4::dbase {

inline constexpr double kFirstJulian = 1721426.0; // 0001-01-01
inline constexpr double kLastJulian = 5373484.0;  // 9999-12-31

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
// Month and day of day number dayNo (1..366) of a year (year left 0).
CalendarDate MonthDayOfYearDay(int dayNo, bool leap);

// Julian day numbers -----------------------------------------------------
bool IsValidJulian(double value);
// 0.0 for an impossible date (years 1..9999 only).
double DateToJulian(int year, int month, int day);
// The calendar date of a valid Julian day number; nothing for any other value.
std::optional<CalendarDate> JulianToDate(double value);
// YYYYMMDD (at most 8 characters read); blanks or an impossible date give 0.0.
double DtosToJulian(std::string_view text);
// YYYYMMDD, or 8 blanks for anything that is not a date.
std::string JulianToDtos(double value);
// Today (the engine's clock).
double TodayJulian();
// Day of the week, 1 Sunday .. 7 Saturday; 0 for anything that is not a date.
int JulianDayOfWeek(double value);

// Date texts in the current layout (EngineDateFormat, DateWithCentury) ----
// Anything that is not a date gives the blank date of the layout.
std::string JulianToDateText(double value);
// The same with four-digit years whatever DateWithCentury says.
std::string JulianToDateTextWithCentury(double value);
// CTOD: the first 10 characters read in the layout's order (separator ".",
// "-" or "/"; a year of one or two digits completed by the century window);
// 0.0 for the blank date and anything that is not a valid date.
double DateTextToJulian(std::string_view text);
// A date text in key form YYYYMMDD; 8 blanks when it is not a date.
std::string DateTextToDtos(std::string_view text);

} // namespace kt4::dbase
