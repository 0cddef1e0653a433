#include "drive/predesign.h"

#include "drive/bearing_selection.h"
#include "drive/bearing_types.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/drive_series.h"
#include "drive/drive_snapshot.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"

#include <cmath>
#include <string>
#include <vector>

namespace kt4::drive {

namespace {

using settings::AddMessage;

constexpr Real ShearFactor = 5000.0L / 50; // 16000/pi over 50 N/mm2 permissible shear

Real RoundR(Real X) { return static_cast<Real>(Round(X)); }

bool Fatal(const std::string& Text)
{
    settings::CalcErrorFlag = true;
    AddMessage(std::string(settings::SevFatal) + Text);
    return false;
}

// The shaft for a torque: the standard diameter at (or, direction 1, above)
// the cube root of the bending and torsion moment.
Real ShaftDiameter(Integer Direction, const char* Name, Real T, Real Fr, Real L)
{
    const Real M = T * KA + Fr / 1000 * L;
    return NextStdDiameter(Direction, PowerChecked(Name, M * ShearFactor, 1.0L / 3));
}

const WaelzLagerTyp& Slot(Word k) { return bearings::BearingSlots[k]; }

// A deep-groove ball bearing of bore d (width at most B, 0: the standard
// width) into slot k; false, with the fatal message, when the slot does not
// then hold a bearing of that bore.
bool Pick(Word k, Real d, Real B, Real Fr)
{
    BearingAutoSelect(DeepGrooveBall, k, d, B, Fr, 0);
    if (SameReal(Slot(k).d, d))
        return true;
    return Fatal("kein Lager d = " + RealStr(d) + " im Katalog (Lager " + IntStr(k) + ")");
}

// The final calculation starts a list of its own; the messages of the
// design and its picks stand before its own, each text once.
void CalculateKeepingMessages()
{
    const std::vector<std::string> design = settings::ListedMessages();
    CalcDrive();
    settings::PutMessagesFirst(design);
}

// The design up to the final calculation; false when it stopped.
bool Design(Integer Step)
{
    iAbs = std::fabs(iAbs);
    i = -iAbs;

    if (Step == 2) {
        d2 = NextStdDiameter(0, d2);
    } else {
        d2 = ShaftDiameter(0, "d abtr", T[2], FrShaft[2], L2);
        L2 = RoundR(1.6L * d2);
        if (FrShaft[2] > 0)
            d2 = ShaftDiameter(0, "d abtr", T[2], FrShaft[2], L2);
    }
    if (d2 == 0)
        return Fatal("d output shaft = 0 !");
    if (!Pick(4, d2, 0, T[2] * 1000 / d2) || !Pick(5, d2, 0, T[2] * 1000 / d2))
        return false;
    bLg45 = 3 * Slot(4).B;
    deLg4 = Slot(4).D;
    d2 = Slot(4).d;

    if (Step == 2) {
        d1 = NextStdDiameter(0, d1);
    } else {
        d1 = ShaftDiameter(1, "d antr", T[1], FrShaft[1], L1);
        L1 = RoundR(1.5L * d1);
        if (FrShaft[1] > 1)
            d1 = ShaftDiameter(1, "d antr", T[1], FrShaft[1], L1);
    }
    L2 = RoundR(1.5L * d2);
    if (d1 == 0)
        return Fatal("d input shaft = 0 !");
    if (!Pick(1, d1, 0, T[1] * 1000 / d1))
        return false;
    bLg1 = Slot(1).B;
    deLg1 = Slot(1).D;
    d1 = Slot(1).d;

    if (Step != 2)
        dH = RoundR(3.8L * d2);
    dp = -i * dH / (1 - i);
    exz = (dH - dp) / 2;
    if (dH - dp != 0)
        i0 = dH / (dH - dp);
    cax = MaxReal(1, 0.01L * dH);

    if (d1 - 4 * exz > 0.5L * d1 && d1 - 4 * exz > 8) {
        dexz = NextStdDiameter(-1, d1 - 2 * exz);
        diLg3 = NextStdDiameter(-1, dexz - 2 * exz);
    } else {
        dexz = NextStdDiameter(1, d1 + 2 * exz);
        diLg3 = d1;
    }
    if (dexz == 0)
        return Fatal("d ecc = 0 !");
    if (!Pick(2, dexz, 1.1L * StdBearingWidth(dexz), T[1] * 1000 / d1))
        return false;
    bP = Slot(2).B;
    bH = bP + cax;
    diw = Slot(2).D;
    dexz = Slot(2).d;
    if (!Pick(3, diLg3, 0, T[1] * 1000 / diLg3))
        return false;
    bLg3 = Slot(3).B;
    deLg3 = Slot(3).D;
    diLg3 = Slot(3).d;
    if (diw == 0)
        diw = dexz + 2 * bP;

    dlk = RoundR(0.96L * dp + diw) / 2;
    nz = 8;
    dR = RoundR(0.14L * dp);
    dz = 0.5L * dR;
    dzw = 2 * exz + dR;
    L1 = RoundR(1.5L * d1);
    L2 = RoundR(1.5L * d2);
    ns = 8;
    dS = RoundR(0.7L * dz);
    dHe = RoundR(1.03L * dH + 3.6L * dS);
    dLkS = RoundR(1.03L * dH + dHe) / 2;
    didist = RoundR(1.03L * dH);
    des = RoundR(4 * exz + dlk + dR + 0.5L);
    bs = MaxReal(1.2L * bP, 1.6L * bLg3);
    diShaft1 = 0;
    return true;
}

} // namespace

void CalcPreDesign(Integer Step)
{
    settings::CalcErrorFlag = false;
    settings::ClearMessages();
    // One transaction, the final calculation included: a design that stops
    // or that the calculation refuses leaves the drive and its slots as
    // they were; its messages stay in the list, CalcErrorFlag stays set.
    const DriveSnapshot before = CaptureDrive();
    if (Design(Step))
        CalculateKeepingMessages();
    if (settings::CalcErrorFlag)
        RestoreDrive(before);
}

} // namespace kt4::drive
