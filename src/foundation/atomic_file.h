// Replacing a file whole or not at all. Every file the program replaces
// (project, configuration and session files, reports, copies, tables and
// their indexes, exports) is written through an AtomicWriter:
//  - the bytes go to a new temporary file beside the target, created
//    exclusively under the recognisable name ".kt4tmp-<pid>-<n>-<name>" and
//    readable by this user only while it is written;
//  - Commit flushes it to the disk, renames it over the target and flushes
//    the folder, so that a crash leaves either the old or the new file;
//    files in the process's private temporary folder, which go with the
//    run, are renamed without these flushes. The new file has the old
//    file's mode and, when the process may (root), its owner and group;
//  - what is written, read or refused is decided on what was opened: the
//    folder of the final name is held open from Open to Commit, the name
//    is looked at in it without being opened (no device or FIFO is opened
//    to be refused), and the temporary, the sweep, the rename and the
//    folder's flush all go through that folder;
//  - a target that is no regular file (a folder, a FIFO, a socket) is
//    refused, and so is a file this user may not write: the rename would
//    bypass its write protection. A character device (a printer port,
//    /dev/null) is written directly, opened without following a link and
//    only while it is the device that was looked at; nothing else is ever
//    written, and nothing created, in the device folder (/dev);
//  - a symbolic link is followed only when it is this user's or root's and
//    lies in a closed folder (foundation/file_trust.h CheckFolderPath: its
//    folder and every folder above it are such that nobody else may put,
//    remove or rename names there). Any other link is refused (UnsafeLink)
//    and nothing is written: others may have put it there or may swap it,
//    whoever owns it. A name that turns into a link after it was followed
//    is refused too (NameTaken). In a sticky folder everybody may write, a
//    file of another user is not replaced either (NameTaken);
//  - a temporary name another user holds is passed over for one nobody can
//    foresee;
//  - each temporary is locked for its writer's life, until it has the
//    target's name or is gone; Open removes this user's temporaries of the
//    same target whose lock nobody holds (their writer ended by a crash or
//    kill -9), never by the process id in the name alone. Nothing else is
//    ever deleted. An empty target name is refused;
//  - a temporary that a keep list beside it names stays: a file
//    ".kt4keep-<name>" in its folder whose lines each begin with the path
//    of a temporary (up to a tab). A program that puts several new files
//    in place together names them there before the first rename; whoever
//    finishes that work removes the list. Only this user's lists count,
//    and only regular files of at most MaxKeepListBytes (a planted list
//    could otherwise keep this user's files, or cost a read of any size).
//
// Typical use: Open, Write (and WriteAt) as often as needed, then Commit;
// Discard (or the destructor) drops everything and leaves the target.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace kt4 {

class AtomicWriter {
public:
    // Why Open refused a target without writing anything.
    // NameTaken: another user's file in a shared folder, a name that
    // changed under the writer (or every temporary name tried);
    // UnsafeLink: a link in a folder where others may move names.
    enum class Refusal { None, NotAFile, WriteProtected, NameTaken, UnsafeLink };

    AtomicWriter() = default;
    ~AtomicWriter() { Discard(); }
    AtomicWriter(const AtomicWriter&) = delete;
    AtomicWriter& operator=(const AtomicWriter&) = delete;

    // Starts the new file for target. keepOld: it begins with the target's
    // present content (appending). False on failure: Refused() and Errno()
    // tell why.
    [[nodiscard]] bool Open(const std::string& target, bool keepOld = false);
    // Open for a target that the caller holds open under that name (a
    // table): the name must hold the file open on heldFd now and when the
    // new file takes it, else the writer refuses it as planted (NameTaken).
    [[nodiscard]] bool OpenReplacing(const std::string& target, int heldFd);
    // Tests target as Open would, creating nothing: false when Open would
    // refuse it (Refused() and Errno() tell why).
    [[nodiscard]] bool Check(const std::string& target);
    // Appends bytes (buffered).
    [[nodiscard]] bool Write(const void* data, std::size_t size);
    [[nodiscard]] bool Write(std::string_view text) { return Write(text.data(), text.size()); }
    // Writes at an offset of the new file, e.g. a header filled in last.
    [[nodiscard]] bool WriteAt(std::int64_t offset, const void* data, std::size_t size);
    // Puts the new file in place. False when a write, the flush or the
    // rename failed; the target is then unchanged and the temporary gone.
    [[nodiscard]] bool Commit();
    // Commit that keeps the descriptor open and hands it to the caller: it
    // is then the target's (locks taken on it before stay). -1 on failure.
    [[nodiscard]] int CommitAndRelease();
    // Drops what was written; the target stays untouched.
    void Discard();
    // The new file is this user's and readable and writable by this user
    // alone, whatever the old file's mode and owner or the umask (a list
    // others must not change).
    void MakePrivate() { private_ = true; }

    bool IsOpen() const { return fd_ >= 0; }
    bool Failed() const { return errno_ != 0; }
    int Errno() const { return errno_; }
    Refusal Refused() const { return refusal_; }
    // The link that was not followed (UnsafeLink).
    const std::string& RefusedLink() const { return refusedLink_; }
    // The new file's descriptor while it is open (locks, reads); -1 else.
    int Fd() const { return fd_; }
    // The file that is replaced (a symbolic link resolved).
    const std::string& Target() const { return target_; }
    // The temporary file ("" when the target is written directly).
    const std::string& TempPath() const { return temp_; }

    // The name prefix of every temporary file of the writer.
    static constexpr std::string_view TempPrefix = ".kt4tmp-";
    // The name prefix of a keep list.
    static constexpr std::string_view KeepPrefix = ".kt4keep-";

    // The folder of the system's device nodes ("/dev"); a test may name
    // another folder that stands in for it.
    static std::string& DeviceFolder();

private:
    bool Prepare(const std::string& target);
    bool OpenHere(const std::string& target, bool keepOld);
    int OpenFound(int flags);
    bool Refuse(Refusal why, int err);
    void CloseFolder();
    bool Flush();
    void Fail(int err);
    bool Finish(bool keepOpen);

    int fd_ = -1;
    int dirFd_ = -1; // the target's folder, from Open to Commit
    bool direct_ = false;
    int errno_ = 0;
    Refusal refusal_ = Refusal::None;
    bool durable_ = true;  // flushed to the disk at Commit
    bool haveOld_ = false; // the target exists: its mode and owner carry over
    bool private_ = false;
    mode_t oldMode_ = 0;
    uid_t oldUid_ = 0;
    gid_t oldGid_ = 0;
    dev_t oldDev_ = 0; // the file found at the name
    ino_t oldIno_ = 0;
    bool expectHeld_ = false; // OpenReplacing: the file the caller holds
    dev_t heldDev_ = 0;
    ino_t heldIno_ = 0;
    std::string target_;
    std::string name_; // the target's name in its folder
    std::string temp_;
    std::string tempName_;
    std::string refusedLink_;
    std::string buffer_;
};

// Follows the links of target as the writers do: resolved is the file
// that is replaced (the name itself for a link to nothing or a loop).
// False when a link on the way may not be followed (see above; refusedLink
// receives it); resolved is then undefined. Opening resolved with
// O_NOFOLLOW keeps a link put there meanwhile unfollowed.
bool ResolveTrustedLinks(const std::string& target, std::string& resolved, std::string* refusedLink = nullptr);

// Removes this user's temporaries of target whose writers have ended (done
// by AtomicWriter::Open); returns how many were removed.
int RemoveStaleTemporaries(const std::string& target);

// The same for every target in Folder.
int RemoveStaleTemporariesIn(const std::string& Folder);

// Flushes the folder dir to the disk, so that renames in it are durable.
void SyncFolder(const std::string& dir);

// entry (a file name) has the name form of a temporary of target.
bool IsTemporaryOf(const std::string& entry, const std::string& target);

// What ReadKeepList found at a keep list's name.
enum class KeepListState { Missing, OtherUsers, Unfit, Read };
// A keep list is a few lines; a larger file is none.
constexpr std::size_t MaxKeepListBytes = 4096;
// Reads the keep list at path whole into text when it is this user's
// regular file (a link is not followed) of at most MaxKeepListBytes that
// no other user may change (OthersMayChange). Another user's is not read
// (OtherUsers, judged by the name's own owner), nor one others may change
// (OtherUsers too); one of this user's that is no such file, or cannot be
// read, is Unfit.
KeepListState ReadKeepList(const std::string& path, std::string& text);

// Writes all size bytes to fd at offset, or at the file position when
// offset < 0, again after a signal; false with the system's reason in err
// (ENOSPC when the file takes no more).
bool WriteAll(int fd, std::int64_t offset, const char* data, std::size_t size, int& err);

// For a process that a signal ends now, from another thread: removes the
// temporaries of the writers open in this process; a writer that opens
// after it waits for the end.
void RemoveOpenTemporariesForExit();

} // namespace kt4
