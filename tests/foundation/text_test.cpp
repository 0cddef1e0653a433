#include "foundation/codepage.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <thread>

using namespace kt4;

class CodePages : public ::testing::Test {
protected:
    void SetUp() override { settings::InitSettings(); }
};

TEST_F(CodePages, EveryOemByteRoundTripsThroughDisplayText)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    std::string shown = OemToDisplay(all);
    EXPECT_EQ(DisplayToOem(shown), all);
    EXPECT_EQ(OemToDisplay("Gr\x94\xE1" "e 20\xF8" "C, 5 N/mm\xFD"), "Größe 20°C, 5 N/mm²");
    EXPECT_EQ(DisplayToOem("Lösche temporäre Dateien"), "L\x94sche tempor\x84re Dateien");
    EXPECT_EQ(OemToDisplay("\xC9\xCD\xBB\xBA"), "╔═╗║");
}

// The program's own table of code page 850 against the system's iconv,
// byte by byte, for display text and both directions of Windows text
// (whose box lines are approximated on purpose).
TEST_F(CodePages, OwnTableOfCodePage850AgreesWithIconv)
{
    const auto byIconv = [](const char* to, const char* from, char b) {
        const iconv_t cd = iconv_open(to, from);
        if (cd == reinterpret_cast<iconv_t>(-1))
            return std::string("no iconv");
        char in[1] = {b}, out[8];
        char *inp = in, *outp = out;
        std::size_t inLeft = 1, outLeft = sizeof out;
        const bool ok = iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<std::size_t>(-1);
        iconv_close(cd);
        return ok ? std::string(out, outp) : std::string("?");
    };
    const struct {
        const char* to;
        const char* from;
        std::string (*convert)(const std::string&);
        bool boxLines;
    } pages[] = {{"UTF-8", "IBM850", OemToDisplay, false},
                 {"CP1252", "IBM850", OemToCp1252, true},
                 {"IBM850", "CP1252", Cp1252ToOem, false}};
    for (const auto& page : pages)
        for (int b = 128; b < 256; ++b) {
            const std::string in(1, static_cast<char>(b)), out = page.convert(in);
            if (page.boxLines && std::string("-|+").find(out) != std::string::npos && out.size() == 1)
                continue;
            EXPECT_EQ(out, byIconv(page.to, page.from, in[0])) << page.from << " " << b;
        }
}

TEST_F(CodePages, LongTextsConvertWhole)
{
    std::string oem;
    for (int k = 0; k < 4000; ++k)
        oem += k % 7 == 0 ? '\x81' : static_cast<char>('a' + k % 26);
    std::string shown = OemToDisplay(oem);
    EXPECT_GT(shown.size(), oem.size()); // ü takes two bytes in UTF-8
    EXPECT_EQ(DisplayToOem(shown), oem);
    EXPECT_EQ(OemToDisplay(std::string(255, 'x')), std::string(255, 'x'));
}

// By iconv and, while iconv cannot be opened, by the compiled-in table,
// which spells nothing out; each call after a failed open tries again.
TEST_F(CodePages, UnconvertibleAndMalformedInputBecomesQuestionMarks)
{
    const struct {
        std::string in, byIconv, byTable;
    } cases[] = {
        {"a\xFF" "b", "a?b", "a?b"},
        {"5 \xE2\x82\xAC", "5 EUR", "5 ?"}, // transliterated
        {"\xE4\xB8\xAD", "?", "?"},          // a CJK character
        {"", "", ""},
        {"L\xC3\xB6sche", "L\x94sche", "L\x94sche"},
        {"a\xE0\x80\xAF" "b", "a?b", "a?b"},     // "/" in overlong forms
        {"a\xF0\x80\x80\xAF" "b", "a?b", "a?b"},
        {"a\xC0\xAF" "b", "a?b", "a?b"},
        {"a\xE2\x82" "b", "a?b", "a?b"}, // cut short
    };
    for (const auto& c : cases)
        EXPECT_EQ(DisplayToOem(c.in), c.byIconv) << c.in;
    std::thread([&] { // a thread whose descriptor is not open yet
        const IconvOpener system = IconvOpenSource();
        IconvOpenSource() = [](const char*, const char*) { return reinterpret_cast<iconv_t>(-1); };
        for (const auto& c : cases)
            EXPECT_EQ(DisplayToOem(c.in), c.byTable) << c.in;
        IconvOpenSource() = system;
        for (const auto& c : cases)
            EXPECT_EQ(DisplayToOem(c.in), c.byIconv) << c.in;
    }).join();
}

TEST_F(CodePages, WindowsTextForCadFiles)
{
    EXPECT_EQ(OemToCp1252("\x81\x94\xE1\xF8\xFD"), "\xFC\xF6\xDF\xB0\xB2");
    EXPECT_EQ(OemToCp1252("\xC9\xCD\xBB\xBA\xC4"), "+-+|-");
    EXPECT_EQ(Cp1252ToOem("\xFC\xF6\xDF\xB0\xB2"), "\x81\x94\xE1\xF8\xFD");

    const std::string text = "\x84 20\xF8";
    settings::CadTextMode = 1;
    EXPECT_EQ(CadText(text), text);
    settings::CadTextMode = 2;
    EXPECT_EQ(CadText(text), "\xE4 20\xB0");
    settings::CadTextMode = 3;
    EXPECT_EQ(CadText(text), "ae 20deg");
    settings::CadTextMode = 9;
    EXPECT_EQ(CadText(text), text);
}

TEST_F(CodePages, OwnTableAfterAsciiSpelling)
{
    EXPECT_EQ(OemToAscii("\x81\x84\x8E\xE1\xF1\xF8\xFD\xCD\x87"), "ueaeAess+/-deg2-\x87");
    settings::CharConversion = 1;
    // ü is spelt out first; "|" stands for ã; box corners become "+"
    EXPECT_EQ(OemToDisplay("\x81|\xA1\xC9\xBA\xFC\x87"), "ueãí+|³ç");
    EXPECT_EQ(OemToCp1252("|\xA1"), "\xE3\xED");
}

TEST(Strings, Padding)
{
    EXPECT_EQ(PadRight("abc", 5), "abc  ");
    EXPECT_EQ(PadRight("abcdef", 3), "abc");
    EXPECT_EQ(PadLeft("  ab ", 5), "   ab");
    EXPECT_EQ(PadLeft("abcdef", 3), "abc");
    EXPECT_EQ(PadRightAtBlank("ab cd", 10), "ab cd     "); // fits: no cut
    EXPECT_EQ(PadRightAtBlank("ab cd efgh", 7), "ab cd");
    EXPECT_EQ(PadRightAtBlank(" abcdefgh", 4), " abc"); // blank at position 1
    EXPECT_EQ(PadRightAtBlank("abcdefgh", 4), "abcd");
}

TEST(Strings, Pieces)
{
    EXPECT_EQ(LeftStr("abc", 5), "abc");
    EXPECT_EQ(RightStr("abcdef", 2), "ef");
    EXPECT_EQ(RightStr("ab", 5), "ab");
    std::string d = "0123456789";
    OverwriteStr("ab", d, 9);
    EXPECT_EQ(d, "01234567ab");
    OverwriteStr("ab", d, 10); // would not fit wholly
    EXPECT_EQ(d, "01234567ab");
    OverwriteStr("x", d, 0);
    EXPECT_EQ(d, "01234567ab");
    EXPECT_EQ(TrimBlanks("  a b  "), "a b");
    EXPECT_EQ(TrimBlanks("   "), "");
    EXPECT_EQ(RemoveBlanks(" a b "), "ab");
    EXPECT_EQ(LastPos("ab", "xabyab"), 5);
    EXPECT_EQ(LastPos("q", "xab"), 0);
    EXPECT_EQ(CommaToPoint("1,5,2"), "1.5.2");
    EXPECT_EQ(PointToComma("1.5"), "1,5");
    EXPECT_EQ(CountChar('|', "a|b|c|"), 3);
    EXPECT_EQ(UpperStr("ab\x81z"), "AB\x81Z");
    EXPECT_EQ(LowerStr("AB\x9AZ"), "ab\x9Az");
}

TEST(Strings, Abbreviations)
{
    std::string name20 = "abcdefghijklmnopqrst";
    EXPECT_EQ(AbbreviateStr(name20, 12), "abcd__qrst");
    EXPECT_EQ(AbbreviateStr(name20, 20), name20); // fits exactly: unchanged
    EXPECT_EQ(AbbreviateStr(name20, 8), "abcdefgh");
    std::string s40(40, 'x');
    s40[0] = 'A';
    s40[39] = 'Z';
    std::string shortened = ShortenText(s40, 20);
    EXPECT_EQ(shortened.size(), 20u);
    EXPECT_EQ(shortened.substr(0, 12), "Axxxxxx ... ");
    EXPECT_EQ(shortened.back(), 'Z');
    EXPECT_EQ(ShortenText("abc", 3), "abc");
    EXPECT_EQ(ShortenText("abcdefgh", 2), " ... h");
}

TEST(Strings, WrapTextGivesAllLines)
{
    settings::InitSettings();
    int width = 0;
    // the break is sought from position MaxLen - 1 down, so a blank at
    // position MaxLen does not count
    auto lines = WrapText("aaa bbb ccc ddd", ' ', 8, width);
    EXPECT_EQ(lines, (std::vector<std::string>{"aaa ", "bbb ", "ccc ddd"}));
    EXPECT_EQ(width, 7);
    lines = WrapText("aaa bbb ccc ddd", ' ', 9, width);
    EXPECT_EQ(lines, (std::vector<std::string>{"aaa bbb ", "ccc ddd"}));

    lines = WrapText("abcdefghij", ' ', 4, width); // no break character
    EXPECT_EQ(lines, (std::vector<std::string>{"abcd", "efgh", "ij"}));

    std::string longText;
    for (int k = 0; k < 30; ++k)
        longText += "word" + std::to_string(k) + " ";
    lines = WrapText(longText, ' ', 20, width);
    EXPECT_GT(lines.size(), 5u);
    std::string joined;
    for (auto& l : lines) {
        EXPECT_LE(l.size(), 20u);
        joined += l;
    }
    EXPECT_EQ(joined, longText);
    EXPECT_EQ(settings::WrapLines[1], lines[0]);
    EXPECT_EQ(settings::WrapLines[5], lines[4]);

    lines = WrapText("", ' ', 10, width);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(width, 1);
    EXPECT_EQ(WrapText("abc", ' ', 0, width).size(), 3u); // a width below 1 counts as 1
}
