// The take-over of a catalogue row into a bearing slot, for each of the
// twelve tables, with a row whose fields all differ so that a wrong field
// number shows; the record readers; and the key of full-complement needle
// bearings.
#include "selection_fixture.h"

#include "drive/bearing_calc.h"
#include "drive/bearing_catalogue.h"
#include "drive/bearing_factors.h"
#include "drive/bearing_takeover.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"

#include <cmath>
#include <functional>
#include <map>
#include <sstream>

namespace kt4::drivetest {
namespace {

using W = WaelzLagerTyp;

// The slot fields a take-over may touch, by name.
struct SlotField {
    std::function<Real&(W&)> real;
    std::function<std::string&(W&)> text;
};

const std::map<std::string, SlotField>& SlotFields()
{
    static const std::map<std::string, SlotField> fields = [] {
        std::map<std::string, SlotField> f;
        auto real = [&](const char* name, Real W::*m) { f[name].real = [m](W& b) -> Real& { return b.*m; }; };
        real("d", &W::d), real("D", &W::D), real("B", &W::B), real("B2", &W::B2), real("rmin", &W::rmin);
        real("C", &W::C), real("C0", &W::C0), real("X", &W::X), real("Y", &W::Y), real("e", &W::e);
        real("Y1", &W::Y1), real("Y2", &W::Y2), real("Y0", &W::Y0), real("nLimit", &W::nLimit);
        real("nLimit2", &W::nLimit2), real("nLimit3", &W::nLimit3), real("Mass", &W::Mass);
        real("Price", &W::Price), real("Cu", &W::Cu), real("Dw", &W::Dw);
        for (int k = 1; k <= 9; ++k)
            f["Dims" + std::to_string(k)].real = [k](W& b) -> Real& { return b.Dims[static_cast<std::size_t>(k)]; };
        f["Designation"].text = [](W& b) -> std::string& { return b.Designation; };
        f["CatText"].text = [](W& b) -> std::string& { return b.CatText; };
        return f;
    }();
    return fields;
}

// The mapping of each table as the catalogue documentation gives it:
// "slot=field" (with "*0.75" for a share), then after "|" the slot fields
// the type clears.
const char* const Mappings[BearingTypeCount] = {
    "Designation=1 d=2 D=3 B=4 rmin=5 C=6 C0=7 nLimit2=8 nLimit=9 Dims1=10 Dims2=11 Dims3=12 Dims4=13 "
    "Cu=14 Price=15 CatText=16 | B2 X Y e Y1 Y2 Y0",
    "Designation=1 d=2 D=3 B=4 C=5 C0=6 nLimit2=7 nLimit=8 Mass=9 Dims1=10 Dims2=11 rmin=12 Dims3=13 "
    "Dims4=14 Dims6=15 e=16 Y1=17 Y2=18 Y0=19 Dims9=20 Cu=21 Price=22 CatText=23 | B2 X Y",
    "Designation=1 d=2 D=3 B=4 B2=5 rmin=6 C=7 C0=8 Cu=9 nLimit=10 nLimit2=10*0.75 nLimit3=11 Price=12 "
    "CatText=13 | X Y e Y1 Y2 Y0",
    "Designation=1 d=2 D=3 B=4 rmin=5 C=6 C0=7 Cu=8 nLimit2=9 nLimit=10 Dims6=13 Price=14 CatText=15 "
    "| B2 X Y e Y1 Y2 Y0",
    "Designation=1 d=2 D=3 B=4 C=5 C0=6 Cu=7 nLimit2=8 nLimit=9 Dims1=11 Dims2=12 Y1=13 rmin=14 Dims6=15 "
    "Price=21 CatText=22 | B2 X Y e Y2 Y0",
    "Designation=1 d=2 D=3 Dims5=4 C=5 C0=6 Cu=7 nLimit2=8 nLimit=9 Mass=10 Dims1=11 B=12 B2=13 Dims8=13 "
    "rmin=14 Dims6=15 Dims7=16 Dims3=19 Dims4=21 e=27 Y=28 Y0=29 Dims9=30 Price=31 CatText=32 | X Y1 Y2",
    "Designation=1 d=2 D=3 B=4 C=5 C0=6 Cu=7 nLimit2=8 nLimit=9 Mass=10 Dims1=11 Dims2=12 rmin=13 "
    "Dims3=14 Dims4=15 Dims6=16 e=17 Y1=18 Y2=19 Y0=20 Dims9=21 Price=22 CatText=23 | B2 X Y",
    "Designation=1 d=2 D=3 B=4 C=5 C0=6 Cu=7 nLimit2=8 nLimit=9 Mass=10 Dims1=11 Dims2=12 rmin=13 "
    "Dims6=14 Dims8=15 Dims3=16 Dims4=17 Price=19 CatText=20 | X Y1 Y2",
    "Designation=1 d=2 D=3 B=4 C=5 C0=6 Cu=7 Dims9=8 nLimit2=9 nLimit=10 Mass=11 Dims1=12 Dims2=13 "
    "rmin=14 Dims6=15 Dims8=16 Dims3=17 Dims4=18 Price=20 CatText=21 | X Y1 Y2",
    "Designation=1 d=2 D=3 B=4 C=5 C0=6 Cu=7 nLimit=8 nLimit2=8*0.75 nLimit3=9 Mass=10 Price=11 "
    "CatText=12 | B2 rmin X Y e Y1 Y2 Y0",
    "Designation=1 d=2 D=3 B=4 C=5 C0=6 Cu=7 Mass=8 Dims1=9 rmin=10 Dims6=10 Dims8=11 Price=13 CatText=14 "
    "| B2 nLimit2 nLimit X Y e Y1 Y2 Y0 Dims2",
    "Designation=1 d=2 D=3 B=4 Dw=5 C=7 C0=8 Mass=9 rmin=10 Dims6=10 | B2 nLimit2 nLimit Price CatText X "
    "Y e Y1 Y2 Y0 Dims1 Dims2 Dims8",
};

// A row of type Typ whose fields all differ: texts "F<n>", reals n + 0.5,
// integers 1000 + n.
CatalogueRecord DistinctRow(TBearingType Typ)
{
    CatalogueRecord row(Typ);
    for (int n = 1; n <= row.FieldCount(); ++n) {
        const char kind = row.Kind(n);
        row.SetFromText(n, kind == 'S' ? "F" + IntStr(n) : kind == 'R' ? RealStr6(n + 0.5L) : IntStr(1000 + n));
    }
    row.SetRecNo(17);
    return row;
}

// A slot whose fields are all different from each other and from defaults.
WaelzLagerTyp Sentinel()
{
    WaelzLagerTyp b;
    Real v = 900;
    for (const auto& [name, f] : SlotFields()) {
        if (f.real)
            f.real(b) = v++;
        else
            f.text(b) = "alt " + name;
    }
    b.Z = 77;
    b.Rows = 2;
    b.nuen = 68;
    b.L10 = 123;
    return b;
}

// The slot after taking Row over, and the slot the mapping predicts.
void TakeOver(TBearingType Typ, const CatalogueRecord& Row, WaelzLagerTyp& Got, WaelzLagerTyp& Want)
{
    bearings::CatalogueBuffers[Typ] = Row;
    bearings::BearingSlots[2] = Sentinel();
    BearingTakeOver(2, Typ, 500, 100);
    Got = bearings::BearingSlots[2];

    Want = Sentinel();
    Want.Typ = Typ;
    Want.CatRecNo = Row.RecNo();
    Want.Z = 0;
    Want.Dw = 0;
    Want.Dims[9] = 0;
    Want.Rows = 1;
    std::istringstream spec(Mappings[Typ - 1]);
    bool clearing = false;
    for (std::string item; spec >> item;) {
        if (item == "|") {
            clearing = true;
            continue;
        }
        const std::size_t eq = item.find('=');
        const SlotField& f = SlotFields().at(item.substr(0, eq));
        if (clearing) {
            if (f.real)
                f.real(Want) = 0;
            else
                f.text(Want).clear();
            continue;
        }
        const int field = std::stoi(item.substr(eq + 1));
        const Real share = item.find("*0.75") != std::string::npos ? 0.75L : 1;
        if (f.real)
            f.real(Want) = Row.RealField(field) * share;
        else
            f.text(Want) = Row.Text(field);
    }
}

TEST_F(BearingSelection, EachTypeTakesEveryFieldToItsPlace)
{
    for (TBearingType t = 1; t <= BearingTypeCount; ++t) {
        CatalogueRecord row = DistinctRow(t);
        if (t == DoubleRowAngularContact)
            row.SetFromText(8, "25"); // the contact angle
        WaelzLagerTyp got, want;
        TakeOver(t, row, got, want);
        switch (t) {
        case DeepGrooveBall: // X and Y of normal clearance for the loads
            want.X = 1, want.Y = 0;
            EXPECT_TRUE(BearingXYFactors(ClearanceFilePath(2), want.X, want.Y, 500, 100, want.C0));
            break;
        case AngularContactBall:
            want.Dims[9] = 40;
            want.Y = AngularContactY(t, 40);
            break;
        case DoubleRowAngularContact:
            want.Y = AngularContactY(t, 25);
            break;
        case FullComplementRoller:
            want.Rows = row.IntField(12);
            break;
        case FullComplementNeedle:
            want.Z = row.IntField(6);
            want.Cu = want.C0 / 8.2L;
            break;
        default:
            break;
        }
        EXPECT_TRUE(got == want) << BearingTableName(t);
        for (const auto& [name, f] : SlotFields()) {
            if (f.real)
                EXPECT_EQ(f.real(got), f.real(want)) << BearingTableName(t) << " " << name;
            else
                EXPECT_EQ(f.text(got), f.text(want)) << BearingTableName(t) << " " << name;
        }
        EXPECT_EQ(got.nuen, 68) << "a setting stays";
        EXPECT_EQ(got.L10, 123) << "a result stays";
    }
}

TEST_F(BearingSelection, DerivedFieldsOfTheFullComplementAndAngularContactTypes)
{
    // Type 12: Cu from C0, no price, no text, Z and Dw from the table.
    CatalogueRecord needles(FullComplementNeedle);
    for (auto [n, text] : {std::pair{1, "NV 20"}, {2, "18.906"}, {3, "25.906"}, {4, "17.8"}, {5, "3.5"},
                           {6, "20"}, {7, "21000"}, {8, "41000"}, {9, "0.02"}, {10, "0.3"}})
        needles.SetFromText(n, text);
    WaelzLagerTyp got, want;
    TakeOver(FullComplementNeedle, needles, got, want);
    EXPECT_EQ(got.Z, 20);
    EXPECT_EQ(got.Dw, 3.5L);
    EXPECT_EQ(got.Cu, 41000 / 8.2L);
    EXPECT_EQ(got.Price, 0);
    EXPECT_EQ(got.CatText, "");

    // Type 11 keeps a Cu of the table and derives a missing one.
    CatalogueRecord rollers = DistinctRow(FullComplementRoller);
    TakeOver(FullComplementRoller, rollers, got, want);
    EXPECT_EQ(got.Cu, rollers.RealField(7));
    rollers.SetFromText(7, "0");
    TakeOver(FullComplementRoller, rollers, got, want);
    EXPECT_EQ(got.Cu, rollers.RealField(6) / 8.2L);

    // Types 8 and 9 through AngularContactY: an angle of 0 gives Y 0, for
    // the double-row type with its message; type 8 is always the 40° series.
    for (const char* alpha : {"0", "35", "45"}) {
        CatalogueRecord row = DistinctRow(DoubleRowAngularContact);
        row.SetFromText(8, alpha);
        settings::ClearMessages();
        TakeOver(DoubleRowAngularContact, row, got, want);
        EXPECT_EQ(got.Y, AngularContactY(DoubleRowAngularContact, StrToReal(alpha))) << alpha;
        EXPECT_EQ(settings::MessageCount == 1, std::string(alpha) == "0") << alpha;
    }
    EXPECT_EQ(settings::MessageTexts[1], "Fehler : schrku2: ALPHA=25,35,45!");
    CatalogueRecord single = DistinctRow(AngularContactBall);
    TakeOver(AngularContactBall, single, got, want);
    EXPECT_EQ(got.alpha(), 40);
    EXPECT_NEAR(static_cast<double>(got.Y), 0.4 / std::tan(40 * M_PI / 180), 1e-12);
}

TEST_F(BearingSelection, ReadersFillTheirBufferUnlessAborted)
{
    const auto field = [](int n) { return n == 1 ? std::string(25, 'Z') : n == 12 ? "2" : IntStr(n); };
    CatRecordReaderOf(FullComplementRoller)(field, 9);
    const CatalogueRecord& buffer = bearings::CatalogueBuffers[FullComplementRoller];
    EXPECT_EQ(buffer.Text(1), std::string(20, 'Z')) << "cut to 20 characters";
    EXPECT_EQ(buffer.RealField(3), 3);
    EXPECT_EQ(buffer.IntField(12), 2);
    EXPECT_EQ(buffer.RecNo(), 9);
    settings::AbortFlag = true;
    CatRecordReaderOf(FullComplementRoller)([](int) { return "7"; }, 10);
    EXPECT_EQ(buffer.RealField(3), 3);
    EXPECT_EQ(buffer.RecNo(), 9);
    EXPECT_EQ(CatRecordReaderOf(0), nullptr);
    EXPECT_EQ(CatRecordReaderOf(13), nullptr);
}

TEST_F(BearingSelection, FullComplementNeedleKey)
{
    const NeedleRing ring = FullComplementNeedleRing(20);
    EXPECT_EQ(ring.Z, 20);
    EXPECT_EQ(ring.Dw, 3.5L);
    EXPECT_NEAR(static_cast<double>(FullComplementNeedleFw(20)), (3.5 + 0.005) / std::sin(M_PI / 20) - 3.5, 1e-12);
    EXPECT_NEAR(static_cast<double>(FullComplementNeedleFw(20)), 18.9, 0.01);
    // Above 6 mm needles the count grows with the shaft, up to 50.
    EXPECT_EQ(FullComplementNeedleRing(40).Z, 24);
    EXPECT_EQ(FullComplementNeedleRing(40).Dw, 6);
    EXPECT_EQ(FullComplementNeedleRing(200).Z, 50);
    struct Gap {
        Integer Z;
        Real Dw, s;
    };
    for (const Gap& g : {Gap{20, 3.5L, 0.1L}, Gap{40, 3, 0.2L}, Gap{20, 5, 0.15L}, Gap{40, 6, 0.2L}})
        EXPECT_NEAR(static_cast<double>(NeedleClearance(g.Z, g.Dw)), static_cast<double>(g.s), 1e-15) << g.Z;
}

} // namespace
} // namespace kt4::drivetest
