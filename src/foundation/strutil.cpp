#include "foundation/strutil.h"

#include "foundation/settings.h"

#include <algorithm>

namespace kt4 {

namespace {

std::size_t Count(int n) { return n > 0 ? static_cast<std::size_t>(n) : 0; }

} // namespace

std::string UpperStr(const std::string& S)
{
    std::string r = S;
    for (char& c : r)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::string LowerStr(const std::string& S)
{
    std::string r = S;
    for (char& c : r)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return r;
}

std::string PadRight(const std::string& S, int Width)
{
    std::string r = S.substr(0, Count(Width));
    r.resize(Count(Width), ' ');
    return r;
}

std::string PadLeft(const std::string& S, int Width)
{
    std::string r = TrimBlanks(S);
    if (r.size() >= Count(Width))
        return r.substr(0, Count(Width));
    return std::string(Count(Width) - r.size(), ' ') + r;
}

std::string PadRightAtBlank(const std::string& S, int Width)
{
    if (S.size() <= Count(Width))
        return PadRight(S, Width);
    std::string t = S.substr(0, Count(Width));
    std::size_t blank = t.rfind(' ');
    if (blank != std::string::npos && blank > 0)
        return S.substr(0, blank);
    return t;
}

std::string LeftStr(const std::string& S, int N) { return S.substr(0, Count(N)); }

std::string RightStr(const std::string& S, int N)
{
    std::size_t n = std::min(Count(N), S.size());
    return S.substr(S.size() - n);
}

void OverwriteStr(const std::string& S, std::string& Dest, int Pos)
{
    if (Pos < 1 || Count(Pos) + S.size() - 1 > Dest.size())
        return;
    Dest.replace(Count(Pos) - 1, S.size(), S);
}

void ReplaceChar(char Old, char New, std::string& S) { std::replace(S.begin(), S.end(), Old, New); }

void DeleteBlanks(std::string& S) { S.erase(std::remove(S.begin(), S.end(), ' '), S.end()); }

std::string RemoveBlanks(const std::string& S)
{
    std::string r = S;
    DeleteBlanks(r);
    return r;
}

std::string TrimBlanks(const std::string& S)
{
    std::size_t a = S.find_first_not_of(' ');
    if (a == std::string::npos)
        return {};
    return S.substr(a, S.find_last_not_of(' ') - a + 1);
}

void TrimBlanksInPlace(std::string& S) { S = TrimBlanks(S); }

int LastPos(const std::string& Sub, const std::string& S)
{
    if (Sub.empty())
        return 0;
    std::size_t p = S.rfind(Sub);
    return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

std::string PointToComma(const std::string& S)
{
    std::string r = S;
    ReplaceChar('.', ',', r);
    return r;
}

std::string CommaToPoint(const std::string& S)
{
    std::string r = S;
    ReplaceChar(',', '.', r);
    return r;
}

std::string OneLineText(const std::string& S)
{
    std::string out;
    out.reserve(S.size());
    for (std::size_t i = 0; i < S.size(); ++i) {
        const char c = S[i];
        if (c == '\r' || c == '\n') {
            out += '|';
            if (c == '\r' && i + 1 < S.size() && S[i + 1] == '\n')
                ++i;
        } else {
            out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
        }
    }
    return out;
}

int CountChar(char C, const std::string& S)
{
    return static_cast<int>(std::count(S.begin(), S.end(), C));
}

std::string AbbreviateStr(const std::string& S, int MaxLen)
{
    if (S.size() <= Count(MaxLen))
        return S;
    if (MaxLen < 11)
        return S.substr(0, Count(MaxLen));
    std::size_t h = Count(MaxLen / 2 - 2);
    return S.substr(0, h) + "__" + S.substr(S.size() - h);
}

std::string ShortenText(const std::string& S, int MaxLen)
{
    if (S.size() <= Count(MaxLen))
        return S;
    std::size_t h = Count(MaxLen / 2 - 3);
    return S.substr(0, h) + " ... " + S.substr(S.size() - (h + 1));
}

std::vector<std::string> WrapText(const std::string& Text, char BreakChar, int MaxLen, int& MaxWidth)
{
    std::size_t maxLen = std::max<std::size_t>(Count(MaxLen), 1);
    std::vector<std::string> lines;
    MaxWidth = 1;
    std::string rest = Text;
    while (!rest.empty()) {
        std::size_t len = rest.size();
        if (rest.size() > maxLen) {
            len = maxLen;
            // the last break character among positions MaxLen-1 down to 1
            std::size_t p = maxLen >= 2 ? rest.rfind(BreakChar, maxLen - 2) : std::string::npos;
            if (p != std::string::npos)
                len = p + 1;
        }
        lines.push_back(rest.substr(0, len));
        rest.erase(0, len);
        MaxWidth = std::max(MaxWidth, static_cast<int>(len));
    }
    for (std::size_t k = 1; k <= settings::WrapLines.size(); ++k)
        settings::WrapLines[k] = k <= lines.size() ? lines[k - 1] : std::string();
    return lines;
}

} // namespace kt4
