// "/CADi:j" of the program itself, with no display: the DXF, text and plot
// files of the example project, the devices refused, a failed
// calculation, a file that cannot be written, and no private folder left.
#include "shell_fixture.h"

#include "cad/cad_settings.h"
#include "common/acl.h"
#include "common/run_program.h"
#include "drive/bearing_types.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "foundation/file_trust.h"
#include "shell/config_file.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <filesystem>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

using namespace kt4;
namespace fs = std::filesystem;

namespace {

class CadBatch : public shelltest::ShellTest {
protected:
    static std::string Wkt4() { return shelltest::ProgramBeside("wkt4"); }
    // The program on Args with no display, TMPDIR the scratch folder's
    // Tmp; for a shell line.
    std::string Command(const std::string& Args, const std::string& Tmp = "tmp")
    {
        return "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME='" + dir.File("xdg") +
               "' TMPDIR='" + dir.File(Tmp) + "' '" + Wkt4() + "' " + Args;
    }
    // Runs a shell line in the scratch folder; out.txt and err.txt get
    // what the program says.
    int Shell(const std::string& Line)
    {
        std::string cmd = "cd '" + dir.Path() + "' && (" + Line + ") > out.txt 2> err.txt";
        int status = std::system(cmd.c_str());
        EXPECT_TRUE(PrivateFoldersGone());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Shell for a line that limits the descriptors: it starts with none
    // but the standard three, whatever the test runner left open.
    int ShellAlone(const std::string& Line)
    {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int out = ::open(dir.File("out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open(dir.File("err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (::chdir(dir.Path().c_str()) != 0 || out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0)
                ::_exit(126);
            ::close_range(3, ~0U, 0);
            ::execl("/bin/sh", "sh", "-c", Line.c_str(), nullptr);
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(PrivateFoldersGone());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Runs the program in the scratch folder, which is also its TMPDIR;
    // Prefix runs first in the same shell (limits).
    int Run(const std::string& Args, const std::string& Prefix = "") { return Shell(Prefix + " exec " + Command(Args)); }
    // Runs Line in a mount namespace of its own with a small tmpfs
    // (Options) on the scratch folder's Sub, which Setup prepares (a shell
    // line run in the scratch folder after the mount); -1 when this system
    // has no such namespaces for this user.
    int InTmpfs(const std::string& Sub, const std::string& Setup, const std::string& Line,
                const std::string& Options = "size=64k")
    {
        if (std::system("unshare -rm true > /dev/null 2>&1") != 0)
            return -1;
        std::filesystem::create_directories(dir.File(Sub));
        return Shell("unshare -rm sh -c \"mount -t tmpfs -o " + Options + " tmpfs '" + dir.File(Sub) + "' && " +
                     Setup + " && " + Line + "\"");
    }
    // Starts the program in the scratch folder on test.kt4 and Device, its
    // TMPDIR the scratch folder's Tmp, output and error output to Out.
    pid_t Start(const char* Device, int Out, const std::string& Tmp = "tmp")
    {
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(dir.Path().c_str()) != 0)
                ::_exit(126);
            ::setenv("XDG_CONFIG_HOME", dir.File("xdg").c_str(), 1);
            ::setenv("TMPDIR", dir.File(Tmp).c_str(), 1);
            ::unsetenv("DISPLAY");
            ::dup2(Out, 1);
            ::dup2(Out, 2);
            const std::string program = Wkt4();
            ::execl(program.c_str(), program.c_str(), "test.kt4", Device, nullptr);
            ::_exit(127);
        }
        return pid;
    }
    // Whether the program started as pid catches Sig, or has ended.
    static bool CatchesOrEnded(pid_t Pid, int Sig)
    {
        std::ifstream in("/proc/" + std::to_string(Pid) + "/status");
        bool program = false;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("Name:", 0) == 0)
                program = line.find("wkt4") != std::string::npos;
            if (line.rfind("State:", 0) == 0 && line.find("zombie") != std::string::npos)
                return true;
            if (line.rfind("SigCgt:", 0) == 0)
                return program && (std::stoull(line.substr(7), nullptr, 16) >> (Sig - 1) & 1);
        }
        return true;
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
    } else if (kt4::test::PeersRequired()) {
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
    } else if (kt4::test::PeersRequired()) {
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

    // a width no drawing can hold reaches no writer, whatever calculates
    drive::dH = 36;
    drive::bs = 1E308L;
    WriteDefaultProject("huge.kt4");
    for (auto [args, file] : {std::pair{"huge.kt4 /CAD6:11", "huge.stl"}, std::pair{"huge.kt4 /CAD1:11", "huge.dxf"},
                              std::pair{"huge.kt4 /CAD2:11", "huge.igs"}}) {
        EXPECT_EQ(Run(args), 1) << args;
        EXPECT_NE(dir.Get("err.txt"), "") << args;
        EXPECT_FALSE(fs::exists(dir.File(file))) << args;
    }

    // the plot program of the default line is not there; its drawing went
    // with the private folder
    EXPECT_EQ(Run("test.kt4 /CAD4:01"), 1);
    EXPECT_NE(dir.Get("err.txt").find("file not found"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.File("tmp/kavolt.dxf")));
}

// Eight runs that write one file at once, again and again, two drawings
// among them: every run ends with 0, the file is the whole file of one of
// them, and no temporary stays.
TEST_F(CadBatch, RunsWritingOneFileAtOnceAllSucceed)
{
    const char* views[] = {"01", "03"};
    std::map<std::string, std::string> drawings;
    for (const char* view : views) {
        ASSERT_EQ(Run(std::string("test.kt4 /CAD1:") + view), 0) << dir.Get("err.txt");
        drawings[dir.Get("test.dxf")] = view;
    }
    ASSERT_EQ(drawings.size(), 2u);
    for (int round = 0; round < 20; ++round) {
        std::string line;
        for (int i = 0; i < 8; ++i)
            line += "(" + Command(std::string("test.kt4 /CAD1:") + views[i % 2]) + " 2> err" + std::to_string(i) +
                    ".txt; echo $? > rc" + std::to_string(i) + ") & ";
        ASSERT_EQ(Shell(line + "wait"), 0);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(dir.Get("rc" + std::to_string(i)), "0\n") << round << ": " << dir.Get("err" + std::to_string(i) + ".txt");
        EXPECT_EQ(drawings.count(dir.Get("test.dxf")), 1u) << round;
        for (const auto& e : fs::directory_iterator(dir.Path()))
            EXPECT_NE(e.path().filename().string().rfind(".kt4tmp-", 0), 0u) << round << ": " << e.path();
        if (::testing::Test::HasFailure())
            break;
    }
}

// A project under the name an output takes, or one the output's name
// links to, is never written over: the run says so and fails, the project
// stays byte for byte. A project "b.kt4.txt" gets its printout "b.txt", and
// the run knows it wrote it.
TEST_F(CadBatch, NoOutputReplacesTheProjectFile)
{
    const std::string bytes = dir.Get("test.kt4");
    struct Case {
        const char* project;
        const char* args;
        const char* output; // a link to the project; "" the project itself
        bool symbolic;
    };
    const Case cases[] = {
        {"b.txt", "/I", "", false},         {"c.dxf", "/CAD1:1", "", false}, {"d.stl", "/CAD6:3", "", false},
        {"e.igs", "/CAD2:1", "", false},    {"f.stp", "/CAD7:3", "", false}, {"g.txt", "/CAD5:1", "", false},
        {"h.kt4", "/I", "h.txt", true},     {"k.kt4", "/CAD1:1", "k.dxf", true},
        {"m.kt4", "/CAD6:3", "m.stl", false},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.project) + " " + c.args;
        dir.Put(c.project, bytes);
        const std::string output = *c.output ? c.output : c.project;
        if (*c.output && c.symbolic)
            fs::create_symlink(c.project, dir.File(c.output));
        else if (*c.output)
            fs::create_hard_link(dir.File(c.project), dir.File(c.output));
        EXPECT_EQ(Run(what), 1) << what;
        EXPECT_EQ(dir.Get("err.txt"), "Fehler :  Ziel ist die Projektdatei: " + output + " wurde nicht geschrieben.\n")
            << what; // and nothing more
        EXPECT_EQ(dir.Get(c.project), bytes) << what;
        EXPECT_EQ(fs::is_symlink(dir.File(output)), *c.output && c.symbolic) << what;
    }
    dir.Put("b.kt4.txt", bytes);
    fs::remove(dir.File("b.txt"));
    EXPECT_EQ(Run("b.kt4.txt /I"), 0) << dir.Get("err.txt");
    EXPECT_EQ(dir.Get("err.txt"), "");
    EXPECT_NE(dir.Get("b.txt").find("Lager"), std::string::npos);
    EXPECT_EQ(dir.Get("b.kt4.txt"), bytes);
    // the name is resolved once: sub/b.kt4.txt, never sub/sub/b.kt4.txt.kt4
    fs::create_directories(dir.File("sub/sub"));
    dir.Put("sub/b.kt4.txt", bytes);
    dir.Put("sub/sub/b.kt4.txt.kt4", "no project");
    EXPECT_EQ(Run("sub/b.kt4.txt /I"), 0) << dir.Get("err.txt");
    EXPECT_NE(dir.Get("sub/b.txt").find("Lager"), std::string::npos);
}

// Memory that runs out while the project is read or its output is made is
// told in the program's words; the older file stays and no temporary is
// left.
TEST_F(CadBatch, MemoryRunningOutKeepsTheOlderFile)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory needs more address space than the limit leaves";
#endif
    std::string bytes = dir.Get("test.kt4");
    std::size_t at = 0;
    for (int line = 0; line < 6; ++line)
        at = bytes.find("\r\n", at) + 2;
    bytes.insert(at, std::string(40000000, 'x')); // a remark line of 40 million characters
    dir.Put("big.kt4", bytes);
    const std::tuple<const char*, const char*, const char*> runs[] = {
        {"100000", "/I", "txt"},      {"100000", "/CAD1:1", "dxf"}, {"100000", "/CAD6:3", "stl"},
        {"200000", "/I", "txt"},      {"200000", "/CAD2:1", "igs"}, {"200000", "/CAD5:1", "txt"},
    };
    for (auto [limit, args, ext] : runs) {
        const std::string what = std::string(limit) + " kB " + args, file = std::string("big.") + ext;
        dir.Put(file, "older");
        EXPECT_EQ(Run(std::string("big.kt4 ") + args, std::string("ulimit -v ") + limit + " &&"), 1) << what;
        const std::string err = dir.Get("err.txt");
        EXPECT_NE(err.find("Zu wenig Speicher: " + file + " wurde nicht geschrieben."), std::string::npos)
            << what << ": " << err;
        EXPECT_EQ(err.find("bad_alloc"), std::string::npos) << what << ": " << err;
        EXPECT_EQ(dir.Get(file), "older") << what;
        for (const auto& e : fs::directory_iterator(dir.Path()))
            EXPECT_NE(e.path().filename().string().rfind(".kt4tmp-", 0), 0u) << what << ": " << e.path();
    }
    // without an output, the same words
    EXPECT_EQ(Run("big.kt4 /NOGUI", "ulimit -v 100000 &&"), 1);
    EXPECT_NE(dir.Get("err.txt").find("Zu wenig Speicher."), std::string::npos) << dir.Get("err.txt");

    // Limits by 25 kB from just above the highest at which the STEP job runs
    // out, over two megabytes: memory runs out in the job, in what tells it
    // and before the run. 0 and the file, or 1 in the program's words and
    // the older file; nothing aborts, no private folder stays (Run checks).
    const auto limited = [&](int kb) {
        dir.Put("test.stp", "older");
        return Run("test.kt4 /CAD7:03", "ulimit -v " + std::to_string(kb) + " &&");
    };
    int top = 40000;
    while (top > 8000 && limited(top) == 0)
        top -= 250;
    for (int kb = top + 250; kb >= top - 2000; kb -= 25) {
        const int rc = limited(kb);
        const std::string err = dir.Get("err.txt"), stp = dir.Get("test.stp");
        EXPECT_TRUE(rc == 0 ? stp.rfind("ISO-10303-21;", 0) == 0
                            : rc == 1 && stp == "older" &&
                                  (err == "Fehler :  Zu wenig Speicher: test.stp wurde nicht geschrieben.\n" ||
                                   err == "Fehler :  Zu wenig Speicher.\n"))
            << kb << " kB: " << rc << " " << err;
    }
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
        for (int k = 0; k < 3000 && !fs::exists(dir.File("plots/" + tag + ".dxf")); ++k)
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
    for (const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
         !gone && std::chrono::steady_clock::now() < end;) {
        ::usleep(20000);
        std::system((script + "'" + Wkt4() + "' test.kt4 /NOGUI > /dev/null 2>&1").c_str());
        gone = PrivateFoldersGone();
    }
    EXPECT_TRUE(gone);
}

// A SIGTERM that lands as the plot program is started (strace delivers it
// at the fork) ends the run without it; a started plot program has SIGXFSZ
// and SIGPIPE at their defaults, also when the run was started with SIGXFSZ
// ignored.
TEST_F(CadBatch, ASignalAtThePlotStartStartsNoPlotProgram)
{
    if (!fs::exists("/usr/bin/strace")) {
        if (kt4::test::PeersRequired())
            FAIL() << "strace is missing";
        GTEST_SKIP() << "strace is missing";
    }
    dir.Put("plot.sh", "#!/bin/sh\ngrep SigIgn /proc/$$/status > '" + dir.File("p") + "' && mv '" + dir.File("p") +
                           "' '" + dir.File("plotted") + "'\n");
    ::chmod(dir.File("plot.sh").c_str(), 0755);
    fs::create_directories(dir.File("xdg/velmora"));
    settings::ConfigDir = dir.File("xdg/velmora/");
    cad::CadPlotLines[1] = dir.File("plot.sh") + " kavolt";
    cad::CadPlotLineCount = cad::CadPlotLineIndex = 1;
    shell::WriteConfigFile();
    // what a plot program wrote; one is waited for up to a minute, none
    // for half a second
    const auto plotted = [&](bool started) {
        for (int k = 0; k < (started ? 3000 : 25) && !fs::exists(dir.File("plotted")); ++k)
            ::usleep(20000);
        return dir.Get("plotted");
    };
    ASSERT_EQ(Run("test.kt4 /CAD4:01", "trap '' XFSZ &&"), 0) << dir.Get("err.txt");
    const std::string ignored = plotted(true); // "SigIgn:\t<hex mask>"
    EXPECT_EQ(std::stoull(ignored.substr(ignored.find(':') + 1), nullptr, 16) &
                  ((1ull << (SIGXFSZ - 1)) | (1ull << (SIGPIPE - 1))),
              0u);
    fs::remove(dir.File("plotted"));
    EXPECT_EQ(Shell("exec /usr/bin/strace -o /dev/null -e trace=clone -e inject=clone:signal=SIGTERM:when=1 " +
                    Command("test.kt4 /CAD4:01")),
              1);
    EXPECT_EQ(plotted(false), "") << "a plot program was started";
}

// A configuration file in the start folder that others may write, or one
// that cannot be taken (a FIFO, a folder, a link to nothing or to itself,
// a link where others may move names, even to the user's own file),
// starts no program and stops no run: the run says once why it ignores it
// and plots with the user's own configuration. The user's own file in the
// start folder is read, also through the user's link in a closed folder.
TEST_F(CadBatch, APlantedConfigurationStartsNoProgram)
{
    fs::create_directories(dir.File("xdg/velmora"));
    for (const std::string name : {"own", "planted"}) {
        dir.Put(name + ".sh", "#!/bin/sh\ntouch '" + dir.File(name + ".ran") + "'\n");
        ::chmod(dir.File(name + ".sh").c_str(), 0755);
        settings::ConfigDir = name == "own" ? dir.File("xdg/velmora/") : dir.Path();
        cad::CadPlotLines[1] = dir.File(name + ".sh") + " kavolt";
        shell::WriteConfigFile();
    }
    const std::string planted = dir.Get("kt4.cfg"), others = "andere Benutzer d\xC3\xBCrfen sie \xC3\xA4ndern.";
    const std::string link = "die Verkn\xC3\xBCpfung liegt in einem Ordner, in dem andere Benutzer Namen verschieben "
                             "d\xC3\xBCrfen.";
    const bool closed = CheckFolderPath(dir.Path(), ::geteuid()).Closed();
    const auto folderMode = fs::status(dir.Path()).permissions();
    const struct {
        const char* make; // a shell line on kt4.cfg in the start folder
        std::string why;  // "": the file is read
        bool acl = false;
    } cases[] = {
        {"chmod 644 kt4.cfg", ""},
        {"chmod 666 kt4.cfg", others},
        {"chmod 644 kt4.cfg", others, true}, // and a user in its ACL
        {"rm kt4.cfg && mkfifo kt4.cfg", "keine Datei."},
        {"rm kt4.cfg && mkdir kt4.cfg", "keine Datei."},
        {"rm kt4.cfg && ln -s nirgends kt4.cfg", "nicht lesbar: No such file or directory."},
        {"rm kt4.cfg && ln -s kt4.cfg kt4.cfg", "nicht lesbar: Too many levels of symbolic links."},
        {"mv kt4.cfg real.cfg && ln -s real.cfg kt4.cfg", closed ? "" : link},
        {"mv kt4.cfg real.cfg && ln -s real.cfg kt4.cfg && chmod 777 .", link},
    };
    for (const auto& c : cases) {
        const std::string make = c.make;
        ASSERT_EQ(Shell(make), 0) << make;
        if (c.acl && !kt4::test::GrantWriteAcl(dir.File("kt4.cfg"), kt4::test::NobodyId)) {
            std::cout << "[ NOTE ] this file system keeps no ACLs: that case is left out\n";
            continue;
        }
        fs::remove(dir.File("own.ran"));
        fs::remove(dir.File("planted.ran"));
        EXPECT_EQ(Shell("exec timeout 60 " + Command("test.kt4 /CAD4:01")), 0) << make << dir.Get("err.txt");
        const std::string ran = c.why.empty() ? "planted.ran" : "own.ran";
        for (int k = 0; k < 3000 && !fs::exists(dir.File(ran)); ++k)
            ::usleep(20000);
        EXPECT_TRUE(fs::exists(dir.File(ran)) && !fs::exists(dir.File(c.why.empty() ? "own.ran" : "planted.ran")))
            << make;
        // the own configuration's temporary folder is this folder: open to
        // all, it is passed over for /tmp
        const std::string bare = dir.Path().substr(0, dir.Path().size() - 1);
        const std::string note = !make.ends_with("chmod 777 .")
                                     ? ""
                                     : "Meldung: Ordner f\xC3\xBCr tempor\xC3\xA4re Dateien " + bare +
                                           " aus der Konfiguration wird nicht benutzt: andere Benutzer d\xC3\xBCrfen in " +
                                           bare + " Namen \xC3\xA4ndern; der Ordner /tmp wird benutzt.\n";
        EXPECT_EQ(dir.Get("err.txt"), (c.why.empty() ? "" : "Meldung: Konfigurationsdatei " + dir.File("kt4.cfg") +
                                                                " wird nicht gelesen: " + c.why + "\n") +
                                          note)
            << make;
        fs::permissions(dir.Path(), folderMode);
        fs::remove_all(dir.File("kt4.cfg"));
        fs::remove(dir.File("real.cfg"));
        dir.Put("kt4.cfg", planted);
    }

    // FIFOs as configuration and session file, and no configuration
    // elsewhere: every mode runs, writes its file and tells each FIFO once
    fs::remove_all(dir.File("xdg/velmora"));
    fs::remove(dir.File("kt4.cfg"));
    ASSERT_EQ(::mkfifo(dir.File("kt4.cfg").c_str(), 0644) | ::mkfifo(dir.File("kt4.cff").c_str(), 0644), 0);
    for (const auto& [mode, output] : {std::pair{"/I", "test.txt"}, {"/NOGUI", ""}, {"/CAD1:1", "test.dxf"}}) {
        if (*output)
            fs::remove(dir.File(output));
        EXPECT_EQ(Shell("exec timeout 60 " + Command(std::string("test.kt4 ") + mode)), 0) << mode;
        EXPECT_TRUE(!*output || fs::file_size(dir.File(output)) > 0) << mode;
        EXPECT_EQ(dir.Get("err.txt"), "Meldung: Konfigurationsdatei " + dir.File("kt4.cfg") +
                                          " wird nicht gelesen: keine Datei.\nMeldung: Sitzungsdatei " +
                                          dir.File("kt4.cff") + " wird nicht gelesen: keine Datei.\n")
            << mode;
    }
}

// Where another user may put names (a folder everybody may write, one of a
// group with other members, one of another user), a link under an output's
// name makes the run fail and say so, whoever made it; the file it names
// stays byte for byte. The user's own link in a closed folder is followed.
TEST_F(CadBatch, PlantedLinksInSharedFoldersAreNotFollowed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another user needs root";
    ::chmod(dir.Path().c_str(), 0755);
    dir.Put("victim.txt", "victim");
    const std::string victim = dir.File("victim.txt");
    const std::string unsafe =
        "Fehler :  Verknüpfung nicht verfolgt, andere Benutzer dürfen Namen in ihrem Ordner verschieben: ";
    const struct {
        const char* folder;
        mode_t mode;
        uid_t owner;
        gid_t group;
    } folders[] = {{"welt", 0777, 0, 0}, {"gruppe", 02775, 0, kt4::test::NobodyId},
                   {"fremd", 0755, kt4::test::NobodyId, kt4::test::NobodyId}};
    for (const auto& f : folders) {
        const std::string folder = dir.File(f.folder);
        fs::create_directory(folder);
        ASSERT_EQ(::chown(folder.c_str(), f.owner, f.group) | ::chmod(folder.c_str(), f.mode), 0);
        fs::copy_file(dir.File("test.kt4"), folder + "/p.kt4");
        ASSERT_EQ(kt4::test::AsUserNobody([&] {
                      return ::symlink(victim.c_str(), (folder + "/p.txt").c_str()) |
                             ::symlink(victim.c_str(), (folder + "/p.stp").c_str());
                  }),
                  0);
        for (const auto& [mode, output] : {std::pair{"/I", "p.txt"}, {"/CAD7:1", "p.stp"}}) {
            const std::string what = std::string(f.folder) + " " + mode;
            EXPECT_EQ(Shell("cd '" + folder + "' && exec " + Command(std::string("p.kt4 ") + mode)), 1) << what;
            EXPECT_EQ(dir.Get("err.txt"), unsafe + output + " wurde nicht geschrieben.\n") << what;
            EXPECT_EQ(dir.Get("victim.txt"), "victim") << what;
            EXPECT_TRUE(fs::is_symlink(folder + "/" + output)) << what;
        }
    }
    fs::remove(dir.File("welt/p.txt"));
    fs::create_symlink(dir.File("own.txt"), dir.File("welt/p.txt"));
    dir.Put("own.txt", "");
    EXPECT_EQ(Shell("cd '" + dir.File("welt") + "' && exec " + Command("p.kt4 /I")), 1);
    EXPECT_EQ(dir.Get("err.txt"), unsafe + "p.txt wurde nicht geschrieben.\n");
    EXPECT_EQ(dir.Get("own.txt"), "");
    fs::create_symlink(dir.File("own.txt"), dir.File("test.txt"));
    const bool closed = CheckFolderPath(dir.Path(), ::geteuid()).Closed();
    EXPECT_EQ(Shell("exec " + Command("test.kt4 /I")), closed ? 0 : 1) << dir.Get("err.txt");
    EXPECT_EQ(dir.Get("own.txt").find("Lager") != std::string::npos, closed);
}

// Output and error output a pipe nobody reads any more ("wkt4 ... 2>&1 |
// true"): each run ends as it would otherwise, with its exit code, its file
// written or not, and nothing left in the working folder.
TEST_F(CadBatch, AnOutputNobodyReadsChangesNoRun)
{
    const struct {
        const char* args;
        const char* tmp;
        int code;
        const char* file; // written
    } runs[] = {
        {"/CAD7:01", "missing", 1, nullptr}, {"/CAD6:01", "missing", 1, nullptr}, {"/I", "missing", 1, nullptr},
        {"/CAD6:01", "tmp", 0, "test.stl"},  {"/CAD1:01", "tmp", 0, "test.dxf"},  {"/CAD9:01", "tmp", 2, nullptr},
    };
    for (const auto& r : runs) {
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        ::close(out[0]);
        const pid_t pid = Start(r.args, out[1], r.tmp);
        ::close(out[1]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status)) << r.args << " " << r.tmp << ": signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), r.code) << r.args << " " << r.tmp;
        if (r.file) {
            EXPECT_TRUE(fs::exists(dir.File(r.file))) << r.args;
            fs::remove(dir.File(r.file));
        }
        for (const auto& e : fs::directory_iterator(dir.Path()))
            EXPECT_NE(e.path().filename().string().rfind(".kt4tmp-", 0), 0u) << r.args << ": " << e.path();
    }
    EXPECT_TRUE(PrivateFoldersGone());
}

// Standard descriptors closed at the start, or no signal thread (an address
// space too small for its stack): each run writes a normal run's file, byte
// for byte (the printout after its dated first line). Without the thread a
// SIGTERM has its default action: the run ends at once, the older file stays.
TEST_F(CadBatch, RunsAtTheEdgesOfTheProcessWriteTheNormalFiles)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory needs more address space than the limit leaves";
#endif
    const std::string noThread = "ulimit -s 1000000 && ulimit -v 1000000 &&";
    for (auto [args, file] : {std::pair{"/CAD6:01", "test.stl"}, {"/CAD1:01", "test.dxf"}, {"/I", "test.txt"}}) {
        ASSERT_EQ(Run(std::string("test.kt4 ") + args), 0);
        const std::string normal = dir.Get(file);
        for (const std::string edge : {"<&- >&- 2>&-", ">&- 2>&-", "<&- 2>&-", "<&- >&-", "2>&-", noThread.c_str()}) {
            fs::remove(dir.File(file));
            const bool limit = edge == noThread;
            EXPECT_EQ(Run(std::string("test.kt4 ") + args + " " + (limit ? "" : edge), limit ? edge : ""), 0) << edge;
            const std::string bytes = dir.Get(file);
            EXPECT_TRUE(bytes.substr(bytes.find('\n')) == normal.substr(normal.find('\n'))) << args << " " << edge;
        }
    }
    dir.Put("test.dxf", "older");
    if (fs::exists("/usr/bin/strace"))
        EXPECT_EQ(Shell(noThread + " exec /usr/bin/strace -o /dev/null -e inject=fsync,fdatasync:signal=SIGTERM:when=1 " +
                        Command("test.kt4 /CAD1:01")),
                  128 + SIGTERM);
    else if (kt4::test::PeersRequired())
        ADD_FAILURE() << "strace is missing";
    EXPECT_EQ(dir.Get("test.dxf"), "older");
}

// Runs short of descriptors: each ends with its file or with exit 1 and a
// message that says something (the project, the user's file or the
// temporary folder with its reason), the older file kept; nothing stays
// in TempDir, and a private folder that cannot be made is tried once per
// need, not a hundred times.
TEST_F(CadBatch, FewDescriptorsLeaveNothingInTheTempDirAndSayWhy)
{
    const std::pair<const char*, const char*> runs[] = {
        {"/I", "txt"}, {"/CAD1:01", "dxf"}, {"/CAD6:01", "stl"}, {"/CAD7:01", "stp"}, {"/NOGUI", ""}};
    for (const int limit : {4, 5, 6, 7, 8})
        for (auto [args, ext] : runs) {
            const std::string what = "ulimit -n " + std::to_string(limit) + " " + args;
            const std::string file = *ext ? std::string("test.") + ext : "";
            if (!file.empty())
                dir.Put(file, "older");
            const int rc = ShellAlone("ulimit -n " + std::to_string(limit) + " && exec " +
                                      Command(std::string("test.kt4 ") + args));
            const std::string err = dir.Get("err.txt");
            EXPECT_TRUE(fs::is_empty(dir.File("tmp"))) << what;
            if (rc == 0) {
                EXPECT_TRUE(file.empty() || dir.Get(file) != "older") << what;
                continue;
            }
            EXPECT_EQ(rc, 1) << what << ": " << err;
            EXPECT_TRUE(file.empty() || dir.Get(file) == "older") << what;
            const bool told = err.find("test.kt4") != std::string::npos ||
                              (!file.empty() && err.find(file + " wurde nicht geschrieben.") != std::string::npos) ||
                              err.find("Tempor\xC3\xA4rer Ordner " + dir.File("tmp") +
                                       " kann nicht angelegt werden (Too many open files)") != std::string::npos;
            EXPECT_TRUE(told) << what << ": " << err;
            EXPECT_EQ(err.find("nicht gefunden"), std::string::npos) << what << ": the file is there: " << err;
        }
    if (!fs::exists("/usr/bin/strace")) {
        if (kt4::test::PeersRequired())
            ADD_FAILURE() << "strace is missing";
        return;
    }
    // at the limits where the run gets as far as the folder
    std::size_t tried = 0;
    for (const int limit : {4, 5, 6, 7, 8, 9}) {
        const int rc = ShellAlone("exec /usr/bin/strace -f -e trace=mkdir,mkdirat -o '" + dir.File("trace.txt") +
                                  "' sh -c \"ulimit -n " + std::to_string(limit) + " && exec " +
                                  Command("test.kt4 /CAD7:01") + "\"");
        EXPECT_TRUE(rc == 0 || rc == 1) << limit << ": " << rc;
        const std::string trace = dir.Get("trace.txt");
        std::size_t made = 0;
        for (std::size_t at = 0; (at = trace.find("/.kt4new-", at)) != std::string::npos; ++at)
            ++made;
        EXPECT_LT(made, 100u) << limit << ": the folder is made again after a failure that stays";
        tried += made;
    }
    EXPECT_GT(tried, 0u);
}

// kill -9 and SIGTERM at any moment of a run: a SIGTERM ends it with exit
// code 1 and its folder removed; what a kill -9 left is removed by the
// next start. No private folder or temporary stays in TempDir.
TEST_F(CadBatch, KilledRunsLeaveNothingBehindAfterTheNextStart)
{
    std::srand(static_cast<unsigned>(::getpid()));
    const char* devices[] = {"/CAD6:01", "/CAD7:01", "/CAD1:01", "/CAD4:01"};
    int terminated = 0;
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    for (int k = 0; k < 16; ++k) {
        const pid_t pid = Start(devices[k % 4], null);
        const int sig = k % 2 ? SIGKILL : SIGTERM;
        for (int w = 0; sig == SIGTERM && w < 60000 && !CatchesOrEnded(pid, sig); ++w)
            ::usleep(1000); // its clean-up in place first
        ::usleep(static_cast<useconds_t>(std::rand() % 150000));
        ::kill(pid, sig);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (sig == SIGTERM && WIFEXITED(status)) {
            EXPECT_TRUE(WEXITSTATUS(status) == 1 || WEXITSTATUS(status) == 0) << WEXITSTATUS(status);
            ++terminated;
        }
    }
    ::close(null);
    EXPECT_GT(terminated, 0) << "no SIGTERM reached a running program";
    EXPECT_EQ(Run("test.kt4 /NOGUI"), 0); // the next start; Run checks the folders
    for (const auto& e : fs::directory_iterator(dir.File("tmp")))
        EXPECT_EQ(e.path().filename().string().rfind(".kt4tmp-", 0), std::string::npos) << e.path();
}

// A design the calculation refuses: its reasons on the error output, exit
// 1 without a window, no CAD file and a printout of the reasons only; a count of a million bolts is
// refused before anything is done by it.
TEST_F(CadBatch, RefusedDesignsEndAtOnceWithoutAFile)
{
    using namespace drive;
    // a 6205 in slot k, then the value that is refused
    auto slot = [](Word k, std::function<void(WaelzLagerTyp&)> value) {
        return [k, value] {
            auto& b = bearings::BearingSlots[k];
            b.Designation = "6205";
            b.d = 25, b.D = 52, b.B = 15, b.C0 = 7800, b.C = 14800, b.nuen = 68;
            value(b);
        };
    };
    const std::pair<std::function<void()>, const char*> designs[] = {
        {[] { dH = -180; }, "dH < 0 !"},        {[] { dp = 0; }, "dp = 0 !"},
        {[] { bP = -6; }, "bP < 0 !"},          {[] { bH = -1; }, "bH < 0 !"},
        {[] { bs = 0; }, "bs = 0 !"},           {[] { dz = -4; }, "dz < 0 !"},
        {[] { dz = -4; dR = -1; }, "dR < 0 !"}, {[] { exz = -3; dzw = 0; }, "dzw = 0 !"},
        {[] { dlk = -33; }, "dlk < 0 !"},       {[] { des = 0; }, "des = 0 !"},
        {[] { dHe = -1; }, "dHe < 0 !"},        {[] { dLkS = 0; }, "dLkS = 0 !"},
        {[] { dS = -1; }, "dS < 0 !"},          {[] { d1 = 0; }, "d1 = 0 !"},
        {[] { d2 = -8; }, "d2 < 0 !"},          {[] { dexz = 0; }, "dexz = 0 !"},
        {[] { bLg1 = -6; }, "bLg1 < 0 !"},      {[] { deLg1 = 0; }, "deLg1 = 0 !"},
        {[] { bLg45 = -1; }, "bLg45 < 0 !"},    {[] { deLg4 = 0; }, "deLg4 = 0 !"},
        {[] { L1 = 0; }, "L1 = 0 !"},           {[] { L2 = -1; }, "L2 < 0 !"},
        {[] { diw = -1; }, "diw < 0 !"},        {[] { didist = -1; }, "didist < 0 !"},
        {[] { cax = -0.5L; }, "cax < 0 !"},     {[] { diLg3 = -1; }, "diLg3 < 0 !"},
        {[] { deLg3 = -1; }, "deLg3 < 0 !"},    {[] { bLg3 = -1; }, "bLg3 < 0 !"},
        {[] { alpha = 0; }, "alpha = 0 !"},     {[] { alpha = 90; }, "alpha >= 90 !"},
        {[] { nz = 3; }, "nz < 4 !"},           {[] { nz = 1000000; }, "nz > 100 !"},
        {[] { ns = 2; }, "ns < 3 !"},           {[] { ns = 1000000; }, "ns > 100 !"},
        {[] {
             auto& b = bearings::BearingSlots[2];
             b.Designation = "6205";
             b.d = 25, b.D = 52, b.B = 15, b.C0 = 7800, b.C = 0;
         },
         "C = 0 ! (Lager 2)"},
        {[] { etaproz = -10; }, "etaproz < 0 !"},       {[] { etaproz = 150; }, "etaproz > 100 !"},
        {[] { dHe = 10; }, "dHe <= dH !"},              {[] { dHe = 45; }, "dHe <= dLkS+dS !"},
        {slot(3, [](auto& b) { b.C0 = 0; }), "C0 = 0 ! (Lager 3)"},
        {slot(1, [](auto& b) { b.C0 = -7800; }), "C0 < 0 ! (Lager 1)"},
        {slot(4, [](auto& b) { b.B = 0; }), "B = 0 ! (Lager 4)"},
        {slot(2, [](auto& b) { b.B = -15; }), "B < 0 ! (Lager 2)"},
        {slot(5, [](auto& b) { b.LifeMethod = 2, b.a23 = -1; }), "a23 < 0 ! (Lager 5)"},
        {slot(2, [](auto& b) { b.LifeMethod = 4, b.aISO = -14; }), "aISO < 0 ! (Lager 2)"},
    };
    for (const auto& [design, reason] : designs) {
        FreshStart();
        CalcDrive();
        design();
        fs::remove(dir.File("refused.kt4"));
        WriteDefaultProject("refused.kt4");
        EXPECT_EQ(Run("refused.kt4 /NOGUI"), 1) << reason;
        EXPECT_NE(dir.Get("err.txt").find(std::string("Fatal  : ") + reason), std::string::npos)
            << reason << ": " << dir.Get("err.txt");
        for (const char* cad : {"/CAD1:01", "/CAD6:03"})
            EXPECT_EQ(Run(std::string("refused.kt4 ") + cad), 1) << reason << " " << cad;
        // The printout holds the reasons and is not called unwritten.
        EXPECT_EQ(Run("refused.kt4 /I"), 1) << reason;
        EXPECT_NE(dir.Get("refused.txt").find(reason), std::string::npos) << reason;
        EXPECT_EQ(dir.Get("err.txt").find("nicht geschrieben"), std::string::npos) << dir.Get("err.txt");
        EXPECT_FALSE(fs::exists(dir.File("refused.dxf"))) << reason;
        EXPECT_FALSE(fs::exists(dir.File("refused.stl"))) << reason;
    }
}

// TempDir missing, a file, full, out of inodes or read-only: a view that
// inserts blocks fails in STL, STEP and the plot and keeps the older file;
// DXF, IGES and TXT keep their blocks in the file and work. No run says an
// error and exits 0. The message names the TempDir the private folder
// cannot be made in, or that has no room for its files, and the user's
// file that was not written; nothing is written into the working folder,
// also when killed at the rename.
TEST_F(CadBatch, ATempDirThatCannotBeWrittenFailsOnlyWhatNeedsIt)
{
    fs::copy_file(KT4_SOURCE_DIR "/tests/drawings/fixtures/y.kt4", dir.File("y.kt4"));
    const std::string fill = "dd if=/dev/zero of='" + dir.File("t/fill") + "' bs=4k count=64 2> /dev/null; true";
    const std::string kill = "/usr/bin/strace -f -o /dev/null -e inject=rename,renameat,renameat2:signal=SIGKILL ";
    dir.Put("afile", "");
    // the few inodes hold the tmpfs's root, the private folder and its lock
    const std::tuple<const char*, std::string, const char*> temps[] = {
        {"missing", "", ""},
        {"afile", "", ""},
        {"missing", kill, ""},
        {"full", fill, "size=64k"},
        {"few inodes", "true", "size=1m,nr_inodes=3"},
        {"read-only", "mount -o remount,ro '" + dir.File("t") + "'", "size=64k"}};
    const std::pair<const char*, bool> runs[] = {{"/CAD6:03", false}, {"/CAD7:03", false}, {"/CAD6:01", false},
                                                 {"/CAD7:01", false}, {"/CAD4:01", false}, {"/CAD4:03", false},
                                                 {"/CAD1:03", true},  {"/CAD2:03", true},  {"/CAD5:03", true},
                                                 {"/I", false}};
    const bool strace = fs::exists("/usr/bin/strace");
    if (!strace && kt4::test::PeersRequired())
        ADD_FAILURE() << "strace is missing: the kills at the rename are not run";
    for (auto [temp, setup, options] : temps)
        for (auto [args, works] : runs) {
            const bool plot = std::string(args).rfind("/CAD4", 0) == 0, killed = setup == kill;
            const bool own = plot || std::string(args) == "/I"; // files of the private folder itself
            if (killed && (!own || !strace))
                continue;
            const std::string ext = std::string(args) == "/I"               ? "txt"
                                    : std::string(args).substr(4, 1) == "6" ? "stl"
                                    : std::string(args).substr(4, 1) == "7" ? "stp"
                                    : std::string(args).substr(4, 1) == "1" ? "dxf"
                                    : std::string(args).substr(4, 1) == "2" ? "igs"
                                                                            : "txt";
            dir.Put("y." + ext, "older");
            const std::string what = std::string(temp) + " " + args;
            int rc = setup.empty() || killed
                         ? Shell("exec " + (killed ? kill : "") + Command(std::string("y.kt4 ") + args, temp))
                         : InTmpfs("t", setup, "exec " + Command(std::string("y.kt4 ") + args, "t"), options);
            if (rc == -1) {
                std::cout << "no mount namespace for a tmpfs: " << what << " not run\n";
                continue;
            }
            const std::string err = dir.Get("err.txt");
            for (const auto& e : fs::directory_iterator(dir.Path())) // nothing in the working folder
                EXPECT_NE(e.path().filename().string().rfind(".kt4tmp-", 0), 0u) << what << ": " << e.path();
            if (works) {
                EXPECT_EQ(rc, 0) << what << ": " << err;
                EXPECT_EQ(err, "") << what;
                EXPECT_NE(dir.Get("y." + ext), "older") << what;
                continue;
            }
            EXPECT_EQ(rc, 1) << what << ": " << err;
            const std::string folder = dir.File(setup.empty() || killed ? temp : "t");
            const bool made = std::string(temp) == "full" || std::string(temp) == "few inodes"; // but no room
            const std::string user = plot ? "" : ": y." + ext + " wurde nicht geschrieben.\n";
            EXPECT_NE(err.find(made && plot ? "Diskette/Platte voll: " + folder + "/kt4-"
                               : made       ? "Tempor\xC3\xA4rer Ordner " + folder + ": Diskette/Platte voll" + user
                                      : "Tempor\xC3\xA4rer Ordner " + folder + " kann nicht angelegt werden ("),
                      std::string::npos)
                << what << ": " << err;
            if (!made && !plot) {
                EXPECT_NE(err.find(")" + user), std::string::npos) << what << ": " << err;
            }
            if (!plot) { // the plot leaves no file of the user's
                EXPECT_EQ(dir.Get("y." + ext), "older") << what;
            }
        }
}

// Each cause of a failed write has its own text, in every CAD writer and
// in the printout of "/I": the cause, the user's file (never a private
// temporary the output goes through), "wurde nicht geschrieben.", once.
TEST_F(CadBatch, EachWriteFailureIsToldByItsCause)
{
    const std::string longName(253, 'x'); // its CAD and text files' names are too long
    fs::copy_file(dir.File("test.kt4"), dir.File(longName + ".k"));
    std::string remark = dir.Get("test.kt4"); // a remark longer than the limit below: the printout's header
    std::size_t remarkAt = 0;
    for (int line = 0; line < 4; ++line)
        remarkAt = remark.find("\r\n", remarkAt) + 2;
    dir.Put("remark.k", remark.insert(remarkAt, std::string(70000, 'x')));
    struct Cause {
        const char* text;
        std::string file;   // the project's base name
        std::string plant;  // a shell line that prepares the file's place ("@" the file)
        bool tmpfs;         // in a tmpfs of 64 kB (plant runs after the mount)
    };
    const std::string copy = "cp test.kt4 t/ && cd t";
    const Cause causes[] = {
        {"Diskette/Platte voll", "test", copy + " && (dd if=/dev/zero of=fill bs=4k count=64 2> /dev/null; true)", true},
        {"Schreibschutz entfernen !", "test", copy + " && mount -o remount,ro .", true},
        {"file write error (Is a directory)", "test", "rm -rf @ && mkdir @", false},
        {"file write error (not a regular file)", "test", "rm -rf @ && mkfifo @", false},
        {"file write error (File name too long)", longName, "true", false},
        {"file write error (File too large)", "test", "rm -rf @ && trap '' XFSZ && ulimit -f 1", false},
        {"file write error (File too large)", "test", "rm -rf @ && ulimit -f 1", false}, // no SIGXFSZ ends it
        {"file write error (File too large)", "remark", "rm -rf @ && ulimit -f 1", false},
    };
    // the blocks of views 1 go through private block files in STL and STEP
    const std::pair<const char*, const char*> writers[] = {
        {"/CAD1:01", "dxf"}, {"/CAD2:01", "igs"}, {"/CAD5:01", "txt"}, {"/CAD6:07", "stl"},
        {"/CAD7:03", "stp"}, {"/CAD6:01", "stl"}, {"/CAD7:01", "stp"}, {"/I", "txt"}};
    for (const Cause& c : causes)
        for (auto [args, ext] : writers) {
            const std::string file = c.file + "." + ext;
            std::string plant = c.plant;
            for (std::size_t at; (at = plant.find('@')) != std::string::npos;)
                plant.replace(at, 1, file);
            const std::string project = c.file == "test" ? "test.kt4" : c.file + ".k";
            const std::string line = "exec " + Command(project + " " + args);
            const std::string what = std::string(c.text) + " " + args;
            int rc = c.tmpfs ? InTmpfs("t", plant, line) : Shell(plant + " && " + line);
            if (rc == -1) {
                std::cout << "no mount namespace for a tmpfs: " << what << " not run\n";
                continue;
            }
            EXPECT_EQ(rc, 1) << what;
            const std::string err = dir.Get("err.txt");
            EXPECT_NE(err.find(std::string(c.text) + ": " + file + " wurde nicht geschrieben.\n"), std::string::npos)
                << what << ": " << err;
            EXPECT_EQ(err.find("wurde nicht geschrieben."), err.rfind("wurde nicht geschrieben.")) << what << ": " << err;
            for (const auto& e : fs::directory_iterator(dir.Path())) // no temporary left
                EXPECT_NE(e.path().filename().string().rfind(".kt4tmp-", 0), 0u) << what << ": " << e.path();
            std::error_code ec; // a name too long for the file system is none
            fs::remove_all(dir.File(file), ec);
        }
}

} // namespace
