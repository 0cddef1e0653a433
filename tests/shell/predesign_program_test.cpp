// The preliminary design in a program without a window and without the
// window toolkit: the modules as the program starts them, the catalogue
// folder and the temporary folder, then the design. It picks its bearings
// through the table access layer's headless side and gets the design the
// drive tests get.
#include "shell_fixture.h"

#include "dbase/access/table_access.h"
#include "drive/bearing_types.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/predesign.h"
#include "foundation/private_temp.h"
#include "shell/work_folders.h"

#include <vector>

using namespace kt4;

namespace {

class PreDesign : public shelltest::ShellTest {
protected:
    void TearDown() override
    {
        dbase::DbfClose();
        RemovePrivateTempDir();
        shelltest::ShellTest::TearDown();
    }
};

TEST_F(PreDesign, AProgramWithoutWindowGetsTheSameDesign)
{
    settings::DbfDir = shell::ProgramCatalogueDir();
    settings::TempDir = dir.Path();
    drive::CalcDrive();
    drive::CalcPreDesign(0);
    EXPECT_FALSE(settings::CalcErrorFlag) << settings::MessageTexts[1];
    using namespace drive;
    EXPECT_EQ(std::vector<Real>({d1, d2, dexz, diLg3, dH}), std::vector<Real>({6, 15, 10, 6, 57}));
    const char* designations[] = {"626", "6000", "626", "6002", "6002"};
    for (Word k = 1; k <= BearingSlotCount; ++k) {
        EXPECT_EQ(bearings::BearingSlots[k].Designation, designations[k - 1]) << k;
        EXPECT_GT(bearings::BearingSlots[k].L10, 0) << k;
    }
    EXPECT_TRUE(ui->Log().empty()) << ui->Log().front();
}

} // namespace
