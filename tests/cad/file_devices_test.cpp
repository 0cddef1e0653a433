// The IGES, STL and STEP devices as a user reaches them: chosen in the
// CAD-Code dialog, the STL height question, and a write that fails.
#include "cad_fixture.h"
#include "foundation/scratch_dir.h"
#include "sample_solids.h"

#include <filesystem>

namespace kt4::cadtest {
namespace {

using namespace cad;
namespace fs = std::filesystem;

class FileDevices : public CadTest {};

TEST_F(FileDevices, TheLinesOfTheCadCodeDialogWriteTheirFiles)
{
    ui->quiet = true;
    const std::pair<const char*, const char*> choices[] = {{"2", "igs"}, {"6", "stl"}, {"7", "stp"}};
    for (auto [line, ext] : choices) {
        if (std::string(line) == "7")
            c_set3d(1); // STEP only while 3-D output is offered
        ui->ClearLog();
        ui->ClearScript();
        settings::AbortFlag = false;
        ui->Script(line);
        ui->Script(dir.File(std::string("chosen.") + ext));
        ui->Script("25"); // the STL height
        DrawSample(0);
        EXPECT_FALSE(settings::AbortFlag) << line;
        EXPECT_TRUE(fs::file_size(dir.File(std::string("chosen.") + ext)) > 1000) << ext;
        EXPECT_EQ(ui->Log()[0], std::string("radio|CAD-Code|") + (*line == '7' ? "7" : "6")) << "lines offered";
        EXPECT_EQ(Cad3D, 0) << "every job ends without 3-D output";
    }
}

TEST_F(FileDevices, TheStlHeightIsAskedAndItsCancelKeepsTheHeight)
{
    CadBatchMode = true;
    settings::CurrentFileName = dir.File("part");
    ExportLaunchFlag = true;
    environment::CommandLineParams = {"part.kt4"};
    struct Case {
        const char* answer;
        Real z2;
        bool opened;
    };
    for (const Case& c : {Case{"25", 25, true}, Case{"<cancel>", 1, false}}) {
        ui->ClearLog();
        ui->Script(c.answer);
        c_begin(cmStl);
        c_header_default();
        EXPECT_FALSE(settings::AbortFlag) << "a Cancel is no failure";
        EXPECT_EQ(CadZ1, 0);
        EXPECT_EQ(CadZ2, c.z2);
        c_line(0, 0, 1, 0);
        c_end();
        EXPECT_EQ(Logged("text").size(), 1u);
        EXPECT_NE(Logged("text")[0].find("H\xC3\xB6he [mm]"), std::string::npos) << Logged("text")[0];
        EXPECT_EQ(Logged("opendoc").size(), c.opened ? 1u : 0u);
    }
    // no question when the drawing gives no height
    ui->ClearLog();
    DrawPage(cmStl, {});
    EXPECT_TRUE(Logged("text").empty());
}

TEST_F(FileDevices, AFailedWriteLeavesTheOlderFileOfEveryFormat)
{
    for (auto [mode, ext] : {std::pair{cmDxf, "dxf"}, std::pair{cmTxt, "txt"}, std::pair{cmIges, "igs"},
                             std::pair{cmStl, "stl"}, std::pair{cmStep, "stp"}}) {
        dir.Put(std::string("part.") + ext, "older");
        ui->ClearLog();
        settings::AbortFlag = false;
        {
            testing::FileSizeLimit limit(3000);
            ASSERT_TRUE(limit.Active());
            CadBatchMode = true;
            settings::CurrentFileName = dir.File("part");
            DrawSample(mode);
        }
        EXPECT_TRUE(settings::AbortFlag) << ext;
        EXPECT_EQ(dir.Get(std::string("part.") + ext), "older") << ext;
        EXPECT_EQ(Logged("error"), std::vector<std::string>{"error|Fehler : |file write error (File too large): " +
                                                            dir.File(std::string("part.") + ext) +
                                                            " wurde nicht geschrieben."})
            << ext;
        std::size_t files = 0;
        for (const auto& e : fs::directory_iterator(dir.Path()))
            files += e.is_regular_file();
        EXPECT_EQ(files, 1u) << "no temporary file left";
        fs::remove(dir.File(std::string("part.") + ext));
    }
}

} // namespace
} // namespace kt4::cadtest
