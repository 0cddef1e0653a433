// The vocabulary of the documentation data: labels of the project-texts,
// revision and title-block dialogs, the revision protocol and the section
// titles of the sibling-program files. Held as OEM text; forms show them
// through OemToDisplay.
//
// The texts are set once at start-up (German); they do not follow a later
// change of the menu language.
#pragma once

#include "foundation/types.h"

#include <string>

namespace kt4::docu {

struct TDocuTexts {
    std::string remarkLabel;        // project texts: remark lines
    std::string drawingNameLabel;   // project texts: drawing name
    std::string drawingNumberLabel; // project texts: drawing number
    std::string changeTextLabel;    // revision dialog
    std::string editorLabel;        // revision dialog
    std::string choiceTitle;        // revision choice title, limit message
    std::string indexColumn;        // protocol
    std::string choiceNew;          // choice 1
    std::string choiceModify;       // choice 2
    std::string choiceDelete;       // choice 3
    std::string choiceShow;         // choice 4
    std::string choiceBack;         // choice 7
    std::string limitWord;          // "Max."
    std::string sectionTitle;       // revision section of the sibling files
    std::string choicePrint;        // choice 5
    std::string protocolHeader;
    std::string drawingInfo;        // choice 6 and the title-block caption
    std::string drawingDate;        // protocol
    std::string replacementFor;
    std::string replacedBy;
    std::string designer;           // protocol
    std::string descriptionLabel;
    std::string modification;
    std::string date;
    std::string name;
    std::string row1;               // completed
    std::string row2;               // checked
    std::string row3;               // standards check
    std::string isoResponsibleDept;
    std::string isoTechnicalReference;
    std::string isoCreatedBy;
    std::string isoApprovedBy;
    std::string isoDocumentType;
    std::string isoDocumentStatus;
};

extern TDocuTexts DocuTexts;

// Fills DocuTexts for language 1 de, 2 en, 3 fr, 4 it, 5 sv, 6 pt, 9 es or
// 10 nl; a text a language does not define keeps its value, and any other
// id changes nothing.
void SetDocuTextLanguage(Word Id);

// The start values: the English texts, then German (the start-up call).
void InitDocuTexts();

} // namespace kt4::docu
