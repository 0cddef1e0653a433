// Boundaries of bearing ring sections as data. A section is written once,
// for the upper half, as a list of points, each with the included angle
// (radians, positive counter-clockwise) of the segment that starts there;
// the lower half is its mirror image about the bearing axis.
#pragma once

#include "foundation/types.h"

#include <vector>

namespace kt4::drawings {

struct OutlinePoint {
    Real x, y, a;
};
using Outline = std::vector<OutlinePoint>;

// The outline of the half with sign s: +1 as given, -1 mirrored (every y
// and every arc angle negated).
Outline Half(const Outline& upper, Real s);

// The outline as one polyline on the current layer. It is closed only
// where its last point repeats the first.
void DrawOutline(const Outline& o);

// The outline as the hatch builder's boundary (HatchBegin, the points with
// their arcs), hatched with HatchDraw(0, spacing, angle) in the current
// HatchMode.
void HatchOutline(const Outline& o, Real spacing, Real angle);

// A point or direction of a construction.
struct Vec2 {
    Real x = 0, y = 0;
};
inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Real k, Vec2 a) { return {k * a.x, k * a.y}; }

// A cylindrical rolling element seen from the side, x0..x1 along the axis
// and y0..y1 (y0 < y1, upper half) across it, corners of radius rho: its
// eight corner arcs in both halves, and its four straight sides in the
// half with sign s. A corner radius of 0 draws no arcs.
void RollerCornerArcs(Real x0, Real x1, Real y0, Real y1, Real rho);
void RollerSides(Real x0, Real x1, Real y0, Real y1, Real rho, Real s);

// A point that repeats its predecessor (a corner of radius 0) is left out;
// the segment from it keeps its arc.
Outline WithoutRepeats(const Outline& o);

} // namespace kt4::drawings
