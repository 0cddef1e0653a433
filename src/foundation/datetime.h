// Today's date and the time as text for report headers, title blocks and
// CAD file headers, in the layout of the DateFormat setting:
//   1 dd.mm.yyyy   2 mm/dd/yyyy   3 yyyy-mm-dd   4 dd/mm/yyyy
//   any other yyyy/mm/dd
// Fields come from the broken-down local time, so 09:05 never shows as
// 9:04. Tests and reference outputs can fix the clock.
#pragma once

#include "foundation/types.h"

#include <ctime>
#include <string>

namespace kt4 {

struct DateTimeParts {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, hundredths = 0;
};

// Now in local time: the system clock, or the fixed time while one is set.
DateTimeParts CurrentDateTime();
void SetFixedClock(const DateTimeParts& Now);
void UseSystemClock();

std::string FormatDateCode(int Year, int Month, int Day);
std::string DateString();  // today, layout of DateFormat
std::string DateStrISO();  // today, yyyy-mm-dd
std::string TimeString();  // now, "9:05"
std::string TimeStrHMS();  // now, "09:05:00"
// DayOfWeek is always 0.
void GetDateParts(Word& Year, Word& Month, Word& Day, Word& DayOfWeek);
void GetTimeParts(Word& Hour, Word& Minute, Word& Second, Word& Hundredths);
// The file's modification date as yyyy-mm-dd; "" when there is no file.
std::string FileDateStr(const std::string& Name);
// A modification time (LineFile::ModifiedTime) as yyyy-mm-dd.
std::string FileDateStr(std::time_t Modified);

} // namespace kt4
