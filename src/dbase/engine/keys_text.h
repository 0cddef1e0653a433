// Single-byte text helpers of the keys: the folding of character index
// keys, the SOUNDEX code and a few byte-string helpers. (The cp1252 case
// mapping is engine_text.h's.)
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kt4::dbase {

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
