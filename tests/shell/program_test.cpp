// The program itself from the command line, with no display at all: the
// batch modes must neither need nor open a window.
#include "shell_fixture.h"

#include "drive/drive_data.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kt4;

namespace {

class Program : public shelltest::ShellTest {
protected:
    // The program beside this test program.
    static std::string Wkt4()
    {
        char self[4096] = {};
        ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
        return (std::filesystem::path(std::string(self, n > 0 ? n : 0)).parent_path() / "wkt4")
            .string();
    }

    // Runs the program in the scratch folder; stdout and stderr go to files.
    int Run(const std::string& Args, const std::string& Env = "")
    {
        std::string cmd = "cd '" + dir.Path() + "' && env -u DISPLAY -u WAYLAND_DISPLAY -u " +
                          "QT_QPA_PLATFORM XDG_CONFIG_HOME='" + dir.File("xdg") + "' TMPDIR='" + dir.Path() + "' " +
                          Env + " '" + Wkt4() + "' " + Args + " > out.txt 2> err.txt";
        int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void SetUp() override
    {
        shelltest::ShellTest::SetUp();
        ASSERT_TRUE(std::filesystem::exists(Wkt4())) << "build the program wkt4 first";
    }
};

TEST_F(Program, UsageOnStandardOutput)
{
    EXPECT_EQ(Run("'/?'"), 0);
    std::string out = dir.Get("out.txt");
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 20);
    EXPECT_EQ(out.rfind("KT4 Command Line Mode\n", 0), 0u);
    EXPECT_EQ(Run("'?'"), 0);
}

TEST_F(Program, PrintoutOfAProject)
{
    WriteDefaultProject("test.kt4");
    EXPECT_EQ(Run("test.kt4 /I"), 0) << dir.Get("err.txt");
    std::string text = dir.Get("test.txt");
    EXPECT_NE(text.find("-17"), std::string::npos);
    // nothing else: no session or configuration file
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir.Path())) {
        EXPECT_NE(e.path().extension(), ".cff") << e.path();
        EXPECT_NE(e.path().extension(), ".cfg") << e.path();
    }
}

TEST_F(Program, PrintoutLeavesAReadOnlyFileAndSaysSo)
{
    WriteDefaultProject("test.kt4");
    dir.Put("test.txt", "alt");
    ::chmod(dir.File("test.txt").c_str(), 0444);
    dir.OpenToAll();
    for (const char* name : {"out.txt", "err.txt"}) {
        dir.Put(name, "");
        ::chmod(dir.File(name).c_str(), 0666);
    }
    EXPECT_EQ(kt4::testing::AsUserNobody([&] { return Run("test.kt4 /I"); }), 1);
    EXPECT_NE(dir.Get("err.txt").find("Schreibschutz entfernen !: test.txt wurde nicht geschrieben."),
              std::string::npos)
        << dir.Get("err.txt");
    EXPECT_EQ(dir.Get("test.txt"), "alt");
}

TEST_F(Program, FailuresAndUsageErrors)
{
    EXPECT_EQ(Run("nosuch.kt4 /I"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("nosuch.txt")));
    EXPECT_FALSE(dir.Get("err.txt").empty());
    EXPECT_EQ(Run("test"), 2);
    EXPECT_EQ(Run("test.kt4 /CAD3:01"), 2);
}

// Every batch failure says why on the error output.
TEST_F(Program, BatchFailuresTellTheirReason)
{
    WriteDefaultProject("garb.kt4");
    std::string bytes = dir.Get("garb.kt4");
    const std::size_t at = bytes.find("\r\n34.0000000\r\n"); // dp
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at + 2, 10, "abc");
    dir.Put("garb.kt4", bytes);
    EXPECT_EQ(Run("garb.kt4 /I"), 1);
    EXPECT_NE(dir.Get("err.txt").find("Falsches numerisches Format"), std::string::npos)
        << dir.Get("err.txt");
    EXPECT_NE(dir.Get("err.txt").find("-> Abbrechen"), std::string::npos) << dir.Get("err.txt");

    WriteDefaultProject("test.kt4");
    std::filesystem::create_directory(dir.File("test.txt"));
    EXPECT_EQ(Run("test.kt4 /I"), 1);
    EXPECT_NE(dir.Get("err.txt").find("test.txt"), std::string::npos) << dir.Get("err.txt");
}

// The printout run keeps its temporary files in a private folder that it
// removes: the shared folder is left as it was, planted names and links
// included.
TEST_F(Program, PrintoutLeavesTheTempFolderAsItWas)
{
    WriteDefaultProject("x.kt4");
    std::filesystem::create_directory(dir.File("shared"));
    dir.Put("ziel.txt", "Ziel");
    dir.Put("shared/$$$1.txt", "fremd");
    for (const char* name : {"$$1.txt", "outwin.txt", "OUTDOS.TXT", "kt4.htm"})
        ASSERT_EQ(::symlink(dir.File("ziel.txt").c_str(), dir.File(std::string("shared/") + name).c_str()), 0);
    const std::string env = "TMPDIR='" + dir.File("shared") + "'";
    EXPECT_EQ(Run("x.kt4 /I", env), 0) << dir.Get("err.txt");
    EXPECT_NE(dir.Get("x.txt").find("-17"), std::string::npos);
    EXPECT_EQ(dir.Get("ziel.txt"), "Ziel");
    EXPECT_EQ(dir.Get("shared/$$$1.txt"), "fremd");
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.File("shared")))
        ++n;
    EXPECT_EQ(n, 5u); // the five planted entries and nothing else
    // and with nothing planted the folder stays empty
    std::filesystem::create_directory(dir.File("leer"));
    EXPECT_EQ(Run("x.kt4 /I", "TMPDIR='" + dir.File("leer") + "'"), 0) << dir.Get("err.txt");
    EXPECT_TRUE(std::filesystem::is_empty(dir.File("leer")));
    EXPECT_EQ(Run("x.kt4 /NOGUI", "TMPDIR='" + dir.File("leer") + "'"), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.File("leer")));
}

TEST_F(Program, NoGuiCalculatesWithoutAWindow)
{
    WriteDefaultProject("test.kt4");
    EXPECT_EQ(Run("test.kt4 /NOGUI"), 0) << dir.Get("err.txt");
    EXPECT_EQ(Run("nosuch.kt4 /NOGUI"), 1);

    // a drive the calculation refuses: the reason on the error output
    drive::dH = drive::dp;
    WriteDefaultProject("broken.kt4");
    EXPECT_EQ(Run("broken.kt4 /NOGUI"), 1);
    EXPECT_NE(dir.Get("err.txt").find("dh-dp=0!"), std::string::npos);
    EXPECT_EQ(Run("broken.kt4 /I /NOGUI"), 1);
    EXPECT_NE(dir.Get("err.txt").find("dh-dp=0!"), std::string::npos);

    EXPECT_EQ(Run("DEMO /NOGUI"), 2);
    EXPECT_EQ(Run("test.kt4 /g /NOGUI"), 0); // "/g" is no switch: the file opens
    EXPECT_EQ(Run("test.kt4 /I /X"), 0);     // parameter 3 is not read
    EXPECT_TRUE(std::filesystem::exists(dir.File("test.txt")));
}

} // namespace
