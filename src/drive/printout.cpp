#include "drive/printout.h"

#include "drive/bearing_types.h"
#include "drive/drive_data.h"
#include "drive/printout_text.h"
#include "foundation/numstr.h"
#include "foundation/report.h"
#include "foundation/settings.h"
#include "foundation/units.h"

namespace kt4::drive {

namespace {

using namespace settings;

enum class Form {
    Ratio,    // RealStr, no unit
    Length,   // FormatLength
    LengthWD, // FormatLengthWD(5, 3)
    Count,    // IntStrBlank(8), no unit
    Angle,    // FormatReal(6, 2), degrees
};

struct DimensionRow {
    const char* label; // display text
    const char* symbol;
    const Real* value;
    const Integer* count;
    Form form;
};

const DimensionRow DimensionRows[] = {
    {"Übersetzungsverhältnis", "i", &i, nullptr, Form::Ratio},
    {"Übersetzungsverhältnis dH/2exz", "i0", &i0, nullptr, Form::Ratio},
    {"Exzentrizität", "exz", &exz, nullptr, Form::Length},
    {"Gehaeuse Durchmesser", "dcase", &dHe, nullptr, Form::Length},
    {"Gehaeuse Breite", "bcase", &bcase, nullptr, Form::Length},
    {"Gesamtlänge", "L tot", &Ltot, nullptr, Form::Length},
    {"Durchmesser Hohlrad", "dH", &dH, nullptr, Form::LengthWD},
    {"Durchmesser Wälzrad", "dp", &dp, nullptr, Form::LengthWD},
    {"Exzentrizität", "ecc", &exz, nullptr, Form::LengthWD},
    {"Breite Hohlrad", "bH", &bH, nullptr, Form::LengthWD},
    {"Breite Wälzrad", "bP", &bP, nullptr, Form::LengthWD},
    {"Innendurchmesser Wälzrad", "diw", &diw, nullptr, Form::LengthWD},
    {"Außendurchmesser Lager", "deLg2", &diw, nullptr, Form::LengthWD},
    {"Durchmesser Bolzen Exzenter", "dexz", &dexz, nullptr, Form::LengthWD},
    {"Innendurchmesser Lager", "diLg2", &dexz, nullptr, Form::LengthWD},
    {"Anzahl Bolzen / Rollen", "nz", nullptr, &nz, Form::Count},
    {"Anzahl Schrauben", "ns", nullptr, &ns, Form::Count},
    {"Lochkreis Bolzen", "dlk", &dlk, nullptr, Form::LengthWD},
    {"Bohrung Wälzrad für Rollen", "dzw", &dzw, nullptr, Form::LengthWD},
    {"Durchmesser Bolzen", "dz", &dz, nullptr, Form::LengthWD},
    {"Durchmesser Rollen", "dR", &dR, nullptr, Form::LengthWD},
    {"Durchmesser Teller Abtrieb", "des", &des, nullptr, Form::LengthWD},
    {"Breite Teller Abtrieb", "bs", &bs, nullptr, Form::LengthWD},
    {"Durchmesser Welle Antrieb", "d1", &d1, nullptr, Form::LengthWD},
    {"Länge Welle Antrieb", "L1", &L1, nullptr, Form::LengthWD},
    {"Durchmesser Welle Abtrieb", "d2", &d2, nullptr, Form::LengthWD},
    {"Länge Welle Abtrieb", "L2", &L2, nullptr, Form::LengthWD},
    {"Außendurchmesser Gehaeuse", "dHe", &dHe, nullptr, Form::LengthWD},
    {"Lochkreis Schrauben", "dLkS", &dLkS, nullptr, Form::LengthWD},
    {"Durchmesser Bohrung Schrauben", "dS", &dS, nullptr, Form::LengthWD},
    {"Breite Lager", "bLg1", &bLg1, nullptr, Form::LengthWD},
    {"Außendurchmesser Lager", "deLg1", &deLg1, nullptr, Form::LengthWD},
    {"Breite Lager", "bLg45", &bLg45, nullptr, Form::LengthWD},
    {"Außendurchmesser Lager", "deLg4", &deLg4, nullptr, Form::LengthWD},
    {"Di Distanzring Abtrieb", "didist", &didist, nullptr, Form::LengthWD},
    {"Innendurchmesser Lager", "diLg3", &diLg3, nullptr, Form::LengthWD},
    {"Außendurchmesser Lager", "deLg3", &deLg3, nullptr, Form::LengthWD},
    {"Breite Lager", "bLg3", &bLg3, nullptr, Form::LengthWD},
    {"Spiel axial", "c ax", &cax, nullptr, Form::LengthWD},
    {"Eingriffswinkel", "alpha", &alpha, nullptr, Form::Angle},
};

void WriteDimensionRow(const DimensionRow& r)
{
    std::string unit = LengthUnit();
    std::string value;
    switch (r.form) {
    case Form::Ratio:
        unit.clear();
        value = RealStr(*r.value);
        break;
    case Form::Length:
        value = FormatLength(*r.value);
        break;
    case Form::LengthWD:
        value = FormatLengthWD(*r.value, 5, 3);
        break;
    case Form::Count:
        unit.clear();
        value = IntStrBlank(*r.count, 8);
        break;
    case Form::Angle:
        unit = DegreeUnit();
        value = FormatReal(*r.value, 6, 2);
        break;
    }
    ReportRow4(Oem(r.label), r.symbol, unit, value);
}

void WriteDimensions()
{
    ReportLine("");
    ReportLine("Abmessungen");
    ReportLine(ThickRuleLine());
    for (const DimensionRow& r : DimensionRows)
        WriteDimensionRow(r);
}

struct BearingHeading {
    Word slot;
    const char* text;
    std::size_t shaft; // speed n[shaft]
};

constexpr BearingHeading BearingHeadings[] = {
    {1, "1. Bearing Input Shaft:", 1},
    {2, "2. Eccenter bearing:", 1},
    {3, "3. In-out bearing:", 1},
    {4, "4. Output shaft bearing:", 2},
    {5, "5. Output shaft bearing 2:", 2},
};

void WriteBearings()
{
    ReportLine("");
    ReportLine("");
    for (const BearingHeading& h : BearingHeadings) {
        // the second output bearing is printed only when it is there
        if (h.slot == 5 && !BearingSlotUsed(5))
            continue;
        if (h.slot > 1) {
            ReportLine("");
            ReportLine(ThickRuleLine());
        }
        ReportLine(h.text);
        WriteBearingAusdruck(h.slot, "", n[h.shaft]);
    }
}

void WriteShaftRows()
{
    ReportRow5("Leistung", "P", "kW", FormatReal(P[1], 5, 3), FormatReal(P[2], 3, 3));
    ReportRow5("Drehmoment", "T", TorqueUnit(), FormatTorqueWD(T[1], 5, 1),
               FormatTorqueWD(T[2], 5, 1));
    ReportRow5("Drehzahl", "n", "1/min", RealStrWidth(8, n[1]), RealStrWidth(8, n[2]));
    ReportRow5("Radialkraft ext", "Fr shaft", ForceUnit(), FormatForceWD(FrShaft[1], 6, 0),
               FormatForceWD(FrShaft[2], 6, 0));
    const std::string stress = StressUnit();
    ReportRow5("Schubspannung", "tau", stress, FormatStressWD(tau[1], 6, 0),
               FormatStressWD(tau[2], 6, 0));
    ReportRow5("Biegespannung", "Sig.b", stress, FormatStressWD(SigB[1], 6, 0),
               FormatStressWD(SigB[2], 6, 0));
    ReportRow5("Vergleichsspannung", "Sig.v", stress, FormatStressWD(SigV[1], 6, 0),
               FormatStressWD(SigV[2], 6, 0));
}

void WriteForceRows()
{
    const std::string force = ForceUnit();
    ReportRow4("Tangentialkraft Gear", "Ft gear", force, FormatForceWD(FtGear, 6, 0));
    ReportRow4("Radialkraft Gear", "Fr gear", force, FormatForceWD(FrGear, 6, 0));
    ReportRow4("Normalkraft Gear", "Fn gear", force, FormatForceWD(FnGear, 6, 0));
    ReportRow4("Tangentialkraft Bolzen", "Ft bolt", force, FormatForceWD(FtBolt, 6, 0));
    const std::string stress = StressUnit();
    ReportRow4(Oem("Flächenpressung Bolzen"), "p max z", stress, FormatStressWD(pmaxz, 6, 0));
    ReportRow4("Biegespannung Bolzen", "Sig.b.z", stress, FormatStressWD(SigBz, 6, 0));
    ReportRow4("Hertzsche Pressung Bolzen", "p Hertz", stress, FormatStressWD(pHertz, 6, 0));
}

void WriteLoads()
{
    ReportLine("");
    ReportLine("Last");
    ReportLine(ThickRuleLine());
    WriteShaftRows();
    WriteForceRows();
}

// SetReportHeader, OpenReport, the rewrite and the page header; false when
// the report cannot be written.
bool BeginReport()
{
    SetReportHeader(ProductName + " V" + ProgramVersion + "   " + PrintoutTitle, RemarkLines[0],
                    RemarkLines[1], RemarkLines[2], "", 0);
    OpenReport(DevAsk, CurrentFileName);
    if (AbortFlag)
        return false;
    RewriteReportFile();
    if (AbortFlag)
        return false;
    ReportPageHeader(0, 0);
    return !AbortFlag;
}

} // namespace

bool WriteAusdruck(Integer /*arg*/)
{
    if (!BeginReport()) {
        CloseReport(); // a report begun is ended: a failed write is told there
        return false;
    }
    const bool results = !CalcErrorFlag;
    if (results) {
        WriteDimensions();
        WriteBearings();
        WriteLoads();
    }
    if (MessageCount > 0)
        ReportCalcMessages();
    CloseReport();
    return results && !AbortFlag;
}

} // namespace kt4::drive
