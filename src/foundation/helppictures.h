// Help pictures: HP-GL plot files in PltDir and their index, the file
// PltDir + lower-case BaseName + ".dbh", one entry per line, the key (the
// picture's file name without ".plt") and a title, each in double quotes,
// separated by a comma. The browser lists the first 130 entries, draws the
// chosen picture in the graphics window, edits the index and sends a
// picture to an HP-GL/2 printer on a printer port.
#pragma once

#include "foundation/types.h"

#include <string>
#include <vector>

namespace kt4 {

class LineFile;

struct PictureIndexEntry {
    std::string key;   // OEM, file name without ".plt"
    std::string title; // OEM
};

inline constexpr int MaxListedPictures = 130;

std::string PictureIndexName();
// Reads one quoted field from Line at Pos (a leading "," is skipped).
// False when the field does not begin with a double quote.
bool ReadDbhField(const std::string& Line, std::size_t& Pos, std::string& S);
// One index line; a '"' in key or title becomes "'".
std::string DbhEntryLine(const std::string& Key, const std::string& Title);
// Writes that line to F.
void WriteDbhEntry(LineFile& F, const std::string& Key, const std::string& Title);
// Every entry of an index file. Malformed receives whether any line was
// malformed (it is still read as well as it goes). False when the file
// cannot be read.
bool ReadPictureIndex(const std::string& File, std::vector<PictureIndexEntry>& Entries, bool& Malformed);
// Writes every entry; the file is replaced whole or not at all.
bool WritePictureIndex(const std::string& File, const std::vector<PictureIndexEntry>& Entries);
// The lines of the browser: key padded to 8 + ": " + title for the first
// 130 entries, then the five command lines.
std::vector<std::string> PictureListLines(const std::vector<PictureIndexEntry>& Entries);
const std::vector<std::string>& PictureCommandLines();

// Draws PltDir + Name in lower case + ".plt" into the graphics window.
void ShowHelpPicture(const std::string& Name);
// The browser of the Help menu.
void HelpPicturesMenu();
// Sends the plot file of Key to text printer port Port, with the HP-GL/2
// control sequences before and after when Control is set. False (and
// AbortFlag) on failure; a missing plot file is reported.
bool SendPictureToPort(const std::string& Key, Integer Port, bool Control);

} // namespace kt4
