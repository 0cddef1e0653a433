// The process's private temporary folder under TempDir.
#include "foundation/private_temp.h"

#include "foundation/codepage.h"
#include "foundation/linefile.h"
#include "foundation/paths.h"
#include "foundation/settings.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kt4 {

namespace fs = std::filesystem;

namespace {

constexpr char Prefix[] = "kt4-";
constexpr char NewPrefix[] = ".kt4new-";   // a folder being made
constexpr char GonePrefix[] = ".kt4gone-"; // a folder on its way out
constexpr char LockName[] = ".lock";

// The state, never destroyed, so that exit handlers of any order and the
// clean-up of a signal on another thread may still use it.
struct State {
    std::mutex mutex;
    std::string folder; // with a trailing separator; "" when there is none
    pid_t owner = 0;    // the process that made it
    int lock = -1;      // holds the lock on LockName for the owner's life
    PrivateTempDirFailure failure; // why the last make failed
};

// Set by a signal handler: a lock-free flag.
std::atomic<bool> ending{false};
static_assert(std::atomic<bool>::is_always_lock_free);

State& Own()
{
    static auto* state = new State;
    return *state;
}

bool ValidSubName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (unsigned char c : name)
        if (c == '/' || c < 0x20)
            return false;
    return true;
}

// A folder that is ours: a real folder (not a link), owned by this user,
// mode 0700.
bool OwnFolder(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return st.st_uid == ::geteuid() && (st.st_mode & 0777) == 0700;
}

std::string BaseFolder()
{
    std::string base = settings::TempDir;
    if (base.empty()) {
        const char* env = std::getenv("TMPDIR");
        base = env && *env ? env : "/tmp";
    }
    return AddBackslash(base);
}

// A write lock on the whole of fd's file, held by its open file
// description (the descriptor and every copy of it, in this process or a
// started one).
bool LockWhole(int fd)
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Locks the lock file of the folder Path (without the separator). The
// descriptor when the lock was free (the folder's owner has ended), -1
// when somebody holds it or there is no lock file of this user.
int LockOfEnded(const std::string& Path)
{
    const int fd = ::open((Path + "/" + LockName).c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || !LockWhole(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The locked lock file of a folder being made; -1 when it cannot be made,
// with the system's reason in errno.
int MakeLock(const std::string& Path)
{
    const int fd = ::open((Path + "/" + LockName).c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 && !LockWhole(fd)) {
        const int cause = errno;
        ::close(fd);
        errno = cause;
        return -1;
    }
    return fd;
}

bool RemoveTree(const std::string& Path);

// Removes everything in the open folder Fd (Path by name) and closes it.
// Names go relative to the folder's descriptor, so that a link planted
// under Path meanwhile is never followed; a subfolder takes one more
// descriptor while it is emptied, and when none is left it goes by its
// path after this folder's descriptor has been let go.
bool EmptyFolder(int Fd, const std::string& Path)
{
    DIR* d = ::fdopendir(Fd);
    if (!d) {
        ::close(Fd);
        return false;
    }
    std::vector<std::string> names, folders;
    while (const dirent* e = ::readdir(d))
        if (std::string name = e->d_name; name != "." && name != "..")
            names.push_back(std::move(name));
    bool all = true;
    for (const std::string& name : names)
        if (::unlinkat(::dirfd(d), name.c_str(), 0) != 0 && errno != ENOENT) {
            if (errno == EISDIR || errno == EPERM)
                folders.push_back(name);
            else
                all = false;
        }
    std::size_t k = 0;
    for (; k < folders.size(); ++k) {
        const char* name = folders[k].c_str();
        if (::unlinkat(::dirfd(d), name, AT_REMOVEDIR) == 0 || errno == ENOENT)
            continue;
        const int sub = ::openat(::dirfd(d), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub < 0 && (errno == EMFILE || errno == ENFILE))
            break;
        all = sub >= 0 && EmptyFolder(sub, Path + "/" + name) &&
              (::unlinkat(::dirfd(d), name, AT_REMOVEDIR) == 0 || errno == ENOENT) && all;
    }
    ::closedir(d);
    for (; k < folders.size(); ++k)
        all = RemoveTree(Path + "/" + folders[k]) && all;
    return all;
}

// Removes Path and everything in it, links as links. An empty folder or
// a file takes no descriptor, so that a run short of them still leaves
// nothing. True when nothing of it is left.
bool RemoveTree(const std::string& Path)
{
    if (::rmdir(Path.c_str()) == 0 || errno == ENOENT)
        return true;
    if (errno == ENOTDIR)
        return ::unlink(Path.c_str()) == 0 || errno == ENOENT;
    if (errno != ENOTEMPTY && errno != EEXIST)
        return false;
    const int fd = ::open(Path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT; // another start removed it meanwhile
    return EmptyFolder(fd, Path) && (::rmdir(Path.c_str()) == 0 || errno == ENOENT);
}

// Removes a folder being made, Path, that did not become the private
// folder: its lock file by name, then the folder, which needs no
// descriptor.
void DropUnmade(const std::string& Path)
{
    if (!OwnFolder(Path))
        return; // a start removed it meanwhile
    ::unlink((Path + "/" + LockName).c_str());
    RemoveTree(Path);
}

// Makes a folder under its final name with its lock held: it is made as
// .kt4new-XXXXXX, given its locked lock file and only then renamed, so
// that a kt4- folder always has its lock file and a start that finds it
// unlocked knows its owner has ended. A start removes any .kt4new- folder
// it finds (a start cut short, or one about to rename): the rename of a
// folder removed that way fails and the maker tries again. The folder
// with a trailing separator, and its lock in Lock; "" when none can be made,
// with the system's reason in Err. Whatever fails, the folder being made
// goes again; only a name that a start removed or another folder holds is
// tried again, anything else (no descriptor, no room) ends the making at
// its first failure.
std::string MakeLockedFolder(const std::string& Base, int& Lock, int& Err)
{
    Err = EEXIST; // every name was taken
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string fresh = Base + NewPrefix + "XXXXXX";
        if (::mkdtemp(fresh.data()) == nullptr) {
            Err = errno;
            return {};
        }
        ::chmod(fresh.c_str(), 0700);
        const std::string named = Base + Prefix + fresh.substr(Base.size() + sizeof NewPrefix - 1);
        const int fd = MakeLock(fresh);
        int moved = -1;
        if (fd >= 0) {
            moved = ::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, named.c_str(), RENAME_NOREPLACE);
            if (moved != 0 && errno == EINVAL) // a file system without the flag
                moved = ::rename(fresh.c_str(), named.c_str());
        }
        if (moved == 0) {
            Lock = fd;
            return named + "/";
        }
        const int cause = errno;
        if (fd >= 0)
            ::close(fd);
        DropUnmade(fresh);
        Err = cause;
        // a start removed it, or the name is taken: again under a new name
        if (cause != ENOENT && cause != EEXIST && cause != ENOTEMPTY)
            return {};
    }
    return {};
}

void RemoveAtExit() { RemovePrivateTempDir(); }

// Removes the folder Path (a kt4-XXXXXX whose lock the caller holds in
// Lock, or a .kt4new-XXXXXX): it is renamed to .kt4gone-XXXXXX first, so
// that a removal cut short (kill -9) leaves nothing a start would have to
// prove ended. The lock is let go once the folder has that name (which
// frees its descriptor for the removal).
bool RemoveFolder(const std::string& Path, int Lock = -1)
{
    const std::string name = fs::path(Path).filename().string();
    const std::string gone = FilePathPart(Path) + GonePrefix + name.substr(name.size() - 6);
    const bool renamed = ::rename(Path.c_str(), gone.c_str()) == 0;
    if (Lock >= 0)
        ::close(Lock);
    return RemoveTree(renamed ? gone : Path);
}

// The folder while this process owns it; "" else. Own().mutex is held.
const std::string& LiveFolder()
{
    static const std::string none;
    State& s = Own();
    if (s.folder.empty() || s.owner != ::getpid() || !OwnFolder(s.folder.substr(0, s.folder.size() - 1)))
        return none;
    return s.folder;
}

} // namespace

std::string PrivateTempDir()
{
    State& s = Own();
    std::lock_guard<std::mutex> hold(s.mutex);
    // A child after fork() does not share the parent's folder: the parent
    // removes it when it ends.
    if (!LiveFolder().empty())
        return s.folder;
    if (s.owner != ::getpid() && s.lock >= 0)
        ::close(s.lock); // the parent's; the parent keeps its own
    s.folder.clear();
    s.lock = -1;
    int lock = -1;
    const std::string base = BaseFolder();
    const std::string folder = MakeLockedFolder(base, lock, s.failure.error);
    if (folder.empty()) {
        s.failure.folder = base.size() > 1 ? base.substr(0, base.size() - 1) : base;
        return {};
    }
    s.lock = lock;
    s.folder = folder;
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(RemoveAtExit); });
    s.owner = ::getpid();
    return s.folder;
}

std::string PrivateTempSubdir(const std::string& Name)
{
    if (!ValidSubName(Name))
        return {};
    std::string base = PrivateTempDir();
    if (base.empty())
        return {};
    std::string sub = base + Name;
    if (::mkdir(sub.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    if (!OwnFolder(sub))
        return {};
    return sub + "/";
}

bool EmptyPrivateTempSubdir(const std::string& Name)
{
    if (!ValidSubName(Name))
        return true;
    std::string sub;
    {
        std::lock_guard<std::mutex> hold(Own().mutex);
        if (LiveFolder().empty())
            return true;
        sub = LiveFolder() + Name;
    }
    if (!OwnFolder(sub))
        return true;
    std::error_code ec;
    bool ok = true;
    for (fs::directory_iterator it(sub, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code rc;
        fs::remove_all(it->path(), rc); // links are removed, not followed
        if (rc)
            ok = false;
    }
    return ok && !ec;
}

bool PrivateTempDirExists()
{
    std::lock_guard<std::mutex> hold(Own().mutex);
    return !LiveFolder().empty();
}

bool InPrivateTempDir(const std::string& Path)
{
    std::string folder;
    {
        State& s = Own();
        std::lock_guard<std::mutex> hold(s.mutex);
        if (s.folder.empty() || s.owner != ::getpid() || Path.empty())
            return false;
        folder = s.folder;
    }
    std::error_code ec;
    const std::string base = fs::absolute(folder, ec).lexically_normal().string();
    const std::string path = fs::absolute(Path, ec).lexically_normal().string();
    return !ec && base.size() > 1 && base.back() == '/' && path.size() > base.size() &&
           path.compare(0, base.size(), base) == 0;
}

namespace {

// Own().mutex is held.
void RemoveHeld(State& s)
{
    const bool mine = !s.folder.empty() && s.owner == ::getpid();
    const std::string path = mine ? s.folder.substr(0, s.folder.size() - 1) : std::string();
    s.folder.clear();
    if (s.lock >= 0)
        ::close(s.lock);
    const bool locked = s.lock >= 0;
    s.lock = -1;
    if (!mine || !OwnFolder(path))
        return;
    // A program started with the folder (the plot program) may still read
    // from it: then a later start removes it, when that program has ended.
    const int lock = locked ? LockOfEnded(path) : -1;
    if (locked && lock < 0)
        return;
    RemoveFolder(path, lock);
}

} // namespace

void RemovePrivateTempDir()
{
    State& s = Own();
    std::lock_guard<std::mutex> hold(s.mutex);
    RemoveHeld(s);
}

void RemovePrivateTempDirAndExit(int Code)
{
    State& s = Own();
    s.mutex.lock(); // no new folder after this: the process ends
    RemoveHeld(s);
    ::_exit(Code);
}

int RemoveEndedPrivateTempDirs()
{
    const std::string base = BaseFolder();
    std::string own;
    {
        std::lock_guard<std::mutex> hold(Own().mutex);
        own = LiveFolder();
    }
    // the names first, so that no descriptor of the folder stays open
    // while its entries go
    std::vector<std::string> names;
    if (DIR* d = ::opendir(base.c_str())) {
        while (const dirent* e = ::readdir(d))
            names.emplace_back(e->d_name);
        ::closedir(d);
    }
    int removed = 0;
    const std::size_t nameSize = sizeof Prefix - 1 + 6;
    for (const std::string& name : names) {
        const std::string path = base + name;
        if (name.size() == sizeof GonePrefix - 1 + 6 && name.compare(0, sizeof GonePrefix - 1, GonePrefix) == 0) {
            if (OwnFolder(path))
                RemoveTree(path); // a removal cut short
            continue;
        }
        if (name.size() == sizeof NewPrefix - 1 + 6 && name.compare(0, sizeof NewPrefix - 1, NewPrefix) == 0) {
            if (OwnFolder(path) && RemoveFolder(path)) // its maker, if alive, tries again
                ++removed;
            continue;
        }
        if (name.size() != nameSize || name.compare(0, sizeof Prefix - 1, Prefix) != 0)
            continue;
        if (path + "/" == own || !OwnFolder(path))
            continue;
        const int lock = LockOfEnded(path);
        if (lock < 0)
            continue;
        if (RemoveFolder(path, lock))
            ++removed;
    }
    return removed;
}

PrivateTempDirFailure LastPrivateTempDirFailure()
{
    std::lock_guard<std::mutex> hold(Own().mutex);
    return Own().failure;
}

std::string TempFolderFailureText(const std::string& UserFile)
{
    const std::string text = TempFolderFailureText();
    return UserFile.empty() ? text : text + ": " + DisplayToOem(UserFile) + " wurde nicht geschrieben.";
}

std::string TempFileFailureText(int Code, int SysErr, const std::string& UserFile)
{
    const std::string told = WriteFailureText(Code, SysErr, UserFile);
    const bool place = SysErr == ENOSPC || SysErr == EDQUOT || (Code == IoWriteFailed && SysErr == 0) ||
                       Code == IoWriteProtected || SysErr == EACCES || SysErr == EPERM || SysErr == EROFS;
    if (!place)
        return told;
    std::string folder;
    {
        std::lock_guard<std::mutex> hold(Own().mutex);
        folder = LiveFolder().empty() ? BaseFolder() : FilePathPart(StripBackslash(LiveFolder()));
    }
    return DisplayToOem("Temporärer Ordner " + StripBackslash(folder) + ": ") + told;
}

PrivateTempDirHeld::PrivateTempDirHeld() : hold_(Own().mutex)
{
    State& s = Own();
    if (!LiveFolder().empty() && s.lock >= 0 && ::fcntl(s.lock, F_SETFD, 0) == 0)
        fd_ = s.lock;
}

PrivateTempDirHeld::~PrivateTempDirHeld()
{
    if (fd_ >= 0 && fd_ == Own().lock)
        ::fcntl(fd_, F_SETFD, FD_CLOEXEC);
}

void NoteRunEnding() { ending = true; }

bool RunEnding() { return ending; }

} // namespace kt4
