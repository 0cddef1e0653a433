#include "dbase/codepage.h"

#include <array>

namespace kt4::dbase {
namespace {

// OEM (850) byte 0x80 + i -> ANSI (1252) byte. Characters of both pages map
// to themselves; the 31 without a partner on the other side are paired in
// order (box drawing <-> the typographic marks and the unused 1252 codes).
constexpr std::uint8_t kOemToAnsiHigh[128] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xF8, 0xA3, 0xD8, 0xD7, 0x83,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAE, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0x80, 0x81, 0x82, 0x84, 0x85, 0xC1, 0xC2, 0xC0, 0xA9, 0x86, 0x87, 0x88, 0x89, 0xA2, 0xA5, 0x8A,
    0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0xE3, 0xC3, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0xA4,
    0xF0, 0xD0, 0xCA, 0xCB, 0xC8, 0x98, 0xCD, 0xCE, 0xCF, 0x99, 0x9A, 0x9B, 0x9C, 0xA6, 0xCC, 0x9D,
    0xD3, 0xDF, 0xD4, 0xD2, 0xF5, 0xD5, 0xB5, 0xFE, 0xDE, 0xDA, 0xDB, 0xD9, 0xFD, 0xDD, 0xAF, 0xB4,
    0xAD, 0xB1, 0x9E, 0xBE, 0xB6, 0xA7, 0xF7, 0xB8, 0xB0, 0xA8, 0xB7, 0xB9, 0xB3, 0xB2, 0x9F, 0xA0,
};

struct Tables {
    std::array<std::uint8_t, 256> toAnsi{};
    std::array<std::uint8_t, 256> toOem{};
    Tables()
    {
        for (int i = 0; i < 128; ++i) {
            toAnsi[i] = std::uint8_t(i);
            toOem[i] = std::uint8_t(i);
        }
        for (int i = 0; i < 128; ++i) {
            toAnsi[128 + i] = kOemToAnsiHigh[i];
            toOem[kOemToAnsiHigh[i]] = std::uint8_t(128 + i);
        }
    }
};

const Tables& T()
{
    static const Tables tables;
    return tables;
}

} // namespace

std::uint8_t OemToAnsiChar(std::uint8_t c) { return T().toAnsi[c]; }
std::uint8_t AnsiToOemChar(std::uint8_t c) { return T().toOem[c]; }

void OemToAnsiBytes(std::uint8_t* data, std::size_t n)
{
    const auto& t = T().toAnsi;
    for (std::size_t i = 0; i < n; ++i)
        data[i] = t[data[i]];
}

void AnsiToOemBytes(std::uint8_t* data, std::size_t n)
{
    const auto& t = T().toOem;
    for (std::size_t i = 0; i < n; ++i)
        data[i] = t[data[i]];
}

void OemToAnsiCopy(const std::uint8_t* from, std::uint8_t* to, std::size_t n)
{
    const auto& t = T().toAnsi;
    for (std::size_t i = 0; i < n; ++i)
        to[i] = t[from[i]];
}

void AnsiToOemCopy(const std::uint8_t* from, std::uint8_t* to, std::size_t n)
{
    const auto& t = T().toOem;
    for (std::size_t i = 0; i < n; ++i)
        to[i] = t[from[i]];
}

std::string OemToAnsi(const std::string& text)
{
    std::string out = text;
    OemToAnsiBytes(reinterpret_cast<std::uint8_t*>(out.data()), out.size());
    return out;
}

std::string AnsiToOem(const std::string& text)
{
    std::string out = text;
    AnsiToOemBytes(reinterpret_cast<std::uint8_t*>(out.data()), out.size());
    return out;
}

bool IsAnsiCodePageMark(std::uint8_t mark)
{
    // 1252 (0x03, 0x57..0x59), the Far East and Thai pages (0x78..0x7C),
    // 1255 and 1256 (0x7D, 0x7E), 1250, 1251, 1254, 1253 and 1257 (0xC8..0xCC)
    return mark == 0x03 || (mark >= 0x57 && mark <= 0x59) || (mark >= 0x78 && mark <= 0x7E) ||
           (mark >= 0xC8 && mark <= 0xCC);
}

} // namespace kt4::dbase
