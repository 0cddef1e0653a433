#include "cad/dxf_writer.h"

#include "cad/cad_settings.h"
#include "foundation/codepage.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

#include <algorithm>
#include <cmath>

namespace kt4::cad {

// FixedStrPoint with its rounding (half away from zero, on the exact
// binary value) for the values drawings have; the rare value whose
// rounding is close to a tie takes the exact route.
std::string CadFixed(Real v, int intDigits, int decs)
{
    static constexpr Real Pow10[] = {1, 1E1L, 1E2L, 1E3L, 1E4L, 1E5L, 1E6L, 1E7L, 1E8L, 1E9L};
    const Real a = std::fabs(v);
    if (decs > 9 || !(a < 1E9L))
        return FixedStrPoint(v, intDigits, decs);
    const Real scaled = a * Pow10[decs];
    const Real whole = std::floor(scaled);
    const Real frac = scaled - whole;
    if (std::fabs(frac - 0.5L) < 1E-6L)
        return FixedStrPoint(v, intDigits, decs);
    std::uint64_t n = static_cast<std::uint64_t>(whole) + (frac > 0.5L ? 1 : 0);
    char digits[24];
    int len = 0;
    do {
        digits[len++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0 || len <= decs);
    std::string out;
    out.reserve(static_cast<std::size_t>(len) + 2);
    bool zero = std::all_of(digits, digits + len, [](char c) { return c == '0'; });
    if (v < 0 && !zero)
        out += '-';
    for (int k = len - 1; k >= 0; --k) {
        out += digits[k];
        if (k == decs && decs > 0)
            out += '.';
    }
    const std::size_t pad = static_cast<std::size_t>(decs > 0 ? intDigits + decs + 1 : intDigits);
    if (out.size() < pad)
        out.insert(0, pad - out.size(), ' ');
    return out;
}

std::string DxfNumber(Real X, bool Scaled)
{
    if (!std::isfinite(X))
        X = 0;
    Real v = Scaled ? X * CadScale : X;
    if (!std::isfinite(v))
        v = 0;
    // leading blanks up to the integer digits of the unscaled value
    int intDigits = std::fabs(X) >= 1 ? DecimalExponent(X) + 1 : 0;
    return CadFixed(v, intDigits, std::clamp<int>(CadDecimals, 0, 32));
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
    if (failed_) {
        file_.Discard();
        return false;
    }
    if (!file_.Close())
        failed_ = true;
    return !failed_;
}

void DxfWriter::Raw(const std::string& Line)
{
    if (failed_)
        return;
    file_.WriteLine(Line);
    if (file_.IoError() != 0)
        failed_ = true;
}

void DxfWriter::Pair(int Code, const std::string& Value)
{
    std::string code = IntStr(Code);
    if (code.size() < 3)
        code.insert(0, 3 - code.size(), ' ');
    Raw(code);
    Raw(BlankControls(Value));
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
    // the text state may come from the configuration: never "nan"
    auto style = [](Real x) { return RealStrPoint(std::isfinite(x) ? x : 0); };
    Pair(41, style(CadTextWidth));
    Pair(50, style(CadTextAngle));
    Pair(51, style(CadTextSlant));
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
