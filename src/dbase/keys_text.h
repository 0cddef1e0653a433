// Single-byte text helpers of the engine: the fixed cp1252 case mapping
// (independent of the process locale), the folding of character index keys,
// the SOUNDEX code and a few byte-string helpers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kt4::dbase {

// cp1252 case mapping as Windows does it: a..z, the accented letters
// 0xE0..0xFE (not 0xF7), and š œ ž ÿ <-> Š Œ Ž Ÿ; ß and µ have no partner.
unsigned char UpperCp1252(unsigned char c);
unsigned char LowerCp1252(unsigned char c);
bool IsAlphaCp1252(unsigned char c);
std::string UpperText(std::string_view text);
std::string LowerText(std::string_view text);
// In place, for the evaluator.
void UpperInPlace(char* p, std::size_t n);
void LowerInPlace(char* p, std::size_t n);

// Only a..z become A..Z; every other byte stays.
std::string UpperAscii(std::string_view text);

// The folded form of a character index key: A..Z to a..z, Ä Ö Ü to ä ö ü,
// then ß ä ö ü become ss ae oe ue; the result is cut to keyLength bytes.
std::string FoldCharKey(std::string_view text, std::size_t keyLength);

inline constexpr std::size_t kSoundexLength = 4;
// The 4-character phonetic code; "0000" for the empty text.
std::string Soundex(std::string_view text);

// The decimal text of n with "0" put in front up to width characters.
std::string ZeroPadInt(long n, int width);

// Exchanges the adjacent runs p[0, lenA) and p[lenA, lenA + lenB).
void SwapBlocks(char* p, std::size_t lenA, std::size_t lenB);

} // namespace kt4::dbase
