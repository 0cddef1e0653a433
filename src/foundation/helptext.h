// Numbered help texts. Entries live in two text files (OEM) in PltDir:
// "velmora.hlp" for numbers below 4000, BaseName + ".hlp" for the rest.
// The files hold pairs of a key line and a text line; a key line starts
// with the four-digit entry number, optionally followed by ":" and the
// name of a help picture. An entry begins at a multiple of 5 and has up to
// four continuation pairs with the keys nr + 1 .. nr + 4; a line whose
// first four characters are no number is a text line of its own.
#pragma once

#include "foundation/types.h"

#include <string>

namespace kt4 {

namespace help {
// The entry that the help buttons show.
extern Word HelpNumber;
void InitHelp();
} // namespace help

using THelpText = Array1<std::string, 5>;

// The result of reading one entry.
struct HelpEntry {
    THelpText lines;          // OEM text
    std::string picture;      // "NULL" without one, "null" when not found
    bool fileFound = false;
    bool found = false;
    bool endsAtKey = false;   // the entry ended at the next entry's key
};

void SetHelpNumber(Word Nr);
void SetHelpTextNumber(Word Nr);

// The help file of entry Nr (found whatever the case of its name).
void HelpFileName(Word Nr, std::string& Name);
std::string HelpFileName(Word Nr);
// "Hilfetext Nr " + Nr + ": keine Hilfe vorhanden."
void NoHelpText(Word Nr, std::string& S);
// Nr := the number in the first four characters (-1 when they are none);
// Picture := the text after the first ":", or "NULL".
void ParseHelpKey(const std::string& Line, Integer& Nr, std::string& Picture);

// Reads entry Nr (0 = HelpNumber). Leaves AbortFlag as it was.
HelpEntry ReadHelpEntry(Word Nr);

// Shows entry Nr (0 = HelpNumber): Mode 0 text box and picture, 1 the text
// box only, 2 the picture only. S is not used. Clears AbortFlag.
void ShowHelpText(Word Nr, const std::string& S, Word Mode);
// The display part of ShowHelpText.
void ShowHelpBox(const THelpText& Lines, const std::string& Picture, Word Mode, Word Nr);
// Entry Nr as one display line (UTF-8): its five lines joined by blanks;
// with HelpLevel 2 or more " (" + Nr + ")" follows when the entry ends at
// the next entry. Leaves AbortFlag as it was (a hint never cancels).
void ReadHelpText(Word Nr, std::string& Text);
void HelpTextString(Word Nr, std::string& Text);
std::string HelpTextString(Word Nr);

} // namespace kt4
