#include "dbase/keys_text.h"

#include <algorithm>
#include <array>

namespace kt4::dbase {

namespace {

// Upper/lower pairs of cp1252 outside the regular runs.
struct CasePair {
    unsigned char upper;
    unsigned char lower;
};
constexpr std::array<CasePair, 4> kExtraPairs{{{0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}}};

// Letters without a case partner.
constexpr std::array<unsigned char, 5> kCaselessLetters{0x83, 0xAA, 0xB5, 0xBA, 0xDF};

struct CaseTables {
    std::array<unsigned char, 256> upper{};
    std::array<unsigned char, 256> lower{};
    std::array<bool, 256> alpha{};
};

constexpr CaseTables MakeCaseTables()
{
    CaseTables t;
    for (int c = 0; c < 256; ++c) {
        t.upper[c] = static_cast<unsigned char>(c);
        t.lower[c] = static_cast<unsigned char>(c);
    }
    auto pair = [&t](int up, int low) {
        t.upper[low] = static_cast<unsigned char>(up);
        t.lower[up] = static_cast<unsigned char>(low);
        t.alpha[up] = t.alpha[low] = true;
    };
    for (int c = 'A'; c <= 'Z'; ++c)
        pair(c, c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7)
            pair(c, c + 0x20);
    for (const auto& p : kExtraPairs)
        pair(p.upper, p.lower);
    for (unsigned char c : kCaselessLetters)
        t.alpha[c] = true;
    return t;
}

constexpr CaseTables kCase = MakeCaseTables();

// SOUNDEX codes of A..Z.
constexpr std::string_view kSoundexCodes = "01230120022455012623010202";

bool IsAsciiLetter(unsigned char c)
{
    return c >= 'A' && c <= 'Z';
}

} // namespace

unsigned char UpperCp1252(unsigned char c)
{
    return kCase.upper[c];
}

unsigned char LowerCp1252(unsigned char c)
{
    return kCase.lower[c];
}

bool IsAlphaCp1252(unsigned char c)
{
    return kCase.alpha[c];
}

void UpperInPlace(char* p, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        p[i] = static_cast<char>(kCase.upper[static_cast<unsigned char>(p[i])]);
}

void LowerInPlace(char* p, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        p[i] = static_cast<char>(kCase.lower[static_cast<unsigned char>(p[i])]);
}

std::string UpperText(std::string_view text)
{
    std::string s(text);
    UpperInPlace(s.data(), s.size());
    return s;
}

std::string LowerText(std::string_view text)
{
    std::string s(text);
    LowerInPlace(s.data(), s.size());
    return s;
}

std::string UpperAscii(std::string_view text)
{
    std::string s(text);
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return s;
}

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
    const std::string s = UpperAscii(text.substr(0, 100));
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
