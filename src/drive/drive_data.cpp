#include "drive/drive_data.h"

#include "drive/drive_inputs.h"
#include "drive/drive_values.h"

#include <initializer_list>
#include <type_traits>

namespace kt4::drive {

Real dp, diw, dH, bP, bH;
Integer nz;
Real dz, dR, des, bs, dzw, dlk, dexz, dHe, dLkS, dS;
Integer ns;
Real bLg1, bLg45, deLg1, deLg4, cax, diLg3, deLg3, bLg3;
Array1<Real, 3> P, n, T;
Real etaproz;
Integer nTPMode, sideMode;
Real exz, d1, d2, L1, L2, didist, alpha, KA;
Array1<Real, 2> FrShaft;

Real i, i0, iAbs;
Integer zW, zH;
Real bsDist, bOver, bPOver, diShaft1, diShaft2, bcase, Ltot, Pw;
Real FtGear, FrGear, FnGear, FtBoltSum, nzLoad, FtBolt;
Array1<Real, 2> tau, SigB, SigV;
Real pmaxz, SigBz, pHertz;
Array1<Real, 5> FLagerT, FLagerR, FrLager;

namespace {

template <std::size_t N>
void Set(Array1<Real, N>& a, std::initializer_list<Real> values)
{
    std::size_t k = 1;
    for (Real v : values)
        a[k++] = v;
}

ValueRef Ref(Real& X) { return &X; }
ValueRef Ref(Integer& X) { return &X; }

void Assign(ValueRef To, Real X)
{
    std::visit([&](auto* p) { *p = static_cast<std::remove_reference_t<decltype(*p)>>(X); }, To);
}

// The housing is judged as a whole: not where one of its lengths is refused.
constexpr std::array<const Real*, 4> Housing{&dH, &dHe, &dLkS, &dS};

constexpr DriveRule Rules[] = {
    {"dR >= dz", [] { return dz > dR; }, [] { dR = dz; }},
    {"exz = (dH - dp)/2 where 0", [] { return exz == 0; }, [] { exz = (dH - dp) / 2; }},
    {"dzw >= dR + 2 exz", [] { return dzw - dR < 2 * exz; }, [] { dzw = dR + 2 * exz; }},
    {"dHe > dH", [] { return !(dHe > dH); }, nullptr, "dHe <= dH !", Housing},
    {"dHe > dLkS + dS", [] { return !(dHe > dLkS + dS); }, nullptr, "dHe <= dLkS+dS !", Housing},
};

} // namespace

std::span<const DriveValue> DriveValueTable()
{
// A value the dialogs edit sits in DriveInputs under its own name.
#define EDITED(x) #x, Ref(x), [](DriveInputs& c) { return Ref(c.x); }
#define INPUT(x, ...) {EDITED(x), ValueKind::Input, __VA_ARGS__}
#define RESULT(x, start) {#x, Ref(x), nullptr, ValueKind::Result, AnyValue, start}
    static const DriveValue values[] = {
        INPUT(dp, Length, 34),           INPUT(dH, Length, 36),          INPUT(bP, Length, 5),
        INPUT(bH, Length, 6),            INPUT(bs, Length, 4),           INPUT(dz, Length, 4),
        INPUT(dR, Length, 6),            INPUT(dzw, Length, 7),          INPUT(dlk, Length, 25),
        INPUT(des, Length, 33),          INPUT(dHe, Length, 50),         INPUT(dLkS, Length, 43),
        INPUT(dS, Length, 4.3L),         INPUT(d1, Length, 8),           INPUT(d2, Length, 12),
        INPUT(dexz, Length, 5),          INPUT(bLg1, Length, 6),
        // seats and spacer follow the shaft and wheel sizes
        INPUT(deLg1, Length, 0, &d1),    INPUT(bLg45, Length, 6),        INPUT(deLg4, Length, 0, &d2),
        INPUT(L1, Length, 10),           INPUT(L2, Length, 16),          INPUT(diw, LengthOrNone, 16),
        INPUT(didist, LengthOrNone, 0, &dH), INPUT(cax, LengthOrNone, 0.5L), INPUT(diLg3, LengthOrNone, 0),
        INPUT(deLg3, LengthOrNone, 0),   INPUT(bLg3, LengthOrNone, 0),
        INPUT(nz, Within(4, 100), 4),    INPUT(ns, Within(3, 100), 8),
        INPUT(etaproz, Within(0, 100), 90), // 0 stands for 100
        INPUT(alpha, Angle, 45),         INPUT(exz, AnyValue, 0),        INPUT(KA, AnyValue, 1),
        INPUT(nTPMode, AnyValue, DeriveP), INPUT(sideMode, AnyValue, OutputGiven),
        INPUT(P[1], AnyValue, 1),        INPUT(P[2], AnyValue, 1),       INPUT(P[3], AnyValue, 1),
        INPUT(n[1], AnyValue, 1500),     INPUT(n[2], AnyValue, 50),      INPUT(n[3], AnyValue, 50),
        INPUT(T[1], AnyValue, 1),        INPUT(T[2], AnyValue, 25),      INPUT(T[3], AnyValue, 25),
        INPUT(FrShaft[1], AnyValue, 0),  INPUT(FrShaft[2], AnyValue, 0),
        // the ratio, which the dialogs read and set
        {EDITED(i), ValueKind::Result, AnyValue, 30}, {EDITED(iAbs), ValueKind::Result, AnyValue, 30},
        RESULT(i0, 30),         RESULT(zW, 60),        RESULT(zH, 62),         RESULT(bsDist, 0),
        RESULT(bOver, 0),       RESULT(bPOver, 0),     RESULT(diShaft1, 0),    RESULT(diShaft2, 0),
        RESULT(bcase, 0),       RESULT(Ltot, 0),       RESULT(Pw, 0),          RESULT(FtGear, 0),
        RESULT(FrGear, 0),      RESULT(FnGear, 0),     RESULT(FtBoltSum, 0),   RESULT(nzLoad, 0),
        RESULT(FtBolt, 0),      RESULT(tau[1], 0),     RESULT(tau[2], 0),      RESULT(SigB[1], 0),
        RESULT(SigB[2], 0),     RESULT(SigV[1], 0),    RESULT(SigV[2], 0),     RESULT(pmaxz, 0),
        RESULT(SigBz, 0),       RESULT(pHertz, 0),     RESULT(FLagerT[1], 0),  RESULT(FLagerT[2], 0),
        RESULT(FLagerT[3], 0),  RESULT(FLagerT[4], 0), RESULT(FLagerT[5], 0),  RESULT(FLagerR[1], 0),
        RESULT(FLagerR[2], 0),  RESULT(FLagerR[3], 0), RESULT(FLagerR[4], 0),  RESULT(FLagerR[5], 0),
        RESULT(FrLager[1], 0),  RESULT(FrLager[2], 0), RESULT(FrLager[3], 0),  RESULT(FrLager[4], 0),
        RESULT(FrLager[5], 0),
    };
#undef EDITED
#undef INPUT
#undef RESULT
    return values;
}

std::span<const DriveRule> DriveRules() { return Rules; }

void InitDriveData()
{
    for (const DriveValue& v : DriveValueTable())
        Assign(v.global, v.start);
    for (const DriveValue& v : DriveValueTable())
        if (v.follows)
            Assign(v.global, *v.follows);
}

void ResetShaftDefaults()
{
    d1 = 12;
    d2 = 25;
}

void LoadDemoDriveData()
{
    InitDriveData();
    Set(n, {1500, 50, 50});
    Set(P, {0.15L, 1, 1});
    Set(T, {1, 25, 25});
    nTPMode = DeriveT;
    sideMode = InputGiven;
    ResetShaftDefaults();
    Set(FrShaft, {50, 500});
}

} // namespace kt4::drive
