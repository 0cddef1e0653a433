// The block of one bearing in the calculation printout.
#include "drive/printout.h"

#include "drive/bearing_types.h"
#include "drive/printout_text.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/report.h"
#include "foundation/strutil.h"
#include "foundation/units.h"

namespace kt4::drive {

namespace {

// "mm²/s" in the OEM code page
const std::string Viscosity = "mm\xFD/s";
// Life in 10^6 revolutions
constexpr const char* Revolutions = "1e6 rot.";

// A row whose label is written here as display text.
void Row(const char* label, const std::string& symbol, const std::string& unit,
         const std::string& value)
{
    ReportRow4(Oem(label), symbol, unit, value);
}

void LengthRow(const char* label, const char* symbol, Real value)
{
    Row(label, symbol, LengthUnit(), FormatLength(value));
}

void ForceRow(const char* label, const char* symbol, Real value)
{
    Row(label, symbol, ForceUnit(), FormatForce(value));
}

// Hours of a life in 10^6 revolutions at the speed (not 0).
Real Hours(Real life, Real speed) { return life * 1000000 / speed / 60; }

void WriteTitle(const WaelzLagerTyp& b, const std::string& heading)
{
    ReportLine("");
    const std::string lead = heading.empty() ? Oem("LAGERDATEN für") : heading;
    ReportLine(lead + " " + BearingTypeName(b.Typ) + " " + b.Designation);
    ReportLine(ThickRuleLine());
}

void WriteDimensions(const WaelzLagerTyp& b)
{
    LengthRow("Innendurchmesser", "d", b.d);
    LengthRow("Aussendurchmesser", "D", b.D);
    LengthRow("Lagerbreite", "B", b.B);
    if (b.Z != 0)
        Row("Anzahl Wälzkörper", "Z", "", IntStr(b.Z));
    if (b.Dw != 0)
        LengthRow("Durchmesser Wälzkörper", "dw", b.Dw);
    if (b.Typ == DeepGrooveBall)
        ReportRow4("Lagerluft " + ClearanceName(b.Clearance) + " (X=" + RealStr(b.X) +
                       ", Y=" + RealStr(b.Y) + ")",
                   "", "", "");
    if (b.rmin != 0)
        LengthRow("Abrundungsradius", "rmin", b.rmin);
    if (b.Mass > 0)
        Row("Gewicht", "m", "kg", RealStrSig(1, b.Mass));
    if (b.Price > 0)
        Row("Preis", "", "EUR", FormatReal(b.Price, 5, 2));
}

void WriteLoads(const WaelzLagerTyp& b, Real speed)
{
    ForceRow("Tragzahl dynamisch", "C", b.C);
    ForceRow("Tragzahl statisch", "C0", b.C0);
    ForceRow("Ermüdungsgrenzbelastung", "Cu", b.Cu);
    ForceRow("Statische äquival. Belastung", "P0", b.P0);
    ForceRow("Dynamische äquival.Belastung", "P", b.P);
    ForceRow(b.Typ == SphericalRoller ? "Zul.ax.Belastg.a.Spannhülsen" : "Zulässige axiale Belastung",
             "Fa z", b.FaPerm);
    ForceRow("Mindestbelastung radial", "Frm", b.Frm);
    Row("Drehzahl", "n", "1/min", RealStr(speed));
    if (b.P != 0 && b.P0 != 0) {
        Row("Statische Sicherheit", "S0", "", RealStr(b.S0));
        Row("Dyn.Sicherheit", "S", "", RealStr(b.S));
    }
    Row("Lebensdauer Umdrehungen", "L10", Revolutions, RealStr(b.L10));
    if (speed != 0)
        Row("Lebensdauer Stunden", "L10h", "h", RealStr(Hours(b.L10, speed)));
}

void WriteLubrication(const WaelzLagerTyp& b)
{
    Row("Bezugs-Viskosität", "nue 1", Viscosity, RealStr(b.nue1));
    if (b.LifeMethod == 3)
        Row("Sauberkeitsfaktor", "eC", "", RealStr(b.eC));
    if (b.EP && b.LifeMethod == 3 && b.nue1 > 0) {
        Row("Viskositätsverhältnis nue/nue1", "kappa'", "", RealStrDec(3, b.nueb / b.nue1));
        Row("Viskositätsverhältnis EP", "kappa", "", RealStrDec(3, b.kappa));
    } else {
        Row("Viskositätsverhältnis", "kappa", "", RealStrDec(3, b.kappa));
    }
    Row("Betriebstemperatur", "theta", TempUnit(), FormatTempWD(b.theta, 2, 0));
    Row("Nenn-Viskosität bei 40 C", "nue n", Viscosity, RealStr(b.nuen));
    // the label rounds as the temperature row does (42.5 gives 43 in both)
    ReportRow4(Oem("Betriebs-Viskosität bei ") + TrimBlanks(FormatRealWide(b.theta, 2, 0)) + " C",
               "nue b", Viscosity,
               RealStr(b.nueb));
}

bool IsA23Method(Word method) { return method == 1 || method == 2; }
bool IsAIsoMethod(Word method) { return method == 3 || method == 4; }

void WriteLife(Word slot, const WaelzLagerTyp& b, Real speed)
{
    const std::string method = "Berechnung : " + LifeMethodName(b.LifeMethod);
    if (IsA23Method(b.LifeMethod)) {
        ReportLine(method + "    Lna = L10 x a1 x a23");
        ReportLine(ThinRuleLine());
        Row("Schmier- und Werkstoffaktor", "a23", "", FormatReal(b.a23, 2, 2));
    } else if (IsAIsoMethod(b.LifeMethod)) {
        ReportLine(method + "    Lnm" + BearingEPSuffix(slot) + " = L10 x a1 x aISO");
        ReportLine(ThinRuleLine());
        Row("Schmier- und Werkstoffaktor", "aISO", "", FormatReal(b.aISO, 2, 2));
    }
    const Real failure = ReliabilityFailurePctOf(b.Reliability);
    Row("Erlebenswahrscheinlichkeit", "", "%", FormatReal(100 - failure, 2, 2));
    Row("Faktor Erlebenswahrscheinlichkeit", "a1", "", FormatReal(ReliabilityA1Of(b.Reliability), 1, 3));
    const std::string symbol = "L" + RealStr(failure) + LifeSuffix(b.LifeMethod);
    Row("Erweiterte Nom.Lebensdauer", symbol, Revolutions, RealStr(b.Lna));
    if (speed != 0)
        Row("Erweit.nom.Lebensdauer Stunden", symbol + "h", "h", RealStr(Hours(b.Lna, speed)));
}

} // namespace

std::string BearingEPSuffix(Word slot) { return bearings::BearingSlots[slot].EP ? "(EP)" : ""; }

void WriteBearingAusdruck(Word slot, const std::string& heading, Real speed)
{
    if (!BearingSlotUsed(slot))
        return;
    const WaelzLagerTyp& b = bearings::BearingSlots[slot];
    WriteTitle(b, heading);
    WriteDimensions(b);
    WriteLoads(b, speed);
    WriteLubrication(b);
    WriteLife(slot, b, speed);
}

} // namespace kt4::drive
