#include "cad/dxf_writer.h"

#include "cad/cad_settings.h"
#include "foundation/codepage.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace kt4::cad {

namespace {

constexpr const auto& Pow10 = PowersOfTen;

// DecimalExponent(A) + 1 for A >= 1 (the integer digits), else 0: below
// 1E19 from the powers of ten, compared as doubles: the nearest double
// of A passes a power only when A does, and reaches one from below only
// when A is that power or just below it, which the extended compare
// tells.
int IntDigitsOf(Real A)
{
    static constexpr auto Powers = PowersOfTenAs<double, 20>();
    if (!(A >= 1))
        return 0;
    if (!(A < Pow10[19]))
        return DecimalExponent(A) + 1;
    const double d = static_cast<double>(A);
    int e = 0;
    while (e < 18 && d >= Powers[e + 1])
        ++e;
    if (d == Powers[e] && A < Pow10[e])
        --e;
    return e + 1;
}

// Writes N backwards ending before p, at least one digit; returns the
// first.
char* Digits(char* p, std::uint64_t n)
{
    static constexpr char Pairs[] = "0001020304050607080910111213141516171819"
                                    "2021222324252627282930313233343536373839"
                                    "4041424344454647484950515253545556575859"
                                    "6061626364656667686970717273747576777879"
                                    "8081828384858687888990919293949596979899";
    while (n >= 100) {
        const auto k = static_cast<std::size_t>(n % 100) * 2;
        n /= 100;
        *--p = Pairs[k + 1];
        *--p = Pairs[k];
    }
    if (n >= 10) {
        *--p = Pairs[n * 2 + 1];
        *--p = Pairs[n * 2];
    } else {
        *--p = static_cast<char>('0' + n);
    }
    return p;
}

// FixedStrPoint's rounding (half away from zero, on the exact binary
// value) of |v| to decs decimals, as a whole count of the last decimal,
// for the values drawings have. False for a value whose rounding is close
// to a tie, or out of that range: it takes the exact route.
bool QuickRound(Real v, int decs, std::uint64_t& whole)
{
    const Real a = std::fabs(v);
    if (decs > 9 || !(a < 1E9L))
        return false;
    const Real scaled = a * Pow10[decs]; // below 1E18
    Real frac = 0; // scaled less whole, within a half
    if constexpr (std::numeric_limits<Real>::digits == 64 && std::endian::native == std::endian::little) {
        // 80-bit extended: the sum with 2^63 is rounded to a whole number,
        // and its 64-bit significand is 2^63 plus that number
        const Real sum = scaled + 0x1p63L;
        std::memcpy(&whole, &sum, sizeof whole);
        whole -= std::uint64_t(1) << 63;
        frac = scaled - (sum - 0x1p63L);
    } else {
        whole = static_cast<std::uint64_t>(scaled);
        frac = scaled - static_cast<Real>(whole);
        if (frac > 0.5L) {
            ++whole;
            frac -= 1;
        }
    }
    // within a millionth of a tie: the exact route decides
    return 0.5L - std::fabs(frac) >= 1E-6L;
}

// The length of the text of Whole at decs decimals: at least one digit
// before the point, a sign when Negative.
std::size_t FixedLength(std::uint64_t whole, int decs, bool negative)
{
    static constexpr auto Powers = PowersOfTenAs<std::uint64_t, 20>();
    // the digits of whole from its bit length, one off at most
    const int bits = 64 - std::countl_zero(whole | 1);
    int digits = (bits * 1233) >> 12;
    digits += whole >= Powers[digits];
    return static_cast<std::size_t>(std::max(digits - decs, 1) + (decs > 0 ? decs + 1 : 0) + (negative ? 1 : 0));
}

// The text of Whole at decs decimals (decs after the point, in pairs so
// that every division is by a constant; at least one before it; a sign
// when Negative) written backwards to end before End; returns its first.
char* PutFixed(char* End, std::uint64_t whole, int decs, bool negative)
{
    char* p = End;
    if (decs > 0) {
        int k = decs;
        for (; k >= 2; k -= 2) {
            const auto pair = static_cast<unsigned>(whole % 100);
            whole /= 100;
            *--p = static_cast<char>('0' + pair % 10);
            *--p = static_cast<char>('0' + pair / 10);
        }
        if (k == 1) {
            *--p = static_cast<char>('0' + whole % 10);
            whole /= 10;
        }
        *--p = '.';
    }
    p = Digits(p, whole);
    if (negative)
        *--p = '-';
    return p;
}

// CadFixed's text of v without its leading blanks, written backwards to
// end before End; nullptr where QuickRound leaves it to the exact route.
char* QuickFixed(char* End, Real v, int decs)
{
    std::uint64_t whole = 0;
    if (!QuickRound(v, decs, whole))
        return nullptr;
    return PutFixed(End, whole, decs, v < 0 && whole != 0);
}

// The width CadFixed pads its text to.
std::size_t PaddedWidth(int intDigits, int decs)
{
    return static_cast<std::size_t>(std::max(decs > 0 ? intDigits + decs + 1 : intDigits, 0));
}

void AppendFixed(std::string& out, Real v, int intDigits, int decs)
{
    char buf[24];
    const char* p = QuickFixed(buf + sizeof buf, v, decs);
    if (!p) {
        out += FixedStrPoint(v, intDigits, decs);
        return;
    }
    const auto len = static_cast<std::size_t>(buf + sizeof buf - p);
    const std::size_t pad = PaddedWidth(intDigits, decs);
    if (len < pad)
        out.append(pad - len, ' ');
    out.append(p, len);
}

// What DxfNumber writes: the value, the integer digits it is padded to
// and the decimals.
struct DxfFigure {
    Real v;
    int intDigits;
    int decs;
};

inline DxfFigure ForDxf(Real X, bool Scaled, Real Scale, Integer Decimals)
{
    if (!std::isfinite(X))
        X = 0;
    Real v = Scaled ? X * Scale : X;
    if (!std::isfinite(v))
        v = 0;
    // leading blanks up to the integer digits of the unscaled value
    return {v, IntDigitsOf(std::fabs(X)), std::clamp<int>(Decimals, 0, 32)};
}

// The numbers of a block file: what the block reader replays, the same
// whatever the settings of the DXF and text files say.
constexpr Real BlockScale = 1;
constexpr Integer BlockDecimals = 6;

// A group code of 0..999 right-aligned in three characters, then CR LF.
void PutCode(char* p, int Code)
{
    p[0] = Code >= 100 ? static_cast<char>('0' + Code / 100) : ' ';
    p[1] = Code >= 10 ? static_cast<char>('0' + Code / 10 % 10) : ' ';
    p[2] = static_cast<char>('0' + Code % 10);
    p[3] = '\r';
    p[4] = '\n';
}

} // namespace

std::string CadFixed(Real v, int intDigits, int decs)
{
    std::string out;
    AppendFixed(out, v, intDigits, decs);
    return out;
}

std::string DxfNumber(Real X, bool Scaled)
{
    const DxfFigure f = ForDxf(X, Scaled, CadScale, CadDecimals);
    return CadFixed(f.v, f.intDigits, f.decs);
}

std::string TxtNum(Real X, bool Scaled)
{
    Real v = Scaled ? X * CadScale : X;
    if (!std::isfinite(v))
        v = 0;
    std::string s = CadFixed(v, 0, std::clamp<int>(CadDecimals, 0, 32));
    if (s.size() < 3)
        s.insert(0, 3 - s.size(), ' ');
    if (settings::DecimalPoint == 2)
        std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

std::string DxfSetLayer(int n)
{
    if (CadColorScheme == 0 && n >= 1 && n < NamedLayers && !LayerNames[std::size_t(n)].empty())
        DxfLayerName = BlankControls(LayerNames[std::size_t(n)]);
    else
        DxfLayerName = IntStr(n);
    return DxfLayerName;
}

Real DxfBulge(Real angle) { return std::tan(angle / 4); }

std::string BlankControls(const std::string& S, char Keep)
{
    std::string out = S;
    for (char& c : out)
        if ((static_cast<unsigned char>(c) < 0x20 || c == 0x7F) && !(Keep && c == Keep))
            c = ' ';
    return out;
}

bool DxfWriter::Open(const std::string& Path)
{
    failed_ = false;
    blockNames_.clear();
    style_ = {};
    len_ = 0;
    if (!file_.OpenWrite(Path)) {
        failed_ = true;
        return false;
    }
    return true;
}

bool DxfWriter::Close()
{
    if (!file_.IsOpen())
        return !failed_;
    Pair(0, "EOF");
    Flush();
    if (failed_) {
        file_.Discard();
        return false;
    }
    if (!file_.Close())
        failed_ = true;
    return !failed_;
}

void DxfWriter::Discard()
{
    len_ = 0;
    file_.Discard();
}

void DxfWriter::Flush()
{
    if (!failed_ && len_ > 0) {
        file_.WriteBytes(buf_.get(), len_);
        if (file_.IoError() != 0)
            failed_ = true;
    }
    len_ = 0;
}

char* DxfWriter::Room(std::size_t N)
{
    if (len_ + N > FlushSize + Slack)
        Flush();
    return buf_.get() + len_;
}

void DxfWriter::Put(const char* S, std::size_t N, bool Blanked)
{
    while (N > 0) {
        if (len_ == FlushSize + Slack)
            Flush();
        const std::size_t k = std::min(N, FlushSize + Slack - len_);
        char* const d = buf_.get() + len_;
        std::memcpy(d, S, k);
        if (Blanked) // as BlankControls
            for (std::size_t i = 0; i < k; ++i)
                if (static_cast<unsigned char>(d[i]) < 0x20 || d[i] == 0x7F)
                    d[i] = ' ';
        len_ += k;
        S += k;
        N -= k;
    }
}

void DxfWriter::EndLine()
{
    char* const p = Room(2);
    p[0] = '\r';
    p[1] = '\n';
    len_ += 2;
    if (len_ >= FlushSize)
        Flush();
}

void DxfWriter::Raw(const char* Line)
{
    Put(Line, std::strlen(Line));
    EndLine();
}

void DxfWriter::Code(int Code)
{
    char* p = Room(16);
    if (Code >= 0 && Code < 1000) {
        PutCode(p, Code);
        len_ += 5;
        return;
    }
    char code[16];
    const auto end = std::to_chars(code, code + sizeof code, Code).ptr;
    const auto len = static_cast<std::size_t>(end - code);
    char* const start = p;
    for (std::size_t k = len; k < 3; ++k)
        *p++ = ' ';
    std::memcpy(p, code, len);
    p += len;
    *p++ = '\r';
    *p++ = '\n';
    len_ += static_cast<std::size_t>(p - start);
}

void DxfWriter::Pair(int Code, std::string_view Value)
{
    this->Code(Code);
    Put(Value.data(), Value.size(), true);
    EndLine();
}

void DxfWriter::NumberPair(int Code, Real X, bool Scaled)
{
    const DxfFigure f = blockFile_ ? ForDxf(X, Scaled, BlockScale, BlockDecimals)
                                   : ForDxf(X, Scaled, CadScale, CadDecimals);
    const std::size_t pad = PaddedWidth(f.intDigits, f.decs);
    // the whole pair written at once where the number takes the quick
    // way, its digits straight into the buffer
    std::uint64_t whole = 0;
    if (Code >= 0 && Code < 1000 && pad <= 32 && QuickRound(f.v, f.decs, whole)) {
        const bool negative = f.v < 0 && whole != 0;
        const std::size_t len = FixedLength(whole, f.decs, negative);
        char* p = Room(64);
        char* const start = p;
        PutCode(p, Code);
        p += 5;
        for (std::size_t k = len; k < pad; ++k)
            *p++ = ' ';
        p += len;
        PutFixed(p, whole, f.decs, negative);
        *p++ = '\r';
        *p++ = '\n';
        len_ += static_cast<std::size_t>(p - start);
        if (len_ >= FlushSize)
            Flush();
        return;
    }
    this->Code(Code);
    std::string number;
    AppendFixed(number, f.v, f.intDigits, f.decs);
    Put(number.data(), number.size());
    EndLine();
}

void DxfWriter::Header(Real XMin, Real YMin, Real XMax, Real YMax)
{
    Pair(0, "SECTION");
    Pair(2, "HEADER");
    const char* names[] = {"$EXTMIN", "$EXTMAX", "$LIMMIN", "$LIMMAX"};
    for (int k = 0; k < 4; ++k) {
        Pair(9, names[k]);
        Number(10, k % 2 == 0 ? XMin : XMax);
        Number(20, k % 2 == 0 ? YMin : YMax);
    }
    Pair(9, "$LTSCALE");
    Pair(40, "15");
    Pair(0, "ENDSEC");
}

namespace {

struct LineType {
    const char* name;
    const char* description;
    const char* count;
    const char* length;
    std::initializer_list<const char*> dashes;
};

const LineType LineTypes[] = {
    {"CONTINUOUS", "Ausgezogene Linie", "0", "0.0", {}},
    {"DASHDOT", "--. --. --.-", "4", "1.0", {"0.5", "-0.25", "0.0", "-0.25"}},
    {"DASHED", "- - - - - - ", "2", "0.375", {"0.25", "-0.125"}},
};

std::string LayerColorText(Integer c) { return IntStr(LayerMonochrome ? 1 : (c & 0xFF)); }

} // namespace

void DxfWriter::LayerTable(Word Kind)
{
    Pair(0, "TABLE");
    Pair(2, "LAYER");
    Pair(70, "24");
    auto layer = [this](const std::string& name, const std::string& colour, const char* type) {
        Pair(0, "LAYER");
        Pair(2, name);
        Pair(70, "0");
        Pair(62, colour);
        Pair(6, type);
    };
    if (Kind == 1) {
        for (int n = 0; n <= 15; ++n)
            layer(IntStr(n), LayerMonochrome ? "1" : IntStr(n + 1), "CONTINUOUS");
    } else {
        layer("0", "1", "CONTINUOUS");
        for (int n = 1; n < NamedLayers; ++n) {
            std::string name = LayerNames[std::size_t(n)].empty() ? IntStr(n) : LayerNames[std::size_t(n)];
            layer(name, LayerColorText(LayerColors[std::size_t(n)]),
                  n == 1 ? "DASHDOT" : n == 2 ? "DASHED" : "CONTINUOUS");
        }
        if (Kind == 2)
            for (int n = FirstColorLayer; n <= LastColorLayer; ++n)
                layer(IntStr(n), LayerColorText(ColorLayerColors[std::size_t(n)]), "CONTINUOUS");
    }
    Pair(0, "ENDTAB");
}

void DxfWriter::Tables(Word Kind)
{
    Pair(0, "SECTION");
    Pair(2, "TABLES");
    Pair(0, "TABLE");
    Pair(2, "LTYPE");
    Pair(70, Kind == 0 ? "6" : Kind == 1 ? "17" : "23");
    for (const auto& t : LineTypes) {
        Pair(0, "LTYPE");
        Pair(2, t.name);
        Pair(70, "64");
        Pair(3, t.description);
        Pair(72, "65");
        Pair(73, t.count);
        Pair(40, t.length);
        for (const char* d : t.dashes)
            Pair(49, d);
    }
    Pair(0, "ENDTAB");
    LayerTable(Kind);
    Pair(0, "TABLE");
    Pair(2, "STYLE");
    Pair(70, "1");
    Pair(0, "STYLE");
    Pair(2, "STANDARD");
    Pair(70, "0");
    Pair(40, "0.0");
    Pair(41, "1.0");
    Pair(50, "0.0");
    Pair(71, "0");
    Pair(42, "3.5");
    Pair(3, UpperStr(CadTextStyle));
    Pair(4, "");
    Raw("0");
    Raw("ENDTAB");
    Pair(0, "ENDSEC");
}

void DxfWriter::Blocks()
{
    Pair(0, "SECTION");
    Pair(2, "BLOCKS");
}

void DxfWriter::Block(const std::string& Name)
{
    blockNames_.emplace(UpperStr(Name), Name);
    Pair(0, "BLOCK");
    Pair(8, DxfLayerName);
    Pair(2, Name);
    Pair(70, "0");
    Pair(10, "0.0");
    Pair(20, "0.0");
}

void DxfWriter::EndBlk() { Pair(0, "ENDBLK"); }
void DxfWriter::EndSec() { Pair(0, "ENDSEC"); }

void DxfWriter::Entities()
{
    Pair(0, "SECTION");
    Pair(2, "ENTITIES");
}

void DxfWriter::Entity(const char* Name)
{
    Pair(0, Name);
    Pair(8, DxfLayerName);
}

void DxfWriter::Line(Real X1, Real Y1, Real X2, Real Y2)
{
    Entity("LINE");
    Number(10, X1);
    Number(20, Y1);
    Number(11, X2);
    Number(21, Y2);
}

void DxfWriter::Circle(Real X, Real Y, Real R)
{
    Entity("CIRCLE");
    Number(10, X);
    Number(20, Y);
    Number(40, R);
}

void DxfWriter::Arc(Real X, Real Y, Real A1, Real A2, Real R, Real Dir)
{
    // Readers take a lone extrusion z as a mirrored arc: a drawing file
    // writes every arc counter-clockwise instead. Only block files, which
    // our own reader replays, keep the direction.
    if (!blockFile_ && Dir < 0)
        std::swap(A1, A2);
    Entity("ARC");
    Number(10, X);
    Number(20, Y);
    Number(40, R);
    Plain(50, A1);
    Plain(51, A2);
    if (blockFile_ && std::fabs(Dir) > 1E-5L)
        Plain(230, Dir);
}

void DxfWriter::Text(const std::string& S, Real X, Real Y)
{
    Entity("TEXT");
    Number(10, X);
    Number(20, Y);
    Number(40, CadTextHeight);
    Pair(1, blockFile_ ? S : CadText(S));
    Pair(7, "STANDARD");
    Pair(41, StyleNumber(0, CadTextWidth));
    Pair(50, StyleNumber(1, CadTextAngle));
    Pair(51, StyleNumber(2, CadTextSlant));
}

const std::string& DxfWriter::StyleNumber(int K, Real X)
{
    // the text state may come from the configuration: never "nan"
    if (!std::isfinite(X))
        X = 0;
    StyleText& s = style_[std::size_t(K)];
    if (!s.known || !(s.value == X))
        s = {X, RealStrPoint(X), true};
    return s.text;
}

void DxfWriter::Solid(Real X1, Real Y1, Real X2, Real Y2, Real X3, Real Y3, Real X4, Real Y4)
{
    Entity("SOLID");
    Number(10, X1);
    Number(20, Y1);
    Number(11, X2);
    Number(21, Y2);
    Number(12, X3);
    Number(22, Y3);
    Number(13, X4);
    Number(23, Y4);
}

void DxfWriter::Insert(const std::string& Name, Real X, Real Y, Real Angle, Real SX, Real SY)
{
    auto defined = blockNames_.find(UpperStr(Name));
    Entity("INSERT");
    Pair(2, defined != blockNames_.end() ? defined->second : Name);
    Number(10, X);
    Number(20, Y);
    Plain(41, SX);
    Plain(42, SY);
    Plain(50, Angle);
}

void DxfWriter::Polyline(int Flag)
{
    Entity("POLYLINE");
    Pair(66, "1");
    if (Flag > 0)
        Pair(70, IntStr(Flag));
}

void DxfWriter::Vertex(Real X, Real Y, Real Bulge)
{
    Entity("VERTEX");
    Number(10, X);
    Number(20, Y);
    if (Bulge != 0)
        Plain(42, Bulge);
}

void DxfWriter::SeqEnd() { Entity("SEQEND"); }

} // namespace kt4::cad
