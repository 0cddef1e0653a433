#include "foundation/codepage.h"

#include "foundation/settings.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace kt4 {

namespace {

constexpr const char* OemCharset = "IBM850";
constexpr const char* WindowsCharset = "CP1252";

// One conversion descriptor; unconvertible or malformed input becomes "?".
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)), utf8In_(std::string(from) == "UTF-8") {}
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

// Converts each of the 256 bytes once.
std::array<std::string, 256> ByteTable(const char* to, const char* from)
{
    std::array<std::string, 256> t;
    Iconv cv(to, from);
    for (int b = 0; b < 256; ++b) {
        std::string in(1, static_cast<char>(b));
        if (b < 128 || !cv.Run(in, t[b]) || t[b].empty())
            t[b] = b < 128 ? in : std::string("?");
    }
    return t;
}

const std::array<std::string, 256>& OemToUtf8Table()
{
    static const auto t = ByteTable("UTF-8", OemCharset);
    return t;
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
        auto table = ByteTable(WindowsCharset, OemCharset);
        for (int b = 128; b < 256; ++b)
            if (char c = BoxLineAscii(static_cast<unsigned char>(b)))
                table[b] = std::string(1, c);
        return table;
    }();
    return t;
}

const std::array<std::string, 256>& Cp1252ToOemTable()
{
    static const auto t = ByteTable(OemCharset, WindowsCharset);
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

std::string Utf8Of(std::uint32_t cp)
{
    if (cp < 0x80)
        return std::string(1, static_cast<char>(cp));
    // the own table only holds Latin-1 characters
    return {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))};
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
    thread_local Iconv cv((std::string(OemCharset) + "//TRANSLIT").c_str(), "UTF-8");
    std::string out;
    cv.Run(S, out);
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
