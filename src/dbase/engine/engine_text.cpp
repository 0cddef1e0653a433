#include "dbase/engine/engine_text.h"

#include "dbase/engine/runtime.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

namespace kt4::dbase {
namespace {

// The powers of ten that doubles hold exactly, up to the 15 decimals of the
// file forms.
constexpr double kScale[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                               1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

struct CaseTables {
    std::array<std::uint8_t, 256> upper{}, lower{};
    std::array<bool, 256> alpha{};
    CaseTables()
    {
        for (int c = 0; c < 256; ++c) {
            upper[c] = lower[c] = std::uint8_t(c);
        }
        auto pair = [this](int up, int low) {
            upper[low] = std::uint8_t(up);
            lower[up] = std::uint8_t(low);
            alpha[up] = alpha[low] = true;
        };
        for (int c = 'A'; c <= 'Z'; ++c)
            pair(c, c + 32);
        for (int c = 0xC0; c <= 0xDE; ++c)
            if (c != 0xD7)
                pair(c, c + 32);
        pair(0x8A, 0x9A); // S caron
        pair(0x8C, 0x9C); // OE
        pair(0x8E, 0x9E); // Z caron
        pair(0x9F, 0xFF); // Y diaeresis
        for (int c : {0x83, 0xAA, 0xB5, 0xBA, 0xDF})
            alpha[c] = true; // f hook, ordinals, micro, sharp s: letters without a case partner
    }
};

const CaseTables& Case()
{
    static const CaseTables tables;
    return tables;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

char UpperChar(char c) { return char(Case().upper[std::uint8_t(c)]); }
char LowerChar(char c) { return char(Case().lower[std::uint8_t(c)]); }
bool IsAlphaChar(char c) { return Case().alpha[std::uint8_t(c)]; }

std::string UpperText(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = UpperChar(c);
    return out;
}

std::string UpperAsciiText(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = char(c - 32);
    return out;
}

bool IsAlphaFirst(std::string_view text)
{
    return !text.empty() && IsAlphaChar(text.front());
}

std::string RTrimText(std::string_view text)
{
    std::size_t n = text.size();
    while (n > 0 && std::uint8_t(text[n - 1]) <= 32)
        --n;
    return std::string(text.substr(0, n));
}

std::string LTrimText(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && std::uint8_t(text[i]) <= 32)
        ++i;
    return std::string(text.substr(i));
}

std::string AllTrim(std::string_view text)
{
    return LTrimText(RTrimText(text));
}

std::string RTrimBlanks(std::string_view text)
{
    std::size_t n = text.size();
    while (n > 0 && text[n - 1] == ' ')
        --n;
    return std::string(text.substr(0, n));
}

int Occurs(std::string_view sub, std::string_view text)
{
    if (sub.empty() || text.empty())
        return 0;
    int count = 0;
    for (std::size_t pos = text.find(sub); pos != std::string_view::npos;
         pos = text.find(sub, pos + sub.size()))
        ++count;
    return count;
}

int AtOccurrence(int n, std::string_view sub, std::string_view text)
{
    if (n == 0 || sub.empty() || text.empty() || sub.size() > text.size())
        return 0;
    if (n > 0) {
        std::size_t pos = text.find(sub);
        for (int k = 1; pos != std::string_view::npos; ++k, pos = text.find(sub, pos + 1))
            if (k == n)
                return int(pos) + 1;
        return 0;
    }
    std::size_t pos = text.rfind(sub);
    for (int k = -1; pos != std::string_view::npos; --k) {
        if (k == n)
            return int(pos) + 1;
        if (pos == 0)
            break;
        pos = text.rfind(sub, pos - 1);
    }
    return 0;
}

std::string ReplicateChar(char c, int n)
{
    return n <= 0 ? std::string() : std::string(std::size_t(n), c);
}

std::string IfText(bool cond, const std::string& a, const std::string& b)
{
    return cond ? a : b;
}

std::string PadRight(const std::string& text, int width)
{
    if (width < 1 || int(text.size()) >= width)
        return text;
    return text + std::string(std::size_t(width) - text.size(), ' ');
}

std::string IntToText(long long n, int width)
{
    std::string s = std::to_string(n);
    if (int(s.size()) < width)
        s.insert(0, std::size_t(width) - s.size(), ' ');
    return s;
}

double RoundDecimal(double v, int k)
{
    if (!std::isfinite(v) || v == 0.0)
        return v;
    k = std::clamp(k, 0, 15);
    char buf[32]; // "-d.dddddddddddddde+ddd"
    const auto sci = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
    const bool negative = buf[0] == '-';
    const char* p = buf + (negative ? 1 : 0);
    char digits[15];
    digits[0] = p[0];
    std::memcpy(digits + 1, p + 2, 14);
    int exponent = 0;
    const char* e = p + 17; // after "e"
    std::from_chars(*e == '+' ? e + 1 : e, sci.ptr, exponent);
    const int keep = exponent + 1 + k; // digits left of the cut
    if (keep >= 15)
        return v;
    if (keep < 0)
        return 0.0;
    long long m = 0;
    for (int i = 0; i < keep; ++i)
        m = m * 10 + (digits[i] - '0');
    if (digits[keep] >= '5')
        ++m;
    if (m == 0)
        return 0.0;
    std::string text = std::to_string(m) + "e-" + std::to_string(k);
    double r = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), r);
    return negative ? -r : r;
}

bool PlainFloatText(double value, int decimals, char* out, std::size_t& length, double& readBack)
{
    if (decimals < 0 || decimals > 15)
        return false;
    // value * 10^decimals rounds to a whole number only when the value is
    // within 2^-52 of that many units; its 15 significant digits then end in
    // zeros, so rounding them to the decimals keeps the units unchanged.
    const double units = std::fabs(value) * kScale[decimals];
    if (!(units < 1e15) || units != double(std::uint64_t(units)))
        return false;
    std::uint64_t m = std::uint64_t(units);
    // Both exact, so the quotient is the correctly rounded number of the text.
    readBack = value < 0 && m > 0 ? -(units / kScale[decimals]) : units / kScale[decimals];
    // Written backwards: the decimals, the point, at least one whole digit.
    char text[24];
    char* const end = text + sizeof text;
    char* p = end;
    const bool negative = value < 0 && m > 0;
    for (int k = 0; m > 0 || k <= decimals; ++k) {
        if (k == decimals && k > 0)
            *--p = '.';
        *--p = char('0' + m % 10);
        m /= 10;
    }
    if (negative)
        *--p = '-';
    length = std::size_t(end - p);
    std::memcpy(out, p, length);
    return true;
}

std::string FloatToText(int width, int decimals, double value)
{
    decimals = std::clamp(decimals, 0, 30);
    std::string s;
    if (!std::isfinite(value)) {
        s = std::string(std::size_t(std::max(width, 1)), '*');
        return s;
    }
    if (decimals <= 15)
        value = RoundDecimal(value, decimals); // 0.25 stores as 0.3, 2.5 as 3
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc())
        return std::string(std::size_t(std::max(width, 1)), '*');
    s.assign(buf, r.ptr);
    if (s == "-0" || (s.size() > 1 && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos))
        s.erase(0, 1); // no negative zero
    if (int(s.size()) < width)
        s.insert(0, std::size_t(width) - s.size(), ' ');
    return s;
}

std::string LocalizeDecimal(std::string text)
{
    if (DecimalSeparator != '.')
        std::replace(text.begin(), text.end(), '.', DecimalSeparator);
    return text;
}

std::string FloatToDisplayText(int width, int decimals, double value)
{
    std::string s = FloatToText(width, decimals, value);
    return decimals > 0 ? LocalizeDecimal(s) : s;
}

void CleanNumberText(std::string& text)
{
    const char sep = DecimalSeparator;
    text.erase(std::remove(text.begin(), text.end(), '$'), text.end());
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '+'))
        ++i;
    text.erase(0, i);
    if (!text.empty() && text[0] == '-') {
        std::size_t j = 1;
        while (j < text.size() && (text[j] == ' ' || text[j] == '+' || text[j] == '-'))
            ++j;
        text.erase(0, j);
        if (text.empty())
            return;
        if (text[0] == sep)
            text.insert(0, "0");
        text.insert(0, "-");
    }
    if (sep != '.') {
        text.erase(std::remove(text.begin(), text.end(), '.'), text.end());
        std::replace(text.begin(), text.end(), sep, '.');
    } else {
        text.erase(std::remove(text.begin(), text.end(), ','), text.end());
    }
    if (!text.empty() && text[0] == '.')
        text.insert(0, "0");
    std::size_t end = 0;
    while (end < text.size()) {
        char c = text[end];
        if (IsDigit(c) || c == '.' || (c == '-' && end == 0))
            ++end;
        else
            break;
    }
    text.resize(end);
    if (!text.empty() && text.back() == '.')
        text.pop_back();
}

double TextToFloat(const std::string& text)
{
    std::string t = text;
    CleanNumberText(t);
    if (t.empty())
        return 0;
    double v = 0;
    std::from_chars(t.data(), t.data() + t.size(), v);
    return v;
}

long long TextToInt(const std::string& text)
{
    std::string t = text;
    CleanNumberText(t);
    std::size_t p = t.find('.');
    if (p != std::string::npos)
        t.resize(p);
    long long v = 0;
    if (!t.empty())
        std::from_chars(t.data(), t.data() + t.size(), v);
    return v;
}

int TextToSmallInt(const std::string& text)
{
    std::string t = AllTrim(text);
    if (!t.empty() && t[0] == '+')
        t.erase(0, 1);
    const char thousands = DecimalSeparator == ',' ? '.' : ',';
    t.erase(std::remove(t.begin(), t.end(), thousands), t.end());
    t.erase(std::remove(t.begin(), t.end(), '$'), t.end());
    std::size_t end = 0;
    while (end < t.size() && (IsDigit(t[end]) || (end == 0 && t[end] == '-')))
        ++end;
    t.resize(end);
    long long v = 0;
    if (!t.empty() && t != "-") {
        auto r = std::from_chars(t.data(), t.data() + t.size(), v);
        if (r.ec == std::errc::result_out_of_range)
            v = t[0] == '-' ? LLONG_MIN : LLONG_MAX;
    }
    return int(std::clamp<long long>(v, -32768, 32767));
}

bool ParseFileNumber(std::string_view text, double& value)
{
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\0'))
        --e;
    if (b < e && text[b] == '+')
        ++b;
    if (b == e)
        return false;
    // Plain decimals of up to 15 digits: the whole number of units divided
    // by the power of ten, both exact, is the correctly rounded value, as
    // from_chars gives it.
    {
        std::size_t i = b;
        const bool negative = text[i] == '-';
        if (negative)
            ++i;
        std::uint64_t m = 0;
        int digits = 0, decimals = -1;
        for (; i < e && digits <= 15; ++i) {
            const char c = text[i];
            if (c >= '0' && c <= '9') {
                m = m * 10 + std::uint64_t(c - '0');
                ++digits;
                if (decimals >= 0)
                    ++decimals;
            } else if (c == '.' && decimals < 0 && digits > 0) {
                decimals = 0;
            } else {
                break;
            }
        }
        if (i == e && digits > 0 && digits <= 15 && decimals != 0) {
            const double v = double(m) / kScale[std::max(decimals, 0)];
            value = negative ? -v : v;
            return true;
        }
    }
    double v = 0;
    auto r = std::from_chars(text.data() + b, text.data() + e, v);
    if (r.ec != std::errc() || r.ptr != text.data() + e || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

namespace {
bool WordChar(char c)
{
    return IsDigit(c) || IsAlphaChar(c) || c == '_' || c == '\\' || c == '/' || c == '.' ||
           c == '-' || c == ':';
}
} // namespace

bool RemoveKeyword(const std::string& word, std::string& text)
{
    text = UpperText(text);
    const std::string w = UpperText(word);
    bool removed = false;
    if (!w.empty()) {
        int n = 1;
        for (;;) {
            int pos = AtOccurrence(n, w, text);
            if (pos == 0)
                break;
            std::size_t start = std::size_t(pos - 1);
            std::size_t after = start + w.size();
            bool freeBefore = start == 0 || !WordChar(text[start - 1]);
            bool freeAfter = after >= text.size() || !WordChar(text[after]);
            if (freeBefore && freeAfter) {
                text.erase(start, w.size());
                removed = true;
            } else {
                ++n;
            }
        }
    }
    text = AllTrim(text);
    return removed;
}

int PosNoCase(std::string_view sub, std::string_view text)
{
    if (sub.empty() || sub.size() > text.size())
        return 0;
    for (std::size_t i = 0; i + sub.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < sub.size() && UpperChar(text[i + k]) == UpperChar(sub[k]))
            ++k;
        if (k == sub.size())
            return int(i) + 1;
    }
    return 0;
}

} // namespace kt4::dbase
