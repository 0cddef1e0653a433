#include "drive/drive_inputs.h"

#include "drive/drive_data.h"

namespace kt4::drive {

namespace {

// Copies every input between the globals and a copy, in one direction.
template <class Globals, class Copy>
void Transfer(Globals&& g, Copy&& c)
{
    g(dp, c.dp), g(diw, c.diw), g(dH, c.dH), g(bP, c.bP), g(bH, c.bH), g(nz, c.nz), g(dz, c.dz);
    g(dR, c.dR), g(des, c.des), g(bs, c.bs), g(dzw, c.dzw), g(dlk, c.dlk), g(dexz, c.dexz);
    g(dHe, c.dHe), g(dLkS, c.dLkS), g(dS, c.dS), g(ns, c.ns), g(bLg1, c.bLg1), g(bLg45, c.bLg45);
    g(deLg1, c.deLg1), g(deLg4, c.deLg4), g(cax, c.cax), g(diLg3, c.diLg3), g(deLg3, c.deLg3);
    g(bLg3, c.bLg3), g(P, c.P), g(n, c.n), g(T, c.T), g(etaproz, c.etaproz), g(nTPMode, c.nTPMode);
    g(sideMode, c.sideMode), g(exz, c.exz), g(d1, c.d1), g(d2, c.d2), g(L1, c.L1), g(L2, c.L2);
    g(didist, c.didist), g(alpha, c.alpha), g(KA, c.KA), g(FrShaft, c.FrShaft), g(i, c.i);
    g(iAbs, c.iAbs);
}

} // namespace

DriveInputs CaptureDriveInputs()
{
    DriveInputs c;
    Transfer([](const auto& global, auto& copy) { copy = global; }, c);
    return c;
}

void CommitDriveInputs(const DriveInputs& Inputs)
{
    Transfer([](auto& global, const auto& copy) { global = copy; }, Inputs);
}

} // namespace kt4::drive
