// Menu captions that the main window and other windows read when they are
// built (the text viewer's menus among them). The shell's language tables
// set them; German is the start value. Captions are display texts (UTF-8).
#pragma once

#include <string>

// Every caption variable, in the order of the language table.
#define KT4_MENU_CAPTIONS(X) \
    X(CaptionMenu) X(CaptionFile) X(CaptionNew) X(CaptionOpen) X(CaptionSave) \
    X(CaptionSaveAs) X(CaptionDelete) X(CaptionReset) X(CaptionEdiFiles) X(CaptionSettings) \
    X(CaptionExit) X(CaptionCopy) X(CaptionPaste) X(CaptionInfo) X(CaptionPrint) \
    X(CaptionPrinterSetup) X(CaptionImport) X(CaptionExport) X(CaptionEdit) X(CaptionText) \
    X(CaptionQuick) X(CaptionMaterial) X(CaptionManufacture) X(CaptionTolerances) \
    X(CaptionApplication) X(CaptionDesign) X(CaptionPreDesign) X(CaptionRecalculation) \
    X(CaptionCalcMethod) X(CaptionSelectAll) X(CaptionView) X(CaptionStandardPrintout) \
    X(CaptionStandard) X(CaptionExtract) X(CaptionDatabase) X(CaptionCad) \
    X(CaptionProductionDrawing) X(CaptionDrawing) X(CaptionFrontView) X(CaptionSideView) \
    X(CaptionSection) X(CaptionSimpleSection) X(CaptionTopView) X(CaptionDiagrams) \
    X(CaptionDiagram) X(CaptionDocument) X(CaptionDrawingData) X(CaptionChangesInfo) \
    X(CaptionChangesPrint) X(CaptionNewChange) X(CaptionModifyChange) X(CaptionDeleteChange) \
    X(CaptionDocumentSetup) X(CaptionHelp) X(CaptionHelpPicture) X(CaptionErrorMessages) \
    X(CaptionDemo) X(CaptionHomepage) X(CaptionEmail) X(CaptionSecurity) X(CaptionPrintout) \
    X(CaptionLanguage) X(CaptionOther) X(CaptionBaseData) X(CaptionDimensions) \
    X(CaptionAnimation) X(CaptionTable) X(CaptionPreview) X(CaptionManual)

namespace kt4::captions {

#define KT4_DECLARE_CAPTION(name) extern std::string name;
KT4_MENU_CAPTIONS(KT4_DECLARE_CAPTION)
#undef KT4_DECLARE_CAPTION

// Sets the German start values of the captions the foundation's own windows
// use; the shell's language tables set all of them.
void InitCaptions();

} // namespace kt4::captions
