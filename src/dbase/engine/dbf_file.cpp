#include "dbase/engine/dbf_file.h"

#include "foundation/atomic_file.h"
#include "foundation/files.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace kt4::dbase {

int ErrnoToEngineCode(int err)
{
    switch (err) {
    case 0:
        return 0;
    case ENOENT:
        return 2;
    case ENOTDIR:
        return 3;
    case EMFILE:
    case ENFILE:
        return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ENODEV:
        return 5;
    case EBADF:
        return 6;
    case ENOMEM:
        return 8;
    case EAGAIN:
        return 33;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return 101;
    case EIO:
        return 100;
    default:
        return 31;
    }
}

DbfFile::~DbfFile() { Close(); }

DbfFile::DbfFile(DbfFile&& other) noexcept
    : kind_(other.kind_), fd_(other.fd_), readOnly_(other.readOnly_), lastError_(other.lastError_),
      mayHaveLanded_(other.mayHaveLanded_), path_(std::move(other.path_))
{
    other.fd_ = -1;
    other.NoteHeld();
    NoteHeld();
}

DbfFile& DbfFile::operator=(DbfFile&& other) noexcept
{
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        readOnly_ = other.readOnly_;
        lastError_ = other.lastError_;
        mayHaveLanded_ = other.mayHaveLanded_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
        other.NoteHeld();
        NoteHeld();
    }
    return *this;
}

void DbfFile::NoteHeld() const
{
    if (kind_ == HeldFile::None)
        return;
    if (fd_ >= 0)
        NoteHeldFile(this, kind_, fd_);
    else
        ForgetHeldFile(this);
}

int OpenTrustedFile(const std::string& path, int flags, mode_t mode, bool* planted)
{
    if (planted)
        *planted = false;
    std::string name = path;
    if ((flags & (O_ACCMODE | O_CREAT)) != O_RDONLY) {
        if (!ResolveTrustedLinks(path, name)) {
            if (planted)
                *planted = true;
            errno = EPERM;
            return -1;
        }
        flags |= O_NOFOLLOW;
    }
    return OpenRegularFile(name, flags, mode);
}

int DbfFile::Open(const std::string& path, bool writable, bool allowReadOnly)
{
    Close();
    path_ = path;
    int fd = -1;
    if (writable) {
        bool planted = false;
        fd = OpenTrustedFile(path, O_RDWR, 0, &planted);
        if (fd < 0 && !planted && allowReadOnly && (errno == EACCES || errno == EROFS || errno == EPERM))
            writable = false;
    }
    if (!writable)
        fd = OpenTrustedFile(path, O_RDONLY);
    if (fd < 0) {
        lastError_ = ErrnoToEngineCode(errno);
        return lastError_;
    }
    fd_ = fd;
    readOnly_ = !writable;
    lastError_ = 0;
    NoteHeld();
    return 0;
}

void DbfFile::Adopt(int fd, bool readOnly, const std::string& path)
{
    Close();
    fd_ = fd;
    readOnly_ = readOnly;
    path_ = path;
    NoteHeld();
}

void DbfFile::Close()
{
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    NoteHeld();
}

FileId DbfFile::Id() const
{
    struct stat st{};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return {};
    return {st.st_dev, st.st_ino};
}

long long DbfFile::ReadAt(std::int64_t offset, void* data, std::size_t n) const
{
    auto* p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < n) {
        ssize_t r = ::pread(fd_, p + done, n - done, off_t(offset + std::int64_t(done)));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            const_cast<DbfFile*>(this)->lastError_ = ErrnoToEngineCode(errno);
            return -1;
        }
        if (r == 0)
            break;
        done += std::size_t(r);
    }
    return static_cast<long long>(done);
}

bool DbfFile::WriteAt(std::int64_t offset, const void* data, std::size_t n)
{
    mayHaveLanded_ = false;
    if (readOnly_) {
        lastError_ = 5;
        return false;
    }
    const auto* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < n) {
        ssize_t r = ::pwrite(fd_, p + done, n - done, off_t(offset + std::int64_t(done)));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            lastError_ = ErrnoToEngineCode(err);
            // refused before a byte was taken
            const bool refused = err == ENOSPC || err == EDQUOT || err == EFBIG || err == EBADF;
            mayHaveLanded_ = done > 0 || !refused;
            return false;
        }
        if (r == 0) {
            lastError_ = 101;
            mayHaveLanded_ = done > 0;
            return false;
        }
        done += std::size_t(r);
    }
    return true;
}

std::int64_t DbfFile::Size() const
{
    struct stat st{};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return -1;
    return st.st_size;
}

bool DbfFile::Truncate(std::int64_t size)
{
    if (readOnly_) {
        lastError_ = 5;
        return false;
    }
    if (::ftruncate(fd_, off_t(size)) != 0) {
        lastError_ = ErrnoToEngineCode(errno);
        return false;
    }
    return true;
}

bool DbfFile::Sync()
{
    if (readOnly_)
        return true;
    if (::fsync(fd_) != 0) {
        lastError_ = ErrnoToEngineCode(errno);
        return false;
    }
    return true;
}

int DbfFile::Lock(LockKind kind, std::int64_t offset, std::int64_t length)
{
    struct flock fl{};
    fl.l_type = kind == LockKind::Read ? F_RDLCK : kind == LockKind::Write ? F_WRLCK : F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(offset);
    fl.l_len = off_t(length);
    fl.l_pid = 0;
    if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0)
        return 0;
    return errno;
}

int OpenWithShareLock(DbfFile& file, const std::string& path, bool writable, bool allowReadOnly,
                      Share share)
{
    // A name replaced over and over (a PACK loop) gives up after a while.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (int code = file.Open(path, writable, allowReadOnly); code != 0)
            return code;
        if (share != Share::None) {
            const bool write = share == Share::Exclusive && !file.ReadOnly();
            if (int err = file.Lock(write ? LockKind::Write : LockKind::Read, ShareLockOffset, 1);
                err != 0) {
                file.Close();
                return err == EAGAIN || err == EACCES ? 32 : ErrnoToEngineCode(err);
            }
        }
        const FileId named = FileIdOf(path);
        if (named == file.Id())
            return 0;
        file.Close();
        if (!named.Valid())
            return 2; // erased meanwhile
    }
    return 32;
}

namespace {

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = char(x - 32);
        if (y >= 'a' && y <= 'z')
            y = char(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

bool HasLower(const std::string& s)
{
    bool lower = false, upper = false;
    for (char c : s) {
        lower |= c >= 'a' && c <= 'z';
        upper |= c >= 'A' && c <= 'Z';
    }
    return lower && !upper;
}

std::string CaseLike(const std::string& name, const std::string& ext)
{
    std::string e = ext;
    bool lower = HasLower(fs::path(name).stem().string());
    for (char& c : e) {
        if (lower && c >= 'A' && c <= 'Z')
            c = char(c + 32);
        else if (!lower && c >= 'a' && c <= 'z')
            c = char(c - 32);
    }
    return e;
}

} // namespace

std::string ResolveNoCase(const std::string& path)
{
    std::error_code ec;
    if (fs::exists(path, ec))
        return path;
    fs::path p(path);
    fs::path dir = p.parent_path();
    const std::string want = p.filename().string();
    fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec);
    if (ec)
        return "";
    for (const auto& entry : it) {
        std::string name = entry.path().filename().string();
        if (EqualNoCase(name, want))
            return (dir / name).string();
    }
    return "";
}

std::string WithDefaultExtension(const std::string& path, const std::string& ext)
{
    fs::path p(path);
    if (p.has_extension() && p.extension() != ".")
        return path;
    std::string base = path;
    if (!base.empty() && base.back() == '.')
        base.pop_back();
    return base + "." + CaseLike(base, ext);
}

std::string WithExtension(const std::string& path, const std::string& ext)
{
    fs::path p(path);
    p.replace_extension();
    std::string base = p.string();
    return base + "." + CaseLike(base, ext);
}

std::string BaseNameOf(const std::string& path)
{
    return fs::path(path).stem().string();
}

FileId FileIdOf(const std::string& path)
{
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return {st.st_dev, st.st_ino};
}

} // namespace kt4::dbase
