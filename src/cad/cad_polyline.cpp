// Polylines (native on the DXF devices, lines and arcs elsewhere), the z
// range of 3-D output, cones and revolved profiles.
#include "cad/cad_internal.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "cad/dxf_writer.h"
#include "foundation/maths.h"
#include "graphics/geometry2d.h"

#include <cmath>

namespace kt4::cad {

using detail::Dev;
using detail::Finite;

namespace {

bool Native() { return CadNativePolyline && Dev().NativePolylines(); }

} // namespace

void c_polyline_begin(std::uint8_t closed)
{
    if (Native())
        Dev().PolylineBegin(closed);
    else
        CadProfileCount = 1;
}

void c_poly(Real x, Real y, Real angle)
{
    if (!Finite({x, y, angle}))
        return;
    if (Native()) {
        Dev().Vertex(x, y, DxfBulge(angle));
        c_moveto(x, y);
    } else if (CadProfileCount == 1) {
        c_moveto(x, y);
        CadPolyAngle = angle;
    } else {
        if (CadPolyAngle == 0) {
            c_lineto(x, y);
        } else {
            Real cx = 0, cy = 0, a1 = 0, r = 0, a2 = 0;
            bool arc = graphics::GetArcCenterXY(cx, cy, a1, r, a2, CadCurX, CadCurY, x, y, CadPolyAngle);
            if (!arc)
                c_lineto(x, y);
            else if (PolyArcToLines)
                c_arc_points(CadCurX, CadCurY, x, y, CadPolyAngle);
            else
                c_arc_dir(cx, cy, RadToDeg(a1), RadToDeg(a2), r, RadToDeg(CadPolyAngle));
            c_moveto(x, y);
        }
        CadPolyAngle = angle;
    }
    ++CadProfileCount;
}

void c_vertex(Real x, Real y, Real angle) { c_poly(x, y, angle); }

void c_poly_rot(Real ox, Real oy, Real x, Real y, Real angle, Real phi)
{
    c_poly(ox + x * std::cos(phi) - y * std::sin(phi), oy + y * std::cos(phi) + x * std::sin(phi),
           angle);
}

void c_poly_polar(Real r, Real a, Real angle) { c_poly(r * std::cos(a), r * std::sin(a), angle); }

void c_polyline_end()
{
    if (Native())
        Dev().PolylineEnd();
}

void c_setz(Real z1, Real z2)
{
    if (!Finite({z1, z2}))
        return;
    CadZ1 = z1;
    CadZ2 = z2;
}

void c_setzb(Real z, Real b) { c_setz(z, z + b); }

void c_cone(bool reversed, Real x, Real y, Real r1, Real r2)
{
    if (!Finite({x, y, r1, r2}))
        return;
    if (!Dev().Cone(reversed, x, y, r1, r2)) {
        c_circle(x, y, r1);
        c_circle(x, y, r2);
    }
}

void c_profile_begin() { CadProfileCount = 1; }

void c_profile_point(Real z, Real r, Real angle)
{
    if (!Finite({z, r, angle}))
        return;
    if (CadProfileCount == 1) {
        c_profile_moveto(z, r);
    } else {
        if (CadProfileAngle == 0) {
            c_profile_lineto(z, r);
        } else {
            c_profile_arc_points(CadProfCurX, CadProfCurY, z, r, CadProfileAngle);
            c_profile_moveto(z, r);
        }
    }
    CadProfileAngle = angle;
    ++CadProfileCount;
}

void c_profile_moveto(Real z, Real r)
{
    if (!Finite({z, r}))
        return;
    CadProfCurX = z;
    CadProfCurY = r;
}

void c_profile_lineto(Real z, Real r)
{
    if (!Finite({z, r}))
        return;
    const Real pz = CadProfCurX, pr = CadProfCurY;
    if (pz > z) {
        c_setz(z, pz);
        c_cone(true, 0, 0, r, pr);
    } else {
        c_setz(pz, z);
        c_cone(false, 0, 0, pr, r);
    }
    CadProfCurX = z;
    CadProfCurY = r;
}

void c_profile_arc_points(Real z1, Real r1, Real z2, Real r2, Real angle)
{
    if (!Finite({z1, r1, z2, r2, angle}))
        return;
    c_profile_moveto(z1, r1);
    // the start point is the profile's current point: no cone from it to itself
    detail::ArcAsSegments(c_profile_moveto, c_profile_lineto, 1, z1, r1, z2, r2, angle);
}

} // namespace kt4::cad
