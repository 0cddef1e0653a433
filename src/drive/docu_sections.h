// The documentation sections of the sibling-program files: the revision
// list with the title block and free texts, and the ISO 7200 fields. They
// are appended to the open ReportFile, one value per line, always as OEM
// text. A line break inside a text is written as "|", so a multi-line
// description never shifts the lines that follow; the stored text keeps
// its line breaks.
#pragma once

#include <string>

namespace kt4::docu {

// The text with every CR LF, CR and LF replaced by one "|".
std::string OneLineText(const std::string& S);

void WriteChangesSection();
void WriteIso7200Section();

} // namespace kt4::docu
