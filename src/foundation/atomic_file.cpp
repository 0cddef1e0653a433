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

// A sticky folder that everybody may write (/tmp), open on dirFd: other
// users can plant names in it.
bool SharedFolder(int dirFd)
{
    struct stat st {};
    return ::fstat(dirFd, &st) == 0 && (st.st_mode & S_ISVTX) && (st.st_mode & S_IWOTH);
}

// The link at path (its lstat in st) may be followed: it is this user's or
// root's and its folder and every folder above it are closed (nobody but
// this user and root may put, remove or rename names there), so nobody
// else can have put it there or swap it for another.
bool MayFollow(const std::string& path, const struct stat& st)
{
    const uid_t user = ::geteuid();
    return (st.st_uid == user || st.st_uid == 0) && CheckFolderPath(FolderOf(path), user).Closed();
}

// Follows the links of target one by one, as the kernel would. resolved:
// the file that is replaced; a link to nothing, or a loop, is itself
// replaced (nameIsLink). False when a link may not be followed (refused
// names it).
bool WalkLinks(const std::string& target, std::string& resolved, std::string& refused, bool& nameIsLink)
{
    std::string path = target;
    resolved = target;
    refused.clear();
    nameIsLink = false;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            return true;
        if (!S_ISLNK(st.st_mode)) {
            resolved = path;
            return true;
        }
        nameIsLink = true;
        if (!MayFollow(path, st)) {
            refused = path;
            return false;
        }
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
        if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buf)
            return true;
        const std::string link(buf, static_cast<std::size_t>(n));
        path = link.front() == '/' ? link : FolderOf(path) + "/" + link;
    }
    return true; // a loop: the name itself is replaced
}

} // namespace

bool ResolveTrustedLinks(const std::string& target, std::string& resolved, std::string* refusedLink)
{
    std::string refused;
    bool nameIsLink = false;
    const bool ok = WalkLinks(target, resolved, refused, nameIsLink);
    if (refusedLink)
        *refusedLink = refused;
    return ok;
}

namespace {

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

// fd is the file that name names now in the folder open on dirFd.
bool NamesFile(int dirFd, const std::string& name, int fd)
{
    struct stat held {}, named {};
    return ::fstat(fd, &held) == 0 && ::fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// A descriptor for reading the folder open on dirFd (an O_PATH one
// included), or -1.
int ReadableFolder(int dirFd) { return ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC); }

// The entries of the folder open on dirFd that keep says to take.
template <typename Keep> std::vector<std::string> EntriesOf(int dirFd, Keep keep)
{
    std::vector<std::string> names;
    const int fd = ReadableFolder(dirFd);
    if (fd < 0)
        return names;
    DIR* d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return names;
    }
    while (dirent* e = ::readdir(d))
        if (keep(std::string_view(e->d_name)))
            names.emplace_back(e->d_name);
    ::closedir(d);
    return names;
}

// Creates the temporary and registers it in one step, so that a signal's
// clean-up either removes it or runs before it exists. Its name is seen
// before its lock is taken: a clean-up that locked it first removes it
// (or has), and the writer takes another name (EEXIST). A file system
// without locks leaves the temporary unlocked; nobody can lock it there
// to remove it either.
int CreateTemp(int dirFd, const std::string& name, const std::string& path)
{
    std::lock_guard<std::mutex> hold(OpenTempsMutex());
    const int fd = ::openat(dirFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if ((!LockLife(fd, F_WRLCK) && (errno == EAGAIN || errno == EACCES)) || !NamesFile(dirFd, name, fd)) {
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
int LockEnded(int dirFd, const std::string& name)
{
    const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
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

KeepListState ReadKeepListAt(int dirFd, const std::string& name, std::string& text);

// The names of the temporaries that this user's keep lists in the folder
// open on dirFd name, as the folder holds them now.
std::set<std::string> KeptNames(int dirFd)
{
    const std::vector<std::string> lists = EntriesOf(dirFd, [](std::string_view entry) {
        return entry.substr(0, AtomicWriter::KeepPrefix.size()) == AtomicWriter::KeepPrefix;
    });
    std::set<std::string> kept;
    for (const std::string& list : lists) {
        std::string text;
        if (ReadKeepListAt(dirFd, list, text) != KeepListState::Read)
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
// full of them costs few reads and few descriptors at once. Everything
// happens in the folder open on dirFd, whatever its path names meanwhile.
int RemoveStale(int dirFd, const std::string& name)
{
    const std::vector<std::string> temps =
        EntriesOf(dirFd, [&](std::string_view entry) { return OwnerOfTemp(std::string(entry), name) != 0; });
    constexpr std::size_t Batch = 256;
    int removed = 0;
    for (std::size_t from = 0; from < temps.size(); from += Batch) {
        std::vector<std::pair<std::string, int>> ended;
        for (std::size_t i = from; i < std::min(temps.size(), from + Batch); ++i)
            if (const int fd = LockEnded(dirFd, temps[i]); fd >= 0)
                ended.emplace_back(temps[i], fd);
        if (ended.empty())
            continue;
        const std::set<std::string> kept = KeptNames(dirFd);
        for (const auto& [entry, fd] : ended) {
            // the name goes only while it still names the locked file
            if (!kept.count(entry) && NamesFile(dirFd, entry, fd) && ::unlinkat(dirFd, entry.c_str(), 0) == 0)
                ++removed;
            ::close(fd);
        }
    }
    return removed;
}

int OpenFolder(const std::string& dir) { return ::open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC); }

// Flushes the folder open on dirFd to the disk.
void SyncFolderAt(int dirFd)
{
    const int fd = ReadableFolder(dirFd);
    if (fd < 0)
        return;
    // The rename is done; a folder that cannot be flushed changes nothing
    // about which file the name holds now.
    (void)::fsync(fd);
    ::close(fd);
}

// The access a writer needs to a file open on fd (an O_PATH descriptor
// too): 0, or the errno of its refusal.
int WriteAccess(int fd)
{
    if (::faccessat(fd, "", W_OK, AT_EACCESS | AT_EMPTY_PATH) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    return ::faccessat(AT_FDCWD, link.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

KeepListState ReadKeepListAt(int dirFd, const std::string& name, std::string& text)
{
    text.clear();
    // Looked at without being opened (a FIFO or device stays shut), then
    // opened and taken only while it is the file looked at.
    struct stat named {}, held {};
    const int at = ::openat(dirFd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (at < 0)
        return errno == ENOENT ? KeepListState::Missing : KeepListState::Unfit;
    const bool seen = ::fstat(at, &named) == 0;
    ::close(at);
    if (!seen)
        return KeepListState::Unfit;
    if (named.st_uid != ::geteuid())
        return KeepListState::OtherUsers;
    if (!S_ISREG(named.st_mode))
        return KeepListState::Unfit;
    const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? KeepListState::Missing : KeepListState::Unfit;
    if (::fstat(fd, &held) != 0 || held.st_dev != named.st_dev || held.st_ino != named.st_ino) {
        ::close(fd);
        return KeepListState::Unfit;
    }
    if (OthersMayChange(fd, held, held.st_uid)) {
        ::close(fd);
        return KeepListState::OtherUsers;
    }
    std::string bytes(MaxKeepListBytes + 1, '\0');
    std::size_t got = 0;
    bool fit = true;
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

} // namespace

void SyncFolder(const std::string& dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
    const int dirFd = OpenFolder(FolderOf(path));
    if (dirFd < 0)
        return errno == ENOENT ? KeepListState::Missing : KeepListState::Unfit;
    const KeepListState state = ReadKeepListAt(dirFd, NameOf(path), text);
    ::close(dirFd);
    return state;
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
    const int dirFd = name.empty() ? -1 : OpenFolder(FolderOf(target));
    if (dirFd < 0)
        return 0;
    const int removed = RemoveStale(dirFd, name);
    ::close(dirFd);
    return removed;
}

int RemoveStaleTemporariesIn(const std::string& Folder)
{
    const int dirFd = OpenFolder(Folder.empty() ? std::string(".") : Folder);
    if (dirFd < 0)
        return 0;
    const int removed = RemoveStale(dirFd, "");
    ::close(dirFd);
    return removed;
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

bool AtomicWriter::Refuse(Refusal why, int err)
{
    refusal_ = why;
    errno_ = err;
    CloseFolder();
    return false;
}

void AtomicWriter::CloseFolder()
{
    if (dirFd_ >= 0)
        ::close(dirFd_);
    dirFd_ = -1;
}

bool AtomicWriter::Prepare(const std::string& target)
{
    Discard();
    errno_ = 0;
    refusal_ = Refusal::None;
    haveOld_ = false;
    direct_ = false;
    refusedLink_.clear();
    if (target.empty()) { // no name: nothing is written anywhere
        target_.clear();
        errno_ = ENOENT;
        return false;
    }
    bool nameIsLink = false;
    if (!WalkLinks(target, target_, refusedLink_, nameIsLink)) {
        target_ = target;
        return Refuse(Refusal::UnsafeLink, EPERM);
    }
    durable_ = !InPrivateTempDir(target_);
    name_ = NameOf(target_);
    if (name_.empty())
        name_ = "."; // "folder/": the folder itself
    dirFd_ = OpenFolder(FolderOf(target_));
    if (dirFd_ < 0)
        return Refuse(Refusal::None, errno);
    // Everything below is decided on the name as the held folder has it
    // now, looked at without being opened (no device or FIFO is opened).
    const int at = ::openat(dirFd_, name_.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (at < 0 && errno != ENOENT)
        return Refuse(Refusal::None, errno);
    struct stat st {};
    bool exists = at >= 0;
    if (exists && ::fstat(at, &st) != 0) {
        const int err = errno;
        ::close(at);
        return Refuse(Refusal::None, err);
    }
    const auto done = [&](Refusal why, int err) {
        if (at >= 0)
            ::close(at);
        return why == Refusal::None && err == 0 ? true : Refuse(why, err);
    };
    if (exists && S_ISLNK(st.st_mode)) {
        // A link to nothing (or a loop) is replaced itself; a link that was
        // put there after its name was followed is another's doing.
        if (!nameIsLink)
            return done(Refusal::NameTaken, EPERM);
        exists = false;
    }
    if (expectHeld_ && (!exists || st.st_dev != heldDev_ || st.st_ino != heldIno_))
        return done(Refusal::NameTaken, EPERM); // no longer the file the caller holds
    if (exists) {
        oldDev_ = st.st_dev;
        oldIno_ = st.st_ino;
    }
    if (exists && S_ISCHR(st.st_mode)) {
        direct_ = true;
        return done(Refusal::None, 0);
    }
    if ((exists && !S_ISREG(st.st_mode)) || InDeviceFolder(target_))
        return done(Refusal::NotAFile, !exists ? ENODEV : S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    // A regular file of another user in a shared folder: renaming over it
    // would replace a name someone else put there.
    if (exists && st.st_uid != ::geteuid() && SharedFolder(dirFd_))
        return done(Refusal::NameTaken, EPERM);
    if (exists) {
        if (const int err = WriteAccess(at); err != 0)
            return done(err == EACCES || err == EPERM || err == EROFS ? Refusal::WriteProtected : Refusal::None, err);
        haveOld_ = true;
        oldMode_ = st.st_mode & 07777;
        oldUid_ = st.st_uid;
        oldGid_ = st.st_gid;
    }
    return done(Refusal::None, 0);
}

bool AtomicWriter::Check(const std::string& target)
{
    expectHeld_ = false;
    const bool ok = Prepare(target);
    direct_ = false;
    CloseFolder();
    return ok;
}

bool AtomicWriter::OpenReplacing(const std::string& target, int heldFd)
{
    struct stat held {};
    if (::fstat(heldFd, &held) != 0) {
        Discard();
        errno_ = errno;
        return false;
    }
    expectHeld_ = true;
    heldDev_ = held.st_dev;
    heldIno_ = held.st_ino;
    return OpenHere(target, false);
}

// Opens name in the held folder as the file it was found to be (never
// through a link); flags besides. The descriptor, or -1 with the refusal
// set: another file in its place is one planted there.
int AtomicWriter::OpenFound(int flags)
{
    const int fd = ::openat(dirFd_, name_.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        Refuse(err == ELOOP ? Refusal::NameTaken : Refusal::None, err == ELOOP ? EPERM : err);
        return -1;
    }
    struct stat now {};
    if (::fstat(fd, &now) != 0 || now.st_dev != oldDev_ || now.st_ino != oldIno_) {
        ::close(fd);
        Refuse(Refusal::NameTaken, EPERM);
        return -1;
    }
    return fd;
}

bool AtomicWriter::Open(const std::string& target, bool keepOld)
{
    expectHeld_ = false;
    return OpenHere(target, keepOld);
}

bool AtomicWriter::OpenHere(const std::string& target, bool keepOld)
{
    if (!Prepare(target))
        return false;
    if (direct_) {
        fd_ = OpenFound(O_WRONLY | O_NOCTTY | (keepOld ? O_APPEND : 0));
        CloseFolder();
        if (fd_ < 0)
            return false;
        // Opened without waiting (for a line's carrier); written like any
        // file, so that a busy printer port is waited for.
        const int flags = ::fcntl(fd_, F_GETFL);
        if (flags >= 0)
            (void)::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
        return true;
    }
    const bool exists = haveOld_;
    RemoveStale(dirFd_, name_);
    const std::string dir = FolderOf(target_);
    const long pid = static_cast<long>(::getpid());
    // The next number; after a name that is taken (another user may plant
    // the names in a shared folder), numbers nobody can foresee.
    for (int tries = 0; tries < 100 && fd_ < 0; ++tries) {
        const std::string temp = TempName(name_, pid, tries == 0 ? TempCounter++ : UnforeseenNumber());
        const std::string path = dir + "/" + temp;
        fd_ = CreateTemp(dirFd_, temp, path);
        if (fd_ >= 0) {
            temp_ = path;
            tempName_ = temp;
        } else if (errno != EEXIST) {
            return Refuse(Refusal::None, errno);
        }
    }
    if (fd_ < 0)
        return Refuse(Refusal::NameTaken, EEXIST);
    if (keepOld && exists) {
        const int in = OpenFound(O_RDONLY);
        if (in < 0) {
            const Refusal why = refusal_;
            const int err = errno_;
            Discard();
            refusal_ = why;
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
    if (!Failed() && expectHeld_) {
        // the name still holds the file the caller opened under it
        struct stat named {};
        if (::fstatat(dirFd_, name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || named.st_dev != heldDev_ ||
            named.st_ino != heldIno_) {
            refusal_ = Refusal::NameTaken;
            Fail(EPERM);
        }
    }
    if (!Failed() && ::renameat(dirFd_, tempName_.c_str(), dirFd_, name_.c_str()) != 0)
        Fail(errno);
    if (Failed())
        ::unlinkat(dirFd_, tempName_.c_str(), 0);
    else if (durable_)
        SyncFolderAt(dirFd_);
    if (!keepOpen || Failed()) {
        // Written and flushed: a close that fails now changes nothing of
        // the file that has the target's name.
        ::close(fd_);
        fd_ = -1;
    }
    Unregister(temp_);
    temp_.clear();
    tempName_.clear();
    buffer_.clear();
    CloseFolder();
    expectHeld_ = false;
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
        if (dirFd_ >= 0)
            ::unlinkat(dirFd_, tempName_.c_str(), 0);
        else
            ::unlink(temp_.c_str());
        Unregister(temp_);
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    CloseFolder();
    temp_.clear();
    tempName_.clear();
    buffer_.clear();
}

} // namespace kt4
