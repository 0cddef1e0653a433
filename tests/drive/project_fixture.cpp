#include "project_fixture.h"
#include "cad/cad_settings.h"

#include "drive/bearing_types.h"
#include "drive/doclinks.h"
#include "drive/docu_data.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/sibling_files.h"
#include "drive/sibling_gear.h"
#include "drive/sibling_shaft.h"
#include "foundation/datetime.h"
#include "foundation/dialogs.h"
#include "foundation/environment.h"
#include "foundation/settings.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kt4::projtest {

bool RecordingUi::OpenDocument(const std::string& path)
{
    opened.push_back(path);
    return !fail;
}

bool RecordingUi::StartProgram(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<std::string> call{program};
    call.insert(call.end(), args.begin(), args.end());
    started.push_back(call);
    return !fail;
}

void ProjectTest::SetUp()
{
    settings::InitSettings();
    using namespace settings;
    ProductName = "KT4";
    BaseName = "kt4";
    DataFileExt = "kt4";
    ProgramVersion = "1.1";
    ProgramTitle = "Exzentergetriebe  KT4";
    DataDir = dir.Path();
    TempDir = dir.Path();
    CurrentFileName = "projekt";
    SetFixedClock({2024, 3, 5, 10, 30, 0, 0});
    dialogs::InitDialogs();
    environment::CommandLineParams.clear();
    auto owned = std::make_unique<RecordingUi>();
    ui = owned.get();
    ui->quiet = true;
    SetUi(std::move(owned));
    drive::InitDriveData();
    bearings::InitBearingSlots();
    docu::InitDocuData();
    docu::InitDocumentLinks();
    gear::InitGearStrengthData();
    shaft::AllocShaftData();
    cad::ExportLaunchFlag = true;
    cad::FitClearanceBore = 0;
}

void ProjectTest::TearDown()
{
    UseHeadlessUi();
    UseSystemClock();
}

void ProjectTest::ScenarioA()
{
    drive::CalcDrive();
    ASSERT_FALSE(settings::CalcErrorFlag);
    settings::AbortFlag = false;
}

std::vector<std::string> ProjectTest::FileLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find("\r\n", pos);
        EXPECT_NE(end, std::string::npos) << "line without CR LF at byte " << pos;
        if (end == std::string::npos)
            break;
        lines.push_back(bytes.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

std::vector<std::string> ProjectTest::Logged(const std::string& Kind) const
{
    std::vector<std::string> out;
    for (const auto& entry : ui->Log())
        if (entry.rfind(Kind, 0) == 0)
            out.push_back(entry);
    return out;
}

std::string ProjectTest::Golden(const std::string& Name)
{
    std::ifstream in(std::string(KT4_SOURCE_DIR) + "/tests/drive/golden/" + Name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void ProjectTest::ExpectGolden(const std::string& Bytes, const std::string& Name)
{
    std::string path = std::string(KT4_SOURCE_DIR) + "/tests/drive/golden/" + Name;
    if (const char* update = std::getenv("KT4_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << Bytes;
        return;
    }
    std::string golden = Golden(Name);
    ASSERT_FALSE(golden.empty()) << "missing golden file " << path;
    EXPECT_TRUE(Bytes == golden) << Name << " differs from its golden file";
}

} // namespace kt4::projtest
