// The process's own folder for temporary files with fixed names (report
// copies, CAD block files, index files of the table engine). TempDir is
// usually a folder every user shares, so such names are never used there
// directly: they live in one folder made with mkdtemp (mode 0700) on
// first need and removed with everything in it when the program ends,
// batch runs included. Nothing outside that folder is ever removed, and
// symbolic links inside it are removed as links, never followed.
//
// The folder it is made in is chosen once (PrivateTempBase): TempDir
// when nobody but this user and root may move a name on its path, else
// /tmp under the same test. So no other user can rename, remove or swap
// the folder or anything the clean-up looks at.
//
// The owner holds a lock on the file ".lock" inside the folder for its
// whole life (an open-file-description lock, which the kernel drops when
// the process ends, whatever ends it). A folder whose lock nobody holds
// belongs to a process that has ended without its clean-up (kill -9, a
// power cut); each start removes such folders of this user.
#pragma once

#include <mutex>
#include <string>

namespace kt4 {

// The folder with a trailing separator; made on first need. "" when it
// cannot be made (TempDir missing, no folder, not writable, no folder to
// make it in); callers tell that with TempFolderFailureText.
std::string PrivateTempDir();

// The folder the private folder is made in, with a trailing separator:
// TempDir (else $TMPDIR, else /tmp) when it and every folder and link
// above it are closed (CheckFolderPath: nobody but this user and root may
// put, remove or rename a name there), or when it cannot be looked at
// though everything above it is closed (making the folder then fails with
// the system's reason). Otherwise /tmp under the same test, and one note
// names the folder passed over, where it came from and why
// (TakeTempFolderNote). "" when /tmp does not pass either: then nothing
// is made, swept or measured anywhere. Chosen once for each value of
// TempDir and $TMPDIR; TempDir itself is never changed.
std::string PrivateTempBase();

// The note of the last choice that passed a folder over (stored text),
// given once; "" when there is none to give.
std::string TakeTempFolderNote();

// Why PrivateTempDir() last gave "": the folder it is made in (without
// the trailing separator; both folders when none could be chosen) and
// the system's reason, or Reason when the folders were passed over.
struct PrivateTempDirFailure {
    std::string folder;
    int error = 0;
    std::string reason; // stored text; "" for the system's reason
};
PrivateTempDirFailure LastPrivateTempDirFailure();

// The message when the private folder cannot be made (stored text):
// "Temporärer Ordner " + the folder it is made in + " kann nicht angelegt
// werden (" + the reason + ")"; when the user's file UserFile needed it,
// followed by ": " + UserFile + " wurde nicht geschrieben.".
std::string TempFolderFailureText();
std::string TempFolderFailureText(const std::string& UserFile);

// What a run tells when a file of its own in the private folder failed
// (Code and SysErr as WriteFailureText takes them) and so the user's file
// UserFile was not written: a temporary folder without room or write
// protected is named as the place, "Temporärer Ordner " + the folder it
// is made in + ": ", before WriteFailureText of UserFile; any other cause
// (no descriptor left, a file size limit) is the run's own and told by
// WriteFailureText (io_codes.h) of UserFile alone.
std::string TempFileFailureText(int Code, int SysErr, const std::string& UserFile);

// A subfolder of the private folder (made on first need), with a trailing
// separator; "" when it cannot be made. Name is one plain folder name.
std::string PrivateTempSubdir(const std::string& Name);

// Removes everything inside the subfolder and keeps the subfolder itself.
// False when something could not be removed.
bool EmptyPrivateTempSubdir(const std::string& Name);

// True while the private folder exists.
bool PrivateTempDirExists();

// True when Path names something inside this process's private folder
// (by its name; nothing is looked up on disk). Such files go with the
// run, so their writers need not flush them to the disk.
bool InPrivateTempDir(const std::string& Path);

// Removes the private folder with everything in it; the next
// PrivateTempDir() makes a new one. Called by the exit clean-up, by the
// batch modes before they end, and once more at process exit as a net.
// While a program started under PrivateTempDirHeld still runs, the folder
// stays for it; a start after that program has ended removes it.
void RemovePrivateTempDir();

// The same for a process that ends now: no other thread makes a new
// folder after it; then _exit(Code).
[[noreturn]] void RemovePrivateTempDirAndExit(int Code);

// Removes the private folders in PrivateTempBase() that processes of this
// user left behind: only those whose lock nobody holds (and the rest of a
// removal or a making that was cut short), each judged on the folder and
// lock file it opened there. Returns how many went.
int RemoveEndedPrivateTempDirs();

// While it lives, the programs this process starts hold the private
// folder's lock too, so that the folder outlives this process while they
// run (the plot program reads its drawing from it).
// The folder's removal at the end of the run waits while one lives, so
// that a program is either started with the folder or not at all.
class PrivateTempDirHeld {
public:
    PrivateTempDirHeld();
    ~PrivateTempDirHeld();
    PrivateTempDirHeld(const PrivateTempDirHeld&) = delete;
    PrivateTempDirHeld& operator=(const PrivateTempDirHeld&) = delete;

private:
    std::unique_lock<std::mutex> hold_;
    int fd_ = -1;
};

// Notes that a signal ends the run; safe in a signal handler. From then
// on RunEnding() is true and no program is started for the run.
void NoteRunEnding();
bool RunEnding();

} // namespace kt4
