#include "cad/block_reader.h"

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

bool OpenBlockFile(LineFile& F, const std::string& Name)
{
    std::string path = FindBlockFile(Name);
    return !path.empty() && F.OpenRead(path);
}

namespace {

bool readErrorTold = false; // once per top-level insert

std::string Trim(const std::string& s)
{
    std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos)
        return {};
    std::size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

Real Num(const std::string& s) { return StrToReal(Trim(s)); }

// The layer of a group 8 value: a configured layer name, else its number.
int LayerOf(const std::string& value)
{
    for (int n = 0; n < NamedLayers; ++n)
        if (value == LayerNames[std::size_t(n)])
            return n;
    Integer n = 0;
    return TryStrToInteger(Trim(value), n) && n >= 0 ? n : 0;
}

struct Point {
    Real x = 0, y = 0, bulge = 0;
};

// A point of the block in world coordinates.
void Transform(Real& x, Real& y)
{
    TransformPoint(CadInsScaleX, CadInsScaleY, CadInsBaseX, CadInsBaseY, CadInsRotation, x, y);
}

// The groups of one entity, up to the next code 0 pair.
struct Groups {
    static constexpr int Codes = 100;
    std::array<Real, Codes> v{};
    std::array<bool, Codes> has{};
    std::string text, name;
    Real extrusion = 0;
    Real Get(int code, Real def) const { return has[std::size_t(code)] ? v[std::size_t(code)] : def; }
};

class Reader {
public:
    explicit Reader(LineFile& f) : f_(f) {}

    void Run()
    {
        Next();
        while (!end_ && !AbortFlag) {
            if (code_ != 0) {
                Next();
                continue;
            }
            const std::string name = Trim(value_);
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
                AddMessage("Fehler : DXF: " + name);
                break; // the rest of this file is skipped
            }
        }
    }

private:
    // Reads one group pair; false at the end of the file.
    bool Next()
    {
        if (end_ || !ReadText(codeLine_) || !ReadText(value_)) {
            end_ = true;
            code_ = -1;
            value_.clear();
            return false;
        }
        Integer c = -1;
        code_ = TryStrToInteger(Trim(codeLine_), c) ? c : -1;
        return true;
    }

    // One line; false at the end of the file. The end is never read past,
    // so an I/O code here is a failed read: told once, and the replay ends.
    bool ReadText(std::string& s)
    {
        if (!f_.Eof() && f_.ReadLine(s))
            return true;
        if (f_.IoError() != 0) {
            if (!readErrorTold)
                ErrorBox("Lesefehler");
            readErrorTold = true;
            AbortFlag = true;
        }
        return false;
    }

    bool AtEntity() const { return end_ || code_ == 0; }

    // Reads the groups up to the next code 0 pair.
    Groups Read()
    {
        Groups g;
        while (Next() && code_ != 0) {
            if (code_ == 8)
                layer_ = LayerOf(value_);
            else if (code_ == 1)
                g.text = value_;
            else if (code_ == 2)
                g.name = Trim(value_);
            else if (code_ == 230)
                g.extrusion = Num(value_);
            else if (code_ >= 0 && code_ < Groups::Codes) {
                g.v[std::size_t(code_)] = Num(value_);
                g.has[std::size_t(code_)] = true;
            }
        }
        return g;
    }

    // A section of a whole DXF file: the entities are replayed, the other
    // sections skipped.
    void Section()
    {
        Next();
        if (code_ == 2 && Trim(value_) == "ENTITIES") {
            Next();
            return;
        }
        while (!end_ && !(code_ == 0 && Trim(value_) == "ENDSEC"))
            Next();
        Next();
    }

    void Line()
    {
        Groups g = Read();
        Real x1 = g.Get(10, 0), y1 = g.Get(20, 0), x2 = g.Get(11, 0), y2 = g.Get(21, 0);
        Transform(x1, y1);
        Transform(x2, y2);
        c_setlayer(layer_);
        c_line(x1, y1, x2, y2);
    }

    void Circle()
    {
        Groups g = Read();
        Real x = g.Get(10, 0), y = g.Get(20, 0);
        Transform(x, y);
        c_setlayer(layer_);
        c_circle(x, y, g.Get(40, 0) * CadInsScaleX);
    }

    void Arc()
    {
        Groups g = Read();
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
        Groups g = Read();
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
        Groups g = Read();
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
        Groups header = Read();
        const bool closed = (Round(header.Get(70, 0)) & 1) != 0;
        if (!(code_ == 0 && Trim(value_) == "VERTEX")) {
            ErrorBox("Error in DXF File");
            return; // reading goes on at the pair that is here
        }
        Point first, prev;
        long count = 0;
        while (!AbortFlag && code_ == 0 && Trim(value_) == "VERTEX") {
            Groups g = Read();
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
        if (code_ == 0 && Trim(value_) == "SEQEND")
            Read();
    }

    static bool InVertexList(int code)
    {
        return code == 10 || code == 20 || (code >= 38 && code <= 43) || code == 70 || code == 90 ||
               code == 210 || code == 220 || code == 230;
    }

    void LwPolyline()
    {
        layer_ = 0;
        while (Next() && code_ != 0 && !(code_ == 100 && Trim(value_) == "AcDbPolyline"))
            if (code_ == 8)
                layer_ = LayerOf(value_);
        if (AtEntity())
            return;
        Point first, prev, cur;
        long count = 0;
        bool closed = false;
        while (Next() && InVertexList(code_)) {
            if (code_ == 70) {
                closed = (Round(Num(value_)) & 1) != 0;
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
                cur = {Num(value_), 0, 0};
            } else if (code_ == 20) {
                cur.y = Num(value_);
            } else if (code_ == 42) {
                cur.bulge = Num(value_);
            }
        }
        if (code_ == 8)
            layer_ = LayerOf(value_);
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
        Groups g = Read();
        c_setlayer(layer_);
        ReplayDxfBlock(g.name, g.Get(10, 0), g.Get(20, 0), g.Get(50, 0), g.Get(41, 1.0L),
                       g.Get(42, 1.0L));
        layer_ = before;
        c_setlayer(layer_);
    }

    LineFile& f_;
    std::string codeLine_, value_;
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
    LineFile f;
    if (!OpenBlockFile(f, Name)) {
        AddMessage("Invalid temp directory");
        AbortFlag = true;
        return;
    }
    Reader(f).Run();
    f.Close();
}

} // namespace kt4::cad
