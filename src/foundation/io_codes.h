// The I/O result codes of the file layer and the text of a failed write,
// below the line files and the private temporary folder, which both tell
// such failures.
#pragma once

#include <string>

namespace kt4 {

// I/O result codes, as the dialog layer's error texts know them.
enum IoCode : int {
    IoOk = 0,
    IoFileNotFound = 2,
    IoPathNotFound = 3,
    IoAccessDenied = 5,
    IoReadPastEnd = 100,   // "Lesefehler"
    IoWriteFailed = 101,   // "Diskette/Platte voll"
    IoNotOpen = 103,
    IoNotOpenForInput = 104,
    IoNotOpenForOutput = 105,
    IoWriteProtected = 150, // "Schreibschutz entfernen !": this user may not write the file
    IoNameTaken = 151,      // another user's file holds the name in a shared folder, or it changed
    IoUnsafeLink = 152,     // a link in a folder where others may move names: not followed
    IoNotAFile = 1000,      // the name is a folder, a FIFO or a socket, not a file
};

// The text of IoNameTaken (stored text).
inline constexpr char NameTakenText[] = "Name im gemeinsamen Ordner von einem anderen Benutzer belegt";

// The text of IoUnsafeLink (stored text).
std::string UnsafeLinkText();

// The message of a failed write of the file Path (stored text), by its
// cause (Code, the system's errno SysErr): a full disk or quota gives
// "Diskette/Platte voll", write protection (a read-only file, folder or
// disk) "Schreibschutz entfernen !", anything else (a folder or FIFO in
// the file's place, too long a name ...) "file write error" with the
// system's reason; each followed by ": " + Path + " wurde nicht
// geschrieben.".
std::string WriteFailureText(int Code, int SysErr, const std::string& Path);

// The cause WriteFailureText gives is the place written to (full or
// write protected), not the file or the run.
bool FailureOfThePlace(int Code, int SysErr);

} // namespace kt4
