// The drive's input and result values: geometry of rolling wheel, hollow
// wheel, bolts or rollers, output disc, housing, shafts and bearing seats;
// power, speed and torque on both shafts; and every result of the drive
// calculation. They are globals for the whole run; dialogs, calculation,
// printout, project file, drawings and sibling-program files use them
// directly.
//
// Units: lengths mm, power kW, speed 1/min, torque N m, forces N, stresses
// and pressures N/mm², pressure angle in degrees, efficiency in percent.
//
// Bearings are numbered 1 input shaft (housing cover), 2 eccentric (inside
// the rolling wheel), 3 between input and output shaft, 4 output shaft,
// 5 second output shaft bearing.
#pragma once

#include "foundation/types.h"

namespace kt4::drive {

// ---- Inputs ------------------------------------------------------------

extern Real dp;     // rolling wheel diameter
extern Real diw;    // bore of the rolling wheel (outer diameter of bearing 2)
extern Real dH;     // hollow wheel diameter
extern Real bP;     // rolling wheel width
extern Real bH;     // hollow wheel width
extern Integer nz;  // number of bolts / rollers
extern Real dz;     // bolt diameter
extern Real dR;     // roller diameter
extern Real des;    // output disc diameter
extern Real bs;     // output disc width
extern Real dzw;    // holes of the rolling wheel for the rollers
extern Real dlk;    // bolt circle
extern Real dexz;   // eccentric pin (bore of bearing 2)
extern Real dHe;    // housing outer diameter (printed as dcase)
extern Real dLkS;   // screw circle
extern Real dS;     // screw hole diameter
extern Integer ns;  // number of screws
extern Real bLg1;   // width of bearing 1
extern Real bLg45;  // axial room of bearings 4 and 5 together
extern Real deLg1;  // outer diameter of bearing 1
extern Real deLg4;  // outer diameter of bearing 4
extern Real cax;    // axial play
extern Real diLg3;  // bore of bearing 3
extern Real deLg3;  // outer diameter of bearing 3
extern Real bLg3;   // width of bearing 3

// [1] input, [2] output, [3] scratch (the calculation sets P[3] and n[3]
// to 0 and T[3] to T[2] - T[1], the hollow wheel's reaction).
extern Array1<Real, 3> P; // power
extern Array1<Real, 3> n; // speed
extern Array1<Real, 3> T; // torque

extern Real etaproz;      // efficiency in percent
// Which of n, T, P is derived from the other two.
enum : Integer { DeriveN = 1, DeriveT = 2, DeriveP = 3 };
extern Integer nTPMode;
// Which shaft the given values belong to.
enum : Integer { InputGiven = 1, OutputGiven = 2 };
extern Integer sideMode;

extern Real exz;    // eccentricity; 0 means derive it as (dH - dp)/2
extern Real d1;     // input shaft diameter
extern Real d2;     // output shaft diameter
extern Real L1;     // input shaft length
extern Real L2;     // output shaft length
extern Real didist; // inner diameter of the output spacer ring
extern Real alpha;  // pressure angle, degrees
extern Real KA;     // application factor of the preliminary design
extern Array1<Real, 2> FrShaft; // external radial force on input [1] / output [2] shaft

// ---- Results -----------------------------------------------------------

extern Real i;      // ratio dp/(dp - dH), negative when dH > dp
extern Real i0;     // stationary ratio dH/(dH - dp)
extern Real iAbs;   // |i|; also the ratio typed in the preliminary design
extern Integer zW;  // lobes of the rolling wheel
extern Integer zH;  // lobes of the hollow wheel
extern Real bsDist; // bs + cax
extern Real bOver;  // (bH - bP)/2
extern Real bPOver; // bP + bOver
extern Real diShaft1; // bore of the input shaft, 0 = solid
extern Real diShaft2; // bore of the hollow output shaft
extern Real bcase;  // housing width
extern Real Ltot;   // total length
extern Real Pw;     // rolling power P[1]·(1 + 1/i)
extern Real FtGear, FrGear, FnGear; // tangential, radial, normal gear force
extern Real FtBoltSum; // circumferential force on the bolt circle
extern Real nzLoad;    // load-carrying bolts, nz/4
extern Real FtBolt;    // force on one bolt
// Shaft stresses, input [1] and output [2]: shear, bending, equivalent
extern Array1<Real, 2> tau;
extern Array1<Real, 2> SigB;
extern Array1<Real, 2> SigV;
extern Real pmaxz;  // bolt surface pressure
extern Real SigBz;  // bolt bending stress
extern Real pHertz; // Hertz pressure roller / hole
// The two perpendicular components of each bearing's radial load and
// their resultant, bearings 1..5.
extern Array1<Real, 5> FLagerT;
extern Array1<Real, 5> FLagerR;
extern Array1<Real, 5> FrLager;

// Every field to its default or reset value; deLg1, deLg4 and didist copy
// d1, d2 and dH. Runs at program start and on File > New.
void InitDriveData();
// InitDriveData, then the example values of the guided tour.
void LoadDemoDriveData();
// The example shaft diameters: d1 12, d2 25.
void ResetShaftDefaults();

} // namespace kt4::drive

namespace kt4 {
// The drive data as other modules name them: TDriveData::dp, TDriveData::T[2].
namespace TDriveData = drive;
} // namespace kt4
