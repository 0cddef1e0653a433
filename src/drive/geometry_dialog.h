// The rules of the geometry dialog TForm_kt4geo, without its window: the
// 32 fields with their units, the "<" proposals, the ratio label, Calc, OK,
// Cancel, the unit switch and the five bearing buttons.
//
// The model edits a copy of the drive data. The globals change only on
// Calc, on OK and when a bearing pick is taken; Cancel leaves them as the
// last Calc stored them. The unit system is a setting: the switch changes
// it at once, also when the dialog is cancelled afterwards.
#pragma once

#include "drive/dialog_fields.h"
#include "drive/drive_inputs.h"

#include <map>
#include <string>
#include <vector>

namespace kt4::drive {

class GeometryDialogModel {
public:
    struct Field {
        const char* name; // the edit's object name
        Real DriveInputs::*real;
        Integer DriveInputs::*count;
        dialogs::FieldUnit unit;
    };
    // The fields in form order (30 edits, then SpinEdit_nzapfen and SpinEdit_anzs).
    static const std::vector<Field>& Fields();
    // The 32 "<" buttons and the field each one fills.
    static const std::vector<std::pair<std::string, std::string>>& SuggestionButtons();
    // The five bearing buttons, slots 1 to 5.
    static const std::vector<std::string>& BearingButtons();
    static constexpr int MinBolts = 4, MaxBolts = 100, MinScrews = 3, MaxScrews = 100;

    // The fields from the globals (the dialog is shown).
    GeometryDialogModel();

    const std::string& Text(const std::string& Name) const;
    // The user typed into a field; a change of dH or dp updates the ratio label.
    void SetText(const std::string& Name, const std::string& Text);
    // "i = dP/(dP-dH) = ..." while dH > dp, else empty.
    const std::string& RatioText() const { return ratio_; }

    // A "<" button: writes its proposal into its field. False when it made
    // none (a field it needs is no number, or its rule proposes nothing).
    bool Suggest(const std::string& Button);

    // Calc and OK read every field into the globals and calculate (Calc also
    // reviews the messages and redraws). False, with the refusal box and
    // nothing stored, when a field is no number; RefusedField() names it.
    bool Calc();
    bool Ok();
    void Cancel();
    // Reads the fields, switches mm <-> inch and shows them in the new unit.
    bool ToggleUnits();
    // A bearing button: reads the fields (refusing a typo as Calc does),
    // lets the user pick a bearing for the slot and, when one is taken,
    // puts the fields and the bearing's d, D and B into the globals,
    // calculates, reviews and shows the fields again. A cancelled pick
    // changes nothing and leaves AbortFlag clear.
    bool PickBearing(const std::string& Button);

    const std::string& RefusedField() const { return refused_; }
    const DriveInputs& Copy() const { return copy_; }

private:
    void Load();
    void UpdateRatio();
    bool Parses(const std::string& Name) const;
    // A field's value: exact while its text is the one filled in.
    bool FieldValue(const Field& F, Real& X) const;
    void ReadLenient(DriveInputs& v) const;
    bool ReadStrict(DriveInputs& v);
    bool StoreAndCalculate();

    DriveInputs copy_;
    std::map<std::string, std::string> text_;
    dialogs::FilledFields filled_;
    std::string ratio_;
    std::string refused_;
};

// The rules applied after the geometry fields are read (ReadStrict; the
// ratio label and the proposals on what the form shows): alpha below 3
// becomes 20 and above 45 becomes 45; with dp < dH an eccentricity 0
// becomes (dH - dp)/2 and i = dp/(dp - dH), otherwise i = 0.
void ApplyGeometryRules(DriveInputs& V);

} // namespace kt4::drive
