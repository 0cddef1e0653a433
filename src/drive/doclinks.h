// Document links: five pairs of a program and a document that travel with
// the project in the sibling-program files. A link can start its program
// with its document, or open the document with the desktop's associated
// program.
#pragma once

#include "foundation/types.h"

#include <string>

namespace kt4::docu {

struct DokuRecord {
    std::string program; // a program file name or path
    std::string file;    // a document file name or path
    bool operator==(const DokuRecord&) const = default;
};
constexpr Word DokuMax = 5;
extern Array1<DokuRecord, DokuMax> DokuList;
// 5 after start-up, 0 after File > New; the section and the dialog always
// handle all five links.
extern Word DokuCount;

// Module start-up: the default programs, no documents.
void InitDocumentLinks();
// File > New: the three remark lines become empty, DokuCount 0; the links
// stay.
void ClearRemarkLines();
// Another project was read: DokuCount 0 as after File > New, and the links
// lose their documents, which belonged to the project before (their
// programs stay).
void DropLinkedDocuments();

// Appends the "Dokumente" section to the open ReportFile.
void WriteDokumenteSection();

// Starts Program with File as its one argument (none when File is empty),
// without a shell. False, with an error box, when it cannot be started.
bool ExecLinkProgram(const std::string& Program, const std::string& File);
// Opens File with the associated program. False, with the error box
// "Datei ... kann nicht geöffnet werden !", when there is no such file
// (nothing is started then) or the opener fails.
bool ExecLinkFile(const std::string& File);

} // namespace kt4::docu
