#include "dbase/engine/codepage.h"

#include <algorithm>
#include <array>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>

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

namespace {

// Header marks and the code pages they name.
struct MarkPage {
    std::uint8_t mark;
    std::uint16_t page;
};
constexpr MarkPage kMarks[] = {
    {0x01, 437},   {0x02, 850},   {0x03, 1252},  {0x04, 10000}, {0x08, 865},   {0x09, 437},
    {0x0A, 850},   {0x0B, 437},   {0x0D, 437},   {0x0E, 850},   {0x0F, 437},   {0x10, 850},
    {0x11, 437},   {0x12, 850},   {0x13, 932},   {0x14, 850},   {0x15, 437},   {0x16, 850},
    {0x17, 865},   {0x18, 437},   {0x19, 437},   {0x1A, 850},   {0x1B, 437},   {0x1C, 863},
    {0x1D, 850},   {0x1F, 852},   {0x22, 852},   {0x23, 852},   {0x24, 860},   {0x25, 850},
    {0x26, 866},   {0x37, 850},   {0x40, 852},   {0x4D, 936},   {0x4E, 949},   {0x4F, 950},
    {0x50, 874},   {0x57, 1252},  {0x58, 1252},  {0x59, 1252},  {0x64, 852},   {0x65, 866},
    {0x66, 865},   {0x67, 861},   {0x68, 895},   {0x69, 620},   {0x6A, 737},   {0x6B, 857},
    {0x6C, 863},   {0x78, 950},   {0x79, 949},   {0x7A, 936},   {0x7B, 932},   {0x7C, 874},
    {0x7D, 1255},  {0x7E, 1256},  {0x86, 737},   {0x87, 852},   {0x88, 857},   {0x96, 10007},
    {0x97, 10029}, {0x98, 10006}, {0xC8, 1250},  {0xC9, 1251},  {0xCA, 1254},  {0xCB, 1253},
    {0xCC, 1257},
};

// The converter's name of a single-byte page; "" for the multi-byte ones.
std::string CharsetName(std::uint16_t page)
{
    switch (page) {
    case 932: case 936: case 949: case 950:
        return "";
    case 10000:
        return "MACINTOSH";
    case 10007:
        return "MAC-CYRILLIC";
    case 10029:
        return "MAC-CENTRALEUROPE";
    case 10006:
        return "MAC-GREEK";
    default:
        return "CP" + std::to_string(page);
    }
}

// The character of every byte of a single-byte page (0: none); false when
// the converter does not know the page.
bool CharsOf(const std::string& charset, std::array<char32_t, 256>& chars)
{
    if (charset.empty())
        return false;
    iconv_t cd = iconv_open("UTF-32LE", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    for (int b = 0; b < 256; ++b) {
        chars[std::size_t(b)] = b < 128 ? char32_t(b) : 0;
        if (b < 128)
            continue;
        char in = char(b);
        unsigned char out[8] = {};
        char* inp = &in;
        char* outp = reinterpret_cast<char*>(out);
        std::size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        // a page that composes characters holds a letter back until the end
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != std::size_t(-1) &&
            iconv(cd, nullptr, nullptr, &outp, &outLeft) != std::size_t(-1) && sizeof out - outLeft == 4)
            chars[std::size_t(b)] = char32_t(out[0] | out[1] << 8 | out[2] << 16 | char32_t(out[3]) << 24);
    }
    iconv_close(cd);
    return true;
}

// Stored byte -> base byte: a character both pages hold goes to itself,
// a byte that neither side's characters claim stays (or, given former, each
// other byte keeps its place there where that is free), the rest are paired
// in order. Bijective.
std::array<std::uint8_t, 256> PairWithBase(const std::array<char32_t, 256>& page,
                                           const std::array<char32_t, 256>& base,
                                           const std::array<std::uint8_t, 256>* former = nullptr)
{
    std::array<std::uint8_t, 256> to{};
    std::array<bool, 256> mapped{}, used{};
    for (int b = 0; b < 128; ++b) {
        to[std::size_t(b)] = std::uint8_t(b);
        mapped[std::size_t(b)] = used[std::size_t(b)] = true;
    }
    for (int p = 128; p < 256; ++p) {
        const char32_t c = page[std::size_t(p)];
        for (int b = 128; c != 0 && b < 256; ++b)
            if (base[std::size_t(b)] == c && !used[std::size_t(b)]) {
                to[std::size_t(p)] = std::uint8_t(b);
                mapped[std::size_t(p)] = used[std::size_t(b)] = true;
                break;
            }
    }
    for (int p = 128; p < 256; ++p) {
        const std::uint8_t b = former ? (*former)[std::size_t(p)] : std::uint8_t(p);
        if (!mapped[std::size_t(p)] && !used[b]) {
            to[std::size_t(p)] = b;
            mapped[std::size_t(p)] = used[b] = true;
        }
    }
    int next = 128;
    for (int p = 128; p < 256; ++p) {
        if (mapped[std::size_t(p)])
            continue;
        while (used[std::size_t(next)])
            ++next;
        to[std::size_t(p)] = std::uint8_t(next);
        used[std::size_t(next)] = true;
    }
    return to;
}

const std::array<char32_t, 256>& Chars1252()
{
    static const auto chars = [] {
        std::array<char32_t, 256> c{};
        CharsOf("CP1252", c);
        return c;
    }();
    return chars;
}

const std::array<char32_t, 256>& Chars850()
{
    static const auto chars = [] {
        std::array<char32_t, 256> c{};
        CharsOf("CP850", c);
        return c;
    }();
    return chars;
}

// The page with its stage, its engine bytes and their characters.
std::unique_ptr<TableCodePage> MakePage(std::uint16_t number, const std::array<char32_t, 256>& chars,
                                        bool oem)
{
    auto page = std::make_unique<TableCodePage>();
    TableCodePage& p = *page;
    p.number = number;
    p.oem = oem;
    p.toBase = PairWithBase(chars, oem ? Chars850() : Chars1252());
    for (int b = 0; b < 256; ++b)
        p.formerBase[std::size_t(b)] = std::uint8_t(b);
    if (oem) {
        // A character of 1252 goes to the 850 byte the engine's text shows
        // as it; the bytes it takes from others are given anew.
        std::array<char32_t, 256> shown{};
        for (int b = 0; b < 256; ++b)
            shown[std::size_t(b)] = Chars1252()[OemToAnsiChar(std::uint8_t(b))];
        const std::array<std::uint8_t, 256> former = p.toBase;
        p.toBase = PairWithBase(chars, shown, &former);
        for (int b = 0; b < 256; ++b) {
            p.formerBase[p.toBase[std::size_t(b)]] = former[std::size_t(b)];
            p.moved |= former[std::size_t(b)] != p.toBase[std::size_t(b)];
        }
    }
    for (int b = 0; b < 256; ++b) {
        p.fromBase[p.toBase[std::size_t(b)]] = std::uint8_t(b);
        p.staged |= p.toBase[std::size_t(b)] != b;
        const std::uint8_t base = p.toBase[std::size_t(b)];
        p.toEngine[std::size_t(b)] = oem ? OemToAnsiChar(base) : base;
        p.toStored[p.toEngine[std::size_t(b)]] = std::uint8_t(b);
    }
    p.windowsText = true;
    for (int e = 0; e < 256; ++e) {
        const char32_t c = chars[p.toStored[std::size_t(e)]];
        p.charOf[std::size_t(e)] = c;
        p.heldAs1252[std::size_t(e)] = c == Chars1252()[std::size_t(e)];
        p.windowsText &= p.heldAs1252[std::size_t(e)];
        if (c != 0)
            p.byChar.emplace_back(c, std::uint8_t(e));
    }
    std::sort(p.byChar.begin(), p.byChar.end());
    return page;
}

std::mutex gPagesMutex;

// The page numbered; nullptr when the engine cannot convert it.
const TableCodePage* PageNumbered(std::uint16_t number, bool oem)
{
    static std::map<std::pair<std::uint16_t, bool>, std::unique_ptr<TableCodePage>> pages;
    std::lock_guard<std::mutex> lock(gPagesMutex);
    auto it = pages.find({number, oem});
    if (it == pages.end()) {
        std::array<char32_t, 256> chars{};
        std::unique_ptr<TableCodePage> page;
        if (CharsOf(CharsetName(number), chars))
            page = MakePage(number, chars, oem);
        it = pages.emplace(std::make_pair(number, oem), std::move(page)).first;
    }
    return it->second.get();
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The next character of UTF-8 text at i (U+FFFD for a malformed sequence).
char32_t NextChar(std::string_view s, std::size_t& i)
{
    const unsigned char lead = static_cast<unsigned char>(s[i++]);
    if (lead < 0x80)
        return lead;
    const int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (more < 0)
        return 0xFFFD;
    char32_t c = lead & (0x3F >> more);
    for (int k = 0; k < more; ++k) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            return 0xFFFD;
        c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    }
    return c;
}

// A character named in a message: itself, or the code of a byte that none stands for.
void AddLacking(std::string& lacking, char32_t c, std::uint8_t byte)
{
    std::string one;
    if (c != 0)
        AppendUtf8(one, c);
    else
        one = "0x" + std::string(1, "0123456789ABCDEF"[byte >> 4]) + "0123456789ABCDEF"[byte & 15];
    if ((" " + lacking + " ").find(" " + one + " ") == std::string::npos)
        lacking += (lacking.empty() ? "" : " ") + one;
}

} // namespace

int TableCodePage::EngineByteOf(char32_t c) const
{
    if (c < 0x80)
        return int(c);
    auto it = std::lower_bound(byChar.begin(), byChar.end(), std::make_pair(c, std::uint8_t(0)));
    return it != byChar.end() && it->first == c ? int(it->second) : -1;
}

const TableCodePage& OemCodePage()
{
    static const TableCodePage* page = PageNumbered(850, true);
    return *page;
}

const TableCodePage& AnsiCodePage()
{
    static const TableCodePage* page = PageNumbered(1252, false);
    return *page;
}

const TableCodePage* CodePageOfMark(std::uint8_t mark, std::uint16_t& refused)
{
    refused = 0;
    for (const MarkPage& m : kMarks) {
        if (m.mark != mark)
            continue;
        if (m.page == 850)
            return &OemCodePage();
        if (m.page == 1252)
            return &AnsiCodePage();
        const TableCodePage* page = PageNumbered(m.page, !IsAnsiCodePageMark(mark));
        if (!page)
            refused = m.page;
        return page;
    }
    return nullptr;
}

std::string CharsLackedAs1252(const TableCodePage& page, std::string_view text)
{
    std::string lacking;
    for (unsigned char b : text)
        if (!page.heldAs1252[b])
            AddLacking(lacking, Chars1252()[b], b);
    return lacking;
}

std::string LackingCharsText(const std::string& lacking, const std::string& where, int page,
                             const std::string& operation)
{
    std::string text = "Zeichen nicht darstellbar: " + lacking;
    if (!where.empty())
        text += " " + where;
    text += " (Codepage " + std::to_string(page) + ")";
    if (!operation.empty())
        text += " [" + operation + "]";
    return text;
}

bool ConvertTableText(const TableCodePage& from, const TableCodePage& to, std::string& text,
                      std::string& lacking)
{
    lacking.clear();
    if (&from == &to)
        return true;
    std::string out = text;
    for (char& ch : out) {
        const unsigned char b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            continue;
        const char32_t c = from.charOf[b];
        const int e = c == 0 ? -1 : to.EngineByteOf(c);
        if (e < 0)
            AddLacking(lacking, c, b);
        else
            ch = char(e);
    }
    if (!lacking.empty())
        return false;
    text = std::move(out);
    return true;
}

std::string TableTextToUtf8(const TableCodePage& page, std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (unsigned char b : text) {
        const char32_t c = page.charOf[b];
        AppendUtf8(out, c != 0 || b == 0 ? c : b < 0xA0 ? char32_t(b) : char32_t(0xFFFD));
    }
    return out;
}

bool Utf8ToTableText(const TableCodePage& page, std::string_view utf8, std::string& out,
                     std::string& lacking)
{
    out.clear();
    lacking.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = NextChar(utf8, i);
        int e = page.EngineByteOf(c);
        if (e < 0 && c >= 0x80 && c < 0xA0 && page.charOf[c] == 0)
            e = int(c); // a code no character stands for, as shown
        if (e < 0)
            AddLacking(lacking, c, 0);
        else
            out += char(e);
    }
    return lacking.empty();
}

std::string TableTextToOem(const TableCodePage& page, std::string_view text, bool& lost)
{
    const TableCodePage& oem = OemCodePage();
    std::string out(text);
    for (char& ch : out) {
        const unsigned char b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            continue;
        const int e = &page == &oem ? int(b) : page.charOf[b] == 0 ? -1 : oem.EngineByteOf(page.charOf[b]);
        if (e < 0) {
            ch = '?';
            lost = true;
        } else {
            ch = char(AnsiToOemChar(std::uint8_t(e)));
        }
    }
    return out;
}

} // namespace kt4::dbase
