// The program itself from the command line, with no display at all: the
// batch modes must neither need nor open a window.
#include "shell_fixture.h"

#include "common/run_program.h"
#include "drive/drive_data.h"
#include "foundation/file_trust.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>
#include <utility>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kt4;

namespace {

class Program : public shelltest::ShellTest {
protected:
    // The program beside this test program.
    static std::string Wkt4() { return shelltest::ProgramBeside("wkt4"); }

    // Runs the program (or a copy of it) in the scratch folder; stdout and
    // stderr go to files.
    int Run(const std::string& Args, const std::string& Env = "", const std::string& Binary = Wkt4())
    {
        std::string cmd = "cd '" + dir.Path() + "' && env -u DISPLAY -u WAYLAND_DISPLAY -u " +
                          "QT_QPA_PLATFORM XDG_CONFIG_HOME='" + dir.File("xdg") + "' TMPDIR='" + dir.Path() + "' " +
                          Env + " '" + Binary + "' " + Args + " > out.txt 2> err.txt";
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
    // a text that cannot be written is no usage shown: exit 1, and why
    const std::string full = "cd '" + dir.Path() + "' && '" + Wkt4() + "' '/?' > /dev/full 2> err.txt";
    const int status = std::system(full.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(dir.Get("err.txt"), "Fehler :  Diskette/Platte voll: stdout wurde nicht geschrieben.\n");
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

    // success is what the copy commits, not a file time: a printout into a
    // link to /dev/null (whose time never changes) is written as a DXF file
    // is; a refused design's printout fails with its reasons alone
    drive::dH = drive::dp;
    WriteDefaultProject("refused.kt4");
    for (auto [args, output, code] : {std::tuple{"test.kt4 /I", "test.txt", 0}, {"test.kt4 /CAD1:01", "test.dxf", 0},
                                      {"refused.kt4 /I", "refused.txt", 1}}) {
        std::filesystem::remove(dir.File(output));
        std::filesystem::create_symlink("/dev/null", dir.File(output));
        EXPECT_EQ(Run(args), code) << args << ": " << dir.Get("err.txt");
        EXPECT_EQ(dir.Get("err.txt").find("nicht geschrieben"), std::string::npos) << args << ": " << dir.Get("err.txt");
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
    kt4::test::NobodyCopies copies;
    const std::string wkt4 = copies.Add(Wkt4());
    EXPECT_EQ(kt4::test::AsUserNobody([&] { return Run("test.kt4 /I", "", wkt4); }), 1);
    EXPECT_NE(dir.Get("err.txt").find("Schreibschutz entfernen !: test.txt wurde nicht geschrieben."),
              std::string::npos)
        << dir.Get("err.txt");
    EXPECT_EQ(dir.Get("test.txt"), "alt");
}

TEST_F(Program, FailuresAndUsageErrors)
{
    WriteDefaultProject("test.kt4");
    EXPECT_EQ(Run("nosuch.kt4 /I"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("nosuch.txt")));
    EXPECT_FALSE(dir.Get("err.txt").empty());
    EXPECT_EQ(Run("test"), 2);
    EXPECT_EQ(Run("test.kt4 /CAD3:01"), 2);

    // A name without a file ("." and ".." are folders) names no project,
    // whatever hidden files lie there: the open dialog it needs is
    // cancelled in the folder named, nothing read or written.
    std::filesystem::create_directories(dir.File("sub/sub"));
    for (const char* hidden : {".kt4.kt4", ".kt4", "..kt4", "sub/.kt4.kt4", "sub/..kt4", "sub/sub/.kt4.kt4"})
        dir.Put(hidden, dir.Get("test.kt4"));
    const auto count = [&] {
        const std::filesystem::recursive_directory_iterator all(dir.Path());
        return std::distance(begin(all), end(all));
    };
    const auto before = count();
    const std::pair<const char*, const char*> folders[] = {
        {"", ""}, {"sub/", "sub/"}, {".", "./"}, {"..", "../"}, {"sub/.", "sub/./"}, {"sub/..", "sub/../"}};
    for (const auto& [folder, shown] : folders)
        for (const char* mode : {" /I", " /CAD1:01", " /NOGUI"}) {
            EXPECT_EQ(Run("'" + std::string(folder) + "'" + mode), 1) << folder << mode;
            EXPECT_EQ(dir.Get("err.txt"), "Datei \xC3\xB6""ffnen " + std::string(shown) + " *.kt4|*.kt4 -> Abbrechen\n")
                << folder << mode;
            EXPECT_EQ(count(), before) << folder << mode;
        }
    // without a mode too; a file name without the extension is a usage error
    for (const auto& [args, code] : {std::pair{"''", 1}, {"sub/", 1}, {"./", 1}, {"sub/test /NOGUI", 2}})
        EXPECT_EQ(Run(args), code) << args;
    EXPECT_EQ(count(), before);
}

// A TMPDIR that others may change, directly or one folder up, is passed
// over for /tmp with one note: the user's folders there stay, whatever
// their names, and nothing is made in it.
TEST_F(Program, ATempFolderOthersMayChangeIsPassedOver)
{
    const uid_t me = ::geteuid();
    if (!CheckFolderPath(dir.Path(), me).Closed() || !CheckFolderPath("/tmp", me).Closed())
        GTEST_SKIP() << dir.Path() << " or /tmp lies in a folder others may change";
    WriteDefaultProject("x.kt4");
    const struct {
        const char *folder, *named, *why;
        mode_t mode, upMode;
        bool other;
    } cases[] = {
        {"offen", "offen", "andere Benutzer d\xC3\xBCrfen in %s Namen \xC3\xA4ndern", 0777, 0, false},
        {"oben/innen", "oben", "andere Benutzer d\xC3\xBCrfen in %s Namen \xC3\xA4ndern", 0700, 0777, false},
        {"fremd", "fremd", "%s geh\xC3\xB6rt einem anderen Benutzer", 01777, 0, true}, // last: needs root
    };
    for (const auto& c : cases) {
        if (c.other && me != 0)
            GTEST_SKIP() << "a TMPDIR of another user needs root";
        const std::string folder = dir.File(c.folder);
        std::filesystem::create_directories(folder);
        for (const char* name : {"/kt4-ABCDEF", "/.kt4gone-ABCDEF"}) {
            ASSERT_EQ(::mkdir((folder + name).c_str(), 0700), 0);
            dir.Put(std::string(c.folder) + name + "/.lock", "");
        }
        ASSERT_EQ(::chmod(folder.c_str(), c.mode), 0);
        if (c.upMode != 0) {
            ASSERT_EQ(::chmod(dir.File(c.named).c_str(), c.upMode), 0);
        }
        if (c.other) {
            ASSERT_EQ(::chown(folder.c_str(), kt4::test::NobodyId, kt4::test::NobodyId), 0);
        }
        EXPECT_EQ(Run("x.kt4 /I", "TMPDIR='" + folder + "'"), 0) << dir.Get("err.txt");
        EXPECT_NE(dir.Get("x.txt").find("-17"), std::string::npos);
        std::string why = c.why;
        why.replace(why.find("%s"), 2, dir.File(c.named));
        const std::string note = "Ordner f\xC3\xBCr tempor\xC3\xA4re Dateien " + folder + " aus TMPDIR wird nicht benutzt: " +
                                 why + "; der Ordner /tmp wird benutzt.";
        const std::string err = dir.Get("err.txt");
        EXPECT_NE(err.find(note), std::string::npos) << err;
        EXPECT_EQ(err.find(note), err.rfind(note)) << err; // once
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder))
            ++n;
        EXPECT_EQ(n, 2u) << c.folder;
        if (c.upMode != 0)
            ::chmod(dir.File(c.named).c_str(), 0700);
    }
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

// The batch runs hold no window code: the dynamic loader, asked to tell
// what it loads, loads no library of the window toolkit for any of them.
TEST_F(Program, BatchRunsLoadNoWindowToolkit)
{
    std::filesystem::copy_file(std::string(KT4_DATA_DIR) + "/beispiel1.kt4", dir.File("test.kt4"));
    const std::pair<const char*, int> runs[] = {
        {"test.kt4 /I", 0},  {"test.kt4 /NOGUI", 0},   {"test.kt4 /CAD1:01", 0}, {"'/?'", 0},
        {"test", 2},         {"test.kt4 /CAD3:01", 2}, {"nosuch.kt4 /I", 1},
    };
    for (const auto& [args, code] : runs) {
        std::filesystem::remove_all(dir.File("ld"));
        std::filesystem::create_directory(dir.File("ld"));
        EXPECT_EQ(Run(args, "LD_DEBUG=libs LD_DEBUG_OUTPUT='" + dir.File("ld/trace") + "'"), code) << args;
        std::string trace;
        for (const auto& e : std::filesystem::directory_iterator(dir.File("ld")))
            trace += dir.Get("ld/" + e.path().filename().string());
        EXPECT_NE(trace.find("libstdc++"), std::string::npos) << args; // the loader did tell
        EXPECT_EQ(trace.find("libQt"), std::string::npos) << args;
    }
}

// The printout and the DXF file of the example project are byte for byte
// those the program wrote before its window code was split off (the
// printout's first line apart from its date and time).
TEST_F(Program, PrintoutAndDxfOfTheExampleAsTheGoldens)
{
    const std::string golden = std::string(KT4_SOURCE_DIR) + "/tests/shell/golden/";
    auto read = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };
    std::filesystem::copy_file(std::string(KT4_DATA_DIR) + "/beispiel1.kt4", dir.File("test.kt4"));
    ASSERT_EQ(Run("test.kt4 /I"), 0) << dir.Get("err.txt");
    const std::string printout = dir.Get("test.txt"), expected = read(golden + "beispiel1_printout.txt");
    ASSERT_FALSE(expected.empty());
    const std::size_t head = expected.find('\t'), body = expected.find('\n');
    EXPECT_EQ(printout.substr(0, head), expected.substr(0, head));
    ASSERT_NE(printout.find('\n'), std::string::npos);
    EXPECT_TRUE(printout.substr(printout.find('\n')) == expected.substr(body)) << "differs from the golden";

    ASSERT_EQ(Run("test.kt4 /CAD1:01"), 0) << dir.Get("err.txt");
    EXPECT_TRUE(dir.Get("test.dxf") == read(golden + "beispiel1.dxf")) << "differs from the golden";
}

// Files of the private temporary folder go with the run and are not
// flushed to the disk; the printout the user keeps is, and its folder.
TEST_F(Program, OnlyTheKeptPrintoutIsFlushed)
{
    const std::string strace = "/usr/bin/strace";
    if (!std::filesystem::exists(strace)) {
        if (kt4::test::PeersRequired())
            ADD_FAILURE() << "strace is missing";
        GTEST_SKIP() << "strace is missing";
    }
    std::filesystem::copy_file(std::string(KT4_DATA_DIR) + "/beispiel1.kt4", dir.File("test.kt4"));
    ASSERT_EQ(Run("test.kt4 /I", strace + " -f -y -e trace=fsync,fdatasync -o '" + dir.File("trace.txt") + "'"), 0)
        << dir.Get("err.txt");
    bool file = false, folder = false;
    std::istringstream trace(dir.Get("trace.txt"));
    for (std::string line; std::getline(trace, line);) {
        EXPECT_EQ(line.find(dir.File("kt4-")), std::string::npos) << line;
        file = file || (line.find("<" + dir.File(".kt4tmp-")) != std::string::npos &&
                        line.find("-test.txt>") != std::string::npos);
        folder = folder || line.find("<" + dir.Path().substr(0, dir.Path().size() - 1) + ">") != std::string::npos;
    }
    EXPECT_TRUE(file && folder) << dir.Get("trace.txt");
}

// Without the window program beside it the command says so for the window
// and ends with exit code 1.
TEST_F(Program, MissingWindowProgramIsTold)
{
    std::filesystem::create_directory(dir.File("bin"));
    std::error_code ec;
    std::filesystem::create_hard_link(Wkt4(), dir.File("bin/wkt4"), ec);
    if (ec)
        std::filesystem::copy_file(Wkt4(), dir.File("bin/wkt4"));
    WriteDefaultProject("test.kt4");
    const std::string cmd = "cd '" + dir.Path() + "' && XDG_CONFIG_HOME='" + dir.File("xdg") + "' TMPDIR='" +
                            dir.Path() + "' bin/wkt4 test.kt4 > out.txt 2> err.txt";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(dir.Get("err.txt").find("wkt4-gui"), std::string::npos) << dir.Get("err.txt");
}

} // namespace
