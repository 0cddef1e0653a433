// Index keys: the key of a record, the search key of Find and comparisons.
// Character keys are folded in the engine's text (cp1252), padded or cut to
// the key length and then stored in the table's character set.
#include "dbase/engine/codepage.h"
#include "dbase/engine/engine_dates.h"
#include "dbase/engine/keys_date.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/keys.h"
#include "dbase/engine/keys_text.h"
#include "dbase/ndx/ndx_internal.h"

namespace kt4::dbase::ndx {

namespace {

std::string DoubleKey(double v)
{
    const DoubleKeyBytes b = DoubleToKeyBytes(v);
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

void Fit(std::string& key, std::size_t len, char pad)
{
    if (key.size() > len)
        key.resize(len);
    else
        key.append(len - key.size(), pad);
}

void Complement(std::string& key, std::size_t len)
{
    for (std::size_t i = 0; i < key.size() && i < len; ++i)
        key[i] = char(~static_cast<unsigned char>(key[i]));
}

std::string MakerText(TWorkArea& a, Descriptor& d)
{
    std::string text = d.keyMaker ? d.keyMaker(d.keyData, d.order) : std::string();
    if (a.oem)
        text = AnsiToOem(text);
    if (d.soundex)
        text = Soundex(text);
    return text;
}

} // namespace

int CompareKeys(const Descriptor& d, const std::uint8_t* a, const std::uint8_t* b, std::size_t len)
{
    if (d.CharKey())
        return CompareBytes(a, b, len);
    return DoubleKeyOrder(KeyBytesToDouble(a), KeyBytesToDouble(b));
}

std::string BlankKey(const Descriptor& d)
{
    return d.CharKey() ? std::string(d.hdr.keyLen, ' ') : DoubleKey(0.0);
}

std::string RecordKey(TWorkArea& a, Descriptor& d)
{
    const std::size_t len = d.hdr.keyLen;
    if (d.keyMaker || !d.compiled) {
        std::string key = MakerText(a, d);
        Fit(key, len, ' ');
        if (d.descending)
            Complement(key, len);
        return key;
    }
    TExpr& e = *d.compiled;
    Evaluate(e);
    if (!d.CharKey())
        return DoubleKey(e.Failed() ? 0.0 : e.Number());
    std::string key = FoldCharKey(e.Text(), len);
    Fit(key, len, ' ');
    if (a.oem)
        AnsiToOemBytes(reinterpret_cast<std::uint8_t*>(key.data()), key.size());
    return key;
}

bool ReadKeyNumber(const std::string& text, double& value)
{
    std::string t = AllTrim(text);
    if (t.find(',') != std::string::npos && t.find('.') == std::string::npos)
        t[t.find(',')] = '.';
    return ParseFileNumber(t, value);
}

bool SearchKey(TWorkArea& a, Descriptor& d, const std::string& text, bool exact, std::string& key,
               std::size_t& compareLen)
{
    const std::size_t len = d.hdr.keyLen;
    if (d.keyMaker || !d.compiled) {
        key = a.oem ? AnsiToOem(text) : text;
        if (exact)
            Fit(key, len, ' ');
        if (d.soundex)
            key = Soundex(key);
        if (key.size() > len)
            key.resize(len);
        compareLen = exact ? len : key.size();
        if (d.descending)
            Complement(key, len);
        Fit(key, len, '\0');
        return true;
    }
    compareLen = 8;
    if (d.type == 'D') {
        key = DoubleKey(DateTextToJulian(text));
        return true;
    }
    if (d.type != 'C') {
        double v = 0;
        if (!ReadKeyNumber(text, v))
            return false;
        key = DoubleKey(v);
        return true;
    }
    std::string folded = FoldCharKey(exact ? PadRight(text, int(len)) : text, len);
    compareLen = exact ? len : folded.size();
    Fit(folded, len, exact ? ' ' : '\0');
    if (a.oem)
        AnsiToOemBytes(reinterpret_cast<std::uint8_t*>(folded.data()), folded.size());
    key = std::move(folded);
    return true;
}

namespace {

std::uint64_t Load64(const std::uint8_t* p)
{
    std::uint64_t x;
    std::memcpy(&x, p, 8);
    return x;
}

// The bytes a folded key never holds, in the table's character set: those
// the folding changes (capitals, umlauts, sharp s).
std::array<std::uint8_t, 256> UnfoldedBytes(bool oem)
{
    std::array<std::uint8_t, 256> bad{};
    for (int b = 1; b < 256; ++b) {
        std::string c(1, char(b));
        if (oem)
            c = OemToAnsi(c);
        bad[std::size_t(b)] = FoldCharKey(c, 2) != c;
    }
    return bad;
}

// The high bit of each of the eight bytes that is a capital A-Z or above
// 0x7F: bytes that may be unfolded.
inline std::uint64_t MaybeUnfolded(std::uint64_t x)
{
    constexpr std::uint64_t ones = 0x0101010101010101u, high = ones * 0x80, low = ones * 0x7F;
    const std::uint64_t ascii = x & low;
    const std::uint64_t fromA = ascii + ones * (0x80 - 'A');     // high bit: byte >= 'A'
    const std::uint64_t pastZ = ascii + ones * (0x80 - 'Z' - 1); // high bit: byte > 'Z'
    return ((fromA & ~pastZ) | x) & high;
}

} // namespace

bool KeysFolded(const Descriptor& d, const NodeView& node)
{
    static const std::array<std::uint8_t, 256> ansi = UnfoldedBytes(false), oem = UnfoldedBytes(true);
    const std::uint8_t* bad = (d.oemKeys ? oem : ansi).data();
    const std::size_t len = d.hdr.keyLen;
    const unsigned n = node.Count();
    // Eight bytes at a time (the last eight of a key overlapping); only
    // when a byte may be unfolded are the bytes looked up one by one.
    std::uint64_t maybe = 0;
    if (len >= 8 && len <= 16) {
        // Sixteen bytes from each key's start, which lie within the page
        // for keys of 8 to 16 bytes (a node holds no more than fit).
        // Per byte position: the bytes ORed (a high bit set: a byte above
        // 0x7F) and the least byte less 'A' (below 26: a capital).
        using Bytes = std::uint8_t __attribute__((vector_size(16)));
        static const auto masks = [] {
            std::array<Bytes, 17> m{}; // bytes len.. set
            for (std::size_t l = 0; l <= 16; ++l)
                for (std::size_t j = l; j < 16; ++j)
                    m[l][j] = 0xFF;
            return m;
        }();
        const Bytes beyond = masks[len];
        Bytes high{}, least = beyond | 0xFF;
        for (unsigned i = 0; i < n; ++i) {
            Bytes v;
            std::memcpy(&v, node.Key(i), 16);
            v |= beyond;
            high |= v;
            const Bytes t = v - 'A';
            least = least < t ? least : t;
        }
        high = (high & ~beyond) >> 7;
        const Bytes capital = least < 26;
        std::uint64_t half[4];
        std::memcpy(half, &high, 16);
        std::memcpy(half + 2, &capital, 16);
        maybe = half[0] | half[1] | half[2] | half[3];
    } else {
        for (unsigned i = 0; i < n; ++i) {
            const std::uint8_t* key = node.Key(i);
            for (std::size_t j = 0; j + 8 <= len; j += 8)
                maybe |= MaybeUnfolded(Load64(key + j));
            if (len >= 8) {
                maybe |= MaybeUnfolded(Load64(key + len - 8));
            } else {
                std::uint64_t x = 0;
                std::memcpy(&x, key, len);
                maybe |= MaybeUnfolded(x);
            }
        }
    }
    if (maybe == 0)
        return true;
    for (unsigned i = 0; i < n; ++i) {
        const std::uint8_t* key = node.Key(i);
        for (std::size_t j = 0; j < len; ++j)
            if (bad[key[j]])
                return false;
    }
    return true;
}

std::string KeyText(TWorkArea& a, Descriptor& d, const std::string& key)
{
    if (d.CharKey()) {
        std::string k = key;
        if (d.descending)
            Complement(k, k.size());
        return a.oem ? OemToAnsi(k) : k;
    }
    const double v = KeyBytesToDouble(reinterpret_cast<const std::uint8_t*>(key.data()));
    if (d.type == 'D')
        return JulianToDateText(v);
    const int width = d.compiled && d.compiled->Width() > 0 ? d.compiled->Width() : 10;
    const int decimals = d.compiled ? d.compiled->Decimals() : 0;
    return FloatToText(width, decimals, v);
}

} // namespace kt4::dbase::ndx
