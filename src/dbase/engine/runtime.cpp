#include "dbase/engine/runtime.h"

#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/hooks.h"
#include "dbase/engine/workarea.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace kt4::dbase {

std::uint8_t LanguageCode = 0;
std::uint8_t EngineDateFormat = 0;
char DecimalSeparator = '.';
char ThousandsSeparator = ',';
bool DateWithCentury = false;
std::uint16_t CenturyStart = 1956;
bool TableIsAnsi = false;

bool MultiUser = true;
std::uint16_t SharedOpenMode = ModeReadWriteShared;
std::uint16_t OpenModeOverride = 65535;
bool FlushWrites = false;
bool AutoFixRecCount = false;
bool IndexMaintenance = true;
bool ConfirmPack = false;
std::uint16_t MaxRecordLocks = 0;
std::uint16_t LockRetries = 0;
std::uint32_t LockRetryDelayMs = 0;
std::function<bool()> LockRetryCallback;
std::uint32_t PeekCacheSize = 0;
std::function<std::int32_t(std::int32_t)> CustomSkip;

namespace {

std::uint8_t gCreateVersion = 0x8B;
std::uint32_t gMemoBlockSize = 512;
TodayProvider gToday;
bool gInitialised = false;

void DefaultSettings()
{
    TableIsAnsi = false;
    DateWithCentury = false;
    MultiUser = true;
    SharedOpenMode = ModeReadWriteShared;
    OpenModeOverride = 65535;
    FlushWrites = false;
    AutoFixRecCount = false;
    IndexMaintenance = true;
    ConfirmPack = false;
    MaxRecordLocks = 0;
    LockRetries = 0;
    LockRetryDelayMs = 0;
    LockRetryCallback = nullptr;
    PeekCacheSize = 0;
    CustomSkip = nullptr;
    gCreateVersion = 0x8B;
    gMemoBlockSize = 512;
}

std::string EnvLocale()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(name);
        if (v && *v)
            return v;
    }
    return "";
}

} // namespace

std::uint8_t CreateVersion() { return gCreateVersion; }

bool SetCreateVersion(std::uint8_t version)
{
    if (version != 0x83 && version != 0x8B && version != 0xF5 && version != 0x8C) {
        SetError(220, "Ungültige Version für neue Tabellen: " + std::to_string(version) +
                          " [SetCreateVersion]");
        return false;
    }
    gCreateVersion = version;
    return true;
}

std::uint32_t MemoBlockSize() { return gMemoBlockSize; }

bool SetMemoBlockSize(std::uint32_t size)
{
    if (size == 0 || size > 65535) {
        SetError(220, "Ungültige Memo-Blockgröße: " + std::to_string(size) + " [SetMemoBlockSize]");
        return false;
    }
    gMemoBlockSize = size;
    return true;
}

Ymd EngineToday()
{
    if (gToday)
        return gToday();
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

TodayProvider SetTodayProvider(TodayProvider provider)
{
    TodayProvider previous = std::move(gToday);
    gToday = std::move(provider);
    return previous;
}

std::uint8_t LanguageCodeOf(const std::string& locale)
{
    std::string lang = locale.substr(0, 2);
    std::string region = locale.size() >= 5 && locale[2] == '_' ? locale.substr(3, 2) : "";
    if (lang == "de")
        return 5;
    if (lang == "en")
        return region == "US" ? 0 : 2;
    if (lang == "es")
        return 6;
    if (lang == "fr")
        return region == "CA" ? 7 : 4;
    if (lang == "it")
        return 3;
    if (lang == "ru")
        return 8;
    return 0;
}

void SetLanguage(std::uint8_t code)
{
    LanguageCode = code > 8 ? 0 : code;
    SetDateFormat(LanguageCode);
    if (LanguageCode >= 3 && LanguageCode <= 6) {
        DecimalSeparator = ',';
        ThousandsSeparator = '.';
    } else if (LanguageCode == 8) {
        DecimalSeparator = '.';
        ThousandsSeparator = ' ';
    } else {
        DecimalSeparator = '.';
        ThousandsSeparator = ',';
    }
}

void InitEngine()
{
    if (gInitialised)
        return;
    gInitialised = true;
    ClearHooks();
    SetLanguage(LanguageCodeOf(EnvLocale()));
    DefaultSettings();
    CurrentArea = 1;
    CenturyStart = std::uint16_t(EngineToday().year - 70);
}

void ShutdownEngine()
{
    QuietErrors quiet;
    int saved = CurrentArea;
    for (int n : {35, 34}) {
        CurrentArea = n;
        CloseCurrentArea();
    }
    for (int n = 1; n <= MaxUserAreas; ++n) {
        CurrentArea = n;
        CloseCurrentArea();
    }
    CurrentArea = saved >= 1 && saved <= MaxUserAreas ? saved : 1;
}

void ResetEngine()
{
    InitEngine();
    bool exceptions = SetExceptionMode(false);
    ShutdownEngine();
    SetExceptionMode(exceptions);
    ResetErrorState();
    DefaultSettings();
    CurrentArea = 1;
    CenturyStart = std::uint16_t(EngineToday().year - 70);
}

// ---- Date layouts ----

void SetDateFormat(std::uint8_t code)
{
    EngineDateFormat = code > 8 ? 0 : code;
}

char LayoutSeparator()
{
    switch (EngineDateFormat) {
    case 0:
    case 2:
        return '/';
    case 3:
        return '-';
    default:
        return '.';
    }
}

std::string DatePicture()
{
    const std::string yy = DateWithCentury ? "yyyy" : "yy";
    switch (EngineDateFormat) {
    case 0:
        return "MM/dd/" + yy;
    case 1:
        return yy + ".MM.dd";
    case 2:
        return "dd/MM/" + yy;
    case 3:
        return "dd-MM-" + yy;
    default:
        return "dd.MM." + yy;
    }
}

std::size_t LayoutDateInto(char* out, std::string_view yearText, std::string_view month,
                           std::string_view day)
{
    const char s = LayoutSeparator();
    std::string_view parts[3] = {day, month, yearText};
    if (EngineDateFormat == 0)
        parts[0] = month, parts[1] = day;
    else if (EngineDateFormat == 1)
        parts[0] = yearText, parts[1] = month, parts[2] = day;
    char* p = out;
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            *p++ = s;
        for (const char c : parts[i]) // a few characters: no call
            *p++ = c;
    }
    return std::size_t(p - out);
}

std::string LayoutDate(const std::string& yearText, const std::string& month,
                       const std::string& day)
{
    std::string out(yearText.size() + month.size() + day.size() + 2, ' ');
    out.resize(LayoutDateInto(out.data(), yearText, month, day));
    return out;
}

std::string EmptyDateTemplate()
{
    const std::string yb(DateWithCentury ? 4 : 2, ' ');
    return LayoutDate(yb, "  ", "  ");
}

int CenturyOf(int twoDigitYear)
{
    int c = (CenturyStart / 100) * 100;
    if (CenturyStart % 100 > twoDigitYear)
        c += 100;
    return c;
}

std::string WidenYear(const std::string& year)
{
    if (year.size() >= 4 || year.empty())
        return year;
    int yy = 0;
    for (char ch : year) {
        if (ch < '0' || ch > '9')
            return year;
        yy = yy * 10 + (ch - '0');
    }
    std::string c = std::to_string(CenturyOf(yy) / 100);
    std::string y2 = year.size() == 1 ? "0" + year : year;
    return c + y2;
}

namespace {

std::string Pad2(const std::string& part)
{
    return part.size() < 2 ? std::string(2 - part.size(), '0') + part : part;
}

bool SplitAt(const std::string& text, char sep, std::string parts[3])
{
    std::size_t a = text.find(sep);
    if (a == std::string::npos)
        return false;
    std::size_t b = text.find(sep, a + 1);
    parts[0] = AllTrim(text.substr(0, a));
    if (b == std::string::npos) {
        parts[1] = AllTrim(text.substr(a + 1));
        parts[2] = "";
    } else {
        parts[1] = AllTrim(text.substr(a + 1, b - a - 1));
        parts[2] = AllTrim(text.substr(b + 1));
    }
    return true;
}

char FirstSeparator(const std::string& text)
{
    for (char s : {'/', '-', '.'})
        if (text.find(s) != std::string::npos)
            return s;
    return 0;
}

} // namespace

bool SplitDateText(const std::string& text, DateTextParts& parts)
{
    const char sep = FirstSeparator(text);
    if (sep == 0)
        return false;
    std::string p[3];
    SplitAt(text, sep, p);
    parts = {};
    if (p[0].empty() && p[1].empty() && p[2].empty()) {
        parts.blank = true;
        return true;
    }
    switch (EngineDateFormat) {
    case 0:
        parts.month = p[0], parts.day = p[1], parts.year = p[2];
        break;
    case 1:
        parts.year = p[0], parts.month = p[1], parts.day = p[2];
        break;
    default:
        parts.day = p[0], parts.month = p[1], parts.year = p[2];
        break;
    }
    parts.month = Pad2(parts.month);
    parts.day = Pad2(parts.day);
    parts.year = Pad2(parts.year);
    return true;
}

std::string NormalizeLayoutText(const std::string& text)
{
    DateTextParts parts;
    if (!SplitDateText(text, parts))
        return text;
    if (parts.blank)
        return EmptyDateTemplate();
    std::string year = DateWithCentury ? WidenYear(parts.year) : parts.year;
    return LayoutDate(year, parts.month, parts.day);
}

std::string MdyToLayout(const std::string& text)
{
    std::string p[3];
    if (!SplitAt(text, '/', p))
        return text;
    std::string year = Pad2(p[2]);
    if (DateWithCentury)
        year = WidenYear(year);
    return LayoutDate(year, Pad2(p[0]), Pad2(p[1]));
}

} // namespace kt4::dbase
