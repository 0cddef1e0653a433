// A table file on a POSIX system: positioned reads and writes that complete
// or fail, size, truncation, flush, and open-file-description byte-range
// locks (F_OFD_SETLK: two descriptors of one process exclude each other, and
// closing one drops no other lock). Share modes (exclusive open, shared open)
// are a lock on one reserved far byte. These locks hold between programs on
// a local disk or NFSv4; other network file systems may ignore them.
#pragma once

#include "foundation/files.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

namespace kt4::dbase {

// Identity of a file on disk.
struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    bool operator==(const FileId&) const = default;
    bool Valid() const { return dev != 0 || ino != 0; }
};

// Lock offsets: the engine's regions lie beyond the data, at the lock base.
constexpr std::int64_t LockBase = 0x40000000;
constexpr std::int64_t FileLockLength = 0x3FFFFFFF;
// The byte whose lock carries the share mode of an open.
constexpr std::int64_t ShareLockOffset = std::int64_t{1} << 62;

enum class LockKind { Read, Write, Unlock };

class DbfFile {
public:
    DbfFile() = default;
    // A file that is a table, memo, index or semaphore file of an open
    // table while it is open: noted with foundation (NoteHeldFile) so that
    // no output is written over it. A move keeps the kind of its target.
    explicit DbfFile(HeldFile kind) : kind_(kind) {}
    ~DbfFile();
    DbfFile(const DbfFile&) = delete;
    DbfFile& operator=(const DbfFile&) = delete;
    DbfFile(DbfFile&& other) noexcept;
    DbfFile& operator=(DbfFile&& other) noexcept;

    // Opens for reading and writing; when that is refused (EACCES, EROFS,
    // EPERM) and allowReadOnly, for reading only. A link another user
    // planted is refused for writing, and anything but a regular file
    // always (OpenTrustedFile). Returns 0 or an engine error code (2 not
    // found, 5 access denied, ...).
    [[nodiscard]] int Open(const std::string& path, bool writable, bool allowReadOnly);
    // Adopts an open descriptor.
    void Adopt(int fd, bool readOnly, const std::string& path);
    void Close();
    // Gives up the descriptor without closing it.
    int Release()
    {
        int fd = fd_;
        fd_ = -1;
        NoteHeld();
        return fd;
    }
    bool IsOpen() const { return fd_ >= 0; }
    bool ReadOnly() const { return readOnly_; }
    int Fd() const { return fd_; }
    FileId Id() const;

    // Reads up to n bytes at offset; returns the count read or -1.
    [[nodiscard]] long long ReadAt(std::int64_t offset, void* data, std::size_t n) const;
    // Writes all n bytes at offset; false on any failure (errno kept).
    [[nodiscard]] bool WriteAt(std::int64_t offset, const void* data, std::size_t n);
    // After a WriteAt that failed: whether the file may hold some of its
    // bytes (a part was written, or an error such as EIO that does not say
    // how far the write got); false only when it was refused before any byte
    // (a full disk or quota, a size limit, a file not open for writing).
    bool WriteMayHaveLanded() const { return mayHaveLanded_; }
    std::int64_t Size() const;
    [[nodiscard]] bool Truncate(std::int64_t size);
    [[nodiscard]] bool Sync();

    // Non-blocking OFD lock on [offset, offset + length); length 0 = to the
    // end of all offsets. Returns 0, or the errno (EAGAIN/EACCES = held by
    // another open).
    int Lock(LockKind kind, std::int64_t offset, std::int64_t length);

    // Engine error code for the last failed call (errno mapped).
    int LastError() const { return lastError_; }

private:
    // Tells foundation which file this one holds now (none when closed).
    void NoteHeld() const;

    HeldFile kind_ = HeldFile::None;
    int fd_ = -1;
    bool readOnly_ = false;
    int lastError_ = 0;
    bool mayHaveLanded_ = false;
    std::string path_;
};

// How an open shares the file with other opens (a lock on the share byte).
enum class Share { None, Shared, Exclusive };

// Opens path as DbfFile::Open does and takes the share lock (a write lock
// for Exclusive on a writable open, else a read lock). When another
// process renamed a new file over the name between the open and the lock
// (PACK, CREATE), the name is opened again, so the lock always guards the
// file the name holds. Returns 0, the open's error code, or 32 when
// another open holds a conflicting share lock.
[[nodiscard]] int OpenWithShareLock(DbfFile& file, const std::string& path, bool writable,
                                    bool allowReadOnly, Share share);

// Opens a file of a table (also an index, a memo or a semaphore file) with
// flags: only a regular file (OpenRegularFile: errno EISDIR or ENODEV
// otherwise). An open for writing or creating follows no link the writers
// would not follow (ResolveTrustedLinks: only this user's or root's in a
// closed folder): errno EPERM, and planted, when given, is set. The
// descriptor, or -1.
int OpenTrustedFile(const std::string& path, int flags, mode_t mode = 0, bool* planted = nullptr);

// Engine error code (DOS numbering) for an errno value.
int ErrnoToEngineCode(int err);

// Existing path that equals path ignoring ASCII case in its file-name part
// (the folder is taken as given); "" when none exists.
std::string ResolveNoCase(const std::string& path);
// The path with ext (e.g. "DBF") when its file name has none; the
// extension's case follows the name (lower-case names get ".dbf").
std::string WithDefaultExtension(const std::string& path, const std::string& ext);
// The path with its extension replaced by ext (case as above).
std::string WithExtension(const std::string& path, const std::string& ext);
// Base name without folder and extension.
std::string BaseNameOf(const std::string& path);
// Identity of the file at path (invalid when missing).
FileId FileIdOf(const std::string& path);

} // namespace kt4::dbase
