#include "graphics/geometry2d.h"

#include "foundation/settings.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"

#include <cmath>
#include <utility>

namespace kt4::graphics {

Real Det2(Real a, Real b, Real c, Real d) { return a * d - b * c; }

bool SolveLinear2(Real& x, Real& y, Real a1, Real b1, Real c1, Real a2, Real b2, Real c2)
{
    const Real d = Det2(a1, b1, a2, b2);
    if (d == 0) {
        x = y = 0;
        return false;
    }
    x = Det2(c1, b1, c2, b2) / d;
    y = Det2(a1, c1, a2, c2) / d;
    return true;
}

void LineIntersection(Real& x, Real& y, Real x1, Real y1, Real x2, Real y2, Real x3, Real y3,
                      Real x4, Real y4)
{
    // P1 + t (P2 - P1) = P3 + s (P4 - P3)
    Real t = 0, s = 0;
    SolveLinear2(t, s, x2 - x1, x3 - x4, x3 - x1, y2 - y1, y3 - y4, y3 - y1);
    x = x1 + t * (x2 - x1);
    y = y1 + t * (y2 - y1);
}

void RotateAbout(Real& x, Real& y, Real angle, Real cx, Real cy, Real px, Real py)
{
    Real dx = px - cx, dy = py - cy;
    RotatePoint(dx, dy, angle);
    x = cx + dx;
    y = cy + dy;
}

namespace {
bool ArcCenter(Real& cx, Real& cy, Real& angle1, Real& radius, Real& angle2, Real x1, Real y1,
               Real x2, Real y2, Real dphi)
{
    const Real dx = x2 - x1, dy = y2 - y1;
    const Real c = std::sqrt(dx * dx + dy * dy);
    const Real mx = (x1 + x2) / 2, my = (y1 + y2) / 2;
    const Real half = std::sin(dphi / 2);
    if (half == 0) {
        if (!settings::HideWarnings)
            settings::AddMessage("Fehler in GetArcCenter (dphi = " + RealStr(dphi) + " ! ");
        cx = mx;
        cy = my;
        radius = c / 2;
        angle1 = ArcTanXY(x1 - cx, y1 - cy);
        angle2 = ArcTanXY(x2 - cx, y2 - cy);
        return false;
    }
    const Real h = std::sin(dphi) != 0 ? c / 2 / std::tan(dphi / 2) : 0;
    radius = std::fabs(c / 2 / half);
    if (c != 0) {
        cx = mx - dy * h / c;
        cy = my + dx * h / c;
    } else {
        cx = mx;
        cy = my;
    }
    angle1 = ArcTanXY(x1 - cx, y1 - cy);
    angle2 = ArcTanXY(x2 - cx, y2 - cy);
    return true;
}
} // namespace

bool GetArcCenter(Real& cx, Real& cy, Real& angle1, Real& radius, Real& angle2, Real x1, Real y1,
                  Real x2, Real y2, Real dphi)
{
    if (dphi == 2 * Pi) {
        cx = x1;
        cy = y1;
        radius = angle1 = angle2 = 0;
        return true;
    }
    const bool arc = ArcCenter(cx, cy, angle1, radius, angle2, x1, y1, x2, y2, dphi);
    if (arc && dphi < 0)
        std::swap(angle1, angle2);
    return arc;
}

bool GetArcCenterXY(Real& cx, Real& cy, Real& angle1, Real& radius, Real& angle2, Real x1,
                    Real y1, Real x2, Real y2, Real dphi)
{
    return ArcCenter(cx, cy, angle1, radius, angle2, x1, y1, x2, y2, dphi);
}

void QuadraticRoots(Real& x1, Real& x2, std::uint8_t& noRoot, Real a, Real b, Real c)
{
    const Real d = b * b - 4 * a * c;
    if (d >= 0 && a != 0) {
        noRoot = 0;
        x1 = (-b + std::sqrt(d)) / (2 * a);
        x2 = (-b - std::sqrt(d)) / (2 * a);
    } else {
        noRoot = 1;
        x1 = x2 = 0;
    }
}

void LineCircleIntersection(Real& xa, Real& ya, Real& xb, Real& yb, std::uint8_t& noPoint, Real x1,
                            Real y1, Real x2, Real y2, Real cx, Real cy, Real r)
{
    if (x1 == x2) {
        xa = x1;
        xb = x2;
        const Real q = r * r - (x1 - cx) * (x1 - cx);
        if (q >= 0) {
            ya = cy + std::sqrt(q);
            yb = cy - std::sqrt(q);
            noPoint = 0;
        } else {
            ya = yb = 0;
            noPoint = 1;
        }
        return;
    }
    const Real m = (y2 - y1) / (x2 - x1);
    const Real b = y1 - m * x1;
    std::uint8_t none = 0;
    QuadraticRoots(xa, xb, none, m * m + 1, 2 * ((b - cy) * m - cx),
                   (b - cy) * (b - cy) + cx * cx - r * r);
    if (none) {
        xa = ya = xb = yb = 0;
        noPoint = 1;
        return;
    }
    ya = m * xa + b;
    yb = m * xb + b;
    noPoint = 0;
}

} // namespace kt4::graphics
