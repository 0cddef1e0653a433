#include "foundation/atomic_file.h"

#include "foundation/file_trust.h"
#include "foundation/private_temp.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <mutex>
#include <random>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kt4 {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t BufferSize = 1 << 16;
constexpr std::size_t MaxNameBytes = NAME_MAX;

// Numbers the temporaries of this process, so that two writers of one
// target in one process never meet.
std::atomic<unsigned> TempCounter{0};

mode_t NewFileMode()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string FolderOf(const std::string& path)
{
    fs::path dir = fs::path(path).parent_path();
    return dir.empty() ? std::string(".") : dir.string();
}

std::string NameOf(const std::string& path) { return fs::path(path).filename().string(); }

// A sticky folder that everybody may write (/tmp): other users can plant
// names in it.
bool SharedFolder(const std::string& dir)
{
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 && (st.st_mode & S_ISVTX) && (st.st_mode & S_IWOTH);
}

// The link at path (its lstat in st) may be followed: it is this user's
// or root's, or it lies in a folder no other user can plant names in (one
// that is neither another user's nor writable by others, sticky or not).
bool MayFollow(const std::string& path, const struct stat& st)
{
    const uid_t user = ::geteuid();
    return st.st_uid == user || st.st_uid == 0 || !OthersMayPlantIn(FolderOf(path), user);
}

} // namespace

// Follows the links of target one by one, as the kernel would: resolved
// is the file that is replaced (a link to nothing is itself replaced).
// False when a link may not be followed.
bool ResolveTrustedLinks(const std::string& target, std::string& resolved)
{
    std::string path = target;
    resolved = target;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            return true;
        if (!S_ISLNK(st.st_mode)) {
            resolved = path;
            return true;
        }
        if (!MayFollow(path, st))
            return false;
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
        if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buf)
            return true;
        const std::string link(buf, static_cast<std::size_t>(n));
        path = link.front() == '/' ? link : FolderOf(path) + "/" + link;
    }
    return true; // a loop: the name itself is replaced
}

namespace {

// A regular file of another user in a shared folder: renaming over it
// would replace a name someone else put there.
bool OtherUsersFile(const std::string& path, const struct stat& st)
{
    return st.st_uid != ::geteuid() && SharedFolder(FolderOf(path));
}

// A folder of the device file system (/dev and the folders on the same
// file system below it). File systems mounted below it for files, such as
// /dev/shm, are not.
bool InDeviceFolder(const std::string& path)
{
    std::error_code ec;
    const fs::path dev = fs::weakly_canonical(fs::absolute(AtomicWriter::DeviceFolder(), ec), ec);
    if (ec || dev.empty())
        return false;
    const fs::path dir = fs::weakly_canonical(fs::absolute(FolderOf(path), ec), ec);
    if (ec)
        return false;
    const std::string d = dir.string(), base = dev.string();
    const bool below = d == base || (d.size() > base.size() && d.compare(0, base.size(), base) == 0 &&
                                     (base.back() == '/' || d[base.size()] == '/'));
    if (!below)
        return false;
    struct stat devSt {}, dirSt {};
    return ::stat(base.c_str(), &devSt) != 0 || ::stat(d.c_str(), &dirSt) != 0 || devSt.st_dev == dirSt.st_dev;
}

// The temporaries of the writers open now, for RemoveOpenTemporariesForExit.
// Never destroyed, so a signal's clean-up may still run at exit.
std::mutex& OpenTempsMutex()
{
    static auto* m = new std::mutex;
    return *m;
}
std::set<std::string>& OpenTemps()
{
    static auto* temps = new std::set<std::string>;
    return *temps;
}
// Every temporary carries a lock on one byte far beyond any content (and
// beyond every lock the table engine takes) for its writer's life: an
// open-file-description lock, which the kernel drops when the writer
// ends, whatever ends it. A temporary whose lock nobody holds is left
// over; its process id proves nothing (another PID namespace, another
// host on a network folder).
constexpr off_t LifeLockOffset = std::numeric_limits<off_t>::max() - 1;

bool LockLife(int fd, short type)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = LifeLockOffset;
    lock.l_len = 1;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// fd is the file that path names now.
bool NamesFile(const std::string& path, int fd)
{
    struct stat held {}, named {};
    return ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

// Creates the temporary and registers it in one step, so that a signal's
// clean-up either removes it or runs before it exists. Its name is seen
// before its lock is taken: a clean-up that locked it first removes it
// (or has), and the writer takes another name (EEXIST). A file system
// without locks leaves the temporary unlocked; nobody can lock it there
// to remove it either.
int CreateTemp(const std::string& path)
{
    std::lock_guard<std::mutex> hold(OpenTempsMutex());
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if ((!LockLife(fd, F_WRLCK) && (errno == EAGAIN || errno == EACCES)) || !NamesFile(path, fd)) {
        ::close(fd);
        errno = EEXIST;
        return -1;
    }
    OpenTemps().insert(path);
    return fd;
}
void Unregister(const std::string& temp)
{
    if (temp.empty())
        return;
    std::lock_guard<std::mutex> hold(OpenTempsMutex());
    OpenTemps().erase(temp);
}

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

// The process that made the temporary entry for name (for any name when
// name is empty); 0 when entry is no such temporary.
long OwnerOfTemp(const std::string& entry, const std::string& name)
{
    if (entry.compare(0, AtomicWriter::TempPrefix.size(), AtomicWriter::TempPrefix) != 0)
        return 0;
    std::size_t pos = AtomicWriter::TempPrefix.size();
    long pid = 0, n = 0;
    if (!ParseNumber(entry, pos, pid) || !ParseNumber(entry, pos, n) || pid <= 0 || pid > INT_MAX)
        return 0;
    std::string rest = entry.substr(pos);
    if (name.empty())
        return rest.empty() ? 0 : pid;
    bool same = rest == name || (entry.size() == MaxNameBytes && name.compare(0, rest.size(), rest) == 0);
    return same ? pid : 0;
}

// Locks the temporary at path when it is this user's and its writer has
// ended: its lock is free. Returns the locked descriptor, or -1. While
// this process holds it, no writer can take the name.
int LockEnded(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && LockLife(fd, F_RDLCK))
        return fd;
    ::close(fd);
    return -1;
}

// A number for a temporary's name that nobody can foresee.
unsigned UnforeseenNumber()
{
    std::random_device random;
    return static_cast<unsigned>(random());
}

// The names of the temporaries that this user's keep lists in dir name,
// as the folder holds them now.
std::set<std::string> KeptNames(const std::string& dir)
{
    std::vector<std::string> lists;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d))
            if (std::string_view(e->d_name).substr(0, AtomicWriter::KeepPrefix.size()) == AtomicWriter::KeepPrefix)
                lists.emplace_back(e->d_name);
        ::closedir(d);
    }
    std::set<std::string> kept;
    for (const std::string& list : lists) {
        std::string text;
        if (ReadKeepList(dir + "/" + list, text) != KeepListState::Read)
            continue;
        for (std::size_t at = 0; at < text.size();) {
            std::size_t end = text.find('\n', at);
            if (end == std::string::npos)
                end = text.size();
            const std::string line = text.substr(at, end - at);
            kept.insert(NameOf(line.substr(0, line.find('\t'))));
            at = end + 1;
        }
    }
    return kept;
}

// name "": any target's. Only this user's, only those whose writer has
// ended (the lock alone tells, also for a name with this process's id: in
// a container every run may be pid 1; a writer of this process holds its
// lock against this sweep as well), and none that a keep list names. The
// keep lists are looked for and read once the temporaries' locks are held:
// a writer names its temporaries there before it may end, so the lists
// are then complete for them (a list written after the folder was first
// read counts too). Temporaries are locked in batches, so that a folder
// full of them costs few reads and few descriptors at once.
int RemoveStale(const std::string& dir, const std::string& name)
{
    std::vector<std::string> temps;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d))
            if (OwnerOfTemp(e->d_name, name) != 0)
                temps.emplace_back(e->d_name);
        ::closedir(d);
    }
    constexpr std::size_t Batch = 256;
    int removed = 0;
    for (std::size_t from = 0; from < temps.size(); from += Batch) {
        std::vector<std::pair<std::string, int>> ended;
        for (std::size_t i = from; i < std::min(temps.size(), from + Batch); ++i)
            if (const int fd = LockEnded(dir + "/" + temps[i]); fd >= 0)
                ended.emplace_back(temps[i], fd);
        if (ended.empty())
            continue;
        const std::set<std::string> kept = KeptNames(dir);
        for (const auto& [entry, fd] : ended) {
            // the name goes only while it still names the locked file
            const std::string path = dir + "/" + entry;
            if (!kept.count(entry) && NamesFile(path, fd) && ::unlink(path.c_str()) == 0)
                ++removed;
            ::close(fd);
        }
    }
    return removed;
}

} // namespace

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

bool IsTemporaryOf(const std::string& entry, const std::string& target)
{
    const std::string name = NameOf(target);
    return !name.empty() && OwnerOfTemp(entry, name) != 0;
}

KeepListState ReadKeepList(const std::string& path, std::string& text)
{
    text.clear();
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0)
        return errno == ENOENT ? KeepListState::Missing : KeepListState::Unfit;
    if (named.st_uid != ::geteuid())
        return KeepListState::OtherUsers;
    if (!S_ISREG(named.st_mode))
        return KeepListState::Unfit;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? KeepListState::Missing : KeepListState::Unfit;
    // the file read is the one looked at, and it has not grown since
    struct stat held {};
    std::string bytes(MaxKeepListBytes + 1, '\0');
    std::size_t got = 0;
    bool fit = ::fstat(fd, &held) == 0 && held.st_dev == named.st_dev && held.st_ino == named.st_ino;
    if (fit && OthersMayChange(fd, held, held.st_uid)) {
        ::close(fd);
        return KeepListState::OtherUsers;
    }
    while (fit && got < bytes.size()) {
        const ssize_t r = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            fit = r == 0;
            break;
        }
        got += std::size_t(r);
    }
    ::close(fd);
    if (!fit || got > MaxKeepListBytes)
        return KeepListState::Unfit;
    text.assign(bytes.data(), got);
    return KeepListState::Read;
}

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

int RemoveStaleTemporaries(const std::string& target)
{
    const std::string name = NameOf(target);
    return name.empty() ? 0 : RemoveStale(FolderOf(target), name);
}

int RemoveStaleTemporariesIn(const std::string& Folder)
{
    return RemoveStale(Folder.empty() ? std::string(".") : Folder, "");
}

void RemoveOpenTemporariesForExit()
{
    OpenTempsMutex().lock(); // held until the process ends
    for (const std::string& temp : OpenTemps())
        ::unlink(temp.c_str());
    OpenTemps().clear();
}

std::string& AtomicWriter::DeviceFolder()
{
    static auto* folder = new std::string("/dev");
    return *folder;
}

bool AtomicWriter::Prepare(const std::string& target)
{
    Discard();
    errno_ = 0;
    refusal_ = Refusal::None;
    haveOld_ = false;
    direct_ = false;
    if (target.empty()) { // no name: nothing is written anywhere
        target_.clear();
        errno_ = ENOENT;
        return false;
    }
    if (!ResolveTrustedLinks(target, target_)) {
        target_ = target;
        refusal_ = Refusal::NameTaken;
        errno_ = EPERM;
        return false;
    }
    durable_ = !InPrivateTempDir(target_);
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && S_ISCHR(st.st_mode)) {
        direct_ = true;
        return true;
    }
    if ((exists && !S_ISREG(st.st_mode)) || InDeviceFolder(target_)) {
        refusal_ = Refusal::NotAFile;
        errno_ = !exists ? ENODEV : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    if (exists && OtherUsersFile(target_, st)) {
        refusal_ = Refusal::NameTaken;
        errno_ = EPERM;
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
    return true;
}

bool AtomicWriter::Check(const std::string& target)
{
    const bool ok = Prepare(target);
    direct_ = false;
    return ok;
}

bool AtomicWriter::Open(const std::string& target, bool keepOld)
{
    if (!Prepare(target))
        return false;
    if (direct_) {
        fd_ = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | (keepOld ? O_APPEND : 0) | O_CLOEXEC);
        if (fd_ < 0)
            errno_ = errno;
        return fd_ >= 0;
    }
    const bool exists = haveOld_;
    RemoveStaleTemporaries(target_);
    const std::string dir = FolderOf(target_);
    const std::string name = NameOf(target_);
    const long pid = static_cast<long>(::getpid());
    // The next number; after a name that is taken (another user may plant
    // the names in a shared folder), numbers nobody can foresee.
    for (int tries = 0; tries < 100 && fd_ < 0; ++tries) {
        std::string path = dir + "/" + TempName(name, pid, tries == 0 ? TempCounter++ : UnforeseenNumber());
        fd_ = CreateTemp(path);
        if (fd_ >= 0)
            temp_ = path;
        else if (errno != EEXIST) {
            errno_ = errno;
            return false;
        }
    }
    if (fd_ < 0) {
        refusal_ = Refusal::NameTaken;
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
    if (buffer_.empty() && size >= BufferSize) {
        // a piece as large as the buffer goes to the file as it is
        int err = 0;
        if (!WriteAll(fd_, -1, static_cast<const char*>(data), size, err))
            Fail(err);
        return !Failed();
    }
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
    if (direct_) {
        if (!keepOpen || Failed()) {
            if (::close(fd_) != 0)
                Fail(errno);
            fd_ = -1;
        }
        buffer_.clear();
        return !Failed();
    }
    // The temporary keeps its lock until it has the target's name: a sweep
    // of another run removes no temporary whose writer is alive.
    if (!Failed()) {
        // The old file's owner first: a change of owner clears set-id bits.
        if (haveOld_ && !private_ && ::geteuid() == 0)
            (void)::fchown(fd_, oldUid_, oldGid_);
        const mode_t mode = private_ ? 0600 : haveOld_ ? oldMode_ : NewFileMode();
        if (::fchmod(fd_, mode) != 0 || (durable_ && ::fsync(fd_) != 0))
            Fail(errno);
    }
    if (!Failed() && ::rename(temp_.c_str(), target_.c_str()) != 0)
        Fail(errno);
    if (Failed())
        ::unlink(temp_.c_str());
    else if (durable_)
        SyncFolder(FolderOf(target_));
    if (!keepOpen || Failed()) {
        // Written and flushed: a close that fails now changes nothing of
        // the file that has the target's name.
        ::close(fd_);
        fd_ = -1;
    }
    Unregister(temp_);
    temp_.clear();
    buffer_.clear();
    return !Failed();
}

bool AtomicWriter::Commit() { return Finish(false); }

int AtomicWriter::CommitAndRelease()
{
    if (!Finish(true))
        return -1;
    if (!direct_)
        (void)LockLife(fd_, F_UNLCK); // the target's now: only the caller's locks stay
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void AtomicWriter::Discard()
{
    if (!temp_.empty()) { // while its lock is held: the name is still this writer's
        ::unlink(temp_.c_str());
        Unregister(temp_);
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    temp_.clear();
    buffer_.clear();
}

} // namespace kt4
