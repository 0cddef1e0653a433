// Registers the documentation and project-text forms with the core, so
// EditTexts, EditRevision, ShowDrawingInfo and ShowDocumentSetup show
// them. The program calls it once its Qt application exists.
#pragma once

namespace kt4 {

void InstallDocuForms();

} // namespace kt4
