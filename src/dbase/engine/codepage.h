// Table text conversion between the OEM code page (850) stored in the files
// and the engine's ANSI code page (1252). The tables are bijective: every
// character that both pages have maps to itself, the rest are paired one to
// one, so a read followed by a write gives back the same bytes.
//
// A table marked with another single-byte page (437, 852, 1250, 1251, ...)
// is converted the same way: its characters that 1252 also has are
// themselves in the engine's text, the others are paired with 1252 codes the
// page lacks. Text a caller writes is taken as 1252 text: a character the
// table's page lacks is refused, never stored as another.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// The code page of a table's text. Stored bytes pass the page's own stage
// into its base (850 or 1252, bijective; none for 850 and 1252 themselves),
// then, for an OEM base, the 850 pairing above into the engine's text.
struct TableCodePage {
    std::uint16_t number = 0;                   // 850, 437, 1252, 1250, ...
    bool oem = false;                           // the base is 850
    bool staged = false;                        // the stage is not the identity
    bool windowsText = false;                   // every engine byte is its 1252 character
    std::array<std::uint8_t, 256> toBase{}, fromBase{};   // stored <-> base
    // Base byte -> the base byte its stored byte had while an OEM page was
    // paired with 850 alone, its characters that 850 lacks and 1252 holds
    // then passing as others (852: Š š Ž ž); moved: some differ. Index
    // keys written then hold those bytes.
    std::array<std::uint8_t, 256> formerBase{};
    bool moved = false;
    std::array<std::uint8_t, 256> toEngine{}, toStored{}; // stored <-> engine text
    std::array<char32_t, 256> charOf{};         // of an engine byte; 0: none
    std::array<bool, 256> heldAs1252{};         // the engine byte is the 1252 character it shows
    std::vector<std::pair<char32_t, std::uint8_t>> byChar; // sorted: character -> engine byte

    // The engine byte of a character; -1 when the page lacks it.
    int EngineByteOf(char32_t c) const;
    // True when the page holds every character of 1252 text as it stands.
    bool HoldsAs1252(const std::uint8_t* text, std::size_t n) const
    {
        if (windowsText)
            return true;
        for (std::size_t i = 0; i < n; ++i)
            if (!heldAs1252[text[i]])
                return false;
        return true;
    }
};

const TableCodePage& OemCodePage();  // 850
const TableCodePage& AnsiCodePage(); // 1252
// The page a header mark names; nullptr for 0 and for marks that name no
// page (the unmarked choice applies). A page the engine cannot convert (the
// multi-byte pages, pages the system's converter lacks) gives nullptr and
// its number in refused.
const TableCodePage* CodePageOfMark(std::uint8_t mark, std::uint16_t& refused);

// The characters of 1252 text that page lacks, as UTF-8, each once, between
// blanks; empty when the page holds them all.
std::string CharsLackedAs1252(const TableCodePage& page, std::string_view text);
// The refusal (220) of text with characters a table's page lacks: the
// characters (CharsLackedAs1252, ConvertTableText), where the text was to go
// ("im Feld NAME von t.dbf", or empty), the page's number and, when given,
// the operation in brackets.
std::string LackingCharsText(const std::string& lacking, const std::string& where, int page,
                             const std::string& operation = "");
// Engine text of a table in page from as engine text of a table in page to;
// false with the characters (UTF-8) that to lacks, text then unchanged.
bool ConvertTableText(const TableCodePage& from, const TableCodePage& to, std::string& text,
                      std::string& lacking);
// Engine text as UTF-8 by its table's page, and back (false with the
// characters the page lacks). Codes no character stands for show as the
// control characters U+0080..U+009F of their value, or U+FFFD.
std::string TableTextToUtf8(const TableCodePage& page, std::string_view text);
bool Utf8ToTableText(const TableCodePage& page, std::string_view utf8, std::string& out,
                     std::string& lacking);
// Engine text as OEM (850) text; a character 850 lacks becomes "?" and sets lost.
std::string TableTextToOem(const TableCodePage& page, std::string_view text, bool& lost);

} // namespace kt4::dbase
