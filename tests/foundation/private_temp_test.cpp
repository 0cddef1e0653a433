#include "foundation/codepage.h"
#include "foundation/file_trust.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"
#include "common/acl.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <utility>
#include <unistd.h>

namespace kt4 {
namespace {

// A child that makes its private folder and keeps it (its lock held) until
// it is killed, or (stay false) ends at once without its clean-up; its pid
// and the folder.
std::pair<pid_t, std::string> FolderOfChild(bool stay = true)
{
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const std::string folder = PrivateTempDir();
        [[maybe_unused]] ssize_t n = ::write(fds[1], folder.data(), folder.size());
        ::close(fds[1]);
        if (stay)
            ::pause();
        ::_exit(0);
    }
    ::close(fds[1]);
    char buf[512];
    const ssize_t n = ::read(fds[0], buf, sizeof buf);
    ::close(fds[0]);
    return {pid, std::string(buf, n > 0 ? std::size_t(n) : 0u)};
}

TEST(PrivateTemp, MadeOnNeedPrivateAndRemovedWhole)
{
    testing::ScratchDir dir;
    settings::TempDir = dir.Path();
    dir.Put("keep.txt", "other user");

    std::string folder = PrivateTempDir();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.rfind(dir.Path(), 0), 0u);
    EXPECT_EQ(PrivateTempDir(), folder); // the same folder while it lives
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    std::string blocks = PrivateTempSubdir("blocks");
    ASSERT_EQ(blocks, folder + "blocks/");
    EXPECT_TRUE(PrivateTempSubdir("../x").empty());
    EXPECT_TRUE(PrivateTempSubdir("a/b").empty());

    // A link inside is removed as a link; its target stays.
    ASSERT_EQ(::symlink(dir.File("keep.txt").c_str(), (blocks + "$x.dx$").c_str()), 0);
    EXPECT_TRUE(EmptyPrivateTempSubdir("blocks"));
    EXPECT_FALSE(std::filesystem::exists(blocks + "$x.dx$"));
    EXPECT_TRUE(std::filesystem::exists(blocks));

    // what is inside, by name
    const std::string bare = folder.substr(0, folder.size() - 1);
    const std::pair<std::string, bool> names[] = {
        {folder + "outwin.txt", true}, {blocks + "$x.dx$", true}, {folder + "./a/../b.txt", true},
        {bare, false}, {folder, false}, {folder + "../keep.txt", false}, {bare + "x/y.txt", false},
        {dir.File("keep.txt"), false}, {"", false},
    };
    for (const auto& [name, inside] : names)
        EXPECT_EQ(InPrivateTempDir(name), inside) << name;

    ASSERT_EQ(::symlink(dir.File("keep.txt").c_str(), (folder + "outwin.txt").c_str()), 0);
    RemovePrivateTempDir();
    EXPECT_FALSE(InPrivateTempDir(folder + "outwin.txt"));
    EXPECT_FALSE(PrivateTempDirExists());
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_EQ(dir.Get("keep.txt"), "other user");

    std::string again = PrivateTempDir();
    EXPECT_NE(again, "");
    RemovePrivateTempDir();
    settings::TempDir.clear();
}

// A folder whose owner has ended (kill -9: no clean-up ran) is removed by
// the next start, proven by its lock; a folder of a process that still
// runs, one a started program still holds, and anything without the lock
// stay.
TEST(PrivateTemp, FoldersOfEndedProcessesAreRemovedByTheNextStart)
{
    testing::ScratchDir dir;
    settings::TempDir = dir.Path();
    const auto [ended, endedFolder] = FolderOfChild(false);
    ::waitpid(ended, nullptr, 0);
    const auto [running, runningFolder] = FolderOfChild(true);
    ASSERT_TRUE(std::filesystem::exists(endedFolder + ".lock"));
    std::filesystem::create_directory(dir.File("kt4-nolock"));
    ::chmod(dir.File("kt4-nolock").c_str(), 0700);
    dir.Put("kt4-notdir", "");
    // a start killed while it made its folder
    std::filesystem::create_directory(dir.File(".kt4new-cutoff"));
    ::chmod(dir.File(".kt4new-cutoff").c_str(), 0700);
    const std::string own = PrivateTempDir();

    EXPECT_EQ(RemoveEndedPrivateTempDirs(), 2);
    EXPECT_FALSE(std::filesystem::exists(endedFolder));
    EXPECT_FALSE(std::filesystem::exists(dir.File(".kt4new-cutoff")));
    for (const std::string& kept : {runningFolder, own, dir.File("kt4-nolock"), dir.File("kt4-notdir")})
        EXPECT_TRUE(std::filesystem::exists(kept)) << kept;
    ::kill(running, SIGKILL);
    ::waitpid(running, nullptr, 0);
    EXPECT_EQ(RemoveEndedPrivateTempDirs(), 1);
    EXPECT_FALSE(std::filesystem::exists(runningFolder));

    // a program started under PrivateTempDirHeld keeps the folder after
    // this process's clean-up, until it ends
    pid_t program = 0;
    {
        PrivateTempDirHeld held;
        program = ::fork();
        if (program == 0) {
            ::execl("/bin/sleep", "sleep", "600", nullptr);
            ::_exit(127);
        }
    }
    RemovePrivateTempDir();
    EXPECT_TRUE(std::filesystem::exists(own));
    EXPECT_EQ(RemoveEndedPrivateTempDirs(), 0);
    ::kill(program, SIGKILL);
    ::waitpid(program, nullptr, 0);
    EXPECT_EQ(RemoveEndedPrivateTempDirs(), 1);
    EXPECT_FALSE(std::filesystem::exists(own));
    settings::TempDir.clear();
}

// A private folder renamed to the name of a folder being made or going is
// kept while its lock is held; the sweep of a folder that others may
// change since it was chosen removes nothing.
TEST(PrivateTemp, TheSweepDecidesOnTheFoldersAndLocksItOpened)
{
    testing::ScratchDir dir;
    settings::TempDir = dir.Path();
    for (const char* name : {".kt4gone-ABCDEF", ".kt4new-ABCDEF"}) {
        const auto [child, folder] = FolderOfChild();
        ASSERT_FALSE(folder.empty());
        ASSERT_EQ(::rename(folder.c_str(), dir.File(name).c_str()), 0);
        EXPECT_EQ(RemoveEndedPrivateTempDirs(), 0) << name;
        EXPECT_TRUE(std::filesystem::exists(dir.File(name) + "/.lock")) << name;
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        RemoveEndedPrivateTempDirs();
        EXPECT_FALSE(std::filesystem::exists(dir.File(name))) << name;
    }
    const auto [child, folder] = FolderOfChild();
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_EQ(PrivateTempBase(), dir.Path());
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    EXPECT_EQ(RemoveEndedPrivateTempDirs(), 0);
    EXPECT_TRUE(std::filesystem::exists(folder));
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0700), 0);
    EXPECT_EQ(RemoveEndedPrivateTempDirs(), 1);
    settings::TempDir.clear();
}

// TMPDIR or the configured folder that others may change, directly or one
// folder up, is passed over for /tmp with one note: nothing of the user's
// is removed there and nothing is made in it; the setting stays.
TEST(PrivateTemp, AFolderOthersMayChangeIsPassedOverForTmp)
{
    testing::ScratchDir dir;
    const uid_t me = ::geteuid();
    const std::string base = dir.Path().substr(0, dir.Path().size() - 1);
    if (!CheckFolderPath(base, me).Closed() || !CheckFolderPath("/tmp", me).Closed())
        GTEST_SKIP() << "the temporary folder " << base << " or /tmp lies in a folder others may change";
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string keepTmp = oldTmp ? oldTmp : "";
    const struct {
        std::string folder, up; // made below base; the folder's mode, the one above's
        mode_t mode, upMode;
        bool other;       // the folder belongs to another user
        bool configured;  // TempDir names it, else TMPDIR
        std::string why;  // the note's reason, after the folder named
        std::string named;
    } cases[] = {
        {"offen", "", 0777, 0, false, false, "andere Benutzer dürfen in ", "/offen"},
        {"oben/innen", "oben", 0700, 0777, false, false, "andere Benutzer dürfen in ", "/oben"},
        {"konf", "", 0777, 0, false, true, "andere Benutzer dürfen in ", "/konf"},
        {"fremd", "", 01777, 0, true, false, "", "/fremd"}, // last: skipped where not root
    };
    struct Restore {
        const char* old;
        std::string keep;
        ~Restore()
        {
            if (old)
                ::setenv("TMPDIR", keep.c_str(), 1);
            else
                ::unsetenv("TMPDIR");
            settings::TempDir.clear();
        }
    } restore{oldTmp, keepTmp};
    for (const auto& c : cases) {
        if (c.other && me != 0)
            GTEST_SKIP() << "a TMPDIR of another user needs root";
        const std::string folder = base + "/" + c.folder;
        std::filesystem::create_directories(folder);
        ASSERT_EQ(::chmod(folder.c_str(), c.mode), 0);
        if (!c.up.empty()) {
            ASSERT_EQ(::chmod((base + "/" + c.up).c_str(), c.upMode), 0);
        }
        // an ended run's folder and one renamed to a going folder's name
        for (const char* name : {"/kt4-ABCDEF", "/.kt4gone-ABCDEF", "/.kt4new-ABCDEF"}) {
            ASSERT_EQ(::mkdir((folder + name).c_str(), 0700), 0);
            ::close(::open((folder + name + "/.lock").c_str(), O_CREAT | O_WRONLY, 0600));
        }
        if (c.other) {
            ASSERT_EQ(::chown(folder.c_str(), kt4::test::NobodyId, kt4::test::NobodyId), 0);
        }
        settings::TempDir = c.configured ? folder + "/" : "";
        ::setenv("TMPDIR", c.configured ? keepTmp.c_str() : folder.c_str(), 1);

        EXPECT_EQ(PrivateTempBase(), "/tmp/") << c.folder;
        // the sweep goes through /tmp, where other runs may have left
        // folders: what counts is that it leaves the folder passed over
        RemoveEndedPrivateTempDirs();
        const std::string own = PrivateTempDir();
        EXPECT_EQ(own.rfind("/tmp/kt4-", 0), 0u) << own;
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder))
            ++n;
        EXPECT_EQ(n, 3u) << c.folder;
        const std::string reason = c.other ? base + c.named + " gehört einem anderen Benutzer"
                                           : c.why + base + c.named + " Namen ändern";
        EXPECT_EQ(TakeTempFolderNote(), DisplayToOem("Ordner für temporäre Dateien " + folder + " aus " +
                                                     (c.configured ? "der Konfiguration" : "TMPDIR") +
                                                     " wird nicht benutzt: " + reason +
                                                     "; der Ordner /tmp wird benutzt."))
            << c.folder;
        EXPECT_EQ(TakeTempFolderNote(), "") << c.folder; // once
        EXPECT_EQ(settings::TempDir, c.configured ? folder + "/" : "") << c.folder;
        RemovePrivateTempDir();
        EXPECT_FALSE(std::filesystem::exists(own));
        if (!c.up.empty())
            ::chmod((base + "/" + c.up).c_str(), 0700);
    }
}

// A group is the user's own only when it is the user's primary group, is
// named as the user and no other account has it, as primary group or
// listed in the group list.
TEST(PrivateTemp, AGroupIsTheUsersOwnOnlyWhenNoOtherAccountHasIt)
{
    static const auto accounts = [] {
        return std::vector<Account>{{"kt4ich", 4300, 4301}, {"kt4du", 4310, 4311}, {"root", 0, 0}};
    };
    static std::vector<Group> groups;
    const struct {
        Group group;
        bool own, others;
    } cases[] = {
        {{"kt4ich", 4301, {}}, true, false},
        {{"kt4ich", 4301, {"kt4ich", "root"}}, true, false},
        {{"staff", 4301, {}}, false, false},            // another name
        {{"kt4ich", 4301, {"kt4du"}}, false, true},     // another member listed
        {{"kt4ich", 4301, {"kt4unbekannt"}}, false, true}, // a name no account has
        {{"kt4du", 4311, {}}, false, true},             // another's primary group
    };
    const AccountLister systemAccounts = AccountSource();
    const GroupLister systemGroups = GroupSource();
    AccountSource() = +accounts;
    GroupSource() = +[] { return groups; };
    for (const auto& c : cases) {
        groups = {c.group};
        EXPECT_EQ(UsersOwnGroup(c.group.gid, 4300), c.own) << c.group.name;
        EXPECT_EQ(GroupHasOtherMembers(c.group.gid, 4300), c.others) << c.group.name;
    }
    groups.clear();
    EXPECT_FALSE(UsersOwnGroup(4301, 4300)); // an unknown group
    AccountSource() = systemAccounts;
    GroupSource() = systemGroups;
}

// A folder whose removal runs out of descriptors part way down is removed
// whole all the same: what is left goes by its path.
TEST(PrivateTemp, RemovedWholeWhenDescriptorsRunOut)
{
    testing::ScratchDir dir;
    settings::TempDir = dir.Path();
    const std::string folder = PrivateTempDir();
    ASSERT_FALSE(folder.empty());
    std::string deep = folder;
    for (const char* name : {"a/", "b/", "c/", "d/", "e/"}) {
        deep += name;
        ASSERT_TRUE(std::filesystem::create_directory(deep));
        dir.Put(deep.substr(dir.Path().size()) + "f", "x");
    }
    // every descriptor below the limit taken but two, for the removal
    int highest = 0;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd"))
        highest = std::max(highest, std::atoi(e.path().filename().c_str()));
    std::vector<int> taken;
    for (int fd = ::open("/dev/null", O_RDONLY); fd >= 0 && fd <= highest; fd = ::open("/dev/null", O_RDONLY))
        taken.push_back(fd);
    ::close(highest + 1);
    rlimit old {};
    ::getrlimit(RLIMIT_NOFILE, &old);
    rlimit small = old;
    small.rlim_cur = rlim_t(highest) + 3;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &small), 0);
    RemovePrivateTempDir();
    ::setrlimit(RLIMIT_NOFILE, &old);
    for (int fd : taken)
        ::close(fd);
    EXPECT_EQ(dir.Count(), 0u);
    settings::TempDir.clear();
}

// A path is closed when nobody but this user and root may move a name on
// it: every folder and link from the root down, sticky folders of root or
// the user included, folders others may write or another user owns not.
TEST(PrivateTemp, APathIsClosedOnlyWhenNoFolderOnItMayBeChangedByOthers)
{
    testing::ScratchDir dir;
    const uid_t me = ::geteuid();
    const std::string base = dir.Path().substr(0, dir.Path().size() - 1);
    if (!CheckFolderPath(base, me).Closed()) {
        GTEST_SKIP() << "the temporary folder " << base << " lies in a folder others may change";
    }
    const gid_t shared = 4321;
    static const auto withMember = [] {
        return std::vector<Account>{{"kt4ich", ::geteuid(), ::getegid()}, {"kt4mitglied", 4322, 4321}};
    };
    using Why = FolderPathCheck::Why;
    const struct {
        std::string make;  // folders made below base, "/"-separated
        mode_t mode;       // of the last one
        uid_t owner;       // of the last one
        gid_t group;       // of the last one
        std::string check; // the path asked
        Why why;
        std::string folder; // the folder named, below base
        bool member = false;
    } cases[] = {
        {"a", 0700, me, ::getegid(), "a", Why::None, ""},
        {"b", 01777, me, ::getegid(), "b", Why::None, ""},
        {"c", 0777, me, ::getegid(), "c", Why::OthersWrite, "/c"},
        {"d", 0700, me, ::getegid(), "a/../d/.", Why::None, ""},
        {"d", 0700, me, ::getegid(), "c/../d", Why::OthersWrite, "/c"}, // c may become a link
        {"c/e", 0700, me, ::getegid(), "c/e", Why::OthersWrite, "/c"},
        {"f", 0755, kt4::test::NobodyId, kt4::test::NobodyId, "f", Why::OtherOwner, "/f"},
        {"g", 01777, kt4::test::NobodyId, kt4::test::NobodyId, "g", Why::OtherOwner, "/g"},
        {"h", 0775, me, shared, "h", Why::OthersWrite, "/h", true},
        {"i", 0775, me, shared, "i", Why::None, ""},
        {"j", 0700, me, ::getegid(), "nothing", Why::Error, "/nothing"},
    };
    const AccountLister system = AccountSource();
    for (const auto& c : cases) {
        if (c.owner != me && me != 0)
            continue; // another owner needs root
        const std::string path = base + "/" + c.make;
        std::filesystem::create_directories(path);
        ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
        ASSERT_TRUE(me != 0 || ::chown(path.c_str(), c.owner, c.group) == 0);
        if (c.member)
            AccountSource() = +withMember;
        const FolderPathCheck got = CheckFolderPath(base + "/" + c.check, me);
        AccountSource() = system;
        EXPECT_EQ(got.why, c.why) << c.check;
        EXPECT_EQ(got.folder, c.why == Why::None ? "" : base + c.folder) << c.check;
    }
    // links: the user's own in a closed folder is followed, one in a folder
    // others may write or one of another user's is not
    ASSERT_EQ(::symlink((base + "/a").c_str(), (base + "/own").c_str()), 0);
    ASSERT_EQ(::symlink("../a", (base + "/c/open").c_str()), 0);
    ASSERT_EQ(::symlink("d", (base + "/rel").c_str()), 0);
    EXPECT_TRUE(CheckFolderPath(base + "/own", me).Closed());
    EXPECT_TRUE(CheckFolderPath(base + "/rel/", me).Closed());
    EXPECT_EQ(CheckFolderPath(base + "/c/open", me).folder, base + "/c");
    if (me == 0) {
        ASSERT_EQ(::lchown((base + "/own").c_str(), kt4::test::NobodyId, kt4::test::NobodyId), 0);
        const FolderPathCheck other = CheckFolderPath(base + "/own", me);
        EXPECT_EQ(other.why, Why::OthersLink);
        EXPECT_EQ(other.folder, base + "/own");
    }
    // an ACL that lets another user write
    if (kt4::test::GrantWriteAcl(base + "/i", kt4::test::NobodyId)) {
        EXPECT_EQ(CheckFolderPath(base + "/i", me).why, Why::OthersWrite);
    }
    dir.Put("file", "x");
    EXPECT_EQ(CheckFolderPath(base + "/file", me).why, Why::NoFolder);
}

} // namespace
} // namespace kt4
