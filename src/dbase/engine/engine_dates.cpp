#include "dbase/engine/engine_dates.h"

#include "dbase/engine/engine_text.h"
#include "dbase/engine/runtime.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <chrono>

namespace kt4::dbase {
namespace {

// Day and month names per language, in the engine's ANSI code page (1252);
// Russian is transliterated.
struct NameTable {
    const char* days[7];
    int dayWidth;
    const char* months[12];
    int monthWidth;
};

constexpr NameTable kEnglish = {
    {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}, 9,
    {"January", "February", "March", "April", "May", "June", "July", "August", "September",
     "October", "November", "December"}, 9};
constexpr NameTable kItalian = {
    {"Domenica", "Lunedi", "Martedi", "Mercoledi", "Giovedi", "Venerdi", "Sabato"}, 9,
    {"Gennaio", "Febbraio", "Marzo", "Aprile", "Maggio", "Giugno", "Luglio", "Agosto",
     "Settembre", "Ottobre", "Novembre", "Dicembre"}, 9};
constexpr NameTable kFrench = {
    {"Dimanche", "Lundi", "Mardi", "Mercredi", "Jeudi", "Vendredi", "Samedi"}, 8,
    {"Janvier", "F\xE9vrier", "Mars", "Avril", "Mai", "Juin", "Juillet", "Ao\xFBt", "Septembre",
     "Octobre", "Novembre", "D\xE9" "cembre"}, 9};
constexpr NameTable kGerman = {
    {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"}, 10,
    {"Januar", "Februar", "M\xE4rz", "April", "Mai", "Juni", "Juli", "August", "September",
     "Oktober", "November", "Dezember"}, 9};
constexpr NameTable kSpanish = {
    {"Domingo", "Lunes", "Martes", "Miercoles", "Jueves", "Viernes", "Sabado"}, 9,
    {"Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio", "Agosto", "Septiembre",
     "Octubre", "Noviembre", "Diciembre"}, 10};
constexpr NameTable kRussian = {
    {"Voskresenye", "Ponedelnik", "Vtornik", "Sreda", "Chetverg", "Pyatnitsa", "Subbota"}, 11,
    {"Yanvar", "Fevral", "Mart", "Aprel", "May", "Iyun", "Iyul", "Avgust", "Sentyabr", "Oktyabr",
     "Noyabr", "Dekabr"}, 8};

const NameTable& Names()
{
    switch (EngineDateFormat) {
    case 3:
        return kItalian;
    case 4:
    case 7:
        return kFrench;
    case 5:
        return kGerman;
    case 6:
        return kSpanish;
    case 8:
        return kRussian;
    default:
        return kEnglish;
    }
}

bool Digits(const std::string& s, int& value)
{
    if (s.empty())
        return false;
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYearOf(year) ? 29 : kDays[month - 1];
}

// The numbers of a normalised text; false for the blank or an invalid date.
bool YmdOfText(const std::string& text, int& y, int& m, int& d)
{
    std::string mdy = NormalizeToMdy(text);
    if (mdy.size() != 8 && mdy.size() != 10)
        return false;
    if (mdy[2] != '/' || mdy[5] != '/')
        return false;
    std::string ys = mdy.substr(6);
    if (!Digits(mdy.substr(0, 2), m) || !Digits(mdy.substr(3, 2), d) || !Digits(ys, y))
        return false;
    if (ys.size() == 2)
        y += CenturyOf(y);
    return ValidYmd(y, m, d);
}

} // namespace

std::uint64_t TickMs()
{
    using namespace std::chrono;
    return std::uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::uint64_t TickSeconds() { return TickMs() / 1000; }

bool IsLeapYearOf(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool ValidYmd(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

long long FloorMod(long long a, long long b)
{
    if (b == 0)
        return 0;
    long long r = a % b;
    if (r != 0 && ((r < 0) != (b < 0)))
        r += b;
    return r;
}

int DowOf(int year, int month, int day)
{
    if (month < 3) {
        month += 12;
        --year;
    }
    long long k = year % 100, j = year / 100;
    long long h = FloorMod(day + (month + 1) * 26 / 10 + k + k / 4 + j / 4 - 2 * j, 7);
    // h: 0 Saturday, 1 Sunday, ... 6 Friday
    return h == 0 ? 7 : int(h);
}

int EngineTodayDow()
{
    Ymd t = EngineToday();
    return DowOf(t.year, t.month, t.day);
}

std::string NormalizeToMdy(const std::string& text)
{
    const std::string t = text.substr(0, 10);
    DateTextParts parts;
    if (!SplitDateText(t, parts))
        return t;
    if (parts.blank)
        return "  /  /" + std::string(DateWithCentury ? 4 : 2, ' ');
    std::string year = DateWithCentury ? WidenYear(parts.year) : parts.year;
    return parts.month + "/" + parts.day + "/" + year;
}

bool ValidDateText(std::string& text)
{
    std::string mdy = NormalizeToMdy(text);
    if (AllTrim(mdy) == "/  /" || mdy.find_first_not_of(" /") == std::string::npos) {
        text = EmptyDateTemplate();
        return true;
    }
    int y, m, d;
    if (!YmdOfText(text, y, m, d))
        return false;
    std::string year = std::to_string(y);
    year = std::string(4 - std::min<std::size_t>(4, year.size()), '0') + year;
    if (!DateWithCentury)
        year = year.substr(2);
    text = LayoutDate(year, mdy.substr(0, 2), mdy.substr(3, 2));
    return true;
}

int DowOfText(const std::string& text)
{
    int y, m, d;
    return YmdOfText(text, y, m, d) ? DowOf(y, m, d) : 0;
}

std::string CdowOfText(const std::string& text)
{
    int dow = DowOfText(text);
    if (dow == 0)
        return std::string(10, ' ');
    return PadRight(Names().days[dow - 1], Names().dayWidth);
}

std::string CmonthOfText(const std::string& text)
{
    int y, m, d;
    if (!YmdOfText(text, y, m, d))
        return std::string(9, ' ');
    return PadRight(Names().months[m - 1], Names().monthWidth);
}

int MonthOfText(const std::string& text)
{
    std::string mdy = NormalizeToMdy(text);
    int m = 0;
    return Digits(AllTrim(mdy.substr(0, 2)), m) ? m : 0;
}

int DayOfText(const std::string& text)
{
    std::string mdy = NormalizeToMdy(text);
    int d = 0;
    return mdy.size() >= 5 && Digits(mdy.substr(3, 2), d) ? d : 0;
}

int YearOfText(const std::string& text)
{
    std::string mdy = NormalizeToMdy(text);
    if (mdy.size() < 7)
        return 0;
    std::string ys = AllTrim(mdy.substr(6));
    int y = 0;
    if (!Digits(ys, y))
        return 0;
    if (ys.size() <= 2)
        y += CenturyOf(y);
    return y;
}

std::string DateTextToDtosText(const std::string& text)
{
    std::string mdy = NormalizeToMdy(text);
    if (mdy.size() < 7 || mdy.find_first_not_of(" /") == std::string::npos)
        return std::string(8, ' ');
    std::string ys = AllTrim(mdy.substr(6));
    if (ys.size() < 4)
        ys = WidenYear(ys);
    std::string result = ys + mdy.substr(0, 2) + mdy.substr(3, 2);
    if (result.size() != 8 || result == "00000000")
        return std::string(8, ' ');
    return result;
}

std::string DtosToDateTextOf(const std::string& dtos)
{
    if (dtos.size() < 8 || dtos.find_first_not_of(' ') == std::string::npos)
        return EmptyDateTemplate();
    std::string year = dtos.substr(0, 4);
    if (!DateWithCentury)
        year = year.substr(2);
    return LayoutDate(year, dtos.substr(4, 2), dtos.substr(6, 2));
}

bool StoredDateOfText(const std::string& text, std::string& stored)
{
    if (text.find_first_not_of(" /-.") == std::string::npos) {
        stored = std::string(8, ' ');
        return true;
    }
    DateTextParts parts;
    if (!SplitDateText(AllTrim(text), parts) || parts.blank)
        return false;
    if (parts.year.size() != 2 && parts.year.size() != 4)
        return false;
    std::string year = parts.year.size() == 2 ? WidenYear(parts.year) : parts.year;
    int y = 0, m = 0, d = 0;
    auto num = [](const std::string& s, int& v) {
        auto r = std::from_chars(s.data(), s.data() + s.size(), v);
        return r.ec == std::errc() && r.ptr == s.data() + s.size();
    };
    if (parts.month.size() != 2 || parts.day.size() != 2 || !num(year, y) ||
        !num(parts.month, m) || !num(parts.day, d) || !ValidYmd(y, m, d))
        return false;
    stored = year + parts.month + parts.day;
    return true;
}

bool PlainStoredDate(std::string_view text, char* stored)
{
    const std::size_t size = text.size();
    if (size != 8 && size != 10)
        return false;
    const char* t = text.data();
    const bool yearFirst = EngineDateFormat == 1;
    const std::size_t s1 = yearFirst ? size - 6 : 2, s2 = s1 + 3;
    const char sep = t[s1];
    if ((sep != '/' && sep != '-' && sep != '.') || t[s2] != sep)
        return false;
    for (std::size_t i = 0; i < size; ++i)
        if (i != s1 && i != s2 && unsigned(t[i] - '0') > 9)
            return false;
    // The parts' places: day and month first (month first in layout 0) or
    // the year first.
    const char* year = yearFirst ? t : t + s2 + 1;
    const char* month = EngineDateFormat == 0 ? t : t + s1 + 1;
    const char* day = EngineDateFormat == 0 ? t + s1 + 1 : yearFirst ? t + s2 + 1 : t;
    const std::size_t yearLen = size - 6;
    int y = 0;
    for (std::size_t i = 0; i < yearLen; ++i)
        y = y * 10 + (year[i] - '0');
    if (yearLen == 2) {
        const int century = CenturyOf(y);
        if (century < 1000 || century > 9900)
            return false; // not a four-digit year: the general reader decides
        y += century;
    }
    if (!ValidYmd(y, (month[0] - '0') * 10 + (month[1] - '0'), (day[0] - '0') * 10 + (day[1] - '0')))
        return false;
    stored[0] = char('0' + y / 1000);
    stored[1] = char('0' + y / 100 % 10);
    stored[2] = char('0' + y / 10 % 10);
    stored[3] = char('0' + y % 10);
    stored[4] = month[0];
    stored[5] = month[1];
    stored[6] = day[0];
    stored[7] = day[1];
    return true;
}

} // namespace kt4::dbase
