// The plane contours that the part drawings are made of. A part is drawn
// in its own x-y plane (its axis is the z axis) as contours with a z range:
// the STL writer extrudes every contour drawn while a range is set into a
// wall from z1 to z2, the plane formats show the contours flat. Outer
// boundaries run counter-clockwise, holes clockwise.
//
// Nothing degenerate leaves this module: a circle of radius <= 0, and any
// contour while the z range is empty or inverted, is not drawn.
#pragma once

#include "foundation/types.h"

namespace kt4::drawings {

// The z range of the contours that follow (c_setz). False, and every
// contour below draws nothing until the next range, when z2 <= z1.
bool PartZRange(Real z1, Real z2);
bool PartZLength(Real z, Real b); // z .. z + b
// True while the z range allows drawing.
bool PartZValid();

// An outer boundary (counter-clockwise) or a hole (clockwise) circle.
void OuterCircle(Real x, Real y, Real r);
void HoleCircle(Real x, Real y, Real r);
// n holes of radius r, centred on the circle of diameter pitch at the
// angles j 2 pi / n (j = 0 .. n-1).
void HolesOnCircle(Integer n, Real pitch, Real r);

// Closed toothed contour with n teeth of pitch p = d/n around (x, y): the
// tips on R2 = (d + 2cp + q)/2, the roots on R1 = (d + 2cp - q)/2,
// q = p sqrt 2. Counter-clockwise, or clockwise as a hole.
void DrawLobedContour(Integer n, Real x, Real y, Real d, Real c, bool asHole = false);
// Revolved tube of outer diameter D, bore d and length L; nothing unless
// D > d > 0 and L > 0.
void DrawTubeProfile(Real D, Real d, Real L);
// A rib along the radius at angle a (radians) from diameter d1 to d2,
// w its half width.
void DrawRib(Real a, Real d1, Real d2, Real w);
// Ring of outer diameter D and width w with n inward lugs of width
// h + 2w around holes of diameter h (mode 2 or 3 draws the lugs).
void DrawLugRing(Integer mode, Integer n, Real D, Real w, Real h);
// Flat ring (outer diameter D, bore dIn) with n windows between D - 2m and
// c; spokes s wide; thickness hz when above 0.
void DrawOpenFlange(Integer n, Real dIn, Real D, Real m, Real s, Real hz, Real c);
// n windows evenly on the ring between Din and Dout, spokes w wide.
void DrawItemsOnCircle(Integer n, Real Dout, Real Din, Real w);
// One window between the circles Ri and Ro and two spokes of half width h
// on the rays a and a + step.
void DrawWindow(bool asHole, Real Ro, Real Ri, Real h, Real a, Real step);

} // namespace kt4::drawings
