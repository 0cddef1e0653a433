// The command wkt4 started for the window: it hands over to the window
// program beside it, which then runs with the window toolkit on the same
// arguments and environment.
#include "shell_fixture.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <spawn.h>
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
    pid_t pid_ = 0;
};

TEST_F(WindowProgram, CommandHandsOverWithArgumentsAndEnvironment)
{
    WriteDefaultProject("test.kt4");
    std::vector<std::string> vars;
    for (char** e = environ; *e; ++e)
        vars.emplace_back(*e);
    vars.push_back("TMPDIR=" + dir.Path());
    vars.push_back("KT4_TEST_MARK=window 1");
    std::vector<char*> env;
    for (auto& v : vars)
        env.push_back(v.data());
    env.push_back(nullptr);
    std::string wkt4 = kt4::shelltest::ProgramBeside("wkt4"), file = "test.kt4";
    char* argv[] = {wkt4.data(), file.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, dir.Path().c_str());
    ASSERT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv, env.data()), 0);
    posix_spawn_file_actions_destroy(&actions);

    // the window program runs, with the window toolkit loaded
    const std::string proc = "/proc/" + std::to_string(pid_) + "/";
    bool window = false;
    for (int k = 0; k < 400 && !window; ++k) {
        std::error_code ec;
        window = fs::read_symlink(proc + "exe", ec) == fs::path(kt4::shelltest::ProgramBeside("wkt4-gui")) &&
                 Read(proc + "maps").find("libQt6Widgets") != std::string::npos;
        if (!window)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(window);
    int status = 0;
    EXPECT_EQ(::waitpid(pid_, &status, WNOHANG), 0); // still running: the window is open
    EXPECT_EQ(Read(proc + "cmdline"), wkt4 + '\0' + "test.kt4" + '\0');
    EXPECT_NE(Read(proc + "environ").find(std::string("\0KT4_TEST_MARK=window 1\0", 24)), std::string::npos);
}

} // namespace
