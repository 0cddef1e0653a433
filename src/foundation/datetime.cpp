#include "foundation/datetime.h"

#include "foundation/numstr.h"
#include "foundation/settings.h"

#include <chrono>
#include <ctime>
#include <optional>
#include <sys/stat.h>

namespace kt4 {

namespace {

std::optional<DateTimeParts>& FixedClock()
{
    static std::optional<DateTimeParts> fixed;
    return fixed;
}

DateTimeParts FromTm(const std::tm& t, int hundredths)
{
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, hundredths};
}

std::string Two(int n) { return IntStrZero(n, 2); }

std::string IsoDate(int y, int m, int d) { return IntStr(y) + "-" + Two(m) + "-" + Two(d); }

} // namespace

DateTimeParts CurrentDateTime()
{
    if (FixedClock())
        return *FixedClock();
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t secs = system_clock::to_time_t(now);
    auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm t {};
    localtime_r(&secs, &t);
    return FromTm(t, static_cast<int>(ms / 10));
}

void SetFixedClock(const DateTimeParts& Now) { FixedClock() = Now; }
void UseSystemClock() { FixedClock().reset(); }

std::string FormatDateCode(int Year, int Month, int Day)
{
    std::string y = IntStr(Year), m = Two(Month), d = Two(Day);
    switch (settings::DateFormat) {
    case 1:
        return d + "." + m + "." + y;
    case 2:
        return m + "/" + d + "/" + y;
    case 3:
        return y + "-" + m + "-" + d;
    case 4:
        return d + "/" + m + "/" + y;
    default:
        return y + "/" + m + "/" + d;
    }
}

std::string DateString()
{
    auto t = CurrentDateTime();
    return FormatDateCode(t.year, t.month, t.day);
}

std::string DateStrISO()
{
    auto t = CurrentDateTime();
    return IsoDate(t.year, t.month, t.day);
}

std::string TimeString()
{
    auto t = CurrentDateTime();
    return IntStr(t.hour) + ":" + Two(t.minute);
}

std::string TimeStrHMS()
{
    auto t = CurrentDateTime();
    return Two(t.hour) + ":" + Two(t.minute) + ":" + Two(t.second);
}

void GetDateParts(Word& Year, Word& Month, Word& Day, Word& DayOfWeek)
{
    auto t = CurrentDateTime();
    Year = static_cast<Word>(t.year);
    Month = static_cast<Word>(t.month);
    Day = static_cast<Word>(t.day);
    DayOfWeek = 0;
}

void GetTimeParts(Word& Hour, Word& Minute, Word& Second, Word& Hundredths)
{
    auto t = CurrentDateTime();
    Hour = static_cast<Word>(t.hour);
    Minute = static_cast<Word>(t.minute);
    Second = static_cast<Word>(t.second);
    Hundredths = static_cast<Word>(t.hundredths);
}

std::string FileDateStr(const std::string& Name)
{
    struct stat st {};
    if (::stat(Name.c_str(), &st) != 0)
        return {};
    return FileDateStr(st.st_mtime);
}

std::string FileDateStr(std::time_t Modified)
{
    std::tm t {};
    localtime_r(&Modified, &t);
    return IsoDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
}

} // namespace kt4
