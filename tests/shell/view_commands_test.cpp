// The menu items that draw (View, CAD, STL), the output disk's message,
// the manual, and the shaft export that leaves the project file alone.
#include "shell_fixture.h"

#include "cad/cad_device.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "drive/dialog_fields.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/sibling_gear.h"
#include "graphics/graph_device.h"
#include "shell/menu_commands.h"
#include "shell/project_files.h"
#include "shell/services.h"

#include <filesystem>
#include <functional>
#include <tuple>

using namespace kt4;
using namespace kt4::shell;

namespace {

using namespace settings;

class ViewCommands : public shelltest::ShellTest {
protected:
    void SetUp() override
    {
        shelltest::ShellTest::SetUp();
        Services().drawCadView = [this](int view, int device) { drawn.emplace_back(view, device, cad::CadMode); };
        cad::CadMode = 1;
    }
    void TearDown() override
    {
        InitModules(); // the real drawings again
        shelltest::ShellTest::TearDown();
    }
    void Trigger(const char* item)
    {
        auto command = MenuCommand(item);
        ASSERT_TRUE(command) << item;
        AbortFlag = true; // every item clears it first
        command();
    }
    std::vector<std::tuple<int, int, int>> drawn; // view, device, CAD mode at the call
};

TEST_F(ViewCommands, EachItemDrawsItsViewOnItsDevice)
{
    struct Case {
        const char* item;
        int view, device, mode; // mode 0: as it was
        bool gearMessage;
    };
    const Case cases[] = {
        {"mi_viewQuick", 1, 3, 0, false},
        {"mi_viewzeichnung", 3, 3, 0, false},
        {"mi_viewWolf", 21, 3, 0, false},
        {"mi_cadQuick", 1, 0, 0, false},
        {"mi_cadTabelle", 3, 0, 0, false},
        {"mi_cadzeichnung", 3, 0, 0, false},
        {"mi_stlRolle", 7, 0, 6, false},
        {"mi_stllagerdeckelabtrgeschlossenvoll", 8, 0, 6, false},
        {"mi_stllagerdeckelabtrieboffenvoll", 15, 0, 6, false},
        {"mi_stllagerdeckelabtriebgeschlossenduenn", 16, 0, 6, false},
        {"mi_stllagerdeckelabtrieboffenduenn", 19, 0, 6, false},
        {"mi_stllagerdeckelantrgeschlossenvoll", 9, 0, 6, false},
        {"mi_stllagerdeckelantroffenvoll", 17, 0, 6, false},
        {"mi_stllagerdeckelantrgeschlossenduenn", 18, 0, 6, false},
        {"mi_stllagerdeckelantrieboffenduenn", 20, 0, 6, false},
        {"mi_stldistanzscheibeabtriebvoll", 14, 0, 6, false},
        {"mi_stldistanzscheibeabtriebduenn", 22, 0, 6, false},
        {"mi_stlExzenterwelle", 10, 0, 6, false},
        {"mi_stlAbtriebswelle", 11, 0, 6, false},
        {"mi_stlReibrad", 12, 0, 3, true},
        {"mi_stlHohlrad", 13, 0, 3, true},
    };
    // a refused design: the drawing shows the calculation's messages alone
    for (bool refused : {false, true})
        for (const Case& c : cases) {
            drawn.clear();
            ui->ClearLog();
            cad::CadMode = 1;
            CalcErrorFlag = refused;
            Trigger(c.item);
            EXPECT_FALSE(AbortFlag) << c.item;
            ASSERT_EQ(drawn.size(), 1u) << c.item;
            EXPECT_EQ(drawn[0], std::make_tuple(c.view, c.device, c.mode ? c.mode : 1)) << c.item;
            EXPECT_EQ(Logged("message").size(), c.gearMessage && !refused ? 1u : 0u) << c.item;
        }
}

TEST_F(ViewCommands, OutputDiskOnlyTellsWhereItIs)
{
    Trigger("mi_Abtriebscheibe");
    EXPECT_TRUE(drawn.empty());
    ASSERT_EQ(Logged("message").size(), 1u);
    EXPECT_NE(Logged("message")[0].find("STL > Abtriebswelle"), std::string::npos);
    EXPECT_EQ(ui->Log().size(), 1u); // no dialog besides the message
}

TEST_F(ViewCommands, WithoutTheDrawingsTheItemsAreNotOffered)
{
    Services().drawCadView = nullptr;
    for (const char* item : {"mi_viewQuick", "mi_cadzeichnung", "mi_stlRolle", "mi_Abtriebscheibe"})
        EXPECT_FALSE(MenuCommand(item)) << item;
    EXPECT_TRUE(MenuCommand("mi_helphandbuch"));
    EXPECT_FALSE(MenuCommand("mi_OleImportExcel"));
}

TEST_F(ViewCommands, HandbookOpensTheManualOrNamesItsPath)
{
    ManualDir = dir.File("manual");
    Trigger("mi_helphandbuch");
    EXPECT_TRUE(AbortFlag);
    ASSERT_EQ(Logged("error").size(), 1u);
    EXPECT_NE(Logged("error")[0].find(dir.File("manual/kt4.htm")), std::string::npos) << Logged("error")[0];

    std::filesystem::create_directories(dir.File("manual"));
    dir.Put("manual/kt4.htm", "<html></html>");
    Trigger("mi_helphandbuch");
    EXPECT_FALSE(AbortFlag);
    ASSERT_EQ(Logged("opendoc").size(), 1u);
    EXPECT_NE(Logged("opendoc")[0].find(dir.File("manual/kt4.htm")), std::string::npos);

    HtmlBrowser = "/usr/bin/firefox";
    Trigger("mi_helphandbuch");
    ASSERT_EQ(Logged("start").size(), 1u);
    EXPECT_NE(Logged("start")[0].find("/usr/bin/firefox| " + dir.File("manual/kt4.htm")), std::string::npos)
        << Logged("start")[0];
}

TEST_F(ViewCommands, ShaftExportLeavesTheProjectFileAlone)
{
    CurrentFileName = "project";
    WriteDefaultProject("project.kt4");
    const std::string before = dir.Get("project.kt4");
    drive::dp = 40; // an edit not yet saved
    DataModified = true;
    for (int part : {1, 2}) {
        ui->Script(dir.File("shaft" + std::to_string(part) + ".bx1")); // the save dialog of the export
        ExportShaftCommand(part);
        EXPECT_FALSE(AbortFlag) << part;
        EXPECT_TRUE(std::filesystem::exists(dir.File("shaft" + std::to_string(part) + ".bx1"))) << part;
        EXPECT_EQ(dir.Get("project.kt4"), before) << part;
        EXPECT_TRUE(DataModified) << part;
        EXPECT_EQ(drive::dp, 40) << part;
        EXPECT_EQ(CurrentFileName, "project") << part;
    }
}

// A project opened whose calculation is refused (dH = dp): the five
// sibling exports show its messages and ask for no file; once the values
// are corrected they write what the design never refused writes.
TEST_F(ViewCommands, ARefusedDesignIsNotExported)
{
    const char* items[] = {"mi_fileexportQov1Rad1", "mi_fileexportQov1Rad2", "mi_fileexportbx1antrieb",
                           "mi_fileexportbx1abtrieb", "mi_fileexportbx1bolzen"};
    auto exportAll = [&](const std::string& prefix) {
        for (int k = 0; k < 5; ++k) {
            ui->Script(dir.File(prefix + std::to_string(k)));
            Trigger(items[k]);
            EXPECT_FALSE(AbortFlag) << items[k];
        }
    };
    const Real dH = drive::dH;
    ui->Script(WriteDefaultProject("good.kt4"));
    FileOpenCommand();
    exportAll("vorher");
    drive::dH = drive::dp;
    ui->Script(WriteDefaultProject("broken.kt4"));
    NoteSavedValues(); // as if saved
    graphics::GraphDevice.Line(0, 0, 1, 1); // the picture of the project open before
    FileOpenCommand();
    ASSERT_TRUE(CalcErrorFlag);
    EXPECT_TRUE(graphics::GraphDevice.Window().DisplayList().Empty());
    ui->ClearLog();
    for (const char* item : items) {
        Trigger(item);
        EXPECT_TRUE(AbortFlag) << item;
    }
    EXPECT_EQ(Logged("radio").size(), 5u); // the messages, five times
    EXPECT_TRUE(Logged("save").empty());
    drive::dH = dH; // corrected
    drive::CalcDrive();
    exportAll("nachher");
    for (const char* file : {"0.qov", "1.qov", "2.bx1", "3.bx1", "4.bx1"})
        EXPECT_EQ(dir.Get(std::string("nachher") + file), dir.Get(std::string("vorher") + file)) << file;
}

// A project opened from a file that an output would be written to: the
// sibling exports (named or picked), the printout beside it or picked, and
// a CAD file picked in the dialog are refused, and the file stays as it
// was. Saving the project over its file goes on as before.
TEST_F(ViewCommands, NoOutputReplacesTheProjectFile)
{
    const std::string bytes = dir.Get(WriteDefaultProject("p.kt4"));
    const std::pair<const char*, std::function<void()>> outputs[] = {
        {"p.qov", [&] { ui->Script(dir.File("p.qov")); ExportGearCommand(1); }},
        {"p.bx1", [&] { ui->Script(dir.File("p.bx1")); ExportShaftCommand(2); }},
        {"p.qov", [&] { EXPECT_EQ(gear::WriteGearStrengthFile(dir.File("p")), ""); }},
        {"p.txt", [&] { TextDevice = 3; ui->Script(dir.File("p.txt")); Trigger("mi_viewausdruck"); }},
        {"p.dxf", [&] { ui->Script(dir.File("p.dxf")); cad::c_begin(cad::cmDxf); }},
    };
    TextDeviceDialog = false;
    // (the printout beside the data, device 9, of a project opened as
    // "p.txt" is "p.txt.txt": the project keeps its name with its
    // extension; /I's "p.txt" is refused in the batch tests)
    for (const auto& [file, output] : outputs) {
        dir.Put(file, bytes);
        ui->Script(dir.File(file)); // opened as the project
        FileOpenCommand();
        ASSERT_FALSE(AbortFlag) << file;
        ui->ClearLog();
        output();
        EXPECT_TRUE(AbortFlag) << file;
        ASSERT_EQ(Logged("error").size(), 1u) << file;
        EXPECT_NE(Logged("error")[0].find("Ziel ist die Projektdatei: " + dir.File(file) + " wurde nicht geschrieben."),
                  std::string::npos)
            << Logged("error")[0];
        EXPECT_EQ(dir.Get(file), bytes) << file;
        EXPECT_EQ(ui->PendingAnswers(), 0u) << file;
    }
    ui->Script(dir.File("p.kt4"));
    FileOpenCommand();
    ui->ClearLog();
    FileSaveCommand();
    EXPECT_FALSE(AbortFlag);
    EXPECT_TRUE(Logged("error").empty());
    EXPECT_NE(dir.Get("p.kt4"), bytes); // written: it holds the calculated design now

    // saved under a name of its own extension, that file is the project's
    dir.Put("s.dxf", "");
    CurrentFileName = dir.File("s.dxf");
    FileNameHasDir = true;
    FileSaveCommand();
    ASSERT_FALSE(AbortFlag);
    const std::string saved = dir.Get("s.dxf");
    ui->ClearLog();
    ui->Script(dir.File("s.dxf"));
    cad::c_begin(cad::cmDxf);
    EXPECT_TRUE(AbortFlag);
    ASSERT_EQ(Logged("error").size(), 1u);
    EXPECT_NE(Logged("error")[0].find("Ziel ist die Projektdatei: "), std::string::npos) << Logged("error")[0];
    EXPECT_EQ(dir.Get("s.dxf"), saved);
    // a design without a name (File > New) has no project file
    CurrentFileName.clear();
    AbortFlag = false;
    ui->Script(dir.File("s.dxf"));
    ui->Script("J"); // overwrite
    cad::c_begin(cad::cmDxf);
    EXPECT_FALSE(AbortFlag);
    EXPECT_TRUE(cad::CadJobRunning());
    cad::DiscardCadJob();
}

TEST_F(ViewCommands, CalculationsOfTheProgramRedrawTheCurrentView)
{
    InitModules(); // the real drawings
    auto overview = [] {
        for (const auto& r : graphics::ActiveGraphWindow().DisplayList())
            if (r.size() > 7 && r.rfind("6;", 0) == 0 && r.substr(r.size() - 5) == " Load")
                return true;
        return false;
    };
    const std::function<void()> redraws[] = {RedrawCurrentView, drive::dialogs::AfterDialogCalculation};
    for (const auto& redraw : redraws) {
        graphics::GraphDevice.Clear();
        drive::CalcDrive();
        redraw();
        EXPECT_TRUE(overview());
    }
}

} // namespace
