#include "foundation/private_temp.h"
#include "foundation/settings.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <utility>
#include <unistd.h>

namespace kt4 {
namespace {

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
    // a child makes its folder and ends without clean-up
    const auto folderOfChild = [&](bool stay) {
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
        return std::make_pair(pid, std::string(buf, n > 0 ? std::size_t(n) : 0u));
    };
    const auto [ended, endedFolder] = folderOfChild(false);
    ::waitpid(ended, nullptr, 0);
    const auto [running, runningFolder] = folderOfChild(true);
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

} // namespace
} // namespace kt4
