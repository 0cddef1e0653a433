// What the documentation dialogs show and store. Each dialog loads its
// values (display text, UTF-8) from the globals when it opens and stores
// them back on OK; a Store refuses (false, after an error box that names
// them, storing nothing) texts with characters that the project's code
// page cannot hold, and the dialog stays open; the forms themselves live in drive/gui and register
// here, so the core opens them without knowing Qt. Without a registered
// form (no window system) a dialog counts as cancelled.
#pragma once

#include "foundation/types.h"

#include <array>
#include <functional>
#include <string>

namespace kt4::docu {

// ---- Project texts (drawing name, name 2, number, three remark lines)
struct ProjectTextsValues {
    std::string zeichName, zeichName2, zeichNr;
    std::array<std::string, 3> remarks;
};
ProjectTextsValues LoadProjectTexts();
bool StoreProjectTexts(const ProjectTextsValues& V);

// ---- One revision entry
struct RevisionValues {
    std::string text, date, editor, description;
};
RevisionValues LoadRevision(Word N);
// Stores into entry N, each text cut to its field's limit.
bool StoreRevision(Word N, const RevisionValues& V);

// ---- Title block
struct FreeTextRow {
    std::string x, y, h, phi, text, layer;
};
struct TitleBlockValues {
    bool iso = false; // the ISO 7200 layout (no row 4, ISO fields shown)
    std::string replacementFor, replacedBy;
    std::array<std::string, 4> dates; // rows 1..4
    std::array<std::string, 4> names;
    std::array<FreeTextRow, 8> freeTexts;
    int textMode = 0; // ZeichTextMode
    std::array<std::string, 3> isoFields; // dept., document type, status
};
TitleBlockValues LoadTitleBlock();
// Stores every free-text row with a text (blanks alone do not count),
// packed from entry 1 on; the ISO fields whenever the ISO layout is shown.
bool StoreTitleBlock(const TitleBlockValues& V);

// ---- Document links
struct DocLinkValues {
    std::array<std::string, 5> programs, files;
};
DocLinkValues LoadDocLinks();
bool StoreDocLinks(const DocLinkValues& V);

// The forms. Each shows its dialog modally and returns true for OK (after
// storing) and false for Cancel.
struct DocuForms {
    std::function<bool()> projectTexts;
    std::function<bool(Word entry)> revision;
    std::function<bool()> titleBlock;
    std::function<bool()> documentLinks;
};
extern DocuForms Forms;

// The dialogs: OK clears AbortFlag, Cancel sets it.
void EditTexts();
void EditRevision(Word N);
void ShowDrawingInfo();
void ShowDocumentSetup();

} // namespace kt4::docu
