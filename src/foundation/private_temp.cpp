// The process's private temporary folder under TempDir.
#include "foundation/private_temp.h"

#include "foundation/codepage.h"
#include "foundation/file_trust.h"
#include "foundation/io_codes.h"
#include "foundation/paths.h"
#include "foundation/settings.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <utility>
#include <unistd.h>
#include <vector>

namespace kt4 {

namespace fs = std::filesystem;

namespace {

constexpr char Prefix[] = "kt4-";
constexpr char NewPrefix[] = ".kt4new-";   // a folder being made
constexpr char GonePrefix[] = ".kt4gone-"; // a folder on its way out
constexpr char LockName[] = ".lock";

// The folder the private folder is made in, as chosen for one value of
// TempDir and TMPDIR (key).
struct Choice {
    bool made = false;
    std::string key;
    std::string folder; // with a trailing separator; "" when none passed
    PrivateTempDirFailure refusal; // why none passed
};

// The state, never destroyed, so that exit handlers of any order and the
// clean-up of a signal on another thread may still use it.
struct State {
    Choice choice;
    std::string note; // the choice's note until it is taken
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

// A path without its trailing separator ("/" stays).
std::string Bare(const std::string& Folder)
{
    return Folder.size() > 1 && Folder.back() == '/' ? Folder.substr(0, Folder.size() - 1) : Folder;
}

// Why a folder on the path is not closed (UTF-8); "" when the path may be
// used: it is closed, or it cannot be looked at though everything above
// it is closed, so that only this user or root could change that.
std::string NotClosedText(const FolderPathCheck& Check)
{
    using Why = FolderPathCheck::Why;
    static const struct {
        Why why;
        const char* before;
        const char* after;
    } texts[] = {
        {Why::OtherOwner, "", " gehört einem anderen Benutzer"},
        {Why::OthersWrite, "andere Benutzer dürfen in ", " Namen ändern"},
        {Why::OthersLink, "", " ist eine Verknüpfung eines anderen Benutzers"},
    };
    for (const auto& t : texts)
        if (t.why == Check.why)
            return t.before + Check.folder + t.after;
    return {};
}

// The choice for the present TempDir and TMPDIR. Own().mutex is held.
const Choice& Chosen()
{
    State& s = Own();
    const char* env = std::getenv("TMPDIR");
    const std::string tmpdir = env && *env ? AddBackslash(env) : std::string();
    std::string asked = settings::TempDir.empty() ? tmpdir : AddBackslash(settings::TempDir);
    const std::string source = asked.empty() ? "" : asked == tmpdir ? "TMPDIR" : "der Konfiguration";
    if (asked.empty())
        asked = "/tmp/";
    if (s.choice.made && s.choice.key == source + ":" + asked)
        return s.choice;
    Choice c;
    c.made = true;
    c.key = source + ":" + asked;
    const uid_t user = ::geteuid();
    const std::string why = NotClosedText(CheckFolderPath(Bare(asked), user));
    if (why.empty()) {
        c.folder = asked;
    } else if (Bare(asked) == "/tmp") {
        c.refusal = {"/tmp", 0, DisplayToOem(why)};
    } else if (const std::string whyTmp = NotClosedText(CheckFolderPath("/tmp", user)); whyTmp.empty()) {
        c.folder = "/tmp/";
        s.note = DisplayToOem("Ordner für temporäre Dateien " + Bare(asked) + " aus " + source +
                              " wird nicht benutzt: " + why + "; der Ordner /tmp wird benutzt.");
    } else {
        c.refusal = {Bare(asked) + " und /tmp", 0, DisplayToOem(why + "; " + whyTmp)};
    }
    s.choice = std::move(c);
    return s.choice;
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
// unlocked knows its owner has ended. A start removes a .kt4new- folder
// whose lock nobody holds (a start cut short, or one that has not taken
// its lock yet): the maker's lock or rename then fails and it tries
// again. The folder
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
    const Choice& chosen = Chosen();
    if (chosen.folder.empty()) {
        s.failure = chosen.refusal;
        return {};
    }
    s.failure = {};
    const std::string folder = MakeLockedFolder(chosen.folder, lock, s.failure.error);
    if (folder.empty()) {
        s.failure.folder = Bare(chosen.folder);
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

std::string PrivateTempBase()
{
    std::lock_guard<std::mutex> hold(Own().mutex);
    return Chosen().folder;
}

std::string TakeTempFolderNote()
{
    std::lock_guard<std::mutex> hold(Own().mutex);
    return std::exchange(Own().note, {});
}

namespace {

enum class LockState { None, Held, Free };

// The lock file in the folder open on Dir: None when there is no lock
// file of this user, Held while its owner (or a program it started)
// lives, Free when its owner has ended; then Lock holds it.
LockState LockIn(int Dir, int& Lock)
{
    Lock = -1;
    const int fd = ::openat(Dir, LockName, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return LockState::None;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return LockState::None;
    }
    if (!LockWhole(fd)) {
        ::close(fd);
        return LockState::Held;
    }
    Lock = fd;
    return LockState::Free;
}

// What the clean-up of ended runs removes, by the name's prefix: a private
// folder only when its lock is free; a folder being made or on its way
// out unless its lock is held (a live maker, or a live folder renamed).
const struct {
    const char* prefix;
    bool needsFreeLock;
    bool counts; // a folder of an ended run (a removal cut short does not count)
    bool renameFirst;
} SweptKinds[] = {
    {Prefix, true, true, true},
    {NewPrefix, false, true, true},
    {GonePrefix, false, false, false},
};

} // namespace

int RemoveEndedPrivateTempDirs()
{
    std::string base, own;
    {
        std::lock_guard<std::mutex> hold(Own().mutex);
        base = Chosen().folder;
        own = LiveFolder();
    }
    if (base.empty())
        return 0; // a folder passed over is never swept
    // Everything below is decided on what was opened: the base (closed, so
    // that only this user and root may rename in it), each folder relative
    // to it and each folder's lock file relative to that folder.
    const int dir = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return 0;
    struct stat st {};
    std::vector<std::string> names;
    DIR* d = nullptr;
    if (::fstat(dir, &st) == 0 && FolderIsClosed(dir, st, ::geteuid())) {
        const int listed = ::dup(dir);
        d = listed >= 0 ? ::fdopendir(listed) : nullptr;
        if (!d && listed >= 0)
            ::close(listed);
    }
    if (d) {
        while (const dirent* e = ::readdir(d))
            names.emplace_back(e->d_name);
        ::closedir(d);
    }
    int removed = 0;
    for (const std::string& name : names) {
        for (const auto& kind : SweptKinds) {
            const std::size_t size = std::strlen(kind.prefix);
            if (name.size() != size + 6 || name.compare(0, size, kind.prefix) != 0)
                continue;
            if (base + name + "/" == own)
                break;
            const int fd = ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0)
                break;
            if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 0777) != 0700) {
                ::close(fd);
                break;
            }
            int lock = -1;
            const LockState state = LockIn(fd, lock);
            if (state == LockState::Held || (kind.needsFreeLock && state != LockState::Free)) {
                ::close(fd);
                break;
            }
            // first renamed, so that a removal cut short leaves nothing a
            // start would have to prove ended
            std::string at = name;
            const std::string gone = GonePrefix + name.substr(size);
            if (kind.renameFirst && ::renameat(dir, name.c_str(), dir, gone.c_str()) == 0)
                at = gone;
            if (lock >= 0)
                ::close(lock);
            const bool went =
                EmptyFolder(fd, base + at) && (::unlinkat(dir, at.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT);
            if (went && kind.counts)
                ++removed;
            break;
        }
    }
    ::close(dir);
    return removed;
}

PrivateTempDirFailure LastPrivateTempDirFailure()
{
    std::lock_guard<std::mutex> hold(Own().mutex);
    return Own().failure;
}

std::string TempFolderFailureText()
{
    const PrivateTempDirFailure why = LastPrivateTempDirFailure();
    return DisplayToOem("Temporärer Ordner " + why.folder + " kann nicht angelegt werden (") +
           (why.reason.empty() ? std::string(std::strerror(why.error != 0 ? why.error : EIO)) : why.reason) + ")";
}

std::string TempFolderFailureText(const std::string& UserFile)
{
    const std::string text = TempFolderFailureText();
    return UserFile.empty() ? text : text + ": " + DisplayToOem(UserFile) + " wurde nicht geschrieben.";
}

std::string TempFileFailureText(int Code, int SysErr, const std::string& UserFile)
{
    const std::string told = WriteFailureText(Code, SysErr, UserFile);
    if (!FailureOfThePlace(Code, SysErr))
        return told;
    std::string folder;
    {
        std::lock_guard<std::mutex> hold(Own().mutex);
        const Choice& chosen = Chosen();
        folder = !LiveFolder().empty() ? FilePathPart(StripBackslash(LiveFolder()))
                 : chosen.folder.empty() ? chosen.refusal.folder
                                         : chosen.folder;
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
