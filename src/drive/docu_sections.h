// The documentation sections of the sibling-program files: the revision
// list with the title block and free texts, and the ISO 7200 fields. They
// are appended to the open ReportFile, one value per line, always as OEM
// text. Each text is one line (WriteReportLine): a line break inside it is
// written as "|", so a multi-line description never shifts the lines that
// follow; the stored text keeps its line breaks.
#pragma once

#include <string>

namespace kt4::docu {

void WriteChangesSection();
void WriteIso7200Section();

} // namespace kt4::docu
