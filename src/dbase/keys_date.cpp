#include "dbase/keys_date.h"

#include <array>
#include <cmath>
#include <ctime>

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

// Joins the three parts in the layout's order.
std::string JoinParts(const std::string& day, const std::string& month, const std::string& year,
                      const DateLayout& layout)
{
    const char sep = layout.separator;
    switch (layout.order) {
    case DateOrder::MonthDayYear: return month + sep + day + sep + year;
    case DateOrder::YearMonthDay: return year + sep + month + sep + day;
    case DateOrder::DayMonthYear: break;
    }
    return day + sep + month + sep + year;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
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

// Day and month names per language, in cp1252, with the table widths.
struct NameTable {
    std::array<const char*, 7> days;
    int dayWidth;
    std::array<const char*, 12> months;
    int monthWidth;
};

constexpr NameTable kEnglish{{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}, 9,
    {"January", "February", "March", "April", "May", "June", "July", "August", "September", "October",
     "November", "December"}, 9};
constexpr NameTable kItalian{{"Domenica", "Lunedi", "Martedi", "Mercoledi", "Giovedi", "Venerdi", "Sabato"}, 9,
    {"Gennaio", "Febbraio", "Marzo", "Aprile", "Maggio", "Giugno", "Luglio", "Agosto", "Settembre", "Ottobre",
     "Novembre", "Dicembre"}, 9};
constexpr NameTable kFrench{{"Dimanche", "Lundi", "Mardi", "Mercredi", "Jeudi", "Vendredi", "Samedi"}, 8,
    {"Janvier", "F\xE9vrier", "Mars", "Avril", "Mai", "Juin", "Juillet", "Ao\xFBt", "Septembre", "Octobre",
     "Novembre", "D\xE9" "cembre"}, 9};
constexpr NameTable kGerman{{"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"}, 10,
    {"Januar", "Februar", "M\xE4rz", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober",
     "November", "Dezember"}, 9};
constexpr NameTable kSpanish{{"Domingo", "Lunes", "Martes", "Miercoles", "Jueves", "Viernes", "Sabado"}, 9,
    {"Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio", "Agosto", "Septiembre", "Octubre",
     "Noviembre", "Diciembre"}, 10};
// Cyrillic has no cp1252 form: the Russian names are transliterated.
constexpr NameTable kRussian{{"Voskresenye", "Ponedelnik", "Vtornik", "Sreda", "Chetverg", "Pyatnitsa", "Subbota"}, 11,
    {"Yanvar", "Fevral", "Mart", "Aprel", "May", "Iyun", "Iyul", "Avgust", "Sentyabr", "Oktyabr", "Noyabr",
     "Dekabr"}, 8};

// Language by layout code 0..8.
constexpr std::array<const NameTable*, 9> kNamesByLayout{&kEnglish, &kEnglish, &kEnglish, &kItalian, &kFrench,
                                                         &kGerman, &kSpanish, &kFrench, &kRussian};

struct LayoutEntry {
    DateLayout layout;
    const char* picture; // with a two-digit year
};

constexpr std::array<LayoutEntry, 9> kLayouts{{
    {{DateOrder::MonthDayYear, '/'}, "MM/dd/yy"},
    {{DateOrder::YearMonthDay, '.'}, "yy.MM.dd"},
    {{DateOrder::DayMonthYear, '/'}, "dd/MM/yy"},
    {{DateOrder::DayMonthYear, '-'}, "dd-MM-yy"},
    {{DateOrder::DayMonthYear, '.'}, "dd.MM.yy"},
    {{DateOrder::DayMonthYear, '.'}, "dd.MM.yy"},
    {{DateOrder::DayMonthYear, '.'}, "dd.MM.yy"},
    {{DateOrder::DayMonthYear, '.'}, "dd.MM.yy"},
    {{DateOrder::DayMonthYear, '.'}, "dd.MM.yy"},
}};

std::string Padded(const char* name, int width)
{
    std::string s(name);
    if (static_cast<int>(s.size()) < width)
        s.append(static_cast<std::size_t>(width) - s.size(), ' ');
    return s;
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

int WindowedYear(int twoDigitYear, int windowStart)
{
    int century = (windowStart / 100) * 100;
    if (windowStart % 100 > twoDigitYear)
        century += 100;
    return century + twoDigitYear;
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

double TodayJulian()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return DateToJulian(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

int JulianDayOfWeek(double value)
{
    if (!IsValidJulian(value))
        return 0;
    const long n = static_cast<long>(std::trunc(value));
    return static_cast<int>((n + 1) % 7) + 1;
}

int NormalLayoutCode(int code)
{
    return code < 0 || code > 8 ? 0 : code;
}

DateLayout DateLayoutOf(int code)
{
    return kLayouts[static_cast<std::size_t>(NormalLayoutCode(code))].layout;
}

std::string DatePicture(const DateStyle& style)
{
    std::string picture = kLayouts[static_cast<std::size_t>(NormalLayoutCode(style.layout))].picture;
    if (style.century)
        picture.replace(picture.find("yy"), 2, "yyyy");
    return picture;
}

std::string BlankDateText(const DateStyle& style)
{
    return JoinParts("  ", "  ", std::string(style.century ? 4 : 2, ' '), DateLayoutOf(style.layout));
}

std::string FormatDateText(const CalendarDate& date, const DateStyle& style)
{
    return JoinParts(TwoDigits(date.day), TwoDigits(date.month), YearText(date.year, style.century),
                     DateLayoutOf(style.layout));
}

std::string JulianToDateText(double value, const DateStyle& style)
{
    const auto date = JulianToDate(value);
    return date ? FormatDateText(*date, style) : BlankDateText(style);
}

std::string DtosToDateText(std::string_view dtos, const DateStyle& style)
{
    std::string s(dtos.substr(0, 8));
    s.resize(8, ' ');
    if (s.find_first_not_of(' ') == std::string::npos)
        return BlankDateText(style);
    const std::string year = style.century ? s.substr(0, 4) : s.substr(2, 2);
    return JoinParts(s.substr(6, 2), s.substr(4, 2), year, DateLayoutOf(style.layout));
}

std::optional<CalendarDate> ParseDateText(std::string_view text, const DateStyle& style)
{
    char sep = '.';
    if (text.find('/') != std::string_view::npos)
        sep = '/';
    else if (text.find('-') != std::string_view::npos)
        sep = '-';
    const std::size_t p1 = text.find(sep);
    if (p1 == std::string_view::npos)
        return std::nullopt;
    const std::size_t p2 = text.find(sep, p1 + 1);
    if (p2 == std::string_view::npos || text.find(sep, p2 + 1) != std::string_view::npos)
        return std::nullopt;
    const std::string_view parts[3] = {Trim(text.substr(0, p1)), Trim(text.substr(p1 + 1, p2 - p1 - 1)),
                                       Trim(text.substr(p2 + 1))};
    std::string_view day = parts[0], month = parts[1], year = parts[2];
    switch (DateLayoutOf(style.layout).order) {
    case DateOrder::MonthDayYear: month = parts[0]; day = parts[1]; break;
    case DateOrder::YearMonthDay: year = parts[0]; month = parts[1]; day = parts[2]; break;
    case DateOrder::DayMonthYear: break;
    }
    int y = PartValue(year, 4);
    const int m = PartValue(month, 2);
    const int d = PartValue(day, 2);
    if (y < 0 || m < 0 || d < 0)
        return std::nullopt;
    if (year.size() <= 2)
        y = WindowedYear(y, style.windowStart);
    if (DateToJulian(y, m, d) == 0.0)
        return std::nullopt;
    return CalendarDate{y, m, d};
}

double DateTextToJulian(std::string_view text, const DateStyle& style)
{
    const auto date = ParseDateText(text.substr(0, 10), style);
    return date ? DateToJulian(date->year, date->month, date->day) : 0.0;
}

std::string DateTextToDtos(std::string_view text, const DateStyle& style)
{
    return JulianToDtos(DateTextToJulian(text, style));
}

std::string DayName(double value, int layoutCode)
{
    const int dow = JulianDayOfWeek(value);
    if (dow == 0)
        return std::string(10, ' ');
    const NameTable& t = *kNamesByLayout[static_cast<std::size_t>(NormalLayoutCode(layoutCode))];
    return Padded(t.days[static_cast<std::size_t>(dow - 1)], t.dayWidth);
}

std::string MonthName(double value, int layoutCode)
{
    const auto date = JulianToDate(value);
    if (!date)
        return std::string(9, ' ');
    const NameTable& t = *kNamesByLayout[static_cast<std::size_t>(NormalLayoutCode(layoutCode))];
    return Padded(t.months[static_cast<std::size_t>(date->month - 1)], t.monthWidth);
}

} // namespace kt4::dbase
