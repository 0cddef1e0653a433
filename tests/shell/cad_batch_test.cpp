// "/CADi:j" of the program itself, with no display: the DXF, text and plot
// files of the example project, the devices refused, a failed
// calculation, a file that cannot be written, and no private folder left.
#include "shell_fixture.h"

#include "cad/cad_settings.h"
#include "drive/drive_data.h"
#include "shell/config_file.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using namespace kt4;
namespace fs = std::filesystem;

namespace {

class CadBatch : public shelltest::ShellTest {
protected:
    static std::string Wkt4() { return shelltest::ProgramBeside("wkt4"); }
    // Runs the program in the scratch folder, which is also its TMPDIR;
    // Prefix runs first in the same shell (limits).
    int Run(const std::string& Args, const std::string& Prefix = "")
    {
        std::string cmd = "cd '" + dir.Path() + "' && (" + Prefix + " exec env -u DISPLAY -u WAYLAND_DISPLAY " +
                          "-u QT_QPA_PLATFORM XDG_CONFIG_HOME='" + dir.File("xdg") + "' TMPDIR='" +
                          dir.File("tmp") + "' '" + Wkt4() + "' " + Args + ") > out.txt 2> err.txt";
        int status = std::system(cmd.c_str());
        EXPECT_TRUE(PrivateFoldersGone());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    bool PrivateFoldersGone()
    {
        for (const auto& e : fs::directory_iterator(dir.File("tmp")))
            if (e.path().filename().string().rfind("kt4-", 0) == 0 ||
                e.path().filename().string().rfind(".kt4gone-", 0) == 0)
                return false;
        return true;
    }
    void SetUp() override
    {
        shelltest::ShellTest::SetUp();
        ASSERT_TRUE(fs::exists(Wkt4())) << "build the program wkt4 first";
        fs::create_directories(dir.File("tmp"));
        fs::copy_file(std::string(KT4_DATA_DIR) + "/beispiel1.kt4", dir.File("test.kt4"));
    }
};

TEST_F(CadBatch, DxfAndTextFileOfTheExample)
{
    ASSERT_EQ(Run("test.kt4 /CAD1:01"), 0) << dir.Get("err.txt");
    std::vector<std::string> dxf = Lines(dir.Get("test.dxf"));
    const std::vector<std::string> extents = {"$EXTMIN", " 10", "0.000000", " 20", "0.000000", "  9", "$EXTMAX",
                                              " 10", "160.000000", " 20", "120.000000"};
    EXPECT_NE(std::search(dxf.begin(), dxf.end(), extents.begin(), extents.end()), dxf.end());
    for (const char* layer : {"0", "1", "5", "16", "31"})
        EXPECT_NE(std::find(dxf.begin(), dxf.end(), layer), dxf.end()) << layer;
    EXPECT_EQ(dxf.back(), "EOF");
    if (fs::exists("/usr/lib/python3/dist-packages/ezdxf")) {
        // the drawings' own audit: no error, no fix but ezdxf's loader artefact
        std::string audit = "/usr/bin/python3 '" KT4_SOURCE_DIR "/tests/drawings/check_views.py' dxf '" +
                            dir.File("test.dxf") + "' > '" + dir.File("audit.txt") + "' 2>&1";
        EXPECT_EQ(std::system(audit.c_str()), 0) << dir.Get("audit.txt");
    } else if (std::getenv("CI")) {
        ADD_FAILURE() << "python3-ezdxf is missing";
    }

    // the overview page: the blocks, their inserts and the tables
    ASSERT_EQ(Run("test.kt4 /cad5:01"), 0) << dir.Get("err.txt");
    const std::string txt = dir.Get("test.txt");
    EXPECT_EQ(txt.rfind("MINMAX\t0.000000\t0.000000\t160.000000\t120.000000\r\nSECTION BLOCKS\r\nBLOCK\tlager1\r\n", 0),
              0u);
    for (const char* item : {"BLOCK\tSA\r\n", "\r\nSECTION ENTITIES\r\n", "INSERT\tSA\t", "TEXT\t2.000000\t32.975000\t Load\r\n"})
        EXPECT_NE(txt.find(item), std::string::npos) << item;
    EXPECT_EQ(txt.substr(txt.size() - 5), "EOF\r\n");
    fs::remove(dir.File("test.dxf"));
    EXPECT_EQ(Run("test.kt4 /CAD1:xy"), 0);
    EXPECT_TRUE(fs::exists(dir.File("test.dxf")));
}

TEST_F(CadBatch, DevicesWithoutAWriterAreUsageErrors)
{
    for (const char* s : {"/CAD3:01", "/CAD9:01", "/CAD0:01"})
        EXPECT_EQ(Run(std::string("test.kt4 ") + s), 2) << s;
    EXPECT_FALSE(fs::exists(dir.File("test.dxf")));
}

TEST_F(CadBatch, IgesStepAndStlFilesOfTheExample)
{
    ASSERT_EQ(Run("test.kt4 /CAD2:01"), 0) << dir.Get("err.txt");
    std::vector<std::string> igs = Lines(dir.Get("test.igs"));
    std::map<char, int> sections;
    for (const auto& l : igs) {
        EXPECT_EQ(l.size(), 80u) << l;
        ++sections[l.size() == 80 ? l[72] : '?'];
    }
    ASSERT_FALSE(igs.empty());
    char counts[64];
    std::snprintf(counts, sizeof counts, "S%07dG%07dD%07dP%07d", sections['S'], sections['G'], sections['D'],
                  sections['P']);
    EXPECT_EQ(igs.back().substr(0, 32), counts);
    EXPECT_EQ(sections['T'], 1);

    ASSERT_EQ(Run("test.kt4 /CAD7:01"), 0) << dir.Get("err.txt");
    EXPECT_NE(dir.Get("test.stp").find("PRODUCT('test','test','',"), std::string::npos);
    const std::string occt = KT4_OCCT_READ;
    if (!occt.empty() && fs::exists(occt)) {
        std::string read = "'" + occt + "' '" + dir.File("test.stp") + "' > '" + dir.File("occt.txt") + "' 2>&1";
        EXPECT_EQ(std::system(read.c_str()), 0);
        const std::string facts = dir.Get("occt.txt");
        EXPECT_EQ(facts.rfind("load ok\n", 0), 0u) << facts;
        EXPECT_NE(facts.find("\nnode 1 test\n"), std::string::npos) << facts;
    } else if (std::getenv("CI")) {
        ADD_FAILURE() << "the OCCT read-back tool is missing: install libocct-data-exchange-dev and libtbb-dev";
    }

    // the height question is answered in batch
    ASSERT_EQ(Run("test.kt4 /CAD6:01"), 0) << dir.Get("err.txt");
    std::string stl = dir.Get("test.stl");
    ASSERT_GE(stl.size(), 84u);
    EXPECT_EQ(stl.substr(0, 10), "STL binary");
    std::uint32_t n = 0;
    std::memcpy(&n, stl.data() + 80, 4);
    EXPECT_EQ(stl.size(), 84 + 50 * std::size_t(n));
}

TEST_F(CadBatch, NothingWrittenIsExitOne)
{
    // a calculation that fails: its messages, no file
    drive::dH = drive::dp;
    WriteDefaultProject("broken.kt4");
    EXPECT_EQ(Run("broken.kt4 /CAD1:01"), 1);
    EXPECT_NE(dir.Get("err.txt").find("dh-dp=0!"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.File("broken.dxf")));
    EXPECT_EQ(Run("nosuch.kt4 /CAD1:01"), 1);

    // a file that cannot be written: the older one stays, nothing partial
    dir.Put("test.dxf", "older");
    EXPECT_EQ(Run("test.kt4 /CAD1:01", "trap '' XFSZ; ulimit -f 1;"), 1);
    EXPECT_EQ(dir.Get("test.dxf"), "older");
    EXPECT_NE(dir.Get("err.txt").find("Diskette/Platte voll"), std::string::npos);
    for (const auto& e : fs::directory_iterator(dir.Path()))
        EXPECT_EQ(e.path().filename().string().find(".test.dxf"), std::string::npos) << e.path();

    // the plot program of the default line is not there; its drawing went
    // with the private folder
    EXPECT_EQ(Run("test.kt4 /CAD4:01"), 1);
    EXPECT_NE(dir.Get("err.txt").find("file not found"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.File("tmp/kavolt.dxf")));
}

// Each plot run hands the plot program the drawing it made, however many
// run at once; the drawing stays while the plot program reads it, also
// after the run has ended, and the next start removes it then.
TEST_F(CadBatch, ParallelPlotsHandEachRunItsOwnDrawing)
{
    fs::copy_file(std::string(KT4_DATA_DIR) + "/beispiel2.kt4", dir.File("zwei.kt4"));
    fs::create_directories(dir.File("plots"));
    // the plot program: keeps the drawing it gets under the run's tag
    dir.Put("plot.sh", "#!/bin/sh\nsleep 0.2\ncp \"$1.dxf\" '" + dir.File("plots/") + "'\"$TAG.part\" && mv '" +
                           dir.File("plots/") + "'\"$TAG.part\" '" + dir.File("plots/") + "'\"$TAG.dxf\"\n");
    ::chmod(dir.File("plot.sh").c_str(), 0755);
    fs::create_directories(dir.File("xdg/velmora"));
    settings::ConfigDir = dir.File("xdg/velmora/");
    settings::TempDir = dir.File("tmp/");
    cad::CadPlotLines[1] = dir.File("plot.sh") + " " + dir.File("tmp/kavolt") + " /CHPL";
    cad::CadPlotLineCount = 1;
    cad::CadPlotLineIndex = 1;
    shell::WriteConfigFile();
    ASSERT_FALSE(settings::AbortFlag);
    std::string script = "cd '" + dir.Path() + "' && export XDG_CONFIG_HOME='" + dir.File("xdg") + "' TMPDIR='" +
                         dir.File("tmp") + "' && unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM && ";
    const auto runs = [&](int n, const std::string& tag) {
        return "for i in $(seq 1 " + std::to_string(n) + "); do p=test; [ $((i % 2)) = 0 ] && p=zwei; (TAG=" + tag +
               "$i-$p '" + Wkt4() + "' $p.kt4 /CAD4:01 > /dev/null 2>&1; echo $? > plots/rc" + tag +
               "$i) & done; wait";
    };
    ASSERT_EQ(std::system((script + runs(2, "ref") + "; " + runs(20, "") + " > /dev/null 2>&1").c_str()), 0);
    const auto plot = [&](const std::string& tag) {
        for (int k = 0; k < 500 && !fs::exists(dir.File("plots/" + tag + ".dxf")); ++k)
            ::usleep(20000);
        return dir.Get("plots/" + tag + ".dxf");
    };
    const std::string refTest = plot("ref1-test"), refZwei = plot("ref2-zwei");
    ASSERT_NE(refTest.find("EOF"), std::string::npos);
    ASSERT_NE(refTest, refZwei);
    for (int i = 1; i <= 20; ++i) {
        const std::string tag = std::to_string(i) + (i % 2 ? "-test" : "-zwei");
        EXPECT_EQ(plot(tag), i % 2 ? refTest : refZwei) << tag;
        EXPECT_EQ(dir.Get("plots/rc" + std::to_string(i)), "0\n") << tag;
    }
    EXPECT_FALSE(fs::exists(dir.File("tmp/kavolt.dxf")));
    // the plot programs have ended: the next start leaves no private folder
    bool gone = false;
    for (int k = 0; k < 100 && !gone; ++k) {
        ::usleep(20000);
        std::system((script + "'" + Wkt4() + "' test.kt4 /NOGUI > /dev/null 2>&1").c_str());
        gone = PrivateFoldersGone();
    }
    EXPECT_TRUE(gone);
}

// kill -9 and SIGTERM at any moment of a run: a SIGTERM ends it with exit
// code 1 and its folder removed; what a kill -9 left is removed by the
// next start. No private folder or temporary stays in TempDir.
TEST_F(CadBatch, KilledRunsLeaveNothingBehindAfterTheNextStart)
{
    std::srand(static_cast<unsigned>(::getpid()));
    const char* devices[] = {"/CAD6:01", "/CAD7:01", "/CAD1:01", "/CAD4:01"};
    int terminated = 0;
    for (int k = 0; k < 16; ++k) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(dir.Path().c_str()) != 0)
                ::_exit(126);
            ::setenv("XDG_CONFIG_HOME", dir.File("xdg").c_str(), 1);
            ::setenv("TMPDIR", dir.File("tmp").c_str(), 1);
            ::unsetenv("DISPLAY");
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            const std::string program = Wkt4();
            ::execl(program.c_str(), program.c_str(), "test.kt4", devices[k % 4], nullptr);
            ::_exit(127);
        }
        ::usleep(static_cast<useconds_t>(std::rand() % 150000));
        const int sig = k % 2 ? SIGKILL : SIGTERM;
        ::kill(pid, sig);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (sig == SIGTERM && WIFEXITED(status)) {
            EXPECT_TRUE(WEXITSTATUS(status) == 1 || WEXITSTATUS(status) == 0) << WEXITSTATUS(status);
            ++terminated;
        }
    }
    EXPECT_GT(terminated, 0) << "no SIGTERM reached a running program";
    EXPECT_EQ(Run("test.kt4 /NOGUI"), 0); // the next start; Run checks the folders
    for (const auto& e : fs::directory_iterator(dir.File("tmp")))
        EXPECT_EQ(e.path().filename().string().rfind(".kt4tmp-", 0), std::string::npos) << e.path();
}

} // namespace
