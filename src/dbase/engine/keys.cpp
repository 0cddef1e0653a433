#include "dbase/engine/keys.h"

#include <algorithm>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstring>

namespace kt4::dbase {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

int TBcdKey::Digit(int i) const
{
    if (i < 0 || i >= kBcdMaxDigits)
        return 0;
    const std::uint8_t b = bytes[static_cast<std::size_t>(2 + i / 2)];
    return i % 2 == 0 ? b >> 4 : b & 0x0F;
}

TBcdKey TextToBcd(std::string_view text, int decimals)
{
    TBcdKey key;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    while (i < n && (text[i] == ' ' || text[i] == '0'))
        ++i;

    int exponent = kBcdBaseExponent;
    bool pointSeen = false;
    if (i < n && text[i] == '.') {
        pointSeen = true;
        ++i;
        std::size_t zeros = 0;
        while (i + zeros < n && text[i + zeros] == '0')
            ++zeros;
        if (i + zeros < n && IsDigit(text[i + zeros]))
            exponent -= static_cast<int>(zeros);
        i += zeros;
    }

    int stored = 0;
    int trailingZeros = 0;
    for (; i < n; ++i) {
        const char c = text[i];
        if (c == '.' && !pointSeen) {
            pointSeen = true;
            continue;
        }
        if (!IsDigit(c))
            break;
        // Every integer digit counts for the exponent, stored or not.
        if (!pointSeen)
            ++exponent;
        if (stored >= kBcdMaxDigits)
            continue;
        const int d = c - '0';
        std::uint8_t& b = key.bytes[static_cast<std::size_t>(2 + stored / 2)];
        b = static_cast<std::uint8_t>(stored % 2 == 0 ? (d << 4) : (b | d));
        ++stored;
        trailingZeros = d == 0 ? trailingZeros + 1 : 0;
    }

    key.bytes[0] = static_cast<std::uint8_t>(std::clamp(exponent, 0, 255));
    key.bytes[1] = 0x01;
    const bool keepZeros = pointSeen && decimals > trailingZeros;
    int length = keepZeros ? stored : stored - trailingZeros;
    if (!keepZeros && length > 0 && length < 10)
        length = 10;
    length = std::min(length, kBcdMaxDigits);
    if (length > 0) {
        key.bytes[1] = static_cast<std::uint8_t>(key.bytes[1] | (length << 2));
        if (negative)
            key.bytes[1] |= 0x80;
    }
    return key;
}

TBcdKey DoubleToBcd(double value, int decimals)
{
    if (std::isnan(value))
        value = 0.0;
    else if (std::isinf(value))
        value = value > 0 ? DBL_MAX : -DBL_MAX;
    decimals = std::clamp(decimals, 0, 30);
    // DBL_MAX has 309 integer digits.
    char buf[400];
    // to_chars, not printf: the digits never follow the process locale
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    const std::size_t len = r.ec == std::errc() ? static_cast<std::size_t>(r.ptr - buf) : 0;
    return TextToBcd(std::string_view(buf, len), decimals);
}

int CompareBcd(const TBcdKey& a, const TBcdKey& b)
{
    if (a.Negative() != b.Negative())
        return a.Negative() ? -1 : 1;
    const bool negative = a.Negative();
    const int countA = a.DigitCount();
    const int countB = b.DigitCount();
    const int expA = countA != 0 ? a.Exponent() : 0;
    const int expB = countB != 0 ? b.Exponent() : 0;
    if (expA != expB)
        return (expA < expB) != negative ? -1 : 1;
    const std::size_t bytes = static_cast<std::size_t>((std::max(countA, countB) + 1) / 2);
    return negative ? CompareBytes(&b.bytes[2], &a.bytes[2], bytes) : CompareBytes(&a.bytes[2], &b.bytes[2], bytes);
}

int CompareBytes(const void* a, const void* b, std::size_t count)
{
    const auto* pa = static_cast<const unsigned char*>(a);
    const auto* pb = static_cast<const unsigned char*>(b);
    for (std::size_t i = 0; i < count; ++i)
        if (pa[i] != pb[i])
            return static_cast<int>(pa[i]) - static_cast<int>(pb[i]);
    return 0;
}

int CompareDoubles(double a, double b)
{
    if (a > b)
        return 1;
    if (a < b)
        return -1;
    return 0;
}

int DoubleKeyOrder(double a, double b)
{
    const bool nanA = std::isnan(a);
    const bool nanB = std::isnan(b);
    if (nanA || nanB)
        return nanA == nanB ? 0 : (nanA ? 1 : -1);
    return CompareDoubles(a, b);
}

DoubleKeyBytes DoubleToKeyBytes(double value)
{
    DoubleKeyBytes bytes;
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

double KeyBytesToDouble(const std::uint8_t* bytes)
{
    double value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

int CompareDoubleKeyBytes(const std::uint8_t* a, const std::uint8_t* b)
{
    return CompareDoubles(KeyBytesToDouble(a), KeyBytesToDouble(b));
}

} // namespace kt4::dbase
