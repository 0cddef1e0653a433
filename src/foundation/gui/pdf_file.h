// A PDF file printed by Qt replaces its target whole or not at all. Qt's
// PDF engine writes a file of its own by name and reports no failed write,
// so the printer is pointed at a temporary beside the target
// (AtomicWriter), and the temporary is put in place only when it ends as a
// complete PDF does.
#pragma once

#include "foundation/atomic_file.h"
#include "foundation/linefile.h"

#include <string>

namespace kt4::gui {

class PdfFile {
public:
    // Makes the temporary for Target. False, told and with AbortFlag set,
    // when Target is the open project file or a file the table engine
    // holds open (RefuseOpenFileTarget), or the temporary cannot be made
    // (FailureText).
    bool Open(const std::string& Target);
    // The file the printer is to write.
    const std::string& PrintName() const { return out_.TempPath().empty() ? target_ : out_.TempPath(); }
    // After the printer finished: the temporary replaces Target when it is
    // a complete PDF. False: Target is as it was and the temporary gone.
    bool Commit();
    int Errno() const { return errno_; }
    // The message of a failed Open or Commit ("Diskette/Platte voll: ..."
    // when the engine left a short file).
    std::string FailureText() const;

private:
    AtomicWriter out_;
    std::string target_;
    int errno_ = 0;
    int code_ = IoWriteFailed;
};

// A file that ends as a whole PDF does: "%%EOF" in its last bytes.
bool IsCompletePdf(const std::string& Path);

} // namespace kt4::gui
