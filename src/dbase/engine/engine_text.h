// Text helpers shared by the engine core, the index unit and the datasets.
// Engine text is single-byte (code page 1252); case mapping follows fixed
// tables, never the process locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kt4::dbase {

char UpperChar(char c);
char LowerChar(char c);
std::string UpperText(std::string_view text);
std::string UpperAsciiText(std::string_view text);
bool IsAlphaChar(char c);
bool IsAlphaFirst(std::string_view text);

std::string RTrimText(std::string_view text);  // codes up to 32
std::string LTrimText(std::string_view text);
std::string AllTrim(std::string_view text);
std::string RTrimBlanks(std::string_view text); // blanks only

int Occurs(std::string_view sub, std::string_view text);
int AtOccurrence(int n, std::string_view sub, std::string_view text);
std::string ReplicateChar(char c, int n);
std::string IfText(bool cond, const std::string& a, const std::string& b);
std::string PadRight(const std::string& text, int width);
std::string IntToText(long long n, int width);
// Rounds half away from zero to k decimals (0..15), decimal-exact (on the
// value's 15 significant digits).
double RoundDecimal(double v, int k);
// Value right-aligned in width with decimals, "." as the point (file form;
// no length limit), rounded half away from zero as RoundDecimal and STR do.
std::string FloatToText(int width, int decimals, double value);
// The text FloatToText(0, decimals, value) gives, for the common case of a
// value that is a whole number of units of its last decimal (below 10^15
// such units, decimals 0..15): written to out (room for 18 characters)
// with its length in length, and the number the text reads as (as
// ParseFileNumber reads it) in readBack. False for any other value, which
// FloatToText formats.
bool PlainFloatText(double value, int decimals, char* out, std::size_t& length, double& readBack);
// The same with the engine's display decimal separator.
std::string FloatToDisplayText(int width, int decimals, double value);
// Replaces "." by the engine's decimal separator.
std::string LocalizeDecimal(std::string text);

// Typed numbers (engine decimal separator, thousands separators dropped).
void CleanNumberText(std::string& text);
double TextToFloat(const std::string& text);
long long TextToInt(const std::string& text);
int TextToSmallInt(const std::string& text);
// Numbers in files: "." only, the whole trimmed text; false when it is not a number.
bool ParseFileNumber(std::string_view text, double& value);

// Removes Word as a whole option keyword (case-insensitive) from Text, which
// is upper-cased and trimmed; true when something was removed.
bool RemoveKeyword(const std::string& word, std::string& text);
// Position (1-based) of sub in text ignoring case; 0 when absent.
int PosNoCase(std::string_view sub, std::string_view text);

} // namespace kt4::dbase
