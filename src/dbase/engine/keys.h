// Index key encodings and comparisons: the 12-byte packed decimal key of
// numeric keys, double keys (8-byte IEEE values) and byte comparisons of
// character keys. Dates are keys as their Julian day numbers (keys_date.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kt4::dbase {

// Packed decimal key: byte 0 exponent (52 + integer digits, or 52 minus the
// zeros after the point), byte 1 sign (bit 7), digit count (bits 2..6) and
// bit 0 always set, bytes 2..11 up to 20 digits, two to a byte.
struct TBcdKey {
    std::array<std::uint8_t, 12> bytes{};

    std::uint8_t Exponent() const { return bytes[0]; }
    bool Negative() const { return (bytes[1] & 0x80) != 0; }
    int DigitCount() const { return (bytes[1] >> 2) & 0x1F; }
    // The i-th digit, i = 0..19.
    int Digit(int i) const;
    bool operator==(const TBcdKey&) const = default;
};

inline constexpr int kBcdBaseExponent = 52;
inline constexpr int kBcdMaxDigits = 20;

// A number written as text (at most length bytes are read).
TBcdKey TextToBcd(std::string_view text, int decimals);
// Value written with decimals places (0..30); infinities count as the
// largest finite values, NaN as 0.
TBcdKey DoubleToBcd(double value, int decimals);
// Negative, zero or positive.
int CompareBcd(const TBcdKey& a, const TBcdKey& b);

// Unsigned byte comparison of count bytes: 0 when equal, else the difference
// of the first differing bytes (a's minus b's).
int CompareBytes(const void* a, const void* b, std::size_t count);

// 0 when equal and when either is NaN, 1 when a > b, -1 when a < b. Not a
// strict weak order: never use it to sort; use DoubleKeyOrder.
int CompareDoubles(double a, double b);
// A total order for sorting double keys (NaN after everything, -0 == +0).
int DoubleKeyOrder(double a, double b);

// Double keys as stored in index files: the 8 bytes of the IEEE value
// (little-endian, the platform's own order).
using DoubleKeyBytes = std::array<std::uint8_t, 8>;
DoubleKeyBytes DoubleToKeyBytes(double value);
double KeyBytesToDouble(const std::uint8_t* bytes);
int CompareDoubleKeyBytes(const std::uint8_t* a, const std::uint8_t* b);

} // namespace kt4::dbase
