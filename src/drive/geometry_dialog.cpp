#include "drive/geometry_dialog.h"

#include "drive/bearing_selection.h"
#include "drive/bearing_types.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/drive_series.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"
#include "foundation/units.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace kt4::drive {

namespace {

using dialogs::FieldUnit;
using V = DriveInputs;
using Field = GeometryDialogModel::Field;

constexpr Field R(const char* name, Real V::*m, FieldUnit u = FieldUnit::Length) { return {name, m, nullptr, u}; }
constexpr Field N(const char* name, Integer V::*m) { return {name, nullptr, m, FieldUnit::Count}; }

const std::vector<Field> Fields = {
    R("Edit_dh", &V::dH),           R("Edit_dp", &V::dp, FieldUnit::LengthFine),
    R("Edit_diw", &V::diw),         R("Edit_dexz", &V::dexz),
    R("Edit_bh", &V::bH),           R("Edit_bw", &V::bP),
    R("Edit_dzw", &V::dzw),         R("Edit_dzapfen", &V::dz),
    R("Edit_dlk", &V::dlk),         R("Edit_dantr", &V::d1),
    R("Edit_dabtr", &V::d2),        R("Edit_drolle", &V::dR),
    R("Edit_dabtriebscheibe", &V::des), R("Edit_babtriebscheibe", &V::bs),
    R("Edit_dhe", &V::dHe),         R("Edit_dlks", &V::dLkS),
    R("Edit_ds", &V::dS),           R("Edit_dilagerantr", &V::deLg1),
    R("Edit_blagerantr", &V::bLg1), R("Edit_dilagerabtr", &V::deLg4),
    R("Edit_blagerabtr", &V::bLg45), R("Edit_cax", &V::cax),
    R("Edit_didist", &V::didist),   R("Edit_dilagerexz", &V::diLg3),
    R("Edit_blagerexz", &V::bLg3),  R("Edit_delagerexz", &V::deLg3),
    R("Edit_exz", &V::exz),         R("Edit_lantr", &V::L1),
    R("Edit_labtr", &V::L2),        R("Edit_wal", &V::alpha, FieldUnit::Number),
    N("SpinEdit_nzapfen", &V::nz),  N("SpinEdit_anzs", &V::ns),
};

// A proposal: a value in the program's units, a fixed text, or the text of
// another field as it stands.
struct Proposal {
    bool made = false;
    Real value = 0;
    const char* text = nullptr;
    const char* copyOf = nullptr;
};
Proposal Value(Real x) { return {true, x, nullptr, nullptr}; }
Proposal Text(const char* t) { return {true, 0, t, nullptr}; }
Proposal CopyOf(const char* field) { return {true, 0, nullptr, field}; }
Proposal None() { return {}; }

Real Rd(Real x) { return static_cast<Real>(Round(x)); }

// One "<" button. Proposals of "form values" first read the form into the
// copy as Calc would and then use the copy; the others read the named
// fields. Either way a proposal is made only when every field it names is
// a number.
struct Suggestion {
    const char* button;
    const char* field;
    bool formValues;
    std::vector<const char*> inputs;
    Proposal (*rule)(const V&);
};

const std::vector<Suggestion> Suggestions = {
    {"Button_dh", "Edit_dh", false, {"Edit_dabtr"}, [](const V& v) { return Value(Rd(3.8L * v.d2)); }},
    {"Button_dp", "Edit_dp", false, {"Edit_dh"}, [](const V& v) { return Value(0.98L * v.dH); }},
    {"Button_diw", "Edit_diw", true, {"Edit_bw", "Edit_dexz"}, [](const V& v) { return Value(Rd(2 * v.bP + v.dexz)); }},
    {"Button_dexz", "Edit_dexz", true, {"Edit_dantr", "Edit_exz"},
     [](const V& v) {
         return Value(0.6L * v.d1 >= v.d1 - 2 * v.exz ? Rd(v.d1 + 2 * v.exz + 0.5L) : Rd(v.d1 - 2 * v.exz - 0.5L));
     }},
    {"Button_bh", "Edit_bh", false, {"Edit_dh"}, [](const V& v) { return Value(Rd(0.1L * v.dH)); }},
    {"Button_bw", "Edit_bw", false, {"Edit_bh"}, [](const V& v) { return Value(v.bH - MaxReal(0.01L * v.bH, 1)); }},
    {"Button_nzapfen", "SpinEdit_nzapfen", false, {}, [](const V&) { return Value(8); }},
    {"Button_anzs", "SpinEdit_anzs", false, {}, [](const V&) { return Value(8); }},
    {"Button_dzw", "Edit_dzw", true, {"Edit_exz", "Edit_drolle"}, [](const V& v) { return Value(2 * v.exz + v.dR); }},
    {"Button_dlk", "Edit_dlk", true, {"Edit_dp", "Edit_diw"}, [](const V& v) { return Value(Rd(0.96L * v.dp + v.diw) / 2); }},
    {"Button_drolle", "Edit_drolle", false, {"Edit_dp"}, [](const V& v) { return Value(Rd(0.14L * v.dp)); }},
    {"Button_dzapfen", "Edit_dzapfen", false, {"Edit_drolle"}, [](const V& v) { return Value(Rd(0.5L * v.dR)); }},
    {"Button_dabtriebscheibe", "Edit_dabtriebscheibe", true, {"Edit_exz", "Edit_dlk", "Edit_drolle"},
     [](const V& v) { return Value(Rd(4 * v.exz + v.dlk + v.dR + 0.5L)); }},
    {"Button_babtriebscheibe", "Edit_babtriebscheibe", true, {"Edit_bw"}, [](const V& v) { return Value(Rd(v.bP)); }},
    {"Button_dhe", "Edit_dhe", true, {"Edit_dh", "Edit_ds"}, [](const V& v) { return Value(Rd(1.03L * v.dH + 3.6L * v.dS)); }},
    {"Button_ds", "Edit_ds", true, {"Edit_dzapfen"}, [](const V& v) { return Value(Rd(0.7L * v.dz)); }},
    {"Button_dlks", "Edit_dlks", true, {"Edit_dh", "Edit_dhe"}, [](const V& v) { return Value(Rd((1.03L * v.dH + v.dHe) / 2)); }},
    {"Button_cax", "Edit_cax", false, {"Edit_dh"}, [](const V& v) { return Value(MaxReal(0.005L * v.dH, 0.5L)); }},
    {"Button_didist", "Edit_didist", true, {"Edit_dh"}, [](const V& v) { return Value(Rd(1.03L * v.dH)); }},
    {"Button_blagerantr", "Edit_blagerantr", false, {"Edit_dantr"}, [](const V& v) { return Value(Rd(0.8L * v.d1)); }},
    {"Button_dilagerantr", "Edit_dilagerantr", false, {"Edit_blagerantr", "Edit_dantr"},
     [](const V& v) { return Value(Rd(2 * v.bLg1 + v.d1)); }},
    {"Button_blagerabtr", "Edit_blagerabtr", false, {"Edit_dabtr"}, [](const V& v) { return Value(Rd(1.6L * v.d2)); }},
    {"Button_dilagerabtr", "Edit_dilagerabtr", true, {"Edit_dabtr"}, [](const V& v) { return Value(Rd(2 * v.d2)); }},
    {"Button_blagerexz", "Edit_blagerexz", true, {"Edit_dantr", "Edit_dexz", "Edit_dilagerexz"},
     [](const V& v) { return v.d1 >= v.dexz ? CopyOf("Edit_dilagerexz") : Value(0.5L * v.diLg3); }},
    {"Button_dilagerexz", "Edit_dilagerexz", true, {"Edit_dexz", "Edit_exz"}, [](const V& v) { return Value(v.dexz - 2 * v.exz); }},
    {"Button_delagerexz", "Edit_delagerexz", true, {"Edit_blagerexz", "Edit_dilagerexz"},
     [](const V& v) { return Value(2 * v.bLg3 + v.diLg3); }},
    // From the copy as it stands, not from the fields.
    {"Button_exzu", "Edit_exz", false, {},
     [](const V& v) { return v.dH > 0 && v.dp > 0 && v.dH > v.dp ? Value((v.dH - v.dp) / 2) : None(); }},
    {"Button_lantr", "Edit_lantr", false, {"Edit_dantr"}, [](const V& v) { return Value(Rd(1.6L * v.d1)); }},
    {"Button_labtr", "Edit_labtr", false, {"Edit_dabtr"}, [](const V& v) { return Value(Rd(1.6L * v.d2)); }},
    {"Button_wal", "Edit_wal", false, {}, [](const V&) { return Text("30"); }},
    {"Button_dantr", "Edit_dantr", false, {"Edit_dabtr"},
     [](const V& v) { return v.i < -1 ? Value(Rd(v.d2 / PowerChecked("isc", std::fabs(v.i), 1.0L / 3))) : None(); }},
    // The output shaft as the preliminary design sizes it, with the typed L2.
    {"Button_dabtr", "Edit_dabtr", false, {"Edit_labtr"},
     [](const V& v) {
         return Value(NextStdDiameter(0, PowerChecked("d abtr", (v.T[2] * v.KA + v.FrShaft[2] / 1000 * v.L2) * 100, 1.0L / 3)));
     }},
};

// The bearing buttons: slot, key diameter, loads and speed of the pick, and
// where the picked bearing's width, outside diameter and bore go.
struct BearingButton {
    const char* button;
    Word slot;
    Real V::*key;
    Real fr, fa, n;    // fixed loads and speed, or
    int frLager;       // the radial load of this bearing (times frShare)
    Real frShare;
    bool outputSpeed;  // the output speed
    Real V::*width;
    Real V::*outside;
    Real V::*bore;
};

const std::vector<BearingButton> Bearings = {
    {"Button_lagerantrdeckel", 1, &V::d1, 100, 0, 10, 0, 1, false, &V::bLg1, &V::deLg1, &V::d1},
    {"Button_lagerexzwaelz", 2, &V::dexz, 111, 11, 1111, 0, 1, false, &V::bP, &V::diw, &V::dexz},
    {"Button_lagerexzabtr", 3, &V::diLg3, 111, 11, 1111, 0, 1, false, &V::bLg3, &V::deLg3, &V::diLg3},
    {"Button_lagerabtrdeckel", 4, &V::d2, 0, 0, 0, 4, 1, true, &V::bLg45, &V::deLg4, &V::d2},
    {"Button_Lagerabtrdeckel2", 5, &V::d2, 0, 0, 0, 5, 0.5L, true, &V::bLg45, &V::deLg4, &V::d2},
};

const Field* FieldNamed(const std::string& name)
{
    auto it = std::find_if(Fields.begin(), Fields.end(), [&](const Field& f) { return name == f.name; });
    return it == Fields.end() ? nullptr : &*it;
}

Real Get(const V& v, const Field& f) { return f.real ? v.*f.real : static_cast<Real>(v.*f.count); }

void Set(V& v, const Field& f, Real x)
{
    if (f.real)
        v.*f.real = x;
    else // a spin edit holds its range
        v.*f.count = static_cast<Integer>(std::clamp<std::int64_t>(
            Round(x), std::string(f.name) == "SpinEdit_nzapfen" ? GeometryDialogModel::MinBolts : GeometryDialogModel::MinScrews,
            GeometryDialogModel::MaxBolts));
}

} // namespace

void ApplyGeometryRules(DriveInputs& v)
{
    if (v.alpha < 3)
        v.alpha = 20;
    if (v.alpha > 45)
        v.alpha = 45;
    if (v.dp < v.dH) {
        if (v.exz == 0)
            v.exz = (v.dH - v.dp) / 2;
        v.i = v.dp / (v.dp - v.dH);
    } else {
        v.i = 0;
    }
}

const std::vector<GeometryDialogModel::Field>& GeometryDialogModel::Fields() { return kt4::drive::Fields; }

const std::vector<std::pair<std::string, std::string>>& GeometryDialogModel::SuggestionButtons()
{
    static const std::vector<std::pair<std::string, std::string>> buttons = [] {
        std::vector<std::pair<std::string, std::string>> b;
        for (const auto& s : Suggestions)
            b.emplace_back(s.button, s.field);
        return b;
    }();
    return buttons;
}

const std::vector<std::string>& GeometryDialogModel::BearingButtons()
{
    static const std::vector<std::string> buttons = [] {
        std::vector<std::string> b;
        for (const auto& s : Bearings)
            b.emplace_back(s.button);
        return b;
    }();
    return buttons;
}

GeometryDialogModel::GeometryDialogModel() : copy_(CaptureDriveInputs())
{
    Load();
    UpdateRatio();
}

void GeometryDialogModel::Load()
{
    for (const Field& f : kt4::drive::Fields)
        text_[f.name] = filled_.Fill(f.name, Get(copy_, f), f.unit);
}

bool GeometryDialogModel::FieldValue(const Field& F, Real& X) const
{
    return filled_.Read(F.name, Text(F.name), F.unit, X);
}

const std::string& GeometryDialogModel::Text(const std::string& Name) const
{
    static const std::string none;
    auto it = text_.find(Name);
    return it == text_.end() ? none : it->second;
}

void GeometryDialogModel::SetText(const std::string& Name, const std::string& Text)
{
    if (!FieldNamed(Name))
        return;
    text_[Name] = Text;
    if (Name == "Edit_dh" || Name == "Edit_dp") {
        ReadLenient(copy_);
        ApplyGeometryRules(copy_);
        UpdateRatio();
    }
}

void GeometryDialogModel::UpdateRatio()
{
    if (!Parses("Edit_dh") || !Parses("Edit_dp"))
        return; // depends on a field that is no number: stays as it is
    const Real hollow = copy_.dH, rolling = copy_.dp;
    ratio_ = hollow - rolling > 0 ? "i = dP/(dP-dH) = " + RealStr(rolling / (rolling - hollow)) : std::string();
}

bool GeometryDialogModel::Parses(const std::string& Name) const
{
    const auto* f = FieldNamed(Name);
    Real x = 0;
    return f && FieldValue(*f, x);
}

void GeometryDialogModel::ReadLenient(DriveInputs& v) const
{
    for (const Field& f : kt4::drive::Fields) {
        Real x = 0;
        if (FieldValue(f, x))
            Set(v, f, x);
    }
}

bool GeometryDialogModel::ReadStrict(DriveInputs& v)
{
    DriveInputs read = v;
    for (const Field& f : kt4::drive::Fields) {
        Real x = 0;
        if (!FieldValue(f, x)) {
            refused_ = f.name;
            dialogs::RefuseField(Text(f.name));
            return false;
        }
        Set(read, f, x);
    }
    refused_.clear();
    ApplyGeometryRules(read);
    v = read;
    return true;
}

bool GeometryDialogModel::Suggest(const std::string& Button)
{
    auto s = std::find_if(Suggestions.begin(), Suggestions.end(), [&](const Suggestion& x) { return Button == x.button; });
    if (s == Suggestions.end())
        return false;
    for (const char* input : s->inputs)
        if (!Parses(input))
            return false;
    DriveInputs values = copy_;
    ReadLenient(values);
    if (s->formValues) {
        ApplyGeometryRules(values);
        copy_ = values;
    }
    const Proposal p = s->rule(s->formValues ? copy_ : values);
    if (!p.made)
        return false;
    const Field& target = *FieldNamed(s->field);
    if (p.copyOf)
        text_[s->field] = Text(p.copyOf);
    else if (p.text)
        text_[s->field] = p.text;
    else
        text_[s->field] = dialogs::FormatField(p.value, target.unit);
    if (target.name == std::string("Edit_dh") || target.name == std::string("Edit_dp"))
        SetText(target.name, text_[s->field]);
    return true;
}

bool GeometryDialogModel::StoreAndCalculate()
{
    if (!ReadStrict(copy_))
        return false;
    settings::AbortFlag = false;
    CommitDriveInputs(copy_);
    CalcDrive();
    return true;
}

bool GeometryDialogModel::Calc()
{
    if (!StoreAndCalculate())
        return false;
    dialogs::AfterDialogCalculation();
    return true;
}

bool GeometryDialogModel::Ok() { return StoreAndCalculate(); }

void GeometryDialogModel::Cancel() { settings::AbortFlag = true; }

bool GeometryDialogModel::ToggleUnits()
{
    if (!ReadStrict(copy_))
        return false;
    ToggleUnitSystem();
    Load();
    return true;
}

bool GeometryDialogModel::PickBearing(const std::string& Button)
{
    auto b = std::find_if(Bearings.begin(), Bearings.end(), [&](const BearingButton& x) { return Button == x.button; });
    if (b == Bearings.end())
        return false;
    DriveInputs typed = copy_;
    if (!ReadStrict(typed))
        return false;
    const Real fr = b->frLager ? FrLager[static_cast<std::size_t>(b->frLager)] * b->frShare : b->fr;
    const Real speed = b->outputSpeed ? n[2] : b->n;
    settings::AbortFlag = false;
    BearingSelect(0, b->slot, 1, typed.*b->key, fr, b->fa, speed, 1, 2, 1);
    if (settings::AbortFlag) {
        settings::AbortFlag = false;
        return false;
    }
    const WaelzLagerTyp& picked = bearings::BearingSlots[b->slot];
    if (b->slot >= 4)
        typed.bLg45 = MaxReal(picked.B, typed.bLg45);
    else
        typed.*b->width = picked.B;
    if (b->slot == 2 && typed.bP > typed.bH)
        typed.bH = typed.bP + 2;
    typed.*b->outside = picked.D;
    typed.*b->bore = picked.d;
    copy_ = typed;
    CommitDriveInputs(copy_);
    CalcDrive();
    dialogs::AfterDialogCalculation();
    copy_ = CaptureDriveInputs();
    Load();
    UpdateRatio();
    return true;
}

} // namespace kt4::drive
