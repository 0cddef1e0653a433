#include "foundation/atomic_file.h"

#include "foundation/private_temp.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace kt4 {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t BufferSize = 1 << 16;
constexpr std::size_t MaxNameBytes = NAME_MAX;

// Numbers the temporaries of this process, so that two writers of one
// target in one process never meet.
std::atomic<unsigned> TempCounter{0};

// Writes all bytes at offset, or at the file position when offset < 0.
bool WriteAll(int fd, std::int64_t offset, const char* data, std::size_t size, int& err)
{
    while (size > 0) {
        ssize_t n = offset < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        if (n == 0) {
            err = ENOSPC;
            return false;
        }
        data += n;
        if (offset >= 0)
            offset += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

mode_t NewFileMode()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A symbolic link is followed, so that the file it names is replaced.
std::string ResolveTarget(const std::string& target)
{
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path p = fs::canonical(target, ec);
        if (!ec)
            return p.string();
    }
    return target;
}

std::string FolderOf(const std::string& path)
{
    fs::path dir = fs::path(path).parent_path();
    return dir.empty() ? std::string(".") : dir.string();
}

std::string NameOf(const std::string& path) { return fs::path(path).filename().string(); }

// ".kt4tmp-<pid>-<n>-<name>", the name cut so that the whole fits.
std::string TempName(const std::string& name, long pid, unsigned n)
{
    std::string head = std::string(AtomicWriter::TempPrefix) + std::to_string(pid) + "-" +
                       std::to_string(n) + "-";
    std::string full = head + name;
    if (full.size() > MaxNameBytes)
        full.resize(MaxNameBytes);
    return full;
}

// Reads the decimal number at s[pos..] up to the next '-'; false when
// there is none or it does not fit.
bool ParseNumber(const std::string& s, std::size_t& pos, long& value)
{
    std::size_t start = pos;
    value = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
        if (pos - start >= 10)
            return false;
        value = value * 10 + (s[pos] - '0');
        ++pos;
    }
    if (pos == start || pos >= s.size() || s[pos] != '-')
        return false;
    ++pos;
    return true;
}

// The process that made the temporary entry for name; 0 when entry is no
// temporary of that name.
long OwnerOfTemp(const std::string& entry, const std::string& name)
{
    if (entry.compare(0, AtomicWriter::TempPrefix.size(), AtomicWriter::TempPrefix) != 0)
        return 0;
    std::size_t pos = AtomicWriter::TempPrefix.size();
    long pid = 0, n = 0;
    if (!ParseNumber(entry, pos, pid) || !ParseNumber(entry, pos, n) || pid <= 0 || pid > INT_MAX)
        return 0;
    std::string rest = entry.substr(pos);
    bool same = rest == name || (entry.size() == MaxNameBytes && name.compare(0, rest.size(), rest) == 0);
    return same ? pid : 0;
}

bool ProcessGone(long pid)
{
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

void SyncFolder(const std::string& dir)
{
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // The rename is done; a folder that cannot be flushed changes nothing
    // about which file the name holds now.
    (void)::fsync(fd);
    ::close(fd);
}

} // namespace

int RemoveStaleTemporaries(const std::string& target)
{
    const std::string dir = FolderOf(target);
    const std::string name = NameOf(target);
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return 0;
    const long self = static_cast<long>(::getpid());
    int removed = 0;
    while (dirent* e = ::readdir(d)) {
        std::string entry = e->d_name;
        long pid = OwnerOfTemp(entry, name);
        if (pid == 0 || pid == self || !ProcessGone(pid))
            continue;
        std::string path = dir + "/" + entry;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0)
            ++removed;
    }
    ::closedir(d);
    return removed;
}

bool AtomicWriter::Open(const std::string& target, bool keepOld)
{
    Discard();
    errno_ = 0;
    refusal_ = Refusal::None;
    haveOld_ = false;
    target_ = ResolveTarget(target);
    durable_ = !InPrivateTempDir(target_);
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && S_ISCHR(st.st_mode)) {
        direct_ = true;
        fd_ = ::open(target_.c_str(), O_WRONLY | (keepOld ? O_APPEND : 0) | O_CLOEXEC);
        if (fd_ < 0)
            errno_ = errno;
        return fd_ >= 0;
    }
    direct_ = false;
    if (exists && !S_ISREG(st.st_mode)) {
        refusal_ = Refusal::NotAFile;
        errno_ = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    if (exists && ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
        errno_ = errno;
        if (errno_ == EACCES || errno_ == EPERM || errno_ == EROFS)
            refusal_ = Refusal::WriteProtected;
        return false;
    }
    if (exists) {
        haveOld_ = true;
        oldMode_ = st.st_mode & 07777;
        oldUid_ = st.st_uid;
        oldGid_ = st.st_gid;
    }
    RemoveStaleTemporaries(target_);
    const std::string dir = FolderOf(target_);
    const std::string name = NameOf(target_);
    const long pid = static_cast<long>(::getpid());
    for (int tries = 0; tries < 1000; ++tries) {
        std::string path = dir + "/" + TempName(name, pid, TempCounter++);
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            temp_ = path;
            break;
        }
        if (errno != EEXIST) {
            errno_ = errno;
            return false;
        }
    }
    if (fd_ < 0) {
        errno_ = EEXIST;
        return false;
    }
    if (keepOld && exists) {
        int in = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0) {
            int err = errno;
            Discard();
            errno_ = err;
            return false;
        }
        char buf[BufferSize];
        for (;;) {
            ssize_t n = ::read(in, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                Fail(errno);
            if (n <= 0)
                break;
            int err = 0;
            if (!WriteAll(fd_, -1, buf, static_cast<std::size_t>(n), err)) {
                Fail(err);
                break;
            }
        }
        ::close(in);
        if (Failed()) {
            int err = errno_;
            Discard();
            errno_ = err;
            return false;
        }
    }
    return true;
}

void AtomicWriter::Fail(int err)
{
    if (errno_ == 0)
        errno_ = err ? err : EIO;
}

bool AtomicWriter::Flush()
{
    if (buffer_.empty() || Failed())
        return !Failed();
    int err = 0;
    if (!WriteAll(fd_, -1, buffer_.data(), buffer_.size(), err))
        Fail(err);
    buffer_.clear();
    return !Failed();
}

bool AtomicWriter::Write(const void* data, std::size_t size)
{
    if (fd_ < 0) {
        Fail(EBADF);
        return false;
    }
    if (Failed())
        return false;
    buffer_.append(static_cast<const char*>(data), size);
    if (buffer_.size() >= BufferSize)
        return Flush();
    return true;
}

bool AtomicWriter::WriteAt(std::int64_t offset, const void* data, std::size_t size)
{
    if (fd_ < 0 || direct_) {
        Fail(fd_ < 0 ? EBADF : ESPIPE);
        return false;
    }
    if (offset < 0) {
        Fail(EINVAL);
        return false;
    }
    if (!Flush())
        return false;
    int err = 0;
    if (!WriteAll(fd_, offset, static_cast<const char*>(data), size, err))
        Fail(err);
    return !Failed();
}

bool AtomicWriter::Finish(bool keepOpen)
{
    if (fd_ < 0) {
        Fail(EBADF);
        return false;
    }
    Flush();
    if (!direct_ && !Failed()) {
        // The old file's owner first: a change of owner clears set-id bits.
        if (haveOld_ && ::geteuid() == 0)
            (void)::fchown(fd_, oldUid_, oldGid_);
        if (::fchmod(fd_, haveOld_ ? oldMode_ : NewFileMode()) != 0 || (durable_ && ::fsync(fd_) != 0))
            Fail(errno);
    }
    if (!keepOpen || Failed()) {
        if (::close(fd_) != 0)
            Fail(errno);
        fd_ = -1;
    }
    if (!direct_) {
        if (!Failed() && ::rename(temp_.c_str(), target_.c_str()) != 0)
            Fail(errno);
        if (Failed()) {
            ::unlink(temp_.c_str());
            if (fd_ >= 0)
                ::close(fd_);
            fd_ = -1;
        } else if (durable_) {
            SyncFolder(FolderOf(target_));
        }
    }
    temp_.clear();
    buffer_.clear();
    return !Failed();
}

bool AtomicWriter::Commit() { return Finish(false); }

int AtomicWriter::CommitAndRelease()
{
    if (!Finish(true))
        return -1;
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void AtomicWriter::Discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
    buffer_.clear();
}

} // namespace kt4
