#include "drive/drive_data_dialogs.h"

#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/predesign.h"
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

std::vector<DialogField> DriveDataFields(DriveDataDialogModel::Kind Kind)
{
    std::vector<DialogField> f = {
        {"Edit_n1", FieldUnit::Number, [](V& v) -> Real& { return v.n[1]; }},
        {"Edit_t1", FieldUnit::Torque, [](V& v) -> Real& { return v.T[1]; }},
        {"Edit_p1", FieldUnit::Number, [](V& v) -> Real& { return v.P[1]; }},
        {"Edit_n2", FieldUnit::Number, [](V& v) -> Real& { return v.n[2]; }},
        {"Edit_t2", FieldUnit::Torque, [](V& v) -> Real& { return v.T[2]; }},
        {"Edit_p2", FieldUnit::Number, [](V& v) -> Real& { return v.P[2]; }},
        {"Edit_etaproz", FieldUnit::Number, [](V& v) -> Real& { return v.etaproz; }},
        {"Edit_frext1", FieldUnit::Force, [](V& v) -> Real& { return v.FrShaft[1]; }},
        {"Edit_frext2", FieldUnit::Force, [](V& v) -> Real& { return v.FrShaft[2]; }},
    };
    if (Kind == DriveDataDialogModel::Kind::PreDesign) {
        f.push_back({"Edit_i", FieldUnit::Number, [](V& v) -> Real& { return v.iAbs; }});
        f.push_back({"Edit_ka", FieldUnit::Number, [](V& v) -> Real& { return v.KA; }});
    }
    return f;
}

// n, T and P of one shaft by field name; index 0 n, 1 T, 2 P.
const char* const Quantities[2][3] = {{"Edit_n1", "Edit_t1", "Edit_p1"}, {"Edit_n2", "Edit_t2", "Edit_p2"}};

// Fields whose change completes the others.
const char* const CompletingFields[] = {"Edit_n1", "Edit_t1", "Edit_p1", "Edit_n2", "Edit_t2",
                                        "Edit_p2", "Edit_frext1", "Edit_frext2", "Edit_i"};

Real TorqueOf(Real P, Real n) { return P * 60000 / (2 * Pi * n); }

} // namespace

// ---- DialogFieldTexts --------------------------------------------------------

const std::string& DialogFieldTexts::Text(const std::string& Field) const
{
    static const std::string none;
    auto it = text_.find(Field);
    return it == text_.end() ? none : it->second;
}

void DialogFieldTexts::Load(DriveInputs& v)
{
    for (const auto& f : fields_)
        text_[f.name] = filled_.Fill(f.name, f.value(v), f.unit);
}

bool DialogFieldTexts::Read(const std::string& Field, Real& X) const
{
    auto f = std::find_if(fields_.begin(), fields_.end(), [&](const DialogField& d) { return Field == d.name; });
    return f != fields_.end() && filled_.Read(Field, Text(Field), f->unit, X);
}

bool DialogFieldTexts::ReadAll(DriveInputs& v)
{
    DriveInputs read = v;
    for (const auto& f : fields_) {
        if (!filled_.Read(f.name, Text(f.name), f.unit, f.value(read))) {
            refused_ = f.name;
            dialogs::RefuseField(Text(f.name));
            return false;
        }
    }
    refused_.clear();
    v = read;
    return true;
}

// ---- DriveDataDialogModel ----------------------------------------------------

DriveDataDialogModel::DriveDataDialogModel(Kind K)
    : DialogFieldTexts(DriveDataFields(K)), kind_(K), copy_(CaptureDriveInputs())
{
    Load();
}

void DriveDataDialogModel::Load()
{
    DialogFieldTexts::Load(copy_);
    derived_ = std::clamp<int>(copy_.nTPMode - 1, 0, 2);
    given_ = std::clamp<int>(copy_.sideMode - 1, 0, 1);
    Complete();
}

void DriveDataDialogModel::SetText(const std::string& Field, const std::string& Text)
{
    if (!text_.count(Field))
        return;
    text_[Field] = Text;
    if (std::find(std::begin(CompletingFields), std::end(CompletingFields), Field) != std::end(CompletingFields))
        Complete();
}

void DriveDataDialogModel::SetDerivedItem(int Item) { derived_ = std::clamp(Item, 0, 2); }
void DriveDataDialogModel::SetGivenShaft(int Shaft) { given_ = std::clamp(Shaft, 0, 1); }

bool DriveDataDialogModel::Enabled(const std::string& Field) const
{
    for (int shaft = 0; shaft < 2; ++shaft)
        for (int q = 0; q < 3; ++q)
            if (Field == Quantities[shaft][q])
                return q != derived_ && shaft == given_;
    return text_.count(Field) != 0;
}

std::string DriveDataDialogModel::RatioLabel() const { return "i = " + RealStr(copy_.i); }

// The dependent fields from the fields that are numbers; a value whose
// inputs are not all numbers stays as it is.
void DriveDataDialogModel::Complete()
{
    if (kind_ == Kind::PreDesign) {
        Real r = 0;
        if (Read("Edit_i", r)) {
            copy_.iAbs = r;
            copy_.i = -r;
        }
    }
    const Real ratio = std::fabs(copy_.i);
    std::optional<Real> eta;
    if (Real e = 0; Read("Edit_etaproz", e)) {
        if (e == 0) {
            text_["Edit_etaproz"] = "100";
            e = 100;
        }
        eta = e;
    }
    // q[shaft][0 n, 1 T, 2 P]
    std::optional<Real> q[2][3];
    for (int s = 0; s < 2; ++s)
        for (int k = 0; k < 3; ++k)
            if (Real x = 0; Read(Quantities[s][k], x))
                q[s][k] = x;
    auto put = [&](int s, int k, Real x, bool sixDigits) {
        q[s][k] = x;
        text_[Quantities[s][k]] = k == 1 ? FormatTorque(x) : (sixDigits ? RealStr6(x) : RealStr(x));
    };
    const int g = given_, o = 1 - given_;
    auto& speed = q[g][0];
    auto& torque = q[g][1];
    auto& power = q[g][2];
    switch (derived_) {
    case 0:
        if (torque && power && *torque > 0)
            put(g, 0, *power * 60000 / (2 * Pi * *torque), g == 0);
        break;
    case 1:
        if (speed && power && *speed > 0)
            put(g, 1, TorqueOf(*power, *speed), false);
        break;
    default:
        if (speed && torque)
            put(g, 2, *speed * *torque * 2 * Pi / 60000, g == 0);
        break;
    }
    // The other shaft; with the ratio 0 its speed and torque stay.
    if (eta && power)
        put(o, 2, g == 0 ? *eta * *power / 100 : *power / (*eta / 100), false);
    if (ratio == 0)
        return;
    if (speed)
        put(o, 0, g == 0 ? *speed / ratio : ratio * *speed, g == 1);
    if (q[o][0] && *q[o][0] != 0 && q[o][2])
        put(o, 1, TorqueOf(*q[o][2], *q[o][0]), false);
}

bool DriveDataDialogModel::Suggest(const std::string& Button)
{
    const bool pre = kind_ == Kind::PreDesign;
    if (Button == "Button_etaproz") {
        text_["Edit_etaproz"] = "90";
        return true;
    }
    if (pre && Button == "Button_ka") {
        text_["Edit_ka"] = RealStr(1);
        return true;
    }
    if (pre && Button == "Button_i") {
        SetText("Edit_i", "50");
        return true;
    }
    if (pre && Button == "Button_frext") {
        if (!(copy_.d1 > 0 && copy_.d2 > 0))
            return false;
        bool changed = false;
        const Real shaft[2] = {copy_.d1, copy_.d2};
        for (int s = 0; s < 2; ++s) {
            Real t = 0;
            if (!Read(Quantities[s][1], t))
                continue;
            text_[s == 0 ? "Edit_frext1" : "Edit_frext2"] = FormatForce(RoundDecimals(-2, t / shaft[s] * 500));
            changed = true;
        }
        if (changed)
            Complete();
        return changed;
    }
    return false;
}

bool DriveDataDialogModel::Store()
{
    if (!ReadAll(copy_))
        return false;
    copy_.nTPMode = derived_ + 1;
    copy_.sideMode = given_ + 1;
    if (kind_ == Kind::PreDesign)
        copy_.i = -copy_.iAbs;
    settings::AbortFlag = false;
    CommitDriveInputs(copy_);
    return true;
}

bool DriveDataDialogModel::Calc()
{
    if (!Store())
        return false;
    if (kind_ == Kind::PreDesign)
        CalcPreDesign(0);
    else
        CalcDrive();
    dialogs::AfterDialogCalculation();
    return true;
}

bool DriveDataDialogModel::Ok() { return Store(); }

void DriveDataDialogModel::Cancel() { settings::AbortFlag = true; }

bool DriveDataDialogModel::ToggleUnits()
{
    if (!ReadAll(copy_))
        return false;
    copy_.nTPMode = derived_ + 1;
    copy_.sideMode = given_ + 1;
    ToggleUnitSystem();
    Load();
    return true;
}

// ---- PreDesign2DialogModel ---------------------------------------------------

PreDesign2DialogModel::PreDesign2DialogModel()
    : DialogFieldTexts({{"Edit_dabtr", FieldUnit::Length, [](V& v) -> Real& { return v.d2; }},
                        {"Edit_dantr", FieldUnit::Length, [](V& v) -> Real& { return v.d1; }},
                        {"Edit_dh", FieldUnit::Length, [](V& v) -> Real& { return v.dH; }}}),
      copy_(CaptureDriveInputs())
{
    DialogFieldTexts::Load(copy_);
}

void PreDesign2DialogModel::SetText(const std::string& Field, const std::string& Text)
{
    if (text_.count(Field))
        text_[Field] = Text;
}

bool PreDesign2DialogModel::Suggest(const std::string& Button)
{
    Real outputDiameter = 0;
    if (Button != "Button_dh" || !Read("Edit_dabtr", outputDiameter))
        return false;
    text_["Edit_dh"] = dialogs::FormatField(3.8L * outputDiameter, FieldUnit::Length);
    return true;
}

bool PreDesign2DialogModel::Store()
{
    if (!ReadAll(copy_))
        return false;
    settings::AbortFlag = false;
    CommitDriveInputs(copy_);
    return true;
}

bool PreDesign2DialogModel::Calc()
{
    if (!Store())
        return false;
    CalcPreDesign(2);
    dialogs::AfterDialogCalculation();
    return true;
}

bool PreDesign2DialogModel::Ok() { return Store(); }

void PreDesign2DialogModel::Cancel() { settings::AbortFlag = true; }

bool PreDesign2DialogModel::ToggleUnits()
{
    if (!ReadAll(copy_))
        return false;
    ToggleUnitSystem();
    DialogFieldTexts::Load(copy_);
    return true;
}

} // namespace kt4::drive
