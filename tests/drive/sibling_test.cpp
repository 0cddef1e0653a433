// The sibling-program input files: the gear-strength file (".qov") and the
// shaft file (".bx1") of scenario A against their golden files, the values
// the exports copy, and the export's file handling.
#include "project_fixture.h"
#include "cad/cad_settings.h"

#include "drive/bearing_types.h"
#include "drive/docu_data.h"
#include "drive/drive_data.h"
#include "drive/sibling_files.h"
#include "drive/sibling_gear.h"
#include "drive/sibling_shaft.h"
#include "foundation/environment.h"
#include "foundation/settings.h"

#include <algorithm>
#include <filesystem>

namespace kt4::projtest {
namespace {

namespace fs = std::filesystem;

class SiblingTest : public ProjectTest {
protected:
    std::vector<std::string> GearLines(Word wheel, const std::string& name = "g")
    {
        gear::SetGearExportValues(wheel);
        EXPECT_EQ(gear::WriteGearStrengthFile(name), dir.File(name + ".qov"));
        return FileLines(dir.Get(name + ".qov"));
    }
    std::vector<std::string> ShaftLines(Word shaft, const std::string& name = "s")
    {
        shaft::SetShaftExportValues(shaft);
        EXPECT_EQ(shaft::WriteShaftFile(name), dir.File(name + ".bx1"));
        return FileLines(dir.Get(name + ".bx1"));
    }
    // The line of the gear file that holds layout line N (wheel 2: the
    // second copy of a per-wheel block of Block lines).
    static std::size_t GearLine(int n, int wheel2Offset = 0)
    {
        return static_cast<std::size_t>(6 + n - 1 + wheel2Offset);
    }
    static std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& s,
                               std::size_t from = 0)
    {
        auto it = std::find(lines.begin() + static_cast<long>(from), lines.end(), s);
        return static_cast<std::size_t>(it - lines.begin());
    }
    void SetSettingsUnchangedMarkers()
    {
        settings::CurrentFileName = "projekt";
        settings::DataFileExt = "kt4";
    }
};

TEST_F(SiblingTest, GearFileOfScenarioA)
{
    ScenarioA();
    std::vector<std::string> lines = GearLines(1);
    ASSERT_EQ(lines.size(), 289u);
    EXPECT_EQ(lines[1], "Exzentergetriebe  KT4  V 1.1"); // the short header
    EXPECT_EQ(lines[GearLine(1)], "");
    EXPECT_EQ(lines[GearLine(5)], "-----------");
    EXPECT_EQ(lines[GearLine(9)], "45.0000000");  // pressure angle
    EXPECT_EQ(lines[GearLine(10)], "0");
    EXPECT_EQ(lines[GearLine(11)], "0.3333333");  // module 36 / 108
    EXPECT_EQ(lines[GearLine(13)], "-1");         // centre distance -exz
    EXPECT_EQ(lines[GearLine(19)], "102");        // zW
    EXPECT_EQ(lines[GearLine(19, 17)], "-108");   // -zH
    EXPECT_EQ(lines[GearLine(20)], "0");          // profile shift of wheel 1
    EXPECT_EQ(lines[GearLine(20, 17)], "0");      // the sum is 0 for the default drive
    EXPECT_EQ(lines[GearLine(26)], "5.0000000");  // bP
    EXPECT_EQ(lines[GearLine(26, 17)], "6.0000000"); // bH
    EXPECT_EQ(lines[GearLine(27, 17)], "400.0000000"); // a default of wheel 2
    EXPECT_EQ(lines[GearLine(35, 17)], "50.0000000");  // output speed
    EXPECT_EQ(lines[GearLine(36, 17)], "0.1454441");   // input power
    // the documentation sections follow line 128; the ISO fields line 191
    std::size_t changes = IndexOf(lines, "\x8E" "NDERUNGEN");
    EXPECT_EQ(changes, 167u); // 6 header lines + 161 lines up to line 128
    EXPECT_EQ(lines[changes + 8], "Dokumente");
    std::size_t iso = IndexOf(lines, "ISO 7200 Header");
    EXPECT_EQ(iso, changes + 8 + 18 + 63);
    EXPECT_EQ(lines[iso + 7], "2");               // line 192
    EXPECT_EQ(lines[iso + 8], "25.0000000");      // output torque
    EXPECT_EQ(lines[iso + 11], "TRUE");           // 196
    EXPECT_EQ(lines[iso + 13], "4");              // nz
    EXPECT_EQ(lines[iso + 14], "8.0000000");      // dzw
    EXPECT_EQ(lines[iso + 15], "25.0000000");     // dlk
    EXPECT_EQ(lines.back(), "FALSE");             // 218
    ExpectGolden(dir.Get("g.qov"), "scenario_a.qov");
}

TEST_F(SiblingTest, GearFileWithTheHollowWheelPattern)
{
    ScenarioA();
    cad::FitClearanceBore = 0.2L;
    std::vector<std::string> lines = GearLines(2);
    std::size_t iso = IndexOf(lines, "ISO 7200 Header");
    EXPECT_EQ(lines[iso + 9], "16.2000000");  // diw + clearance
    EXPECT_EQ(lines[iso + 10], "-50");        // -dHe
    EXPECT_EQ(lines[iso + 13], "8");          // ns
    EXPECT_EQ(lines[iso + 14], "4.5000000");  // dS + clearance
    EXPECT_EQ(lines[iso + 15], "43.0000000"); // dLkS
    // a second export after a change writes the new values, defaults elsewhere
    drive::bP = 7;
    std::vector<std::string> again = GearLines(2, "g2");
    EXPECT_EQ(again[GearLine(26)], "7.0000000");
    again[GearLine(26)] = lines[GearLine(26)];
    EXPECT_EQ(again, lines);
}

TEST_F(SiblingTest, ProfileShiftFollowsTheCentreDistance)
{
    ScenarioA();
    drive::exz = 1.05L; // the pair no longer sits at its reference centre distance
    std::vector<std::string> lines = GearLines(1);
    EXPECT_NE(lines[GearLine(20, 17)], "0");
    EXPECT_EQ(lines[GearLine(20)], "0");
}

TEST_F(SiblingTest, RefusedDriveWritesNumbersNotInfinities)
{
    drive::zH = 0;
    drive::exz = 0;
    drive::alpha = 0;
    drive::bP = 0;
    drive::cax = 0;
    std::vector<std::string> lines = GearLines(1);
    EXPECT_EQ(lines[GearLine(11)], "0");
    EXPECT_EQ(lines[GearLine(20, 17)], "0");
    std::vector<std::string> pin = ShaftLines(shaft::Pin);
    EXPECT_EQ(pin[IndexOf(pin, "Path Load") + 3], "0");
    for (const auto& all : {lines, pin})
        for (const auto& l : all)
            EXPECT_TRUE(l.find("INF") == std::string::npos && l.find("NAN") == std::string::npos) << l;
}

TEST_F(SiblingTest, ShaftFileOfScenarioA)
{
    ScenarioA();
    for (Word kind : {shaft::InputShaft, shaft::OutputShaft, shaft::Pin}) {
        std::string name = "s" + std::to_string(kind);
        std::vector<std::string> lines = ShaftLines(kind, name);
        ASSERT_GE(lines.size(), 400u);
        // the character lines hold raw bytes: nine NUL lines, two with byte 1
        EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string(1, '\0')), 9) << kind;
        EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string(1, '\1')), 2) << kind;
        EXPECT_EQ(lines[7], "Shaft");
        ExpectGolden(dir.Get(name + ".bx1"), "scenario_a_shaft" + std::to_string(kind) + ".bx1");
    }
}

TEST_F(SiblingTest, OutputShaftCarriesTheOutputBearings)
{
    ScenarioA();
    bearings::BearingSlots[4].Designation = "6004";
    bearings::BearingSlots[4].B = 12;
    bearings::BearingSlots[5].Designation = "6005";
    bearings::BearingSlots[5].B = 12;
    auto slotsBefore = bearings::BearingSlots;
    std::vector<std::string> lines = ShaftLines(shaft::OutputShaft);
    EXPECT_EQ(lines[9], "4"); // sections
    std::size_t forces = IndexOf(lines, "Radial Forces");
    EXPECT_EQ(lines[forces + 2], "4");
    std::size_t torques = IndexOf(lines, "Torque");
    EXPECT_EQ(lines[torques + 2], "2");
    EXPECT_EQ(lines[torques + 3], "25000.0000000");
    std::size_t bearingsAt = IndexOf(lines, "Bearings");
    EXPECT_EQ(lines[bearingsAt + 2], "2");
    std::size_t record1 = IndexOf(lines, "Lager 1");
    std::size_t record2 = IndexOf(lines, "Lager 2");
    EXPECT_EQ(lines[record1 + 3], "6004");
    EXPECT_EQ(lines[record2 + 3], "6005");
    EXPECT_TRUE(bearings::BearingSlots == slotsBefore);
}

TEST_F(SiblingTest, PinHasOnePathLoadAndOneBearing)
{
    ScenarioA();
    std::vector<std::string> lines = ShaftLines(shaft::Pin);
    EXPECT_EQ(lines[9], "1");
    EXPECT_EQ(lines[11], "4.0000000"); // dz
    EXPECT_EQ(lines[IndexOf(lines, "Radial Forces") + 2], "0");
    std::size_t path = IndexOf(lines, "Path Load");
    EXPECT_EQ(lines[path + 2], "1");
    EXPECT_EQ(lines[path + 3], "363.6363636"); // FtBolt 2000 / (bP 5 + cax 0.5)
    EXPECT_EQ(lines[path + 5], "5.5000000");
    EXPECT_EQ(lines[IndexOf(lines, "Bearings") + 2], "1");
}

TEST_F(SiblingTest, ExportsStartFromTheirDefaults)
{
    ScenarioA();
    std::vector<std::string> pin = ShaftLines(shaft::Pin, "p1");
    ShaftLines(shaft::OutputShaft, "o");
    EXPECT_EQ(ShaftLines(shaft::Pin, "p2"), pin);
}

TEST_F(SiblingTest, MultiLineDescriptionsKeepBothLayouts)
{
    ScenarioA();
    docu::AendCount = 1;
    docu::AendList[1] = {"a", "2024-03-05", "mk", "einzeilig"};
    std::size_t gear = GearLines(1, "g1").size(), shaftLines = ShaftLines(1, "s1").size();
    docu::AendList[1].description = "erste Zeile\r\nzweite Zeile\ndritte\r";
    std::vector<std::string> g = GearLines(1, "g2");
    std::vector<std::string> s = ShaftLines(1, "s2");
    EXPECT_EQ(g.size(), gear);
    EXPECT_EQ(s.size(), shaftLines);
    EXPECT_NE(std::find(g.begin(), g.end(), "erste Zeile|zweite Zeile|dritte|"), g.end());
    EXPECT_EQ(docu::AendList[1].description, "erste Zeile\r\nzweite Zeile\ndritte\r");
}

TEST_F(SiblingTest, ExportOpensExactlyTheWrittenFile)
{
    ScenarioA();
    fs::create_directory(dir.File("anderswo"));
    const std::string chosen = dir.File("anderswo/zahnrad.QOV");
    ui->Script(chosen);
    gear::ExportGearToSibling(0, 1);
    const std::string written = chosen; // the name as chosen, case included
    EXPECT_TRUE(fs::exists(written));
    EXPECT_EQ(ui->opened, std::vector<std::string>{written});
    EXPECT_EQ(settings::CurrentFileName, "projekt");
    EXPECT_EQ(settings::DataDir, dir.Path());
    EXPECT_EQ(settings::DataFileExt, "kt4");

    ui->Script(dir.File("welle"));
    shaft::ExportShaftToSibling(0, 2);
    EXPECT_EQ(ui->opened.back(), dir.File("welle.bx1"));
    EXPECT_TRUE(fs::exists(dir.File("welle.bx1")));
}

TEST_F(SiblingTest, CancelledExportWritesAndOpensNothing)
{
    ScenarioA();
    std::size_t files = dir.Count();
    gear::ExportGearToSibling(1); // no answer: the save dialog is cancelled
    EXPECT_TRUE(settings::AbortFlag);
    shaft::ExportShaftToSibling(3);
    EXPECT_EQ(dir.Count(), files);
    EXPECT_TRUE(ui->opened.empty());
    EXPECT_EQ(settings::DataFileExt, "kt4");
}

TEST_F(SiblingTest, WrittenFileIsOpenedOnlyWhenAllowed)
{
    ScenarioA();
    cad::ExportLaunchFlag = false;
    ui->Script(dir.File("a"));
    gear::ExportGearToSibling(1);
    EXPECT_TRUE(fs::exists(dir.File("a.qov")));
    cad::ExportLaunchFlag = true;
    environment::CommandLineParams = {"projekt.kt4", "/I"};
    ui->Script(dir.File("b"));
    gear::ExportGearToSibling(1);
    EXPECT_TRUE(fs::exists(dir.File("b.qov")));
    EXPECT_TRUE(ui->opened.empty());

    environment::CommandLineParams.clear();
    ui->fail = true;
    ui->Script(dir.File("c"));
    gear::ExportGearToSibling(1);
    EXPECT_EQ(ui->opened.size(), 1u);
    EXPECT_EQ(Logged("message").size(), 1u); // the failed opening is told
}

TEST_F(SiblingTest, FailedWriteLeavesTheOldFileAndOpensNothing)
{
    ScenarioA();
    dir.Put("alt.qov", "alt\r\n");
    {
        kt4::testing::FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.Active());
        ui->Script(dir.File("alt"));
        ui->Script("J"); // overwrite
        gear::ExportGearToSibling(1);
    }
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(dir.Get("alt.qov"), "alt\r\n");
    EXPECT_TRUE(ui->opened.empty());
    EXPECT_EQ(Logged("error").size(), 1u);
}

} // namespace
} // namespace kt4::projtest
