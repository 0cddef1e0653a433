#include "drive/drive_data.h"

#include <initializer_list>

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

void InitInputs()
{
    dp = 34;
    diw = 16;
    dH = 36;
    bP = 5;
    bH = 6;
    nz = 4;
    dz = 4;
    dR = 6;
    des = 33;
    bs = 4;
    dzw = 7;
    dlk = 25;
    dexz = 5;
    dHe = 50;
    dLkS = 43;
    dS = 4.3L;
    ns = 8;
    bLg1 = 6;
    bLg45 = 6;
    cax = 0.5L;
    diLg3 = 0;
    deLg3 = 0;
    bLg3 = 0;
    Set(P, {1, 1, 1});
    Set(n, {1500, 50, 50});
    Set(T, {1, 25, 25});
    etaproz = 90;
    nTPMode = DeriveP;
    sideMode = OutputGiven;
    exz = 0;
    d1 = 8;
    d2 = 12;
    L1 = 10;
    L2 = 16;
    alpha = 45;
    KA = 1;
    Set(FrShaft, {0, 0});
    // Seats and spacer follow the shaft and wheel sizes just set.
    deLg1 = d1;
    deLg4 = d2;
    didist = dH;
}

void InitResults()
{
    i = 30;
    i0 = 30;
    iAbs = 30;
    zW = 60;
    zH = 62;
    bsDist = bOver = bPOver = 0;
    diShaft1 = diShaft2 = 0;
    bcase = Ltot = Pw = 0;
    FtGear = FrGear = FnGear = 0;
    FtBoltSum = nzLoad = FtBolt = 0;
    tau.fill(0);
    SigB.fill(0);
    SigV.fill(0);
    pmaxz = SigBz = pHertz = 0;
    FLagerT.fill(0);
    FLagerR.fill(0);
    FrLager.fill(0);
}

} // namespace

void InitDriveData()
{
    InitInputs();
    InitResults();
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
