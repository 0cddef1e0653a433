// The plot program's command line: composed by the form's rules and by
// the questions, chosen in the CAD-Code dialog, and started as an
// argument vector.
#include "cad_fixture.h"

#include "cad/plot_link.h"
#include "cad/plot_run.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace kt4::cadtest {
namespace {

using namespace cad;
namespace fs = std::filesystem;

class Plot : public CadTest {
protected:
    // The tail of a line after the DXF file.
    std::string Switches(const std::string& line)
    {
        std::string file = QuotePath(dir.Path() + "kavolt");
        std::size_t at = line.find(file);
        return at == std::string::npos ? "<no file in " + line + ">" : line.substr(at + file.size());
    }
    // Answers of the question route up to the format and the interface.
    void Answer(std::initializer_list<const char*> answers)
    {
        for (const char* a : answers)
            ui->Script(a);
    }
    std::string programDir;
    void SetUp() override
    {
        CadTest::SetUp();
        programDir = dir.File("ka volt");  // a blank in the folder
        fs::create_directories(programDir);
        dir.Put("ka volt/WKAVOLT.EXE", "");
    }
};

TEST_F(Plot, TheFourExamplesInTheFormAndInTheQuestions)
{
    PlotFormValues v = DefaultPlotForm();
    EXPECT_EQ(MakeCommandLine(v), "c:\\kavolt\\wkavolt " + dir.Path() + "kavolt /CHPL");
    v.port = 0;
    v.com = "2";
    v.format = 1;
    v.psFont = "Courier";
    v.fit = true;
    v.rotate = true;
    EXPECT_EQ(Switches(MakeCommandLine(v)), " /CPS /D1 /P3 /M* /R /TCourier");
    v = DefaultPlotForm();
    v.scale = "1,0";
    EXPECT_EQ(Switches(MakeCommandLine(v)), " /CHPL");

    // the questions: program, folder, format, interface, port, scale,
    // rotation, shifts, text width (and the font for PS)
    fs::current_path(dir.Path());
    settings::TempDir = "/t/";
    std::string line;
    Answer({"1", "ka volt", "1", "2", "1", "1", "N", "0", "0", "1"});
    PlotCommandDialog(line);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(line, "\"ka volt/WKAVOLT\" /t/kavolt /CHPL");
    Answer({"1", "ka volt", "2", "1", "2", "0", "J", "0", "0", "1", "Courier"});
    PlotCommandDialog(line);
    EXPECT_EQ(line, "\"ka volt/WKAVOLT\" /t/kavolt /CPS /D1 /P2 /M* /R /TCourier");
    // a scale of "1,0" writes no /M; a line of 60 characters is kept, one of
    // 61 goes into a batch file that carries it
    std::string folder(60 - std::string("/WKAVOLT /t/kavolt /CHPL").size(), 'k');
    fs::create_directories(dir.File(folder));
    dir.Put(folder + "/wkavolt.exe", "");
    Answer({"1", folder.c_str(), "1", "2", "1", "1,0", "N", "0", "0", "1"});
    PlotCommandDialog(line);
    EXPECT_EQ(line, folder + "/WKAVOLT /t/kavolt /CHPL");
    EXPECT_EQ(line.size(), 60u);
    fs::create_directories(dir.File(folder + "k"));
    dir.Put(folder + "k/wkavolt.exe", "");
    Answer({"1", (folder + "k").c_str(), "1", "2", "1", "1", "N", "0", "0", "1", "plot.x", "plot"});
    PlotCommandDialog(line);
    EXPECT_EQ(line, (fs::current_path() / "plot.BAT").string()) << "by its full path";
    EXPECT_EQ(dir.Get("plot.BAT"), folder + "k/WKAVOLT /t/kavolt /CHPL\r\n");
    fs::current_path("/");
}

// The batch file of a line over 60 characters is started from any folder:
// a script standing in for the plot program gets the plot's arguments.
TEST_F(Plot, TheQuestionRoutesBatchFilePlots)
{
    const testing::ScratchDir near(testing::ScratchDir::Short); // the question takes 40 characters
    const std::string folder = near.File("plot program");
    fs::create_directories(folder);
    const std::string out = dir.File("args.txt");
    std::ofstream(folder + "/wkavolt.exe") << "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done > '" + out +
                                                  ".tmp'\nmv '" + out + ".tmp' '" + out + "'\n";
    ::chmod((folder + "/wkavolt.exe").c_str(), 0755);
    fs::current_path(dir.Path());
    Answer({"1", folder.c_str(), "1", "2", "1", "1", "N", "0", "0", "1", "plot"});
    PlotCommandDialog(CadPlotLines[1]);
    ASSERT_FALSE(settings::AbortFlag);
    EXPECT_EQ(CadPlotLines[1], dir.File("plot.BAT")) << "a line of more than 60 characters";
    fs::current_path("/");
    Job(cmPlot, [] { c_line(0, 0, 1, 1); });
    EXPECT_FALSE(settings::AbortFlag) << ui->Log().back();
    for (int k = 0; k < 6000 && !fs::exists(out); ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string args = dir.Get("args.txt");
    const std::string tail = "kavolt|/CHPL|";
    ASSERT_GE(args.size(), tail.size()) << args;
    EXPECT_EQ(args.substr(args.size() - tail.size()), tail) << args;
}

TEST_F(Plot, TheFormReadsBackTheStoredLine)
{
    PlotFormValues v = DefaultPlotForm();
    v.programPath = "/opt/plot tools/wkavolt";
    v.format = 1;
    v.port = 2;
    v.outDir = "/var/plot out";
    v.scale = "2.5";
    v.xShift = "10";
    v.psFont = "Symbol";
    std::string line = MakeCommandLine(v);
    PlotFormValues back;
    ASSERT_TRUE(ParsePlotLine(line, back));
    EXPECT_EQ(MakeCommandLine(back), line);
    EXPECT_FALSE(ParsePlotLine("wkavolt kavolt /Q", back));
    PlotFormEnabled e = EnabledControls(v);
    EXPECT_TRUE(e.psFont && e.outDir && e.scale);
    EXPECT_FALSE(e.com || e.lpt);
}

TEST_F(Plot, TheLineStartsAsAnArgumentVector)
{
    const std::string stub = programDir + "/Stub.EXE";
    const std::string out = dir.File("args.txt");
    std::ofstream(stub) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done > '" + out + ".tmp'\nmv '" + out +
                               ".tmp' '" + out + "'\n";
    ::chmod(stub.c_str(), 0755);
    // found whatever the case and without ".exe"; quotes keep blanks; a
    // backslash is a character like any other
    EXPECT_EQ(StartPlotCommand("\"" + programDir + "/stub\" a\\b \"c d\" /F\"" + dir.Path() + "x y\""), "");
    for (int k = 0; k < 6000 && !fs::exists(out); ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(dir.Get("args.txt"), "a\\b|c d|/F" + dir.Path() + "x y|");

    // each failure with its reason and the program
    const std::string missing = "file not found (No such file or directory): ";
    EXPECT_EQ(StartPlotCommand("/no/such/wkavolt kavolt /CHPL"), missing + "/no/such/wkavolt");
    EXPECT_EQ(StartPlotCommand("C:\\KAVOLT\\WKAVOLT KAVOLT.DXF /M1.0"), missing + "C:\\KAVOLT\\WKAVOLT");
    EXPECT_EQ(StartPlotCommand(dir.File("ka volt")), missing + dir.File("ka")) << "a folder, then a word";
    std::ofstream(dir.File("noexec")) << "x";
    EXPECT_EQ(StartPlotCommand(dir.File("noexec")), "file not found (Permission denied): " + dir.File("noexec"));

    // the plot job: the plot program gets the full path of the drawing in
    // the private folder, whatever folder the line names
    fs::remove(out);
    CadPlotLines[1] = "\"" + programDir + "/stub\" " + dir.Path() + "kavolt /CHPL";
    Job(cmPlot, [] { c_line(0, 0, 1, 1); });
    EXPECT_FALSE(settings::AbortFlag);
    for (int k = 0; k < 6000 && !fs::exists(out); ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string drawing = PlotFileName();
    EXPECT_EQ(drawing.rfind(PrivateTempDir(), 0), 0u);
    EXPECT_EQ(dir.Get("args.txt"), drawing.substr(0, drawing.size() - 4) + "|/CHPL|");
    EXPECT_FALSE(fs::exists(dir.File("kavolt.dxf")));

    // kavolt.dxf stays, the failed start is told
    CadPlotLines[1] = "/no/such/wkavolt";
    Job(cmPlot, [] { c_line(0, 0, 1, 1); });
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_TRUE(fs::exists(PlotFileName()));
    EXPECT_EQ(Logged("error"), std::vector<std::string>{"error|Fehler : |" + missing + "/no/such/wkavolt"});
}

TEST_F(Plot, TheCadCodeDialogChoosesTheLine)
{
    CadPlotLineCount = 2;
    CadPlotLines[1] = "first";
    CadPlotLines[2] = std::string(80, 'x'); // longer than the field's 60
    Answer({"4", "2", std::string(80, 'x').c_str()});
    CadOutputDialog();
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(CadMode, cmPlot);
    EXPECT_EQ(CadPlotLineIndex, 2);
    EXPECT_EQ(CadPlotLines[2], std::string(80, 'x')) << "offered and taken whole";
    // the form edits the chosen line; Cancel there keeps it
    PlotFormHook = [](std::string& line) { line = "from form"; return true; };
    Answer({"4", "1", "typed"});
    CadOutputDialog();
    EXPECT_EQ(CadPlotLines[1], "typed");
    EXPECT_NE(std::find(ui->Log().begin(), ui->Log().end(), "text|KAVOLT-Kommandozeile (0=Parameter)|from form"),
              ui->Log().end());
    PlotFormHook = [](std::string&) { return false; };
    Answer({"4", "1"});
    CadOutputDialog();
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(CadPlotLines[1], "typed");
    PlotFormHook = nullptr;
}

} // namespace
} // namespace kt4::cadtest
