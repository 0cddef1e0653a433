// Load ratings of rolling bearings from their rolling-element set, as the
// catalogue tables are rated: the basic dynamic rating C (ISO 281), the
// basic static rating C0 (ISO 76) and the fatigue load limit Cu (ISO 281,
// Annex B). Lengths in mm, ratings in N, angles in degrees.
//
// The factor tables are interpolated linearly in gamma = Dw cos(alpha) / Dpw
// and held at their end values outside their range.
#pragma once

namespace kt4::catalogue {

// fc of single-row radial and angular-contact groove ball bearings.
double GrooveBallFc(double Gamma);
// fc of radial roller bearings.
double RollerFc(double Gamma);
// f0 of radial and angular-contact groove ball bearings.
double GrooveBallF0(double Gamma);
// fc and f0 of self-aligning ball bearings.
double SelfAligningFc(double Gamma);
double SelfAligningF0(double Gamma);

// Radial ball bearings: bm fc (i cos a)^0.7 Z^(2/3) Dw^1.8, and above
// Dw = 25.4 mm 3.647 bm fc (i cos a)^0.7 Z^(2/3) Dw^1.4.
double BallC(double Bm, double Fc, int Rows, double AlphaDeg, int Z, double Dw);
// f0 i Z Dw^2 cos a.
double BallC0(double F0, int Rows, int Z, double Dw, double AlphaDeg);
// Radial roller bearings: bm fc (i Lwe cos a)^(7/9) Z^(3/4) Dwe^(29/27).
double RollerC(double Bm, double Fc, int Rows, double Lwe, double AlphaDeg, int Z, double Dwe);
// 44 (1 - Dwe cos a / Dpw) i Z Lwe Dwe cos a.
double RollerC0(int Rows, int Z, double Lwe, double Dwe, double AlphaDeg, double Dpw);
// Cu: balls C0/22, rollers C0/8.2, scaled by (100/Dpw)^0.5 (balls) or
// ^0.3 (rollers) above Dpw = 100 mm.
double FatigueLoadLimit(bool Ball, double C0, double Dpw);

} // namespace kt4::catalogue
