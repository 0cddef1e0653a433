// The drive's input dialogs as the main menu opens them: each shows its
// form modally and returns with AbortFlag set when it was cancelled.
#pragma once

namespace kt4 {

void RunGeometryForm();   // TForm_kt4geo
void RunDriveDataForm();  // TForm_kt4fs3
void RunPreDesignForm();  // TForm_kt4pre
void RunPreDesign2Form(); // TForm_kt4pre2

} // namespace kt4
