#include "drive/drive_calc.h"

#include "drive/drive_bearings.h"
#include "drive/drive_data.h"
#include "drive/drive_series.h"
#include "drive/drive_values.h"
#include "foundation/maths.h"
#include "foundation/settings.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace kt4::drive {

namespace {

using settings::AddMessage;

constexpr Real YoungsModulus = 210000; // N/mm², steel
constexpr Real Poisson = 0.3L;

// Ends the calculation: a fatal message and CalcErrorFlag. Returns false so
// that a step can write "return Fatal(...)".
bool Fatal(const std::string& what)
{
    AddMessage(std::string(settings::SevFatal) + what);
    settings::CalcErrorFlag = true;
    return false;
}

// A length the calculation divides by counts as 0 below 1E-9 mm: what is
// left of a difference of equal lengths after rounding is no length.
bool NearZero(Real Length) { return std::fabs(Length) < 1E-9L; }

// A result beyond the range of the numbers (from an input such as 1E4000)
// ends the run like a zero divisor, named in the message, and is not
// passed on to the next step.
bool OutOfRange(const std::string& Name)
{
    return Fatal("Zahlenbereich \x81" "berschritten (" + Name + ") !");
}

// The row of a result in the table of drive values. Every result the
// calculation checks has one, which names it in the messages.
const DriveValue& RowOf(const Real* X)
{
    for (const DriveValue& v : DriveValueTable())
        if (Real* const* p = std::get_if<Real*>(&v.global); p && *p == X)
            return v;
    throw std::logic_error("a drive value without its row in the table of drive values");
}

// Each result finite, in the order given; the first that is not is named
// as its row names it, an array element without its brackets ("n1").
bool Finite(std::initializer_list<const Real*> Results)
{
    for (const Real* x : Results) {
        const DriveValue& row = RowOf(x);
        if (!std::isfinite(*x)) {
            std::string name = row.name;
            std::erase_if(name, [](char c) { return c == '[' || c == ']'; });
            return OutOfRange(name);
        }
    }
    return true;
}

// A rounded count that stays inside the range of the integer fields.
Integer RoundToInteger(Real X)
{
    constexpr Real lo = std::numeric_limits<Integer>::min();
    constexpr Real hi = std::numeric_limits<Integer>::max();
    return static_cast<Integer>(Round(X < lo ? lo : (X > hi ? hi : X)));
}

Real TorqueOf(Real power, Real speed) { return power * 60000 / (2 * Pi * speed); }

// The rules between values that the calculation mends before it judges
// the inputs: dR and dzw raised to what the bolt and the eccentricity
// need, an eccentricity of 0 derived from the wheels.
void MendRules()
{
    for (const DriveRule& r : DriveRules())
        if (r.mend && r.broken())
            r.mend();
}

// An input inside its range, or refused by name ("x = 0 !", "x < 0 !", or
// the end of the range it left).
template <class T>
bool InRange(const char* Name, T X, const Range& R)
{
    if constexpr (std::is_floating_point_v<T>)
        if (!std::isfinite(X))
            return OutOfRange(Name);
    const bool aboveLo = R.loIncluded ? X >= R.lo : X > R.lo;
    const bool belowHi = !R.bounded || (R.hiIncluded ? X <= R.hi : X < R.hi);
    if (aboveLo && belowHi)
        return true;
    const std::string name = Name;
    if (!belowHi)
        return Fatal(name + (R.hiIncluded ? " > " : " >= ") + std::to_string(R.hi) + " !");
    if (X > 0)
        return Fatal(name + " < " + std::to_string(R.lo) + " !");
    return Fatal(name + (X == 0 ? " = 0 !" : " < 0 !"));
}

// The inputs a drive cannot have, each refused value named in the message
// list, all of them at once, before the calculation uses any of them: the
// lengths, the rules between them (judged only where the lengths they need
// passed), then the other ranges; dR and dzw as MendRules left them.
bool ValidInputs()
{
    bool valid = true;
    std::vector<const void*> refused;
    auto judge = [&](bool bounded) {
        for (const DriveValue& v : DriveValueTable())
            if (v.range.judged && v.range.bounded == bounded)
                std::visit(
                    [&](auto* x) {
                        if (!InRange(v.name, *x, v.range)) {
                            valid = false;
                            refused.push_back(x);
                        }
                    },
                    v.global);
    };
    auto passed = [&](const Real* x) { return std::find(refused.begin(), refused.end(), x) == refused.end(); };
    judge(false);
    for (const DriveRule& r : DriveRules())
        if (!r.mend && std::all_of(r.needs.begin(), r.needs.end(), passed) && r.broken())
            valid = Fatal(r.refusal);
    judge(true);
    return valid;
}

bool Ratio()
{
    if (dp - dH == 0) {
        AddMessage("dh-dp=0!");
        settings::CalcErrorFlag = true;
        return false;
    }
    i = dp / (dp - dH);
    iAbs = std::fabs(i);
    i0 = dH / (dH - dp);
    return true;
}

void WidthsAndTeeth()
{
    bsDist = bs + cax;
    bOver = (bH - bP) / 2;
    bPOver = bP + bOver;
    const Real k = static_cast<Real>(Round(MaxReal(100, iAbs) / (iAbs + 1)));
    zH = RoundToInteger(k * (iAbs + 1));
    zW = RoundToInteger(zH * iAbs / (iAbs + 1));
}

void ShaftBoreAndHousing()
{
    // Without bearing 3 inside it the output shaft is solid: the bore of an
    // earlier design does not stay behind.
    diShaft2 = diLg3 < deLg3 ? MinReal(0.8L * d2, (deLg3 + diLg3) / 2 + 0.4L * (deLg3 - diLg3)) : 0;
    bcase = bLg1 + bH + bsDist + bLg45;
    Ltot = bcase + L1 + L2;
}

// n, T or P of the given shaft from the other two.
void CompleteGivenSide(Real& power, Real& speed, Real& torque)
{
    switch (nTPMode) {
    case DeriveN:
        if (torque != 0)
            speed = power * 60000 / (2 * Pi * torque);
        break;
    case DeriveT:
        if (speed != 0)
            torque = TorqueOf(power, speed);
        break;
    case DeriveP:
        power = torque * speed * 2 * Pi / 60000;
        break;
    default:
        break;
    }
}

void DriveValues()
{
    n[1] = std::fabs(n[1]);
    n[2] = std::fabs(n[2]);
    if (etaproz == 0)
        etaproz = 100;
    if (sideMode == InputGiven) {
        CompleteGivenSide(P[1], n[1], T[1]);
        P[2] = P[1] * etaproz / 100;
        n[2] = n[1] / iAbs;
        if (n[2] != 0)
            T[2] = TorqueOf(P[2], n[2]);
    } else {
        CompleteGivenSide(P[2], n[2], T[2]);
        P[1] = P[2] / etaproz * 100;
        n[1] = n[2] * iAbs;
        if (n[1] != 0)
            T[1] = TorqueOf(P[1], n[1]);
    }
    n[3] = 0;
    P[3] = 0;
    T[3] = T[2] - T[1];
}

void Forces()
{
    FtBoltSum = T[2] * 2000 / dlk;
    Pw = (1 / i + 1) * P[1];
    FtGear = T[2] * 2000 / dp;
    FrGear = TanReal(DegToRad(alpha)) * FtGear;
    FnGear = Hypot(FtGear, FrGear);
    nzLoad = nz / 4.0L;
    FtBolt = FtBoltSum / nzLoad;
}

bool BoltStresses()
{
    const Real w = SectionW(dz);
    if (w == 0)
        return Fatal("dz = 0 !");
    SigBz = (FtBolt * bP / 2) / w;
    const Real area = MinReal(bP, bs) * dz;
    if (area == 0)
        return Fatal(bP <= bs ? "bP = 0 !" : "bs = 0 !");
    pmaxz = FtBolt / area;
    return true;
}

// A section of 0 is reported but does not end the run: the stress is shown
// as 100000 so that it cannot pass unnoticed.
void ShaftTorsion()
{
    const Real wp2 = SectionWp(d2, bLg3 < bs ? diShaft2 : MaxReal(deLg3, diShaft2));
    if (wp2 == 0) {
        AddMessage("Fatal  : di > de ! (output shaft)");
        tau[2] = 100000;
    } else {
        tau[2] = T[2] * 1000 / wp2;
    }
    // the hollow input shaft or the eccentric pin, whichever is weaker
    const Real wp1 = MinReal(SectionWp(d1, diShaft1), SectionWp(dexz, 0));
    if (wp1 == 0) {
        AddMessage("Fatal  : di > de ! (input shaft)");
        tau[1] = 100000;
    } else {
        tau[1] = T[1] * 1000 / wp1;
    }
}

// Line contact of roller and hole.
bool HertzPressure()
{
    const Real curvature = 2 / dR - 2 / dzw;
    if (!(curvature > 0))
        return Fatal("dzw <= dR !");
    const Real rho = 1 / curvature;
    const Real contactLength = bP - bOver;
    if (!(contactLength > 0) || NearZero(contactLength))
        return Fatal("bH >= 3 bP !");
    // The pressure does not depend on the direction of the bolt force.
    pHertz = std::sqrt(std::fabs(FtBolt) * YoungsModulus /
                       ((1 - Poisson * Poisson) * 2 * Pi * rho * contactLength));
    return true;
}

void Resultant(std::size_t k)
{
    FrLager[k] = Hypot(FLagerT[k], FLagerR[k]);
}

bool InputSideLoads()
{
    FLagerT[2] = FtBoltSum - FtGear;
    FLagerR[2] = FrGear;
    Resultant(2);
    const Real a = bLg1 / 2 + bOver + bP / 2;
    const Real b = bP / 2 + bOver + bLg3 / 2;
    if (NearZero(a + b))
        return Fatal("a+b = 0 !");
    FrLager[3] = (FrLager[2] * a + (bLg1 / 2 + L1) * FrShaft[1]) / (a + b);
    FrLager[1] = (FrLager[2] * b + (a + b + L1 + bLg1 / 2) * FrShaft[1]) / (a + b);
    return true;
}

// Positions from the middle of the rolling wheel.
bool OutputSideLoads()
{
    const Real B4 = BearingWidth(4);
    const Real B5 = BearingWidth(5);
    // The span straight from the inputs: x5 - x4 after forming x5 keeps a
    // rounding rest where the bearings coincide.
    const Real span = bLg45 - B4 / 2 - B5 / 2;
    if (NearZero(span))
        return Fatal("L5-L4 = 0 !");
    const Real x4 = bP / 2 + bs + cax + B4 / 2;
    const Real x5 = x4 + span;
    const Real xF = x5 + B5 / 2 + 0.8L * L2; // point of the external force
    FLagerT[4] = (FtBoltSum * x5 + (xF - x5) * FrShaft[2]) / span;
    FLagerR[4] = FrGear * x5 / span;
    Resultant(4);
    FLagerT[5] = (FtBoltSum * x4 + (xF - x4) * FrShaft[2]) / span;
    FLagerR[5] = FrGear - FLagerR[4];
    Resultant(5);
    return true;
}

bool ShaftBending()
{
    const Real w1 = SectionW(dexz);
    if (w1 == 0)
        return Fatal("dexz = 0 !");
    SigB[1] = (FrLager[3] * bLg3 / 2) / w1;
    SigV[1] = std::sqrt(SigB[1] * SigB[1] + 3 * tau[1] * tau[1]);
    const Real w2 = SectionWb(d2, diShaft2);
    if (w2 == 0)
        return Fatal("di > de ! (output shaft)");
    SigB[2] = (FrLager[3] * bs + (bP / 2 + bs) * FtBoltSum) / w2;
    SigV[2] = std::sqrt(SigB[2] * SigB[2] + 3 * tau[2] * tau[2]);
    return true;
}

} // namespace

void CalcDrive()
{
    settings::AbortFlag = false;
    settings::CalcErrorFlag = false;
    settings::ClearMessages();

    MendRules();
    if (!ValidInputs() || !Finite({&exz}) || !Ratio() || !Finite({&i, &i0}))
        return;
    WidthsAndTeeth();
    ShaftBoreAndHousing();
    DriveValues();
    if (!Finite({&bOver, &bPOver, &bsDist, &diShaft2, &bcase, &Ltot, &n[1], &T[1], &P[1], &n[2], &T[2], &P[2],
                 &T[3]}))
        return;
    Forces();
    if (!BoltStresses() || !Finite({&FtBoltSum, &Pw, &FtGear, &FrGear, &FnGear, &FtBolt, &SigBz, &pmaxz}))
        return;
    ShaftTorsion();
    if (!HertzPressure() || !InputSideLoads() || !OutputSideLoads() ||
        !Finite({&tau[1], &tau[2], &pHertz, &FrLager[1], &FLagerT[2], &FLagerR[2], &FrLager[2], &FrLager[3],
                 &FLagerT[4], &FLagerR[4], &FrLager[4], &FLagerT[5], &FLagerR[5], &FrLager[5]}))
        return;
    CalculateBearings();
    if (!ShaftBending() || !Finite({&SigB[1], &SigV[1], &SigB[2], &SigV[2]}))
        return;
    if (std::fabs(i) < 10)
        AddMessage("Warnung: i < 10 !");
}

} // namespace kt4::drive
