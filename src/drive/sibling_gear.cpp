#include "drive/sibling_gear.h"
#include "cad/cad_settings.h"

#include "drive/doclinks.h"
#include "drive/docu_sections.h"
#include "drive/drive_data.h"
#include "drive/sibling_files.h"
#include "foundation/linefile.h"
#include "foundation/maths.h"
#include "foundation/settings.h"

#include <cmath>

namespace kt4::gear {

Array1<GearValue, GearLines> GearStrengthData;
std::array<Real, 2> GearReferenceDiameter{};

namespace {

// The blocks of the file in their order. Lines of a per-wheel block are
// written for wheel 1 and then again for wheel 2; a row block once per
// load-spectrum row (the count of line 118).
enum class Block { Single, PerWheel, Rows, Changes, Documents, Iso7200 };
struct LayoutBlock {
    Block type;
    int first = 0, last = 0;
};

// clang-format off
const LayoutBlock Layout[] = {
    {Block::Single, 1, 17},   {Block::PerWheel, 18, 34}, {Block::Single, 35, 50},
    {Block::PerWheel, 51, 52}, {Block::Single, 53, 53},  {Block::PerWheel, 54, 62},
    {Block::Single, 63, 95},  {Block::PerWheel, 96, 98}, {Block::PerWheel, 99, 100},
    {Block::PerWheel, 101, 101}, {Block::Single, 102, 118}, {Block::Rows, 119, 120},
    {Block::Single, 121, 127}, {Block::PerWheel, 128, 128}, {Block::Changes},
    {Block::Documents},       {Block::Single, 129, 191}, {Block::Iso7200},
    {Block::Single, 192, 202}, {Block::Rows, 203, 203},  {Block::Single, 204, 218},
};
// clang-format on
constexpr int LoadRowsLine = 118;

GearValue& Line(int n) { return GearStrengthData[static_cast<std::size_t>(n)]; }

void Set(int line, Real value) { Line(line).num[0] = value; }
void SetBoth(int line, Real wheel1, Real wheel2) { Line(line).num = {wheel1, wheel2}; }

void WriteValue(const GearValue& v, int wheel)
{
    std::size_t w = static_cast<std::size_t>(wheel);
    switch (v.kind) {
    case Kind::Real:
        WriteReportReal(v.num[w]);
        break;
    case Kind::Int:
        WriteReportInt(std::llround(v.num[w]));
        break;
    case Kind::Bool:
        WriteReportBool(v.num[w] != 0);
        break;
    case Kind::Char:
        WriteReportLine(v.text[w].substr(0, 1));
        break;
    case Kind::Text:
        WriteReportLine(v.text[w]);
        break;
    }
}

void WriteLines(const LayoutBlock& b, int wheel)
{
    for (int line = b.first; line <= b.last; ++line)
        WriteValue(Line(line), wheel);
}

// A / B, or 0 when B is 0 (a drive the calculation refused).
Real Ratio(Real A, Real B) { return B != 0 ? A / B : 0; }

// The profile-shift sum of the pair at the drive's centre distance.
Real ProfileShiftSum()
{
    using namespace drive;
    Real a = DegToRad(alpha);
    if (exz == 0 || std::tan(a) == 0)
        return 0;
    Real aw = ArcCosChecked(std::cos(a) * (dp - dH) / (2 * -exz));
    return (Involute(aw) - Involute(a)) * (zW - zH) / (2 * std::tan(a));
}

} // namespace

void SetGearExportValues(Word Wheel)
{
    using namespace drive;
    Real bore = cad::FitClearanceBore;
    SetBoth(19, zW, -zH);
    Set(9, alpha);
    Set(10, 0);
    Set(11, Ratio(dH, std::abs(zH)));
    Set(13, -exz);
    SetBoth(21, 4, 4);
    SetBoth(18, 0.5L, 0.5L);
    SetBoth(22, 0.6L, 0.6L);
    SetBoth(23, 0.1L, 0.1L);
    GearReferenceDiameter = {dp, -dH};
    SetBoth(26, bP, bH);
    SetBoth(20, 0, ProfileShiftSum());
    Set(214, 0);
    Set(36, P[1]);
    Set(193, std::fabs(T[2]));
    Set(35, std::fabs(n[2]));
    Set(153, 1);
    Set(213, 1);
    Set(42, KA);
    Set(50, KA);
    SetBoth(28, 9, 9);
    SetBoth(29, 3, 3);
    SetBoth(30, 4, 4);
    Set(170, settings::HideWarnings ? 1 : 0);
    Set(196, 1);
    Set(194, diw + bore);
    Set(195, -dHe);
    Set(197, 1);
    if (Wheel == 2) {
        Set(198, ns);
        Set(199, dS + bore);
        Set(200, dLkS);
    } else {
        Set(198, nz);
        Set(199, dzw + bore);
        Set(200, dlk);
    }
}

void WriteGearStrengthBody()
{
    WriteFileHeaderShort();
    int loadRows = static_cast<int>(std::llround(Line(LoadRowsLine).num[0]));
    for (const LayoutBlock& b : Layout) {
        switch (b.type) {
        case Block::Single:
            WriteLines(b, 0);
            break;
        case Block::PerWheel:
            WriteLines(b, 0);
            WriteLines(b, 1);
            break;
        case Block::Rows:
            for (int r = 0; r < loadRows; ++r)
                WriteLines(b, 0);
            break;
        case Block::Changes:
            docu::WriteChangesSection();
            break;
        case Block::Documents:
            docu::WriteDokumenteSection();
            break;
        case Block::Iso7200:
            docu::WriteIso7200Section();
            break;
        }
    }
}

std::string WriteGearStrengthFile(const std::string& Name)
{
    std::string path = siblings::ExportFileName(Name, "qov");
    if (path.empty() || !siblings::WriteExportFile(path, WriteGearStrengthBody))
        return "";
    return path;
}

void ExportGearToSibling(Word Wheel)
{
    if (siblings::RefusedDesign())
        return;
    SetGearExportValues(Wheel);
    std::string path = WriteGearStrengthFile("");
    if (!path.empty())
        siblings::LaunchExportFile(path);
}

void ExportGearToSibling(Word /*Unused*/, Word Wheel) { ExportGearToSibling(Wheel); }

} // namespace kt4::gear
