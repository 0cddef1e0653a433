// Date texts as they appear in date fields and in user input: validation,
// day of the week, day and month names, and taking a date text apart. Every
// routine first normalises the text (".", "-" or "/" separators, any engine
// layout) to month/day/year.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kt4::dbase {

std::uint64_t TickMs();
std::uint64_t TickSeconds();
bool IsLeapYearOf(int year);
// Normalised "mm/dd/yy" or "mm/dd/yyyy" of a date text in the current layout.
std::string NormalizeToMdy(const std::string& text);
// Checks and normalises; true: text rewritten in the engine layout.
bool ValidDateText(std::string& text);
int DowOfText(const std::string& text);   // 1 Sunday .. 7 Saturday, 0 for the blank date
std::string CdowOfText(const std::string& text);   // padded day name (ANSI)
std::string CmonthOfText(const std::string& text); // padded month name (ANSI)
int MonthOfText(const std::string& text);
int DayOfText(const std::string& text);
int YearOfText(const std::string& text);
// YYYYMMDD of a date text (8 blanks for the blank date).
std::string DateTextToDtosText(const std::string& text);
// Date text in the engine layout of a YYYYMMDD text.
std::string DtosToDateTextOf(const std::string& dtos);
// YYYYMMDD of a date text in the current layout's order (2- or 4-digit
// year, any of the separators) as a date field stores it: 8 blanks for the
// blank date; false for an invalid date.
bool StoredDateOfText(const std::string& text, std::string& stored);
// The same for the common form alone: two-digit day and month and a two- or
// four-digit year parted by one separator, nothing else; the 8 characters
// go to stored. False for any other text, which StoredDateOfText reads.
bool PlainStoredDate(std::string_view text, char* stored);
long long FloorMod(long long a, long long b);
// Day of week (1 Sunday .. 7 Saturday) of a full date.
int DowOf(int year, int month, int day);
// True for a valid calendar date (year 1..9999).
bool ValidYmd(int year, int month, int day);

} // namespace kt4::dbase
