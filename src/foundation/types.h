// Basic types shared by every module: the design value type, the integer
// widths of stored settings, and a bounds-checked array indexed from 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace kt4 {

// Design values are 80-bit extended floats on x86-64.
using Real = long double;
using Word = std::uint16_t;
using Integer = std::int32_t;

// A fixed array whose valid indices are 1..N, as the program's tables are
// numbered. Any other index throws instead of touching foreign memory.
template <class T, std::size_t N>
class Array1 {
public:
    T& operator[](std::size_t i) { check(i); return items_[i - 1]; }
    const T& operator[](std::size_t i) const { check(i); return items_[i - 1]; }
    static constexpr std::size_t size() { return N; }
    void fill(const T& v) { items_.fill(v); }
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    bool operator==(const Array1&) const = default;

private:
    static void check(std::size_t i)
    {
        if (i < 1 || i > N)
            throw std::out_of_range("index " + std::to_string(i) + " outside 1.." + std::to_string(N));
    }
    std::array<T, N> items_{};
};

} // namespace kt4
