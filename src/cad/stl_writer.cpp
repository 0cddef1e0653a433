#include "cad/stl_writer.h"

#include "cad/cad_settings.h"
#include "foundation/maths.h"
#include "foundation/settings.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>

namespace kt4::cad {

namespace {

// floor(log10(A)) for a finite A > 0, as the library's log10 gives it.
// The powers of ten bracket A; only right next to one of them, where
// log10 may round onto the power, log10 itself decides.
int Log10Floor(double A)
{
    constexpr int Lo = -30, Hi = 30;
    static constexpr double Pow10[] = {
        1e-30, 1e-29, 1e-28, 1e-27, 1e-26, 1e-25, 1e-24, 1e-23, 1e-22, 1e-21, 1e-20, 1e-19, 1e-18,
        1e-17, 1e-16, 1e-15, 1e-14, 1e-13, 1e-12, 1e-11, 1e-10, 1e-9,  1e-8,  1e-7,  1e-6,  1e-5,
        1e-4,  1e-3,  1e-2,  1e-1,  1e0,   1e1,   1e2,   1e3,   1e4,   1e5,   1e6,   1e7,   1e8,
        1e9,   1e10,  1e11,  1e12,  1e13,  1e14,  1e15,  1e16,  1e17,  1e18,  1e19,  1e20,  1e21,
        1e22,  1e23,  1e24,  1e25,  1e26,  1e27,  1e28,  1e29,  1e30};
    auto pow10 = [](int e) { return Pow10[e - Lo]; };
    if (!(A >= pow10(Lo) && A < pow10(Hi)))
        return static_cast<int>(std::floor(std::log10(A)));
    // 2^(binary-1) <= A < 2^binary, from the exponent of the normal A
    const int binary = static_cast<int>((std::bit_cast<std::uint64_t>(A) >> 52) & 0x7FF) - 1022;
    int e = std::max(Lo, ((binary - 1) * 78913) >> 18); // floor((binary-1) log10 2)
    while (A >= pow10(e + 1))
        ++e;
    while (A < pow10(e))
        --e;
    constexpr double Near = 1e-12; // far beyond log10's error
    if (A < pow10(e) * (1 + Near) || A > pow10(e + 1) * (1 - Near))
        return static_cast<int>(std::floor(std::log10(A)));
    return e;
}

// nearbyint in the default rounding mode, without the library call:
// below 2^52 the sum with 2^52 rounds to a whole number, half to even.
double RoundEven(double Y)
{
    constexpr double Big = 0x1p52;
    const double a = std::fabs(Y);
    if (!(a < Big))
        return Y;
    return std::copysign((a + Big) - Big, Y);
}

} // namespace

double StlRound7(double X)
{
    if (X == 0 || !std::isfinite(X))
        return 0;
    static const double Pow10[] = {1e-12, 1e-11, 1e-10, 1e-9, 1e-8, 1e-7, 1e-6, 1e-5, 1e-4,
                                   1e-3,  1e-2,  1e-1,  1e0,  1e1,  1e2,  1e3,  1e4,  1e5,
                                   1e6,   1e7,   1e8,   1e9,   1e10, 1e11, 1e12};
    int e = Log10Floor(std::fabs(X));
    int k = 6 - e; // scale by 10^k
    if (k < -12 || k > 12) {
        double scale = std::pow(10.0, k);
        return RoundEven(X * scale) / scale;
    }
    double scale = Pow10[k + 12];
    return k >= 0 ? RoundEven(X * scale) / scale : RoundEven(X / Pow10[12 - k]) * Pow10[12 - k];
}

namespace {

// A vertex as the file holds it.
float AsWritten(Real X) { return static_cast<float>(StlRound7(static_cast<double>(X))); }

// Appends X as the ASCII file writes it.
void AppendNum(std::string& Out, double X)
{
    if (X == 0)
        X = 0; // no "-0"
    char buf[40];
    auto res = std::to_chars(buf, buf + sizeof buf, X, std::chars_format::scientific, 6);
    *std::find(buf, res.ptr, 'e') = 'E';
    Out.append(buf, res.ptr);
}

std::string Num(double X)
{
    std::string s;
    AppendNum(s, X);
    return s;
}

// Bytes gathered before they go to the file.
constexpr std::size_t FlushSize = 1 << 16;

// Seven-segment stick characters: the characters that light each segment.
struct Segment {
    const char* chars;
    Real dx, dy;   // start: x + dx·w + sx·s·h, y + dy·h
    Real sx;       // share of s·h in the start's x
    bool vertical; // an 80-degree bar of length h/2, else a horizontal bar of length w
};
const Segment Segments[] = {
    {"02356789ACEFGMOPQRSTZa", 0, 1, 1, false},             // top
    {"01234789ADHJMOPQRUWXYZ", 1, 0.5L, 0.5L, true},        // upper right
    {"013456789ABDGHJMNORSUVWhou", 1, 0, 0, true},          // lower right
    {",.0235689BCDEGJLOQSUVWZ_cou", 0, 0, 0, false},        // bottom
    {"0268ABCDEFGHIKLMNOPQRTUVWXYZchoru", 0, 0, 0, true},   // lower left
    {"045689ABCEFGHIKLMOPQRSTUWYh", 0, 0.5L, 0.5L, true},   // upper left
    {"-2345689ABDEFGHKNPRSWXYZchor", 0, 0.5L, 0.5L, false}, // middle
};

// cos and sin of the N angles 2 pi k / N, kept for the next circles and
// jobs (a few dozen tables at most).
const std::vector<std::pair<Real, Real>>& UnitCircle(Integer N)
{
    thread_local std::map<Integer, std::vector<std::pair<Real, Real>>> tables;
    if (tables.size() >= 64 && tables.find(N) == tables.end())
        tables.clear();
    std::vector<std::pair<Real, Real>>& table = tables[N];
    if (table.empty())
        for (Integer k = 0; k < N; ++k) {
            const Real a = 2 * Pi * k / N;
            table.emplace_back(std::cos(a), std::sin(a));
        }
    return table;
}

} // namespace

std::string StlNum(Real X) { return Num(StlRound7(static_cast<double>(X))); }

bool StlWriter::Open(const std::string& Path, const std::string& SolidName)
{
    if (StlFileType != 1)
        StlFileType = 0;
    ascii_ = StlFileType == 1;
    solid_ = SolidName;
    out_.clear();
    size_ = flushed_ = 0;
    count_ = 0;
    tooLarge_ = failed_ = false;
    if (!file_.Open(Path, false))
        return false;
    direct_ = file_.TempPath().empty();
    if (ascii_) {
        out_ = "solid " + solid_ + "\r\n";
    } else {
        out_ = "STL binary file created by VELMORA Software - " + settings::ProductName + " V" +
               settings::ProgramVersion;
        out_.resize(80, ' ');
        out_.append(4, '\0'); // the count, filled in at Close
    }
    out_.reserve(FlushSize + 1024);
    size_ = static_cast<std::int64_t>(out_.size());
    return true;
}

void StlWriter::Flush()
{
    if (out_.empty())
        return;
    if (!file_.Write(out_.data(), out_.size())) {
        failed_ = true;
        Discard(); // the disk space at once; the older file stays
        return;
    }
    flushed_ += static_cast<std::int64_t>(out_.size());
    out_.clear();
}

bool StlWriter::Close()
{
    if (Failed() || !file_.IsOpen()) {
        Discard();
        return false;
    }
    char count[4];
    for (int k = 0; k < 4; ++k)
        count[k] = static_cast<char>((count_ >> (8 * k)) & 0xFF);
    const bool headGone = flushed_ > 0;
    if (ascii_)
        out_ += "endsolid " + solid_ + "\r\n";
    else if (!headGone)
        std::memcpy(&out_[80], count, 4);
    Flush();
    if (!ascii_ && headGone)
        (void)file_.WriteAt(80, count, 4);
    out_.shrink_to_fit();
    return file_.Commit();
}

void StlWriter::Discard()
{
    file_.Discard();
    out_.clear();
    out_.shrink_to_fit();
}

void StlWriter::Facet(Real X1, Real Y1, Real Z1, Real X2, Real Y2, Real Z2, Real X3, Real Y3, Real Z3)
{
    Add({0, 0, 0, AsWritten(X1), AsWritten(Y1), AsWritten(Z1), AsWritten(X2), AsWritten(Y2),
         AsWritten(Z2), AsWritten(X3), AsWritten(Y3), AsWritten(Z3)});
}

void StlWriter::Add(Record f)
{
    if (Failed())
        return;
    if (StlInvert)
        for (int k = 0; k < 3; ++k)
            std::swap(f[std::size_t(6 + k)], f[std::size_t(9 + k)]);
    const double ax = double(f[6]) - f[3], ay = double(f[7]) - f[4], az = double(f[8]) - f[5];
    const double bx = double(f[9]) - f[3], by = double(f[10]) - f[4], bz = double(f[11]) - f[5];
    const double nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
    const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(len > 0))
        return; // no area as written
    f[0] = static_cast<float>(StlRound7(nx / len));
    f[1] = static_cast<float>(StlRound7(ny / len));
    f[2] = static_cast<float>(StlRound7(nz / len));

    const std::size_t at = out_.size();
    if (ascii_) {
        auto triple = [&](std::size_t k) {
            AppendNum(out_, f[k]);
            out_ += ' ';
            AppendNum(out_, f[k + 1]);
            out_ += ' ';
            AppendNum(out_, f[k + 2]);
            out_ += "\r\n";
        };
        out_ += "  facet normal ";
        triple(0);
        out_ += "    outer loop\r\n";
        for (std::size_t v = 1; v <= 3; ++v) {
            out_ += "      vertex ";
            triple(3 * v);
        }
        out_ += "    endloop\r\n  endfacet\r\n";
    } else {
        char rec[50];
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(rec, f.data(), 48);
        } else {
            for (int k = 0; k < 12; ++k) {
                const auto bits = std::bit_cast<std::uint32_t>(f[std::size_t(k)]);
                for (int b = 0; b < 4; ++b)
                    rec[4 * k + b] = static_cast<char>((bits >> (8 * b)) & 0xFF);
            }
        }
        rec[48] = rec[49] = 'X';
        out_.append(rec, sizeof rec);
    }
    size_ += static_cast<std::int64_t>(out_.size() - at);
    const std::int64_t tail = ascii_ ? static_cast<std::int64_t>(11 + solid_.size()) : 0; // "endsolid …"
    if (size_ + tail > sizeLimit_) {
        tooLarge_ = true;
        Discard(); // the disk space at once; the older file stays
        return;
    }
    ++count_;
    if (!direct_ && out_.size() >= FlushSize)
        Flush();
}

void StlWriter::LeftWall(Real X1, Real Y1, Real X2, Real Y2)
{
    if (X1 == X2 && Y1 == Y2)
        return;
    const Real z1 = CadZ1, z2 = CadZ2;
    Facet(X1, Y1, z1, X1, Y1, z2, X2, Y2, z1);
    Facet(X1, Y1, z2, X2, Y2, z2, X2, Y2, z1);
}

void StlWriter::Wall(Real X1, Real Y1, Real X2, Real Y2) { LeftWall(X2, Y2, X1, Y1); }

void StlWriter::Solid(Real X1, Real Y1, Real X2, Real Y2, Real X3, Real Y3, Real X4, Real Y4)
{
    Wall(X1, Y1, X2, Y2);
    Wall(X2, Y2, X3, Y3);
    Wall(X3, Y3, X4, Y4);
    Wall(X4, Y4, X1, Y1);
}

void StlWriter::Cone(bool Reversed, Real XC, Real YC, Real R1, Real R2)
{
    const Real resolution = ArcToLinesResolution > 0 ? ArcToLinesResolution : 0.1L;
    // Each circle by its own radius, so stacked cones share their points;
    // a circle of no points is the centre.
    auto points = [&](Real r) -> Integer {
        return r > 0 ? static_cast<Integer>(Round(2 * Pi / std::max(0.002L, resolution / r))) : 0;
    };
    R1 = std::fabs(R1);
    R2 = std::fabs(R2);
    // The points of a circle as written, from its first point on (turning
    // back when reversed); the last is the first again.
    using Point = std::array<float, 3>;
    auto circle = [&](Real r, Integer n, Real z) {
        std::vector<Point> p;
        if (n == 0) {
            p.push_back({AsWritten(XC), AsWritten(YC), AsWritten(z)});
            return p;
        }
        const auto& unit = UnitCircle(n);
        const float zw = AsWritten(z);
        p.reserve(std::size_t(n) + 1);
        for (Integer i = 0; i <= n; ++i) {
            const Integer k = Reversed ? (n - i % n) % n : i % n;
            const auto& [c, s] = unit[std::size_t(k)];
            p.push_back({AsWritten(XC + r * c), AsWritten(YC + r * s), zw});
        }
        return p;
    };
    const Integer n1 = points(R1), n2 = points(R2);
    const std::vector<Point> c1 = circle(R1, n1, CadZ1), c2 = circle(R2, n2, CadZ2);
    auto at = [](const std::vector<Point>& c, Integer i) -> const Point& {
        return c[std::min(std::size_t(i), c.size() - 1)];
    };
    auto facet = [this](const Point& a, const Point& b, const Point& c) {
        Add({0, 0, 0, a[0], a[1], a[2], b[0], b[1], b[2], c[0], c[1], c[2]});
    };
    Integer i = 0, j = 0;
    // a band that advances along both circles by angle
    while (i < n1 || j < n2) {
        const bool first = j >= n2 || (i < n1 && std::int64_t(i + 1) * n2 <= std::int64_t(j + 1) * n1);
        if (first) {
            facet(at(c1, i), at(c2, j), at(c1, i + 1));
            ++i;
        } else {
            facet(at(c2, j), at(c2, j + 1), at(c1, i));
            ++j;
        }
    }
}

void StlWriter::Bar(Real X, Real Y, Real AngleDeg, Real Length, Real Thickness)
{
    const Real t = Thickness / 2, L = Length;
    // clockwise, so that the left-facing walls face outwards
    Real px[7] = {0, t, L - t, L, L - t, t, 0};
    Real py[7] = {0, t, t, 0, -t, -t, 0};
    const Real a = DegToRad(AngleDeg);
    for (int k = 0; k < 7; ++k) {
        RotatePoint(px[k], py[k], a);
        px[k] += X;
        py[k] += Y;
    }
    for (int k = 0; k < 6; ++k)
        LeftWall(px[k], py[k], px[k + 1], py[k + 1]);
}

void StlWriter::Char(char C, Real X, Real Y)
{
    if (std::strchr("achoru", C) == nullptr && C >= 'a' && C <= 'z')
        C = static_cast<char>(C - 'a' + 'A');
    if (C == 0)
        return;
    const Real h = CadTextHeight, w = 0.5L * h * CadTextWidth, s = std::sin(DegToRad(10));
    for (const Segment& seg : Segments) {
        if (std::strchr(seg.chars, C) == nullptr)
            continue;
        const Real x = X + seg.dx * w + seg.sx * s * h, y = Y + seg.dy * h;
        if (seg.vertical)
            Bar(x, y, 80, h / 2, 0.09L * h);
        else
            Bar(x, y, 0, w, 0.09L * h);
    }
}

void StlWriter::Text(const std::string& S, Real X, Real Y)
{
    const Real advance = CadTextHeight * CadTextWidth;
    for (std::size_t i = 0; i < S.size() && !Failed(); ++i)
        Char(S[i], X + static_cast<Real>(i) * advance, Y);
}

} // namespace kt4::cad
