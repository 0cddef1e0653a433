// The rules of the drive-data dialog TForm_kt4fs3 and of the two
// preliminary-design dialogs TForm_kt4pre and TForm_kt4pre2, without their
// windows.
//
// Each model edits a copy of the drive data; the globals change only on
// Calc and OK. The unit switch changes the unit system at once.
#pragma once

#include "drive/dialog_fields.h"
#include "drive/drive_inputs.h"

#include <map>
#include <string>
#include <vector>

namespace kt4::drive {

// A field of these dialogs: its object name, unit and value in the copy.
struct DialogField {
    const char* name;
    dialogs::FieldUnit unit;
    Real& (*value)(DriveInputs&);
};

// What these dialogs share: the texts of the fields, their strict reading
// with the refusal, and the actions of the buttons.
class DialogFieldTexts {
public:
    explicit DialogFieldTexts(std::vector<DialogField> Fields) : fields_(std::move(Fields)) {}
    virtual ~DialogFieldTexts() = default;

    const std::vector<DialogField>& Fields() const { return fields_; }
    const std::string& Text(const std::string& Field) const;
    const std::string& RefusedField() const { return refused_; }

    // The user typed into a field.
    virtual void SetText(const std::string& Field, const std::string& Text) = 0;
    // A "<" button; false when it changed nothing.
    virtual bool Suggest(const std::string& Button) = 0;
    // Calc and OK read every field (false, with the refusal box, when one is
    // no number) and store them; Calc then calculates, reviews the messages
    // and redraws. Cancel sets AbortFlag. The unit switch reads the fields,
    // switches mm <-> inch and shows them in the new unit.
    virtual bool Calc() = 0;
    virtual bool Ok() = 0;
    virtual void Cancel() = 0;
    virtual bool ToggleUnits() = 0;

protected:
    void Load(DriveInputs& V);
    // The field's value (exact while its text is the one Load filled in);
    // false when its text is no number.
    bool Read(const std::string& Field, Real& X) const;
    // Every field into V, or the refusal box and false with V unchanged.
    bool ReadAll(DriveInputs& V);

    std::map<std::string, std::string> text_;

private:
    std::vector<DialogField> fields_;
    dialogs::FilledFields filled_;
    std::string refused_;
};

// TForm_kt4fs3 (drive data; Calc runs the drive calculation) and
// TForm_kt4pre (preliminary design step 1, with ratio and application
// factor; Calc runs the preliminary design from the loads).
class DriveDataDialogModel : public DialogFieldTexts {
public:
    enum class Kind { DriveData, PreDesign };
    explicit DriveDataDialogModel(Kind K);

    Kind Which() const { return kind_; }
    // An edit of n, T, P, the radial forces or the ratio completes the
    // dependent fields.
    void SetText(const std::string& Field, const std::string& Text) override;
    // RadioGroup1: 0 n, 1 T, 2 P is derived; RadioGroup_rad: 0 input, 1
    // output shaft given.
    int DerivedItem() const { return derived_; }
    int GivenShaft() const { return given_; }
    void SetDerivedItem(int Item);
    void SetGivenShaft(int Shaft);
    bool Enabled(const std::string& Field) const;
    // "i = ..." of TForm_kt4fs3.
    std::string RatioLabel() const;

    // Button_etaproz, and for the preliminary design Button_ka, Button_i
    // and Button_frext.
    bool Suggest(const std::string& Button) override;
    bool Calc() override;
    bool Ok() override;
    void Cancel() override;
    bool ToggleUnits() override;
    const DriveInputs& Copy() const { return copy_; }

private:
    void Load();
    void Complete();
    bool Store();

    Kind kind_;
    DriveInputs copy_;
    int derived_ = 0;
    int given_ = 0;
};

// TForm_kt4pre2 (preliminary design step 2): d2, d1 and dH; Calc runs the
// preliminary design from these diameters.
class PreDesign2DialogModel : public DialogFieldTexts {
public:
    PreDesign2DialogModel();
    void SetText(const std::string& Field, const std::string& Text) override;
    bool Suggest(const std::string& Button) override; // Button_dh: 3.8 d2
    bool Calc() override;
    bool Ok() override;
    void Cancel() override;
    bool ToggleUnits() override;
    const DriveInputs& Copy() const { return copy_; }

private:
    bool Store();
    DriveInputs copy_;
};

} // namespace kt4::drive
