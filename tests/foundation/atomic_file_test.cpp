// The atomic writer: what the replaced file keeps, what it refuses to
// replace (also for an ordinary user, in a child process as nobody), the
// temporaries of ended processes and what another run does to a temporary
// between two calls of its writer; new files under unique names.
#include "foundation/atomic_file.h"
#include "foundation/dialogs.h"
#include "foundation/file_trust.h"
#include "foundation/linefile.h"
#include "foundation/report.h"
#include "foundation/unique_file.h"

#include "common/acl.h"
#include "output_fixture.h"

#include <cstdarg>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <iostream>
#include <filesystem>
#include <fstream>
#include <sched.h>
#include <set>
#include <algorithm>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <vector>

using namespace kt4;
namespace fs = std::filesystem;

// This test program is linked with fcntl and close wrapped (CMakeLists.txt):
// a test arms one of them to act as another run would at that moment.
extern "C" {
int __real_fcntl(int fd, int cmd, ...);
int __real_close(int fd);
}

namespace {

// Once, at the next lock or close of a temporary: gets its name.
std::function<void(const std::string&)> atTempLock, afterTempClose;
// Once, after the next close of a descriptor on the file watchedName (a
// look at a name included); every path closed meanwhile goes to closedPaths.
std::function<void()> afterNameClose;
std::string watchedName;
std::vector<std::string> closedPaths;

// The path of the file fd is open on.
std::string PathOf(int fd)
{
    char link[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), link, sizeof link - 1);
    return std::string(link, n > 0 ? std::size_t(n) : 0u);
}

// The name of the temporary fd is open on ("" for any other file); a name
// that is gone still counts.
std::string TempOf(int fd)
{
    char link[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), link, sizeof link - 1);
    std::string path(link, n > 0 ? std::size_t(n) : 0u);
    const std::string gone = " (deleted)";
    if (path.size() > gone.size() && path.compare(path.size() - gone.size(), gone.size(), gone) == 0)
        path.resize(path.size() - gone.size());
    return fs::path(path).filename().string().rfind(".kt4tmp-", 0) == 0 ? path : "";
}

void RunOnce(std::function<void(const std::string&)>& action, const std::string& temp)
{
    if (!action || temp.empty())
        return;
    auto run = std::move(action);
    action = nullptr;
    run(temp);
}

} // namespace

extern "C" int __wrap_fcntl(int fd, int cmd, ...)
{
    va_list args;
    va_start(args, cmd);
    void* arg = va_arg(args, void*);
    va_end(args);
    if (cmd == F_OFD_SETLK && static_cast<struct flock*>(arg)->l_type == F_WRLCK)
        RunOnce(atTempLock, TempOf(fd));
    return __real_fcntl(fd, cmd, arg);
}

extern "C" int __wrap_close(int fd)
{
    const std::string temp = afterTempClose ? TempOf(fd) : "";
    const std::string path = afterNameClose || !watchedName.empty() ? PathOf(fd) : "";
    const int result = __real_close(fd);
    RunOnce(afterTempClose, temp);
    if (!path.empty())
        closedPaths.push_back(path);
    if (afterNameClose && path == watchedName) {
        auto run = std::move(afterNameClose);
        afterNameClose = nullptr;
        run();
    }
    return result;
}

namespace {

class AtomicFiles : public kt4::testing::OutputTest {
protected:
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.Path()))
            names.insert(e.path().filename().string());
        return names;
    }
    bool LoggedText(const std::string& kind, const std::string& text) const
    {
        for (const auto& l : Logged(kind))
            if (l.find(text) != std::string::npos)
                return true;
        return false;
    }
};

struct stat StatOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

mode_t Umask()
{
    mode_t m = ::umask(0);
    ::umask(m);
    return m;
}

pid_t EndedProcess()
{
    pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

// A writer of Target in a PID namespace of its own, as pid 4000000, which
// means nothing here; it lives until Release is closed. Its temporary.
std::string WriterInOtherPidNamespace(const std::string& Target, int& Release)
{
    int path[2], release[2];
    if (::pipe(path) != 0 || ::pipe(release) != 0)
        return "";
    if (::fork() == 0) {
        ::close(release[1]);
        if (::unshare(CLONE_NEWPID) == 0 && ::fork() == 0) { // the namespace's first process
            std::ofstream("/proc/sys/kernel/ns_last_pid") << 3999999;
            AtomicWriter w;
            if (::fork() == 0 && w.Open(Target)) {
                [[maybe_unused]] ssize_t n = ::write(path[1], w.TempPath().data(), w.TempPath().size());
                char end;
                n = ::read(release[0], &end, 1);
                w.Discard();
            }
        }
        ::close(path[1]);
        ::wait(nullptr);
        ::_exit(0);
    }
    ::close(path[1]);
    ::close(release[0]);
    Release = release[1];
    char buf[4096];
    const ssize_t n = ::read(path[0], buf, sizeof buf);
    ::close(path[0]);
    return std::string(buf, n > 0 ? std::size_t(n) : 0u);
}

} // namespace

TEST_F(AtomicFiles, ReplacementKeepsModeAndOwnerAndLeavesNoTemporary)
{
    const std::string p = dir.File("p.kt4");
    dir.Put("p.kt4", "old");
    ::chmod(p.c_str(), 0640);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(p.c_str(), 65534, 65534), 0);
    }

    AtomicWriter w;
    ASSERT_TRUE(w.Open(p));
    const std::string temp = fs::path(w.TempPath()).filename().string();
    EXPECT_EQ(temp.rfind(".kt4tmp-" + std::to_string(::getpid()) + "-", 0), 0u);
    EXPECT_EQ(temp.substr(temp.size() - 6), "-p.kt4");
    EXPECT_EQ(StatOf(w.TempPath()).st_mode & 0777, 0600u); // private while written
    ASSERT_TRUE(w.Write("new text"));
    ASSERT_TRUE(w.WriteAt(0, "N", 1)); // a header filled in last
    EXPECT_EQ(dir.Get("p.kt4"), "old");
    ASSERT_TRUE(w.Commit());
    EXPECT_EQ(dir.Get("p.kt4"), "New text");
    EXPECT_EQ(StatOf(p).st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(StatOf(p).st_uid, 65534u);
        EXPECT_EQ(StatOf(p).st_gid, 65534u);
    }
    EXPECT_EQ(Names(), std::set<std::string>{"p.kt4"});

    // A new file gets the usual mode; a kept descriptor is the target's.
    ASSERT_TRUE(w.Open(dir.File("neu.dbf")));
    ASSERT_TRUE(w.Write("x"));
    int fd = w.CommitAndRelease();
    ASSERT_GE(fd, 0);
    struct stat kept {};
    ::fstat(fd, &kept);
    ::close(fd);
    EXPECT_EQ(kept.st_ino, StatOf(dir.File("neu.dbf")).st_ino);
    EXPECT_EQ(StatOf(dir.File("neu.dbf")).st_mode & 0777, 0666u & ~Umask());

    // a private writer's file is this user's alone, whatever the old one was
    AtomicWriter list;
    list.MakePrivate();
    ASSERT_TRUE(list.Open(p));
    ASSERT_TRUE(list.Write("New text"));
    ASSERT_TRUE(list.Commit());
    EXPECT_EQ(StatOf(p).st_mode & 07777, 0600u);
    EXPECT_EQ(StatOf(p).st_uid, ::geteuid());

    ASSERT_TRUE(w.Open(p, true)); // appending, then dropped
    ASSERT_TRUE(w.Write("more"));
    w.Discard();
    EXPECT_EQ(dir.Get("p.kt4"), "New text");
    EXPECT_EQ(Names(), (std::set<std::string>{"neu.dbf", "p.kt4"}));
}

TEST_F(AtomicFiles, NamesThatAreNoFileAreRefused)
{
    fs::create_directory(dir.File("ordner.txt"));
    ASSERT_EQ(::mkfifo(dir.File("fifo.txt").c_str(), 0666), 0);
    for (const char* name : {"ordner.txt", "fifo.txt"}) {
        AtomicWriter w;
        EXPECT_FALSE(w.Open(dir.File(name))) << name; // never blocks on the FIFO
        EXPECT_EQ(w.Refused(), AtomicWriter::Refusal::NotAFile) << name;
        LineFile f;
        f.Assign(dir.File(name));
        EXPECT_FALSE(RewriteChecked(f));
        EXPECT_EQ(f.IoError(), IoNotAFile);
        EXPECT_EQ(Logged("error").back(),
                  "error|Fehler : |Ungültiger Dateiname \"" + dir.File(name) + "\" !");
    }
    EXPECT_TRUE(fs::is_fifo(dir.File("fifo.txt")));
    EXPECT_EQ(Names(), (std::set<std::string>{"fifo.txt", "ordner.txt"}));
    AtomicWriter none; // no name: nothing written anywhere (the working folder)
    EXPECT_FALSE(none.Open(""));
    EXPECT_EQ(none.Errno(), ENOENT);
    // A character device (a printer port) is written directly, waiting
    // for it like any file.
    AtomicWriter dev;
    ASSERT_TRUE(dev.Open("/dev/null"));
    EXPECT_EQ(::fcntl(dev.Fd(), F_GETFL) & O_NONBLOCK, 0);
    ASSERT_TRUE(dev.Write("to the printer"));
    EXPECT_TRUE(dev.Commit());
    // a link to nothing is replaced itself
    fs::create_symlink(dir.File("nichts"), dir.File("leer.txt"));
    ASSERT_TRUE(dev.Open(dir.File("leer.txt")));
    ASSERT_TRUE(dev.Write("neu"));
    ASSERT_TRUE(dev.Commit());
    EXPECT_FALSE(fs::is_symlink(dir.File("leer.txt")));
    EXPECT_EQ(dir.Get("leer.txt"), "neu");
}

// The name is looked at (never opened) and then opened as what it was
// found to be: when another file takes its place in between, a FIFO or a
// device (standing in for a terminal) or a link to one, nothing is read
// from it or written to it, and a link is not even opened; the writer
// refuses it as planted.
TEST_F(AtomicFiles, ANameSwappedAfterItWasLookedAtIsNeitherReadNorWritten)
{
    const std::string name = dir.File("p.txt"), fifo = dir.File("fifo");
    const bool root = ::geteuid() == 0;
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int held = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK); // both ends: nobody waits
    ASSERT_GE(held, 0);
    ASSERT_EQ(::write(held, "Eingabe", 7), 7);
    const struct {
        const char* what;
        bool device; // p.txt is a character device when it is looked at
        bool keepOld;
        bool asLink; // the FIFO comes as a link to it, else itself
    } cases[] = {
        {"a file, appended to, becomes a link to the FIFO", false, true, true},
        {"a file, appended to, becomes the FIFO", false, true, false},
        {"a device becomes a link to the FIFO", true, false, true},
        {"a device becomes the FIFO", true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.device && !root) {
            std::cout << "[ NOTE ] making a device node needs root: " << c.what << " is left out\n";
            continue;
        }
        fs::remove(name);
        if (c.device)
            ASSERT_EQ(::mknod(name.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0); // the null device's numbers
        else
            dir.Put("p.txt", "alt");
        const std::string moved = dir.File("vorher");
        afterNameClose = [&] {
            closedPaths.clear(); // what is opened from now on
            fs::rename(name, moved);
            if (c.asLink)
                fs::create_symlink(fifo, name);
            else
                fs::rename(fifo, name);
        };
        watchedName = name;
        closedPaths.clear();
        AtomicWriter w;
        const bool opened = w.Open(name, c.keepOld) && w.Write("Ausgabe") && w.Commit();
        const std::vector<std::string> closed = closedPaths;
        watchedName.clear();
        EXPECT_FALSE(afterNameClose) << "the name was never looked at";
        afterNameClose = nullptr;
        EXPECT_FALSE(opened);
        EXPECT_EQ(w.Refused(), AtomicWriter::Refusal::NameTaken);
        const std::string fifoNow = c.asLink ? fifo : name;
        EXPECT_EQ(std::count(closed.begin(), closed.end(), fifoNow), c.asLink ? 0 : 1) << "opened";
        char got[16] = {};
        EXPECT_EQ(::read(held, got, sizeof got), 7) << "read or written";
        EXPECT_EQ(std::string(got, 7), "Eingabe");
        ASSERT_EQ(::write(held, "Eingabe", 7), 7);
        if (!c.asLink)
            fs::rename(name, fifo);
        fs::remove(name);
        fs::remove(moved);
    }
    ::close(held);
}

// As an ordinary user, in a folder where that user may create and rename
// files: the rename would replace a read-only file, so the writer refuses
// it, and every way of writing tells "Schreibschutz entfernen !".
TEST_F(AtomicFiles, WriteProtectedFilesStayAndTheUserIsTold)
{
    dir.OpenToAll();
    for (const char* name : {"kt4.cfg", "p.txt", "p.kt4"}) {
        dir.Put(name, std::string("old ") + name);
        ::chmod(dir.File(name).c_str(), 0444);
    }
    dir.Put("report.tmp", "Zeile\r\n");
    dir.Put("frei.txt", "old");
    ::chmod(dir.File("frei.txt").c_str(), 0666);
    fs::create_directory(dir.File("zu"));
    int code = kt4::testing::AsUserNobody([&] {
        AtomicWriter w;
        if (w.Open(dir.File("kt4.cfg")) || w.Refused() != AtomicWriter::Refusal::WriteProtected)
            return 1;
        LineFile cfg;
        cfg.Assign(dir.File("kt4.cfg"));
        if (RewriteRetry(cfg) || !LoggedText("yesnocancel", "Schreibschutz entfernen !   Wiederholen ?"))
            return 2;
        settings::AbortFlag = false;
        CopyTextFileToDisplay(dir.File("report.tmp"), dir.File("p.txt"));
        if (!settings::AbortFlag ||
            !LoggedText("error", "Schreibschutz entfernen !: " + dir.File("p.txt") + " wurde nicht geschrieben."))
            return 3;
        settings::AbortFlag = false;
        dialogs::AskOverwrite = false;
        CheckOutputFile(dir.File("p.kt4"));
        if (!settings::AbortFlag || !LoggedText("error", "Schreibschutz entfernen !  \"" + dir.File("p.kt4")))
            return 4;
        settings::AbortFlag = false;
        LineFile ro; // a folder this user may not write
        ro.Assign(dir.File("zu/neu.txt"));
        if (RewriteChecked(ro) ||
            !LoggedText("error", "Schreibschutz entfernen !: " + dir.File("zu/neu.txt") + " wurde nicht geschrieben."))
            return 6;
        settings::AbortFlag = false;
        CopyTextFileToDisplay(dir.File("report.tmp"), dir.File("frei.txt")); // the folder allows it
        return settings::AbortFlag ? 5 : 0;
    });
    EXPECT_EQ(code, 0) << "1 writer, 2 RewriteRetry, 3 printout, 4 CheckOutputFile, 5 writable file, "
                          "6 folder, 99 rights not dropped";
    for (const char* name : {"kt4.cfg", "p.txt", "p.kt4"})
        EXPECT_EQ(dir.Get(name), std::string("old ") + name);
    EXPECT_EQ(dir.Get("frei.txt"), "Zeile\r\n");
    EXPECT_EQ(Names().size(), 6u); // no temporary left
}

TEST_F(AtomicFiles, TemporariesOfEndedProcessesAreRemoved)
{
    const std::string dead = std::to_string(EndedProcess());
    const std::string self = std::to_string(::getpid());
    const std::string longName = std::string(250, 'a') + ".kt4";
    const std::string longTemp = (".kt4tmp-" + dead + "-0-" + longName).substr(0, 255);
    for (const std::string& name : std::vector<std::string>{
             ".kt4tmp-" + dead + "-0-p.kt4", ".kt4tmp-" + dead + "-17-p.kt4", ".kt4tmp-" + self + "-9-p.kt4",
          ".kt4tmp-" + dead + "-0-q.kt4", ".kt4tmp-" + dead + "-0-p.kt4x", ".p.kt4.Ab12Cd",
          ".kt4tmp-x-0-p.kt4", longTemp})
        dir.Put(name, "stale");
    // A live writer of this process and one that ended (its pid is this
    // one's too: in a container every run may be pid 1).
    AtomicWriter running;
    ASSERT_TRUE(running.Open(dir.File("p.kt4")));
    const std::string liveTemp = fs::path(running.TempPath()).filename().string();
    AtomicWriter w;
    ASSERT_TRUE(w.Open(dir.File("p.kt4")));
    ASSERT_TRUE(w.Write("new"));
    ASSERT_TRUE(w.Commit());
    EXPECT_EQ(RemoveStaleTemporaries(dir.File(longName)), 1);
    // Only those of p.kt4 whose writer has ended went; nothing else.
    EXPECT_EQ(Names(), (std::set<std::string>{"p.kt4", liveTemp, ".kt4tmp-" + dead + "-0-q.kt4",
                                              ".kt4tmp-" + dead + "-0-p.kt4x", ".p.kt4.Ab12Cd",
                                              ".kt4tmp-x-0-p.kt4"}));
    // a start clears the shared folder of those of every name
    EXPECT_EQ(RemoveStaleTemporariesIn(dir.Path()), 2);
    EXPECT_EQ(Names(), (std::set<std::string>{"p.kt4", liveTemp, ".p.kt4.Ab12Cd", ".kt4tmp-x-0-p.kt4"}));
    running.Discard();

    // Another user's (root may remove them) and a live writer's whose pid
    // means nothing here stay.
    if (::geteuid() != 0)
        GTEST_SKIP() << "another user needs root";
    for (const std::string& name : {".kt4tmp-" + dead + "-0-p.kt4", std::string(".kt4tmp-4000001-0-p.kt4")}) {
        dir.Put(name, "nobody's");
        ASSERT_EQ(::chown(dir.File(name).c_str(), 65534, 65534), 0);
    }
    int release = -1;
    const std::string live = WriterInOtherPidNamespace(dir.File("p.kt4"), release);
    EXPECT_NE(live.find("/.kt4tmp-4000000-"), std::string::npos) << live;
    EXPECT_EQ(RemoveStaleTemporaries(dir.File("p.kt4")) + RemoveStaleTemporariesIn(dir.Path()), 0);
    EXPECT_TRUE(fs::exists(live)) << live;
    ::close(release);
    ::wait(nullptr);
    EXPECT_TRUE(Names().count(".kt4tmp-" + dead + "-0-p.kt4") && Names().count(".kt4tmp-4000001-0-p.kt4"));
}

// Temporaries that a keep list names (by path or by name, before a tab)
// outlive their writer, whichever sweep runs; the others go. Only this
// user's lists of a few lines count: a link, a list larger than any keep
// list and another user's (root may plant it) keep nothing.
TEST_F(AtomicFiles, TemporariesAKeepListNamesStay)
{
    const std::string dead = std::to_string(EndedProcess());
    const std::string kept = ".kt4tmp-" + dead + "-1-t.dbf", byName = ".kt4tmp-" + dead + "-2-t.dbt";
    for (const std::string& name : {kept, byName, ".kt4tmp-" + dead + "-3-t.dbf", ".kt4tmp-" + dead + "-4-t.dbt"})
        dir.Put(name, "staged");
    dir.Put(".kt4keep-t.dbf", dir.File(kept) + "\tt.dbf\t6\n" + byName + "\n");
    EXPECT_EQ(RemoveStaleTemporaries(dir.File("t.dbf")) + RemoveStaleTemporariesIn(dir.Path()), 2);
    EXPECT_EQ(Names(), (std::set<std::string>{kept, byName, ".kt4keep-t.dbf"}));
    fs::remove(dir.File(".kt4keep-t.dbf"));
    EXPECT_EQ(RemoveStaleTemporariesIn(dir.Path()), 2);

    const std::string list = kept + "\n" + byName + "\n";
    dir.Put("list", list);
    dir.Put(".kt4keep-huge", list + std::string(MaxKeepListBytes, '\n'));
    fs::create_symlink(dir.File("list"), dir.File(".kt4keep-link"));
    for (const std::string& name : {kept, byName})
        dir.Put(name, "staged");
    if (::geteuid() == 0) {
        dir.Put(".kt4keep-nobody", list);
        ASSERT_EQ(::chown(dir.File(".kt4keep-nobody").c_str(), 65534, 65534), 0);
    }
    // lists others may change: by their mode, or an ACL (the mask shows
    // as group write of the user's own group)
    dir.Put(".kt4keep-open", list);
    ::chmod(dir.File(".kt4keep-open").c_str(), 0646);
    dir.Put(".kt4keep-acl", list);
    ::chmod(dir.File(".kt4keep-acl").c_str(), 0600);
    if (!kt4::test::GrantWriteAcl(dir.File(".kt4keep-acl"), 65534))
        std::cout << "[ NOTE ] this file system keeps no ACLs: a list with one is not tried\n";
    EXPECT_EQ(RemoveStaleTemporariesIn(dir.Path()), 2);
}

// Another run's sweep removes a temporary as soon as its lock is free, and
// a run in another container (the same pid, the same number) may then take
// its name: a writer holds the lock until its temporary has the target's
// name or is gone, so it loses no file and removes none of another run.
// A temporary taken between its creation and its lock is passed over.
TEST_F(AtomicFiles, ATemporaryIsLockedUntilItHasItsNameOrIsGone)
{
    const auto sweepAndTake = [](const std::string& temp) {
        ::unlink(temp.c_str());
        std::ofstream(temp) << "another run's";
    };
    const struct {
        const char* what;
        std::function<bool(AtomicWriter&)> end;
        bool written;
    } cases[] = {
        {"commit", [](AtomicWriter& w) { return w.Commit(); }, true},
        {"failed write", [](AtomicWriter& w) { return !w.WriteAt(-1, "x", 1) && w.Commit(); }, false},
        {"discard", [](AtomicWriter& w) { w.Discard(); return false; }, false},
    };
    for (const auto& c : cases) {
        dir.Put("p.kt4", "old");
        AtomicWriter w;
        ASSERT_TRUE(w.Open(dir.File("p.kt4"))) << c.what;
        const std::string temp = w.TempPath();
        ASSERT_TRUE(w.Write("mine")) << c.what;
        afterTempClose = sweepAndTake;
        EXPECT_EQ(c.end(w), c.written) << c.what;
        afterTempClose = nullptr;
        EXPECT_EQ(dir.Get("p.kt4"), c.written ? "mine" : "old") << c.what;
        if (!c.written) {
            EXPECT_EQ(kt4::testing::ReadFileBytes(temp), "another run's") << c.what;
        }
        fs::remove(temp);
    }

    std::string taken;
    atTempLock = [&](const std::string& temp) {
        taken = temp;
        sweepAndTake(temp);
    };
    AtomicWriter w;
    ASSERT_TRUE(w.Open(dir.File("p.kt4")));
    atTempLock = nullptr;
    ASSERT_NE(taken, "");
    EXPECT_NE(w.TempPath(), taken);
    ASSERT_TRUE(w.Write("mine"));
    ASSERT_TRUE(w.Commit());
    EXPECT_EQ(dir.Get("p.kt4"), "mine");
    EXPECT_EQ(kt4::testing::ReadFileBytes(taken), "another run's");
}

// A link is followed only where nobody else may move names: this user's
// or root's link in a closed folder below closed folders. Anywhere else
// (a sticky or plain folder everybody may write, a folder of a group with
// other members or of an ACL that lets another user write, a folder of
// another user, or any folder below a folder everybody may write) no link
// is followed, whoever owns it, and the file it names stays as it was; in
// the sticky folder a file of another user is not replaced. The group's
// members replace each other's files. The writer's own temporary names,
// planted, are passed over.
TEST_F(AtomicFiles, PlantedNamesInASharedFolderAreRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a second user needs root";
    dir.OpenToAll();
    const std::pair<const char*, mode_t> folders[] = {{"shared", 01777}, {"privat", 0777}, {"gruppe", 02775},
                                                      {"fremd", 0755},   {"acl", 0755},     {"zu", 0755}};
    for (const auto& [name, mode] : folders) {
        fs::create_directories(dir.File(name));
        ::chmod(dir.File(name).c_str(), mode);
    }
    ASSERT_EQ(::chown(dir.File("gruppe").c_str(), 0, kt4::test::NobodyId), 0); // nobody's group
    ASSERT_EQ(::chown(dir.File("fremd").c_str(), kt4::test::NobodyId, kt4::test::NobodyId), 0);
    const bool acl = kt4::test::GrantWriteAcl(dir.File("acl"), kt4::test::NobodyId);
    if (!acl)
        std::cout << "[ NOTE ] this file system keeps no ACLs: the folder with one is left out\n";
    dir.Put("ziel.txt", "Ziel");
    const std::string ziel = dir.File("ziel.txt");
    ASSERT_EQ(kt4::testing::AsUserNobody([&] {
                  bool ok = ::symlink(dir.File("shared/fremd.txt").c_str(), dir.File("privat/kette.txt").c_str()) == 0;
                  for (const char* folder : {"shared", "privat", "gruppe", "fremd", "acl"})
                      ok = ok && (::symlink(ziel.c_str(), dir.File(folder + std::string("/fremd.txt")).c_str()) == 0 ||
                                  (!acl && folder == std::string("acl")));
                  dir.Put("shared/datei.txt", "nobody");
                  dir.Put("gruppe/datei.txt", "nobody");
                  return ok ? 0 : 1;
              }),
              0);
    ASSERT_EQ(::symlink(ziel.c_str(), dir.File("shared/eigen.txt").c_str()), 0);
    ASSERT_EQ(::symlink(ziel.c_str(), dir.File("gruppe/eigen.txt").c_str()), 0);
    ASSERT_EQ(::symlink(ziel.c_str(), dir.File("zu/alt.txt").c_str()), 0);
    ASSERT_EQ(::lchown(dir.File("zu/alt.txt").c_str(), kt4::test::NobodyId, kt4::test::NobodyId), 0);
    // a folder of this user's alone, where its links are followed
    kt4::testing::ScratchDir own;
    const bool closed = CheckFolderPath(own.Path(), ::geteuid()).Closed();
    if (!closed)
        std::cout << "[ NOTE ] the temporary folder is open to others: no link can be followed in it\n";
    ASSERT_EQ(::symlink(ziel.c_str(), own.File("eigen.txt").c_str()), 0);
    ASSERT_EQ(::symlink(ziel.c_str(), own.File("alt.txt").c_str()), 0);
    ASSERT_EQ(::lchown(own.File("alt.txt").c_str(), kt4::test::NobodyId, kt4::test::NobodyId), 0);
    using R = AtomicWriter::Refusal;
    const std::string link = "Verknüpfung nicht verfolgt, andere Benutzer dürfen Namen in ihrem Ordner verschieben";
    const std::string file = "Name im gemeinsamen Ordner von einem anderen Benutzer belegt";
    const struct {
        std::string name;
        R refused;
        std::string target; // the file that is replaced
    } cases[] = {
        {dir.File("shared/fremd.txt"), R::UnsafeLink, ""},
        {dir.File("shared/datei.txt"), R::NameTaken, ""},
        {dir.File("privat/kette.txt"), R::UnsafeLink, ""},
        {dir.File("privat/fremd.txt"), R::UnsafeLink, ""},
        {dir.File("gruppe/fremd.txt"), R::UnsafeLink, ""},
        {dir.File("fremd/fremd.txt"), R::UnsafeLink, ""},
        {dir.File("acl/fremd.txt"), R::UnsafeLink, ""},
        {dir.File("shared/eigen.txt"), R::UnsafeLink, ""}, // this user's, in a closed folder below an open one
        {dir.File("gruppe/eigen.txt"), R::UnsafeLink, ""},
        {dir.File("zu/alt.txt"), R::UnsafeLink, ""},
        {own.File("alt.txt"), R::UnsafeLink, ""}, // another user's link may be swapped by its owner
        {own.File("eigen.txt"), closed ? R::None : R::UnsafeLink, closed ? ziel : ""},
        {dir.File("gruppe/datei.txt"), R::None, dir.File("gruppe/datei.txt")},
        {dir.File("shared/neu.txt"), R::None, dir.File("shared/neu.txt")},
    };
    for (const auto& c : cases) {
        if (!acl && c.name == dir.File("acl/fremd.txt"))
            continue;
        dir.Put("ziel.txt", "Ziel");
        AtomicWriter w;
        const bool written = c.refused == R::None;
        ASSERT_EQ(w.Check(c.name), written) << c.name;
        ASSERT_EQ(w.Open(c.name), written) << c.name;
        if (!written) {
            EXPECT_EQ(w.Refused(), c.refused) << c.name;
            LineFile f;
            f.Assign(c.name);
            EXPECT_FALSE(RewriteChecked(f));
            EXPECT_EQ(Logged("error").back(), "error|Fehler : |" + (c.refused == R::UnsafeLink ? link : file) + ": " +
                                                  c.name + " wurde nicht geschrieben.");
            EXPECT_EQ(dir.Get("ziel.txt"), "Ziel") << c.name;
            continue;
        }
        EXPECT_EQ(w.Target(), c.target);
        ASSERT_TRUE(w.Write("neu"));
        ASSERT_TRUE(w.Commit());
        EXPECT_EQ(kt4::testing::ReadFileBytes(c.target), "neu") << c.name;
    }
    EXPECT_EQ(StatOf(dir.File("gruppe/datei.txt")).st_uid, kt4::test::NobodyId);
    EXPECT_EQ(dir.Get("shared/datei.txt"), "nobody");
    EXPECT_TRUE(fs::is_symlink(dir.File("shared/fremd.txt")));

    // the writer's next 1000 temporary names
    AtomicWriter probe;
    ASSERT_TRUE(probe.Open(dir.File("shared/neu.txt")));
    const std::string temp = fs::path(probe.TempPath()).filename().string(); // .kt4tmp-<pid>-<n>-neu.txt
    probe.Discard();
    const unsigned next = std::stoul(temp.substr(temp.find('-', 8) + 1)) + 1;
    for (unsigned n = next; n < next + 1000; ++n)
        dir.Put("shared/.kt4tmp-" + std::to_string(::getpid()) + "-" + std::to_string(n) + "-neu.txt", "");
    AtomicWriter w;
    ASSERT_TRUE(w.Open(dir.File("shared/neu.txt"))) << std::strerror(w.Errno());
    ASSERT_TRUE(w.Write("frei"));
    ASSERT_TRUE(w.Commit());
    EXPECT_EQ(dir.Get("shared/neu.txt"), "frei");
}

// Unnamed and staged alike: each file complete under a name of its own,
// readable by its owner only, nothing else left; a missing folder fails.
TEST_F(AtomicFiles, UniqueFilesAreCompleteUnderFreshNames)
{
    const std::string bytes(100000, 'x');
    for (Staging how : {Staging::Unnamed, Staging::PrivateFolder}) {
        fs::create_directories(dir.File("u"));
        std::set<std::string> names;
        int err = -1;
        for (int k = 0; k < 30; ++k) {
            const std::string name = WriteUniqueFile(dir.File("u"), "list", "csv", bytes, err, how);
            ASSERT_EQ(fs::path(name).parent_path(), dir.File("u")) << err;
            EXPECT_EQ(err, 0);
            EXPECT_EQ(kt4::testing::ReadFileBytes(name), bytes);
            EXPECT_EQ(StatOf(name).st_mode & 0777, 0600u);
            const std::string file = fs::path(name).filename().string();
            EXPECT_EQ(file.size(), 15u);
            EXPECT_EQ(file.substr(0, 5) + file.substr(11), "list-.csv");
            names.insert(file);
        }
        EXPECT_EQ(names.size(), 30u);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("u")), fs::directory_iterator()), 30);
        if (how == Staging::PrivateFolder) {
            for (const auto& e : fs::directory_iterator(PrivateTempDir()))
                EXPECT_NE(e.path().filename().string().rfind("unique-", 0), 0u) << "a staged file was left";
        }
        EXPECT_EQ(WriteUniqueFile(dir.File("missing"), "list", "csv", bytes, err, how), "");
        EXPECT_EQ(err, ENOENT);
        fs::remove_all(dir.File("u"));
    }
}
