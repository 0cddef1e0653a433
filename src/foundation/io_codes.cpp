#include "foundation/io_codes.h"

#include "foundation/codepage.h"

#include <cerrno>
#include <cstring>

namespace kt4 {

namespace {

bool Full(int Code, int SysErr) { return SysErr == ENOSPC || SysErr == EDQUOT || (Code == IoWriteFailed && SysErr == 0); }

bool Protected(int Code, int SysErr)
{
    return Code == IoWriteProtected || SysErr == EACCES || SysErr == EPERM || SysErr == EROFS;
}

} // namespace

std::string UnsafeLinkText()
{
    return DisplayToOem("Verknüpfung nicht verfolgt, andere Benutzer dürfen Namen in ihrem Ordner verschieben");
}

std::string WriteFailureText(int Code, int SysErr, const std::string& Path)
{
    std::string cause;
    if (Code == IoNameTaken)
        cause = NameTakenText;
    else if (Code == IoUnsafeLink)
        cause = UnsafeLinkText();
    else if (Full(Code, SysErr))
        cause = "Diskette/Platte voll";
    else if (Protected(Code, SysErr))
        cause = "Schreibschutz entfernen !";
    else if (Code == IoNotAFile && SysErr != EISDIR)
        cause = "file write error (not a regular file)";
    else
        cause = "file write error (" + std::string(std::strerror(SysErr != 0 ? SysErr : EIO)) + ")";
    return cause + ": " + DisplayToOem(Path) + " wurde nicht geschrieben.";
}

bool FailureOfThePlace(int Code, int SysErr) { return Full(Code, SysErr) || Protected(Code, SysErr); }

} // namespace kt4
