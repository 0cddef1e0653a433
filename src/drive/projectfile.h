// The project data file (extension DataFileExt, "kt4"): the remark lines,
// the drawing texts, every input of the drive and the five bearing records,
// one value per line (CR LF, OEM text), 339 lines.
//
// Writing replaces the file whole or not at all. Reading is a transaction:
// the file is read whole into a scratch copy, and the globals change only
// when it was read without error; otherwise the present project stays as
// it is and the user is told why.
//
// A project's results depend on its file alone: a read gives every value
// the file does not carry its start value (CommitProject), so a file gives
// the same design whatever was open before.
#pragma once

#include <ctime>
#include <string>

namespace kt4::project {

struct ProjectState;

// Writes the project. An empty Name asks for it in the save dialog; a Name
// without "." goes into DataDir with the data-file extension; a Name with
// "." is used as it is (GetSaveFileName). False, with AbortFlag set, when
// the name was refused or cancelled or the file could not be written (an
// error box tells why; the old file is then unchanged).
bool WriteDataFile(const std::string& Name);

// Reads a project. An empty Name asks for it in the open dialog, and the
// chosen file then becomes the current one (DataDir and CurrentFileName);
// other names are found as WriteDataFile places them, whatever the case
// of the file name. The caller runs the calculation afterwards. False,
// with AbortFlag set, when nothing was read: no file, a file that ends
// early, or numbers that cannot be read and the user did not accept as 0.
bool ReadDataFile(const std::string& Name);
// The same for the file Path exactly as named (no folder, extension or
// case looked for), which becomes no current name.
bool ReadDataFileAt(const std::string& Path);

// Reads the project file Path into State without asking, showing or
// changing anything else: State holds what the file holds (the bearing
// fields it does not carry as in a fresh slot), and Version receives the
// text of the header's version line without "Version " ("1.1"). False
// when the file cannot be opened, ends early or holds a line that is no
// number. AbortFlag stays as it was. Modified, when given, receives the
// file's modification time once the file was opened (else it is left).
bool ReadProjectScratch(const std::string& Path, ProjectState& State, std::string& Version,
                        std::time_t* Modified = nullptr);

// The full name ReadDataFile(Name) reads for a non-empty Name.
std::string DataFilePath(const std::string& Name);

} // namespace kt4::project
