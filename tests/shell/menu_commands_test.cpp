#include "shell_fixture.h"

#include "drive/bearing_types.h"
#include "drive/doclinks.h"
#include "drive/docu_data.h"
#include "drive/docu_forms.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "foundation/dialogs.h"
#include "graphics/graph_device.h"
#include "drive/project_layout.h"
#include "shell/menu_commands.h"
#include "shell/menu_table.h"
#include "shell/project_files.h"
#include "shell/project_list.h"
#include "shell/recent_files.h"
#include "shell/services.h"

#include <filesystem>
#include <limits>
#include <map>
#include <stdexcept>
#include <tuple>

using namespace kt4;
using namespace kt4::shell;

namespace {

using namespace settings;

class MenuCommands : public shelltest::ShellTest {
protected:
    void TearDown() override
    {
        FormServices() = MenuForms{};
        docu::Forms = docu::DocuForms{};
        shelltest::ShellTest::TearDown();
    }

    // A design of its own: a bearing, texts, documentation of every kind,
    // results and messages.
    static void EnterDesign(const std::string& Tag)
    {
        drive::dp = 40;
        bearings::BearingSlots[2].Designation = "6204";
        bearings::BearingSlots[2].d = 20;
        RemarkLines = {"Bemerkung " + Tag, "", ""};
        docu::ZeichName = "Getriebe " + Tag;
        docu::AendCount = 1;
        docu::AendList[1] = {"Nur fuer " + Tag, "2024-03-05", "mm", "Bohrung"};
        docu::ZeichInfo.Name2 = "Pruefer " + Tag;
        docu::ZeichTextCount = 1;
        docu::ZeichTexts[1].text = "Freitext " + Tag;
        docu::DokuList[1].file = "/docs/" + Tag + ".pdf";
        drive::CalcDrive();
        AddMessage("Warnung: " + Tag);
    }

    // The records of the window's picture.
    static std::vector<std::string> Shown()
    {
        const auto& list = graphics::GraphDevice.Window().DisplayList();
        return {list.begin(), list.end()};
    }
};

TEST_F(MenuCommands, OpenReadsCalculatesAndRemembersTheFile)
{
    drive::dp = 40;
    std::string path = WriteDefaultProject("open.kt4");
    drive::InitDriveData();
    drive::i = 0;
    DataModified = false;
    ui->Script(path); // the open dialog
    FileOpenCommand();
    EXPECT_FALSE(AbortFlag);
    EXPECT_EQ(drive::dp, 40);
    EXPECT_NE(drive::i, 0); // calculated at once
    EXPECT_EQ(CurrentFileName, "open");
    EXPECT_EQ(RecentFiles[1], path);
    EXPECT_FALSE(DataModified);

    // a project of another extension beside one of the data extension:
    // shown, listed and saved as itself, the other left alone
    const std::string other = dir.Get(WriteDefaultProject("c.kt4"));
    std::filesystem::copy_file(path, dir.File("c.dxf"));
    ui->Script(dir.File("c.dxf"));
    FileOpenCommand();
    std::string title;
    MakeWindowTitle(title);
    EXPECT_EQ(title.substr(title.size() - 5), "c.dxf");
    EXPECT_EQ(RecentFiles[1], dir.File("c.dxf"));
    drive::dp = 41;
    FileSaveCommand();
    EXPECT_FALSE(AbortFlag);
    EXPECT_EQ(dir.Get("c.kt4"), other);
    EXPECT_NE(dir.Get("c.dxf").find("41"), std::string::npos);
}

TEST_F(MenuCommands, CancelledOpenChangesNothing)
{
    drive::dp = 41;
    CurrentFileName = "keep";
    FileOpenCommand(); // nothing scripted: the dialog is cancelled
    EXPECT_TRUE(AbortFlag);
    EXPECT_EQ(drive::dp, 41);
    EXPECT_EQ(CurrentFileName, "keep");
}

TEST_F(MenuCommands, SaveClearsTheModifiedFlagOnlyWhenWritten)
{
    CurrentFileName = "saved";
    DataModified = true;
    FileSaveCommand();
    EXPECT_FALSE(DataModified);
    EXPECT_TRUE(std::filesystem::exists(dir.File("saved.kt4")));
    EXPECT_EQ(RecentFiles[1], dir.File("saved.kt4"));

    // saved under another name: the drawing's footer shows it
    int redraws = 0;
    const auto redraw = Services().redrawCurrentView;
    Services().redrawCurrentView = [&] { ++redraws; };
    FileSaveCommand();
    EXPECT_EQ(redraws, 0);
    ui->Script(dir.File("other.kt4"));
    FileSaveAsCommand();
    EXPECT_EQ(CurrentFileName, "other");
    EXPECT_EQ(redraws, 1);
    Services().redrawCurrentView = redraw;

    DataModified = true;
    DataDir = dir.File("no such folder");
    FileSaveCommand();
    EXPECT_TRUE(AbortFlag);
    EXPECT_TRUE(DataModified);
}

TEST_F(MenuCommands, NewStartsFromTheDefaultsAfterTheSaveQuestion)
{
    drive::dp = 44;
    docu::AendCount = 2;
    CurrentFileName = "old";
    DataModified = true;
    ui->Script("no"); // do not save the changes
    FileNewCommand();
    EXPECT_FALSE(AbortFlag);
    EXPECT_EQ(drive::dp, 34);
    EXPECT_EQ(docu::AendCount, 0); // the revision list starts empty
    EXPECT_TRUE(CurrentFileName.empty());
    EXPECT_TRUE(DataModified);
    EXPECT_EQ(drive::i, -17); // calculated

    // Cancel in the save question keeps everything
    drive::dp = 45;
    ui->Script("<cancel>");
    FileNewCommand();
    EXPECT_EQ(drive::dp, 45);
}

TEST_F(MenuCommands, NewCancelledAtAnyStepLeavesTheDesignAsItWas)
{
    EnterDesign("b1");
    CurrentFileName = "offen";
    DataModified = true;
    const OpenDesign before = CaptureOpenDesign();
    // each step changes the design; step cancelAt is cancelled
    int step = 0, cancelAt = 0;
    auto form = [&] {
        if (step++ == cancelAt)
            AbortFlag = true;
        else
            drive::dH += 1;
    };
    MenuForms& f = FormServices();
    f.preDesign = f.preDesign2 = f.geometry = f.driveData = form;
    f.calcPreDesign = [](int) { // a design the calculation accepts
        bearings::InitBearingSlots();
        auto& b = bearings::BearingSlots[4];
        b.Designation = "6002";
        b.d = 15, b.D = 32, b.B = 9, b.C = 5600, b.C0 = 2850;
        drive::CalcDrive();
        ASSERT_FALSE(CalcErrorFlag) << MessageTexts[1];
    };
    docu::Forms.projectTexts = [&] {
        form();
        docu::ZeichName = "neu";
        return !AbortFlag;
    };
    int redraws = 0;
    const auto redraw = Services().redrawCurrentView;
    Services().redrawCurrentView = [&] { redraws += AbortFlag ? 0 : 1; }; // a cancelled flag draws nothing
    // the window's picture of the open design comes back as it was
    graphics::GraphDevice.Clear();
    graphics::GraphDevice.Line(1, 2, 3, 4);
    const std::vector<std::string> picture = Shown();
    for (cancelAt = 0; cancelAt < 5; ++cancelAt) {
        RestoreOpenDesign(before);
        step = 0;
        redraws = 0;
        const bool save = cancelAt % 2;
        ui->Script(save ? "J" : "no"); // the save question: saved, or the changes may go
        FileNewCommand();
        EXPECT_TRUE(AbortFlag);
        EXPECT_EQ(step, cancelAt + 1);
        EXPECT_EQ(redraws, 0) << "cancelled at step " << cancelAt;
        EXPECT_EQ(Shown(), picture) << "cancelled at step " << cancelAt;
        // a save made at the question counts: no mark, the image of what was saved
        OpenDesign expected = before;
        if (save) {
            expected.dataModified = false;
            expected.savedValues = SavedValues();
            EXPECT_TRUE(SavedValues() && SavedValues() != before.savedValues) << "cancelled at step " << cancelAt;
        }
        EXPECT_TRUE(CaptureOpenDesign() == expected) << "cancelled at step " << cancelAt;
        EXPECT_EQ(drive::dp, 40);
        EXPECT_EQ(CurrentFileName, "offen");
        MarkChangedValues(); // as the next question does
        EXPECT_EQ(DataModified, !save) << "cancelled at step " << cancelAt;
    }
    RestoreOpenDesign(before);
    // a first design step that fails ends New as a cancel does (no second
    // form); its reasons stay listed beside the open design
    const auto design = f.calcPreDesign;
    f.calcPreDesign = [](int) { ClearMessages(), AddMessage("Fatal  : x"), CalcErrorFlag = true; };
    step = redraws = 0;
    cancelAt = -1;
    ui->Script("no");
    FileNewCommand();
    EXPECT_EQ(std::make_tuple(AbortFlag, step, redraws), std::make_tuple(true, 1, 0));
    EXPECT_EQ(Shown(), picture);
    EXPECT_TRUE(drive::CaptureDrive() == before.drive && CalcErrorFlag == before.calcError);
    EXPECT_EQ(ListedMessages(), std::vector<std::string>{"Fatal  : x"});
    f.calcPreDesign = design;

    // to its end: the new design, calculated
    ui->Script("no");
    FileNewCommand();
    EXPECT_FALSE(AbortFlag);
    EXPECT_TRUE(CurrentFileName.empty());
    EXPECT_EQ(docu::AendCount, 0);
    EXPECT_EQ(bearings::BearingSlots[4].Designation, "6002");
    EXPECT_EQ(drive::dH, 36 + 5);
    EXPECT_EQ(drive::i, drive::dp / (drive::dp - drive::dH));
    EXPECT_TRUE(DataModified);
    Services().redrawCurrentView = redraw;
}

// The preliminary design lists its first step's messages first, then
// those of the second step that differ from them.
TEST_F(MenuCommands, PreDesignListsTheFirstStepsMessagesFirst)
{
    struct Row {
        std::vector<std::string> first, second, listed;
    };
    const Row rows[] = {
        {{"Warnung: a"}, {"Warnung: b"}, {"Warnung: a", "Warnung: b"}},
        {{"Warnung: a"}, {"Warnung: b", "Warnung: a"}, {"Warnung: a", "Warnung: b"}},
        {{}, {"Warnung: b"}, {"Warnung: b"}},
    };
    MenuForms& f = FormServices();
    f.preDesign = f.preDesign2 = [] {};
    for (const Row& r : rows) {
        f.calcPreDesign = [&r](int Step) {
            ClearMessages();
            for (const std::string& text : Step == 0 ? r.first : r.second)
                AddMessage(text);
        };
        DataModified = false;
        EditPreDesignCommand();
        EXPECT_EQ(ListedMessages(), r.listed) << r.second.size();
    }
}

// Open, a recent file and the project list read another project; none
// keeps the documentation of the one before, and its sibling files carry
// none of it.
TEST_F(MenuCommands, ReadingAnotherProjectDropsTheDocumentation)
{
    drive::dp = 33;
    const std::string other = WriteDefaultProject("other.kt4");
    const std::vector<std::function<void()>> reads = {
        [&] {
            ui->Script(other);
            FileOpenCommand();
        },
        [&] {
            RecentFiles[1] = other;
            OpenRecentFile(1);
        },
        [&] { EXPECT_TRUE(OpenListedFile("other.kt4")); },
    };
    for (std::size_t k = 0; k < reads.size(); ++k) {
        EnterDesign("b1");
        DataModified = false;
        NoteSavedValues(); // as if saved
        reads[k]();
        EXPECT_FALSE(AbortFlag) << k;
        EXPECT_EQ(drive::dp, 33) << k;
        EXPECT_EQ(docu::AendCount, 0) << k;
        EXPECT_EQ(docu::ZeichTextCount, 0) << k;
        EXPECT_TRUE(docu::ZeichInfo.Name2.empty()) << k;
        EXPECT_TRUE(docu::DokuList[1].file.empty()) << k;
        EXPECT_EQ(docu::DokuList[1].program, "notepad.exe") << k; // the programs stay
    }
    ui->Script(dir.File("rad.qov"));
    ExportGearCommand(1);
    ui->Script(dir.File("welle"));
    ExportShaftCommand(1);
    for (const char* file : {"rad.qov", "welle.bx1"}) {
        const std::string bytes = dir.Get(file);
        ASSERT_FALSE(bytes.empty()) << file;
        for (const char* text : {"b1", "Pruefer"})
            EXPECT_EQ(bytes.find(text), std::string::npos) << file << ": " << text;
    }
}

// Each item of the Bearbeiten menu, its form ending with OK, with Calc
// then Cancel, or with Cancel, with a change of a saved value or without,
// on the examples and on a design the calculation refuses: the project is
// marked changed when the values a save writes differ from those of the
// read (and after OK, as always); the save question follows the mark, and
// a save makes the values the ones to compare with.
TEST_F(MenuCommands, TheChangedMarkFollowsTheSavedValues)
{
    enum End { Ok, CalcCancel, Cancel };
    struct Way {
        End end;
        bool change;
    };
    const Way ways[] = {{Ok, true},  {CalcCancel, true},  {Cancel, true},
                        {Ok, false}, {CalcCancel, false}, {Cancel, false}};
    const std::map<std::string, std::function<void()>> changes = {
        {"mi_editText", [] { docu::ZeichName2 = "Beispiel 3"; }},
        {"mi_editGeometrie", [] { drive::L1 = 13; }},
        {"mi_editantrieb", [] { drive::FrShaft[2] = 1234; }},
        {"mi_editvorauslegung", [] { drive::KA = 1.25L; }},
    };
    std::string item;
    Way way{};
    auto form = [&] {
        if (way.change)
            changes.at(item)();
        if (way.end == CalcCancel)
            drive::CalcDrive();
        AbortFlag = way.end != Ok;
    };
    MenuForms& f = FormServices();
    f.geometry = f.driveData = f.preDesign = form;
    f.preDesign2 = [] {};
    f.calcPreDesign = [](int) { drive::CalcDrive(); };
    docu::Forms.projectTexts = [&] { return form(), !AbortFlag; };
    drive::dH = drive::dp; // refused
    const std::string refused = WriteDefaultProject("refused.kt4");
    const std::string examples = std::string(KT4_DATA_DIR) + "/";
    int walked = 0;
    for (const std::string& project : {examples + "beispiel1.kt4", examples + "beispiel2.kt4", refused})
        for (const MenuEntry& e : MenuEntries()) {
            if (e.kind != MenuKind::Item || e.parent != std::string("mi_Edit"))
                continue;
            item = e.name;
            ASSERT_TRUE(changes.count(item)) << item;
            ++walked;
            for (const Way& w : ways) {
                dir.Put("p.kt4", kt4::testing::ReadFileBytes(project));
                ui->Script(dir.File("p.kt4"));
                FileOpenCommand();
                ASSERT_FALSE(DataModified);
                way = w;
                MenuCommand(item)();
                const std::string where =
                    project + " " + item + " " + std::to_string(w.end) + (w.change ? " changed" : "");
                EXPECT_EQ(project::ProjectText(project::CaptureProject()) != SavedValues(), w.change) << where;
                EXPECT_EQ(DataModified, w.change || w.end == Ok) << where;
                const std::size_t asked = Logged("yesnocancel").size();
                ui->Script("<cancel>");
                MenuCommand("mi_fileNew")();
                EXPECT_EQ(Logged("yesnocancel").size(), asked + (DataModified ? 1 : 0)) << where;
                ui->ClearScript();
                if (!DataModified)
                    continue;
                std::filesystem::remove(dir.File("s.kt4"));
                ui->Script(dir.File("s.kt4"));
                MenuCommand(w.end == Ok ? "mi_FileSave" : "mi_FileSaveAs")();
                ui->ClearScript();
                way = {Cancel, false};
                MenuCommand(item)();
                EXPECT_FALSE(DataModified) << where << ", saved";
            }
        }
    EXPECT_EQ(walked, 12);
    // a value no number equals is saved alike each time
    bearings::BearingSlots[1].Lna = std::numeric_limits<Real>::quiet_NaN();
    NoteSavedValues();
    DataModified = false;
    MarkChangedValues();
    EXPECT_FALSE(DataModified);
    // values changed outside a command: the save question before the
    // window closes
    drive::T[2] = 41;
    AbortFlag = false;
    ui->Script("<cancel>");
    AskSaveChanges();
    EXPECT_TRUE(AbortFlag);
}

TEST_F(MenuCommands, CancelledTextDialogLeavesTheModifiedFlag)
{
    DataModified = false;
    EditTextCommand(); // headless: the form is cancelled
    EXPECT_TRUE(AbortFlag);
    EXPECT_FALSE(DataModified);
}

TEST_F(MenuCommands, OnlyCommandsWithTheirFormsAreOffered)
{
    for (const char* name : {"mi_fileNew", "mi_fileOpen", "mi_FileSave", "mi_FileSaveAs",
                             "mi_fileexportQov1Rad1", "mi_fileexportbx1bolzen", "mi_viewausdruck",
                             "mi_docuNewChange", "mi_DocumentSetup", "mi_helpErrorMessages", "mi_viewanimation"})
        EXPECT_TRUE(MenuCommand(name)) << name;
    for (const char* name : {"mi_editGeometrie", "mi_fileprint", "mi_fileConfig", "mi_file"})
        EXPECT_FALSE(MenuCommand(name)) << name;

    bool shown = false;
    FormServices().geometry = [&] { shown = true; };
    auto geometry = MenuCommand("mi_editGeometrie");
    ASSERT_TRUE(geometry);
    DataModified = false;
    geometry();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(DataModified);
}

TEST_F(MenuCommands, AFaultInACommandIsToldAndTheProjectMayBeSaved)
{
    FormServices().geometry = [] { throw std::out_of_range("Array1: Index 7 außerhalb von 1..6"); };
    auto geometry = MenuCommand("mi_editGeometrie");
    CurrentFileName = "gerettet";
    DataModified = true;
    EXPECT_NO_THROW(geometry()); // nothing scripted: not saved
    EXPECT_NE(Logged("error").back().find("Array1: Index 7 außerhalb von 1..6"), std::string::npos);
    EXPECT_TRUE(DataModified);
    EXPECT_FALSE(std::filesystem::exists(dir.File("gerettet.kt4")));
    ui->Script("J");
    EXPECT_NO_THROW(geometry());
    EXPECT_NE(Logged("yesnocancel").back().find("Datei speichern ("), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir.File("gerettet.kt4")));
    EXPECT_FALSE(DataModified);
    // a fault after the form changed a value: offered to be saved, though
    // nothing marked it yet
    FormServices().geometry = [] { drive::L1 = 13, throw std::runtime_error("x"); };
    ui->ClearLog();
    MenuCommand("mi_editGeometrie")();
    EXPECT_EQ(Logged("yesnocancel").size(), 1u);
    EXPECT_TRUE(DataModified);
    FormServices() = MenuForms{};
}

TEST_F(MenuCommands, GearExportWritesTheSiblingFile)
{
    ui->Script(dir.File("gear.qov")); // the save dialog
    ExportGearCommand(1);
    EXPECT_FALSE(AbortFlag);
    EXPECT_TRUE(std::filesystem::exists(dir.File("gear.qov")));
}

} // namespace
