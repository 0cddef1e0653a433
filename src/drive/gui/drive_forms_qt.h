// The drive's input dialogs as the main menu opens them: each shows its
// form modally and returns with AbortFlag set when it was cancelled.
#pragma once

#include "drive/predesign.h"

namespace kt4 {

void RunGeometryForm();   // TForm_kt4geo
void RunDriveDataForm();  // TForm_kt4fs3
void RunPreDesignForm();  // TForm_kt4pre
void RunPreDesign2Form(); // TForm_kt4pre2

// Puts the four forms and the preliminary design into the menu's form
// entries (the shell's MenuForms, which this module does not see).
template <class MenuForms>
void InstallDriveForms(MenuForms& Forms)
{
    Forms.geometry = RunGeometryForm;
    Forms.driveData = RunDriveDataForm;
    Forms.preDesign = RunPreDesignForm;
    Forms.preDesign2 = RunPreDesign2Form;
    Forms.calcPreDesign = [](int Step) { drive::CalcPreDesign(Step); };
}

} // namespace kt4
