// The engine's runtime state: language, number and date conventions, the
// century window, the engine settings, the clock, and start-up and
// shut-down. One instance for the whole program; single-threaded.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kt4::dbase {

// ---- Conventions (set by InitEngine from the user's language) ----
extern std::uint8_t LanguageCode;     // 0..8
extern std::uint8_t EngineDateFormat; // date layout code 0..8, also the language of day names
extern char DecimalSeparator;         // display only; files always use "."
extern char ThousandsSeparator;
extern bool DateWithCentury;          // false: two-digit years in date texts
extern std::uint16_t CenturyStart;    // century window start year
// Table text of the calling dataset is ANSI (no OEM conversion at the next USE).
extern bool TableIsAnsi;

// ---- Engine settings ----
extern bool MultiUser;                // false: no OS locks, every open exclusive
extern std::uint16_t SharedOpenMode;  // 66: read/write, deny none
extern std::uint16_t OpenModeOverride;// 65535: none
extern bool FlushWrites;              // flush after every write
extern bool AutoFixRecCount;          // recount records from the file size on open
extern bool IndexMaintenance;         // index maintenance on REPLACE
extern bool ConfirmPack;              // ask before PACK
extern std::uint16_t MaxRecordLocks;  // 0 = no limit
extern std::uint16_t LockRetries;
extern std::uint32_t LockRetryDelayMs;
extern std::function<bool()> LockRetryCallback; // true: restart the retry count
extern std::uint32_t PeekCacheSize;   // bytes, 0 = no cache
// Optional custom skip: returns the target record for SKIP(n) in one step.
extern std::function<std::int32_t(std::int32_t n)> CustomSkip;

// Open modes as numbers: access in the low bits (0 read, 2 read/write),
// sharing in 0x70 (0x10 exclusive, 0x40 deny none).
constexpr std::uint16_t ModeReadWriteShared = 66;
constexpr std::uint16_t ModeReadWriteExclusive = 18;
constexpr std::uint16_t ModeReadShared = 64;
constexpr std::uint16_t ModeReadExclusive = 16;

// Create version (0x83, 0x8B, 0xF5 or 0x8C) and memo block size (1..65535);
// setters refuse anything else with error 220 and return false.
std::uint8_t CreateVersion();
bool SetCreateVersion(std::uint8_t version);
std::uint32_t MemoBlockSize();
bool SetMemoBlockSize(std::uint32_t size);

// ---- Clock ----
struct Ymd {
    int year = 0, month = 0, day = 0;
    bool operator==(const Ymd&) const = default;
};
using TodayProvider = std::function<Ymd()>;
// Today's date (from the provider, else the system clock).
Ymd EngineToday();
// Installs a provider (nullptr: the system clock); returns the previous one.
TodayProvider SetTodayProvider(TodayProvider provider);
// Day of week of today, 1 Sunday .. 7 Saturday.
int EngineTodayDow();

// ---- Start-up and shut-down ----
// Runs once (later calls do nothing): clears the hooks, sets the
// conventions from the environment's language, the century window,
// CurrentArea 1 and the settings' defaults.
void InitEngine();
// Resets everything to the start-up state again (tests). Closes all areas.
void ResetEngine();
// Closes areas 34, 35 and 1..33.
void ShutdownEngine();
// Language code for a POSIX locale name such as "de_DE.UTF-8".
std::uint8_t LanguageCodeOf(const std::string& locale);
// Sets the language code with the date format and separators that follow.
void SetLanguage(std::uint8_t code);

// ---- Date layouts ----
// Codes above 8 become 0.
void SetDateFormat(std::uint8_t code);
// "MM/dd/yy", "yy.MM.dd", "dd/MM/yy", "dd-MM-yy", "dd.MM.yy" ("yyyy" with
// DateWithCentury).
std::string DatePicture();
// The blank date of the current layout, e.g. "  .  .  ".
std::string EmptyDateTemplate();
// The one layout function: a date in the current layout (codes 7 and 8 as
// 4..6). yearText is the year as it is to be shown (2 or 4 digits).
std::string LayoutDate(const std::string& yearText, const std::string& month,
                       const std::string& day);
// The same written to out (room for the three parts and two separators);
// returns the length.
std::size_t LayoutDateInto(char* out, std::string_view yearText, std::string_view month,
                           std::string_view day);
// Separator of the current layout.
char LayoutSeparator();
// Century of a two-digit year by the window (e.g. 1900 or 2000).
int CenturyOf(int twoDigitYear);
// Year text widened to four digits by the window ("56" -> "1956").
std::string WidenYear(const std::string& year);

// Date text normalisation. The parts of a date text in the current layout's
// order, split at "/", "-" or "." (the first of these that occurs).
struct DateTextParts {
    std::string year, month, day; // trimmed, day and month padded to 2 digits
    bool blank = false;            // three empty parts
};
bool SplitDateText(const std::string& text, DateTextParts& parts);
// Reads month/day/year separated by "/" and writes them in the current layout.
std::string MdyToLayout(const std::string& text);
// Re-formats a text already in the current layout's order (second routine).
std::string NormalizeLayoutText(const std::string& text);

} // namespace kt4::dbase
