#include "drive/dialog_fields.h"

#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/explain.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"
#include "foundation/units.h"

namespace kt4::drive::dialogs {

namespace {

std::string Trimmed(const std::string& S)
{
    const std::size_t b = S.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    return S.substr(b, S.find_last_not_of(" \t") - b + 1);
}

} // namespace

std::string FormatField(Real X, FieldUnit Unit)
{
    switch (Unit) {
    case FieldUnit::Length:
        return FormatLength(X);
    case FieldUnit::LengthFine:
        return FormatLengthFine(X);
    case FieldUnit::Torque:
        return FormatTorque(X);
    case FieldUnit::Force:
        return FormatForce(X);
    case FieldUnit::Count:
        return IntStr(Round(X));
    case FieldUnit::Number:
        break;
    }
    return RealStr(X);
}

bool ReadField(const std::string& Text, FieldUnit Unit, Real& X)
{
    const std::string t = Trimmed(Text);
    if (Unit == FieldUnit::Count) {
        Integer n = 0;
        if (!TryStrToInteger(t, n))
            return false;
        X = n;
        return true;
    }
    Real v = 0;
    if (!TryStrToReal(t, v))
        return false;
    switch (Unit) {
    case FieldUnit::Length:
    case FieldUnit::LengthFine:
        X = ReadLength(t);
        break;
    case FieldUnit::Torque:
        X = ReadTorque(t);
        break;
    case FieldUnit::Force:
        X = ReadForce(t);
        break;
    default:
        X = v;
        break;
    }
    return true;
}

std::string FilledFields::Fill(const std::string& Field, Real X, FieldUnit Unit)
{
    std::string text = FormatField(X, Unit);
    filled_[Field] = {text, X};
    return text;
}

bool FilledFields::Read(const std::string& Field, const std::string& Text, FieldUnit Unit, Real& X) const
{
    auto it = filled_.find(Field);
    if (it != filled_.end() && it->second.text == Text) {
        X = it->second.value;
        return true;
    }
    return ReadField(Text, Unit, X);
}

void RefuseField(const std::string& Text)
{
    Ui().Beep();
    ErrorBoxAlways(DisplayToOem("Ungültige Eingabe \"" + Text + "\" !"));
}

std::function<void()>& RedrawHook()
{
    static std::function<void()> hook;
    return hook;
}

void AfterDialogCalculation()
{
    CalcMessagesDialog();
    if (!settings::CalcErrorFlag && RedrawHook())
        RedrawHook()();
}

} // namespace kt4::drive::dialogs
