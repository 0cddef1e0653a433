#include "drive/drive_snapshot.h"

#include "drive/drive_data.h"

#include <type_traits>

namespace kt4::drive {

namespace {

// Calls F on every value of drive_data.h, inputs and results, in one fixed
// order; arrays element by element.
template <class F>
void ForEachValue(F&& f)
{
    auto each = [&](auto& array) {
        for (auto& x : array)
            f(x);
    };
    for (Real* x : {&dp, &diw, &dH, &bP, &bH, &dz, &dR, &des, &bs, &dzw, &dlk, &dexz, &dHe, &dLkS,
                    &dS, &bLg1, &bLg45, &deLg1, &deLg4, &cax, &diLg3, &deLg3, &bLg3, &etaproz, &exz,
                    &d1, &d2, &L1, &L2, &didist, &alpha, &KA, &i, &i0, &iAbs, &bsDist, &bOver,
                    &bPOver, &diShaft1, &diShaft2, &bcase, &Ltot, &Pw, &FtGear, &FrGear, &FnGear,
                    &FtBoltSum, &nzLoad, &FtBolt, &pmaxz, &SigBz, &pHertz})
        f(*x);
    for (Integer* x : {&nz, &ns, &nTPMode, &sideMode, &zW, &zH})
        f(*x);
    each(P);
    each(n);
    each(T);
    each(FrShaft);
    each(tau);
    each(SigB);
    each(SigV);
    each(FLagerT);
    each(FLagerR);
    each(FrLager);
}

} // namespace

DriveSnapshot CaptureDrive()
{
    DriveSnapshot s;
    ForEachValue([&](auto& x) {
        if constexpr (std::is_same_v<std::remove_reference_t<decltype(x)>, Integer>)
            s.integers.push_back(x);
        else
            s.reals.push_back(x);
    });
    s.bearingSlots = bearings::BearingSlots;
    return s;
}

void RestoreDrive(const DriveSnapshot& S)
{
    std::size_t r = 0, k = 0;
    ForEachValue([&](auto& x) {
        if constexpr (std::is_same_v<std::remove_reference_t<decltype(x)>, Integer>)
            x = S.integers.at(k++);
        else
            x = S.reals.at(r++);
    });
    bearings::BearingSlots = S.bearingSlots;
}

} // namespace kt4::drive
