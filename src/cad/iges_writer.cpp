#include "cad/iges_writer.h"

#include "cad/cad_settings.h"
#include "cad/dxf_writer.h"
#include "foundation/codepage.h"
#include "foundation/datetime.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kt4::cad {

namespace {

constexpr std::size_t ParamWidth = 64; // data columns of a P line
constexpr int MembersPerCall = 12;
constexpr int MaxNameBytes = 30;       // the file name in the Global section

const char* const Outside = "00000000";
const char* const Dependent = "00010000";
const char* const DefinitionStatus = "00000200";

std::string Seq7(std::size_t N)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%07zu", N);
    return buf;
}

// A text as written into the file: CadText, control characters as blanks.
std::string FileText(const std::string& S) { return BlankControls(CadText(S)); }

std::string MatrixTerm(Real X) { return CadFixed(X, 0, 6); }

} // namespace

std::string IgesNum(Real X) { return CadFixed(std::isfinite(X) ? X : 0, 0, 4); }

std::string IgesHollerith(const std::string& S) { return std::to_string(S.size()) + "H" + S; }

int IgesColorOf(Integer CadColor)
{
    // CAD colours 0..15 by the hue of the screen palette
    static constexpr int Table[16] = {0, 2, 5, 3, 7, 4, 6, 0, 8, 3, 7, 2, 6, 2, 8, 1};
    if (CadColor < 0)
        return 0;
    return Table[CadColor % 16];
}

bool IgesWriter::Open(const std::string& Path) { return file_.OpenWrite(Path); }

bool IgesWriter::Close()
{
    for (const auto* section : {&start_, &global_, &dir_, &param_})
        for (const auto& line : *section)
            file_.WriteLine(line);
    std::string counts = "S" + Seq7(start_.size()) + "G" + Seq7(global_.size()) + "D" +
                         Seq7(dir_.size()) + "P" + Seq7(param_.size());
    file_.WriteLine(Record(counts, "", 'T', 1));
    return file_.IoError() == 0 && file_.Close();
}

std::string IgesWriter::Record(const std::string& Data, const std::string& Pointer, char Letter, int Seq)
{
    std::string line = Data;
    std::size_t used = Data.size() + Pointer.size();
    if (used < 72)
        line.append(72 - used, ' ');
    return line + Pointer + Letter + Seq7(std::size_t(Seq));
}

void IgesWriter::Header(const std::string& Name, Real MaxCoord)
{
    start_.clear();
    global_.clear();
    dir_.clear();
    param_.clear();
    deNumber_ = -1;
    paramPointer_ = 1;
    color_ = 0;
    lineFont_ = 1;
    inBlock_ = false;
    defining_ = false;
    open_ = Defined{};
    members_.clear();
    blocks_.clear();

    std::string name = AbbreviateStr(FileText(DisplayToOem(Name)), MaxNameBytes);
    const std::string& product = settings::ProductName;
    for (const std::string& s : {"IGES-Datei generiert von " + product,
                                 std::string("Uebersetzer von VELMORA GMBH, Uebersetzerversion 3.1")})
        start_.push_back(Record(s, "", 'S', int(start_.size() + 1)));

    DateTimeParts now = CurrentDateTime();
    char date[16];
    std::snprintf(date, sizeof date, "%02d%02d%02d", ((now.year - 1900) % 100 + 100) % 100,
                  now.month, now.day);
    // One record each, none longer than 72 columns: the name has at most
    // 30 bytes, author and organisation are empty.
    const std::string lines[] = {
        ",," + IgesHollerith("FILE") + "," + IgesHollerith(name) + "," +
            IgesHollerith(product + " V" + settings::ProgramVersion) + "," +
            IgesHollerith(settings::ProgramVersion) + ",",
        "16,38,6,99,15,",
        IgesHollerith(name) + ",1.0,2," + IgesHollerith("MM") + ",32767,3.2767D1,",
        IgesHollerith(std::string(date) + ".140920") + ",1.0D-8," + IgesNum(MaxCoord) + ",",
        ",,4,0;",
    };
    for (const auto& l : lines)
        global_.push_back(Record(l, "", 'G', int(global_.size() + 1)));
}

void IgesWriter::Layer(int N)
{
    if (CadColorScheme == 0 && N >= 0 && N < NamedLayers) {
        color_ = IgesColorOf(N == 0 ? 7 : LayerColors[std::size_t(N)]);
        lineFont_ = N == 1 ? 4 : N == 2 ? 2 : 1;
    } else if (CadColorScheme == 0 && N >= FirstColorLayer && N <= LastColorLayer) {
        color_ = IgesColorOf(ColorLayerColors[std::size_t(N)]);
        lineFont_ = 1;
    } else {
        color_ = IgesColorOf(N % 16 + 1);
        if (CadColorScheme == 0)
            lineFont_ = 1;
    }
}

int IgesWriter::BeginEntity()
{
    paramLines_ = 0;
    deNumber_ += 2;
    return deNumber_;
}

void IgesWriter::WriteParam(const Params& P, int De)
{
    const std::string pointer = PadLeft(std::to_string(De), 8);
    std::string line;
    auto flush = [&] {
        param_.push_back(Record(line, pointer, 'P', int(param_.size() + 1)));
        ++paramLines_;
        line.clear();
    };
    for (const Param& p : P) {
        if (line.size() + p.text.size() <= ParamWidth) {
            line += p.text;
            continue;
        }
        if (!p.hollerith) {
            if (!line.empty())
                flush();
            line = p.text;
            continue;
        }
        // The count stays with the first character of the text; the text
        // runs to column 64 and goes on in column 1 of the next line.
        std::size_t head = p.text.find('H') + 1;
        if (line.size() + head + 1 > ParamWidth)
            flush();
        std::size_t pos = 0;
        while (line.size() + (p.text.size() - pos) > ParamWidth) {
            std::size_t take = ParamWidth - line.size();
            line += p.text.substr(pos, take);
            pos += take;
            flush();
        }
        line += p.text.substr(pos);
    }
    if (!line.empty())
        flush();
}

void IgesWriter::DirLines(int Type, const std::string& Matrix, const std::string& Status,
                          const std::string& Form, const std::string& Label)
{
    auto fields = [](std::initializer_list<std::string> f) {
        std::string s;
        for (const auto& v : f)
            s += PadLeft(v, 8);
        return s;
    };
    const std::string type = std::to_string(Type), color = std::to_string(color_);
    dir_.push_back(Record(fields({type, std::to_string(paramPointer_), "0", std::to_string(lineFont_),
                                  color, "", Matrix, ""}),
                          Status, 'D', int(dir_.size() + 1)));
    dir_.push_back(Record(fields({type, "", color, std::to_string(paramLines_), Form, "", "", Label}), "",
                          'D', int(dir_.size() + 1)));
    paramPointer_ += paramLines_;
}

void IgesWriter::EndEntity(int Type, int De, const std::string& Matrix, const std::string& Form)
{
    DirLines(Type, Matrix, defining_ ? Dependent : Outside, Form, "");
    if (defining_)
        members_.push_back(De);
}

IgesWriter::Call IgesWriter::NewCall(Call::Kind Kind, const std::array<Real, 8>& V) const
{
    Call c;
    c.kind = Kind;
    c.color = color_;
    c.lineFont = lineFont_;
    c.v = V;
    return c;
}

void IgesWriter::Draw(const Call& C)
{
    if (inBlock_)
        open_.calls.push_back(C);
    else
        Write(C, 1);
}

void IgesWriter::Write(const Call& C, Real Scale)
{
    std::array<Real, 8> v = C.v;
    for (Real& x : v)
        x *= Scale;
    switch (C.kind) {
    case Call::Kind::Line:
        WriteLine(v[0], v[1], v[2], v[3]);
        break;
    case Call::Kind::Circle:
        if (IgesNum(std::fabs(v[2])) != IgesNum(0)) // a point is no circle
            WriteArc(v[0], v[1], v[0] + v[2], v[1], v[0] + v[2], v[1]);
        break;
    case Call::Kind::Arc:
        WriteArc(v[0], v[1], v[2], v[3], v[4], v[5]);
        break;
    case Call::Kind::Solid:
        WriteSolid(v);
        break;
    case Call::Kind::Text:
        WriteText(C.text, v[0], v[1], C.a * Scale, C.b, C.c);
        break;
    case Call::Kind::Insert:
        WriteInsert(C.block, v[0], v[1], C.a, C.b * Scale, C.c * Scale);
        break;
    }
}

void IgesWriter::Line(Real X1, Real Y1, Real X2, Real Y2)
{
    Draw(NewCall(Call::Kind::Line, {X1, Y1, X2, Y2}));
}

void IgesWriter::Arc(Real XC, Real YC, Real XS, Real YS, Real XE, Real YE)
{
    Draw(NewCall(Call::Kind::Arc, {XC, YC, XS, YS, XE, YE}));
}

void IgesWriter::Circle(Real X, Real Y, Real R) { Draw(NewCall(Call::Kind::Circle, {X, Y, R})); }

void IgesWriter::Solid(Real X1, Real Y1, Real X2, Real Y2, Real X3, Real Y3, Real X4, Real Y4)
{
    Draw(NewCall(Call::Kind::Solid, {X1, Y1, X2, Y2, X3, Y3, X4, Y4}));
}

void IgesWriter::Text(const std::string& S, Real X, Real Y)
{
    Call c = NewCall(Call::Kind::Text, {X, Y});
    c.a = CadTextHeight;
    c.b = CadTextWidth;
    c.c = CadTextAngle;
    c.text = S;
    Draw(c);
}

void IgesWriter::WriteLine(Real X1, Real Y1, Real X2, Real Y2)
{
    const std::string x1 = IgesNum(X1), y1 = IgesNum(Y1), x2 = IgesNum(X2), y2 = IgesNum(Y2);
    if (x1 == x2 && y1 == y2)
        return; // no length as written
    int de = BeginEntity();
    WriteParam({{"110,"}, {x1 + ","}, {y1 + ","}, {"0.0,"}, {x2 + ","}, {y2 + ","}, {"0.0;"}}, de);
    EndEntity(110, de, "", "");
}

void IgesWriter::WriteArc(Real XC, Real YC, Real XS, Real YS, Real XE, Real YE)
{
    int de = BeginEntity();
    WriteParam({{"100,"}, {"0.0,"}, {IgesNum(XC) + ","}, {IgesNum(YC) + ","}, {IgesNum(XS) + ","},
                {IgesNum(YS) + ","}, {IgesNum(XE) + ","}, {IgesNum(YE) + ";"}},
               de);
    EndEntity(100, de, "0", "");
}

void IgesWriter::WriteSolid(const std::array<Real, 8>& V)
{
    int de = BeginEntity();
    // a closed path through the corners 1, 4, 3, 2, 1
    WriteParam({{"106,"}, {"1,"}, {"5,"}, {"0.0,"}, {IgesNum(V[0]) + ","}, {IgesNum(V[1]) + ","}}, de);
    WriteParam({{IgesNum(V[6]) + ","}, {IgesNum(V[7]) + ","}}, de);
    WriteParam({{IgesNum(V[4]) + ","}, {IgesNum(V[5]) + ","}}, de);
    WriteParam({{IgesNum(V[2]) + ","}, {IgesNum(V[3]) + ","}}, de);
    WriteParam({{IgesNum(V[0]) + ","}, {IgesNum(V[1]) + ";"}}, de);
    EndEntity(106, de, "0", "11");
}

void IgesWriter::WriteText(const std::string& S, Real X, Real Y, Real Height, Real Width, Real Angle)
{
    const std::string s = FileText(S);
    const Real len = static_cast<Real>(s.size());
    int de = BeginEntity();
    WriteParam({{"212,"},
                {"1,"},
                {std::to_string(s.size()) + ","},
                {IgesNum(len * Height * Width) + ","},
                {IgesNum(Height) + ","},
                {"1,"},
                {","},
                {RealStrDecPoint(6, DegToRad(Angle)) + ","},
                {"0,"},
                {"0,"},
                {IgesNum(X) + ","},
                {IgesNum(Y) + ","},
                {"0.0,"}},
               de);
    WriteParam({{IgesHollerith(s) + ";", true}}, de);
    EndEntity(212, de, "0", "");
}

void IgesWriter::Block(const std::string& Name)
{
    inBlock_ = true;
    open_ = Defined{};
    open_.name = FileText(Name);
    open_.key = UpperStr(Name);
}

void IgesWriter::EndBlock()
{
    if (!inBlock_)
        return;
    inBlock_ = false;
    open_.color = color_;
    open_.lineFont = lineFont_;
    blocks_.push_back(std::move(open_));
    open_ = Defined{};
}

int IgesWriter::Definition(std::size_t Block, Real Scale)
{
    const std::string scale = IgesNum(Scale);
    for (const auto& [written, de] : blocks_[Block].written)
        if (written == scale)
            return de;
    // the members of this definition; those of the one that inserts it wait
    std::vector<int> outer;
    outer.swap(members_);
    const bool outerDefining = defining_;
    const int color = color_, lineFont = lineFont_;
    defining_ = true;
    for (std::size_t k = 0; k < blocks_[Block].calls.size(); ++k) {
        const Call call = blocks_[Block].calls[k];
        color_ = call.color;
        lineFont_ = call.lineFont;
        Write(call, Scale);
    }
    defining_ = outerDefining;
    const Defined& b = blocks_[Block];
    color_ = b.color;
    lineFont_ = b.lineFont;
    int de = BeginEntity();
    const std::string count = std::to_string(members_.size());
    WriteParam({{"308,"},
                {std::to_string(b.depth) + ","},
                {IgesHollerith(b.name) + ",", true},
                {count + (members_.empty() ? ";" : ",")}},
               de);
    for (std::size_t k = 0; k < members_.size(); k += MembersPerCall) {
        Params p;
        for (std::size_t m = k; m < std::min(members_.size(), k + MembersPerCall); ++m)
            p.push_back({std::to_string(members_[m]) + (m + 1 == members_.size() ? ";" : ",")});
        WriteParam(p, de);
    }
    DirLines(308, "", DefinitionStatus, "", b.name);
    color_ = color;
    lineFont_ = lineFont;
    members_.swap(outer);
    blocks_[Block].written.emplace_back(scale, de);
    return de;
}

std::size_t IgesWriter::FindBlock(const std::string& Name) const
{
    const std::string key = UpperStr(Name);
    for (std::size_t k = 0; k < blocks_.size(); ++k)
        if (blocks_[k].key == key)
            return k;
    return blocks_.size();
}

void IgesWriter::Insert(const std::string& Name, Real X, Real Y, Real Angle, Real SX, Real SY)
{
    const std::size_t block = FindBlock(Name);
    if (block == blocks_.size()) {
        settings::AddMessage("Blockname " + Name + " not found !");
        return;
    }
    if (!SameReal(std::fabs(SX), std::fabs(SY)))
        settings::AddMessage("Warnung: IGES-Block " + Name + " ungleich skaliert");
    if (inBlock_)
        open_.depth = std::max(open_.depth, blocks_[block].depth + 1);
    Call c = NewCall(Call::Kind::Insert, {X, Y});
    c.a = Angle;
    c.b = SX;
    c.c = SY;
    c.block = block;
    Draw(c);
}

void IgesWriter::WriteInsert(std::size_t Block, Real X, Real Y, Real Angle, Real SX, Real SY)
{
    // The definition carries |sx|; the signs go into the matrix.
    const int def = Definition(Block, std::fabs(SX));
    Real gx = SX < 0 ? -1 : 1, gy = SY < 0 ? -1 : 1;
    if (gx < 0 && gy < 0) {
        Angle += 180;
        gx = gy = 1;
    }
    const bool mirror = gx != gy;
    const std::string defs = std::to_string(def) + ",", one = IgesNum(1) + ";";
    if (Angle == 0 && !mirror) {
        int de = BeginEntity();
        WriteParam({{"408,"}, {defs}, {IgesNum(X) + ","}, {IgesNum(Y) + ","}, {"0.0,"}, {one}}, de);
        EndEntity(408, de, "", "");
        return;
    }
    const Real a = DegToRad(Angle), c = std::cos(a), s = std::sin(a);
    int matrix = BeginEntity();
    WriteParam({{"124,"}, {MatrixTerm(c * gx) + ","}, {MatrixTerm(-s * gy) + ","}, {"0.0,"}, {IgesNum(X) + ","}},
               matrix);
    WriteParam({{MatrixTerm(s * gx) + ","}, {MatrixTerm(c * gy) + ","}, {"0.0,"}, {IgesNum(Y) + ","}}, matrix);
    WriteParam({{"0.0,"}, {"0.0,"}, {"1.0,"}, {"0.0;"}}, matrix);
    DirLines(124, "", Dependent, mirror ? "1" : "0", "");
    int de = BeginEntity();
    WriteParam({{"408,"}, {defs}, {"0.0,"}, {"0.0,"}, {"0.0,"}, {one}}, de);
    EndEntity(408, de, std::to_string(matrix), "");
}

} // namespace kt4::cad
