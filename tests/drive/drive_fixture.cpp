#include "drive_fixture.h"

#include "drive/bearing_types.h"
#include "foundation/ui_headless.h"

namespace kt4::drivetest {

void DriveTest::SetUp()
{
    settings::InitSettings();
    UseHeadlessUi().quiet = true;
    drive::InitDriveData();
    bearings::InitBearingSlots();
}

} // namespace kt4::drivetest
