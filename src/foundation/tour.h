// The steps of the guided tour from the tour script PltDir + BaseName +
// ".dem" (the name is found whatever its case): two header lines, then
// four lines per step, step 1 first: a title line (not read), the command
// line (its first two characters are the two commands), the text, and a
// separator line (not read). Texts are stored OEM text.
#pragma once

#include <string>

namespace kt4 {

// The script's full name as the tour looks for it.
std::string TourScriptName();

// Reads step Step. A missing script leaves the commands unchanged and
// gives a text that names the file; a step that is not in the script
// (also Step < 1, or a script that ends inside the step) gives the
// commands "0", "0" and a text that names the step. A command that the
// line lacks is a blank. Never sets AbortFlag.
void ReadDemoStep(int Step, char& Cmd1, char& Cmd2, std::string& Text);

} // namespace kt4
