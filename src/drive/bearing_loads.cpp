#include "drive/bearing_loads.h"

#include "drive/bearing_factors.h"
#include "foundation/maths.h"
#include "foundation/settings.h"

#include <cmath>
#include <string>

namespace kt4 {

namespace {

// Minimum-load factor kr by the series in the designation: the first rule
// that matches. A rule matches when the designation contains text (begins
// with it when begins is set) and, when also is given, contains also.
struct SeriesRule {
    const char* text;
    bool begins;
    const char* also;
    Real kr;
};

const SeriesRule DeepGrooveSeries[] = {
    {"618", false, nullptr, 15}, {"619", false, nullptr, 20}, {"160", false, nullptr, 20},
    {"60", false, nullptr, 25},  {"62", false, nullptr, 25},  {"161", false, nullptr, 25},
    {"63", false, nullptr, 30},  {"64", false, nullptr, 35},  {"42", false, nullptr, 50},
    {"43", false, nullptr, 60},
};

const SeriesRule SelfAligningSeries[] = {
    {"14", true, nullptr, 30}, {"12", true, nullptr, 40}, {"22", true, nullptr, 40},
    {"13", false, nullptr, 45}, {"23", false, nullptr, 50},
};

const SeriesRule CylindricalSeries[] = {
    {"23", false, nullptr, 250}, {"22", false, nullptr, 200}, {"10", false, nullptr, 100},
};

const SeriesRule AngularContactSeries[] = {
    {"72", false, "BE", 95}, {"72", false, "B", 80}, {"73", false, "BE", 100}, {"73", false, "B", 90},
};

// Double-row angular-contact ball bearings by contact angle:
// P0 = Fr + y0 Fa; up to the Fa/Fr limit P = Fr + y1 Fa, above it
// P = x2 Fr + y2 Fa.
struct DoubleRowRow {
    Real alpha, y0, limit, y1, x2, y2;
};

const DoubleRowRow DoubleRowTable[] = {
    {25, 0.76L, 0.68L, 0.92L, 0.67L, 1.41L},
    {35, 0.58L, 0.95L, 0.66L, 0.6L, 1.07L},
    {45, 0.58L, 1.33L, 0.47L, 0.54L, 0.81L},
};

const char* const AlphaMessage = "Fehler : schrku2: ALPHA=25,35,45!";

bool Contains(const std::string& S, const char* Text) { return S.find(Text) != std::string::npos; }
bool BeginsWith(const std::string& S, const char* Text) { return S.rfind(Text, 0) == 0; }

template <std::size_t N>
Real SeriesFactor(const std::string& Designation, const SeriesRule (&Rules)[N], Real Otherwise)
{
    for (const auto& r : Rules) {
        const bool hit = r.begins ? BeginsWith(Designation, r.text) : Contains(Designation, r.text);
        if (hit && (!r.also || Contains(Designation, r.also)))
            return r.kr;
    }
    return Otherwise;
}

// Frm = kr (nueb n / 1000)^(2/3) (dm / 100)^2
Real DynamicMinimumLoad(const BearingLoadCase& c, Real kr, const char* Name)
{
    return kr * PowerChecked(Name, c.b.nueb * c.n / 1000, 2.0L / 3) * (c.dm / 100) * (c.dm / 100);
}

const char* const MinLoadName = "Fehler : Fr Lager";

void DeepGrooveBallBearing(BearingLoadCase& c)
{
    auto& b = c.b;
    b.P0 = 0.6L * c.Fr + 0.5L * c.Fa;
    if (c.Fa > b.P0)
        b.P0 = c.Fa;
    if (c.Fr > b.P0)
        b.P0 = c.Fr;

    const std::string table = ClearanceFilePath(b.Clearance);
    if (!table.empty())
        BearingXYFactors(table, b.X, b.Y, c.Fr, c.Fa, b.C0);
    b.P = b.X * c.Fr + b.Y * c.Fa;

    b.Frm = DynamicMinimumLoad(c, SeriesFactor(b.Designation, DeepGrooveSeries, 0), MinLoadName);
    const std::string& s = b.Designation;
    const bool light = b.d <= 10 || Contains(s, "60") || Contains(s, "61") || Contains(s, "68") ||
                       Contains(s, "69");
    b.FaPerm = (light ? 0.25L : 0.5L) * b.C0;

    // Steel rings with 0.2 of the rolling-element annulus, 7.85 g/cm3
    const Real d1 = b.d1(), D1 = b.D1();
    b.Mass = (b.D * b.D - D1 * D1 + d1 * d1 - b.d * b.d + 0.2L * (D1 * D1 - d1 * d1)) * Pi / 4 * b.B *
             7.85L / 1000000;
}

void SelfAligningBallBearing(BearingLoadCase& c)
{
    auto& b = c.b;
    b.P0 = c.Fr + b.Y0 * c.Fa;
    b.P = c.Fa / c.Fr <= b.e ? c.Fr + b.Y1 * c.Fa : 0.65L * c.Fr + b.Y2 * c.Fa;
    b.Frm = DynamicMinimumLoad(c, SeriesFactor(b.Designation, SelfAligningSeries, 0), MinLoadName);
    b.FaPerm = 3 * b.B * b.d;
}

void NeedleOrFullComplementBearing(BearingLoadCase& c)
{
    auto& b = c.b;
    b.P0 = c.Fr;
    b.P = c.Fr;
    b.Frm = 0.02L * b.C;
    b.FaPerm = 0;
}

void CylindricalRollerBearing(BearingLoadCase& c)
{
    auto& b = c.b;
    const std::string& s = b.Designation;
    b.P0 = c.Fr;
    b.e = Contains(s, "22") || Contains(s, "23") ? 0.3L : 0.2L;
    b.Y = 0.4L;
    b.P = c.Fa / c.Fr <= b.e ? c.Fr : 0.92L * c.Fr + b.Y * c.Fa;

    const Real kr = SeriesFactor(s, CylindricalSeries, 150);
    b.Frm = b.nLimit == 0 ? 0 : kr * (6 + 4 * c.n / b.nLimit) * (c.dm / 100) * (c.dm / 100);

    b.FaPerm = 0;
    if (Contains(s, "NUP") || Contains(s, "NJ")) {
        const bool ec = Contains(s, "EC");
        const Real k1 = ec ? 1.5L : 0.5L, k2 = ec ? 0.15L : 0.05L;
        const Real ring = 1.2L * b.D * b.D;
        // At standstill the speed term sets no limit; the direction of
        // rotation does not change the capacity.
        const Real speed = std::fabs(c.n);
        b.FaPerm = speed == 0 ? ring : MinReal(ring, k1 * b.C0 * 10000 / ((b.d + b.D) * speed) - k2 * c.Fr);
    }
}

void TaperedRollerBearing(BearingLoadCase& c)
{
    auto& b = c.b;
    b.P0 = 0.5L * c.Fr + b.Y0 * c.Fa;
    if (c.Fr > b.P0)
        b.P0 = c.Fr;
    b.P = c.Fa / c.Fr < b.e ? c.Fr : 0.4L * c.Fr + b.Y * c.Fa;
    b.Frm = 0.02L * b.C;
    b.FaPerm = b.C;
}

void SphericalRollerBearing(BearingLoadCase& c)
{
    auto& b = c.b;
    b.P0 = c.Fr + b.Y0 * c.Fa;
    b.P = c.Fa / c.Fr < b.e ? c.Fr + b.Y1 * c.Fa : 0.67L * c.Fr + b.Y2 * c.Fa;
    b.Frm = 0.02L * b.C;
    b.FaPerm = 3 * b.B * b.d;
}

void AngularContactBallBearing(BearingLoadCase& c)
{
    auto& b = c.b;
    const bool pair = c.arrangement == 3 && (c.variant == 1 || c.variant == 2);
    const bool low = c.Fa / c.Fr <= 1.14L;
    if (pair) {
        b.P0 = c.Fr + 0.52L * c.Fa;
        b.P = low ? c.Fr + 0.55L * c.Fa : 0.57L * c.Fr + 0.93L * c.Fa;
    } else {
        b.P0 = 0.5L * c.Fr + 0.26L * c.Fa;
        if (c.Fr > b.P0)
            b.P0 = c.Fr;
        b.P = low ? c.Fr : 0.35L * c.Fr + 0.57L * c.Fa;
    }
    b.Frm = DynamicMinimumLoad(c, SeriesFactor(b.Designation, AngularContactSeries, 90), MinLoadName);
    b.FaPerm = b.C;
}

void DoubleRowAngularContactBearing(BearingLoadCase& c)
{
    auto& b = c.b;
    const DoubleRowRow* row = nullptr;
    for (const auto& r : DoubleRowTable)
        if (SameReal(b.alpha(), r.alpha))
            row = &r;
    if (row) {
        b.P0 = c.Fr + row->y0 * c.Fa;
        const bool upToLimit = c.Fr > 0 && c.Fa / c.Fr <= row->limit;
        b.P = upToLimit ? c.Fr + row->y1 * c.Fa : row->x2 * c.Fr + row->y2 * c.Fa;
    } else {
        b.P0 = c.Fr + c.Fa;
        b.P = c.Fr + c.Fa;
        settings::AddMessage(AlphaMessage);
    }

    const std::string& s = b.Designation;
    Real kr = 60;
    if (Contains(s, "32"))
        kr = b.d <= 50 ? 60 : 80;
    else if (Contains(s, "33"))
        kr = b.d <= 40 ? 70 : 95;
    b.Frm = DynamicMinimumLoad(c, kr, "Fehler : Frm Lager");
    b.FaPerm = b.C;
}

using TypeBlock = void (*)(BearingLoadCase&);

// By type code 1..12
const TypeBlock TypeBlocks[BearingTypeCount] = {
    DeepGrooveBallBearing,         SelfAligningBallBearing,        NeedleOrFullComplementBearing,
    NeedleOrFullComplementBearing, CylindricalRollerBearing,       TaperedRollerBearing,
    SphericalRollerBearing,        AngularContactBallBearing,      DoubleRowAngularContactBearing,
    NeedleOrFullComplementBearing, NeedleOrFullComplementBearing,  NeedleOrFullComplementBearing,
};

} // namespace

void ApplyTypeBlock(BearingLoadCase& c)
{
    if (c.b.Typ >= 1 && c.b.Typ <= BearingTypeCount)
        TypeBlocks[c.b.Typ - 1](c);
}

} // namespace kt4
