#include "foundation/codepage.h"

#include "foundation/settings.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <memory>

namespace kt4 {

IconvOpener& IconvOpenSource()
{
    static IconvOpener opener = &iconv_open;
    return opener;
}

namespace {

constexpr const char* OemCharset = "IBM850";

// One conversion descriptor; unconvertible or malformed input becomes "?".
class Iconv {
public:
    Iconv(const char* to, const char* from)
        : cd_(IconvOpenSource()(to, from)), utf8In_(std::string(from) == "UTF-8")
    {
    }
    ~Iconv()
    {
        if (Valid())
            iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // False when nothing of the input could be converted as it stands.
    bool Run(const std::string& in, std::string& out)
    {
        out.clear();
        if (!Valid())
            return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string buf(in.size() * 4 + 16, '\0');
        char* inp = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char* outp = buf.data();
        std::size_t outLeft = buf.size();
        auto grow = [&] {
            std::size_t used = static_cast<std::size_t>(outp - buf.data());
            buf.resize(buf.size() * 2);
            outp = buf.data() + used;
            outLeft = buf.size() - used;
        };
        bool clean = true;
        while (inLeft > 0) {
            if (iconv(cd_, &inp, &inLeft, &outp, &outLeft) != static_cast<std::size_t>(-1))
                continue;
            if (errno == E2BIG) {
                grow();
                continue;
            }
            // a malformed or unconvertible character: one "?" for it
            clean = false;
            if (outLeft == 0)
                grow();
            *outp++ = '?';
            --outLeft;
            ++inp;
            --inLeft;
            while (utf8In_ && inLeft > 0 && (static_cast<unsigned char>(*inp) & 0xC0) == 0x80) {
                ++inp;
                --inLeft;
            }
        }
        buf.resize(static_cast<std::size_t>(outp - buf.data()));
        out = std::move(buf);
        return clean;
    }

private:
    iconv_t cd_;
    bool utf8In_;
};

// The characters of code page 850 from 128 on, as Unicode code points
// (the code page's published table; the lower half is ASCII). The byte
// tables are made of it, so that no conversion depends on iconv opening,
// which needs descriptors a run may not have.
constexpr std::array<char16_t, 128> Oem850Upper = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, // 90
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, // A0
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, // B0
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510, // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3, // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, // C8
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE, // D0
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580, // D8
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, // E0
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4, // E8
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8, // F0
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0, // F8
};

// The Unicode character of an OEM byte.
char32_t OemChar(unsigned char b) { return b < 128 ? b : Oem850Upper[b - 128]; }

// The OEM byte of a Unicode character; false when code page 850 has none.
bool OemByteOf(char32_t c, unsigned char& b)
{
    for (int k = 0; k < 256; ++k)
        if (OemChar(static_cast<unsigned char>(k)) == c) {
            b = static_cast<unsigned char>(k);
            return true;
        }
    return false;
}

// The Unicode character of a Windows (1252) byte, as far as code page 850
// holds it: 0xA0 to 0xFF are Latin-1, and of 0x80 to 0x9F code page 850
// holds "ƒ" (0x83) alone; U+FFFD, which it has not, for the others.
char32_t Cp1252CharIn850(unsigned char b)
{
    if (b < 0x80 || b >= 0xA0)
        return b;
    return b == 0x83 ? 0x0192 : 0xFFFD;
}

std::string Utf8Of(char32_t cp)
{
    if (cp < 0x80)
        return std::string(1, static_cast<char>(cp));
    if (cp < 0x800)
        return {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))};
    return {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
            static_cast<char>(0x80 | (cp & 0x3F))};
}

const std::array<std::string, 256>& OemToUtf8Table()
{
    static const auto t = [] {
        std::array<std::string, 256> table;
        for (int b = 0; b < 256; ++b)
            table[b] = Utf8Of(OemChar(static_cast<unsigned char>(b)));
        return table;
    }();
    return t;
}

// UTF-8 to OEM by the table, for when iconv cannot be opened: what code
// page 850 lacks, and each malformed sequence, becomes one "?".
std::string TableToOem(const std::string& S)
{
    std::string out;
    out.reserve(S.size());
    for (std::size_t k = 0; k < S.size();) {
        const unsigned char lead = static_cast<unsigned char>(S[k]);
        const std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        char32_t cp = n == 1 ? lead : n == 2 ? lead & 0x1F : n == 3 ? lead & 0x0F : lead & 0x07;
        bool whole = n > 0 && n <= S.size() - k && lead < 0xF5;
        for (std::size_t j = 1; whole && j < n; ++j) {
            const unsigned char next = static_cast<unsigned char>(S[k + j]);
            whole = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        whole = whole && cp >= (n == 3 ? 0x800u : n == 4 ? 0x10000u : 0u); // no overlong form
        unsigned char b = '?';
        if (!whole) {
            ++k;
            while (k < S.size() && (static_cast<unsigned char>(S[k]) & 0xC0) == 0x80)
                ++k;
        } else {
            k += n;
            if (!OemByteOf(cp, b))
                b = '?';
        }
        out += static_cast<char>(b);
    }
    return out;
}

// Box lines of the OEM page, approximated where Windows text has none.
char BoxLineAscii(unsigned char b)
{
    switch (b) {
    case 179: case 186:
        return '|';
    case 196: case 205:
        return '-';
    case 180: case 185: case 187: case 188: case 191: case 192: case 193: case 194: case 195:
    case 197: case 200: case 201: case 202: case 203: case 204: case 206: case 217: case 218:
        return '+';
    default:
        return 0;
    }
}

const std::array<std::string, 256>& OemToCp1252Table()
{
    static const auto t = [] {
        std::array<std::string, 256> table;
        table.fill(std::string(1, '?'));
        for (int w = 0; w < 256; ++w)
            if (unsigned char b = 0; OemByteOf(Cp1252CharIn850(static_cast<unsigned char>(w)), b))
                table[b] = std::string(1, static_cast<char>(w));
        for (int b = 128; b < 256; ++b)
            if (char c = BoxLineAscii(static_cast<unsigned char>(b)))
                table[b] = std::string(1, c);
        return table;
    }();
    return t;
}

const std::array<std::string, 256>& Cp1252ToOemTable()
{
    static const auto t = [] {
        std::array<std::string, 256> table;
        for (int w = 0; w < 256; ++w) {
            unsigned char b = '?';
            if (!OemByteOf(Cp1252CharIn850(static_cast<unsigned char>(w)), b))
                b = '?';
            table[w] = std::string(1, static_cast<char>(b));
        }
        return table;
    }();
    return t;
}

std::string MapBytes(const std::string& S, const std::array<std::string, 256>& table)
{
    std::string out;
    out.reserve(S.size() + S.size() / 4);
    for (unsigned char b : S)
        out += table[b];
    return out;
}

// Spelt-out ASCII for OEM codes (OemToAscii).
const char* AsciiSpelling(unsigned char b)
{
    switch (b) {
    case 129: return "ue";
    case 130: return "e";
    case 132: return "ae";
    case 142: return "Ae";
    case 148: return "oe";
    case 153: return "Oe";
    case 154: return "Ue";
    case 160: return "a";
    case 163: return "u";
    case 164: return "n";
    case 196: case 205: return "-";
    case 225: return "ss";
    case 230: return "u";
    case 241: return "+/-";
    case 248: return "deg";
    case 253: return "2";
    default: return nullptr;
    }
}

// The program's own display table (CharConversion 1): OEM code to a
// Unicode character, 0 where the code is not in the table.
std::uint32_t OwnTableChar(unsigned char b)
{
    switch (b) {
    case 124: return 0xE3; // stored "|" stands for ã
    case 129: return 0xFC;
    case 130: return 0xE9;
    case 132: return 0xE4;
    case 134: return 0xE5;
    case 142: return 0xC4;
    case 143: return 0xC5;
    case 148: return 0xF6;
    case 153: return 0xD6;
    case 154: return 0xDC;
    case 160: return 0xE1;
    case 161: return 0xED;
    case 162: return 0xF3;
    case 163: return 0xFA;
    case 164: return 0xF1;
    case 179: case 180: case 181: case 182: case 185: case 186: case 195: case 197: case 198:
    case 199: case 204: case 209: case 215:
        return '|';
    case 184: case 187: case 188: case 190: case 191: case 192: case 200: case 201: case 206:
    case 211: case 214: case 217: case 218:
        return '+';
    case 196: case 205: return '-';
    case 225: return 0xDF;
    case 230: return 0xB5;
    case 241: return 0xB1;
    case 248: return 0xB0;
    case 252: return 0xB3;
    case 253: return 0xB2;
    default: return 0;
    }
}

// OemToAscii followed by the own table, into UTF-8 for the screen or into
// single bytes for Windows text (Latin-1 and CP1252 agree on every
// character of the table).
std::string OwnConversion(const std::string& S, bool windowsText)
{
    const auto& fallback = windowsText ? OemToCp1252Table() : OemToUtf8Table();
    std::string out;
    for (unsigned char b : OemToAscii(S)) {
        std::uint32_t cp = OwnTableChar(b);
        if (cp == 0)
            out += fallback[b];
        else if (windowsText)
            out += static_cast<char>(cp);
        else
            out += Utf8Of(cp);
    }
    return out;
}

} // namespace

std::string OemToDisplay(const std::string& S)
{
    if (settings::CharConversion == 1)
        return OwnConversion(S, false);
    return MapBytes(S, OemToUtf8Table());
}

std::string DisplayToOem(const std::string& S)
{
    // iconv spells out what code page 850 lacks ("€" -> "EUR"); until it
    // can be opened (a run without a descriptor left), each call tries
    // again and the table converts meanwhile
    thread_local std::unique_ptr<Iconv> cv;
    if (!cv || !cv->Valid())
        cv = std::make_unique<Iconv>((std::string(OemCharset) + "//TRANSLIT").c_str(), "UTF-8");
    if (!cv->Valid())
        return TableToOem(S);
    std::string out;
    cv->Run(S, out);
    return out;
}

std::string OemMissingChars(const std::string& S)
{
    std::string missing;
    for (std::size_t k = 0; k < S.size();) {
        const unsigned char lead = static_cast<unsigned char>(S[k]);
        std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        n = std::min(n, S.size() - k);
        const std::string c = S.substr(k, n);
        k += n;
        if (lead < 0x80 || MapBytes(DisplayToOem(c), OemToUtf8Table()) == c)
            continue;
        if (missing.find(c) == std::string::npos)
            missing += (missing.empty() ? "" : " ") + c;
    }
    return missing;
}

std::string OemToCp1252(const std::string& S)
{
    if (settings::CharConversion == 1)
        return OwnConversion(S, true);
    return MapBytes(S, OemToCp1252Table());
}

std::string Cp1252ToOem(const std::string& S) { return MapBytes(S, Cp1252ToOemTable()); }

std::string OemToAscii(const std::string& S)
{
    std::string out;
    out.reserve(S.size());
    for (unsigned char b : S) {
        if (const char* t = AsciiSpelling(b))
            out += t;
        else
            out += static_cast<char>(b);
    }
    return out;
}

std::string CadText(const std::string& S)
{
    switch (settings::CadTextMode) {
    case 2:
        return OemToCp1252(S);
    case 3:
        return OemToAscii(S);
    default:
        return S;
    }
}

} // namespace kt4
