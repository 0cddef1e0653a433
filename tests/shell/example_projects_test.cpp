// The example projects under data/ are files the program writes itself:
// each is written here from its values and compared byte for byte with the
// shipped file (KT4_UPDATE_EXAMPLES=1 writes the shipped files instead),
// then read back and calculated.
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
};

void DefaultDrive()
{
    settings::RemarkLines = {"Beispiel: Exzentergetriebe mit den Vorgabewerten",
                             "dp 34 mm, dH 36 mm, Antrieb 1500 1/min", ""};
    docu::ZeichName = "Exzentergetriebe";
    docu::ZeichName2 = "Beispiel 1";
    docu::ZeichNr = "KT4-0001";
}

void SecondDrive()
{
    drive::LoadDemoDriveData();
    drive::dp = 32;
    drive::dH = 34;
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
        {"beispiel1.kt4", DefaultDrive, -17},
        {"beispiel2.kt4", SecondDrive, -16},
    };
    bool update = std::getenv("KT4_UPDATE_EXAMPLES") != nullptr;
    for (const auto& ex : examples) {
        FreshStart();
        ex.values();
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
    }
}

} // namespace
