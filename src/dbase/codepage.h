// Table text conversion between the OEM code page (850) stored in the files
// and the engine's ANSI code page (1252). The tables are bijective: every
// character that both pages have maps to itself, the rest are paired one to
// one, so a read followed by a write gives back the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kt4::dbase {

std::uint8_t OemToAnsiChar(std::uint8_t c);
std::uint8_t AnsiToOemChar(std::uint8_t c);
void OemToAnsiBytes(std::uint8_t* data, std::size_t n);
void AnsiToOemBytes(std::uint8_t* data, std::size_t n);
void OemToAnsiCopy(const std::uint8_t* from, std::uint8_t* to, std::size_t n);
void AnsiToOemCopy(const std::uint8_t* from, std::uint8_t* to, std::size_t n);
std::string OemToAnsi(const std::string& text);
std::string AnsiToOem(const std::string& text);

// True for a code-page mark (the language driver byte of a table's header)
// that names a Windows (ANSI) code page; OEM marks and 0 (none) give false.
bool IsAnsiCodePageMark(std::uint8_t mark);

} // namespace kt4::dbase
