// Plane geometry on design values: 2 x 2 systems, intersections of lines
// and of a line with a circle, rotation about a point, and the centre of
// an arc given by its end points and included angle. Angles in radians.
#pragma once

#include "foundation/types.h"

#include <cstdint>

namespace kt4::graphics {

Real Det2(Real a, Real b, Real c, Real d); // a*d - b*c

// Solves a1 x + b1 y = c1, a2 x + b2 y = c2. A singular system gives false
// and x = y = 0.
bool SolveLinear2(Real& x, Real& y, Real a1, Real b1, Real c1, Real a2, Real b2, Real c2);

// Intersection of the lines P1-P2 and P3-P4; parallel lines give P1.
void LineIntersection(Real& x, Real& y, Real x1, Real y1, Real x2, Real y2, Real x3, Real y3,
                      Real x4, Real y4);

// P rotated about C by angle counter-clockwise.
void RotateAbout(Real& x, Real& y, Real angle, Real cx, Real cy, Real px, Real py);

// Centre, radius and end-point directions of the arc from (x1, y1) to
// (x2, y2) with the included angle dphi (positive counter-clockwise); the
// arc runs counter-clockwise from angle1 to angle2. A full turn gives the
// start point as centre and radius 0. Returns false when dphi describes
// no arc (sin(dphi/2) = 0): then the results describe the straight
// segment (centre the midpoint, radius half the chord) and the caller
// draws a line; a message is added unless warnings are hidden.
bool GetArcCenter(Real& cx, Real& cy, Real& angle1, Real& radius, Real& angle2, Real x1, Real y1,
                  Real x2, Real y2, Real dphi);
// The same without the full-turn case and without exchanging the angles
// for a negative dphi.
bool GetArcCenterXY(Real& cx, Real& cy, Real& angle1, Real& radius, Real& angle2, Real x1,
                    Real y1, Real x2, Real y2, Real dphi);

// Roots of a x^2 + b x + c (a must not be 0); noRoot = 1 and x1 = x2 = 0
// when there is none.
void QuadraticRoots(Real& x1, Real& x2, std::uint8_t& noRoot, Real a, Real b, Real c);

// Intersections of the line P1-P2 with the circle about (cx, cy); noPoint
// = 1 and all four 0 when they do not meet. A tangent gives two equal
// points.
void LineCircleIntersection(Real& xa, Real& ya, Real& xb, Real& yb, std::uint8_t& noPoint, Real x1,
                            Real y1, Real x2, Real y2, Real cx, Real cy, Real r);

} // namespace kt4::graphics
