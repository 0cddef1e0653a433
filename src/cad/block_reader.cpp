#include "cad/block_reader.h"

#include "cad/block_cache.h"
#include "cad/block_file_device.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "graphics/geometry2d.h"

#include <array>
#include <cmath>

namespace kt4::cad {

using settings::AbortFlag;
using settings::AddMessage;

std::string FindBlockFile(const std::string& Name)
{
    std::string own = BlockFilePath(Name);
    if (own.empty())
        return {};
    const std::string file = "$" + Name + ".dx$";
    std::string found = FindFileNoCase(FilePathPart(own), file);
    std::string upper = UpperStr(Name);
    if (found.empty() && (upper == "LOGO_2" || upper == "LOGO_3"))
        found = FindFileNoCase(settings::TempDir, file);
    return found;
}

namespace {

bool readErrorTold = false; // once per top-level insert

// The layer of a group 8 pair: a configured layer name, else its number.
int LayerOf(std::string_view value, const BlockPair& p)
{
    for (int n = 0; n < NamedLayers; ++n)
        if (value == LayerNames[std::size_t(n)])
            return n;
    return p.isInteger && p.integer >= 0 ? p.integer : 0;
}

struct Point {
    Real x = 0, y = 0, bulge = 0;
};

// A point of the block in world coordinates, as TransformPoint gives it;
// the cosine and sine are taken once per angle.
void Transform(Real& x, Real& y)
{
    static Real angle = 0, c = 1, s = 0;
    if (!(CadInsRotation == angle && std::signbit(CadInsRotation) == std::signbit(angle))) {
        angle = CadInsRotation;
        const Real r = DegToRad(angle);
        c = std::cos(r);
        s = std::sin(r);
    }
    x *= CadInsScaleX;
    y *= CadInsScaleY;
    const Real wx = CadInsBaseX + x * c - y * s;
    y = CadInsBaseY + x * s + y * c;
    x = wx;
}

// The groups of one entity, up to the next code 0 pair. Filled in place
// by the reader; a value is read only where has says it was given.
struct Groups {
    static constexpr int Codes = 100;
    Groups() = default;
    Groups(const Groups&) = delete;
    Groups& operator=(const Groups&) = delete;
    std::array<Real, Codes> v;
    std::array<bool, Codes> has{};
    std::string text, name;
    Real extrusion = 0;
    Real Get(int code, Real def) const { return has[std::size_t(code)] ? v[std::size_t(code)] : def; }
};

class Reader {
public:
    explicit Reader(const ParsedBlockFile& b) : b_(b) {}

    void Run()
    {
        Next();
        while (!end_ && !AbortFlag) {
            if (code_ != 0) {
                Next();
                continue;
            }
            const std::string_view name = Trimmed();
            if (name == "EOF")
                break;
            if (name == "SECTION")
                Section();
            else if (name == "ENDSEC")
                Next();
            else if (name == "LINE")
                Line();
            else if (name == "CIRCLE")
                Circle();
            else if (name == "ARC")
                Arc();
            else if (name == "TEXT")
                Text();
            else if (name == "SOLID")
                Solid();
            else if (name == "POLYLINE")
                Polyline();
            else if (name == "LWPOLYLINE")
                LwPolyline();
            else if (name == "INSERT")
                Insert();
            else {
                AddMessage("Fehler : DXF: " + std::string(name));
                break; // the rest of this file is skipped
            }
        }
    }

private:
    // Takes the next group pair; false at the end of the file. A read of
    // the file that failed is told once when the replay reaches it, and
    // the replay ends.
    bool Next()
    {
        if (end_ || next_ >= b_.pairs.size()) {
            if (!end_ && b_.readError)
                ReadFailed();
            end_ = true;
            code_ = -1;
            pair_ = &none_;
            return false;
        }
        pair_ = &b_.pairs[next_++];
        if (b_.failedInLast && next_ == b_.pairs.size())
            AbortFlag = true;
        code_ = pair_->code;
        return true;
    }

    static void ReadFailed()
    {
        AbortFlag = true;
        if (!readErrorTold)
            ErrorBox("Lesefehler");
        readErrorTold = true;
    }

    std::string_view Value() const { return b_.Value(*pair_); }
    std::string_view Trimmed() const { return b_.Trimmed(*pair_); }
    Real Num() const { return pair_->number; }

    bool AtEntity() const { return end_ || code_ == 0; }

    // Reads the groups up to the next code 0 pair into g.
    void Read(Groups& g)
    {
        while (Next() && code_ != 0) {
            if (code_ == 8)
                layer_ = LayerOf(Value(), *pair_);
            else if (code_ == 1)
                g.text = Value();
            else if (code_ == 2)
                g.name = Trimmed();
            else if (code_ == 230)
                g.extrusion = Num();
            else if (code_ >= 0 && code_ < Groups::Codes) {
                g.v[std::size_t(code_)] = Num();
                g.has[std::size_t(code_)] = true;
            }
        }
    }

    // A section of a whole DXF file: the entities are replayed, the other
    // sections skipped.
    void Section()
    {
        Next();
        if (code_ == 2 && Trimmed() == "ENTITIES") {
            Next();
            return;
        }
        while (!end_ && !(code_ == 0 && Trimmed() == "ENDSEC"))
            Next();
        Next();
    }

    void Line()
    {
        Groups g;
        Read(g);
        Real x1 = g.Get(10, 0), y1 = g.Get(20, 0), x2 = g.Get(11, 0), y2 = g.Get(21, 0);
        Transform(x1, y1);
        Transform(x2, y2);
        c_setlayer(layer_);
        c_line(x1, y1, x2, y2);
    }

    void Circle()
    {
        Groups g;
        Read(g);
        Real x = g.Get(10, 0), y = g.Get(20, 0);
        Transform(x, y);
        c_setlayer(layer_);
        c_circle(x, y, g.Get(40, 0) * CadInsScaleX);
    }

    void Arc()
    {
        Groups g;
        Read(g);
        Real x = g.Get(10, 0), y = g.Get(20, 0), r = g.Get(40, 0);
        Real a1 = g.Get(50, 0), a2 = g.Get(51, 0);
        Real sweep = SweepAngle(a1, a2, g.extrusion < 0 ? -1 : 1);
        Transform(x, y);
        c_setlayer(layer_);
        if (r != 0)
            c_arc_dir(x, y, a1 + CadInsRotation, a2 + CadInsRotation, r * CadInsScaleX, sweep);
    }

    void Text()
    {
        Groups g;
        Read(g);
        Real x = g.Get(10, 0), y = g.Get(20, 0);
        Real height = g.Get(40, 3.5L), factor = g.Get(41, 1.0L), rotation = g.Get(50, 0);
        Transform(x, y);
        c_setlayer(layer_);
        c_settextstyle(2, rotation + CadInsRotation, height * CadInsScaleY,
                       height * factor * CadInsScaleX);
        c_text(x, y, g.text);
    }

    void Solid()
    {
        Groups g;
        Read(g);
        Real x[4], y[4];
        for (int k = 0; k < 4; ++k) {
            // a corner left out repeats the third (a triangle)
            int c = g.has[std::size_t(10 + k)] || k < 3 ? k : 2;
            x[k] = g.Get(10 + c, 0);
            y[k] = g.Get(20 + c, 0);
            Transform(x[k], y[k]);
        }
        c_setlayer(layer_);
        c_solid(x[0], y[0], x[1], y[1], x[2], y[2], x[3], y[3]);
    }

    // The segment from a to b with a's bulge, in block coordinates.
    static void Segment(const Point& a, const Point& b)
    {
        Real x1 = a.x, y1 = a.y, x2 = b.x, y2 = b.y;
        Real angle = 4 * std::atan(a.bulge);
        Real cx = 0, cy = 0, a1 = 0, r = 0, a2 = 0;
        if (a.bulge == 0 || !graphics::GetArcCenterXY(cx, cy, a1, r, a2, x1, y1, x2, y2, angle)) {
            Transform(x1, y1);
            Transform(x2, y2);
            c_line(x1, y1, x2, y2);
            return;
        }
        Transform(cx, cy);
        c_arc_dir(cx, cy, RadToDeg(a1) + CadInsRotation, RadToDeg(a2) + CadInsRotation,
                  r * CadInsScaleX, RadToDeg(angle));
    }

    void Polyline()
    {
        Groups header;
        Read(header);
        const bool closed = (Round(header.Get(70, 0)) & 1) != 0;
        if (!(code_ == 0 && Trimmed() == "VERTEX")) {
            ErrorBox("Error in DXF File");
            return; // reading goes on at the pair that is here
        }
        Point first, prev;
        long count = 0;
        while (!AbortFlag && code_ == 0 && Trimmed() == "VERTEX") {
            Groups g;
            Read(g);
            Point p{g.Get(10, 0), g.Get(20, 0), g.Get(42, 0)};
            c_setlayer(layer_);
            if (count++ == 0)
                first = p;
            else
                Segment(prev, p);
            prev = p;
        }
        if (closed && count > 1)
            Segment(prev, first);
        if (code_ == 0 && Trimmed() == "SEQEND") {
            Groups end;
            Read(end);
        }
    }

    static bool InVertexList(int code)
    {
        return code == 10 || code == 20 || (code >= 38 && code <= 43) || code == 70 || code == 90 ||
               code == 210 || code == 220 || code == 230;
    }

    void LwPolyline()
    {
        layer_ = 0;
        while (Next() && code_ != 0 && !(code_ == 100 && Trimmed() == "AcDbPolyline"))
            if (code_ == 8)
                layer_ = LayerOf(Value(), *pair_);
        if (AtEntity())
            return;
        Point first, prev, cur;
        long count = 0;
        bool closed = false;
        while (Next() && InVertexList(code_)) {
            if (code_ == 70) {
                closed = (Round(Num()) & 1) != 0;
            } else if (code_ == 10) {
                if (++count > MaxLwVertices) {
                    ErrorBox("Elements > " + IntStr(MaxLwVertices) + " !");
                    AbortFlag = true;
                    return;
                }
                if (count == 2)
                    first = cur;
                if (count > 2)
                    LwSegment(prev, cur);
                prev = cur;
                cur = {Num(), 0, 0};
            } else if (code_ == 20) {
                cur.y = Num();
            } else if (code_ == 42) {
                cur.bulge = Num();
            }
        }
        if (code_ == 8)
            layer_ = LayerOf(Value(), *pair_);
        if (count >= 2)
            LwSegment(prev, cur);
        if (count == 1)
            first = cur;
        if (closed && count > 1)
            LwSegment(cur, first);
        while (!AtEntity())
            Next();
    }

    void LwSegment(const Point& a, const Point& b)
    {
        c_setlayer(layer_);
        Segment(a, b);
    }

    void Insert()
    {
        const int before = layer_;
        Groups g;
        Read(g);
        c_setlayer(layer_);
        ReplayDxfBlock(g.name, g.Get(10, 0), g.Get(20, 0), g.Get(50, 0), g.Get(41, 1.0L),
                       g.Get(42, 1.0L));
        layer_ = before;
        c_setlayer(layer_);
    }

    const ParsedBlockFile& b_;
    std::size_t next_ = 0;
    static inline const BlockPair none_{};
    const BlockPair* pair_ = &none_;
    int code_ = -1;
    bool end_ = false;
    int layer_ = 0;
};

struct SavedTransform {
    Real baseX = CadInsBaseX, baseY = CadInsBaseY, rotation = CadInsRotation;
    Real scaleX = CadInsScaleX, scaleY = CadInsScaleY;
    Integer level = CadBlockLevel;
    ~SavedTransform()
    {
        CadInsBaseX = baseX;
        CadInsBaseY = baseY;
        CadInsRotation = rotation;
        CadInsScaleX = scaleX;
        CadInsScaleY = scaleY;
        CadBlockLevel = level;
    }
};

} // namespace

void ReplayDxfBlock(const std::string& Name, Real X, Real Y, Real Angle, Real ScaleX, Real ScaleY)
{
    SavedTransform saved; // restored on every return
    if (++CadBlockLevel == 1)
        readErrorTold = false;
    Transform(X, Y);
    CadInsBaseX = X;
    CadInsBaseY = Y;
    CadInsRotation += Angle;
    CadInsScaleX *= ScaleX;
    CadInsScaleY *= ScaleY;
    if (CadBlockLevel > MaxBlockLevel) {
        ErrorBox("error blockno." + IntStr(CadBlockLevel));
        AbortFlag = true;
        return;
    }
    const std::shared_ptr<const ParsedBlockFile> parsed = ParsedBlockFileOf(Name, FindBlockFile);
    if (!parsed) {
        AddMessage("Invalid temp directory");
        AbortFlag = true;
        return;
    }
    Reader(*parsed).Run();
}

} // namespace kt4::cad
