#include "drive/bearing_calc.h"

#include "drive/bearing_life.h"
#include "drive/bearing_loads.h"
#include "foundation/dialogs.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"

#include <cmath>
#include <string>

namespace kt4 {

namespace {

using settings::AddMessage;

// Stands in for a radial load of 0, so that Fa/Fr stays defined.
constexpr Real TinyLoad = 0.00001L;

std::string SlotStr(Word Slot) { return IntStr(Slot); }

// The fields that only the calculation writes.
void ClearResults(WaelzLagerTyp& b)
{
    b.Mass = 0;
    b.nue1 = 0;
    b.nueb = 0;
    b.kappa = 0;
    b.P0 = 0;
    b.P = 0;
    b.Frm = 0;
    b.FaPerm = 0;
    b.L10 = 0;
    b.Lna = 0;
    b.S0 = 0;
    b.S = 0;
}

// A slot that cannot be computed: its message, the calculation's error
// flag, and no result left from this or an earlier run. The life factors
// a23 and aISO stay: they are also settings (entered for methods 2, 4).
void Fail(WaelzLagerTyp& b)
{
    settings::CalcErrorFlag = true;
    ClearResults(b);
}

void Fail(WaelzLagerTyp& b, const std::string& Message)
{
    AddMessage(Message);
    Fail(b);
}

// The ratings and the width must be above 0 and an entered life factor
// not below 0, or the lives, safeties and lever arms would come out 0,
// negative or infinite. Each refused value is named with its slot
// ("Fatal  : C0 < 0 ! (Lager 3)"), all of them at once.
bool ValidRatings(const WaelzLagerTyp& b, Word Slot)
{
    bool valid = true;
    auto refuse = [&](const char* Name, Real X, bool ZeroAllowed) {
        if (ZeroAllowed ? !(X < 0) : X > 0)
            return;
        AddMessage(std::string(settings::SevFatal) + Name + (X == 0 ? " = 0 !" : " < 0 !") + " (Lager " +
                   SlotStr(Slot) + ")");
        valid = false;
    };
    refuse("C", b.C, false);
    refuse("C0", b.C0, false);
    refuse("B", b.B, false);
    if (b.LifeMethod == 2)
        refuse("a23", b.a23, true);
    if (b.LifeMethod == 4)
        refuse("aISO", b.aISO, true);
    return valid;
}

Real AIso(const WaelzLagerTyp& b, Real kappa)
{
    return IsBallBearing(b.Typ) ? LifeFactorAIsoBall(b.P, b.Cu, b.eC, kappa)
                                : LifeFactorAIsoRoller(b.P, b.Cu, b.eC, kappa);
}

// Life factors by the life method; the viscosity ratio is bounded for the
// methods 2 and 3 (and raised to 1 for an EP lubricant under clean
// conditions).
void LifeFactors(WaelzLagerTyp& b)
{
    Real plainAIso = 0; // aISO with the viscosity ratio before the EP rule
    if (b.LifeMethod == 2 || b.LifeMethod == 3) {
        if (b.Cleanliness != CleanlinessEntered)
            b.eC = CleanlinessFactor(b.Cleanliness, MeanReal(b.d, b.D));
        if (b.kappa > 4)
            b.kappa = 4;
        if (b.kappa < 0.1L) {
            b.kappa = 0.1L;
            AddMessage("Warnung: kappa < 0.1 (visko)");
        }
        plainAIso = AIso(b, b.kappa);
        if (b.EP && b.kappa < 1 && b.eC >= 0.2L)
            b.kappa = 1;
    }

    switch (b.LifeMethod) {
    case 1:
        b.a23 = LifeFactorA23(b.kappa);
        break;
    case 3:
        b.aISO = AIso(b, b.kappa);
        if (b.EP && b.aISO > 3)
            b.aISO = MaxReal(3, plainAIso);
        break;
    case 2: // a23 as entered
    case 4: // aISO as entered
        break;
    default:
        AddMessage("Fehler : a23 mode");
        break;
    }
}

void Lives(WaelzLagerTyp& b)
{
    const Real ratio = b.C / b.P;
    b.L10 = IsBallBearing(b.Typ) ? IntPower(3, ratio) : PowerChecked("Fehler : L10", ratio, 10.0L / 3);
    const Real a1 = ReliabilityA1Of(b.Reliability);
    if (b.LifeMethod == 1 || b.LifeMethod == 2)
        b.Lna = b.L10 * a1 * b.a23;
    else if (b.LifeMethod == 3 || b.LifeMethod == 4)
        b.Lna = b.L10 * a1 * b.aISO;
}

void LimitWarnings(const WaelzLagerTyp& b, Word Slot, Real Fa, Real n)
{
    const std::string k = SlotStr(Slot);
    if (b.nLimit != 0 && std::fabs(n) > b.nLimit)
        AddMessage("Zul\x84" "ssige Drehzahl Lager " + k + " !");
    if (b.Fr < b.Frm)
        AddMessage("Mindestbelastung Lager " + k + " ! (" + RealStr(b.Frm) + ">" + RealStr(b.Fr) + ")");
    if (!settings::HideWarnings && Fa > b.FaPerm)
        AddMessage("Zul.Axialkraft Lager " + k + " !");
    if (!settings::HideWarnings && b.theta > 120)
        AddMessage("Warnung: Temperatur " + k + " !");
    if ((b.LifeMethod == 3 || b.LifeMethod == 4) && b.Cu == 0)
        AddMessage("Warnung: CU = 0 ! (Lager " + k + ")");
}

} // namespace

void BearingCalc(Word Slot, Word Arrangement, Word Variant, Real Fr, Real Fa, Real n)
{
    if (Slot < 1 || Slot > BearingSlotCount)
        return;
    WaelzLagerTyp& b = bearings::BearingSlots[Slot];
    if (b.Designation.empty())
        return;
    for (const auto& warning : CheckBearingSettings(Slot, b))
        AddMessage(warning);

    ClearResults(b);
    if (Fr == 0)
        Fr = TinyLoad;
    if (b.D <= 0 || b.d <= 0)
        return Fail(b, "Fatal  : W\x84" "lzlager undefiniert !");
    if (!ValidRatings(b, Slot))
        return Fail(b);
    if (b.nuen <= 0)
        return Fail(b, "Fatal  : Viskosit\x84" "t W\x84" "lzlager " + SlotStr(Slot) + " !");

    const Real dm = (b.D + b.d) / 2;
    b.nue1 = RatedViscosity(n, dm);
    b.nueb = OperatingViscosity(b.theta, b.nuen);
    // Near or below absolute zero the oil has no finite viscosity.
    if (!std::isfinite(b.nueb))
        return Fail(b, "Fatal  : Temperatur W\x84" "lzlager " + SlotStr(Slot) + " !");
    b.kappa = b.nueb / b.nue1;

    BearingLoadCase loads{b, Slot, Arrangement, Variant, Fr, Fa, n, dm};
    ApplyTypeBlock(loads);

    if (b.P == 0) {
        const std::string text = "Keine Kr\x84" "fte definiert !";
        ErrorBox(text);
        return Fail(b, std::string(settings::SevFatal) + text + " (Lager " + SlotStr(Slot) + ")");
    }

    LifeFactors(b);
    Lives(b);

    if (b.P0 == 0)
        return Fail(b, "Fatal  : P = 0  W\x84" "lzlager " + SlotStr(Slot));
    b.S0 = b.C0 / b.P0;
    b.S = b.C / b.P;
    for (Real x : {b.nue1, b.nueb, b.kappa, b.X, b.Y, b.P, b.P0, b.Frm, b.FaPerm, b.a23, b.aISO, b.L10,
                   b.Lna, b.S, b.S0, b.Mass})
        if (!std::isfinite(x))
            return Fail(b, std::string(settings::SevFatal) + "Zahlenbereich \x81" "berschritten (Lager " +
                               SlotStr(Slot) + ") !");

    LimitWarnings(b, Slot, Fa, n);
}

Real AngularContactY(TBearingType Typ, Real AlphaDeg)
{
    if (AlphaDeg > 0 && AlphaDeg < 90)
        return 0.4L / TanReal(DegToRad(AlphaDeg));
    if (Typ == DoubleRowAngularContact)
        AddMessage("Fehler : schrku2: ALPHA=25,35,45!");
    return 0;
}

} // namespace kt4
