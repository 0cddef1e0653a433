// Hatching of section drawings: a closed outline, built point by point in
// a fixed store, filled with parallel lines at an angle and a spacing.
// The outline and the hatch lines go through the c_ operations, so a hatch
// is drawn on the screen and in every CAD file alike.
//
// HatchMode (cad_settings.h) chooses the layers: 1 the outline on layer 5
// and the hatch lines on layer 3; 2 no outline, the hatch lines on layer
// 3; any other value both on the current layer. The current layer is the
// same after a hatch as before, whatever happened.
#pragma once

#include "foundation/types.h"

#include <array>

namespace kt4::cad {

struct THatchPoint {
    Real x = 0, y = 0;
};

inline constexpr Word MaxHatchPoints = 100;
// More hatch lines than this for one outline are refused.
inline constexpr Integer MaxHatchLines = 10000;

// The outline store, points 1..MaxHatchPoints; HatchCount are in use.
extern Array1<THatchPoint, MaxHatchPoints> HatchPoints;
extern Word HatchCount;
// Included angle (radians) stored with the last point: the next arc
// point inserts an arc from that point when it is not 0.
extern Real HatchArcAngle;

// Empties the store (start-up state).
void InitHatchStore();

void HatchBegin(); // HatchCount := 0, HatchArcAngle := 0
void HatchClear(); // HatchCount := 0
// Appends a point; a full store drops it with the message
// "Schraffurfehler".
void HatchAddPoint(Real X, Real Y);
void HatchAddPolarPoint(Real CX, Real CY, Real R, Real Phi);
// N + 1 points on the circle about (CX, CY) from Phi0 to Phi1 (radians).
void HatchAddArc(Integer N, Real CX, Real CY, Real R, Real Phi0, Real Phi1);
// Appends (X, Y), first the arc from the last point when HatchArcAngle is
// not 0; then ArcAngle is kept for the next point.
void HatchAddArcPoint(Real X, Real Y, Real ArcAngle);
void HatchAddArcPoint2(Real X, Real Y, Real ArcAngle);
// HatchAddArcPoint with (X, Y) turned by Phi (radians) about the origin
// and moved by (OX, OY).
void HatchAddRotPoint(Real OX, Real OY, Real X, Real Y, Real ArcAngle, Real Phi);
void SetHatchMode(Word M);
void SetHatchModeLayer();

// Hatches the first N stored points (all stored points when N is 0) with
// lines at Angle (degrees) and Spacing (mm; 0: ten lines across).
void HatchPolygon(Integer N, Real Spacing, Real Angle);
void HatchDraw(Integer N, Real Spacing, Real Angle);
// The rectangle's corners as points 1..4, then HatchPolygon(4, ...). A
// Spacing of 0 becomes round(longer side / 8).
void HatchRectangle(Real X1, Real Y1, Real X2, Real Y2, Real Spacing, Real Angle);
void schraff(Integer N, Real Spacing, Real Angle);

// Sorts Keys[1..N] ascending and permutes Index[1..N] alongside (Index
// starts as 1..100). N above 100: "Fatal  : QSORT2 error" and AbortFlag.
void qsort2(std::array<double, MaxHatchPoints + 1>& Keys,
            std::array<Integer, MaxHatchPoints + 1>& Index, Integer N);

} // namespace kt4::cad
