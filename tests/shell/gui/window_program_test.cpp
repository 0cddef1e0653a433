// The command wkt4 started for the window: it hands over to the window
// program beside it, which then runs with the window toolkit on the same
// arguments and environment; signals end the window as closing it does.
#include "shell_fixture.h"

#include "shell/session_file.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <random>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

class WindowProgram : public kt4::shelltest::ShellTest {
protected:
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void TearDown() override
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ShellTest::TearDown();
    }
    // Starts Program Args in the scratch folder, Vars in its environment
    // instead of those of the same names.
    void Spawn(const std::string& Program, std::vector<std::string> Args, std::vector<std::string> Vars)
    {
        for (char** e = environ; *e; ++e) {
            const std::string var = *e;
            bool replaced = false;
            for (const auto& v : Vars)
                replaced = replaced || var.compare(0, v.find('=') + 1, v, 0, v.find('=') + 1) == 0;
            if (!replaced)
                Vars.insert(Vars.begin(), var);
        }
        std::vector<char*> env, argv;
        for (auto& v : Vars)
            env.push_back(v.data());
        env.push_back(nullptr);
        Args.insert(Args.begin(), Program);
        for (auto& a : Args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, dir.Path().c_str());
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        ASSERT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), env.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
    }
    // Waits for the end of the started program: its exit code, or 128 and
    // the signal that ended it.
    int Ended()
    {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    pid_t pid_ = 0;
};

TEST_F(WindowProgram, CommandHandsOverWithArgumentsAndEnvironment)
{
    WriteDefaultProject("test.kt4");
    Spawn(kt4::shelltest::ProgramBeside("wkt4"), {"test.kt4"}, {"TMPDIR=" + dir.Path(), "KT4_TEST_MARK=window 1"});

    // the window program runs, with the window toolkit loaded
    const std::string proc = "/proc/" + std::to_string(pid_) + "/";
    bool window = false;
    for (int k = 0; k < 1200 && !window; ++k) {
        std::error_code ec;
        window = fs::read_symlink(proc + "exe", ec) == fs::path(kt4::shelltest::ProgramBeside("wkt4-gui")) &&
                 Read(proc + "maps").find("libQt6Widgets") != std::string::npos;
        if (!window)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(window);
    int status = 0;
    EXPECT_EQ(::waitpid(pid_, &status, WNOHANG), 0); // still running: the window is open
    EXPECT_EQ(Read(proc + "cmdline"), kt4::shelltest::ProgramBeside("wkt4") + '\0' + "test.kt4" + '\0');
    EXPECT_NE(Read(proc + "environ").find(std::string("\0KT4_TEST_MARK=window 1\0", 24)), std::string::npos);
}

// SIGTERM, SIGINT and SIGHUP close the window as the user would, without
// questions, and the session file is written; after kill -9 or a signal at
// any moment the next start leaves no private folder in TempDir.
TEST_F(WindowProgram, SignalsCloseTheWindowAndTheNextStartCleansUp)
{
    WriteDefaultProject("test.kt4");
    fs::create_directories(dir.File("tmp"));
    kt4::settings::ConfigDir = dir.Path();
    kt4::settings::RecentFiles[1] = dir.File("test.kt4");
    kt4::shell::WriteSessionFile();
    const std::string session = dir.File("kt4.cff");
    const std::vector<std::string> vars = {"TMPDIR=" + dir.File("tmp"), "XDG_CONFIG_HOME=" + dir.File("xdg"),
                                           "QT_QPA_PLATFORM=offscreen"};
    const std::string gui = kt4::shelltest::ProgramBeside("wkt4-gui");
    // the private folders and temporaries in TempDir
    const auto Ours = [&] {
        std::string names;
        for (const auto& e : fs::directory_iterator(dir.File("tmp"))) {
            const std::string name = e.path().filename().string();
            if (name.rfind("kt4-", 0) == 0 || name.rfind(".kt4", 0) == 0)
                names += name + " ";
        }
        return names;
    };
    const auto inode = [&] {
        struct stat st {};
        return ::stat(session.c_str(), &st) == 0 ? st.st_ino : 0;
    };
    // the signal handling is in place once the program has its second thread
    const auto started = [&] {
        for (int k = 0; k < 6000; ++k) {
            std::error_code ec;
            auto tasks = fs::directory_iterator("/proc/" + std::to_string(pid_) + "/task", ec);
            if (!ec && std::distance(tasks, fs::directory_iterator()) >= 2)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    };
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        const ino_t before = inode();
        Spawn(gui, {"test.kt4"}, vars);
        ASSERT_TRUE(started());
        std::this_thread::sleep_for(std::chrono::milliseconds(sig == SIGTERM ? 1500 : 0));
        ::kill(pid_, sig);
        EXPECT_EQ(Ended(), 0) << sig;
        EXPECT_NE(inode(), before) << "the session file was written again";
        EXPECT_EQ(Ours(), "") << sig;
    }
    std::mt19937 random(static_cast<unsigned>(::getpid()));
    for (int k = 0; k < 6; ++k) {
        Spawn(gui, {"test.kt4"}, vars);
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 1500));
        ::kill(pid_, k % 2 ? SIGKILL : SIGTERM);
        const int code = Ended();
        EXPECT_TRUE(code == 0 || code == 128 + SIGKILL || code == 128 + SIGTERM) << code;
    }
    Spawn(kt4::shelltest::ProgramBeside("wkt4"), {"test.kt4", "/NOGUI"}, vars);
    EXPECT_EQ(Ended(), 0);
    EXPECT_EQ(Ours(), "");
}

} // namespace
