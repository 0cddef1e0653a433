// The page every view draws until the drive's drawings exist.
#include "cad/cad_device.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "drawings/view_standin.h"
#include "foundation/printer_settings.h"
#include "foundation/private_temp.h"
#include "foundation/scratch_dir.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_settings.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kt4;

namespace {

class StandIn : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings::InitSettings();
        graphics::InitGraphSettings();
        printer::InitPrinterSettings();
        cad::InitCadSettings();
        UseHeadlessUi().quiet = true;
        settings::TempDir = dir.Path();
        settings::CurrentFileName = dir.File("page");
        cad::CadBatchMode = true;
    }
    void TearDown() override { RemovePrivateTempDir(); }
    kt4::testing::ScratchDir dir;
};

TEST_F(StandIn, EveryViewIsTheEmptyPage)
{
    drawings::DrawViewStandIn(3, cad::cmTxt);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(dir.Get("page.txt"),
              "MINMAX\t0.000000\t0.000000\t160.000000\t120.000000\r\nSECTION BLOCKS\r\nSECTION ENTITIES\r\nEOF\r\n");
    EXPECT_EQ(cad::CadLayer, 5);
    EXPECT_FALSE(cad::CadJobRunning());
}

TEST_F(StandIn, AFailedCalculationOpensNoJob)
{
    settings::CalcErrorFlag = true;
    settings::AddMessage("Fatal  : dp = 0 !");
    drawings::DrawViewStandIn(1, cad::cmDxf);
    EXPECT_FALSE(std::filesystem::exists(dir.File("page.dxf")));
    EXPECT_FALSE(cad::CadJobRunning());
}

} // namespace
