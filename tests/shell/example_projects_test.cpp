// The example projects under data/ are files the program writes itself:
// each is set up here from its values, calculated, written and compared
// byte for byte with the shipped file (KT4_UPDATE_EXAMPLES=1 writes the
// shipped files instead), then read back and calculated; saving it again
// unchanged gives the same file, and its remarks name what it calculates.
#include "shell_fixture.h"

#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/docu_data.h"
#include "drive/projectfile.h"
#include "foundation/settings.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

using namespace kt4;

namespace {

struct Example {
    const char* file;
    std::function<void()> values;
    Real ratio;
    Real n1, n2; // input and output speed, 1/min
};

// The output side is given: 50 1/min and 25 Nm.
void DefaultDrive()
{
    settings::RemarkLines = {"Beispiel: Exzentergetriebe mit den Vorgabewerten",
                             "dp 34 mm, dH 36 mm, Abtrieb 50 1/min bei 25 Nm", ""};
    docu::ZeichName = "Exzentergetriebe";
    docu::ZeichName2 = "Beispiel 1";
    docu::ZeichNr = "KT4-0001";
}

// The input side is given: 1500 1/min and 150 W.
void SecondDrive()
{
    drive::LoadDemoDriveData();
    drive::dp = 32;
    drive::dH = 34;
    // the roller holes 0.5 mm from the bore and 0.2 mm from the tooth root
    drive::dR = 5;
    drive::dz = 4;
    drive::dzw = 7;
    drive::dlk = 24;
    settings::RemarkLines = {"Beispiel: \x9A" "bersetzung -16, 150 W am Antrieb",
                             "dp 32 mm, dH 34 mm, 1500 1/min am Antrieb", ""};
    docu::ZeichName = "Exzentergetriebe";
    docu::ZeichName2 = "Beispiel 2";
    docu::ZeichNr = "KT4-0002";
}

class ExampleProjects : public shelltest::ShellTest {};

TEST_F(ExampleProjects, AreWrittenByTheProgramAndCalculate)
{
    const Example examples[] = {
        {"beispiel1.kt4", DefaultDrive, -17, 850, 50},
        {"beispiel2.kt4", SecondDrive, -16, 1500, 93.75L},
    };
    bool update = std::getenv("KT4_UPDATE_EXAMPLES") != nullptr;
    for (const auto& ex : examples) {
        FreshStart();
        ex.values();
        drive::CalcDrive(); // a consistent drive, as the program saves it
        ASSERT_FALSE(settings::CalcErrorFlag) << ex.file;
        std::string written = dir.File(ex.file);
        ASSERT_TRUE(project::WriteDataFile(written)) << ex.file;
        std::string shipped = std::string(KT4_DATA_DIR) + "/" + ex.file;
        if (update)
            std::filesystem::copy_file(written, shipped,
                                       std::filesystem::copy_options::overwrite_existing);
        EXPECT_EQ(dir.Get(ex.file), [&] {
            std::ifstream in(shipped, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        }()) << ex.file << " differs from what the program writes";

        FreshStart();
        ASSERT_TRUE(project::ReadDataFile(shipped)) << ex.file;
        drive::CalcDrive();
        EXPECT_FALSE(settings::CalcErrorFlag) << ex.file;
        EXPECT_EQ(drive::i, ex.ratio) << ex.file;
        EXPECT_EQ(drive::n[1], ex.n1) << ex.file;
        EXPECT_EQ(drive::n[2], ex.n2) << ex.file;
        // saved again unchanged, the file stays as it is
        std::string again = dir.File(std::string("wieder_") + ex.file);
        ASSERT_TRUE(project::WriteDataFile(again)) << ex.file;
        EXPECT_EQ(dir.Get(std::string("wieder_") + ex.file), dir.Get(ex.file)) << ex.file;
    }
}

} // namespace
