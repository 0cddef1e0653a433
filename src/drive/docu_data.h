// The documentation data of a project: drawing texts, the revision list,
// the title block and its free texts. Texts are stored as OEM bytes.
//
// Only the three drawing texts go into the project data file; the revision
// list, the title block and the free texts travel in the sibling-program
// files alone.
#pragma once

#include "foundation/types.h"

#include <string>

namespace kt4::docu {

// Drawing name, second drawing-name line and drawing number.
extern std::string ZeichName;
extern std::string ZeichName2;
extern std::string ZeichNr;

// One revision entry; the dialog limits the texts to the lengths below.
struct AendRecord {
    std::string text;        // change text
    std::string date;
    std::string editor;
    std::string description;
    bool operator==(const AendRecord&) const = default;
};
constexpr int AendTextMax = 20;
constexpr int AendDateMax = 10;
constexpr int AendEditorMax = 5;
constexpr int AendDescriptionMax = 255;

constexpr Word AendMax = 25;
// Entries 1..AendCount are in use; a record beyond the count keeps its old
// strings.
extern Array1<AendRecord, AendMax> AendList;
extern Word AendCount;

// The title block.
struct TZeichInfo {
    std::string Date1, Name1; // row 1, completed
    std::string Date2, Name2; // row 2, checked
    std::string Date3, Name3; // row 3, standards check
    std::string ReplacementFor, ReplacedBy; // DIN 6771 only
    std::string Date4, Name4; // row 4, release
    std::string ResponsibleDept, DocumentType, DocumentStatus; // ISO 7200 only
    bool operator==(const TZeichInfo&) const = default;
};
extern TZeichInfo ZeichInfo;
constexpr int ReplacementMax = 15;

// One free title-block text.
struct ZeichTextRecord {
    Real x = 0, y = 0, h = 0, phi = 0;
    std::string text;
    Integer layer = 0;
    bool operator==(const ZeichTextRecord&) const = default;
};
constexpr Word ZeichTextMax = 8;
extern Array1<ZeichTextRecord, ZeichTextMax> ZeichTexts;
extern Word ZeichTextCount;

// Title-block text mode: 0 "A4", 1 "A3", 2 "A4+A3", 3 "-" (none).
extern Integer ZeichTextMode;
constexpr Integer ZeichTextNone = 3;

// The title-block layout of TitleBlockStandard: 0 and 3 DIN 6771, any other
// value ISO 7200.
bool IsoTitleBlock();

// Module start-up: the vocabulary, empty lists, today's date in rows 1 to 3.
void InitDocuData();
// File > New: empty lists and title block, today's date in row 1 only. The
// records themselves keep their strings.
void ResetDocuData();

} // namespace kt4::docu
