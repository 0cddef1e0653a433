// The five data tables of the overview page, kept as data: per table its
// title, column widths and headings, per row its symbol, unit, number
// format and where its values come from.
#include "drawings/overview_page.h"

#include "cad/cad_output.h"
#include "cad/drawing_table.h"
#include "drive/bearing_types.h"
#include "drive/drive_data.h"
#include "foundation/numstr.h"
#include "foundation/strutil.h"
#include "foundation/units.h"

#include <array>
#include <cmath>
#include <limits>
#include <span>
#include <string>

namespace kt4::drawings {

using namespace drive;

namespace {

enum class Unit { None, Kilowatt, PerMinute, Million, Force, Torque, Stress, Length };
enum class Format { Real, Torque, Stress, Force, ForceWide, Length, Name, Text };

struct TableRow {
    const char* symbol;
    Unit unit;
    Format format;
    Real (*value)(int k) = nullptr;      // value of column k (shaft or bearing slot 1..)
    std::array<const char*, 5> texts{};  // Format::Text: fixed texts per column
};

struct TableSpec {
    const char* title;
    std::array<int, 7> widths;
    std::array<const char*, 6> headings; // columns 2..7
    int values;                          // value columns
    std::span<const TableRow> rows;
};

const WaelzLagerTyp& Slot(int k) { return bearings::BearingSlots[std::size_t(k)]; }

const TableRow LoadRows[] = {
    {"P", Unit::Kilowatt, Format::Real, [](int k) { return P[std::size_t(k)]; }},
    {"T", Unit::Torque, Format::Torque, [](int k) { return T[std::size_t(k)]; }},
    {"n", Unit::PerMinute, Format::Real, [](int k) { return n[std::size_t(k)]; }},
    {"tau", Unit::Stress, Format::Stress, [](int k) { return tau[std::size_t(k)]; }},
    {"Sig.b", Unit::Stress, Format::Stress, [](int k) { return SigB[std::size_t(k)]; }},
    {"Sig.v", Unit::Stress, Format::Stress, [](int k) { return SigV[std::size_t(k)]; }},
};

const TableRow CapacityRows[] = {
    {"Ft gear", Unit::Force, Format::Force, [](int) { return FtGear; }},
    {"Fr gear", Unit::Force, Format::Force, [](int) { return FrGear; }},
    {"Fn gear", Unit::Force, Format::Force, [](int) { return FnGear; }},
    {"Ft bolt", Unit::Force, Format::Force, [](int) { return FtBolt; }},
    {"p max z", Unit::Stress, Format::Stress, [](int) { return pmaxz; }},
    {"Sig.b.z", Unit::Stress, Format::Stress, [](int) { return SigBz; }},
    {"p Hertz", Unit::Stress, Format::Stress, [](int) { return pHertz; }},
};

const TableRow BearingRows[] = {
    {"Name", Unit::None, Format::Name},
    {"Loc.", Unit::None, Format::Text, nullptr,
     {"in/case", "ecc./gear", "in/out", "out/case", "out/case"}},
    {"Fr", Unit::Force, Format::ForceWide, [](int k) { return FrLager[std::size_t(k)]; }},
    {"C", Unit::Force, Format::Force, [](int k) { return Slot(k).C; }},
    {"C0", Unit::Force, Format::Force, [](int k) { return Slot(k).C0; }},
    {"Cu", Unit::Force, Format::Force, [](int k) { return Slot(k).Cu; }},
    {"S0", Unit::None, Format::Real, [](int k) { return Slot(k).S0; }},
    {"S", Unit::None, Format::Real, [](int k) { return Slot(k).S; }},
    {"L10", Unit::Million, Format::Real, [](int k) { return Slot(k).L10; }},
};

const TableRow DimensionRows[] = {
    {"dshaft", Unit::Length, Format::Length, [](int k) { return k == 1 ? d1 : d2; }},
    {"Lshaft", Unit::Length, Format::Length, [](int k) { return k == 1 ? L1 : L2; }},
    {"Fr shaft", Unit::Force, Format::Force, [](int k) { return FrShaft[std::size_t(k)]; }},
    {"dgear", Unit::Length, Format::Length, [](int k) { return k == 1 ? dp : dH; }},
};

const TableRow MainDimensionRows[] = {
    {"i", Unit::None, Format::Real, [](int) { return i; }},
    {"i0", Unit::None, Format::Real, [](int) { return i0; }},
    {"exz", Unit::Length, Format::Length, [](int) { return exz; }},
    {"dcase", Unit::Length, Format::Length, [](int) { return dHe; }},
    {"bcase", Unit::Length, Format::Length, [](int) { return bcase; }},
    {"L tot", Unit::Length, Format::Length, [](int) { return Ltot; }},
};

const TableSpec LoadTable{"Load", {7, 5, 7, 7, 0, 0, 0}, {"", "1", "2", "", "", ""}, 2, LoadRows};
const TableSpec CapacityTable{"Load capacity", {7, 5, 7, 0, 0, 0, 0}, {"", "", "", "", "", ""}, 1,
                              CapacityRows};
const TableSpec BearingTable{"Bearings", {7, 5, 7, 7, 7, 7, 7}, {"", "1", "2", "3", "4", "5"}, 5,
                             BearingRows};
const TableSpec DimensionTable{"Dimens.", {7, 5, 7, 7, 0, 0, 0}, {"", "1", "2", "", "", ""}, 2,
                               DimensionRows};
const TableSpec MainDimensionTable{"Dimens. Main", {7, 5, 7, 0, 0, 0, 0}, {"", "", "", "", "", ""}, 1,
                                   MainDimensionRows};

std::string UnitText(Unit u)
{
    switch (u) {
    case Unit::Kilowatt: return "kW";
    case Unit::PerMinute: return "1/min";
    case Unit::Million: return "1E6";
    case Unit::Force: return ForceUnit();
    case Unit::Torque: return TorqueUnit();
    case Unit::Stress: return StressUnit();
    case Unit::Length: return LengthUnit();
    case Unit::None: break;
    }
    return "";
}

std::string ValueText(const TableRow& row, int k)
{
    if (row.format == Format::Name)
        return PadRightAtBlank(Slot(k).Designation, 5);
    if (row.format == Format::Text)
        return row.texts[std::size_t(k - 1)] ? row.texts[std::size_t(k - 1)] : "";
    const Real x = row.value(k);
    if (!std::isfinite(x))
        return "---";
    switch (row.format) {
    case Format::Torque: return FormatTorque(x);
    case Format::Stress: return FormatStressWD(x, 6, 0);
    case Format::Force: return FormatForce(x);
    case Format::ForceWide: return FormatForceWD(x, 8, 0);
    case Format::Length: return FormatLength(x);
    default: return RealStr(x);
    }
}

// The number of ValueText in the unit it is shown in; NaN for a text.
Real ShownValue(const TableRow& row, int k)
{
    if (row.format == Format::Name || row.format == Format::Text)
        return std::numeric_limits<Real>::quiet_NaN();
    const Real x = row.value(k);
    switch (row.format) {
    case Format::Torque: return ShownTorque(x);
    case Format::Stress: return ShownStress(x);
    case Format::Force:
    case Format::ForceWide: return ShownForce(x);
    case Format::Length: return ShownLength(x);
    default: return x;
    }
}

void DrawTable(const TableSpec& t, Real x, Real y, Real h)
{
    cad::c_setlayer(4);
    cad::TAusTabelle::Widths widths{};
    cad::TAusTabelle::Texts header{t.title};
    for (std::size_t k = 0; k < 7; ++k)
        widths[k] = t.widths[k];
    for (std::size_t k = 0; k < 6; ++k)
        header[k + 1] = t.headings[k];
    cad::TAusTabelle table;
    table.Init(x, y, h, widths, header);
    for (const TableRow& row : t.rows) {
        cad::TAusTabelle::Texts cells{row.symbol, UnitText(row.unit)};
        cad::TAusTabelle::Values values;
        values.fill(std::numeric_limits<Real>::quiet_NaN());
        for (int k = 1; k <= t.values; ++k) {
            cells[std::size_t(k + 1)] = ValueText(row, k);
            values[std::size_t(k + 1)] = ShownValue(row, k);
        }
        table.AddRow(cells, values);
    }
    table.Done();
}

} // namespace

void DrawLoadTable(Real x, Real y, Real h) { DrawTable(LoadTable, x, y, h); }
void DrawCapacityTable(Real x, Real y, Real h) { DrawTable(CapacityTable, x, y, h); }
void DrawBearingTable(Real x, Real y, Real h) { DrawTable(BearingTable, x, y, h); }
void DrawDimensionTable(Real x, Real y, Real h) { DrawTable(DimensionTable, x, y, h); }
void DrawMainDimensionTable(Real x, Real y, Real h) { DrawTable(MainDimensionTable, x, y, h); }

} // namespace kt4::drawings
