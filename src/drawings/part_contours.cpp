#include "drawings/part_contours.h"

#include "cad/cad_output.h"
#include "foundation/maths.h"

#include <cmath>
#include <vector>

namespace kt4::drawings {

using namespace cad;

namespace {

bool zValid = true;

struct Vertex {
    Real x, y, arc; // arc: included angle of the segment that starts here
};

Vertex Polar(Real r, Real a, Real arc) { return {r * std::cos(a), r * std::sin(a), arc}; }

// One polyline through the vertices; the caller repeats the first vertex
// at the end, so it closes on every device.
void Polyline(const std::vector<Vertex>& v)
{
    if (!zValid || v.size() < 2)
        return;
    c_polyline_begin(0);
    for (const Vertex& p : v)
        c_poly(p.x, p.y, p.arc);
    c_polyline_end();
}

// The same closed run traversed the other way round.
std::vector<Vertex> Reversed(const std::vector<Vertex>& v)
{
    std::vector<Vertex> out;
    out.reserve(v.size());
    for (std::size_t k = v.size(); k-- > 0;)
        out.push_back({v[k].x, v[k].y, k > 0 ? -v[k - 1].arc : 0});
    return out;
}

} // namespace

bool PartZRange(Real z1, Real z2)
{
    zValid = std::isfinite(z1) && std::isfinite(z2) && z2 > z1;
    if (zValid)
        c_setz(z1, z2);
    return zValid;
}

bool PartZLength(Real z, Real b) { return PartZRange(z, z + b); }

bool PartZValid() { return zValid; }

void OuterCircle(Real x, Real y, Real r)
{
    if (zValid && r > 0)
        c_circle(x, y, r);
}

void HoleCircle(Real x, Real y, Real r)
{
    if (zValid && r > 0)
        c_circle_cw(x, y, r);
}

void HolesOnCircle(Integer n, Real pitch, Real r)
{
    for (Integer j = 0; j < n; ++j) {
        const Real a = 2 * Pi * j / n;
        HoleCircle(pitch / 2 * std::cos(a), pitch / 2 * std::sin(a), r);
    }
}

void DrawLobedContour(Integer n, Real x, Real y, Real d, Real c, bool asHole)
{
    if (n <= 0 || !(d > 0))
        return;
    const Real p = d / n;
    const Real q = p * std::sqrt(Real(2));
    const Real R1 = (d + 2 * c * p - q) / 2, R2 = (d + 2 * c * p + q) / 2;
    if (!(R1 > 0))
        return;
    const Real step = 2 * Pi / n;
    std::vector<Vertex> v;
    v.reserve(2 * std::size_t(n) + 1);
    for (Integer k = 0; k < n; ++k) {
        v.push_back({x + R1 * std::cos(k * step), y + R1 * std::sin(k * step), 0});
        v.push_back({x + R2 * std::cos((k + 0.5L) * step), y + R2 * std::sin((k + 0.5L) * step), 0});
    }
    v.push_back(v.front());
    Polyline(asHole ? Reversed(v) : v);
}

void DrawTubeProfile(Real D, Real d, Real L)
{
    if (!(L > 0) || !(d > 0) || !(D > d))
        return;
    const Real ri = d / 2;
    c_setlayer(5);
    c_profile_begin();
    c_profile_point(0, ri, 0);
    c_profile_point(L, ri, 0);
    c_profile_point(L, D / 2, 0);
    c_profile_point(0, D / 2, 0);
    c_profile_point(0, ri, 0);
}

void DrawRib(Real a, Real d1, Real d2, Real w)
{
    if (!(d1 > 0) || !(d2 > d1) || !(w > 0))
        return;
    const Real a1 = std::atan(2 * w / d1), a2 = std::atan(2 * w / d2);
    Polyline({Polar(d1 / 2, a - a1, 0), Polar(d2 / 2, a - a2, 2 * a2), Polar(d2 / 2, a + a2, 0),
              Polar(d1 / 2, a + a1, -2 * a1), Polar(d1 / 2, a - a1, 0)});
}

void DrawLugRing(Integer mode, Integer n, Real D, Real w, Real h)
{
    c_setlayer(5);
    OuterCircle(0, 0, D / 2);
    const Real Rh = (D - 2 * w - h) / 2; // circle of the holes
    const Real Ri = D / 2 - w;           // inner edge of the ring
    if (n <= 0 || !(h > 0) || !(Rh > 0) || !(Ri > 0))
        return;
    Real rh = 0, ah = 0, ri = 0, ai = 0;
    XYToPolar(Rh, h / 2 + w, rh, ah);
    XYToPolar(Ri, h / 2 + w, ri, ai);
    const Real gap = 2 * Pi / n - 2 * ai; // inner edge between two lugs
    if ((mode == 2 || mode == 3) && gap > 0) {
        std::vector<Vertex> v;
        for (Integer j = 0; j < n; ++j) {
            const Real t = 2 * Pi * j / n;
            v.push_back(Polar(ri, t - ai, 0));
            v.push_back(Polar(rh, t - ah, -Pi)); // half circle round the hole
            v.push_back(Polar(rh, t + ah, 0));
            v.push_back(Polar(ri, t + ai, gap));
        }
        v.push_back(v.front());
        // the inner edge bounds the ring's material: a hole, clockwise
        Polyline(Reversed(v));
    }
    for (Integer j = 0; j < n; ++j) {
        const Real t = 2 * Pi * j / n;
        HoleCircle(Rh * std::cos(t), Rh * std::sin(t), h / 2);
    }
}

void DrawOpenFlange(Integer n, Real dIn, Real D, Real m, Real s, Real hz, Real c)
{
    if (m == 0)
        m = 1.2L;
    if (s == 0)
        s = m;
    c_setlayer(5);
    if (hz > 0)
        PartZRange(0, hz);
    OuterCircle(0, 0, std::fabs(D) / 2);
    HoleCircle(0, 0, std::fabs(dIn) / 2);
    if (dIn >= c)
        c = dIn + 2 * m;
    DrawItemsOnCircle(n, D - 2 * m, c, s);
}

void DrawItemsOnCircle(Integer n, Real Dout, Real Din, Real w)
{
    if (n <= 0)
        n = 6;
    if (w == 0)
        w = 1.5L * Din / n;
    const Real step = 2 * Pi / n;
    for (Integer k = 0; k < n; ++k)
        DrawWindow(true, Dout / 2, Din / 2, w / 2, k * step, step);
}

void DrawWindow(bool asHole, Real Ro, Real Ri, Real h, Real a, Real step)
{
    // A window that the spokes close (or whose circles cross) is no window.
    if (!(Ri >= 0) || !(Ro > Ri) || !(h >= 0) || !(step > 0))
        return;
    if (!(step - 2 * std::atan2(h, Ri) > 0) || !(step - 2 * std::atan2(h, Ro) > 0))
        return;
    const Real up = a + Pi / 2, down = a + step - Pi / 2;
    const Vertex A{Ri * std::cos(a) + h * std::cos(up), Ri * std::sin(a) + h * std::sin(up), 0};
    const Vertex B{Ro * std::cos(a) + h * std::cos(up), Ro * std::sin(a) + h * std::sin(up), 0};
    const Vertex D{Ri * std::cos(a + step) + h * std::cos(down),
                   Ri * std::sin(a + step) + h * std::sin(down), 0};
    const Vertex C{Ro * std::cos(a + step) + h * std::cos(down),
                   Ro * std::sin(a + step) + h * std::sin(down), 0};
    auto span = [](const Vertex& from, const Vertex& to) {
        Real d = std::atan2(to.y, to.x) - std::atan2(from.y, from.x);
        return d < 0 ? d + 2 * Pi : d;
    };
    const Real di = span(A, D), dout = span(B, C);
    if (asHole)
        Polyline({{A.x, A.y, di}, {D.x, D.y, 0}, {C.x, C.y, -dout}, {B.x, B.y, 0}, {A.x, A.y, 0}});
    else
        Polyline({{A.x, A.y, 0}, {B.x, B.y, dout}, {C.x, C.y, 0}, {D.x, D.y, -di}, {A.x, A.y, 0}});
}

} // namespace kt4::drawings
