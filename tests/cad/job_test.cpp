// The CAD job: the output file's name, the dialogs, a failed write, the
// file opened afterwards, block files and logo templates.
#include "cad_fixture.h"
#include "sample_drawing.h"

#include "common/no_opener.h"

#include <filesystem>

namespace kt4::cadtest {
namespace {

using namespace cad;
namespace fs = std::filesystem;

class CadJob : public CadTest {
protected:
    // Begins a DXF job through the save dialog with the typed name.
    void BeginTyped(const std::string& typed)
    {
        settings::AbortFlag = false;
        ui->Script(typed);
        c_begin(cmDxf);
    }
    std::vector<std::string> TempFiles() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(dir.Path()))
            names.push_back(fs::relative(e.path(), dir.Path()).string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(CadJob, TheTypedNameGetsTheExtensionOfTheMode)
{
    fs::create_directories(dir.File("proj.v1"));
    for (const std::string& folder : {dir.Path(), dir.File("proj.v1") + "/"})
        for (const char* typed : {"part.DXF", "part", "part.dwg"}) {
            BeginTyped(folder + typed);
            ASSERT_FALSE(settings::AbortFlag) << typed;
            EXPECT_EQ(CadFileName, folder + "part.dxf");
            c_end();
            EXPECT_TRUE(fs::exists(folder + "part.dxf"));
            fs::remove(folder + "part.dxf");
        }
    // Cancel writes nothing
    std::size_t files = dir.Count();
    BeginTyped("<cancel>");
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(CadFileName, "");
    EXPECT_FALSE(CadJobRunning());
    EXPECT_EQ(dir.Count(), files);
}

// Remembers the preselected line of each choice.
struct ChoiceUi : HeadlessUi {
    std::vector<int> presets;
    bool RadioChoice(const std::string& p, const std::vector<std::string>& lines, int& sel) override
    {
        presets.push_back(sel);
        return HeadlessUi::RadioChoice(p, lines, sel);
    }
};

TEST_F(CadJob, TheDialogOpensOnTheModeAndAsksForTheFileOfTheChosenMode)
{
    auto owned = std::make_unique<ChoiceUi>();
    ChoiceUi& choice = *owned;
    choice.quiet = true;
    SetUi(std::move(owned));
    c_setmode(cmStl);
    choice.Script("6");
    c_begin(0);
    ASSERT_EQ(choice.presets, std::vector<int>{6});
    EXPECT_EQ(choice.Log()[0], "radio|CAD-Code|6") << "six devices while no 3-D output is offered";
    // the save dialog for an STL file follows; its Cancel leaves no job
    ASSERT_EQ(choice.Log().size(), 2u);
    EXPECT_NE(choice.Log()[1].find("*.stl|*.stl"), std::string::npos) << choice.Log()[1];
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_FALSE(CadJobRunning());
    // every job sets the native polylines again
    CadNativePolyline = false;
    CadBatchMode = true;
    settings::AbortFlag = false;
    c_begin(cmTxt);
    EXPECT_TRUE(CadNativePolyline);
    c_end();
}

// A block file that cannot be written (TempDir missing) fails the job
// only when the drawing inserts that block: the older file then stays
// byte for byte and the cause is told once.
TEST_F(CadJob, AJobCommitsItsFileOnlyWhenNothingFailed)
{
    const std::string missing = dir.File("missing/");
    for (auto [mode, ext] : {std::pair{cmStl, "stl"}, std::pair{cmStep, "stp"}})
        for (bool inserts : {true, false}) {
            const std::string what = std::string(ext) + (inserts ? " inserting" : "");
            dir.Put("part." + std::string(ext), "older");
            RemovePrivateTempDir();
            settings::TempDir = missing;
            ui->ClearLog();
            settings::AbortFlag = false;
            Job(mode, [&] { c_line(0, 0, 10, 0); if (inserts) c_insert("flange", 0, 0, 0, 1, 1); },
                [] { SampleBlocks(); });
            settings::TempDir = dir.Path();
            EXPECT_EQ(settings::AbortFlag, inserts) << what;
            EXPECT_EQ(dir.Get("part." + std::string(ext)) == "older", inserts) << what;
            const std::vector<std::string> told = {"error|Fehler : |Tempor\xC3\xA4rer Ordner " + dir.File("missing") +
                                                   " kann nicht angelegt werden (No such file or directory): " +
                                                   dir.File("part.") + ext + " wurde nicht geschrieben."};
            EXPECT_EQ(Logged("error"), inserts ? told : std::vector<std::string>{}) << what;
        }
}

TEST_F(CadJob, TheWrittenFileIsOpenedOnlyForAFileModeOfAPlainStart)
{
    struct Case {
        Word mode;
        std::vector<std::string> params;
        bool opened;
    };
    CadPlotLines[1] = "/bin/true";
    const Case cases[] = {{cmDxf, {"x.kt4"}, true}, {cmTxt, {}, true},        {cmScreen, {}, false},
                          {cmPlot, {}, false},      {cmDxf, {"x.kt4", "/E"}, false}};
    for (const Case& c : cases) {
        environment::CommandLineParams = c.params;
        ui->ClearLog();
        Job(c.mode, [] { c_line(0, 0, 1, 1); });
        EXPECT_EQ(Logged("opendoc").size(), c.opened ? 1u : 0u) << c.mode;
    }
    environment::CommandLineParams = {};
    ExportLaunchFlag = false;
    ui->ClearLog();
    Job(cmDxf, [] {});
    EXPECT_TRUE(Logged("opendoc").empty());
    ExportLaunchFlag = true;
    Job(cmDxf, [] { settings::AbortFlag = true; });
    EXPECT_TRUE(Logged("opendoc").empty()) << "not after a Cancel";
    EXPECT_TRUE(fs::exists(Path("dxf"))) << "but written";
}

TEST_F(CadJob, BlockFilesLiveInThePrivateFolderOnly)
{
    const std::string blocks = PrivateTempSubdir("blocks");
    dir.Put("$OLD.dx$", "  0\r\nEOF\r\n"); // someone else's, in TempDir itself
    std::ofstream(blocks + "$STALE.dx$") << "  0\r\nLINE\r\n  0\r\nEOF\r\n";
    bool seen = false;
    Job(cmScreen,
        [&] {
            EXPECT_FALSE(fs::exists(blocks + "$STALE.dx$")) << "a job starts with no block files";
            seen = fs::exists(blocks + "$BOLT.dx$") && fs::exists(blocks + "$FLANGE.dx$");
            c_insert("BOLT", 0, 0, 0, 1, 1);
        },
        [] { SampleBlocks(); });
    EXPECT_TRUE(seen);
    EXPECT_TRUE(fs::is_empty(blocks)) << "the screen job's end empties the folder";
    EXPECT_TRUE(fs::exists(dir.File("$OLD.dx$")));
    EXPECT_FALSE(RecordsOf(3).empty()) << "the circle of the block was drawn";
}

TEST_F(CadJob, LogoTemplatesFromTempDir)
{
    const char* logo = "  0\r\nLINE\r\n 10\r\n0\r\n 20\r\n0\r\n 11\r\n480\r\n 21\r\n360\r\n  0\r\nEOF\r\n";
    dir.Put("$LOGO_2.dx$", logo);
    dir.Put("$logo_3.dx$", logo); // any case
    Job(cmScreen, [] {});
    std::vector<std::string> lines = RecordsOf(4);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "4;145.6;1.2;305.6;121.2"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "4;145.6;115.2;305.6;235.2"), lines.end());
    // the plot file inserts them; the DXF file and logo mode 2 do not
    CadPlotLines[1] = "/bin/true";
    Job(cmPlot, [] {});
    std::string plot = PlotFile();
    EXPECT_NE(plot.find("  2\r\nLOGO_2\r\n 10\r\n145.600000\r\n 20\r\n1.200000\r\n"), std::string::npos);
    EXPECT_NE(plot.find("LOGO_3"), std::string::npos);
    Job(cmDxf, [] {});
    EXPECT_EQ(dir.Get("part.dxf").find("LOGO"), std::string::npos);
    Job(cmScreen, [] {}, [] { printer::CadLogoMode = 2; });
    EXPECT_TRUE(RecordsOf(4).empty());
    RemovePrivateTempDir(); // the exit clean-up
    EXPECT_TRUE(fs::exists(dir.File("$LOGO_2.dx$")));
    EXPECT_TRUE(fs::exists(dir.File("$logo_3.dx$")));
}

// An opener that fails is told with the written file's full path.
TEST_F(CadJob, FailedOpenOfTheWrittenFileNamesIt)
{
    ui = kt4::testing::UseNoOpener();
    environment::CommandLineParams = {};
    Job(cmDxf, [] { c_line(0, 0, 1, 1); });
    // the file is written: no error
    EXPECT_EQ(Logged("error"), std::vector<std::string>{});
    EXPECT_EQ(Logged("message"), std::vector<std::string>{"message|Meldung:|Datei " + Path("dxf") +
                                                        " wurde geschrieben; sie kann nicht zum Ansehen "
                                                        "geöffnet werden."});
}

} // namespace
} // namespace kt4::cadtest
