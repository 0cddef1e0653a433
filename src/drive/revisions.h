// The revision commands of the Documentation menu and the revision
// protocol report.
#pragma once

#include "foundation/types.h"

#include <string>
#include <vector>

namespace kt4::docu {

enum ChangesAction : Word {
    ChangesAsk = 0,    // choose one of the others in a dialog
    ChangesNew = 1,
    ChangesModify = 2, // the last entry
    ChangesDelete = 3, // the last entry
    ChangesShow = 4,   // protocol on the screen
    ChangesPrint = 5,  // protocol on the configured device
    ChangesInfo = 6,   // the title-block dialog
};

void ChangesCommand(Word Action);

// The index of entry K: "1", "2", ... with ChangeIndexMode 1, else "a", "b", ...
std::string RevisionIndex(Word K);
// The body of the revision protocol (OEM): text lines and rule lines. A
// description with line breaks takes one line per part.
struct ProtocolLine {
    enum Kind { Text, ThickRule, ThinRule } kind = Text;
    std::string text;
};
std::vector<ProtocolLine> ChangesProtocolLines();
// Writes the protocol to the report device (0: the configured one).
void WriteChangesProtocol(Word Device);

} // namespace kt4::docu
