#include "dbase/engine/keys_text.h"

#include <algorithm>
#include <array>

namespace kt4::dbase {

namespace {

// SOUNDEX codes of A..Z.
constexpr std::string_view kSoundexCodes = "01230120022455012623010202";

bool IsAsciiLetter(unsigned char c)
{
    return c >= 'A' && c <= 'Z';
}

} // namespace

std::string FoldCharKey(std::string_view text, std::size_t keyLength)
{
    std::string key;
    key.reserve(keyLength + 1);
    for (char ch : text) {
        if (key.size() >= keyLength)
            break;
        unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 'A' && c <= 'Z')
            c = static_cast<unsigned char>(c + 32);
        else if (c == 0xC4 || c == 0xD6 || c == 0xDC) // Ä Ö Ü
            c = static_cast<unsigned char>(c + 0x20);
        switch (c) {
        case 0xDF: key += "ss"; break;
        case 0xE4: key += "ae"; break;
        case 0xF6: key += "oe"; break;
        case 0xFC: key += "ue"; break;
        default: key += static_cast<char>(c); break;
        }
    }
    if (key.size() > keyLength)
        key.resize(keyLength);
    return key;
}

std::string Soundex(std::string_view text)
{
    std::string s(text.substr(0, 100));
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    std::string code(kSoundexLength, '0');
    if (s.empty())
        return code;
    code[0] = s[0];
    const auto first = static_cast<unsigned char>(s[0]);
    char last = IsAsciiLetter(first) ? kSoundexCodes[first - 'A'] : '0';
    std::size_t filled = 1;
    for (std::size_t i = 1; i < s.size() && filled < kSoundexLength; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (!IsAsciiLetter(c))
            continue;
        const char digit = kSoundexCodes[c - 'A'];
        if (digit != last && digit != '0')
            code[filled++] = digit;
        last = digit;
    }
    return code;
}

std::string ZeroPadInt(long n, int width)
{
    std::string s = std::to_string(n);
    if (static_cast<int>(s.size()) < width)
        s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
    return s;
}

void SwapBlocks(char* p, std::size_t lenA, std::size_t lenB)
{
    if (lenA == 0 || lenB == 0)
        return;
    std::rotate(p, p + lenA, p + lenA + lenB);
}

} // namespace kt4::dbase
