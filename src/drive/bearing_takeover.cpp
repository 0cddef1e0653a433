#include "drive/bearing_takeover.h"

#include "drive/bearing_calc.h"
#include "drive/bearing_catalogue_record.h"
#include "drive/bearing_factors.h"

#include <vector>

namespace kt4 {

namespace {

using W = WaelzLagerTyp;

// A field of the slot: a real, one of the Dims, a text or an integer.
struct Target {
    Real W::*real = nullptr;
    int dims = 0;
    std::string W::*text = nullptr;
    Integer W::*integer = nullptr;
    Real factor = 1; // a real or integer source field is taken times this
};

constexpr Target R(Real W::*m, Real factor = 1) { return {m, 0, nullptr, nullptr, factor}; }
constexpr Target Dim(int k) { return {nullptr, k, nullptr, nullptr, 1}; }
constexpr Target S(std::string W::*m) { return {nullptr, 0, m, nullptr, 1}; }
constexpr Target I(Integer W::*m) { return {nullptr, 0, nullptr, m, 1}; }

struct FieldMap {
    int field;
    Target to;
};

struct TypeMapping {
    std::vector<FieldMap> fields;
    std::vector<Target> cleared;
};

// By type code; a field may feed two slot fields.
const TypeMapping Mappings[BearingTypeCount] = {
    // 1 rikula
    {{{1, S(&W::Designation)}, {2, R(&W::d)}, {3, R(&W::D)}, {4, R(&W::B)}, {5, R(&W::rmin)},
      {6, R(&W::C)}, {7, R(&W::C0)}, {8, R(&W::nLimit2)}, {9, R(&W::nLimit)}, {10, Dim(1)},
      {11, Dim(2)}, {12, Dim(3)}, {13, Dim(4)}, {14, R(&W::Cu)}, {15, R(&W::Price)},
      {16, S(&W::CatText)}},
     {R(&W::B2), R(&W::X), R(&W::Y), R(&W::e), R(&W::Y1), R(&W::Y2), R(&W::Y0)}},
    // 2 pekula
    {{{1, S(&W::Designation)}, {2, R(&W::d)}, {3, R(&W::D)}, {4, R(&W::B)}, {5, R(&W::C)},
      {6, R(&W::C0)}, {7, R(&W::nLimit2)}, {8, R(&W::nLimit)}, {9, R(&W::Mass)}, {10, Dim(1)},
      {11, Dim(2)}, {12, R(&W::rmin)}, {13, Dim(3)}, {14, Dim(4)}, {15, Dim(6)}, {16, R(&W::e)},
      {17, R(&W::Y1)}, {18, R(&W::Y2)}, {19, R(&W::Y0)}, {20, Dim(9)}, {21, R(&W::Cu)},
      {22, R(&W::Price)}, {23, S(&W::CatText)}},
     {R(&W::B2), R(&W::X), R(&W::Y)}},
    // 3 nadelhul
    {{{1, S(&W::Designation)}, {2, R(&W::d)}, {3, R(&W::D)}, {4, R(&W::B)}, {5, R(&W::B2)},
      {6, R(&W::rmin)}, {7, R(&W::C)}, {8, R(&W::C0)}, {9, R(&W::Cu)}, {10, R(&W::nLimit)},
      {10, R(&W::nLimit2, 0.75L)}, {11, R(&W::nLimit3)}, {12, R(&W::Price)}, {13, S(&W::CatText)}},
     {R(&W::X), R(&W::Y), R(&W::e), R(&W::Y1), R(&W::Y2), R(&W::Y0)}},
    // 4 nalaoi (fields 11 and 12 are read, not taken)
    {{{1, S(&W::Designation)}, {2, R(&W::d)}, {3, R(&W::D)}, {4, R(&W::B)}, {5, R(&W::rmin)},
      {6, R(&W::C)}, {7, R(&W::C0)}, {8, R(&W::Cu)}, {9, R(&W::nLimit2)}, {10, R(&W::nLimit)},
      {13, Dim(6)}, {14, R(&W::Price)}, {15, S(&W::CatText)}},
     {R(&W::B2), R(&W::X), R(&W::Y), R(&W::e), R(&W::Y1), R(&W::Y2), R(&W::Y0)}},
    // 5 zyrola (fields 10 and 16 to 20 are not taken)
    {{{1, S(&W::Designation)}, {2, R(&W::d)}, {3, R(&W::D)}, {4, R(&W::B)}, {5, R(&W::C)},
      {6, R(&W::C0)}, {7, R(&W::Cu)}, {8, R(&W::nLimit2)}, {9, R(&W::nLimit)}, {11, Dim(1)},
      {12, Dim(2)}, {13, R(&W::Y1)}, {14, R(&W::rmin)}, {15, Dim(6)}, {21, R(&W::Price)},
      {22, S(&W::CatText)}},
     {R(&W::B2), R(&W::X), R(&W::Y), R(&W::e), R(&W::Y2), R(&W::Y0)}},
    // 6 kerola (fields 17, 18, 20 and 22 to 26 are not taken)
    {{{1, S(&W::Designation)}, {2, R(&W::d)}, {3, R(&W::D)}, {4, Dim(5)}, {5, R(&W::C)},
      {6, R(&W::C0)}, {7, R(&W::Cu)}, {8, R(&W::nLimit2)}, {9, R(&W::nLimit)}, {10, R(&W::Mass)},
      {11, Dim(1)}, {12, R(&W::B)}, {13, R(&W::B2)}, {13, Dim(8)}, {14, R(&W::rmin)}, {15, Dim(6)},
      {16, Dim(7)}, {19, Dim(3)}, {21, Dim(4)}, {27, R(&W::e)}, {28, R(&W::Y)}, {29, R(&W::Y0)},
      {30, Dim(9)}, {31, R(&W::Price)}, {32, S(&W::CatText)}},
     {R(&W::X), R(&W::Y1), R(&W::Y2)}},
    // 7 perola
    {{{1, S(&W::Designation)}, {2, R(&W::d)}, {3, R(&W::D)}, {4, R(&W::B)}, {5, R(&W::C)},
      {6, R(&W::C0)}, {7, R(&W::Cu)}, {8, R(&W::nLimit2)}, {9, R(&W::nLimit)}, {10, R(&W::Mass)},
      {11, Dim(1)}, {12, Dim(2)}, {13, R(&W::rmin)}, {14, Dim(3)}, {15, Dim(4)}, {16, Dim(6)},
      {17, R(&W::e)}, {18, R(&W::Y1)}, {19, R(&W::Y2)}, {20, R(&W::Y0)}, {21, Dim(9)},
      {22, R(&W::Price)}, {23, S(&W::CatText)}},
     {R(&W::B2), R(&W::X), R(&W::Y)}},
    // 8 schrkula (field 18 is not taken; alpha is 40)
    {{{1, S(&W::Designation)}, {2, R(&W::d)}, {3, R(&W::D)}, {4, R(&W::B)}, {5, R(&W::C)},
      {6, R(&W::C0)}, {7, R(&W::Cu)}, {8, R(&W::nLimit2)}, {9, R(&W::nLimit)}, {10, R(&W::Mass)},
      {11, Dim(1)}, {12, Dim(2)}, {13, R(&W::rmin)}, {14, Dim(6)}, {15, Dim(8)}, {16, Dim(3)},
      {17, Dim(4)}, {19, R(&W::Price)}, {20, S(&W::CatText)}},
     {R(&W::X), R(&W::Y1), R(&W::Y2)}},
    // 9 schrku2 (field 19 is not taken)
    {{{1, S(&W::Designation)}, {2, R(&W::d)}, {3, R(&W::D)}, {4, R(&W::B)}, {5, R(&W::C)},
      {6, R(&W::C0)}, {7, R(&W::Cu)}, {8, Dim(9)}, {9, R(&W::nLimit2)}, {10, R(&W::nLimit)},
      {11, R(&W::Mass)}, {12, Dim(1)}, {13, Dim(2)}, {14, R(&W::rmin)}, {15, Dim(6)}, {16, Dim(8)},
      {17, Dim(3)}, {18, Dim(4)}, {20, R(&W::Price)}, {21, S(&W::CatText)}},
     {R(&W::X), R(&W::Y1), R(&W::Y2)}},
    // 10 nadelk
    {{{1, S(&W::Designation)}, {2, R(&W::d)}, {3, R(&W::D)}, {4, R(&W::B)}, {5, R(&W::C)},
      {6, R(&W::C0)}, {7, R(&W::Cu)}, {8, R(&W::nLimit)}, {8, R(&W::nLimit2, 0.75L)},
      {9, R(&W::nLimit3)}, {10, R(&W::Mass)}, {11, R(&W::Price)}, {12, S(&W::CatText)}},
     {R(&W::B2), R(&W::rmin), R(&W::X), R(&W::Y), R(&W::e), R(&W::Y1), R(&W::Y2), R(&W::Y0)}},
    // 11 zyrolav (Cu 0 is derived below)
    {{{1, S(&W::Designation)}, {2, R(&W::d)}, {3, R(&W::D)}, {4, R(&W::B)}, {5, R(&W::C)},
      {6, R(&W::C0)}, {7, R(&W::Cu)}, {8, R(&W::Mass)}, {9, Dim(1)}, {10, R(&W::rmin)},
      {10, Dim(6)}, {11, Dim(8)}, {12, I(&W::Rows)}, {13, R(&W::Price)}, {14, S(&W::CatText)}},
     {R(&W::B2), R(&W::nLimit2), R(&W::nLimit), R(&W::X), R(&W::Y), R(&W::e), R(&W::Y1),
      R(&W::Y2), R(&W::Y0), Dim(2)}},
    // 12 nadelv (field 11 is not taken; Cu is derived below)
    {{{1, S(&W::Designation)}, {2, R(&W::d)}, {3, R(&W::D)}, {4, R(&W::B)}, {5, R(&W::Dw)},
      {6, I(&W::Z)}, {7, R(&W::C)}, {8, R(&W::C0)}, {9, R(&W::Mass)}, {10, R(&W::rmin)},
      {10, Dim(6)}},
     {R(&W::B2), R(&W::nLimit2), R(&W::nLimit), R(&W::Price), S(&W::CatText), R(&W::X), R(&W::Y),
      R(&W::e), R(&W::Y1), R(&W::Y2), R(&W::Y0), Dim(1), Dim(2), Dim(8)}},
};

void Store(WaelzLagerTyp& b, const Target& t, const CatalogueRecord& row, int field)
{
    if (t.text)
        b.*t.text = row.Text(field);
    else if (t.integer)
        b.*t.integer = static_cast<Integer>(row.RealField(field) * t.factor);
    else if (t.real)
        b.*t.real = row.RealField(field) * t.factor;
    else if (t.dims)
        b.Dims[static_cast<std::size_t>(t.dims)] = row.RealField(field) * t.factor;
}

void Clear(WaelzLagerTyp& b, const Target& t)
{
    if (t.text)
        (b.*t.text).clear();
    else if (t.integer)
        b.*t.integer = 0;
    else if (t.real)
        b.*t.real = 0;
    else if (t.dims)
        b.Dims[static_cast<std::size_t>(t.dims)] = 0;
}

constexpr Real AngularContactAlpha = 40;  // the schrkula series
constexpr Real RollerFatigueShare = 8.2L; // Cu = C0 / 8.2

} // namespace

void BearingTakeOver(Word Slot, TBearingType Typ, Real Fr, Real Fa)
{
    if (Slot < 1 || Slot > BearingSlotCount)
        return;
    WaelzLagerTyp& b = bearings::BearingSlots[Slot];
    const bool known = Typ >= 1 && Typ <= BearingTypeCount;
    b.Typ = Typ;
    b.CatRecNo = known ? bearings::CatalogueBuffers[Typ].RecNo() : 0;
    b.Z = 0;
    b.Dw = 0;
    b.Dims[9] = 0;
    b.Rows = 1;
    if (!known)
        return;
    const CatalogueRecord& row = bearings::CatalogueBuffers[Typ];
    const TypeMapping& m = Mappings[Typ - 1];
    for (const FieldMap& f : m.fields)
        Store(b, f.to, row, f.field);
    for (const Target& t : m.cleared)
        Clear(b, t);

    switch (Typ) {
    case DeepGrooveBall:
        BearingXYFactors(ClearanceFilePath(2), b.X, b.Y, Fr, Fa, b.C0);
        break;
    case AngularContactBall:
        b.Dims[9] = AngularContactAlpha;
        b.Y = AngularContactY(Typ, b.alpha());
        break;
    case DoubleRowAngularContact:
        b.Y = AngularContactY(Typ, b.alpha());
        break;
    case FullComplementRoller:
        if (b.Cu == 0)
            b.Cu = b.C0 / RollerFatigueShare;
        break;
    case FullComplementNeedle:
        b.Cu = b.C0 / RollerFatigueShare;
        break;
    default:
        break;
    }
}

} // namespace kt4
